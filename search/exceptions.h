// The program's exception classes and the fixed texts of its error reports: every failure it
// reports is one of these, with a fixed message format, built here once in the system code page
// for every layer (the search, the window and the banner), so that no message reaches the
// display in any other encoding.
#pragma once

#include <exception>
#include <string>

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

// A file that cannot be opened: "ファイル %s は開けません". When others is above 0 a second line
// says how many further files could not be opened either.
class EFOpenError : public Exception {
  public:
    explicit EFOpenError(const std::string& path, int others = 0);
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

}  // namespace tanmira
