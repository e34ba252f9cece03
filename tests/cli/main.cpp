#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Run under a locale whose decimal separator is ','. Constructing the application puts
    // it into effect for C formatting, as it does in the program; our texts must not follow.
    setenv("LC_ALL", "de_DE.UTF-8", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // tests never need a display
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
