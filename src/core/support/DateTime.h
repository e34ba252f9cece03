#pragma once
// Date-times as days since 30 December 1899; the fraction is the time of day.

#include <chrono>
#include <string>
#include <string_view>

using TDateTime = double;

// Day 0 is 30 December 1899, 1 January 1900 is day 2; earlier days are negative and the
// fraction always counts forward from the day's midnight (-0.75 is 29 December 1899 06:00).
// Years 1 to 9999, hours 0 to 23, minutes and seconds 0 to 59, milliseconds 0 to 999;
// anything else makes the Encode functions throw EConvertError and the Try forms return false.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value);
// Decoding rounds to the nearest millisecond. Values before 1 January 0001 or after
// 31 December 9999 decode as those limits; NaN decodes as day 0.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Conversion to and from the system clock, in local time as the user sees it. Date-times
// beyond the system clock's range give its nearest end.
TDateTime DateTimeFromSystem(std::chrono::system_clock::time_point when);
std::chrono::system_clock::time_point SystemFromDateTime(TDateTime value);
TDateTime Now();
TDateTime Today();

// Formats with a date pattern such as "d mmm yyyy hh:mm:ss": d, dd, ddd, dddd, m, mm, mmm, mmmm,
// yy, yyyy, h, hh, n, nn, s, ss (an "m" or "mm" right after an hour means minutes); English
// month and day names; other characters are copied; text in double quotes is copied as is.
std::string FormatDateTime(std::string_view pattern, TDateTime value);
