// Capture of the matching lines as the content scan reads the file: a reader between the file and
// the scan counts the lines under each unit's line rule and copies out the lines asked for, and a
// recorder maps each match to its line, keeping the hits of the first lines only. Memory stays
// bounded by a piece or two of the text and the lines kept; a kept line that starts too far back
// for the reader to still hold its first bytes is read again. Decoding goes hit by hit, so that
// each hit's place in the decoded text is known.
#include "search/matched_lines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <map>
#include <memory>

#include "search/text_rules.h"

namespace tanmira {

namespace {

constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

// A text already in memory as a byte reader.
class TextReader : public ByteReader {
  public:
    explicit TextReader(std::string_view text) : text_(text) {}
    std::uint64_t SizeHint() const override { return text_.size(); }
    std::optional<std::size_t> Read(char* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, text_.size() - at_);
        std::copy_n(text_.data() + at_, n, buffer);
        at_ += n;
        return n;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool UnitIs(std::string_view text, std::size_t at, CodeUnit unit, char16_t value) {
    return at + UnitSize(unit) <= text.size() && UnitAt(text.data() + at, unit) == value;
}

// Whether text opens with the byte-order mark of a UTF-16 unit.
bool OpensWithMark(std::string_view text, CodeUnit unit) {
    return unit != CodeUnit::Byte && UnitIs(text, 0, unit, 0xFEFF);
}

std::size_t IndexOf(CodeUnit unit) {
    return static_cast<std::size_t>(unit);
}

// Reads a text through another reader, following its lines under the line rule of each unit
// wanted, as SplitLines cuts them: the single-byte lines of the text up to its first 0 byte, the
// UTF-16 lines of the whole text. Lines are counted, not listed: only the starts of the lines in
// which a coming match can start are held, and of the bytes only those such a line may need and
// those of a line asked for whose end is not read yet. The lines asked for are copied out as
// their ends are read; one that starts more than holdBack bytes before the earliest coming match
// is left to be read again. A line break is looked at once the bytes that settle it are read (a
// CR, whether an LF follows), or when a match at a later offset asks for it. A text held in
// memory whole is looked at where it lies, and not read.
class LineReader : public ByteReader {
  public:
    // A line asked for: where it starts and ends (its line break included).
    struct HeldLine {
        std::uint64_t start = 0;
        std::uint64_t end = kNone;  // until its end is read
        std::string bytes;
        bool again = false;  // its first bytes were gone: to be read again
    };

    // For a text read from source by a scan that reports every match after the read that brings
    // its last byte and before the one after, each at most lookback bytes before the bytes read
    // until then.
    LineReader(ByteReader& source, const std::array<bool, 3>& wanted, std::uint64_t lookback,
               std::uint64_t holdBack)
        : source_(&source), wanted_(wanted), lookback_(lookback), holdBack_(holdBack) {}

    // For a text held whole, which must outlive the reader.
    LineReader(std::string_view text, const std::array<bool, 3>& wanted)
        : wanted_(wanted),
          text_(text),
          end_(text.size()),
          byteEnd_(std::min<std::uint64_t>(text.find('\0'), text.size())),
          head_(text.substr(0, 2)) {}

    std::uint64_t SizeHint() const override { return source_->SizeHint(); }
    bool Ended() const override { return source_->Ended(); }

    std::optional<std::size_t> Read(char* buffer, std::size_t count) override {
        // Every match reported from this read on starts here or after.
        const std::uint64_t floor = end_ - std::min(end_, lookback_);
        const std::optional<std::size_t> n = source_->Read(buffer, count);
        if (!n)
            return n;
        // Held at most, but for a long line kept: a piece read, the bytes a coming match may need
        // from before it, and the next piece.
        if (end_ == 0)
            tail_.reserve(static_cast<std::size_t>(holdBack_ + lookback_) + 2 * count);
        if (head_.size() < 2)
            head_.append(buffer, std::min(*n, 2 - head_.size()));
        const auto* zero = static_cast<const char*>(std::memchr(buffer, 0, *n));
        if (byteEnd_ == kNone && zero != nullptr)
            byteEnd_ = end_ + static_cast<std::uint64_t>(zero - buffer);
        tail_.append(buffer, *n);
        text_ = tail_;
        end_ += *n;
        // A CR unit and the unit after it span at most 4 bytes.
        const std::uint64_t settled = *n == 0 ? end_ : end_ - std::min<std::uint64_t>(end_, 3);
        std::uint64_t keepFrom = end_;
        for (const CodeUnit unit : {CodeUnit::Byte, CodeUnit::Utf16Le, CodeUnit::Utf16Be}) {
            if (!wanted_[IndexOf(unit)])
                continue;
            LookTo(unit, settled);
            Lines& lines = lines_[IndexOf(unit)];
            // The starts before that of the line the floor is in are needed no more.
            const auto past = std::upper_bound(lines.starts.begin(), lines.starts.end(), floor);
            const auto gone = std::max<std::ptrdiff_t>(past - lines.starts.begin() - 1, 0);
            lines.starts.erase(lines.starts.begin(), lines.starts.begin() + gone);
            lines.first += static_cast<std::uint64_t>(gone);
            // The byte before the first one not looked at, for UTF-16BE.
            keepFrom =
                std::min({keepFrom, lines.looked - std::min<std::uint64_t>(lines.looked, 1),
                          std::max(lines.starts.front(), floor - std::min(floor, holdBack_))});
            if (lines.waiting != kNone && !lines.held.at(lines.waiting).again)
                keepFrom = std::min(keepFrom, lines.held.at(lines.waiting).start);
        }
        tail_.erase(0, static_cast<std::size_t>(keepFrom - tailStart_));
        text_ = tail_;
        tailStart_ = keepFrom;
        return n;
    }

    // The 0-based line under unit that offset is in; offset must not lie before the floor of the
    // last read.
    std::uint64_t LineAt(CodeUnit unit, std::uint64_t offset) {
        LookTo(unit, offset);
        // Matches come mostly in order, on the last lines noted: look back from the end in
        // growing steps, then search the last step.
        const Lines& lines = lines_[IndexOf(unit)];
        const std::vector<std::uint64_t>& starts = lines.starts;
        auto high = starts.end();
        std::ptrdiff_t step = 1;
        for (; high - starts.begin() > step && *(high - step) > offset; step *= 2)
            high -= step;
        const auto low = high - std::min(step, high - starts.begin());
        return lines.first +
               static_cast<std::uint64_t>(std::upper_bound(low, high, offset) - starts.begin() - 1);
    }

    // Asks for the bytes of line under unit, which LineAt has given.
    void Hold(CodeUnit unit, std::uint64_t line) {
        Lines& lines = lines_[IndexOf(unit)];
        HeldLine& held = lines.held[line];
        held.start = lines.starts[static_cast<std::size_t>(line - lines.first)];
        held.again = held.start < tailStart_;
        const std::uint64_t next = line + 1 - lines.first;
        if (next < lines.starts.size())
            Close(held, lines.starts[static_cast<std::size_t>(next)]);
        else
            lines.waiting = line;
    }

    // No longer asks for line under unit.
    void Release(CodeUnit unit, std::uint64_t line) {
        Lines& lines = lines_[IndexOf(unit)];
        lines.held.erase(line);
        if (lines.waiting == line)
            lines.waiting = kNone;
    }

    // Once the scan is over: the ends of the lines under the units wanted, read or at the end of
    // the text. The scan ends at the first 0 byte when only the single-byte lines matter: their
    // last breaks are settled by the bytes read.
    void Finish() {
        for (const CodeUnit unit : {CodeUnit::Byte, CodeUnit::Utf16Le, CodeUnit::Utf16Be}) {
            if (!wanted_[IndexOf(unit)])
                continue;
            LookTo(unit, TextEnd(unit));
            CopyWhenEnded(unit, true);
        }
    }

    // The lines asked for under unit and not released, by line.
    std::map<std::uint64_t, HeldLine>& Held(CodeUnit unit) { return lines_[IndexOf(unit)].held; }

    // The text's first two bytes (fewer in a shorter text).
    const std::string& Head() const { return head_; }

  private:
    // The lines under one unit.
    struct Lines {
        std::vector<std::uint64_t> starts{0};  // from that of line first on, up to looked
        std::uint64_t first = 0;
        std::uint64_t looked = 0;  // the breaks before it are noted
        std::map<std::uint64_t, HeldLine> held;
        std::uint64_t waiting = kNone;  // the held line whose end is not known yet
    };

    // Notes the line starts under unit up to offset, which the bytes read so far settle, and ends
    // the held line that waits for them.
    void LookTo(CodeUnit unit, std::uint64_t offset) {
        Lines& lines = lines_[IndexOf(unit)];
        if (offset <= lines.looked)
            return;
        std::vector<std::uint64_t>& starts = lines.starts;
        const std::size_t before = starts.size();
        std::size_t middle = before;
        // The LF bytes, then the CR bytes: each pass notes its starts in order, merged after.
        for (const char value : {'\n', '\r'}) {
            const char* last = text_.data() + (offset - tailStart_);
            for (const char* p = text_.data() + (lines.looked - tailStart_); p < last; ++p) {
                p = static_cast<const char*>(
                    std::memchr(p, value, static_cast<std::size_t>(last - p)));
                if (p == nullptr)
                    break;
                const std::uint64_t at = tailStart_ + static_cast<std::uint64_t>(p - text_.data());
                if (const std::uint64_t start = StartAfter(unit, at, value))
                    starts.push_back(start);
            }
            middle = value == '\n' ? starts.size() : middle;
        }
        std::inplace_merge(starts.begin() + static_cast<std::ptrdiff_t>(before),
                           starts.begin() + static_cast<std::ptrdiff_t>(middle), starts.end());
        lines.looked = offset;
        CopyWhenEnded(unit, false);
    }

    // Ends the held line under unit whose end was not known once it is: at the next line's start,
    // or with ended, at the end of the text.
    void CopyWhenEnded(CodeUnit unit, bool ended) {
        Lines& lines = lines_[IndexOf(unit)];
        if (lines.waiting == kNone)
            return;
        const std::uint64_t next = lines.waiting + 1 - lines.first;
        if (next >= lines.starts.size() && !ended)
            return;
        Close(lines.held.at(lines.waiting), next < lines.starts.size()
                                                ? lines.starts[static_cast<std::size_t>(next)]
                                                : TextEnd(unit));
        lines.waiting = kNone;
    }

    // Ends held at end, copying its bytes unless they are to be read again.
    void Close(HeldLine& held, std::uint64_t end) const {
        held.end = std::max(held.start, end);
        if (!held.again)
            held.bytes = text_.substr(static_cast<std::size_t>(held.start - tailStart_),
                                      static_cast<std::size_t>(held.end - held.start));
    }

    // Where the lines under unit end, once the text is read: the first 0 byte for single bytes.
    std::uint64_t TextEnd(CodeUnit unit) const {
        return unit == CodeUnit::Byte ? std::min(byteEnd_, end_) : end_;
    }

    // The byte at offset, or -1 past the bytes read.
    int ByteAt(std::uint64_t offset) const {
        return offset < end_ ? static_cast<unsigned char>(text_[offset - tailStart_]) : -1;
    }

    // The start of the line after the line break that a CR or LF byte at offset makes under
    // unit, or 0 when it makes none (a CR before an LF, a byte of another character, past the
    // single-byte text).
    std::uint64_t StartAfter(CodeUnit unit, std::uint64_t at, char value) const {
        const bool cr = value == '\r';
        switch (unit) {
            case CodeUnit::Byte:
                return at < byteEnd_ && !(cr && ByteAt(at + 1) == '\n') ? at + 1 : 0;
            case CodeUnit::Utf16Le:  // the value byte at an even offset, 0 after it
                return at % 2 == 0 && ByteAt(at + 1) == 0 &&
                               !(cr && ByteAt(at + 2) == '\n' && ByteAt(at + 3) == 0)
                           ? at + 2
                           : 0;
            case CodeUnit::Utf16Be:  // the value byte at an odd offset, 0 before it
                return at % 2 == 1 && ByteAt(at - 1) == 0 &&
                               !(cr && ByteAt(at + 1) == 0 && ByteAt(at + 2) == '\n')
                           ? at + 1
                           : 0;
        }
        return 0;
    }

    ByteReader* source_ = nullptr;   // nothing for a text held whole
    std::array<bool, 3> wanted_;     // per unit
    std::array<Lines, 3> lines_;     // per unit
    std::string tail_;               // the bytes read from tailStart_ on
    std::string_view text_;          // tail_, or the text held whole
    std::uint64_t tailStart_ = 0;    // the first byte held
    std::uint64_t end_ = 0;          // bytes read
    std::uint64_t byteEnd_ = kNone;  // the first 0 byte
    std::string head_;
    std::uint64_t lookback_ = 0;
    std::uint64_t holdBack_ = 0;
};

struct RecordedHit {
    std::uint64_t offset = 0;  // in the file
    std::size_t form = 0;
};

// Maps each match in one line structure to its line; keeps the hits of the first maxLines matching
// lines, and their bytes, and counts the others. The scan reports matches of different forms out
// of order, so the last kept line is dropped whenever a match on an earlier line makes one too
// many.
class LineRecorder {
  public:
    LineRecorder(LineReader& lines, CodeUnit unit, std::size_t maxLines)
        : lines_(lines), unit_(unit), maxLines_(maxLines), cutoff_(maxLines == 0 ? 0 : kNone) {}

    void Take(std::uint64_t offset, std::size_t form) {
        first_ = std::min(first_, offset);
        const std::uint64_t line = lines_.LineAt(unit_, offset);
        if (line >= matched_.size())
            matched_.resize(line + 1, false);
        if (!matched_[line]) {
            matched_[line] = true;
            ++total_;
        }
        if (line >= cutoff_)
            return;
        const auto [kept, added] = kept_.try_emplace(line);
        if (added)
            lines_.Hold(unit_, line);
        if (kept->second.size() < kMaxHitsPerLine)
            kept->second.push_back({offset, form});
        if (kept_.size() > maxLines_) {
            cutoff_ = std::prev(kept_.end())->first;
            lines_.Release(unit_, cutoff_);
            kept_.erase(std::prev(kept_.end()));
        }
    }

    CodeUnit Unit() const { return unit_; }
    const std::map<std::uint64_t, std::vector<RecordedHit>>& Kept() const { return kept_; }
    std::uint64_t Total() const { return total_; }
    std::uint64_t First() const { return first_; }

  private:
    LineReader& lines_;
    CodeUnit unit_;
    std::vector<bool> matched_;  // per line up to the last matched
    std::size_t maxLines_;
    std::uint64_t cutoff_;  // lines from here on are only counted
    std::map<std::uint64_t, std::vector<RecordedHit>> kept_;
    std::uint64_t total_ = 0;
    std::uint64_t first_ = kNone;
};

// Sends each match to the recorder of its form's units.
class FormRecorder : public MatchSink {
  public:
    FormRecorder(LineReader& lines, const std::vector<CodeUnit>& units, std::size_t maxLines)
        : units_(units) {
        for (const CodeUnit unit : units)
            if (!recorders_[IndexOf(unit)])
                recorders_[IndexOf(unit)].emplace(lines, unit, maxLines);
    }

    Next Take(const ContentMatch& match) override {
        recorders_[IndexOf(units_[match.form])]->Take(match.offset, match.form);
        return Next::More;
    }

    // The recorder whose units the file is read in: that of the earliest match; null without one.
    const LineRecorder* Chosen() const {
        const LineRecorder* chosen = nullptr;
        for (const std::optional<LineRecorder>& recorder : recorders_) {
            if (recorder && recorder->First() != kNone &&
                (chosen == nullptr || recorder->First() < chosen->First()))
                chosen = &*recorder;
        }
        return chosen;
    }

  private:
    const std::vector<CodeUnit>& units_;                    // per form
    std::array<std::optional<LineRecorder>, 3> recorders_;  // per unit
};

// Copies the bytes of sorted, disjoint ranges [begin, end) of a text out of reader; false when a
// read fails.
bool CopyRanges(ByteReader& reader,
                const std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges,
                std::vector<std::string>& out) {
    out.assign(ranges.size(), std::string());
    // As much as the reader holds, up to a scan's piece: a fresh large buffer for every file
    // would cost more than the copying.
    std::string piece(static_cast<std::size_t>(std::clamp<std::uint64_t>(
                          reader.SizeHint() + 1, 4096, ContentScanner::kPieceSize)),
                      '\0');
    std::size_t next = 0;  // the first range not copied whole
    for (std::uint64_t at = 0; next < ranges.size();) {
        const std::optional<std::size_t> n = reader.Read(piece.data(), piece.size());
        if (!n)
            return false;
        if (*n == 0)
            return true;
        const std::uint64_t end = at + *n;
        for (std::size_t r = next; r < ranges.size() && ranges[r].first < end; ++r) {
            const std::uint64_t from = std::max(ranges[r].first, at);
            const std::uint64_t to = std::min(ranges[r].second, end);
            if (from < to)
                out[r].append(piece.data() + (from - at), static_cast<std::size_t>(to - from));
            if (ranges[r].second <= end && r == next)
                ++next;
        }
        at = end;
    }
    return true;
}

// Per unit, whether the forms of encoding search in it.
std::array<bool, 3> UnitsOf(KeywordEncoding encoding) {
    std::array<bool, 3> wanted{};
    for (const KeywordForm& form : EntryOf(encoding).forms)
        wanted[IndexOf(form.unit)] = true;
    return wanted;
}

// The matching lines of a text: held whole in text when source is null, else read from source in
// pieces of pieceSize bytes. A line whose first bytes the reading no longer held is read again
// from the reader that openAgain gives (the same text read anew; null when it cannot be opened).
template <typename OpenAgain>
MatchedLines MatchLines(std::string_view text, ByteReader* source, std::size_t pieceSize,
                        OpenAgain openAgain, const KeywordForms& forms, KeywordEncoding encoding,
                        std::size_t maxLines) {
    const std::vector<ContentPattern> patterns(forms.begin(), forms.end());
    ScanQuery query;
    std::vector<const ContentPattern*> group;
    std::size_t reach = 0;
    for (const ContentPattern& pattern : patterns) {
        group.push_back(&pattern);
        reach = std::max(reach, pattern.Reach());
    }
    query.AddGroup(group);

    const EncodingEntry& entry = EntryOf(encoding);
    std::vector<CodeUnit> units;
    std::vector<std::size_t> lengths(entry.forms.size(), 0);  // per form, its match's bytes
    for (const KeywordForm& form : entry.forms)
        units.push_back(form.unit);
    for (const ContentPattern& pattern : patterns)
        lengths[pattern.Form()] = pattern.Folded().size();
    // A scan keeps up to reach bytes before each piece, and the CR of a CR LF before them.
    std::optional<LineReader> lines;
    if (source != nullptr)
        lines.emplace(*source, UnitsOf(encoding), reach + 1, pieceSize);
    else
        lines.emplace(text, UnitsOf(encoding));
    FormRecorder recorder(*lines, units, maxLines);
    const ScanEnd end = source != nullptr ? ContentScanner(pieceSize).Scan(*lines, query, recorder)
                                          : ScanText(text, query, recorder);
    if (end == ScanEnd::Unreadable)
        return {ScanEnd::Unreadable, {}, 0};
    lines->Finish();

    MatchedLines result;
    const LineRecorder* chosen = recorder.Chosen();
    if (chosen == nullptr)
        return result;
    const CodeUnit unit = chosen->Unit();
    std::map<std::uint64_t, LineReader::HeldLine>& held = lines->Held(unit);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const auto& [index, recorded] : chosen->Kept()) {
        if (const LineReader::HeldLine& line = held.at(index); line.again)
            ranges.emplace_back(line.start, line.end);
    }
    std::vector<std::string> readAgain;
    if (!ranges.empty()) {
        const std::unique_ptr<ByteReader> again = openAgain();
        if (!again || !CopyRanges(*again, ranges, readAgain))
            return {ScanEnd::Unreadable, {}, 0};
    }

    const std::size_t size = UnitSize(unit);
    auto copied = readAgain.begin();
    for (const auto& [index, recorded] : chosen->Kept()) {
        LineReader::HeldLine& line = held.at(index);
        std::string bytes = std::move(line.again ? *copied++ : line.bytes);
        std::uint64_t start = line.start;
        // The line break that ends the line: an LF, a CR, or both.
        for (const char16_t value : {u'\n', u'\r'}) {
            if (bytes.size() >= size && UnitIs(bytes, bytes.size() - size, unit, value))
                bytes.resize(bytes.size() - size);
        }
        std::vector<RecordedHit> hits = recorded;
        std::stable_sort(hits.begin(), hits.end(), [](const RecordedHit& a, const RecordedHit& b) {
            return a.offset < b.offset;
        });
        // The byte-order mark that opens a UTF-16 text is no part of its first line.
        if (start == 0 && OpensWithMark(lines->Head(), unit) && hits.front().offset >= 2) {
            bytes.erase(0, 2);
            start = 2;
        }
        TextLine shown{index + 1, start, std::move(bytes), entry.forms[hits.front().form].text, {}};
        for (const RecordedHit& hit : hits) {
            // A file that changed between the reads may hold less.
            const auto at = static_cast<std::size_t>(
                std::min<std::uint64_t>(hit.offset - start, shown.bytes.size()));
            shown.hits.push_back({at, std::min(lengths[hit.form], shown.bytes.size() - at)});
        }
        result.lines.push_back(std::move(shown));
    }
    result.more = chosen->Total() - result.lines.size();
    return result;
}

std::uint64_t OffsetIn(std::string_view text, std::string_view line) {
    return static_cast<std::uint64_t>(line.data() - text.data());
}

// The code point starts of UTF-8 text, and its end.
std::vector<std::size_t> CharStarts(std::string_view utf8) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    starts.push_back(utf8.size());
    return starts;
}

// Hits sorted, overlapping ones merged.
std::vector<LineHit> MergedHits(std::vector<LineHit> hits) {
    std::sort(hits.begin(), hits.end(),
              [](const LineHit& a, const LineHit& b) { return a.at < b.at; });
    std::vector<LineHit> merged;
    for (const LineHit& hit : hits) {
        if (!merged.empty() && hit.at < merged.back().at + merged.back().length) {
            LineHit& last = merged.back();
            last.length = std::max(last.at + last.length, hit.at + hit.length) - last.at;
            continue;
        }
        merged.push_back(hit);
    }
    return merged;
}

}  // namespace

std::size_t CharCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

MatchedLines FindMatchedLines(std::string_view text, const KeywordForms& forms,
                              KeywordEncoding encoding, std::size_t maxLines,
                              std::size_t pieceSize) {
    const auto again = [&] { return std::make_unique<TextReader>(text); };
    if (text.size() <= pieceSize)
        return MatchLines(text, nullptr, pieceSize, again, forms, encoding, maxLines);
    TextReader first(text);
    return MatchLines({}, &first, pieceSize, again, forms, encoding, maxLines);
}

MatchedLines ReadMatchedLines(const std::string& path, const KeywordForms& forms,
                              KeywordEncoding encoding, std::size_t maxLines) {
    // A file with its reader.
    struct OpenFile : ByteReader {
        explicit OpenFile(const std::string& path) : file(path), reader(file) {}
        std::uint64_t SizeHint() const override { return reader.SizeHint(); }
        std::optional<std::size_t> Read(char* buffer, std::size_t count) override {
            return reader.Read(buffer, count);
        }
        platform::InputFile file;
        FileReader reader;
    };
    OpenFile first(path);
    if (!first.file.IsOpen())
        return {ScanEnd::Unreadable, {}, 0};
    const auto again = [&]() -> std::unique_ptr<ByteReader> {
        auto file = std::make_unique<OpenFile>(path);
        return file->file.IsOpen() ? std::move(file) : nullptr;
    };
    return MatchLines({}, &first, ContentScanner::kPieceSize, again, forms, encoding, maxLines);
}

MatchedLines LineCapture::Capture(const std::string& path, const ContentScanner& scanned) const {
    if (const std::optional<std::string_view> text = scanned.WholeText())
        return FindMatchedLines(*text, forms_, encoding_, maxLines_, text->size());
    return ReadMatchedLines(path, forms_, encoding_, maxLines_);
}

std::optional<std::vector<TextLine>> LeadingLines(const std::string& path, KeywordEncoding encoding,
                                                  std::size_t count) {
    platform::InputFile input(path);
    if (!input.IsOpen())
        return std::nullopt;
    // The file's first bytes, read in growing pieces only as far as the lines shown need.
    FileReader reader(input);
    std::string file;
    bool ended = false;
    const auto readMore = [&] {
        const std::size_t at = file.size();
        const std::size_t piece = std::max<std::size_t>(at, 64 * 1024);
        file.resize(at + piece);
        const std::optional<std::size_t> n = reader.Read(file.data() + at, piece);
        file.resize(at + n.value_or(0));
        ended = n == 0u;
        return n.has_value();
    };
    if (!readMore())
        return std::nullopt;

    using platform::CodePage;
    const std::vector<KeywordForm>& forms = EntryOf(encoding).forms;
    // UTF-16 when the encoding searches the form whose mark opens the text, or only UTF-16.
    const auto marked = std::find_if(forms.begin(), forms.end(), [&](const KeywordForm& form) {
        return OpensWithMark(file, form.unit);
    });
    const KeywordForm& form = marked != forms.end() ? *marked : forms.front();
    const std::size_t skip = OpensWithMark(file, form.unit) ? 2 : 0;
    // The text shown: after the mark; for single bytes, up to the first 0 byte.
    const auto text = [&] {
        const std::string_view all = std::string_view(file).substr(skip);
        return form.unit == CodeUnit::Byte ? all.substr(0, all.find('\0')) : all;
    };
    // Enough once the text ends before the bytes read do, or a line follows the lines shown.
    while (!ended && text().size() == file.size() - skip &&
           SplitLines(text(), form.unit, count + 1).size() <= count) {
        if (!readMore())
            return std::nullopt;
    }
    const std::vector<std::string_view> split = SplitLines(text(), form.unit, count);

    CodePage page = form.text;
    if (form.unit == CodeUnit::Byte && forms.size() > 1) {
        std::string joined;
        for (std::string_view line : split)
            joined.append(line).push_back('\n');
        const CodePage candidates[] = {CodePage::Utf8, CodePage::ShiftJis, CodePage::EucJp};
        const auto decodes =
            std::find_if(std::begin(candidates), std::end(candidates), [&](CodePage candidate) {
                return platform::ConvertCodePage(joined, candidate, CodePage::Utf8);
            });
        page = decodes != std::end(candidates) ? *decodes : CodePage::Utf8;
    }
    std::vector<TextLine> lines;
    for (std::size_t i = 0; i < split.size(); ++i)
        lines.push_back({i + 1, OffsetIn(file, split[i]), std::string(split[i]), page, {}});
    return lines;
}

DecodedLine DecodeLine(const TextLine& line, std::size_t maxChars) {
    const std::vector<LineHit> hits = MergedHits(line.hits);
    const std::size_t first = hits.empty() ? 0 : hits.front().at;
    const std::size_t before = maxChars / 4;
    // Bytes enough for the characters shown in any encoding (at most 4 bytes a character).
    const bool clip = maxChars > 0 && line.bytes.size() > maxChars;
    const std::size_t from = clip && first > 4 * before ? first - 4 * before : 0;
    const std::size_t to =
        clip ? std::min(line.bytes.size(), first + 4 * maxChars) : line.bytes.size();
    const std::string_view bytes(line.bytes);

    DecodedLine decoded;
    std::size_t at = from;
    auto decodeTo = [&](std::size_t end) {
        if (end > at)
            decoded.text += platform::DecodeToUtf8(bytes.substr(at, end - at), line.codePage);
        at = std::max(at, end);
    };
    for (const LineHit& hit : hits) {
        if (hit.at >= to)
            break;
        decodeTo(hit.at);
        const std::size_t start = decoded.text.size();
        decodeTo(std::min(hit.at + hit.length, to));
        decoded.hits.push_back({start, decoded.text.size() - start});
    }
    decodeTo(to);

    const std::vector<std::size_t> chars = CharStarts(decoded.text);
    const std::size_t charCount = chars.size() - 1;
    auto charAt = [&](std::size_t byte) {
        return static_cast<std::size_t>(std::lower_bound(chars.begin(), chars.end(), byte) -
                                        chars.begin());
    };
    const std::size_t firstChar = decoded.hits.empty() ? 0 : charAt(decoded.hits.front().at);
    decoded.firstHitColumn = decoded.hits.empty() ? 0 : firstChar + 1;
    if (!clip || (from == 0 && to == line.bytes.size() && charCount <= maxChars))
        return decoded;

    // Clip to maxChars characters starting a quarter before the first hit.
    const std::size_t keepFrom = firstChar - std::min(firstChar, before);
    const std::size_t keepTo = std::min(charCount, keepFrom + maxChars);
    const std::size_t byteFrom = chars[keepFrom];
    const std::size_t byteTo = chars[keepTo];
    static constexpr std::string_view kEllipsis = "…";
    const bool cutStart = from > 0 || keepFrom > 0;
    const bool cutEnd = to < line.bytes.size() || keepTo < charCount;
    const std::size_t shift = cutStart ? kEllipsis.size() : 0;
    DecodedLine clipped;
    clipped.text = std::string(cutStart ? kEllipsis : "") +
                   decoded.text.substr(byteFrom, byteTo - byteFrom) +
                   std::string(cutEnd ? kEllipsis : "");
    for (const LineHit& hit : decoded.hits) {
        const std::size_t start = std::max(hit.at, byteFrom);
        const std::size_t end = std::min(hit.at + hit.length, byteTo);
        if (start < end)
            clipped.hits.push_back({start - byteFrom + shift, end - start});
    }
    clipped.firstHitColumn =
        clipped.hits.empty() ? 0 : CharCount(clipped.text.substr(0, clipped.hits.front().at)) + 1;
    return clipped;
}

}  // namespace tanmira
