// Tests of tanmira-cli as a program: output, exit status and usage errors.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <array>
#include <cstdio>
#include <filesystem>

#include "app/cli/cli_options.h"
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

// Runs tanmira-cli, as an unprivileged user when asUnprivileged (root reads every file).
Outcome RunCli(const std::vector<std::string>& args, bool asUnprivileged = false) {
    std::string command = Quote(TANMIRA_CLI_PATH);
    if (asUnprivileged && geteuid() == 0)
        command = "setpriv --reuid=65534 --regid=65534 --clear-groups " + command;
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " 2>/dev/null";
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

TEST(TanmiraCli, ExitsTwoWhenSomeFilesCannotBeRead) {
    testing::TempTree tree;
    std::filesystem::permissions(tree.Root(), std::filesystem::perms::all);
    std::filesystem::permissions(tree.File("ok.txt", "x"), std::filesystem::perms::all);
    std::filesystem::permissions(tree.File("locked.txt", "x"), std::filesystem::perms::none);
    const Outcome outcome = RunCli({"--content", "", tree.Root()}, true);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "ok.txt\n");
}

TEST(TanmiraCli, UsageErrorsExitOne) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--bogus", "/"},
                                                 {"--content"},
                                                 {"a", "b"},
                                                 {"--encoding", "latin1", "/"},
                                                 {"--threads", "0", "/"},
                                                 {"--threads", "2x", "/"},
                                                 {"--extensions", "txt", "--all-extensions", "/"}})
        EXPECT_EQ(RunCli(args).status, 1) << ::testing::PrintToString(args);
}

TEST(TanmiraCli, HelpAndVersionPrintOnStandardOutputAndExitZero) {
    const Outcome help = RunCli({"--content", "x", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, cli::UsageText());
    EXPECT_NE(help.out.find("shift-jis, euc, utf-8, all"), std::string::npos);
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
