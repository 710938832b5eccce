// Entry point of the Qt test programs: GoogleTest inside one QApplication for every test.
#include <gtest/gtest.h>

#include <QApplication>

#include "banner/browser.h"

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests, at build time, needs no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // Run by hand without a display, the tests draw offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tanmira::PrepareBrowserEngine();
    QApplication application(argc, argv);
    // The tests close windows without ending the process.
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
