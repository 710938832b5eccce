// The application's error report: the message box that shows an exception's message.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

class QWidget;

namespace tanmira {

// The caption of every error box: the application title.
inline constexpr const char* kApplicationTitle = "Tanmira";

// The text of the box for message: message with "." appended when it is not empty and its last
// character (a whole multi-byte character, taken by leadBytes in a double-byte code page and by
// the UTF-8 sequence rules otherwise) sorts after "." by its bytes.
std::string ErrorReportText(std::string_view message,
                            const platform::LeadByteTable& leadBytes = platform::SystemLeadBytes());

// Shows the error box for message (caption "Tanmira", critical icon, one OK button), modal to
// owner, and returns when it was closed.
void ShowErrorReport(QWidget* owner, const std::string& message);

}  // namespace tanmira
