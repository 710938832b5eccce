// Code pages on POSIX: the system code page is UTF-8 (no lead bytes); conversions use iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/platform.h"
#include "platform/wide_text.h"

namespace tanmira::platform {

namespace {

const char* IconvName(CodePage page) {
    switch (page) {
        case CodePage::ShiftJis:
            return "CP932";
        case CodePage::EucJp:
            return "EUC-JP";
        case CodePage::Utf16Le:
            return "UTF-16LE";
        case CodePage::Utf16Be:
            return "UTF-16BE";
        case CodePage::System:
        case CodePage::Utf8:
            return "UTF-8";
    }
    return "UTF-8";
}

// Closes an iconv descriptor on every way out.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (Valid())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

  private:
    iconv_t cd_;
};

}  // namespace

const LeadByteTable& SystemLeadBytes() {
    static const LeadByteTable none;
    return none;
}

std::optional<std::string> ConvertCodePage(const std::string& text, CodePage from, CodePage to) {
    const char* fromName = IconvName(from);
    const char* toName = IconvName(to);
    if (text.empty())
        return std::string();
    IconvHandle cd(toName, fromName);
    if (!cd.Valid())
        return std::nullopt;

    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd.Get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            continue;
        if (errno != E2BIG)
            return std::nullopt;  // unrepresentable character or invalid input
        const std::size_t used = out.size() - outLeft;
        out.resize(out.size() * 2);
        outPtr = out.data() + used;
        outLeft = out.size() - used;
    }
    if (iconv(cd.Get(), nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::string DecodeToUtf8(std::string_view text, CodePage from) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    if (from == CodePage::Utf16Le || from == CodePage::Utf16Be)
        return Utf16BytesToUtf8(text, from == CodePage::Utf16Be);
    // Every other code page here reads ASCII as ASCII: the common case needs no converter.
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(text);
    IconvHandle cd("UTF-8", IconvName(from));
    std::string out;
    if (!cd.Valid())
        return out;
    char chunk[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(cd.Get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, sizeof chunk - outLeft);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // An invalid or cut sequence: one byte stands for one replacement character.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace tanmira::platform
