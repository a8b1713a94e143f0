#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <bit>
#include <emmintrin.h>
#endif

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

// The position of the first of `Bytes` in the text from `from` on, or the text's size;
// sixteen bytes at a time where the processor allows.
template <char... Bytes> std::size_t findAnyOf(std::string_view text, std::size_t from)
{
#if defined(__SSE2__)
    for (; from + 16 <= text.size(); from += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        __m128i hit = _mm_setzero_si128();
        ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(Bytes)))), ...);
        if (const int mask = _mm_movemask_epi8(hit); mask != 0)
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    }
#endif
    for (; from < text.size(); ++from)
        if (((text[from] == Bytes) || ...))
            return from;
    return text.size();
}

// appendRewritten for the bytes `Bytes`, found by findAnyOf.
template <char... Bytes, typename Emit>
void appendRewrittenAnyOf(std::string& out, std::string_view text, Emit emit)
{
    std::size_t run = 0;
    for (std::size_t i = findAnyOf<Bytes...>(text, 0); i < text.size();
         i = findAnyOf<Bytes...>(text, i + 1)) {
        out.append(text.data() + run, i - run);
        emit(out, text[i]);
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}
