// Parsing of tanmira-cli's options.
#include "app/cli/cli_options.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
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
           "  --null                  end each name with a 0 byte instead of a line break\n"
           "  --lines                 print PATH:LINE:COLUMN:TEXT for each line holding the\n"
           "                          content keyword (COLUMN: the first hit's character,\n"
           "                          TEXT decoded to UTF-8 from the encoding found in it)\n"
           "  --count                 print PATH:N, N the number of such lines\n"
           "  --json                  print one JSON object for each such line\n"
           "  --threads N             search with N threads (default: TANMIRA_THREADS, else one\n"
           "                          per processor the search may use)\n"
           "  --help                  print this help and exit\n"
           "  --version               print the version and exit\n"
           "\n"
           "Exit status: 0 when a file was found, 1 when none was, 2 on an error: a usage error,\n"
           "files or folders that could not be read (the files found are printed first), a\n"
           "FOLDER that is no folder, a keyword the encoding cannot hold, or output that could\n"
           "not be written.\n";
}

std::string VersionText() {
    return "tanmira-cli " TANMIRA_VERSION "\n";
}

std::optional<CliOptions> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    options.extensions = StoredExtensionLines();
    bool extensionsGiven = false;
    std::optional<std::string> folder;
    // The first usage error; parsing goes on, so that --help or --version after it still wins.
    std::optional<std::string> misuse;
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
        const std::pair<const char*, OutputMode> modes[] = {{"--lines", OutputMode::Lines},
                                                            {"--count", OutputMode::Count},
                                                            {"--json", OutputMode::Json}};
        const auto mode = std::find_if(std::begin(modes), std::end(modes),
                                       [&](const auto& m) { return arg == m.first; });
        if (mode != std::end(modes)) {
            if (options.output != OutputMode::Names && options.output != mode->second) {
                error = "--lines, --count and --json exclude each other";
                return std::nullopt;
            }
            options.output = mode->second;
        } else if (arg == "--null") {
            options.nullSeparated = true;
        } else if (arg == "--subfolders") {
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
            if (encoding)
                options.encoding = *encoding;
            else if (!misuse)
                misuse = "unknown encoding " + *v + " (one of " + EncodingNames(", ") + ")";
        } else if (arg.size() > 1 && arg[0] == '-') {
            misuse = misuse.value_or("unknown option " + arg);
        } else if (folder) {
            misuse = misuse.value_or("only one FOLDER may be given");
        } else {
            folder = arg;
        }
    }
    if (misuse) {
        error = *misuse;
        return std::nullopt;
    }
    if (extensionsGiven && options.allExtensions) {
        error = "--extensions and --all-extensions exclude each other";
        return std::nullopt;
    }
    if (options.output != OutputMode::Names && options.content.empty()) {
        error = "--lines, --count and --json need --content";
        return std::nullopt;
    }
    if (options.output != OutputMode::Names && options.nullSeparated) {
        error = "--null goes with the names output only";
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
