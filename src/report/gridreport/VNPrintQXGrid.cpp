// The data grid printer and its plain data file (see VNPrintQXGrid.h).
#include "VNPrintQXGrid.h"

#include "VNFormReport.h"
#include "VNGridCells.h"

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

namespace {

// The line of a double frame under a cell: only its top side shows, 2 pixels wide.
TVNView* BottomLine(int left, int top, int width, bool stretched) {
    auto* line = new TVNLineView;
    line->PlaceAt(left, top, width, 2);
    line->TopFrame().Visible = 1;
    line->TopFrame().Width = 2;
    line->SetStretched(stretched);
    return line;
}

void WideLine(TVNFrameLine& line) {
    line.Visible = 1;
    line.Width = 2;
}

} // namespace

void TVNPrintQXGrid::PrintObject(TVNFormReport& fr, TVNPage& /*page*/, TVNView*& view, QWidget* control) {
    auto* grid = dynamic_cast<TAdvCustomDBGridQx*>(control);
    if (!grid) return;
    const std::shared_ptr<TMemDataSet> ds = grid->DataSet();
    if (!ds) return;
    TVNReport& report = fr.Report();

    // 1. Selected rows only: the data band prints a record only when its row is selected.
    if (fr.HasOption(vngoSelectedRecordsOnly)) {
        const std::vector<TMemDataSet::TBookmark> marks = grid->SelectedBookmarks();
        if (!marks.empty()) {
            TMemDataSet* data = ds.get();
            report.OnBeforePrintBand = [data, chosen = std::set<TMemDataSet::TBookmark>(marks.begin(), marks.end())](
                                           TVNBand* band, bool& print) {
                // Only data rows are chosen; titles and totals print as always.
                if (IsDataBandType(band->Type) && data->RecNo() > 0) print = chosen.count(data->GetBookmark()) != 0;
            };
        }
    }

    // 2. Later controls go under the grid; the data band walks the grid's data.
    fr.GridPrinted = true;
    fr.GridTop = grid->y() + fr.OffsetY;
    fr.GridHeight = grid->height();
    fr.GridDataSet().SetDataSet(ds.get());
    const int rowHeight =
        fr.MasterDataBandOptions.Height > 0 ? fr.MasterDataBandOptions.Height : grid->RowHeight() + 4;

    // 3. The content's width.
    std::vector<int> columns;
    int total = 0;
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->ColumnVisible(c)) {
            columns.push_back(c);
            total += grid->ColumnWidth(c) + 1;
        }
    if (control == fr.PrintControl || fr.PageWidths[0] < total)
        fr.PageWidths[0] = 2 * (fr.OffsetX + grid->x()) + total;

    const int left = grid->x() + fr.OffsetX;
    const int top = grid->y() + fr.OffsetY;
    std::vector<int> fixed;
    for (int c = 0; c < std::min(fr.GridFixedCols, grid->ColumnCount()); ++c)
        if (grid->ColumnVisible(c)) fixed.push_back(c);
    const bool doubleFrame = fr.HasOption(vngoDoubleFrame) && !grid->HasFooter();
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
    // The last cell placed on each slice, for the double frame's right line.
    std::vector<TVNView*> last;
    auto remember = [&last](int slice, TVNView* v) {
        if (int(last.size()) <= slice) last.resize(std::size_t(slice) + 1, nullptr);
        last[std::size_t(slice)] = v;
    };
    auto endSlice = [&](int slice) {
        if (doubleFrame && slice < int(last.size()) && last[std::size_t(slice)])
            WideLine(last[std::size_t(slice)]->RightFrame());
    };

    // 4. One title row.
    {
        const TFontSpec titleFont = ToFontSpec(grid->font(), grid->TitleFontColor());
        TVNSlicePlacer placer(fr, left, fixed, true);
        last.clear();
        for (int c : columns)
            placer.Place(
                c,
                [&](int col, int slice, int x) {
                    auto* m = new TVNMemoView;
                    m->PlaceAt(x, top, cellWidth(col), grid->TitleHeight() + 4);
                    SetAllFrames(*m, lines);
                    m->SetFlag(flWordWrap, true);
                    m->LineSpacing = 0;
                    m->Adjust = int(vntaCenterJustify) | vntlCenter;
                    m->Memo = SplitLines(grid->ColumnCaption(col));
                    ApplyFont(*m, titleFont, useColor);
                    m->Visible = !fr.PageHeaderOnly1;
                    if (doubleFrame) {
                        if (placer.CountOnSlice() == 0) WideLine(m->LeftFrame());
                        WideLine(m->TopFrame());
                    }
                    fr.AddView(report.Pages[slice], m);
                    fr.TitleViews.push_back(m);
                    remember(slice, m);
                    return m->Width;
                },
                endSlice, cellWidth(c));
        if (doubleFrame && !last.empty() && last.back()) WideLine(last.back()->RightFrame());
    }

    // 5. Data cells; the data band repeats them per record.
    {
        const TFontSpec dataFont = fr.GridFontOptions.UseCustomFontSize ? fr.GridFontOptions.Font : gridFont;
        TVNSlicePlacer placer(fr, left, fixed, true);
        last.clear();
        for (int c : columns)
            placer.Place(
                c,
                [&](int col, int slice, int x) {
                    TVNPage& page = report.Pages[slice];
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
                    if (doubleFrame) {
                        if (placer.CountOnSlice() == 0) WideLine(m->LeftFrame());
                        TVNView* line =
                            BottomLine(x, fr.GridTop + fr.GridHeight, m->Width, fr.HasOption(vngoStretch));
                        fr.AddView(page, line);
                        fr.ColumnFooterViews.push_back(line);
                    }
                    if (fr.ShowMasterData) {
                        m->Visible = false;
                        m->Height = 0;
                    }
                    fr.AddView(page, m);
                    fr.DataViews.push_back(m);
                    remember(slice, m);
                    if (!view) view = m;
                    return cellWidth(col);
                },
                endSlice, cellWidth(c));
        // 6.
        if (doubleFrame && !last.empty() && last.back()) WideLine(last.back()->RightFrame());
        if (report.Pages.Count() > 1) fr.PageWidths[std::size_t(placer.Slice())] = placer.X();
    }

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

bool WritePlainDataFile(const TAdvCustomDBGridQx& grid, const std::string& fileName) {
    const std::shared_ptr<TMemDataSet>& ds = grid.DataSet();
    if (!ds || !ds->Active()) return false;
    std::vector<int> fields; // per visible column; -1 when the data set lacks its field
    AnsiString text;
    for (int c = 0; c < grid.ColumnCount(); ++c) {
        if (!grid.ColumnVisible(c)) continue;
        if (!fields.empty()) text += ",";
        text += Trim(grid.ColumnCaption(c));
        const TField* f = ds->FindField(grid.Column(c).FieldName);
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
