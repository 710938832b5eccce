// tanmira-cli: runs one search with the window's inputs given as options and prints the files
// found (their names, or the lines holding the content keyword). Exit status: 0 when a file was
// found, 1 when none was, 2 on a usage error or when some files or folders could not be read.
#include <iostream>
#include <optional>

#include "app/cli/cli_window.h"
#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/search_run.h"

int main(int argc, char** argv) {
    using namespace tanmira;
    using platform::StandardStream;
    using platform::WriteStandard;
    constexpr int kFound = 0, kNoneFound = 1, kError = 2;
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
        return kFound;
    }
    const bool printNames = options->output == cli::OutputMode::Names && !options->nullSeparated;
    cli::CliEvents events(printNames, platform::StandardErrorIsTerminal() ? &std::cerr : nullptr);
    SearchState state;
    std::optional<std::string> report;
    try {
        SearchRun(cli::RequestOf(*options), cli::LiveControlsOf(*options), events, state);
    } catch (const EFOpenError& e) {
        report = e.Message();
    }
    events.EraseProgress();
    const bool found = cli::PrintFound(*options, state);
    if (report) {
        WriteStandard(StandardStream::Error, *report + "\n");
        return kError;
    }
    return found ? kFound : kNoneFound;
}
