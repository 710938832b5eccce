// The matched-lines view: the core's decoded lines put into a read-only text box, the hits
// marked with extra selections so that the text itself stays plain for copying.
#include "app/matched_lines_view.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include "display/display_text.h"
#include "search/exceptions.h"
#include "search/matched_lines.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// Characters shown of a long line, around its first hit.
constexpr std::size_t kShownChars = 1000;

bool IsEmptyKeyword(const KeywordForms& keyword) {
    return std::all_of(keyword.begin(), keyword.end(),
                       [](const PreparedKeyword& form) { return form.bytes.empty(); });
}

}  // namespace

MatchedLinesView::MatchedLinesView(QWidget* parent) : QDialog(parent), text_(new QPlainTextEdit) {
    setObjectName("MatchedLinesView");
    setModal(false);
    setFont(parent->font());
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    resize(640, 400);
}

void MatchedLinesView::ShowFile(const std::string& path, const KeywordForms& keyword,
                                KeywordEncoding encoding) {
    setWindowTitle(QString::fromUtf8("一致した行 - ") + DisplayName(FileNamePart(path)));
    MatchedLines found;
    if (IsEmptyKeyword(keyword)) {
        std::optional<std::vector<TextLine>> lines = LeadingLines(path, encoding);
        found.end = lines ? ScanEnd::Done : ScanEnd::Unreadable;
        found.lines = lines ? std::move(*lines) : std::vector<TextLine>{};
    } else {
        found = ReadMatchedLines(path, keyword, encoding);
    }

    QString shown;
    std::vector<std::pair<int, int>> hits;  // start and length in shown
    for (const TextLine& line : found.lines) {
        const DecodedLine decoded = DecodeLine(line, kShownChars);
        const QString number = QString::number(line.number) + QStringLiteral(": ");
        const int start = static_cast<int>(shown.size() + number.size());
        for (const LineHit& hit : decoded.hits) {
            const auto from = QString::fromUtf8(decoded.text.data(), hit.at).size();
            const auto length = QString::fromUtf8(decoded.text.data() + hit.at, hit.length).size();
            hits.emplace_back(start + static_cast<int>(from), static_cast<int>(length));
        }
        shown += number + QString::fromUtf8(decoded.text) + QLatin1Char('\n');
    }
    if (found.more > 0)
        shown += QString::fromUtf8("(ほかに %1 行あります)\n").arg(found.more);
    if (found.end == ScanEnd::Unreadable)
        shown = FromSystemText(EFOpenError(path).Message());
    else if (found.lines.empty() && !IsEmptyKeyword(keyword))
        shown = QString::fromUtf8(
            "キーワードはもうこのファイルにありません (検索の後で変更されました)");
    text_->setPlainText(shown);

    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat marked;
    marked.setBackground(QColor(255, 235, 59));
    for (const auto& [start, length] : hits) {
        QTextCursor cursor(text_->document());
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        marks.append({cursor, marked});
    }
    text_->setExtraSelections(marks);
}

}  // namespace tanmira
