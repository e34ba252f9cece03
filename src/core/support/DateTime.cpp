#include "core/support/DateTime.h"

#include "core/support/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

constexpr int64_t MsPerDay = 86400000;
// Day numbers of 1 January 0001 and 31 December 9999: every value is decoded inside them.
constexpr int64_t FirstDay = -693593;
constexpr int64_t LastDay = 2958465;
// Day number of 1 January 1970, the system clock's epoch.
constexpr int64_t UnixEpochDay = 25569;

constexpr const char* ShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* LongMonthNames[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
constexpr const char* ShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* LongDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days since 1 January 1970 in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const int64_t era = FloorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// The value as whole milliseconds, rounded and kept within years 1 to 9999 (NaN counts as 0),
// so that date and time always decode from the same instant.
int64_t ToMilliseconds(TDateTime value) {
    if (std::isnan(value)) return 0;
    const double low = static_cast<double>(FirstDay);
    const double high = static_cast<double>(LastDay + 1);
    value = std::clamp(value, low, high);
    auto ms = static_cast<int64_t>(std::llround(value * static_cast<double>(MsPerDay)));
    return std::clamp(ms, FirstDay * MsPerDay, (LastDay + 1) * MsPerDay - 1);
}

TDateTime FromDayAndMs(int64_t day, int64_t msOfDay) {
    return static_cast<double>(day) + static_cast<double>(msOfDay) / static_cast<double>(MsPerDay);
}

struct TParts {
    int Year, Month, Day, Hour, Minute, Second, Millisecond, DayOfWeek; // DayOfWeek 0 = Sunday
};

TParts Split(TDateTime value) {
    const int64_t ms = ToMilliseconds(value);
    const int64_t day = FloorDiv(ms, MsPerDay);
    int64_t msOfDay = ms - day * MsPerDay;
    TParts p{};
    CivilFromDays(day - UnixEpochDay, p.Year, p.Month, p.Day);
    p.Millisecond = static_cast<int>(msOfDay % 1000);
    msOfDay /= 1000;
    p.Second = static_cast<int>(msOfDay % 60);
    msOfDay /= 60;
    p.Minute = static_cast<int>(msOfDay % 60);
    p.Hour = static_cast<int>(msOfDay / 60);
    // Day 0 was a Saturday.
    p.DayOfWeek = static_cast<int>(((day + 6) % 7 + 7) % 7);
    return p;
}

std::string TwoDigits(int value) {
    std::string text = IntToStr(value);
    return text.size() < 2 ? "0" + text : text;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return false;
    value = static_cast<double>(DaysFromCivil(year, month, day) + UnixEpochDay);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return false;
    const int64_t ms = ((int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
    value = static_cast<double>(ms) / static_cast<double>(MsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw EConvertError("Invalid argument to date encode");
    return value;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    TDateTime value = 0;
    if (!TryEncodeTime(hour, minute, second, millisecond, value))
        throw EConvertError("Invalid argument to time encode");
    return value;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    TParts p = Split(value);
    year = p.Year;
    month = p.Month;
    day = p.Day;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
    TParts p = Split(value);
    hour = p.Hour;
    minute = p.Minute;
    second = p.Second;
    millisecond = p.Millisecond;
}

int DayOfWeek(TDateTime value) {
    return Split(value).DayOfWeek + 1;
}

TDateTime DateTimeFromSystem(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto sinceEpoch = when.time_since_epoch();
    // Split toward zero first: flooring the earliest time point would overflow on the way back.
    auto seconds = duration_cast<std::chrono::seconds>(sinceEpoch);
    auto rest = sinceEpoch - seconds;
    if (rest < rest.zero()) {
        seconds -= std::chrono::seconds(1);
        rest += std::chrono::seconds(1);
    }
    const int64_t ms = duration_cast<milliseconds>(rest).count();
    const std::time_t t = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    if (localtime_r(&t, &local)) {
        const int64_t day =
            DaysFromCivil(int64_t{local.tm_year} + 1900, local.tm_mon + 1, local.tm_mday) +
            UnixEpochDay;
        // A leap second shows as the last second of its minute.
        const int second = std::min(local.tm_sec, 59);
        const int64_t msOfDay =
            ((int64_t{local.tm_hour} * 60 + local.tm_min) * 60 + second) * 1000 + ms;
        return FromDayAndMs(day, msOfDay);
    }
    // No local time for this instant: fall back to universal time.
    const int64_t count = seconds.count();
    const int64_t day = FloorDiv(count, 86400);
    return FromDayAndMs(day + UnixEpochDay, (count - day * 86400) * 1000 + ms);
}

std::chrono::system_clock::time_point SystemFromDateTime(TDateTime value) {
    using namespace std::chrono;
    const int64_t total = ToMilliseconds(value);
    const int64_t day = FloorDiv(total, MsPerDay);
    const int64_t msOfDay = total - day * MsPerDay;
    TParts p = Split(value);

    std::tm local{};
    local.tm_year = p.Year - 1900;
    local.tm_mon = p.Month - 1;
    local.tm_mday = p.Day;
    local.tm_hour = p.Hour;
    local.tm_min = p.Minute;
    local.tm_sec = p.Second;
    local.tm_isdst = -1;
    std::tm requested = local;
    std::time_t t = std::mktime(&local);
    int64_t secondsSinceEpoch = 0;
    bool valid = t != static_cast<std::time_t>(-1);
    if (!valid) {
        // -1 is also one second before the epoch: accept it when it reads back as asked.
        std::tm check{};
        valid = localtime_r(&t, &check) && check.tm_year == requested.tm_year &&
                check.tm_mon == requested.tm_mon && check.tm_mday == requested.tm_mday &&
                check.tm_hour == requested.tm_hour && check.tm_min == requested.tm_min &&
                check.tm_sec == requested.tm_sec;
    }
    if (valid)
        secondsSinceEpoch = static_cast<int64_t>(t);
    else
        secondsSinceEpoch = (day - UnixEpochDay) * 86400 + msOfDay / 1000;

    // The system clock spans fewer years than a date-time: keep to what it can hold.
    constexpr int64_t maxSeconds =
        duration_cast<std::chrono::seconds>(system_clock::duration::max()).count() - 1;
    constexpr int64_t minSeconds =
        duration_cast<std::chrono::seconds>(system_clock::duration::min()).count() + 1;
    secondsSinceEpoch = std::clamp(secondsSinceEpoch, minSeconds, maxSeconds);
    const auto since = std::chrono::seconds(secondsSinceEpoch) + milliseconds(p.Millisecond);
    return system_clock::time_point(duration_cast<system_clock::duration>(since));
}

TDateTime Now() {
    return DateTimeFromSystem(std::chrono::system_clock::now());
}

TDateTime Today() {
    return std::floor(Now());
}

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
    const TParts p = Split(value);
    std::string out;
    char lastLetter = 0;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"') {
            size_t close = pattern.find('"', i + 1);
            if (close == std::string_view::npos) close = pattern.size();
            out += pattern.substr(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        char letter = UpperAscii(c);
        if (letter < 'A' || letter > 'Z') {
            out += c;
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && UpperAscii(pattern[i + run]) == letter)
            ++run;
        if (letter == 'M' && lastLetter == 'H') letter = 'N';
        lastLetter = letter;
        switch (letter) {
        case 'D':
            if (run == 1)
                out += IntToStr(p.Day);
            else if (run == 2)
                out += TwoDigits(p.Day);
            else if (run == 3)
                out += ShortDayNames[p.DayOfWeek];
            else
                out += LongDayNames[p.DayOfWeek];
            break;
        case 'M':
            if (run == 1)
                out += IntToStr(p.Month);
            else if (run == 2)
                out += TwoDigits(p.Month);
            else if (run == 3)
                out += ShortMonthNames[p.Month - 1];
            else
                out += LongMonthNames[p.Month - 1];
            break;
        case 'Y':
            if (run <= 2)
                out += TwoDigits(p.Year % 100);
            else {
                std::string year = IntToStr(p.Year);
                out += std::string(year.size() < 4 ? 4 - year.size() : 0, '0') + year;
            }
            break;
        case 'H':
            out += run == 1 ? IntToStr(p.Hour) : TwoDigits(p.Hour);
            break;
        case 'N':
            out += run == 1 ? IntToStr(p.Minute) : TwoDigits(p.Minute);
            break;
        case 'S':
            out += run == 1 ? IntToStr(p.Second) : TwoDigits(p.Second);
            break;
        default:
            out += pattern.substr(i, run);
            break;
        }
        i += run;
    }
    return out;
}
