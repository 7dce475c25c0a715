// Measuring and drawing bands: the height of a band (stretched views measured by the memo layout),
// the y where it goes, writing each of its views into the built page being filled, and drawing a
// Breaked band in parts across page breaks.
//
// Guarantees: a view's position and size are put back after every write, so the next row starts
// from the design again; a view is evaluated once per print (a memo measured for its band is
// written in DrawMode 1 without a second evaluation); errors are kept as the build's first error.
#include "VNBuildEngine.h"

#include "VNCrossTab.h"

#include "VNEMFPages.h"
#include "VNEngine.h"
#include "VNMemoLayout.h"
#include "VNMemoView.h"

#include "platform/MemDataSet.h"

#include <algorithm>
#include <cmath>

namespace {
bool IsStretcheable(TVNView* v) {
    return dynamic_cast<TVNStretcheable*>(v) != nullptr;
}

} // namespace

// Views a band writes itself: cells of cross bands and subreport views are printed by the
// cross-tab and subreport printer.
static bool WrittenByBand(TVNView* v, TVNBand* band) {
    if (v->TypeCode == ViewTypeSubReport) return false;
    return v->OwnerBand == band || !v->OwnerBand || !v->OwnerBand->IsCrossBand();
}

int TVNBuildEngine::MeasureBand(TVNBand* band) {
    if (IVNBandExtras* extras = VNBandExtras(); extras && band->Stretched) {
        const int cells = extras->MeasureCells(*this, band);
        if (cells >= 0) {
            band->CalculatedHeight = std::max(cells, band->Height);
            return band->CalculatedHeight;
        }
    }
    int height = band->Height;
    if (band->Stretched) {
        TVNView* keepView = FCurrentView;
        for (TVNView* v : band->Objects) {
            if (!v->Stretched() || !WrittenByBand(v, band)) continue;
            auto* s = dynamic_cast<TVNStretcheable*>(v);
            if (!s) continue;
            FCurrentView = v;
            try {
                height = std::max(height, ClampCoordinate(std::int64_t(v->Top) + s->MeasureHeight()));
            } catch (const std::exception& e) {
                SetError(v, e.what());
            }
            if (Stopped()) break;
        }
        FCurrentView = keepView;
    }
    band->CalculatedHeight = height;
    return height;
}

void TVNBuildEngine::DrawBand(TVNBand* band) {
    TVNPageBuild& bp = *FPage;
    const TVNBandView& bv = *band->View;
    int y = bp.CurY;
    if (band->Type == bkOverlay)
        y = bv.Top;
    else if (band->Type == bkNone)
        y = 0;
    else if (FDesignPos && IsDataBandType(band->Type))
        y = bv.Top;
    const int height = band->CalculatedHeight >= 0 ? band->CalculatedHeight : band->Height;
    const bool colFirst = IsDataBandType(band->Type) && bv.Columns > 1 && (bv.Flags & bfPrintColFirst);
    if (band->FirstPrintY < 0) {
        band->FirstPrintY = y;
        band->ColumnsBottom = y;
        if (!colFirst) {
            band->ColumnsX = bp.CurX;
            band->ColumnsY = y;
        }
    }
    if (colFirst) {
        if (!band->InColumnRow) {
            band->ColumnsX = bp.CurX;
            band->ColumnsY = y;
            band->ColumnNo = 1;
            band->InColumnRow = true;
        }
        y = band->ColumnsY;
    }
    band->Y = y;
    // A stretched band that grew gives its stretched views the rest of its height, its cross-tab
    // cells too (a cell holds all of a text that made the row grow).
    std::vector<std::pair<TVNView*, int>> grown;
    if (band->Stretched && height > band->Height)
        for (TVNView* v : band->Objects)
            if (v->Stretched() && IsStretcheable(v) &&
                (WrittenByBand(v, band) || (v->OwnerBand && v->OwnerBand->IsCrossBand()))) {
                grown.emplace_back(v, v->Height);
                v->Height = std::max(v->Height, height - v->Top);
            }
    for (TVNView* v : band->Objects) {
        if (Stopped()) break;
        if (WrittenByBand(v, band)) WriteView(v, band, y);
    }
    PrintCrossCells(band);
    for (auto& [v, h] : grown)
        v->Height = h;
    if (PrintSubReports(band)) {
        // The subreports decided where the band ends, perhaps on a later page.
        band->ColumnsBottom = std::max(band->ColumnsBottom, bp.CurY);
        return;
    }
    if (band->Type == bkOverlay || band->Type == bkNone) return;
    band->ColumnsBottom = std::max(band->ColumnsBottom, y + height);
    if (colFirst) {
        ++band->ColumnNo;
        bp.CurX = ClampCoordinate(std::int64_t(bp.CurX) + bv.ColumnWidth + bv.ColumnGap);
        // The headers that repeat per column print above each column of the first row.
        if (band->ColumnNo <= bv.Columns) RepeatColumnHeaders(band);
        if (band->ColumnNo > bv.Columns) {
            bp.CurX = band->ColumnsX;
            bp.CurY = band->ColumnsY + height;
            band->ColumnNo = 1;
            band->InColumnRow = false;
        }
        return;
    }
    bp.CurY = y + height;
}

void TVNBuildEngine::EvaluateView(TVNView* view) {
    auto* memo = dynamic_cast<TVNMemoView*>(view);
    view->Memo1 = view->Memo;
    TField* field = nullptr;
    if (view->BoundDataSet && !view->BoundFieldName.empty())
        field = view->BoundDataSet->FindField(view->BoundFieldName);
    bool changedByEvent = false;
    if (field && (!memo || FReport.OnBeforePrint)) view->LoadFieldData(field);
    if (FReport.OnBeforePrint) {
        TVNStrings before = view->Memo1;
        FReport.OnBeforePrint(view->Memo1, view);
        changedByEvent = view->Memo1 != before;
    }
    RunScript(view, 0, view);
    if (memo) {
        if (!changedByEvent) memo->EvaluateText();
        memo->DrawMode = 1;
    }
}

void TVNBuildEngine::WriteViewRecord(TVNView* view) {
    if (FPageNo < 0 || FPageNo >= FPages->Count()) return;
    TVNStream& s = *FPages->Page(FPageNo).PageStream;
    s.Seek(s.Size());
    view->WriteToPage(s);
}

void TVNBuildEngine::WriteView(TVNView* view, TVNBand* band, int y) {
    TVNPageBuild& bp = *FPage;
    auto* memo = dynamic_cast<TVNMemoView*>(view);
    TVNView* keepView = FCurrentView;
    FCurrentView = view;
    const bool breaked = band->View->Flags & bfBreaked;
    if (FFirstPass && !breaked) {
        // The first pass only measures: scripts still run (totals are often made in them).
        if (view->TypeCode == ViewTypeCalcMemo) {
            // An aggregate view saves or advances its result as it is written: it is written
            // into a scratch stream that is dropped.
            TVNStream scratch;
            try {
                view->WriteToPage(scratch);
            } catch (const std::exception& e) {
                SetError(view, e.what());
            }
        } else if (!memo || memo->DrawMode == 0) {
            RunScript(view, 0, view);
        }
        if (memo) memo->DrawMode = 0;
        FCurrentView = keepView;
        return;
    }
    const int keepLeft = view->Left, keepTop = view->Top, keepWidth = view->Width;
    bool split = memo && memo->DrawMode == 2;
    if (memo) {
        // A memo writes itself: evaluation (unless measured), highlight, Tag, band alignment,
        // suppressing, merging and splitting are the memo layout's rules.
        try {
            view->Left = bp.CurX + view->Left - bp.LeftMarginPx;
            view->Top = y + view->Top;
            WriteViewRecord(view);
        } catch (const std::exception& e) {
            SetError(view, e.what());
        }
        view->Left = keepLeft;
        view->Top = keepTop;
        view->Width = keepWidth;
        memo->DrawMode = 0;
        if (FReport.OnAfterPrint) FReport.OnAfterPrint(view);
        if (!split)
            for (TVNView* n : bp.NotifyViews)
                n->NotifyViewWritten(view);
        FCurrentView = keepView;
        return;
    }
    const AnsiString keepTag = view->Tag;
    auto* stretcheable = dynamic_cast<TVNStretcheable*>(view);
    try {
        view->ApplyBandAlign();
        // The next part of a view written in parts goes on with the text it was given.
        if ((!memo || memo->DrawMode == 0) && !(stretcheable && stretcheable->HasRest())) EvaluateView(view);
        if (!view->Visible) {
            if (memo) {
                memo->DrawMode = 0;
                RunScript(view, 1, view);
            }
        } else if (!Stopped()) {
            if (view->Tag.find('[') != AnsiString::npos) view->Tag = view->ExpandTag(view->Tag);
            const int bandHeight = band->CalculatedHeight >= 0 ? band->CalculatedHeight : band->Height;
            view->Left = bp.CurX + view->Left - bp.LeftMarginPx;
            view->Top = y + view->Top;
            if (view->BandAlign == 5) view->Top = y + bandHeight - view->Height;
            if (view->BandAlign == 6) view->Top = y;
            if ((view->BandAlign == 4 || view->BandAlign == 7) && band->IsCrossBand()) {
                // Aligned to a cross band: the column's place and width on the page.
                view->Left = band->X;
                view->Width = band->Width;
            }
            WriteViewRecord(view);
            if (memo && memo->DrawMode != 0) {
                // The memo's own write did not take the mode back: it ran no after-script either.
                memo->DrawMode = 0;
                RunScript(view, 1, view);
            } else if (!memo) {
                RunScript(view, 1, view);
            }
        }
    } catch (const std::exception& e) {
        SetError(view, e.what());
    }
    view->Left = keepLeft;
    view->Top = keepTop;
    view->Width = keepWidth;
    view->Tag = keepTag;
    if (memo) memo->DrawMode = 0;
    if (FReport.OnAfterPrint) FReport.OnAfterPrint(view);
    if (memo && !split)
        for (TVNView* n : bp.NotifyViews)
            n->NotifyViewWritten(view);
    FCurrentView = keepView;
}

// Writes the next part of a view of a band drawn in parts: the part starts at the band's top and
// is the given height; the view keeps its own top and height for the parts still to come.
void TVNBuildEngine::WriteViewPart(TVNView* v, TVNMemoView* memo, TVNBand* band, int height) {
    TScopedValue top(v->Top, 0);
    TScopedValue keepHeight(v->Height, height);
    if (memo) memo->DrawMode = 2;
    auto* st = dynamic_cast<TVNStretcheable*>(v);
    if (st) st->SplitPart = true;
    WriteView(v, band, band->Y);
    if (st) st->SplitPart = false;
}

void TVNBuildEngine::DrawBreakedBand(TVNBand* band) {
    TVNPageBuild& bp = *FPage;
    struct TSaved {
        TVNView* View;
        int Left, Top, Width, Height;
        int Printed = 0; // total height written so far
        bool Pending = true;
    };
    std::vector<TSaved> views;
    for (TVNView* v : band->Objects)
        if (WrittenByBand(v, band)) views.push_back({v, v->Left, v->Top, v->Width, v->Height});
    const int height = band->CalculatedHeight >= 0 ? band->CalculatedHeight : band->Height;
    if (band->Stretched && height > band->Height)
        for (auto& s : views)
            if (s.View->Stretched() && IsStretcheable(s.View))
                s.View->Height = std::max(s.View->Height, height - s.View->Top);
    band->Y = bp.CurY;
    int lastHeight = 0;
    bool anyPending = !views.empty();
    while (anyPending && !Stopped()) {
        const int b = bp.CurBottom - ColumnFooterHeight() - band->Y - 2;
        int lowest = 0;
        for (auto& s : views) {
            if (!s.Pending || Stopped()) continue;
            TVNView* v = s.View;
            auto* st = dynamic_cast<TVNStretcheable*>(v);
            auto* memo = dynamic_cast<TVNMemoView*>(v);
            const int top = v->Top, h = v->Height;
            if (top >= 0 && top < b) {
                if (top + h < b) {
                    WriteView(v, band, band->Y);
                    s.Pending = false;
                    lowest = std::max(lowest, top + h);
                } else if (st) {
                    const int part = b - top + 1;
                    const int keepHeight = v->Height;
                    if (st->MinLineHeight() < part) {
                        v->Height = part;
                        if (memo) memo->DrawMode = 2;
                        st->SplitPart = true;
                        WriteView(v, band, band->Y);
                        st->SplitPart = false;
                        v->Height = keepHeight;
                        s.Printed += part;
                    }
                    lowest = std::max(lowest, b);
                } else {
                    v->Top = b;
                }
            } else if (top < 0 && top + h >= 0 && st) {
                if (top + h < b) {
                    int r = 0;
                    for (auto& o : views)
                        if (o.View->Stretched())
                            if (auto* os = dynamic_cast<TVNStretcheable*>(o.View))
                                r = std::max(r, os->RemainingHeight());
                    const int part = r + 2 * v->GapY + MemoFrameAllowance(*v) + 1;
                    WriteViewPart(v, memo, band, part);
                    s.Printed += part;
                    s.Pending = false;
                    lowest = std::max(lowest, part);
                    const int gained = s.Printed - s.Height;
                    for (auto& o : views)
                        if (o.Pending && o.View->Left >= v->Left && o.View->Left < v->Left + v->Width)
                            o.View->Top += gained;
                } else {
                    WriteViewPart(v, memo, band, b);
                    s.Printed += b;
                    lowest = std::max(lowest, b);
                }
            }
        }
        lastHeight = lowest;
        anyPending = false;
        for (auto& s : views)
            if (s.Pending) {
                s.View->Top -= b;
                anyPending = true;
            }
        if (anyPending) {
            if (b <= 0 && lowest == 0 && bp.CurY <= bp.Page->TopMarginPx()) break; // no room on a fresh page
            BreakBand(band);
            band->Y = bp.CurY;
        }
    }
    for (auto& s : views)
        s.View->PlaceAt(s.Left, s.Top, s.Width, s.Height);
    bp.CurY = band->Y + lastHeight;
}

static IVNBandExtras*& InstalledExtras() {
    static IVNBandExtras* extras = &TVNCrossTabPrinter::Default();
    return extras;
}
void SetVNBandExtras(IVNBandExtras* extras) {
    InstalledExtras() = extras ? extras : &TVNCrossTabPrinter::Default();
}
IVNBandExtras* VNBandExtras() {
    return InstalledExtras();
}

// Cross-tab cells and subreports are printed by the installed printer; a band without such views
// has nothing more to print.
void TVNBuildEngine::PrintCrossCells(TVNBand* band) {
    if (IVNBandExtras* extras = VNBandExtras()) extras->PrintCells(*this, band);
}

bool TVNBuildEngine::PrintSubReports(TVNBand* band) {
    IVNBandExtras* extras = VNBandExtras();
    return extras && extras->PrintSubReports(*this, band);
}
