// Page preparation of the band engine: turns the band views of a design page into run-time bands,
// gives every view its owner band (cross bands first, then the horizontal bands in three sweeps),
// chains bands of one type by their design top, links headers and footers to their data bands by
// position, pairs group headers with group footers and binds whole-field memos to their fields.
//
// Guarantees: every view of the page ends up in exactly one horizontal band (views outside all
// bands go to the band of type 22 at y 0); view positions become relative to their band (y, and
// x for cells of cross bands), which the design snapshot restores after the build.
#include "VNBuildEngine.h"

#include "VNEngine.h"
#include "VNMemoView.h"
#include "VNStandardViews.h"
#include "expr/VNDataset.h"
#include "expr/VNDictionaryLookup.h"

#include <algorithm>

static bool IsSubReport(const TVNView* v) {
    return v->TypeCode == ViewTypeSubReport;
}

TVNBand* TVNBuildEngine::NewBand(TVNPageBuild& bp, TVNBandView& view) {
    bp.Bands.push_back(TVNBand::FromView(view, bp.Page));
    TVNBand* band = bp.Bands.back().get();
    if (bp.IsSubReportPage) {
        band->FormNewPage = false;
        view.Flags &= std::uint16_t(~bfBreaked);
    }
    // Counts and sizes from a damaged file are brought into a range where the column and line
    // arithmetic of the breaks cannot overflow; real reports are far inside it.
    view.Columns = std::clamp(view.Columns, 1, VNMaxColumns);
    view.ColumnWidth = ClampCoordinate(view.ColumnWidth);
    view.ColumnGap = ClampCoordinate(view.ColumnGap);
    band->LinesPerPage = std::clamp(band->LinesPerPage, 0, VNMaxCoordinate);
    // A band of negative height would move the page position up with every row, so a page
    // could never fill.
    band->Height = std::max(band->Height, 0);
    return band;
}

void TVNBuildEngine::CompileScripts(const void* owner, const TVNStrings& before, const TVNStrings& after) {
    if (before.empty() && after.empty()) return;
    TScripts& s = FScripts[owner];
    std::vector<AnsiString> errors;
    if (!before.empty()) FInterpretator->CompileScript(before, s.Before, errors);
    if (!after.empty()) FInterpretator->CompileScript(after, s.After, errors);
}

void TVNBuildEngine::PreparePage(TVNPageBuild& bp) {
    TVNPage& page = *bp.Page;
    page.IsBuilding = true;
    auto& objects = page.Objects;
    bp.SavedGeometry.clear();
    for (TVNView* v : objects) {
        bp.SavedGeometry.push_back({v, v->Left, v->Top, v->Width, v->Height});
        // Whatever a damaged file holds, the build computes with geometry of a sane size.
        v->Left = ClampCoordinate(v->Left);
        v->Top = ClampCoordinate(v->Top);
        v->Width = ClampCoordinate(v->Width);
        v->Height = ClampCoordinate(v->Height);
    }

    // 1. Centre the views as one block on the paper. Band views span the page by design and say
    //    nothing about where the content is, so only the other views count.
    if (page.AutoHCenter) {
        bool any = false;
        int l = 0, r = 0;
        for (TVNView* v : objects) {
            if (v->TypeCode == ViewTypeBand) continue;
            l = any ? std::min(l, v->Left) : v->Left;
            r = any ? std::max(r, v->Left + v->Width) : v->Left + v->Width;
            any = true;
        }
        if (any) {
            const int shift = (page.PaperWidthPx() + l - r) / 2 - l;
            for (TVNView* v : objects)
                if (v->TypeCode != ViewTypeBand) v->Left += shift;
        }
    }
    // 2. Subreport views last, so they are written after every other view of their band.
    std::stable_partition(objects.begin(), objects.end(), [](TVNView* v) { return !IsSubReport(v); });
    // 3. The aggregate memo list; a subreport page inherits its parent's.
    bp.AggregateMemos.clear();
    if (bp.ParentPage) bp.AggregateMemos = bp.ParentPage->AggregateMemos;
    // 4. Marks, scripts, lists.
    CompileScripts(&page, page.OnBeforePrint, {});
    for (TVNView* v : objects) {
        v->DesignSelected = v->TypeCode == ViewTypeBand ? 0 : 1;
        v->OwnerBand = nullptr;
        CompileScripts(v, v->OnBeforePrint, v->OnAfterPrint);
        if (v->TypeCode == ViewTypeCalcMemo) bp.AggregateMemos.push_back(v);
        if (v->Flags & flNotifyList) {
            bp.NotifyViews.push_back(v);
            v->NotifyBuildStart();
        }
        if (auto* sub = dynamic_cast<TVNSubReportView*>(v)) {
            if (sub->SubPage >= 0 && sub->SubPage < FReport.Pages.Count() &&
                std::size_t(sub->SubPage) < FPageBuilds.size()) {
                FReport.Pages[sub->SubPage].IsSubReportPage = true;
                FPageBuilds[std::size_t(sub->SubPage)]->IsSubReportPage = true;
                FPageBuilds[std::size_t(sub->SubPage)]->ParentPage = &bp;
            }
        }
    }
    page.Bands.fill(nullptr);
    std::vector<TVNBand*> byType[VNBandTypeCount];

    // 5. Cross bands and their cells.
    for (int type = bkCrossHeader; type <= bkCrossFooter; ++type)
        for (TVNView* v : objects)
            if (v->TypeCode == ViewTypeBand && static_cast<TVNBandView*>(v)->BandType() == type) {
                TVNBand* band = NewBand(bp, *static_cast<TVNBandView*>(v));
                TVNDataset* ds = nullptr;
                bool owned = false;
                if (type == bkCrossData && FindReportDataset(v->FormatText, ds, owned, &FReport))
                    band->SetDataSet(ds, owned);
                byType[type].push_back(band);
            }
    for (int type = bkCrossHeader; type <= bkCrossFooter; ++type)
        for (TVNBand* band : byType[type])
            for (TVNView* v : objects) {
                if (!v->DesignSelected || v->OwnerBand) continue;
                if (v->Left >= band->X && v->Left + v->Width <= band->X + band->Width) {
                    v->OwnerBand = band;
                    v->Left -= band->X;
                    band->Objects.push_back(v);
                }
            }

    // 6. Horizontal bands and the three sweeps.
    for (int type = 0; type < VNBandTypeCount; ++type) {
        if (IsCrossBandType(type)) continue;
        for (TVNView* v : objects) {
            if (v->TypeCode != ViewTypeBand) continue;
            auto* bv = static_cast<TVNBandView*>(v);
            if (bv->BandType() != type) continue;
            TVNBand* band = NewBand(bp, *bv);
            if (IsDataBandType(type)) {
                TVNDataset* ds = nullptr;
                bool owned = false;
                if (!bv->FormatText.empty()) {
                    if (FindReportDataset(bv->FormatText, ds, owned, &FReport)) band->SetDataSet(ds, owned);
                } else if (type == bkMasterData && FReport.ReportType == rtSimple && FReport.Dataset) {
                    band->SetDataSet(FReport.Dataset, false);
                }
                band->Level = type == bkMasterData ? 1 : type == bkDetailData ? 2 : 3;
            }
            byType[type].push_back(band);
        }
    }
    if (byType[bkNone].empty()) {
        bp.NoneView = std::make_unique<TVNBandView>();
        bp.NoneView->SetBandType(bkNone);
        bp.NoneView->PlaceAt(0, 0, 0, 0);
        byType[bkNone].push_back(NewBand(bp, *bp.NoneView));
    }
    for (int type = 0; type < VNBandTypeCount; ++type) {
        if (IsCrossBandType(type) || type == bkNone) continue;
        for (TVNBand* band : byType[type]) {
            const int top = band->Y, bottom = band->Y + band->Height;
            auto take = [&](TVNView* v) {
                band->Objects.push_back(v);
                v->Top -= top;
                v->DesignSelected = 0;
            };
            for (TVNView* v : objects)
                if (v->DesignSelected && !v->OwnerBand && !IsSubReport(v) && v->Top >= top &&
                    v->Top + v->Height <= bottom) {
                    v->OwnerBand = band;
                    take(v);
                }
            for (TVNView* v : objects)
                if (v->DesignSelected && v->OwnerBand && v->OwnerBand->IsCrossBand() && v->Top >= top &&
                    v->Top <= bottom)
                    take(v);
            for (TVNView* v : objects)
                if (v->DesignSelected && !v->OwnerBand && IsSubReport(v) && v->Top >= top &&
                    v->Top <= bottom) {
                    v->OwnerBand = band;
                    take(v);
                }
        }
    }
    // 7. Chains by design top; the first is the page's band of the type.
    for (int type = 0; type < VNBandTypeCount; ++type) {
        auto& list = byType[type];
        std::stable_sort(list.begin(), list.end(), [](TVNBand* a, TVNBand* b) { return a->Y < b->Y; });
        for (std::size_t i = 0; i + 1 < list.size(); ++i)
            list[i]->Next = list[i + 1];
        page.Bands[std::size_t(type)] = list.empty() ? nullptr : list.front();
    }
    // 8. Whatever is left belongs to no band.
    TVNBand* none = page.Bands[bkNone];
    none->Y = 0;
    for (TVNView* v : objects)
        if (v->DesignSelected) {
            v->DesignSelected = 0;
            if (!v->OwnerBand) v->OwnerBand = none;
            none->Objects.push_back(v);
        }
    // 9. Headers and footers belong to data bands by position.
    for (int level = 0; level < 3; ++level) {
        const int headerType = bkMasterHeader + 3 * level, dataType = headerType + 1,
                  footerType = headerType + 2;
        for (TVNBand* h : byType[headerType])
            for (TVNBand* d : byType[dataType])
                if (d->Y >= h->Y + h->Height) {
                    if (!d->Header) d->Header = h;
                    break;
                }
        for (TVNBand* f : byType[footerType]) {
            TVNBand* owner = nullptr;
            for (TVNBand* d : byType[dataType])
                if (d->Y + d->Height <= f->Y) owner = d;
            if (owner && !owner->Footer) owner->Footer = f;
        }
    }
    // 10. Group headers and footers, paired from the inside out.
    {
        auto& headers = byType[bkGroupHeader];
        auto& footers = byType[bkGroupFooter];
        for (std::size_t i = 0; i < headers.size() && i < footers.size(); ++i)
            headers[headers.size() - 1 - i]->GroupFooter = footers[i];
    }
    // 11. Cross data sets of horizontal bands from the cross data band's list.
    for (TVNBand* cross : byType[bkCrossData]) {
        const AnsiString& list = cross->View->FormatText;
        if (list.find(';') == AnsiString::npos) continue;
        std::size_t start = 0;
        while (start < list.size()) {
            std::size_t end = list.find(';', start);
            if (end == AnsiString::npos) end = list.size();
            AnsiString entry = list.substr(start, end - start);
            start = end + 1;
            std::size_t eq = entry.find('=');
            if (eq == AnsiString::npos) continue;
            AnsiString bandName = Trim(entry.substr(0, eq)), dsName = Trim(entry.substr(eq + 1));
            for (auto& b : bp.Bands)
                if (!b->IsCrossBand() && b->View && SameText(b->View->Name, bandName)) {
                    TVNDataset* ds = nullptr;
                    bool owned = false;
                    if (FindReportDataset(dsName, ds, owned, &FReport)) {
                        b->CrossDataSet = ds;
                        if (owned) FOwnedDataSets.emplace_back(ds);
                    }
                }
        }
    }
    // 12. Child bands by name.
    for (auto& b : bp.Bands) {
        if (!b->View || b->View->ChildBand.empty()) continue;
        for (auto& c : bp.Bands)
            if (c.get() != b.get() && c->View && SameText(c->View->Name, b->View->ChildBand)) {
                b->Child = c.get();
                c->Parent = b.get();
                break;
            }
    }
    // A child chain that comes back to a band it passed (a damaged design) is cut there, so
    // printing a band never recurses without end.
    for (auto& b : bp.Bands) {
        std::vector<TVNBand*> seen{b.get()};
        for (TVNBand* c = b.get(); c->Child; c = c->Child)
            if (std::find(seen.begin(), seen.end(), c->Child) != seen.end()) {
                c->Child = nullptr;
                break;
            } else {
                seen.push_back(c->Child);
            }
    }
    // 13. Group lists of the data bands, outermost first.
    if (TVNBand* master = page.Bands[bkMasterData]) {
        for (TVNBand* g : byType[bkGroupHeader]) {
            TVNBand* owner = master;
            if (!g->View->Master.empty())
                for (auto& b : bp.Bands)
                    if (IsDataBandType(b->Type) && SameText(b->View->Name, g->View->Master)) {
                        owner = b.get();
                        break;
                    }
            owner->Groups.push_back(g);
            FGroupOwner[g] = owner;
        }
    }
    // 14. Page columns.
    bp.Columns = std::clamp(page.Columns, 1, VNMaxColumns);
    bp.ColumnGapPx = ClampCoordinate(RoundToIntClamped(MMToPixels(page.ColumnGap / 1000.0)));
    bp.LeftMarginPx = page.LeftMarginPx();
    bp.ColumnWidthPx =
        ClampCoordinate((std::int64_t(page.PaperWidthPx()) - page.RightMarginPx() - page.LeftMarginPx() -
                         std::int64_t(bp.ColumnGapPx) * (bp.Columns - 1)) /
                        bp.Columns);
    // Bands of a page without a data band in its chain still need the first band's counters.
    for (auto& b : bp.Bands)
        if (b->View) b->View->RuntimeBand = b.get();
}

void TVNBuildEngine::BindViews(TVNPageBuild& bp) {
    for (TVNView* v : bp.Page->Objects) {
        auto* memo = dynamic_cast<TVNMemoView*>(v);
        if (memo) memo->ValueChanged = false;
        if (v->TypeCode == ViewTypeBand) continue;
        v->BoundDataSet = nullptr;
        v->BoundFieldName.clear();
        if (memo && (memo->Flags & flTextOnly)) continue;
        AnsiString text = JoinLines(v->Memo);
        if (text.size() <= 2 || text.front() != '[' || text.back() != ']') continue;
        AnsiString inner = text.substr(1, text.size() - 2);
        if (inner.find('[') != AnsiString::npos) continue;
        if (DictionaryIsVariable(FReport, inner)) {
            auto it = FReport.Dictionary.FieldCache.find(UpperCase(inner));
            if (it != FReport.Dictionary.FieldCache.end() && it->second.DataSet) {
                v->BoundDataSet = it->second.DataSet;
                v->BoundFieldName = it->second.FieldName;
            }
            continue;
        }
        TVNBand* band = v->OwnerBand;
        auto* db = band ? dynamic_cast<TVNDBDataSet*>(band->DataSet) : nullptr;
        if (!db) continue;
        try {
            TMemDataSet* table = db->GetDataSet();
            if (TField* f = table ? table->FindField(inner) : nullptr) {
                v->BoundDataSet = table;
                v->BoundFieldName = f->FieldName;
            }
        } catch (const std::exception&) {
            // A band without a table binds nothing; its data loop reports the missing data set.
        }
    }
}

void TVNBuildEngine::FreeBands() {
    for (auto& bp : FPageBuilds) {
        if (!bp) continue;
        for (auto& b : bp->Bands)
            if (b->View) b->View->RuntimeBand = nullptr;
        bp->Page->Bands.fill(nullptr);
        bp->Page->IsBuilding = false;
        for (TVNView* v : bp->Page->Objects)
            v->OwnerBand = nullptr;
        for (auto& g : bp->SavedGeometry)
            g.View->PlaceAt(g.Left, g.Top, g.Width, g.Height);
        bp->SavedGeometry.clear();
        bp->Bands.clear();
        bp->AggregateMemos.clear();
        bp->NotifyViews.clear();
    }
    FOwnedDataSets.clear();
    FAggregateHolders.clear();
    FFieldTable = nullptr;
    FFieldCache.clear();
    FGroupOwner.clear();
    FQueue.clear();
    FLoopBands.clear();
}
