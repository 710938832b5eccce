// tanmira-cli: runs one search with the window's inputs given as options and prints the files
// found, one a line. Exit status: 0; 2 on an error (a file or folder that could not be read, a
// FOLDER that is no folder, a keyword the encoding cannot hold, output that could not be
// written); 1 on a usage error.
#include <cerrno>
#include <cstring>
#include <iostream>

#include "app/cli/cli_window.h"
#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/search_run.h"

namespace {

constexpr int kError = 2;

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
    std::cout.flush();
    if (std::cout)
        return status;
    std::cerr << "tanmira-cli: cannot write the results: " << std::strerror(errno) << "\n";
    return kError;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tanmira;
    std::string error;
    const std::optional<cli::CliOptions> options =
        cli::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "tanmira-cli: " << error << "\n" << cli::UsageText();
        return 1;
    }
    if (options->action != cli::CliAction::Search) {
        std::cout << (options->action == cli::CliAction::Help ? cli::UsageText()
                                                              : cli::VersionText());
        return Finish(0);
    }
    if (const std::optional<std::string> problem = FolderProblem(options->folder)) {
        std::cerr << "tanmira-cli: " << *problem << "\n";
        return kError;
    }
    SearchState state;
    cli::CliEvents events(std::cout, state, options->fullPaths);
    try {
        CheckContentKeywords(cli::RequestOf(*options));
        SearchRun(cli::RequestOf(*options), cli::LiveControlsOf(*options), events, state);
    } catch (const Exception& e) {
        const int status = Finish(kError);
        std::cerr << e.Message() << "\n";
        return status;
    }
    return Finish(0);
}
