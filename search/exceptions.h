// The program's exception classes and the fixed texts of its reports: every failure it reports is
// one of these, with a fixed message format, built here once in the system code page for every
// layer (the search, the window and the banner), so that no message reaches the display in any
// other encoding; and the texts that end a search run: the report of what could not be read and
// the status after a stop.
#pragma once

#include <exception>
#include <string>
#include <vector>

namespace tanmira {

// Base of the program's exceptions; the message is a byte string in the system code page.
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

  private:
    std::string message_;
};

// An index outside a string list: "リストのインデックスが範囲を超えています (%d)".
class EStringListError : public Exception {
  public:
    explicit EStringListError(long long index);
};

// A file that cannot be opened: "ファイル %s は開けません"; or the end-of-run report of the files
// and folders a run could not read (UnreadableReport).
class EFOpenError : public Exception {
  public:
    explicit EFOpenError(const std::string& path);
    EFOpenError(const std::vector<std::string>& files, const std::vector<std::string>& folders);
};

// A content keyword that no form of the chosen encoding can hold: "キーワード %s は %s
// では表せません", the keyword's bytes and the encoding's caption. Raised before a search starts.
class EKeywordError : public Exception {
  public:
    EKeywordError(const std::string& keyword, const char* encodingCaption);
};

// The system refused a timer: "タイマーを取得できません".
class EOutOfResources : public Exception {
  public:
    EOutOfResources();
};

// No application could be started to open a result, with a line on what to install:
// "ファイル %s を開くアプリケーションを起動できません" (or "フォルダ %s ...").
class ELaunchError : public Exception {
  public:
    enum class Target { File, Folder };
    ELaunchError(const std::string& path, Target target);
};

// The report's text for a failure to get memory: "メモリが不足しています".
const std::string& OutOfMemoryText();

// The report's text for a failure that is none of the program's exceptions:
// "不明なエラーが発生しました".
const std::string& UnknownErrorText();

// The report of the entries a run could not read: the first file ("ファイル %s は開けません"), or
// the first folder when no file failed ("フォルダ %s は開けません"), then a line counting the
// others by kind ("ほかに 2 個のファイルと 1 個のフォルダも開けません"). Empty when nothing failed.
std::string UnreadableReport(const std::vector<std::string>& files,
                             const std::vector<std::string>& folders);

// How far a stopped run came.
struct StopPoint {
    bool duringWalk = false;  // stopped while the folder was listed: only listed counts
    int listed = 0;           // entries listed by the walk
    int tested = 0;           // files tested, of total
    int total = 0;
    int hits = 0;
    int unreadableFiles = 0;  // met before the stop
    int unreadableFolders = 0;
};

// The status text after a stop: "中止しました" and how far the run came, with the counts of the
// files and folders that could not be read so far.
std::string StoppedRunText(const StopPoint& point);

}  // namespace tanmira
