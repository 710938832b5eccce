// Placement of the main window on its screen, and the scrolling holder of its form.
#include "app/screen_fit.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tanmira {

QRect FitInside(const QRect& available, const QSize& wanted, const QSize& minimum) {
    const QSize size(std::max(minimum.width(), std::min(wanted.width(), available.width())),
                     std::max(minimum.height(), std::min(wanted.height(), available.height())));
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(available.center());
    // A window larger than the area (its minimum) keeps its top-left corner on the screen.
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    return frame;
}

void PlaceOnScreen(QWidget& window, const QMargins& decoration) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    // The decoration is drawn by the window system in device pixels; Qt's geometry is in
    // device-independent pixels. Once the window is shown its real frame is known.
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.isNull()) {
        const qreal ratio = window.devicePixelRatioF();
        const auto logical = [ratio](int pixels) {
            return static_cast<int>(std::ceil(pixels / ratio));
        };
        frame = QMargins(logical(decoration.left()), logical(decoration.top()),
                         logical(decoration.right()), logical(decoration.bottom()));
    }
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect available = screen->availableGeometry();
    QSize wanted = window.size() + extra;
    // A window cut short scrolls its form: it is made wider by the scroll bar where it can be,
    // so that the form need not scroll sideways too.
    if (wanted.height() > available.height())
        wanted.rwidth() += window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect placed = FitInside(available, wanted, window.minimumSize() + extra);
    window.resize(placed.size() - extra);
    window.move(placed.topLeft());  // move() places the frame's top-left corner
}

QScrollArea* ScrollingHolder(QWidget* form, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(form);
    QObject::connect(qApp, &QApplication::focusChanged, area, [area, form](QWidget*, QWidget* now) {
        if (now != nullptr && form->isAncestorOf(now))
            area->ensureWidgetVisible(now, 8, 8);
    });
    return area;
}

}  // namespace tanmira
