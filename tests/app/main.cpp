#include "app/AppTestSupport.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // tests never need a display
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Quorvane");
    QLocale::setDefault(QLocale::c());
    // Settings and recovery copies go to a test folder, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    TFailingHooks failing;
    SetHooks(&failing);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    SetHooks(nullptr);
    return result;
}
