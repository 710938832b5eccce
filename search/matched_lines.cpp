// Capture of the matching lines: the content scanner reports each match to a recorder that maps
// it to its line, keeping the hits of the first lines only, so that memory stays bounded on any
// file; decoding goes hit by hit, so that each hit's place in the decoded text is known.
#include "search/matched_lines.h"

#include <algorithm>
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

struct RecordedHit {
    std::size_t at = 0;  // in the line
    std::size_t form = 0;
};

// Maps each match to its line; keeps the hits of the first maxLines matching lines and counts
// the others. The scan reports matches of different forms out of order, so the last kept line
// is dropped whenever a match on an earlier line makes one too many.
class LineRecorder : public MatchSink {
  public:
    LineRecorder(const std::vector<std::uint64_t>& starts, std::size_t maxLines)
        : starts_(starts),
          matched_(starts.size(), false),
          maxLines_(maxLines),
          cutoff_(maxLines == 0 ? 0 : std::numeric_limits<std::size_t>::max()) {}

    Next Take(const ContentMatch& match) override {
        if (starts_.empty())
            return Next::Stop;
        const auto after = std::upper_bound(starts_.begin(), starts_.end(), match.offset);
        const auto line = static_cast<std::size_t>(after - starts_.begin()) - 1;
        if (!matched_[line]) {
            matched_[line] = true;
            ++total_;
        }
        if (line >= cutoff_)
            return Next::More;
        std::vector<RecordedHit>& hits = kept_[line];
        if (hits.size() < kMaxHitsPerLine)
            hits.push_back({static_cast<std::size_t>(match.offset - starts_[line]), match.form});
        if (kept_.size() > maxLines_) {
            cutoff_ = std::prev(kept_.end())->first;
            kept_.erase(std::prev(kept_.end()));
        }
        return Next::More;
    }

    const std::map<std::size_t, std::vector<RecordedHit>>& Kept() const { return kept_; }
    std::uint64_t Total() const { return total_; }

  private:
    const std::vector<std::uint64_t>& starts_;
    std::vector<bool> matched_;
    std::size_t maxLines_;
    std::size_t cutoff_;  // lines from here on are only counted
    std::map<std::size_t, std::vector<RecordedHit>> kept_;
    std::uint64_t total_ = 0;
};

// The text a file's content tests see: its bytes up to the first 0 byte.
std::optional<std::string> ReadText(const std::string& path) {
    std::optional<std::string> text = platform::ReadWholeFile(path);
    if (text)
        text->resize(std::min(text->size(), text->find('\0')));
    return text;
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
                              KeywordEncoding encoding, std::size_t maxLines) {
    const std::vector<ContentPattern> patterns(forms.begin(), forms.end());
    ScanQuery query;
    std::vector<const ContentPattern*> group;
    for (const ContentPattern& pattern : patterns)
        group.push_back(&pattern);
    query.AddGroup(group);

    const std::vector<std::string_view> split = SplitLines(text);
    std::vector<std::uint64_t> starts;
    starts.reserve(split.size());
    for (std::string_view line : split)
        starts.push_back(OffsetIn(text, line));

    LineRecorder recorder(starts, maxLines);
    TextReader reader(text);
    ContentScanner().Scan(reader, query, recorder);

    const EncodingEntry& entry = EntryOf(encoding);
    MatchedLines result;
    for (const auto& [index, recorded] : recorder.Kept()) {
        TextLine line{index + 1, starts[index], std::string(split[index]), {}, {}};
        std::vector<RecordedHit> hits = recorded;
        std::stable_sort(hits.begin(), hits.end(),
                         [](const RecordedHit& a, const RecordedHit& b) { return a.at < b.at; });
        line.codePage = entry.forms[hits.front().form].text;
        for (const RecordedHit& hit : hits) {
            const auto pattern = std::find_if(patterns.begin(), patterns.end(),
                                              [&](const auto& p) { return p.Form() == hit.form; });
            const std::size_t length =
                std::min(pattern->Folded().size(), line.bytes.size() - hit.at);
            line.hits.push_back({hit.at, length});
        }
        result.lines.push_back(std::move(line));
    }
    result.more = recorder.Total() - result.lines.size();
    return result;
}

MatchedLines ReadMatchedLines(const std::string& path, const KeywordForms& forms,
                              KeywordEncoding encoding, std::size_t maxLines) {
    const std::optional<std::string> text = ReadText(path);
    if (!text)
        return {ScanEnd::Unreadable, {}, 0};
    return FindMatchedLines(*text, forms, encoding, maxLines);
}

std::optional<std::vector<TextLine>> LeadingLines(const std::string& path, KeywordEncoding encoding,
                                                  std::size_t count) {
    const std::optional<std::string> text = ReadText(path);
    if (!text)
        return std::nullopt;
    std::vector<std::string_view> split = SplitLines(*text);
    split.resize(std::min(split.size(), count));

    using platform::CodePage;
    const std::vector<KeywordForm>& forms = EntryOf(encoding).forms;
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
        lines.push_back({i + 1, OffsetIn(*text, split[i]), std::string(split[i]), page, {}});
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
