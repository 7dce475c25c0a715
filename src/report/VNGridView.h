// The grid view: a ruled table placed on a report page whose cells can be merged into rectangular
// areas, each area printed by one ordinary view (a memo unless the designer chose another kind).
// The grid exists only in the design: when a report is built the grid replaces itself, on the
// build's copy of the page, by one positioned view per area, and the band engine treats those
// like any other view.
//
// TVNGridEx is the cell grid (rows, columns, sizes, the cells with their areas); TVNGridView the
// add-in view kind that owns one and carries it in its stream tail; TVNGridObject the component a
// form carries so that templates holding grid views load.
#pragma once

#include "VNView.h"
#include "VNViewFactory.h"

#include <memory>
#include <vector>

class TVNMemoView;

// One grid position. Every position has its own; all positions of a merged area hold equal copies
// of the area's top-left cell.
class TVNCellInfo {
public:
    TVNCellInfo();
    TVNCellInfo(const TVNCellInfo&) = delete;
    TVNCellInfo& operator=(const TVNCellInfo&) = delete;

    // The merged area the cell belongs to, inclusive; a single cell spans just itself.
    int StartCol = 0, StartRow = 0, EndCol = 0, EndRow = 0;
    bool MutilCell = false;
    // The view that prints the area (a memo by default).
    std::unique_ptr<TVNView> View;

    // What the cell shows, mapped onto a memo view; other kinds keep the values in the cell.
    TColor FillColor() const;
    void SetFillColor(TColor c);
    AnsiString Text();
    void SetText(const AnsiString& text);
    TFontSpec Font() const;
    void SetFont(const TFontSpec& font);
    bool AutoWordBreak() const;
    void SetAutoWordBreak(bool on);
    int HorizAlign() const; // 0 left, 1 right, 2 centre, 3 justified
    void SetHorizAlign(int a);
    int VertAlign() const; // 0 top, 1 centre, 2 bottom
    void SetVertAlign(int a);

    // Copies area, MutilCell, font, the kept values and the view (replacing the view by one of the
    // source's kind first when the kinds differ).
    void Assign(const TVNCellInfo& source);
    // Makes the cell's view a view of that kind (keeping the frame sides and the fill colour of the
    // old one); nothing happens when it already is one. Throws EVNClassNotFound for an unknown
    // add-in class.
    void SetViewKind(int typeCode, const AnsiString& className);

private:
    TVNMemoView* Memo() const;
    TFontSpec FFont;
    bool FWordBreak = false;
    int FHorizAlign = 2, FVertAlign = 1;
};

class TVNGridEx {
public:
    TVNGridEx();
    TVNGridEx(const TVNGridEx&) = delete;
    TVNGridEx& operator=(const TVNGridEx&) = delete;

    int ColCount() const { return int(FColWidths.size()); }
    int RowCount() const { return int(FRowHeights.size()); }
    // New rows and columns get default sizes and fresh cells; counts below 1 become 1.
    void SetColCount(int n);
    void SetRowCount(int n);
    int ColWidth(int c) const { return FColWidths.at(std::size_t(c)); }
    int RowHeight(int r) const { return FRowHeights.at(std::size_t(r)); }
    void SetColWidth(int c, int w);
    void SetRowHeight(int r, int h);
    int DefaultColWidth = 64;
    int DefaultRowHeight = 24;
    // Setting the default height gives every row that height, as the editor's grid does.
    void SetDefaultRowHeight(int h);
    TColor Color = clWindow;
    TColor FixedColor = clBtnFace;
    TFontSpec Font;

    // The cell at (column, row), or none outside the grid.
    TVNCellInfo* Cell(int c, int r);
    const TVNCellInfo* Cell(int c, int r) const;
    // Merges the area spanned by the areas of the two cells; every cell in it becomes a copy of
    // the first cell with the new bounds.
    void Merge(int c1, int r1, int c2, int r2);
    // Splits the area holding the cell back into single cells, each a copy of the area's view.
    void Split(int c, int r);

    // Stream tail (after the view's common record); see TVNGridView.
    void WriteToStream(TVNStream& s) const;
    void ReadFromStream(TVNStream& s, bool withLeadingWord);

    // Gives a cell the state of a new cell at (column, row).
    void InitCell(TVNCellInfo& cell, int c, int r) const;
    // Gives every other cell of the area of the cell at (column, row) a copy of it.
    void CopyOverArea(int c, int r);

private:
    std::vector<int> FColWidths, FRowHeights;
    std::vector<std::vector<std::unique_ptr<TVNCellInfo>>> FCells; // by row, then column
};

class TVNGridView : public TVNView {
public:
    TVNGridView();
    const char* ClassName() const override { return "TVNGridView"; }
    TVNGridEx& Grid() { return *FGrid; }
    const TVNGridEx& Grid() const { return *FGrid; }

    void RegisterProperties() override;
    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void ExpandIntoPage() override;
    void CollectNames(std::vector<AnsiString>& names) override;

    // Limits of a grid read from a stream or a text: a damaged count would otherwise ask for
    // millions of cells, each with its own view.
    static constexpr int MaxCount = 1024;
    static constexpr int MaxCells = 65536;

private:
    std::unique_ptr<TVNGridEx> FGrid;
};

// The component that brings the grid view kind into a program: making one registers the kind.
class TVNGridObject {
public:
    TVNGridObject();
};

// The registry entry of the grid view kind.
TVNAddInObjectInfo GridViewAddIn();
