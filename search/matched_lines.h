// Where a content keyword is in a file: the file read again, its text split by the search's one
// line rule, and the lines that hold any form of the keyword, each decoded for display from the
// encoding of the form found in it. The bytes of the file are never changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "search/content_scan.h"
#include "search/encodings.h"
#include "search/keyword_encoding.h"

namespace tanmira {

// Most lines listed for one file; the rest are only counted.
inline constexpr std::size_t kMaxListedLines = 2000;
// Most hits kept on one line: more could not be shown in a clipped line anyway.
inline constexpr std::size_t kMaxHitsPerLine = 1000;

// A keyword occurrence in a line: its first byte and its length, in the line's bytes.
struct LineHit {
    std::size_t at = 0;
    std::size_t length = 0;
    friend bool operator==(const LineHit&, const LineHit&) = default;
};

// One line of a file's text.
struct TextLine {
    std::uint64_t number = 0;                                // 1-based
    std::uint64_t offset = 0;                                // of its first byte in the file
    std::string bytes;                                       // without its line break
    platform::CodePage codePage = platform::CodePage::Utf8;  // decoded from
    std::vector<LineHit> hits;                               // increasing, at most per line limit
};

// The lines of a file in which a keyword occurs.
struct MatchedLines {
    ScanEnd end = ScanEnd::Done;  // Unreadable: the file could not be read; nothing listed
    std::vector<TextLine> lines;  // in file order, at most the limit
    std::uint64_t more = 0;       // matching lines past the limit
};

// The matching lines of text (a file's bytes) for the forms of a content keyword of encoding: a
// line matches when a match of any form starts in it, as the content test finds them. Each line is
// decoded from the code page of the form of its first hit. The lines are those of the units of
// the earliest match in the file: of the text up to its first 0 byte for a single-byte form, of
// the whole text in UTF-16 units (a leading byte-order mark dropped) for a UTF-16 form; matches of
// forms in other units are not listed.
// A text of up to pieceSize bytes is searched where it lies; a longer one is read in pieces of
// pieceSize bytes, as a file is, and a matching line that starts over a piece before the earliest
// match the scan may still report is read again for its bytes, as in a file.
MatchedLines FindMatchedLines(std::string_view text, const KeywordForms& forms,
                              KeywordEncoding encoding, std::size_t maxLines = kMaxListedLines,
                              std::size_t pieceSize = ContentScanner::kPieceSize);

// The same for the file at path, read again now, in pieces, never held whole: only a matching
// line too long to be held while the scan goes on is read a second time.
MatchedLines ReadMatchedLines(const std::string& path, const KeywordForms& forms,
                              KeywordEncoding encoding, std::size_t maxLines = kMaxListedLines);

// The matching lines of the files a run's scan finds, taken as it finds them: from the text the
// scan has just read when it read the whole of it at once, else by reading the file again.
class LineCapture {
  public:
    LineCapture(KeywordForms forms, KeywordEncoding encoding, std::size_t maxLines)
        : forms_(std::move(forms)), encoding_(encoding), maxLines_(maxLines) {}

    // The matching lines of the file at path, which scanned has just scanned. May be called from
    // several threads at once.
    MatchedLines Capture(const std::string& path, const ContentScanner& scanned) const;

  private:
    KeywordForms forms_;
    KeywordEncoding encoding_;
    std::size_t maxLines_;
};

// The first count lines of the file at path, for a view without a keyword: decoded in the
// encoding's code page; under an encoding of several forms, in the first of UTF-8, Shift_JIS and
// EUC-JP in which those lines decode without error (UTF-8 when none does). In UTF-16 units when
// the encoding searches only UTF-16, or the UTF-16 form whose byte-order mark opens the file.
// Nothing when the file cannot be read.
std::optional<std::vector<TextLine>> LeadingLines(const std::string& path, KeywordEncoding encoding,
                                                  std::size_t count = 200);

// A line decoded to UTF-8 for display.
struct DecodedLine {
    std::string text;           // UTF-8; bytes that do not decode are U+FFFD
    std::vector<LineHit> hits;  // in text's bytes, overlapping hits merged
    // 1-based character position of the first hit in text (clipped or not); 0 without a hit.
    std::size_t firstHitColumn = 0;
};

// Decodes line. With maxChars, a longer line is clipped to about that many characters around
// its first hit, "…" marking each cut end.
DecodedLine DecodeLine(const TextLine& line, std::size_t maxChars = 0);

// Characters (code points) in UTF-8 text.
std::size_t CharCount(std::string_view utf8);

}  // namespace tanmira
