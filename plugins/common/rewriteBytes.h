#pragma once

#include <string>
#include <string_view>

// A copy of the text in which every byte that `special` picks is replaced by what `emit`
// appends for it. The bytes between two special ones are copied as one run, which keeps the
// long plain stretches of a translation text cheap.
template <typename Special, typename Emit>
std::string rewriteBytes(std::string_view text, Special special, Emit emit)
{
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!special(text[i]))
            continue;
        result.append(text.data() + run, i - run);
        emit(result, text[i]);
        run = i + 1;
    }
    result.append(text.data() + run, text.size() - run);
    return result;
}
