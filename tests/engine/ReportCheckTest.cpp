// The author's check of a report: scripts that do not compile and bracketed expressions that do
// not close are listed with the object, the property and the place; a sound report has none.
#include "EngineFixture.h"

#include "report/VNReportCheck.h"
#include "report/VNStandardViews.h"

#include "platform/Picture.h"

#include <gtest/gtest.h>

TEST(ReportCheck, ListsEachProblemWithItsPlace) {
    TEngineFixture f(TEngineFixture::Rows(2));
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "Lines";
    TVNMemoView* row = AddMemo(*f.Page, "Row", 10, 102, 300, 20, {"[name]", "total: [SUM([qty]) + 1"});
    AddMemo(*f.Page, "Fine", 10, 130, 300, 20, {"[IF([qty] > 1, 'a', 'b')] \\[literal"});
    row->OnBeforePrint = {"if 1 = 1 and 2 = 2"};
    data->OnAfterPrint = {"begin", "  x := 1;", "  y := 2"};
    row->HighlightCondition = "([qty] > 1";

    const std::vector<TVNCheckProblem> problems = CheckReport(f.Report);
    std::vector<std::string> texts;
    for (const TVNCheckProblem& p : problems)
        texts.push_back(ProblemText(p));
    ASSERT_EQ(problems.size(), 4u) << ::testing::PrintToString(texts);
    EXPECT_EQ(problems[0].Object, "Data");
    EXPECT_EQ(problems[0].Property, "OnAfterPrint");
    EXPECT_EQ(problems[0].Line, 3);
    EXPECT_EQ(problems[0].Message, "Need \";\" or \"end\" here");
    EXPECT_EQ(problems[1].Object, "Row");
    EXPECT_EQ(problems[1].Property, "OnBeforePrint");
    EXPECT_EQ(problems[1].Line, 1);
    EXPECT_EQ(problems[1].Column, 16);
    EXPECT_EQ(problems[2].Property, "Memo");
    EXPECT_EQ(problems[2].Line, 2);
    EXPECT_EQ(problems[2].Column, 8);
    EXPECT_EQ(problems[2].Message, "\"[\" is never closed in [SUM([qty]) + 1]");
    EXPECT_EQ(problems[3].Property, "Highlight");

    // The same report mended has nothing to report.
    row->Memo = {"[name]", "total: [SUM([qty]) + 1]"};
    row->OnBeforePrint = {"if (1 = 1) and (2 = 2) then n := 1;"};
    data->OnAfterPrint = {"begin", "  x := 1;", "  y := 2", "end"};
    row->HighlightCondition = "[qty] > 1";
    for (const TVNCheckProblem& p : CheckReport(f.Report))
        ADD_FAILURE() << ProblemText(p);
}

TEST(ReportCheck, NamesAPictureThatCannotBeShown) {
    // A damaged compressed bitmap declaring 60,000 x 60,000 pixels draws as an empty frame; the
    // check says why, in Chinese.
    TEngineFixture f;
    auto* picture = reportmakers::AddNamed(*f.Page, new TVNPictureView, "Logo");
    std::string bmp = EncodeBmp(TRasterImage(1, 1), 8);
    bmp[30] = 1; // RLE8
    for (int at : {18, 22})
        for (int i = 0; i < 4; ++i)
            bmp[std::size_t(at + i)] = char((60000 >> (8 * i)) & 0xFF);
    picture->Picture.Kind = pkBitmap;
    picture->Picture.Data = bmp;
    const std::vector<TVNCheckProblem> problems = CheckReport(f.Report);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(ProblemText(problems[0]), CP936("Logo.Picture: 图片无法显示：压缩位图的尺寸 60000 × 60000 超过 2000 万像素的上限"));

    picture->Picture.Data = EncodeBmp(TRasterImage(1, 1), 8);
    EXPECT_TRUE(CheckReport(f.Report).empty());
}
