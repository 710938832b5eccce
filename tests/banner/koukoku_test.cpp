// Tests of the banner frame with a fake browser and fake timers: start-up, list reading,
// rotation, re-centring, and the handling of failed downloads, unsafe entries and short lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QVBoxLayout>
#include <set>

#include "banner/koukoku2.h"
#include "banner/random.h"
#include "fakes.h"

namespace tanmira {
namespace {

using testing::CollectingGuard;
using testing::FakeBrowser;
using testing::FakeClock;

const QString kList = DefaultAdListAddress();

// A window 504 pixels wide with the banner at its top, as the main window holds it.
struct Banner {
    Banner() {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        frame = std::make_unique<Tkoukoku>(
            &window,
            [this](QWidget* parent) {
                auto made = std::make_unique<FakeBrowser>(parent, clock.Reader());
                browser = made.get();
                return made;
            },
            clock.Factory());
        frame->SetHandlerGuard(CollectingGuard(errors));
        frame->setFixedHeight(68);
        layout->addWidget(frame.get());
        layout->addStretch();
        window.resize(504, 300);
        window.show();
        QApplication::processEvents();
    }

    void ResizeWindow(int width) {
        window.resize(width, 300);
        QApplication::processEvents();
    }

    // Runs the start-up and answers the list download with text.
    void LoadList(const QString& text) {
        clock.Advance(3);
        browser->text = text;
        browser->Complete(kList);
    }

    QWidget* Web() { return frame->koukokuweb->Widget(); }

    QWidget window;
    FakeClock clock;
    FakeBrowser* browser = nullptr;
    std::unique_ptr<Tkoukoku> frame;
    std::vector<std::string> errors;
};

struct BannerTest : ::testing::Test, Banner {};

TEST_F(BannerTest, StartsUpOnceAndFetchesOnlyTheList) {
    browser->Complete("http://early.example/");  // before the start-up: nothing to fill
    EXPECT_EQ(frame->AdList, nullptr);
    EXPECT_TRUE(browser->navigations.empty());

    clock.Advance(3);
    ASSERT_EQ(browser->navigations.size(), 1u);
    EXPECT_EQ(browser->navigations[0].address, kList);
    EXPECT_EQ(browser->navigations[0].time, 3);
    EXPECT_EQ(frame->BannerWidth, 477);
    EXPECT_EQ(frame->BannerHeight, 68);
    EXPECT_EQ(frame->IntervalSeconds, 30);
    EXPECT_EQ(frame->LastIndex, -5);
    EXPECT_EQ(frame->ListLoaded, 0);
    ASSERT_NE(frame->AdList, nullptr);
    EXPECT_EQ(Web()->size(), QSize(477, 68));
    EXPECT_EQ(frame->width(), 504);  // the layout gives the frame the window's width back

    clock.Advance(10 * 60 * 1000);  // a list that never arrives
    EXPECT_EQ(browser->navigations.size(), 1u);
    EXPECT_FALSE(frame->koukokutimer->Enabled());
    EXPECT_TRUE(errors.empty());
}

TEST_F(BannerTest, SplitsTheListIntoEntries) {
    struct Case {
        const char* text;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"http://a/\r\nhttp://b/\r\nhttp://c/\r\n", {"http://a/", "http://b/", "http://c/"}},
        {"http://a/\r\n\r\nhttp://b/", {"http://a/", "", "http://b/"}},
        {"http://a/\nhttp://b/", {"http://a/", "http://b/"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.AppendLine("stale");
        browser->text = QString::fromUtf8(c.text);
        frame->ReadAdList(list);
        EXPECT_EQ(list.Lines(), c.entries) << c.text;
    }
}

TEST_F(BannerTest, ShowsTheFirstPageAtOnceThenEveryThirtySeconds) {
    LoadList("http://a/\nhttp://b/\nhttp://c/\n");
    EXPECT_EQ(frame->ListLoaded, -1);
    ASSERT_EQ(browser->navigations.size(), 2u);
    EXPECT_EQ(browser->navigations[1].address, "about:blank");

    clock.Advance(3 * 30000 + 1);
    std::vector<long long> times;
    for (const auto& n : browser->navigations) {
        if (n.address != "about:blank" && n.address != kList)
            times.push_back(n.time);
    }
    EXPECT_EQ(times, (std::vector<long long>{4, 30004, 60004, 90004}));
}

TEST_F(BannerTest, LaterCompletionsChangeNothing) {
    LoadList("http://a/\nhttp://b/\n");
    clock.Advance(10000);
    browser->text = "http://evil/\n";
    browser->Complete("about:blank");
    browser->Complete("http://a/");
    EXPECT_EQ(frame->AdList->Lines(), (std::vector<std::string>{"http://a/", "http://b/"}));
    EXPECT_EQ(frame->koukokutimer->Interval(), 30000);
    clock.Advance(20000);  // the period still runs from the first page, at 4 ms
    EXPECT_EQ(browser->Pages().size(), 2u);
    clock.Advance(1);
    ASSERT_EQ(browser->Pages().size(), 3u);
    EXPECT_TRUE(browser->Pages().back() == "http://a/" || browser->Pages().back() == "http://b/");
}

TEST_F(BannerTest, TwoEntriesAlternateStrictly) {
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        frame->LastIndex = -5;
        frame->AdList = std::make_unique<TStringList>();
        frame->AdList->SetText("http://a/\nhttp://b/\n");
        frame->IntervalSeconds = 30;
        browser->navigations.clear();
        SetRandSeed(seed * 2654435761u);
        for (int tick = 0; tick < 12; ++tick)
            frame->koukokutimerTimer();
        const auto pages = browser->Pages();
        ASSERT_EQ(pages.size(), 12u);
        for (std::size_t i = 1; i < pages.size(); ++i) {
            EXPECT_NE(pages[i], pages[i - 1]) << "seed " << seed << " tick " << i;
        }
    }
}

TEST_F(BannerTest, ManyEntriesNeverRepeatTheLastAndReachEveryEntry) {
    LoadList("http://a/\nhttp://b/\nhttp://c/\nhttp://d/\n");
    clock.Advance(200 * 30000);
    const auto pages = browser->Pages();
    ASSERT_EQ(pages.size(), 1u + 200u);  // the list, then one page per tick
    std::set<QString> seen;
    for (std::size_t i = 2; i < pages.size(); ++i) {
        EXPECT_NE(pages[i], pages[i - 1]) << "tick " << i;
        seen.insert(pages[i]);
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(BannerTest, APageEndedForItsMemoryIsSkippedUntilTheListIsReadAgain) {
    LoadList("http://a/\nhttp://big/\nhttp://c/\nhttp://big/\n");
    browser->onPageTooLarge("http://big/");
    clock.Advance(40 * 30000);
    const std::vector<QString> pages = browser->Pages();
    EXPECT_EQ(std::set<QString>(pages.begin() + 1, pages.end()),
              (std::set<QString>{"http://a/", "http://c/"}));

    frame->ReadAdList(*frame->AdList);
    browser->navigations.clear();
    clock.Advance(40 * 30000);
    const std::vector<QString> again = browser->Pages();
    EXPECT_GT(std::count(again.begin(), again.end(), "http://big/"), 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(BannerTest, RecentresTheBrowserOnResize) {
    clock.Advance(3);
    EXPECT_EQ(Web()->x(), 14);
    const std::pair<int, int> cases[] = {{505, 18}, {504, 18}, {468, 0}, {400, -34}, {800, 166}};
    for (auto [width, left] : cases) {
        ResizeWindow(width);
        ASSERT_EQ(frame->width(), width);
        EXPECT_EQ(Web()->x(), left) << "frame " << width;
        EXPECT_EQ(Web()->size(), QSize(477, 68));
    }
}

TEST_F(BannerTest, AFailedDownloadIsNeverReadAsTheListAndIsRetriedAfterAMinute) {
    for (int status : {404, 0}) {
        SCOPED_TRACE(status);
        if (!frame->AdList)
            clock.Advance(3);
        browser->text = "http://error.page/\n";  // what the browser shows instead
        browser->Fail(kList, status);
        // The program's own page stands in; should it fail too, nothing is tried again at once.
        ASSERT_EQ(browser->navigations.back().address, BuiltInPageAddress());
        browser->Fail(BuiltInPageAddress(), 0);
        EXPECT_EQ(browser->navigations.back().address, BuiltInPageAddress());
        browser->Complete(BuiltInPageAddress());
        EXPECT_EQ(frame->ListLoaded, 0);
        EXPECT_EQ(frame->AdList->LineCount(), 0);
        const auto before = browser->navigations.size();
        clock.Advance(Tkoukoku::kRetryMilliseconds - 1);
        EXPECT_EQ(browser->navigations.size(), before);
        clock.Advance(1);
        ASSERT_EQ(browser->navigations.size(), before + 1);
        EXPECT_EQ(browser->navigations.back().address, kList);
    }
    browser->text = "http://a/\n";
    browser->Complete(kList);
    clock.Advance(10 * 60000);
    const auto pages = browser->Pages();
    EXPECT_EQ(pages.back(), "http://a/");
    EXPECT_EQ(std::count(pages.begin(), pages.end(), kList), 3);
    EXPECT_TRUE(errors.empty());
}

TEST(Banner, TheEnvironmentNamesTheListHostOfADeployment) {
    const QByteArray saved = qgetenv("TANMIRA_AD_HOST");
    qputenv("TANMIRA_AD_HOST", "ads.example.org:8080");
    EXPECT_EQ(DefaultAdListAddress(), "http://ads.example.org:8080/soft/koukoku/koukokulist.txt");
    qputenv("TANMIRA_AD_HOST", "");
    EXPECT_EQ(DefaultAdListAddress(), kList);  // as built
    qputenv("TANMIRA_AD_HOST", saved);
}

TEST_F(BannerTest, ShowsOnlyHttpAndHttpsEntries) {
    LoadList(
        "file:///etc/passwd\njavascript:alert(1)\nabout:config\n\nftp://x/y\n/etc/hosts\n"
        "C:\\Windows\\notepad.exe\nhttp://a/\nhttps://b/\nhttp:///nohost\n");
    clock.Advance(50 * 30000);
    std::set<QString> shown;
    for (const auto& page : browser->Pages()) {
        if (page != kList)
            shown.insert(page);
    }
    EXPECT_EQ(shown, (std::set<QString>{"http://a/", "https://b/"}));
    EXPECT_TRUE(errors.empty());
}

TEST(Banner, ShortListsShowWhatTheyHaveWithoutErrors) {
    struct Case {
        const char* text;
        std::vector<QString> pages;
    };
    const Case cases[] = {
        {"http://only/\n", {"http://only/"}},
        {"", {BuiltInPageAddress()}},  // nothing to show: the program's own page stays
        {"file:///etc/passwd\n\nhttp://only/\n", {"http://only/"}},
        {"javascript:alert(1)\n", {BuiltInPageAddress()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Banner b;
        b.LoadList(c.text);
        b.clock.Advance(5 * 60000);
        auto pages = b.browser->Pages();
        pages.erase(pages.begin());  // the list
        EXPECT_EQ(pages, c.pages);
        EXPECT_FALSE(b.frame->koukokutimer->Enabled());
        EXPECT_TRUE(b.errors.empty());
    }
}

TEST_F(BannerTest, RefusedPagesDoNotKeepTheOneMillisecondPeriod) {
    browser->refuse = [](const QString& address) { return address.startsWith("http://bad"); };
    LoadList("http://bad1/\nhttp://bad2/\n");
    clock.Advance(90000);
    EXPECT_EQ(frame->koukokutimer->Interval(), 30000);
    ASSERT_EQ(errors.size(), 3u);  // 1 ms, 30 s and 60 s after the list
    EXPECT_EQ(errors[0].rfind("refused: http://bad", 0), 0u);
}

}  // namespace
}  // namespace tanmira
