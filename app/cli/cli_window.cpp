// The request, the live controls and the printed results of tanmira-cli.
#include "app/cli/cli_window.h"

#include <nlohmann/json.hpp>

#include <limits>
#include <sstream>

#include "platform/platform.h"
#include "search/matched_lines.h"
#include "search/text_rules.h"

namespace tanmira::cli {

namespace {

constexpr auto kRepaint = std::chrono::milliseconds(100);

// Names are written once this many bytes of them are gathered.
constexpr std::size_t kNamesPiece = 64 * 1024;

const char* EncodingName(platform::CodePage page) {
    switch (page) {
        case platform::CodePage::ShiftJis:
            return "shift-jis";
        case platform::CodePage::EucJp:
            return "euc-jp";
        case platform::CodePage::Utf16Le:
            return "utf-16le";
        case platform::CodePage::Utf16Be:
            return "utf-16be";
        case platform::CodePage::System:
        case platform::CodePage::Utf8:
            break;
    }
    return "utf-8";
}

// The columns text takes on a terminal: two for a character of three or more UTF-8 bytes (the
// Japanese ones), one for any other.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        columns += byte < 0x80 || (byte >= 0xC0 && byte < 0xE0) ? 1 : byte >= 0xE0 ? 2 : 0;
    }
    return columns;
}

bool ValidUtf8(const std::string& text) {
    return platform::DecodeToUtf8(text, platform::CodePage::Utf8) == text;
}

}  // namespace

SearchRequest RequestOf(const CliOptions& options) {
    SearchRequest request{.folder = options.folder,
                          .subfolders = options.subfolders,
                          .encoding = options.encoding,
                          .content = options.content,
                          .contentExclude = options.contentExclude,
                          .threads = options.threads};
    // Counting keeps no line: every matching line is one more.
    if (options.output == OutputMode::Count)
        request.matchedLines = 0;
    else if (options.output != OutputMode::Names)
        request.matchedLines = std::numeric_limits<std::size_t>::max();
    return request;
}

LiveControls LiveControlsOf(const CliOptions& options) {
    return {options.name,           options.nameExclude,     options.extensions,
            !options.allExtensions, options.content.empty(), options.contentExclude.empty(),
            options.fullPaths};
}

void CliEvents::SetResultLines(const std::vector<ResultLine>& /*lines*/) {
    WriteNames();
}

void CliEvents::WriteNames() {
    if (names_.empty())
        return;
    EraseProgress();
    platform::WriteStandard(platform::StandardStream::Output, names_);
    names_.clear();
}

bool CliEvents::ProgressDue() const {
    return showProgress_ && (!shown_ || std::chrono::steady_clock::now() - painted_ >= kRepaint);
}

void CliEvents::SetFileProgress(int file, int total) {
    if (ProgressDue())
        SetProgressText(FileProgressText(file, total));
}

void CliEvents::SetProgressText(const std::string& text) {
    if (!ProgressDue())
        return;
    painted_ = std::chrono::steady_clock::now();
    shown_ = true;
    const std::size_t columns = Columns(text);
    const std::size_t over = shownColumns_ > columns ? shownColumns_ - columns : 0;
    platform::WriteStandard(platform::StandardStream::Error, "\r" + text + std::string(over, ' '));
    shownColumns_ = columns;
}

void CliEvents::EraseProgress() {
    if (!shown_)
        return;
    shown_ = false;
    platform::WriteStandard(platform::StandardStream::Error,
                            "\r" + std::string(shownColumns_, ' ') + "\r");
    shownColumns_ = 0;
}

std::string JsonLine(const std::string& path, std::uint64_t line, std::size_t column,
                     const std::string& text, const char* encoding) {
    nlohmann::ordered_json object;
    if (ValidUtf8(path))
        object["path"] = path;
    else
        object["path"]["bytes"] = std::vector<unsigned char>(path.begin(), path.end());
    object["line"] = line;
    object["column"] = column;
    object["text"] = text;
    object["encoding"] = encoding;
    return object.dump();
}

void CliEvents::HitFound(const std::string& path, const MatchedLines* found) {
    found_ = true;
    if (found == nullptr) {
        if (options_.fullPaths)
            names_ += path;
        else
            names_ += FileNamePart(path);
        names_.push_back(options_.nullSeparated ? '\0' : '\n');
        if (names_.size() >= kNamesPiece)
            WriteNames();
        return;
    }
    const MatchedLines& lines = *found;
    EraseProgress();
    std::ostringstream out;
    if (options_.output == OutputMode::Count)
        out << path << ':' << lines.more << '\n';
    for (const TextLine& line : lines.lines) {
        const DecodedLine decoded = DecodeLine(line);
        if (options_.output == OutputMode::Json)
            out << JsonLine(path, line.number, decoded.firstHitColumn, decoded.text,
                            EncodingName(line.codePage))
                << '\n';
        else
            out << path << ':' << line.number << ':' << decoded.firstHitColumn << ':'
                << decoded.text << '\n';
    }
    platform::WriteStandard(platform::StandardStream::Output, out.str());
}

}  // namespace tanmira::cli
