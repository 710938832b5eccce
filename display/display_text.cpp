// Conversions between the system code page and Qt text, and the display of names. The system
// code page of the core is UTF-8 on every platform (on Windows through the manifest).
#include "display/display_text.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <optional>

#include "platform/platform.h"

namespace tanmira {
namespace {

QByteArrayView BytesOf(std::string_view bytes) {
    return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Length of the well-formed UTF-8 sequence at the start of bytes (not empty), or 0.
std::size_t Utf8SequenceLength(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char first = at(0);
    if (first < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        low = first == 0xE0 ? 0xA0 : low;    // no overlong forms
        high = first == 0xED ? 0x9F : high;  // no surrogates
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        low = first == 0xF0 ? 0x90 : low;
        high = first == 0xF4 ? 0x8F : high;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// The UTF-8 characters of bytes, every other byte as "\xHH".
QString WithEscapes(std::string_view bytes) {
    QString shown;
    while (!bytes.empty()) {
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length > 0) {
            shown += QString::fromUtf8(BytesOf(bytes.substr(0, length)));
        } else {
            const QString hex = QString::number(static_cast<unsigned char>(bytes[0]), 16);
            shown += QStringLiteral("\\x") + hex.toUpper().rightJustified(2, QLatin1Char('0'));
        }
        bytes.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return shown;
}

// bytes decoded in the system code page, or nothing when they are no text in it.
std::optional<QString> DecodeSystem(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder.decode(BytesOf(bytes));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

}  // namespace

QString FromSystemText(std::string_view bytes) {
    return QString::fromUtf8(BytesOf(bytes));
}

std::string ToSystemText(const QString& text) {
    return text.toUtf8().toStdString();
}

QString DisplayName(std::string_view bytes) {
    if (std::optional<QString> text = DecodeSystem(bytes))
        return *text;
    const std::optional<std::string> utf8 = platform::ConvertCodePage(
        std::string(bytes), platform::CodePage::ShiftJis, platform::CodePage::Utf8);
    if (utf8)
        return QString::fromUtf8(*utf8);
    return WithEscapes(bytes);
}

}  // namespace tanmira
