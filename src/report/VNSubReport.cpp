// Subreports: a band that holds subreport views prints, after its other views, the bands of each
// view's design page at the view's place. Each target page is first run in recording mode - its
// data loops run, and every band shown and every First and Next of a data band is kept as an
// action instead of printed - and the actions are then replayed onto the outer page, all the
// band's subreports side by side. When one of them does not fit, the outer page breaks and every
// unfinished subreport continues at the top of the new page with the band that did not fit.
// A subreport inside a subreport that does not fit waits with its place kept: the outer replay
// breaks its page and shows the band again, and the inner one goes on where it stopped.
//
// Guarantees: no recorded row is lost or printed twice across breaks, also when subreports beside
// one another (or nested in them) walk the same data set, each keeping its own place in it; a band
// taller than a whole page is printed at the top of a fresh page (over its bottom) rather than
// breaking without end; the outer band ends below the lowest subreport, and, when no break
// happened, not above its own bottom.
#include "VNCrossTab.h"

#include "VNMemoView.h"
#include "VNStandardViews.h"
#include "expr/VNDataset.h"

#include "platform/ScopedValue.h"

#include <algorithm>
#include <unordered_map>

namespace {

// One recorded move of a data set: 1 First, 3 Prior, 2 and 4 Next.
void Move(TVNDataset* ds, int kind) {
    if (!ds) return;
    if (kind == 1)
        ds->First();
    else if (kind == 3)
        ds->Prior();
    else
        ds->Next();
}

// Puts the data sets of a subreport that waited for the next page back where its replay left
// them: another subreport walking the same data set may have moved them since. The moves made
// since each band's last First are made again in their order, so that data sets driven by events
// and data sets following a master come back the way they went.
void Reposition(const TVNPageBuild& sp) {
    std::unordered_map<const TVNBand*, std::size_t> lastFirst;
    for (std::size_t i = 0; i < sp.ReplayIndex; ++i)
        if (sp.Actions[i].Kind == 1) lastFirst[sp.Actions[i].Band] = i;
    for (std::size_t i = 0; i < sp.ReplayIndex; ++i) {
        const TVNRecordedAction& a = sp.Actions[i];
        if (a.Kind == 0) continue;
        auto first = lastFirst.find(a.Band);
        if (first != lastFirst.end() && i >= first->second) Move(a.Band->DataSet, a.Kind);
    }
}

// Replays a subreport page's actions from its replay index until one band does not fit or the
// actions run out. Returns whether all were replayed.
bool Replay(TVNBuildEngine& engine, TVNPageBuild& sp) {
    TVNReport& report = engine.Report();
    TScopedValue keepBlank(report.BlankRowMode, report.BlankRowMode);
    // The bands were asked when they were recorded.
    TScopedValue noAsk(report.OnBeforePrintBand, decltype(report.OnBeforePrintBand)());
    // The loops as they ran when the actions were recorded: each First opens its level, and a
    // replay that goes on after a page break starts from the loops of the actions already done.
    std::vector<TVNBand*> loops;
    auto moved = [&loops](const TVNRecordedAction& a) {
        if (a.Kind == 0) return;
        if (a.Kind == 1)
            while (!loops.empty() && loops.back()->Level >= a.Band->Level)
                loops.pop_back();
        if (loops.empty() || loops.back() != a.Band) loops.push_back(a.Band);
    };
    for (std::size_t i = 0; i < sp.ReplayIndex; ++i)
        moved(sp.Actions[i]);
    TScopedValue keepLoops(engine.LoopBands(), loops);
    if (sp.ReplayIndex > 0) {
        try {
            Reposition(sp);
        } catch (const std::exception& e) {
            engine.SetError(nullptr, e.what());
            return false;
        }
    }
    while (sp.ReplayIndex < sp.Actions.size() && !engine.Stopped()) {
        const TVNRecordedAction& a = sp.Actions[sp.ReplayIndex];
        TVNBand* band = a.Band;
        report.BlankRowMode = a.BlankRowMode;
        moved(a);
        engine.LoopBands() = loops;
        try {
            if (a.Kind == 1) {
                Move(band->DataSet, 1);
                band->RowNo = 1;
                for (TVNView* v : band->Objects)
                    if (auto* m = dynamic_cast<TVNMemoView*>(v)) m->LastValue.clear();
            } else if (a.Kind != 0) {
                Move(band->DataSet, a.Kind);
            } else {
                TVNBand* counting = engine.CountingBand(band);
                counting->LineNo = a.LineNo;
                counting->LineThrough = a.LineThrough;
                sp.RowCounter = a.RowCounter;
                sp.BandDidNotFit = false;
                engine.ShowBand(band);
                if (sp.BandDidNotFit) return false; // shown again first on the next page
            }
        } catch (const std::exception& e) {
            engine.SetError(band->View, e.what());
            return false;
        }
        ++sp.ReplayIndex;
    }
    return true;
}

// An unfinished subreport goes on at the outer page's CurY after a break; a band that does not fit
// on the fresh page is drawn there all the same.
void ContinueAt(TVNPageBuild& sp, const TVNPageBuild& outer) {
    sp.CurY = outer.CurY;
    sp.CurBottom = outer.CurBottom;
    sp.ContentTop = outer.CurY == outer.ContentTop ? outer.CurY : -1;
}

// Replays the subreports side by side until all are printed; the outer page breaks while some
// do not fit (a subreport page waits for its own outer page to break instead). broke: the outer
// page broke since the band's top. Returns whether all are printed.
bool RunSubReports(TVNBuildEngine& engine, TVNPageBuild& outer, TVNBand* band, std::vector<TVNSubReportRun>& subs,
                   bool broke) {
    const int bandBottom = band->Y + (band->CalculatedHeight >= 0 ? band->CalculatedHeight : band->Height);
    int lowest = outer.CurY;
    while (!engine.Stopped()) {
        bool allDone = true;
        for (TVNSubReportRun& s : subs) {
            if (s.Done) continue;
            TVNPageBuild& sp = *s.Page;
            engine.SetCurrentPage(&sp);
            s.Done = Replay(engine, sp);
            engine.SetCurrentPage(&outer);
            lowest = std::max(lowest, sp.CurY);
            allDone = allDone && s.Done;
        }
        if (allDone || engine.Stopped()) break;
        if (outer.IsSubReportPage) {
            // Inside another subreport: its replay breaks the page and shows this band again,
            // and these go on from where they stopped.
            outer.BandDidNotFit = true;
            outer.PendingSubReportBand = band;
            outer.PendingSubReports = std::move(subs);
            return false;
        }
        engine.NewPage();
        broke = true;
        lowest = outer.CurY;
        for (TVNSubReportRun& s : subs)
            if (!s.Done) ContinueAt(*s.Page, outer);
    }
    for (TVNSubReportRun& s : subs) {
        s.Page->Actions.clear();
        s.Page->ReplayIndex = 0;
    }
    outer.CurY = broke ? lowest : std::max(lowest, bandBottom);
    return true;
}

} // namespace

bool TVNCrossTabPrinter::PrintSubReports(TVNBuildEngine& engine, TVNBand* band) {
    TVNPageBuild* outerPage = engine.CurrentPage();
    if (!outerPage) return false;
    TVNPageBuild& outer = *outerPage;
    if (outer.PendingSubReportBand == band) {
        // The outer page broke while this band's subreports waited: they go on at its new top.
        std::vector<TVNSubReportRun> subs = std::move(outer.PendingSubReports);
        outer.PendingSubReports.clear();
        outer.PendingSubReportBand = nullptr;
        for (TVNSubReportRun& s : subs)
            if (!s.Done) ContinueAt(*s.Page, outer);
        RunSubReports(engine, outer, band, subs, true);
        return true;
    }
    std::vector<TVNSubReportRun> subs;
    std::vector<TVNSubReportView*> views;
    for (TVNView* v : band->Objects) {
        auto* sub = dynamic_cast<TVNSubReportView*>(v);
        if (!sub) continue;
        TVNPageBuild* sp = engine.PageBuild(sub->SubPage);
        // A page cannot print itself inside itself, nor one that is being printed already.
        if (!sp || sp == outerPage || sp->Recording || !sp->Actions.empty() || sp->Bands.empty()) continue;
        subs.push_back({sp, false});
        views.push_back(sub);
    }
    if (subs.empty()) return false;

    // 1. Record every subreport page.
    for (std::size_t i = 0; i < subs.size() && !engine.Stopped(); ++i) {
        TVNPageBuild& sp = *subs[i].Page;
        sp.Actions.clear();
        sp.ReplayIndex = 0;
        sp.CurY = views[i]->Top + band->Y;
        sp.CurX = outer.CurX + views[i]->Left;
        sp.CurBottom = outer.CurBottom;
        sp.LeftMarginPx = outer.LeftMarginPx;
        sp.ContentTop = -1;
        sp.Columns = 1;
        sp.RowCounter = 0;
        sp.LastBand = nullptr;
        engine.SetCurrentPage(&sp);
        sp.Recording = true;
        engine.RunDataLoops();
        sp.Recording = false;
        engine.SetCurrentPage(&outer);
    }
    // 2-3. Replay side by side.
    RunSubReports(engine, outer, band, subs, false);
    return true;
}
