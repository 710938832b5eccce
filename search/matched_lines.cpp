// Capture of the matching lines: the content scanner reports each match to a recorder that maps
// it to its line by counting the line breaks between one match and the next, never splitting the
// whole text, and keeps the hits of the first lines only, so that memory stays bounded on any
// file; decoding goes hit by hit, so that each hit's place in the decoded text is known.
#include "search/matched_lines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <map>

#include "search/text_rules.h"

namespace tanmira {

namespace {

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

bool BreakAt(std::string_view text, std::size_t at, CodeUnit unit) {
    return UnitIs(text, at, unit, u'\r') || UnitIs(text, at, unit, u'\n');
}

// Whether text opens with the byte-order mark of a UTF-16 unit.
bool OpensWithMark(std::string_view text, CodeUnit unit) {
    return unit != CodeUnit::Byte && UnitIs(text, 0, unit, 0xFEFF);
}

// The lines of a text under the line rule of its units, as SplitLines cuts them: the index of the
// line holding an offset, counted from a cursor that moves from one offset asked to the next, and
// the bounds of a line, found around an offset in it.
class LineMap {
  public:
    LineMap(std::string_view text, CodeUnit unit) : text_(text), unit_(unit) {}

    // The 0-based index of the line holding offset (a unit's start, or the text's end).
    std::uint64_t IndexOf(std::size_t offset) {
        if (offset >= at_)
            line_ += StartsIn(at_, offset);
        else
            line_ -= StartsIn(offset, at_);
        at_ = offset;
        return line_;
    }

    // The bytes of the line holding offset, without its line break.
    std::string_view LineAt(std::size_t offset) const {
        const std::size_t size = UnitSize(unit_);
        std::size_t start = offset;
        while (start >= size && !BreakAt(text_, start - size, unit_))
            start -= size;
        std::size_t end = offset;
        while (end < text_.size() && !BreakAt(text_, end, unit_))
            end = std::min(end + size, text_.size());
        return text_.substr(start, end - start);
    }

  private:
    // The lines starting in (from, to], both unit starts: one after each line-break unit that
    // starts in [from, to) and is not the text's last unit, except a CR followed by an LF. The
    // break bytes are found with memchr, which goes much faster than a loop over every byte.
    std::uint64_t StartsIn(std::size_t from, std::size_t to) const {
        const std::size_t size = UnitSize(unit_);
        const std::size_t valueAt = unit_ == CodeUnit::Utf16Be ? 1 : 0;  // a break's 0D or 0A
        const char* data = text_.data();
        const char* end = data + std::min(text_.size(), to + valueAt);
        std::uint64_t starts = 0;
        for (const char value : {'\n', '\r'}) {
            for (const char* p = data + from + valueAt; p < end; ++p) {
                p = static_cast<const char*>(
                    std::memchr(p, value, static_cast<std::size_t>(end - p)));
                if (p == nullptr)
                    break;
                const auto at = static_cast<std::size_t>(p - data) - valueAt;
                if (at % size != 0 || !UnitIs(text_, at, unit_, value) || at + size >= text_.size())
                    continue;
                if (value == '\r' && UnitIs(text_, at + size, unit_, u'\n'))
                    continue;
                ++starts;
            }
        }
        return starts;
    }

    std::string_view text_;
    CodeUnit unit_;
    std::size_t at_ = 0;      // the cursor
    std::uint64_t line_ = 0;  // the index of its line
};

struct RecordedHit {
    std::uint64_t offset = 0;  // in the file
    std::size_t form = 0;
};

// Maps each match in one line structure to its line; keeps the hits of the first maxLines matching
// lines and counts the others. The scan reports matches of different forms out of order, so the
// last kept line is dropped whenever a match on an earlier line makes one too many.
class LineRecorder {
  public:
    LineRecorder(std::string_view text, CodeUnit unit, std::size_t maxLines)
        : lines_(text, unit),
          maxLines_(maxLines),
          cutoff_(maxLines == 0 ? 0 : std::numeric_limits<std::uint64_t>::max()) {}

    void Take(std::uint64_t offset, std::size_t form) {
        first_ = std::min(first_, offset);
        const std::uint64_t line = lines_.IndexOf(static_cast<std::size_t>(offset));
        if (line >= matched_.size())
            matched_.resize(line + 1, false);
        if (!matched_[line]) {
            matched_[line] = true;
            ++total_;
        }
        if (line >= cutoff_)
            return;
        std::vector<RecordedHit>& hits = kept_[line];
        if (hits.size() < kMaxHitsPerLine)
            hits.push_back({offset, form});
        if (kept_.size() > maxLines_) {
            cutoff_ = std::prev(kept_.end())->first;
            kept_.erase(std::prev(kept_.end()));
        }
    }

    const LineMap& Lines() const { return lines_; }
    const std::map<std::uint64_t, std::vector<RecordedHit>>& Kept() const { return kept_; }
    std::uint64_t Total() const { return total_; }
    std::uint64_t First() const { return first_; }

  private:
    LineMap lines_;
    std::vector<bool> matched_;  // per line up to the last matched
    std::size_t maxLines_;
    std::uint64_t cutoff_;  // lines from here on are only counted
    std::map<std::uint64_t, std::vector<RecordedHit>> kept_;
    std::uint64_t total_ = 0;
    std::uint64_t first_ = std::numeric_limits<std::uint64_t>::max();
};

// Sends each match to the recorder of its form's units: the single-byte forms' lines are those of
// the text up to its first 0 byte, the UTF-16 forms' those of the whole text in their units.
class FormRecorder : public MatchSink {
  public:
    FormRecorder(std::string_view text, std::vector<CodeUnit> units, std::size_t maxLines)
        : text_(text), units_(std::move(units)), maxLines_(maxLines) {}

    Next Take(const ContentMatch& match) override {
        const CodeUnit unit = units_[match.form];
        std::optional<LineRecorder>& recorder = recorders_[static_cast<std::size_t>(unit)];
        if (!recorder) {
            const std::string_view text =
                unit == CodeUnit::Byte ? text_.substr(0, text_.find('\0')) : text_;
            recorder.emplace(text, unit, maxLines_);
        }
        recorder->Take(match.offset, match.form);
        return Next::More;
    }

    // The recorder whose units the file is read in: that of the earliest match; null without one.
    const LineRecorder* Chosen() const {
        const LineRecorder* chosen = nullptr;
        for (const std::optional<LineRecorder>& recorder : recorders_) {
            if (recorder && (chosen == nullptr || recorder->First() < chosen->First()))
                chosen = &*recorder;
        }
        return chosen;
    }

  private:
    std::string_view text_;
    std::vector<CodeUnit> units_;  // per form
    std::size_t maxLines_;
    std::array<std::optional<LineRecorder>, 3> recorders_;  // per CodeUnit
};

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
                              KeywordEncoding encoding, std::size_t maxLines) {
    const std::vector<ContentPattern> patterns(forms.begin(), forms.end());
    ScanQuery query;
    std::vector<const ContentPattern*> group;
    for (const ContentPattern& pattern : patterns)
        group.push_back(&pattern);
    query.AddGroup(group);

    const EncodingEntry& entry = EntryOf(encoding);
    std::vector<CodeUnit> units;
    std::vector<std::size_t> lengths(entry.forms.size(), 0);  // per form, its match's bytes
    for (const KeywordForm& form : entry.forms)
        units.push_back(form.unit);
    for (const ContentPattern& pattern : patterns)
        lengths[pattern.Form()] = pattern.Folded().size();
    FormRecorder recorder(text, units, maxLines);
    TextReader reader(text);
    ContentScanner().Scan(reader, query, recorder);

    MatchedLines result;
    const LineRecorder* chosen = recorder.Chosen();
    if (chosen == nullptr)
        return result;
    for (const auto& [index, recorded] : chosen->Kept()) {
        std::vector<RecordedHit> hits = recorded;
        std::stable_sort(hits.begin(), hits.end(), [](const RecordedHit& a, const RecordedHit& b) {
            return a.offset < b.offset;
        });
        std::string_view bytes =
            chosen->Lines().LineAt(static_cast<std::size_t>(hits.front().offset));
        // The byte-order mark that opens a UTF-16 text is no part of its first line.
        const CodeUnit unit = units[hits.front().form];
        if (bytes.data() == text.data() && OpensWithMark(text, unit) && hits.front().offset >= 2)
            bytes.remove_prefix(2);
        const auto start = static_cast<std::uint64_t>(bytes.data() - text.data());
        TextLine line{
            index + 1, start, std::string(bytes), entry.forms[hits.front().form].text, {}};
        for (const RecordedHit& hit : hits) {
            const auto at = static_cast<std::size_t>(hit.offset - start);
            line.hits.push_back({at, std::min(lengths[hit.form], line.bytes.size() - at)});
        }
        result.lines.push_back(std::move(line));
    }
    result.more = chosen->Total() - result.lines.size();
    return result;
}

MatchedLines ReadMatchedLines(const std::string& path, const KeywordForms& forms,
                              KeywordEncoding encoding, std::size_t maxLines) {
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    if (!text)
        return {ScanEnd::Unreadable, {}, 0};
    return FindMatchedLines(*text, forms, encoding, maxLines);
}

std::optional<std::vector<TextLine>> LeadingLines(const std::string& path, KeywordEncoding encoding,
                                                  std::size_t count) {
    const std::optional<std::string> file = platform::ReadWholeFile(path);
    if (!file)
        return std::nullopt;
    using platform::CodePage;
    const std::vector<KeywordForm>& forms = EntryOf(encoding).forms;
    // UTF-16 when the encoding searches the form whose mark opens the text, or only UTF-16.
    const auto marked = std::find_if(forms.begin(), forms.end(), [&](const KeywordForm& form) {
        return OpensWithMark(*file, form.unit);
    });
    const KeywordForm& utf16 = marked != forms.end() ? *marked : forms.front();
    if (utf16.unit != CodeUnit::Byte) {
        const std::size_t skip = OpensWithMark(*file, utf16.unit) ? 2 : 0;
        const std::string_view text = std::string_view(*file).substr(skip);
        std::vector<TextLine> lines;
        for (std::string_view line : SplitLines(text, utf16.unit, count))
            lines.push_back(
                {lines.size() + 1, OffsetIn(*file, line), std::string(line), utf16.text, {}});
        return lines;
    }

    const std::string_view text = std::string_view(*file).substr(0, file->find('\0'));
    const std::vector<std::string_view> split = SplitLines(text, CodeUnit::Byte, count);
    CodePage page = forms.front().text;
    if (forms.size() > 1) {
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
        lines.push_back({i + 1, OffsetIn(*file, split[i]), std::string(split[i]), page, {}});
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
