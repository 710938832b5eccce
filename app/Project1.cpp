// Program start: the application titled "Tanmira", its main window and the event loop.
#include <QApplication>

#include "app/Unit1.h"
#include "app/error_report.h"
#include "banner/browser.h"

int main(int argc, char* argv[]) {
    tanmira::PrepareBrowserEngine();
    QApplication application(argc, argv);
    QApplication::setApplicationName(tanmira::kApplicationTitle);
    QApplication::setApplicationDisplayName(tanmira::kApplicationTitle);
    tanmira::TForm1 form(tanmira::WebEngineBrowserFactory());
    form.show();
    application.exec();
    return 0;
}
