// Cross-tab cells: a horizontal band that holds views of the cross bands prints them after its
// own views, slice by slice from left to right - the cross header once, the cross data slice once
// per record of its data set, the cross footer once - moving on to the next built page (added
// when it does not exist yet) whenever a slice would pass the printable right edge.
//
// Guarantees: the built page, the x of the page and the row's y are back as they were when the
// band's slices are done, so the next row starts on the page where this one started; a slice
// wider than the whole printable width is printed at the left margin instead of moving on
// without end; a virtual data set made for a master footer is freed with the row.
#include "VNCrossTab.h"

#include "VNEMFPages.h"
#include "VNEngine.h"
#include "VNMemoView.h"
#include "expr/VNDataset.h"

#include "platform/ScopedValue.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

class TSlices {
public:
    TSlices(TVNBuildEngine& engine, TVNBand* band)
        : E(engine), P(*engine.CurrentPage()), Band(band), StartPage(engine.PageNo()),
          Header(P.Band(bkCrossHeader)), Data(P.Band(bkCrossData)), Footer(P.Band(bkCrossFooter)) {}

    void Print() {
        TScopedValue keepX(P.CurX, P.CurX);
        TVNReport& report = E.Report();
        P.CrossColumn = 1;
        if (report.OnBeginColumn) report.OnBeginColumn(Band);
        // Every slice prints for every row that holds cells, with or without cells of its own,
        // so that the columns of all rows stand under one another and totals reset per row.
        if (Header) {
            E.RunScript(Header->View, 0, Header->View);
            Start(Header);
            WriteCells(Header);
            X += Header->Width;
        }
        if (Data) PrintData();
        if (Footer && !E.Stopped()) {
            E.RunScript(Footer->View, 0, Footer->View);
            Place(Footer, Footer->Width);
            WriteCells(Footer);
            X += Footer->Width;
            E.ResetAggregates(Footer);
        }
        E.SetPageNo(StartPage);
    }

private:
    void PrintData() {
        TVNDataset* ds = Data->DataSet ? Data->DataSet : Band->CrossDataSet;
        std::unique_ptr<TVNDataset> virtualData;
        bool empty = true;
        try {
            if (ds) {
                ds->Open();
                ds->First();
                empty = ds->Eof();
            }
        } catch (const std::exception& e) {
            E.SetError(nullptr, e.what());
            return;
        }
        // A master footer under rows of different widths still prints a slice per column of
        // the widest row, so that its totals stand under their columns.
        if (Band->Type == bkMasterFooter && empty) {
            auto* v = new TVNUserDataset;
            v->RangeEnd = reCount;
            v->RangeEndCount = Data->CrossMaxColumns;
            virtualData.reset(v);
            ds = v;
            ds->First();
        }
        if (!ds) return;
        TVNReport& report = E.Report();
        const bool rowBand = IsDataBandType(Band->Type);
        int columns = 0;
        try {
            while (!ds->Eof() && !E.Stopped()) {
                int width = Data->View->Width;
                if (report.OnPrintColumn) report.OnPrintColumn(P.CrossColumn, width);
                Data->Width = width;
                E.RunScript(Data->View, 0, Data->View);
                Place(Data, Data->Width);
                {
                    TScopedValue slice(P.PrintingSlices, true);
                    WriteCells(Data);
                    E.AddAggregateRow(Data);
                    if (columns == 0 && ds->OnAfterFirst) ds->OnAfterFirst(ds);
                    if (rowBand) E.AddCrossColumnRow(Band, P.CrossColumn);
                }
                X += Data->Width;
                ++P.CrossColumn;
                ++columns;
                ds->Next();
            }
        } catch (const std::exception& e) {
            E.SetError(nullptr, e.what());
        }
        Data->Width = Data->View->Width;
        Data->CrossMaxColumns = std::max(Data->CrossMaxColumns, columns);
    }

    // The first slice printed starts at its own band's x; the others follow it.
    void Start(TVNBand* cross) {
        if (Started) return;
        Started = true;
        X = cross->X;
    }

    // Moves to the next built page when the slice would pass the printable right edge.
    void Place(TVNBand* cross, int width) {
        Start(cross);
        TVNPage& page = *P.Page;
        const int right = page.PaperWidthPx() - page.RightMarginPx();
        const int left = page.LeftMarginPx();
        if (X + width <= right || X <= left) return;
        X = left;
        E.SetPageNo(E.PageNo() + 1);
        if (E.PageNo() >= E.BuiltPages().Count()) AddPage();
        if (Header && (Header->View->Flags & bfRepeatHeader)) {
            WriteCells(Header);
            X += Header->Width;
        }
    }

    void AddPage() {
        E.AddBuiltPage();
        for (int type : {bkMasterData, bkDetailData, bkSubDetailData})
            for (TVNBand* d = P.Band(type); d; d = d->Next)
                for (TVNView* v : d->Objects)
                    if (auto* m = dynamic_cast<TVNMemoView*>(v))
                        if ((m->Flags & flMergeRepeated) && (m->Flags & flSuppress)) m->LastValue.clear();
        // The page's own bands print on it without disturbing the row being printed.
        TScopedValue keepY(P.CurY, P.Page->TopMarginPx());
        TScopedValue keepX(P.CurX, P.LeftMarginPx);
        TScopedValue keepColumn(P.CrossColumn, P.CrossColumn);
        E.ShowBand(P.Band(bkOverlay));
        TVNBand* header = P.Band(bkPageHeader);
        if (header && (StartPage > 0 || (header->View->Flags & bfOnFirstPage))) E.ShowBand(header);
    }

    // A cell goes at the slice's x plus its x in its cross band, at the row's y plus its y in
    // the row; it counts rows with the row's counters.
    void WriteCells(TVNBand* cross) {
        cross->LineNo = Band->LineNo;
        cross->LineThrough = Band->LineThrough;
        cross->RowNo = Band->RowNo;
        cross->Y = Band->Y;
        cross->CalculatedHeight = Band->CalculatedHeight >= 0 ? Band->CalculatedHeight : Band->Height;
        TScopedValue keepX(P.CurX, P.LeftMarginPx + X);
        // While its cells are written the cross band stands where this slice is, so that a cell
        // aligned to the band's width (BandAlign) takes this column's place and width.
        TScopedValue bandX(cross->X, X);
        for (TVNView* v : Band->Objects) {
            if (E.Stopped()) break;
            if (v->OwnerBand != cross) continue;
            auto* memo = dynamic_cast<TVNMemoView*>(v);
            if (!memo || !(memo->Flags & (flSuppress | flMergeRepeated))) {
                E.WriteView(v, cross, Band->Y);
                continue;
            }
            const AnsiString stem = MergeStem(*memo, cross);
            RestoreMergeState(*memo, stem);
            E.WriteView(v, cross, Band->Y);
            SaveMergeState(*memo, stem);
        }
    }

    // A cell compares itself with the cell written last before it on the same built page - for
    // the cross data cells, in the same column - so that repeated values are suppressed and
    // merged down the rows of every page the cross-tab continues on, each merge staying in its
    // own page's record stream. The state is kept per built page (and column) among the master
    // report's variables.
    AnsiString MergeStem(const TVNMemoView& memo, const TVNBand* cross) const {
        AnsiString stem = VNCrossMergePrefix + memo.Name + "_" + std::to_string(E.PageNo() + 1);
        if (cross == Data) stem += "_" + std::to_string(P.CrossColumn);
        return stem;
    }

    TVNStream* PageStream() {
        const int page = E.PageNo();
        return page >= 0 && page < E.BuiltPages().Count() ? E.BuiltPages().Page(page).PageStream.get() : nullptr;
    }

    void RestoreMergeState(TVNMemoView& memo, const AnsiString& stem) {
        TVNVariables& vars = E.MasterReport().Variables;
        const Value* last = vars.Find(stem + "_LastValue");
        memo.LastValue = last ? last->AsString() : AnsiString();
        memo.MergeStream = nullptr;
        const Value* position = vars.Find(stem + "_LastPosition");
        unsigned long long at = 0, length = 0;
        long long top = 0;
        if (position && std::sscanf(position->AsString().c_str(), "%llu;%llu;%lld", &at, &length, &top) == 3) {
            memo.MergeStream = PageStream();
            memo.MergePosition = std::size_t(at);
            memo.MergeLength = std::size_t(length);
            memo.MergeTop = std::int32_t(top);
        }
    }

    void SaveMergeState(const TVNMemoView& memo, const AnsiString& stem) {
        TVNVariables& vars = E.MasterReport().Variables;
        vars.SetVariable(stem + "_LastValue", Value(memo.LastValue));
        if (memo.MergeStream && memo.MergeStream == PageStream())
            vars.SetVariable(stem + "_LastPosition", Value(std::to_string(memo.MergePosition) + ";" +
                                                           std::to_string(memo.MergeLength) + ";" +
                                                           std::to_string(memo.MergeTop)));
    }

    TVNBuildEngine& E;
    TVNPageBuild& P;
    TVNBand* Band;
    const int StartPage;
    TVNBand *Header, *Data, *Footer;
    bool Started = false;
    int X = 0;
};

bool HoldsCells(const TVNBand* band) {
    if (band->IsCrossBand() || band->Type == bkPageFooter) return false;
    for (const TVNView* v : band->Objects)
        if (v->OwnerBand && v->OwnerBand != band && v->OwnerBand->IsCrossBand()) return true;
    return false;
}

} // namespace

void TVNCrossTabPrinter::PrintCells(TVNBuildEngine& engine, TVNBand* band) {
    if (!engine.CurrentPage() || !HoldsCells(band)) return;
    TSlices(engine, band).Print();
}

// The height of a Stretched band that holds cells: its own views and the header and footer cells
// once, the cross data cells once per cross record (each with its column's width), the largest
// bottom of them all and at least the design height.
int TVNCrossTabPrinter::MeasureCells(TVNBuildEngine& engine, TVNBand* band) {
    TVNPageBuild* page = engine.CurrentPage();
    if (!page || !HoldsCells(band)) return -1;
    TVNBand* data = page->Band(bkCrossData);
    int height = band->Height;
    struct TKeepView {
        TVNBuildEngine& E;
        TVNView* View;
        ~TKeepView() { E.SetCurrentView(View); }
    } keepView{engine, engine.CurrentView()};
    auto measure = [&](TVNView* v) {
        auto* s = dynamic_cast<TVNStretcheable*>(v);
        if (!s || !v->Stretched() || engine.Stopped()) return;
        engine.SetCurrentView(v);
        try {
            height = std::max(height, ClampCoordinate(std::int64_t(v->Top) + s->MeasureHeight()));
        } catch (const std::exception& e) {
            engine.SetError(v, e.what());
        }
        // A cell is written once per slice and evaluated then; only the band's own views keep
        // the text they were measured with.
        if (auto* m = dynamic_cast<TVNMemoView*>(v); m && v->OwnerBand != band) m->DrawMode = 0;
    };
    for (TVNView* v : band->Objects)
        if (!data || v->OwnerBand != data) measure(v);
    TVNDataset* ds = data ? (data->DataSet ? data->DataSet : band->CrossDataSet) : nullptr;
    if (!ds) return height;
    TVNReport& report = engine.Report();
    TScopedValue keepColumn(page->CrossColumn, 1);
    TScopedValue slices(page->PrintingSlices, true);
    try {
        if (report.OnBeginColumn) report.OnBeginColumn(band);
        ds->Open();
        for (ds->First(); !ds->Eof() && !engine.Stopped(); ds->Next(), ++page->CrossColumn) {
            int width = data->View->Width;
            if (report.OnPrintColumn) report.OnPrintColumn(page->CrossColumn, width);
            TScopedValue keepWidth(data->Width, width);
            for (TVNView* v : band->Objects)
                if (v->OwnerBand == data) measure(v);
        }
    } catch (const std::exception& e) {
        engine.SetError(nullptr, e.what());
    }
    return height;
}

TVNCrossTabPrinter& TVNCrossTabPrinter::Default() {
    static TVNCrossTabPrinter printer;
    return printer;
}
