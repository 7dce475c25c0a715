// Captions arrive as small rich-text documents: their paragraphs, alignment and fonts, and what
// damaged or unusual input gives.
#include "report/gridreport/VNCaptionText.h"

#include "report/VNMemoView.h"

#include <gtest/gtest.h>

TEST(CaptionText, ParagraphsWithAlignmentFontsAndStyles) {
    // The sheet's page header: the title centred in 黑体 22 pt, the condition left in 宋体 9 pt.
    const AnsiString hei = CP936("黑体"), song = CP936("宋体");
    auto hex = [](const AnsiString& s) {
        AnsiString out;
        const char* digits = "0123456789abcdef";
        for (unsigned char c : s)
            out += std::string("\\'") + digits[c >> 4] + digits[c & 15];
        return out;
    };
    const TVNStrings caption = {"{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil " + hex(hei) + ";}{\\f1\\fnil " +
                                    hex(song) + ";}}{\\colortbl ;\\red255\\green0\\blue0;}",
                                "\\pard\\qc\\f0\\fs44\\b [Title]\\b0\\par",
                                "\\pard\\ql\\f1\\fs18\\cf1 [Condi]\\line x\\par}"};
    const auto p = ReadCaptionParagraphs(caption);
    // A line break starts a paragraph of its own in the same format.
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].Text, "[Title]");
    EXPECT_EQ(p[0].Alignment, vntaCenterJustify);
    EXPECT_EQ(p[0].Font.Name, hei);
    EXPECT_EQ(p[0].Font.Size, 22);
    EXPECT_EQ(p[0].Font.Style, fsBold);
    EXPECT_EQ(p[1].Text, "[Condi]");
    EXPECT_EQ(p[2].Text, "x");
    EXPECT_EQ(p[2].Font.Color, p[1].Font.Color);
    EXPECT_EQ(p[1].Alignment, vntaLeftJustify);
    EXPECT_EQ(p[1].Font.Name, song);
    EXPECT_EQ(p[1].Font.Size, 9);
    EXPECT_EQ(p[1].Font.Color, 0x0000FFu);
}

TEST(CaptionText, UnusualInput) {
    struct TCase {
        TVNStrings Caption;
        std::vector<AnsiString> Texts;
    };
    const TCase cases[] = {
        {{}, {}},
        {{"{\\rtf1 \\par}"}, {}},                                   // an empty document adds nothing
        {{"plain", "two"}, {"plain", "two"}},                       // plain text: one paragraph per line
        {{"{\\rtf1 a\\par b}"}, {"a", "b"}},                        // text after the last \par
        {{"{\\rtf1 {\\*\\unknown skipped}\\{x\\}\\\\\\par}"}, {"{x}\\"}}, // unknown destinations, escapes
        {{"{\\rtf1 \\u20013?\\u-3?z\\par}"}, {CP936("中") + "?z"}},   // \uN, fallback skipped; none in CP936: "?"
        {{"{\\rtf1 {{{a\\par"}, {"a"}},                             // unbalanced braces
        {{"{\\rtf1 \\'b"}, {}},                                     // cut in the middle of a byte
        {{"{\\rtf1 \\fs999999999999 x}"}, {"x"}},                   // absurd numbers
    };
    for (const TCase& c : cases) {
        std::vector<AnsiString> texts;
        for (auto& p : ReadCaptionParagraphs(c.Caption))
            texts.push_back(p.Text);
        EXPECT_EQ(texts, c.Texts) << (c.Caption.empty() ? "" : c.Caption[0]);
    }
}
