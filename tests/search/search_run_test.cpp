// Tests of the search run through a fake window: each test and their order, the per-file reading
// of the controls, progress, stop, the unreadable-file report and the result display.
#include "search/search_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/platform.h"
#include "search/exceptions.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_search_window.h"
#include "tests/support/path_lists.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

using Lines = std::vector<std::string>;

using FakeWindow = testing::FakeSearchWindow;

class SearchRunTest : public ::testing::Test {
  protected:
    SearchRunTest() { window.folder = tree.Root(); }

    // The hits of a run as file names, in no particular order.
    std::set<std::string> Run() {
        window.eventCalls = 0;
        SearchRun(window, state);
        std::set<std::string> names;
        for (const std::string& path : state.HitList.Lines())
            names.insert(path.substr(tree.Root().size() + 1));
        return names;
    }

    testing::TempTree tree;
    FakeWindow window;
    SearchState state;
};

TEST_F(SearchRunTest, FirstRunWithStoredValuesFindsTheStoredKeyword) {
    // The stored keyword, searched in Shift_JIS, the first item of the encoding list.
    const std::string keyword = *platform::ConvertCodePage(
        "ファイル内検索", platform::CodePage::System, platform::CodePage::ShiftJis);
    tree.File("hit.txt", "xx" + keyword + "xx");
    tree.File("utf8.txt", "ファイル内検索");
    tree.File("miss.txt", "nothing");
    tree.File("hit.bin", keyword);
    EXPECT_EQ(Run(), (std::set<std::string>{"hit.txt"}));
    EXPECT_EQ(window.result, "hit.txt\r\n");
    EXPECT_EQ(window.startEnabled, (std::vector<bool>{false, true}));
}

TEST_F(SearchRunTest, ExtensionTest) {
    window.content.clear();
    for (const char* name : {"Readme.TXT", "a.c", "b.C", "archive.tar.gz", ".htaccess", "Makefile",
                             "name.", "x.cpp.bak"})
        tree.File(name);
    EXPECT_EQ(Run(), (std::set<std::string>{"Readme.TXT", "a.c", "b.C"}));

    window.extensions = {"gz", "htaccess", ""};
    EXPECT_EQ(Run(), (std::set<std::string>{"archive.tar.gz", ".htaccess", "Makefile", "name."}));

    window.extensions.clear();  // the "C" button: every extension passes
    EXPECT_EQ(Run().size(), 8u);

    window.extensions = {"zzz"};
    window.extensionsEnabled = false;  // "every extension" checked
    EXPECT_EQ(Run().size(), 8u);
}

TEST_F(SearchRunTest, NameTestsLookAtTheFileNameOnly) {
    window.content.clear();
    window.subfolders = true;
    tree.File("Report/a.txt");
    tree.File("report-1.txt");
    tree.File("x.bak.txt");
    window.name = "REP";
    EXPECT_EQ(Run(), (std::set<std::string>{"report-1.txt"}));
    window.name.clear();
    window.nameExclude = "bak";
    EXPECT_EQ(Run(), (std::set<std::string>{"Report/a.txt", "report-1.txt"}));
}

TEST_F(SearchRunTest, ContentTests) {
    tree.File("case.txt", "xabcx");
    tree.File("split.txt", "a\rb");
    tree.File("zero.txt", std::string("x\0ABC", 5));
    tree.File("both.txt", "ABC and DEF");
    window.content = "ABC";
    EXPECT_EQ(Run(), (std::set<std::string>{"case.txt", "both.txt"}));
    window.content = "ab";  // a CR b is a CR LF b in the text
    EXPECT_EQ(Run(), (std::set<std::string>{"case.txt", "both.txt"}));
    window.content = "abc";
    window.contentExclude = "def";  // the exclusion wins
    EXPECT_EQ(Run(), (std::set<std::string>{"case.txt"}));
    window.content.clear();
    window.contentExclude = "B";
    EXPECT_EQ(Run(), (std::set<std::string>{"zero.txt"}));
}

TEST_F(SearchRunTest, EncodingsPrepareTheContentKeyword) {
    tree.File("sjis.txt", "\x8C\x9F\x8D\xF5");  // 検索 in Shift_JIS
    tree.File("euc.txt", "\xB8\xA1\xBA\xF7");   // 検索 in EUC-JP
    tree.File("utf8.txt", "検索");
    window.content = "検索";
    window.encoding = KeywordEncoding::ShiftJis;
    EXPECT_EQ(Run(), (std::set<std::string>{"sjis.txt"}));
    window.encoding = KeywordEncoding::Euc;
    EXPECT_EQ(Run(), (std::set<std::string>{"euc.txt"}));
    window.encoding = KeywordEncoding::Utf8;
    EXPECT_EQ(Run(), (std::set<std::string>{"utf8.txt"}));
    // No item chosen: the keywords of the last run stay.
    window.encoding = std::nullopt;
    window.content = "other";
    EXPECT_EQ(Run(), (std::set<std::string>{"utf8.txt"}));
    // A keyword that Shift_JIS cannot hold matches no file; as exclusion it excludes none.
    window.encoding = KeywordEncoding::ShiftJis;
    window.content = "😀";
    EXPECT_EQ(Run(), (std::set<std::string>{}));
    window.content.clear();
    window.contentExclude = "😀";
    EXPECT_EQ(Run().size(), 3u);
}

TEST_F(SearchRunTest, AllEncodingsFindEveryFormAndExcludeOnAny) {
    const std::string text = "xx aテスト yy";
    for (const auto& [name, page] : {std::pair{"sjis.txt", platform::CodePage::ShiftJis},
                                     {"euc.txt", platform::CodePage::EucJp},
                                     {"utf8.txt", platform::CodePage::Utf8}})
        tree.File(name, *platform::ConvertCodePage(text, platform::CodePage::System, page));
    tree.File("none.txt", "xx yy");
    // ウスト in Shift_JIS: folding its trail byte 45 ("E") would make it テスト (83 65 ...).
    tree.File("trail.txt", "a\x83\x45\x83\x58\x83\x67");
    window.encoding = KeywordEncoding::All;
    window.content = "Aテスト";
    EXPECT_EQ(Run(), (std::set<std::string>{"sjis.txt", "euc.txt", "utf8.txt"}));
    window.content = "yy";
    window.contentExclude = "テスト";
    EXPECT_EQ(Run(), (std::set<std::string>{"none.txt"}));
}

TEST_F(SearchRunTest, ReadsTheControlsForEachFile) {
    window.content.clear();
    for (int i = 0; i < 4; ++i)
        tree.File("f" + std::to_string(i) + ".txt");
    // After the second file the extension list is cleared of txt.
    window.onEvents = [&](int call) {
        if (call == 2)
            window.extensions = {"ini"};
    };
    const std::set<std::string> hits = Run();
    EXPECT_EQ(hits.size(), 2u);
    EXPECT_EQ(window.progress, (Lines{"0 / 4", "1 / 4", "2 / 4", "3 / 4"}));
}

TEST_F(SearchRunTest, ContentFieldEmptinessIsReadPerFileButTheKeywordAtTheStart) {
    tree.File("a.txt", "abc");
    tree.File("b.txt", "abc");
    window.content = "abc";
    window.onEvents = [&](int) { window.content = "zzz"; };  // typed during the run
    EXPECT_EQ(Run().size(), 2u);
    window.content = "";
    window.onEvents = [&](int call) {
        if (call == 1)
            window.content = "typed";
    };
    // The keyword captured at the start is empty: once the field is filled nothing passes.
    EXPECT_EQ(Run().size(), 1u);
}

TEST_F(SearchRunTest, ControlsChangedDuringTheRunWinOverTheFilesScannedAhead) {
    // Files are scanned ahead with the controls as they stood at the start; each change below,
    // made before the first file is tested, counts for every file.
    for (int i = 0; i < 40; ++i) {
        tree.File("a" + std::to_string(i + 10) + ".txt", i % 2 ? "key" : "key other");
        tree.File("b" + std::to_string(i + 10) + ".ini", "key");
    }
    struct Case {
        const char* what;
        std::function<void()> change;
        std::size_t hits;
    };
    const Case cases[] = {
        {"nothing", [] {}, 40},
        {"extension list", [&] { window.extensions = {"ini"}; }, 40},
        {"name", [&] { window.name = "a1"; }, 10},
        {"exclusion field filled", [&] { window.contentExclude = "other"; }, 40},
        {"inclusion field emptied", [&] { window.content.clear(); }, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.extensions = {"txt"};
        window.name.clear();
        window.content = "KEY";
        window.contentExclude.clear();
        window.onEvents = [&](int call) {
            if (call == 0)
                c.change();
        };
        EXPECT_EQ(Run().size(), c.hits);
    }
}

TEST_F(SearchRunTest, StopEndsTheRunAndShowsThePartialHits) {
    window.content.clear();
    for (int i = 0; i < 5; ++i)
        tree.File("f" + std::to_string(i) + ".txt");
    window.onEvents = [&](int call) {
        if (call == 2)
            state.StopRequested = true;
    };
    Run();
    EXPECT_EQ(state.HitList.LineCount(), 2);
    EXPECT_EQ(window.progress.back(), "中止しました (5 件中 2 件を調べ、一致 2 件)");
    EXPECT_EQ(window.startEnabled.back(), true);
    EXPECT_EQ(std::count(window.result.begin(), window.result.end(), '\n'), 2);

    // Files that could not be read before the stop are counted in the status, with no report.
    window.onEvents = [&](int call) {
        if (call == 0)
            std::filesystem::remove(tree.Path("f1.txt"));
        if (call == 3)
            state.StopRequested = true;
    };
    EXPECT_NO_THROW(Run());
    EXPECT_EQ(window.progress.back(),
              "中止しました (5 件中 3 件を調べ、一致 2 件)。開けないファイル 1 個");
    tree.File("f1.txt");

    // A stop request left over from before is cleared by the next run.
    window.onEvents = nullptr;
    state.StopRequested = true;
    Run();
    EXPECT_EQ(state.HitList.LineCount(), 5);
}

TEST_F(SearchRunTest, StopDuringTheWalkEndsTheRunBeforeTheFirstFile) {
    window.content.clear();
    window.subfolders = true;
    bool duringWalk = false;
    tree.Folder("a");
    tree.Folder("b");
    window.onWalkEvents = [&] {
        duringWalk = true;
        state.StopRequested = true;
    };
    // The walk lets the window handle its events about 30 times a second: grow the tree until
    // the walk lasts long enough for that. Three levels of n links each over a folder of n files
    // list about n^4 files from a few hundred entries made.
    tree.Folder("c");
    int n = 0;
    for (int round = 0; round < 8 && !duringWalk; ++round) {
        for (const int target = 8 + 4 * round; n < target; ++n) {
            const std::string i = std::to_string(n);
            std::filesystem::create_directory_symlink(tree.Path("a"), tree.Path("r" + i));
            std::filesystem::create_directory_symlink(tree.Path("b"), tree.Path("a/b" + i));
            std::filesystem::create_directory_symlink(tree.Path("c"), tree.Path("b/c" + i));
            tree.File("c/f" + i + ".txt");
        }
        window.progress.clear();
        Run();
    }
    ASSERT_TRUE(duringWalk);
    EXPECT_TRUE(window.progress.back().starts_with("中止しました (フォルダの一覧を作成中、"))
        << window.progress.back();
    EXPECT_EQ(state.HitList.LineCount(), 0);
    EXPECT_EQ(window.result, "");
    EXPECT_LT(state.FileList.LineCount(), n + n * n + n * n * n + n * n * n * n);  // not all
    EXPECT_EQ(window.startEnabled.back(), true);
}

TEST_F(SearchRunTest, EntriesAndFoldersThatCannotBeReadAreReportedNotDropped) {
    window.content.clear();
    window.subfolders = true;
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    // A link into a folder without search permission, and that folder.
    tree.File("link/ok.txt");
    tree.File("link/locked/secret.txt");
    ASSERT_EQ(chmod(tree.Path("link/locked").c_str(), 0700), 0);
    std::filesystem::create_symlink(tree.Path("link/locked/secret.txt"), tree.Path("link/in.txt"));
    // A folder that nobody may read.
    tree.File("closed/ok.txt");
    tree.File("closed/shut/x.txt");
    ASSERT_EQ(chmod(tree.Path("closed/shut").c_str(), 0), 0);
    struct Row {
        std::string folder;
        std::string expected;  // the report
    };
    const Row rows[] = {{"link", "ファイル " + tree.Path("link/in.txt") +
                                     " は開けません\nほかに 1 個のフォルダも開けません"},
                        {"closed", "フォルダ " + tree.Path("closed/shut/") + " は開けません"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        window.folder = tree.Path(row.folder);
        const std::string& expected = row.expected;
        EXPECT_TRUE(testing::InChild(
            [&] {
                try {
                    Run();
                } catch (const EFOpenError& e) {
                    return e.Message() == expected && window.result == "ok.txt\r\n" &&
                           window.startEnabled.back();
                }
                return false;
            },
            testing::ChildUser::Unprivileged));
    }
    ASSERT_EQ(chmod(tree.Path("closed/shut").c_str(), 0755), 0);
}

TEST_F(SearchRunTest, UnreadableFilesAreSkippedAndReportedOnceAtTheEnd) {
    window.content.clear();
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        tree.File(name);
    // Two files vanish between the walk and their test.
    window.onEvents = [&](int call) {
        if (call == 0) {
            std::filesystem::remove(tree.Path("b.txt"));
            std::filesystem::remove(tree.Path("d.txt"));
        }
    };
    try {
        SearchRun(window, state);
        ADD_FAILURE() << "no report";
    } catch (const EFOpenError& e) {
        // The first vanished file in the order of the walk is named.
        const Lines files = testing::PathsOf(state.FileList);
        const std::string first =
            *std::find_if(files.begin(), files.end(), [&](const std::string& path) {
                return path == tree.Path("b.txt") || path == tree.Path("d.txt");
            });
        const std::string message = e.Message();
        EXPECT_TRUE(message.starts_with("ファイル " + first + " は開けません")) << message;
        EXPECT_NE(message.find(" は開けません\nほかに 1 個のファイルも開けません"),
                  std::string::npos);
    }
    EXPECT_EQ(state.HitList.LineCount(), 2);
    EXPECT_EQ(window.result.size(), std::string("a.txt\r\nc.txt\r\n").size());
    EXPECT_EQ(window.startEnabled.back(), true);
}

// Set when c.txt is about to be opened.
std::atomic<bool> cOpened{false};
void NoteOpen(const std::string& path) {
    if (path.ends_with("c.txt"))
        cOpened = true;
}

TEST_F(SearchRunTest, AFileRemovedInTheWindowsEventsIsNotAnsweredFromItsScanAhead) {
    // b.txt is scanned ahead of its turn, then removed by the events right before it: however
    // fresh its answer, the run must see it gone.
    window.content.clear();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        tree.File(name);
    cOpened = false;
    platform::ObserveOpens(NoteOpen);
    window.onEvents = [&](int call) {
        if (call != 1)
            return;
        while (!cOpened)  // files are scanned in order: b.txt's answer is in by then
            std::this_thread::yield();
        std::filesystem::remove(tree.Path("b.txt"));
    };
    SearchRequest request = window.Request();
    request.threads = 2;
    EXPECT_THROW(tanmira::SearchRun(request, window.Live(), window, state), EFOpenError);
    platform::ObserveOpens(nullptr);
    EXPECT_EQ(state.HitList.Lines(), (Lines{tree.Path("a.txt"), tree.Path("c.txt")}));
}

TEST(UnreadableReportTest, NamesTheFirstFileOrFolderAndCountsTheOthersByKind) {
    struct Row {
        Lines files, folders;
        std::string expected;
    };
    const Row rows[] = {
        {{}, {}, ""},
        {{"/a"}, {}, "ファイル /a は開けません"},
        {{}, {"/d/"}, "フォルダ /d/ は開けません"},
        {{"/a", "/b"}, {}, "ファイル /a は開けません\nほかに 1 個のファイルも開けません"},
        {{"/a"}, {"/d/", "/e/"}, "ファイル /a は開けません\nほかに 2 個のフォルダも開けません"},
        {{}, {"/d/", "/e/"}, "フォルダ /d/ は開けません\nほかに 1 個のフォルダも開けません"},
        {{"/a", "/b", "/c"},
         {"/d/"},
         "ファイル /a は開けません\nほかに 2 個のファイルと 1 個のフォルダも開けません"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(UnreadableReport(row.files, row.folders), row.expected);
}

TEST_F(SearchRunTest, SpecialFilesAreNeitherOpenedNorReported) {
    window.content.clear();
    tree.File("a.txt");
    ASSERT_EQ(mkfifo(tree.Path("pipe.txt").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(tree.Path(".hidden.txt").c_str(), 0444), 0);
    EXPECT_EQ(Run(), (std::set<std::string>{"a.txt"}));  // no report, no hang
}

TEST_F(SearchRunTest, FoldersAreDroppedAndNamesHoldingLineBreaksKept) {
    window.content.clear();
    window.subfolders = true;
    tree.File("sub/a.txt");
    tree.File("line\nbreak.txt");
    EXPECT_EQ(Run(), (std::set<std::string>{"sub/a.txt", "line\nbreak.txt"}));
    EXPECT_EQ(state.FileList.LineCount(), 2);
}

TEST_F(SearchRunTest, EmptyFolderEmptiesTheResultAndKeepsTheProgress) {
    tree.Folder("only-a-folder");
    window.progress.push_back("earlier");
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(window.result, "");
    EXPECT_EQ(window.progress, (Lines{"earlier"}));
}

TEST_F(SearchRunTest, ShowResultsWritesFullPathsOrFileNames) {
    window.content.clear();
    tree.File("a.txt");
    Run();
    EXPECT_EQ(window.result, "a.txt\r\n");
    window.fullPaths = true;
    ShowResults(window, state);
    EXPECT_EQ(window.result, tree.Path("a.txt") + "\r\n");
    SearchState empty;
    ShowResults(window, empty);
    EXPECT_EQ(window.result, "");

    // A window that does not show the lines is told the results are ready, with none built.
    window.showsResultLines = false;
    window.result = "earlier\r\n";
    ShowResults(window, state);
    EXPECT_EQ(window.result, "");
    EXPECT_TRUE(state.ResultLines.empty());
    EXPECT_EQ(state.HitList.LineCount(), 1);
}

// A window that takes each hit as found gets them in list order, with the lines the run's own
// scan took when it asks for them, and the run keeps no hit list for it.
TEST_F(SearchRunTest, HitsAreHandedOverAsFoundWithTheirLinesWhenAsked) {
    window.encoding = KeywordEncoding::Utf8;
    window.content = "needle";
    window.showsResultLines = false;
    const std::string a = tree.File("a.txt", "x\nneedle\r\nneedle");
    tree.File("b.txt", "hay");
    const std::string c = tree.File("c.txt", std::string(300000, 'x') + "\nneedle");
    // Over a piece: the lines are taken in the scan that tests the file, every one of them, and
    // none when the excluded keyword comes after them.
    const std::string d = tree.File(
        "d.txt", "needle\n" + std::string(300000, 'x') + "\nneedle" + std::string(300000, 'y'));
    window.matchedLines = 10;
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(window.hitsFound, (Lines{a + ":2:3", c + ":2", d + ":1:3"}));
    window.hitsFound.clear();
    window.contentExclude = "yyy";
    Run();
    EXPECT_EQ(window.hitsFound, (Lines{a + ":2:3", c + ":2"}));
    window.contentExclude.clear();
    window.hitsFound.clear();
    window.matchedLines.reset();
    Run();
    EXPECT_EQ(window.hitsFound, (Lines{a, c, d}));
}

}  // namespace
}  // namespace tanmira
