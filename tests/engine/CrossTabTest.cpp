// Cross-tabs on built pages: slices placed across, continuing on the next page with the row
// headers repeated, totals per row, per column and in the corner, the master footer's virtual
// columns, stretched rows, repeated values per page and column, the after-first notification.
#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(CrossTab, RepeatedValuesAreSuppressedAndMergedDownEveryPage) {
    // The row header (repeated on the continuation page) and every cell hold one text in all
    // rows. Each page compares its own cells: the row header shows on the first row of both
    // pages, and data cells compare with the cell above them in their column, not beside them.
    for (auto [merge, doublePass] : {std::pair{false, false}, std::pair{true, false}, std::pair{true, true}}) {
        SCOPED_TRACE(testing::Message() << "merge " << merge << ", double pass " << doublePass);
        TCrossFixture f("8");
        f.Report.OnPrintColumn = nullptr;
        f.Report.DoublePass = doublePass;
        for (const char* name : {"RowHead", "Cell"}) {
            auto* m = static_cast<TVNMemoView*>(f.Page->FindObject(name));
            m->Memo = {"X"};
            m->SetFlag(flSuppress, true);
            m->SetFlag(flMergeRepeated, merge);
        }
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        ASSERT_EQ(f.PageCount(), 2);
        for (int page : {0, 1}) {
            SCOPED_TRACE(page);
            const std::size_t columns = page == 0 ? 5 : 3; // 100 wide from 157: five fit before 737
            std::vector<TWritten> heads, cells;
            for (auto& w : f.Views(page))
                (w.Name == "RowHead" ? heads : cells).push_back(w);
            cells.erase(std::remove_if(cells.begin(), cells.end(), [](auto& w) { return w.Name != "Cell"; }),
                        cells.end());
            if (merge) {
                // One cell three rows high (96 to 156) per column and one row header per page.
                ASSERT_EQ(heads.size(), 1u);
                EXPECT_EQ(heads[0].Height, 60);
                ASSERT_EQ(cells.size(), columns);
                for (std::size_t c = 0; c < columns; ++c) {
                    EXPECT_EQ(cells[c].Left, 157 + 100 * int(c));
                    EXPECT_EQ(cells[c].Top, 96);
                    EXPECT_EQ(cells[c].Height, 60);
                    EXPECT_EQ(cells[c].Text, "X");
                }
            } else {
                ASSERT_EQ(heads.size(), 3u);
                EXPECT_EQ(heads[0].Text, "X");
                EXPECT_EQ(heads[1].Text + heads[2].Text, "");
                ASSERT_EQ(cells.size(), 3 * columns);
                for (std::size_t i = 0; i < cells.size(); ++i)
                    EXPECT_EQ(cells[i].Text, i < columns ? "X" : "") << i;
            }
        }
    }
}

TEST(CrossTab, AfterFirstNotificationOncePerRow) {
    // A column data set of its own: the notification comes after each row's first column, for
    // the captions row, the three goods rows and the totals row.
    TCrossFixture f("Months");
    TVNUserDataset months(&f.Form, "Months");
    months.RangeEnd = reCount;
    months.RangeEndCount = 3;
    std::vector<int> seenAt;
    months.OnAfterFirst = [&seenAt](TVNDataset* ds) { seenAt.push_back(ds->RecordNo); };
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    EXPECT_EQ(seenAt, (std::vector<int>(5, 0)));
}
