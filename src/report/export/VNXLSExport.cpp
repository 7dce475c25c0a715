// Placing each exported page's objects on a cell grid and filling the workbook model with them.
#include "VNXLSExport.h"

#include "report/VNEMFPages.h"

#include "platform/AtomicFile.h"
#include "platform/Locale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

TVNOpenDocumentHandler& OpenDocumentHandler() {
    static TVNOpenDocumentHandler handler;
    return handler;
}

// Two edges within this many pixels share a boundary.
constexpr int Tolerance = 1;

struct TBoundary {
    int Position = 0;
    int Page = 0;
    int Index = 0;
};

// Finds the first boundary within the tolerance, or appends a new one; answers its list index.
int FindOrAdd(std::vector<TBoundary>& list, int position, int page) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (std::abs(list[i].Position - position) <= Tolerance) return int(i);
    list.push_back({position, page, 0});
    return int(list.size()) - 1;
}

int Nearest(double v) {
    return int(RoundHalfEven(std::clamp(v, -1e9, 1e9)));
}

// Frame line styles (solid, dash, dot, dash-dot, dash-dot-dot, clear, inside frame) as border
// line styles of the format.
std::uint8_t BorderStyle(std::uint8_t frameStyle) {
    static const std::uint8_t map[7] = {1, 3, 4, 9, 11, 0, 0};
    return frameStyle < 7 ? map[frameStyle] : 1;
}

AnsiString ReplaceAll(AnsiString s, const AnsiString& from, const AnsiString& to) {
    for (std::size_t at = s.find(from); at != AnsiString::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

} // namespace

void SetVNOpenDocumentHandler(TVNOpenDocumentHandler handler) {
    OpenDocumentHandler() = std::move(handler);
}

bool ParseExportPageList(const std::string& text, std::set<int>& pages) {
    std::string t;
    for (char c : text)
        if (c != ' ') t += c;
    std::size_t at = 0;
    auto number = [&](int& n) {
        const char* begin = t.data() + at;
        const auto r = std::from_chars(begin, t.data() + t.size(), n);
        if (r.ec != std::errc() || n < 1) return false;
        at = std::size_t(r.ptr - t.data());
        return true;
    };
    while (at < t.size()) {
        int first = 0, last = 0;
        if (!number(first)) return false;
        last = first;
        if (at < t.size() && t[at] == '-') {
            ++at;
            if (!number(last) || last < first) return false;
        }
        // A range as long as the pages a report can have; a larger one is not a page list.
        if (last - first > 1000000) return false;
        for (int p = first; p <= last; ++p)
            pages.insert(p);
        if (at < t.size()) {
            if (t[at] != ',') return false;
            ++at;
        }
    }
    return true;
}

bool NumberCellValue(const AnsiString& text, double& value, AnsiString& format) {
    const AnsiString t = Trim(text);
    const char dec = Locale().DecimalSeparator, sep = Locale().ThousandSeparator;
    std::size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative) ++i;
    std::string digits;
    int groupLength = 0, groups = 0;
    bool grouped = false;
    for (; i < t.size() && t[i] != dec; ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digits += c;
            ++groupLength;
        } else if (c == sep && sep != dec) {
            // The first group holds 1 to 3 digits, every later one exactly 3.
            if (groupLength == 0 || groupLength > 3 || (groups > 0 && groupLength != 3)) return false;
            grouped = true;
            ++groups;
            groupLength = 0;
        } else
            return false;
    }
    if (digits.empty() || (grouped && groupLength != 3)) return false;
    std::string decimals;
    if (i < t.size()) {
        for (++i; i < t.size(); ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            decimals += t[i];
        }
        if (decimals.empty()) return false;
    }
    const std::string plain = digits + (decimals.empty() ? "" : "." + decimals);
    double v = 0;
    if (std::from_chars(plain.data(), plain.data() + plain.size(), v).ec != std::errc()) return false;
    value = negative ? -v : v;
    format = grouped ? "#,##0" : "0";
    if (!decimals.empty()) format += "." + std::string(decimals.size(), '0');
    return true;
}

TVNXLSExport::TVNXLSExport() : TVNXLSExport(NoRegistration{}) {
    RegisterExportFilter(this, CP936("Excel 文件") + " (*.xls)", "*.xls");
}

TVNXLSExport::TVNXLSExport(NoRegistration) {
    IsSpreadsheet = true;
}

std::string TVNXLSExport::WorkbookBytes(const TVNWorkbook& workbook) {
    return WorkbookFileBytes(workbook);
}

void TVNXLSExport::OnBeginDoc() {
    // The finishing step replaces the after-export handler for this export and gives it back.
    FUserAfterExport = OnAfterExport;
    OnAfterExport = [this](const std::string& fileName) { Finish(fileName); };
    TVNMainExportFilter::OnBeginDoc();
    FRowOffset = 0;
    FFirstSheet = true;
    FSheetIndex = -1;
    FSaved = false;
    FPages.clear();
    if (UpperCase(Trim(ExportPages)) == "CURPAGE")
        FPages.insert(CurrentPage);
    else if (!Trim(ExportPages).empty() && !ParseExportPageList(ExportPages, FPages))
        throw EVNExportError("option ExportPages: \"" + AnsiToUtf8(ExportPages) + "\" is not a page list");
    FWorkbook = std::make_unique<TVNWorkbook>();
}

TVNWorksheet& TVNXLSExport::NewSheet(const std::vector<int>& columns) {
    TVNWorksheet& sheet = FWorkbook->AddWorksheet();
    FSheetIndex = FWorkbook->WorksheetCount() - 1;
    if (Report && Report->EMFPages && ExportPageIndex < Report->EMFPages->Count()) {
        const TVNPreparedPage& page = Report->EMFPages->Page(ExportPageIndex);
        if (page.PaperSize < 66) {
            sheet.PageSetup.PaperSize = std::max<int>(page.PaperSize, 0);
            sheet.PageSetup.FitWidth = sheet.PageSetup.FitHeight = 1;
        }
        sheet.PageSetup.Landscape = page.Orientation != 0;
    }
    TVNXLPageSetup& ps = sheet.PageSetup;
    ps.LeftMargin = ps.RightMargin = ps.TopMargin = ps.BottomMargin = ps.HeaderMargin = ps.FooterMargin = 0;
    FWorkbook->SetName(sheet, "Sheet" + std::to_string(PageCounter + 1));
    for (std::size_t i = 0; i < columns.size(); ++i)
        FWorkbook->ColumnWidth(sheet, int(i), Nearest((columns[i] - (i ? columns[i - 1] : 0)) * 0.91));
    return sheet;
}

void TVNXLSExport::OnEndPage() {
    if (!FPages.empty() && !FPages.count(PageCounter + 1)) {
        TVNMainExportFilter::OnEndPage();
        return;
    }
    // Boundaries of every object's four edges; per record its left, right, top, bottom.
    std::vector<TBoundary> cols, rows;
    struct TLinks {
        int Left, Right, Top, Bottom;
    };
    std::vector<TLinks> links;
    links.reserve(DataList.size());
    for (const TVNEFDataRec& r : DataList)
        links.push_back({FindOrAdd(cols, r.X, PageCounter), FindOrAdd(cols, r.X + r.Width - 1, PageCounter),
                         FindOrAdd(rows, r.Y, PageCounter),
                         FindOrAdd(rows, r.Y + r.Height - 1, PageCounter)});
    // Sort (keeping each record's link) and number.
    auto order = [](std::vector<TBoundary>& list, bool byPage) {
        std::vector<int> idx(list.size());
        for (std::size_t i = 0; i < idx.size(); ++i)
            idx[i] = int(i);
        std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
            const TBoundary &x = list[std::size_t(a)], &y = list[std::size_t(b)];
            return byPage && x.Page != y.Page ? x.Page < y.Page : x.Position < y.Position;
        });
        std::vector<int> rank(list.size());
        for (std::size_t k = 0; k < idx.size(); ++k)
            rank[std::size_t(idx[k])] = int(k);
        return std::make_pair(idx, rank);
    };
    const auto [colOrder, colRank] = order(cols, false);
    const auto [rowOrder, rowRank] = order(rows, true);
    std::vector<int> colPositions, rowPositions;
    for (int i : colOrder)
        colPositions.push_back(cols[std::size_t(i)].Position);
    for (int i : rowOrder)
        rowPositions.push_back(rows[std::size_t(i)].Position);

    // The sheet: a new one per page, the first exported page's, or a new one when this page
    // would carry the single sheet past the format's last row.
    const int rowCount = int(rowPositions.size());
    if (MultiSheet || FFirstSheet || FRowOffset + rowCount > Limits().MaxRows) {
        NewSheet(colPositions);
        FRowOffset = 0;
    }
    TVNWorksheet& sheet = FWorkbook->Worksheet(FSheetIndex);
    const int offset = FRowOffset;
    for (int i = 0; i < rowCount; ++i)
        FWorkbook->RowHeight(
            sheet, offset + i,
            Nearest((rowPositions[std::size_t(i)] - (i ? rowPositions[std::size_t(i) - 1] : 0)) * 0.98));
    if (MultiSheet)
        FRowOffset = 0;
    else {
        FRowOffset += rowCount;
        FWorkbook->AddPageBreak(sheet, FRowOffset);
    }

    // The page's cells, each naming the range that holds it, so that an object overlapping one
    // placed before it is never written over it.
    const int nCols = int(colPositions.size()), nRows = rowCount;
    std::vector<int> owner(std::size_t(nCols) * std::size_t(nRows), -1);
    auto cellOwner = [&](int c, int r) -> int& {
        return owner[std::size_t(r) * std::size_t(nCols) + std::size_t(c)];
    };
    std::vector<TVNXLRange*> placed;

    for (std::size_t i = 0; i < DataList.size(); ++i) {
        const TVNEFDataRec& r = DataList[i];
        bool covered = false;
        for (std::size_t j = i + 1; j < DataList.size() && !covered; ++j) {
            const TVNEFDataRec& o = DataList[j];
            covered = o.X >= r.X && o.Y >= r.Y && o.X + o.Width <= r.X + r.Width &&
                      o.Y + o.Height <= r.Y + r.Height;
        }
        if (covered) continue;
        const int left = colRank[std::size_t(links[i].Left)], right = colRank[std::size_t(links[i].Right)];
        const int top = rowRank[std::size_t(links[i].Top)], bottom = rowRank[std::size_t(links[i].Bottom)];
        if (r.Picture) {
            TRasterImage image = *r.Picture;
            ReduceToPixelFormat(image, PixelFormat);
            TVNXLPicture& p = FWorkbook->AddPicture(sheet, left + 1, offset + top + 1, right + 1,
                                                    offset + bottom + 1, image);
            if (ExportImageFormat == ifBMP) {
                p.Kind = TVNXLPictureKind::Bitmap;
                p.Encoded = EncodeBmp(image);
            } else {
                p.Kind = TVNXLPictureKind::Jpeg;
                p.Encoded = BitmapToJpeg(image, ExportImageFormat == ifJPG ? JPEGQuality : 75);
            }
            continue;
        }
        // Cells: after the left edge's column to the right edge's, likewise rows. A zero-width
        // object still gets its one cell.
        int c0 = left + 1, c1 = std::max(right, c0), r0 = top + 1, r1 = std::max(bottom, r0);
        c1 = std::min(c1, nCols - 1), r1 = std::min(r1, nRows - 1);
        c0 = std::min(c0, c1), r0 = std::min(r0, r1);
        bool free = true;
        for (int y = r0; y <= r1 && free; ++y)
            for (int x = c0; x <= c1 && free; ++x)
                free = cellOwner(x, y) < 0;
        AnsiString text;
        bool wrap = false;
        if (r.NoPicture == 1)
            text = " ";
        else if (!r.Text.empty() && r.Text != "\r\n") {
            text = r.Text;
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                text.resize(text.size() - 2);
            text = ReplaceAll(text, "\r\n", "\n");
            text = ReplaceAll(text, "m~2|", CP936("㎡"));
            wrap = text.find('\n') != AnsiString::npos;
        } else
            text = " ";
        if (!free) {
            // Partly over a range placed before: the object keeps its own top-left cell when that
            // is free; otherwise its text joins the text of the range holding that cell.
            const int holder = cellOwner(c0, r0);
            if (holder >= 0) {
                TVNXLRange& h = *placed[std::size_t(holder)];
                if (Trim(text).empty()) continue;
                h.SetText(Trim(h.Text).empty() ? text : h.Text + "\n" + text);
                h.Wrap = true;
                continue;
            }
            c1 = c0, r1 = r0;
        }
        TVNXLRange& range = FWorkbook->AddRange(sheet, c0, offset + r0, c1, offset + r1);
        for (int y = r0; y <= r1; ++y)
            for (int x = c0; x <= c1; ++x)
                cellOwner(x, y) = int(placed.size());
        placed.push_back(&range);
        range.SetText(text);
        if (r.NoPicture == 1) continue;
        range.Wrap = wrap;
        range.Font.Name = r.Font.Name;
        range.Font.Size = r.Font.Size;
        range.Font.Color = r.Font.Color;
        range.Font.Charset = r.Font.Charset;
        range.Font.Style = r.Font.Style;
        if (ExportFrames) {
            static const TVNXLBorderSide sides[4] = {xlbLeft, xlbTop, xlbRight, xlbBottom};
            for (int s = 0; s < 4; ++s)
                if (r.Sides[s].Visible)
                    range.Borders[sides[s]] = {BorderStyle(r.Sides[s].Style), r.Sides[s].Color, true};
        }
        if (r.FillColor != clNone && ColorToRGB(r.FillColor) != clWhite) {
            range.FillPattern = 1;
            range.PatternColor = r.FillColor;
            range.BackColor = clWhite;
        }
        range.HAlign = r.Alignment & 2 ? xlhRight : r.Alignment & 32 ? xlhCenter : xlhLeft;
        range.VAlign = r.Alignment & 8 ? xlvBottom : r.Alignment & 64 ? xlvCenter : xlvJustify;
        double number = 0;
        AnsiString format;
        if (NumberCells && NumberCellValue(text, number, format)) {
            range.SetNumber(number);
            range.NumberFormat = format;
        }
    }
    FFirstSheet = false;
    TVNMainExportFilter::OnEndPage();
}

void TVNXLSExport::OnEndDoc() {
    TVNMainExportFilter::OnEndDoc();
    if (!FWorkbook) return;
    // The workbook becomes the file's content here, so that the report writes it in one piece;
    // a workbook the format cannot hold is refused before anything reaches the disk.
    try {
        CheckWorkbook(*FWorkbook, Limits());
        const std::string bytes = WorkbookBytes(*FWorkbook);
        if (Stream) Stream->Write(bytes);
    } catch (const EVNWorkbookError& e) {
        FWorkbook.reset();
        throw EVNExportError(e.what());
    }
    FWorkbook.reset();
    FSaved = true;
}

void TVNXLSExport::Finish(const std::string& fileName) {
    OnAfterExport = FUserAfterExport;
    FUserAfterExport = nullptr;
    FWorkbook.reset();
    if (!FSaved) return; // the export failed: the caller gets the error, not the event
    if (ShowAfterExport && OpenDocumentHandler()) OpenDocumentHandler()(fileName);
    if (OnAfterExport) OnAfterExport(fileName);
}

std::vector<TVNExportOption> TVNXLSExport::Options() const {
    return {
        {"ExportPages", AnsiToUtf8(ExportPages), "page list (\"1,3,5-12\"), CURPAGE, or empty for all pages"},
        {"MultiSheet", MultiSheet ? "true" : "false",
         "boolean: a sheet per page instead of all pages on one sheet"},
        {"ShowAfterExport", ShowAfterExport ? "true" : "false", "boolean: open the file when it is written"},
        {"ShowExcel", ShowExcel ? "true" : "false", "boolean: kept for the dialog, no effect"},
        {"ExportImages", ExportImages ? "true" : "false", "boolean: pictures of non-text objects"},
        {"ExportFrames", ExportFrames ? "true" : "false", "boolean: frames as cell borders, fills"},
        {"ExportImageFormat", ExportImageFormatName(ExportImageFormat),
         "JPG, GIF or BMP: how pictures are stored"},
        {"JPEGQuality", std::to_string(JPEGQuality), "0 to 100: quality of JPEG pictures"},
        {"PixelFormat", PixelFormatName(PixelFormat),
         "Device, 1 bit, 4 bit, 8 bit, 15 bit, 16 bit, 24 bit or 32 bit: colour depth of pictures"},
        {"NumberCells", NumberCells ? "true" : "false",
         "boolean: texts that are numbers as displayed (\"-1,234.50\") become number cells"}};
}

void TVNXLSExport::SetOption(const std::string& name, const std::string& value) {
    if (name == "ExportPages") {
        std::set<int> pages;
        const AnsiString v = Utf8ToAnsi(value);
        if (!Trim(v).empty() && UpperCase(Trim(v)) != "CURPAGE" && !ParseExportPageList(value, pages))
            throw EVNExportError("option ExportPages: \"" + value + "\" is not a page list");
        ExportPages = v;
    } else if (name == "MultiSheet")
        MultiSheet = ParseExportBool(name, value);
    else if (name == "ShowAfterExport")
        ShowAfterExport = ParseExportBool(name, value);
    else if (name == "ShowExcel")
        ShowExcel = ParseExportBool(name, value);
    else if (name == "ExportImages")
        ExportImages = ParseExportBool(name, value);
    else if (name == "ExportFrames")
        ExportFrames = ParseExportBool(name, value);
    else if (name == "ExportImageFormat")
        SetExportImageFormatOption(name, value, ExportImageFormat);
    else if (name == "JPEGQuality") {
        const double q = ParseExportNumber(name, value);
        if (q < 0 || q > 100) throw EVNExportError("option JPEGQuality: \"" + value + "\" is not 0 to 100");
        JPEGQuality = int(q);
    } else if (name == "PixelFormat") {
        if (!ParsePixelFormat(value, PixelFormat))
            throw EVNExportError("option PixelFormat: \"" + value + "\" is not Device, 1 bit ... 32 bit");
    } else if (name == "NumberCells")
        NumberCells = ParseExportBool(name, value);
    else
        UnknownOption(name);
}
