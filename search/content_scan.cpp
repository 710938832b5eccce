// Content scanning: line breaks made CR LF, text cut at the first 0 byte, folding carried across
// pieces, and a search window that keeps the last bytes of the previous piece.
#include "search/content_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// Bytes folded and searched at a time.
constexpr std::size_t kSliceSize = 64 * 1024;

// Turns every line break into CR LF, across pieces.
class LineBreakNormalizer {
  public:
    void Append(std::string_view piece, std::string& out) {
        for (char c : piece) {
            if (c == '\r') {
                out += "\r\n";
                afterCr_ = true;
            } else if (c == '\n') {
                if (!afterCr_)
                    out += "\r\n";
                afterCr_ = false;
            } else {
                out += c;
                afterCr_ = false;
            }
            last_ = c;
            any_ = true;
        }
    }

    // A last line without a line break still ends with CR LF.
    void Finish(std::string& out) const {
        if (any_ && last_ != '\r' && last_ != '\n')
            out += "\r\n";
    }

  private:
    bool afterCr_ = false;
    bool any_ = false;
    char last_ = '\0';
};

// Folds A-Z to a-z, leaving trail bytes alone, across pieces.
class PieceFolder {
  public:
    explicit PieceFolder(const platform::LeadByteTable& leadBytes) : leadBytes_(leadBytes) {}

    // Folds piece into out, which only grows (no bytes are cleared that are overwritten anyway);
    // gives the folded bytes.
    std::string_view Fold(std::string_view piece, std::string& out) {
        if (out.size() < piece.size())
            out.resize(piece.size());
        if (leadBytes_.none()) {
            FoldAscii(piece, out);
            return std::string_view(out.data(), piece.size());
        }
        for (std::size_t i = 0; i < piece.size(); ++i) {
            const char c = piece[i];
            if (trail_) {
                out[i] = c;
                trail_ = false;
            } else if (c >= 'A' && c <= 'Z') {
                out[i] = static_cast<char>(c - 'A' + 'a');
            } else {
                out[i] = c;
                trail_ = leadBytes_.test(static_cast<unsigned char>(c));
            }
        }
        return std::string_view(out.data(), piece.size());
    }

  private:
    // Without lead bytes every byte stands alone: fold eight at a time. In each byte the low
    // seven bits plus a constant set the top bit exactly when they lie above "Z" or at or above
    // "A"; bytes with the top bit set are never letters.
    static void FoldAscii(std::string_view piece, std::string& out) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kTop = 0x8080808080808080ULL;
        const char* in = piece.data();
        char* o = out.data();
        std::size_t i = 0;
        for (; i + 8 <= piece.size(); i += 8) {
            std::uint64_t x;
            std::memcpy(&x, in + i, 8);
            const std::uint64_t low = x & ~kTop;
            const std::uint64_t aboveZ = low + (0x7F - 'Z') * kOnes;
            const std::uint64_t fromA = low + (0x80 - 'A') * kOnes;
            const std::uint64_t upper = ~x & (fromA ^ aboveZ) & kTop;
            x |= upper >> 2;
            std::memcpy(o + i, &x, 8);
        }
        for (; i < piece.size(); ++i) {
            const char c = in[i];
            o[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }

    const platform::LeadByteTable& leadBytes_;
    bool trail_ = false;
};

// Looks for one pattern in a stream of folded pieces.
class StreamSearch {
  public:
    explicit StreamSearch(const ContentPattern& pattern) : pattern_(pattern) {}

    bool Found() const { return found_; }

    // Found, or never to be found.
    bool Settled() const { return found_ || !pattern_.CanOccur(); }

    void Feed(std::string_view piece) {
        if (Settled())
            return;
        // A match across the end of the previous piece lies within its last bytes, kept in
        // carry_, and the first bytes of this one.
        const std::size_t overlap = pattern_.Folded().size() - 1;
        carry_.append(piece.substr(0, overlap));
        found_ = pattern_.OccursIn(carry_) || pattern_.OccursIn(piece);
        if (piece.size() >= overlap)
            carry_.assign(piece.substr(piece.size() - overlap));
        else if (carry_.size() > overlap)
            carry_.erase(0, carry_.size() - overlap);
    }

  private:
    const ContentPattern& pattern_;
    std::string carry_;
    bool found_ = false;
};

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

}  // namespace

ContentPattern::ContentPattern(const PreparedKeyword& keyword)
    : folded_(FoldCase(keyword.bytes,
                       keyword.shiftJisFolding ? platform::ShiftJisLeadBytes() : NoLeadBytes())),
      canOccur_(keyword.representable && !keyword.bytes.empty()),
      shiftJisFolding_(keyword.shiftJisFolding),
      hasLineBreak_(folded_.find_first_of("\r\n") != std::string::npos) {}

bool ContentPattern::OccursIn(std::string_view text) const {
    return platform::FindBytes(text, folded_) != std::string_view::npos;
}

bool ContentScanner::CanOpen(const std::string& path) {
    return platform::InputFile(path).IsOpen();
}

std::optional<std::vector<bool>> ContentScanner::Scan(
    const std::string& path, const std::vector<const ContentPattern*>& patterns) {
    platform::InputFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    FileReader reader(file);
    return Scan(reader, patterns);
}

std::vector<bool> ContentScanner::Scan(ByteReader& reader,
                                       const std::vector<const ContentPattern*>& patterns) {
    // Line breaks matter only to a pattern that holds one: elsewhere a match lies within a line,
    // where the raw bytes and the CR LF text agree.
    bool normalize = false;
    std::vector<StreamSearch> searches;
    searches.reserve(patterns.size());
    std::array<std::vector<std::size_t>, 2> byRule;  // patterns folded plainly, or as Shift_JIS
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        searches.emplace_back(*patterns[k]);
        if (!patterns[k]->CanOccur())
            continue;
        byRule[patterns[k]->ShiftJisFolding() ? 1 : 0].push_back(k);
        normalize = normalize || patterns[k]->HasLineBreak();
    }
    std::array<PieceFolder, 2> folders{PieceFolder(NoLeadBytes()),
                                       PieceFolder(platform::ShiftJisLeadBytes())};
    LineBreakNormalizer normalizer;

    auto feed = [&](std::string_view text) {
        for (std::size_t rule = 0; rule < folders.size(); ++rule) {
            if (byRule[rule].empty())
                continue;
            const std::string_view folded = folders[rule].Fold(text, folded_[rule]);
            for (std::size_t k : byRule[rule])
                searches[k].Feed(folded);
        }
    };
    auto allSettled = [&] {
        return std::all_of(searches.begin(), searches.end(),
                           [](const StreamSearch& s) { return s.Settled(); });
    };

    const std::size_t readSize = ReadSize(reader.SizeHint(), pieceSize_);
    if (raw_.size() < readSize)
        raw_.resize(readSize);
    bool ended = false;
    while (!ended && !allSettled()) {
        const std::size_t n = reader.Read(raw_.data(), readSize);
        std::string_view piece(raw_.data(), n);
        const std::size_t zero = piece.find('\0');
        if (zero != std::string_view::npos)
            piece = piece.substr(0, zero);
        ended = n == 0 || zero != std::string_view::npos;
        // Slices keep the work after an early find small.
        for (std::size_t at = 0; at < piece.size() && !allSettled(); at += kSliceSize) {
            const std::string_view slice = piece.substr(at, kSliceSize);
            if (!normalize) {
                feed(slice);
                continue;
            }
            normalized_.clear();
            normalizer.Append(slice, normalized_);
            feed(normalized_);
        }
        if (ended && normalize && !allSettled()) {
            normalized_.clear();
            normalizer.Finish(normalized_);
            feed(normalized_);
        }
    }

    std::vector<bool> found;
    found.reserve(searches.size());
    for (const StreamSearch& s : searches)
        found.push_back(s.Found());
    return found;
}

}  // namespace tanmira
