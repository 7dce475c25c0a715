// Number pictures and the float-to-text kinds: rounding of halves, sections and their fallbacks,
// grouping, literals (including double-byte ones whose trailing byte looks like a picture code),
// scientific notation and the locale's separators.
#include "platform/Format.h"
#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class FormatNumberTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLocale(); }
    void TearDown() override { ResetLocale(); }
};

struct TPictureCase {
    const char* Picture;
    double Value;
    const char* Expected;
};

void ExpectPictures(const std::vector<TPictureCase>& cases) {
    for (const TPictureCase& c : cases)
        EXPECT_EQ(FormatFloat(c.Picture, c.Value), c.Expected)
            << "picture \"" << c.Picture << "\", value " << c.Value;
}

TEST_F(FormatNumberTest, HalvesRoundAwayFromZeroOnTheFifteenDigitText) {
    ExpectPictures({
        {"0.00", 0.125, "0.13"},
        {"0.00", 0.135, "0.14"},
        {"0.00", 2.675, "2.68"}, // binary value lies below, its 15-digit text is a half
        {"0.00", 1.005, "1.01"},
        {"0.00", 0.145, "0.15"},
        {"0.00", 0.1251, "0.13"},
        {"0", 2.5, "3"},
        {"0", 3.5, "4"},
        {"0", -2.5, "-3"},
        {"#,##0", 999.5, "1,000"},
        {"0.00", 9.995, "10.00"},
        {"0.00", 0.1 + 0.2, "0.30"},
        // Beyond 15 significant digits a number has only zeros.
        {"#,##0.00", 123456789012345678.0, "123,456,789,012,346,000.00"},
    });
}

TEST_F(FormatNumberTest, DigitPlaceholdersAndGrouping) {
    ExpectPictures({
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0.00", 0, "0.00"},
        {"#,##0.00", 999.999, "1,000.00"},
        {"#,##0", 100, "100"},
        {"#,##0", 123456789, "123,456,789"},
        {",0", 1234, "1,234"},      // a comma anywhere in the integer part groups
        {"0.00,", 1234, "1234.00"}, // after the point it is ignored
        {"#,##0.00", 1e20, "100,000,000,000,000,000,000.00"},
        {"00000", 42, "00042"},
        {"#.##", 0.5, ".5"},
        {"#.##", 1, "1"},
        {"#.##", 0, ""},
        {"0.##", 1.5, "1.5"},
        {"0.##", 1.004, "1"},
        {"0.0#", 1, "1.0"},
        {"0.########", 2.5, "2.5"},
        {"0.##########", 0.1, "0.1"},
        {"0.##########", 1.0 / 3, "0.3333333333"},
        {"##0.", 1234.5, "1235"},
        {"##0.#", 1234.56, "1234.6"},
        {"0.00", 0.001, "0.00"},
        {".00", 12.5, "12.50"}, // integer digits without integer placeholders still print
        {"000-0000", 1234567, "123-4567"},
        {"00-00", 123456, "1234-56"}, // extra digits go in front of the first placeholder
    });
}

TEST_F(FormatNumberTest, SectionsAndTheirFallbacks) {
    ExpectPictures({
        {"0.00;(0.00)", -5, "(5.00)"},
        {"0.00;(0.00)", 5, "5.00"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"0.00;(0.00);'zero'", 0.001, "zero"}, // shown as zero: the zero section
        {"0.00;(0.00);'zero'", -0.001, "zero"},
        {"0.00;(0.00)", -0.001, "0.00"}, // no negative zero, in either section
        {"#,##0.00", -0.001, "0.00"},
        {"0", -0.4, "0"},
        {"0", -0.6, "-1"},
        {"0.00;;'zero'", -5, "-5.00"},         // empty negative section: positive with a minus
        {"0.00;(0.00);", 0, "0.00"},           // empty zero section: the positive one
        {"0.00;(0.00);'z';'ignored'", 0, "z"}, // a fourth section is ignored
        {"0;0;0", -7, "7"},                    // an explicit negative section carries no minus
        {"", 1234.5, "1234.5"},                // empty picture: general format
        {"", -1.5e-10, "-1.5E-10"},
        {"", 1e20, "1E20"},
        {"", 0.1 + 0.2, "0.3"},
        {";(0)", -5, "(5)"},
        {";(0)", 5, "5"},
    });
}

TEST_F(FormatNumberTest, LiteralsPassThrough) {
    ExpectPictures({
        {"'$'#,##0.00", 1234.5, "$1,234.50"},
        {"'$'#,##0.00", -1234.5, "-$1,234.50"},
        {"\"x;y\"0", 5, "x;y5"}, // a quoted ";" does not split sections
        {"0' kg'", 5, "5 kg"},
        {"0 kg", 5, "5 kg"},
        {"'0#.,'0", 5, "0#.,5"}, // codes inside quotes are text
        {"0'unterminated", 5, "5unterminated"},
        {"[0]", 5, "[5]"},
    });
    // Double-byte characters are copied whole; the trailing bytes of these look like "E" and "d".
    EXPECT_EQ(FormatFloat(CP936("0.00元"), 5), CP936("5.00元"));
    EXPECT_EQ(FormatFloat(CP936("0癊+0"), 12), CP936("1癊+2"));
    EXPECT_EQ(FormatFloat(CP936("'合计:'#,##0.00;'负'#,##0.00"), -1234.5), CP936("负1,234.50"));
    EXPECT_EQ(FormatFloat(CP936("0.00;负0.00;零"), 0), CP936("零"));
}

TEST_F(FormatNumberTest, ScientificNotation) {
    ExpectPictures({
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.00E+00", -1234.5, "-1.23E+03"},
        {"0.00E+00", 0.000123, "1.23E-04"},
        {"0.00E-00", 1234.5, "1.23E03"},
        {"0.00E-00", 0.000123, "1.23E-04"},
        {"0.0e+0", 12345, "1.2e+4"},
        {"00.0E+0", 12345, "12.3E+3"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.00E+00", 9.999, "1.00E+01"},
        {"0.0E+000", 1e-100, "1.0E-100"},
        {"0E+0", 5e7, "5E+7"},
        {"0Ex", 5, "5Ex"}, // E without a sign is text
    });
}

TEST_F(FormatNumberTest, SeparatorsComeFromTheLocaleAtEachCall) {
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1,234.50");
    Locale().DecimalSeparator = ',';
    Locale().ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(FormatFloat("", 2.5), "2,5");
    EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::Number, 15, 2), "1.234,50");
    Locale().ThousandSeparator = ' ';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1 234,50");
}

TEST_F(FormatNumberTest, NonFiniteValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatFloat("#,##0.00", nan), "NAN");
    EXPECT_EQ(FormatFloat("#,##0.00", inf), "INF");
    EXPECT_EQ(FormatFloat("#,##0.00", -inf), "-INF");
    EXPECT_EQ(FloatToStrF(-inf, TFloatFormat::Fixed, 15, 2), "-INF");
}

TEST_F(FormatNumberTest, CompiledPictureMatchesFormatFloatAndCacheKeepsPicturesApart) {
    const TNumberPicture picture("#,##0.00;(#,##0.00)");
    EXPECT_EQ(picture.Format(-1234.5), "(1,234.50)");
    AnsiString out = "x=";
    picture.AppendTo(out, 2);
    EXPECT_EQ(out, "x=2.00");
    // Alternating pictures must not be confused by the cache.
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(FormatFloat("0.0", 1.25), "1.3");
        EXPECT_EQ(FormatFloat("0.00", 1.25), "1.25");
    }
    // Many distinct pictures (the cache empties itself) still format correctly.
    for (int decimals = 0; decimals < 600; ++decimals) {
        const std::string pic = "0." + std::string(decimals % 20, '0') + std::string(decimals / 20, '#');
        ASSERT_EQ(FormatFloat(pic, 0.5).substr(0, 3), decimals % 20 == 0 && decimals / 20 == 0 ? "1" : "0.5")
            << pic;
    }
}

struct TFloatCase {
    double Value;
    TFloatFormat Format;
    int Precision;
    int Digits;
    const char* Expected;
};

TEST_F(FormatNumberTest, FloatToStrFKinds) {
    const std::vector<TFloatCase> cases = {
        {1234.5, TFloatFormat::Fixed, 15, 2, "1234.50"},
        {1234.5, TFloatFormat::Number, 15, 2, "1,234.50"},
        {-1234.5, TFloatFormat::Number, 15, 0, "-1,235"},
        {-0.001, TFloatFormat::Fixed, 15, 2, "0.00"},
        {0, TFloatFormat::Fixed, 15, 2, "0.00"},
        {0.5, TFloatFormat::Fixed, 15, 0, "1"},
        {1.5, TFloatFormat::Fixed, 15, 0, "2"},
        {0.05, TFloatFormat::Fixed, 15, 3, "0.050"},
        {1234.5678, TFloatFormat::Fixed, 6, 2, "1234.57"},
        {1234.5678, TFloatFormat::Fixed, 4, 2, "1235.00"},
        {1.0 / 3, TFloatFormat::Fixed, 15, 18, "0.333333333333333000"},
        {1.0, TFloatFormat::Fixed, 15, 40, "1.000000000000000000"}, // decimals capped at 18
        {1e20, TFloatFormat::Fixed, 15, 2, "1E20"},                 // too wide for the precision
        {999999.5, TFloatFormat::Number, 15, 0, "1,000,000"},
        {1234.5, TFloatFormat::Exponent, 4, 2, "1.235E+03"},
        {0, TFloatFormat::Exponent, 3, 0, "0.00E+0"},
        {0.00012, TFloatFormat::Exponent, 2, 3, "1.2E-004"},
        {-5, TFloatFormat::Exponent, 1, 1, "-5E+0"},
        {1234.5, TFloatFormat::General, 15, 0, "1234.5"},
        {1e15, TFloatFormat::General, 15, 0, "1E15"},
        {123456789012345.0, TFloatFormat::General, 15, 0, "123456789012345"},
        {0.00001, TFloatFormat::General, 15, 0, "0.00001"},
        {0.000001, TFloatFormat::General, 15, 0, "1E-6"},
        {1234.5, TFloatFormat::General, 3, 0, "1.23E3"},
        {1234.5, TFloatFormat::General, 3, 2, "1.23E03"},
        {-0.0, TFloatFormat::General, 15, 0, "0"},
        {100, TFloatFormat::General, 15, 0, "100"},
    };
    for (const TFloatCase& c : cases)
        EXPECT_EQ(FloatToStrF(c.Value, c.Format, c.Precision, c.Digits), c.Expected)
            << c.Value << " kind " << static_cast<int>(c.Format) << " " << c.Precision << "/" << c.Digits;
    EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::Currency, 15, 2), CP936("￥1,234.50"));
    EXPECT_EQ(FloatToStrF(-1234.5, TFloatFormat::Currency, 15, 2), CP936("-￥1,234.50"));
    EXPECT_EQ(FloatToStrF(-0.001, TFloatFormat::Currency, 15, 2), CP936("￥0.00"));
}

} // namespace
