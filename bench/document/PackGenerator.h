#pragma once

#include "LanguagePack.h"

#include <string>

// Fills a document with `keyCount` keys of realistic texts: German sentences with umlauts
// and €, some with line breaks, comments on every third key, all flag combinations.
// The same count always gives the same pack.
void generatePack(LanguagePack& pack, int keyCount);

// Writes such a pack to `path` with the program's own writer.
void writeGeneratedPack(const std::string& path, int keyCount);
