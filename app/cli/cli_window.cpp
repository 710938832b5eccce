// The request, the live controls and the printed results of tanmira-cli.
#include "app/cli/cli_window.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/platform.h"
#include "search/matched_lines.h"
#include "search/read_ahead.h"
#include "search/text_rules.h"

namespace tanmira::cli {

namespace {

constexpr auto kRepaint = std::chrono::milliseconds(100);

// Prints the hits' paths (or names) each followed by end, a piece of whole names at a time: a long
// list is never held as one more text, and a console's conversion never meets half a character.
void PrintNames(const std::vector<std::string>& hits, bool fullPaths, char end) {
    constexpr std::size_t kPiece = 64 * 1024;
    std::string piece;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        if (fullPaths)
            piece += hits[i];
        else
            piece += FileNamePart(hits[i]);
        piece.push_back(end);
        if (piece.size() >= kPiece || i + 1 == hits.size()) {
            platform::WriteStandard(platform::StandardStream::Output, piece);
            piece.clear();
        }
    }
}

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
    return {options.folder,  options.subfolders,     options.encoding,
            options.content, options.contentExclude, options.threads};
}

LiveControls LiveControlsOf(const CliOptions& options) {
    return {options.name,           options.nameExclude,     options.extensions,
            !options.allExtensions, options.content.empty(), options.contentExclude.empty(),
            options.fullPaths};
}

void CliEvents::SetResultLines(const std::vector<ResultLine>& /*lines*/) {
    EraseProgress();
    if (printNames_)
        PrintNames(state_.HitList.Lines(), fullPaths_, '\n');
}

void CliEvents::SetProgressText(const std::string& text) {
    if (!showProgress_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - painted_ < kRepaint)
        return;
    painted_ = now;
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

namespace {

// What options ask to print of the hit file at path: its lines, their count or JSON objects.
// Nothing when the file can no longer be read.
std::optional<std::string> FileOutput(const CliOptions& options, const SearchState& state,
                                      const std::string& path) {
    std::ostringstream out;
    // Counting keeps no line: every matching line is one more.
    const bool count = options.output == OutputMode::Count;
    const MatchedLines found =
        ReadMatchedLines(path, state.ContentKeyword, state.ContentEncoding,
                         count ? 0 : std::numeric_limits<std::size_t>::max());
    if (found.end == ScanEnd::Unreadable)
        return std::nullopt;
    if (count) {
        out << path << ':' << found.more << '\n';
        return out.str();
    }
    for (const TextLine& line : found.lines) {
        const DecodedLine decoded = DecodeLine(line);
        if (options.output == OutputMode::Json)
            out << JsonLine(path, line.number, decoded.firstHitColumn, decoded.text,
                            EncodingName(line.codePage))
                << '\n';
        else
            out << path << ':' << line.number << ':' << decoded.firstHitColumn << ':'
                << decoded.text << '\n';
    }
    return out.str();
}

// One hit file's turn in the output: what to print, or why there is nothing.
struct FileTurn {
    bool ready = false;
    std::optional<std::string> output;  // nothing: the file could not be read again
    std::exception_ptr failure;         // rethrown on the printing thread
};

}  // namespace

PrintedResults PrintFound(const CliOptions& options, const SearchState& state) {
    const std::vector<std::string>& hits = state.HitList.Lines();
    PrintedResults printed;
    printed.found = !hits.empty();
    if (options.output == OutputMode::Names) {
        if (options.nullSeparated)
            PrintNames(hits, options.fullPaths, '\0');
        return printed;
    }
    // The files are read again on as many threads as the run had, and printed in list order,
    // each as soon as it and the ones before it are ready.
    std::vector<FileTurn> turns(hits.size());
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t i; (i = next++) < hits.size();) {
            FileTurn turn;
            turn.ready = true;
            try {
                turn.output = FileOutput(options, state, hits[i]);
            } catch (...) {
                turn.failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            turns[i] = std::move(turn);
            ready.notify_all();
        }
    };
    std::vector<std::jthread> workers;
    const std::size_t threads = std::min(hits.size(), ReadAheadWorkers(options.threads) + 1);
    for (std::size_t k = 0; k < threads; ++k)
        workers.emplace_back(work);
    for (std::size_t i = 0; i < hits.size(); ++i) {
        FileTurn turn;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return turns[i].ready; });
            turn = std::move(turns[i]);
        }
        if (turn.failure) {
            next = hits.size();  // the others stop at their next file
            std::rethrow_exception(turn.failure);
        }
        if (!turn.output)
            printed.unreadable.push_back(hits[i]);
        else
            platform::WriteStandard(platform::StandardStream::Output, *turn.output);
    }
    return printed;
}

}  // namespace tanmira::cli
