// Fuzz target: the string list's Text form against a plain line splitter, and its round trip.

#include "search/string_list.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// The lines of text: up to its first 0 byte, each of CR LF, CR and LF ends a line, and a final
// break adds no empty line.
std::vector<std::string> SplitLines(std::string text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tanmira::fuzz::FuzzInput input(data, size);
    const std::string text = input.Rest();
    tanmira::TStringList list;
    list.AppendLine("left over");
    list.SetText(text);
    tanmira::fuzz::Check(list.Lines() == SplitLines(text));
    // Text then SetText gives the same entries, and Text is every entry followed by CR LF.
    const std::string joined = list.Text();
    tanmira::TStringList again;
    again.SetText(joined);
    tanmira::fuzz::Check(again.Lines() == list.Lines());
    std::string expected;
    for (const std::string& line : list.Lines())
        expected += line + "\r\n";
    tanmira::fuzz::Check(joined == expected);
    return 0;
}
