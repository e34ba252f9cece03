#include "core/support/NumberFormat.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct TFloatText {
    double Value;
    const char* Text;
};

TEST(FloatToStrTest, GeneralFormatWith15Digits) {
    const std::vector<TFloatText> cases = {
        {0, "0"},
        {-0.0, "0"},
        {2, "2"},
        {0.5, "0.5"},
        {0.1, "0.1"},
        {-2.5, "-2.5"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {100, "100"},
        {1234.5, "1234.5"},
        {0.000001, "1E-6"},
        {-0.0000015, "-1.5E-6"},
        {0.00001, "0.00001"},
        {0.0000123, "0.0000123"},
        {0.000009999999999999999, "0.00001"},
        {1.5e20, "1.5E20"},
        {123456789012345, "123456789012345"},
        {1234567890123456, "1.23456789012346E15"},
        {999999999999999.9, "1E15"},
        {1e15, "1E15"},
        {1e100, "1E100"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {NaN, "NAN"},
        {Inf, "INF"},
        {-Inf, "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.Value), c.Text) << "value " << c.Value;
}

TEST(FloatToStrTest, TextReadsBackToTheSameFifteenDigits) {
    const double values[] = {0.1,    1.0 / 3, -2.5e-7, 1.5e20, 123456.789, 6.02214076e23,
                             1e-300, 0.00001, 99.99,   -7,     1e15,       4.9e-324};
    for (double v : values) {
        std::string text = FloatToStr(v);
        double back = StrToFloat(text);
        EXPECT_EQ(FloatToStr(back), text);
        EXPECT_NEAR(back, v, std::abs(v) * 1e-14) << text;
    }
}

TEST(StrToFloatTest, AcceptsPlainDecimalTexts) {
    const std::vector<TFloatText> cases = {
        {2, "2"},
        {0.5, "0.5"},
        {0.5, ".5"},
        {5, "5."},
        {-2.5, "-2.5"},
        {2.5, "+2.5"},
        {1e-6, "1E-6"},
        {1e5, "1e5"},
        {1e5, "1E+05"},
        {-1e-5, "-1e-5"},
        {12, "  12  "},
        {12, "\t12\r\n"},
        {0, "0"},
        {0, "-0"},
        {1e308, "1e308"},
        {0, "1e-400"},
        {100, "000100"},
        {1.5, "1.50000"},
        {4.9e-324, "4.9E-324"},
    };
    for (const auto& c : cases) {
        double value = -1234;
        EXPECT_TRUE(TryStrToFloat(c.Text, value)) << c.Text;
        EXPECT_EQ(value, c.Value) << c.Text;
    }
}

TEST(StrToFloatTest, RejectsEverythingElse) {
    const char* bad[] = {"",     " ",   "+",    "-",     ".",      "e5",   "1e",    "1e+", "1,5",
                         "1.5x", "1 2", "--1",  "+-1",   "- 1",    "1..2", "1e5.5", "inf", "INF",
                         "nan",  "NAN", "0x10", "1e400", "-1e400", "1.5.", "abc",   "1_0", "１"};
    for (const char* text : bad) {
        double value = 42;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(value, 42) << "value changed by a failed read of " << text;
    }
}

TEST(StrToFloatTest, ThrowsConversionErrorWithTheText) {
    try {
        StrToFloat("12a");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
    EXPECT_THROW(StrToFloat("1e400"), EConvertError);
    EXPECT_EQ(StrToFloat(" 3.25 "), 3.25);
}

TEST(StrToFloatTest, SpecialFormReadsBackNonFiniteTexts) {
    double value = 0;
    EXPECT_TRUE(TryStrToFloatOrSpecial(FloatToStr(Inf), value));
    EXPECT_EQ(value, Inf);
    EXPECT_TRUE(TryStrToFloatOrSpecial(FloatToStr(-Inf), value));
    EXPECT_EQ(value, -Inf);
    EXPECT_TRUE(TryStrToFloatOrSpecial(FloatToStr(NaN), value));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_EQ(StrToFloatOrSpecial("1.5E20"), 1.5e20);
    EXPECT_THROW(StrToFloatOrSpecial("INFINITY"), EConvertError);
    EXPECT_THROW(StrToFloatOrSpecial("1e400"), EConvertError);
}

TEST(StrToIntTest, ReadsSigned32BitDecimals) {
    struct TCase {
        const char* Text;
        bool Ok;
        int32_t Value;
    };
    const TCase cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {" -17 ", true, -17},
        {"+5", true, 5},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, std::numeric_limits<int32_t>::min()},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"+-5", false, 0},
        {"1.0", false, 0},
        {"1e3", false, 0},
        {"0x10", false, 0},
        {"$10", false, 0},
        {"1 2", false, 0},
        {"- 1", false, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 99;
        EXPECT_EQ(TryStrToInt(c.Text, value), c.Ok) << c.Text;
        EXPECT_EQ(value, c.Ok ? c.Value : 99) << c.Text;
    }
}

TEST(StrToIntTest, ThrowsConversionErrorWithTheText) {
    try {
        StrToInt("99999999999");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'99999999999' is not a valid integer value");
    }
    EXPECT_EQ(StrToInt("-12"), -12);
    EXPECT_EQ(IntToStr(-9000000000), "-9000000000");
}

struct TPatternCase {
    const char* Pattern;
    double Value;
    const char* Text;
};

TEST(FormatFloatTest, DisplayPatterns) {
    const std::vector<TPatternCase> cases = {
        // Optional and required decimals.
        {"0.##", 0.5, "0.5"},
        {"0.##", 2, "2"},
        {"0.##", 3.14159, "3.14"},
        {"0.##", -0.001, "0"},
        {"0.##", -1.5, "-1.5"},
        {"0.00", 0.125, "0.13"},
        {"0.00", 1.005, "1.01"},
        {"0.00", -1.005, "-1.01"},
        {"0.00", 2.675, "2.68"},
        {"0.00", 0.005, "0.01"},
        {"0.00", 0.004999, "0.00"},
        {"0.00", 0, "0.00"},
        {"0.00", -0.0001, "0.00"},
        {"0.00", 9.999, "10.00"},
        {"0.00", 1e-300, "0.00"},
        {"0.000", 0.125, "0.125"},
        {"0.000", 1.0005, "1.001"},
        {"0.000", 12, "12.000"},
        {"0.###", 0.1 + 0.2, "0.3"},
        {"0.###", 1.0 / 3, "0.333"},
        {"0.###", 2.0005, "2.001"},
        {"#0.#####", 0.000001, "0"},
        {"#0.#####", 0.000005, "0.00001"},
        {"#0.#####", 12.5, "12.5"},
        {"###0.#####", 1234.56789, "1234.56789"},
        {"#0.#######", 0.1234567891, "0.1234568"},
        // Thousands grouping and whole numbers.
        {"#,##0", 0, "0"},
        {"#,##0", 2.5, "3"},
        {"#,##0", -2.5, "-3"},
        {"#,##0", 0.4, "0"},
        {"#,##0", 999, "999"},
        {"#,##0", 1000, "1,000"},
        {"#,##0", 999999.5, "1,000,000"},
        {"#,##0", -1234567, "-1,234,567"},
        {"#,##0.##", 1234567.891, "1,234,567.89"},
        {"#,##0.##", 1000.005, "1,000.01"},
        {"#,##0.###", 1234.5, "1,234.5"},
        {"#,##0.###", 123456789012.3456, "123,456,789,012.346"},
        {"0", 0.5, "1"},
        {"0", -0.5, "-1"},
        {"000", 5, "005"},
        {"#.##", 0.5, ".5"},
        {"#", 0, "0"},
        // Scientific.
        {"0.00E+00", 12, "1.20E+01"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.00E+00", 1234567, "1.23E+06"},
        {"0.00E+00", 1235000, "1.24E+06"},
        {"0.00E+00", -0.00012345, "-1.23E-04"},
        {"0.00E+00", 9.996, "1.00E+01"},
        {"0.00E+00", 1.5e200, "1.50E+200"},
        {"0.00E-00", 12, "1.20E01"},
        {"0.00E-00", 0.012, "1.20E-02"},
        {"0.##E+0", 1500, "1.5E+3"},
        {"00.0E+00", 12345, "12.3E+03"},
        // Literals and odd patterns.
        {"0.00 %", 12.345, "12.35 %"},
        {"\"x\"0", 7, "x7"},
        {"", 0.5, "0.5"},
        // Beyond fixed form and non-finite values.
        {"#,##0", 1.5e20, "1.5E20"},
        {"0.00", 1e15, "1E15"},
        {"0.00", NaN, "NAN"},
        {"#,##0", Inf, "INF"},
        {"0.00E+00", -Inf, "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.Pattern, c.Value), c.Text)
            << "pattern " << c.Pattern << " value " << c.Value;
}

TEST(FormatFloatTest, LongPatternsStayBounded) {
    std::string pattern = "0." + std::string(500, '0');
    std::string text = FormatFloat(pattern, 1.0 / 3);
    EXPECT_EQ(text.size(), 502u);
    EXPECT_EQ(text.substr(0, 17), "0.333333333333333");
    EXPECT_EQ(text.find_first_not_of('0', 17), std::string::npos);
    EXPECT_EQ(FormatFloat("0." + std::string(500, '#'), 0.25), "0.25");
}

// A user's regional settings with ',' as decimal separator must not leak into files or display.
TEST(NumberFormatLocaleTest, IgnoresCommaDecimalLocale) {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                           "de_DE",       "fr_FR",      "nl_NL.UTF-8", "ru_RU.UTF-8"};
    bool found = false;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') {
            found = true;
            break;
        }
    }
    if (!found) {
        std::setlocale(LC_ALL, saved.c_str());
        GTEST_SKIP() << "no locale with ',' as decimal separator is installed";
    }
    EXPECT_EQ(FloatToStr(2.5), "2.5");
    EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
    EXPECT_EQ(StrToFloat("2.5"), 2.5);
    double value = 0;
    EXPECT_FALSE(TryStrToFloat("2,5", value));
    EXPECT_EQ(FormatFloat("#,##0.##", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("0.00E+00", 12), "1.20E+01");
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace

TEST(FloatToStrTest, AgreesWithFifteenDigitRoundingForAnyDouble) {
    // FloatToStr takes a shortcut through the shortest text; it must give the same
    // 15-digit value as rounding the exact binary value.
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < 200000; ++i) {
        double value;
        if (i % 2 == 0) {
            uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isfinite(value)) continue;
        } else {
            value = std::round(unit(random) * 1e6) / 1000; // decimals as people type them
        }
        char reference[64];
        auto end = std::to_chars(reference, reference + sizeof reference, value,
                                 std::chars_format::scientific, 14);
        double expected = 0, actual = 0;
        std::from_chars(reference, end.ptr, expected);
        ASSERT_TRUE(TryStrToFloat(FloatToStr(value), actual) || std::abs(value) < 1e-300)
            << FloatToStr(value);
        if (std::abs(value) >= 1e-300 || value == 0) {
            ASSERT_EQ(actual, expected) << FloatToStr(value);
        }
    }
}
