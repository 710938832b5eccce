// Content scanning on the raw bytes. A raw line break (CR LF, a lone CR or a lone LF) stands for
// the CR LF of the loaded text, and the end of a text without a final line break for one more;
// a keyword is compared with both letter cases and, under the Shift_JIS folding, with the trail
// bytes worked out backwards from the last byte that cannot open a character. Windows of the
// text keep the last bytes of the window before them, so that no match is cut.
#include "search/content_scan.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/platform.h"

namespace tanmira {

namespace {

// Bytes searched for every pattern before the next slice: an early find spares the rest.
constexpr std::size_t kSliceSize = 64 * 1024;

// Patterns longer than this are searched in one pass: comparing them at every candidate could
// take as long as the text times the pattern (a keyword of 'a's in a text of 'a's).
constexpr std::size_t kOnePassLength = 32;

constexpr std::array<char, 256> kFolded = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return table;
}();

char FoldByte(char c) {
    return kFolded[static_cast<unsigned char>(c)];
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Whether positions of a window hold trail bytes, asked in increasing order. A byte after one
// that cannot open a character is never a trail byte; after an unbroken run of lead bytes it is
// one when the run's length is odd. So only the run before a position is looked at, and never
// further back than the position asked before.
class TrailTracker {
  public:
    TrailTracker(const TextWindow& window, const LeadByteTable& leadBytes)
        : bytes_(window.bytes), leadBytes_(leadBytes), trail_(window.trail) {}

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

// Where candidates are looked for: the two rarest bytes before the pattern's first line break,
// or the line breaks themselves when it starts with one.
BytePair ChooseAnchor(const std::string& folded) {
    const std::size_t firstBreak = std::min(folded.find_first_of("\r\n"), folded.size());
    return firstBreak == 0 ? BytePair::LineBreak() : BytePair::Rarest(folded, firstBreak);
}

// A file as a byte reader.
class FileReader : public ByteReader {
  public:
    explicit FileReader(platform::InputFile& file) : file_(file) {}
    std::uint64_t SizeHint() const override { return file_.Size(); }
    std::size_t Read(char* buffer, std::size_t count) override { return file_.Read(buffer, count); }

  private:
    platform::InputFile& file_;
};

// Bytes asked for at a time: the whole of a small file with one byte more, so that its second
// read already gives 0, and at least a page for files that report no size.
std::size_t ReadSize(std::uint64_t sizeHint, std::size_t pieceSize) {
    constexpr std::uint64_t kPage = 4096;
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(sizeHint + 1, kPage), pieceSize));
}

// The groups of a query still to be searched for, and what has been found.
class GroupSearch {
  public:
    explicit GroupSearch(const ScanQuery& query)
        : groups_(query.Groups()), found_(groups_.size(), false), open_(groups_.size(), false) {
        for (std::size_t g = 0; g < groups_.size(); ++g) {
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

    const std::vector<bool>& Found() const { return found_; }
    bool Settled() const { return openCount_ == 0 || ended_; }
    std::size_t Reach() const { return reach_; }
    bool AnyShiftJis() const { return shiftJis_; }

    // Searches the window slice by slice; with onlyLineBreaks, only the patterns that hold a
    // line break (the others found all they could in the window before).
    void Search(const TextWindow& window, bool onlyLineBreaks) {
        for (std::size_t from = 0; !Settled(); from += kSliceSize) {
            const std::size_t to = std::min(from + kSliceSize, window.size);
            for (std::size_t g = 0; g < groups_.size() && !Settled(); ++g) {
                if (open_[g] && GroupOccurs(groups_[g], window, from, to, onlyLineBreaks))
                    Find(g);
            }
            if (to == window.size)
                break;
        }
    }

  private:
    static bool GroupOccurs(const ScanQuery::Group& group, const TextWindow& window,
                            std::size_t from, std::size_t to, bool onlyLineBreaks) {
        return std::any_of(group.patterns.begin(), group.patterns.end(),
                           [&](const ContentPattern* pattern) {
                               return (!onlyLineBreaks || pattern->HasLineBreak()) &&
                                      pattern->OccursIn(window, from, to);
                           });
    }

    void Find(std::size_t g) {
        found_[g] = true;
        open_[g] = false;
        --openCount_;
        ended_ = groups_[g].onFind == ScanQuery::OnFind::EndScan;
    }

    const std::vector<ScanQuery::Group>& groups_;
    std::vector<bool> found_;
    std::vector<bool> open_;
    std::size_t openCount_ = 0;
    std::size_t reach_ = 1;
    bool shiftJis_ = false;
    bool ended_ = false;
};

}  // namespace

ContentPattern::ContentPattern(const PreparedKeyword& keyword)
    : leadBytes_(keyword.shiftJisFolding ? &platform::ShiftJisLeadBytes() : &NoLeadBytes()),
      anchor_(BytePair::LineBreak()) {
    folded_ = FoldCase(keyword.bytes, *leadBytes_);
    canOccur_ =
        keyword.representable && !folded_.empty() && folded_.find('\0') == std::string::npos;
    hasLineBreak_ = folded_.find_first_of("\r\n") != std::string::npos;
    anchor_ = ChooseAnchor(folded_);
    if (hasLineBreak_ || ShiftJisFolding() || folded_.size() <= kOnePassLength)
        return;
    borders_.assign(folded_.size(), 0);
    for (std::size_t i = 1, border = 0; i < folded_.size(); ++i) {
        while (border > 0 && folded_[i] != folded_[border])
            border = borders_[border - 1];
        if (folded_[i] == folded_[border])
            ++border;
        borders_[i] = border;
    }
}

bool ContentPattern::OccursInOnePass(const TextWindow& window, std::size_t from,
                                     std::size_t to) const {
    // Matches start before to and end inside the window.
    const std::size_t end = std::min(window.size, to + folded_.size() - 1);
    std::size_t matched = 0;
    for (std::size_t i = from; i < end; ++i) {
        const char c = FoldByte(window.bytes[i]);
        while (matched > 0 && folded_[matched] != c)
            matched = borders_[matched - 1];
        if (folded_[matched] == c && ++matched == folded_.size())
            return true;
    }
    return false;
}

bool ContentPattern::OccursIn(const TextWindow& window, std::size_t from, std::size_t to) const {
    if (!canOccur_)
        return false;
    if (!borders_.empty())
        return OccursInOnePass(window, from, to);
    const std::size_t span = anchor_.Span();
    const std::size_t limit = window.size >= span ? std::min(to, window.size - span + 1) : 0;
    const bool plain = !hasLineBreak_ && !ShiftJisFolding();
    const bool breakFirst = IsLineBreak(folded_[0]);
    TrailTracker trail(window, *leadBytes_);
    for (std::size_t at = anchor_.Find(window.bytes, from, limit); at < limit;
         at = anchor_.Find(window.bytes, at + 1, limit)) {
        if (plain) {
            // Without line breaks and trail bytes a match is the folded bytes one for one.
            if (at + folded_.size() <= window.size &&
                std::equal(folded_.begin(), folded_.end(), window.bytes + at,
                           [](char p, char t) { return p == FoldByte(t); }))
                return true;
            continue;
        }
        const bool trailAt = ShiftJisFolding() && trail.At(at);
        if (MatchAt(window, at, 0, trailAt) == Verdict::Match ||
            (breakFirst && MatchAt(window, at, 1, trailAt) == Verdict::Match))
            return true;
    }
    // The CR LF that ends a text without a final line break lies past its last byte.
    if (!breakFirst || !window.final || to != window.size || from > to)
        return false;
    return MatchAt(window, to, 0, false) == Verdict::Match ||
           MatchAt(window, to, 1, false) == Verdict::Match;
}

ContentPattern::Verdict ContentPattern::MatchAt(const TextWindow& window, std::size_t at,
                                                std::size_t into, bool trail) const {
    static constexpr char kCrLf[2] = {'\r', '\n'};
    std::size_t matched = 0;
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
        if (i == window.size) {
            if (!window.final)
                return Verdict::RanOut;
            const bool breakAtEnd = window.size > 0 && !IsLineBreak(window.bytes[window.size - 1]);
            return compare(kCrLf, breakAtEnd ? 2 : 0) && matched == folded_.size()
                       ? Verdict::Match
                       : Verdict::NoMatch;
        }
        const char c = window.bytes[i];
        bool same;
        if (IsLineBreak(c)) {
            // A window that starts with the LF of a CR LF takes it for a lone LF: the CR LF
            // it then stands for is the one the CR before the window stood for.
            const char previous = i > 0 ? window.bytes[i - 1] : '\0';
            same = compare(kCrLf, c == '\n' && previous == '\r' ? 0 : 2);
            trail = false;
        } else if (trail) {
            same = compare(&c, 1);
            trail = false;
        } else {
            const char folded = FoldByte(c);
            same = compare(&folded, 1);
            trail = leadBytes_->test(static_cast<unsigned char>(c));
        }
        if (!same)
            return Verdict::NoMatch;
        if (matched == folded_.size())
            return Verdict::Match;
    }
}

std::size_t ScanQuery::AddGroup(std::vector<const ContentPattern*> patterns, OnFind onFind) {
    groups_.push_back(Group{std::move(patterns), onFind});
    return groups_.size() - 1;
}

bool ContentScanner::CanOpen(const std::string& path) {
    return platform::InputFile(path).IsOpen();
}

std::optional<std::vector<bool>> ContentScanner::Scan(const std::string& path,
                                                      const ScanQuery& query,
                                                      std::stop_token stop) {
    platform::InputFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    return Scan(file, query, stop);
}

std::vector<bool> ContentScanner::Scan(platform::InputFile& file, const ScanQuery& query,
                                       std::stop_token stop) {
    FileReader reader(file);
    return Scan(reader, query, stop);
}

std::optional<std::vector<bool>> ContentScanner::Scan(
    const std::string& path, const std::vector<const ContentPattern*>& patterns) {
    ScanQuery query;
    for (const ContentPattern* pattern : patterns)
        query.AddGroup({pattern});
    return Scan(path, query);
}

std::vector<bool> ContentScanner::Scan(ByteReader& reader, const ScanQuery& query,
                                       std::stop_token stop) {
    GroupSearch search(query);
    const std::size_t readSize = ReadSize(reader.SizeHint(), pieceSize_);
    const std::size_t reach = search.Reach();
    if (buffer_.size() < reach + readSize)
        buffer_.resize(reach + readSize);
    TextWindow window;
    window.bytes = buffer_.data();
    std::size_t kept = 0;  // bytes of the window before, at the start of the buffer
    while (!search.Settled() && !stop.stop_requested()) {
        char* piece = buffer_.data() + kept;
        const std::size_t n = reader.Read(piece, readSize);
        const auto* zero = static_cast<const char*>(std::memchr(piece, 0, n));
        window.size = zero != nullptr ? static_cast<std::size_t>(zero - buffer_.data()) : kept + n;
        window.final = n == 0 || zero != nullptr;
        search.Search(window, n == 0);
        if (window.final)
            break;
        const std::size_t keep = std::min(reach, window.size);
        const std::size_t start = window.size - keep;
        if (search.AnyShiftJis())
            window.trail = TrailTracker(window, platform::ShiftJisLeadBytes()).At(start);
        std::memmove(buffer_.data(), buffer_.data() + start, keep);
        kept = keep;
    }
    return search.Found();
}

}  // namespace tanmira
