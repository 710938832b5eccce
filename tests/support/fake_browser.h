// A browser for tests and benchmarks that loads nothing: it shows an empty widget, records what it
// is asked to load and reports a load as finished or failed only when the test says so.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "banner/browser.h"

namespace tanmira::testing {

class FakeBrowser : public Browser {
  public:
    struct Navigation {
        long long time;
        QString address;
    };

    // clock gives the time recorded with each navigation (0 without one).
    explicit FakeBrowser(QWidget* parent, std::function<long long()> clock = {});
    ~FakeBrowser() override;

    void Navigate(const QString& address) override;
    QString InnerText() const override { return text; }
    QWidget* Widget() override { return widget_; }

    void Complete(const QString& url) { onDocumentComplete(url); }
    void Fail(const QString& url, int httpStatus) { onLoadFailed(url, httpStatus); }

    // The addresses asked for, without the about:blank pages.
    std::vector<QString> Pages() const;

    QString text;                                // what the current document holds
    std::function<bool(const QString&)> refuse;  // addresses whose Navigate raises
    std::vector<Navigation> navigations;

  private:
    QPointer<QWidget> widget_;  // the parent may delete it first
    std::function<long long()> clock_;
};

// Makes a FakeBrowser for each window that asks for a browser.
BrowserFactory FakeBrowserFactory();

}  // namespace tanmira::testing
