// The content tests' reading of a file: gives, for each keyword, whether it occurs in the file's
// text as a loaded string list would hold it (every line break as CR LF, the text ending at the
// first 0 byte), both sides case-folded. Reads the file in pieces, so that any size works.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/keyword_encoding.h"

namespace tanmira {

// A keyword ready to be searched for: folded by its rule.
class ContentPattern {
  public:
    explicit ContentPattern(const PreparedKeyword& keyword);

    // The folded bytes searched for; a pattern that is empty or unrepresentable never occurs.
    const std::string& Folded() const { return folded_; }
    bool CanOccur() const { return canOccur_; }
    bool ShiftJisFolding() const { return shiftJisFolding_; }
    bool HasLineBreak() const { return hasLineBreak_; }

    // Whether the folded pattern occurs in text (already folded by the pattern's rule).
    bool OccursIn(std::string_view text) const;

  private:
    std::string folded_;
    bool canOccur_;
    bool shiftJisFolding_;
    bool hasLineBreak_;
};

// A source of bytes read in pieces, as a file is read.
class ByteReader {
  public:
    virtual ~ByteReader() = default;

    // The size the source reports: only a hint for the buffer, it may hold more or fewer bytes.
    virtual std::uint64_t SizeHint() const = 0;

    // Reads up to count bytes; gives the number read, 0 at the end. May give fewer bytes than
    // asked before the end.
    virtual std::size_t Read(char* buffer, std::size_t count) = 0;
};

// Reads files for the content tests, reusing its buffers from file to file.
class ContentScanner {
  public:
    // Most bytes read from a file at a time; a smaller file is read into a buffer of its size.
    static constexpr std::size_t kPieceSize = 1 << 20;

    explicit ContentScanner(std::size_t pieceSize = kPieceSize) : pieceSize_(pieceSize) {}

    // Whether the file at path can be opened for reading.
    static bool CanOpen(const std::string& path);

    // For each pattern, whether it occurs in the file's text; nothing when the file cannot be
    // opened. Reads to the end of the text (until a read gives 0 bytes, or a 0 byte), but stops
    // once every pattern has been found.
    std::optional<std::vector<bool>> Scan(const std::string& path,
                                          const std::vector<const ContentPattern*>& patterns);

    // The same for the bytes of reader.
    std::vector<bool> Scan(ByteReader& reader, const std::vector<const ContentPattern*>& patterns);

  private:
    std::size_t pieceSize_;
    std::string raw_;
    std::string normalized_;
    std::array<std::string, 2> folded_;  // ASCII folding, Shift_JIS folding
};

}  // namespace tanmira
