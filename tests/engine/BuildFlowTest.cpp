// The passes and pages of a build: page numbers and TotalPages, page footers on the first and
// last pages, a band that does not fit, empty data, the page-per-page order, AutoHCenter and the
// design left as it was.
#include "EngineFixture.h"

#include <gtest/gtest.h>

namespace {
// 10 rows of 100 pixels under a 40-pixel page header: 9 rows fit on a page (76 + 40 + 900 = 1016,
// the tenth would end at 1116 > 1047), so 25 rows make 3 pages.
void TallRows(TEngineFixture& f, int rowHeight = 100) {
    AddBand(*f.Page, "Header", bkPageHeader, 0, 40);
    AddMemo(*f.Page, "PageNo", 10, 5, 200, 20, {"[Page#]/[TotalPages#]"});
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, rowHeight);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Name", 10, 110, 200, 20, {"[name]"});
}
} // namespace

TEST(BuildFlow, TotalPagesIsKnownOnlyWithDoublePass) {
    for (bool doublePass : {false, true}) {
        TEngineFixture f(TEngineFixture::Rows(25));
        TallRows(f);
        f.Report.DoublePass = doublePass;
        ASSERT_TRUE(f.Report.BuildReport());
        ASSERT_EQ(f.PageCount(), 3);
        for (int p = 0; p < 3; ++p) {
            AnsiString expected = std::to_string(p + 1) + "/" + (doublePass ? "3" : "0");
            EXPECT_EQ(f.Texts(p, "PageNo"), std::vector<AnsiString>{expected}) << doublePass;
        }
        EXPECT_EQ(f.Texts(0, "Name").size(), 9u);
        EXPECT_EQ(f.Texts(2, "Name").back(), "r25");
        EXPECT_TRUE(f.Messages.Texts().empty());
    }
}

TEST(BuildFlow, RowsStackBelowTheHeaderAndABandThatDoesNotFitMovesWhole) {
    TEngineFixture f(TEngineFixture::Rows(12));
    TallRows(f);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 2);
    auto first = f.Views(0);
    // Page header at the top margin, rows from 116 down in steps of 100.
    int row = 0;
    for (auto& w : first) {
        if (w.Name == "PageNo") {
            EXPECT_EQ(w.Top, 76 + 5);
        }
        if (w.Name != "Name") continue;
        EXPECT_EQ(w.Top, 116 + 100 * row + 10);
        EXPECT_LE(w.Top + w.Height, 1047);
        ++row;
    }
    EXPECT_EQ(row, 9);
    // The tenth row starts the second page right under its page header.
    auto names = f.Texts(1, "Name");
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "r10");
    for (auto& w : f.Views(1))
        if (w.Name == "Name" && w.Text == "r10") {
            EXPECT_EQ(w.Top, 116 + 10);
        }
}

TEST(BuildFlow, ViewsOutsideEveryBandPrintWhereTheDesignPageStarts) {
    TEngineFixture f(TEngineFixture::Rows(12));
    TallRows(f);
    AddMemo(*f.Page, "Loose", 300, 1060, 100, 20, {"p[Page#]"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 2);
    auto views = f.Views(0);
    ASSERT_FALSE(views.empty());
    EXPECT_EQ(views.front().Name, "Loose"); // written first, at its design place
    EXPECT_EQ(views.front().Text, "p1");
    EXPECT_EQ(views.front().Top, 1060);
    EXPECT_EQ(views.front().Left, 300);
    EXPECT_TRUE(f.Texts(1, "Loose").empty()); // not on the pages a break starts
}

TEST(BuildFlow, PageFooterOnFirstAndLastPagesFollowsItsFlags) {
    struct {
        std::uint16_t Flags;
        std::vector<bool> Expected; // footer present on pages 1..3
    } cases[] = {
        {0, {false, true, false}},
        {bfOnFirstPage, {true, true, false}},
        {bfOnLastPage, {false, true, true}},
        {bfOnFirstPage | bfOnLastPage, {true, true, true}},
    };
    for (auto& c : cases) {
        TEngineFixture f(TEngineFixture::Rows(22));
        TallRows(f);
        TVNBandView* footer = AddBand(*f.Page, "Footer", bkPageFooter, 900, 30);
        footer->Flags = c.Flags;
        AddMemo(*f.Page, "Foot", 10, 905, 200, 20, {"foot [Page#]"});
        ASSERT_TRUE(f.Report.BuildReport());
        ASSERT_EQ(f.PageCount(), 3) << c.Flags;
        for (int p = 0; p < 3; ++p) {
            auto foot = f.Texts(p, "Foot");
            EXPECT_EQ(!foot.empty(), c.Expected[std::size_t(p)]) << "flags " << c.Flags << " page " << p;
            if (!foot.empty()) {
                EXPECT_EQ(foot, std::vector<AnsiString>{"foot " + std::to_string(p + 1)});
                for (auto& w : f.Views(p))
                    if (w.Name == "Foot") {
                        EXPECT_EQ(w.Top, 1047 - 30 + 5); // at the page bottom
                    }
            }
        }
    }
}

TEST(BuildFlow, EmptyDataPrintsNothingUnlessAskedAndBlankRowsFillThePage) {
    {
        TEngineFixture f;
        TallRows(f);
        f.Report.PrintIfEmpty = false;
        EXPECT_FALSE(f.Report.BuildReport());
        EXPECT_EQ(f.PageCount(), 0);
    }
    {
        TEngineFixture f;
        TallRows(f);
        auto* data = static_cast<TVNBandView*>(f.Report.FindObject("Data"));
        data->Flags |= bfPrintIfEmpty | bfAutoAppendBlank;
        ASSERT_TRUE(f.Report.BuildReport());
        ASSERT_EQ(f.PageCount(), 1);
        auto names = f.Texts(0, "Name");
        EXPECT_EQ(names.size(), 9u); // the page is filled with empty rows
        for (auto& n : names)
            EXPECT_EQ(n, "");
    }
}

TEST(BuildFlow, AutoAppendBlankFillsTheLastPageUpToItsFooter) {
    TEngineFixture f(TEngineFixture::Rows(3));
    TallRows(f);
    auto* data = static_cast<TVNBandView*>(f.Report.FindObject("Data"));
    data->Flags |= bfAutoAppendBlank;
    AddBand(*f.Page, "MasterFooter", bkMasterFooter, 300, 50);
    AddMemo(*f.Page, "Total", 10, 305, 200, 20, {"n=[COUNT(Data)]"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 1);
    auto names = f.Texts(0, "Name");
    // 116 + 8 rows = 916, the footer takes 50 more: a ninth row would leave no room for it.
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[2], "r3");
    EXPECT_EQ(names[3], "");
    EXPECT_EQ(f.Texts(0, "Total"), std::vector<AnsiString>{"n=3"});
}

TEST(BuildFlow, PagePerPageInterleavesTheDesignPages) {
    TEngineFixture f(TEngineFixture::Rows(25));
    TallRows(f);
    TVNPage& second = f.AddPage();
    AddBand(second, "Data2", bkMasterData, 100, 100)->FormatText = "25";
    AddMemo(second, "Second", 10, 110, 200, 20, {"s[Line#]"});
    f.Report.PrintPagePerPage = true;
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 6);
    std::vector<int> designPages;
    for (int p = 0; p < 6; ++p)
        designPages.push_back(f.Report.EMFPages->Page(p).DesignPageNo);
    EXPECT_EQ(designPages, (std::vector<int>{1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(f.Texts(1, "Second").front(), "s1");
    EXPECT_EQ(f.Texts(2, "Name").front(), "r10");
    EXPECT_EQ(f.Texts(3, "Second").front(), "s10");
}

TEST(BuildFlow, AutoHCenterCentresTheViewsAsOneBlock) {
    TEngineFixture f;
    TVNPage& p = *f.Page;
    // A paper of exactly 800 pixels.
    for (p.PaperWidth = 211000; p.PaperWidthPx() < 800; p.PaperWidth += 10) {
    }
    ASSERT_EQ(p.PaperWidthPx(), 800);
    p.AutoHCenter = 1;
    AddBand(p, "Title", bkTitle, 0, 40);
    AddMemo(p, "A", 100, 5, 40, 20, {"a"});
    AddMemo(p, "B", 160, 5, 40, 20, {"b"}); // the block spans 100..200
    ASSERT_TRUE(f.Report.BuildReport());
    std::map<AnsiString, int> left;
    for (auto& w : f.Views(0))
        left[w.Name] = w.Left;
    EXPECT_EQ(left["A"], 350);
    EXPECT_EQ(left["B"], 410);
}

TEST(BuildFlow, TheDesignIsLeftAsItWas) {
    TEngineFixture f(TEngineFixture::Rows(12));
    TallRows(f);
    f.Report.DoublePass = true;
    TVNStream before;
    f.Report.SaveReportStream(before);
    ASSERT_TRUE(f.Report.BuildReport());
    TVNStream after;
    f.Report.SaveReportStream(after);
    EXPECT_EQ(before.Data(), after.Data());
    EXPECT_TRUE(f.Report.DoublePass);
    // Building again gives the same pages.
    auto first = f.Views(1);
    ASSERT_TRUE(f.Report.BuildReport());
    auto again = f.Views(1);
    ASSERT_EQ(first.size(), again.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].Text, again[i].Text);
        EXPECT_EQ(first[i].Top, again[i].Top);
    }
}
