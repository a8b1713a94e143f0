#pragma once

#include "KeyList.h"

#include <string_view>

class THashedStringList;

// The search of the page "Suchen": the names of the entries of `values` (key to translation
// text) whose text contains `searchText` at any position, letters compared without regard to
// case by Windows-1252's rules (Ä finds ä, Š finds š, Ÿ finds ÿ). One name per matching
// entry, sorted like the key list. An empty search text finds nothing.
KeyList searchTexts(const THashedStringList& values, std::string_view searchText);
