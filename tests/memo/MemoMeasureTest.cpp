// Measuring a memo for stretching and splitting: MeasureHeight with frames and Suppress, the
// one-line minimum, the remaining and fitting heights, and the font scaling by width and height.
#include "MemoFixture.h"

TEST(MemoMeasure, HeightOfWrappedText) {
    TMemoFixture f(0, 0, 44, 20); // usable width 38: three double-byte characters
    f.Memo->Memo = {Utf8ToAnsi("中文字，好")};
    f.Memo->SetFlag(flWordWrap, true);
    // Two lines of 12 + 2 spacing, less one spacing, plus the gaps (2 + 2).
    EXPECT_EQ(f.Memo->MeasureHeight(), 2 * 14 - 2 + 4);
    EXPECT_EQ(f.Memo->Memo1, Wrapped({"中文字", "，好"}));
    EXPECT_EQ(f.Memo->DrawMode, 1);

    // Frames: half of each visible top/bottom side, twice more for a double line.
    f.Memo->SetFrameTyp(15);
    f.Memo->SetProperty("FrameWidth", Value(2));
    EXPECT_EQ(f.Memo->MeasureHeight(), 30 + 1 + 1);
    f.Memo->BottomFrame().Style = fsDoubleLine;
    EXPECT_EQ(f.Memo->MeasureHeight(), 30 + 1 + 1 + 4);

    // Suppress: the same text as last time takes no room.
    f.Memo->SetFlag(flSuppress, true);
    f.Memo->LastValue = JoinLines(Wrapped({"中文字", "，好"}));
    EXPECT_EQ(f.Memo->MeasureHeight(), 0);
}

TEST(MemoMeasure, SlotsForSplitting) {
    TMemoFixture f(0, 0, 100, 45);
    EXPECT_EQ(f.Memo->MinLineHeight(), 2 + 2 + 12);
    f.Memo->Memo1 = {"a", "b", "c"};
    EXPECT_EQ(f.Memo->RemainingHeight(), 3 * 14);
    // 2 gaps + no frame + (45 - 4) mod 14.
    EXPECT_EQ(f.Memo->FitHeight(), 4 + 41 % 14);
}

TEST(MemoMeasure, ScaleFontSizeByHeightStopsAtFour) {
    TMemoFixture f(0, 0, 60, 20);
    f.Memo->Memo = {"aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii"};
    f.Memo->SetFlag(flWordWrap, true);
    f.Memo->SetFlag2(fl2ScaleFontSize, true);
    f.Memo->ScaleFontType = 1;
    f.Memo->Font.Size = 12;
    const auto texts = f.PaintedTexts();
    ASSERT_FALSE(texts.empty());
    for (const std::string& t : texts)
        EXPECT_NE(t.find("font=Arial;4;"), std::string::npos) << t;
    EXPECT_EQ(f.Memo->Font.Size, 12); // the design size comes back after the paint
}

TEST(MemoMeasure, ScaleFontSizeByWidthShrinksUntilItFits) {
    TMemoFixture f(0, 0, 40, 20); // usable 34
    f.Memo->Memo = {"abcdefgh"};
    f.Memo->SetFlag2(fl2ScaleFontSize, true);
    f.Memo->Font.Size = 12;
    f.Memo->MeasureHeight();
    // 8 bytes fit 34 pixels at 4 a byte (6 pt, em 8), not at 5 a byte (7 pt, em 9).
    EXPECT_EQ(f.Memo->Font.Size, 6);
}
