// The banner's list reading and the addresses it may show.
#include "banner/ad_list.h"

#include <QUrl>
#include <algorithm>

#include "display/display_text.h"

namespace tanmira {

bool IsShowableAddress(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == "http" || scheme == "https") && !url.host().isEmpty();
}

void ReadAdListText(const QString& text, TStringList& list) {
    QString kept = text.left(kMaxAdListCharacters);
    if (text.size() > kMaxAdListCharacters) {
        const qsizetype lastBreak =
            std::max(kept.lastIndexOf(QLatin1Char('\n')), kept.lastIndexOf(QLatin1Char('\r')));
        kept.truncate(lastBreak + 1);
    }
    list.ClearLines();
    list.SetText(ToSystemText(kept));
    if (list.LineCount() <= kMaxAdListEntries)
        return;
    std::vector<std::string> lines;
    list.SwapLines(lines);
    lines.resize(kMaxAdListEntries);
    list.SwapLines(lines);
}

std::vector<int> ShowableEntries(const TStringList& list) {
    std::vector<int> showable;
    for (int i = 0; i < list.LineCount(); ++i) {
        if (IsShowableAddress(FromSystemText(list.Lines()[static_cast<std::size_t>(i)])))
            showable.push_back(i);
    }
    return showable;
}

}  // namespace tanmira
