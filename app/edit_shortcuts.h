// The window's action list of edit shortcuts (cut, copy, paste, select all, undo, delete): each
// acts on the focused text box through the clipboard, only when that box is one of the window's
// text boxes and the action is enabled for it; otherwise the key goes on to the control.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace tanmira {

// ShortCut value of a key press: the key's virtual-key code in the low byte plus 0x2000 for
// Shift, 0x4000 for Ctrl and 0x8000 for Alt; 0 for keys no action uses.
int ShortCutValue(int qtKey, Qt::KeyboardModifiers modifiers);

enum class EditCommand { None, Cut, Copy, Paste, SelectAll, Undo, Delete };

// One action of the list with its stored values.
struct TEditAction {
    QString name;
    QString caption;
    int shortCut;  // 0: none
    EditCommand command;
};

// The stored actions, in stored order: Action1 (inert), EditCut1, EditCopy1, EditPaste1,
// EditSelectAll1, EditUndo1, EditDelete1.
const std::vector<TEditAction>& StoredEditActions();

// True for a key press that one of the stored actions takes (Ctrl+X, C, V, A, Z and Del, exactly).
bool IsEditShortCut(const QKeyEvent& key);

class TActionList : public QObject {
  public:
    // The window's actions: the stored ones.
    explicit TActionList(QObject* parent);

    const std::vector<TEditAction>& Actions() const { return actions_; }

    // Lets the shortcuts act on box.
    void AddTextBox(QLineEdit* box);
    void AddTextBox(QPlainTextEdit* box);

    // The first action whose shortcut equals value exactly, or nullptr.
    const TEditAction* Find(int value) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<TEditAction> actions_;
};

}  // namespace tanmira
