#pragma once

#include <string>
#include <string_view>

class KeyList;

// The two checks of the key names on the page "Checks", run by the window and by korvel-cli.
// Each returns true when the check is passed and sets `list` to the offending names in the
// order they were found, separated by ", " (empty when passed). Names stay in Windows-1252.

// Neighbours in the sorted key list that are equal byte for byte: a name that stands n times
// in a row is listed n - 1 times; names that differ only in case pass.
bool findDuplicateKeys(const KeyList& keys, std::string& list);

// Names holding a double quote, an apostrophe or a character outside 7-bit ASCII, each
// listed once. Blanks, control characters and the empty name pass.
bool findInvalidKeys(const KeyList& keys, std::string& list);

// A check's result as the user reads it (UTF-8): "Doppel-Check bestanden", or
// "Doppel-Check nicht bestanden: " followed by the list; the same for "Syntax-Check".
std::string doppelCheckReport(bool passed, const std::string& list);
std::string syntaxCheckReport(bool passed, const std::string& list);

// A table entry's name ends at its first "=", so a key named with one could never be found
// again and would take over the entries of the key named by the part before it. Reading,
// adding and renaming refuse such a name with this message.
inline constexpr const char* equalsSignInKeyName = "Ein Schlüssel darf kein \"=\" enthalten.";
inline bool holdsEqualsSign(std::string_view name)
{
    return name.find('=') != std::string_view::npos;
}
