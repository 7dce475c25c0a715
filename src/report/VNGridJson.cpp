// Writing and reading the "Grid" key of a grid view's text form (see VNGridJson.h).
#include "VNGridJson.h"

#include "VNEngine.h"
#include "VNGridView.h"
#include "VNJsonReport.h"
#include "VNMemoView.h"

#include <algorithm>

namespace {

const TVNJsonEnum& HorizNames() {
    static const TVNJsonEnum names = {
        {"vntaLeftJustify", 0}, {"vntaRightJustify", 1}, {"vntaCenterJustify", 2}, {"vntaEuqalJustify", 3}};
    return names;
}
const TVNJsonEnum& VertNames() {
    static const TVNJsonEnum names = {{"vntlTop", 0}, {"vntlCenter", 1}, {"vntlBottom", 2}};
    return names;
}

TVNJson FontToJson(const TFontSpec& f) {
    TVNJson j;
    j["Name"] = JsonFromText(f.Name);
    j["Size"] = f.Size;
    j["Style"] = JsonFromFontStyle(f.Style);
    j["Color"] = JsonFromColor(std::uint32_t(f.Color));
    j["Charset"] = f.Charset;
    return j;
}

TFontSpec FontFromJson(const TVNJson& j, const std::string& path) {
    if (!j.is_object())
        throw EVNJsonError(path, "expected an object with Name, Size, Style, Color and Charset");
    TFontSpec f;
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string p = path + "." + it.key();
        if (it.key() == "Name")
            f.Name = JsonToText(it.value(), p);
        else if (it.key() == "Size")
            f.Size = int(JsonToInteger(it.value(), 1, 1638, p));
        else if (it.key() == "Style")
            f.Style = int(JsonToFontStyle(it.value(), p));
        else if (it.key() == "Color")
            f.Color = TColor(JsonToColor(it.value(), p));
        else if (it.key() == "Charset")
            f.Charset = int(JsonToInteger(it.value(), -32768, 32767, p));
        else
            throw EVNJsonError(p, "unknown property");
    }
    return f;
}

// The record of a cell as the stream holds it, to tell a cell that is still new.
std::string CellRecord(const TVNGridEx& g, const TVNCellInfo& cell) {
    TVNStream s;
    TVNView& v = *cell.View;
    const bool printing = v.IsPrinting;
    v.IsPrinting = false;
    v.WriteToStream(s);
    v.IsPrinting = printing;
    const TFontSpec f = cell.Font();
    return s.Data() + std::to_string(cell.EndCol) + "," + std::to_string(cell.EndRow) + "," +
           std::to_string(cell.HorizAlign()) + "," + std::to_string(cell.VertAlign()) + "," +
           std::to_string(cell.MutilCell) + "," + f.Name + "," + std::to_string(f.Size) + "," +
           std::to_string(f.Style) + "," + std::to_string(f.Color) + "," + std::to_string(f.Charset) + "," +
           std::to_string(g.ColCount());
}

TVNJson GridToJson(TVNGridView& view, const std::string& path) {
    TVNGridEx& g = view.Grid();
    TVNJson j;
    TVNJson widths = TVNJson::array(), heights = TVNJson::array();
    for (int c = 1; c < g.ColCount(); ++c)
        widths.push_back(g.ColWidth(c));
    for (int r = 1; r < g.RowCount(); ++r)
        heights.push_back(g.RowHeight(r));
    j["ColWidths"] = std::move(widths);
    j["RowHeights"] = std::move(heights);
    TVNJson cells = TVNJson::array();
    for (int c = 1; c < g.ColCount(); ++c)
        for (int r = 1; r < g.RowCount(); ++r) {
            TVNCellInfo& cell = *g.Cell(c, r);
            if (cell.StartCol != c || cell.StartRow != r) continue;
            TVNCellInfo fresh;
            g.InitCell(fresh, c, r);
            if (CellRecord(g, cell) == CellRecord(g, fresh)) continue;
            const std::string cellPath = path + ".Cells[" + std::to_string(cells.size()) + "]";
            fresh.SetViewKind(cell.View->TypeCode, cell.View->ClassName());
            TVNJson e;
            e["Col"] = c;
            e["Row"] = r;
            if (cell.EndCol != c) e["EndCol"] = cell.EndCol;
            if (cell.EndRow != r) e["EndRow"] = cell.EndRow;
            if (cell.MutilCell != (cell.EndCol != c || cell.EndRow != r)) e["MutilCell"] = cell.MutilCell;
            if (!dynamic_cast<TVNMemoView*>(cell.View.get())) {
                e["HorizAlign"] = JsonFromEnum(cell.HorizAlign(), HorizNames());
                e["VertAlign"] = JsonFromEnum(cell.VertAlign(), VertNames());
                e["Font"] = FontToJson(cell.Font());
            }
            e["View"] = NestedViewToJson(*cell.View, *fresh.View, cellPath + ".View");
            cells.push_back(std::move(e));
        }
    if (!cells.empty()) j["Cells"] = std::move(cells);
    return j;
}

std::vector<int> Sizes(const TVNJson& j, const std::string& path) {
    if (!j.is_array()) throw EVNJsonError(path, "expected an array of sizes in pixels");
    if (j.size() + 1 > std::size_t(TVNGridView::MaxCount))
        throw EVNJsonError(path, "more than " + std::to_string(TVNGridView::MaxCount - 1) + " entries");
    std::vector<int> out;
    for (std::size_t i = 0; i < j.size(); ++i)
        out.push_back(int(JsonToInteger(j[i], 0, VNMaxCoordinate, path + "[" + std::to_string(i) + "]")));
    return out;
}

void GridFromJson(TVNGridView& view, const TVNJson& j, const std::string& path) {
    if (!j.is_object()) throw EVNJsonError(path, "expected an object with ColWidths, RowHeights and Cells");
    for (auto it = j.begin(); it != j.end(); ++it)
        if (it.key() != "ColWidths" && it.key() != "RowHeights" && it.key() != "Cells")
            throw EVNJsonError(path + "." + it.key(), "unknown property");
    TVNGridEx& g = view.Grid();
    const std::vector<int> widths = j.contains("ColWidths")
                                        ? Sizes(j["ColWidths"], path + ".ColWidths")
                                        : std::vector<int>(std::size_t(g.ColCount() - 1), g.DefaultColWidth);
    const std::vector<int> heights =
        j.contains("RowHeights") ? Sizes(j["RowHeights"], path + ".RowHeights")
                                 : std::vector<int>(std::size_t(g.RowCount() - 1), g.DefaultRowHeight);
    const int cols = int(widths.size()) + 1, rows = int(heights.size()) + 1;
    if (std::int64_t(cols) * rows > TVNGridView::MaxCells) throw EVNJsonError(path, "too many cells");
    // Every cell starts new again, at the new size.
    g.SetColCount(1);
    g.SetRowCount(1);
    g.SetColCount(cols);
    g.SetRowCount(rows);
    for (int c = 1; c < cols; ++c)
        g.SetColWidth(c, widths[std::size_t(c) - 1]);
    for (int r = 1; r < rows; ++r)
        g.SetRowHeight(r, heights[std::size_t(r) - 1]);
    if (!j.contains("Cells")) return;
    const TVNJson& cells = j["Cells"];
    if (!cells.is_array()) throw EVNJsonError(path + ".Cells", "expected an array of cells");
    std::vector<char> covered(std::size_t(cols) * std::size_t(rows), 0);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string p = path + ".Cells[" + std::to_string(i) + "]";
        const TVNJson& e = cells[i];
        if (!e.is_object()) throw EVNJsonError(p, "expected an object");
        for (auto it = e.begin(); it != e.end(); ++it) {
            static const char* const keys[] = {"Col",        "Row",       "EndCol", "EndRow", "MutilCell",
                                               "HorizAlign", "VertAlign", "Font",   "View"};
            if (std::none_of(std::begin(keys), std::end(keys), [&](const char* k) { return it.key() == k; }))
                throw EVNJsonError(p + "." + it.key(), "unknown property");
        }
        for (const char* k : {"Col", "Row"})
            if (!e.contains(k)) throw EVNJsonError(p, std::string("missing \"") + k + "\"");
        const int c = int(JsonToInteger(e["Col"], 1, cols - 1, p + ".Col"));
        const int r = int(JsonToInteger(e["Row"], 1, rows - 1, p + ".Row"));
        const int ec = e.contains("EndCol") ? int(JsonToInteger(e["EndCol"], c, cols - 1, p + ".EndCol")) : c;
        const int er = e.contains("EndRow") ? int(JsonToInteger(e["EndRow"], r, rows - 1, p + ".EndRow")) : r;
        for (int y = r; y <= er; ++y)
            for (int x = c; x <= ec; ++x) {
                char& mark = covered[std::size_t(y) * std::size_t(cols) + std::size_t(x)];
                if (mark) throw EVNJsonError(p, "the area overlaps another cell's area");
                mark = 1;
            }
        TVNCellInfo& cell = *g.Cell(c, r);
        cell.StartCol = c;
        cell.StartRow = r;
        cell.EndCol = ec;
        cell.EndRow = er;
        cell.MutilCell =
            e.contains("MutilCell") ? JsonToBoolean(e["MutilCell"], p + ".MutilCell") : (ec != c || er != r);
        if (e.contains("View")) {
            int type = ViewTypeMemo;
            AnsiString className;
            JsonViewKind(e["View"], p + ".View", type, className);
            try {
                cell.SetViewKind(type, className);
            } catch (const std::exception& ex) {
                throw EVNJsonError(p + ".View.Kind", ex.what());
            }
        }
        if (e.contains("HorizAlign"))
            cell.SetHorizAlign(int(JsonToEnum(e["HorizAlign"], HorizNames(), 0, 7, p + ".HorizAlign")));
        if (e.contains("VertAlign"))
            cell.SetVertAlign(int(JsonToEnum(e["VertAlign"], VertNames(), 0, 2, p + ".VertAlign")));
        if (e.contains("Font")) cell.SetFont(FontFromJson(e["Font"], p + ".Font"));
        if (e.contains("View")) NestedViewFromJson(e["View"], *cell.View, p + ".View");
        g.CopyOverArea(c, r);
    }
}

} // namespace

TVNJsonField<TVNView> GridViewJsonField() {
    TVNJsonField<TVNView> f;
    f.Name = "Grid";
    f.Type = TVNJsonType::Bytes;
    f.Get = [](TVNView& v) { return GridToJson(static_cast<TVNGridView&>(v), "Grid"); };
    f.Set = [](TVNView& v, const TVNJson& j, const std::string& path) {
        GridFromJson(static_cast<TVNGridView&>(v), j, path);
    };
    return f;
}
