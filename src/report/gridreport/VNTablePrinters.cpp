// The printers of Qt table and tree views (see VNTablePrinters.h).
#include "VNTablePrinters.h"

#include "VNFormReport.h"
#include "VNGridCells.h"
#include "VNGridRows.h"

#include "controls/DataSetGridModel.h"
#include "report/VNBand.h"
#include "report/VNMemoView.h"

#include "platform/qt/QtText.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QTableView>
#include <QTreeView>

#include <algorithm>
#include <string>

namespace {

constexpr int CenteredBothWays = int(vntaCenterJustify) | int(vntlCenter);

// The column number of the row number column among the grid's own columns.
constexpr int NumberColumn = -1;

// The columns repeated on every slice: the row number column when printed, then the first
// GridFixedCols columns the grid shows.
std::vector<int> FixedColumns(const TVNFormReport& fr, const std::vector<int>& shown, bool number) {
    std::vector<int> fixed;
    if (number) fixed.push_back(NumberColumn);
    for (int i = 0; i < std::min(fr.GridFixedCols, int(shown.size())); ++i) fixed.push_back(shown[std::size_t(i)]);
    return fixed;
}

// Memo alignment of a header section as the model gives it (`fallback` when it gives none).
int SectionAlignment(const QAbstractItemModel& model, int section, int fallback) {
    const QVariant a = model.headerData(section, Qt::Horizontal, Qt::TextAlignmentRole);
    return a.isValid() ? MemoAlignment(Qt::Alignment(a.toInt())) : fallback;
}

// The printed columns of a header: the row number column first when asked, then the sections
// shown, in their order on screen.
struct TPrintedColumns {
    const QHeaderView& Header;
    int NumberWidth;
    std::vector<int> Shown, All;
    int Total = 0;

    TPrintedColumns(const QHeaderView& header, bool number, int numberWidth)
        : Header(header), NumberWidth(numberWidth), Shown(VisibleSections(header)) {
        if (number) All.push_back(NumberColumn);
        for (int c : Shown) All.push_back(c);
        for (int c : All) Total += Width(c);
    }
    int Width(int c) const { return c == NumberColumn ? NumberWidth : Header.sectionSize(c) + 1; }
};

AnsiString SectionTitle(const QAbstractItemModel& model, int section) {
    return QStringToAnsi(model.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString());
}

TVNMemoView* NewCell(int x, int top, int width, int height, bool frames) {
    auto* m = new TVNMemoView;
    m->PlaceAt(x, top, width, height);
    SetAllFrames(*m, frames);
    return m;
}

} // namespace

bool IsDataSetTableView(const QWidget* control) {
    auto* table = qobject_cast<const QTableView*>(control);
    return table && dynamic_cast<const TDataSetGridModel*>(table->model());
}

// ---- database grid ---------------------------------------------------------------------------

void TVNFormPrintDBGrid::PrintObject(TVNFormReport& fr, TVNPage& /*page*/, TVNView*& view, QWidget* control) {
    auto* table = qobject_cast<QTableView*>(control);
    auto* model = table ? dynamic_cast<TDataSetGridModel*>(table->model()) : nullptr;
    if (!model || fr.GridPrinted) return;
    const std::shared_ptr<TMemDataSet> ds = model->DataSet();
    if (!ds || !ds->Active()) return;

    if (fr.HasOption(vngoSelectedRecordsOnly) && table->selectionModel()) {
        std::vector<std::int64_t> marks;
        for (const QModelIndex& i : table->selectionModel()->selectedRows())
            marks.push_back(ds->BookmarkOfRow(i.row()));
        FilterSelectedRows(fr, ds.get(), marks);
    }
    fr.GridDataSet().SetDataSet(ds.get());

    QHeaderView& header = *table->horizontalHeader();
    const bool titles = !header.isHidden();
    const bool number = titles && fr.HasOption(vngoGridNumber);
    const TPrintedColumns printed(header, number, LetterHeight(table->font()) * fr.GridNumOptions.Number);
    const std::vector<int>& shown = printed.Shown;
    const std::vector<int>& columns = printed.All;
    auto cellWidth = [&](int c) { return printed.Width(c); };
    const bool lines = fr.HasOption(vngoGridLines) && table->showGrid();
    const bool useColor = fr.HasOption(vngoUseColor);
    TVNGridRows rows(fr, control, fr.HasOption(vngoDoubleFrame), FixedColumns(fr, shown, number));
    rows.Begin(printed.Total);
    auto fieldOf = [&](int c) -> const TField* {
        const int index = c == NumberColumn ? -1 : model->FieldIndexOf(c);
        return index >= 0 ? &ds->Fields(index) : nullptr;
    };

    if (titles) {
        const TFontSpec font = ToFontSpec(header.font(), header.palette().color(QPalette::ButtonText));
        const int height = header.sizeHint().height() + 4;
        rows.PlaceRow(TVNGridRows::TitleRow, columns, cellWidth, [&](int c, int x) {
            TVNMemoView* m = NewCell(x, rows.Top(), cellWidth(c), height, lines);
            m->SetFlag(flWordWrap, true);
            m->LineSpacing = 0;
            m->Adjust = (c == NumberColumn ? int(vntaCenterJustify) : SectionAlignment(*model, c, vntaCenterJustify)) |
                        int(vntlCenter);
            m->Memo = SplitLines(c == NumberColumn ? fr.GridNumOptions.Text : SectionTitle(*model, c));
            ApplyFont(*m, font, useColor);
            m->Visible = !fr.PageHeaderOnly1;
            return m;
        });
    }

    const int rowHeight = fr.MasterDataBandOptions.Height > 0 ? fr.MasterDataBandOptions.Height
                                                              : table->verticalHeader()->defaultSectionSize() + 4;
    TFontSpec font = ToFontSpec(table->font(), table->palette().color(QPalette::Text));
    // The custom grid font changes only the size here.
    if (fr.GridFontOptions.UseCustomFontSize) font.Size = fr.GridFontOptions.Font.Size;
    const AnsiString owner = VNDialogForm().Name, dataSetName = fr.GridDataSet().Name;
    rows.PlaceRow(TVNGridRows::DataRow, columns, cellWidth, [&](int c, int x) {
        TVNMemoView* m = NewCell(x, 0, cellWidth(c), rowHeight, lines);
        m->SetFlag(flWordWrap, fr.HasOption(vngoWordWrap));
        m->SetStretched(fr.HasOption(vngoStretch));
        ApplyFont(*m, font, useColor);
        if (c == NumberColumn) {
            m->Memo = {"[Line#]"};
            m->Adjust = CenteredBothWays;
            return m;
        }
        const TField* f = fieldOf(c);
        m->Adjust = (f && f->IsNumeric() ? int(vntaRightJustify) : int(vntaLeftJustify)) | int(vntlCenter);
        if (f) {
            SetFormatFromField(*m, *f);
            m->Memo = {FieldReference(owner, dataSetName, f->FieldName)};
        }
        if (useColor && model->rowCount() > 0) {
            const QVariant fill = model->data(model->index(0, c), Qt::BackgroundRole);
            if (fill.isValid()) m->FillColor = ToTColor(fill.value<QColor>());
        }
        if (fr.OnAfterCreateGridObjectEvent) fr.OnAfterCreateGridObjectEvent(control, f ? f->FieldName : "", m);
        if (fr.ShowMasterData) {
            m->Visible = false;
            m->Height = 0;
        }
        if (!view) view = m;
        return m;
    });

    std::vector<TVNPlainColumn> plain;
    for (int c : shown)
        plain.push_back({SectionTitle(*model, c), fieldOf(c) ? fieldOf(c)->FieldName : AnsiString()});
    WritePlainDataFile(*ds, plain, PlainDataFileName());
}

// ---- string grid -----------------------------------------------------------------------------

void TVNFormPrintStringGrid::PrintObject(TVNFormReport& fr, TVNPage& /*page*/, TVNView*& view, QWidget* control) {
    auto* table = qobject_cast<QTableView*>(control);
    if (!table || !table->model() || fr.GridPrinted) return;
    QPointer<QAbstractItemModel> model = table->model();

    QHeaderView& header = *table->horizontalHeader();
    const TPrintedColumns printed(header, false, 0);
    const std::vector<int>& columns = printed.All;
    auto cellWidth = [&](int c) { return printed.Width(c); };
    const bool lines = fr.HasOption(vngoGridLines) && table->showGrid();
    TVNGridRows rows(fr, control, fr.HasOption(vngoDoubleFrame), FixedColumns(fr, columns, false));
    rows.Begin(printed.Total);

    // The rows shown, with their heights as they are now.
    std::vector<int> shownRows;
    FRowHeights.clear();
    for (int r = 0; r < model->rowCount(); ++r)
        if (!table->isRowHidden(r)) {
            shownRows.push_back(r);
            FRowHeights.push_back(table->rowHeight(r));
        }
    FCurrentRow = 0;
    OnRow = [this](int row) { FCurrentRow = row; };
    AttachDataset(fr, int(shownRows.size()), [this, model, shownRows](int row, int column, TVNMemoView& cell) {
        AnsiString text;
        if (model) text = QStringToAnsi(model->index(shownRows[std::size_t(row)], column).data().toString());
        if (text == "[Error]") text.clear();
        cell.Memo = SplitLines(text);
        cell.Height = FRowHeights[std::size_t(row)];
    });
    // The data band takes the height of the grid row it prints.
    fr.Report().OnBeginBand = [this, user = fr.Report().OnBeginBand](TVNBand* band) {
        if (user) user(band);
        if (band->Type == bkMasterData && FCurrentRow < int(FRowHeights.size()))
            band->Height = FRowHeights[std::size_t(FCurrentRow)];
    };

    const bool useColor = fr.HasOption(vngoUseColor);
    if (!header.isHidden()) {
        const TFontSpec font = ToFontSpec(header.font(), header.palette().color(QPalette::ButtonText));
        const int height = header.sizeHint().height() + 4;
        rows.PlaceRow(TVNGridRows::TitleRow, columns, cellWidth, [&](int c, int x) {
            TVNMemoView* m = NewCell(x, rows.Top(), cellWidth(c), height, lines);
            m->SetFlag(flWordWrap, true);
            m->Adjust = CenteredBothWays;
            m->Memo = SplitLines(SectionTitle(*model, c));
            m->SetFlag(flTextOnly, true);
            ApplyFont(*m, font, useColor);
            m->Visible = !fr.PageHeaderOnly1;
            return m;
        });
    }

    const TFontSpec font = ToFontSpec(table->font(), table->palette().color(QPalette::Text));
    const int firstHeight = FRowHeights.empty() ? table->verticalHeader()->defaultSectionSize() : FRowHeights[0];
    std::vector<std::pair<TVNView*, int>> made;
    rows.PlaceRow(TVNGridRows::DataRow, columns, cellWidth, [&](int c, int x) {
        TVNMemoView* m = NewCell(x, 0, cellWidth(c), firstHeight, lines);
        m->Adjust = CenteredBothWays;
        m->SetFlag(flWordWrap, fr.HasOption(vngoWordWrap));
        m->SetStretched(fr.HasOption(vngoStretch));
        // The grid's texts print as they are written, brackets included.
        m->SetFlag(flTextOnly, true);
        ApplyFont(*m, font, useColor);
        made.emplace_back(m, c);
        if (!view) view = m;
        return m;
    });
    for (auto [cell, column] : made) RowCells.push_back({cell->Name, column});
}

// ---- list view -------------------------------------------------------------------------------

void TVNPrintListView::PrintObject(TVNFormReport& fr, TVNPage& /*page*/, TVNView*& view, QWidget* control) {
    auto* tree = qobject_cast<QTreeView*>(control);
    if (!tree || !tree->model() || fr.GridPrinted) return;
    QPointer<QAbstractItemModel> model = tree->model();
    const int h = LetterHeight(tree->font());
    const bool number = fr.HasOption(vngoGridNumber);
    const TPrintedColumns printed(*tree->header(), number, h * fr.GridNumOptions.Number);
    const std::vector<int>& shown = printed.Shown;
    const std::vector<int>& columns = printed.All;
    auto cellWidth = [&](int c) { return printed.Width(c); };
    const bool lines = fr.HasOption(vngoGridLines);
    TVNGridRows rows(fr, control, fr.HasOption(vngoDoubleFrame), FixedColumns(fr, shown, number));
    rows.Begin(printed.Total);

    AttachDataset(fr, model->rowCount(), [model](int row, int column, TVNMemoView& cell) {
        if (!model) return;
        const QModelIndex index = model->index(row, column);
        cell.Memo = {QStringToAnsi(index.data().toString())};
        // Aligned as the item shows on screen.
        const QVariant a = index.data(Qt::TextAlignmentRole);
        cell.Adjust = (a.isValid() ? MemoAlignment(Qt::Alignment(a.toInt())) : int(vntaLeftJustify)) | int(vntlTop);
    });

    const TFontSpec font = ToFontSpec(tree->font(), tree->palette().color(QPalette::Text));
    rows.PlaceRow(TVNGridRows::TitleRow, columns, cellWidth, [&](int c, int x) {
        TVNMemoView* m = NewCell(x, rows.Top(), cellWidth(c), h + 4, lines);
        ApplyFont(*m, font, false);
        if (c == NumberColumn) {
            m->Memo = {fr.GridNumOptions.Text};
            m->Adjust = CenteredBothWays;
        } else {
            m->Memo = SplitLines(SectionTitle(*model, c));
            m->SetFlag(flWordWrap, true);
            m->Adjust = SectionAlignment(*model, c, vntaLeftJustify) | int(vntlTop);
            m->SetFlag(flTextOnly, true);
        }
        return m;
    });

    std::vector<std::pair<TVNView*, int>> made;
    rows.PlaceRow(TVNGridRows::DataRow, columns, cellWidth, [&](int c, int x) {
        TVNMemoView* m = NewCell(x, 0, cellWidth(c), h + 4, lines);
        ApplyFont(*m, font, false);
        if (c == NumberColumn) {
            m->Memo = {"[Line#]"};
            m->Adjust = CenteredBothWays;
            return m;
        }
        m->SetFlag(flWordWrap, true);
        m->SetStretched(fr.HasOption(vngoStretch));
        // The items' texts print as they are written, brackets included.
        m->SetFlag(flTextOnly, true);
        made.emplace_back(m, c);
        if (fr.OnAfterCreateGridObjectEvent) fr.OnAfterCreateGridObjectEvent(control, std::to_string(c), m);
        if (!view) view = m;
        return m;
    });
    for (auto [cell, column] : made) RowCells.push_back({cell->Name, column});
}
