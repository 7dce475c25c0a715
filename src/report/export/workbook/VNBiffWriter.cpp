// Saving a workbook as BIFF8: the globals substream (fonts, formats, cell formats, palette,
// sheet list, shared strings) and one substream per worksheet (page setup, column widths, row
// blocks with their cells and DBCELL index, pictures, window, merged ranges), all in the single
// stream "Workbook" of a compound file.
//
// Fonts, number formats and cell formats are collected once for the whole workbook before any
// record is written, deduplicated by comparison; colours are mapped to the palette on the way,
// so the palette is complete when its record is due. Row blocks are written with their cell
// records behind their ROW records, and the stream positions the format wants up front (sheet
// offsets, INDEX entries) are patched in once known.
#include "VNBiffRecords.h"
#include "VNCompoundFile.h"
#include "VNWorkbook.h"
#include "VNXLPalette.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <unordered_map>

namespace {

using biff::TData;
using biff::TStream;

// Record types.
enum : std::uint16_t {
    rtBOF = 0x0809,
    rtEOF = 0x000A,
    rtInterfaceHdr = 0x00E1,
    rtMMS = 0x00C1,
    rtInterfaceEnd = 0x00E2,
    rtWriteAccess = 0x005C,
    rtCodePage = 0x0042,
    rtDSF = 0x0161,
    rtExcel9File = 0x01C0,
    rtTabId = 0x013D,
    rtFnGroupCount = 0x009C,
    rtWindowProtect = 0x0019,
    rtProtect = 0x0012,
    rtPassword = 0x0013,
    rtProt4Rev = 0x01AF,
    rtProt4RevPass = 0x01BC,
    rtWindow1 = 0x003D,
    rtBackup = 0x0040,
    rtHideObj = 0x008D,
    rtDateMode = 0x0022,
    rtPrecision = 0x000E,
    rtRefreshAll = 0x01B7,
    rtBookBool = 0x00DA,
    rtFont = 0x0031,
    rtFormat = 0x041E,
    rtXF = 0x00E0,
    rtStyle = 0x0293,
    rtPalette = 0x0092,
    rtUsesElfs = 0x0160,
    rtBoundSheet = 0x0085,
    rtCountry = 0x008C,
    rtSST = 0x00FC,
    rtExtSST = 0x00FF,
    rtIndex = 0x020B,
    rtCalcMode = 0x000D,
    rtCalcCount = 0x000C,
    rtRefMode = 0x000F,
    rtIteration = 0x0011,
    rtDelta = 0x0010,
    rtSaveRecalc = 0x005F,
    rtPrintHeaders = 0x002A,
    rtPrintGridLines = 0x002B,
    rtGridSet = 0x0082,
    rtGuts = 0x0080,
    rtDefaultRowHeight = 0x0225,
    rtHPageBreaks = 0x001B,
    rtWsBool = 0x0081,
    rtHeader = 0x0014,
    rtFooter = 0x0015,
    rtHCenter = 0x0083,
    rtVCenter = 0x0084,
    rtLeftMargin = 0x0026,
    rtRightMargin = 0x0027,
    rtTopMargin = 0x0028,
    rtBottomMargin = 0x0029,
    rtSetup = 0x00A1,
    rtDefColWidth = 0x0055,
    rtColInfo = 0x007D,
    rtDimensions = 0x0200,
    rtRow = 0x0208,
    rtDBCell = 0x00D7,
    rtNumber = 0x0203,
    rtLabelSST = 0x00FD,
    rtBlank = 0x0201,
    rtMulBlank = 0x00BE,
    rtObj = 0x005D,
    rtImData = 0x007F,
    rtWindow2 = 0x023E,
    rtSelection = 0x001D,
    rtMergedCells = 0x00E5
};

constexpr TVNWorkbookLimits BiffLimits{65536, 256};
constexpr int RowsPerBlock = 60;
constexpr int MaxMergesPerRecord = 1027;
constexpr int MaxPageBreaks = 1026;
constexpr std::size_t MaxCellChars = 32767;
constexpr int FirstCellXF = 21; // 15 style formats and 6 fixed cell formats come first
constexpr int FirstCustomFormat = 50;

// Records given byte by byte (header included).
constexpr unsigned char StyleXF0[] = {0xe0, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf5, 0xff, 0x20, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
constexpr unsigned char StyleXF1[] = {0xe0, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0xf5, 0xff, 0x20, 0x00,
                                      0x00, 0xf4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
constexpr unsigned char StyleXF2[] = {0xe0, 0x00, 0x14, 0x00, 0x02, 0x00, 0x00, 0x00, 0xf5, 0xff, 0x20, 0x00,
                                      0x00, 0xf4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
constexpr unsigned char StyleXFn[] = {0xe0, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf5, 0xff, 0x20, 0x00,
                                      0x00, 0xf4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x20};
constexpr unsigned char CellXF15[] = {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x20, 0x00, 0x00, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x20};
constexpr unsigned char CellXF16[] = {0x01, 0x00, 0x09, 0x00, 0xF5, 0xFF, 0x20, 0x00, 0x00, 0xF8,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x20};
constexpr unsigned char CellXFFormats[4] = {0xB6, 0xB4, 0xB7, 0xB5};
constexpr unsigned char Styles[6][8] = {
    {0x93, 0x02, 0x04, 0x00, 0x10, 0x80, 0x04, 0xFF}, {0x93, 0x02, 0x04, 0x00, 0x11, 0x80, 0x07, 0xFF},
    {0x93, 0x02, 0x04, 0x00, 0x00, 0x80, 0x00, 0xFF}, {0x93, 0x02, 0x04, 0x00, 0x12, 0x80, 0x05, 0xFF},
    {0x93, 0x02, 0x04, 0x00, 0x13, 0x80, 0x03, 0xFF}, {0x93, 0x02, 0x04, 0x00, 0x14, 0x80, 0x06, 0xFF}};

// The built-in currency formats every file carries; 0xF0 is the currency sign's byte.
const std::pair<int, const char*> BuiltInFormats[] = {
    {5, "#,##0\"\xF0.\";\\-#,##0\"\xF0.\""},
    {6, "#,##0\"\xF0.\";[Red]\\-#,##0\"\xF0.\""},
    {7, "#,##0.00\"\xF0.\";\\-#,##0.00\"\xF0.\""},
    {8, "#,##0.00\"\xF0.\";[Red]\\-#,##0.00\"\xF0.\""},
    {42, "_-* #,##0\"\xF0.\"_-;\\-* #,##0\"\xF0.\"_-;_-* \"-\"\"\xF0.\"_-;_-@_-"},
    {41, "_-* #,##0_\xF0_._-;\\-* #,##0_\xF0_._-;_-* \"-\"_\xF0_._-;_-@_-"},
    {44, "_-* #,##0.00\"\xF0.\"_-;\\-* #,##0.00\"\xF0.\"_-;_-* \"-\"??\"\xF0.\"_-;_-@_-"},
    {43, "_-* #,##0.00_\xF0_._-;\\-* #,##0.00_\xF0_._-;_-* \"-\"??_\xF0_._-;_-@_-"},
};

void RawRecord(TStream& out, const unsigned char* bytes, std::size_t n) {
    out.Bytes.append(reinterpret_cast<const char*>(bytes), n);
}

std::u16string Wide(const AnsiString& text, std::size_t maxChars) {
    std::u16string w = AnsiToUtf16(text);
    if (w.size() > maxChars) {
        w.resize(maxChars);
        // Never end on the first half of a surrogate pair.
        if (!w.empty() && w.back() >= 0xD800 && w.back() <= 0xDBFF) w.pop_back();
    }
    return w;
}

void BOF(TStream& out, unsigned type) {
    out.Record(rtBOF, TData().U16(0x0600).U16(type).U16(3515).U16(1996).U32(0).U32(0x0600));
}

// The tables of the whole workbook: fonts, number formats, cell formats, palette, strings.
struct TTables {
    TVNXLPalette Palette;
    std::vector<TVNXLFont> Fonts; // distinct cell fonts in order of first use
    std::vector<AnsiString> Formats;
    std::vector<std::string> XFs; // 20-byte cell formats in order of first use
    std::unordered_map<std::string, int> XFIndex;
    std::vector<std::vector<int>> RangeXF;  // per sheet, per range
    std::vector<std::u16string> Strings;    // the shared strings, in sheet and range order
    std::vector<std::vector<int>> RangeSST; // per sheet, per range; -1 without a string

    int FontIndex(const TVNXLFont& font) {
        for (std::size_t i = 0; i < Fonts.size(); ++i)
            if (Fonts[i] == font) return int(i) + 5;
        Palette.Index(font.Color); // the font's colour claims its palette entry in order of use
        Fonts.push_back(font);
        return int(Fonts.size()) + 4;
    }
    int FormatIndex(const AnsiString& format) {
        if (format.empty()) return 0;
        for (std::size_t i = 0; i < Formats.size(); ++i)
            if (Formats[i] == format) return FirstCustomFormat + int(i);
        Formats.push_back(format);
        return FirstCustomFormat + int(Formats.size()) - 1;
    }
    int Colour(TColor c, int none) { return c == clNone ? none : Palette.Index(c); }

    std::string CellXF(const TVNXLRange& r) {
        const int font = FontIndex(r.Font);
        const int format = FormatIndex(r.NumberFormat);
        auto style = [&](int side) { return r.Borders[side].Assigned ? r.Borders[side].Style & 0x0F : 0; };
        auto colour = [&](int side) {
            return r.Borders[side].Assigned ? Colour(r.Borders[side].Color, 64) : 0;
        };
        const int diagonal = style(xlbDiagonalDown) ? xlbDiagonalDown : xlbDiagonalUp;
        std::uint32_t fill;
        if (r.FillPattern != 0)
            fill = std::uint32_t(Colour(r.PatternColor, 64)) | std::uint32_t(Colour(r.BackColor, 65)) << 7;
        else
            fill = 64 | 65 << 7;
        TData x;
        x.U16(font).U16(format).U16(0x0001);
        x.U8((r.HAlign & 7) | (r.VAlign & 7) << 4 | (r.Wrap ? 8 : 0)).U8(r.Rotation);
        x.U16(r.IsMerged() ? 0xFC20 : 0xFC00);
        x.U16(style(xlbLeft) | style(xlbRight) << 4 | style(xlbTop) << 8 | style(xlbBottom) << 12);
        x.U16(colour(xlbLeft) | colour(xlbRight) << 7 | (style(xlbDiagonalDown) ? 0x4000 : 0) |
              (style(xlbDiagonalUp) ? 0x8000 : 0));
        x.U32(std::uint32_t(colour(xlbTop)) | std::uint32_t(colour(xlbBottom)) << 7 |
              std::uint32_t(colour(diagonal)) << 14 | std::uint32_t(style(diagonal)) << 21 |
              std::uint32_t(r.FillPattern & 0x3F) << 26);
        x.U16(fill);
        return x.Bytes;
    }

    explicit TTables(const TVNWorkbook& wb) {
        Palette.Index(TVNXLFont().Color); // the four standard fonts come first
        for (int s = 0; s < wb.WorksheetCount(); ++s) {
            const TVNWorksheet& sheet = wb.Worksheet(s);
            auto& xfs = RangeXF.emplace_back();
            auto& sst = RangeSST.emplace_back();
            xfs.reserve(sheet.Ranges.size());
            sst.reserve(sheet.Ranges.size());
            for (const TVNXLRange& r : sheet.Ranges) {
                std::string xf = CellXF(r);
                auto [it, added] = XFIndex.try_emplace(std::move(xf), FirstCellXF + int(XFs.size()));
                if (added) XFs.push_back(it->first);
                xfs.push_back(it->second);
                if (!r.IsNumber && !r.Text.empty()) {
                    sst.push_back(int(Strings.size()));
                    Strings.push_back(Wide(r.Text, MaxCellChars));
                } else
                    sst.push_back(-1);
            }
        }
    }
};

void FontRecord(TStream& out, const TVNXLFont& f, TTables& t) {
    TData d;
    d.U16(unsigned(std::clamp(f.Size, 1, 409) * 20));
    d.U16((f.Style & fsItalic ? 2 : 0) | (f.Style & fsStrikeOut ? 8 : 0));
    d.U16(t.Palette.Index(f.Color));
    d.U16(f.Style & fsBold ? 1000 : 100);
    d.U16(0).U8(f.Style & fsUnderline ? 1 : 0).U8(f.Pitch).U8(f.Charset).U8(0);
    d.ShortUnicode(Wide(f.Name, 255));
    out.Record(rtFont, d);
}

// The shared strings, split over CONTINUE records so that a string's header and first
// character stay together and a continued string starts its part with its flag byte. Answers
// for every eighth (or, with many strings, every n-th) string its stream position and its offset
// in its record, for EXTSST.
struct TBucket {
    std::uint32_t Position;
    std::uint16_t Offset;
};

std::vector<TBucket> WriteSST(TStream& out, const std::vector<std::u16string>& strings,
                              std::size_t perBucket) {
    std::vector<std::string> chunks(1);
    chunks[0].reserve(biff::MaxRecordData);
    TData head;
    head.U32(std::uint32_t(strings.size())).U32(std::uint32_t(strings.size()));
    chunks[0] = head.Bytes;
    std::vector<std::pair<std::size_t, std::size_t>> starts; // chunk, offset of bucket strings
    auto room = [&] { return biff::MaxRecordData - chunks.back().size(); };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const std::u16string& s = strings[i];
        if (room() < 3 + (s.empty() ? 0 : 2)) chunks.emplace_back();
        if (i % perBucket == 0) starts.emplace_back(chunks.size() - 1, chunks.back().size());
        TData h;
        h.U16(unsigned(s.size())).U8(1);
        chunks.back() += h.Bytes;
        std::size_t at = 0;
        while (at < s.size()) {
            const std::size_t n = std::min(s.size() - at, room() / 2);
            TData c;
            c.Chars(std::u16string_view(s).substr(at, n));
            chunks.back() += c.Bytes;
            at += n;
            if (at < s.size()) {
                chunks.emplace_back();
                chunks.back() += char(1);
            }
        }
    }
    std::vector<std::size_t> recordStart;
    for (std::size_t k = 0; k < chunks.size(); ++k) {
        recordStart.push_back(out.Position());
        out.Record(k == 0 ? std::uint16_t(rtSST) : biff::rtContinue, chunks[k]);
    }
    std::vector<TBucket> buckets;
    for (auto [chunk, offset] : starts)
        buckets.push_back({std::uint32_t(recordStart[chunk] + 4 + offset), std::uint16_t(4 + offset)});
    return buckets;
}

void Globals(TStream& out, const TVNWorkbook& wb, TTables& t, std::vector<std::size_t>& sheetPositions) {
    BOF(out, 0x0005);
    out.RecordU16(rtInterfaceHdr, 1252);
    out.RecordU16(rtMMS, 0);
    out.Record(rtInterfaceEnd);
    {
        // The name is written as bare UTF-16 characters over 112 spaces. Readers that take the
        // record for a counted string read the first character as the count and the second's
        // low byte as flags; the default name keeps that reading a short 8-bit string inside
        // the record.
        std::string access(112, ' ');
        const std::u16string name = Wide(Trim(wb.UserName), 56);
        for (std::size_t i = 0; i < name.size(); ++i) {
            access[2 * i] = char(name[i] & 0xFF);
            access[2 * i + 1] = char(name[i] >> 8);
        }
        out.Record(rtWriteAccess, access);
    }
    out.RecordU16(rtCodePage, 1252);
    out.RecordU16(rtDSF, 0);
    out.Record(rtExcel9File);
    {
        TData tabs;
        for (int i = 0; i < wb.WorksheetCount(); ++i)
            tabs.U16(unsigned(i + 1));
        out.Record(rtTabId, tabs);
    }
    out.RecordU16(rtFnGroupCount, 14);
    out.RecordU16(rtWindowProtect, 0);
    out.RecordU16(rtProtect, 0);
    out.RecordU16(rtPassword, 0);
    out.RecordU16(rtProt4Rev, 0);
    out.RecordU16(rtProt4RevPass, 0);
    out.Record(rtWindow1,
               TData().U16(360).U16(30).U16(7454).U16(6240).U16(0x0038).U16(0).U16(0).U16(1).U16(600));
    out.RecordU16(rtBackup, 0);
    out.RecordU16(rtHideObj, 0);
    out.RecordU16(rtDateMode, 0);
    out.RecordU16(rtPrecision, 1);
    out.RecordU16(rtRefreshAll, 0);
    out.RecordU16(rtBookBool, 0);

    for (int i = 0; i < 4; ++i)
        FontRecord(out, TVNXLFont(), t);
    for (std::size_t i = 0; i < t.Fonts.size(); ++i)
        FontRecord(out, t.Fonts[i], t);

    for (const auto& [index, text] : BuiltInFormats)
        out.Record(rtFormat, TData().U16(unsigned(index)).Unicode(Wide(text, 255)));
    for (std::size_t i = 0; i < t.Formats.size(); ++i)
        out.Record(rtFormat, TData().U16(unsigned(FirstCustomFormat + i)).Unicode(Wide(t.Formats[i], 255)));

    RawRecord(out, StyleXF0, sizeof StyleXF0);
    for (int i = 0; i < 2; ++i)
        RawRecord(out, StyleXF1, sizeof StyleXF1);
    for (int i = 0; i < 2; ++i)
        RawRecord(out, StyleXF2, sizeof StyleXF2);
    for (int i = 0; i < 10; ++i)
        RawRecord(out, StyleXFn, sizeof StyleXFn);
    out.Record(rtXF, std::string_view(reinterpret_cast<const char*>(CellXF15), 20));
    out.Record(rtXF, std::string_view(reinterpret_cast<const char*>(CellXF16), 20));
    for (unsigned char format : CellXFFormats) {
        std::string xf(reinterpret_cast<const char*>(CellXF16), 20);
        xf[2] = char(format);
        out.Record(rtXF, xf);
    }
    for (const std::string& xf : t.XFs)
        out.Record(rtXF, xf);
    for (const auto& style : Styles)
        RawRecord(out, style, sizeof style);

    if (t.Palette.Changed()) {
        TData p;
        p.U16(TVNXLPalette::Count);
        for (int i = 0; i < TVNXLPalette::Count; ++i) {
            const TColor c = t.Palette.Entry(i);
            p.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8((c >> 16) & 0xFF).U8(0);
        }
        out.Record(rtPalette, p);
    }
    out.RecordU16(rtUsesElfs, 0);
    for (int i = 0; i < wb.WorksheetCount(); ++i) {
        sheetPositions.push_back(out.Position() + 4);
        // Sheet names are at most 31 characters in the format.
        out.Record(rtBoundSheet, TData().U32(0).U8(0).U8(0).ShortUnicode(Wide(wb.Worksheet(i).Name, 31)));
    }
    out.Record(rtCountry, TData().U16(86).U16(86));
    if (!t.Strings.empty()) {
        // Eight strings a bucket as long as the table stays small; beyond 1023 strings the
        // buckets grow so that the index keeps to 128 entries, which readers of the format expect.
        const std::size_t perBucket = std::max<std::size_t>(8, t.Strings.size() / 128 + 1);
        const std::vector<TBucket> buckets = WriteSST(out, t.Strings, perBucket);
        TData ext;
        ext.U16(unsigned(perBucket));
        for (const TBucket& b : buckets)
            ext.U32(b.Position).U16(b.Offset).U16(0);
        out.Record(rtExtSST, ext);
    }
    out.Record(rtEOF);
}

// One segment of a row: the columns a range covers on it.
struct TSegment {
    int FirstCol, LastCol;
    int Range;
};

void Blanks(TData& cells, int row, int firstCol, int lastCol, int xf) {
    if (firstCol > lastCol) return;
    TStream s;
    if (firstCol == lastCol)
        s.Record(rtBlank, TData().U16(unsigned(row)).U16(unsigned(firstCol)).U16(unsigned(xf)));
    else {
        TData d;
        d.U16(unsigned(row)).U16(unsigned(firstCol));
        for (int c = firstCol; c <= lastCol; ++c)
            d.U16(unsigned(xf));
        d.U16(unsigned(lastCol));
        s.Record(rtMulBlank, d);
    }
    cells.Bytes += s.Bytes;
}

void PictureRecords(TStream& out, const TVNXLPicture& p, int countOnSheet, int id, TTables& t) {
    const TVNXLAnchor& a = p.Anchor;
    // The picture is kept as a device-independent bitmap (24 bits, bottom-up rows) behind a
    // 12-byte core header, the form every reader of picture data in this record accepts.
    const int w = std::clamp(p.Image.Width, 0, 0xFFFF), h = std::clamp(p.Image.Height, 0, 0xFFFF);
    const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
    std::string image;
    image.reserve(12 + stride * std::size_t(h));
    image += TData().U32(12).U16(unsigned(w)).U16(unsigned(h)).U16(1).U16(24).Bytes;
    for (int y = h - 1; y >= 0; --y) {
        std::string line(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = p.Image.Pixel(x, y);
            line[std::size_t(x) * 3] = char(px & 0xFF);
            line[std::size_t(x) * 3 + 1] = char((px >> 8) & 0xFF);
            line[std::size_t(x) * 3 + 2] = char((px >> 16) & 0xFF);
        }
        image += line;
    }
    const int back = t.Colour(p.BackColor, 9);
    TData obj;
    obj.U32(std::uint32_t(countOnSheet)).U16(8).U16(unsigned(id)).U16(0x0614);
    obj.U16(unsigned(a.LeftCol))
        .U16(unsigned(a.LeftOffset))
        .U16(unsigned(a.TopRow))
        .U16(unsigned(a.TopOffset));
    obj.U16(unsigned(a.RightCol))
        .U16(unsigned(a.RightOffset))
        .U16(unsigned(a.BottomRow))
        .U16(unsigned(a.BottomOffset));
    obj.U16(0).U16(0).U32(0);
    obj.U8(unsigned(back)).U8(unsigned(back)).U8(1).U8(0).U8(8).U8(p.LineStyle).U8(p.LineWeight).U8(0);
    obj.U16(0).U32(9).U16(0).U16(0).U16(0).U16(1).U32(0);
    out.Record(rtObj, obj);
    TData im;
    im.U16(9).U16(1).U32(std::uint32_t(image.size())).Raw(image);
    out.Record(rtImData, im);
}

void Sheet(TStream& out, const TVNWorkbook& wb, int index, TTables& t, int& pictureId) {
    const TVNWorksheet& sheet = wb.Worksheet(index);
    const std::vector<int>& xfs = t.RangeXF[std::size_t(index)];
    const std::vector<int>& sst = t.RangeSST[std::size_t(index)];
    const bool empty = sheet.FirstRow < 0 || sheet.Ranges.empty();
    const int firstRow = empty ? 0 : sheet.FirstRow, lastRow = empty ? -1 : sheet.LastRow;
    const int blocks = empty ? 0 : (lastRow - firstRow) / RowsPerBlock + 1;

    BOF(out, 0x0010);
    const std::size_t indexAt = out.Position() + 4;
    {
        TData d;
        d.U32(0).U32(std::uint32_t(firstRow)).U32(std::uint32_t(lastRow + 1)).U32(0);
        for (int b = 0; b < blocks; ++b)
            d.U32(0);
        out.Record(rtIndex, d);
    }
    out.RecordU16(rtCalcMode, 1);
    out.RecordU16(rtCalcCount, 100);
    out.RecordU16(rtRefMode, 1);
    out.RecordU16(rtIteration, 0);
    out.Record(rtDelta, TData().F64(0.001));
    out.RecordU16(rtSaveRecalc, 1);
    const TVNXLPageSetup& ps = sheet.PageSetup;
    out.RecordU16(rtPrintHeaders, ps.PrintHeadings ? 1 : 0);
    out.RecordU16(rtPrintGridLines, ps.PrintGridLines ? 1 : 0);
    out.RecordU16(rtGridSet, 1);
    out.Record(rtGuts, TData().U32(0).U32(0));
    out.Record(rtDefaultRowHeight, TData().U16(0).U16(255));
    if (!sheet.PageBreaks.empty()) {
        std::vector<int> rows = sheet.PageBreaks;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        // The record holds at most 1026 breaks; later ones are dropped rather than written
        // into a record readers refuse.
        if (rows.size() > std::size_t(MaxPageBreaks)) rows.resize(MaxPageBreaks);
        TData d;
        d.U16(unsigned(rows.size()));
        for (int row : rows)
            d.U16(unsigned(row)).U16(0).U16(255);
        out.Record(rtHPageBreaks, d);
    }
    out.RecordU16(rtWsBool, 0x04C1);
    auto headerText = [](const AnsiString& l, const AnsiString& c, const AnsiString& r) {
        AnsiString s;
        if (!l.empty()) s += "&L" + l;
        if (!c.empty()) s += "&C" + c;
        if (!r.empty()) s += "&R" + r;
        return s;
    };
    for (auto [type, text] :
         {std::pair{rtHeader, headerText(ps.HeaderLeft, ps.HeaderCenter, ps.HeaderRight)},
          std::pair{rtFooter, headerText(ps.FooterLeft, ps.FooterCenter, ps.FooterRight)}})
        if (text.empty())
            out.Record(type);
        else
            out.Record(type, TData().Unicode(Wide(text, 255)));
    out.RecordU16(rtHCenter, ps.CenterHorizontally ? 1 : 0);
    out.RecordU16(rtVCenter, ps.CenterVertically ? 1 : 0);
    out.Record(rtLeftMargin, TData().F64(ps.LeftMargin));
    out.Record(rtRightMargin, TData().F64(ps.RightMargin));
    out.Record(rtTopMargin, TData().F64(ps.TopMargin));
    out.Record(rtBottomMargin, TData().F64(ps.BottomMargin));
    {
        const unsigned flags = (ps.LeftToRight ? 1 : 0) | (ps.Landscape ? 0 : 2) |
                               (ps.BlackAndWhite ? 8 : 0) | (ps.Draft ? 0x10 : 0) | (ps.Notes ? 0x20 : 0) |
                               (ps.FirstPageNumber != 1 ? 0x80 : 0);
        out.Record(rtSetup, TData()
                                .U16(unsigned(ps.PaperSize))
                                .U16(unsigned(ps.Scale))
                                .U16(unsigned(ps.FirstPageNumber))
                                .U16(unsigned(ps.FitWidth))
                                .U16(unsigned(ps.FitHeight))
                                .U16(flags)
                                .U16(0)
                                .U16(0)
                                .F64(ps.HeaderMargin)
                                .F64(ps.FooterMargin)
                                .U16(unsigned(ps.Copies)));
    }
    const std::size_t defColWidthAt = out.Position();
    out.RecordU16(rtDefColWidth, 8);
    for (const auto& [col, width] : sheet.Columns)
        out.Record(rtColInfo,
                   TData().U16(unsigned(col)).U16(unsigned(col)).U16(unsigned(width)).U16(0).U16(0).U8(0));
    if (empty)
        out.Record(rtDimensions, TData().U32(0).U32(0).U16(0).U16(0).U16(0));
    else
        out.Record(rtDimensions, TData()
                                     .U32(std::uint32_t(sheet.FirstRow))
                                     .U32(std::uint32_t(sheet.LastRow + 1))
                                     .U16(unsigned(sheet.FirstCol))
                                     .U16(unsigned(sheet.LastCol + 1))
                                     .U16(0));

    // Per row of the used area, the ranges on it in column order.
    std::vector<std::vector<TSegment>> rows(std::size_t(lastRow - firstRow + 1));
    for (std::size_t i = 0; i < sheet.Ranges.size(); ++i) {
        const TVNXLRange& r = sheet.Ranges[i];
        for (int row = r.FirstRow; row <= r.LastRow; ++row)
            rows[std::size_t(row - firstRow)].push_back({r.FirstCol, r.LastCol, int(i)});
    }
    std::vector<std::uint32_t> dbcells;
    for (int b = 0; b < blocks; ++b) {
        const int r0 = firstRow + b * RowsPerBlock, r1 = std::min(lastRow, r0 + RowsPerBlock - 1);
        const std::size_t firstRowRecord = out.Position();
        for (int row = r0; row <= r1; ++row) {
            auto& segs = rows[std::size_t(row - firstRow)];
            std::sort(segs.begin(), segs.end(),
                      [](const TSegment& a, const TSegment& b) { return a.FirstCol < b.FirstCol; });
            const auto height = sheet.Rows.find(row);
            TData d;
            d.U16(unsigned(row));
            d.U16(segs.empty() ? 0 : unsigned(segs.front().FirstCol))
                .U16(segs.empty() ? 0 : unsigned(segs.back().LastCol + 1));
            d.U16(height != sheet.Rows.end() ? unsigned(height->second) : 255).U16(0).U16(0);
            // The byte after the flags is 1 and the row's format slot names the default cell
            // format, as the format asks; neither is used while the row has no format of its own.
            d.U16((height != sheet.Rows.end() ? 0x40 : 0) | 0x0100).U16(0x000F);
            out.Record(rtRow, d);
        }
        std::vector<std::uint16_t> offsets;
        std::size_t previous = firstRowRecord + 20;
        for (int row = r0; row <= r1; ++row) {
            offsets.push_back(std::uint16_t(out.Position() - previous));
            previous = out.Position();
            TData cells;
            for (const TSegment& s : rows[std::size_t(row - firstRow)]) {
                const TVNXLRange& r = sheet.Ranges[std::size_t(s.Range)];
                const int xf = xfs[std::size_t(s.Range)];
                const int string = sst[std::size_t(s.Range)];
                double number = r.Number;
                const bool hasValue = r.IsNumber || string >= 0;
                if (row == r.FirstRow && hasValue) {
                    TStream v;
                    if (r.IsNumber || IsPlainDecimal(r.Text, &number))
                        v.Record(rtNumber, TData()
                                               .U16(unsigned(row))
                                               .U16(unsigned(r.FirstCol))
                                               .U16(unsigned(xf))
                                               .F64(number));
                    else
                        v.Record(rtLabelSST, TData()
                                                 .U16(unsigned(row))
                                                 .U16(unsigned(r.FirstCol))
                                                 .U16(unsigned(xf))
                                                 .U32(std::uint32_t(string)));
                    cells.Bytes += v.Bytes;
                    Blanks(cells, row, r.FirstCol + 1, r.LastCol, xf);
                } else
                    Blanks(cells, row, r.FirstCol, r.LastCol, xf);
            }
            out.Bytes += cells.Bytes;
        }
        dbcells.push_back(std::uint32_t(out.Position()));
        TData d;
        d.U32(std::uint32_t(out.Position() - firstRowRecord));
        for (std::uint16_t o : offsets)
            d.U16(o);
        out.Record(rtDBCell, d);
    }
    for (std::size_t i = 0; i < sheet.Pictures.size(); ++i)
        PictureRecords(out, sheet.Pictures[i], int(sheet.Pictures.size()), ++pictureId, t);

    out.Record(rtWindow2, TData()
                              .U16(0x04B6 | (index == 0 ? 0x0200 : 0))
                              .U16(0)
                              .U16(0)
                              .U16(64)
                              .U16(0)
                              .U16(0)
                              .U16(0)
                              .U16(0)
                              .U16(0));
    out.Record(rtSelection, TData().U8(3).U16(0).U16(0).U16(0).U16(1).U16(0).U16(0).U8(0).U8(0));
    std::vector<const TVNXLRange*> merged;
    for (const TVNXLRange& r : sheet.Ranges)
        if (r.IsMerged()) merged.push_back(&r);
    for (std::size_t at = 0; at < merged.size(); at += MaxMergesPerRecord) {
        // Several records of at most 1027 ranges each, as readers of the format expect.
        const std::size_t n = std::min<std::size_t>(MaxMergesPerRecord, merged.size() - at);
        TData d;
        d.U16(unsigned(n));
        for (std::size_t i = at; i < at + n; ++i)
            d.U16(unsigned(merged[i]->FirstRow))
                .U16(unsigned(merged[i]->LastRow))
                .U16(unsigned(merged[i]->FirstCol))
                .U16(unsigned(merged[i]->LastCol));
        out.Record(rtMergedCells, d);
    }
    out.Record(rtEOF);

    out.PatchU32(indexAt + 12, std::uint32_t(defColWidthAt));
    for (std::size_t b = 0; b < dbcells.size(); ++b)
        out.PatchU32(indexAt + 16 + 4 * b, dbcells[b]);
}

} // namespace

std::string WorkbookStreamBytes(const TVNWorkbook& workbook) {
    CheckWorkbook(workbook, BiffLimits);
    TTables tables(workbook);
    TStream out;
    std::vector<std::size_t> sheetPositions;
    Globals(out, workbook, tables, sheetPositions);
    int pictureId = 0;
    for (int i = 0; i < workbook.WorksheetCount(); ++i) {
        out.PatchU32(sheetPositions[std::size_t(i)], std::uint32_t(out.Position()));
        Sheet(out, workbook, i, tables, pictureId);
    }
    return std::move(out.Bytes);
}

std::string WorkbookFileBytes(const TVNWorkbook& workbook) {
    return CompoundFileBytes("Workbook", WorkbookStreamBytes(workbook));
}

void SaveWorkbook(const TVNWorkbook& workbook, const std::string& fileName) {
    const std::string bytes = WorkbookFileBytes(workbook);
    try {
        AtomicWriteFile(fileName, bytes);
    } catch (const EFileWriteError& e) {
        throw EVNWorkbookError(e.what());
    }
}
