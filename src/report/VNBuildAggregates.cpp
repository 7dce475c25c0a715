// Aggregates of the band engine: finding the SUM/AVG/MIN/MAX/COUNT calls of the footer-like bands
// when a page is prepared, keeping one accumulator per call on the data band whose rows it adds
// up, adding each printed row, resetting an accumulator after the band that holds its call has
// printed, and answering the calls while the holding band prints.
//
// Guarantees: an empty value counts as 0; a run of accumulators with the same expression
// evaluates it once per row; a call whose data band does not exist answers the empty string
// instead of failing.
#include "VNBuildEngine.h"

#include "VNMemoView.h"
#include "expr/VNAggregate.h"
#include "expr/VNFunctionSplitter.h"
#include "expr/VNInterpretator.h"

namespace {
// The data band type an aggregate call without a band name adds up, by the holding band's type.
int DerivedDataType(int holderType) {
    switch (holderType) {
    case bkSummary:
    case bkPageFooter:
    case bkMasterFooter:
    case bkGroupFooter:
    case bkColumnFooter:
        return bkMasterData;
    case bkDetailFooter:
        return bkDetailData;
    case bkSubDetailFooter:
        return bkSubDetailData;
    case bkCrossFooter:
        return bkCrossData;
    default:
        return -1;
    }
}

// A band cut into cross-tab columns: it holds views of the cross bands.
bool HoldsCells(const TVNBand* band) {
    if (band->IsCrossBand()) return false;
    for (const TVNView* v : band->Objects)
        if (v->OwnerBand && v->OwnerBand != band && v->OwnerBand->IsCrossBand()) return true;
    return false;
}

// A child band counts as the band that prints it.
TVNBand* HolderOfType(TVNBand* band) {
    while (band && band->Type == bkChild && band->Parent)
        band = band->Parent;
    return band;
}

// The calls found in one text: each bracketed group with its brackets.
void SplitText(const AnsiString& text, const TVNVariables* vars, std::vector<AnsiString>& calls) {
    TAggregateFunctionsSplitter splitter(vars, calls);
    int start = 1;
    AnsiString inner;
    int open = 0, close = 0;
    while (start <= int(text.size()) && FindBracketedExpression(text, start, inner, open, close)) {
        splitter.Split("[" + inner + "]");
        start = close + 1;
    }
}
} // namespace

void TVNBuildEngine::RegisterAggregates(TVNPageBuild& bp) {
    TVNVariables dictionary;
    for (auto& [name, expr] : FReport.Dictionary.Variables.Items)
        if (!name.empty() && name[0] != ' ') dictionary.SetVariable(name, Value(expr));
    static const std::vector<AnsiString> names = {"AVG", "COUNT", "MAX", "MIN", "SUM"};

    // The holding bands of each level with the calls they hold.
    auto collect = [&](TVNBand* holder, std::vector<std::pair<TVNBand*, AnsiString>>& out) {
        for (; holder; holder = holder->Next) {
            for (TVNBand* b = holder; b; b = b->Child) {
                std::vector<AnsiString> calls;
                try {
                    for (TVNView* v : b->Objects) {
                        if (!dynamic_cast<TVNMemoView*>(v) || (v->Flags & flTextOnly)) continue;
                        for (const AnsiString& line : v->Memo)
                            if (line.find('[') != AnsiString::npos) SplitText(line, &dictionary, calls);
                    }
                    auto it = FScripts.find(b->View);
                    if (it != FScripts.end()) {
                        FInterpretator->FindScriptFunctions(it->second.Before, names, &dictionary, calls);
                        FInterpretator->FindScriptFunctions(it->second.After, names, &dictionary, calls);
                    }
                } catch (const std::exception& e) {
                    SetError(nullptr, e.what());
                    return;
                }
                for (auto& c : calls)
                    out.emplace_back(b, c);
                if (b->Child == holder) break;
            }
        }
    };
    std::vector<std::pair<TVNBand*, AnsiString>> levelCalls[4];
    for (int type : {bkPageFooter, bkColumnFooter, bkMasterFooter, bkGroupFooter, bkSummary})
        collect(bp.Band(type), levelCalls[1]);
    levelCalls[2] = levelCalls[1];
    collect(bp.Band(bkDetailFooter), levelCalls[2]);
    levelCalls[3] = levelCalls[2];
    collect(bp.Band(bkSubDetailFooter), levelCalls[3]);
    std::vector<std::pair<TVNBand*, AnsiString>> crossCalls;
    collect(bp.Band(bkCrossFooter), crossCalls);

    auto registerOn = [&](TVNBand* data, const std::vector<std::pair<TVNBand*, AnsiString>>& calls) {
        for (auto& [holder, text] : calls) {
            std::size_t paren = text.find('(');
            if (paren == AnsiString::npos) continue;
            TVNAggregateCall call;
            try {
                std::size_t pos = paren;
                std::vector<AnsiString> parts = VNReadArguments(text, pos);
                TVNArguments args;
                for (auto& p : parts)
                    args.push_back(Value::String(p));
                while (args.size() < VNMinArguments)
                    args.push_back(Value::String(""));
                if (!ParseAggregateCall(UpperCase(Trim(text.substr(0, paren))), args, call)) continue;
            } catch (const std::exception& e) {
                SetError(nullptr, e.what());
                return;
            }
            AnsiString bandName = call.BandName;
            if (bandName.empty()) {
                const int type = DerivedDataType(HolderOfType(holder)->Type);
                if (type < 0 || !bp.Band(type)) continue;
                bandName = bp.Band(type)->View->Name;
            }
            if (!SameText(bandName, data->View->Name)) continue;
            const AnsiString key = AggregateAccumulatorName(holder->View->Name, call);
            bool known = false;
            for (auto& a : data->Accumulators)
                known = known || a.Key == key;
            if (known) continue;
            TVNBand::TAccumulator acc;
            acc.Key = key;
            acc.Owner = holder->View->Name;
            acc.Kind = call.Kind;
            acc.Expression = call.Kind == vnaCount ? AnsiString() : Trim(call.FirstArgument);
            acc.IncludeInvisible = call.IncludeInvisible();
            acc.Total = AggregateInitialValue(call.Kind);
            acc.PerColumn = HoldsCells(holder);
            data->Accumulators.push_back(std::move(acc));
            FAggregateHolders.insert(holder);
        }
    };
    for (int level = 1; level <= 3; ++level) {
        static const int types[] = {0, bkMasterData, bkDetailData, bkSubDetailData};
        for (TVNBand* d = bp.Band(types[level]); d && !Stopped(); d = d->Next)
            registerOn(d, levelCalls[level]);
    }
    for (TVNBand* d = bp.Band(bkCrossData); d && !Stopped(); d = d->Next)
        registerOn(d, crossCalls);
}

// Adds one row to each of the given accumulators; a run with the same expression evaluates it once.
void TVNBuildEngine::AddToAccumulators(TVNBand* data, const std::vector<TVNBand::TAccumulator*>& list) {
    const AnsiString* lastExpression = nullptr;
    Value last;
    for (TVNBand::TAccumulator* ap : list) {
        TVNBand::TAccumulator& a = *ap;
        if (!data->Visible && !a.IncludeInvisible) continue;
        ++a.Rows;
        if (a.Kind == vnaCount) {
            a.Total = VarAdd(a.Total, Value::Integer(1));
            continue;
        }
        if (!lastExpression || *lastExpression != a.Expression) {
            try {
                last = Evaluate(a.Expression);
            } catch (const std::exception& e) {
                SetError(nullptr, e.what());
                return;
            }
            if (last.IsEmptyOrNull() || (last.IsString() && last.AsString().empty()))
                last = Value::Integer(0);
            lastExpression = &a.Expression;
        }
        try {
            switch (a.Kind) {
            case vnaSum:
            case vnaAvg:
                a.Total = VarAdd(a.Total, last);
                break;
            case vnaMin:
                if (VarCompare(last, a.Total) < 0) a.Total = last;
                break;
            case vnaMax:
                if (VarCompare(last, a.Total) > 0) a.Total = last;
                break;
            default:
                break;
            }
        } catch (const std::exception& e) {
            SetError(nullptr, e.what());
            return;
        }
    }
}

void TVNBuildEngine::AddAggregateRow(TVNBand* data) {
    if (data->Accumulators.empty()) return;
    std::vector<TVNBand::TAccumulator*> list;
    for (auto& a : data->Accumulators)
        if (a.Column == 0) list.push_back(&a);
    AddToAccumulators(data, list);
}

void TVNBuildEngine::AddCrossColumnRow(TVNBand* data, int column) {
    if (column <= 0) return;
    // The copies are made first: adding to the list moves no element once it is complete.
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < data->Accumulators.size(); ++i) {
        const TVNBand::TAccumulator& t = data->Accumulators[i];
        if (!t.PerColumn || t.Column != 0) continue;
        std::size_t found = data->Accumulators.size();
        for (std::size_t k = 0; k < data->Accumulators.size(); ++k)
            if (data->Accumulators[k].Column == column && data->Accumulators[k].Key == t.Key) found = k;
        if (found == data->Accumulators.size()) {
            TVNBand::TAccumulator copy = t;
            copy.Column = column;
            copy.Total = AggregateInitialValue(t.Kind);
            copy.Rows = 0;
            data->Accumulators.push_back(std::move(copy));
        }
        indexes.push_back(found);
    }
    std::vector<TVNBand::TAccumulator*> list;
    for (std::size_t k : indexes)
        list.push_back(&data->Accumulators[k]);
    AddToAccumulators(data, list);
}

void TVNBuildEngine::ResetAggregates(TVNBand* holder) {
    if (!holder || !FAggregateHolders.count(holder) || !FPage) return;
    for (auto& b : FPage->Bands)
        for (auto& a : b->Accumulators)
            if (SameText(a.Owner, holder->View->Name)) {
                a.Total = AggregateInitialValue(a.Kind);
                a.Rows = 0;
            }
}

void TVNBuildEngine::AggregateOutput(const AnsiString& name, const TVNArguments& args, Value& result) {
    result = Value::String("");
    TVNAggregateCall call;
    if (!ParseAggregateCall(name, args, call) || !FPage) return;
    // A cell of a cross footer answers for the cross footer (its totals add up the columns);
    // other cells answer for the row band that prints them.
    TVNBand* owner = FCurrentView ? FCurrentView->OwnerBand : nullptr;
    TVNBand* holder = owner && (!owner->IsCrossBand() || owner->Type == bkCrossFooter) ? owner : FCurrentBand;
    if (!holder || !holder->View) return;
    AnsiString bandName = call.BandName;
    if (bandName.empty()) {
        const int type = DerivedDataType(HolderOfType(holder)->Type);
        if (type < 0 || !FPage->Band(type)) return;
        bandName = FPage->Band(type)->View->Name;
    }
    const AnsiString key = AggregateAccumulatorName(holder->View->Name, call);
    for (auto& b : FPage->Bands) {
        if (!b->View || !SameText(b->View->Name, bandName)) continue;
        // While a cross data slice prints, a band cut into columns answers with that column's total.
        const int column = FPage->PrintingSlices ? FPage->CrossColumn : 0;
        for (auto& a : b->Accumulators)
            if (a.Key == key && a.Column == (a.PerColumn ? column : 0)) {
                result = ::AggregateOutput(a.Kind, a.Total, a.Rows);
                return;
            }
    }
}
