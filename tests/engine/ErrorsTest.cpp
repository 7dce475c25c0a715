// How builds end: a calculation error keeps its first text, shows it once under "错误" and leaves
// no pages; STOPREPORT ends the build without pages or message; scripts reach the engine.
#include "EngineFixture.h"

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
