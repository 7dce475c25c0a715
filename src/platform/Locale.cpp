// The locale stand-in (Chinese (PRC) defaults) and the conversions between numbers, dates and text
// that read it.
//
// Guarantees: number texts are read and written independently of the C library's locale (Qt may
// change it at start-up), always with the separators of this object; a text that does not convert
// raises EConvertError naming the text; rounding of halves goes to the even neighbour, judged on
// the decimal text of the value (see RoundHalfEven); dates count days from 1899-12-30.
#include "Locale.h"


#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

TLocaleSettings MakeDefaults() {
    TLocaleSettings s;
    s.LongDateFormat = CP936("yyyy'年'm'月'd'日'");
    static const char* const dayNames[7] = {"星期日", "星期一", "星期二", "星期三",
                                            "星期四", "星期五", "星期六"};
    static const char* const monthNames[12] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                               "七月", "八月", "九月", "十月", "十一月", "十二月"};
    const AnsiString month = Utf8ToAnsi("月");
    for (int i = 0; i < 7; ++i) {
        s.ShortDayNames[i] = Utf8ToAnsi(dayNames[i]);
        s.LongDayNames[i] = s.ShortDayNames[i];
    }
    for (int i = 0; i < 12; ++i) {
        s.ShortMonthNames[i] = std::to_string(i + 1) + month;
        s.LongMonthNames[i] = Utf8ToAnsi(monthNames[i]);
    }
    return s;
}

[[noreturn]] void ThrowConvert(std::string_view text, const char* what) {
    throw EConvertError("\"" + std::string(text) + "\" is not a valid " + what);
}

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
        s.remove_suffix(1);
    return s;
}

// The value as 15 significant decimal digits and the power of ten of the first digit:
// value = 0.D1D2..D15 * 10^pointPos in the classic notation (pointPos = exponent + 1).
struct TDecimal {
    bool Negative = false;
    char Digits[16] = {};
    int PointPos = 0;
};

TDecimal ToDecimal15(double v) {
    TDecimal d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    *res.ptr = '\0';
    const char* p = buf;
    if (*p == '-') {
        d.Negative = true;
        ++p;
    }
    int n = 0;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.Digits[n++] = *p;
    d.Digits[n] = '\0';
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    d.PointPos = exponent + 1;
    return d;
}

double ParseCNumber(const std::string& text) {
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

constexpr double MSecsPerDay = 86400000.0;

// Days from 0001-01-01 (day 1) in the proleptic Gregorian calendar, the classic time stamp origin.
constexpr int DateDelta = 693594; // days from 0001-01-01 to 1899-12-30

// Splits a date-time into whole days (from 1899-12-30) and milliseconds of the day. The classic
// rule: the integral part is the day, the fraction's absolute value is the time, so -1.25 is
// 1899-12-29 06:00. A time that rounds up to a full day carries into the next calendar day.
void SplitDateTime(double dt, std::int64_t& day, std::int64_t& msec) {
    if (!std::isfinite(dt) || std::fabs(dt) > 3e6)
        throw EConvertError("\"" + FloatToStr(dt) + "\" is not a valid date-time value");
    const double whole = std::trunc(dt);
    day = static_cast<std::int64_t>(whole);
    msec = static_cast<std::int64_t>(std::llround(std::fabs(dt - whole) * MSecsPerDay));
    if (msec >= static_cast<std::int64_t>(MSecsPerDay)) {
        msec -= static_cast<std::int64_t>(MSecsPerDay);
        day += 1;
    }
}

int CurrentYear() {
    const auto now = std::chrono::system_clock::now();
    const std::chrono::year_month_day ymd{std::chrono::floor<std::chrono::days>(now)};
    return static_cast<int>(ymd.year());
}

// ---- Scanning of date and time texts -----------------------------------------------------------

struct TScanner {
    std::string_view Text;
    std::size_t Pos = 0;

    void SkipBlanks() {
        while (Pos < Text.size() && Text[Pos] == ' ')
            ++Pos;
    }
    bool AtEnd() const { return Pos >= Text.size(); }
    // Up to 9 digits; the number of digits read goes to digits.
    bool Number(int& value, int& digits) {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9') {
            if (digits == 9) return false;
            value = value * 10 + (Text[Pos] - '0');
            ++digits;
            ++Pos;
        }
        return digits > 0;
    }
    bool Char(char c) {
        SkipBlanks();
        if (Pos < Text.size() && Text[Pos] == c) {
            ++Pos;
            return true;
        }
        return false;
    }
    bool DateSeparator() {
        SkipBlanks();
        if (Pos < Text.size() && (Text[Pos] == Locale().DateSeparator || Text[Pos] == '/')) {
            ++Pos;
            return true;
        }
        return false;
    }
    bool Word(std::string_view word) {
        SkipBlanks();
        if (word.empty() || Text.size() - Pos < word.size()) return false;
        if (CompareText(Text.substr(Pos, word.size()), word) != 0) return false;
        Pos += word.size();
        return true;
    }
};

enum class TDateOrder { MDY, DMY, YMD };

TDateOrder DateOrderOf(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = static_cast<char>(format[i] | 0x20);
        if (static_cast<unsigned char>(format[i]) >= 0x80) {
            i += CharLengthAt(format, i) - 1;
            continue;
        }
        if (c == 'y') return TDateOrder::YMD;
        if (c == 'm') return TDateOrder::MDY;
        if (c == 'd') return TDateOrder::DMY;
    }
    return TDateOrder::YMD;
}

bool ScanDate(TScanner& s, double& result) {
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!s.Number(n1, l1) || !s.DateSeparator() || !s.Number(n2, l2)) return false;
    const TDateOrder order = DateOrderOf(Locale().ShortDateFormat);
    int y, m, d, yearDigits;
    if (s.DateSeparator()) {
        if (!s.Number(n3, l3)) return false;
        switch (order) {
        case TDateOrder::MDY:
            y = n3, m = n1, d = n2, yearDigits = l3;
            break;
        case TDateOrder::DMY:
            y = n3, m = n2, d = n1, yearDigits = l3;
            break;
        default:
            y = n1, m = n2, d = n3, yearDigits = l1;
            break;
        }
    } else {
        // Two numbers: month and day of the current year, in the order of the short date format.
        y = CurrentYear();
        yearDigits = 4;
        if (order == TDateOrder::DMY)
            d = n1, m = n2;
        else
            m = n1, d = n2;
    }
    if (yearDigits <= 2 && y <= 99) {
        // Two-digit years fall into the 100-year window that ends 50 years after this year.
        const int window = 50;
        const int centuryBase = CurrentYear() - window;
        y += centuryBase / 100 * 100;
        if (y < centuryBase) y += 100;
    }
    return TryEncodeDate(y, m, d, result);
}

bool ScanTime(TScanner& s, double& result) {
    const TLocaleSettings& loc = Locale();
    int baseHour = -1;
    if (s.Word(loc.TimeAMString) || s.Word("AM"))
        baseHour = 0;
    else if (s.Word(loc.TimePMString) || s.Word("PM"))
        baseHour = 12;
    int hour, minute = 0, second = 0, msec = 0, digits;
    if (!s.Number(hour, digits)) return false;
    if (s.Char(loc.TimeSeparator)) {
        if (!s.Number(minute, digits)) return false;
        if (s.Char(loc.TimeSeparator)) {
            if (!s.Number(second, digits)) return false;
            if (s.Char(loc.DecimalSeparator)) {
                // Fraction of a second: "5.25" is 5 s 250 ms.
                int fraction;
                if (!s.Number(fraction, digits)) return false;
                while (digits > 3) {
                    fraction /= 10;
                    --digits;
                }
                while (digits < 3) {
                    fraction *= 10;
                    ++digits;
                }
                msec = fraction;
            }
        }
    }
    if (baseHour < 0) {
        if (s.Word(loc.TimeAMString) || s.Word("AM"))
            baseHour = 0;
        else if (s.Word(loc.TimePMString) || s.Word("PM"))
            baseHour = 12;
    }
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        hour += baseHour;
    }
    s.SkipBlanks();
    if (hour > 23 || minute > 59 || second > 59) return false;
    result = EncodeTime(hour, minute, second, msec);
    return true;
}

// ---- A small date-time picture writer for the default texts -------------------------------------
// Knows the codes the short/long date and time formats use: y, m, d, h, n, s, z, am/pm, quoted
// literals, "/" and ":" as the locale's separators. "m" right after an hour code means minutes.

std::string Pad(int v, int width) {
    std::string s = std::to_string(v);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

AnsiString FormatPicture(std::string_view format, double dt) {
    const TLocaleSettings& loc = Locale();
    int year, month, day, hour, minute, second, msec;
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, minute, second, msec);
    AnsiString out;
    bool lastWasHour = false;
    bool twelveHour = false;
    for (std::size_t i = 0; i < format.size(); ++i)
        if (CompareText(format.substr(i, 5), "AM/PM") == 0) twelveHour = true;
    std::size_t i = 0;
    auto runOf = [&](char lower) {
        std::size_t n = 0;
        while (i + n < format.size() && (format[i + n] | 0x20) == lower)
            ++n;
        return n;
    };
    while (i < format.size()) {
        const unsigned char c = static_cast<unsigned char>(format[i]);
        if (c >= 0x80) {
            const std::size_t length = CharLengthAt(format, i);
            out.append(format.substr(i, length));
            i += length;
            continue;
        }
        const char lower = static_cast<char>(c | 0x20);
        if (c == '\'' || c == '"') {
            const std::size_t close = format.find(static_cast<char>(c), i + 1);
            const std::size_t end = close == std::string_view::npos ? format.size() : close;
            out.append(format.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? format.size() : close + 1;
            continue;
        }
        if (CompareText(format.substr(i, 5), "AM/PM") == 0) {
            out += hour < 12 ? "AM" : "PM";
            i += 5;
            continue;
        }
        std::size_t n;
        switch (lower) {
        case 'y':
            n = runOf('y');
            out += n <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
            i += n;
            lastWasHour = false;
            continue;
        case 'm':
            n = runOf('m');
            if (lastWasHour && n <= 2)
                out += Pad(minute, static_cast<int>(n));
            else if (n <= 2)
                out += Pad(month, static_cast<int>(n));
            else if (n == 3)
                out += loc.ShortMonthNames[month - 1];
            else
                out += loc.LongMonthNames[month - 1];
            i += n;
            lastWasHour = false;
            continue;
        case 'd':
            n = runOf('d');
            if (n <= 2)
                out += Pad(day, static_cast<int>(n));
            else if (n == 3)
                out += loc.ShortDayNames[DayOfWeek(dt) - 1];
            else
                out += loc.LongDayNames[DayOfWeek(dt) - 1];
            i += n;
            lastWasHour = false;
            continue;
        case 'h': {
            n = runOf('h');
            int h = hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0) h = 12;
            }
            out += Pad(h, n >= 2 ? 2 : 1);
            i += n;
            lastWasHour = true;
            continue;
        }
        case 'n':
            n = runOf('n');
            out += Pad(minute, n >= 2 ? 2 : 1);
            i += n;
            lastWasHour = false;
            continue;
        case 's':
            n = runOf('s');
            out += Pad(second, n >= 2 ? 2 : 1);
            i += n;
            lastWasHour = false;
            continue;
        case 'z':
            n = runOf('z');
            out += Pad(msec, n >= 3 ? 3 : 1);
            i += n;
            continue;
        default:
            break;
        }
        if (c == '/')
            out += loc.DateSeparator;
        else if (c == ':')
            out += loc.TimeSeparator;
        else
            out += static_cast<char>(c);
        ++i;
    }
    return out;
}

} // namespace

TLocaleSettings& Locale() {
    static TLocaleSettings settings = MakeDefaults();
    return settings;
}

void ResetLocale() {
    Locale() = MakeDefaults();
}

// ---- Rounding ------------------------------------------------------------------------------------

double RoundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    const double floor = std::floor(v);
    const double diff = v - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

// Rounding to decimals is judged on the value's decimal text with 15 significant digits, the same
// digits FloatToStr shows: 2.675 is stored as 2.67499999999999982236431605997495353221893310546875
// but reads "2.675", so it is a half and goes to the even neighbour 2.68. What the user sees is
// what gets rounded; the result is the double nearest to the rounded decimal.
double RoundHalfEven(double v, int decimals) {
    if (!std::isfinite(v) || v == 0) return v;
    if (decimals > 300 || decimals < -300) return decimals > 0 ? v : 0.0;
    const TDecimal d = ToDecimal15(v);
    const int keep = d.PointPos + decimals; // digits that stay
    if (keep >= 15) return v;
    if (keep < 0) return d.Negative ? -0.0 : 0.0;
    bool up;
    const char first = d.Digits[keep];
    if (first > '5') {
        up = true;
    } else if (first < '5') {
        up = false;
    } else {
        bool rest = false;
        for (int k = keep + 1; k < 15; ++k)
            rest = rest || d.Digits[k] != '0';
        const bool lastOdd = keep > 0 && (d.Digits[keep - 1] - '0') % 2 == 1;
        up = rest || lastOdd;
    }
    std::int64_t kept = 0;
    for (int k = 0; k < keep; ++k)
        kept = kept * 10 + (d.Digits[k] - '0');
    if (up) ++kept;
    const std::string text = std::to_string(kept) + "e" + std::to_string(-decimals);
    const double result = ParseCNumber(text);
    return d.Negative ? -result : result;
}

std::int64_t RoundToInt64(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        throw EConvertError("\"" + FloatToStr(v) + "\" is not a valid integer value");
    return static_cast<std::int64_t>(r);
}

std::int64_t RoundHalfAwayFromZero(double v) {
    const double r = std::round(v);
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        throw EConvertError("\"" + FloatToStr(v) + "\" is not a valid integer value");
    return static_cast<std::int64_t>(r);
}

// ---- Numbers and text ------------------------------------------------------------------------------

std::optional<double> TryStrToFloat(std::string_view text) {
    const std::string_view s = TrimView(text);
    const char decimal = Locale().DecimalSeparator;
    // Accepted: [sign] digits [decimal digits] [e|E [sign] digits], at least one mantissa digit.
    std::string c;
    c.reserve(s.size());
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::size_t mantissaDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        c += s[i++], ++mantissaDigits;
    if (i < s.size() && s[i] == decimal) {
        c += '.';
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            c += s[i++], ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) c += s[i++];
        std::size_t exponentDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            c += s[i++], ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    double result = 0;
    const auto res = std::from_chars(c.data(), c.data() + c.size(), result);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small underflows to zero quietly; too large is not a value we can hold.
        const std::size_t e = c.find('e');
        if (e == std::string::npos || c[e + 1] != '-') return std::nullopt;
        result = 0;
    } else if (res.ec != std::errc() || res.ptr != c.data() + c.size()) {
        return std::nullopt;
    }
    return negative ? -result : result;
}

double StrToFloat(std::string_view text) {
    if (const auto v = TryStrToFloat(text)) return *v;
    ThrowConvert(text, "floating point value");
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text) {
    std::string_view s = TrimView(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    if (negative) {
        if (magnitude > 9223372036854775808ULL) return std::nullopt;
        return static_cast<std::int64_t>(0 - magnitude);
    }
    if (magnitude > 9223372036854775807ULL) return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

std::int64_t StrToInt64(std::string_view text) {
    if (const auto v = TryStrToInt64(text)) return *v;
    ThrowConvert(text, "integer value");
}

// The classic general format with 15 significant digits: plain notation while the number has at
// most 15 integer digits and is at least 0.0001 in size, otherwise "d.dddE[-]x" with no padding of
// the exponent; trailing zeros never show.
AnsiString FloatToStr(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    const TDecimal d = ToDecimal15(v);
    int digitCount = 15;
    while (digitCount > 1 && d.Digits[digitCount - 1] == '0')
        --digitCount;
    const char decimal = Locale().DecimalSeparator;
    AnsiString out;
    if (d.Negative) out += '-';
    if (d.PointPos > 15 || d.PointPos < -3) {
        out += d.Digits[0];
        if (digitCount > 1) {
            out += decimal;
            out.append(d.Digits + 1, static_cast<std::size_t>(digitCount - 1));
        }
        out += 'E';
        out += std::to_string(d.PointPos - 1);
        return out;
    }
    if (d.PointPos <= 0) {
        out += '0';
        out += decimal;
        out.append(static_cast<std::size_t>(-d.PointPos), '0');
        out.append(d.Digits, static_cast<std::size_t>(digitCount));
        return out;
    }
    for (int k = 0; k < d.PointPos; ++k)
        out += k < digitCount ? d.Digits[k] : '0';
    if (digitCount > d.PointPos) {
        out += decimal;
        out.append(d.Digits + d.PointPos, static_cast<std::size_t>(digitCount - d.PointPos));
    }
    return out;
}

AnsiString IntToStr(std::int64_t v) {
    return std::to_string(v);
}

// ---- Date-time encoding ------------------------------------------------------------------------------

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Before the epoch the time counts away from zero: 1899-12-29 06:00 is -1.25.
double ComposeDateTime(double date, double time) {
    return date < 0 ? date - time : date + time;
}

bool TryEncodeDate(int year, int month, int day, double& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    // Whole days from 0001-01-01, then shifted to the 1899-12-30 origin.
    const int y = year - 1;
    std::int64_t days = static_cast<std::int64_t>(y) * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day;
    result = static_cast<double>(days - DateDelta);
    return true;
}

double EncodeDate(int year, int month, int day) {
    double result;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError("Invalid argument to date encode: " + std::to_string(year) + "-" +
                            std::to_string(month) + "-" + std::to_string(day));
    return result;
}

double EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        throw EConvertError("Invalid argument to time encode: " + std::to_string(hour) + ":" +
                            std::to_string(minute) + ":" + std::to_string(second) + "." +
                            std::to_string(msec));
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MSecsPerDay;
}

void DecodeDate(double dt, int& year, int& month, int& day) {
    std::int64_t dayIndex, msec;
    SplitDateTime(dt, dayIndex, msec);
    std::int64_t n = dayIndex + DateDelta; // days from 0001-01-01 as day 1
    if (n <= 0) {
        year = month = day = 0;
        return;
    }
    --n;
    int y = 1;
    const std::int64_t d400 = 146097, d100 = 36524, d4 = 1461;
    y += static_cast<int>(n / d400) * 400;
    n %= d400;
    std::int64_t c = n / d100;
    if (c == 4) c = 3;
    y += static_cast<int>(c) * 100;
    n -= c * d100;
    y += static_cast<int>(n / d4) * 4;
    n %= d4;
    std::int64_t yy = n / 365;
    if (yy == 4) yy = 3;
    y += static_cast<int>(yy);
    n -= yy * 365;
    int m = 1;
    while (n >= DaysInMonth(y, m)) {
        n -= DaysInMonth(y, m);
        ++m;
    }
    year = y;
    month = m;
    day = static_cast<int>(n) + 1;
}

void DecodeTime(double dt, int& hour, int& minute, int& second, int& msec) {
    std::int64_t dayIndex, ms;
    SplitDateTime(dt, dayIndex, ms);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(double dt) {
    std::int64_t dayIndex, msec;
    SplitDateTime(dt, dayIndex, msec);
    const std::int64_t n = (dayIndex + DateDelta) % 7;
    return static_cast<int>((n + 7) % 7) + 1;
}

// ---- Date-time texts ------------------------------------------------------------------------------------

std::optional<double> TryStrToDate(std::string_view text) {
    TScanner s{TrimView(text)};
    double result;
    if (!ScanDate(s, result)) return std::nullopt;
    s.SkipBlanks();
    if (!s.AtEnd()) return std::nullopt;
    return result;
}

std::optional<double> TryStrToTime(std::string_view text) {
    TScanner s{TrimView(text)};
    double result;
    if (!ScanTime(s, result) || !s.AtEnd()) return std::nullopt;
    return result;
}

std::optional<double> TryStrToDateTime(std::string_view text) {
    TScanner s{TrimView(text)};
    double date;
    if (ScanDate(s, date)) {
        s.SkipBlanks();
        if (s.AtEnd()) return date;
        double time;
        if (ScanTime(s, time) && s.AtEnd()) return ComposeDateTime(date, time);
        return std::nullopt;
    }
    return TryStrToTime(text);
}

double StrToDate(std::string_view text) {
    if (const auto v = TryStrToDate(text)) return *v;
    ThrowConvert(text, "date");
}

double StrToTime(std::string_view text) {
    if (const auto v = TryStrToTime(text)) return *v;
    ThrowConvert(text, "time");
}

double StrToDateTime(std::string_view text) {
    if (const auto v = TryStrToDateTime(text)) return *v;
    ThrowConvert(text, "date and time");
}

AnsiString DateToStr(double dt) {
    return FormatPicture(Locale().ShortDateFormat, dt);
}

AnsiString TimeToStr(double dt) {
    return FormatPicture(Locale().LongTimeFormat, dt);
}

AnsiString DateTimeToStr(double dt) {
    // The time shows when it has hours, minutes or seconds; milliseconds alone do not bring it.
    AnsiString out = DateToStr(dt);
    int hour, minute, second, msec;
    DecodeTime(dt, hour, minute, second, msec);
    if (hour != 0 || minute != 0 || second != 0) out += ' ' + TimeToStr(dt);
    return out;
}
