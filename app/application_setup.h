// The look the whole program shares: Qt's own texts in Japanese, the window's proportional
// Japanese font for every window (menus and message boxes included), and the Tanmira icon.
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

class QApplication;

namespace tanmira {

// The window's font: a proportional Japanese face of 12 pixels ("MS PGothic" where there is one,
// then IPAPGothic, then any CJK sans).
QFont WindowFont();

// The program's icon, built into the program.
QIcon ApplicationIcon();

// Installs Qt's Japanese translation (qtbase_ja) from folder, so that standard menus, buttons
// and dialogs speak Japanese whatever the locale. False when the folder has none.
bool LoadQtTranslation(QApplication& application, const QString& folder);

// The folder in which the system keeps Qt's translations.
QString SystemTranslationsFolder();

// All of the above for the application: translation, font and icon.
void SetUpApplication(QApplication& application);

}  // namespace tanmira
