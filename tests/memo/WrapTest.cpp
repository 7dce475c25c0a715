// Word wrap on the fixed-metrics canvas: pieces, line-start marks, cutting long words, line
// breaks, MangeTag line splits, pre-wrapped text and the designer's single bracket line.
#include "MemoFixture.h"

namespace {

struct TWrapCase {
    const char* Name;
    const char* Text; // UTF-8; "\f" separates memo lines
    int Width;
    bool WordWrap, WordBreak, MangeTag;
    std::vector<const char*> Expected;
};

TVNStrings Lines(const char* utf8) {
    TVNStrings lines;
    std::string_view s(utf8);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == '\f') {
            lines.push_back(Utf8ToAnsi(s.substr(start, i - start)));
            start = i + 1;
        }
    return lines;
}

TVNStrings Wrap(const TVNStrings& lines, const TVNWrapOptions& o) {
    TFixedCanvas canvas;
    TFontSpec font;
    font.Height = -12; // 6 pixels a byte
    canvas.SetFont(font);
    TVNStrings out;
    WrapLines(canvas, lines, o, out);
    return out;
}

} // namespace

TEST(MemoWrap, Cases) {
    const TWrapCase cases[] = {
        {"short line is one line", "abc", 100, true, false, false, {"abc"}},
        {"empty line stays", "", 100, true, false, false, {""}},
        {"pieces end after space", "aa bb cc", 30, true, false, false, {"aa ", "bb cc"}},
        {"hyphen ends a piece", "ab-cd-ef", 30, true, false, false, {"ab-", "cd-ef"}},
        {"single bytes end before a double byte", "ab中文", 30, true, false, false, {"ab中", "文"}},
        {"comma alone on the next line", "中文字，", 36, true, false, false, {"中文字", "，"}},
        {"WordBreak takes the piece down with the comma",
         "中文字，好",
         36,
         true,
         true,
         false,
         {"中文", "字，好"}},
        {"WordBreak moves a single-byte piece", "中ab，", 30, true, true, false, {"中", "ab，"}},
        {"WordBreak leaves a fitting mark alone", "中文，", 36, true, true, false, {"中文，"}},
        {"long word cut between characters", "abcdefghij", 30, true, false, false, {"abcd", "efgh", "ij"}},
        {"narrow memo: one double-byte character a line", "中文", 10, true, false, false, {"中", "文"}},
        {"carriage return splits, line feed goes", "ab\r\ncd", 100, true, false, false, {"ab", "cd"}},
        {"no wrap keeps long lines", "abcdefghij", 30, false, false, false, {"abcdefghij"}},
        {"MangeTag quote starts a line without wrap", "a`b", 100, false, false, true, {"a", "b"}},
        {"MangeTag quote splits with wrap", "ab`cd", 100, true, false, true, {"ab", "cd"}},
        {"memo lines wrap one by one", "ab\fcd", 100, true, false, false, {"ab", "cd"}},
    };
    for (const TWrapCase& c : cases) {
        TVNWrapOptions o;
        o.Width = c.Width;
        o.WordWrap = c.WordWrap;
        o.WordBreak = c.WordBreak;
        o.MangeTag = c.MangeTag;
        TVNStrings expected;
        for (const char* e : c.Expected)
            expected.push_back(Utf8ToAnsi(e) + VNLineEnd);
        EXPECT_EQ(Wrap(Lines(c.Text), o), expected) << c.Name;
    }
}

TEST(MemoWrap, NeverSplitsADoubleByteCharacter) {
    // Mixed text cut on many widths: every output line is whole CP936 characters.
    const AnsiString text = Utf8ToAnsi("商品名称abc红富士苹果-12东北大米五常稻花香xyz");
    for (int width = 1; width < 80; ++width) {
        TVNWrapOptions o;
        o.Width = width;
        o.WordWrap = true;
        o.WordBreak = width % 2 == 0;
        AnsiString joined;
        for (const AnsiString& line : Wrap({text}, o)) {
            ASSERT_FALSE(line.empty());
            ASSERT_EQ(line.back(), VNLineEnd);
            const std::string_view body(line.data(), line.size() - 1);
            ASSERT_FALSE(body.empty()) << width; // at least one character a line
            for (std::size_t i = 0; i < body.size(); i += CharLengthAt(body, i))
                ASSERT_LE(i + CharLengthAt(body, i), body.size()) << width;
            joined += body;
        }
        EXPECT_EQ(joined, text) << width; // nothing lost or repeated
    }
}

TEST(MemoWrap, PreWrappedAndDesignerBracketLine) {
    TVNWrapOptions o;
    o.Width = 12;
    o.WordWrap = true;
    o.PreWrapped = true;
    const TVNStrings stored = Wrapped({"abcdef", "gh"});
    EXPECT_EQ(Wrap(stored, o), stored);

    o.PreWrapped = false;
    o.KeepBracketLine = true;
    EXPECT_EQ(Wrap({"[Long.Expression]"}, o), Wrapped({"[Long.Expression]"}));
    // Only a memo of exactly one such line.
    EXPECT_GT(Wrap({"[Long.Expression]", "x"}, o).size(), 2u);
}

TEST(MemoWrap, LineStartMarks) {
    // All 42 marks are known, ordinary characters are not.
    const AnsiString marks =
        Utf8ToAnsi("。，、；：？！…—·ˉ‘’“”～∶＂＇｀｜〔〕〈〉《》「」『』．〖〗【】（）［］｛｝");
    int count = 0;
    for (std::size_t i = 0; i < marks.size(); i += 2, ++count)
        EXPECT_TRUE(IsLineStartForbidden(marks, i)) << i;
    EXPECT_EQ(count, 42);
    const AnsiString plain = Utf8ToAnsi("中a");
    EXPECT_FALSE(IsLineStartForbidden(plain, 0));
    EXPECT_FALSE(IsLineStartForbidden(plain, 2));
}

TEST(MemoWrap, MangeTagWidthSkipsControls) {
    TFixedCanvas canvas;
    TFontSpec font;
    font.Size = 20;
    font.Height = -24; // 12 a byte; the small font is half: 6 a byte
    canvas.SetFont(font);
    EXPECT_EQ(MangeTextWidth(canvas, "ab"), 24);
    EXPECT_EQ(MangeTextWidth(canvas, "a~b|c"), 12 + 6 + 12);
    EXPECT_EQ(MangeTextWidth(canvas, "a_bc"), 12 + 12);
    EXPECT_EQ(canvas.Font(), font); // the canvas keeps its font
    EXPECT_EQ(DrawnCharCount(Utf8ToAnsi("a~中|b\x01"), true), 3);
}
