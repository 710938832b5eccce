// Tests of tanmira-cli as a program: output, exit status, usage errors and the libraries it loads.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "app/cli/cli_options.h"
#include "app/cli/cli_window.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

struct Outcome {
    int status;
    std::string out;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs tanmira-cli (or program), as an unprivileged user when asUnprivileged (root reads every
// file); out is what reaches the pipe after the shell redirections.
Outcome RunCli(const std::vector<std::string>& args, bool asUnprivileged = false,
               const std::string& redirections = "2>/dev/null",
               const std::string& program = TANMIRA_CLI_PATH) {
    std::string command = Quote(program);
    if (asUnprivileged && geteuid() == 0)
        command = "setpriv --reuid=65534 --regid=65534 --clear-groups " + command;
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " " + redirections;
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WEXITSTATUS(status), out};
}

TEST(TanmiraCli, PrintsTheResultLinesAndExitsZero) {
    testing::TempTree tree;
    tree.File("a.txt", "Needle");
    tree.File("sub/b.C", "needle");
    tree.File("sub/c.dat", "needle");
    tree.File("d.txt", "hay");
    const Outcome names =
        RunCli({"--subfolders", "--content", "NEEDLE", "--encoding", "utf-8", tree.Root()});
    EXPECT_EQ(names.status, 0);
    EXPECT_TRUE(names.out == "a.txt\nb.C\n" || names.out == "b.C\na.txt\n") << names.out;

    const Outcome threads = RunCli({"--subfolders", "--content", "NEEDLE", "--encoding", "utf-8",
                                    "--threads", "3", tree.Root()});
    EXPECT_EQ(threads.out, names.out);

    const Outcome full =
        RunCli({"--content", "needle", "--full-paths", "--extensions", "", tree.Root()});
    EXPECT_EQ(full.out, tree.Path("a.txt") + "\n");
    const Outcome all = RunCli({"--subfolders", "--all-extensions", "--content", "needle",
                                "--name-exclude", ".C", tree.Root()});
    EXPECT_TRUE(all.out == "a.txt\nc.dat\n" || all.out == "c.dat\na.txt\n") << all.out;
}

// The fixtures of utf16/ (made with iconv by utf16/make.sh): Notepad's UTF-16LE with a mark and
// CR LF, UTF-16LE without one, UTF-16BE, the ASCII word, and UTF-16LE at odd offsets.
TEST(TanmiraCli, FindsUtf16FilesInEitherByteOrderAndOnlyAtEvenOffsets) {
    const std::string utf16 = "big-endian.txt\nno-bom.txt\nnotepad.txt\n";
    const struct {
        const char* encoding;
        const char* keyword;
        std::string found;
    } cases[] = {
        {"utf-16", "version", utf16},
        {"utf-16", "設定", utf16},
        {"utf-16", "ersion=2", "notepad.txt\n"},
        {"all", "VERSION", "ascii.txt\n" + utf16},
        {"utf-8", "version", "ascii.txt\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = RunCli({"--content", c.keyword, "--encoding", c.encoding,
                                        "--extensions", "txt", TANMIRA_UTF16_FIXTURES});
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < outcome.out.size();) {
            const std::size_t end = outcome.out.find('\n', at) + 1;
            lines.push_back(outcome.out.substr(at, end - at));
            at = end;
        }
        std::sort(lines.begin(), lines.end());
        std::string sorted;
        for (const std::string& line : lines)
            sorted += line;
        EXPECT_EQ(sorted, c.found) << c.encoding << " " << c.keyword;
    }
}

TEST(TanmiraCli, ExitsTwoWhenSomeFilesCannotBeRead) {
    testing::TempTree tree;
    std::filesystem::permissions(tree.Root(), std::filesystem::perms::all);
    std::filesystem::permissions(tree.File("ok.txt", "x"), std::filesystem::perms::all);
    std::filesystem::permissions(tree.File("locked.txt", "x"), std::filesystem::perms::none);
    const Outcome outcome = RunCli({"--content", "", tree.Root()}, true);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "ok.txt\n");
}

TEST(TanmiraCli, PrintsEachNameWithItsExactBytes) {
    testing::TempTree tree;
    tree.File("a\r\nb.txt", "needle");
    EXPECT_EQ(RunCli({"--content", "needle", tree.Root()}).out, "a\r\nb.txt\n");
}

// Each error ends with a message on the standard error and status 2, never silently.
// A list longer than one written piece arrives whole: every name once, none cut, in either form.
TEST(TanmiraCli, ALongListArrivesWhole) {
    testing::TempTree tree;
    std::vector<std::string> expected;
    for (int k = 0; k < 1500; ++k) {
        expected.push_back(std::string(40, static_cast<char>('a' + k % 26)) + std::to_string(k) +
                           ".txt");
        tree.File(expected.back(), "");
    }
    std::sort(expected.begin(), expected.end());
    for (const char end : {'\n', '\0'}) {
        std::vector<std::string> args = {"--content", "", tree.Root()};
        if (end == '\0')
            args.insert(args.begin(), "--null");
        const std::string out = RunCli(args).out;
        std::vector<std::string> names;
        for (std::size_t at = 0, next; (next = out.find(end, at)) != std::string::npos;
             at = next + 1)
            names.push_back(out.substr(at, next - at));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, expected) << (end == '\0' ? "--null" : "lines");
    }
}

// Errors, usage errors among them, exit 2 with a message on standard error.
TEST(TanmiraCli, ErrorsAreToldAndExitTwo) {
    testing::TempTree tree;
    tree.File("f.txt", "needle");
    const std::string invalidUtf8 = "\xff\xfe";
    const std::string toError = "2>&1 >/dev/null";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{tree.Path("missing")}, toError},
        {{tree.Path("f.txt")}, toError},
        {{"-"}, toError},
        {{""}, toError},
        {{"--encoding", "utf-8", "--content", invalidUtf8, tree.Root()}, toError},
        {{"--encoding", "utf-8", "--content-exclude", invalidUtf8, tree.Root()}, toError},
        {{"--content", "needle", tree.Root()}, "2>&1 >/dev/full"},
        {{"--content", "needle", tree.Root()}, "2>&1 >&-"},
        {{"--help"}, "2>&1 >/dev/full"},
        {{}, toError},
        {{"--bogus", "/"}, toError},
        {{"--content"}, toError},
        {{"a", "b"}, toError},
        {{"--encoding", "latin1", "/"}, toError},
        {{"--threads", "0", "/"}, toError},
        {{"--threads", "2x", "/"}, toError},
        {{"--extensions", "txt", "--all-extensions", "/"}, toError},
        {{"--lines", "/"}, toError},
        {{"--lines", "--count", "--content", "x", "/"}, toError},
        {{"--null", "--json", "--content", "x", "/"}, toError},
    };
    for (const auto& [args, redirections] : cases) {
        const Outcome outcome = RunCli(args, false, redirections);
        EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args) << " " << redirections;
        EXPECT_FALSE(outcome.out.empty()) << ::testing::PrintToString(args) << " " << redirections;
    }
}

TEST(TanmiraCli, ExitsOneWhenNothingIsFound) {
    testing::TempTree tree;
    tree.File("a.txt", "hay");
    for (const char* mode : {"--lines", "--count", "--json"}) {
        const Outcome outcome = RunCli({mode, "--content", "needle", tree.Root()});
        EXPECT_EQ(outcome.status, 1) << mode;
        EXPECT_EQ(outcome.out, "") << mode;
    }
    EXPECT_EQ(RunCli({"--content", "needle", tree.Root()}).status, 1);
}

TEST(TanmiraCli, OutputModesPrintTheMatchingLines) {
    testing::TempTree tree;
    // Shift_JIS 設定 after a CR LF and a lone CR; a name that is not UTF-8.
    const std::string a = tree.File("a.txt", "x\r\ny\r\x82\xa0\x90\xdd\x92\xe8\r\n");
    const std::string b =
        tree.File("b\xff.txt", "\xe8\xa8\xad\xe5\xae\x9a \xe8\xa8\xad\xe5\xae\x9a");
    auto run = [&](const char* mode) {
        return RunCli({mode, "--encoding", "all", "--content", "設定", tree.Root()}).out;
    };
    const std::string lines = run("--lines");
    EXPECT_NE(lines.find(a + ":3:2:あ設定\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find(b + ":1:1:設定 設定\n"), std::string::npos) << lines;
    EXPECT_NE(run("--count").find(a + ":1\n"), std::string::npos);
    const std::string json = run("--json");
    EXPECT_NE(json.find(R"("line":3,"column":2,"text":"あ設定","encoding":"shift-jis"})"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"({"path":{"bytes":[)"), std::string::npos) << json;
    const std::string names = run("--null");
    EXPECT_TRUE(names == std::string("a.txt\0b\xff.txt\0", 13) ||
                names == std::string("b\xff.txt\0a.txt\0", 13))
        << names;
}

// On a terminal (script's) the progress is painted and erased with carriage returns and spaces:
// escape sequences would show as they are on a console that does not take them.
TEST(TanmiraCli, ProgressOnATerminalIsRepaintedWithoutEscapes) {
    testing::TempTree tree;
    tree.File("a.txt", "needle");
    const Outcome outcome = RunCli(
        {"-qec", Quote(TANMIRA_CLI_PATH) + " --content needle " + Quote(tree.Root()), "/dev/null"},
        false, "2>&1", "script");
    EXPECT_EQ(outcome.status, 0);
    // The last text painted (the file loop's, or the walk's on a slow machine), then as many
    // spaces.
    EXPECT_TRUE(outcome.out.find("\r0 / 1\r     \ra.txt") != std::string::npos ||
                outcome.out.find("\r1\r \ra.txt") != std::string::npos)
        << outcome.out;
    EXPECT_EQ(outcome.out.find('\x1b'), std::string::npos) << outcome.out;
}

TEST(TanmiraCli, LoadsNoLibraryFromTheFolderItIsStartedIn) {
    // The folder searched is often the one the program is started in, and may hold anything: a
    // shared object named like the C++ library there must not be loaded in its stead.
    testing::TempTree tree;
    std::filesystem::copy_file(TANMIRA_FAULT_SHIM_PATH, tree.Path("libstdc++.so.6"));
    const Outcome started = RunCli(
        {"-c", "cd " + Quote(tree.Root()) + " && exec " + Quote(TANMIRA_CLI_PATH) + " --version"},
        false, "2>&1", "/bin/sh");
    EXPECT_EQ(started.status, 0) << started.out;
    EXPECT_EQ(started.out, cli::VersionText());
}

TEST(TanmiraCli, HelpAndVersionPrintOnStandardOutputAndExitZero) {
    const Outcome help = RunCli({"--content", "x", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, cli::UsageText());
    EXPECT_NE(help.out.find("shift-jis, euc, utf-8, utf-16, all"), std::string::npos);
    // --help wins over a usage error wherever it stands.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--bogus", "--help"}, {"--help", "--bogus"}}) {
        const Outcome bogus = RunCli(args);
        EXPECT_EQ(bogus.status, 0) << ::testing::PrintToString(args);
        EXPECT_EQ(bogus.out, cli::UsageText()) << ::testing::PrintToString(args);
    }
    const Outcome version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, cli::VersionText());
}

TEST(CliOptions, ExtensionListsAndDefaults) {
    std::string error;
    const auto defaults = cli::ParseOptions({"/x"}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->extensions.size(), 22u);
    EXPECT_EQ(defaults->extensions[10], "C");
    EXPECT_EQ(defaults->encoding, KeywordEncoding::ShiftJis);
    const auto listed =
        cli::ParseOptions({"--extensions", "a,,B", "--encoding", "all", "/x"}, error);
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->extensions, (std::vector<std::string>{"a", "", "B"}));
    EXPECT_EQ(listed->encoding, KeywordEncoding::All);
}

}  // namespace
}  // namespace tanmira
