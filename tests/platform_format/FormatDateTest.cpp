// Date-time pictures: every code, the minutes-after-hour rule, 12-hour clock, the locale's
// names, formats and separators, literals and double-byte characters that must not be read as
// codes, and out-of-range values.
#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/Value.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

class FormatDateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLocale(); }
    void TearDown() override { ResetLocale(); }

    // Tuesday 2024-03-05 14:07:09.045
    static double Sample() { return EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45); }
    static double At(int hour, int minute) { return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, 0, 0); }
};

struct TDateCase {
    std::string Picture;
    std::string Expected;
};

TEST_F(FormatDateTest, CodesOfASampleDateTime) {
    const std::vector<TDateCase> cases = {
        {"yyyy-mm-dd hh:nn:ss.zzz", "2024-03-05 14:07:09.045"},
        {"yy/m/d", "24-3-5"}, // "/" is the locale's date separator
        {"YYYY-MM-DD", "2024-03-05"},
        {"y", "24"},
        {"yyy", "2024"},
        {"h:n:s.z", "14:7:9.45"},
        {"h:m:s", "14:7:9"}, // m after h means minutes
        {"hh:mm", "14:07"},
        {"hh 'h' mm", "14 h 07"},
        {"m/d h", "3-5 14"},
        {"h d m", "14 5 3"}, // d comes between: month again
        {"yyyy.mm.dd", "2024.03.05"},
        {"yy.mm.dd", "24.03.05"},
        {"ddddd", "2024-3-5"},
        {"t", "14:07"},
        {"tt", "14:07:09"},
        {"c", "2024-3-5 14:07:09"},
        {"", "2024-3-5 14:07:09"},
        {"'Day' d", "Day 5"},
        {"\"hh\"hh", "hh14"},
        {"x", "x"},
        {"h:nn AM/PM", "2:07 PM"},
        {"h:nn am/pm", "2:07 pm"},
        {"h a/p", "2 p"},
        {"h A/P", "2 P"},
        {"h ampm", "2 PM"},
        {"hh:nn", "14:07"},
    };
    for (const TDateCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.Picture, Sample()), c.Expected) << "picture \"" << c.Picture << "\"";
}

TEST_F(FormatDateTest, TwelveHourClock) {
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", At(0, 30)), "12:30 AM");
    EXPECT_EQ(FormatDateTime("hh:nn am/pm", At(9, 5)), "09:05 am");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", At(12, 0)), "12:00 PM");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", At(23, 59)), "11:59 PM");
    EXPECT_EQ(FormatDateTime("AM/PM h", At(23, 0)), "PM 23"); // only a code after the hour counts
}

TEST_F(FormatDateTest, ChineseNamesFormatsAndLiterals) {
    const double sample = Sample();
    EXPECT_EQ(FormatDateTime("dddd yyyy MM dd", sample), CP936("星期二 2024 03 05"));
    EXPECT_EQ(FormatDateTime("ddd", sample), Locale().ShortDayNames[2]);
    EXPECT_EQ(FormatDateTime("mmm|mmmm", sample),
              Locale().ShortMonthNames[2] + "|" + Locale().LongMonthNames[2]);
    EXPECT_EQ(FormatDateTime("dddddd", sample), CP936("2024年3月5日"));
    EXPECT_EQ(FormatDateTime(CP936("dddd yyyy'年'M'月'd'日'"), sample), CP936("星期二 2024年3月5日"));
    EXPECT_EQ(FormatDateTime(CP936("yyyy年mm月dd日"), sample), CP936("2024年03月05日"));
    // Trailing bytes of these characters are "d", "m", "y", "h", "s", "n", "c": they stay text.
    EXPECT_EQ(FormatDateTime(CP936("癲眒皔癶皊皀癱"), sample), CP936("癲眒皔癶皊皀癱"));
    EXPECT_EQ(FormatDateTime(CP936("yyyy癲mm"), sample), CP936("2024癲03"));
    // A lone lead byte at the end is copied, not read past.
    EXPECT_EQ(FormatDateTime(std::string("d\xB0", 2), sample), std::string("5\xB0", 2));
}

TEST_F(FormatDateTest, LocaleSeparatorsAndOwnFormats) {
    Locale().DateSeparator = '/';
    Locale().TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", Sample()), "2024/03/05 14.07");
    Locale().ShortDateFormat = AnsiString("dd/mm/yyyy");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "05/03/2024"); // midnight: no time
    // A locale format that refers to itself does not recurse for ever.
    Locale().ShortDateFormat = AnsiString("c");
    EXPECT_NO_THROW(FormatDateTime("ddddd", Sample()));
}

TEST_F(FormatDateTest, YearRangeAndBadValues) {
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd yy", EncodeDate(1, 1, 1)), "0001-01-01 01");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(9999, 12, 31)), "9999-12-31");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", 0), "1899-12-30");
    EXPECT_THROW(FormatDateTime("yyyy", std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_THROW(FormatDateTime("yyyy", std::numeric_limits<double>::infinity()), EConvertError);
    EXPECT_THROW(FormatDateTime("yyyy", EncodeDate(9999, 12, 31) + 1), EConvertError);
    EXPECT_THROW(FormatDateTime("yyyy", EncodeDate(1, 1, 1) - 1), EConvertError);
}

} // namespace
