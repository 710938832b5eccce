// tanmira-cli: runs one search with the window's inputs given as options and prints the files
// found (their names, or the lines holding the content keyword). Exit status: 0 when a file was
// found, 1 when none was, 2 on an error (a usage error, a file or folder that could not be read, a
// FOLDER that is no folder, a keyword the encoding cannot hold, output that could not be written).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/cli/cli_window.h"
#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/search_run.h"

namespace {

constexpr int kFound = 0, kNoneFound = 1, kError = 2;

using tanmira::platform::StandardStream;
using tanmira::platform::WriteStandard;

// Why folder cannot be searched, or nothing when it can.
std::optional<std::string> FolderProblem(const std::string& folder) {
    using namespace tanmira::platform;
    if (folder.empty())
        return "FOLDER is empty";
    if (folder == "-")
        return "FOLDER - is no folder (standard input cannot be searched; write ./- for a folder "
               "named -)";
    if (FolderExists(folder))
        return std::nullopt;
    return "FOLDER " + folder + (FileExists(folder) ? " is no folder" : " does not exist");
}

// Flushes the standard output; the exit status, with a message when something could not be
// written (a full disk, a closed output).
int Finish(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    WriteStandard(StandardStream::Error, std::string("tanmira-cli: cannot write the results: ") +
                                             std::strerror(errno) + "\n");
    return kError;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tanmira;
    std::string error;
    const std::optional<cli::CliOptions> options =
        cli::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        WriteStandard(StandardStream::Error, "tanmira-cli: " + error + "\n" + cli::UsageText());
        return kError;
    }
    if (options->action != cli::CliAction::Search) {
        WriteStandard(StandardStream::Output, options->action == cli::CliAction::Help
                                                  ? cli::UsageText()
                                                  : cli::VersionText());
        return Finish(kFound);
    }
    if (const std::optional<std::string> problem = FolderProblem(options->folder)) {
        WriteStandard(StandardStream::Error, "tanmira-cli: " + *problem + "\n");
        return kError;
    }
    // Only the matching lines need it (large files' lines built in fresh buffers file after file):
    // kept, the storage a growing file list frees would stay in the names output's peak memory.
    if (options->output != cli::OutputMode::Names)
        platform::KeepFreedMemory();
    SearchState state;
    cli::CliEvents events(*options, platform::StandardErrorIsTerminal());
    std::optional<std::string> report;
    try {
        CheckContentKeywords(cli::RequestOf(*options));
        SearchRun(cli::RequestOf(*options), cli::LiveControlsOf(*options), events, state);
    } catch (const EFOpenError& e) {
        report = e.Message();  // the files found are printed first
    } catch (const Exception& e) {
        events.EraseProgress();
        WriteStandard(StandardStream::Error, e.Message() + "\n");
        return kError;
    }
    events.EraseProgress();
    const int status = Finish(events.Found() ? kFound : kNoneFound);
    if (!report)
        return status;
    WriteStandard(StandardStream::Error, *report + "\n");
    return kError;
}
