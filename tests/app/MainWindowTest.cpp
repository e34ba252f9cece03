#include "app/MainWindow.h"

#include <gtest/gtest.h>

TEST(MainWindow, OpensWithTheProgramCaption) {
    TFormMain window;
    window.show();
    EXPECT_EQ(window.windowTitle(), QString("Quorvane"));
}
