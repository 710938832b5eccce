// The look the whole program shares.
#include "app/application_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tanmira {

QFont WindowFont() {
    QFont font;
    font.setFamilies(
        {"MS PGothic", "ＭＳ Ｐゴシック", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP"});
    font.setPixelSize(12);
    return font;
}

QIcon ApplicationIcon() {
    return QIcon(QStringLiteral(":/tanmira/tanmira.svg"));
}

bool LoadQtTranslation(QApplication& application, const QString& folder) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

QString SystemTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void SetUpApplication(QApplication& application) {
    LoadQtTranslation(application, SystemTranslationsFolder());
    // Top-level windows (menus, message boxes) take the application's font, not the window's.
    QApplication::setFont(WindowFont());
    QApplication::setWindowIcon(ApplicationIcon());
}

}  // namespace tanmira
