// Integration test of the banner with the real browser against an HTTP server on the loopback
// interface: the list is fetched once and a page of it is requested; a list answered with an
// HTTP error is not read as the list.
#include <gtest/gtest.h>

#include <QTest>

#include "tests/banner/real_banner.h"

namespace tanmira {
namespace {

using testing::kListPath;
using testing::LoopbackServer;
using testing::RealBanner;

constexpr int kWaitMilliseconds = 30000;

TEST(BannerWithRealBrowser, FetchesTheListOnceAndRequestsAPage) {
    LoopbackServer server;
    server.replies[kListPath] = {200, "text/plain", server.Url("/ad1.html") + "\r\n"};
    server.replies["/ad1.html"] = {200, "text/html", "<html><body>Tanmira</body></html>"};
    RealBanner banner(server);

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return server.Requests("/ad1.html") > 0; }, kWaitMilliseconds));
    QTest::qWait(1000);
    EXPECT_EQ(server.Requests(kListPath), 1);
    EXPECT_EQ(banner.frame->ListLoaded, -1);
    EXPECT_EQ(banner.frame->AdList->Lines(),
              (std::vector<std::string>{server.Url("/ad1.html").toStdString()}));
    EXPECT_TRUE(banner.errors.empty());
    // The banner takes no keyboard focus: neither the view nor the widgets it made inside itself.
    QWidget* view = banner.frame->koukokuweb->Widget();
    QList<QWidget*> tree = view->findChildren<QWidget*>();
    EXPECT_FALSE(tree.isEmpty());
    tree << view;
    for (const QWidget* widget : tree)
        EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << widget->metaObject()->className();
}

TEST(BannerWithRealBrowser, AListAnsweredWithAnHttpErrorIsNotRead) {
    LoopbackServer server;
    server.replies[kListPath] = {404, "text/plain", server.Url("/evil.html") + "\r\n"};
    RealBanner banner(server);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !banner.failures.empty(); }, kWaitMilliseconds));
    QTest::qWait(1000);
    EXPECT_EQ(banner.failures.front(), 404);
    EXPECT_EQ(server.Requests("/evil.html"), 0);
    EXPECT_EQ(banner.frame->ListLoaded, 0);
    EXPECT_EQ(banner.frame->AdList->LineCount(), 0);
    // The program's own page stands in for the list: no white strip.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return banner.frame->koukokuweb->InnerText().contains(
                QString::fromUtf8("フォルダの中のファイル"));
        },
        kWaitMilliseconds));
}

}  // namespace
}  // namespace tanmira
