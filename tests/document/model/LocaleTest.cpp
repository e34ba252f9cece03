#include "core/persistence/FileIO.h"
#include "core/support/NumberFormat.h"

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>

TEST(NumbersUnderACommaLocale, KeepThePointBothWays) {
    // The test's main put de_DE into effect through the Qt application.
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    if (std::string(probe) != "0,5") GTEST_SKIP() << "no locale with ',' as decimal separator";

    EXPECT_EQ(FloatToStr(0.5), "0.5");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(1.5e20), "1.5E20");
    EXPECT_EQ(StrToFloat("2.25"), 2.25);
    EXPECT_EQ(StrToFloat("1E-6"), 1e-6);
    EXPECT_THROW(StrToFloat("2,25"), EConvertError);
    EXPECT_EQ(FormatFloat("#,##0.##", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("0.00E+00", 12), "1.20E+01");

    TFileObject file;
    file.OpenForWrite("", "");
    file.WriteFloat(0.1);
    file.EndLine();
    EXPECT_EQ(file.Lines[0], "\t0.1");
    file.RewindForRead();
    EXPECT_EQ(file.ReadFloat(), 0.1);
}
