// The data grid every form of the host uses: a Qt table view over an in-memory data set with
// green titles in white, column and row lines, frozen leading columns, one footer row (column
// totals or fixed texts), sort markers on several columns set by title clicks, multi-line titles
// and a per-cell colour callback; plus what the host maker's extension adds: sorting the data set
// by the markers, the record count in the footer and the column layout kept in a settings file.
//
// The grid never creates widgets per row and never repaints per record: cells are read from the
// data set only for the visible part, and a change of the data set resets the view once. Footer
// totals are computed once per change of the data set.
//
// Columns are defined by the owner (field name, title, width, footer). Widths and visibility are
// kept in the columns themselves, so a hidden column keeps its width for the layout file.
//
// The grid also carries the filter builder's store: the lines last confirmed in the filter dialog,
// kept for the life of the grid so the next use of the dialog starts from them.
#pragma once

#include "DataSetGridModel.h"
#include "GridColumn.h"
#include "FilterTextBuilder.h"
#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"

#include <QColor>
#include <QFrame>

#include <functional>
#include <memory>
#include <vector>

class QScrollBar;
class QTableView;
class TGridTableView;
class TGridFooter;

class TAdvCustomDBGridQx : public QFrame {
    Q_OBJECT
public:
    using TCellParams = TDataSetGridModel::TCellParams;

    explicit TAdvCustomDBGridQx(QWidget* parent = nullptr);
    ~TAdvCustomDBGridQx() override;

    // Columns, in display order.
    void SetColumns(std::vector<TGridColumn> columns);
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    const TGridColumn& Column(int index) const { return FColumns.at(static_cast<std::size_t>(index)); }
    int FindColumn(const AnsiString& fieldName) const; // -1 when no column shows the field
    void SetColumnVisible(int index, bool visible);
    bool ColumnVisible(int index) const { return Column(index).Visible; }
    void SetColumnWidth(int index, int width);
    int ColumnWidth(int index) const { return Column(index).Width; }
    void SetColumnTitle(int index, const AnsiString& title);
    // The caption the column's title shows: its own title, else the field's label, else the
    // field name.
    AnsiString ColumnCaption(int index) const;

    // The data link. nullptr detaches the grid (it shows nothing). A change of the link, and the
    // linked data set opening or closing, clears the sort markers.
    void SetDataSet(std::shared_ptr<TMemDataSet> dataSet);
    const std::shared_ptr<TMemDataSet>& DataSet() const;

    // Options.
    bool AutoSorted = true;    // markers set by title clicks sort the data set
    bool ShowSumCount = false; // keep "合计:N条" in the first visible column's footer
    void SetFrozenCols(int count);
    int FrozenCols() const { return FFrozenCols; }
    void SetTitleColor(const QColor& color);
    void SetTitleFontColor(const QColor& color);
    QColor TitleColor() const { return FTitleColor; }
    QColor TitleFontColor() const { return FTitleFontColor; }
    void SetFooterColor(const QColor& color);
    QColor FooterColor() const { return FFooterColor; }
    void SetGridColor(const QColor& color); // background of the cells
    QColor GridColor() const { return FGridColor; }
    void SetCellParams(TCellParams callback);

    // Footers.
    void SetFooter(int column, TFooterValueType type, const AnsiString& text = {});
    // The text the footer cell of the column shows (a total formatted with the field's display
    // format, the static text, or nothing).
    AnsiString FooterDisplayText(int column) const;
    double FooterSum(int column) const;

    // Sort markers. A title click marks the column alone (or flips its direction when it is the
    // only marked one); a click with Ctrl adds the column to the marked ones (or flips it).
    TSortMarker SortMarker(int column) const { return Column(column).SortMarker; }
    // Columns with a marker, in the order they were marked.
    const std::vector<int>& MarkedColumns() const { return FMarkOrder; }
    void SetSortMarker(int column, TSortMarker marker, bool keepOthers);
    void ClickTitle(int column, bool addToMarkers);

    // Sorts the data set by the marked columns: an index "customindex" on their fields, the ones
    // marked down descending, made the current index. Nothing when the data set is empty or no
    // column is marked.
    void ApplyAutoSort();
    void ClearSortMarkers();
    // Empties every fixed footer text holding "合计" and puts "合计:N条" into the first visible
    // column's footer when that shows nothing or a fixed text.
    void UpdateSumCount();

    // Column visibility and widths in a settings file: one key per column, named by its field,
    // value "1" or "0", a comma and the width in pixels. An empty folder means the program folder.
    void LoadLayout(const AnsiString& fileName, const AnsiString& section, const AnsiString& folder);
    void SaveLayout(const AnsiString& fileName, const AnsiString& section, const AnsiString& folder);

    // The lines of the filter builder last confirmed on this grid; the forms' filter dialog starts
    // from them and keeps them here.
    const TLogicList& FilterStore() const { return FFilterStore; }
    TLogicList& FilterStore() { return FFilterStore; }

    // The table view that shows the cells (for keyboard focus, tests and measurements).
    QTableView* View() const;
    int RowHeight() const;
    int TitleHeight() const;
    // Whether any column has a footer (the footer row shows).
    bool HasFooter() const;

    // Several whole rows can be selected (with Ctrl and Shift); off, one cell is current.
    void SetMultiSelect(bool on);
    bool MultiSelect() const;
    void SelectRow(int row, bool selected = true); // view row, 0-based
    // The records of the selected rows (multi-select only; none otherwise).
    std::vector<TMemDataSet::TBookmark> SelectedBookmarks() const;

signals:
    void TitleClicked(int column);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TGridFooter;
    friend class TGridTableView;

    void ApplyColumns();
    void ApplyFont();
    void RecomputeSums();
    void OnDataReset();
    void UpdateFooterGeometry();
    bool IsFrozen(int column) const;

    std::vector<TGridColumn> FColumns;
    std::vector<double> FSums;
    std::vector<int> FMarkOrder;
    TLogicList FFilterStore;
    TDataSetGridModel* FModel = nullptr;
    TGridTableView* FView = nullptr;
    TGridFooter* FFooter = nullptr;
    QScrollBar* FHBar = nullptr;
    int FFrozenCols = 1;
    QColor FTitleColor{0, 128, 0};
    QColor FTitleFontColor{Qt::white};
    QColor FFooterColor{Qt::yellow};
    QColor FGridColor{Qt::white};
    bool FApplying = false;
};

// The grid as the forms use it; it publishes the extension and adds nothing.
class TAdvDBGridQx : public TAdvCustomDBGridQx {
    Q_OBJECT
public:
    using TAdvCustomDBGridQx::TAdvCustomDBGridQx;
};
