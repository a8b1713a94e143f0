#pragma once

#include <string>

class LanguagePack;

// Reading and writing packs the same way in every command of korvel-cli. Failures throw the
// user's German message, naming the file.

// Writes a read pack. On the command line only a failure is worth a line, and it names the
// file; a read pack has a tree with a root, so the window's two "Ooops" cases can only mean
// the same in other words.
void writePack(LanguagePack& pack, const std::string& file);

// A pack whose reading replaced characters: what it holds is not what the file holds.
void warnOfReplacedCharacters(const LanguagePack& pack, const std::string& file);

// Writing such a pack would put the replaced texts in place of the originals.
void refuseReplacedCharacters(const LanguagePack& pack, const std::string& file);
