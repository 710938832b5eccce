// The fault suite: search runs over hostile trees that the tests build themselves, and over the
// kernel's own trees. Each case runs in a child process under a watchdog and checks that the run
// ends, that every ordinary hit is still found, what the run reports, which files it opened, and
// how far the child's memory grows.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <set>
#include <thread>

#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/search_run.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_search_window.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

using testing::ChildUser;
using testing::FakeSearchWindow;
using testing::TempTree;
using Paths = std::vector<std::string>;

constexpr unsigned kWatchdogSeconds = 30;
// Over what the child starts with; AddressSanitizer's shadow and quarantine take about as much
// again for every block the run allocates.
#ifdef __SANITIZE_ADDRESS__
constexpr long kPeakGrowthLimitKb = 2 * 64 * 1024;
#else
constexpr long kPeakGrowthLimitKb = 64 * 1024;
#endif
constexpr char kKeyword[] = "needle";
constexpr char kAbsent[] = "zzqqxx";  // an exclusion that no file holds: every file is read whole
constexpr char kNowhere[] = "q7kernelqq";  // searched for where no file holds it

// What a case expects of its run, besides the ordinary hits every tree holds. Paths are relative
// to the tree's root, or absolute.
struct Expect {
    Paths hits;
    // The report must name a path that starts with this one; empty: no report.
    std::string reported = {};
    bool reportOptional = false;  // a report naming `reported` may or may not come
    Paths neverOpened = {};       // files the run must not even try to open
};

struct FaultCase {
    const char* name;
    std::function<Expect(TempTree&)> build;
    ChildUser user = ChildUser::Same;  // Unprivileged: root would read every file
    std::function<void(TempTree&, const std::atomic<bool>& running)> disturb =
        {};                          // beside the run
    std::string keyword = kKeyword;  // searched for; every tree's ordinary hits hold it
    std::string folder = {};         // searched instead of the tree (which then holds no hit)
};

// Shown for the case in test listings, instead of its bytes.
void PrintTo(const FaultCase& fault, std::ostream* out) {
    *out << fault.name;
}

// What a run in the child gave.
struct Outcome {
    bool ended = false;
    std::string endedHow;
    std::multiset<std::string> hits;
    std::set<std::string> opened;  // every file the run tried to open
    std::string report;
    long peakGrowthKb = 0;  // the child's peak resident memory over what it had before the run
};

// A memory figure of this process from /proc/self/status ("VmRSS:", "VmHWM:"), in KiB.
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == field) {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

void WriteString(int fd, const std::string& s) {
    const std::uint64_t size = s.size();
    std::string record(reinterpret_cast<const char*>(&size), sizeof size);
    record += s;
    for (std::size_t done = 0; done < record.size();) {
        const ssize_t n = write(fd, record.data() + done, record.size() - done);
        if (n <= 0)
            _exit(4);
        done += static_cast<std::size_t>(n);
    }
}

// The files the run in this child tried to open, as the platform's readers tell them.
std::mutex openedMutex;
Paths opened;

void RecordOpen(const std::string& path) {
    const std::lock_guard<std::mutex> lock(openedMutex);
    opened.push_back(path);
}

Paths ReadStrings(const std::string& bytes) {
    Paths strings;
    for (std::size_t at = 0; at + sizeof(std::uint64_t) <= bytes.size();) {
        std::uint64_t size = 0;
        std::memcpy(&size, bytes.data() + at, sizeof size);
        at += sizeof size;
        strings.push_back(bytes.substr(at, size));
        at += size;
    }
    return strings;
}

// Runs the search in a child (as uid 65534 when asked and possible) that a watchdog ends after
// kWatchdogSeconds; disturb runs in this process meanwhile, from a little before the run. The
// child sends how far its memory grew, the report, the number of hits, the hits, then the files
// it tried to open.
Outcome RunInChild(const FakeSearchWindow& window, ChildUser user,
                   const std::function<void(const std::atomic<bool>&)>& disturb) {
    int pipeFds[2];
    int goFds[2];
    if (pipe(pipeFds) != 0 || pipe(goFds) != 0)
        return {};
    const pid_t child = testing::StartChild(
        [&] {
            close(pipeFds[0]);
            close(goFds[1]);
            alarm(kWatchdogSeconds);
            // The child's own /proc entries stay its own after a change of user, as they are for
            // a program started by that user.
            prctl(PR_SET_DUMPABLE, 1);
            char go = 0;
            if (read(goFds[0], &go, 1) != 1)
                return 6;
            const long residentBefore = StatusKb("VmRSS:");
            FakeSearchWindow own = window;
            SearchState state;
            std::string report;
            platform::ObserveOpens(RecordOpen);
            try {
                SearchRun(own, state);
            } catch (const Exception& e) {
                report = e.Message();
            }
            platform::ObserveOpens(nullptr);
            WriteString(pipeFds[1], std::to_string(StatusKb("VmHWM:") - residentBefore));
            WriteString(pipeFds[1], report);
            WriteString(pipeFds[1], std::to_string(state.HitList.LineCount()));
            for (const std::string& hit : state.HitList.Lines())
                WriteString(pipeFds[1], hit);
            for (const std::string& path : opened)
                WriteString(pipeFds[1], path);
            return own.startEnabled.back() ? 0 : 5;
        },
        user);
    close(pipeFds[1]);
    close(goFds[0]);
    std::atomic<bool> running = true;
    std::thread disturber;
    if (disturb) {
        disturber = std::thread([&] { disturb(running); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a head start
    }
    const char go = 1;
    const bool started = write(goFds[1], &go, 1) == 1;
    close(goFds[1]);
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    running = false;
    if (disturber.joinable())
        disturber.join();

    Outcome outcome;
    if (!started)
        return outcome;
    outcome.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.endedHow = WIFSIGNALED(status) ? std::string("signal ") + strsignal(WTERMSIG(status))
                                           : "exit " + std::to_string(WEXITSTATUS(status));
    const Paths strings = ReadStrings(bytes);
    if (strings.size() < 3)
        return outcome;
    outcome.peakGrowthKb = std::stol(strings[0]);
    outcome.report = strings[1];
    const auto hitsEnd = strings.begin() + 3 + std::stol(strings[2]);
    outcome.hits.insert(strings.begin() + 3, hitsEnd);
    outcome.opened.insert(hitsEnd, strings.end());
    return outcome;
}

// ---- Trees ------------------------------------------------------------------------------------

void AppendFor(const std::string& path, const std::atomic<bool>& running, std::size_t limit) {
    const std::string chunk(1 << 20, 'a');
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (std::size_t written = 0; running && written < limit; written += chunk.size())
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size())).flush();
}

void MakeSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

void MakeSparse(const std::string& path, std::uint64_t size, std::uint64_t at,
                const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)),
              static_cast<ssize_t>(bytes.size()));
    close(fd);
}

// Every path from the top level of a farm of levels folders, each holding two links to the
// next, down to the file at the bottom.
Paths FarmPaths(const std::string& top, int levels, const std::string& file) {
    Paths paths = {top + file};
    for (int level = 0; level < levels; ++level) {
        Paths longer;
        for (const std::string& path : paths) {
            const std::string folder = path.substr(0, path.size() - file.size());
            longer.push_back(folder + "x/" + file);
            longer.push_back(folder + "y/" + file);
        }
        paths = std::move(longer);
    }
    return paths;
}

std::vector<FaultCase> Cases() {
    return {
        {"LinkToAnAncestor",
         [](TempTree& tree) {
             tree.Link("sub/up", "..");
             tree.Link("sub/deeper/root", tree.Root());
             return Expect{};
         }},
        {"LinkToItselfAndDanglingLinks",
         [](TempTree& tree) {
             tree.Link("self", "self");
             tree.Link("self.txt", "self.txt");
             tree.Link("dangling.txt", "missing.txt");
             tree.Link("gone", "nowhere/");
             return Expect{};
         }},
        {"TwoLinksToOneFolder",
         [](TempTree& tree) {
             tree.File("shared/s.txt", kKeyword);
             tree.Link("a", "shared");
             tree.Link("b", tree.Path("shared"));
             return Expect{{"shared/s.txt", "a/s.txt", "b/s.txt"}};
         }},
        {"SymlinkFarmOfEightLevels",
         [](TempTree& tree) {
             constexpr int kLevels = 8;
             for (int level = 0; level < kLevels; ++level) {
                 const std::string folder = "farm/L" + std::to_string(level) + "/";
                 const std::string next = "../L" + std::to_string(level + 1);
                 tree.Link(folder + "x", next);
                 tree.Link(folder + "y", next);
             }
             tree.File("farm/L8/leaf.txt", kKeyword);
             Expect expect;
             for (int level = 0; level <= kLevels; ++level) {
                 for (std::string& path : FarmPaths("farm/L" + std::to_string(level) + "/",
                                                    kLevels - level, "leaf.txt"))
                     expect.hits.push_back(std::move(path));
             }
             return expect;
         }},
        {"FifoSocketAndDevicesAreNeverOpened",
         [](TempTree& tree) {
             EXPECT_EQ(mkfifo(tree.Path("fifo.txt").c_str(), 0644), 0);
             MakeSocket(tree.Path("socket.txt"));
             tree.Link("zero.txt", "/dev/zero");
             tree.Link("urandom.txt", "/dev/urandom");
             tree.Link("null.txt", "/dev/null");
             tree.Link("fifo-link.txt", "fifo.txt");
             Expect expect;
             for (const char* name : {"fifo.txt", "socket.txt", "zero.txt", "urandom.txt",
                                      "null.txt", "fifo-link.txt"})
                 expect.neverOpened.push_back(name);
             return expect;
         }},
        // The kernel's trees: their links lead back into "/" once per process and through every
        // device, and reading /proc/kmsg takes the messages away from the kernel's log.
        {"KernelProcessTree",
         [](TempTree&) {
             return Expect{{}, "/proc/", true, {"/proc/kmsg"}};
         },
         ChildUser::Unprivileged,
         {},
         kNowhere,
         "/proc"},
        {"KernelDeviceTree",
         [](TempTree&) {
             return Expect{{}, "/sys/", true};
         },
         ChildUser::Unprivileged,
         {},
         kNowhere,
         "/sys"},
        {"FileWithoutPermission",
         [](TempTree& tree) {
             chmod(tree.Root().c_str(), 0755);
             chmod(tree.File("locked.txt", kKeyword).c_str(), 0);
             return Expect{{}, "locked.txt"};
         },
         ChildUser::Unprivileged},
        // Reads fail part way through one file and at the first byte of another (the fault shim
        // linked into this suite): neither is a hit, both are reported.
        {"ReadErrors",
         [](TempTree& tree) {
             tree.File("eio-after-4096-big.txt", kKeyword + std::string(300 * 1024, 'x'));
             tree.File("eio-after-0-small.txt", kKeyword);
             return Expect{{}, "eio-after-0-small.txt"};
         }},
        {"FolderWithoutPermission",
         [](TempTree& tree) {
             chmod(tree.Root().c_str(), 0755);
             tree.File("closed/inner.txt", kKeyword);
             chmod(tree.Path("closed").c_str(), 0);
             return Expect{{}, "closed"};
         },
         ChildUser::Unprivileged},
        {"PathDeeperThanTheSystemLimit",
         [](TempTree& tree) {
             Expect expect{{}, "deep/"};
             for (const std::string& path : tree.DeepChain("deep", 25, 200, "f.txt", kKeyword)) {
                 EXPECT_GT(std::abs(static_cast<long>(path.size()) - PATH_MAX), 16) << path;
                 if (path.size() < PATH_MAX)
                     expect.hits.push_back(path.substr(tree.Root().size() + 1));
             }
             return expect;
         }},
        {"FileThatGrowsWhileRead",
         [](TempTree& tree) {
             tree.File("grows.txt", kKeyword + std::string(1 << 20, 'a'));
             return Expect{{"grows.txt"}};
         },
         ChildUser::Same,
         [](TempTree& tree, const std::atomic<bool>& running) {
             AppendFor(tree.Path("grows.txt"), running, 64u << 20);
         }},
        {"FileThatShrinksWhileRead",
         [](TempTree& tree) {
             tree.File("shrinks.txt", kKeyword + std::string(32u << 20, 'a'));
             return Expect{{"shrinks.txt"}};
         },
         ChildUser::Same,
         [](TempTree& tree, const std::atomic<bool>& running) {
             // Cut to 4 KiB and stretch again with zeros, over and over: the keyword stays.
             const std::string path = tree.Path("shrinks.txt");
             for (int i = 0; running && i < 2000; ++i)
                 EXPECT_EQ(truncate(path.c_str(), i % 2 ? 4096 : 32 << 20), 0);
         }},
        {"SparseFileOfFourGiB",
         [](TempTree& tree) {
             constexpr std::uint64_t kSize = 4ull << 30;
             MakeSparse(tree.Path("sparse-end.txt"), kSize, kSize - 64, kKeyword);
             MakeSparse(tree.Path("sparse-start.txt"), kSize, 0, kKeyword);
             return Expect{{"sparse-start.txt"}};
         }},
        {"NamesThatAreNotUtf8OrHoldLineBreaks",
         [](TempTree& tree) {
             const Paths names = {"bad\xff\xfe.txt", "\x83\x5c.txt", "line\nbreak.txt",
                                  "cr\rname.txt",    "star*?.txt",   "folder\nbreak/x.txt",
                                  "\x83\x5c/y.txt"};
             for (const std::string& name : names)
                 tree.File(name, kKeyword);
             return Expect{names};
         }},
        {"FoldersCreatedAndRemovedDuringTheWalk",
         [](TempTree& tree) {
             for (int i = 0; i < 40; ++i) {
                 for (int j = 0; j < 25; ++j)
                     tree.File("stable/" + std::to_string(i) + "/" + std::to_string(j) + ".dat");
             }
             tree.File("stable/z.txt", kKeyword);
             tree.Folder("churn");
             return Expect{{"stable/z.txt"}, "churn/", true};
         },
         ChildUser::Same,
         [](TempTree& tree, const std::atomic<bool>& running) {
             for (int i = 0; running && i < 20000; ++i) {
                 const std::string folder = "churn/" + std::to_string(i % 8) + "/inner";
                 if (i % 16 < 8) {
                     tree.File(folder + "/x.dat");
                 } else {
                     std::error_code ignored;
                     std::filesystem::remove_all(tree.Path("churn/" + std::to_string(i % 8)),
                                                 ignored);
                 }
             }
         }},
    };
}

class FaultSuite : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultSuite, RunEndsFindsEveryOtherHitAndReportsOnlyWhatItCouldNotRead) {
    const FaultCase& fault = GetParam();
    TempTree tree;
    // The ordinary hits and misses every tree holds.
    tree.File("keep.txt", fault.keyword);
    tree.File("sub/keep.txt", "x " + fault.keyword);
    tree.File("sub/miss.txt", "hay");
    Expect expect = fault.build(tree);
    if (fault.folder.empty()) {
        expect.hits.push_back("keep.txt");
        expect.hits.push_back("sub/keep.txt");
    }
    const auto absolute = [&](const std::string& path) {
        return path.starts_with('/') ? path : tree.Path(path);
    };

    FakeSearchWindow window;
    window.folder = fault.folder.empty() ? tree.Root() : fault.folder;
    window.extensionsEnabled = fault.folder.empty();  // elsewhere every file is read
    window.subfolders = true;
    window.encoding = KeywordEncoding::Utf8;
    window.content = fault.keyword;
    window.contentExclude = kAbsent;
    window.fullPaths = true;
    const Outcome outcome = RunInChild(window, fault.user, [&](const std::atomic<bool>& running) {
        if (fault.disturb)
            fault.disturb(tree, running);
    });

    ASSERT_TRUE(outcome.ended) << outcome.endedHow;
    std::multiset<std::string> expected;
    for (const std::string& hit : expect.hits)
        expected.insert(absolute(hit));
    EXPECT_EQ(outcome.hits, expected);
    if (expect.reported.empty()) {
        EXPECT_EQ(outcome.report, "");
    } else if (!outcome.report.empty() || !expect.reportOptional) {
        // A folder ending in "/" stands for any entry below it, of either kind.
        const std::string reported = absolute(expect.reported);
        const bool below = reported.ends_with('/');
        const bool folder = !below && std::filesystem::is_directory(reported);
        EXPECT_TRUE(outcome.report.starts_with((folder ? "フォルダ " : "ファイル ") + reported) ||
                    (below && outcome.report.starts_with("フォルダ " + reported)))
            << outcome.report;
        EXPECT_NE(outcome.report.find(" は開けません"), std::string::npos) << outcome.report;
    }
    for (const std::string& path : expect.neverOpened)
        EXPECT_FALSE(outcome.opened.contains(absolute(path))) << path;
    EXPECT_LT(outcome.peakGrowthKb, kPeakGrowthLimitKb);
    std::cout << "[ report   ] " << fault.name << ": " << outcome.hits.size() << " hits, "
              << outcome.opened.size() << " files opened, peak growth " << outcome.peakGrowthKb
              << " KiB, report \"" << outcome.report.substr(0, 200)
              << (outcome.report.size() > 200 ? "..." : "") << "\"\n";
}

INSTANTIATE_TEST_SUITE_P(Trees, FaultSuite, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tanmira
