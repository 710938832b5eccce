// The banner with the real browser against a misbehaving list server on the loopback interface:
// no answer, HTTP errors, binary data, a huge list, local and script addresses, a redirect to a
// local file and a page that reloads itself. Whatever the server does, the list is asked for
// once, nothing but http and https pages is shown, and the program stays responsive.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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

}  // namespace
}  // namespace tanmira
