// Test driver of the banner's tests: GoogleTest inside a QApplication.
#include <gtest/gtest.h>

#include <QApplication>

#include "banner/browser.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    tanmira::PrepareBrowserEngine();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
