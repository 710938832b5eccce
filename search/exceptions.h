// The program's exception classes: every failure it reports is one of these, with a fixed
// message format.
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

}  // namespace tanmira
