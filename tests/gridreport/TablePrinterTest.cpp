// The Qt table and tree views printed through the grid report generator: a table view over a
// data set (database grid), a table widget (string grid) and a tree widget in list form (list
// view) - columns, titles, cells, row numbers, slices and selected rows.
#include "GridReportFixture.h"

#include "controls/DataSetGridModel.h"
#include "report/VNStandardViews.h"
#include "report/VNPage.h"
#include "report/gridreport/VNGridCells.h"

#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

#include <algorithm>
#include <map>

namespace {

// The fixture's goods list shown by a plain table view over the data set.
struct TTableFixture : TGridFixture {
    std::vector<TGridColumn> Columns;
    std::unique_ptr<TDataSetGridModel> Model;
    std::unique_ptr<QTableView> View = std::make_unique<QTableView>();

    explicit TTableFixture(int rows, std::vector<int> widths = {60, 120, 60, 90, 80}) : TGridFixture(rows, widths) {
        for (int c = 0; c < Grid->ColumnCount(); ++c) Columns.push_back(Grid->Column(c));
        Model = std::make_unique<TDataSetGridModel>(Columns);
        Model->SetDataSet(Data);
        View->setModel(Model.get());
        View->resize(600, 300);
        for (int c = 0; c < 5; ++c) View->horizontalHeader()->resizeSection(c, widths[std::size_t(c)]);
        View->setColumnHidden(4, true);
        Report.PrintControl = View.get();
    }
};

std::vector<AnsiString> Column(const std::vector<TPrinted>& views, int left) {
    std::vector<AnsiString> out;
    for (auto& v : views)
        if (v.Left == left) out.push_back(v.Text);
    return out;
}

} // namespace

TEST(TablePrinters, DataSetTableViewPrintsTitlesFieldCellsAndRowNumbers) {
    TTableFixture f(3);
    f.Report.ReportOptions |= vngoGridNumber;
    f.Report.GridNumOptions.Text = "No";
    ASSERT_TRUE(f.Report.PrepareReport());
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.RowOf(0, "Code"), (std::vector<AnsiString>{"No", "Code", "Name", "Qty", "Amount"}));
    EXPECT_EQ(f.RowOf(0, "002"), (std::vector<AnsiString>{"2", "002", "item2", "2", "2,000.50"}));
    const auto views = f.Page(0);
    // The number column is 7 letter heights wide and comes first, at the left margin.
    auto at = [&](const AnsiString& t) { return *std::find_if(views.begin(), views.end(), [&](auto& v) { return v.Text == t; }); };
    const int numberWidth = LetterHeight(f.View->font()) * 7;
    EXPECT_EQ(at("No").Left, 38);
    EXPECT_EQ(at("No").Width, numberWidth);
    EXPECT_EQ(at("Code").Left, 38 + numberWidth);
    EXPECT_EQ(Column(views, 38), (std::vector<AnsiString>{"No", "1", "2", "3"}));
    // Moving a column on screen moves it on paper; a hidden one stays off.
    f.View->horizontalHeader()->moveSection(3, 1);
    f.Report.ReportOptions &= ~vngoGridNumber;
    ASSERT_TRUE(f.Report.PrepareReport());
    EXPECT_EQ(f.RowOf(0, "Code"), (std::vector<AnsiString>{"Code", "Amount", "Name", "Qty"}));
    const auto texts = f.Texts(0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "n1"), 0);
}

TEST(TablePrinters, WideDataSetTableViewSlicesWithNumberAndFixedColumnsRepeated) {
    TTableFixture f(2, {300, 300, 200, 100, 80});
    f.Report.ScaleMode.ScaleMode = vnsmAdjust;
    f.Report.GridFixedCols = 1;
    f.Report.ReportOptions |= vngoGridNumber;
    ASSERT_TRUE(f.Report.PrepareReport());
    ASSERT_EQ(f.PageCount(), 2);
    EXPECT_EQ(f.RowOf(0, "Code"), (std::vector<AnsiString>{"No", "Code", "Name"}));
    EXPECT_EQ(f.RowOf(1, "Code"), (std::vector<AnsiString>{"No", "Code", "Qty", "Amount"}));
    EXPECT_EQ(f.RowOf(1, "002"), (std::vector<AnsiString>{"2", "002", "2", "2,000.50"}));
}

TEST(TablePrinters, DataSetTableViewPrintsOnlyTheSelectedRows) {
    TTableFixture f(5);
    f.View->setSelectionMode(QAbstractItemView::MultiSelection);
    f.View->setSelectionBehavior(QAbstractItemView::SelectRows);
    f.View->selectRow(0);
    f.View->selectRow(3);
    f.Report.ReportOptions |= vngoSelectedRecordsOnly;
    ASSERT_TRUE(f.Report.PrepareReport());
    std::vector<AnsiString> codes;
    for (auto& t : f.Texts(0))
        if (t.size() == 3 && t[0] == '0') codes.push_back(t);
    EXPECT_EQ(codes, (std::vector<AnsiString>{"001", "004"}));
}

TEST(TablePrinters, StringGridPrintsHeaderAndCellTextsAsWrittenWithRowHeights) {
    GridTestApp();
    QTableWidget grid(3, 2);
    grid.resize(400, 200);
    grid.setHorizontalHeaderLabels({"Item", "Note"});
    const char* cells[3][2] = {{"pen", "[Error]"}, {"ink", "[Page#] stays"}, {"pad", ""}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) grid.setItem(r, c, new QTableWidgetItem(QString::fromUtf8(cells[r][c])));
    grid.setRowHeight(1, 50);
    TVNFormReport report;
    report.PrintControl = &grid;
    report.ShowProgress = false;
    ASSERT_TRUE(report.PrepareReport());
    std::vector<AnsiString> texts;
    std::map<AnsiString, int> heights;
    for (auto& v : PrintedViews(report, 0))
        if (v.Kind == "TVNMemoView") {
            texts.push_back(v.Text);
            heights[v.Text] = v.Height;
        }
    EXPECT_EQ(texts, (std::vector<AnsiString>{"Item", "Note", "pen", "", "ink", "[Page#] stays", "pad", ""}));
    // Each printed row is as high as its grid row.
    EXPECT_EQ(heights["ink"], 50);
    EXPECT_EQ(heights["pad"], grid.rowHeight(2));
}

TEST(TablePrinters, ListViewPrintsCaptionsItemsSubItemsAndRowNumbers) {
    GridTestApp();
    QTreeWidget list;
    list.setRootIsDecorated(false);
    list.setColumnCount(3);
    list.setHeaderLabels({"Code", "Name", "Qty"});
    list.headerItem()->setTextAlignment(2, Qt::AlignRight);
    for (int c = 0; c < 3; ++c) list.header()->resizeSection(c, 80);
    (new QTreeWidgetItem(&list, QStringList{"001", "apple", "3"}))->setTextAlignment(2, Qt::AlignRight);
    new QTreeWidgetItem(&list, QStringList{"002", "pear"}); // fewer sub-items: an empty cell
    list.resize(300, 200);
    TVNFormReport report;
    report.PrintControl = &list;
    report.ShowProgress = false;
    report.ReportOptions |= vngoGridNumber;
    ASSERT_TRUE(report.PrepareReport());
    std::map<int, std::vector<AnsiString>> rows; // by top
    std::map<AnsiString, int> left, width, alignment;
    for (auto& v : PrintedViews(report, 0))
        if (v.Kind == "TVNMemoView") {
            rows[v.Top].push_back(v.Text);
            left[v.Text] = v.Left;
            width[v.Text] = v.Width;
            alignment[v.Text] = v.Alignment;
        }
    // Titles and items aligned as the list view shows them.
    EXPECT_EQ(alignment["Qty"], int(vntaRightJustify));
    EXPECT_EQ(alignment["3"], int(vntaRightJustify));
    EXPECT_EQ(alignment["apple"], int(vntaLeftJustify));
    std::vector<std::vector<AnsiString>> table;
    for (auto& [top, texts] : rows) table.push_back(texts);
    EXPECT_EQ(table, (std::vector<std::vector<AnsiString>>{
                         {"No", "Code", "Name", "Qty"}, {"1", "001", "apple", "3"}, {"2", "002", "pear", ""}}));
    const int h = LetterHeight(list.font());
    EXPECT_EQ(width["No"], 7 * h);
    EXPECT_EQ(left["Code"], 38 + 7 * h);
    EXPECT_EQ(width["Code"], 81);
}

TEST(TablePrinters, ARunAfterARowPrinterBindsTheDataBandToTheGridAgain) {
    // A string grid leaves its own row source in the report; the next run over the data grid
    // must walk the grid's records again, not that source.
    TGridFixture f(2);
    QTableWidget other(1, 1);
    other.setItem(0, 0, new QTableWidgetItem("only"));
    f.Report.PrintControl = &other;
    ASSERT_TRUE(f.Report.PrepareReport());
    EXPECT_FALSE(f.Report.BindDataSet);
    f.Report.PrintControl = f.Grid.get();
    ASSERT_TRUE(f.Report.PrepareReport());
    EXPECT_EQ(f.RowOf(0, "002"), (std::vector<AnsiString>{"002", "item2", "2", "2,000.50"}));
}

TEST(TablePrinters, DoubleFrameDrawsTheOuterEdgeTwoPixelsWideOnlyWithoutFooterRows) {
    // The table view has no footer rows; the data grid of the fixture has one.
    for (bool footer : {false, true}) {
        SCOPED_TRACE(footer ? "data grid with a footer row" : "table view");
        TTableFixture f(2);
        if (footer) f.Report.PrintControl = f.Grid.get();
        f.Report.ReportOptions |= vngoDoubleFrame;
        ASSERT_TRUE(f.Report.PrepareReport());
        std::map<AnsiString, const TVNView*> cell;
        int bottomLines = 0;
        for (TVNView* v : f.Report.Report().Pages[0].Objects) {
            if (!v->Memo.empty()) cell[v->Memo[0]] = v;
            if (dynamic_cast<TVNLineView*>(v)) ++bottomLines;
        }
        const float outer = footer ? 1.0f : 2.0f;
        EXPECT_EQ(cell.at("Code")->LeftFrame().Width, outer);
        EXPECT_EQ(cell.at("Code")->TopFrame().Width, outer);
        EXPECT_EQ(cell.at("Name")->LeftFrame().Width, 1.0f);
        EXPECT_EQ(cell.at("Amount")->RightFrame().Width, outer);
        EXPECT_EQ(bottomLines, footer ? 0 : 4); // one line under each data cell
    }
}
