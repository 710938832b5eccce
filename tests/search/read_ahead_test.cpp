// Tests of the read-ahead worker: its answers are the scanner's own, whichever thread scanned a
// file, for every file the loop asks for, in whatever pattern it skips files.
#include "search/read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "search/keyword_encoding.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

// Per group, whether it occurs, as the scanner answers.
std::optional<GroupFlags> Found(const ReadAhead::Answer& answer) {
    return answer ? std::optional(answer->found) : std::nullopt;
}

class ReadAheadTest : public ::testing::Test {
  protected:
    ReadAheadTest() {
        // Hits and misses of both keywords, files that cannot be opened, and names the worker
        // is told to leave alone ("skip").
        for (int i = 0; i < 300; ++i) {
            const std::string name = (i % 7 == 0 ? "skip" : "f") + std::to_string(i);
            if (i % 11 == 0)
                files.push_back(tree.Path(name + "-missing"));
            else
                files.push_back(tree.File(name, std::string(i * 37 % 3000, 'x') +
                                                    (i % 3 == 0 ? "Alpha" : "beta") +
                                                    (i % 5 == 0 ? " GAMMA" : "")));
        }
        const std::uint32_t root = list.AddFolder(tree.Root() + "/");
        for (const std::string& path : files)
            list.Append(root, path.substr(tree.Root().size() + 1));
        exclude.AddGroup({&gamma}, ScanQuery::OnFind::EndScan);
        exclude.AddGroup({&alpha});
        includeOnly.AddGroup({&alpha});
    }

    // Tells the worker which files to scan; counts the files it has claimed.
    std::function<bool(const std::string&)> Wanted() {
        claimed = 0;
        return [this](const std::string& path) {
            ++claimed;
            return path.find("/skip") == std::string::npos;
        };
    }

    // Lets the worker claim its files ahead before the loop starts, so that the first files'
    // answers are the worker's.
    void AwaitWorker(std::size_t filesAhead) {
        while (claimed < filesAhead)
            std::this_thread::yield();
    }

    testing::TempTree tree;
    std::vector<std::string> files;
    PathList list;  // the same files as the run lists them
    const ContentPattern alpha{PreparedKeyword{"alpha", true, false}};
    const ContentPattern gamma{PreparedKeyword{"gamma", true, false}};
    ScanQuery exclude;
    ScanQuery includeOnly;
    std::atomic<std::size_t> claimed{0};
};

TEST_F(ReadAheadTest, AnswersAsTheScannerDoes) {
    struct Case {
        const char* what;
        std::size_t filesAhead;
        std::size_t step;    // the loop asks for every step-th file
        bool askOtherQuery;  // the loop asks with a query the worker does not scan with
        std::size_t workers = 1;
    };
    const Case cases[] = {
        {"every file", ReadAhead::kFilesAhead, 1, false},
        {"two files ahead", 2, 1, false},
        {"every third file", 8, 3, false},
        {"another query", 8, 1, true},
        {"four workers", ReadAhead::kFilesAhead, 1, false, 4},
        {"four workers, two files ahead", 2, 1, false, 4},
        {"four workers, every fifth file", 8, 5, false, 4},
        {"the loop alone", 8, 1, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ContentScanner own;
        ContentScanner reference;
        ReadAhead readAhead(list, files.size(), exclude, Wanted(), c.filesAhead, c.workers);
        AwaitWorker(c.workers > 0 ? std::min(c.filesAhead, files.size()) : 0);
        const ScanQuery& asked = c.askOtherQuery ? includeOnly : exclude;
        for (std::size_t i = 0; i < files.size(); i += c.step) {
            SCOPED_TRACE(files[i]);
            ASSERT_EQ(Found(readAhead.Scan(i, files[i], asked, own)),
                      reference.Scan(files[i], asked));
        }
    }
}

TEST_F(ReadAheadTest, FilesRemovedOrWrittenAfterTheirScanAreScannedAgain) {
    // Changes the loop is told of are seen at once; others once the answer is no longer fresh.
    for (const bool told : {true, false}) {
        SCOPED_TRACE(told ? "told" : "not told");
        ContentScanner own;
        ReadAhead readAhead(list, files.size(), exclude, Wanted(), 8);
        AwaitWorker(8);
        std::filesystem::remove(files[1]);
        tree.File(files[2].substr(tree.Root().size() + 1), "now Alpha");
        if (told)
            readAhead.FilesMayHaveChanged();
        else
            std::this_thread::sleep_for(2 * ReadAhead::kFreshFor);
        EXPECT_EQ(Found(readAhead.Scan(1, files[1], exclude, own)), std::nullopt);
        EXPECT_EQ(Found(readAhead.Scan(2, files[2], exclude, own)), (GroupFlags{false, true}));
        EXPECT_EQ(Found(readAhead.Scan(3, files[3], exclude, own)),
                  ContentScanner().Scan(files[3], exclude));
        tree.File(files[1].substr(tree.Root().size() + 1), "beta");
        tree.File(files[2].substr(tree.Root().size() + 1), "beta");
    }
}

TEST_F(ReadAheadTest, PoolAnswersAsTheLoopsOwnScanWhileFilesChange) {
    // Files ahead of the loop are removed, rewritten to another size or replaced by another file
    // of the same size while the workers scan; every answer must be that of a scan at its turn,
    // also of the open test alone (a query of no group).
    std::mt19937 rng(18);
    const ScanQuery openOnly;
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const std::size_t workers = 1 + round % 4;
        const ScanQuery& query = round % 3 == 2 ? openOnly : exclude;
        ContentScanner own;
        ContentScanner reference;
        // Every other round, the workers start on a few files handed on as a walk lists them.
        ReadAhead readAhead(list, query, Wanted(), 4 + rng() % 32, workers);
        for (std::size_t i = 0, handed = round % 2 * rng() % 40; i < handed; ++i)
            readAhead.Listed(files[i]);
        readAhead.ListComplete(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::size_t k = i + rng() % 8;
            const std::string name = "f" + std::to_string(round) + "-" + std::to_string(k);
            std::error_code gone;
            const auto size = k < files.size() ? std::filesystem::file_size(files[k], gone) : 0;
            if (k < files.size() && !gone) {
                switch (rng() % 4) {
                    case 0:
                        std::filesystem::remove(files[k]);
                        break;
                    case 1:
                        tree.File(files[k].substr(tree.Root().size() + 1), name + " Alpha");
                        break;
                    case 2: {
                        const std::string other =
                            tree.File(name, std::string(size, 'x').replace(0, 5, "GAMMA"));
                        std::filesystem::rename(other, files[k]);
                        break;
                    }
                    default:
                        break;
                }
            }
            readAhead.FilesMayHaveChanged();
            SCOPED_TRACE(files[i]);
            ASSERT_EQ(Found(readAhead.Scan(i, files[i], query, own)),
                      reference.Scan(files[i], query));
        }
    }
}

TEST_F(ReadAheadTest, ScansTheFilesListedWhileTheWalkGoesOn) {
    // The workers scan the files handed on while the list is still empty, take no more than
    // their slots, and the loop then gets the same answers as from its own scan; a walk that
    // stops completes the list with none.
    for (const std::size_t count : {files.size(), std::size_t{0}}) {
        SCOPED_TRACE(count);
        PathList walking;
        ContentScanner own;
        ContentScanner reference;
        ReadAhead readAhead(walking, exclude, Wanted(), 16, 2);
        EXPECT_TRUE(readAhead.Listed(files[0]));
        AwaitWorker(1);  // and then waits for more
        for (std::size_t i = 1; i < 20; ++i)
            EXPECT_EQ(readAhead.Listed(files[i]), i < 16);
        AwaitWorker(16);
        walking = list;
        readAhead.ListComplete(count);
        for (std::size_t i = 0; i < count; ++i) {
            SCOPED_TRACE(files[i]);
            ASSERT_EQ(Found(readAhead.Scan(i, files[i], exclude, own)),
                      reference.Scan(files[i], exclude));
        }
    }
}

TEST_F(ReadAheadTest, CapturedLinesHeldAheadStayWithinTheirBound) {
    // Every third file that exists holds one line with "Alpha". With a bound of one byte, the two
    // workers and the loop may each finish one file's lines past it, never all of them ahead, and
    // the loop's answers keep their lines.
    const KeywordForms forms = PrepareKeywordForms("alpha", KeywordEncoding::Utf8);
    const ContentPattern pattern(forms.front());
    ScanQuery query;
    query.AddGroup({&pattern});
    const LineCapture capture(forms, KeywordEncoding::Utf8, 10);
    ReadAhead readAhead(list, query, Wanted(), ReadAhead::kFilesAhead, 2, &capture, 1);
    for (const std::string& path : files)
        readAhead.Listed(path);
    AwaitWorker(4);  // up to the first file with lines, "f3"
    readAhead.ListComplete(files.size());
    ContentScanner own;
    std::size_t lines = 0;
    std::size_t expected = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ReadAhead::Answer answer = readAhead.Scan(i, files[i], query, own);
        lines += answer && answer->lines ? answer->lines->lines.size() : 0;
        expected += i % 3 == 0 && i % 11 != 0;
        ASSERT_LE(readAhead.LineBytesHeld(), 3 * (sizeof(TextLine) + sizeof(LineHit) + 3100));
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(readAhead.LineBytesHeld(), 0u);
}

TEST_F(ReadAheadTest, HoldsNoFileOpenAfterItsScan) {
    if (!std::filesystem::exists("/proc/self/fd"))
        GTEST_SKIP() << "no list of open files";
    // Open files of the tree: the worker holds at most the one it is reading.
    auto openInTree = [&] {
        int count = 0;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            count += std::filesystem::read_symlink(fd, error).string().starts_with(tree.Root());
        }
        return count;
    };
    ReadAhead readAhead(list, files.size(), exclude, Wanted(), 16);
    AwaitWorker(16);
    EXPECT_LE(openInTree(), 1);
}

}  // namespace
}  // namespace tanmira
