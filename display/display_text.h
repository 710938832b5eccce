// The boundary between the core's texts (byte strings in the system code page) and Qt's texts:
// every conversion between the two goes through these functions.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tanmira {

// A text of the core (a message, a path typed or shown for editing) as Qt text.
QString FromSystemText(std::string_view bytes);

// A Qt text (typed by the user, or a list read by the banner) as bytes in the system code page.
std::string ToSystemText(const QString& text);

// A file or folder name (or path) for display only; whatever acts on the name keeps its bytes.
// Text in the system code page is shown as such; other bytes (on a UTF-8 system: a name from a
// Windows archive) as Shift_JIS where they are valid Shift_JIS, else with each byte that forms no
// character shown as an escape such as "\xFF".
QString DisplayName(std::string_view bytes);

}  // namespace tanmira
