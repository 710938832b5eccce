// The banner with the real browser against a misbehaving list server on the loopback interface:
// no answer, HTTP errors, binary data, a huge list, local and script addresses, a redirect to a
// local file and a page that reloads itself. Whatever the server does, the list is asked for
// once, nothing but http and https pages is shown, and the program stays responsive. Then hostile
// ads: scripts that try to open addresses outside, dialogs, an endless loop and a page that eats
// memory; the ad stays a guest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <fstream>
#include <functional>
#include <ostream>

#include "tests/banner/real_banner.h"

namespace tanmira {
namespace {

using testing::kListPath;
using testing::LoopbackServer;
using testing::RealBanner;

constexpr int kWaitMilliseconds = 120000;  // a 50 MB text takes the renderer long
constexpr long kMaxGrowthKb = 150 * 1024;
constexpr int kObserveMilliseconds = 3000;

// Resident memory of this process in KiB.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

struct HostileCase {
    const char* name;
    // Sets the server's replies; local is the address of a local page that must never show.
    std::function<void(LoopbackServer& server, const QString& local)> serve;
    // True once the banner has done what it will do with the list.
    std::function<bool(const RealBanner& banner, const LoopbackServer& server)> settled;
    int listLoaded;           // ListLoaded once settled: -1 read, 0 not read
    int maxPageRequests = 0;  // how often /ad.html may be asked for during the observation
};

// Shown for the case in test listings, instead of its bytes.
void PrintTo(const HostileCase& hostile, std::ostream* out) {
    *out << hostile.name;
}

QByteArray Lines(std::initializer_list<QByteArray> lines) {
    QByteArray text;
    for (const QByteArray& line : lines)
        text += line + "\r\n";
    return text;
}

const LoopbackServer::Reply kAd = {200, "text/html", "<html><body>ad</body></html>"};

bool Failed(const RealBanner& banner, const LoopbackServer&) {
    return !banner.failures.empty();
}

bool AdRequested(const RealBanner&, const LoopbackServer& server) {
    return server.Requests("/ad.html") > 0;
}

std::vector<HostileCase> Cases() {
    return {
        {"ListRequestNeverAnswered",
         [](LoopbackServer& server, const QString&) {
             server.replies[kListPath] = {200, "text/plain", "", "", true};
         },
         [](const RealBanner&, const LoopbackServer& server) {
             return server.Requests(kListPath) > 0;
         },
         0},
        {"NotFound",
         [](LoopbackServer& server, const QString&) {
             server.replies[kListPath] = {404, "text/plain", server.Url("/ad.html")};
         },
         Failed, 0},
        {"ServerError",
         [](LoopbackServer& server, const QString&) {
             server.replies[kListPath] = {500, "text/html", "<h1>" + server.Url("/ad.html")};
         },
         Failed, 0},
        {"BinaryData",
         [](LoopbackServer& server, const QString&) {
             QByteArray bytes;
             for (int i = 0; i < 65536; ++i)
                 bytes += static_cast<char>((i * 7919) & 0xFF);
             server.replies[kListPath] = {200, "application/octet-stream", bytes};
         },
         [](const RealBanner& banner, const LoopbackServer&) {
             return !banner.failures.empty() || banner.frame->ListLoaded != 0;
         },
         0},
        {"BinaryDataAsText",
         [](LoopbackServer& server, const QString&) {
             QByteArray bytes = server.Url("/ad.html") + "\r\n";
             for (int i = 0; i < 65536; ++i)
                 bytes += static_cast<char>((i * 7919) & 0xFF);
             server.replies[kListPath] = {200, "text/plain", bytes};
             server.replies["/ad.html"] = kAd;
         },
         Failed, 0},  // taken for binary data by the browser, and refused
        {"FiftyMegabyteList",
         [](LoopbackServer& server, const QString&) {
             QByteArray list = server.Url("/ad.html") + "\r\n";
             const QByteArray filler = "not an address " + QByteArray(200, 'x');
             while (list.size() < (50 << 20))
                 list += filler + QByteArray::number(list.size()) + "\r\n";
             server.replies[kListPath] = {200, "text/plain", list};
             server.replies["/ad.html"] = kAd;
         },
         AdRequested, -1, 1},
        {"LocalAndScriptAddresses",
         [](LoopbackServer& server, const QString& local) {
             server.replies[kListPath] = {
                 200, "text/plain",
                 Lines(
                     {local.toUtf8(), "FILE:///etc/passwd", " file:///etc/hosts",
                      "javascript:location='" + server.Url("/js.html") + "'",
                      "data:text/html,<script>location='" + server.Url("/data.html") + "'</script>",
                      "view-source:" + server.Url("/ad.html"), server.Url("/ad.html")})};
             server.replies["/ad.html"] = kAd;
         },
         AdRequested, -1, 1},
        {"RedirectToALocalFile",
         [](LoopbackServer& server, const QString& local) {
             server.replies[kListPath] = {302, "text/plain", "",
                                          "Location: " + local.toUtf8() + "\r\n"};
         },
         Failed, 0},
        {"AdRedirectsToALocalFile",
         [](LoopbackServer& server, const QString& local) {
             server.replies[kListPath] = {200, "text/plain", Lines({server.Url("/ad.html")})};
             server.replies["/ad.html"] = {302, "text/html", "",
                                           "Location: " + local.toUtf8() + "\r\n"};
         },
         AdRequested, -1, 1},
        {"PageThatReloadsItself",
         [](LoopbackServer& server, const QString&) {
             server.replies[kListPath] = {200, "text/plain", Lines({server.Url("/ad.html")})};
             server.replies["/ad.html"] = {
                 200, "text/html",
                 "<html><head><meta http-equiv='refresh' content='0'></head>"
                 "<body><script>setTimeout(() => location.reload(), 0)</script></body></html>"};
         },
         AdRequested, -1, 4},
    };
}

class HostileServer : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileServer, ListAskedForOnceNothingLocalShownProgramResponsive) {
    const HostileCase& hostile = GetParam();
    QTemporaryDir dir;
    const QString localPath = dir.filePath("local.html");
    std::ofstream(localPath.toStdString()) << "<html><body>local</body></html>";
    const QString local = QUrl::fromLocalFile(localPath).toString();

    LoopbackServer server;
    hostile.serve(server, local);
    const long residentBefore = ResidentKb();
    RealBanner banner(server);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return hostile.settled(banner, server); }, kWaitMilliseconds));

    // The event loop keeps turning: a timer set now fires on time.
    bool ticked = false;
    QTimer::singleShot(100, [&] { ticked = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticked; }, 2000));
    QTest::qWait(kObserveMilliseconds);

    EXPECT_EQ(server.Requests(kListPath), 1);  // a retry waits a minute
    EXPECT_EQ(banner.frame->ListLoaded, hostile.listLoaded);
    EXPECT_LE(server.Requests("/ad.html"), hostile.maxPageRequests);
    for (const char* path : {"/js.html", "/data.html"})
        EXPECT_EQ(server.Requests(path), 0) << path;
    for (const QString& url : banner.shown) {
        const QString scheme = QUrl(url).scheme();
        // Besides the server's addresses only blank and the program's own page are shown.
        EXPECT_TRUE(scheme == "http" || scheme == "https" || url == "about:blank" ||
                    url == BuiltInPageAddress())
            << url.toStdString();
    }
    EXPECT_TRUE(banner.errors.empty());
    const long grownKb = ResidentKb() - residentBefore;
    EXPECT_LT(grownKb, kMaxGrowthKb);
    std::cout << "[ report   ] " << hostile.name << ": list requests " << server.Requests(kListPath)
              << ", ad requests " << server.Requests("/ad.html") << ", entries "
              << (banner.frame->AdList ? banner.frame->AdList->LineCount() : 0) << ", failures "
              << banner.failures.size() << ", shown " << banner.shown.size() << ", resident growth "
              << grownKb << " KiB\n";
}

INSTANTIATE_TEST_SUITE_P(Replies, HostileServer, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- Hostile ads --------------------------------------------------------------------------------

// What a guest did that the user would notice: addresses handed to the default browser, and
// dialogs that came up (each closed at once, so that a dialog loop cannot hang the test).
class OutsideWatch : public QObject {
    Q_OBJECT
  public:
    OutsideWatch() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
        connect(&dialogPoll_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            ++dialogs;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        });
        dialogPoll_.start(50);
    }
    ~OutsideWatch() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    Q_INVOKABLE void Open(const QUrl& url) { opened.push_back(url.path()); }

    std::vector<QString> opened;  // the paths of the addresses opened outside
    int dialogs = 0;

  private:
    QTimer dialogPoll_;
};

// The banner showing ads from a list of pages on the loopback server, and what it lets them do.
struct AdScene {
    explicit AdScene(const std::vector<std::pair<QByteArray, QByteArray>>& pages) {
        QByteArray list;
        for (const auto& [path, html] : pages) {
            server.replies[path] = {200, "text/html", html};
            list += server.Url(path) + "\r\n";
        }
        server.replies[kListPath] = {200, "text/plain", list};
        banner = std::make_unique<RealBanner>(server);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&banner->window));
        // The first page is asked for at once after the list.
        EXPECT_TRUE(QTest::qWaitFor([&] { return PageRequests() > 0; }, kWait));
    }

    QWebEngineView* View() const {
        return qobject_cast<QWebEngineView*>(banner->frame->koukokuweb->Widget());
    }
    qint64 RendererPid() const { return View()->page()->renderProcessPid(); }

    int Completions(const QByteArray& path) const {
        const QString url = QString::fromLatin1(server.Url(path));
        return static_cast<int>(std::count(banner->shown.begin(), banner->shown.end(), url));
    }

    // How often the pages of the list have been asked for.
    int PageRequests() const {
        int requests = 0;
        for (const auto& [path, reply] : server.replies) {
            if (path != kListPath)
                requests += server.Requests(path);
        }
        return requests;
    }

    // One turn of the rotation, until the server is asked for the next page.
    bool Rotate() {
        const int before = PageRequests();
        banner->frame->koukokutimerTimer();
        return QTest::qWaitFor([&] { return PageRequests() > before; }, kWait);
    }

    // Rotates until the page at path has been asked for (a bounded number of turns).
    bool Show(const QByteArray& path) {
        for (int turn = 0; turn < 12 && server.Requests(path) == 0; ++turn) {
            if (!Rotate())
                return false;
        }
        return server.Requests(path) > 0;
    }

    // Clicks the middle of the banner as the user would.
    void Click() {
        QWidget* target = View()->focusProxy() ? View()->focusProxy() : View();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    }

    static constexpr int kWait = 30000;
    OutsideWatch watch;
    LoopbackServer server;
    std::unique_ptr<RealBanner> banner;
};

// True when the process is gone or a zombie (its state follows the name in parentheses).
bool ProcessEnded(qint64 pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat))
        return true;
    const std::size_t name = stat.rfind(") ");
    return name != std::string::npos && name + 2 < stat.size() &&
           (stat[name + 2] == 'Z' || stat[name + 2] == 'X');
}

const QByteArray kCalm = "<html><body>calm</body></html>";
// Lets a page tell the server that it got somewhere, before it blocks its own thread.
const QByteArray kTell =
    "function Tell(path) { const r = new XMLHttpRequest(); r.open('GET', path, false); "
    "r.send(); }";

struct AdCase {
    const char* name;
    std::vector<std::pair<QByteArray, QByteArray>> pages;  // path and page, in list order
    std::function<void(AdScene& scene)> play;              // acts and expects
};

void PrintTo(const AdCase& ad, std::ostream* out) {
    *out << ad.name;
}

std::vector<AdCase> AdCases() {
    return {
        {"ScriptsOpenNothingOneClickOpensOne",
         {{"/ad.html",
           "<html><body style='margin:0'>"
           "<a id=l href='/clicked.html' style='display:block;height:68px'>click</a>"
           "<a id=m href='/more.html'>m</a><a id=d href='/download.bin' download>d</a><script>" +
               kTell +
               ""
               "const l = document.getElementById('l'), m = document.getElementById('m');"
               "l.onclick = () => { window.open('/window.html'); m.click(); };"
               "onload = () => { l.click(); document.getElementById('d').click(); Tell('/ready'); "
               "};"
               "let n = 0; setInterval(() => { if (n < 20) location.href = '/href' + n++; }, 300);"
               "</script></body></html>"}},
         [](AdScene& scene) {
             ASSERT_TRUE(scene.Show("/ad.html"));
             ASSERT_TRUE(QTest::qWaitFor([&] { return scene.server.Requests("/ready") > 0; },
                                         AdScene::kWait));
             QTest::qWait(kObserveMilliseconds);
             EXPECT_EQ(scene.watch.opened, std::vector<QString>{});
             scene.Click();
             ASSERT_TRUE(
                 QTest::qWaitFor([&] { return !scene.watch.opened.empty(); }, AdScene::kWait));
             QTest::qWait(kObserveMilliseconds);
             EXPECT_EQ(scene.watch.opened.size(), 1u);
         }},
        {"NoDialogEverShows",
         {{"/dialogs.html",
           "<html><body style='margin:0;height:68px'><script>"
           "alert('a'); confirm('b'); prompt('c');"
           "onbeforeunload = e => { e.preventDefault(); return e.returnValue = 'stay'; };"
           "new Image().src = '/after-dialogs';"
           "</script></body></html>"},
          {"/calm.html", kCalm}},
         [](AdScene& scene) {
             ASSERT_TRUE(scene.Show("/dialogs.html"));
             ASSERT_TRUE(QTest::qWaitFor(
                 [&] { return scene.server.Requests("/after-dialogs") > 0; }, AdScene::kWait));
             // A click lets the page ask before it is left; the rotation leaves it all the same.
             scene.Click();
             const int calm = scene.server.Requests("/calm.html");
             ASSERT_TRUE(scene.Rotate());
             EXPECT_EQ(scene.server.Requests("/calm.html"), calm + 1);
             EXPECT_EQ(scene.watch.dialogs, 0);
         }},
        {"EndlessLoopIsEndedAndReplaced",
         {{"/loop.html", "<html><body><script>" + kTell +
                             "onload = () => setTimeout(() => {"
                             "  Tell('/looping'); for (;;) {} }, 100)</script></body></html>"},
          {"/calm.html", kCalm}},
         [](AdScene& scene) {
             ASSERT_TRUE(scene.Show("/loop.html"));
             ASSERT_TRUE(QTest::qWaitFor([&] { return scene.server.Requests("/looping") > 0; },
                                         AdScene::kWait));
             const qint64 looping = scene.RendererPid();
             ASSERT_GT(looping, 0);
             EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessEnded(looping); }, AdScene::kWait));
             const int calm = scene.server.Requests("/calm.html");
             ASSERT_TRUE(scene.Rotate());
             EXPECT_EQ(scene.server.Requests("/calm.html"), calm + 1);
             ASSERT_TRUE(QTest::qWaitFor([&] { return scene.Completions("/calm.html") > 0; },
                                         AdScene::kWait));
             EXPECT_NE(scene.RendererPid(), looping);
         }},
        {"GreedyPageIsEndedAndSkipped",
         {{"/greedy.html",
           "<html><body><script>" + kTell +
               "const kept = []; Tell('/greedy-running');"
               "setInterval(() => { const a = new Uint8Array(32 << 20); a.fill(1); kept.push(a); },"
               " 100);</script></body></html>"},
          {"/calm1.html", kCalm},
          {"/calm2.html", kCalm}},
         [](AdScene& scene) {
             ASSERT_TRUE(scene.Show("/greedy.html"));
             ASSERT_TRUE(QTest::qWaitFor(
                 [&] { return scene.server.Requests("/greedy-running") > 0; }, AdScene::kWait));
             const qint64 greedy = scene.RendererPid();
             ASSERT_GT(greedy, 0);
             EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessEnded(greedy); }, AdScene::kWait));
             for (int turn = 0; turn < 6; ++turn) {
                 const std::size_t shown = scene.banner->shown.size();
                 scene.banner->frame->koukokutimerTimer();
                 ASSERT_TRUE(QTest::qWaitFor([&] { return scene.banner->shown.size() > shown; },
                                             AdScene::kWait));
             }
             EXPECT_EQ(scene.server.Requests("/greedy.html"), 1);
         }},
    };
}

class HostileAds : public ::testing::TestWithParam<AdCase> {};

TEST_P(HostileAds, StayGuests) {
    const AdCase& ad = GetParam();
    AdScene scene(ad.pages);
    ad.play(scene);
    EXPECT_TRUE(scene.banner->errors.empty());
    std::cout << "[ report   ] " << ad.name << ": opened outside " << scene.watch.opened.size()
              << ", dialogs " << scene.watch.dialogs << ", pages shown "
              << scene.banner->shown.size() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Ads, HostileAds, ::testing::ValuesIn(AdCases()),
                         [](const ::testing::TestParamInfo<AdCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tanmira

#include "hostile_server_test.moc"
