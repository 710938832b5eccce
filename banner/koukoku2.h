// Tkoukoku: the advertising banner frame at the top of the main window.
#pragma once

#include <QFrame>

#include "banner/browser.h"

namespace tanmira {

class Tkoukoku : public QFrame {
    Q_OBJECT
public:
    // A banner frame whose browser comes from factory (the real browser unless replaced).
    explicit Tkoukoku(QWidget* parent, BrowserFactory factory = WebEngineBrowserFactory());
};

}  // namespace tanmira
