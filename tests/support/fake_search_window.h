// A search window for tests: plain fields stand for the controls, the texts the run writes are
// recorded, and a callback stands for the events handled between files.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "search/search_window.h"

namespace tanmira::testing {

class FakeSearchWindow : public SearchWindow {
  public:
    using Lines = std::vector<std::string>;

    std::string folder;
    bool subfolders = false;
    std::optional<KeywordEncoding> encoding = KeywordEncoding::ShiftJis;
    std::string content = "ファイル内検索";
    std::string contentExclude, name, nameExclude;
    Lines extensions = StoredExtensionLines();
    bool extensionsEnabled = true;
    bool fullPaths = false;

    std::string result = "検索結果　　含むファイルのアドレス\r\n";
    Lines progress;
    std::vector<bool> startEnabled;
    std::function<void(int)> onEvents;  // called with the number of the call, from 0
    int eventCalls = 0;

    std::string FolderToSearch() const override { return folder; }
    bool IncludeSubfolders() const override { return subfolders; }
    std::optional<KeywordEncoding> ContentEncoding() const override { return encoding; }
    const std::string& ContentText() const override { return content; }
    const std::string& ContentExcludeText() const override { return contentExclude; }
    const std::string& NameText() const override { return name; }
    const std::string& NameExcludeText() const override { return nameExclude; }
    bool ExtensionListEmpty() const override { return extensions.empty(); }
    bool ExtensionListEnabled() const override { return extensionsEnabled; }
    const Lines& ExtensionLines() const override { return extensions; }
    bool FullPaths() const override { return fullPaths; }
    void SetStartEnabled(bool enabled) override { startEnabled.push_back(enabled); }
    void SetResultText(const std::string& text) override { result = text; }
    void SetProgressText(const std::string& text) override { progress.push_back(text); }
    void ProcessPendingEvents() override {
        if (onEvents)
            onEvents(eventCalls);
        ++eventCalls;
    }
};

}  // namespace tanmira::testing
