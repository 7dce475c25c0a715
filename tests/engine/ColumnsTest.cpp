// Multi-column data bands and page columns: rows run down a column and continue in the next, the
// headers marked to repeat per column print again at the top of every further column, and
// PrintColFirst puts rows side by side.
#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace {
// A master header (repeating per column) above a two-column data band of 100-pixel rows.
TVNBandView* TwoColumnReport(TEngineFixture& f, std::uint16_t headerFlags, std::uint16_t dataFlags = 0) {
    TVNBandView* header = AddBand(*f.Page, "MasterHead", bkMasterHeader, 40, 40);
    header->Flags = headerFlags;
    AddMemo(*f.Page, "Caption", 10, 45, 200, 20, {"Name"});
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 100);
    data->FormatText = "Lines";
    data->Columns = 2;
    data->ColumnWidth = 300;
    data->ColumnGap = 20;
    data->Flags = dataFlags;
    AddMemo(*f.Page, "Name", 10, 110, 200, 20, {"[name]"});
    return data;
}
} // namespace

TEST(Columns, RowsFillTheFirstColumnThenTheNextAndHeadersRepeatPerColumn) {
    // 76 + 40 = 116; 9 rows of 100 fit down to 1016 in each column.
    struct {
        std::uint16_t HeaderFlags;
        std::size_t CaptionsOnPage1;
    } cases[] = {{bfRepeatHeader | bfRepeatHeader1, 2}, {bfRepeatHeader, 1}, {0, 1}};
    for (auto& c : cases) {
        TEngineFixture f(TEngineFixture::Rows(20));
        TwoColumnReport(f, c.HeaderFlags);
        ASSERT_TRUE(f.Report.BuildReport());
        ASSERT_EQ(f.PageCount(), 2);
        std::vector<TWritten> captions, names;
        for (auto& w : f.Views(0))
            (w.Name == "Caption" ? captions : names).push_back(w);
        ASSERT_EQ(names.size(), 18u);
        EXPECT_EQ(names[0].Left, 10);
        EXPECT_EQ(names[0].Top, 126);
        EXPECT_EQ(names[9].Text, "r10");
        EXPECT_EQ(names[9].Left, 10 + 320); // the second column
        EXPECT_EQ(names[9].Top, 126);
        ASSERT_EQ(captions.size(), c.CaptionsOnPage1) << c.HeaderFlags;
        if (captions.size() == 2) {
            EXPECT_EQ(captions[1].Left, 10 + 320);
            EXPECT_EQ(captions[1].Top, captions[0].Top);
        }
        // The next page starts in the first column again, under a repeated header when asked.
        auto second = f.Views(1);
        ASSERT_FALSE(second.empty());
        bool caption = false;
        for (auto& w : second) {
            if (w.Name == "Caption") caption = true;
            if (w.Name == "Name" && w.Text == "r19") {
                EXPECT_EQ(w.Left, 10);
            }
        }
        EXPECT_EQ(caption, (c.HeaderFlags & bfRepeatHeader) != 0) << c.HeaderFlags;
    }
}

TEST(Columns, PrintColFirstPutsRowsSideBySide) {
    TEngineFixture f(TEngineFixture::Rows(5));
    TwoColumnReport(f, bfRepeatHeader | bfRepeatHeader1, bfPrintColFirst);
    ASSERT_TRUE(f.Report.BuildReport());
    std::vector<std::pair<int, int>> positions, captions;
    for (auto& w : f.Views(0))
        (w.Name == "Name" ? positions : captions).emplace_back(w.Left, w.Top);
    EXPECT_EQ(positions,
              (std::vector<std::pair<int, int>>{{10, 126}, {330, 126}, {10, 226}, {330, 226}, {10, 326}}));
    // The header repeats above the second column once.
    EXPECT_EQ(captions, (std::vector<std::pair<int, int>>{{10, 81}, {330, 81}}));
}

TEST(Columns, PageColumnsContinueAtTheColumnTop) {
    TEngineFixture f(TEngineFixture::Rows(12));
    f.Page->Columns = 2;
    f.Page->ColumnGap = 10000; // 10 mm
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 100);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Name", 60, 110, 200, 20, {"[name]"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 1);
    std::set<int> lefts;
    for (auto& w : f.Views(0))
        if (w.Name == "Name") {
            lefts.insert(w.Left);
            if (w.Text == "r10") {
                EXPECT_EQ(w.Top, 86);
            }
        }
    // Column width (737 - 57 - 38) / 2 = 321, plus the 38-pixel gap.
    EXPECT_EQ(lefts, (std::set<int>{60, 60 + 321 + 38}));
}

TEST(Columns, TheFooterOfRowsDownColumnsGoesUnderThemAtTheBandsLeft) {
    // Rows of 200: four fit in a column (116 .. 916), the fifth and sixth go to the second.
    TEngineFixture f(TEngineFixture::Rows(6));
    TVNBandView* data = TwoColumnReport(f, 0);
    data->Height = 200;
    AddBand(*f.Page, "Foot", bkMasterFooter, 350, 40);
    AddMemo(*f.Page, "FootText", 10, 355, 600, 20, {"total [SUM([qty])]"});
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 1);
    std::vector<TWritten> foot, names;
    for (auto& w : f.Views(0))
        if (w.Name == "FootText")
            foot.push_back(w);
        else if (w.Name == "Name")
            names.push_back(w);
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[4].Left, 330);
    ASSERT_EQ(foot.size(), 1u);
    EXPECT_EQ(foot[0].Text, "total 21");
    EXPECT_EQ(foot[0].Left, 10);
    EXPECT_EQ(foot[0].Top, 916 + 5);
    EXPECT_LE(foot[0].Left + foot[0].Width, 794); // on the page
}
