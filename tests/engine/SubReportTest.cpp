// Subreports on built pages: side by side across a break of the outer page, group footers with
// their own group, two subreports walking one data set, a subreport inside a subreport breaking
// across outer pages, and the row counters a subreport's group headers, rows and footers print.
#include "EngineFixture.h"

#include <gtest/gtest.h>

namespace {

TVNSubReportView* AddSubReport(TVNPage& page, const AnsiString& name, int left, int top, int subPage) {
    auto* sub = new TVNSubReportView;
    sub->Name = name;
    sub->PlaceAt(left, top, 300, 30);
    sub->SubPage = subPage;
    page.Add(sub);
    return sub;
}

// One outer row holding the given subreports: the band the subreports print in.
void AddOuterRow(TEngineFixture& f) { AddBand(*f.Page, "Outer", bkMasterData, 100, 30)->FormatText = "1"; }

// The outer row with two subreports side by side: "SubA" printing page 1 at 57, "SubB" page 2
// at 400.
void AddSideBySide(TEngineFixture& f) {
    AddOuterRow(f);
    AddSubReport(*f.Page, "SubA", 57, 100, 1);
    AddSubReport(*f.Page, "SubB", 400, 100, 2);
}

// A page of rows over a data source, each row one memo of the given text at the row's left.
TVNPage& AddRowsPage(TEngineFixture& f, const AnsiString& memo, const AnsiString& source, int height,
                     const AnsiString& text) {
    TVNPage& p = f.AddPage();
    AddBand(p, memo + "Rows", bkMasterData, 0, height)->FormatText = source;
    AddMemo(p, memo, 0, 0, 200, height, {text});
    return p;
}

// The texts of the named views over all pages, in page order.
std::vector<AnsiString> AllOf(TEngineFixture& f, const AnsiString& name) {
    std::vector<AnsiString> out;
    for (auto& [page, text] : f.AllTexts(name))
        out.push_back(text);
    return out;
}

// Rows of the data set "Lines" grouped by "grp": a group header, the rows and a group footer,
// each with one memo of the given text.
void AddGroupedRows(TVNPage& p, const AnsiString& head, const AnsiString& row, const AnsiString& foot) {
    AddBand(p, "Group", bkGroupHeader, 0, 20)->FormatText = "[grp]";
    AddMemo(p, "Head", 0, 0, 200, 20, {head});
    AddBand(p, "Rows", bkMasterData, 30, 20)->FormatText = "Lines";
    AddMemo(p, "Row", 0, 30, 200, 20, {row});
    AddBand(p, "GroupFoot", bkGroupFooter, 60, 20);
    AddMemo(p, "Foot", 0, 60, 200, 20, {foot});
}

std::vector<AnsiString> Names(int from, int to) {
    std::vector<AnsiString> out;
    for (int i = from; i <= to; ++i)
        out.push_back("r" + std::to_string(i));
    return out;
}

} // namespace

TEST(SubReport, SideBySideAcrossAnOuterPageBreak) {
    TEngineFixture f(TEngineFixture::Rows(60));
    AddSideBySide(f);
    AddBand(*f.Page, "Sum", bkSummary, 140, 20);
    AddMemo(*f.Page, "End", 57, 140, 100, 20, {"End"});
    AddRowsPage(f, "A", "Lines", 20, "[name]");
    AddRowsPage(f, "B", "10", 20, "[Line#]");
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 2);
    // 48 rows of 20 fit from 76 to the bottom 1047; the rest continue at the top of page 2.
    std::vector<AnsiString> all;
    for (int page : {0, 1}) {
        for (auto& w : f.Views(page))
            if (w.Name == "A") {
                EXPECT_EQ(w.Left, 57);
                EXPECT_EQ(w.Top, 76 + 20 * int(page == 0 ? all.size() : all.size() - 48));
                all.push_back(w.Text);
            }
        if (page == 0) {
            EXPECT_EQ(all.size(), 48u);
        }
    }
    EXPECT_EQ(all, Names(1, 60));
    std::vector<TWritten> b0;
    for (auto& w : f.Views(0))
        if (w.Name == "B") b0.push_back(w);
    ASSERT_EQ(b0.size(), 10u);
    EXPECT_EQ(b0[9].Text, "10");
    EXPECT_EQ(b0[9].Left, 400);
    EXPECT_EQ(b0[9].Top, 76 + 9 * 20);
    // The outer band ends below the longer subreport.
    std::vector<TWritten> end;
    for (auto& w : f.Views(1))
        if (w.Name == "End") end.push_back(w);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].Top, 76 + 12 * 20);
}

TEST(SubReport, GroupFootersShowTheirOwnGroup) {
    // A group footer prints with the last record of the group that ended, in a subreport too.
    // Lines per page of the group cannot break a subreport (it has no pages of its own): the
    // rows still print once, on the one page, instead of breaking the outer page without end.
    for (int linesPerPage : {0, 1}) {
        SCOPED_TRACE(linesPerPage);
        TEngineFixture f({{"a", "r1", 1}, {"a", "r2", 2}, {"b", "r3", 3}});
        AddOuterRow(f);
        AddSubReport(*f.Page, "Sub", 57, 100, 1);
        TVNPage& p = f.AddPage();
        AddGroupedRows(p, "[grp]", "[name]", "[grp]:[COUNT(Rows)]");
        static_cast<TVNBandView*>(p.FindObject("Group"))->LinesPerPage = std::int16_t(linesPerPage);
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        ASSERT_EQ(f.PageCount(), 1);
        EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"r1", "r2", "r3"}));
        EXPECT_EQ(f.Texts(0, "Foot"), (std::vector<AnsiString>{"a:2", "b:1"}));
    }
}

TEST(SubReport, TwoSubreportsOverOneDataSetKeepTheirOwnPlace) {
    // Rows 20 and 30 high: the first subreport fits 48 rows on a page, the second 32, so after
    // the break each must go on from its own record of the shared table.
    TEngineFixture f(TEngineFixture::Rows(60));
    AddSideBySide(f);
    AddRowsPage(f, "A", "Lines", 20, "[name]");
    AddRowsPage(f, "B", "Lines", 30, "[name]");
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 2);
    EXPECT_EQ(AllOf(f, "A"), Names(1, 60));
    EXPECT_EQ(AllOf(f, "B"), Names(1, 60));
    EXPECT_EQ(f.Texts(0, "B").size(), 32u);
    EXPECT_EQ(f.Texts(1, "B").front(), "r33");
    EXPECT_EQ(f.Texts(1, "A").front(), "r49");
}

TEST(SubReport, NestedSubreportGoesOnAfterTheOuterBreak) {
    // The outer row holds a subreport whose two rows each hold another subreport of 60 lines,
    // beside a short subreport. 120 lines of 20 run over three pages; each middle row's own
    // number prints once, the lines go on where they stopped, and the footer under the middle
    // rows comes once, after the last line.
    TEngineFixture f(TEngineFixture::Rows(60));
    AddOuterRow(f);
    AddSubReport(*f.Page, "SubMid", 57, 100, 1);
    AddSubReport(*f.Page, "SubShort", 450, 100, 3);
    TVNPage& mid = f.AddPage();
    AddBand(mid, "Mid", bkMasterData, 0, 30)->FormatText = "2";
    AddMemo(mid, "MidNo", 320, 0, 40, 20, {"M[Line#]"});
    AddSubReport(mid, "SubLines", 0, 0, 2);
    AddBand(mid, "MidFoot", bkMasterFooter, 40, 20);
    AddMemo(mid, "End", 0, 40, 100, 20, {"End"});
    AddRowsPage(f, "Line", "Lines", 20, "[name]");
    AddRowsPage(f, "Short", "5", 20, "S[Line#]");
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 3);
    std::vector<AnsiString> expected = Names(1, 60);
    const std::vector<AnsiString> second = Names(1, 60);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(AllOf(f, "Line"), expected);
    // Lines fill every page from its top: 48 on each of the first two pages.
    for (int page : {0, 1}) {
        std::vector<int> tops;
        for (auto& w : f.Views(page))
            if (w.Name == "Line") tops.push_back(w.Top);
        ASSERT_EQ(tops.size(), 48u) << page;
        EXPECT_EQ(tops.front(), 76) << page;
        EXPECT_EQ(tops.back(), 76 + 47 * 20) << page;
    }
    EXPECT_EQ(f.AllTexts("MidNo"), (std::vector<std::pair<int, AnsiString>>{{0, "M1"}, {1, "M2"}}));
    EXPECT_EQ(AllOf(f, "Short"), (std::vector<AnsiString>{"S1", "S2", "S3", "S4", "S5"}));
    std::vector<TWritten> end;
    for (auto& w : f.Views(2))
        if (w.Name == "End") end.push_back(w);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].Top, 76 + 24 * 20) << "under the last of the 24 lines on the third page";
    EXPECT_EQ(AllOf(f, "End").size(), 1u);
}

TEST(SubReport, CountersMatchThePageBuiltOnItsOwn) {
    // Group headers count groups, "Line#" restarts with every group, "LineThough#" and
    // "Current#" run on: a subreport prints the same numbers as the same page built alone.
    const std::vector<std::tuple<AnsiString, AnsiString, int>> rows = {
        {"a", "r1", 1}, {"a", "r2", 2}, {"b", "r3", 3}, {"b", "r4", 4}, {"b", "r5", 5}, {"c", "r6", 6}};
    auto addGroups = [](TVNPage& p) {
        AddGroupedRows(p, "[grp] [Line#]", "[name] [Line#] [LineThough#] [Current#]", "[grp] [COUNT(Rows)]");
    };
    TEngineFixture alone(rows);
    addGroups(*alone.Page);
    ASSERT_TRUE(alone.Report.BuildReport()) << alone.Report.ErrorText;
    EXPECT_EQ(alone.Texts(0, "Head"), (std::vector<AnsiString>{"a 1", "b 2", "c 3"}));
    EXPECT_EQ(alone.Texts(0, "Row")[2], "r3 1 3 2");

    TEngineFixture sub(rows);
    AddOuterRow(sub);
    AddSubReport(*sub.Page, "Sub", 57, 100, 1);
    addGroups(sub.AddPage());
    ASSERT_TRUE(sub.Report.BuildReport()) << sub.Report.ErrorText;
    for (const char* name : {"Head", "Row", "Foot"})
        EXPECT_EQ(sub.Texts(0, name), alone.Texts(0, name)) << name;
}
