#include "Placeholders.h"

#include "Windows1252.h"

#include <algorithm>

namespace Placeholders {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    // ß, µ, ƒ, ª and º have no other case; every other letter of the code page has one.
    return Windows1252::toUpper(c) != c || Windows1252::toLower(c) != c || byte == 0xDF || byte == 0xB5 ||
           byte == 0x83 || byte == 0xAA || byte == 0xBA;
}

bool isNameCharacter(char c)
{
    return isDigit(c) || c == '_' || isLetter(c);
}

bool isConversion(char c)
{
    return std::string_view("bcdeEfFgGosuxX").find(c) != std::string_view::npos;
}

std::size_t skipDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// The end of the conversion whose "%" stands at `start`, or `start` when there is none.
std::size_t conversionEnd(std::string_view text, std::size_t start)
{
    std::size_t at = start + 1;
    // Digits followed by "$" number the argument; without the "$" they are the width.
    const std::size_t digits = skipDigits(text, at);
    if (digits > at && digits < text.size() && text[digits] == '$')
        at = digits + 1;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '-' || c == '+' || c == ' ' || c == '0')
            ++at;
        else if (c == '\'' && at + 1 < text.size())
            at += 2;
        else
            break;
    }
    at = skipDigits(text, at);
    if (at < text.size() && text[at] == '.')
        at = skipDigits(text, at + 1);
    return at < text.size() && isConversion(text[at]) ? at + 1 : start;
}

std::size_t nameEnd(std::string_view text, std::size_t start)
{
    std::size_t at = start + 1;
    while (at < text.size() && isNameCharacter(text[at]))
        ++at;
    return at > start + 1 && at < text.size() && text[at] == '}' ? at + 1 : start;
}

} // namespace

void find(std::string_view text, std::vector<std::string_view>& found)
{
    found.clear();
    for (std::size_t at = text.find_first_of("%{"); at != std::string_view::npos;
         at = text.find_first_of("%{", at)) {
        if (text[at] == '%' && at + 1 < text.size() && text[at + 1] == '%') {
            at += 2;
            continue;
        }
        const std::size_t end = text[at] == '%' ? conversionEnd(text, at) : nameEnd(text, at);
        if (end == at) {
            ++at;
            continue;
        }
        found.push_back(text.substr(at, end - at));
        at = end;
    }
}

std::vector<std::string> sorted(std::string_view text)
{
    std::vector<std::string_view> found;
    find(text, found);
    std::sort(found.begin(), found.end());
    return {found.begin(), found.end()};
}

bool same(std::string_view a, std::string_view b)
{
    // Most texts hold neither sign; comparing those costs nothing.
    const bool aHolds = a.find_first_of("%{") != std::string_view::npos;
    const bool bHolds = b.find_first_of("%{") != std::string_view::npos;
    if (!aHolds && !bHolds)
        return true;
    thread_local std::vector<std::string_view> left, right;
    find(a, left);
    find(b, right);
    if (left.size() != right.size())
        return false;
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    return left == right;
}

} // namespace Placeholders
