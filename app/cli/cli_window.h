// The search window of tanmira-cli: the run's request and live controls taken from the
// command-line options, and the events of which it prints the result lines.
#pragma once

#include "app/cli/cli_options.h"
#include "search/search_window.h"

namespace tanmira::cli {

SearchRequest RequestOf(const CliOptions& options);
LiveControls LiveControlsOf(const CliOptions& options);

// Prints the result lines to standard output, each followed by a line break.
class CliEvents : public SearchEvents {
  public:
    void SetResultLines(const std::vector<ResultLine>& lines) override;
};

}  // namespace tanmira::cli
