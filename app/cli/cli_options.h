// Command-line options of tanmira-cli: the window's inputs of a search, given as options.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tanmira::cli {

struct CliOptions {
    std::string folder;
    bool subfolders = false;
    std::string content;
    std::string contentExclude;
    std::string name;
    std::string nameExclude;
    std::vector<std::string> extensions;  // one line per extension, as in the extension box
    bool allExtensions = false;
    int encodingIndex = 0;  // shift-jis, euc, utf-8
    bool fullPaths = false;
};

// Parses the arguments after the program name; nothing (and a reason in error) on a usage error.
std::optional<CliOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The short usage text.
std::string UsageText();

}  // namespace tanmira::cli
