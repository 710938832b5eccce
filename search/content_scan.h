// The content tests' reading of a file: gives, for each keyword, whether it occurs in the file's
// text as a loaded string list would hold it (every line break as CR LF, the text ending at the
// first 0 byte), both sides case-folded. Reads the file in pieces, so that any size works, and
// searches the raw bytes: neither the line breaks nor the letters of the text are rewritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "search/byte_pair.h"
#include "search/keyword_encoding.h"
#include "search/text_rules.h"

namespace tanmira {

// A stretch of raw text being searched, with what a match at its edges depends on.
struct TextWindow {
    const char* bytes = nullptr;
    std::size_t size = 0;
    char before = '\0';  // the byte before the window, '\0' at the start of the text
    bool trail = false;  // whether bytes[0] is a trail byte under the Shift_JIS folding
    bool final = false;  // the text ends with the window
};

// A keyword ready to be searched for: folded by its rule.
class ContentPattern {
  public:
    explicit ContentPattern(const PreparedKeyword& keyword);

    // The folded bytes searched for; a pattern that is empty, unrepresentable or holds a 0 byte
    // never occurs.
    const std::string& Folded() const { return folded_; }
    bool CanOccur() const { return canOccur_; }
    bool ShiftJisFolding() const { return leadBytes_ != &NoLeadBytes(); }
    bool HasLineBreak() const { return hasLineBreak_; }

    // Most raw bytes a match covers, and one more: a window keeps this many bytes of the one
    // before it, so that a match across their border is found.
    std::size_t Reach() const { return folded_.size() + 1; }

    // Whether a match starts at a position in [from, to) of the window. A match that would run
    // past the end of a window that is not final is left to the next window.
    bool OccursIn(const TextWindow& window, std::size_t from, std::size_t to) const;

  private:
    enum class Verdict { Match, NoMatch, RanOut };

    // Whether the text from position at (offset `into` within the CR LF that a raw line break
    // stands for) matches; trail tells whether the byte at `at` is a trail byte.
    Verdict MatchAt(const TextWindow& window, std::size_t at, std::size_t into, bool trail) const;

    // OccursIn for a long pattern without line breaks and trail bytes: one pass over the window,
    // each byte looked at a bounded number of times, however repetitive the pattern and text.
    bool OccursInOnePass(const TextWindow& window, std::size_t from, std::size_t to) const;

    std::string folded_;
    // For OccursInOnePass: the length of the longest proper border of each prefix of folded_
    // (empty for other patterns).
    std::vector<std::size_t> borders_;
    const LeadByteTable* leadBytes_;
    bool canOccur_;
    bool hasLineBreak_;
    BytePair anchor_;
};

// What one scan looks for: groups of patterns, a group being found when any of its patterns
// occurs.
class ScanQuery {
  public:
    // What finding a group does to the scan.
    enum class OnFind { Continue, EndScan };

    // Adds a group; gives its index. A group marked EndScan ends the scan once found: the groups
    // still open then count as not found.
    std::size_t AddGroup(std::vector<const ContentPattern*> patterns,
                         OnFind onFind = OnFind::Continue);

    struct Group {
        std::vector<const ContentPattern*> patterns;
        OnFind onFind = OnFind::Continue;
        friend bool operator==(const Group&, const Group&) = default;
    };
    const std::vector<Group>& Groups() const { return groups_; }

    friend bool operator==(const ScanQuery&, const ScanQuery&) = default;

  private:
    std::vector<Group> groups_;
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

// Reads files for the content tests, reusing its buffer from file to file.
class ContentScanner {
  public:
    // Most bytes read from a file at a time; a smaller file is read into a buffer of its size.
    static constexpr std::size_t kPieceSize = 256 * 1024;

    explicit ContentScanner(std::size_t pieceSize = kPieceSize) : pieceSize_(pieceSize) {}

    // Whether the file at path can be opened for reading.
    static bool CanOpen(const std::string& path);

    // For each group of query, whether it occurs in the file's text; nothing when the file
    // cannot be opened. Reads to the end of the text (until a read gives 0 bytes, or a 0 byte),
    // but stops once the outcome is settled, or when stop is requested (the answer is then
    // incomplete).
    std::optional<std::vector<bool>> Scan(const std::string& path, const ScanQuery& query,
                                          std::stop_token stop = {});

    // The same for a file opened already.
    std::vector<bool> Scan(platform::InputFile& file, const ScanQuery& query,
                           std::stop_token stop = {});

    // The same for the bytes of reader.
    std::vector<bool> Scan(ByteReader& reader, const ScanQuery& query, std::stop_token stop = {});

    // For each pattern, whether it occurs in the file's text (each pattern a group of its own).
    std::optional<std::vector<bool>> Scan(const std::string& path,
                                          const std::vector<const ContentPattern*>& patterns);

  private:
    std::size_t pieceSize_;
    std::string buffer_;
};

}  // namespace tanmira
