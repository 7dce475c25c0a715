// Painting a memo on the fixed-metrics canvas: placement by layout and alignment, every
// rotation, justification, ruled lines, auto width, and export mode's line reports with their
// frame sides. The memo sits at (10, 20), 100 x 50: its text rectangle is 11,20 - 109,70.
#include "MemoFixture.h"

namespace {

std::string Prefix(const std::string& line) {
    // "Text x,y" of a recorded text call.
    return line.substr(0, line.find(' ', 5));
}

struct TLineRecord {
    int X, Y, Bits;
    AnsiString Text;
    bool operator==(const TLineRecord&) const = default;
};

class TRecordingSink : public IVNExportSink, public IVNTextLineSink {
public:
    std::vector<TLineRecord> Lines;
    int Views = 0;
    void ViewPrinted(TVNView&, int, int) override { ++Views; }
    void TextLine(const TRect&, int x, int y, TVNView&, int frameBits, const AnsiString& text) override {
        Lines.push_back({x, y, frameBits, text});
    }
};

} // namespace

TEST(MemoPaint, LayoutAndAlignment) {
    const struct {
        int Adjust;
        const char* Expected;
    } cases[] = {
        {int(vntaLeftJustify) | vntlTop, "Text 13,22"},    {int(vntaRightJustify) | vntlTop, "Text 95,22"},
        {int(vntaCenterJustify) | vntlTop, "Text 54,22"},  {int(vntaLeftJustify) | vntlCenter, "Text 13,39"},
        {int(vntaLeftJustify) | vntlBottom, "Text 13,56"}, {int(vntaRightJustify) | vntlBottom, "Text 95,56"},
    };
    for (const auto& c : cases) {
        TMemoFixture f;
        f.Memo->Memo = {"ab"};
        f.Memo->Adjust = c.Adjust;
        const auto texts = f.PaintedTexts();
        ASSERT_EQ(texts.size(), 1u) << c.Adjust;
        EXPECT_EQ(Prefix(texts[0]), c.Expected) << c.Adjust;
    }
    // A plain line is one clipped call in the memo's font.
    TMemoFixture f;
    f.Memo->Memo = {"ab", "cd"};
    f.Memo->Font.Name = "SimSun";
    f.Memo->Font.Color = clRed;
    f.Memo->Font.Style = fsBold;
    const auto texts = f.PaintedTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Text 13,22 \"ab\" font=SimSun;9;B;$000000FF;h-12 clip=11,20,109,70");
    EXPECT_EQ(Prefix(texts[1]), "Text 13,36");
}

TEST(MemoPaint, Rotations) {
    const struct {
        int Rotation;
        std::vector<std::string> Expected; // prefix and angle of each character call
    } cases[] = {
        {rt90, {"Text 13,68 angle=900", "Text 13,62 angle=900"}},
        {rt270, {"Text 107,22 angle=2700", "Text 107,28 angle=2700"}},
        {rt180, {"Text 98,22 angle=0", "Text 98,37 angle=0"}},
        {rt360, {"Text 13,34 angle=900", "Text 19,34 angle=900"}},
    };
    for (const auto& c : cases) {
        TMemoFixture f;
        f.Memo->Memo = {"ab"};
        f.Memo->RotationType = std::uint8_t(c.Rotation);
        std::vector<std::string> got;
        for (const std::string& t : f.PaintedTexts()) {
            auto at = t.find("angle=");
            got.push_back(Prefix(t) + " angle=" +
                          (at == std::string::npos ? "0" : t.substr(at + 6, t.find(' ', at) - at - 6)));
        }
        EXPECT_EQ(got, c.Expected) << c.Rotation;
    }
}

TEST(MemoPaint, JustifiedLineSpreadsTheSpareRoom) {
    // Text rectangle 42 wide: 5 characters of 6 leave 42 - 30 - 2 * 2 = 8, so 2 after each of
    // the first four.
    TMemoFixture f(10, 20, 44, 50);
    f.Memo->Memo = {"abcde", "x"};
    f.Memo->Adjust = vntaEuqalJustify;
    const auto texts = f.PaintedTexts();
    std::vector<std::string> prefixes;
    for (const auto& t : texts)
        prefixes.push_back(Prefix(t));
    const std::vector<std::string> expected = {"Text 13,22", "Text 21,22", "Text 29,22",
                                               "Text 37,22", "Text 45,22", "Text 13,36"};
    EXPECT_EQ(prefixes, expected);
}

TEST(MemoPaint, FillFrameAndRuledLines) {
    TMemoFixture f;
    f.Memo->FillColor = clYellow;
    f.Memo->SetFrameTyp(VNftBottom);
    f.Memo->SetFlag(flUnderlines, true);
    const std::vector<std::string> expected = {
        "FillRect 10,20,111,71 brush=solid;$0000FFFF", "Line 10,70,110,70 pen=solid;1;$00000000;square",
        "Line 10,36,109,36 pen=solid;1;$00000000",     "Line 10,50,109,50 pen=solid;1;$00000000",
        "Line 10,64,109,64 pen=solid;1;$00000000",
    };
    EXPECT_EQ(f.Paint(), expected);
}

TEST(MemoPaint, AutoWidthKeepsTheRightEdge) {
    TMemoFixture f;
    f.Memo->Memo = {"abcd", "ab"};
    f.Memo->SetFlag(flAutoWidth, true);
    f.Memo->Adjust = vntaRightJustify;
    f.Paint();
    // Widest line 24 + gaps 4 + 1.
    EXPECT_EQ(f.Memo->Width, 29);
    EXPECT_EQ(f.Memo->Left, 10 + 100 - 29);
}

TEST(MemoPaint, ExportModeReportsLinesWithTheirFrameSides) {
    TRecordingSink sink;
    TScopedValue exporting(VNState().ExportMode, true);
    {
        TMemoFixture f;
        f.Report.ExportSink = &sink;
        f.Memo->SetFrameTyp(15);
        f.Memo->Memo = {"a", "b", "c"};
        EXPECT_TRUE(f.Paint().empty()); // nothing drawn in export mode
        const std::vector<TLineRecord> expected = {{13, 22, 13, "a"}, {13, 36, 5, "b"}, {13, 50, 7, "c"}};
        EXPECT_EQ(sink.Lines, expected);

        sink.Lines.clear();
        f.Memo->Memo = {"one"};
        f.Paint();
        ASSERT_EQ(sink.Lines.size(), 1u);
        EXPECT_EQ(sink.Lines[0].Bits, 15);

        sink.Lines.clear();
        f.Memo->RotationType = rt90;
        f.Paint();
        ASSERT_EQ(sink.Lines.size(), 1u);
        EXPECT_EQ(sink.Lines[0].Bits, 0);
    }
}
