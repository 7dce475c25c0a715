// Cross-tabs and subreports on built pages: slices placed across, continuing on the next page
// with the row headers repeated, totals per row, per column and in the corner, the master
// footer's virtual columns, and subreports printed side by side across a break of the outer page.
#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TVNBandView* AddCrossBand(TVNPage& page, const AnsiString& name, int type, int x, int width) {
    TVNBandView* b = AddBand(page, name, type, 0, 0);
    b->PlaceAt(x, 0, width, 1000);
    return b;
}

// Three goods rows (qty 1, 2, 3) down, the cross data set's columns across: the row header
// (57-157, repeated on continuation pages), columns 100 wide from 157 (the second made 50 wide
// by OnPrintColumn), the total column 80 wide; captions above, column totals below.
struct TCrossFixture : TEngineFixture {
    explicit TCrossFixture(const AnsiString& crossData) : TEngineFixture(Rows(3)) {
        AddBand(*Page, "Head", bkMasterHeader, 100, 20);
        AddBand(*Page, "Data", bkMasterData, 130, 20)->FormatText = "Lines";
        AddBand(*Page, "Foot", bkMasterFooter, 160, 20);
        AddCrossBand(*Page, "CrossHead", bkCrossHeader, 57, 100)->Flags |= bfRepeatHeader;
        AddCrossBand(*Page, "CrossData", bkCrossData, 157, 100)->FormatText = crossData;
        AddCrossBand(*Page, "CrossFoot", bkCrossFooter, 257, 80);
        AddMemo(*Page, "Caption", 157, 100, 100, 20, {"M[Column#]"});
        AddMemo(*Page, "RowHead", 57, 130, 100, 20, {"[name]"});
        AddMemo(*Page, "Cell", 157, 130, 100, 20, {"[Lines.\"qty\" * 10 + Column#]"});
        AddMemo(*Page, "RowTotal", 257, 130, 80, 20, {"[SUM(Lines.\"qty\" * 10 + Column#)]"});
        AddMemo(*Page, "ColTotal", 157, 160, 100, 20, {"[SUM(Lines.\"qty\" * 10 + Column#)]"});
        AddMemo(*Page, "Corner", 257, 160, 80, 20, {"[SUM(SUM(Lines.\"qty\" * 10 + Column#))]"});
        Report.OnPrintColumn = [](int column, int& width) {
            if (column == 2) width = 50;
        };
    }
    // page -> texts of the named views in written order, with their x.
    std::map<int, std::vector<std::pair<int, AnsiString>>> Placed(const AnsiString& name) {
        std::map<int, std::vector<std::pair<int, AnsiString>>> out;
        for (int p = 0; p < PageCount(); ++p)
            for (auto& w : Views(p))
                if (w.Name == name) out[p].emplace_back(w.Left, w.Text);
        return out;
    }
};

using TPlaced = std::vector<std::pair<int, AnsiString>>;

} // namespace

TEST(CrossTab, ColumnsContinueOnTheNextPageWithTotals) {
    for (bool doublePass : {false, true}) {
        SCOPED_TRACE(doublePass);
        TCrossFixture f("8");
        f.Report.DoublePass = doublePass;
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        ASSERT_EQ(f.PageCount(), 2);
        // Columns at 157, 257 (50 wide), 307, 407, 507, 607; the seventh would end at 807, past the
        // printable right edge 737: it starts the second page after the repeated row header.
        EXPECT_EQ(f.Placed("Caption")[0],
                  (TPlaced{{157, "M1"}, {257, "M2"}, {307, "M3"}, {407, "M4"}, {507, "M5"}, {607, "M6"}}));
        EXPECT_EQ(f.Placed("Caption")[1], (TPlaced{{157, "M7"}, {257, "M8"}}));
        // Each row goes back to the first page for its first columns: rows stay in order per page.
        auto cells = f.Placed("Cell");
        ASSERT_EQ(cells[0].size(), 18u);
        EXPECT_EQ(cells[0][6], (std::pair<int, AnsiString>{157, "21"}));
        ASSERT_EQ(cells[1].size(), 6u);
        EXPECT_EQ(cells[1][0], (std::pair<int, AnsiString>{157, "17"}));
        EXPECT_EQ(cells[1][5], (std::pair<int, AnsiString>{257, "38"}));
        EXPECT_EQ(f.Placed("RowHead")[1], (TPlaced{{57, "r1"}, {57, "r2"}, {57, "r3"}})) << "repeated header";
        // Row totals: 8 columns of qty * 10 + column; column totals: 60 + 3 * column; the corner
        // adds the column totals.
        EXPECT_EQ(f.Placed("RowTotal")[1], (TPlaced{{357, "116"}, {357, "196"}, {357, "276"}}));
        EXPECT_EQ(f.Placed("ColTotal")[0].front(), (std::pair<int, AnsiString>{157, "63"}));
        EXPECT_EQ(f.Placed("ColTotal")[1].back(), (std::pair<int, AnsiString>{257, "84"}));
        EXPECT_EQ(f.Placed("Corner")[1], (TPlaced{{357, "588"}}));
        // Rows keep their heights on both pages.
        for (int page : {0, 1}) {
            std::vector<int> tops;
            for (auto& w : f.Views(page))
                if (w.Name == "RowHead") tops.push_back(w.Top);
            EXPECT_EQ(tops, (std::vector<int>{96, 116, 136})) << page;
        }
    }
}

TEST(CrossTab, MasterFooterWithoutCrossDataTakesTheWidestRow) {
    // Only the data rows and the captions name a cross data set: the footer gets virtual columns.
    TCrossFixture f("Data=5;Head=5");
    f.Report.OnPrintColumn = nullptr;
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.Placed("Cell")[0].size(), 15u);
    EXPECT_EQ(f.Placed("ColTotal")[0],
              (TPlaced{{157, "63"}, {257, "66"}, {357, "69"}, {457, "72"}, {557, "75"}}));
}

TEST(SubReport, SideBySideAcrossAnOuterPageBreak) {
    TEngineFixture f(TEngineFixture::Rows(60));
    AddBand(*f.Page, "Outer", bkMasterData, 100, 30)->FormatText = "1";
    AddBand(*f.Page, "Sum", bkSummary, 140, 20);
    AddMemo(*f.Page, "End", 57, 140, 100, 20, {"End"});
    for (auto [name, left, page] : {std::tuple{"SubA", 57, 1}, std::tuple{"SubB", 400, 2}}) {
        auto* sub = new TVNSubReportView;
        sub->Name = name;
        sub->PlaceAt(left, 100, 300, 30);
        sub->SubPage = page;
        f.Page->Add(sub);
    }
    TVNPage& a = f.AddPage();
    AddBand(a, "ARows", bkMasterData, 0, 20)->FormatText = "Lines";
    AddMemo(a, "A", 0, 0, 200, 20, {"[name]"});
    TVNPage& b = f.AddPage();
    AddBand(b, "BRows", bkMasterData, 0, 20)->FormatText = "10";
    AddMemo(b, "B", 0, 0, 100, 20, {"[Line#]"});
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
    ASSERT_EQ(all.size(), 60u);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(all[std::size_t(i)], "r" + std::to_string(i + 1));
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
    TEngineFixture f({{"a", "r1", 1}, {"a", "r2", 2}, {"b", "r3", 3}});
    AddBand(*f.Page, "Outer", bkMasterData, 100, 30)->FormatText = "1";
    auto* sub = new TVNSubReportView;
    sub->Name = "Sub";
    sub->PlaceAt(57, 100, 300, 30);
    sub->SubPage = 1;
    f.Page->Add(sub);
    TVNPage& p = f.AddPage();
    AddBand(p, "Group", bkGroupHeader, 0, 20)->FormatText = "[grp]";
    AddBand(p, "Rows", bkMasterData, 30, 20)->FormatText = "Lines";
    AddMemo(p, "Row", 0, 30, 100, 20, {"[name]"});
    AddBand(p, "GroupFoot", bkGroupFooter, 60, 20);
    AddMemo(p, "Foot", 0, 60, 100, 20, {"[grp]:[COUNT(Rows)]"});
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"r1", "r2", "r3"}));
    EXPECT_EQ(f.Texts(0, "Foot"), (std::vector<AnsiString>{"a:2", "b:1"}));
}

TEST(CrossTab, StretchedRowTakesItsTallestCell) {
    // Only the third column's text wraps onto three lines: the whole row grows to hold it.
    TCrossFixture f("4");
    f.Report.OnPrintColumn = nullptr;
    f.Page->FindObject("Data")->SetStretched(true);
    auto* cell = static_cast<TVNMemoView*>(f.Page->FindObject("Cell"));
    cell->Memo = {"[IF(Column# = 3, 'aaa bbb ccc ddd eee fff ggg hhh iii', Column#)]"};
    cell->SetStretched(true);
    cell->SetFlag(flWordWrap, true);
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    std::vector<int> tops;
    for (auto& w : f.Views(0))
        if (w.Name == "RowHead") tops.push_back(w.Top);
    ASSERT_EQ(tops.size(), 3u);
    EXPECT_GT(tops[1] - tops[0], 20);
    EXPECT_EQ(f.Texts(0, "Cell")[0], "1") << "cells are evaluated for their own column when written";
}
