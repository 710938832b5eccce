// Parsing of tanmira-cli's options.
#include "app/cli/cli_options.h"

#include <cstdlib>
#include <utility>

#include "search/search_window.h"

namespace tanmira::cli {

namespace {

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> items;
    if (list.empty())
        return items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        items.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

// The encodings' command-line names, separated by sep.
std::string EncodingNames(const char* sep) {
    std::string names;
    for (const EncodingEntry& entry : KeywordEncodings())
        names += (names.empty() ? "" : sep) + std::string(entry.cliName);
    return names;
}

}  // namespace

std::string UsageText() {
    return "usage: tanmira-cli [OPTION...] FOLDER\n"
           "Searches FOLDER as Tanmira's window does and prints the files found, one a line.\n"
           "\n"
           "  --subfolders            search the subfolders too\n"
           "  --content KW            keep files whose text contains KW\n"
           "  --content-exclude KW    drop files whose text contains KW\n"
           "  --name KW               keep files whose name contains KW\n"
           "  --name-exclude KW       drop files whose name contains KW\n"
           "  --extensions LIST       comma-separated extensions (default: the window's 22;\n"
           "                          an empty LIST accepts every extension)\n"
           "  --all-extensions        accept every extension\n"
           "  --encoding ENC          encoding of the content keywords: " +
           EncodingNames(", ") +
           "\n"
           "                          (default shift-jis; all searches every one at once)\n"
           "  --full-paths            print full paths instead of file names\n"
           "  --threads N             search with N threads (default: TANMIRA_THREADS, else one\n"
           "                          per core)\n"
           "  --help                  print this help and exit\n"
           "  --version               print the version and exit\n"
           "\n"
           "Exit status: 0; 2 when some files or folders could not be read; 1 on a usage error.\n";
}

std::string VersionText() {
    return "tanmira-cli " TANMIRA_VERSION "\n";
}

std::optional<CliOptions> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    options.extensions = StoredExtensionLines();
    bool extensionsGiven = false;
    std::optional<std::string> folder;
    const std::pair<const char*, std::string CliOptions::*> textOptions[] = {
        {"--content", &CliOptions::content},
        {"--content-exclude", &CliOptions::contentExclude},
        {"--name", &CliOptions::name},
        {"--name-exclude", &CliOptions::nameExclude},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        bool matched = false;
        for (const auto& [flag, member] : textOptions) {
            if (arg != flag)
                continue;
            const std::optional<std::string> v = value();
            if (!v)
                return std::nullopt;
            options.*member = *v;
            matched = true;
        }
        if (matched)
            continue;
        if (arg == "--help" || arg == "--version") {
            options.action = arg == "--help" ? CliAction::Help : CliAction::Version;
            return options;
        }
        if (arg == "--subfolders") {
            options.subfolders = true;
        } else if (arg == "--full-paths") {
            options.fullPaths = true;
        } else if (arg == "--all-extensions") {
            options.allExtensions = true;
        } else if (arg == "--extensions") {
            const std::optional<std::string> v = value();
            if (!v)
                return std::nullopt;
            options.extensions = SplitList(*v);
            extensionsGiven = true;
        } else if (arg == "--threads") {
            const std::optional<std::string> v = value();
            if (!v)
                return std::nullopt;
            char* end = nullptr;
            const unsigned long n = std::strtoul(v->c_str(), &end, 10);
            if (v->empty() || *end != '\0' || n == 0 || n > 1024) {
                error = "--threads needs a number from 1 to 1024";
                return std::nullopt;
            }
            options.threads = static_cast<unsigned>(n);
        } else if (arg == "--encoding") {
            const std::optional<std::string> v = value();
            if (!v)
                return std::nullopt;
            const std::optional<KeywordEncoding> encoding = EncodingNamed(*v);
            if (!encoding) {
                error = "unknown encoding " + *v + " (one of " + EncodingNames(", ") + ")";
                return std::nullopt;
            }
            options.encoding = *encoding;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (folder) {
            error = "only one FOLDER may be given";
            return std::nullopt;
        } else {
            folder = arg;
        }
    }
    if (extensionsGiven && options.allExtensions) {
        error = "--extensions and --all-extensions exclude each other";
        return std::nullopt;
    }
    if (!folder) {
        error = "FOLDER is missing";
        return std::nullopt;
    }
    options.folder = *folder;
    return options;
}

}  // namespace tanmira::cli
