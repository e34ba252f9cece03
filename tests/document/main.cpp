#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Constructing the application puts the user's LC_NUMERIC into effect, as in the program.
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
