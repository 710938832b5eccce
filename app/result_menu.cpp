// The result box's context menu and the desktop opener.
#include "app/result_menu.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QUrl>

#include "app/handler_guard.h"
#include "app/matched_lines_view.h"
#include "display/display_text.h"
#include "platform/platform.h"
#include "search/exceptions.h"
#include "search/text_rules.h"

namespace tanmira {
namespace {

class QtDesktopOpener : public FileOpener {
  public:
    bool Open(const std::string& path) override { return QDesktopServices::openUrl(FileUrl(path)); }
};

// The folder part of a path, its last separator included.
std::string FolderPart(const std::string& path) {
    return path.substr(0, path.size() - FileNamePart(path).size());
}

// What パスをコピー copies: the path as text where that text names the file, else its file
// address, which keeps the bytes that the text cannot hold.
QString CopiedPath(const std::string& path) {
    const QString text = FromSystemText(path);
    if (ToSystemText(text) == path)
        return text;
    return QString::fromLatin1(FileUrl(path).toEncoded());
}

}  // namespace

QUrl FileUrl(const std::string& path) {
    if constexpr (platform::kNativePathStyle == platform::PathStyle::Windows)
        return QUrl::fromLocalFile(FromSystemText(path));  // Windows names are Unicode
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"),
                             QUrl::StrictMode);
}

std::unique_ptr<FileOpener> DesktopOpener() {
    return std::make_unique<QtDesktopOpener>();
}

ResultMenu::ResultMenu(QPlainTextEdit* box, std::function<const SearchState*()> state)
    : QObject(box), box_(box), state_(std::move(state)), opener_(DesktopOpener()) {
    box_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowMenu(pos); });
    box_->viewport()->installEventFilter(this);
}

bool ResultMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        const int line = box_->cursorForPosition(pos).blockNumber();
        RunGuarded(box_->window(), [&] { ShowMatchedLines(line); });
    }
    return QObject::eventFilter(watched, event);
}

MatchedLinesView* ResultMenu::ShowMatchedLines(int line) {
    const std::optional<std::string> path = HitAtLine(line);
    if (!path)
        return nullptr;
    if (view_ == nullptr)
        view_ = new MatchedLinesView(box_->window());
    const SearchState* state = state_();
    view_->ShowFile(*path, state->ContentKeyword, state->ContentEncoding);
    view_->show();
    view_->raise();
    return view_;
}

void ResultMenu::ShowLines(const std::vector<ResultLine>& lines) {
    QString shown;
    for (const ResultLine& line : lines)
        shown += DisplayName(line.text) + QLatin1Char('\n');
    // Characters the box would take for the end of a line of their own.
    for (const QChar c : {QChar(QChar::ParagraphSeparator), QChar(0xFDD0), QChar(0xFDD1)})
        shown.replace(c, QChar(QChar::ReplacementCharacter));
    box_->setPlainText(shown);
    box_->document()->setModified(false);
}

std::optional<std::string> ResultMenu::PathAtLine(int line) const {
    std::optional<std::string> path = HitAtLine(line);
    if (!path || !platform::FileExists(*path))
        return std::nullopt;
    return path;
}

std::optional<std::string> ResultMenu::HitAtLine(int line) const {
    const SearchState* state = state_();
    if (state == nullptr || box_->document()->isModified() || line < 0 ||
        line >= static_cast<int>(state->ResultLines.size()))
        return std::nullopt;
    const int hit = state->ResultLines[static_cast<std::size_t>(line)].hit;
    if (hit >= state->HitList.LineCount())
        return std::nullopt;
    return state->HitList.Lines()[static_cast<std::size_t>(hit)];
}

void ResultMenu::ShowMenu(const QPoint& pos) {
    std::unique_ptr<QMenu> menu(box_->createStandardContextMenu(pos));
    const int line = box_->cursorForPosition(pos).blockNumber();
    const std::optional<std::string> path = PathAtLine(line);
    QWidget* owner = box_->window();
    const auto add = [&](const char* caption, std::function<void(const std::string&)> command) {
        auto* action = new QAction(QString::fromUtf8(caption), menu.get());
        action->setEnabled(path.has_value());
        if (path) {
            connect(action, &QAction::triggered, this,
                    [owner, command, p = *path] { RunGuarded(owner, [&] { command(p); }); });
        }
        return action;
    };
    QAction* first = menu->actions().value(0);
    menu->insertActions(
        first,
        {add("開く", [this](const std::string& p) { Open(p, ELaunchError::Target::File); }),
         add("フォルダを開く",
             [this](const std::string& p) { Open(FolderPart(p), ELaunchError::Target::Folder); }),
         add("パスをコピー",
             [](const std::string& p) { QGuiApplication::clipboard()->setText(CopiedPath(p)); })});
    auto* matched = new QAction(QString::fromUtf8("一致した行を表示"), menu.get());
    matched->setEnabled(HitAtLine(line).has_value());
    connect(matched, &QAction::triggered, this,
            [this, owner, line] { RunGuarded(owner, [&] { ShowMatchedLines(line); }); });
    menu->insertAction(first, matched);
    menu->insertSeparator(first);
    menu->exec(box_->viewport()->mapToGlobal(pos));
}

void ResultMenu::Open(const std::string& path, ELaunchError::Target target) {
    if (!opener_->Open(path))
        throw ELaunchError(path, target);
}

}  // namespace tanmira
