// The data grid printed through the grid report generator: visible columns in grid order with
// their titles, display formats and footer totals; slices with repeated fixed columns; selected
// rows only; the plain data file.
#include "GridReportFixture.h"

#include "report/gridreport/VNPrintQXGrid.h"

#include "platform/AtomicFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

TEST(GridPrinter, PrintsVisibleColumnsInGridOrderWithTitlesFormatsAndTotals) {
    TGridFixture f(3);
    ASSERT_TRUE(f.Report.PrepareReport());
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.Report.Report().Pages.Count(), 1);
    EXPECT_EQ(f.RowOf(0, "Code"), (std::vector<AnsiString>{"Code", "Name", "Qty", "Amount"}));
    EXPECT_EQ(f.RowOf(0, "002"), (std::vector<AnsiString>{"002", "item2", "2", "2,000.50"}));
    // Footer: the fixed text, empty cells, the amount's total in its display format.
    EXPECT_EQ(f.RowOf(0, "Total"), (std::vector<AnsiString>{"Total", "", "", "6,001.50"}));
    const auto texts = f.Texts(0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "n1"), 0) << "the hidden column printed";
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Note"), 0);
    // Cells sit side by side from the left margin (38), each column width + 1 wide.
    auto views = f.Page(0);
    auto at = [&](const AnsiString& t) { return *std::find_if(views.begin(), views.end(), [&](auto& v) { return v.Text == t; }); };
    EXPECT_EQ(at("Code").Left, 38);
    EXPECT_EQ(at("Code").Width, 61);
    EXPECT_EQ(at("Name").Left, 38 + 61);
    EXPECT_EQ(at("Amount").Left, 38 + 61 + 121 + 61);
    EXPECT_LT(at("Code").Top, at("001").Top);
    EXPECT_LT(at("003").Top, at("Total").Top);
}

TEST(GridPrinter, AGridWiderThanThePaperGivesSlicesWithTheFixedColumnsRepeated) {
    // 300 + 300 + 200 + 100 = 900 pixels on a 718-pixel printable width (A4, 38-pixel margins).
    TGridFixture f(3, {300, 300, 200, 100, 80});
    f.Report.ScaleMode.ScaleMode = vnsmAdjust;
    f.Report.GridFixedCols = 1;
    ASSERT_TRUE(f.Report.PrepareReport());
    ASSERT_EQ(f.Report.Report().Pages.Count(), 2);
    ASSERT_EQ(f.PageCount(), 2);
    EXPECT_EQ(f.RowOf(0, "Code"), (std::vector<AnsiString>{"Code", "Name"}));
    EXPECT_EQ(f.RowOf(1, "Code"), (std::vector<AnsiString>{"Code", "Qty", "Amount"}));
    EXPECT_EQ(f.RowOf(1, "001"), (std::vector<AnsiString>{"001", "1", "1,000.25"}));
    EXPECT_EQ(f.RowOf(1, "Total"), (std::vector<AnsiString>{"Total", "", "6,001.50"}));
    // Without fixed columns the second slice starts with the first column that did not fit.
    f.Report.GridFixedCols = 0;
    ASSERT_TRUE(f.Report.PrepareReport());
    EXPECT_EQ(f.RowOf(1, "Qty"), (std::vector<AnsiString>{"Qty", "Amount"}));
    // Fitted to the page width, the grid stays on one page, scaled.
    f.Report.ScaleMode.ScaleMode = vnsmFit;
    f.Report.ScaleMode.FitPageWidth = true;
    ASSERT_TRUE(f.Report.PrepareReport());
    EXPECT_EQ(f.Report.Report().Pages.Count(), 1);
    auto views = f.Page(0);
    int right = 0;
    for (auto& v : views)
        if (v.Text == "Amount") right = v.Left + v.Width;
    EXPECT_EQ(right, 38 + 718);
}

TEST(GridPrinter, SelectedRowsOnlyPrintsThoseRowsAndTotalsThem) {
    TGridFixture f(6);
    f.Grid->SetMultiSelect(true);
    for (int row : {1, 3, 4})
        f.Grid->SelectRow(row);
    f.Report.ReportOptions |= vngoSelectedRecordsOnly;
    ASSERT_TRUE(f.Report.PrepareReport());
    const auto texts = f.Texts(0);
    std::vector<AnsiString> codes;
    for (auto& t : texts)
        if (t.size() == 3 && t[0] == '0') codes.push_back(t);
    EXPECT_EQ(codes, (std::vector<AnsiString>{"002", "004", "005"}));
    EXPECT_EQ(f.RowOf(0, "Total").back(), "11,002.75");
    // Without the option every row prints.
    f.Report.ReportOptions &= ~vngoSelectedRecordsOnly;
    ASSERT_TRUE(f.Report.PrepareReport());
    EXPECT_EQ(f.RowOf(0, "Total").back(), "21,005.25");
}

TEST(GridPrinter, PlainDataFileHoldsTitlesAndBlankLedRecordLines) {
    TGridFixture f(2);
    const std::string file = ::testing::TempDir() + "superfile.tmp";
    ASSERT_TRUE(WritePlainDataFile(*f.Grid, file));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(file, content));
    EXPECT_EQ(content, "Code,Name,Qty,Amount\r\n"
                       " 001, item1, 1, 1000.25\r\n"
                       " 002, item2, 2, 2000.5\r\n");
}

TEST(FormReport, ControlsAboveTheGridGoToTheTitleBandAndBelowItToTheColumnFooter) {
    GridTestApp();
    QWidget panel; // outlives the fixture, whose grid it holds for a while
    TGridFixture f(2);
    panel.resize(700, 500);
    auto* above = new QLabel("Sheet PD001", &panel);
    above->setGeometry(0, 0, 200, 20);
    auto* box = new QCheckBox("Posted", &panel);
    box->setChecked(true);
    box->setGeometry(220, 0, 100, 20);
    f.Grid->setParent(&panel);
    f.Grid->setGeometry(0, 30, 600, 300);
    auto* below = new QLineEdit("Signed: Li", &panel);
    below->setGeometry(0, 340, 200, 24);
    f.Report.PrintControl = &panel;
    // The column footer prints only when the header repeats on every page.
    f.Report.PageHeaderOnly1 = true;
    f.Report.ReportOptions |= vngoDrawBorder;
    ASSERT_TRUE(f.Report.PrepareReport());
    auto views = f.Page(0);
    auto top = [&](const AnsiString& t) {
        for (auto& v : views)
            if (v.Text == t) return v.Top;
        return -1;
    };
    ASSERT_GE(top("Sheet PD001"), 0);
    EXPECT_EQ(top("Posted"), top("Sheet PD001") + 2); // labels print 2 pixels higher
    EXPECT_EQ(top("1"), top("Posted"));               // the check box's mark
    EXPECT_LT(top("Posted"), top("001"));
    EXPECT_GT(top("Signed: Li"), top("002"));
    EXPECT_GT(top("Signed: Li"), top("Total"));
}
