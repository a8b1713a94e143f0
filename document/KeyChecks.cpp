#include "KeyChecks.h"

#include "KeyList.h"
#include "Windows1252.h"

#include <algorithm>

namespace {

void appendName(std::string& list, const std::string& name)
{
    if (!list.empty())
        list += ", ";
    list += name;
}

bool invalidChar(char c)
{
    return c == '"' || c == '\'' || static_cast<unsigned char>(c) > 127;
}

std::string report(const char* check, bool passed, const std::string& list)
{
    const std::string name(check);
    return passed ? name + " bestanden" : name + " nicht bestanden: " + Windows1252::toUtf8(list);
}

} // namespace

bool findDuplicateKeys(const KeyList& keys, std::string& list)
{
    list.clear();
    bool passed = true;
    // Only neighbours are compared: the list is sorted, so equal names stand together.
    for (int i = 1; i < keys.count(); ++i) {
        if (keys.at(i) == keys.at(i - 1)) {
            passed = false;
            appendName(list, keys.at(i));
        }
    }
    return passed;
}

bool findInvalidKeys(const KeyList& keys, std::string& list)
{
    list.clear();
    bool passed = true;
    for (const std::string& name : keys.items()) {
        if (std::any_of(name.begin(), name.end(), invalidChar)) {
            passed = false;
            appendName(list, name);
        }
    }
    return passed;
}

std::string doppelCheckReport(bool passed, const std::string& list)
{
    return report("Doppel-Check", passed, list);
}

std::string syntaxCheckReport(bool passed, const std::string& list)
{
    return report("Syntax-Check", passed, list);
}
