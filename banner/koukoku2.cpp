#include "banner/koukoku2.h"

namespace tanmira {

Tkoukoku::Tkoukoku(QWidget* parent, BrowserFactory /*factory*/) : QFrame(parent) {}

BrowserFactory WebEngineBrowserFactory() { return {}; }

}  // namespace tanmira
