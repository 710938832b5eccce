// The real browser of the banner: an adapter over QWebEngineView. Pages may not open windows or
// read local files, only http, https and about:blank are loaded, a page may navigate itself only
// a few times, and a click on a link opens it in the user's default browser.
#include <QApplication>
#include <QChildEvent>
#include <QDesktopServices>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "banner/ad_list.h"
#include "banner/browser.h"

namespace tanmira {

namespace {

bool IsBlankPage(const QUrl& url) {
    return url.scheme() == "about" && url.path() == "blank";
}

void OpenOutside(const QUrl& url) {
    if (IsShowableAddress(url.toString()))
        QDesktopServices::openUrl(url);
}

class AdPage : public QWebEnginePage {
  public:
    explicit AdPage(QObject* parent) : QWebEnginePage(parent) {
        QWebEngineSettings* s = settings();
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
        s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
        // A page that asks for a new window gets none; its address opens outside instead.
        connect(this, &QWebEnginePage::newWindowRequested,
                [](QWebEngineNewWindowRequest& request) { OpenOutside(request.requestedUrl()); });
    }

    // Starts the count of the navigations the page makes by itself afresh; called for every
    // address the banner loads.
    void CountSelfNavigationsFromHere() { selfNavigations_ = 0; }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (type == NavigationTypeLinkClicked) {
            OpenOutside(url);
            return false;
        }
        if (url == QUrl(BuiltInPageAddress()))
            return isMainFrame;
        if (!IsShowableAddress(url.toString()))
            return IsBlankPage(url) || (!isMainFrame && url.scheme() == "about");
        // Redirects, refreshes, reloads and scripts of the page itself: a few are allowed, a page
        // that keeps reloading itself is stopped.
        if (isMainFrame && type != NavigationTypeTyped && ++selfNavigations_ > kSelfNavigations)
            return false;
        return true;
    }

  private:
    static constexpr int kSelfNavigations = 3;
    int selfNavigations_ = 0;
};

// Keeps the view and the widgets it adds inside itself out of the keyboard focus: the banner
// shows no focus mark, so a Tab stop or a click there would leave the focus invisible.
class NoFocusTree : public QObject {
  public:
    explicit NoFocusTree(QWidget* root) : QObject(root) {
        root->setFocusPolicy(Qt::NoFocus);
        root->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
            if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
                child->setFocusPolicy(Qt::NoFocus);
        }
        return false;
    }
};

class WebEngineBrowser : public Browser {
  public:
    explicit WebEngineBrowser(QWidget* parent)
        : view_(new QWebEngineView(parent)), alive_(std::make_shared<bool>(true)) {
        page_ = new AdPage(view_);
        view_->setPage(page_);
        view_->setContextMenuPolicy(Qt::NoContextMenu);
        new NoFocusTree(view_);
        QObject::connect(page_, &QWebEnginePage::loadingChanged, view_,
                         [this](const QWebEngineLoadingInfo& info) { LoadingChanged(info); });
    }

    ~WebEngineBrowser() override {
        *alive_ = false;
        delete view_;
    }

    void Navigate(const QString& address) override {
        requested_ = QUrl(address);
        page_->CountSelfNavigationsFromHere();
        view_->load(requested_);
    }

    QString InnerText() const override { return text_; }

    QWidget* Widget() override { return view_; }

  private:
    void LoadingChanged(const QWebEngineLoadingInfo& info) {
        const QString url = info.url().toString();
        switch (info.status()) {
            case QWebEngineLoadingInfo::LoadStartedStatus:
                ++load_;
                return;
            case QWebEngineLoadingInfo::LoadStoppedStatus:
                // A load that was not replaced by a newer one but stopped anyway (a download
                // refused, a navigation refused) ends without a document: a failure.
                if (onLoadFailed && info.url() == requested_)
                    onLoadFailed(url, 0);
                return;
            case QWebEngineLoadingInfo::LoadFailedStatus:
                if (onLoadFailed) {
                    const bool http =
                        info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain;
                    onLoadFailed(url, http ? info.errorCode() : 0);
                }
                return;
            case QWebEngineLoadingInfo::LoadSucceededStatus:
                break;
        }
        if (info.isErrorPage()) {
            if (onLoadFailed)
                onLoadFailed(url, 0);
            return;
        }
        // The text is read asynchronously; the completion is reported once it is at hand, and
        // only if no other load began meanwhile.
        const int load = load_;
        std::weak_ptr<bool> alive = alive_;
        view_->page()->runJavaScript(
            QStringLiteral("document.documentElement ? "
                           "document.documentElement.innerText.substring(0, %1) : ''")
                .arg(kMaxAdListCharacters + 1),
            QWebEngineScript::ApplicationWorld, [this, alive, load, url](const QVariant& result) {
                if (alive.expired() || !*alive.lock() || load != load_)
                    return;
                text_ = result.toString();
                if (onDocumentComplete)
                    onDocumentComplete(url);
            });
    }

    QWebEngineView* view_;
    AdPage* page_;
    QUrl requested_;
    std::shared_ptr<bool> alive_;
    int load_ = 0;
    QString text_;
};

}  // namespace

BrowserFactory WebEngineBrowserFactory() {
    return [](QWidget* parent) -> std::unique_ptr<Browser> {
        return std::make_unique<WebEngineBrowser>(parent);
    };
}

void PrepareBrowserEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#ifdef Q_OS_UNIX
    // The browser engine refuses to start its sandbox as root and would end the whole program;
    // the banner then runs without it (it only shows pages of the advertising host).
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

}  // namespace tanmira
