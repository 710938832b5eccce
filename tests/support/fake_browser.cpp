// The test browser that loads nothing.
#include "tests/support/fake_browser.h"

#include <memory>

#include "search/exceptions.h"

namespace tanmira::testing {

FakeBrowser::FakeBrowser(QWidget* parent, std::function<long long()> clock)
    : widget_(new QWidget(parent)), clock_(std::move(clock)) {}

FakeBrowser::~FakeBrowser() {
    delete widget_;
}

void FakeBrowser::Navigate(const QString& address) {
    if (refuse && refuse(address))
        throw Exception("refused: " + address.toStdString());
    navigations.push_back({clock_ ? clock_() : 0, address});
}

std::vector<QString> FakeBrowser::Pages() const {
    std::vector<QString> pages;
    for (const auto& n : navigations) {
        if (n.address != "about:blank")
            pages.push_back(n.address);
    }
    return pages;
}

BrowserFactory FakeBrowserFactory() {
    return [](QWidget* parent) { return std::make_unique<FakeBrowser>(parent); };
}

}  // namespace tanmira::testing
