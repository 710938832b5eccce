// Parsing of tanmira-cli's options.
#include "app/cli/cli_options.h"

#include <array>
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

std::optional<int> EncodingIndex(const std::string& name) {
    static const std::array<const char*, 3> names = {"shift-jis", "euc", "utf-8"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (name == names[i])
            return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace

std::string UsageText() {
    return "usage: tanmira-cli [--subfolders] [--content KW] [--content-exclude KW] [--name KW]\n"
           "                   [--name-exclude KW] [--extensions LIST | --all-extensions]\n"
           "                   [--encoding shift-jis|euc|utf-8] [--full-paths] FOLDER\n";
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
        } else if (arg == "--encoding") {
            const std::optional<std::string> v = value();
            if (!v)
                return std::nullopt;
            const std::optional<int> index = EncodingIndex(*v);
            if (!index) {
                error = "unknown encoding " + *v;
                return std::nullopt;
            }
            options.encodingIndex = *index;
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
