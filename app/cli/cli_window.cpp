// The request, the live controls and the printed results of tanmira-cli.
#include "app/cli/cli_window.h"

namespace tanmira::cli {

SearchRequest RequestOf(const CliOptions& options) {
    return {options.folder,  options.subfolders,     options.encoding,
            options.content, options.contentExclude, options.threads};
}

LiveControls LiveControlsOf(const CliOptions& options) {
    return {options.name,           options.nameExclude,     options.extensions,
            !options.allExtensions, options.content.empty(), options.contentExclude.empty(),
            options.fullPaths};
}

void CliEvents::SetResultLines(const std::vector<ResultLine>& lines) {
    for (const ResultLine& line : lines)
        out_ << line.text << '\n';
    out_.flush();
}

}  // namespace tanmira::cli
