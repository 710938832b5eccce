// The embedded browser as the banner sees it: navigate, a completion event, and the text of the
// current document. The real one wraps Qt WebEngine; tests use a fake.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace tanmira {

class Browser {
  public:
    virtual ~Browser() = default;

    // Starts loading address; completion is reported later through onDocumentComplete, a failed
    // load through onLoadFailed. Never reports from inside the call.
    virtual void Navigate(const QString& address) = 0;

    // Text content of the current document (innerText of its root element). The real browser
    // gives at most one character more than the advertisement list reads: enough to tell that
    // the text is longer.
    virtual QString InnerText() const = 0;

    // The widget that shows the pages.
    virtual QWidget* Widget() = 0;

    // From now on every page is an ad, held to an ad's limits: one that stops answering or takes
    // too much memory is ended. Pages shown before (the list) are not, and none of them is kept.
    virtual void HoldToAdLimits() {}

    // DocumentComplete: called on the user-interface thread after a document finished loading
    // and its text is at hand.
    std::function<void(const QString& url)> onDocumentComplete;

    // Called instead of onDocumentComplete when a load failed: httpStatus is the HTTP error
    // status (400 and above), or 0 for a network error.
    std::function<void(const QString& url, int httpStatus)> onLoadFailed;

    // Called after the browser ended the page of address (as given to Navigate) because its
    // renderer grew past the memory an ad may take; the view is then empty.
    std::function<void(const QString& address)> onPageTooLarge;
};

// The page of the program's own that the banner shows while it has no list to show from; built
// into the program, so it needs no server.
QString BuiltInPageAddress();

// Makes the browser of a banner frame, as a child of parent.
using BrowserFactory = std::function<std::unique_ptr<Browser>(QWidget* parent)>;

// The factory of the real browser (Qt WebEngine).
BrowserFactory WebEngineBrowserFactory();

// Prepares the process for the real browser; call before the QApplication is constructed.
void PrepareBrowserEngine();

}  // namespace tanmira
