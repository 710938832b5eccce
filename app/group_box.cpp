// TGroupBox: a group box with its caption on the top frame line.
#include "app/group_box.h"

#include <QPainter>

namespace tanmira {
namespace {

constexpr int kCaptionLeft = 8;
constexpr int kCaptionPadding = 2;  // background left free on each side of the caption

}  // namespace

QRect TGroupBox::FrameRect() const {
    const int top = fontMetrics().height() / 2;
    return {0, top, width(), height() - top};
}

QRect TGroupBox::CaptionRect() const {
    const QFontMetrics metrics = fontMetrics();
    const int width = metrics.horizontalAdvance(title()) + 2 * kCaptionPadding;
    return {kCaptionLeft, 0, width, metrics.height()};
}

void TGroupBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // Etched frame: a light rectangle one pixel right and below a shadow one.
    const QRect frame = FrameRect().adjusted(0, 0, -2, -2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    if (title().isEmpty())
        return;
    // The caption covers the top line where it stands.
    const QRect caption = CaptionRect();
    painter.fillRect(caption, palette().color(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, title());
}

}  // namespace tanmira
