#include "LineBreaks.h"

namespace LineBreaks {

std::string normalize(std::string_view text, std::string_view lineBreak)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t length = at(text, i);
        if (length == 0)
            continue;
        out.append(text.data() + run, i - run);
        out += lineBreak;
        i += length - 1;
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
    return out;
}

} // namespace LineBreaks
