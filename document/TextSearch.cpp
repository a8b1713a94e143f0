#include "TextSearch.h"

#include "THashedStringList.h"
#include "Windows1252.h"

#include <bit>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The bytes a search text's first letter stands for in a text: those whose lower case it is
// (a, A; ä, Ä). A text is scanned for them sixteen bytes at a time where the processor allows.
class FirstLetter
{
public:
    explicit FirstLetter(char letter) : lower(letter)
    {
        int forms = 0;
        for (int b = 0; b < 256; ++b)
            if (Windows1252::toLower(static_cast<char>(b)) == letter && forms++ < 2)
                bytes[forms - 1] = static_cast<char>(b);
        // A letter of more than two forms has all bytes tried one by one.
        count = forms <= 2 ? forms : 0;
    }

    // The first place from `from` on where the text may hold the search text, or `last` + 1.
    std::size_t next(std::string_view text, std::size_t from, std::size_t last) const
    {
        if (count == 0) {
            while (from <= last && Windows1252::toLower(text[from]) != lower)
                ++from;
            return from;
        }
#if defined(__SSE2__)
        const __m128i a = _mm_set1_epi8(bytes[0]);
        const __m128i b = _mm_set1_epi8(bytes[count - 1]);
        for (; from + 16 <= last + 1; from += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
            const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)));
            if (mask != 0)
                return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
        }
#endif
        while (from <= last && text[from] != bytes[0] && text[from] != bytes[count - 1])
            ++from;
        return from;
    }

private:
    char lower;
    char bytes[2] = {};
    int count = 0;
};

// Whether the text holds `lowerNeedle` (lower-cased, not empty), letters in any case.
bool containsFolded(std::string_view text, std::string_view lowerNeedle, const FirstLetter& first)
{
    if (lowerNeedle.size() > text.size())
        return false;
    const std::size_t last = text.size() - lowerNeedle.size();
    for (std::size_t i = first.next(text, 0, last); i <= last; i = first.next(text, i + 1, last)) {
        std::size_t k = 1;
        while (k < lowerNeedle.size() && Windows1252::toLower(text[i + k]) == lowerNeedle[k])
            ++k;
        if (k == lowerNeedle.size())
            return true;
    }
    return false;
}

} // namespace

KeyList searchTexts(const THashedStringList& values, std::string_view searchText)
{
    KeyList results;
    if (searchText.empty())
        return results;
    const std::string needle = Windows1252::lowerCase(searchText);
    const FirstLetter first(needle.front());
    for (int i = 0; i < values.count(); ++i) {
        if (containsFolded(values.valueViewAt(i), needle, first))
            results.appendUnsorted(std::string(values.nameViewAt(i)));
    }
    results.sort();
    return results;
}
