// The advertising banner frame: start-up, list reading, rotation and re-centring.
#include "banner/koukoku2.h"

#include <QLayout>
#include <QResizeEvent>
#include <QWidget>
#include <QtGlobal>
#include <vector>

#include "banner/ad_list.h"
#include "banner/random.h"
#include "display/display_text.h"

#ifndef TANMIRA_AD_HOST
#error "TANMIRA_AD_HOST must name the advertising-list server"
#endif

namespace tanmira {

namespace {

constexpr char kListPath[] = "/soft/koukoku/koukokulist.txt";
constexpr char kBlankPage[] = "about:blank";

QString ListAddressOn(const QString& host) {
    return "http://" + host + kListPath;
}

}  // namespace

QString BuiltInPageAddress() {
    return QStringLiteral("qrc:/tanmira/banner/title.html");
}

QString DefaultAdListAddress() {
    const QString host = qEnvironmentVariable("TANMIRA_AD_HOST");
    return ListAddressOn(host.isEmpty() ? QStringLiteral(TANMIRA_AD_HOST) : host);
}

Tkoukoku::Tkoukoku(QWidget* parent, BrowserFactory factory, TimerFactory timers)
    : QFrame(parent), listAddress_(DefaultAdListAddress()) {
    setGeometry(0, 0, 443, 150);

    koukokutimer = timers();
    koukokuweb = factory(this);
    kidou = timers();
    saishutoku = timers();

    koukokuweb->Widget()->setGeometry(176, 0, 300, 150);
    koukokuweb->onDocumentComplete = [this](const QString& url) {
        Guarded([&] { koukokuwebDocumentComplete(url); });
    };
    koukokuweb->onLoadFailed = [this](const QString& url, int httpStatus) {
        Guarded([&] { koukokuwebLoadFailed(url, httpStatus); });
    };
    koukokuweb->onPageTooLarge = [this](const QString& address) {
        Guarded([&] { koukokuwebPageTooLarge(address); });
    };

    koukokutimer->SetInterval(30000);
    koukokutimer->SetOnTimer([this] { Guarded([this] { koukokutimerTimer(); }); });
    saishutoku->SetInterval(kRetryMilliseconds);
    saishutoku->SetOnTimer([this] { Guarded([this] { saishutokuTimer(); }); });
    kidou->SetInterval(3);
    kidou->SetOnTimer([this] { Guarded([this] { kidouTimer(); }); });
    kidou->SetEnabled(true);
}

// The browser goes first: its widget is a child of this frame.
Tkoukoku::~Tkoukoku() {
    koukokuweb.reset();
}

void Tkoukoku::SetBrowserLeft(int left) {
    koukokuweb->Widget()->move(left, 0);
}

void Tkoukoku::SetHandlerGuard(HandlerGuard guard) {
    guard_ = std::move(guard);
}

void Tkoukoku::SetListHost(const QString& host) {
    listAddress_ = ListAddressOn(host);
}

void Tkoukoku::kidouTimer() {
    kidou->SetEnabled(false);
    BannerWidth = 477;
    BannerHeight = 68;
    ResizeAligned(BannerWidth, BannerHeight);
    QWidget* web = koukokuweb->Widget();
    web->resize(BannerWidth, web->height());
    web->resize(web->width(), BannerHeight);
    LastIndex = -5;
    IntervalSeconds = 30;
    web->move(width() / 2 - web->width() / 2, web->y());
    Randomize();
    AdList = std::make_unique<TStringList>();
    koukokuweb->Navigate(listAddress_);
}

void Tkoukoku::koukokuwebDocumentComplete(const QString& url) {
    if (ListLoaded)
        return;
    // Before the start-up there is no list to fill; about:blank after a failed download is not
    // the list either.
    if (!AdList || !IsShowableAddress(url))
        return;
    ReadAdList(*AdList);
    koukokuweb->HoldToAdLimits();
    koukokuweb->Navigate(QString::fromLatin1(kBlankPage));
    ListLoaded = -1;
    saishutoku->SetEnabled(false);
    koukokutimer->SetInterval(1);
    koukokutimer->SetEnabled(true);
}

void Tkoukoku::koukokuwebLoadFailed(const QString& url, int /*httpStatus*/) {
    // A failed advertisement page simply stays as the browser shows it; a failed page of the
    // program's own is not the list's failure.
    if (ListLoaded || !AdList || !IsShowableAddress(url))
        return;
    // What the server or the browser sent in place of the list is never read as the list; the
    // program's own page stands in until the list arrives.
    saishutoku->SetEnabled(true);
    koukokuweb->Navigate(BuiltInPageAddress());
}

void Tkoukoku::koukokuwebPageTooLarge(const QString& address) {
    tooLarge_.append(address);
}

void Tkoukoku::saishutokuTimer() {
    saishutoku->SetEnabled(false);
    koukokuweb->Navigate(listAddress_);
}

void Tkoukoku::koukokutimerTimer() {
    std::vector<int> showable = ShowableEntries(*AdList);
    std::erase_if(showable, [this](int i) {
        return tooLarge_.contains(QString::fromLocal8Bit(AdList->LineAt(i)));
    });
    // Nothing new to show: an empty list, or a single entry already on screen.
    if (showable.empty() || (showable.size() == 1 && showable.front() == LastIndex)) {
        koukokutimer->SetEnabled(false);
        // A list without a page to show leaves the program's own page in the strip.
        if (showable.empty())
            koukokuweb->Navigate(BuiltInPageAddress());
        return;
    }
    int i;
    do {
        i = showable[Random(static_cast<std::uint32_t>(showable.size()))];
    } while (i == LastIndex);
    LastIndex = i;

    // The 30-second period is set even when the page is refused, so that a failing page is not
    // retried every millisecond.
    std::exception_ptr failure;
    try {
        koukokuweb->Navigate(FromSystemText(AdList->LineAt(i)));
    } catch (...) {
        failure = std::current_exception();
    }
    koukokutimer->SetInterval(IntervalSeconds * 1000);
    if (failure)
        std::rethrow_exception(failure);
}

void Tkoukoku::FrameResize() {
    QWidget* web = koukokuweb->Widget();
    web->move(width() / 2 - 234, web->y());
}

void Tkoukoku::ReadAdList(TStringList& list) {
    ReadAdListText(koukokuweb->InnerText(), list);
    tooLarge_.clear();
}

void Tkoukoku::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Guarded([this] { FrameResize(); });
}

void Tkoukoku::Guarded(const std::function<void()>& handler) {
    if (guard_) {
        guard_(handler);
        return;
    }
    try {
        handler();
    } catch (const std::exception& error) {
        qWarning("%s", error.what());
    }
}

void Tkoukoku::ResizeAligned(int width, int height) {
    resize(width, this->height());
    resize(this->width(), height);
    QWidget* parent = parentWidget();
    if (!parent || !parent->layout())
        return;
    parent->layout()->invalidate();
    parent->layout()->activate();
}

}  // namespace tanmira
