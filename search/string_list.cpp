// TStringList: entries, growth rule, Text form and whole-file loading.
#include "search/string_list.h"

#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// Capacity after growing a full list: a quarter more above 64 entries, 16 more above 8, else 4.
std::size_t GrownCapacity(std::size_t capacity) {
    if (capacity > 64)
        return capacity + capacity / 4;
    if (capacity > 8)
        return capacity + 16;
    return capacity + 4;
}

}  // namespace

int TStringList::AppendLine(const std::string& line) {
    return AppendLine(std::string(line));
}

int TStringList::AppendLine(std::string&& line) {
    if (lines_.size() == lines_.capacity())
        lines_.reserve(GrownCapacity(lines_.capacity()));
    lines_.push_back(std::move(line));
    return static_cast<int>(lines_.size()) - 1;
}

void TStringList::ClearLines() {
    std::vector<std::string>().swap(lines_);
}

std::string TStringList::LineAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= lines_.size())
        throw EStringListError(index);
    return lines_[static_cast<std::size_t>(index)];
}

std::string TStringList::Text() const {
    std::size_t length = 0;
    for (const std::string& line : lines_)
        length += line.size() + 2;
    std::string text;
    text.reserve(length);
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(const std::string& text) {
    ClearLines();
    const std::string_view upToZero(text.c_str());  // the text ends at its first 0 byte
    for (const std::string_view line : SplitLines(upToZero))
        AppendLine(std::string(line));
}

void TStringList::LoadWholeFile(const std::string& path) {
    std::optional<std::string> bytes = platform::ReadWholeFile(path);
    if (!bytes)
        throw EFOpenError(path);
    SetText(*bytes);
}

}  // namespace tanmira
