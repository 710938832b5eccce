// Program start: the application titled "Tanmira", its main window and the event loop.
#include <QApplication>

#include "app/Unit1.h"
#include "app/application_setup.h"
#include "app/error_report.h"
#include "app/screen_fit.h"
#include "banner/browser.h"

int main(int argc, char* argv[]) {
    tanmira::PrepareBrowserEngine();
    QApplication application(argc, argv);
    QApplication::setApplicationName(tanmira::kApplicationTitle);
    QApplication::setApplicationDisplayName(tanmira::kApplicationTitle);
    // The menu entry's name, so that the desktop matches the window to its entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("tanmira"));
    tanmira::SetUpApplication(application);
    tanmira::TForm1 form(tanmira::WebEngineBrowserFactory());
    tanmira::PlaceOnScreen(form);
    form.show();
    application.exec();
    return 0;
}
