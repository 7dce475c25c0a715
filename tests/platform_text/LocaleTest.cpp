// The locale stand-in: defaults, rounding, number texts and date-time encoding and texts.
#include "platform/Locale.h"
#include "platform/Value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Restores the defaults whatever a test changed.
class LocaleTest : public ::testing::Test {
protected:
    void TearDown() override { ResetLocale(); }
};

// EConvertError whose message names the text.
template <typename F> void ExpectConvertError(F f, const std::string& text) {
    try {
        f();
        ADD_FAILURE() << "no error for \"" << text << "\"";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + text + "\""), std::string::npos) << e.what();
    }
}

} // namespace

TEST_F(LocaleTest, ChineseDefaults) {
    const TLocaleSettings& loc = Locale();
    EXPECT_EQ(loc.DecimalSeparator, '.');
    EXPECT_EQ(loc.ThousandSeparator, ',');
    EXPECT_EQ(loc.DateSeparator, '-');
    EXPECT_EQ(loc.ShortDateFormat, "yyyy-m-d");
    EXPECT_EQ(loc.LongDateFormat, CP936("yyyy'年'm'月'd'日'"));
    EXPECT_EQ(loc.LongTimeFormat, "h:nn:ss");
    EXPECT_EQ(loc.ShortTimeFormat, "h:nn");
    EXPECT_EQ(loc.LongDayNames[0], CP936("星期日"));
    EXPECT_EQ(loc.ShortDayNames[6], CP936("星期六"));
    EXPECT_EQ(loc.ShortMonthNames[11], CP936("12月"));
    EXPECT_EQ(loc.LongMonthNames[10], CP936("十一月"));
}

TEST_F(LocaleTest, RoundHalfEvenToWhole) {
    const std::pair<double, double> cases[] = {{0.5, 0},    {1.5, 2},    {2.5, 2},
                                               {-0.5, 0},   {-1.5, -2},  {-2.5, -2},
                                               {2.4999, 2}, {2.5001, 3}, {1e300, 1e300}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RoundHalfEven(in), out) << in;
    EXPECT_EQ(RoundToInt64(3.5), 4);
    EXPECT_EQ(RoundToInt64(-3.5), -4);
    EXPECT_THROW(RoundToInt64(1e19), EConvertError);
    EXPECT_THROW(RoundToInt64(std::nan("")), EConvertError);
}

TEST_F(LocaleTest, RoundHalfEvenToDecimalsJudgesTheDecimalText) {
    struct Case {
        double In;
        int Decimals;
        double Out;
    };
    const Case cases[] = {
        {2.675, 2, 2.68},   // binary 2.67499999.. but reads 2.675: a half, 7 is odd
        {2.665, 2, 2.66},   // half, 6 is even
        {1.005, 2, 1.0},    // half, 0 is even
        {1.0051, 2, 1.01},  // more than half
        {-2.675, 2, -2.68}, // symmetric
        {0.125, 2, 0.12},    {0.375, 2, 0.38}, {0.1 + 0.2, 1, 0.3}, {12345.5, 0, 12346},
        {12344.5, 0, 12344}, {1250, -2, 1200}, // negative decimals round to tens, hundreds ...
        {1350, -2, 1400},    {0.004, 2, 0},    {0.0049, 1, 0},      {123.456, 10, 123.456}, // nothing to cut
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundHalfEven(c.In, c.Decimals), c.Out) << c.In << " to " << c.Decimals;
}

TEST_F(LocaleTest, RoundHalfAwayFromZero) {
    const std::pair<double, std::int64_t> cases[] = {{0.5, 1},   {1.5, 2},  {2.5, 3},
                                                     {-2.5, -3}, {2.49, 2}, {-0.4, 0}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RoundHalfAwayFromZero(in), out) << in;
}

TEST_F(LocaleTest, StrToFloat) {
    const std::pair<const char*, double> good[] = {
        {"1.5", 1.5},  {" -2.25 ", -2.25}, {"+3", 3},    {".5", 0.5}, {"5.", 5},
        {"1e3", 1000}, {"1.5E-2", 0.015},  {"\t7\n", 7}, {"0", 0},    {"1e-400", 0},
    };
    for (const auto& [text, v] : good)
        EXPECT_EQ(StrToFloat(text), v) << text;
    for (const char* text :
         {"", " ", "abc", "1.2.3", "1,5", "1e", "e5", "--1", "1 2", "0x10", "inf", "nan", "1e999", "."})
        ExpectConvertError([&] { StrToFloat(text); }, text);

    Locale().DecimalSeparator = ',';
    EXPECT_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_FALSE(TryStrToFloat("1.5"));
}

TEST_F(LocaleTest, StrToInt64) {
    const std::pair<const char*, std::int64_t> good[] = {{"42", 42},
                                                         {" -7 ", -7},
                                                         {"$FF", 255},
                                                         {"0x10", 16},
                                                         {"9223372036854775807", INT64_MAX},
                                                         {"-9223372036854775808", INT64_MIN}};
    for (const auto& [text, v] : good)
        EXPECT_EQ(StrToInt64(text), v) << text;
    for (const char* text : {"", "1.5", "abc", "9223372036854775808", "- 1", "+-1", "12a"})
        ExpectConvertError([&] { StrToInt64(text); }, text);
}

TEST_F(LocaleTest, FloatToStrShortestWithFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {1.5, "1.5"},
        {0.1 + 0.2, "0.3"},
        {100, "100"},
        {0, "0"},
        {-0.0, "0"},
        {-1.25, "-1.25"},
        {1e20, "1E20"},
        {1.5e-5, "1.5E-5"},
        {1e-5, "1E-5"},
        {0.0001, "0.0001"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-1.5e300, "-1.5E300"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(FloatToStr(v), text) << text;
    Locale().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(IntToStr(-12), "-12");
}

TEST_F(LocaleTest, DateEncodingRoundTrips) {
    struct Case {
        int Y, M, D;
        double Serial;
        int Weekday; // 1 = Sunday
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 7},    {1899, 12, 31, 1, 1},       {1899, 12, 29, -1, 6},
        {1900, 1, 1, 2, 2},      {1900, 2, 28, 60, 4},       {1900, 3, 1, 61, 5}, // 1900 is not a leap year
        {2000, 2, 29, 36585, 3}, {2024, 2, 29, 45351, 5},    {2024, 1, 2, 45293, 3},
        {1, 1, 1, -693593, 2},   {9999, 12, 31, 2958465, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeDate(c.Y, c.M, c.D), c.Serial) << c.Y << "-" << c.M << "-" << c.D;
        int y, m, d;
        DecodeDate(c.Serial, y, m, d);
        EXPECT_EQ(std::tie(y, m, d), std::tie(c.Y, c.M, c.D)) << c.Serial;
        EXPECT_EQ(DayOfWeek(c.Serial), c.Weekday) << c.Serial;
    }
    for (const auto& [y, m, d] : {std::tuple{1900, 2, 29},
                                  {2023, 2, 29},
                                  {2024, 13, 1},
                                  {2024, 4, 31},
                                  {0, 1, 1},
                                  {10000, 1, 1},
                                  {2024, 0, 1},
                                  {2024, 1, 0}})
        EXPECT_THROW(EncodeDate(y, m, d), EConvertError) << y << "-" << m << "-" << d;

    const std::pair<int, bool> leap[] = {
        {1900, false}, {2000, true}, {2023, false}, {2024, true}, {2100, false}};
    for (const auto& [year, isLeap] : leap)
        EXPECT_EQ(IsLeapYear(year), isLeap) << year;
}

TEST_F(LocaleTest, TimeFractionFollowsTheClassicRule) {
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    EXPECT_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(1, 60, 0, 0), EConvertError);

    struct Case {
        double Serial;
        int Y, M, D, H, N, S, Ms;
    };
    const Case cases[] = {
        {1.5, 1899, 12, 31, 12, 0, 0, 0},
        {-1.25, 1899, 12, 29, 6, 0, 0, 0}, // before the epoch the fraction still counts forward
        {-0.5, 1899, 12, 30, 12, 0, 0, 0},
        {45293.0 + 0.999999999999, 2024, 1, 3, 0, 0, 0, 0}, // rounds up to the next midnight
        {45293.0 + EncodeTime(13, 45, 30, 250), 2024, 1, 2, 13, 45, 30, 250},
    };
    for (const Case& c : cases) {
        int y, m, d, h, n, s, ms;
        DecodeDate(c.Serial, y, m, d);
        DecodeTime(c.Serial, h, n, s, ms);
        EXPECT_EQ(std::tie(y, m, d, h, n, s, ms), std::tie(c.Y, c.M, c.D, c.H, c.N, c.S, c.Ms)) << c.Serial;
    }
}

TEST_F(LocaleTest, ParsesDateAndTimeTexts) {
    const double jan2 = EncodeDate(2024, 1, 2);
    struct Case {
        const char* Text;
        double Expected;
    };
    const Case dates[] = {{"2024-1-2", jan2}, {"2024-01-02", jan2}, {" 2024/1/2 ", jan2}, {"1899-12-30", 0}};
    for (const Case& c : dates)
        EXPECT_EQ(StrToDate(c.Text), c.Expected) << c.Text;
    const Case times[] = {{"13:45", EncodeTime(13, 45, 0, 0)},
                          {"13:45:30", EncodeTime(13, 45, 30, 0)},
                          {"1:05:07.5", EncodeTime(1, 5, 7, 500)},
                          {"1:30 PM", EncodeTime(13, 30, 0, 0)},
                          {"12:00 AM", 0},
                          {"0:00", 0}};
    for (const Case& c : times)
        EXPECT_EQ(StrToTime(c.Text), c.Expected) << c.Text;
    const Case dateTimes[] = {{"2024-1-2 13:45:30", jan2 + EncodeTime(13, 45, 30, 0)},
                              {"2024-1-2", jan2},
                              {"6:00", 0.25},
                              {"1899-12-29 6:00", -1.25}};
    for (const Case& c : dateTimes)
        EXPECT_EQ(StrToDateTime(c.Text), c.Expected) << c.Text;

    int y, m, d;
    DecodeDate(StrToDate("3-4"), y, m, d); // month and day of this year
    EXPECT_EQ(m, 3);
    EXPECT_EQ(d, 4);
    DecodeDate(StrToDate("24-1-2"), y, m, d); // two-digit years fall in the window around today
    EXPECT_EQ(y, 2024);

    for (const char* text : {"", "abc", "2024-13-1", "2023-2-29", "2024-1", "2024-1-2x", "2024.1.2"})
        ExpectConvertError([&] { StrToDate(text); }, text);
    for (const char* text : {"25:00", "12:60", "13:00 PM", "1:2:3:4", "x"})
        ExpectConvertError([&] { StrToTime(text); }, text);
    for (const char* text : {"2024-1-2 25:00", "2024-1-2 x"})
        ExpectConvertError([&] { StrToDateTime(text); }, text);

    Locale().ShortDateFormat = "d/m/yyyy";
    Locale().DateSeparator = '/';
    EXPECT_EQ(StrToDate("2/1/2024"), jan2);
}

TEST_F(LocaleTest, DateAndTimeTexts) {
    const double dt = EncodeDate(2024, 1, 2) + EncodeTime(9, 5, 7, 0);
    EXPECT_EQ(DateToStr(dt), "2024-1-2");
    EXPECT_EQ(TimeToStr(dt), "9:05:07");
    EXPECT_EQ(DateTimeToStr(dt), "2024-1-2 9:05:07");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 12, 31)), "2024-12-31"); // midnight shows no time
    EXPECT_EQ(DateTimeToStr(EncodeDate(1899, 12, 29) - 0.25), "1899-12-29 6:00:00");
    EXPECT_THROW(DateTimeToStr(1e300), EConvertError);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(dt)), dt);

    Locale().ShortDateFormat = Locale().LongDateFormat;
    EXPECT_EQ(DateToStr(dt), CP936("2024年1月2日"));
}
