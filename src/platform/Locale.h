// The locale stand-in: one object with Chinese (PRC) defaults, and the conversions between
// numbers, dates and text that read it.
//
// Date-times are days since 1899-12-30 with the time of day as the fraction. Rounding of a float
// to an integer goes half to even everywhere unless a caller says otherwise.
#pragma once

#include "AnsiString.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>

// A conversion that cannot be made (text to number or date, array to number, ...). The text
// readers here raise it, and so do the value conversions built on them.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TLocaleSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '-';
    char TimeSeparator = ':';
    AnsiString ShortDateFormat = "yyyy-m-d";
    AnsiString LongDateFormat; // "yyyy'年'm'月'd'日'" in CP936
    AnsiString ShortTimeFormat = "h:nn";
    AnsiString LongTimeFormat = "h:nn:ss";
    AnsiString TimeAMString = "AM";
    AnsiString TimePMString = "PM";
    std::array<AnsiString, 7> ShortDayNames; // 星期日..星期六 in CP936, Sunday first
    std::array<AnsiString, 7> LongDayNames;
    std::array<AnsiString, 12> ShortMonthNames; // "1月".."12月"
    std::array<AnsiString, 12> LongMonthNames;  // "一月".."十二月"
    int CurrencyDecimals = 2;
};

// The process-wide locale; tests may change it and restore it.
TLocaleSettings& Locale();
void ResetLocale(); // back to the Chinese (PRC) defaults

// Rounding.
double RoundHalfEven(double v);               // to a whole number
double RoundHalfEven(double v, int decimals); // to a number of decimals (decimal-exact halves)
std::int64_t RoundToInt64(double v);          // half to even; EConvertError when out of range
std::int64_t RoundHalfAwayFromZero(double v); // for the rules that say so (widths, MulDiv)

// Text <-> number with the locale's decimal separator.
std::optional<double> TryStrToFloat(std::string_view text); // surrounding blanks allowed
double StrToFloat(std::string_view text);                   // EConvertError naming the text
std::optional<std::int64_t> TryStrToInt64(std::string_view text);
std::int64_t StrToInt64(std::string_view text);
AnsiString FloatToStr(double v); // shortest text, at most 15 significant digits
AnsiString IntToStr(std::int64_t v);

// Date-time encoding.
bool TryEncodeDate(int year, int month, int day, double& result);
double EncodeDate(int year, int month, int day); // EConvertError on an invalid date
double EncodeTime(int hour, int minute, int second, int msec);
void DecodeDate(double dt, int& year, int& month, int& day);
void DecodeTime(double dt, int& hour, int& minute, int& second, int& msec);
int DayOfWeek(double dt); // 1 = Sunday .. 7 = Saturday
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);             // 0 for a month outside 1..12
double ComposeDateTime(double date, double time); // date + time; before the epoch date - time

// Text <-> date-time with the locale's short date format and separators.
std::optional<double> TryStrToDate(std::string_view text);
std::optional<double> TryStrToTime(std::string_view text);
std::optional<double> TryStrToDateTime(std::string_view text);
double StrToDate(std::string_view text); // EConvertError naming the text
double StrToTime(std::string_view text);
double StrToDateTime(std::string_view text);
AnsiString DateToStr(double dt);     // short date format
AnsiString TimeToStr(double dt);     // long time format
AnsiString DateTimeToStr(double dt); // date, then the time when it is not midnight
