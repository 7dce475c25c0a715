// The grid view: counts by name, the stream tail (byte-stable, the old form without the leading
// word, damaged records refused), the text form, and a build in which the grid becomes one
// positioned view per cell area.
#include "EngineFixture.h"

#include "report/VNAddInViews.h"
#include "report/VNGridView.h"
#include "report/VNJsonReport.h"
#include "report/VNViewFactory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

std::string Record(TVNView& v) {
    TVNStream s;
    v.WriteToStream(s);
    return s.Data();
}

std::unique_ptr<TVNGridView> ReadGrid(const std::string& bytes, int version = 43) {
    auto g = std::make_unique<TVNGridView>();
    TVNStream s(bytes);
    s.Version = version;
    s.VersionCode = version * 100 + 11;
    g->ReadFromStream(s);
    EXPECT_TRUE(s.AtEnd());
    return g;
}

// Four data columns (60, 40, 50, 30 wide) and three data rows (17, 25, 17 high) at (100, 76):
// columns 1-2 merged in row 1, column 3 merged over rows 1-2, a bottom-left aligned two-line
// cell, a cell filled with the grid's own colour, and a shape cell with its own alignment and font.
std::unique_ptr<TVNGridView> SampleGrid() {
    auto g = std::make_unique<TVNGridView>();
    g->Name = "Grid1";
    g->PlaceAt(100, 76, 240, 80);
    TVNGridEx& x = g->Grid();
    x.SetColCount(5);
    x.SetRowCount(4);
    const int widths[] = {60, 40, 50, 30};
    for (int c = 1; c <= 4; ++c)
        x.SetColWidth(c, widths[c - 1]);
    x.SetRowHeight(2, 25);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            x.Cell(c, r)->View->Name = "C" + std::to_string(c) + std::to_string(r);
    x.Cell(1, 1)->SetText("Head");
    x.Merge(1, 1, 2, 1);
    x.Cell(3, 1)->SetText("Tall");
    x.Merge(3, 1, 3, 2);
    x.Cell(1, 2)->SetText("a\r\nb");
    x.Cell(1, 2)->SetHorizAlign(vntaLeftJustify);
    x.Cell(1, 2)->SetVertAlign(2);
    x.Cell(2, 2)->SetText("clear");
    x.Cell(2, 2)->SetFillColor(x.Color);
    x.Cell(4, 2)->SetFillColor(clYellow);
    TVNCellInfo& shape = *x.Cell(4, 3);
    shape.SetViewKind(ViewTypeAddIn, "TVNShapeView");
    shape.View->Name = "C43";
    static_cast<TVNShapeView&>(*shape.View).Shape = skEllipse;
    shape.SetHorizAlign(vntaRightJustify);
    shape.SetVertAlign(0);
    TFontSpec font;
    font.Name = "Arial";
    font.Size = 12;
    shape.SetFont(font);
    return g;
}

} // namespace

TEST(GridView, CountsByNameAreDataRowsAndColumns) {
    TVNGridObject component; // what a form carries to bring the kind in
    const TVNAddInObjectInfo* entry = FindAddInObject("tvngridview");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->ButtonResource, "VN_GridObject");
    EXPECT_EQ(entry->HintText, CP936("插入Grid View"));
    TVNGridView g;
    EXPECT_EQ(g.GetProperty("ColCount").AsInteger(), 9);
    EXPECT_EQ(g.GetProperty("ROWCOUNT").AsInteger(), 5);
    g.SetProperty("ColCount", Value(4));
    EXPECT_EQ(g.GetProperty("ColCount").AsInteger(), 4);
    EXPECT_EQ(g.Grid().ColCount(), 5);
    // The frame and fill group is not the grid's: its cells carry their own.
    EXPECT_EQ(g.LookupProperty("FillColor"), nullptr);
    EXPECT_EQ(g.LookupProperty("Memo"), nullptr);
    ASSERT_NE(g.LookupProperty("RowCount"), nullptr);
    // A new data cell: every frame side, centred both ways, no fill, the grid's font.
    const TVNCellInfo& cell = *g.Grid().Cell(3, 2);
    EXPECT_EQ(cell.HorizAlign(), vntaCenterJustify);
    EXPECT_EQ(cell.VertAlign(), 1);
    EXPECT_EQ(cell.FillColor(), clNone);
    EXPECT_EQ(cell.Font().Name, CP936("宋体"));
    for (const TVNFrameLine& side : cell.View->Frames())
        EXPECT_TRUE(side.Visible);
    EXPECT_EQ(g.Grid().Cell(3, 2)->StartCol, 3);
    EXPECT_EQ(g.Grid().Cell(10, 2), nullptr);
}

TEST(GridView, StreamTailRoundTripsByteStableAndReadsTheOldForm) {
    auto g = SampleGrid();
    const std::string first = Record(*g);
    auto back = ReadGrid(first);
    EXPECT_EQ(Record(*back), first);
    TVNGridEx& x = back->Grid();
    EXPECT_EQ(x.ColCount(), 5);
    EXPECT_EQ(x.RowCount(), 4);
    EXPECT_EQ(x.ColWidth(3), 50);
    EXPECT_EQ(x.RowHeight(2), 25);
    EXPECT_EQ(x.ColWidth(0), 13) << "the header sizes are the view's, not the stream's";
    EXPECT_EQ(x.Cell(2, 1)->StartCol, 1);
    EXPECT_EQ(x.Cell(2, 1)->Text(), "Head");
    EXPECT_TRUE(x.Cell(2, 1)->MutilCell);
    EXPECT_EQ(x.Cell(3, 2)->StartRow, 1);
    EXPECT_EQ(x.Cell(3, 2)->EndRow, 2);
    EXPECT_EQ(x.Cell(1, 2)->Text(), "a\r\nb");
    EXPECT_EQ(x.Cell(1, 2)->HorizAlign(), vntaLeftJustify);
    EXPECT_EQ(x.Cell(1, 2)->VertAlign(), 2);
    ASSERT_STREQ(x.Cell(4, 3)->View->ClassName(), "TVNShapeView");
    EXPECT_EQ(static_cast<TVNShapeView&>(*x.Cell(4, 3)->View).Shape, skEllipse);
    EXPECT_EQ(x.Cell(4, 3)->HorizAlign(), vntaRightJustify);
    EXPECT_EQ(x.Cell(4, 3)->Font().Size, 12);

    // A record of a version code up to 4000 has no leading word before the counts.
    TVNStream common;
    g->TVNView::WriteToStream(common);
    std::string old = first;
    old.erase(common.Size(), 2);
    EXPECT_EQ(Record(*ReadGrid(old, 39)), first);
}

TEST(GridView, DamagedRecordsAreRefused) {
    auto g = SampleGrid();
    const std::string first = Record(*g);
    for (std::size_t n = 0; n < first.size(); n += 7) {
        TVNGridView w;
        TVNStream s(first.substr(0, n));
        EXPECT_THROW(w.ReadFromStream(s), std::exception) << n;
    }
    TVNStream common;
    g->TVNView::WriteToStream(common);
    auto withCounts = [&](std::int32_t cols, std::int32_t rows) {
        std::string b = first;
        std::memcpy(&b[common.Size() + 2], &cols, 4);
        std::memcpy(&b[common.Size() + 6], &rows, 4);
        return b;
    };
    // Areas that overlap or leave the grid, from cells edited behind the grid's back.
    auto overlap = SampleGrid();
    overlap->Grid().Cell(2, 2)->EndCol = 3; // over the lower half of column 3's area
    auto outside = SampleGrid();
    outside->Grid().Cell(4, 1)->EndCol = 7;
    const std::string cases[] = {withCounts(0, 4),       withCounts(5, -1), withCounts(5000, 4),
                                 withCounts(1000, 1000), Record(*overlap),  Record(*outside)};
    for (const std::string& bytes : cases) {
        TVNGridView w;
        TVNStream s(bytes);
        EXPECT_THROW(w.ReadFromStream(s), std::exception);
    }
}

TEST(GridView, TextFormCarriesTheCellsAndRefusesOverlaps) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    p.Add(SampleGrid().release());
    const std::string bytes = SaveBytes(r);
    const std::string text = StoredBytesToJson(bytes);
    EXPECT_EQ(JsonToStoredBytes(text, ".vnf"), bytes) << text;
    EXPECT_NE(text.find("\"Kind\": \"Grid\""), std::string::npos);

    TVNReport hand;
    const std::string overlapping = R"({"format": "Valnor Report File", "pages": [{"views": [
        {"Kind": "Grid", "Grid": {"ColWidths": [20, 20], "RowHeights": [17],
         "Cells": [{"Col": 1, "Row": 1, "EndCol": 2}, {"Col": 2, "Row": 1}]}}]}]})";
    try {
        ReportFromJson(overlapping, hand);
        FAIL() << "overlapping areas were taken";
    } catch (const EVNJsonError& e) {
        EXPECT_EQ(e.Path, "pages[0].views[0].Grid.Cells[1]");
    }
}

TEST(GridView, BuildPlacesOneViewPerArea) {
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 76, 200);
    f.Page->Add(SampleGrid().release());
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    // Columns start at 100 + 1 + (13 + 1) = 115, then 115 + 61, + 41, + 51; rows at 76 + 1 +
    // (14 + 1) = 92, then + 18 and + 26.
    struct {
        const char* Name;
        int Left, Top, Width, Height;
    } expected[] = {
        {"C11", 115, 92, 61 + 41, 18}, {"C31", 217, 92, 51, 18 + 26}, {"C41", 268, 92, 31, 18},
        {"C12", 115, 110, 61, 26},     {"C22", 176, 110, 41, 26},     {"C42", 268, 110, 31, 26},
        {"C13", 115, 136, 61, 18},     {"C23", 176, 136, 41, 18},     {"C33", 217, 136, 51, 18},
        {"C43", 268, 136, 31, 18},
    };
    f.Report.EMFPages->DecodePage(0);
    const auto& built = f.Report.EMFPages->Page(0).DecodedPage->Objects;
    ASSERT_EQ(built.size(), std::size(expected));
    for (std::size_t i = 0; i < built.size(); ++i) {
        const TVNView& v = *built[i];
        SCOPED_TRACE(expected[i].Name);
        EXPECT_EQ(v.Name, expected[i].Name);
        EXPECT_EQ(v.Left, expected[i].Left);
        EXPECT_EQ(v.Top, expected[i].Top);
        EXPECT_EQ(v.Width, expected[i].Width);
        EXPECT_EQ(v.Height, expected[i].Height);
    }
    auto memo = [&](std::size_t i) { return dynamic_cast<const TVNMemoView*>(built[i]); };
    ASSERT_TRUE(memo(3));
    EXPECT_EQ(PlainText(memo(3)->Memo), "a|b");
    EXPECT_EQ(memo(3)->Adjust & 0x1F, int(vntaLeftJustify) | int(vntlBottom));
    EXPECT_EQ(memo(3)->Font.Name, CP936("宋体"));
    EXPECT_EQ(built[4]->FillColor, clNone) << "the grid's own colour expands as no fill";
    EXPECT_EQ(built[5]->FillColor, clYellow);
    EXPECT_STREQ(built[9]->ClassName(), "TVNShapeView");
    // The design is back as it was: the grid, no cell views.
    ASSERT_EQ(f.Page->Objects.size(), 2u);
    EXPECT_STREQ(f.Page->Objects[1]->ClassName(), "TVNGridView");
}
