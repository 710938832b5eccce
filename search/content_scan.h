// The content tests' reading of a file: reports where each keyword occurs in the file's text as a
// loaded string list would hold it (every line break as CR LF, the text ending at the first 0
// byte), both sides case-folded, to a sink that says whether to go on. A keyword in UTF-16 units
// is searched in the whole file instead, as it is, at even offsets, folded by whole units. Reads
// the file in pieces, so that any size works, and searches the raw bytes: neither the line breaks
// nor the letters of the text are rewritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "search/byte_pair.h"
#include "search/keyword_encoding.h"
#include "search/text_rules.h"

namespace tanmira {

// The stretch of raw text that the scan's buffer holds, with what a match at its edges depends on.
struct BufferedText {
    const char* bytes = nullptr;
    std::size_t size = 0;
    bool trail = false;     // whether bytes[0] is a trail byte under the Shift_JIS folding
    bool final = false;     // the text ends with the buffered stretch
    bool oddStart = false;  // bytes[0] lies at an odd offset of the file
};

// A keyword ready to be searched for: folded by its rule.
class ContentPattern {
  public:
    explicit ContentPattern(const PreparedKeyword& keyword);

    // The folded bytes searched for; a pattern that is empty or unrepresentable never occurs, nor
    // a single-byte one that holds a 0 byte.
    const std::string& Folded() const { return folded_; }
    bool CanOccur() const { return canOccur_; }
    bool ShiftJisFolding() const { return leadBytes_ != &NoLeadBytes(); }
    bool HasLineBreak() const { return hasLineBreak_; }
    // The index of the keyword's form in its encoding's table entry.
    std::size_t Form() const { return form_; }
    // The code units of the keyword's form.
    CodeUnit Unit() const { return unit_; }

    // Most raw bytes a match covers, and one more: the buffer keeps this many bytes of the
    // stretch before, so that a match across their border is found.
    std::size_t Reach() const { return folded_.size() + 1; }

    // The first position in [from, to] of text at which a match starts, or npos; to = text.size
    // stands for the CR LF that ends a text without a final line break. A match that would run
    // past the end of a stretch that is not final is left to the next stretch.
    std::size_t FindIn(const BufferedText& text, std::size_t from, std::size_t to) const;

  private:
    enum class Verdict { Match, NoMatch, RanOut };

    // Whether the text from position at (offset `into` within the CR LF that a raw line break
    // stands for) matches; trail tells whether the byte at `at` is a trail byte.
    Verdict MatchAt(const BufferedText& text, std::size_t at, std::size_t into, bool trail) const;

    // FindIn for a long pattern without line breaks and trail bytes: one pass over the stretch,
    // each byte looked at a bounded number of times, however repetitive the pattern and text.
    std::size_t FindInOnePass(const BufferedText& text, std::size_t from, std::size_t to) const;

    // FindIn for a UTF-16 keyword: whole units at even file offsets, no line-break rules.
    std::size_t FindUnitsIn(const BufferedText& text, std::size_t from, std::size_t to) const;

    // FindUnitsIn for a long UTF-16 keyword: one pass over the stretch's units, as FindInOnePass.
    std::size_t FindUnitsInOnePass(const BufferedText& text, std::size_t from,
                                   std::size_t to) const;

    std::string folded_;
    std::size_t form_;
    CodeUnit unit_;
    // For the one-pass searches: the length of the longest proper border of each prefix of
    // folded_, in bytes or in UTF-16 units (empty for other patterns).
    std::vector<std::size_t> borders_;
    const LeadByteTable* leadBytes_;
    bool canOccur_;
    bool hasLineBreak_;
    BytePair anchor_;
};

// For each group of a query, whether it occurs: held inline, so that a file's answer costs no
// allocation (a query has at most ScanQuery::kMostGroups groups).
class GroupFlags {
  public:
    GroupFlags() = default;
    // count groups, none found.
    explicit GroupFlags(std::size_t count) : count_(static_cast<std::uint8_t>(count)) {}
    // One group per flag, in order.
    GroupFlags(std::initializer_list<bool> flags);

    std::size_t size() const { return count_; }
    bool operator[](std::size_t group) const { return (bits_ >> group & 1) != 0; }
    void Set(std::size_t group) { bits_ |= std::uint64_t{1} << group; }

    friend bool operator==(const GroupFlags&, const GroupFlags&) = default;

  private:
    std::uint64_t bits_ = 0;
    std::uint8_t count_ = 0;
};

// What one scan looks for: groups of patterns, a group being found when any of its patterns
// occurs.
class ScanQuery {
  public:
    static constexpr std::size_t kMostGroups = 64;

    // What finding a group does to the scan.
    enum class OnFind { Continue, EndScan };

    // Adds a group; gives its index. A group marked EndScan ends a scan for the groups' first
    // matches once found: the groups still open then count as not found. Throws
    // std::length_error past kMostGroups groups.
    std::size_t AddGroup(std::vector<const ContentPattern*> patterns,
                         OnFind onFind = OnFind::Continue);

    struct Group {
        std::vector<const ContentPattern*> patterns;
        OnFind onFind = OnFind::Continue;
        friend bool operator==(const Group&, const Group&) = default;
    };
    const std::vector<Group>& Groups() const { return groups_; }

    // Whether a file of which found tells, per group, whether it occurs passes the query: no group
    // marked EndScan found and every other group found.
    bool Passes(const GroupFlags& found) const;

    friend bool operator==(const ScanQuery&, const ScanQuery&) = default;

  private:
    std::vector<Group> groups_;
};

// Where a match starts: the query's group, the form of the keyword that matched (its index in
// the encoding's table entry) and the offset in the file of the raw byte that the match's first
// byte stands for (one past the last byte for the CR LF that ends a text without one).
struct ContentMatch {
    std::size_t group = 0;
    std::size_t form = 0;
    std::uint64_t offset = 0;
    friend bool operator==(const ContentMatch&, const ContentMatch&) = default;
};

// Takes the matches of a scan, and says whether to go on.
class MatchSink {
  public:
    enum class Next {
        More,       // go on looking for every match
        GroupDone,  // no more matches of this group are wanted
        Stop,       // end the scan
    };
    virtual ~MatchSink() = default;

    // Each pattern's matches come in increasing offset, each once.
    virtual Next Take(const ContentMatch& /*match*/) { return Next::More; }
};

// The first-match answers of a scan: for each group of the query, whether it occurs. A group
// marked EndScan ends the scan once found.
class GroupsFound : public MatchSink {
  public:
    explicit GroupsFound(const ScanQuery& query);
    Next Take(const ContentMatch& match) override;
    const GroupFlags& Found() const { return found_; }

  private:
    const ScanQuery& query_;
    GroupFlags found_;
};

// How a scan ended.
enum class ScanEnd {
    Done,        // read to the end of the text, or the sink wants nothing more
    Stopped,     // a stop was requested: the matches reported are incomplete
    Unreadable,  // the file could not be opened or read
};

// A source of bytes read in pieces, as a file is read.
class ByteReader {
  public:
    virtual ~ByteReader() = default;

    // The size the source reports: only a hint for the buffer, it may hold more or fewer bytes.
    virtual std::uint64_t SizeHint() const = 0;

    // Reads up to count bytes; gives the number read, 0 at the end, nothing after a read error.
    // May give fewer bytes than asked before the end.
    virtual std::optional<std::size_t> Read(char* buffer, std::size_t count) = 0;

    // Whether the bytes read so far are known to be the whole text, so that no read is needed to
    // learn that it ends.
    virtual bool Ended() const { return false; }
};

// A file as a byte reader. The text ends at the size the file had when it was opened: once that
// many bytes are read no read is made for the end. A file that reports no size (kernel pseudo
// files), or a read that comes short, is read on until a read gives 0.
class FileReader : public ByteReader {
  public:
    explicit FileReader(platform::InputFile& file);
    std::uint64_t SizeHint() const override;
    std::optional<std::size_t> Read(char* buffer, std::size_t count) override;
    bool Ended() const override { return sized_ && left_ == 0; }

  private:
    platform::InputFile& file_;
    std::uint64_t left_;             // bytes still to read up to the size
    bool sized_ = file_.Size() > 0;  // whether the text ends at the size
};

// Reports the matches of query's groups in a text held whole in memory to sink, searching it
// where it lies: the same matches as a scan of the text read from a file.
ScanEnd ScanText(std::string_view text, const ScanQuery& query, MatchSink& sink);

// Where a scan keeps which groups it still searches for and where each pattern's next match may
// start: kept by a scanner from file to file, so that a scan allocates nothing.
struct GroupSearchState {
    std::vector<bool> open;                 // per group
    std::vector<std::size_t> firstPattern;  // per group, its first pattern's place below
    std::vector<std::uint64_t> reportFrom;  // per pattern
};

// Reads files for the content tests, reusing its buffer and state from file to file.
class ContentScanner {
  public:
    // Most bytes read from a file at a time; a smaller file is read into a buffer of its size.
    static constexpr std::size_t kPieceSize = 256 * 1024;

    explicit ContentScanner(std::size_t pieceSize = kPieceSize) : pieceSize_(pieceSize) {}

    // Reports the matches of query's groups in the file's text to sink. Reads to the end of the
    // text (until a read gives 0 bytes, or a 0 byte when no keyword is in UTF-16 units), but
    // stops once the sink wants no more matches, or when stop is requested.
    ScanEnd Scan(const std::string& path, const ScanQuery& query, MatchSink& sink,
                 std::stop_token stop = {});

    // The same for a file opened already, and for the bytes of reader.
    ScanEnd Scan(platform::InputFile& file, const ScanQuery& query, MatchSink& sink,
                 std::stop_token stop = {});
    ScanEnd Scan(ByteReader& reader, const ScanQuery& query, MatchSink& sink,
                 std::stop_token stop = {});

    // The first-match answers (GroupsFound) for the file at path; nothing when it cannot be opened
    // or a read fails. After a stop the answer is incomplete.
    std::optional<GroupFlags> Scan(const std::string& path, const ScanQuery& query,
                                   std::stop_token stop = {});

    // The same for a file opened already, and for the bytes of reader.
    std::optional<GroupFlags> Scan(platform::InputFile& file, const ScanQuery& query,
                                   std::stop_token stop = {});
    std::optional<GroupFlags> Scan(ByteReader& reader, const ScanQuery& query,
                                   std::stop_token stop = {});

    // For each pattern, whether it occurs in the file's text (each pattern a group of its own).
    std::optional<GroupFlags> Scan(const std::string& path,
                                   const std::vector<const ContentPattern*>& patterns);

    // The whole text of the last scan, when its first read gave all of it (as for a file of up to
    // a piece): the scanner's buffer, valid until its next scan. Nothing otherwise.
    std::optional<std::string_view> WholeText() const;

  private:
    std::size_t pieceSize_;
    // Made for a whole piece at once and never filled: the pages a file does not reach are never
    // touched, and a run of ever larger files does not make, fill and copy a fresh buffer for each.
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::optional<std::size_t> wholeText_;  // the bytes of a text read whole in one piece
    GroupSearchState state_;
};

}  // namespace tanmira
