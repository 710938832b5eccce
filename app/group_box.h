// TGroupBox: a group box drawn as the window was designed: the caption sits on the top frame line,
// the etched frame starts at half the caption's height, and the client area lies below.
#pragma once

#include <QGroupBox>

namespace tanmira {

class TGroupBox : public QGroupBox {
  public:
    explicit TGroupBox(QWidget* parent) : QGroupBox(parent) {}

    // The frame's rectangle: the whole box less the upper half of the caption row.
    QRect FrameRect() const;

    // Where the caption is drawn over the frame's top line.
    QRect CaptionRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tanmira
