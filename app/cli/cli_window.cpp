// Result text of tanmira-cli.
#include "app/cli/cli_window.h"

namespace tanmira::cli {

std::string CliWindow::ResultLines() const {
    std::string lines;
    lines.reserve(resultText_.size());
    for (std::size_t i = 0; i < resultText_.size(); ++i) {
        if (resultText_[i] == '\r' && i + 1 < resultText_.size() && resultText_[i + 1] == '\n')
            continue;  // the LF that follows ends the line
        lines += resultText_[i];
    }
    return lines;
}

}  // namespace tanmira::cli
