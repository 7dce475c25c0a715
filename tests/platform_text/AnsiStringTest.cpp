// CP936 text: the lead-byte rule, conversions with replacement of bad bytes, trimming and the
// single-byte case rules that must leave double-byte characters alone.
#include "platform/AnsiString.h"

#include <gtest/gtest.h>

namespace {

// "盘点" in CP936 is C5 CC B5 E3.
const AnsiString PanDian = "\xC5\xCC\xB5\xE3";

} // namespace

TEST(AnsiString, LeadByteRange) {
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0xFE));
    EXPECT_FALSE(IsLeadByte(0xFF));
}

TEST(AnsiString, CharBoundaries) {
    // The trail byte of a pair may itself lie in the lead range, so only a walk from the start knows.
    const AnsiString text = "a\xC5\xCC\xB5\xE3"
                            "b\x81";
    struct Case {
        std::size_t Index;
        std::size_t Length;
        bool Trail;
    };
    const Case cases[] = {{0, 1, false}, {1, 2, false}, {2, 2, true}, {3, 2, false},
                          {4, 2, true},  {5, 1, false}, {6, 1, false}}; // lone lead at the end
    for (const Case& c : cases) {
        EXPECT_EQ(CharLengthAt(text, c.Index), c.Length) << c.Index;
        EXPECT_EQ(IsTrailByteAt(text, c.Index), c.Trail) << c.Index;
    }
    // A lead byte followed by a byte that cannot trail (a control byte) stands alone.
    EXPECT_EQ(CharLengthAt("\x81\n", 0), 1u);
}

TEST(AnsiString, ConvertsBothWays) {
    EXPECT_EQ(CP936("盘点损益表"), Utf8ToAnsi("盘点损益表"));
    EXPECT_EQ(Utf8ToAnsi("盘点"), PanDian);
    EXPECT_EQ(AnsiToUtf8(PanDian + "ab"), "盘点ab");
    EXPECT_EQ(AnsiToUtf16(PanDian), u"盘点");
    EXPECT_EQ(Utf16ToAnsi(u"x盘点y"), "x" + PanDian + "y");
    EXPECT_EQ(AnsiToUtf16("\x80"), u"\u20AC"); // the euro sign is the one single byte above 0x7F
    EXPECT_EQ(Utf16ToAnsi(u"\u20AC"), "\x80");
    EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x98\x80"), u"a\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(u"a\U0001F600盘"), "a\xF0\x9F\x98\x80盘");
    EXPECT_EQ(AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(AnsiString, EveryMappedCharacterRoundTrips) {
    // Walks the whole double-byte plane: each pair that maps to Unicode must come back unchanged,
    // so no character is silently turned into another one.
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const AnsiString pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string u = AnsiToUtf16(pair);
            ASSERT_EQ(u.size(), 1u);
            if (u[0] == 0xFFFD) continue;
            ++mapped;
            EXPECT_EQ(Utf16ToAnsi(u), pair) << std::hex << lead << " " << trail;
            EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(pair)), pair) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(mapped, 21000); // GBK holds about 21,900 characters
}

TEST(AnsiString, InvalidBytesAreReplacedNeverDropped) {
    struct Case {
        const char* Name;
        AnsiString Ansi;
        std::u16string Expected;
    };
    const Case cases[] = {
        {"lone lead at end", "ab\x81", u"ab\uFFFD"},
        {"lead before a control byte", "\x81\nx", u"\uFFFD\nx"},
        {"lead before 0x7F", "\x81\x7F", u"\uFFFD\x7F"},
        {"lead before a byte above the trail range", "\x81\xFF", u"\uFFFD\uFFFD"},
        {"byte 0xFF",
         "a\xFF"
         "b",
         u"a\uFFFDb"},
        {"well-formed but unmapped pair", "\xA2\xE3z", u"\uFFFDz"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToUtf16(c.Ansi), c.Expected) << c.Name;
        EXPECT_EQ(AnsiToUtf8(c.Ansi), Utf16ToUtf8(c.Expected)) << c.Name;
    }
}

TEST(AnsiString, UnencodableAndMalformedUnicodeBecomesQuestionMark) {
    struct Case {
        const char* Name;
        std::string Utf8;
        AnsiString Expected;
    };
    const Case cases[] = {
        {"character outside CP936",
         "a\xF0\x9F\x98\x80"
         "b",
         "a?b"},
        {"stray continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"truncated sequence keeps the next character",
         "\xE7\x9B"
         "a",
         "??a"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"encoded surrogate", "\xED\xA0\x80", "???"},
        {"Hangul is not in GBK", "\xED\x95\x9C", "?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToAnsi(c.Utf8), c.Expected) << c.Name;

    EXPECT_EQ(Utf16ToAnsi(std::u16string{u'a', char16_t(0xD800), u'b'}), "a?b"); // lone high surrogate
    EXPECT_EQ(Utf16ToAnsi(std::u16string{char16_t(0xDC00)}), "?");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf8ToUtf16("\xFF"
                          "a"),
              u"\uFFFDa");
}

TEST(AnsiString, Trimming) {
    struct Case {
        AnsiString In, Both, Left, Right;
    };
    const Case cases[] = {
        {"  a b \t\r\n", "a b", "a b \t\r\n", "  a b"},
        {"", "", "", ""},
        {" \x01\x1F ", "", "", ""},
        {" " + PanDian + " ", PanDian, PanDian + " ", " " + PanDian},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Trim(c.In), c.Both);
        EXPECT_EQ(TrimLeft(c.In), c.Left);
        EXPECT_EQ(TrimRight(c.In), c.Right);
    }
}

TEST(AnsiString, CaseMappingLeavesPairsIntact) {
    // 0x81 0x61 is a double-byte character whose trail byte is the letter "a"; 0xC5 0x5A has "Z".
    struct Case {
        AnsiString In, Upper, Lower;
    };
    const Case cases[] = {
        {"abcXYZ09_", "ABCXYZ09_", "abcxyz09_"},
        {"\x81\x61"
         "a",
         "\x81\x61"
         "A",
         "\x81\x61"
         "a"},
        {"\xC5\x5A"
         "Z",
         "\xC5\x5A"
         "Z",
         "\xC5\x5A"
         "z"},
        {"a\x81", "A\x81", "a\x81"},       // lone lead at the end
        {"\x81\na", "\x81\nA", "\x81\na"}, // lead that cannot pair with a control byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpperCase(c.In), c.Upper);
        EXPECT_EQ(LowerCase(c.In), c.Lower);
    }
}

TEST(AnsiString, CompareTextFoldsSingleByteLettersOnly) {
    struct Case {
        AnsiString A, B;
        int Sign;
    };
    const Case cases[] = {
        {"abc", "ABC", 0},
        {"abc", "abd", -1},
        {"ab", "abc", -1},
        {"b", "A", 1},
        {"", "", 0},
        {"\x81\x61", "\x81\x41", 1}, // trail bytes are not letters: the pairs differ
        {"x" + PanDian, "X" + PanDian, 0},
    };
    for (const Case& c : cases) {
        const int r = CompareText(c.A, c.B);
        EXPECT_EQ((r > 0) - (r < 0), c.Sign) << c.A << " vs " << c.B;
        EXPECT_EQ(SameText(c.A, c.B), c.Sign == 0);
    }
}
