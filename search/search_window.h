// What a search run needs from the window that starts it: the values it reads from the
// controls, the texts it writes, and a way to let the window handle its pending events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "search/encodings.h"

namespace tanmira {

// The lines the window's extension list holds at start.
const std::vector<std::string>& StoredExtensionLines();

// The window as a search run sees it. Texts are byte strings in the system code page.
class SearchWindow {
  public:
    virtual ~SearchWindow() = default;

    // Read once, at the start of a run.
    virtual std::string FolderToSearch() const = 0;  // DirectoryListBox1.Directory
    virtual bool IncludeSubfolders() const = 0;      // CheckBox2
    // ComboBox1's chosen item; nothing when no item is chosen, and the content keywords of the
    // previous run are then searched again.
    virtual std::optional<KeywordEncoding> ContentEncoding() const = 0;

    // Read at the start (keywords) and again for each file (only whether they are empty). The
    // texts read for each file are given by reference: a run reads them thousands of times.
    virtual const std::string& ContentText() const = 0;         // Edit2
    virtual const std::string& ContentExcludeText() const = 0;  // Edit3

    // Read for each file.
    virtual const std::string& NameText() const = 0;         // Edit4
    virtual const std::string& NameExcludeText() const = 0;  // Edit5
    virtual bool ExtensionListEmpty() const = 0;             // Memo2's whole text is empty
    virtual bool ExtensionListEnabled() const = 0;           // Memo2.Enabled
    virtual const std::vector<std::string>& ExtensionLines() const = 0;  // Memo2.Lines

    // Read by the result display.
    virtual bool FullPaths() const = 0;  // CheckBox1

    // Written by the run.
    virtual void SetStartEnabled(bool enabled) = 0;             // Button2.Enabled
    virtual void SetResultText(const std::string& text) = 0;    // Memo1 text
    virtual void SetProgressText(const std::string& text) = 0;  // status bar

    // Lets the window handle every pending event once (clicks, timers, close requests).
    virtual void ProcessPendingEvents() = 0;
};

}  // namespace tanmira
