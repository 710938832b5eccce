// Content scanning on the raw bytes. A raw line break (CR LF, a lone CR or a lone LF) stands for
// the CR LF of the loaded text, and the end of a text without a final line break for one more;
// a keyword is compared with both letter cases and, under the Shift_JIS folding, with the trail
// bytes worked out backwards from the last byte that cannot open a character. Each stretch of the
// text in the buffer keeps the last bytes of the stretch before it, so that no match is cut.
// Keywords in UTF-16 units go on past the 0 byte that ends the single-byte text, compare raw
// units at even file offsets and fold only a unit that is an ASCII letter.
#include "search/content_scan.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/platform.h"

namespace tanmira {

namespace {

// Bytes searched for every pattern before the next slice: an early find spares the rest.
constexpr std::size_t kSliceSize = 64 * 1024;

// Patterns longer than this are searched in one pass: comparing them at every candidate could
// take as long as the text times the pattern (a keyword of 'a's in a text of 'a's).
constexpr std::size_t kOnePassLength = 32;

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Whether positions of a buffered text hold trail bytes, asked in increasing order. A byte after
// one that cannot open a character is never a trail byte; after an unbroken run of lead bytes it is
// one when the run's length is odd. So only the run before a position is looked at, and never
// further back than the position asked before.
class TrailTracker {
  public:
    TrailTracker(const BufferedText& text, const LeadByteTable& leadBytes)
        : bytes_(text.bytes), leadBytes_(leadBytes), trail_(text.trail) {}

    bool At(std::size_t at) {
        std::size_t runStart = at;
        while (runStart > known_ &&
               leadBytes_.test(static_cast<unsigned char>(bytes_[runStart - 1])))
            --runStart;
        const bool odd = (at - runStart) % 2 == 1;
        trail_ = runStart > known_ ? odd : trail_ != ((at - known_) % 2 == 1);
        known_ = at;
        return trail_;
    }

  private:
    const char* bytes_;
    const LeadByteTable& leadBytes_;
    std::size_t known_ = 0;
    bool trail_;
};

// The length of the longest proper border of each prefix of a pattern of length elements (a
// prefix that is also a suffix), for a one-pass search; same(a, b) compares two elements.
template <typename Same>
std::vector<std::size_t> Borders(std::size_t length, Same same) {
    std::vector<std::size_t> borders(length, 0);
    for (std::size_t i = 1, border = 0; i < length; ++i) {
        while (border > 0 && !same(i, border))
            border = borders[border - 1];
        if (same(i, border))
            ++border;
        borders[i] = border;
    }
    return borders;
}

// Where candidates are looked for: the two rarest bytes before the pattern's first line break,
// or the line breaks themselves when it starts with one.
BytePair ChooseAnchor(const std::string& folded) {
    const std::size_t firstBreak = std::min(folded.find_first_of("\r\n"), folded.size());
    return firstBreak == 0 ? BytePair::LineBreak() : BytePair::Rarest(folded, firstBreak);
}

// Bytes asked for at a time: the whole of a small file, and at least a page for files that
// report no size.
std::size_t ReadSize(std::uint64_t sizeHint, std::size_t pieceSize) {
    constexpr std::uint64_t kPage = 4096;
    return static_cast<std::size_t>(std::min<std::uint64_t>(std::max(sizeHint, kPage), pieceSize));
}

// The groups of a query still to be searched for, reporting their matches to a sink.
class GroupSearch {
  public:
    // With state's vectors, whatever they held before.
    GroupSearch(const ScanQuery& query, MatchSink& sink, GroupSearchState& state)
        : groups_(query.Groups()),
          sink_(sink),
          open_(state.open),
          firstPattern_(state.firstPattern),
          reportFrom_(state.reportFrom) {
        open_.assign(groups_.size(), false);
        firstPattern_.clear();
        reportFrom_.clear();
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            firstPattern_.push_back(reportFrom_.size());
            reportFrom_.resize(reportFrom_.size() + groups_[g].patterns.size(), 0);
            for (const ContentPattern* pattern : groups_[g].patterns) {
                if (!pattern->CanOccur())
                    continue;
                open_[g] = true;
                reach_ = std::max(reach_, pattern->Reach());
                shiftJis_ = shiftJis_ || pattern->ShiftJisFolding();
            }
            openCount_ += open_[g];
        }
    }

    bool Settled() const { return openCount_ == 0 || stopped_; }
    std::size_t Reach() const { return reach_; }
    bool AnyShiftJis() const { return shiftJis_; }

    // The single-byte text has ended (at a 0 byte): a group without a keyword in UTF-16 units
    // has found all it can.
    void EndByteText() {
        byteTextEnded_ = true;
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            const std::vector<const ContentPattern*>& patterns = groups_[g].patterns;
            if (open_[g] && std::none_of(patterns.begin(), patterns.end(), [](auto* pattern) {
                    return pattern->CanOccur() && pattern->Unit() != CodeUnit::Byte;
                })) {
                open_[g] = false;
                --openCount_;
            }
        }
    }

    // Searches the stretch whose first byte lies at offset base of the file, slice by slice: the
    // single-byte keywords in byteText (the stretch up to the text's first 0 byte), the UTF-16
    // ones in whole. With onlyLineBreaks, only the patterns that hold a line break (the others
    // found all they could in the stretch before).
    void Search(const BufferedText& byteText, const BufferedText& whole, std::uint64_t base,
                bool onlyLineBreaks) {
        for (std::size_t from = 0; !Settled(); from += kSliceSize) {
            const std::size_t to = std::min(from + kSliceSize, whole.size);
            for (std::size_t g = 0; g < groups_.size() && !Settled(); ++g) {
                if (open_[g])
                    SearchGroup(g, byteText, whole, base, from, to, onlyLineBreaks);
            }
            if (to == whole.size)
                break;
        }
    }

  private:
    void SearchGroup(std::size_t g, const BufferedText& byteText, const BufferedText& whole,
                     std::uint64_t base, std::size_t from, std::size_t to, bool onlyLineBreaks) {
        const std::vector<const ContentPattern*>& patterns = groups_[g].patterns;
        for (std::size_t p = 0; p < patterns.size(); ++p) {
            const ContentPattern& pattern = *patterns[p];
            const bool units = pattern.Unit() != CodeUnit::Byte;
            if ((onlyLineBreaks && !pattern.HasLineBreak()) || (!units && byteTextEnded_))
                continue;
            const BufferedText& text = units ? whole : byteText;
            if (from > text.size)
                continue;
            const std::size_t end = std::min(to, text.size);
            // Matches in the bytes kept from the stretch before were reported with it.
            std::uint64_t& reportFrom = reportFrom_[firstPattern_[g] + p];
            for (std::size_t at = pattern.FindIn(text, from, end); at != std::string::npos;
                 at = pattern.FindIn(text, at + 1, end)) {
                if (base + at < reportFrom)
                    continue;
                reportFrom = base + at + 1;
                switch (sink_.Take({g, pattern.Form(), base + at})) {
                    case MatchSink::Next::More:
                        continue;
                    case MatchSink::Next::GroupDone:
                        open_[g] = false;
                        --openCount_;
                        return;
                    case MatchSink::Next::Stop:
                        stopped_ = true;
                        return;
                }
            }
        }
    }

    const std::vector<ScanQuery::Group>& groups_;
    MatchSink& sink_;
    std::vector<bool>& open_;
    std::vector<std::size_t>& firstPattern_;  // per group, its first pattern's place below
    std::vector<std::uint64_t>& reportFrom_;  // per pattern, the offset its next match starts at
    std::size_t openCount_ = 0;
    std::size_t reach_ = 1;
    bool shiftJis_ = false;
    bool stopped_ = false;
    bool byteTextEnded_ = false;
};

}  // namespace

FileReader::FileReader(platform::InputFile& file) : file_(file), left_(file.Size()) {}

std::uint64_t FileReader::SizeHint() const {
    return file_.Size();
}

std::optional<std::size_t> FileReader::Read(char* buffer, std::size_t count) {
    if (left_ == 0)
        return sized_ ? std::optional<std::size_t>(0) : file_.Read(buffer, count);
    const std::size_t asked = static_cast<std::size_t>(std::min<std::uint64_t>(count, left_));
    const std::optional<std::size_t> n = file_.Read(buffer, asked);
    if (!n)
        return std::nullopt;
    left_ -= *n;
    if (*n < asked) {
        left_ = 0;
        sized_ = false;
    }
    return n;
}

ContentPattern::ContentPattern(const PreparedKeyword& keyword)
    : form_(keyword.form),
      unit_(keyword.unit),
      leadBytes_(keyword.shiftJisFolding ? &platform::ShiftJisLeadBytes() : &NoLeadBytes()),
      anchor_(BytePair::LineBreak()) {
    if (unit_ != CodeUnit::Byte) {
        // Raw units: a line break is a unit like any other, a 0 byte half of an ASCII unit.
        folded_ = FoldCase(keyword.bytes, unit_);
        canOccur_ = keyword.representable && !folded_.empty() && folded_.size() % 2 == 0;
        hasLineBreak_ = false;
        anchor_ = BytePair::Rarest(folded_, folded_.size());
        if (canOccur_ && folded_.size() > kOnePassLength)
            borders_ = Borders(folded_.size() / 2, [&](std::size_t a, std::size_t b) {
                return folded_.compare(2 * a, 2, folded_, 2 * b, 2) == 0;
            });
        return;
    }
    folded_ = FoldCase(keyword.bytes, *leadBytes_);
    canOccur_ =
        keyword.representable && !folded_.empty() && folded_.find('\0') == std::string::npos;
    hasLineBreak_ = folded_.find_first_of("\r\n") != std::string::npos;
    anchor_ = ChooseAnchor(folded_);
    if (hasLineBreak_ || ShiftJisFolding() || folded_.size() <= kOnePassLength)
        return;
    borders_ = Borders(folded_.size(),
                       [&](std::size_t a, std::size_t b) { return folded_[a] == folded_[b]; });
}

std::size_t ContentPattern::FindInOnePass(const BufferedText& text, std::size_t from,
                                          std::size_t to) const {
    // Matches start before to and end inside the stretch.
    const std::size_t end = std::min(text.size, to + folded_.size() - 1);
    std::size_t matched = 0;
    for (std::size_t i = from; i < end; ++i) {
        const char c = LowerAscii(text.bytes[i]);
        while (matched > 0 && folded_[matched] != c)
            matched = borders_[matched - 1];
        if (folded_[matched] == c && ++matched == folded_.size())
            return i + 1 - folded_.size();
    }
    return std::string::npos;
}

std::size_t ContentPattern::FindUnitsInOnePass(const BufferedText& text, std::size_t from,
                                               std::size_t to) const {
    // Matches start at even file offsets before to and end inside the stretch.
    const std::size_t units = folded_.size() / 2;
    const std::size_t lowAt = unit_ == CodeUnit::Utf16Le ? 0 : 1;
    auto sameUnit = [&](const char* bytes, std::size_t k) {
        return bytes[1 - lowAt] == folded_[2 * k + 1 - lowAt] &&
               FoldedLowByte(bytes, unit_) == folded_[2 * k + lowAt];
    };
    std::size_t matched = 0;
    const std::size_t end = to + folded_.size() - 2;  // past the last unit of a match before to
    for (std::size_t i = from + ((from % 2 == 1) != text.oddStart); i + 2 <= text.size && i < end;
         i += 2) {
        const char* bytes = text.bytes + i;
        while (matched > 0 && !sameUnit(bytes, matched))
            matched = borders_[matched - 1];
        if (sameUnit(bytes, matched) && ++matched == units)
            return i + 2 - folded_.size();
    }
    return std::string::npos;
}

std::size_t ContentPattern::FindUnitsIn(const BufferedText& text, std::size_t from,
                                        std::size_t to) const {
    const std::size_t span = anchor_.Span();
    const std::size_t limit = text.size >= span ? std::min(to, text.size - span + 1) : 0;
    const std::size_t lowAt = unit_ == CodeUnit::Utf16Le ? 0 : 1;
    auto unitsMatch = [&](const char* bytes) {
        for (std::size_t k = 0; k < folded_.size(); k += 2) {
            if (bytes[k + 1 - lowAt] != folded_[k + 1 - lowAt] ||
                FoldedLowByte(bytes + k, unit_) != folded_[k + lowAt])
                return false;
        }
        return true;
    };
    for (std::size_t at = anchor_.Find(text.bytes, from, limit); at < limit;
         at = anchor_.Find(text.bytes, at + 1, limit)) {
        // Only even file offsets; a match running past the stretch is left to the next one.
        if ((at % 2 == 1) == text.oddStart && at + folded_.size() <= text.size &&
            unitsMatch(text.bytes + at))
            return at;
    }
    return std::string::npos;
}

std::size_t ContentPattern::FindIn(const BufferedText& text, std::size_t from,
                                   std::size_t to) const {
    constexpr std::size_t kNone = std::string::npos;
    if (!canOccur_)
        return kNone;
    if (unit_ != CodeUnit::Byte)
        return borders_.empty() ? FindUnitsIn(text, from, to) : FindUnitsInOnePass(text, from, to);
    if (!borders_.empty())
        return FindInOnePass(text, from, to);
    const std::size_t span = anchor_.Span();
    const std::size_t limit = text.size >= span ? std::min(to, text.size - span + 1) : 0;
    const bool plain = !hasLineBreak_ && !ShiftJisFolding();
    const bool breakFirst = IsLineBreak(folded_[0]);
    TrailTracker trail(text, *leadBytes_);
    for (std::size_t at = anchor_.Find(text.bytes, from, limit); at < limit;
         at = anchor_.Find(text.bytes, at + 1, limit)) {
        if (plain) {
            // Without line breaks and trail bytes a match is the folded bytes one for one.
            if (at + folded_.size() <= text.size &&
                std::equal(folded_.begin(), folded_.end(), text.bytes + at,
                           [](char p, char t) { return p == LowerAscii(t); }))
                return at;
            continue;
        }
        // The LF of a CR LF stands for no byte of the text: a match there starts at the CR.
        if (text.bytes[at] == '\n' && at > 0 && text.bytes[at - 1] == '\r')
            continue;
        const bool trailAt = ShiftJisFolding() && trail.At(at);
        if (MatchAt(text, at, 0, trailAt) == Verdict::Match ||
            (breakFirst && MatchAt(text, at, 1, trailAt) == Verdict::Match))
            return at;
    }
    // The CR LF that ends a text without a final line break lies past its last byte.
    if (!breakFirst || !text.final || to != text.size || from > to)
        return kNone;
    const bool match = MatchAt(text, to, 0, false) == Verdict::Match ||
                       MatchAt(text, to, 1, false) == Verdict::Match;
    return match ? to : kNone;
}

ContentPattern::Verdict ContentPattern::MatchAt(const BufferedText& text, std::size_t at,
                                                std::size_t into, bool trail) const {
    static constexpr char kCrLf[2] = {'\r', '\n'};
    std::size_t matched = 0;
    TrailCursor cursor(*leadBytes_, trail);
    // Compares the loaded text's bytes for one raw byte (from offset into) with the pattern.
    auto compare = [&](const char* bytes, std::size_t length) {
        for (std::size_t k = into; k < length && matched < folded_.size(); ++k, ++matched) {
            if (bytes[k] != folded_[matched])
                return false;
        }
        into = 0;
        return true;
    };
    for (std::size_t i = at;; ++i) {
        if (i == text.size) {
            if (!text.final)
                return Verdict::RanOut;
            const bool breakAtEnd = text.size > 0 && !IsLineBreak(text.bytes[text.size - 1]);
            return compare(kCrLf, breakAtEnd ? 2 : 0) && matched == folded_.size()
                       ? Verdict::Match
                       : Verdict::NoMatch;
        }
        const char c = text.bytes[i];
        const bool trailByte = cursor.Next(c);
        bool same;
        if (IsLineBreak(c)) {
            // The LF of a CR LF adds nothing: the CR stood for the CR LF. A stretch never
            // starts with one (the buffer keeps the CR before it).
            const char previous = i > 0 ? text.bytes[i - 1] : '\0';
            same = compare(kCrLf, c == '\n' && previous == '\r' ? 0 : 2);
        } else {
            const char folded = trailByte ? c : LowerAscii(c);
            same = compare(&folded, 1);
        }
        if (!same)
            return Verdict::NoMatch;
        if (matched == folded_.size())
            return Verdict::Match;
    }
}

GroupFlags::GroupFlags(std::initializer_list<bool> flags) : GroupFlags(flags.size()) {
    std::size_t group = 0;
    for (const bool found : flags) {
        if (found)
            Set(group);
        ++group;
    }
}

std::size_t ScanQuery::AddGroup(std::vector<const ContentPattern*> patterns, OnFind onFind) {
    if (groups_.size() == kMostGroups)
        throw std::length_error("a scan query holds at most 64 groups");
    groups_.push_back(Group{std::move(patterns), onFind});
    return groups_.size() - 1;
}

bool ScanQuery::Passes(const GroupFlags& found) const {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        if (found[g] == (groups_[g].onFind == OnFind::EndScan))
            return false;
    }
    return true;
}

GroupsFound::GroupsFound(const ScanQuery& query) : query_(query), found_(query.Groups().size()) {}

MatchSink::Next GroupsFound::Take(const ContentMatch& match) {
    found_.Set(match.group);
    return query_.Groups()[match.group].onFind == ScanQuery::OnFind::EndScan ? Next::Stop
                                                                             : Next::GroupDone;
}

ScanEnd ContentScanner::Scan(const std::string& path, const ScanQuery& query, MatchSink& sink,
                             std::stop_token stop) {
    platform::InputFile file(path);
    if (!file.IsOpen())
        return ScanEnd::Unreadable;
    return Scan(file, query, sink, stop);
}

ScanEnd ContentScanner::Scan(platform::InputFile& file, const ScanQuery& query, MatchSink& sink,
                             std::stop_token stop) {
    FileReader reader(file);
    return Scan(reader, query, sink, stop);
}

std::optional<GroupFlags> ContentScanner::Scan(const std::string& path, const ScanQuery& query,
                                               std::stop_token stop) {
    GroupsFound found(query);
    if (Scan(path, query, found, stop) == ScanEnd::Unreadable)
        return std::nullopt;
    return found.Found();
}

std::optional<GroupFlags> ContentScanner::Scan(platform::InputFile& file, const ScanQuery& query,
                                               std::stop_token stop) {
    FileReader reader(file);
    return Scan(reader, query, stop);
}

std::optional<GroupFlags> ContentScanner::Scan(ByteReader& reader, const ScanQuery& query,
                                               std::stop_token stop) {
    GroupsFound found(query);
    if (Scan(reader, query, found, stop) == ScanEnd::Unreadable)
        return std::nullopt;
    return found.Found();
}

std::optional<GroupFlags> ContentScanner::Scan(const std::string& path,
                                               const std::vector<const ContentPattern*>& patterns) {
    ScanQuery query;
    for (const ContentPattern* pattern : patterns)
        query.AddGroup({pattern});
    return Scan(path, query);
}

ScanEnd ScanText(std::string_view text, const ScanQuery& query, MatchSink& sink) {
    GroupSearchState state;
    GroupSearch search(query, sink, state);
    const BufferedText whole{.bytes = text.data(), .size = text.size(), .final = true};
    BufferedText byteText = whole;
    byteText.size = std::min(text.find('\0'), text.size());
    search.Search(byteText, whole, 0, false);
    return ScanEnd::Done;
}

std::optional<std::string_view> ContentScanner::WholeText() const {
    if (!wholeText_)
        return std::nullopt;
    return std::string_view(buffer_.get(), *wholeText_);
}

ScanEnd ContentScanner::Scan(ByteReader& reader, const ScanQuery& query, MatchSink& sink,
                             std::stop_token stop) {
    GroupSearch search(query, sink, state_);
    const std::size_t readSize = ReadSize(reader.SizeHint(), pieceSize_);
    const std::size_t reach = search.Reach();
    if (bufferSize_ < reach + 1 + readSize) {
        bufferSize_ = reach + 1 + pieceSize_;
        buffer_.reset();  // before the new one: the two need not be held at once
        buffer_.reset(new char[bufferSize_]);
    }
    BufferedText text;   // the single-byte text: up to the first 0 byte
    BufferedText whole;  // every byte read
    text.bytes = whole.bytes = buffer_.get();
    std::size_t kept = 0;    // bytes of the stretch before, at the start of the buffer
    std::uint64_t base = 0;  // the file offset of the buffer's first byte
    bool byteTextEnded = false;
    wholeText_.reset();
    while (!search.Settled()) {
        if (stop.stop_requested())
            return ScanEnd::Stopped;
        char* piece = buffer_.get() + kept;
        const std::optional<std::size_t> read = reader.Read(piece, readSize);
        if (!read)
            return ScanEnd::Unreadable;  // a read error is no end of the text
        const std::size_t n = *read;
        whole.size = kept + n;
        whole.final = n == 0 || reader.Ended();
        if (whole.final && base == 0 && kept == 0)
            wholeText_ = whole.size;
        whole.oddStart = base % 2 == 1;
        const auto* zero =
            byteTextEnded ? nullptr : static_cast<const char*>(std::memchr(piece, 0, n));
        text.size = zero != nullptr ? static_cast<std::size_t>(zero - buffer_.get()) : whole.size;
        text.final = whole.final || zero != nullptr;
        search.Search(text, whole, base, n == 0);
        if (whole.final)
            break;
        if (text.final && !byteTextEnded) {
            byteTextEnded = true;
            search.EndByteText();
        }
        std::size_t keep = std::min(reach, whole.size);
        if (keep < whole.size && whole.bytes[whole.size - keep] == '\n' &&
            whole.bytes[whole.size - keep - 1] == '\r')
            ++keep;  // the CR of a CR LF, so that a match starting there keeps its offset
        const std::size_t start = whole.size - keep;
        if (search.AnyShiftJis() && !byteTextEnded)
            text.trail = TrailTracker(text, platform::ShiftJisLeadBytes()).At(start);
        std::memmove(buffer_.get(), buffer_.get() + start, keep);
        kept = keep;
        base += start;
    }
    return ScanEnd::Done;
}

}  // namespace tanmira
