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

void TVNBuildEngine::AddAggregateRow(TVNBand* data) {
    if (data->Accumulators.empty()) return;
    const AnsiString* lastExpression = nullptr;
    Value last;
    for (auto& a : data->Accumulators) {
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
    TVNBand* holder = FCurrentView && FCurrentView->OwnerBand && !FCurrentView->OwnerBand->IsCrossBand()
                          ? FCurrentView->OwnerBand
                          : FCurrentBand;
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
        for (auto& a : b->Accumulators)
            if (a.Key == key) {
                result = ::AggregateOutput(a.Kind, a.Total, a.Rows);
                return;
            }
    }
}
