// Stored geometry and alignment of the window's controls: each control is placed where the
// window's description puts it, and aligned controls follow their parent's size.
#pragma once

#include <QMargins>
#include <QObject>
#include <vector>

class QWidget;

namespace tanmira {

// How a control follows its parent's size.
enum class Align { Top, Bottom, Client };

// Places widget at its stored position (relative to its parent) and size.
void Place(QWidget* widget, int left, int top, int width, int height);

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
