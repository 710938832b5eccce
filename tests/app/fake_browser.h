// A browser that shows an empty widget and loads nothing, for windows built without the real
// embedded browser (tests and benchmarks).
#pragma once

#include <QWidget>
#include <memory>

#include "banner/browser.h"

namespace tanmira::test {

class FakeBrowser : public Browser {
  public:
    explicit FakeBrowser(QWidget* parent) : widget_(new QWidget(parent)) {}
    void Navigate(const QString&) override {}
    QString InnerText() const override { return {}; }
    QWidget* Widget() override { return widget_; }

  private:
    QWidget* widget_;
};

inline BrowserFactory FakeBrowserFactory() {
    return [](QWidget* parent) { return std::make_unique<FakeBrowser>(parent); };
}

}  // namespace tanmira::test
