// TStringList: the ordered list of byte strings that the search and the banner share, with its
// Text form (CR LF after every entry) and its whole-file loader.
#pragma once

#include <string>
#include <vector>

namespace tanmira {

class TStringList {
  public:
    // Appends a copy of line; gives the index of the new entry.
    int AppendLine(const std::string& line);
    int AppendLine(std::string&& line);

    // Removes every entry and releases the entry storage.
    void ClearLines();

    int LineCount() const { return static_cast<int>(lines_.size()); }

    // A copy of entry index; raises EStringListError outside 0 .. LineCount() - 1.
    std::string LineAt(int index) const;

    // Every entry followed by CR LF.
    std::string Text() const;

    // Replaces the entries by the lines of text: CR LF, a lone CR and a lone LF each end a line,
    // a final line break adds no empty entry, and everything from the first 0 byte on is dropped.
    void SetText(const std::string& text);

    // Replaces the entries by the lines of a whole file; raises EFOpenError (and keeps the
    // entries) when the file cannot be opened.
    void LoadWholeFile(const std::string& path);

    // Number of entries for which storage is held.
    int Capacity() const { return static_cast<int>(lines_.capacity()); }

    // The entries themselves, for callers that move whole lists.
    const std::vector<std::string>& Lines() const { return lines_; }
    void SwapLines(std::vector<std::string>& lines) { lines_.swap(lines); }

  private:
    std::vector<std::string> lines_;
};

}  // namespace tanmira
