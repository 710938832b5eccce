// Command-line options of tanmira-cli: the window's inputs of a search, given as options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "search/encodings.h"

namespace tanmira::cli {

// What the program is asked to do.
enum class CliAction { Search, Help, Version };

// What is printed of the files found.
enum class OutputMode {
    Names,  // the result box's lines
    Lines,  // PATH:LINE:COLUMN:TEXT for each line holding the content keyword
    Count,  // PATH:N, the number of such lines
    Json,   // one JSON object for each such line
};

struct CliOptions {
    CliAction action = CliAction::Search;
    std::string folder;
    bool subfolders = false;
    std::string content;
    std::string contentExclude;
    std::string name;
    std::string nameExclude;
    std::vector<std::string> extensions;  // one line per extension, as in the extension box
    bool allExtensions = false;
    KeywordEncoding encoding = KeywordEncoding::ShiftJis;
    bool fullPaths = false;
    OutputMode output = OutputMode::Names;
    bool nullSeparated = false;  // names end in a 0 byte instead of a line break
    unsigned threads = 0;        // 0: TANMIRA_THREADS, else one per usable processor
};

// Parses the arguments after the program name; nothing (and a reason in error) on a usage error.
// --help or --version anywhere asks for that alone, also after a usage error.
std::optional<CliOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The usage text with a line on each option.
std::string UsageText();

// The program's name and version.
std::string VersionText();

}  // namespace tanmira::cli
