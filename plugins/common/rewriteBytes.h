#pragma once

#include <string>
#include <string_view>

// Appends the text to `out` with every byte that `special` picks replaced by what `emit`
// appends for it. The bytes between two special ones are copied as one run, which keeps the
// long plain stretches of a translation text cheap.
template <typename Special, typename Emit>
void appendRewritten(std::string& out, std::string_view text, Special special, Emit emit)
{
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!special(text[i]))
            continue;
        out.append(text.data() + run, i - run);
        emit(out, text[i]);
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

// The same as a copy of its own.
template <typename Special, typename Emit>
std::string rewriteBytes(std::string_view text, Special special, Emit emit)
{
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    appendRewritten(result, text, special, emit);
    return result;
}
