// The band engine's decisions: the passes, building one design page, ShowBand with its scripts
// and break requests, page and column breaks (multi-column bands, repeated headers) and finishing
// pages. The data loop is VNBuildDataLoop.cpp's; measuring and writing bands is
// VNBuildBandWriter.cpp's business.
//
// Guarantees: every loop ends when the data ends or the build is stopped; a band that does not
// fit breaks the page at most once per print, so a band taller than a page is drawn over the
// bottom instead of breaking forever; the design is read back from its snapshot however the
// build ends.
#include "VNBuildEngine.h"

#include "VNControl.h"
#include "VNEMFPages.h"
#include "VNEngine.h"
#include "VNMemoView.h"
#include "VNStrings.h"
#include "expr/VNDataset.h"

#include "platform/Locale.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {
// The local date and time as a day count since 1899-12-30.
void TakeStartTime(double& date, double& time) {
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    localtime_r(&t, &lt);
    date = EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
    time = EncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec, 0);
}

} // namespace

TVNBuildEngine* TVNBuildEngine::Current() {
    return VNState().CurrentEngine;
}

TVNBuildEngine::TVNBuildEngine(TVNReport& report, TVNReport* master)
    : FReport(report), FMaster(master ? master : &report) {
    FPages = FMaster->EMFPages.get();
    FContext.Report = &report;
    FInterpretator = std::make_unique<TInterpretator>(FContext, &report);
    FInterpretator->StopFlag = &FTerminated;
    // A script that loops long still lets the progress window's Cancel through.
    FInterpretator->OnLongRun = [this] { PumpProgress(); };
}

TVNBuildEngine::~TVNBuildEngine() = default;

// ---- BuildReport -------------------------------------------------------------------------------

bool TVNBuildEngine::Run() {
    TScopedValue current(VNState().CurrentEngine, this);
    FReport.Variables.Clear();
    FReport.taoda = false;
    FReport.SelectPrinter(FReport.PrinterName);
    FReport.ErrorFlag = false;
    FReport.ErrorText.clear();
    VNState().RunMode = true;
    TakeStartTime(FStartDate, FStartTime);
    FStartDateTime = FStartDate + FStartTime;
    FBasePageCount = FMaster == &FReport ? 0 : FPages->Count();

    // The design is written away and read back at the end, so nothing a build or its scripts
    // change survives in it.
    TVNStream snapshot;
    FReport.SaveReportStream(snapshot);
    bool built = false;
    try {
        for (int p = 0; p < FReport.Pages.Count(); ++p) {
            TVNPage& page = FReport.Pages[p];
            for (int i = 0; i < int(page.Objects.size());) {
                TVNView* v = page.Objects[std::size_t(i)];
                if (v->ExpandOnBuild) {
                    v->ExpandIntoPage();
                    page.Delete(page.IndexOf(v));
                } else {
                    ++i;
                }
            }
        }
        InstallHooks();
        OpenProgressWindow();
        if (FReport.OnBeginDoc) FReport.OnBeginDoc();
        RunPasses();
        if (FReport.OnEndDoc) FReport.OnEndDoc();
    } catch (const std::exception& e) {
        if (!FReport.ErrorFlag) {
            FReport.ErrorFlag = true;
            FReport.ErrorText = e.what();
        }
    } catch (...) {
        if (!FReport.ErrorFlag) FReport.ErrorFlag = true;
    }
    FProgress.reset();
    FreeBands();
    RemoveHooks();
    FReport.Variables.Assign(FContext.RunVariables);
    VNState().DoublePassFirstPass = false;
    FReport.BlankRowMode = false;
    {
        // Reading back the design must not disturb the built pages or the file name.
        const AnsiString fileName = FReport.FileName, errorText = FReport.ErrorText;
        const bool errorFlag = FReport.ErrorFlag;
        snapshot.Seek(0);
        FReport.LoadReportStream(snapshot);
        FReport.FileName = fileName;
        FReport.ErrorText = errorText;
        FReport.ErrorFlag = errorFlag;
    }
    if (FReport.ErrorFlag) {
        VNShowMessage(FReport.ErrorText, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
        while (FPages->Count() > FBasePageCount)
            FPages->DeletePage(FPages->Count() - 1);
    } else if (FTerminated) {
        while (FPages->Count() > FBasePageCount)
            FPages->DeletePage(FPages->Count() - 1);
    }
    built = FPages->Count() > FBasePageCount;
    if (built && FReport.PrintPagePerPage && FReport.Pages.Count() >= 2) OrderPagePerPage();
    // RunMode stays set: the built pages are shown or printed next.
    return built;
}

void TVNBuildEngine::OrderPagePerPage() {
    // First built page of every design page in design order, then the second of each, ...
    const int count = FPages->Count() - FBasePageCount;
    std::vector<std::vector<int>> byDesign(std::size_t(FReport.Pages.Count()) + 1);
    for (int i = 0; i < count; ++i) {
        int d = FPages->Page(FBasePageCount + i).DesignPageNo;
        if (d < 1 || d > FReport.Pages.Count()) d = 1;
        byDesign[std::size_t(d)].push_back(FBasePageCount + i);
    }
    std::vector<int> order;
    for (std::size_t round = 0; int(order.size()) < count; ++round)
        for (auto& list : byDesign)
            if (round < list.size()) order.push_back(list[round]);
    // Move the records into the new order by inserting each at the end and deleting the old ones.
    std::vector<std::unique_ptr<TVNStream>> streams;
    for (int index : order) {
        TVNPreparedPage& rec = FPages->Page(index);
        FPages->InsertPage(FPages->Count(), rec);
        TVNPreparedPage& copy = FPages->Page(FPages->Count() - 1);
        copy.PageStream = std::make_unique<TVNStream>(rec.PageStream->Data());
    }
    for (int i = 0; i < count; ++i)
        FPages->DeletePage(FBasePageCount);
}

void TVNBuildEngine::OpenProgressWindow() {
    IVNWindowServices* services = VNWindowServices();
    if (!services || FReport.OnProgress || !FReport.ShowProgress) return;
    AnsiString caption = VNText(TVNText::PreparingReport);
    if (!FReport.ReportInfo.Title.empty()) caption += " - " + FReport.ReportInfo.Title;
    FProgress = services->OpenProgress(caption);
}

void TVNBuildEngine::ReportProgress(int pageNo) {
    if (FReport.OnProgress) {
        FReport.OnProgress(pageNo);
        return;
    }
    if (!FProgress) return;
    AnsiString text =
        VNText(FFirstPass ? TVNText::FirstPassLabel : TVNText::PageLabel) + "  " + IntToStr(pageNo);
    if (FDoubleFinal) text += " " + VNText(TVNText::OfTotal) + " " + IntToStr(FTotalPages);
    FProgress->SetLabel(text);
    PumpProgress();
}

void TVNBuildEngine::PumpProgress() {
    if (FProgress && FProgress->ProcessMessages()) FTerminated = true;
}

void TVNBuildEngine::RunPasses() {
    FTerminated = false;
    while (FPages->Count() > FBasePageCount)
        FPages->DeletePage(FPages->Count() - 1);
    FPageNo = FBasePageCount;
    FTotalPages = 0;
    if (FReport.DoublePass) {
        FFirstPass = true;
        FFinalPass = false;
        {
            TScopedValue firstPass(VNState().DoublePassFirstPass, true);
            RunOnePass();
        }
        FFirstPass = false;
        if (Stopped()) return;
        FTotalPages = FPages->Count() - FBasePageCount;
        FReport.DoublePass = false;
        FDoubleFinal = true;
        while (FPages->Count() > FBasePageCount)
            FPages->DeletePage(FPages->Count() - 1);
        FPageNo = FBasePageCount;
        FFinalPass = true;
        FContinueOnPrevious = false;
        try {
            RunOnePass();
        } catch (...) {
            FReport.DoublePass = true;
            FDoubleFinal = false;
            throw;
        }
        FReport.DoublePass = true;
        FDoubleFinal = false;
    } else {
        FFirstPass = false;
        FFinalPass = true;
        RunOnePass();
    }
}

void TVNBuildEngine::RunOnePass() {
    FContext.RunVariables.Clear();
    FPageBuilds.clear();
    // The cross-tab cells' merge state of an earlier pass points into pages built again now.
    TVNVariables& masterVars = FMaster->Variables;
    for (int i = masterVars.Count(); i-- > 0;)
        if (masterVars.Name(i).rfind(VNCrossMergePrefix, 0) == 0) masterVars.Delete(i);
    for (int p = 0; p < FReport.Pages.Count(); ++p) {
        auto bp = std::make_unique<TVNPageBuild>();
        bp->Page = &FReport.Pages[p];
        bp->IsSubReportPage = false;
        FPageBuilds.push_back(std::move(bp));
    }
    TVNDataset* multi = FReport.ReportType == rtMultiple ? FReport.Dataset : nullptr;
    if (multi) {
        try {
            multi->Open();
            multi->First();
        } catch (const std::exception& e) {
            SetError(nullptr, e.what());
            return;
        }
    }
    // Dialog pages first.
    for (auto& bp : FPageBuilds) {
        if (bp->Page->PageType != ptDialog) continue;
        RunDialogPage(*bp->Page);
        if (Stopped()) return;
        if (FModalResult == mrCancel) { // ends the build without output
            FTerminated = true;
            return;
        }
    }
    do {
        for (auto& bp : FPageBuilds)
            if (bp->Page->PageType == ptReport) PreparePage(*bp);
        for (auto& bp : FPageBuilds)
            if (bp->Page->PageType == ptReport) {
                BindViews(*bp);
                RegisterAggregates(*bp);
                if (Stopped()) return;
            }
        for (auto& bp : FPageBuilds)
            for (TVNView* v : bp->AggregateMemos)
                v->AggregatePrepare(FDoubleFinal);
        ReportProgress(FPageNo + 1);
        const int count = int(FPageBuilds.size());
        for (int i = 0; i < count && !Stopped(); ++i) {
            TVNPageBuild& bp = *FPageBuilds[std::size_t(i)];
            if (bp.Page->PageType != ptReport) continue;
            FPages->AddBackground(bp.Page->BackGroundLeft, bp.Page->BackGroundTop, bp.Page->BackGround,
                                  bp.Page->BackGroundWidth, bp.Page->BackGroundHeight);
            FPage = &bp;
            if (!bp.Page->Visible) {
                RunScript(bp.Page, 0, nullptr);
            } else if (!bp.IsSubReportPage) {
                BuildPage(bp);
            }
            const bool nextToPrev = i + 1 < count && FPageBuilds[std::size_t(i) + 1]->Page->PrintToPrevPage;
            FContinueOnPrevious = nextToPrev && FPages->Count() > FBasePageCount;
            if (!FContinueOnPrevious) {
                FPageNo = FPages->Count();
                ReportProgress(FPageNo);
            }
        }
        FreeBands();
        if (!multi || Stopped()) break;
        try {
            multi->Next();
            if (multi->Eof()) break;
        } catch (const std::exception& e) {
            SetError(nullptr, e.what());
            break;
        }
        // The next record's output continues on the last built page.
        FContinueOnPrevious = FPages->Count() > FBasePageCount;
    } while (!Stopped());
    FPage = nullptr;
}

void TVNBuildEngine::RunDialogPage(TVNPage& page) {
    FModalResult = mrNone;
    CompileScripts(&page, page.OnBeforePrint, {});
    std::vector<TVNControl*> visual;
    for (TVNView* v : page.Objects) {
        auto* control = dynamic_cast<TVNControl*>(v);
        if (!control) continue;
        if (control->IsVisual())
            visual.push_back(control);
        else if (FReport.OnCustomizeObject)
            FReport.OnCustomizeObject(control);
    }
    if (FProgress) FProgress->SetVisible(false);
    // The activation script runs once, before the form shows; it may decide the result itself.
    RunScript(&page, 0, nullptr);
    IVNWindowServices* services = VNWindowServices();
    // The final pass of a double-pass build keeps the answers given in the first pass: asking
    // the user the same questions twice would only invite different answers.
    if (!Stopped() && services && page.Visible && !visual.empty() && FModalResult == mrNone &&
        !FDoubleFinal) {
        TVNDialogPageForm form;
        form.Caption = page.Caption;
        form.BorderStyle = page.BorderStyle;
        form.Color = page.Color;
        form.Left = page.DialogLeft;
        form.Top = page.DialogTop;
        form.Width = page.DialogWidth;
        form.Height = page.DialogHeight;
        form.Position = page.Position;
        form.Controls = ControlsInTabOrder(visual);
        FModalResult = services->ShowDialogPage(form);
    }
    if (FProgress) FProgress->SetVisible(true);
}

int TVNBuildEngine::PageBottom(TVNPageBuild& bp) const {
    int bottom = bp.Page->PaperHeightPx() - bp.Page->BottomMarginPx();
    if (TVNBand* footer = bp.Band(bkPageFooter)) bottom -= footer->Height;
    return bottom;
}

int TVNBuildEngine::ColumnFooterHeight() const {
    if (!FPage || FColumnFooterZero) return 0;
    TVNBand* cf = FPage->Band(bkColumnFooter);
    return cf ? cf->Height : 0;
}

void TVNBuildEngine::AddBuiltPage() {
    if (FReport.CancelRequested && FReport.CancelRequested()) FTerminated = true;
    if (FReport.MaxPages > 0 && FPages->Count() >= FReport.MaxPages)
        SetError(nullptr, VNText(TVNText::PageLimit) + " " + std::to_string(FReport.MaxPages));
    FPages->AddPage(*FPage->Page);
    FPageNo = FPages->Count() - 1;
}

// ---- one design page ----------------------------------------------------------------------------

void TVNBuildEngine::BuildPage(TVNPageBuild& bp) {
    TVNPage& page = *bp.Page;
    if (TVNBand* master = bp.Band(bkMasterData); master && master->DataSet) {
        bool empty = true;
        try {
            master->DataSet->Open();
            master->DataSet->First();
            empty = master->DataSet->Eof();
        } catch (const std::exception&) {
            empty = true;
        }
        if (empty && !FReport.PrintIfEmpty) return;
    }
    RunScript(&page, 0, nullptr);
    if (!page.Visible || Stopped()) return;

    bool continuing = FContinueOnPrevious && FPages->Count() > FBasePageCount;
    if (continuing && FSavedCurY == FSavedBottom) continuing = false;
    bp.CurBottom = continuing ? FSavedBottom : PageBottom(bp);
    bp.ColumnNo = 0;
    bp.CurX = bp.LeftMarginPx = page.LeftMarginPx();
    bp.RowCounter = 0;
    bp.LastBand = nullptr;
    if (!continuing) {
        AddBuiltPage();
        bp.CurY = page.TopMarginPx();
        ShowBand(bp.Band(bkOverlay));
        ShowBand(bp.Band(bkNone));
    } else {
        FPageNo = FPages->Count() - 1;
        bp.CurY = FSavedCurY;
    }
    bp.ColumnTop = bp.CurY;
    if (!FReport.OnManualBuild) {
        const int pageBefore = FPageNo;
        ShowBand(bp.Band(bkTitle));
        if (FPageNo == pageBefore) {
            TVNBand* header = bp.Band(bkPageHeader);
            if (header && (header->View->Flags & bfOnFirstPage)) ShowBand(header);
            ShowBand(bp.Band(bkColumnHeader));
        }
        // Only headers above: a band too tall for this room would not fit any better on the
        // next page. A title is content, so a page that printed one may still break.
        TVNBand* title = bp.Band(bkTitle);
        bp.ContentTop = title && title->Visible ? -1 : bp.CurY;
        if (HasLevel(1)) DataLoop(1);
    }
    if (FReport.OnManualBuild) {
        FReport.OnManualBuild(&page);
    } else if (!Stopped()) {
        bp.SummaryPrinting = true;
        ShowBand(bp.Band(bkColumnFooter));
        FColumnFooterZero = true;
        ShowBand(bp.Band(bkSummary));
        FColumnFooterZero = false;
        bp.SummaryPrinting = false;
    }
    FSavedCurY = bp.Columns > 1 ? PageBottom(bp) : bp.CurY;
    FSavedBottom = bp.CurBottom;
    bp.ColumnNo = 0;
    bp.CurX = bp.LeftMarginPx = page.LeftMarginPx();
    if (!FReport.OnManualBuild && !Stopped()) FinishPage(true);
    if (FReport.OnEndPage) FReport.OnEndPage(FPageNo);
    if (FMaster != &FReport && FMaster->OnEndPage) FMaster->OnEndPage(FPageNo);
    ++FPageNo;
}

void TVNBuildEngine::FinishPage(bool atEnd) {
    TVNPageBuild& bp = *FPage;
    SaveAggregateViews(bp.Band(bkPageHeader));
    TVNBand* footer = bp.Band(bkPageFooter);
    if (atEnd) {
        const bool first = FPageNo == FBasePageCount;
        if (!footer ||
            !((footer->View->Flags & bfOnLastPage) || (first && (footer->View->Flags & bfOnFirstPage))))
            return;
    }
    bp.ColumnNo = 0;
    bp.CurX = bp.LeftMarginPx = bp.Page->LeftMarginPx();
    const bool onFirst = atEnd || (footer && (footer->View->Flags & bfOnFirstPage));
    if (FPageNo > FBasePageCount || onFirst) {
        while (FPageNo < FPages->Count() && !Stopped()) {
            if (FReport.OnEndPage) FReport.OnEndPage(FPageNo);
            if (FMaster != &FReport && FMaster->OnEndPage) FMaster->OnEndPage(FPageNo);
            if (footer) {
                const bool keep = FForceFooterFirst;
                FForceFooterFirst = atEnd;
                ShowBand(footer);
                FForceFooterFirst = keep;
            }
            ++FPageNo;
        }
    }
    FPageNo = FPages->Count();
}

void TVNBuildEngine::NewPage() {
    if (!FPage || Stopped()) return;
    TVNPageBuild& bp = *FPage;
    FPageJustBroken = true;
    ReportProgress(FPageNo + 1);
    if (!bp.SummaryPrinting) ShowBand(bp.Band(bkColumnFooter));
    FinishPage(false);
    AddBuiltPage();
    bp.CurBottom = PageBottom(bp);
    bp.ColumnNo = 0;
    bp.CurX = bp.LeftMarginPx = bp.Page->LeftMarginPx();
    for (auto& b : bp.Bands) {
        b->FirstPrintY = -1;
        b->InColumnRow = false;
        if (IsDataBandType(b->Type) && b->View->Columns > 1 && !(b->View->Flags & bfPrintColFirst))
            b->ColumnNo = 1;
        else if (!IsDataBandType(b->Type))
            b->ColumnNo = 1;
    }
    ShowBand(bp.Band(bkOverlay));
    bp.CurY = bp.Page->TopMarginPx();
    bp.ColumnTop = bp.CurY;
    ShowBand(bp.Band(bkPageHeader));
    ShowBand(bp.Band(bkColumnHeader));
    bp.ContentTop = bp.CurY;
    for (TVNBand* g = bp.Band(bkGroupHeader); g; g = g->Next)
        g->RowNo = 1;
    for (int type : {bkMasterData, bkDetailData, bkSubDetailData})
        for (TVNBand* d = bp.Band(type); d; d = d->Next)
            for (TVNView* v : d->Objects)
                if (auto* m = dynamic_cast<TVNMemoView*>(v))
                    if ((m->Flags & flMergeRepeated) && (m->Flags & flSuppress)) m->LastValue.clear();
}

void TVNBuildEngine::NewColumn() {
    if (!FPage || Stopped()) return;
    TVNPageBuild& bp = *FPage;
    if (bp.ColumnNo < bp.Columns - 1) {
        ShowBand(bp.Band(bkColumnFooter));
        ++bp.ColumnNo;
        bp.CurX += bp.ColumnWidthPx + bp.ColumnGapPx;
        bp.CurY = bp.ColumnTop;
        for (auto& b : bp.Bands)
            b->FirstPrintY = -1;
        ShowBand(bp.Band(bkColumnHeader));
        bp.ContentTop = bp.CurY;
    } else {
        NewPage();
    }
}

// ---- ShowBand ----------------------------------------------------------------------------------

void TVNBuildEngine::ExecuteBreakRequests(TVNBand* band) {
    TVNPageBuild& bp = *FPage;
    const int curyAfterScript = bp.CurY;
    const bool hadRequests = band->PageBreakRequests > 0 || band->ColumnBreakRequests > 0;
    while (band->PageBreakRequests > 0 && !Stopped()) {
        --band->PageBreakRequests;
        bp.ColumnNo = bp.Columns - 1;
        NewColumn();
    }
    while (band->ColumnBreakRequests > 0 && !Stopped()) {
        --band->ColumnBreakRequests;
        NewColumn();
    }
    if (hadRequests && FCuryAssigned) bp.CurY = curyAfterScript;
    FCuryAssigned = false;
}

void TVNBuildEngine::ShowBand(TVNBand* band, bool childMode) {
    if (!band || !FPage || Stopped()) return;
    // SHOWBAND from a script may print a band from inside another band's print; a script that
    // keeps doing so without end is stopped with an error instead of exhausting the stack.
    struct TDepth {
        int& D;
        explicit TDepth(int& d) : D(d) { ++D; }
        ~TDepth() { --D; }
    } depth(FShowDepth);
    if (FShowDepth > MaxShowDepth) {
        SetError(band->View, "SHOWBAND");
        return;
    }
    TVNPageBuild& bp = *FPage;
    if (bp.Recording) {
        const TVNBand* counting = CountingBand(band);
        bp.Actions.push_back({band, 0, FReport.BlankRowMode, counting->LineNo, counting->LineThrough, bp.RowCounter});
        return;
    }
    if (bp.PendingSubReportBand == band) {
        // Shown again after the outer page broke: its own views are printed already; its
        // subreports go on where they stopped, and the band ends once they are all printed.
        TScopedValue current(FCurrentBand, band);
        PrintSubReports(band);
        band->ColumnsBottom = std::max(band->ColumnsBottom, bp.CurY);
        if (bp.PendingSubReportBand == band || Stopped()) return;
        AfterDraw(band);
        EndShow(band);
        return;
    }
    if (band->Type == bkNone) {
        if (bp.NoneBandPage == FPageNo) return; // its views would print twice at the same place
        bp.NoneBandPage = FPageNo;
    }
    if (FReport.OnBeforePrintBand) {
        bool print = true;
        FReport.OnBeforePrintBand(band, print);
        if (!print) return;
    }
    TScopedValue current(FCurrentBand, band); // the outer band is current again when this one is done
    band->CalculatedHeight = -1;
    if (FReport.OnBeginBand) FReport.OnBeginBand(band);
    // 2. Close an open row of a multi-column band printing across.
    TVNBand* last = bp.LastBand;
    if (!childMode && last && last != band && last->InColumnRow) {
        bp.CurX = last->ColumnsX;
        bp.CurY = last->ColumnsY + (last->CalculatedHeight > 0 ? last->CalculatedHeight : last->Height);
        last->InColumnRow = false;
    }
    // 3-4. Script and the breaks it asked for.
    FCuryAssigned = false;
    if (!band->SkipBeforePrintScript) RunScript(band->View, 0, band->View);
    ExecuteBreakRequests(band);
    if (Stopped()) return;
    const bool isData = IsDataBandType(band->Type);
    if (band->Visible) {
        if (band->Type == bkColumnHeader) bp.ColumnTop = bp.CurY;
        if (band->Type == bkPageFooter) bp.CurY = bp.CurBottom;
        bool draw = true;
        bool split = false; // a Breaked band that does not fit is drawn in parts
        if (band->Type != bkPageFooter && band->Type != bkOverlay && band->Type != bkColumnFooter &&
            band->Type != bkNone) {
            // A band keeps its child with it: the child's design height counts for the fit.
            int height = MeasureBand(band);
            if (band->Child && band->Child->Visible) height += band->Child->Height;
            if (NeedsBreak(band, height)) {
                if (band->View->Flags & bfBreaked) {
                    split = !FNoBreak && !bp.IsSubReportPage;
                } else if (FNoBreak || bp.IsSubReportPage) {
                    bp.BandDidNotFit = true;
                    draw = false;
                } else if (!FBreaking) {
                    BreakBand(band);
                    if (Stopped()) draw = false;
                    // The break may have printed headers that measured views of their own.
                    FCurrentBand = band;
                    if (draw) MeasureBand(band);
                }
            }
        }
        if (draw) {
            if (split)
                DrawBreakedBand(band);
            else
                DrawBand(band);
            // Subreports of the band wait for the outer page to break: the band ends after them.
            if (bp.PendingSubReportBand == band) return;
            AfterDraw(band);
        }
    } else {
        if (band->PrintChildIfInvisible && band->Child) ShowBand(band->Child, true);
        if (isData) {
            if (!FReport.BlankRowMode) AddAggregateRow(band);
            NotifyAggregateRow(band);
        }
    }
    EndShow(band);
}

void TVNBuildEngine::AfterDraw(TVNBand* band) {
    TVNPageBuild& bp = *FPage;
    const bool isData = IsDataBandType(band->Type);
    if (isData) {
        if (!FReport.BlankRowMode) AddAggregateRow(band);
        NotifyAggregateRow(band);
    }
    bp.LastBand = band;
    if (band->Child) ShowBand(band->Child, true);
    FCurrentBand = band;
    if (!isData && band->Type != bkGroupHeader && band->FormNewPage && !bp.IsSubReportPage) NewPage();
}

void TVNBuildEngine::EndShow(TVNBand* band) {
    FCurrentBand = band;
    RunScript(band->View, 1, band->View);
    if (band->Type != bkPageFooter || FForceFooterFirst) ResetAggregates(band);
    if (FReport.OnEndBand) FReport.OnEndBand(band);
}

// ---- breaks ------------------------------------------------------------------------------------

bool TVNBuildEngine::NeedsBreak(TVNBand* band, int height) const {
    if (band->Type == bkColumnFooter) return false;
    const TVNPageBuild& bp = *FPage;
    // A band taller than the room of a fresh page is drawn there (over the bottom): breaking
    // again would only leave empty pages behind. A Breaked band is drawn in parts instead, so
    // what does not fit goes on the next pages rather than off the paper.
    if (bp.CurY + ColumnFooterHeight() + height > bp.CurBottom)
        return bp.CurY != bp.ContentTop || (band->View->Flags & bfBreaked);
    // A subreport cannot start pages or columns of its own (as with FormNewPage): its lines per
    // page do not break it, else a band over the limit would break the outer page without end.
    const int n = bp.IsSubReportPage ? 0 : band->LinesPerPage;
    if (band->View->NewColumnAfter == 1 && n > 0) {
        const int limit = (band->View->Flags & bfPrintColFirst) ? n * band->View->Columns : n;
        if (band->RowNo > limit) return true;
    }
    return false;
}

TVNBand* TVNBuildEngine::DataBandOf(TVNBand* band) const {
    if (IsDataBandType(band->Type)) return band;
    auto it = FGroupOwner.find(band);
    return it == FGroupOwner.end() ? nullptr : it->second;
}

void TVNBuildEngine::RepeatColumnHeaders(TVNBand* dataBand) {
    TVNPageBuild& bp = *FPage;
    std::vector<TVNBand*> headers = {bp.Band(bkPageHeader), bp.Band(bkColumnHeader), dataBand->Header};
    for (TVNBand* g : dataBand->Groups)
        headers.push_back(g);
    const int columns = dataBand->View->Columns;
    for (TVNBand* h : headers) {
        if (!h || h->FirstPrintY < 0) continue;
        const std::uint16_t f = h->View->Flags;
        if (!(f & bfRepeatHeader) || !(f & bfRepeatHeader1) || h->ColumnNo >= columns) continue;
        const int keepY = bp.CurY;
        bp.CurY = h->FirstPrintY;
        h->SkipBeforePrintScript = true;
        ShowBand(h, true);
        h->SkipBeforePrintScript = false;
        bp.CurY = keepY;
        ++h->ColumnNo;
    }
}

void TVNBuildEngine::RepeatHeadersAfterBreak(TVNBand* band) {
    TVNPageBuild& bp = *FPage;
    TVNBand* dataBand = DataBandOf(band);
    if (!dataBand) return;
    for (TVNBand* g : dataBand->Groups) {
        if (g == band) break; // a breaking group header repeats only those above it
        g->RowNo = 1;
        if ((g->View->Flags & bfRepeatHeader) && !bp.SummaryPrinting && !g->Queued) {
            g->ColumnNo = 1;
            g->SkipBeforePrintScript = true;
            ShowBand(g, true);
            g->SkipBeforePrintScript = false;
        }
    }
    if (band->Type != bkGroupHeader)
        if (TVNBand* h = dataBand->Header; h && (h->View->Flags & bfRepeatHeader) && !h->Queued) {
            h->SkipBeforePrintScript = true;
            ShowBand(h, true);
            h->SkipBeforePrintScript = false;
        }
    if (dataBand == band && (band->View->Flags & bfPrintAtDesignPos)) FDesignPos = true;
}

void TVNBuildEngine::BreakBand(TVNBand* band) {
    TVNPageBuild& bp = *FPage;
    FBreaking = true;
    const TVNBandView& v = *band->View;
    const bool multi =
        IsDataBandType(band->Type) && v.Columns > 1 && v.NewColumnAfter == 1 && !(v.Flags & bfPrintColFirst);
    if (multi && band->ColumnNo < v.Columns) {
        if (band->FirstPrintY < 0) {
            band->ColumnsX = bp.CurX;
            band->ColumnsY = bp.CurY;
        }
        ++band->ColumnNo;
        bp.CurX = ClampCoordinate(band->ColumnsX +
                                  std::int64_t(v.ColumnWidth + v.ColumnGap) * (band->ColumnNo - 1));
        RepeatColumnHeaders(band);
        bp.CurY = band->ColumnsY;
        band->RowNo = 1;
        FBreaking = false;
        return;
    }
    if (multi) bp.CurX = band->ColumnsX;
    band->ColumnNo = 1;
    band->RowNo = 1;
    NewColumn();
    FBreaking = false;
    RepeatHeadersAfterBreak(band);
}
