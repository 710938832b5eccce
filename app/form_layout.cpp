// Stored geometry and alignment of the window's controls.
#include "app/form_layout.h"

#include <QEvent>
#include <QWidget>

namespace tanmira {

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
}

AlignArranger::AlignArranger(QWidget* parent, QMargins insets)
    : QObject(parent), parent_(parent), insets_(insets) {
    parent->installEventFilter(this);
}

void AlignArranger::Add(QWidget* child, Align align) {
    items_.push_back({child, align});
    child->installEventFilter(this);
    Arrange();
}

void AlignArranger::Arrange() {
    QRect free = parent_->rect().marginsRemoved(insets_);
    for (const Item& item : items_) {
        const int height = item.widget->height();
        if (item.align == Align::Top) {
            item.widget->setGeometry(free.left(), free.top(), free.width(), height);
            free.setTop(free.top() + height);
        } else if (item.align == Align::Bottom) {
            item.widget->setGeometry(free.left(), free.bottom() + 1 - height, free.width(), height);
            free.setBottom(free.bottom() - height);
        }
    }
    for (const Item& item : items_) {
        if (item.align == Align::Client)
            item.widget->setGeometry(free.left(), free.top(), free.width(),
                                     std::max(0, free.height()));
    }
}

bool AlignArranger::eventFilter(QObject* /*watched*/, QEvent* event) {
    // A resize of the parent, or of an aligned child by its own code, is answered by the
    // alignment at once; setGeometry does nothing when the geometry already holds.
    if (event->type() == QEvent::Resize)
        Arrange();
    return false;
}

}  // namespace tanmira
