// The folder list: its lines (root, path folders, current folder, subfolders) with icons and
// indentation, and the moves of Directory through typed texts, opened lines and drives.
#include "app/DirectoryListBox.h"

#include <QCollator>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/edit_shortcuts.h"
#include "app/folder_path.h"
#include "display/display_text.h"
#include "platform/platform.h"

namespace tanmira {

namespace {

constexpr auto kStyle = platform::kNativePathStyle;
constexpr int kFolderRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentStep = 10;
constexpr int kLineHeight = 16;
constexpr int kFocusFrameWidth = 2;

// A folder drawn in 16 x 16 pixels: closed, or open with its front flap tilted.
QIcon FolderIcon(bool open, QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colour.darker(170));
    p.setBrush(colour.darker(115));
    p.drawPolygon(
        QPolygonF({{1.5, 3.5}, {6.5, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}, {1.5, 13.5}}));
    p.setBrush(colour);
    if (open)
        p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
    else
        p.drawRect(QRectF(1.5, 6.5, 12, 7));
    return QIcon(pixmap);
}

QIcon LineIcon(LineKind kind) {
    static const QIcon path = FolderIcon(true, QColor(0xf0, 0xc8, 0x50));
    static const QIcon current = FolderIcon(true, QColor(0x60, 0xa0, 0xe8));
    static const QIcon sub = FolderIcon(false, QColor(0xf0, 0xc8, 0x50));
    switch (kind) {
        case LineKind::PathFolder:
            return path;
        case LineKind::CurrentFolder:
            return current;
        case LineKind::Subfolder:
            break;
    }
    return sub;
}

// Draws each line shifted right by its indentation level.
class IndentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(index.data(kLevelRole).toInt() * kIndentStep, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
        // The style marks the focused line with a faint dotted line that is easily missed: a
        // solid frame in the text colour shows on the selection and on the plain background.
        if (!(option.state & QStyle::State_HasFocus))
            return;
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Text), kFocusFrameWidth));
        painter->setBrush(Qt::NoBrush);
        const qreal inset = kFocusFrameWidth / 2.0;
        painter->drawRect(QRectF(option.rect).adjusted(inset, inset, -inset, -inset));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width() + index.data(kLevelRole).toInt() * kIndentStep,
                std::max(size.height(), kLineHeight)};
    }
};

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent), directory_(platform::CurrentDirectory()) {
    setItemDelegate(new IndentDelegate(this));
    setIconSize(QSize(16, 16));
    BuildLines();
}

void TDirectoryListBox::SetDirectory(const std::string& text) {
    if (text.empty() || SameFolderText(text, directory_, caseSensitive_))
        return;
    EnterTypedFolder(directory_, text, kStyle);
    Settle();
}

std::string TDirectoryListBox::Drive() const {
    return platform::DriveOf(directory_);
}

void TDirectoryListBox::SetDrive(const std::string& root) {
    if (root.empty() || SameDrive(root, Drive(), kStyle))
        return;
    platform::EnterFolder(directory_);
    platform::EnterDrive(root);
    Settle();
}

std::string TDirectoryListBox::LineFolder(int row) const {
    const QListWidgetItem* line = item(row);
    return line == nullptr ? std::string() : line->data(kFolderRole).toByteArray().toStdString();
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    OpenSelectedLine();
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    // The folder list does nothing with the edit keys (the list view would copy a line's text or
    // select all).
    if (IsEditShortCut(*event))
        return;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QListWidget::keyPressEvent(event);
        return;
    }
    OpenSelectedLine();
}

void TDirectoryListBox::OpenSelectedLine() {
    // A line stands for an existing folder: it is entered as it is, without the rules for typed
    // texts, so that a folder whose name holds "*" or "?" can be opened too.
    const std::string folder = LineFolder(currentRow());
    if (folder.empty() || SameFolderText(folder, directory_, caseSensitive_))
        return;
    platform::EnterFolder(directory_);
    platform::EnterFolder(folder);
    Settle();
}

void TDirectoryListBox::Settle() {
    const std::string now = platform::CurrentDirectory();
    if (!now.empty())
        directory_ = now;
    BuildLines();
    emit Change();
}

void TDirectoryListBox::BuildLines() {
    clear();
    const auto volume = platform::VolumeInformation(Drive());
    caseSensitive_ = volume && volume->caseSensitive;
    casePreserving_ = volume && volume->casePreserving;

    std::vector<FolderLine> lines = PathLines(directory_, kStyle);
    const int subLevel = lines.back().level + 1;
    const int current = static_cast<int>(lines.size()) - 1;

    std::vector<std::pair<QString, std::string>> subfolders;
    for (std::string& name : platform::Subfolders(directory_))
        subfolders.emplace_back(DisplayName(name), std::move(name));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(subfolders.begin(), subfolders.end(), [&](const auto& a, const auto& b) {
        const int order = collator.compare(a.first, b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (const auto& [shown, name] : subfolders)
        lines.push_back(
            {LineKind::Subfolder, name, JoinFolder(directory_, name, kStyle), subLevel});

    for (const FolderLine& line : lines) {
        const QString text = DisplayName(line.text);
        auto* row =
            new QListWidgetItem(LineIcon(line.kind), casePreserving_ ? text : text.toLower());
        row->setData(kFolderRole, QByteArray::fromStdString(line.folder));
        row->setData(kLevelRole, line.level);
        addItem(row);
    }
    setCurrentRow(current);
}

}  // namespace tanmira
