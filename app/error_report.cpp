// The application's error report.
#include "app/error_report.h"

#include <QMessageBox>

#include "display/display_text.h"
#include "search/text_rules.h"

namespace tanmira {
namespace {

// The bytes of the last character of a non-empty text.
std::string_view LastCharacter(std::string_view text, const platform::LeadByteTable& leadBytes) {
    std::size_t start = text.size() - 1;
    if (leadBytes.any()) {
        if (start > 0 && IsTrailByte(text, text.size(), leadBytes))
            --start;
        return text.substr(start);
    }
    // UTF-8: step back over continuation bytes (10xxxxxx) to the sequence's first byte.
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return text.substr(start);
}

}  // namespace

std::string ErrorReportText(std::string_view message, const platform::LeadByteTable& leadBytes) {
    std::string text(message);
    if (!message.empty() && LastCharacter(message, leadBytes) > std::string_view("."))
        text += '.';
    return text;
}

void ShowErrorReport(QWidget* owner, const std::string& message) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle),
                    FromSystemText(ErrorReportText(message)), QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace tanmira
