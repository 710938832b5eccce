// The pair search, and the byte frequencies that pick its two bytes.
#include "search/byte_pair.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "search/text_rules.h"

namespace tanmira {

namespace {

// Bytes of source code and English text from the most common on (letters in lower case; the
// lead bytes 81-83 and E3 that open most Japanese characters in Shift_JIS and UTF-8 too).
// Every byte not listed counts as rarer than all of them.
constexpr std::string_view kByCommonness(
    " e\ntasirnol_cd\tpu(h)mf,*;/=.-x\"bgy0v1w2k\r3#4<>'\x82\x83\xE3\x81"
    "8{}56[]79:+&|!?\\%@~^$`zjq");

// Higher for more common bytes; letters count with both cases.
int Commonness(char c) {
    const std::size_t at = kByCommonness.find(LowerAscii(c));
    return at == std::string_view::npos ? -1 : static_cast<int>(kByCommonness.size() - at);
}

BytePair::Probe ProbeAt(std::string_view key, std::size_t offset) {
    const auto c = static_cast<unsigned char>(key[offset]);
    const unsigned char mask = IsAsciiLetter(key[offset]) ? 0x20 : 0;
    return {offset, mask, static_cast<unsigned char>(c | mask)};
}

#if defined(__SSE2__)
// The vector search: whole steps from p on while they fit before to; gives the first candidate
// (hit), or where the steps ended. AVX2 takes 64 positions a step where the processor has it,
// SSE2 (every x86-64) 32.
struct WideStep {
    std::size_t at;
    bool hit;
};

bool HasAvx2() {
    return __builtin_cpu_supports("avx2");
}

WideStep FindSse2(const char* first, const char* second, std::size_t p, std::size_t to,
                  const BytePair::Probe& a, const BytePair::Probe& b) {
    const __m128i maskA = _mm_set1_epi8(static_cast<char>(a.mask));
    const __m128i valueA = _mm_set1_epi8(static_cast<char>(a.value));
    const __m128i maskB = _mm_set1_epi8(static_cast<char>(b.mask));
    const __m128i valueB = _mm_set1_epi8(static_cast<char>(b.value));
    auto hits = [&](std::size_t at) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + at));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + at));
        return _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(x, maskA), valueA),
                             _mm_cmpeq_epi8(_mm_or_si128(y, maskB), valueB));
    };
    for (; p + 32 <= to; p += 32) {
        const __m128i low = hits(p);
        const __m128i high = hits(p + 16);
        if (_mm_movemask_epi8(_mm_or_si128(low, high)) == 0)
            continue;
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(low)) |
                          static_cast<std::uint32_t>(_mm_movemask_epi8(high)) << 16;
        return {p + static_cast<std::size_t>(std::countr_zero(bits)), true};
    }
    return {p, false};
}

__attribute__((target("avx2"))) WideStep FindAvx2(const char* first, const char* second,
                                                  std::size_t p, std::size_t to,
                                                  const BytePair::Probe& a,
                                                  const BytePair::Probe& b) {
    const __m256i maskA = _mm256_set1_epi8(static_cast<char>(a.mask));
    const __m256i valueA = _mm256_set1_epi8(static_cast<char>(a.value));
    const __m256i maskB = _mm256_set1_epi8(static_cast<char>(b.mask));
    const __m256i valueB = _mm256_set1_epi8(static_cast<char>(b.value));
    auto hits = [&](std::size_t at) __attribute__((target("avx2"))) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + at));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second + at));
        return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(x, maskA), valueA),
                                _mm256_cmpeq_epi8(_mm256_or_si256(y, maskB), valueB));
    };
    for (; p + 64 <= to; p += 64) {
        const __m256i low = hits(p);
        const __m256i high = hits(p + 32);
        if (_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high)))
            continue;
        const auto bits =
            static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) |
            static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high)))
                << 32;
        return {p + static_cast<std::size_t>(std::countr_zero(bits)), true};
    }
    return FindSse2(first, second, p, to, a, b);
}
#endif

}  // namespace

BytePair BytePair::Rarest(std::string_view key, std::size_t usable) {
    std::size_t rarest = 0;
    for (std::size_t i = 1; i < usable; ++i) {
        if (Commonness(key[i]) < Commonness(key[rarest]))
            rarest = i;
    }
    // The second byte differs from the first where the key allows: two 0 bytes of a UTF-16
    // keyword would pass every unit of a UTF-16 text, one 0 byte and a letter far fewer.
    auto worse = [&](std::size_t i, std::size_t than) {
        const bool iSame = key[i] == key[rarest];
        const bool thanSame = key[than] == key[rarest];
        return iSame != thanSame ? iSame : Commonness(key[i]) >= Commonness(key[than]);
    };
    std::size_t next = rarest;
    for (std::size_t i = 0; i < usable; ++i) {
        if (i != rarest && (next == rarest || !worse(i, next)))
            next = i;
    }
    return BytePair(ProbeAt(key, rarest), ProbeAt(key, next));
}

BytePair BytePair::LineBreak() {
    const Probe probe{0, 0x07, 0x0F};
    return BytePair(probe, probe);
}

std::size_t BytePair::Span() const {
    return std::max(first_.offset, second_.offset) + 1;
}

std::size_t BytePair::Find(const char* text, std::size_t from, std::size_t to) const {
    const char* first = text + first_.offset;
    const char* second = text + second_.offset;
    std::size_t p = from;
#if defined(__SSE2__)
    static const bool avx2 = HasAvx2();
    const WideStep step = avx2 ? FindAvx2(first, second, from, to, first_, second_)
                               : FindSse2(first, second, from, to, first_, second_);
    if (step.hit)
        return step.at;
    p = step.at;
#endif
    for (; p < to; ++p) {
        if (first_.Matches(first[p]) && second_.Matches(second[p]))
            return p;
    }
    return to;
}

}  // namespace tanmira
