// The real browser of the banner: an adapter over QWebEngineView. An ad is a guest: pages may not
// open windows or read local files, only http, https and about:blank are loaded, a page may
// navigate itself only a few times, no JavaScript dialog shows, the sound is off, and only a real
// click of the user opens one address in the user's default browser. A page that stops answering
// or whose renderer grows too large is ended: its page object, and with it the renderer, is
// replaced by a fresh one.
#include <QApplication>
#include <QChildEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
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
#include "platform/platform.h"

namespace tanmira {

namespace {

bool IsBlankPage(const QUrl& url) {
    return url.scheme() == "about" && url.path() == "blank";
}

// How long after a mouse press in the view an address may open outside.
constexpr qint64 kClickMilliseconds = 2000;
// How often the page is asked whether it answers, and its renderer's memory read.
constexpr int kWatchMilliseconds = 500;
// A page that leaves a question unanswered this long (without a new load meanwhile) is ended.
constexpr qint64 kUnresponsiveMilliseconds = 5000;
// A page whose renderer holds more memory than this is ended.
constexpr std::uint64_t kMaxRendererBytes = 256u << 20;

// The banner's view and the widgets it adds inside itself: keeps them out of the keyboard focus
// (the banner shows no focus mark, so a Tab stop or a click there would leave the focus
// invisible) and notes the user's mouse presses, each of which lets one address open outside.
class GuestView : public QObject {
  public:
    explicit GuestView(QWidget* root) : QObject(root) { Watch(root); }

    // True once per mouse press of the last kClickMilliseconds.
    bool TakeClick() {
        if (!pressed_.isValid() || pressed_.elapsed() > kClickMilliseconds)
            return false;
        pressed_.invalidate();
        return true;
    }

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ChildAdded:
            case QEvent::ChildPolished:
                if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
                    Watch(child);
                break;
            case QEvent::MouseButtonPress:
                // Only the user's own presses: synthesized ones come from touch or the system.
                if (static_cast<QMouseEvent*>(event)->source() == Qt::MouseEventNotSynthesized)
                    pressed_.start();
                break;
            default:
                break;
        }
        return false;
    }

  private:
    void Watch(QWidget* widget) {
        widget->setFocusPolicy(Qt::NoFocus);
        widget->removeEventFilter(this);
        widget->installEventFilter(this);
    }

    QElapsedTimer pressed_;
};

class AdPage : public QWebEnginePage {
  public:
    AdPage(QObject* parent, GuestView* guest) : QWebEnginePage(parent), guest_(guest) {
        QWebEngineSettings* s = settings();
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
        s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
        setAudioMuted(true);
        // A page that asks for a new window gets none; its address may open outside instead.
        connect(
            this, &QWebEnginePage::newWindowRequested,
            [this](QWebEngineNewWindowRequest& request) { OpenOutside(request.requestedUrl()); });
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

    // No dialog of a page ever shows: an alert is dropped, a prompt cancelled, and a question
    // (a beforeunload question comes here too) answered so that the banner can move on.
    void javaScriptAlert(const QUrl& /*origin*/, const QString& /*message*/) override {}
    bool javaScriptConfirm(const QUrl& /*origin*/, const QString& /*message*/) override {
        return true;
    }
    bool javaScriptPrompt(const QUrl& /*origin*/, const QString& /*message*/,
                          const QString& /*defaultValue*/, QString* /*result*/) override {
        return false;
    }
    QStringList chooseFiles(FileSelectionMode /*mode*/, const QStringList& /*oldFiles*/,
                            const QStringList& /*acceptedMimeTypes*/) override {
        return {};
    }

  private:
    // Hands url to the user's default browser, if the user has just clicked in the banner (a
    // script's click, a timer's navigation or a second address of one click open nothing).
    void OpenOutside(const QUrl& url) {
        if (IsShowableAddress(url.toString()) && guest_->TakeClick())
            QDesktopServices::openUrl(url);
    }

    static constexpr int kSelfNavigations = 3;
    GuestView* guest_;
    int selfNavigations_ = 0;
};

class WebEngineBrowser : public Browser {
  public:
    explicit WebEngineBrowser(QWidget* parent)
        : view_(new QWebEngineView(parent)),
          guest_(new GuestView(view_)),
          alive_(std::make_shared<bool>(true)) {
        view_->setContextMenuPolicy(Qt::NoContextMenu);
        NewPage();
        auto* watch = new QTimer(view_);
        QObject::connect(watch, &QTimer::timeout, view_, [this] { Watch(); });
        watch->start(kWatchMilliseconds);
    }

    ~WebEngineBrowser() override {
        *alive_ = false;
        delete view_;
    }

    void Navigate(const QString& address) override {
        address_ = address;
        requested_ = QUrl(address);
        page_->CountSelfNavigationsFromHere();
        view_->load(requested_);
    }

    QString InnerText() const override { return text_; }

    QWidget* Widget() override { return view_; }

    // The list's page, whose renderer may have grown large with it, goes: ads start afresh.
    void HoldToAdLimits() override {
        adLimits_ = true;
        NewPage();
    }

  private:
    // Puts a fresh page into the view and deletes the one it held, which ends that page's
    // renderer, answering or not.
    void NewPage() {
        AdPage* old = page_;
        page_ = new AdPage(view_, guest_);
        view_->setPage(page_);
        QObject::connect(page_, &QWebEnginePage::loadingChanged, view_,
                         [this](const QWebEngineLoadingInfo& info) { LoadingChanged(info); });
        ++load_;  // what the old page still had to say is not awaited
        question_.invalidate();
        delete old;
    }

    // Once pages are ads: ends the page when its renderer has grown too large or it left a
    // question unanswered too long; otherwise asks it the next question.
    void Watch() {
        const qint64 pid = page_->renderProcessPid();
        if (!adLimits_ || pid <= 0)
            return;
        const std::optional<std::uint64_t> bytes = platform::ProcessResidentBytes(pid);
        if (bytes && *bytes > kMaxRendererBytes) {
            NewPage();
            if (onPageTooLarge)
                onPageTooLarge(address_);
            return;
        }
        // A load begun since the question was asked may drop it unanswered: ask again.
        if (question_.isValid() && questionLoad_ == load_) {
            if (question_.elapsed() > kUnresponsiveMilliseconds)
                NewPage();
            return;
        }
        question_.start();
        questionLoad_ = load_;
        std::weak_ptr<bool> alive = alive_;
        const int load = load_;
        page_->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                             [this, alive, load](const QVariant&) {
                                 if (alive.expired() || !*alive.lock() || load != load_)
                                     return;
                                 question_.invalidate();
                             });
    }

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
        page_->runJavaScript(
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
    GuestView* guest_;
    bool adLimits_ = false;
    AdPage* page_ = nullptr;
    QString address_;  // as the banner gave it
    QUrl requested_;
    std::shared_ptr<bool> alive_;
    int load_ = 0;
    QElapsedTimer question_;  // since the unanswered question to the page was asked
    int questionLoad_ = 0;    // load_ when it was asked
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
