// The workbook model through libxlsxwriter. The library writes to a file only (this version has
// no memory output), so the file goes to a private temporary folder and is read back; the caller
// then writes the bytes to their place in one piece.
#include "VNXlsxWriter.h"

#include "platform/AtomicFile.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <unordered_map>

namespace {

namespace fs = std::filesystem;

// 0x00BBGGRR to the library's 0xRRGGBB.
lxw_color_t Rgb(TColor c) {
    const TColor v = ColorToRGB(c);
    return lxw_color_t(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

std::uint8_t LxwBorder(std::uint8_t style) {
    switch (style) {
    case 0:
        return LXW_BORDER_NONE;
    case 1:
        return LXW_BORDER_THIN;
    case 2:
        return LXW_BORDER_MEDIUM;
    case 3:
        return LXW_BORDER_DASHED;
    case 4:
        return LXW_BORDER_DOTTED;
    case 5:
        return LXW_BORDER_THICK;
    case 6:
        return LXW_BORDER_DOUBLE;
    case 7:
        return LXW_BORDER_HAIR;
    case 9:
        return LXW_BORDER_DASH_DOT;
    case 11:
        return LXW_BORDER_DASH_DOT_DOT;
    default:
        return LXW_BORDER_THIN;
    }
}

// One library format per distinct look; the key holds every field that goes into it.
std::string FormatKey(const TVNXLRange& r) {
    std::string k = r.Font.Name + '\x1f' + std::to_string(r.Font.Size) + ',' + std::to_string(r.Font.Color) +
                    ',' + std::to_string(r.Font.Style) + ',' + std::to_string(r.HAlign) + ',' +
                    std::to_string(r.VAlign) + ',' + std::to_string(r.Wrap) + ',' +
                    std::to_string(r.Rotation) + ',' + std::to_string(r.FillPattern) + ',' +
                    std::to_string(r.PatternColor) + ',' + std::to_string(r.BackColor) + ',' + r.NumberFormat;
    for (const TVNXLBorder& b : r.Borders)
        k += ',' + std::to_string(b.Assigned ? b.Style : 0) + ':' + std::to_string(b.Assigned ? b.Color : 0);
    return k;
}

lxw_format* MakeFormat(lxw_workbook* wb, const TVNXLRange& r) {
    lxw_format* f = workbook_add_format(wb);
    const std::string name = AnsiToUtf8(r.Font.Name);
    format_set_font_name(f, name.c_str());
    format_set_font_size(f, r.Font.Size);
    format_set_font_color(f, Rgb(r.Font.Color));
    if (r.Font.Style & fsBold) format_set_bold(f);
    if (r.Font.Style & fsItalic) format_set_italic(f);
    if (r.Font.Style & fsUnderline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (r.Font.Style & fsStrikeOut) format_set_font_strikeout(f);
    static const std::uint8_t horizontal[4] = {LXW_ALIGN_NONE, LXW_ALIGN_LEFT, LXW_ALIGN_CENTER,
                                               LXW_ALIGN_RIGHT};
    static const std::uint8_t vertical[4] = {LXW_ALIGN_VERTICAL_TOP, LXW_ALIGN_VERTICAL_CENTER,
                                             LXW_ALIGN_VERTICAL_BOTTOM, LXW_ALIGN_VERTICAL_JUSTIFY};
    if (r.HAlign > 0 && r.HAlign < 4) format_set_align(f, horizontal[r.HAlign]);
    format_set_align(f, vertical[r.VAlign & 3]);
    if (r.Wrap) format_set_text_wrap(f);
    if (r.Rotation) format_set_rotation(f, r.Rotation <= 90 ? r.Rotation : 90 - r.Rotation);
    const TVNXLBorder& left = r.Borders[xlbLeft];
    const TVNXLBorder& right = r.Borders[xlbRight];
    const TVNXLBorder& top = r.Borders[xlbTop];
    const TVNXLBorder& bottom = r.Borders[xlbBottom];
    if (left.Assigned && left.Style)
        format_set_left(f, LxwBorder(left.Style)), format_set_left_color(f, Rgb(left.Color));
    if (right.Assigned && right.Style)
        format_set_right(f, LxwBorder(right.Style)), format_set_right_color(f, Rgb(right.Color));
    if (top.Assigned && top.Style)
        format_set_top(f, LxwBorder(top.Style)), format_set_top_color(f, Rgb(top.Color));
    if (bottom.Assigned && bottom.Style)
        format_set_bottom(f, LxwBorder(bottom.Style)), format_set_bottom_color(f, Rgb(bottom.Color));
    if (r.FillPattern == 1) {
        // A solid fill shows the pattern colour.
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, Rgb(r.PatternColor == clNone ? clWhite : r.PatternColor));
    }
    if (!r.NumberFormat.empty()) format_set_num_format(f, AnsiToUtf8(r.NumberFormat).c_str());
    return f;
}

void Check(lxw_error e, const char* what) {
    if (e != LXW_NO_ERROR) throw EVNWorkbookError(std::string("XLSX: ") + what + ": " + lxw_strerror(e));
}

struct TTempFolder {
    fs::path Path;
    TTempFolder() {
        std::string pattern = (fs::temp_directory_path() / "vnxlsx-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw EVNWorkbookError("XLSX: cannot create a temporary folder");
        Path = pattern;
    }
    ~TTempFolder() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

} // namespace

TVNWorkbookLimits XlsxLimits() {
    return {1048576, 16384};
}

std::string XlsxFileBytes(const TVNWorkbook& model) {
    CheckWorkbook(model, XlsxLimits());
    TTempFolder temp;
    const std::string file = (temp.Path / "book.xlsx").string();
    const std::string tmpdir = temp.Path.string();
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(tmpdir.c_str());
    lxw_workbook* wb = workbook_new_opt(file.c_str(), &options);
    if (!wb) throw EVNWorkbookError("XLSX: cannot create the workbook");
    std::unordered_map<std::string, lxw_format*> formats;
    // Image bytes must live until the workbook is closed.
    std::vector<std::string> images;
    try {
        for (int s = 0; s < model.WorksheetCount(); ++s) {
            const TVNWorksheet& sheet = model.Worksheet(s);
            // Sheet names are at most 31 characters and unique; the exports use "SheetN".
            std::u16string wide = AnsiToUtf16(sheet.Name);
            if (wide.size() > 31) wide.resize(31);
            lxw_worksheet* ws = workbook_add_worksheet(wb, Utf16ToUtf8(wide).c_str());
            if (!ws) ws = workbook_add_worksheet(wb, nullptr);
            if (!ws) throw EVNWorkbookError("XLSX: cannot add worksheet " + std::to_string(s + 1));
            const TVNXLPageSetup& ps = sheet.PageSetup;
            worksheet_set_paper(ws, std::uint8_t(ps.PaperSize));
            if (ps.Landscape) worksheet_set_landscape(ws);
            // Readers measure this format's column widths in digits of its default font (Calibri
            // 11), wider than the Arial 10 "x" the model counts in, so a page's columns would no
            // longer fit its paper: the sheet prints fitted to the page width instead (the height
            // stays free, or every page would shrink onto one).
            if (ps.FitWidth > 0) worksheet_fit_to_pages(ws, std::uint16_t(ps.FitWidth), 0);
            worksheet_set_margins(ws, ps.LeftMargin, ps.RightMargin, ps.TopMargin, ps.BottomMargin);
            if (ps.PrintGridLines) worksheet_gridlines(ws, LXW_SHOW_PRINT_GRIDLINES);
            if (ps.CenterHorizontally) worksheet_center_horizontally(ws);
            if (ps.CenterVertically) worksheet_center_vertically(ws);
            // The model's width already counts the cell padding, which the library adds on top
            // of the width it is given (5 pixels of a 7-pixel digit); without taking it off, a
            // page of many narrow columns would no longer fit its paper.
            for (const auto& [col, units] : sheet.Columns)
                Check(worksheet_set_column(ws, lxw_col_t(col), lxw_col_t(col),
                                           std::max(0.0, units / 256.0 - 5.0 / 7.0), nullptr),
                      "column width");
            for (const auto& [row, twips] : sheet.Rows)
                Check(worksheet_set_row(ws, lxw_row_t(row), twips / 20.0, nullptr), "row height");
            for (const TVNXLRange& r : sheet.Ranges) {
                const std::string key = FormatKey(r);
                auto it = formats.find(key);
                if (it == formats.end()) it = formats.emplace(key, MakeFormat(wb, r)).first;
                lxw_format* f = it->second;
                double number = 0;
                const bool isNumber = r.IsNumber || IsPlainDecimal(r.Text, &number);
                if (r.IsNumber) number = r.Number;
                const std::string text = isNumber ? std::string() : AnsiToUtf8(r.Text);
                if (r.IsMerged()) {
                    Check(worksheet_merge_range(ws, lxw_row_t(r.FirstRow), lxw_col_t(r.FirstCol),
                                                lxw_row_t(r.LastRow), lxw_col_t(r.LastCol),
                                                isNumber ? "" : text.c_str(), f),
                          "merged range");
                    if (isNumber)
                        Check(worksheet_write_number(ws, lxw_row_t(r.FirstRow), lxw_col_t(r.FirstCol), number,
                                                     f),
                              "number");
                } else if (isNumber)
                    Check(worksheet_write_number(ws, lxw_row_t(r.FirstRow), lxw_col_t(r.FirstCol), number, f),
                          "number");
                else if (text.empty())
                    Check(worksheet_write_blank(ws, lxw_row_t(r.FirstRow), lxw_col_t(r.FirstCol), f),
                          "blank");
                else
                    Check(worksheet_write_string(ws, lxw_row_t(r.FirstRow), lxw_col_t(r.FirstCol),
                                                 text.c_str(), f),
                          "text");
            }
            for (const TVNXLPicture& p : sheet.Pictures) {
                images.push_back(p.Encoded.empty() ? EncodeBmp(p.Image) : p.Encoded);
                lxw_image_options o{};
                o.x_scale = o.y_scale = 1;
                Check(worksheet_insert_image_buffer_opt(
                          ws, lxw_row_t(p.Anchor.TopRow), lxw_col_t(p.Anchor.LeftCol),
                          reinterpret_cast<const unsigned char*>(images.back().data()), images.back().size(),
                          &o),
                      "picture");
            }
            if (!sheet.PageBreaks.empty()) {
                // The library takes at most 1023 breaks, in a list ended by 0.
                std::vector<lxw_row_t> breaks;
                for (int row : sheet.PageBreaks)
                    if (row > 0 && breaks.size() < 1023) breaks.push_back(lxw_row_t(row));
                breaks.push_back(0);
                Check(worksheet_set_h_pagebreaks(ws, breaks.data()), "page breaks");
            }
        }
    } catch (...) {
        workbook_close(wb);
        throw;
    }
    Check(workbook_close(wb), "writing the file");
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) throw EVNWorkbookError("XLSX: the written file cannot be read back");
    return bytes;
}
