// A search window for tests: plain fields stand for the controls, what the run shows is recorded,
// and a callback stands for the events handled between files.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search/matched_lines.h"
#include "search/search_run.h"
#include "search/search_window.h"

namespace tanmira::testing {

class FakeSearchWindow : public SearchEvents {
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
    bool showsResultLines = true;             // false: a window that takes each hit from HitFound
    std::optional<std::size_t> matchedLines;  // asked of the run
    // Each hit as found, with the numbers of its matching lines when there are any.
    Lines hitsFound;

    // The result box's text: each line followed by CR LF.
    std::string result = "検索結果　　含むファイルのアドレス\r\n";
    Lines progress;      // the file loop's "i / n"
    Lines walkProgress;  // the walk's counts of listed entries
    std::vector<bool> startEnabled;
    // Called when the file loop lets events through, with the number of the call from 0: the
    // index of the file about to be tested.
    std::function<void(int)> onEvents;
    int eventCalls = 0;
    std::function<void()> onWalkEvents;  // called when the walk lets events through

    SearchRequest Request() const {
        return {.folder = folder,
                .subfolders = subfolders,
                .encoding = encoding,
                .content = content,
                .contentExclude = contentExclude,
                .matchedLines = matchedLines};
    }

    // The live controls as the fields stand now; kept current after each event call.
    const LiveControls& Live() {
        live_ = {name,
                 nameExclude,
                 extensions,
                 extensionsEnabled,
                 content.empty(),
                 contentExclude.empty(),
                 fullPaths};
        return live_;
    }

    void SetStartEnabled(bool enabled) override { startEnabled.push_back(enabled); }
    void SetResultLines(const std::vector<ResultLine>& lines) override {
        result.clear();
        for (const ResultLine& line : lines)
            result += line.text + "\r\n";
    }
    bool ShowsResultLines() const override { return showsResultLines; }
    void HitFound(const std::string& path, const MatchedLines* lines) override {
        hitsFound.push_back(path);
        for (std::size_t i = 0; lines != nullptr && i < lines->lines.size(); ++i)
            hitsFound.back() += ":" + std::to_string(lines->lines[i].number);
    }
    // The walk shows its count right before it lets events through; the file loop lets them
    // through and then shows "i / n".
    void SetProgressText(const std::string& text) override {
        // The walk shows a bare count of listed entries; the file loop "i / n", then the end.
        walkShown_ = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        (walkShown_ ? walkProgress : progress).push_back(text);
    }
    void ProcessPendingEvents() override {
        if (std::exchange(walkShown_, false)) {
            if (onWalkEvents)
                onWalkEvents();
        } else {
            if (onEvents)
                onEvents(eventCalls);
            ++eventCalls;
        }
        Live();
    }

  private:
    LiveControls live_;
    bool walkShown_ = false;
};

// A run with the fake as request, live controls and events.
inline void SearchRun(FakeSearchWindow& window, SearchState& state) {
    const SearchRequest request = window.Request();
    tanmira::SearchRun(request, window.Live(), window, state);
}

// The result display with the fake's display form.
inline void ShowResults(FakeSearchWindow& window, SearchState& state) {
    tanmira::ShowResults(window.fullPaths, state, window);
}

}  // namespace tanmira::testing
