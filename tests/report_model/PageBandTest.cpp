// Pages, papers, bands: margins, paper table, virtual printer, band options and run-time bands.
#include "ReportFixture.h"

#include "report/VNBand.h"
#include "report/VNEngine.h"
#include "report/expr/VNDataset.h"

#include "platform/Locale.h"

TEST(Pages, MarginSetByNameMovesTheViews) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    TVNMemoView* m = AddMemo(p, "M", 100, 100, 10, 10, {});
    const int before = p.LeftMarginPx(); // 15 mm
    p.SetProperty("LeftMargin", Value(MMToPixels(10)));
    EXPECT_EQ(p.LeftMargin, 10000);
    EXPECT_EQ(m->Left, 100 + p.LeftMarginPx() - before);
    p.SetProperty("TopMargin", Value(MMToPixels(30)));
    EXPECT_EQ(p.TopMargin, 30000);
    EXPECT_EQ(m->Top, 100 + 113 - 76);
    p.SetProperty("RightMargin", Value(MMToPixels(5)));
    EXPECT_EQ(p.RightMargin, 5000);
    EXPECT_EQ(m->Left, 100 + p.LeftMarginPx() - before); // right margin moves nothing
    // A page being built keeps its views where they are when the left margin moves.
    p.IsBuilding = true;
    int left = m->Left;
    p.SetProperty("LeftMargin", Value(MMToPixels(20)));
    EXPECT_EQ(m->Left, left);
}

TEST(Pages, A4OnTheVirtualPrinter) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF);
    EXPECT_EQ(p.PaperSize, 9);
    EXPECT_EQ(p.PaperWidthPx(), 794);
    EXPECT_EQ(p.PaperHeightPx(), 1123);
    EXPECT_EQ(p.PrintableRect(), (TRect{57, 76, 794 - 57, 1123 - 76}));
    EXPECT_EQ(p.Metrics.PaperWidthPx, 794);
    EXPECT_EQ(p.Metrics.OffsetXPx, 18);
    EXPECT_EQ(p.Metrics.OffsetYPx, 18);
    EXPECT_EQ(p.Metrics.PrintableWidthPx, 794 - 36);
    p.SetProperty("Orientation", Value(1));
    EXPECT_EQ(p.PaperWidth, 297000);
    EXPECT_EQ(p.Metrics.PaperWidthPx, 1123);
    p.SetProperty("Orientation", Value(0));
    EXPECT_EQ(p.PaperWidth, 210000);
    // A custom size is kept.
    p.ChangePaper(CustomPaperCode, 100000, 50000, 0, 0xFFFF);
    EXPECT_EQ(p.PaperWidth, 100000);
    EXPECT_EQ(p.PaperHeight, 50000);
}

TEST(Papers, TablesAndVirtualPrinterLists) {
    EXPECT_EQ(PaperTableEntry(8).Code, 9);
    EXPECT_EQ(PaperTableEntry(66).Code, 256);
    EXPECT_EQ(ExtraPaperEntry(0).Code, 800);
    const TVNPrinterInfo& v = VirtualPrinterInfo();
    ASSERT_EQ(v.PaperNames.size(), 67u + 5u);
    EXPECT_EQ(v.PaperNames.back(), CP936("自定义大小"));
    EXPECT_EQ(v.PaperNumbers.back(), "256");
    EXPECT_EQ(v.FirstCustomIndex, 66);
    EXPECT_EQ(v.PaperNumbers[66], "800");
    EXPECT_EQ(v.PaperNames[70], CP936("窄行连续纸"));
    EXPECT_EQ(v.BinNames, std::vector<AnsiString>{CP936("缺省")});
    EXPECT_EQ(v.BinNumbers, std::vector<AnsiString>{"65535"});
    EXPECT_EQ(v.PaperIndex(12345), 71); // unknown code: the custom paper
}

TEST(Papers, DriverListsAreFixedUp) {
    TVNPrinterInfo info;
    // Names without sizes, an unknown code without size, and a "USER" custom paper.
    info.PaperNames = {"Letter", "Mystery", "User defined", "A4"};
    info.PaperNumbers = {"1", "999", "300", "9"};
    FixUpPaperLists(info);
    std::vector<AnsiString> codes(info.PaperNumbers.begin(), info.PaperNumbers.end());
    EXPECT_EQ(codes, (std::vector<AnsiString>{"1", "9", "800", "801", "802", "803", "804", "300"}));
    EXPECT_EQ(info.PaperWidths[1], "2100");
    EXPECT_EQ(info.CustomPaperCode, 300);
    EXPECT_EQ(info.PaperNames.back(), CP936("自定义大小"));
    EXPECT_EQ(info.FirstCustomIndex, 2);
}

TEST(Papers, PageSettingRules) {
    TVNPageSetting s;
    s.SetMargin(0, -1);
    EXPECT_EQ(s.MarginLeft, 15);
    s.SetMargin(4, 3.5);
    EXPECT_EQ(s.ColGap, 3.5);
    s.SetColCount(0);
    EXPECT_EQ(s.ColCount, 1);
    s.SetOrientation(1);
    EXPECT_EQ(s.PaperWidth, 2970);
    s.SetOrientation(1);
    EXPECT_EQ(s.PaperWidth, 2970);
    s.SetOrientation(0);
    EXPECT_EQ(s.PaperWidth, 2100);
    TVNPagePrinter printer;
    printer.SetPaper(9, 2100, 2970, 0, 7, true);
    EXPECT_TRUE(printer.SameAsCurrent(9, 2101, 2971, 0, -1));
    EXPECT_FALSE(printer.SameAsCurrent(9, 2102, 2970, 0, 7));
    EXPECT_FALSE(printer.SameAsCurrent(9, 2100, 2972, 0, 7));
}

TEST(Bands, OptionsDefaultsAndColumns) {
    TVNBandView b;
    EXPECT_EQ(b.Flags, bfOnFirstPage | bfOnLastPage | bfPrintColFirst);
    b.SetBandType(bkMasterData);
    b.SetProperty("Columns", Value(150));
    EXPECT_EQ(b.Columns, 99);
    b.SetProperty("DataSource", Value("Lines"));
    EXPECT_EQ(b.FormatText, "Lines");
    b.SetProperty("NewPageCondition", Value("[x] > 1"));
    EXPECT_EQ(b.Tag, "[x] > 1");
    b.SetProperty("FormNewPage", Value::Boolean(true));
    EXPECT_TRUE(b.Flags & bfFormNewPage);
    EXPECT_TRUE(b.GetProperty("OnFirstPage").AsBoolean());
    b.SetProperty("GroupsPerPage", Value(4));
    EXPECT_EQ(b.LinesPerPage, 4);
    EXPECT_EQ(BandTypeName(bkCrossData), CP936("交叉表数据"));
    EXPECT_EQ(BandTypeName(bkNone), CP936("无"));
}

TEST(Bands, BandNamedFiveIteratesFiveEmptyRecords) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    TVNBandView* view = AddBand(p, "Data", bkMasterData, 100, 20);
    view->RangeEndCount = 0;
    auto band = TVNBand::FromView(*view, &p);
    TVNDataset* ds = nullptr;
    bool owned = false;
    ASSERT_TRUE(FindReportDataset("5", ds, owned, &r));
    EXPECT_TRUE(owned);
    band->SetDataSet(ds, owned);
    ds->Open();
    int rows = 0;
    for (ds->First(); !ds->Eof() && rows < 100; ds->Next())
        ++rows;
    EXPECT_EQ(rows, 5);
    // Run-time properties reach the band.
    {
        TScopedValue running(VNState().RunMode, true);
        view->SetProperty("Height", Value(33));
        EXPECT_EQ(band->Height, 33);
        EXPECT_EQ(view->Height, 20);
        EXPECT_TRUE(view->GetProperty("EOF").AsBoolean());
    }
    band.reset(); // frees the owned virtual dataset
    EXPECT_EQ(view->RuntimeBand, nullptr);
}

TEST(Bands, BandRangeOverridesAndRestoresTheDataset) {
    TVNUserDataset ds;
    ds.RangeEnd = reLast;
    TVNBandView view;
    view.SetBandType(bkMasterData);
    view.RangeEnd = reCount;
    view.RangeEndCount = 3;
    {
        auto band = TVNBand::FromView(view, nullptr);
        band->SetDataSet(&ds, false);
        EXPECT_EQ(ds.RangeEnd, reCount);
        EXPECT_EQ(ds.RangeEndCount, 3);
    }
    EXPECT_EQ(ds.RangeEnd, reLast);
    EXPECT_EQ(ds.RangeEndCount, 0);
}

TEST(Reports, FindObjectAcrossPages) {
    TVNReport r;
    BuildSampleReport(r);
    EXPECT_NE(r.FindObject("line1"), nullptr);
    EXPECT_EQ(r.FindObject("Nope"), nullptr);
    EXPECT_EQ(r.FindObject("Memo2")->Page, &r.Pages[0]);
}

TEST(Bands, ApplyBandAlignPlacesViewsInTheBand) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF); // printable 57..737
    TVNBandView* view = AddBand(p, "B", bkMasterData, 100, 40);
    auto band = TVNBand::FromView(*view, &p);
    band->Width = 680;
    struct {
        int Align;
        TRect Expected; // left, top, width, height of the view after alignment
    } cases[] = {
        {3, {377, 5, 40, 10}},  // centred between the margins
        {4, {57, 5, 680, 10}},  // spans the margins
        {5, {200, 30, 40, 10}}, // bottom on the band's bottom
        {6, {200, 0, 40, 10}},  // top on the band's top
        {7, {57, 0, 680, 40}},  // client
        {8, {200, 0, 40, 40}},  // height
        {2, {697, 5, 40, 10}},  // ends at the right margin
    };
    for (auto c : cases) {
        TVNMemoView m;
        m.PlaceAt(200, 5, 40, 10);
        m.BandAlign = std::uint8_t(c.Align);
        m.OwnerBand = band.get();
        band->Objects = {&m};
        m.ApplyBandAlign();
        EXPECT_EQ((TRect{m.Left, m.Top, m.Width, m.Height}), c.Expected) << c.Align;
    }
    // Rest: between the neighbours on the same line.
    TVNMemoView left, rest, right;
    left.PlaceAt(100, 5, 50, 10);
    rest.PlaceAt(300, 5, 10, 10);
    rest.BandAlign = 9;
    right.PlaceAt(500, 5, 50, 10);
    for (TVNMemoView* m : {&left, &rest, &right})
        m->OwnerBand = band.get();
    band->Objects = {&left, &rest, &right};
    rest.ApplyBandAlign();
    EXPECT_EQ(rest.Left, 150);
    EXPECT_EQ(rest.Width, 350);
    band->Objects.clear();
}
