// The data grid printer and its plain data file (see VNPrintQXGrid.h).
#include "VNPrintQXGrid.h"

#include "VNFormReport.h"
#include "VNGridCells.h"
#include "VNGridRows.h"

#include "controls/AdvDBGridQx.h"
#include "report/VNBand.h"
#include "report/VNBandView.h"
#include "report/VNMemoView.h"
#include "report/VNPage.h"
#include "report/VNStandardViews.h"

#include "platform/AtomicFile.h"

#include <QDir>

#include <set>

void TVNSlicePlacer::Place(int column, const TPlace& place, const TSliceEnd& onSliceEnd, int cellWidth) {
    if (!FStarted) {
        FX = FLeft;
        FStarted = true;
    }
    if (FCount > 0 && FReport.SlicesAllowed() &&
        FReport.ScaledSliceWidth(FX + cellWidth) > FReport.PrintableWidth) {
        const int next = FSlice + 1;
        if (FCreate || next < FReport.Report().Pages.Count()) {
            if (onSliceEnd) onSliceEnd(FSlice);
            FReport.PageWidths[std::size_t(FSlice)] = FX;
            if (next >= FReport.Report().Pages.Count()) FReport.AddPageSlice();
            FSlice = next;
            FX = FLeft;
            FCount = 0;
            for (int fixed : FFixed)
                if (fixed != column) {
                    FX += place(fixed, FSlice, FX);
                    ++FCount;
                }
        }
    }
    FX += place(column, FSlice, FX);
    ++FCount;
}

void TVNPrintQXGrid::PrintObject(TVNFormReport& fr, TVNPage& /*page*/, TVNView*& view, QWidget* control) {
    auto* grid = dynamic_cast<TAdvCustomDBGridQx*>(control);
    if (!grid) return;
    const std::shared_ptr<TMemDataSet> ds = grid->DataSet();
    if (!ds) return;
    TVNReport& report = fr.Report();

    // 1. Selected rows only: the data band prints a record only when its row is selected.
    if (fr.HasOption(vngoSelectedRecordsOnly)) FilterSelectedRows(fr, ds.get(), grid->SelectedBookmarks());

    // 2. The data band walks the grid's data.
    fr.GridDataSet().SetDataSet(ds.get());
    const int rowHeight =
        fr.MasterDataBandOptions.Height > 0 ? fr.MasterDataBandOptions.Height : grid->RowHeight() + 4;

    // 3. The content's width; later controls go under the grid.
    std::vector<int> columns;
    int total = 0;
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->ColumnVisible(c)) {
            columns.push_back(c);
            total += grid->ColumnWidth(c) + 1;
        }
    std::vector<int> fixed;
    for (int c = 0; c < std::min(fr.GridFixedCols, grid->ColumnCount()); ++c)
        if (grid->ColumnVisible(c)) fixed.push_back(c);
    const bool doubleFrame = fr.HasOption(vngoDoubleFrame) && !grid->HasFooter();
    TVNGridRows rows(fr, grid, doubleFrame, fixed);
    rows.Begin(total);
    const int left = rows.Left();

    // The grid always shows its column lines.
    const bool lines = fr.HasOption(vngoGridLines);
    const bool useColor = fr.HasOption(vngoUseColor);
    const AnsiString owner = VNDialogForm().Name;
    const AnsiString dataSetName = fr.GridDataSet().Name;
    const TFontSpec gridFont = ToFontSpec(grid->font());
    auto cellWidth = [grid](int c) { return grid->ColumnWidth(c) + 1; };
    auto fieldOf = [&](int c) { return ds->FindField(grid->Column(c).FieldName); };
    auto alignmentOf = [&](int c) {
        const TField* f = fieldOf(c);
        return f && f->IsNumeric() ? int(vntaRightJustify) : int(vntaLeftJustify);
    };

    // 4. One title row.
    const TFontSpec titleFont = ToFontSpec(grid->font(), grid->TitleFontColor());
    rows.PlaceRow(TVNGridRows::TitleRow, columns, cellWidth, [&](int col, int x) {
        auto* m = new TVNMemoView;
        m->PlaceAt(x, rows.Top(), cellWidth(col), grid->TitleHeight() + 4);
        SetAllFrames(*m, lines);
        m->SetFlag(flWordWrap, true);
        m->LineSpacing = 0;
        m->Adjust = int(vntaCenterJustify) | vntlCenter;
        m->Memo = SplitLines(grid->ColumnCaption(col));
        ApplyFont(*m, titleFont, useColor);
        m->Visible = !fr.PageHeaderOnly1;
        return m;
    });

    // 5-6. Data cells; the data band repeats them per record.
    const TFontSpec dataFont = fr.GridFontOptions.UseCustomFontSize ? fr.GridFontOptions.Font : gridFont;
    rows.PlaceRow(TVNGridRows::DataRow, columns, cellWidth, [&](int col, int x) {
        auto* m = new TVNMemoView;
        m->PlaceAt(x, 0, cellWidth(col), rowHeight);
        m->SetFlag(flWordWrap, fr.HasOption(vngoWordWrap));
        m->Adjust = alignmentOf(col) | int(vntlCenter);
        ApplyFont(*m, dataFont, useColor);
        SetAllFrames(*m, lines);
        const AnsiString& fieldName = grid->Column(col).FieldName;
        if (const TField* f = fieldOf(col)) SetFormatFromField(*m, *f);
        if (!fieldName.empty()) m->Memo = {FieldReference(owner, dataSetName, fieldName)};
        if (fr.OnAfterCreateGridObjectEvent) fr.OnAfterCreateGridObjectEvent(grid, fieldName, m);
        if (fr.ShowMasterData) {
            m->Visible = false;
            m->Height = 0;
        }
        if (!view) view = m;
        return m;
    });

    // 7. The footer row: totals, counts and fixed texts, on the slices made above.
    if (grid->HasFooter()) {
        TVNSlicePlacer placer(fr, left, fixed, false);
        for (int c : columns)
            placer.Place(
                c,
                [&](int col, int slice, int x) {
                    const TGridColumn& column = grid->Column(col);
                    auto* m = new TVNMemoView;
                    m->PlaceAt(x, 0, cellWidth(col), rowHeight);
                    ApplyFont(*m, gridFont, useColor);
                    SetAllFrames(*m, lines);
                    const TField* f = fieldOf(col);
                    switch (column.FooterType) {
                    case TFooterValueType::Sum:
                        m->Adjust = int(vntaRightJustify) | vntlCenter;
                        if (f) {
                            SetFormatFromField(*m, *f);
                            fr.AddAggregateCell(m, FieldReference(owner, dataSetName, f->FieldName));
                        }
                        break;
                    case TFooterValueType::Count:
                        m->Adjust = int(vntaRightJustify) | vntlCenter;
                        fr.AddAggregateCell(m, {});
                        break;
                    case TFooterValueType::StaticText:
                        m->Adjust = alignmentOf(col) | int(vntlCenter);
                        m->Memo = {column.FooterText};
                        // A fixed text is printed as written, brackets included.
                        m->SetFlag(flTextOnly, true);
                        break;
                    case TFooterValueType::None:
                        m->Adjust = alignmentOf(col) | int(vntlCenter);
                        break;
                    }
                    fr.AddView(report.Pages[slice], m);
                    fr.SummaryViews.push_back(m);
                    return cellWidth(col);
                },
                nullptr, cellWidth(c));
    }

    // 8. The plain data file for the preview's conversion to CSV; a file that cannot be written
    // only costs that conversion, never the print.
    WritePlainDataFile(*grid, PlainDataFileName());
}

std::string PlainDataFileName() {
    return QDir(QDir::tempPath()).filePath(QStringLiteral("~superfile.tmp")).toStdString();
}

void FilterSelectedRows(TVNFormReport& fr, TMemDataSet* data, const std::vector<std::int64_t>& marks) {
    if (marks.empty()) return;
    fr.Report().OnBeforePrintBand = [data, chosen = std::set<std::int64_t>(marks.begin(), marks.end())](
                                        TVNBand* band, bool& print) {
        // Only data rows are chosen; titles and totals print as always.
        if (IsDataBandType(band->Type) && data->RecNo() > 0) print = chosen.count(data->GetBookmark()) != 0;
    };
}

bool WritePlainDataFile(const TAdvCustomDBGridQx& grid, const std::string& fileName) {
    const std::shared_ptr<TMemDataSet>& ds = grid.DataSet();
    if (!ds) return false;
    std::vector<TVNPlainColumn> columns;
    for (int c = 0; c < grid.ColumnCount(); ++c)
        if (grid.ColumnVisible(c)) columns.push_back({grid.ColumnCaption(c), grid.Column(c).FieldName});
    return WritePlainDataFile(*ds, columns, fileName);
}

bool WritePlainDataFile(const TMemDataSet& data, const std::vector<TVNPlainColumn>& columns,
                        const std::string& fileName) {
    const TMemDataSet* ds = &data;
    if (!ds->Active()) return false;
    std::vector<int> fields; // per visible column; -1 when the data set lacks its field
    AnsiString text;
    for (const TVNPlainColumn& column : columns) {
        if (!fields.empty()) text += ",";
        text += Trim(column.Title);
        const TField* f = ds->FindField(column.FieldName);
        fields.push_back(f ? f->Index() : -1);
    }
    text += "\r\n";
    // Rows are read in place (no cursor moves), so the grid on screen is not disturbed.
    const int rows = ds->RecordCount();
    AnsiString line;
    for (int r = 0; r < rows; ++r) {
        line.clear();
        for (int index : fields) {
            line += ", ";
            if (index < 0) continue;
            const TField& f = ds->Fields(index);
            const Value& v = ds->CellValue(r, index);
            const bool number = f.DataType == TFieldType::Integer || f.DataType == TFieldType::Float;
            if (number && f.DisplayFormat.find('*') != AnsiString::npos) line += "***.**";
            else if (f.DataType == TFieldType::DateTime || f.DataType == TFieldType::Boolean)
                line += Trim(f.FormatValue(v)); // as the grid shows it
            else
                line += Trim(v.AsString());
        }
        text.append(line, line.empty() ? 0 : 1, AnsiString::npos);
        text += "\r\n";
    }
    try {
        AtomicWriteFile(fileName, text);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}
