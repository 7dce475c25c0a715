// Scripts calling a view's methods by name: the list methods of a memo ("Lines", "Memo"), which
// evaluate their own arguments, and Hide/Show.
#include "EngineFixture.h"

#include <gtest/gtest.h>

TEST(ViewMethods, ScriptsReachTheListsOfAView) {
    struct {
        const char* Script;
        const char* Text; // the first row as built
    } cases[] = {
        {"Row.Lines.Add('加一行');", "r1|加一行"},
        {"Row.Lines.Add([name] + '!');", "r1|r1!"},
        {"Row.Memo.Add('m');", "r1|m"},
        {"Row.Lines.Clear;", ""},
        {"begin Row.Lines.Add('a'); Row.Lines.Delete(0) end", "a"},
        {"begin Row.Lines.Add('text'); Row.Lines.Add(Row.Lines.IndexOf('text')) end", "r1|text|1"},
        {"begin Row.Lines.Add('b'); n := Row.Lines.IndexOf('b') + 1; Row.Lines.Add(n) end", "r1|b|2"},
        {"Row.Hide;", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Script);
        TEngineFixture f(TEngineFixture::Rows(2));
        AddBand(*f.Page, "Data", bkMasterData, 100, 30)->FormatText = "Lines";
        AddMemo(*f.Page, "Row", 10, 102, 300, 20, {"[name]"});
        f.Report.FindObject("Row")->OnBeforePrint = {Utf8ToAnsi(c.Script)};
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        const std::vector<AnsiString> rows = f.Texts(0, "Row");
        if (c.Text == nullptr) {
            EXPECT_TRUE(rows.empty());
            continue;
        }
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(AnsiToUtf8(rows[0]), c.Text);
        // The design keeps its text: every row starts again from it.
        EXPECT_EQ(f.Report.FindObject("Row")->Memo, TVNStrings{"[name]"});
    }
}

TEST(ViewMethods, ShowBandOfTheBandOutsideBandsPrintsItOncePerPage) {
    TEngineFixture f(TEngineFixture::Rows(3));
    AddBand(*f.Page, "Free", bkNone, 400, 40);
    AddMemo(*f.Page, "FreeText", 10, 405, 200, 20, {"free"});
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 102, 300, 20, {"[name]"});
    data->OnAfterPrint = {"if [Line#] = 2 then ShowBand('Free');"};
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.Texts(0, "FreeText"), std::vector<AnsiString>{"free"});
    EXPECT_EQ(f.Texts(0, "Row").size(), 3u);
}
