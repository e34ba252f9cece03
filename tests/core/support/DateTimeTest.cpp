#include "core/support/DateTime.h"
#include "core/support/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace {

TEST(DateTimeTest, DayNumbersOfKnownDates) {
    struct TCase {
        int Year, Month, Day;
        double Value;
    };
    const TCase cases[] = {
        {1899, 12, 30, 0},   {1899, 12, 31, 1},    {1900, 1, 1, 2},     {1900, 3, 1, 61},
        {2000, 1, 1, 36526}, {2000, 2, 29, 36585}, {1970, 1, 1, 25569}, {2026, 12, 8, 46364},
        {1899, 12, 29, -1},  {1800, 1, 1, -36522}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Value)
            << c.Year << "-" << c.Month << "-" << c.Day;
        int y = 0, m = 0, d = 0;
        DecodeDate(c.Value, y, m, d);
        EXPECT_EQ(y, c.Year);
        EXPECT_EQ(m, c.Month);
        EXPECT_EQ(d, c.Day);
    }
}

TEST(DateTimeTest, InvalidDatesAndTimesAreRefused) {
    struct TCase {
        int A, B, C;
    };
    const TCase badDates[] = {{2023, 2, 29}, {2100, 2, 29}, {2024, 4, 31}, {2024, 13, 1},
                              {2024, 0, 1},  {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
    for (const auto& c : badDates) {
        TDateTime value = 7;
        EXPECT_FALSE(TryEncodeDate(c.A, c.B, c.C, value));
        EXPECT_EQ(value, 7);
        EXPECT_THROW(EncodeDate(c.A, c.B, c.C), EConvertError);
    }
    EXPECT_EQ(EncodeDate(2000, 2, 29), 36585);
    EXPECT_THROW(EncodeTime(24, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    EXPECT_THROW(EncodeTime(-1, 0, 0), EConvertError);
}

TEST(DateTimeTest, TimeOfDayRoundTrips) {
    struct TCase {
        int H, M, S, Ms;
    };
    const TCase cases[] = {{0, 0, 0, 0}, {12, 0, 0, 0},     {6, 0, 0, 0},
                           {9, 5, 3, 0}, {23, 59, 59, 999}, {13, 37, 42, 1}};
    const double days[] = {0, 46364, -36522, 2958465};
    for (double day : days) {
        for (const auto& c : cases) {
            TDateTime value = day + EncodeTime(c.H, c.M, c.S, c.Ms);
            int h = -1, m = -1, s = -1, ms = -1;
            DecodeTime(value, h, m, s, ms);
            EXPECT_EQ(h, c.H);
            EXPECT_EQ(m, c.M);
            EXPECT_EQ(s, c.S);
            EXPECT_EQ(ms, c.Ms);
            int y = 0, mo = 0, d = 0;
            DecodeDate(value, y, mo, d);
            EXPECT_EQ(EncodeDate(y, mo, d), day) << "day " << day;
        }
    }
    EXPECT_EQ(EncodeTime(12, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0), 0.25);
}

TEST(DateTimeTest, NegativeValuesCountTimeForwardFromMidnight) {
    // -0.75 is 29 Dec 1899 + 0.25 day.
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn", -0.75), "29 Dec 1899 06:00");
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn", EncodeDate(1899, 12, 29) + EncodeTime(18, 0, 0)),
              "29 Dec 1899 18:00");
}

TEST(DateTimeTest, OutOfRangeValuesAreClamped) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", 1e300), "31 Dec 9999 23:59:59");
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", inf), "31 Dec 9999 23:59:59");
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", -1e300), "1 Jan 0001 00:00:00");
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", -inf), "1 Jan 0001 00:00:00");
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", std::nan("")), "30 Dec 1899 00:00:00");
    // A time a hair before midnight rounds to the next day rather than showing 24:00.
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", EncodeDate(2026, 12, 8) - 1e-12),
              "8 Dec 2026 00:00:00");
}

TEST(DateTimeTest, FormatPatterns) {
    const TDateTime value = EncodeDate(2026, 12, 8) + EncodeTime(9, 5, 3, 250);
    struct TCase {
        const char* Pattern;
        const char* Text;
    };
    const TCase cases[] = {
        {"d mmm yyyy hh:mm:ss", "8 Dec 2026 09:05:03"},
        {"d mmm yyyy hh:nn:ss", "8 Dec 2026 09:05:03"},
        {"dd/mm/yy", "08/12/26"},
        {"d/m/yyyy", "8/12/2026"},
        {"ddd dddd", "Tue Tuesday"},
        {"mmmm", "December"},
        {"h:n:s", "9:5:3"},
        {"hh \"mm\" mm", "09 mm 05"},
        {"dd mm", "08 12"},
        {"hh d mm", "09 8 12"},
        {"yyyy-mm-ddThh:nn:ss", "2026-12-08T09:05:03"},
        {"DD MMM YYYY", "08 Dec 2026"},
        {"[d]", "[8]"},
        {"\"unclosed", "unclosed"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.Pattern, value), c.Text) << c.Pattern;
    EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(5, 3, 1)), "0005");
    EXPECT_EQ(FormatDateTime("dddd d mmmm", EncodeDate(1899, 12, 30)), "Saturday 30 December");
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 29)), 6);
}

// Sets a fixed time zone for one test and puts the old one back afterwards.
class TZoneGuard {
public:
    explicit TZoneGuard(const char* zone) {
        const char* old = std::getenv("TZ");
        HadZone = old != nullptr;
        if (HadZone) OldZone = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TZoneGuard() {
        if (HadZone)
            setenv("TZ", OldZone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool HadZone = false;
    std::string OldZone;
};

TEST(DateTimeTest, SystemClockInLocalTime) {
    using namespace std::chrono;
    TZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
    // 8 Dec 2026 08:05:03.250 UTC is 09:05:03.250 in Central Europe (winter).
    const auto winter = system_clock::time_point(seconds(1796717103)) + milliseconds(250);
    const TDateTime local = DateTimeFromSystem(winter);
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn:ss", local), "8 Dec 2026 09:05:03");
    EXPECT_EQ(duration_cast<milliseconds>(SystemFromDateTime(local) - winter).count(), 0);
    // Summer time: 1 Jul 2026 10:00 UTC is 12:00 local.
    const auto summer = system_clock::time_point(seconds(1782900000));
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn", DateTimeFromSystem(summer)), "1 Jul 2026 12:00");
    EXPECT_EQ(SystemFromDateTime(EncodeDate(2026, 7, 1) + EncodeTime(12, 0, 0)), summer);
    // Before 1970 and around the epoch.
    const auto early = system_clock::time_point(seconds(-2208988800)); // 1 Jan 1900 00:00 UTC
    EXPECT_EQ(FormatDateTime("d mmm yyyy hh:nn", DateTimeFromSystem(early)), "1 Jan 1900 01:00");
    EXPECT_EQ(SystemFromDateTime(EncodeDate(1970, 1, 1) + EncodeTime(0, 59, 59)),
              system_clock::time_point(seconds(-1)));
}

TEST(DateTimeTest, SystemClockLimitsDoNotOverflow) {
    using namespace std::chrono;
    const auto late = SystemFromDateTime(EncodeDate(9999, 12, 31));
    const auto early = SystemFromDateTime(EncodeDate(1, 1, 1));
    EXPECT_GT(late, system_clock::now());
    EXPECT_LT(early, system_clock::time_point());
    EXPECT_GT(SystemFromDateTime(1e300), system_clock::now());
    EXPECT_LT(SystemFromDateTime(-1e300), system_clock::time_point());
    int y = 0, m = 0, d = 0;
    DecodeDate(DateTimeFromSystem(system_clock::time_point::max()), y, m, d);
    EXPECT_GE(y, 2262);
    DecodeDate(DateTimeFromSystem(system_clock::time_point::min()), y, m, d);
    EXPECT_LE(y, 1677);
}

TEST(DateTimeTest, NowAndToday) {
    const TDateTime now = Now();
    const TDateTime today = Today();
    EXPECT_EQ(today, std::floor(today));
    EXPECT_LE(today, now);
    EXPECT_LT(now - today, 1.0 + 1e-6); // midnight may pass between the two calls
    EXPECT_GT(today, EncodeDate(2020, 1, 1));
}

} // namespace
