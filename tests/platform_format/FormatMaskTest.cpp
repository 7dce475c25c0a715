// Edit-mask formatting: literals inserted or kept, blanks, "!" alignment, case codes, escapes,
// the locale's separators, double-byte characters and the ";0; " that FORMATTEXT appends.
#include "platform/Format.h"
#include "platform/Locale.h"

#include <gtest/gtest.h>

namespace {

class FormatMaskTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLocale(); }
    void TearDown() override { ResetLocale(); }
};

struct TMaskCase {
    std::string Mask;
    std::string Text;
    std::string Expected;
};

TEST_F(FormatMaskTest, TextLaidOverTheMask) {
    const std::vector<TMaskCase> cases = {
        {"000-0000;0;_", "1234567", "123-4567"},
        {"000-0000;0;_", "12", "12_-____"},
        {"!000-0000;0;_", "12345", "__1-2345"}, // missing characters become leading blanks
        {"000-0000;1;_", "123-4567", "123-4567"},
        {"000-0000;1;_", "1234567", "123-4567"}, // a literal the text left out is inserted
        {"(999)000-0000;0; ", "0105551234", "(010)555-1234"},
        {"(999)000-0000;0; ", "123", "(123)   -    "},
        {">LL<ll;0;_", "abCD", "ABcd"},
        {">L<>l;0;_", "ab", "Ab"},
        {"\\0\\L00;0;_", "12", "0L12"}, // escaped codes are literals
        {"00_00;0;*", "1234", "12 34"},
        {"99/99/9999;0;_", "01022024", "01-02-2024"}, // "/" is the locale's date separator
        {"00:00;0;_", "1230", "12:30"},
        {"00;0;_", "12345", "12"}, // characters beyond the mask are left out
        {"000;0", "1", "1__"},     // default blank
        {"000", "1", "1__"},       // literals saved by default
        {"0-0", "12", "1-2"},
        {"LLL;0;_", "1a!", "1a!"}, // shown, not validated
        {";0; ", "abc", "abc"},    // no mask: the text as it is
        {"", "abc", "abc"},
        {"000;1;*;0; ", "12", "12*"}, // the mask's own fields win over an appended ";0; "
        {"a\\;a;0;_", "xy", "x;y"},   // escaped field separator
    };
    for (const TMaskCase& c : cases)
        EXPECT_EQ(FormatMaskText(c.Mask, c.Text), c.Expected)
            << "mask \"" << c.Mask << "\", text \"" << c.Text << "\"";
}

TEST_F(FormatMaskTest, DoubleByteCharactersFillOnePositionAndStayWhole) {
    EXPECT_EQ(FormatMaskText("CCC-C;0;_", CP936("中文ab")), CP936("中文a-b"));
    EXPECT_EQ(FormatMaskText(CP936("000号;0;_"), "12"), CP936("12_号"));
    EXPECT_EQ(FormatMaskText(CP936("00年00;1;_"), CP936("12年34")), CP936("12年34"));
    EXPECT_EQ(FormatMaskText(">CC;0;_", CP936("中a")), CP936("中A")); // case codes leave pairs alone
    EXPECT_EQ(FormatMaskText("000;0;_", std::string("1\xB0", 2)), std::string("1\xB0_", 3));
}

} // namespace
