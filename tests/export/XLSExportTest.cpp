// The spreadsheet export of built reports, read back with xlrd: the grid from object edges (the
// one-pixel tolerance), merged ranges with texts, fonts, borders and fills, frames around memos
// dropped, pages on one sheet with page breaks or a sheet per page, objects without pictures,
// overlapping objects, number cells, and a report longer than one sheet of the format holds.
#include "SpreadsheetReaders.h"

#include "engine/EngineFixture.h"

#include "report/export/VNXLSExport.h"
#include "report/export/VNXLSXExport.h"

#include <gtest/gtest.h>

using namespace sheettest;

namespace {

// Every non-empty cell as "row,col[+rows x cols] value |font|borders|fill", sheet by sheet, with
// the page breaks; rows and columns from 0.
const char* DumpProgram = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for s in b.sheets():
    merges = {(m[0], m[2]): (m[1] - m[0], m[3] - m[2]) for m in s.merged_cells}
    print("sheet", s.name, "breaks", [p[0] for p in s.horizontal_page_breaks])
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype not in (1, 2):
                continue
            xf = b.xf_list[cell.xf_index]
            f = b.font_list[xf.font_index]
            span = merges.get((r, c))
            bd = xf.border
            fill = b.colour_map.get(xf.background.pattern_colour_index) if xf.background.fill_pattern else None
            v = cell.value if cell.ctype == 1 else "#%g" % cell.value
            print("%d,%d%s %r |%s%s| %d%d%d%d |%s| h%d v%d" % (r, c, "+%dx%d" % span if span else "", v,
                  "b" if f.weight > 400 else "", f.height // 20, bd.left_line_style, bd.top_line_style,
                  bd.right_line_style, bd.bottom_line_style, fill, xf.alignment.hor_align, xf.alignment.vert_align))
)";

std::string ExportAndDump(TVNReport& report, TVNXLSExport& filter, const TTempDir& dir,
                          const char* program = DumpProgram) {
    const std::string file = dir / "out.xls";
    filter.ShowDialog = false;
    filter.ShowAfterExport = false;
    EXPECT_TRUE(report.ExportBuiltReport(filter, file));
    return Python(program, file, dir);
}

} // namespace

namespace {

// A grouped list: a bold title inside a frame, grey framed headers, group headings spanning both
// columns, framed rows with right-aligned quantities.
void GroupedReport(TEngineFixture& f) {
    AddBand(*f.Page, "Title", bkTitle, 10, 40);
    // A frame drawn around the title memo, before it: dropped; the memo keeps its own cell.
    AddMemo(*f.Page, "Box", 60, 12, 310, 30, {})->SetFrameTyp(15);
    TVNMemoView* title = AddMemo(*f.Page, "T", 64, 16, 300, 20, {CP936("库存表")});
    title->Font.Style = fsBold;
    title->Font.Size = 14;
    title->Adjust = vntaCenterJustify;
    AddBand(*f.Page, "Head", bkPageHeader, 60, 20);
    for (auto [name, x, w, text] : {std::tuple{"H1", 64, 100, "名称"}, std::tuple{"H2", 165, 60, "数量"}}) {
        TVNMemoView* h = AddMemo(*f.Page, name, x, 60, w, 20, {Utf8ToAnsi(text)});
        h->SetFrameTyp(15);
        h->FillColor = 0xC0C0C0;
    }
    AddBand(*f.Page, "GroupHead", bkGroupHeader, 90, 18)->FormatText = "[grp]";
    AddMemo(*f.Page, "G", 64, 90, 161, 18, {CP936("组 ") + "[grp]"})->SetFrameTyp(15);
    AddBand(*f.Page, "Data", bkMasterData, 110, 18)->FormatText = "Lines";
    AddMemo(*f.Page, "N", 64, 110, 100, 18, {"[name]"})->SetFrameTyp(15);
    TVNMemoView* q = AddMemo(*f.Page, "Q", 165, 110, 60, 18, {"[qty]"});
    q->SetFrameTyp(15);
    q->Adjust = vntaRightJustify;
}

} // namespace

TEST(XLSExport, GroupedReportWithFramesFillsAndMergedCells) {
    TTempDir dir;
    TEngineFixture f({{"A", "apple", 12}, {"A", "pear", 3}, {"B", "plum", 100}});
    GroupedReport(f);
    ASSERT_TRUE(f.Report.BuildReport());

    TVNXLSExport xls;
    const std::string out = ExportAndDump(f.Report, xls, dir);
    // Column edges 60 (frame), 64, 164/165 (one boundary: 1 pixel apart), 225, 364, 370 (frame):
    // the title spans columns 2-4, names column 2, quantities column 3. Rows: margin, frame top,
    // title, frame bottom, gap, header, then one row per band. The title is bold 14 pt without
    // borders (the frame around it is dropped); headers are grey and framed thin; the group
    // heading spans both columns; top alignment becomes "justified" (3); quantities are
    // right-aligned numbers. The page break follows the page's 11 rows.
    EXPECT_EQ(out, "sheet Sheet1 breaks [11]\n"
                   "2,2+1x3 '库存表' |b14| 0000 |None| h2 v3\n"
                   "5,2 '名称' |10| 1111 |(192, 192, 192)| h1 v3\n"
                   "5,3 '数量' |10| 1111 |(192, 192, 192)| h1 v3\n"
                   "6,2+1x2 '组 A' |10| 1111 |None| h1 v3\n"
                   "7,2 'apple' |10| 1111 |None| h1 v3\n"
                   "7,3 '#12' |10| 1111 |None| h3 v3\n"
                   "8,2 'pear' |10| 1111 |None| h1 v3\n"
                   "8,3 '#3' |10| 1111 |None| h3 v3\n"
                   "9,2+1x2 '组 B' |10| 1111 |None| h1 v3\n"
                   "10,2 'plum' |10| 1111 |None| h1 v3\n"
                   "10,3 '#100' |10| 1111 |None| h3 v3\n")
        << out;

    // LibreOffice reads the same texts.
    const std::vector<std::string> csv = LibreOfficeCsv({dir / "out.xls"}, dir);
    for (const char* text : {"库存表", "名称", "数量", "组 A", "apple", "12", "组 B", "plum", "100"})
        EXPECT_NE(csv[0].find(text), std::string::npos) << text << "\n" << csv[0];
}

namespace {

// A list of `rows` goods under a page header, 18 pixels a row (about 50 rows a page).
void LongList(TEngineFixture& f) {
    AddBand(*f.Page, "Head", bkPageHeader, 60, 20);
    AddMemo(*f.Page, "H", 64, 60, 100, 20, {CP936("名称")})->SetFrameTyp(15);
    AddBand(*f.Page, "Data", bkMasterData, 90, 18)->FormatText = "Lines";
    AddMemo(*f.Page, "N", 64, 90, 100, 18, {"[name]"});
}

// Per sheet: name, breaks, row count, the row of "r1".."rN" texts' first and last, the height of
// row 0 and of the row after the first break.
const char* PagesProgram = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for s in b.sheets():
    breaks = [p[0] for p in s.horizontal_page_breaks]
    rows = [r for r in range(s.nrows) for c in range(s.ncols) if str(s.cell_value(r, c)).startswith("r")]
    heads = [r for r in range(s.nrows) for c in range(s.ncols) if s.cell_value(r, c) == "名称"]
    h = lambda r: s.rowinfo_map[r].height if r in s.rowinfo_map else None
    print(s.name, len(breaks), breaks[:2], "heads", heads[:2], "rows", len(rows), rows[:1], "heights", h(0), h(breaks[0]) if breaks else None)
)";

} // namespace

TEST(XLSExport, PagesOnOneSheetWithBreaksOrOneSheetEach) {
    TTempDir dir;
    TEngineFixture f(TEngineFixture::Rows(80));
    LongList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 2);

    TVNXLSExport single;
    const std::string one = ExportAndDump(f.Report, single, dir, PagesProgram);
    // Page 1: the top margin row (outside the used area, so without a height of its own), the
    // header, 52 rows; page 2 starts on the row after page 1's last, with a break there, and its
    // first row is as tall as the top margin of its own page (76 pixels: 1110 twips).
    EXPECT_EQ(one, "Sheet1 2 [54, 84] heads [1, 55] rows 80 [2] heights None 1110\n") << one;

    TVNXLSExport multi;
    multi.MultiSheet = true;
    const std::string two = ExportAndDump(f.Report, multi, dir, PagesProgram);
    EXPECT_EQ(two, "Sheet1 0 [] heads [1] rows 52 [2] heights None None\n"
                   "Sheet2 0 [] heads [1] rows 28 [2] heights None None\n")
        << two;

    TVNXLSExport second;
    second.ExportPages = "2";
    const std::string page2 = ExportAndDump(f.Report, second, dir, PagesProgram);
    EXPECT_EQ(page2, "Sheet2 1 [30] heads [1] rows 28 [2] heights None None\n") << page2;
}

TEST(XLSExport, AReportLongerThanASheetGoesOnInANewSheet) {
    TTempDir dir;
    TEngineFixture f(TEngineFixture::Rows(70000));
    LongList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TVNXLSExport xls;
    const std::string out = ExportAndDump(f.Report, xls, dir, R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
names = [s.name for s in b.sheets()]
texts = [v for s in b.sheets() for c in range(s.ncols) for v in s.col_values(c) if str(v).startswith("r")]
print(len(names), names[0], b.sheet_by_index(0).nrows <= 65536, len(texts), texts[0], texts[-1], len(set(texts)))
)");
    EXPECT_EQ(out, "2 Sheet1 True 70000 r1 r70000 70000\n") << out;
}

TEST(XLSExport, ObjectsWithoutPicturesAndOverlappingObjects) {
    TTempDir dir;
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 10, 200);
    auto* picture = new TVNPictureView;
    picture->Name = "P";
    picture->PlaceAt(64, 20, 80, 40);
    picture->SetFrameTyp(15);
    f.Page->Add(picture);
    // B starts inside A; C overlaps A's lower left corner from outside.
    AddMemo(*f.Page, "A", 200, 20, 100, 30, {"aaa"})->SetFrameTyp(15);
    AddMemo(*f.Page, "B", 250, 40, 100, 30, {"bbb"});
    AddMemo(*f.Page, "C", 150, 40, 100, 30, {"ccc"});
    ASSERT_TRUE(f.Report.BuildReport());
    TVNXLSExport xls;
    xls.ExportImages = false;
    const std::string out = ExportAndDump(f.Report, xls, dir);
    // The picture becomes one space without borders or font. B's first cell is A's, so its text
    // joins A's; C keeps its own first cell, shrunk to it, and nothing is written twice.
    EXPECT_EQ(out, "sheet Sheet1 breaks [5]\n"
                   "1,1+3x1 ' ' |10| 0000 |None| h0 v2\n"
                   "1,4+2x2 'aaa\\nbbb' |10| 1111 |None| h1 v3\n"
                   "2,3 'ccc' |10| 0000 |None| h1 v3\n")
        << out;
}

TEST(XLSExport, NumberCellsOnlyWhenAsked) {
    TTempDir dir;
    TEngineFixture f(
        {{"g", "1,234.50", 0}, {"g", "-20.25", 0}, {"g", "3,000", 0}, {"g", "12,34", 0}, {"g", "abc", 0}});
    AddBand(*f.Page, "Data", bkMasterData, 90, 18)->FormatText = "Lines";
    AddMemo(*f.Page, "N", 64, 90, 100, 18, {"[name]"});
    ASSERT_TRUE(f.Report.BuildReport());
    const char* program = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_index(0)
cells = [s.cell(r, c) for r in range(s.nrows) for c in range(s.ncols) if s.cell(r, c).ctype in (1, 2)]
print([(c.value, b.format_map[b.xf_list[c.xf_index].format_key].format_str) for c in cells])
print(sum(c.value for c in cells if c.ctype == 2))
)";
    TVNXLSExport plain;
    EXPECT_EQ(
        ExportAndDump(f.Report, plain, dir, program),
        "[('1,234.50', 'General'), (-20.25, 'General'), ('3,000', 'General'), ('12,34', 'General'), ('abc', "
        "'General')]\n-20.25\n");
    TVNXLSExport numbers;
    numbers.NumberCells = true;
    EXPECT_EQ(ExportAndDump(f.Report, numbers, dir, program),
              "[(1234.5, '#,##0.00'), (-20.25, '0.00'), (3000.0, '#,##0'), ('12,34', 'General'), ('abc', "
              "'General')]\n4214.25\n");
}

TEST(XLSXExport, TheSameCellsMergesAndFontsThroughOpenpyxl) {
    TTempDir dir;
    TEngineFixture f({{"A", "apple", 12}, {"A", "pear", 3}, {"B", "plum", 100}});
    GroupedReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TVNXLSXExport xlsx;
    xlsx.ShowDialog = false;
    xlsx.ShowAfterExport = false;
    const std::string file = dir / "out.xlsx";
    ASSERT_TRUE(f.Report.ExportBuiltReport(xlsx, file));
    const std::string out = Python(R"(
import sys, openpyxl
b = openpyxl.load_workbook(sys.argv[1])
for s in b.worksheets:
    print("sheet", s.title, sorted(str(m) for m in s.merged_cells.ranges), "breaks", [br.id for br in s.row_breaks.brk])
    for row in s.iter_rows():
        for c in row:
            if c.value is None:
                continue
            fill = c.fill.fgColor.rgb if c.fill.fill_type == "solid" else None
            print(c.coordinate, repr(c.value), "b" if c.font.b else "", c.font.sz, c.border.left.style, fill, c.alignment.horizontal, c.alignment.vertical)
    print("width C", round(s.column_dimensions["C"].width, 2), "height 6", s.row_dimensions[6].height)
)",
                                   file, dir);
    // The cells of the XLS test, counted from 1: row 2 there is row 3 here, column 2 is C. Column
    // C is 91 pixels: 13 characters with the cell padding, as in the XLS file; the header row 19
    // pixels.
    EXPECT_EQ(out, "sheet Sheet1 ['C10:D10', 'C3:E3', 'C7:D7'] breaks [11]\n"
                   "C3 '库存表' b 14.0 None None center justify\n"
                   "C6 '名称'  10.0 thin FFC0C0C0 left justify\n"
                   "D6 '数量'  10.0 thin FFC0C0C0 left justify\n"
                   "C7 '组 A'  10.0 thin None left justify\n"
                   "C8 'apple'  10.0 thin None left justify\n"
                   "D8 12  10.0 thin None right justify\n"
                   "C9 'pear'  10.0 thin None left justify\n"
                   "D9 3  10.0 thin None right justify\n"
                   "C10 '组 B'  10.0 thin None left justify\n"
                   "C11 'plum'  10.0 thin None left justify\n"
                   "D11 100  10.0 thin None right justify\n"
                   "width C 13.0 height 6 14.25\n")
        << out;
    const std::vector<std::string> csv = LibreOfficeCsv({file}, dir);
    for (const char* text : {"库存表", "名称", "数量", "组 A", "apple", "12", "组 B", "plum", "100"})
        EXPECT_NE(csv[0].find(text), std::string::npos) << text << "\n" << csv[0];
}
