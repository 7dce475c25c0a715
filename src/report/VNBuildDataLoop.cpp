// The data loop of the band engine: walking the data bands of one level (and the deeper levels
// for each of their rows), queueing headers and rows so that a row whose detail prints nothing
// can be dropped, detecting group changes (footers printed with the last record of the group
// that ended), GroupsPerPage, the new-page condition, row counting, and appending blank rows.
//
// Guarantees: the loop ends when the data ends or the build stops; a blank row that does not fit
// is dropped instead of breaking the page, and appending stops as soon as nothing moves.
#include "VNBuildEngine.h"

#include "VNMemoView.h"
#include "expr/VNDataset.h"

#include <algorithm>

namespace {
bool SameGroupValue(const Value& a, const Value& b) {
    try {
        return VarCompare(a, b) == 0;
    } catch (const std::exception&) {
        return a.AsString() == b.AsString();
    }
}

} // namespace

bool TVNBuildEngine::HasLevel(int level) const {
    static const int types[] = {0, bkMasterData, bkDetailData, bkSubDetailData};
    return level >= 1 && level <= 3 && FPage && FPage->Band(types[level]);
}

void TVNBuildEngine::RunDataLoops() {
    if (HasLevel(1)) DataLoop(1);
}

void TVNBuildEngine::DataLoop(int level) {
    static const int types[] = {0, bkMasterData, bkDetailData, bkSubDetailData};
    for (TVNBand* band = FPage->Band(types[level]); band && !Stopped(); band = band->Next)
        LoopBand(band);
}

void TVNBuildEngine::ClearMemoLastValues(TVNBand* band) {
    for (TVNView* v : band->Objects)
        if (auto* m = dynamic_cast<TVNMemoView*>(v)) m->LastValue.clear();
}

void TVNBuildEngine::SaveAggregateViews(TVNBand* band) {
    if (!FFirstPass || !band) return;
    for (TVNView* v : FPage->AggregateMemos)
        if (v->OwnerBand == band) v->AggregateSaveResult();
}

void TVNBuildEngine::NotifyAggregateRow(TVNBand* dataBand) {
    for (TVNView* v : FPage->AggregateMemos)
        v->AggregateRowAdded(dataBand, FReport.BlankRowMode);
}

void TVNBuildEngine::ResetBand(TVNBand* band) {
    band->LineNo = 1;
    band->LineThrough = 1;
    ClearMemoLastValues(band);
}

void TVNBuildEngine::Queue(TVNBand* band) {
    if (!band) return;
    if (band->Type == bkGroupHeader) {
        TVNBand* keep = FCurrentBand;
        FCurrentBand = band;
        try {
            band->LastValue = band->GroupCondition.empty() ? Value() : Evaluate(band->GroupCondition);
        } catch (const std::exception& e) {
            SetError(band->View, e.what());
        }
        FCurrentBand = keep;
        band->HasLastValue = true;
    }
    band->Queued = true;
    FQueue.push_back(band);
}

void TVNBuildEngine::PrintQueue() {
    std::vector<TVNBand*> queue;
    queue.swap(FQueue);
    for (TVNBand* b : queue) {
        b->Queued = false;
        if (!Stopped()) ShowBand(b);
    }
}

void TVNBuildEngine::LoopBand(TVNBand* band) {
    TVNDataset* ds = band->DataSet;
    if (!ds) return;
    TVNPageBuild& bp = *FPage;
    const bool savedBlank = FReport.BlankRowMode;
    FDesignPos = band->View->Flags & bfPrintAtDesignPos;
    bool empty = false;
    try {
        ds->Open();
        ds->First();
        empty = ds->Eof();
    } catch (const std::exception& e) {
        SetError(nullptr, e.what());
        return;
    }
    if (bp.Recording) bp.Actions.push_back({band, 1, FReport.BlankRowMode});
    band->RowNo = 1;
    ResetBand(band);
    for (TVNBand* g : band->Groups) {
        g->RowNo = 1;
        g->LineNo = 0;
        g->LineThrough = 0;
        g->HasLastValue = false;
        ClearMemoLastValues(g);
    }
    if (empty) {
        if (!((band->View->Flags & bfPrintIfEmpty) && band->AutoAppendBlank)) return;
        FReport.BlankRowMode = true;
    }
    FLoopBands.push_back(band);
    const std::size_t queueStart = FQueue.size();
    for (TVNBand* g : band->Groups) {
        ++g->LineNo;
        ++g->LineThrough;
        Queue(g);
    }
    Queue(band->Header);
    if (band->Footer) ResetAggregates(band->Footer);

    bool firstEnd = true;
    bool extraBlankRow = false;
    bool ended = empty; // the data ended (the data set may stand on its last record again)
    int rows = 0;
    while (!Stopped()) {
        bool eof = false;
        if (ended && !extraBlankRow && !(empty && rows == 0 && FReport.BlankRowMode)) break;
        ++rows;
        // 1. Queue the row.
        Queue(band);
        if (band->PrintIfSubsetEmpty) PrintQueue();
        // 2. Deeper levels.
        bool countRow = true;
        if (HasLevel(band->Level + 1)) {
            const bool keep = FReport.BlankRowMode;
            FReport.BlankRowMode = false;
            DataLoop(band->Level + 1);
            FReport.BlankRowMode = keep;
            SaveAggregateViews(band);
            if (band->Queued) {
                if (band->PrintIfSubsetEmpty) {
                    PrintQueue();
                } else {
                    FQueue.erase(std::remove(FQueue.begin(), FQueue.end(), band), FQueue.end());
                    band->Queued = false;
                    countRow = false;
                }
            }
        } else {
            PrintQueue();
        }
        if (Stopped()) break;
        if (extraBlankRow || (empty && FReport.BlankRowMode)) break;
        // 3. Next record.
        try {
            ds->Next();
            if (bp.Recording) bp.Actions.push_back({band, 2, FReport.BlankRowMode});
            eof = ds->Eof();
        } catch (const std::exception& e) {
            SetError(nullptr, e.what());
            break;
        }
        ended = eof;
        FPageJustBroken = false;
        FDesignPos = false;
        // 4. Group check, outermost first.
        bool groupChanged = false;
        for (std::size_t gi = 0; gi < band->Groups.size() && !Stopped(); ++gi) {
            TVNBand* g = band->Groups[gi];
            const int perPage = g->LinesPerPage;
            Value value;
            try {
                TScopedValue current(FCurrentBand, g);
                value = eof || g->GroupCondition.empty() ? Value() : Evaluate(g->GroupCondition);
            } catch (const std::exception& e) {
                SetError(g->View, e.what());
                break;
            }
            if (!eof && g->HasLastValue && SameGroupValue(value, g->LastValue) &&
                (perPage == 0 || g->RowNo <= perPage))
                continue;
            groupChanged = true;
            g->RowNo = perPage > 0 && g->RowNo > perPage ? 1 : g->RowNo + 1;
            for (std::size_t j = gi; j < band->Groups.size(); ++j)
                SaveAggregateViews(band->Groups[j]);
            if (band->AutoAppendBlank) {
                int reserve = band->Footer ? band->Footer->Height : 0;
                for (std::size_t j = gi; j < band->Groups.size(); ++j)
                    if (TVNBand* f = band->Groups[j]->GroupFooter) reserve += f->Height;
                AppendBlankRows(band, reserve, true);
            }
            band->RowNo = 1;
            // Footers show the last record of the group that ends. A database data set that
            // ran into its end still stands on its last record, so it is not stepped back then.
            const bool stepBack = !eof || !dynamic_cast<TVNDBDataSet*>(ds);
            try {
                if (stepBack) ds->Prior();
                if (stepBack && bp.Recording) bp.Actions.push_back({band, 3, FReport.BlankRowMode});
            } catch (const std::exception& e) {
                SetError(nullptr, e.what());
                break;
            }
            for (std::size_t j = band->Groups.size(); j-- > gi;)
                if (TVNBand* f = band->Groups[j]->GroupFooter) Queue(f);
            PrintQueue();
            if (eof) break;
            try {
                ds->Next();
                if (bp.Recording) bp.Actions.push_back({band, 4, FReport.BlankRowMode});
            } catch (const std::exception& e) {
                SetError(nullptr, e.what());
                break;
            }
            if ((g->View->Flags & bfFormNewPage) && g->Visible && !bp.IsSubReportPage) NewPage();
            for (std::size_t j = gi; j < band->Groups.size(); ++j) {
                TVNBand* inner = band->Groups[j];
                ++inner->LineNo;
                ++inner->LineThrough;
                Queue(inner);
            }
            band->LineNo = 0; // counted to 1 below: Line# restarts with every group
            break;
        }
        if (Stopped()) break;
        // 5. Row number and the new-page condition.
        if (!groupChanged) {
            if (!eof) ++band->RowNo;
            if (!band->NewPageCondition.empty()) {
                bool newPage = false;
                try {
                    TScopedValue current(FCurrentBand, band);
                    newPage = Evaluate(band->NewPageCondition).AsBoolean();
                } catch (const std::exception& e) {
                    SetError(band->View, e.what());
                    break;
                }
                if (newPage) {
                    if (band->AutoAppendBlank) AppendBlankRows(band, 0, false);
                    PrintQueue();
                    band->RowNo = 1;
                    NewPage();
                }
            }
        }
        // 6. Count the row.
        if (countRow) {
            ++bp.RowCounter;
            ++band->LineNo;
            ++band->LineThrough;
            if (!eof && band->FormNewPage && band->Visible && !bp.IsSubReportPage) NewPage();
        }
        // 7. One more blank row when the footer would not fit under the filled page.
        if (eof && firstEnd && band->AutoAppendBlank && band->Footer) {
            firstEnd = false;
            if (!(bp.CurBottom >= bp.CurY + band->Footer->Height)) {
                FReport.BlankRowMode = true;
                extraBlankRow = true;
            }
        }
    }
    FReport.BlankRowMode = savedBlank;
    if (FQueue.size() > queueStart) {
        FQueue.pop_back();
        for (std::size_t i = queueStart; i < FQueue.size(); ++i)
            FQueue[i]->Queued = false;
        FQueue.resize(queueStart);
    } else if (!Stopped()) {
        if (rows > 0 && band->AutoAppendBlank) {
            int reserve = band->Footer ? band->Footer->Height : 0;
            if (!band->Next && bp.Band(bkSummary)) reserve += bp.Band(bkSummary)->Height;
            FReport.BlankRowMode = true;
            AppendBlankRows(band, reserve, false);
            FReport.BlankRowMode = savedBlank;
        }
        if (band->Level > 1) SaveAggregateViews(band->Header);
        // Rows that ran down several columns: the footer goes at the band's own left, under the
        // lowest of them, not beside the last column (which could run it off the page).
        const TVNBandView& v = *band->View;
        if (band->Footer && v.Columns > 1 && !(v.Flags & bfPrintColFirst) && band->FirstPrintY >= 0) {
            bp.CurX = band->ColumnsX;
            bp.CurY = std::max(bp.CurY, band->ColumnsBottom);
        }
        ShowBand(band->Footer);
    }
    FLoopBands.pop_back();
}

void TVNBuildEngine::AppendBlankRows(TVNBand* band, int reserve, bool fitTest) {
    if (!band || !band->Visible || Stopped()) return;
    TVNPageBuild& bp = *FPage;
    const bool keepBlank = FReport.BlankRowMode, keepNoBreak = FNoBreak;
    FReport.BlankRowMode = true;
    FNoBreak = true;
    const int cf = ColumnFooterHeight();
    const int n = band->LinesPerPage;
    const int columns = band->View->Columns;
    const bool colFirst = band->View->Flags & bfPrintColFirst;
    const bool multi = columns > 1 && !colFirst;
    auto lineLimit = [&] {
        if (n <= 0) return true;
        if (colFirst) return band->RowNo < n * columns;
        if (multi && band->ColumnNo < columns) return band->RowNo <= n;
        return band->RowNo < n;
    };
    auto append = [&](int room) {
        for (int guard = 0; guard < 100000 && !Stopped(); ++guard) {
            if (bp.Recording && !(n > 0 && lineLimit())) break;
            if (colFirst && columns > 1 && band->ColumnNo == 1 && (band->View->Flags & bfAdjustColumns))
                break;
            const bool nextColumn = multi && band->ColumnNo < columns;
            if (!nextColumn && !(lineLimit() && bp.CurBottom - bp.CurY >= room)) break;
            if (n > 0) ++band->RowNo;
            const int y = bp.CurY, column = band->ColumnNo;
            ShowBand(band);
            ++band->LineNo;
            ++band->LineThrough;
            if (bp.CurY == y && band->ColumnNo == column) break; // nothing moved: no more room
        }
    };
    const int r = band->Height + reserve + cf;
    if (fitTest && bp.CurBottom - bp.CurY < r) {
        append(band->Height + cf);
        TVNDataset* ds = band->DataSet;
        bool ended = true;
        try {
            ended = !ds || ds->Eof();
            if (!ended) ds->Prior();
            FNoBreak = keepNoBreak;
            FReport.BlankRowMode = keepBlank;
            NewPage();
            FReport.BlankRowMode = true;
            FNoBreak = true;
            if (!ended) ds->Next();
        } catch (const std::exception& e) {
            SetError(nullptr, e.what());
        }
    }
    append(r);
    FReport.BlankRowMode = keepBlank;
    FNoBreak = keepNoBreak;
}
