// The grid view's cells, cell grid, stream tail, properties and its expansion into positioned
// views when a report is built.
#include "VNGridView.h"

#include "VNEngine.h"
#include "VNMemoView.h"
#include "VNPage.h"
#include "VNReport.h"

#include <algorithm>
#include <stdexcept>

namespace {

// The kind of a view as a stream names it: type code, and the class name for add-in kinds.
bool SameKind(const TVNView& v, int typeCode, const AnsiString& className) {
    if (v.TypeCode != typeCode) return false;
    return typeCode != ViewTypeAddIn || SameText(v.ClassName(), className);
}

[[noreturn]] void Damaged(const char* what) {
    throw std::runtime_error(std::string("damaged grid view record: ") + what);
}

void WriteFont(TVNStream& s, const TFontSpec& f) {
    s.WriteStr(f.Name);
    s.WriteInt32(f.Size);
    s.WriteInt16(std::int16_t(f.Style));
    s.WriteInt32(std::int32_t(f.Color));
    s.WriteInt16(std::int16_t(f.Charset));
}

TFontSpec ReadFont(TVNStream& s) {
    TFontSpec f;
    f.Name = s.ReadStr();
    f.Size = ClampTextMetric(s.ReadInt32());
    f.Style = s.ReadInt16();
    f.Color = TColor(s.ReadInt32());
    f.Charset = s.ReadInt16();
    return f;
}

} // namespace

// ---- cells --------------------------------------------------------------------------------------

TVNCellInfo::TVNCellInfo() : View(std::make_unique<TVNMemoView>()) {}

TVNMemoView* TVNCellInfo::Memo() const {
    return dynamic_cast<TVNMemoView*>(View.get());
}

TColor TVNCellInfo::FillColor() const {
    return View->FillColor;
}
void TVNCellInfo::SetFillColor(TColor c) {
    View->FillColor = c;
}

AnsiString TVNCellInfo::Text() {
    return Memo() ? JoinLines(View->Memo) : View->GetDescription();
}
void TVNCellInfo::SetText(const AnsiString& text) {
    if (Memo()) View->Memo = SplitLines(text);
}

TFontSpec TVNCellInfo::Font() const {
    return Memo() ? Memo()->Font : FFont;
}
void TVNCellInfo::SetFont(const TFontSpec& font) {
    if (TVNMemoView* m = Memo())
        m->Font = font;
    else
        FFont = font;
}

bool TVNCellInfo::AutoWordBreak() const {
    return Memo() ? (View->Flags & flWordWrap) != 0 : FWordBreak;
}
void TVNCellInfo::SetAutoWordBreak(bool on) {
    if (Memo())
        View->SetFlag(flWordWrap, on);
    else
        FWordBreak = on;
}

int TVNCellInfo::HorizAlign() const {
    return Memo() ? Memo()->Adjust & 7 : FHorizAlign;
}
void TVNCellInfo::SetHorizAlign(int a) {
    if (TVNMemoView* m = Memo())
        m->Adjust = (m->Adjust & ~7) | (a & 7);
    else
        FHorizAlign = a;
}

int TVNCellInfo::VertAlign() const {
    if (!Memo()) return FVertAlign;
    const int layout = Memo()->Adjust & 0x18;
    return layout == vntlCenter ? 1 : layout == vntlBottom ? 2 : 0;
}
void TVNCellInfo::SetVertAlign(int a) {
    if (TVNMemoView* m = Memo())
        m->Adjust = (m->Adjust & ~0x18) | (a == 1 ? vntlCenter : a == 2 ? vntlBottom : vntlTop);
    else
        FVertAlign = a;
}

void TVNCellInfo::SetViewKind(int typeCode, const AnsiString& className) {
    if (SameKind(*View, typeCode, className)) return;
    std::unique_ptr<TVNView> v(CreateViewByType(typeCode, className));
    if (!v) Damaged("a cell view of a kind that cannot be made");
    v->Frames() = View->Frames();
    v->FillColor = View->FillColor;
    View = std::move(v);
}

void TVNCellInfo::Assign(const TVNCellInfo& source) {
    StartCol = source.StartCol;
    StartRow = source.StartRow;
    EndCol = source.EndCol;
    EndRow = source.EndRow;
    MutilCell = source.MutilCell;
    SetViewKind(source.View->TypeCode, source.View->ClassName());
    View->AssignView(*source.View);
    // A memo's font and kept values travel with its view; other kinds keep them in the cell.
    FFont = source.FFont;
    FWordBreak = source.FWordBreak;
    FHorizAlign = source.FHorizAlign;
    FVertAlign = source.FVertAlign;
}

// ---- cell grid ----------------------------------------------------------------------------------

TVNGridEx::TVNGridEx() {
    Font.Name = CP936("宋体");
    Font.Size = 10;
    Font.Charset = DEFAULT_CHARSET;
    SetColCount(10);
    SetRowCount(6);
}

void TVNGridEx::InitCell(TVNCellInfo& cell, int c, int r) const {
    cell.StartCol = cell.EndCol = c;
    cell.StartRow = cell.EndRow = r;
    cell.MutilCell = false;
    for (TVNFrameLine& side : cell.View->Frames())
        side.Visible = 1;
    cell.SetText(AnsiString());
    cell.SetAutoWordBreak(false);
    cell.SetHorizAlign(2);
    cell.SetVertAlign(1);
    cell.SetFillColor(c == 0 || r == 0 ? FixedColor : clNone);
    cell.SetFont(Font);
}

void TVNGridEx::SetColCount(int n) {
    n = std::max(n, 1);
    FColWidths.resize(std::size_t(n), DefaultColWidth);
    for (std::size_t r = 0; r < FCells.size(); ++r) {
        auto& row = FCells[r];
        for (int c = int(row.size()); c < n; ++c) {
            row.push_back(std::make_unique<TVNCellInfo>());
            InitCell(*row.back(), c, int(r));
        }
        row.resize(std::size_t(n));
    }
}

void TVNGridEx::SetRowCount(int n) {
    n = std::max(n, 1);
    FRowHeights.resize(std::size_t(n), DefaultRowHeight);
    for (int r = int(FCells.size()); r < n; ++r) {
        FCells.emplace_back();
        for (int c = 0; c < ColCount(); ++c) {
            FCells.back().push_back(std::make_unique<TVNCellInfo>());
            InitCell(*FCells.back().back(), c, r);
        }
    }
    FCells.resize(std::size_t(n));
}

void TVNGridEx::SetColWidth(int c, int w) {
    if (c >= 0 && c < ColCount()) FColWidths[std::size_t(c)] = ClampCoordinate(w);
}
void TVNGridEx::SetRowHeight(int r, int h) {
    if (r >= 0 && r < RowCount()) FRowHeights[std::size_t(r)] = ClampCoordinate(h);
}

void TVNGridEx::SetDefaultRowHeight(int h) {
    DefaultRowHeight = h;
    std::fill(FRowHeights.begin(), FRowHeights.end(), h);
}

TVNCellInfo* TVNGridEx::Cell(int c, int r) {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return nullptr;
    return FCells[std::size_t(r)][std::size_t(c)].get();
}
const TVNCellInfo* TVNGridEx::Cell(int c, int r) const {
    return const_cast<TVNGridEx*>(this)->Cell(c, r);
}

void TVNGridEx::Merge(int c1, int r1, int c2, int r2) {
    TVNCellInfo* a = Cell(c1, r1);
    TVNCellInfo* b = Cell(c2, r2);
    if (!a || !b) return;
    const int sc = std::min(a->StartCol, b->StartCol), sr = std::min(a->StartRow, b->StartRow);
    const int ec = std::max(a->EndCol, b->EndCol), er = std::max(a->EndRow, b->EndRow);
    TVNCellInfo first;
    first.Assign(*a);
    first.StartCol = sc;
    first.StartRow = sr;
    first.EndCol = ec;
    first.EndRow = er;
    first.MutilCell = sc != ec || sr != er;
    for (int r = sr; r <= er; ++r)
        for (int c = sc; c <= ec; ++c)
            Cell(c, r)->Assign(first);
}

void TVNGridEx::Split(int c, int r) {
    TVNCellInfo* cell = Cell(c, r);
    if (!cell) return;
    const int sc = cell->StartCol, sr = cell->StartRow, ec = cell->EndCol, er = cell->EndRow;
    for (int y = sr; y <= er; ++y)
        for (int x = sc; x <= ec; ++x)
            if (TVNCellInfo* part = Cell(x, y)) {
                part->StartCol = part->EndCol = x;
                part->StartRow = part->EndRow = y;
                part->MutilCell = false;
            }
}

// Tail: uint16 1; int32 ColCount, RowCount; the widths of the data columns and the heights of
// the data rows; then, column by column, the record of every area at its top-left cell.
void TVNGridEx::WriteToStream(TVNStream& s) const {
    s.WriteUInt16(1);
    s.WriteInt32(ColCount());
    s.WriteInt32(RowCount());
    for (int c = 1; c < ColCount(); ++c)
        s.WriteInt32(ColWidth(c));
    for (int r = 1; r < RowCount(); ++r)
        s.WriteInt32(RowHeight(r));
    for (int c = 1; c < ColCount(); ++c)
        for (int r = 1; r < RowCount(); ++r) {
            const TVNCellInfo& cell = *Cell(c, r);
            if (cell.StartCol != c || cell.StartRow != r) continue;
            s.WriteUInt16(std::uint16_t(cell.StartCol));
            s.WriteUInt16(std::uint16_t(cell.StartRow));
            s.WriteUInt16(std::uint16_t(cell.EndCol));
            s.WriteUInt16(std::uint16_t(cell.EndRow));
            s.WriteByte(std::uint8_t(cell.VertAlign()));
            s.WriteByte(std::uint8_t(cell.HorizAlign()));
            s.WriteByte(cell.MutilCell ? 1 : 0);
            WriteFont(s, cell.Font());
            TVNView& v = *cell.View;
            s.WriteByte(v.TypeCode);
            if (v.TypeCode == ViewTypeAddIn) s.WriteStr(v.ClassName());
            const bool printing = v.IsPrinting;
            v.IsPrinting = false;
            v.WriteToStream(s);
            v.IsPrinting = printing;
        }
}

void TVNGridEx::ReadFromStream(TVNStream& s, bool withLeadingWord) {
    if (withLeadingWord) s.ReadUInt16();
    const int cols = s.ReadInt32(), rows = s.ReadInt32();
    if (cols < 1 || rows < 1 || cols > TVNGridView::MaxCount || rows > TVNGridView::MaxCount ||
        std::int64_t(cols) * rows > TVNGridView::MaxCells)
        Damaged("row or column count out of range");
    // The sizes must be there before a grid of that size is made.
    if (std::int64_t(s.Remaining()) < std::int64_t(cols + rows - 2) * 4) Damaged("truncated sizes");
    // Every cell starts new; the header column and row keep their sizes (the stream has none).
    const int headerWidth = ColWidth(0), headerHeight = RowHeight(0);
    FCells.clear();
    FColWidths.clear();
    FRowHeights.clear();
    SetColCount(cols);
    SetRowCount(rows);
    SetColWidth(0, headerWidth);
    SetRowHeight(0, headerHeight);
    for (int c = 1; c < cols; ++c)
        SetColWidth(c, s.ReadInt32());
    for (int r = 1; r < rows; ++r)
        SetRowHeight(r, s.ReadInt32());
    // Positions already covered by an area read earlier take no record of their own.
    std::vector<char> covered(std::size_t(cols) * std::size_t(rows), 0);
    auto isCovered = [&](int c, int r) -> char& {
        return covered[std::size_t(r) * std::size_t(cols) + std::size_t(c)];
    };
    for (int c = 1; c < cols; ++c)
        for (int r = 1; r < rows; ++r) {
            if (isCovered(c, r)) continue;
            TVNCellInfo& cell = *Cell(c, r);
            const int sc = s.ReadUInt16(), sr = s.ReadUInt16(), ec = s.ReadUInt16(), er = s.ReadUInt16();
            if (sc != c || sr != r || ec < sc || er < sr || ec >= cols || er >= rows)
                Damaged("an area that does not start at its cell or leaves the grid");
            for (int y = sr; y <= er; ++y)
                for (int x = sc; x <= ec; ++x) {
                    if (isCovered(x, y)) Damaged("overlapping areas");
                    isCovered(x, y) = 1;
                }
            cell.StartCol = sc;
            cell.StartRow = sr;
            cell.EndCol = ec;
            cell.EndRow = er;
            const int vert = s.ReadByte(), horiz = s.ReadByte();
            cell.MutilCell = s.ReadByte() != 0;
            const TFontSpec font = ReadFont(s);
            const int type = s.ReadByte();
            const AnsiString className = type == ViewTypeAddIn ? s.ReadStr() : AnsiString();
            // The kind first, so that a kind other than a memo keeps the values in the cell.
            cell.SetViewKind(type, className);
            cell.SetVertAlign(vert);
            cell.SetHorizAlign(horiz);
            cell.SetFont(font);
            cell.View->IsPrinting = false;
            cell.View->ReadFromStream(s);
            CopyOverArea(c, r);
        }
}

void TVNGridEx::CopyOverArea(int c, int r) {
    const TVNCellInfo& cell = *Cell(c, r);
    for (int y = cell.StartRow; y <= cell.EndRow; ++y)
        for (int x = cell.StartCol; x <= cell.EndCol; ++x)
            if (x != c || y != r) Cell(x, y)->Assign(cell);
}

// ---- grid view ----------------------------------------------------------------------------------

TVNGridView::TVNGridView() : FGrid(std::make_unique<TVNGridEx>()) {
    BaseName = "GridView";
    TypeCode = ViewTypeAddIn;
    ClassFormatVersion = 0;
    ExpandOnBuild = 1;
    Flags |= 0x4000;
    FGrid->SetDefaultRowHeight(17);
    FGrid->SetColWidth(0, 13);
    FGrid->SetRowHeight(0, 14);
}

void TVNGridView::RegisterProperties() {
    TVNView::RegisterProperties();
    for (const char* n : {"FillColor", "FrameColor", "FrameStyle", "FrameWidth", "FrameTyp", "Memo",
                          "PrintFrame", "PrintVisible", "Visible"})
        UnregisterProperty(n);
    RegisterProperty("RowCount", pkInteger);
    RegisterProperty("ColCount", pkInteger);
}

void TVNGridView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    // The counts by name are the data rows and columns: the header row and column are the editor's.
    if (n == "ROWCOUNT" || n == "COLCOUNT") {
        const std::int64_t count = std::clamp<std::int64_t>(value.AsInteger(), 0, MaxCount - 1) + 1;
        const std::int64_t other = n == "ROWCOUNT" ? FGrid->ColCount() : FGrid->RowCount();
        if (count * other > MaxCells) return;
        if (n == "ROWCOUNT")
            FGrid->SetRowCount(int(count));
        else
            FGrid->SetColCount(int(count));
    } else {
        TVNView::SetProperty(name, value);
    }
}

Value TVNGridView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "ROWCOUNT") return Value(FGrid->RowCount() - 1);
    if (n == "COLCOUNT") return Value(FGrid->ColCount() - 1);
    return TVNView::GetProperty(name);
}

void TVNGridView::WriteToStream(TVNStream& s) {
    ClassFormatVersion = 0;
    TVNView::WriteToStream(s);
    FGrid->WriteToStream(s);
}

void TVNGridView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    const int code = s.Version * 100 + ViewFormatVersion * 10 + ClassFormatVersion;
    FGrid->ReadFromStream(s, code > 4000);
    ClassFormatVersion = 0;
}

void TVNGridView::CollectNames(std::vector<AnsiString>& names) {
    for (int r = 1; r < FGrid->RowCount(); ++r)
        for (int c = 1; c < FGrid->ColCount(); ++c)
            names.push_back(UpperCase(FGrid->Cell(c, r)->View->Name));
}

// One view per area, at the area's place: the header column and row take their size (plus one
// for the rule) before the first data column and row, and every cell adds one for its rule.
void TVNGridView::ExpandIntoPage() {
    Visible = false;
    TVNPage* page = Page;
    if (!page) return;
    TVNReport* report = page->Report;
    TVNGridEx& g = *FGrid;
    auto span = [](auto size, int from, int to) {
        std::int64_t sum = 0;
        for (int i = from; i <= to; ++i)
            sum += std::int64_t(size(i)) + 1;
        return sum;
    };
    auto colWidth = [&](int c) { return g.ColWidth(c); };
    auto rowHeight = [&](int r) { return g.RowHeight(r); };
    for (int r = 1; r < g.RowCount(); ++r)
        for (int c = 1; c < g.ColCount();) {
            TVNCellInfo& cell = *g.Cell(c, r);
            const int next = std::max(cell.EndCol + 1, c + 1);
            if (cell.StartRow == r) {
                std::unique_ptr<TVNView> v(
                    CreateViewByType(cell.View->TypeCode, cell.View->ClassName(), report));
                if (v) {
                    v->AssignView(*cell.View);
                    v->Left = ClampCoordinate(Left + 1 + span(colWidth, 0, cell.StartCol - 1));
                    v->Width = ClampCoordinate(span(colWidth, cell.StartCol, cell.EndCol));
                    v->Top = ClampCoordinate(Top + 1 + span(rowHeight, 0, cell.StartRow - 1));
                    v->Height = ClampCoordinate(span(rowHeight, cell.StartRow, cell.EndRow));
                    v->FillColor = cell.FillColor() == g.Color ? clNone : cell.FillColor();
                    if (auto* m = dynamic_cast<TVNMemoView*>(v.get())) {
                        m->Font = cell.Font();
                        m->Adjust = (m->Adjust & ~0x1F) | (cell.HorizAlign() & 7) |
                                    (cell.VertAlign() == 1   ? vntlCenter
                                     : cell.VertAlign() == 2 ? vntlBottom
                                                             : 0);
                    }
                    page->Add(v.release());
                }
            }
            c = next;
        }
}

// ---- registration -------------------------------------------------------------------------------

TVNAddInObjectInfo GridViewAddIn() {
    return {"TVNGridView", [] { return new TVNGridView; }, "VN_GridObject", CP936("插入Grid View"), {}};
}

TVNGridObject::TVNGridObject() {
    const TVNAddInObjectInfo info = GridViewAddIn();
    RegisterAddInObject(info.ClassName, info.Create, info.ButtonResource, info.HintText,
                        info.EditorFormClass);
}
