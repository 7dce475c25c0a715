// The fixed-metrics canvas: the documented width and height rules the engine's layout tests build
// on, and the recorded line format of drawing calls.
#include "platform/FixedCanvas.h"
#include "platform/AnsiString.h"
#include "platform/Picture.h"

#include <gtest/gtest.h>

namespace {

// "合计" in CP936.
const AnsiString HeJi = "\xBA\xCF\xBC\xC6";

TFontSpec Font(int size, int height = 0, int width = 0) {
    TFontSpec f;
    f.Size = size;
    f.Height = height;
    f.Width = width;
    return f;
}

} // namespace

TEST(FixedCanvas, MetricsFollowTheDocumentedRule) {
    struct Case {
        TFontSpec Font;
        int Ppi;
        int Spacing;
        AnsiString Text;
        int Width;
        int Height;
    };
    const Case cases[] = {
        {Font(10), 96, 0, "abc", 21, 16},              // E = 13, unit 7
        {Font(12), 96, 0, "ab" + HeJi, 48, 20},        // E = 16, unit 8: 2 + 2*2 units
        {Font(9), 96, 0, HeJi, 24, 15},                // E = 12, unit 6
        {Font(10), 600, 0, "a", 42, 103},              // E = 83 at printer resolution
        {Font(10, -20), 96, 0, "ab", 20, 25},          // pixel height wins over the size
        {Font(10, 20), 96, 0, "ab", 16, 20},           // positive height is the cell: E = 16
        {Font(10, -20, 5), 96, 0, "a" + HeJi, 25, 25}, // squeezed width: unit 5, 5 units
        {Font(12), 96, 3, "ab" + HeJi, 60, 20},        // spacing after each of 4 characters
        {Font(12), 96, 0, "", 0, 20},
        {Font(12), 96, 0, "a\xBA", 16, 20}, // a lone lead byte at the end is one unit
    };
    for (const Case& c : cases) {
        TFixedCanvas canvas(c.Ppi, c.Ppi);
        canvas.SetFont(c.Font);
        canvas.SetCharSpacing(c.Spacing);
        EXPECT_EQ(canvas.TextWidth(c.Text), c.Width)
            << c.Text << " size " << c.Font.Size << " h " << c.Font.Height;
        EXPECT_EQ(canvas.TextHeight(c.Text), c.Height) << c.Text << " size " << c.Font.Size;
    }
}

TEST(FixedCanvas, RecordsTextWithItsFontAndState) {
    TFixedCanvas canvas;
    TFontSpec font = Font(9);
    font.Name = "Arial";
    font.Style = fsBold | fsUnderline;
    font.Color = clRed;
    canvas.SetFont(font);
    canvas.TextOut(5, 6, HeJi);

    font.Angle = 900;
    font.Height = -12;
    canvas.SetFont(font);
    canvas.SetCharSpacing(2);
    canvas.SetRightToLeft(true);
    canvas.TextRect(TRect{0, 0, 50, 20}, 1, 2, "x");

    ASSERT_EQ(canvas.Lines().size(), 2u);
    EXPECT_EQ(canvas.Lines()[0], "Text 5,6 \"" + HeJi + "\" font=Arial;9;BU;$000000FF");
    EXPECT_EQ(canvas.Lines()[1],
              "Text 1,2 \"x\" font=Arial;9;BU;$000000FF;h-12 angle=900 spacing=2 rtl clip=0,0,50,20");
}

TEST(FixedCanvas, RecordsShapesWithPenAndBrush) {
    TFixedCanvas canvas;
    canvas.SetPen(TPen{TPenStyle::Dash, 2, clBlue, TPenEnd::Square, TPenMode::Copy});
    canvas.MoveTo(0, 0);
    canvas.LineTo(10, 0);
    canvas.LineTo(10, 5); // continues from the end of the previous line
    canvas.SetBrush(TBrush{TBrushStyle::Clear, clWhite});
    canvas.Rectangle(TRect{1, 2, 3, 4});
    canvas.SetPen(TPen{TPenStyle::Clear, 1, clBlack});
    canvas.SetBrush(TBrush{TBrushStyle::Solid, clSilver});
    canvas.RoundRect(TRect{0, 0, 8, 8}, 2, 3);
    canvas.SetPen(TPen{TPenStyle::Solid, 1, clBlack, TPenEnd::Round, TPenMode::Xor});
    canvas.Ellipse(TRect{0, 0, 4, 4});
    canvas.Polygon({{0, 0}, {4, 0}, {2, 3}});
    canvas.Polyline({{0, 0}, {1, 1}});
    canvas.FillRect(TRect{0, 0, 2, 2});
    canvas.FrameRect(TRect{0, 0, 2, 2});

    const std::vector<std::string> expected = {
        "Line 0,0,10,0 pen=dash;2;$00FF0000;square",
        "Line 10,0,10,5 pen=dash;2;$00FF0000;square",
        "Rectangle 1,2,3,4 pen=dash;2;$00FF0000;square brush=clear",
        "RoundRect 0,0,8,8 2,3 pen=clear brush=solid;$00C0C0C0",
        "Ellipse 0,0,4,4 pen=solid;1;$00000000;mode14 brush=solid;$00C0C0C0",
        "Polygon 0,0 4,0 2,3 pen=solid;1;$00000000;mode14 brush=solid;$00C0C0C0",
        "Polyline 0,0 1,1 pen=solid;1;$00000000;mode14",
        "FillRect 0,0,2,2 brush=solid;$00C0C0C0",
        "FrameRect 0,0,2,2 brush=solid;$00C0C0C0",
    };
    EXPECT_EQ(canvas.Lines(), expected);
}

TEST(FixedCanvas, ClipStackIntersectsAndRestores) {
    TFixedCanvas canvas;
    EXPECT_FALSE(canvas.HasClip());
    canvas.PopClipRect(); // unbalanced pop is ignored
    canvas.PushClipRect(TRect{0, 0, 100, 50});
    canvas.PushClipRect(TRect{40, 10, 200, 30});
    EXPECT_EQ(canvas.ClipRect(), (TRect{40, 10, 100, 30}));
    canvas.PushClipRect(TRect{500, 500, 600, 600}); // disjoint: nothing visible
    EXPECT_TRUE(canvas.ClipRect().IsEmpty());
    canvas.PopClipRect();
    canvas.PopClipRect();
    EXPECT_EQ(canvas.ClipRect(), (TRect{0, 0, 100, 50}));
    canvas.PopClipRect();
    EXPECT_FALSE(canvas.HasClip());
    const std::vector<std::string> expected = {
        "Clip 0,0,100,50", "Clip 40,10,100,30", "Clip 0,0,0,0", "Unclip", "Unclip", "Unclip"};
    EXPECT_EQ(canvas.Lines(), expected);
}

TEST(FixedCanvas, RecordsPicturesButNotEmptyOnes) {
    TFixedCanvas canvas;
    canvas.DrawPicture(TRect{0, 0, 10, 10}, TPicture());
    canvas.DrawPicture(TRect{0, 0, 30, 20}, TPicture::FromRaster(TRasterImage(3, 2)), TPictureCopyMode::And);
    ASSERT_EQ(canvas.Lines().size(), 1u);
    EXPECT_EQ(canvas.Lines()[0], "Picture 0,0,30,20 bitmap 3x2 and");
}

TEST(Graphics, SystemColoursResolveAndPlainColoursPassThrough) {
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4u);
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201u);
    EXPECT_EQ(ColorToRGB(0x02FF0000), clBlue); // top byte dropped
    EXPECT_EQ(GetRValue(clRed), 255);
    EXPECT_EQ(GetBValue(clRed), 0);
}
