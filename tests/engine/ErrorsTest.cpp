// How builds end: a calculation error keeps its first text, shows it once under "错误" and leaves
// no pages; STOPREPORT ends the build without pages or message; scripts reach the engine.
#include "EngineFixture.h"

#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"
#include "report/VNMemoView.h"

#include "platform/FixedCanvas.h"

#include <gtest/gtest.h>

namespace {
void ListReport(TEngineFixture& f, TVNStrings rowText) {
    AddBand(*f.Page, "Title", bkTitle, 0, 40);
    AddMemo(*f.Page, "TitleText", 10, 5, 200, 20, {"Title"});
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 102, 300, 20, std::move(rowText));
}
} // namespace

TEST(BuildErrors, FirstCalculationErrorIsShownOnceAndThePagesAreCleared) {
    struct {
        TVNStrings Text;
        TVNStrings Script;
    } cases[] = {
        {{"[name] [STRTOINT(name)]"}, {}}, // a conversion error on every row
        {{"[(1 + ]"}, {}},                 // a malformed expression
        {{"[name]"}, {"x := STRTOINT('abc');"}},
    };
    for (auto& c : cases) {
        TEngineFixture f(TEngineFixture::Rows(40));
        ListReport(f, c.Text);
        f.Report.FindObject("Row")->OnBeforePrint = c.Script;
        f.Report.DoublePass = true;
        EXPECT_FALSE(f.Report.BuildReport()) << c.Text[0];
        EXPECT_EQ(f.PageCount(), 0);
        ASSERT_EQ(f.Messages.Service.Shown().size(), 1u) << c.Text[0];
        const auto& shown = f.Messages.Service.Shown()[0];
        EXPECT_EQ(shown.Caption, CP936("错误"));
        EXPECT_EQ(shown.Icon, TMsgIcon::Error);
        EXPECT_NE(shown.Text.find(CP936("计算时发生错误")), AnsiString::npos) << AnsiToUtf8(shown.Text);
        EXPECT_NE(shown.Text.find(CP936("对象:") + "Row"), AnsiString::npos) << shown.Text;
        EXPECT_TRUE(f.Report.ErrorFlag);
        // The next build starts clean.
        f.Report.FindObject("Row")->Memo = {"[name]"};
        f.Report.FindObject("Row")->OnBeforePrint.clear();
        EXPECT_TRUE(f.Report.BuildReport());
        EXPECT_FALSE(f.Report.ErrorFlag);
        EXPECT_EQ(f.Messages.Service.Shown().size(), 1u);
    }
}

TEST(BuildErrors, StopReportEndsTheBuildWithoutPages) {
    TEngineFixture f(TEngineFixture::Rows(40));
    ListReport(f, {"[name]"});
    f.Report.FindObject("Row")->OnBeforePrint = {"if [Line#] = 5 then StopReport;"};
    EXPECT_FALSE(f.Report.BuildReport());
    EXPECT_EQ(f.PageCount(), 0);
    EXPECT_TRUE(f.Messages.Texts().empty());
}

TEST(BuildErrors, ScriptsReachTheEngine) {
    TEngineFixture f(TEngineFixture::Rows(6));
    ListReport(f, {"[name] [n]"});
    // A band script asks for a page break after the third row; a view script counts.
    auto* data = static_cast<TVNBandView*>(f.Report.FindObject("Data"));
    data->OnAfterPrint = {"if [Line#] = 3 then NewPage;"};
    f.Report.FindObject("Row")->OnBeforePrint = {"n := [Line#] * 10;"};
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 2);
    // The request is carried out when the band prints next: the fourth row starts the new page.
    EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"r1 10", "r2 20", "r3 30"}));
    EXPECT_EQ(f.Texts(1, "Row"), (std::vector<AnsiString>{"r4 40", "r5 50", "r6 60"}));
}

TEST(BuildErrors, GeometryAtTheEndsOfTheIntRangeBuildsWithoutOverflow) {
    // What a damaged file or a script can put into a view; the build computes with clamped values
    // and the design keeps what it had.
    TEngineFixture f(TEngineFixture::Rows(3));
    ListReport(f, {"[name]"});
    TVNView* row = f.Report.FindObject("Row");
    row->Top = 2000000000;
    row->Height = 2000000000;
    row->Left = -2147483647;
    f.Report.FindObject("TitleText")->OnBeforePrint = {
        "begin Row.Width := 9000000000; Row.GapY := 2000000000; Row.LineSpacing := 2000000000;",
        "Row.Font.Size := -2000000000 end"};
    f.Report.BuildReport();
    EXPECT_EQ(f.Report.FindObject("Row")->Top, 2000000000);
    EXPECT_EQ(f.Report.FindObject("Row")->Height, 2000000000);
}

TEST(BuildErrors, ABuiltPageWithDamagedGeometryDrawsWithinBoundsAtAnyScale) {
    // A prepared-pages file is drawn as it is read, without a build in between: whatever edges it
    // holds, the page reader brings them into range, and drawing at a large scale (a tiny stored
    // paper on a printer page) keeps every painted edge far from the ends of the int range.
    TEngineFixture f(TEngineFixture::Rows(1));
    ListReport(f, {"[name]"});
    ASSERT_TRUE(f.Report.BuildReport());
    TVNEMFPages& pages = *f.Report.EMFPages;
    pages.DecodePage(0);
    for (TVNView* v : pages.Page(0).DecodedPage->Objects) {
        if (v->Name != "Row") continue;
        v->Left = -1886417009;
        v->Top = 2147483647;
        v->Width = -2147483647 - 1;
        v->Height = 2000000000;
        for (TVNFrameLine& line : v->Frames()) {
            line.Visible = 1;
            line.Width = -2000000.0f;
        }
    }
    pages.EncodePage(0);
    pages.Page(0).DecodedPage.reset();

    pages.DecodePage(0);
    TVNMemoView* row = nullptr;
    for (TVNView* v : pages.Page(0).DecodedPage->Objects)
        if (v->Name == "Row") row = static_cast<TVNMemoView*>(v);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Left, -VNMaxCoordinate);
    EXPECT_EQ(row->Top, VNMaxCoordinate);
    EXPECT_EQ(row->Width, -VNMaxCoordinate);
    EXPECT_EQ(row->Height, VNMaxCoordinate);

    TFixedCanvas canvas;
    pages.Page(0).Visible = 1;
    const TVNPrinterMetrics& m = pages.Page(0).Metrics;
    pages.DrawPage(0, canvas, TRect{0, 0, m.PaperWidthPx * 1000, m.PaperHeightPx * 1000});
    const TRect inner = row->InnerRect, text = MemoTextRect(*row);
    for (int edge : {inner.Left, inner.Top, inner.Right, inner.Bottom})
        EXPECT_LE(std::abs(std::int64_t(edge)), std::int64_t(1) << 28);
    EXPECT_LE(text.Right, inner.Right);
    EXPECT_LE(text.Bottom, inner.Bottom);
}
