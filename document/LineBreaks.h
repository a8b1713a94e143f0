#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What counts as a line break in a text, and how texts get one kind of line break. In memory a
// pack's texts break lines with CR LF; a file may bring CR LF, a lone CR or a lone LF, a memo
// shows "\n", and an export with UNIX line ends wants LF.
namespace LineBreaks {

inline constexpr std::string_view crLf = "\r\n";
inline constexpr std::string_view lf = "\n";

// The length of the line break that starts at `pos`: 2 for CR LF, 1 for a lone CR or LF,
// 0 where there is none.
inline std::size_t at(std::string_view text, std::size_t pos)
{
    const char c = text[pos];
    if (c == '\n')
        return 1;
    if (c != '\r')
        return 0;
    return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
}

// Every line break of the text (CR LF, a lone CR, a lone LF) replaced by `lineBreak`.
std::string normalize(std::string_view text, std::string_view lineBreak);

} // namespace LineBreaks
