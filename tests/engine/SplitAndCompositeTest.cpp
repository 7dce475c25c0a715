// Breaked bands split over pages, the new-page condition, data bands on virtual data sets and
// composite reports in both modes.
#include "EngineFixture.h"

#include <gtest/gtest.h>

TEST(Split, ABreakedBandContinuesOnTheNextPageWithTheLinesThatDidNotFit) {
    TEngineFixture f({{"g", "x", 1}});
    TVNBandView* title = AddBand(*f.Page, "Title", bkTitle, 0, 900);
    AddMemo(*f.Page, "Spacer", 10, 0, 100, 20, {"top"});
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 1000, 20);
    data->FormatText = "Lines";
    data->Flags |= bfStretched | bfBreaked;
    TVNStrings lines;
    for (int i = 1; i <= 30; ++i)
        lines.push_back("line" + std::to_string(i));
    TVNMemoView* memo = AddMemo(*f.Page, "Long", 10, 1000, 300, 20, lines);
    memo->SetStretched(true);
    (void)title;
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 2);
    // 76 + 900 = 976: the band starts there and 69 pixels are left on the first page.
    auto first = f.Texts(0, "Long"), second = f.Texts(1, "Long");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[0].rfind("line1|", 0), 0u) << first[0];
    auto count = [](const AnsiString& t) {
        return std::count(t.begin(), t.end(), '|') + (t.empty() ? 0 : 1);
    };
    EXPECT_GT(count(first[0]), 1);
    EXPECT_EQ(count(first[0]) + count(second[0]), 30) << first[0] << " / " << second[0];
    EXPECT_NE(second[0].find("line30"), AnsiString::npos);
    for (auto& w : f.Views(1))
        if (w.Name == "Long") {
            EXPECT_EQ(w.Top, 76);
        }
}

TEST(Split, NewPageConditionAndVirtualDataSets) {
    TEngineFixture f;
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "7"; // seven empty records
    data->Tag = "[Line#] mod 3 = 0";
    AddMemo(*f.Page, "Row", 10, 102, 200, 20, {"[Line#]/[LineThough#]/[Current#]"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"1/1/0", "2/2/1", "3/3/2"}));
    EXPECT_EQ(f.Texts(2, "Row"), (std::vector<AnsiString>{"7/7/6"}));
}

TEST(Composite, MembersBuildIntoOnePageSetInEitherOrder) {
    TEngineFixture a(TEngineFixture::Rows(12)), b(TEngineFixture::Rows(2));
    for (TEngineFixture* f : {&a, &b}) {
        TVNBandView* data = AddBand(*f->Page, "Data", bkMasterData, 100, 100);
        data->FormatText = "Lines";
        AddMemo(*f->Page, "Row", 10, 110, 200, 20, {f == &a ? "a[name]" : "b[name]"});
    }
    struct {
        TVNCompositeMode Mode;
        std::vector<AnsiString> FirstTexts;
    } cases[] = {
        {vnReportPerReport, {"ar1", "ar10", "br1"}},
        {vnPagePerPage, {"ar1", "br1", "ar10"}},
    };
    for (auto& c : cases) {
        TVNCompositeReport composite;
        composite.SetCompositeMode(c.Mode);
        composite.Reports = {&a.Report, &b.Report};
        ASSERT_TRUE(composite.BuildReport());
        ASSERT_EQ(composite.EMFPages->Count(), 3);
        std::vector<AnsiString> firsts;
        for (int p = 0; p < 3; ++p) {
            composite.EMFPages->DecodePage(p);
            firsts.push_back(PlainText(composite.EMFPages->Page(p).DecodedPage->Objects.front()->Memo));
        }
        EXPECT_EQ(firsts, c.FirstTexts) << int(c.Mode);
    }
    // A failing member leaves the composite without pages.
    b.Report.FindObject("Row")->Memo = {"[STRTOINT(name)]"};
    TVNCompositeReport composite;
    composite.Reports = {&a.Report, &b.Report};
    EXPECT_FALSE(composite.BuildReport());
    EXPECT_EQ(composite.EMFPages->Count(), 0);
}

TEST(Split, ABandTallerThanAPageIsDrawnOnceOnEachFreshPage) {
    TEngineFixture f(TEngineFixture::Rows(3));
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 1500);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 110, 200, 20, {"[name]"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(f.Texts(p, "Row"), std::vector<AnsiString>{"r" + std::to_string(p + 1)});
}

TEST(Split, AMultipleReportRepeatsItsPagesPerRecordOfItsDataSet) {
    TEngineFixture f(TEngineFixture::Rows(2));
    TMemDataSet heads;
    heads.AddField("title", TFieldType::String, 10);
    heads.Open();
    heads.AppendRecord({Value("first")});
    heads.AppendRecord({Value("second")});
    TVNDBDataSet headSet(&f.Form, "Heads");
    headSet.SetDataSet(&heads);
    f.Report.ReportType = rtMultiple;
    f.Report.Dataset = &headSet;
    AddBand(*f.Page, "Title", bkTitle, 0, 40);
    AddMemo(*f.Page, "Head", 10, 5, 200, 20, {"[Heads.title]"});
    AddBand(*f.Page, "Data", bkMasterData, 100, 30)->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 102, 200, 20, {"[name]"});
    ASSERT_TRUE(f.Report.BuildReport());
    // Each record's output continues on the built page the previous one ended on.
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.Texts(0, "Head"), (std::vector<AnsiString>{"first", "second"}));
    EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"r1", "r2", "r1", "r2"}));
    std::vector<int> tops;
    for (auto& w : f.Views(0))
        tops.push_back(w.Top);
    EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end()));
}

TEST(Split, BackgroundsAreKeptOncePerDesignPageHoweverManyRecordsAndPasses) {
    TEngineFixture f(TEngineFixture::Rows(1));
    TMemDataSet heads;
    heads.AddField("title", TFieldType::String, 10);
    heads.Open();
    for (int i = 0; i < 300; ++i)
        heads.AppendRecord({Value("h" + std::to_string(i))});
    TVNDBDataSet headSet(&f.Form, "Heads");
    headSet.SetDataSet(&heads);
    f.Report.ReportType = rtMultiple;
    f.Report.Dataset = &headSet;
    f.Report.DoublePass = true;
    TVNPage& second = f.AddPage();
    int pageNo = 0;
    for (TVNPage* page : {f.Page, &second}) {
        page->ShowBackPicture = true;
        page->BackGround.Kind = pkBitmap;
        page->BackGround.Data = "BM picture of page " + std::to_string(++pageNo);
        AddBand(*page, "Title" + std::to_string(pageNo), bkTitle, 0, 700);
        AddMemo(*page, "Head" + std::to_string(pageNo), 10, 5, 200, 20, {"[Heads.title]"});
    }
    ASSERT_TRUE(f.Report.BuildReport());
    const TVNEMFPages& pages = *f.Report.EMFPages;
    ASSERT_GE(pages.Count(), 300);
    ASSERT_EQ(pages.BackgroundCount(), 2);
    for (int i = 0; i < pages.Count(); ++i) {
        const TVNPreparedPage& page = const_cast<TVNEMFPages&>(pages).Page(i);
        const TVNBkPicture* bk = pages.Background(page.BackgroundIndex);
        ASSERT_NE(bk, nullptr) << i;
        EXPECT_EQ(bk->Picture.Data, "BM picture of page " + std::to_string(page.DesignPageNo)) << i;
    }
}
