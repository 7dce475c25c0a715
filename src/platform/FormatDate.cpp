// Date-time picture formatting (FormatDateTime).
//
// The value is decoded once; the picture is read left to right, format letters in any case, with
// double-byte characters and quoted text copied unchanged. The locale's own formats ("c", "ddddd",
// "t", ...) are formatted by the same reader; a locale format that refers to itself again is cut
// off after a few levels instead of recursing for ever.
#include "Format.h"

#include "Locale.h"
#include "Value.h"

#include <charconv>
#include <cmath>

namespace {

struct TDateParts {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, Msec = 0;
    int DayOfWeek = 1; // 1 = Sunday
};

constexpr int MaxNesting = 3;

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool MatchesNoCase(std::string_view s, std::size_t at, std::string_view what) {
    if (s.size() - at < what.size()) return false;
    for (std::size_t k = 0; k < what.size(); ++k)
        if (LowerAscii(s[at + k]) != what[k]) return false;
    return true;
}

// Length of an AM/PM code at the index, 0 when there is none.
std::size_t AmPmCodeAt(std::string_view s, std::size_t at) {
    if (MatchesNoCase(s, at, "am/pm")) return 5;
    if (MatchesNoCase(s, at, "ampm")) return 4;
    if (MatchesNoCase(s, at, "a/p")) return 3;
    return 0;
}

// True when an AM/PM code appears from the index on, outside quotes and double-byte pairs.
bool AmPmFollows(std::string_view s, std::size_t from) {
    for (std::size_t i = from; i < s.size();) {
        const unsigned char c = s[i];
        if (IsLeadByte(c) && i + 1 < s.size()) {
            i += 2;
        } else if (c == '\'' || c == '"') {
            const std::size_t close = s.find(static_cast<char>(c), i + 1);
            if (close == std::string_view::npos) return false;
            i = close + 1;
        } else if (AmPmCodeAt(s, i) > 0) {
            return true;
        } else {
            ++i;
        }
    }
    return false;
}

void AppendNumber(AnsiString& out, int value, int width) {
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    for (int pad = width - static_cast<int>(res.ptr - buf); pad > 0; --pad)
        out += '0';
    out.append(buf, res.ptr);
}

std::size_t RunLength(std::string_view s, std::size_t at, char lower) {
    std::size_t n = 0;
    while (at + n < s.size() && LowerAscii(s[at + n]) == lower)
        ++n;
    return n;
}

void FormatInto(AnsiString& out, std::string_view s, const TDateParts& dt, int depth) {
    if (depth > MaxNesting) return;
    const TLocaleSettings& locale = Locale();
    bool afterHour = false; // the last code was h or hh: an m or mm now means minutes
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const char c = s[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
            out.append(s, i, 2);
            i += 2;
            continue;
        }
        if (c == '\'' || c == '"') {
            std::size_t close = s.find(c, i + 1);
            if (close == std::string_view::npos) close = n;
            out.append(s.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        const char lower = LowerAscii(c);
        const std::size_t run = RunLength(s, i, lower);
        switch (lower) {
        case 'y':
            if (run <= 2)
                AppendNumber(out, dt.Year % 100, 2);
            else
                AppendNumber(out, dt.Year, 4);
            i += run;
            afterHour = false;
            break;
        case 'm':
            if (run >= 3) {
                const std::size_t take = run >= 4 ? 4 : 3;
                const auto& names = take == 4 ? locale.LongMonthNames : locale.ShortMonthNames;
                out += names[dt.Month - 1];
                i += take;
            } else {
                const std::size_t take = run >= 2 ? 2 : 1;
                AppendNumber(out, afterHour ? dt.Minute : dt.Month, static_cast<int>(take));
                i += take;
            }
            afterHour = false;
            break;
        case 'd': {
            const std::size_t take = run > 6 ? 6 : run;
            switch (take) {
            case 1:
            case 2:
                AppendNumber(out, dt.Day, static_cast<int>(take));
                break;
            case 3:
                out += locale.ShortDayNames[dt.DayOfWeek - 1];
                break;
            case 4:
                out += locale.LongDayNames[dt.DayOfWeek - 1];
                break;
            case 5:
                FormatInto(out, locale.ShortDateFormat, dt, depth + 1);
                break;
            default:
                FormatInto(out, locale.LongDateFormat, dt, depth + 1);
                break;
            }
            i += take;
            afterHour = false;
            break;
        }
        case 'h': {
            const std::size_t take = run >= 2 ? 2 : 1;
            int hour = dt.Hour;
            if (AmPmFollows(s, i + take)) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            AppendNumber(out, hour, static_cast<int>(take));
            i += take;
            afterHour = true;
            break;
        }
        case 'n':
        case 's': {
            const std::size_t take = run >= 2 ? 2 : 1;
            AppendNumber(out, lower == 'n' ? dt.Minute : dt.Second, static_cast<int>(take));
            i += take;
            afterHour = false;
            break;
        }
        case 'z': {
            const std::size_t take = run >= 3 ? 3 : 1;
            AppendNumber(out, dt.Msec, take == 3 ? 3 : 1);
            i += take;
            afterHour = false;
            break;
        }
        case 't': {
            const std::size_t take = run >= 2 ? 2 : 1;
            FormatInto(out, take == 2 ? locale.LongTimeFormat : locale.ShortTimeFormat, dt, depth + 1);
            i += take;
            afterHour = false;
            break;
        }
        case 'c':
            FormatInto(out, locale.ShortDateFormat, dt, depth + 1);
            if (dt.Hour != 0 || dt.Minute != 0 || dt.Second != 0 || dt.Msec != 0) {
                out += ' ';
                FormatInto(out, locale.LongTimeFormat, dt, depth + 1);
            }
            i += 1;
            afterHour = false;
            break;
        case 'a': {
            const std::size_t code = AmPmCodeAt(s, i);
            const bool morning = dt.Hour < 12;
            if (code == 5) // the code's own letters: "AM/PM" -> "AM", "am/pm" -> "am"
                out.append(s.substr(morning ? i : i + 3, 2));
            else if (code == 4)
                out += morning ? locale.TimeAMString : locale.TimePMString;
            else if (code == 3)
                out += s[morning ? i : i + 2];
            else
                out += c;
            i += code > 0 ? code : 1;
            break;
        }
        case '/':
            out += locale.DateSeparator;
            ++i;
            break;
        case ':':
            out += locale.TimeSeparator;
            ++i;
            break;
        default:
            out += c;
            ++i;
            break;
        }
    }
}

} // namespace

AnsiString FormatDateTime(std::string_view picture, double dateTime) {
    // Years 1 to 9999; a negative value counts days back with the time as the unsigned fraction,
    // so its whole days may reach one below the first day of year 1.
    if (!std::isfinite(dateTime) || dateTime <= -693594.0 || dateTime >= 2958466.0)
        throw EConvertError("Invalid date-time value");
    TDateParts parts;
    DecodeDate(dateTime, parts.Year, parts.Month, parts.Day);
    DecodeTime(dateTime, parts.Hour, parts.Minute, parts.Second, parts.Msec);
    parts.DayOfWeek = DayOfWeek(dateTime);
    // The parts index the locale's name tables: never trust them blindly.
    if (parts.Month < 1 || parts.Month > 12 || parts.DayOfWeek < 1 || parts.DayOfWeek > 7)
        throw EConvertError("Invalid date-time value");
    AnsiString out;
    FormatInto(out, picture.empty() ? std::string_view("c") : picture, parts, 0);
    return out;
}
