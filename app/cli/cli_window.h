// The search window of tanmira-cli: answers the run's questions from the command-line options
// and keeps the result text.
#pragma once

#include "app/cli/cli_options.h"
#include "search/search_window.h"

namespace tanmira::cli {

class CliWindow : public SearchWindow {
  public:
    explicit CliWindow(CliOptions options) : options_(std::move(options)) {}

    std::string FolderToSearch() const override { return options_.folder; }
    bool IncludeSubfolders() const override { return options_.subfolders; }
    std::optional<KeywordEncoding> ContentEncoding() const override { return options_.encoding; }
    const std::string& ContentText() const override { return options_.content; }
    const std::string& ContentExcludeText() const override { return options_.contentExclude; }
    const std::string& NameText() const override { return options_.name; }
    const std::string& NameExcludeText() const override { return options_.nameExclude; }
    bool ExtensionListEmpty() const override { return options_.extensions.empty(); }
    bool ExtensionListEnabled() const override { return !options_.allExtensions; }
    const std::vector<std::string>& ExtensionLines() const override { return options_.extensions; }
    bool FullPaths() const override { return options_.fullPaths; }
    void SetStartEnabled(bool) override {}
    void SetResultText(const std::string& text) override { resultText_ = text; }
    void SetProgressText(const std::string&) override {}
    void ProcessPendingEvents() override {}

    // The result text with each CR LF turned into the platform's line break.
    std::string ResultLines() const;

  private:
    CliOptions options_;
    std::string resultText_;
};

}  // namespace tanmira::cli
