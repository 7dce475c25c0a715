// The workbook writer: the records of a small workbook byte for byte where their values are
// fixed, the file read back by xlrd and LibreOffice, long strings continued over records, the
// largest sheet the format holds, a file large enough to need DIFAT sectors, the palette rule,
// and models the format cannot hold refused before anything is written.
#include "SpreadsheetReaders.h"

#include "report/export/workbook/VNCompoundFile.h"
#include "report/export/workbook/VNWorkbook.h"

#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

using namespace sheettest;

namespace {

// One sheet: a bold merged heading with borders and a custom fill, a number text, a plain text.
void SmallWorkbook(TVNWorkbook& wb) {
    TVNWorksheet& sheet = wb.AddWorksheet();
    wb.ColumnWidth(sheet, 0, 64);
    wb.RowHeight(sheet, 0, 20);
    TVNXLRange& a = wb.AddRange(sheet, 0, 0, 1, 0);
    a.SetText(CP936("合计"));
    a.Font.Size = 12;
    a.Font.Style = fsBold;
    a.Font.Charset = GB2312_CHARSET;
    a.HAlign = xlhCenter;
    a.VAlign = xlvCenter;
    for (int side : {xlbLeft, xlbTop, xlbRight, xlbBottom})
        a.Borders[side] = {1, clBlack, true};
    a.FillPattern = 1;
    a.PatternColor = 0x563412; // RGB 12 34 56, not in the standard palette
    a.BackColor = clWhite;
    wb.AddRange(sheet, 2, 0, 2, 0).SetText("12.50");
    wb.AddRange(sheet, 0, 1, 0, 1).SetText("abc");
}

std::string RecordOf(const std::vector<TRecord>& records, std::uint16_t type, int nth = 0) {
    for (const TRecord& r : records)
        if (r.Type == type && nth-- == 0) return Hex(r.Data);
    return "(missing)";
}

} // namespace

TEST(WorkbookWriter, RecordsOfASmallWorkbookByteForByte) {
    TVNWorkbook wb(7, 96);
    SmallWorkbook(wb);
    const std::vector<TRecord> records = Records(WorkbookStreamBytes(wb));
    std::vector<std::uint16_t> types;
    for (const TRecord& r : records)
        types.push_back(r.Type);
    std::vector<std::uint16_t> expected = {0x0809, 0x00E1, 0x00C1, 0x00E2, 0x005C, 0x0042, 0x0161, 0x01C0,
                                           0x013D, 0x009C, 0x0019, 0x0012, 0x0013, 0x01AF, 0x01BC, 0x003D,
                                           0x0040, 0x008D, 0x0022, 0x000E, 0x01B7, 0x00DA};
    expected.insert(expected.end(), 6, 0x0031);  // four standard fonts and two cell fonts
    expected.insert(expected.end(), 8, 0x041E);  // the built-in currency formats
    expected.insert(expected.end(), 23, 0x00E0); // 15 style, 6 fixed, 2 cell formats
    expected.insert(expected.end(), 6, 0x0293);
    for (std::uint16_t t : {0x0092, 0x0160, 0x0085, 0x008C, 0x00FC, 0x00FF, 0x000A, // globals end
                            0x0809, 0x020B, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002A, 0x002B,
                            0x0082, 0x0080, 0x0225, 0x0081, 0x0014, 0x0015, 0x0083, 0x0084, 0x0026, 0x0027,
                            0x0028, 0x0029, 0x00A1, 0x0055, 0x007D, 0x0200, 0x0208, 0x0208, 0x00FD, 0x0201,
                            0x0203, 0x00FD, 0x00D7, 0x023E, 0x001D, 0x00E5, 0x000A})
        expected.push_back(t);
    EXPECT_EQ(types, expected);

    EXPECT_EQ(RecordOf(records, 0x0809), "00 06 05 00 bb 0d cc 07 00 00 00 00 00 06 00 00");
    EXPECT_EQ(RecordOf(records, 0x0809, 1), "00 06 10 00 bb 0d cc 07 00 00 00 00 00 06 00 00");
    EXPECT_EQ(RecordOf(records, 0x003D), "68 01 1e 00 1e 1d 60 18 38 00 00 00 00 00 01 00 58 02");
    // WRITEACCESS: the user name as bare UTF-16 over 112 spaces.
    std::string access(112, ' ');
    access.replace(0, 12, std::string("O\0r\0v\0a\0n\0e\0", 12));
    EXPECT_EQ(RecordOf(records, 0x005C), Hex(access));
    // The bold heading font (weight 1000) and the plain one (weight 100), both in colour 8.
    EXPECT_EQ(RecordOf(records, 0x0031, 4),
              "f0 00 00 00 08 00 e8 03 00 00 00 00 86 00 05 01 41 00 72 00 69 00 61 00 6c 00");
    EXPECT_EQ(RecordOf(records, 0x0031, 5),
              "c8 00 00 00 08 00 64 00 00 00 00 00 01 00 05 01 41 00 72 00 69 00 61 00 6c 00");
    EXPECT_EQ(RecordOf(records, 0x00E0, 15), "00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 c0 20");
    EXPECT_EQ(RecordOf(records, 0x00E0, 17), "01 00 b6 00 f5 ff 20 00 00 f8 00 00 00 00 00 00 00 00 c0 20");
    // Merged, centred both ways, thin black borders, solid fill in palette entry 24 on white.
    EXPECT_EQ(RecordOf(records, 0x00E0, 21), "05 00 00 00 01 00 12 00 20 fc 11 11 08 04 08 04 00 04 98 04");
    EXPECT_EQ(RecordOf(records, 0x00E0, 22), "06 00 00 00 01 00 20 00 00 fc 00 00 00 00 00 00 00 00 c0 20");
    EXPECT_EQ(RecordOf(records, 0x0293, 1), "11 80 07 ff");
    // The palette: entry 24 (the first that is not a basic colour) now holds the fill colour.
    const std::string palette = FromHex(RecordOf(records, 0x0092));
    ASSERT_EQ(palette.size(), 226u);
    EXPECT_EQ(Hex(palette.substr(2 + 4 * 16, 4)), "12 34 56 00");
    EXPECT_EQ(Hex(palette.substr(2 + 4 * 17, 4)), "99 33 66 00");
    EXPECT_EQ(RecordOf(records, 0x008C), "56 00 56 00");
    // Every cell text is shared, the number text included.
    EXPECT_EQ(RecordOf(records, 0x00FC),
              "03 00 00 00 03 00 00 00 02 00 01 08 54 a1 8b 05 00 01 31 00 32 00 2e 00 35 "
              "00 30 00 03 00 01 61 00 62 00 63 00");
    EXPECT_EQ(RecordOf(records, 0x007D), "00 00 00 00 25 09 00 00 00 00 00");
    EXPECT_EQ(RecordOf(records, 0x0200), "00 00 00 00 02 00 00 00 00 00 03 00 00 00");
    EXPECT_EQ(RecordOf(records, 0x0208), "00 00 00 00 03 00 2c 01 00 00 00 00 40 01 0f 00");
    EXPECT_EQ(RecordOf(records, 0x0208, 1), "01 00 00 00 01 00 ff 00 00 00 00 00 00 01 0f 00");
    EXPECT_EQ(RecordOf(records, 0x00FD), "00 00 00 00 15 00 00 00 00 00");
    EXPECT_EQ(RecordOf(records, 0x0201), "00 00 01 00 15 00");
    EXPECT_EQ(RecordOf(records, 0x0203), "00 00 02 00 16 00 00 00 00 00 00 00 29 40");
    EXPECT_EQ(RecordOf(records, 0x00D7), "60 00 00 00 14 00 2a 00");
    EXPECT_EQ(RecordOf(records, 0x023E), "b6 06 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(RecordOf(records, 0x00E5), "01 00 00 00 00 00 00 00 01 00");

    // The sheet list points at the sheet's BOF; INDEX points at DEFCOLWIDTH and the DBCELL.
    auto u32 = [](const std::string& d, std::size_t at) {
        return std::uint32_t(static_cast<unsigned char>(d[at])) |
               std::uint32_t(static_cast<unsigned char>(d[at + 1])) << 8 |
               std::uint32_t(static_cast<unsigned char>(d[at + 2])) << 16 |
               std::uint32_t(static_cast<unsigned char>(d[at + 3])) << 24;
    };
    std::size_t sheetBof = 0, defColWidth = 0, dbcell = 0;
    std::string boundSheet, index;
    for (const TRecord& r : records) {
        if (r.Type == 0x0809 && r.Position > 0) sheetBof = r.Position;
        if (r.Type == 0x0055) defColWidth = r.Position;
        if (r.Type == 0x00D7) dbcell = r.Position;
        if (r.Type == 0x0085) boundSheet = r.Data;
        if (r.Type == 0x020B) index = r.Data;
    }
    EXPECT_EQ(u32(boundSheet, 0), sheetBof);
    EXPECT_EQ(u32(index, 4), 0u);
    EXPECT_EQ(u32(index, 8), 2u);
    EXPECT_EQ(u32(index, 12), defColWidth);
    EXPECT_EQ(u32(index, 16), dbcell);
}

TEST(WorkbookWriter, OnlyStandardColoursWriteNoPalette) {
    TVNWorkbook wb(7, 96);
    TVNWorksheet& sheet = wb.AddWorksheet();
    TVNXLRange& r = wb.AddRange(sheet, 0, 0, 0, 0);
    r.SetText("x");
    r.Font.Color = clRed;
    r.FillPattern = 1;
    r.PatternColor = 0xFFFF00; // cyan
    r.BackColor = clWhite;
    for (const TRecord& rec : Records(WorkbookStreamBytes(wb)))
        EXPECT_NE(rec.Type, 0x0092);
}

TEST(WorkbookWriter, UnitsRoundHalvesAwayFromZero) {
    TVNWorkbook wb(7, 96);
    EXPECT_EQ(wb.ColumnUnits(64), 2341);       // 64 * 256 / 7 = 2340.57
    EXPECT_EQ(wb.ColumnUnits(7 * 300), 65280); // capped
    EXPECT_EQ(wb.RowTwips(17), 255);           // 17 * 15
    TVNWorkbook half(2, 96);
    EXPECT_EQ(half.ColumnUnits(1), 128);
    TVNWorkbook odd(7, 72);
    EXPECT_EQ(odd.RowTwips(1), 20);
}

TEST(WorkbookWriter, PlainDecimalTexts) {
    struct Case {
        const char* Text;
        bool Number;
        double Value;
    };
    for (const Case& c :
         {Case{"12.50", true, 12.5}, Case{" 007 ", true, 7}, Case{"-3", true, -3}, Case{"-.5", true, -0.5},
          Case{"5.", true, 5}, Case{"1-2", false, 0}, Case{"1.2.3", false, 0}, Case{"--1", false, 0},
          Case{".", false, 0}, Case{"-", false, 0}, Case{"", false, 0}, Case{"1,234", false, 0},
          Case{"1e5", false, 0}, Case{"+1", false, 0}}) {
        double v = 0;
        EXPECT_EQ(IsPlainDecimal(c.Text, &v), c.Number) << c.Text;
        if (c.Number) {
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
        }
    }
}

TEST(WorkbookWriter, XlrdAndLibreOfficeReadWhatWasWritten) {
    TTempDir dir;
    TVNWorkbook wb(7, 96);
    SmallWorkbook(wb);
    TVNWorksheet& second = wb.AddWorksheet();
    wb.SetName(second, CP936("第二页"));
    TVNXLRange& lines = wb.AddRange(second, 1, 2, 3, 4);
    lines.SetText(CP936("一行\n两行"));
    lines.Wrap = true;
    lines.Font.Style = fsItalic | fsUnderline;
    lines.Font.Name = CP936("宋体");
    wb.AddRange(second, 0, 0, 0, 0).SetText("007");
    wb.AddRange(second, 0, 1, 0, 1).SetText("1-2");
    wb.AddPageBreak(second, 3);
    const std::string file = dir / "small.xls";
    SaveWorkbook(wb, file);

    const std::string out = Python(R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for s in b.sheets():
    print("sheet", s.name, s.nrows, s.ncols, sorted(s.merged_cells), s.horizontal_page_breaks)
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype in (1, 2):
                f = b.font_list[b.xf_list[cell.xf_index].font_index]
                print(r, c, cell.ctype, repr(cell.value), f.name, f.height, f.weight, f.italic, f.underline_type)
    print("widths", {k: v.width for k, v in s.colinfo_map.items()}, "heights", {k: v.height for k, v in s.rowinfo_map.items() if v.height != 255})
print("colour24", b.colour_map[24])
)",
                                   file, dir);
    EXPECT_EQ(out, "sheet Sheet1 2 3 [(0, 1, 0, 2)] []\n"
                   "0 0 1 '合计' Arial 240 1000 0 0\n"
                   "0 2 2 12.5 Arial 200 100 0 0\n"
                   "1 0 1 'abc' Arial 200 100 0 0\n"
                   "widths {0: 2341} heights {0: 300}\n"
                   "sheet 第二页 5 4 [(2, 5, 1, 4)] [(3, 0, 255)]\n"
                   "0 0 2 7.0 Arial 200 100 0 0\n"
                   "1 0 1 '1-2' Arial 200 100 0 0\n"
                   "2 1 1 '一行\\n两行' 宋体 200 100 1 1\n"
                   "widths {} heights {}\n"
                   "colour24 (18, 52, 86)\n")
        << out;

    const std::vector<std::string> csv = LibreOfficeCsv({file}, dir);
    EXPECT_EQ(csv[0], "\"合计\",,12.5\n\"abc\",,\n") << csv[0];
}

TEST(WorkbookWriter, LongStringsContinueWithTheirFlagByte) {
    TTempDir dir;
    TVNWorkbook wb(7, 96);
    TVNWorksheet& sheet = wb.AddWorksheet();
    AnsiString chinese;
    for (int i = 0; i < 5000; ++i)
        chinese += CP936("汉");
    AnsiString latin(9000, 'q');
    wb.AddRange(sheet, 0, 0, 0, 0).SetText("short");
    wb.AddRange(sheet, 0, 1, 0, 1).SetText(chinese);
    wb.AddRange(sheet, 0, 2, 0, 2).SetText(latin);
    const std::string stream = WorkbookStreamBytes(wb);
    const std::vector<TRecord> records = Records(stream);
    std::size_t sst = 0;
    while (records[sst].Type != 0x00FC)
        ++sst;
    // 8 + 8 bytes, then the Chinese string's header and as many characters as fit.
    EXPECT_EQ(records[sst].Data.size(), 8224u);
    // 8 + 13 + 10,003 + 18,003 bytes: three continuations, each opening a continued string
    // with its flag byte.
    for (std::size_t k = 1; k <= 3; ++k) {
        ASSERT_EQ(records[sst + k].Type, 0x003C);
        EXPECT_EQ(records[sst + k].Data[0], '\x01');
    }
    EXPECT_EQ(records[sst + 4].Type, 0x00FF);
    for (const TRecord& r : records)
        EXPECT_LE(r.Data.size(), 8224u);

    const std::string file = dir / "long.xls";
    AtomicWriteFile(file, CompoundFileBytes("Workbook", stream));
    const std::string out = Python(R"(
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
v = s.col_values(0)
print(v[0], len(v[1]), set(v[1]) == {"汉"}, len(v[2]), set(v[2]) == {"q"})
)",
                                   file, dir);
    EXPECT_EQ(out, "short 5000 True 9000 True\n");
}

TEST(WorkbookWriter, TheLargestSheetAndAFileThatNeedsDifatSectors) {
    TTempDir dir;
    TVNWorkbook wb(7, 96);
    TVNWorksheet& sheet = wb.AddWorksheet();
    // Every row of the format, a number and a 48-character text in each: about 7.9 MB.
    const AnsiString filler(48, 'w');
    for (int row = 0; row < 65536; ++row) {
        wb.AddRange(sheet, 0, row, 0, row).SetNumber(row);
        wb.AddRange(sheet, 1, row, 2, row).SetText(filler + std::to_string(row));
    }
    const std::string file = dir / "large.xls";
    SaveWorkbook(wb, file);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(file, bytes));
    EXPECT_GT(bytes.size(), 7143936u);
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(static_cast<unsigned char>(bytes[at])) |
               std::uint32_t(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               std::uint32_t(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               std::uint32_t(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    EXPECT_GT(u32(0x2C), 109u); // FAT sectors
    EXPECT_GE(u32(0x48), 1u);   // DIFAT sectors

    const std::string out = Python(R"(
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1], formatting_info=True).sheet_by_index(0)
print(s.nrows, s.ncols, s.cell_value(0, 0), s.cell_value(65535, 0), s.cell_value(65535, 1)[-6:], len(s.merged_cells))
)",
                                   file, dir);
    EXPECT_EQ(out, "65536 3 0.0 65535.0 w65535 65536\n");
    // An independent reader of the container alone lists the one stream.
    const std::string listing = RunCommand("gsf list '" + file + "'");
    EXPECT_NE(listing.find("Workbook"), std::string::npos) << listing;
}

TEST(WorkbookWriter, ModelsTheFormatCannotHoldAreRefused) {
    TTempDir dir;
    struct Case {
        const char* Name;
        void (*Fill)(TVNWorkbook&, TVNWorksheet&);
    };
    const Case cases[] = {
        {"row past 65536",
         [](TVNWorkbook& wb, TVNWorksheet& s) { wb.AddRange(s, 0, 65536, 0, 65536).SetText("x"); }},
        {"column past 256", [](TVNWorkbook& wb, TVNWorksheet& s) { wb.AddRange(s, 250, 0, 256, 0); }},
        {"overlapping merges",
         [](TVNWorkbook& wb, TVNWorksheet& s) {
             wb.AddRange(s, 0, 0, 2, 2);
             wb.AddRange(s, 2, 2, 3, 3);
         }},
        {"same cell twice",
         [](TVNWorkbook& wb, TVNWorksheet& s) {
             wb.AddRange(s, 1, 1, 1, 1);
             wb.AddRange(s, 1, 1, 1, 1);
         }},
        {"width past 256 columns", [](TVNWorkbook& wb, TVNWorksheet& s) { wb.ColumnWidth(s, 256, 10); }},
        {"break past the rows", [](TVNWorkbook& wb, TVNWorksheet& s) { wb.AddPageBreak(s, 70000); }},
    };
    for (const Case& c : cases) {
        TVNWorkbook wb(7, 96);
        c.Fill(wb, wb.AddWorksheet());
        const std::string file = dir / "refused.xls";
        EXPECT_THROW(SaveWorkbook(wb, file), EVNWorkbookError) << c.Name;
        EXPECT_FALSE(fs::exists(file)) << c.Name;
    }
}

TEST(WorkbookWriter, SmallAndEmptyStreamsUseTheMiniStream) {
    TTempDir dir;
    TVNWorkbook empty(7, 96);
    empty.AddWorksheet();
    const std::string file = dir / "empty.xls";
    SaveWorkbook(empty, file);
    const std::string out = Python(R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
print(b.nsheets, b.sheet_by_index(0).nrows)
)",
                                   file, dir);
    EXPECT_EQ(out, "1 0\n");
    // The container alone, for a stream just below and just above the mini-stream cut-off.
    for (std::size_t size : {std::size_t(0), std::size_t(4095), std::size_t(4096), std::size_t(70000)}) {
        std::string stream(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            stream[i] = char(i * 7 + 3);
        const std::string f = dir / ("s" + std::to_string(size) + ".bin");
        AtomicWriteFile(f, CompoundFileBytes("Workbook", stream));
        const std::string back = RunCommand("gsf cat '" + f + "' Workbook");
        EXPECT_TRUE(back == stream) << size;
    }
}

TEST(WorkbookWriter, PicturesAreObjectsWithTheirBitmap) {
    TVNWorkbook wb(7, 96);
    TVNWorksheet& sheet = wb.AddWorksheet();
    TRasterImage image(3, 2, 0xFF0000FF); // blue
    image.SetPixel(0, 0, 0xFFFF0000);     // red top-left
    wb.AddPicture(sheet, 1, 2, 4, 6, image);
    const std::vector<TRecord> records = Records(WorkbookStreamBytes(wb));
    std::string obj, imdata;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].Type == 0x005D) {
            obj = records[i].Data;
            ASSERT_EQ(records[i + 1].Type, 0x007F);
            imdata = records[i + 1].Data;
        }
    ASSERT_EQ(obj.size(), 60u);
    // One picture on the sheet, picture type, id 1, anchored from column 1 row 2 to column 4 row 6.
    EXPECT_EQ(Hex(obj.substr(0, 26)),
              "01 00 00 00 08 00 01 00 14 06 01 00 00 00 02 00 00 00 04 00 00 00 06 00 00 00");
    // A 24-bit bitmap behind its core header, rows bottom-up and padded to four bytes.
    EXPECT_EQ(Hex(imdata.substr(0, 8 + 12)), "09 00 01 00 24 00 00 00 0c 00 00 00 03 00 02 00 01 00 18 00");
    EXPECT_EQ(Hex(imdata.substr(20)),
              "ff 00 00 ff 00 00 ff 00 00 00 00 00 00 00 ff ff 00 00 ff 00 00 00 00 00");
}
