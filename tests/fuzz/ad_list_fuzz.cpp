// Fuzz target: the banner's list reading. Whatever the server sends, the list keeps to its
// limits, no entry holds a line break or a 0 byte, and every entry the banner would show is an http
// or https address with a host, also when the browser parses it leniently as it navigates.
#include <QUrl>

#include "banner/ad_list.h"
#include "display/display_text.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::FuzzInput(data, size).Rest();
    TStringList list;
    ReadAdListText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())), list);
    Check(list.LineCount() <= kMaxAdListEntries);
    for (const std::string& entry : list.Lines())
        Check(entry.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    int previous = -1;
    for (const int i : ShowableEntries(list)) {
        Check(i > previous && i < list.LineCount());
        previous = i;
        const QString entry = FromSystemText(list.Lines()[static_cast<std::size_t>(i)]);
        const QUrl url(entry);
        const QString scheme = url.scheme().toLower();
        Check(scheme == "http" || scheme == "https");
        Check(!url.host().isEmpty() && !url.isLocalFile());
        const QString lowered = entry.trimmed().toLower();
        for (const char* local : {"file:", "javascript:", "data:", "about:", "qrc:"})
            Check(!lowered.startsWith(QLatin1String(local)));
    }
    return 0;
}
