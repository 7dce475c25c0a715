// Groups and aggregates: footers that show the last record of the group that ended with its
// totals, totals that restart with every group, Line#, GroupsPerPage, and a master footer total.
#include "EngineFixture.h"

#include <gtest/gtest.h>

namespace {
// A group on "grp" with a header, the rows and a footer with the last name and the group's sums.
TVNBandView* GroupedReport(TEngineFixture& f, int rowHeight = 30) {
    TVNBandView* gh = AddBand(*f.Page, "GroupHead", bkGroupHeader, 100, 30);
    gh->FormatText = "[grp]";
    AddMemo(*f.Page, "Head", 10, 105, 200, 20, {"<[grp]>"});
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 150, rowHeight);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 152, 300, 20, {"[Line#]:[name]"});
    AddBand(*f.Page, "GroupFoot", bkGroupFooter, 250, 30);
    AddMemo(*f.Page, "Foot", 10, 255, 400, 20, {"[name] [SUM([qty])] [COUNT(Data)] [MAX([qty])]"});
    AddBand(*f.Page, "MasterFoot", bkMasterFooter, 320, 30);
    AddMemo(*f.Page, "Total", 10, 325, 200, 20, {"[SUM([qty])]"});
    return gh;
}
} // namespace

TEST(Groups, FooterShowsTheLastRecordOfTheOldGroupWithItsTotals) {
    TEngineFixture f({{"A", "a1", 1}, {"A", "a2", 2}, {"B", "b1", 5}, {"C", "c1", 7}, {"C", "c2", 1}});
    GroupedReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.Texts(0, "Head"), (std::vector<AnsiString>{"<A>", "<B>", "<C>"}));
    EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"1:a1", "2:a2", "1:b1", "1:c1", "2:c2"}));
    EXPECT_EQ(f.Texts(0, "Foot"), (std::vector<AnsiString>{"a2 3 2 2", "b1 5 1 5", "c2 8 2 7"}));
    EXPECT_EQ(f.Texts(0, "Total"), std::vector<AnsiString>{"16"});
    // Written in band order: header, rows, footer of each group, then the master footer.
    std::vector<AnsiString> order;
    for (auto& w : f.Views(0))
        order.push_back(w.Name);
    EXPECT_EQ(order, (std::vector<AnsiString>{"Head", "Row", "Row", "Foot", "Head", "Row", "Foot", "Head",
                                              "Row", "Row", "Foot", "Total"}));
}

TEST(Groups, GroupsPerPageStartsANewPageAfterThatManyGroups) {
    TEngineFixture f({{"A", "a", 1}, {"B", "b", 1}, {"C", "c", 1}, {"D", "d", 1}, {"E", "e", 1}});
    GroupedReport(f)->LinesPerPage = 2;
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    EXPECT_EQ(f.Texts(0, "Head"), (std::vector<AnsiString>{"<A>", "<B>"}));
    EXPECT_EQ(f.Texts(1, "Head"), (std::vector<AnsiString>{"<C>", "<D>"}));
    EXPECT_EQ(f.Texts(2, "Head"), (std::vector<AnsiString>{"<E>"}));
    EXPECT_EQ(f.Texts(2, "Total"), std::vector<AnsiString>{"5"});
}

TEST(Groups, FormNewPageOnAGroupHeaderAndRepeatedHeaderAfterABreak) {
    // 40 rows of 30 pixels in one group: the group header repeats at the top of the next page.
    TEngineFixture f(TEngineFixture::Rows(40, "G"));
    TVNBandView* gh = GroupedReport(f);
    gh->Flags |= bfRepeatHeader;
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 2);
    EXPECT_EQ(f.Texts(1, "Head"), std::vector<AnsiString>{"<G>"});
    auto rows = f.Texts(1, "Row");
    ASSERT_FALSE(rows.empty());
    // Rows keep counting through the page break.
    EXPECT_EQ(rows.front(),
              std::to_string(41 - int(rows.size())) + ":r" + std::to_string(41 - int(rows.size())));
    EXPECT_EQ(f.Texts(1, "Foot"), std::vector<AnsiString>{"r40 820 40 40"});
}

TEST(Levels, AMasterRowWithoutDetailRowsPrintsOnlyWithPrintIfSubsetEmpty) {
    for (bool subsetEmpty : {false, true}) {
        TEngineFixture f;
        // Three master rows with 2, 0 and 1 detail rows.
        TVNUserDataset* masterSet = nullptr;
        TVNUserDataset details(&f.Form, "Details");
        const int counts[] = {2, 0, 1};
        details.OnCheckEOF = [&](TVNDataset* sender, bool& eof) {
            int m = masterSet ? masterSet->RecordNo : 0;
            eof = m < 0 || m > 2 || sender->RecordNo >= counts[m];
        };
        TVNUserDataset masters(&f.Form, "Masters");
        masterSet = &masters;
        masters.OnCheckEOF = [](TVNDataset* sender, bool& eof) { eof = sender->RecordNo >= 3; };
        TVNBandView* master = AddBand(*f.Page, "Master", bkMasterData, 100, 30);
        master->FormatText = "Masters";
        if (subsetEmpty) master->Flags |= bfPrintIfSubsetEmpty;
        AddMemo(*f.Page, "M", 10, 102, 200, 20, {"M[Line#]"});
        AddBand(*f.Page, "Detail", bkDetailData, 150, 30)->FormatText = "Details";
        AddMemo(*f.Page, "D", 30, 152, 200, 20, {"d[Line#]"});
        AddBand(*f.Page, "DetailFoot", bkDetailFooter, 200, 30);
        AddMemo(*f.Page, "F", 30, 202, 200, 20, {"n=[COUNT(Detail)]"});
        ASSERT_TRUE(f.Report.BuildReport());
        std::vector<AnsiString> texts;
        for (auto& w : f.Views(0))
            texts.push_back(w.Text);
        const std::vector<AnsiString> expected =
            subsetEmpty ? std::vector<AnsiString>{"M1", "d1", "d2", "n=2", "M2", "M3", "d1", "n=1"}
                        : std::vector<AnsiString>{"M1", "d1", "d2", "n=2", "M2", "d1", "n=1"};
        EXPECT_EQ(texts, expected) << subsetEmpty;
    }
}
