#pragma once

#include <string>

class LanguagePack;

// The commands of korvel-cli that set a translation against its reference pack, bring it in
// step, build a pack from JSON and count what a pack holds. Each reads its packs with the
// window's reader and writes them with its writer; key names match without regard to case.
// Failures throw the user's German message; what the commands print is UTF-8.

// Every finding of the translation `packFile` against `referenceFile`, as text lines or as
// one JSON object. Returns the exit code: 0 when nothing is missing, untranslated or has
// other placeholders, 1 otherwise.
int diffPacks(const std::string& referenceFile, const std::string& packFile, bool json);

// The placeholder check of `check --against`: prints "Platzhalter-Check bestanden" or the
// keys whose placeholders differ, in the pack's key-list order; true when passed.
bool placeholderCheck(const LanguagePack& reference, const LanguagePack& pack);

// Adds the keys of the reference that the pack lacks (empty text, the reference's comment
// and flags) and, with `dropObsolete`, removes the keys the reference lacks; writes the pack
// to `outputFile` (the pack's own file when empty) unless nothing changed.
void syncPack(const std::string& referenceFile, const std::string& packFile, const std::string& outputFile,
              bool dropObsolete);

// Writes the pack that `dump` printed as `jsonFile` ("-": standard input) to `outputFile`.
void importPack(const std::string& jsonFile, const std::string& outputFile);

// The counts of keys, texts, comments and flags, as lines or as one JSON object.
void printStats(const std::string& packFile, bool json);
