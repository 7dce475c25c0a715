// The data grid over a small in-memory data set: cells, sort markers and the index they build,
// markers cleared when the data link changes, footers and the record count, frozen columns,
// the cell colour callback and the layout file.
#include "ModuleTestSupport.h"

#include "controls/AdvDBGridQx.h"
#include "module/ModuleText.h"
#include "platform/IniFile.h"

#include <QHeaderView>
#include <QTableView>

using namespace moduletest;

namespace {

std::shared_ptr<TMemDataSet> Lines(int rows = 4) {
    auto ds = std::make_shared<TMemDataSet>();
    ds->AddField("f_Spbm", TFieldType::String, 20).DisplayLabel = A("商品编码");
    ds->AddField("f_Sysl", TFieldType::Float).DisplayFormat = "0.00";
    ds->AddField("f_Je", TFieldType::Float).DisplayFormat = "0.00";
    ds->Open();
    const double sysl[] = {3, -60, 3, 50.5};
    for (int i = 0; i < rows; ++i)
        ds->AppendRecord(
            {Value::String("0" + std::to_string(i)), Value::Float(sysl[i % 4]), Value::Float(i * 1.25)});
    ds->First();
    return ds;
}

class GridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Grid = std::make_unique<TAdvDBGridQx>();
        Grid->resize(500, 300);
        std::vector<TGridColumn> columns(3);
        columns[0].FieldName = "f_Spbm";
        columns[0].FooterType = TFooterValueType::StaticText;
        columns[1].FieldName = "f_Sysl";
        columns[1].FooterType = TFooterValueType::Sum;
        columns[2].FieldName = "f_Je";
        columns[2].Title = A("金额\n含税");
        columns[2].FooterType = TFooterValueType::Sum;
        Grid->SetColumns(columns);
        Grid->show();
    }
    std::vector<std::string> Codes() const {
        std::vector<std::string> out;
        const auto& ds = *Grid->DataSet();
        for (int r = 0; r < ds.RecordCount(); ++r)
            out.push_back(ds.CellValue(r, 0).AsString());
        return out;
    }
    QString Cell(int row, int column, int role = Qt::DisplayRole) const {
        const QAbstractItemModel* m = Grid->View()->model();
        return m->data(m->index(row, column), role).toString();
    }
    std::unique_ptr<TAdvDBGridQx> Grid;
};

} // namespace

TEST_F(GridTest, ShowsFormattedCellsAndTitles) {
    Grid->SetDataSet(Lines());
    const QAbstractItemModel* m = Grid->View()->model();
    EXPECT_EQ(m->rowCount(), 4);
    EXPECT_EQ(Cell(1, 1), "-60.00");
    EXPECT_EQ(Cell(3, 2), "3.75");
    EXPECT_EQ(m->data(m->index(1, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("商品编码"));
    EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("金额\n含税"));
    // A two-line title makes the title row taller than a one-line one.
    EXPECT_GE(Grid->View()->horizontalHeader()->sizeHint().height(), 2 * Grid->fontMetrics().height());
}

TEST_F(GridTest, TitleClicksSetMarkersThatSortThroughTheCustomIndex) {
    auto ds = Lines();
    Grid->SetDataSet(ds);
    emit Grid->View()->horizontalHeader()->sectionClicked(1); // f_Sysl up
    Grid->ClickTitle(0, true);                                // and f_Spbm up, second
    Grid->ClickTitle(1, true);                                // f_Sysl flips to down, stays first
    EXPECT_EQ(Grid->MarkedColumns(), (std::vector<int>{1, 0}));
    EXPECT_EQ(Grid->SortMarker(1), TSortMarker::Down);
    EXPECT_EQ(Grid->SortMarker(0), TSortMarker::Up);
    EXPECT_EQ(ds->IndexName(), "customindex");
    ASSERT_EQ(ds->IndexDefs().size(), 1u);
    EXPECT_EQ(ds->IndexDefs()[0].Fields, "f_Sysl;f_Spbm");
    EXPECT_EQ(ds->IndexDefs()[0].DescFields, "f_Sysl");
    EXPECT_EQ(Codes(), (std::vector<std::string>{"03", "00", "02", "01"}));

    // A plain click marks one column alone; a second one flips it.
    emit Grid->View()->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(Grid->MarkedColumns(), (std::vector<int>{2}));
    EXPECT_EQ(ds->IndexDefs().size(), 1u);
    EXPECT_EQ(ds->IndexDefs()[0].Fields, "f_Je");
    emit Grid->View()->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(Grid->SortMarker(2), TSortMarker::Down);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"03", "02", "01", "00"}));
}

TEST_F(GridTest, MarkersOnAnEmptyDataSetBuildNoIndexAndRelinkingClearsThem) {
    auto empty = Lines(0);
    Grid->SetDataSet(empty);
    Grid->ClickTitle(1, false);
    EXPECT_EQ(Grid->SortMarker(1), TSortMarker::Up);
    EXPECT_TRUE(empty->IndexDefs().empty());

    Grid->SetDataSet(Lines());
    EXPECT_TRUE(Grid->MarkedColumns().empty());
    EXPECT_EQ(Grid->SortMarker(1), TSortMarker::None);
    Grid->ClickTitle(1, false);
    Grid->DataSet()->Close(); // the link becomes inactive
    EXPECT_TRUE(Grid->MarkedColumns().empty());
}

TEST_F(GridTest, FooterSumsFollowTheDataAndTheRecordCountGoesToTheFirstVisibleColumn) {
    auto ds = Lines();
    Grid->SetDataSet(ds);
    EXPECT_EQ(Grid->FooterDisplayText(1), "-3.50");
    EXPECT_EQ(Grid->FooterDisplayText(2), "7.50");
    ds->SetFilter("f_Sysl > 0");
    ds->SetFiltered(true);
    EXPECT_EQ(Grid->FooterDisplayText(1), "56.50");

    Grid->SetFooter(2, TFooterValueType::StaticText, A("合计:9条"));
    Grid->UpdateSumCount();
    EXPECT_EQ(Grid->FooterDisplayText(0), A("合计:3条"));
    EXPECT_EQ(Grid->FooterDisplayText(2), "");
    // With the first column hidden the count moves on, unless that column shows a total.
    Grid->SetFooter(0, TFooterValueType::StaticText, "");
    Grid->SetColumnVisible(0, false);
    Grid->UpdateSumCount();
    EXPECT_EQ(Grid->FooterDisplayText(1), "56.50");
    EXPECT_EQ(Grid->FooterDisplayText(0), "");
}

TEST_F(GridTest, TheFirstVisibleColumnStaysFrozen) {
    Grid->SetDataSet(Lines());
    QTableView* frozen = Grid->View()->findChild<QTableView*>();
    ASSERT_NE(frozen, nullptr);
    ProcessPending();
    EXPECT_TRUE(frozen->isVisible());
    EXPECT_EQ(frozen->width(), Grid->ColumnWidth(0));
    EXPECT_FALSE(frozen->isColumnHidden(0));
    EXPECT_TRUE(frozen->isColumnHidden(1));
    Grid->SetColumnVisible(0, false);
    EXPECT_TRUE(frozen->isColumnHidden(0));
    EXPECT_FALSE(frozen->isColumnHidden(1));
    EXPECT_EQ(frozen->width(), Grid->ColumnWidth(1));
}

TEST_F(GridTest, RowColoursFollowTheDifferenceQuantity) {
    struct {
        double Sysl;
        std::uint32_t Colour;
    } cases[] = {{-50.01, 0x7575FF}, {-50, 0xFFDDDD}, {0, 0xFFDDDD},
                 {49.99, 0xFFDDDD},  {50, 0xA2FFFF},  {1e6, 0xA2FFFF}};
    for (const auto& c : cases)
        EXPECT_EQ(TFrmGusvak::RowColor(c.Sysl), ColorOf(c.Colour)) << c.Sysl;

    auto ds = Lines();
    Grid->SetDataSet(ds);
    Grid->SetCellParams([&](int row, int, QColor& background) {
        background = TFrmGusvak::RowColor(ds->CellValue(row, 1).AsFloat());
    });
    const QAbstractItemModel* m = Grid->View()->model();
    EXPECT_EQ(m->data(m->index(1, 0), Qt::BackgroundRole).value<QColor>(), ColorOf(0x7575FF));
    EXPECT_EQ(m->data(m->index(3, 2), Qt::BackgroundRole).value<QColor>(), ColorOf(0xA2FFFF));
}

TEST_F(GridTest, LayoutFileRoundTrip) {
    const fs::path folder = Scratch() / "layout";
    fs::create_directories(folder);
    const AnsiString dir = folder.string() + "/";
    // First run without a file: every column visible at its designed width.
    Grid->SetColumnWidth(1, 70);
    Grid->LoadLayout("Trevalmpos.ini", "Gusvak", dir);
    for (int c = 0; c < 3; ++c)
        EXPECT_TRUE(Grid->ColumnVisible(c));
    EXPECT_EQ(Grid->ColumnWidth(1), 70);

    struct {
        const char* Value;
        bool Visible;
        int Width;
    } cases[] = {{"0,120", false, 120}, {"1,85", true, 85}, {"1,abc", true, 70},  {"abc", false, 70},
                 {"1,0", true, 70},     {"1,-5", true, 70}, {" 1,90", false, 90}, {"1, 95 ", true, 95}};
    TIniFile ini((folder / "Trevalmpos.ini").string());
    for (const auto& c : cases) {
        Grid->SetColumnWidth(1, 70);
        ini.WriteString("Gusvak", "f_Sysl", c.Value);
        Grid->LoadLayout("Trevalmpos.ini", "Gusvak", dir);
        EXPECT_EQ(Grid->ColumnVisible(1), c.Visible) << c.Value;
        EXPECT_EQ(Grid->ColumnWidth(1), c.Width) << c.Value;
    }
    // Saving writes every column, a hidden one with its width.
    Grid->SetColumnVisible(1, false);
    Grid->SetColumnWidth(1, 120);
    Grid->SaveLayout("Trevalmpos.ini", "Gusvak", dir);
    EXPECT_EQ(ini.ReadString("Gusvak", "f_Sysl", ""), "0,120");
    EXPECT_EQ(ini.ReadString("Gusvak", "f_Spbm", ""), "1," + std::to_string(Grid->ColumnWidth(0)));
    EXPECT_EQ(ini.ReadSection("Gusvak").size(), 3u);
}
