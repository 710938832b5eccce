// tanmira-cli: runs one search with the window's inputs given as options and prints the lines
// that the result box would show. Exit status: 0, 2 when some files or folders could not be
// read, 1 on a usage error.
#include "app/cli/cli_window.h"
#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/search_run.h"

int main(int argc, char** argv) {
    using namespace tanmira;
    using platform::StandardStream;
    using platform::WriteStandard;
    std::string error;
    const std::optional<cli::CliOptions> options =
        cli::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        WriteStandard(StandardStream::Error, "tanmira-cli: " + error + "\n" + cli::UsageText());
        return 1;
    }
    if (options->action != cli::CliAction::Search) {
        WriteStandard(StandardStream::Output, options->action == cli::CliAction::Help
                                                  ? cli::UsageText()
                                                  : cli::VersionText());
        return 0;
    }
    cli::CliEvents events;
    SearchState state;
    try {
        SearchRun(cli::RequestOf(*options), cli::LiveControlsOf(*options), events, state);
    } catch (const EFOpenError& e) {
        WriteStandard(StandardStream::Error, e.Message() + "\n");
        return 2;
    }
    return 0;
}
