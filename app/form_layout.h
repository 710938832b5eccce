// Stored values of the window's controls: each control is built with its stored name, parent,
// geometry, caption and keyboard order; aligned controls follow their parent's size.
#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMargins>
#include <QObject>
#include <QPlainTextEdit>
#include <unordered_map>
#include <utility>
#include <vector>

class QWidget;

namespace tanmira {

// TabOrder of a control that takes no focus (labels, the banner).
constexpr int kNoTabStop = -1;

// One control as the window's description stores it.
struct StoredControl {
    const char* name;
    int left, top, width, height;   // relative to the parent's client area
    int tabOrder;                   // keyboard order among its siblings, or kNoTabStop
    const char* caption = nullptr;  // UTF-8 caption or text; nullptr for none
};

// The caption (or initial text) of each kind of control that has one.
void SetCaption(QAbstractButton* control, const QString& caption);
void SetCaption(QLabel* control, const QString& caption);
void SetCaption(QGroupBox* control, const QString& caption);
void SetCaption(QLineEdit* control, const QString& caption);
void SetCaption(QPlainTextEdit* control, const QString& caption);

// Builds controls from their stored values and keeps their keyboard order.
class FormBuilder {
  public:
    // A new Control(parent, args...) with the stored name, geometry and caption.
    template <typename Control, typename... Args>
    Control* Add(QWidget* parent, const StoredControl& stored, Args&&... args) {
        auto* control = new Control(parent, std::forward<Args>(args)...);
        Apply(control, stored);
        if constexpr (requires { SetCaption(control, QString()); }) {
            if (stored.caption != nullptr)
                SetCaption(control, QString::fromUtf8(stored.caption));
        }
        return control;
    }

    // The controls under root that take the focus from the keyboard, in keyboard order: siblings
    // by their TabOrder, and a container's controls in the container's place.
    std::vector<QWidget*> KeyboardOrder(const QWidget* root) const;

  private:
    void Apply(QWidget* control, const StoredControl& stored);

    std::unordered_map<const QWidget*, int> tabOrders_;
};

// The control that Tab (next) or Shift+Tab (!next) moves to from current in chain, skipping
// controls that are disabled or hidden and wrapping round; from a widget outside the chain, the
// first (or last) one. Null when none can take the focus.
QWidget* NextInChain(const std::vector<QWidget*>& chain, const QWidget* current, bool next);

// How a control follows its parent's size.
enum class Align { Top, Bottom, Client };

// Keeps the aligned children of one parent in place whenever the parent or one of them is
// resized (an aligned child that changes its own size gets its aligned geometry back): Top children
// keep their heights and stack from the top in the order added, Bottom children stack from the
// bottom, and the Client child takes what is left. The children are laid out inside the parent's
// rectangle less insets (a group box keeps its frame and caption free). Children that were not
// added keep their stored geometry.
class AlignArranger : public QObject {
  public:
    AlignArranger(QWidget* parent, QMargins insets = {});

    void Add(QWidget* child, Align align);

    // Lays the children out for the parent's current size.
    void Arrange();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Item {
        QWidget* widget;
        Align align;
    };
    QWidget* parent_;
    QMargins insets_;
    std::vector<Item> items_;
};

}  // namespace tanmira
