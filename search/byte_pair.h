// Finding where a keyword may start in a text: two of its rarer bytes, at their fixed distances
// from its start, each compared through a mask that lets either letter case pass. On x86 (where
// the compiler targets SSE2) vector compares test 32 positions at a time, 64 with AVX2 when the
// processor has it; elsewhere a portable loop does the same.
#pragma once

#include <cstddef>
#include <string_view>

namespace tanmira {

class BytePair {
  public:
    // One byte of the pair: text[p + offset] | mask == value.
    struct Probe {
        std::size_t offset = 0;
        unsigned char mask = 0;
        unsigned char value = 0;
        bool Matches(char c) const { return (static_cast<unsigned char>(c) | mask) == value; }
    };

    // The two rarest bytes (by a table of byte frequencies in text) among the first `usable`
    // bytes of key, letters in either case; one byte twice when only one is usable.
    static BytePair Rarest(std::string_view key, std::size_t usable);

    // A line-break byte (CR or LF, and with them the other bytes 08-0F) at offset 0.
    static BytePair LineBreak();

    const Probe& First() const { return first_; }
    const Probe& Second() const { return second_; }

    // Bytes a candidate position needs in the text from its start on.
    std::size_t Span() const;

    // The first position p in [from, to) where both probes match, or to when there is none.
    // The text must hold to - 1 + Span() bytes.
    std::size_t Find(const char* text, std::size_t from, std::size_t to) const;

  private:
    BytePair(Probe first, Probe second) : first_(first), second_(second) {}

    Probe first_;
    Probe second_;
};

}  // namespace tanmira
