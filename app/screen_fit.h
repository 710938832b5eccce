// Keeps the main window usable on every screen: it opens inside the available area of its
// screen, centred there and smaller where the screen is smaller, and its controls stay reachable
// by scrolling when the window is smaller than the form they are laid out on.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

namespace tanmira {

// The frame rectangle of a window that wants the frame size wanted in the area available: wanted
// shrunk to the area (never below minimum), centred in the area.
QRect FitInside(const QRect& available, const QSize& wanted, const QSize& minimum);

// Moves and resizes the top-level window so that its frame, the window system's decoration
// estimated as decoration (in device pixels), lies inside the available area of its screen.
void PlaceOnScreen(QWidget& window, const QMargins& decoration = {4, 32, 4, 4});

// A frameless scroll area that holds form: form fills the area while the area is at least as
// large as form's minimum size, and scrolls otherwise; a control of form that takes the focus is
// scrolled into view.
QScrollArea* ScrollingHolder(QWidget* form, QWidget* parent);

}  // namespace tanmira
