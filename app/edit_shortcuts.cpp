// The window's action list of edit shortcuts.
#include "app/edit_shortcuts.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <algorithm>

namespace tanmira {
namespace {

constexpr int kShift = 0x2000;
constexpr int kCtrl = 0x4000;
constexpr int kAlt = 0x8000;
constexpr int kVkDelete = 0x2E;

bool ClipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

// Whether command is enabled for a box in the given state, and its effect. The two kinds of
// text box differ only in how they are asked.
struct TextBoxState {
    bool hasSelection;
    bool empty;
    bool canUndo;
};

bool Enabled(EditCommand command, const TextBoxState& box) {
    switch (command) {
        case EditCommand::Cut:
        case EditCommand::Copy:
        case EditCommand::Delete:
            return box.hasSelection;
        case EditCommand::Paste:
            return ClipboardHasText();
        case EditCommand::SelectAll:
            return !box.empty;
        case EditCommand::Undo:
            return box.canUndo;
        case EditCommand::None:
            break;
    }
    return false;
}

TextBoxState StateOf(const QLineEdit* box) {
    return {box->hasSelectedText(), box->text().isEmpty(), box->isUndoAvailable()};
}

TextBoxState StateOf(const QPlainTextEdit* box) {
    return {box->textCursor().hasSelection(), box->document()->isEmpty(),
            box->document()->isUndoAvailable()};
}

void DeleteSelection(QLineEdit* box) {
    box->del();
}

void DeleteSelection(QPlainTextEdit* box) {
    QTextCursor cursor = box->textCursor();
    cursor.removeSelectedText();
    box->setTextCursor(cursor);
}

// Performs command on box when it is enabled; returns whether it did.
template <typename Box>
bool Perform(EditCommand command, Box* box) {
    if (!Enabled(command, StateOf(box)))
        return false;
    switch (command) {
        case EditCommand::Cut:
            box->cut();
            break;
        case EditCommand::Copy:
            box->copy();
            break;
        case EditCommand::Paste:
            box->paste();
            break;
        case EditCommand::SelectAll:
            box->selectAll();
            break;
        case EditCommand::Undo:
            box->undo();
            break;
        case EditCommand::Delete:
            DeleteSelection(box);
            break;
        case EditCommand::None:
            break;
    }
    return true;
}

}  // namespace

int ShortCutValue(int qtKey, Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        code = 'A' + (qtKey - Qt::Key_A);
    else if (qtKey == Qt::Key_Delete)
        code = kVkDelete;
    if (code == 0)
        return 0;
    if (modifiers & Qt::ShiftModifier)
        code |= kShift;
    if (modifiers & Qt::ControlModifier)
        code |= kCtrl;
    if (modifiers & Qt::AltModifier)
        code |= kAlt;
    return code;
}

const std::vector<TEditAction>& StoredEditActions() {
    static const std::vector<TEditAction> actions{
        {"Action1", "Action1", 0, EditCommand::None},
        {"EditCut1", "切り取り(&T)", 0x4058, EditCommand::Cut},
        {"EditCopy1", "コピー(&C)", 0x4043, EditCommand::Copy},
        {"EditPaste1", "貼り付け(&P)", 0x4056, EditCommand::Paste},
        {"EditSelectAll1", "すべてを選択(&A)", 0x4041, EditCommand::SelectAll},
        {"EditUndo1", "元に戻す(&U)", 0x405A, EditCommand::Undo},
        {"EditDelete1", "削除(&D)", kVkDelete, EditCommand::Delete},
    };
    return actions;
}

bool IsEditShortCut(const QKeyEvent& key) {
    const int value = ShortCutValue(key.key(), key.modifiers());
    if (value == 0)
        return false;
    const std::vector<TEditAction>& actions = StoredEditActions();
    return std::any_of(actions.begin(), actions.end(),
                       [value](const TEditAction& action) { return action.shortCut == value; });
}

TActionList::TActionList(QObject* parent) : QObject(parent), actions_(StoredEditActions()) {
    setObjectName("ActionList1");
}

void TActionList::AddTextBox(QLineEdit* box) {
    box->installEventFilter(this);
}

void TActionList::AddTextBox(QPlainTextEdit* box) {
    box->installEventFilter(this);
}

const TEditAction* TActionList::Find(int value) const {
    if (value == 0)
        return nullptr;
    for (const TEditAction& action : actions_) {
        if (action.shortCut == value)
            return &action;
    }
    return nullptr;
}

bool TActionList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const TEditAction* action = Find(ShortCutValue(key->key(), key->modifiers()));
    if (action == nullptr)
        return false;
    if (auto* line = qobject_cast<QLineEdit*>(watched))
        return Perform(action->command, line);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(watched))
        return Perform(action->command, memo);
    return false;
}

}  // namespace tanmira
