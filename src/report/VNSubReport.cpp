// Subreports: a band that holds subreport views prints, after its other views, the bands of each
// view's design page at the view's place. Each target page is first run in recording mode - its
// data loops run, and every band shown and every First and Next of a data band is kept as an
// action instead of printed - and the actions are then replayed onto the outer page, all the
// band's subreports side by side. When one of them does not fit, the outer page breaks and every
// unfinished subreport continues at the top of the new page with the band that did not fit.
//
// Guarantees: no recorded row is lost or printed twice across breaks; a band taller than a whole
// page is printed at the top of a fresh page (over its bottom) rather than breaking without end;
// the outer band ends below the lowest subreport, and, when no break happened, not above its own
// bottom.
#include "VNCrossTab.h"

#include "VNMemoView.h"
#include "VNStandardViews.h"
#include "expr/VNDataset.h"

#include "platform/ScopedValue.h"

#include <algorithm>

namespace {

struct TSubReport {
    TVNPageBuild* Page = nullptr;
    bool Done = false;
};

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
    while (sp.ReplayIndex < sp.Actions.size() && !engine.Stopped()) {
        const TVNRecordedAction& a = sp.Actions[sp.ReplayIndex];
        TVNBand* band = a.Band;
        report.BlankRowMode = a.BlankRowMode;
        moved(a);
        engine.LoopBands() = loops;
        try {
            if (a.Kind == 1) {
                if (band->DataSet) band->DataSet->First();
                band->RowNo = 1;
                band->LineNo = 1;
                band->LineThrough = 1;
                for (TVNView* v : band->Objects)
                    if (auto* m = dynamic_cast<TVNMemoView*>(v)) m->LastValue.clear();
            } else if (a.Kind == 2) {
                if (band->DataSet) band->DataSet->Next();
                ++sp.RowCounter;
                ++band->LineNo;
                ++band->LineThrough;
            } else if (a.Kind == 3) {
                if (band->DataSet) band->DataSet->Prior();
            } else if (a.Kind == 4) {
                if (band->DataSet) band->DataSet->Next();
            } else {
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

} // namespace

bool TVNCrossTabPrinter::PrintSubReports(TVNBuildEngine& engine, TVNBand* band) {
    TVNPageBuild* outerPage = engine.CurrentPage();
    if (!outerPage) return false;
    TVNPageBuild& outer = *outerPage;
    std::vector<TSubReport> subs;
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

    const int bandBottom = band->Y + (band->CalculatedHeight >= 0 ? band->CalculatedHeight : band->Height);
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
    // 2-3. Replay side by side; break the outer page while some do not fit.
    bool broke = false;
    int lowest = outer.CurY;
    while (!engine.Stopped()) {
        bool allDone = true;
        bool progress = false;
        for (TSubReport& s : subs) {
            if (s.Done) continue;
            TVNPageBuild& sp = *s.Page;
            const std::size_t before = sp.ReplayIndex;
            engine.SetCurrentPage(&sp);
            s.Done = Replay(engine, sp);
            engine.SetCurrentPage(&outer);
            progress = progress || sp.ReplayIndex != before;
            lowest = std::max(lowest, sp.CurY);
            allDone = allDone && s.Done;
        }
        if (allDone || engine.Stopped()) break;
        // Inside another subreport: the outer replay breaks its own page and shows this band again.
        if (outer.IsSubReportPage) {
            outer.BandDidNotFit = true;
            break;
        }
        engine.NewPage();
        broke = true;
        lowest = outer.CurY;
        for (TSubReport& s : subs) {
            if (s.Done) continue;
            s.Page->CurY = outer.CurY;
            s.Page->CurBottom = outer.CurBottom;
            // A band that does not fit on a fresh page is drawn there all the same.
            s.Page->ContentTop = outer.CurY;
        }
        (void)progress;
    }
    for (TSubReport& s : subs) {
        s.Page->Actions.clear();
        s.Page->ReplayIndex = 0;
    }
    outer.CurY = broke ? lowest : std::max(lowest, bandBottom);
    return true;
}
