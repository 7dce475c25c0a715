// What the band engine answers while it builds: the engine's names for expressions ("Page#",
// "Line#", "CURY", view properties ...), the bracket groups of memo texts, the script commands
// that reach the engine (STOPREPORT, NEWPAGE, NEWCOLUMN, SHOWBAND, view methods), assignments
// to CURY and MODALRESULT, running compiled scripts and keeping the first calculation error.
//
// Guarantees: the hooks the engine installs on the report, the parser and the standard library
// are the ones in force before the build again when it ends; an error raised by an expression or
// script becomes the build's first error text and stops the build, it never escapes.
#include "VNBuildEngine.h"

#include "VNEMFPages.h"
#include "VNEngine.h"
#include "VNMemoView.h"
#include "VNStrings.h"
#include "VNWindowServices.h"
#include "expr/VNDataset.h"
#include "expr/VNDictionaryLookup.h"
#include "expr/VNFormat.h"
#include "expr/VNStdFunctions.h"

#include "platform/MemDataSet.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

namespace {
AnsiString ProgramFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return "./";
    std::string path(buf, std::size_t(n));
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? AnsiString("./") : AnsiString(path.substr(0, slash + 1));
}

AnsiString Unquoted(const AnsiString& text) {
    AnsiString t = Trim(text);
    if (t.size() >= 2 && (t.front() == '\'' || t.front() == '"') && t.back() == t.front())
        return t.substr(1, t.size() - 2);
    return t;
}
} // namespace

void TVNBuildEngine::InstallHooks() {
    FSavedTextEvaluator = FReport.TextEvaluator;
    FSavedExpressionEvaluator = FReport.ExpressionEvaluator;
    FSavedScriptRunner = FReport.ScriptRunner;
    FSavedAggregateHook = StdLibraryHooks().Aggregate;
    FReport.TextEvaluator = [this](const AnsiString& group) { return EvaluateGroup(group); };
    FReport.ExpressionEvaluator = [this](const AnsiString& e) { return Evaluate(e); };
    FReport.ScriptRunner = [this](TVNView* v, int which) { RunScript(v, which, v); };
    StdLibraryHooks().Aggregate = [this](const AnsiString& n, const TVNArguments& a, Value& r) {
        AggregateOutput(n, a, r);
    };
    FContext.OnSpecialName = [this](const AnsiString& n, Value& v) { return SpecialName(n, v); };
    FContext.OnInternalValue = [this](const AnsiString& n, Value& v) { return InternalValue(n, v); };
    FContext.OnUserFunction = [this](const AnsiString& n, const TVNArguments& a, Value& r) {
        ScriptFunction(n, a, r);
    };
    FInterpretator->OnEngineAssignment = [this](const AnsiString& n, const Value& v) {
        return EngineAssignment(n, v);
    };
}

void TVNBuildEngine::RemoveHooks() {
    FReport.TextEvaluator = FSavedTextEvaluator;
    FReport.ExpressionEvaluator = FSavedExpressionEvaluator;
    FReport.ScriptRunner = FSavedScriptRunner;
    StdLibraryHooks().Aggregate = FSavedAggregateHook;
}

// A plain name that only a data field can answer: not a dictionary name (which a build never
// adds), not one of the engine's names. Such a name is looked up directly as long as no event or
// variable takes it, which gives the same value the full resolution order gives, without it.
static bool IsPlainFieldCandidate(TVNReport& report, const AnsiString& expression) {
    if (expression.empty() || !((expression[0] >= 'A' && expression[0] <= 'Z') ||
                                (expression[0] >= 'a' && expression[0] <= 'z') || expression[0] == '_'))
        return false;
    for (char c : expression)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    static const char* const engineNames[] = {"DATE", "TIME",      "TOTALPAGES", "VALUE",      "CALCWIDTH",
                                              "CURY", "FREESPACE", "FINALPASS",  "PAGEHEIGHT", "PAGEWIDTH"};
    const AnsiString upper = UpperCase(expression);
    for (const char* n : engineNames)
        if (upper == n) return false;
    return !DictionaryIsVariable(report, expression);
}

Value TVNBuildEngine::Evaluate(const AnsiString& expression) {
    auto it = FCompiled.find(expression);
    if (it == FCompiled.end()) {
        TCompiledExpression c;
        c.Compiled = FContext.Parser().Compile(expression);
        c.PlainName = IsPlainFieldCandidate(FReport, expression);
        it = FCompiled.emplace(expression, std::move(c)).first;
    }
    if (it->second.PlainName && !FReport.OnGetValue && !FContext.OnGetValue &&
        !EngineVariables().Find(expression) && !FContext.RunVariables.Find(expression) &&
        !FReport.Variables.Find(expression)) {
        if (TField* f = CurrentField(expression)) return FieldValue(*f);
    }
    return FContext.Parser().EvaluateCompiled(it->second.Compiled);
}

TField* TVNBuildEngine::CurrentField(const AnsiString& name) {
    TVNBand* band = FCurrentView && FCurrentView->OwnerBand ? FCurrentView->OwnerBand : FCurrentBand;
    TVNDataset* ds = band ? band->DataSet : nullptr;
    if (!ds && !FLoopBands.empty()) ds = FLoopBands.back()->DataSet;
    auto* db = dynamic_cast<TVNDBDataSet*>(ds);
    if (!db) return nullptr;
    TMemDataSet* table = nullptr;
    try {
        table = db->GetDataSet();
    } catch (const std::exception&) {
        return nullptr;
    }
    if (!table) return nullptr;
    // Field look-ups by name are case-insensitive scans; every row asks the same names.
    if (table != FFieldTable) {
        FFieldTable = table;
        FFieldCache.clear();
    }
    auto it = FFieldCache.find(name);
    if (it == FFieldCache.end()) it = FFieldCache.emplace(name, table->FindField(name)).first;
    return it->second;
}

AnsiString TVNBuildEngine::EvaluateGroup(const AnsiString& group) {
    if (FReport.BlankRowMode) return AnsiString();
    auto* memo = dynamic_cast<TVNMemoView*>(FCurrentView);
    int code = FCurrentView ? FCurrentView->Format : DefaultFormatCode();
    AnsiString formatText = FCurrentView ? FCurrentView->FormatText : AnsiString();
    AnsiString expression;
    if (!SplitInlineFormat(group, expression, code, formatText)) expression = group;
    Value v = Evaluate(expression);
    if (memo && (memo->Flags & flHideZeros) && v.IsNumeric()) {
        bool zero = false;
        try {
            zero = v.AsFloat() == 0;
        } catch (const std::exception&) {
        }
        if (zero) return AnsiString();
    }
    return FormatValue(v, code, formatText);
}

void TVNBuildEngine::SetError(TVNView* view, const AnsiString& message) {
    if (FReport.ErrorFlag) return;
    FReport.ErrorFlag = true;
    AnsiString text = VNText(TVNText::BuildError) + "\r\n" + VNText(TVNText::ReportLabel) + FReport.FileName;
    if (view) {
        text += "\r\n" + VNText(TVNText::ObjectLabel) + view->Name;
        for (const AnsiString& line : view->Memo)
            text += "\r\n" + line;
    }
    if (!message.empty()) text += "\r\n" + message;
    FReport.ErrorText = text;
}

void TVNBuildEngine::RunScript(const void* owner, int which, TVNView* errorView) {
    // Most reports carry no scripts at all: no look-up then for every printed view.
    if (!owner || FScripts.empty() || Stopped()) return;
    auto it = FScripts.find(owner);
    if (it == FScripts.end()) return;
    const auto& list = which ? it->second.After : it->second.Before;
    if (list.empty()) return;
    TVNView* keep = FCurrentView;
    if (errorView && errorView->TypeCode != ViewTypeBand) FCurrentView = errorView;
    try {
        FInterpretator->RunScript(list);
    } catch (const std::exception& e) {
        SetError(errorView, e.what());
    }
    FCurrentView = keep;
}

TVNBandView* TVNBuildEngine::FindBandView(const AnsiString& name) const {
    if (!FPage) return nullptr;
    for (TVNView* v : FPage->Page->Objects)
        if (v->TypeCode == ViewTypeBand && SameText(v->Name, name)) return static_cast<TVNBandView*>(v);
    return nullptr;
}

bool TVNBuildEngine::SpecialName(const AnsiString& name, Value& value) {
    if (name == "VALUE") {
        if (!FReport.HighlightValue.IsEmpty()) {
            value = FReport.HighlightValue;
            return true;
        }
        if (FAggregateMemoValue.IsEmpty()) return false;
        value = FAggregateMemoValue;
        return true;
    }
    const bool hash = !name.empty() && name.back() == '#';
    if (!hash && name.size() != 4 && name.size() != 10 && name != "CALCWIDTH") return false;
    const AnsiString u = UpperCase(name);
    TVNBand* band = CountingBand(FCurrentView && FCurrentView->OwnerBand ? FCurrentView->OwnerBand : FCurrentBand);
    if (u == "PAGE#")
        value = Value::Integer(FPageNo + 1);
    else if (u == "APPLICATIONPATH#")
        value = Value::String(ProgramFolder());
    else if (u == "DATE#" || u == "DATE")
        value = Value::DateTime(FStartDate);
    else if (u == "TIME#" || u == "TIME")
        value = Value::DateTime(FStartTime);
    else if (u == "DATETIME#")
        value = Value::DateTime(FStartDateTime);
    else if (u == "LINE#")
        value = Value::Integer(band ? band->LineNo : 0);
    else if (u == "LINETHOUGH#")
        value = Value::Integer(band ? band->LineThrough : 0);
    else if (u == "COLUMN#")
        value = Value::Integer(FPage ? FPage->CrossColumn : 0);
    else if (u == "CURRENT#")
        value = Value::Integer(FPage ? FPage->RowCounter : 0);
    else if (u == "TOTALPAGES#" || u == "TOTALPAGES")
        value = Value::Integer(FTotalPages);
    else if (name == "CALCWIDTH")
        value = Value::Integer(CalcWidth());
    else
        return false;
    return true;
}

TVNBand* TVNBuildEngine::CountingBand(TVNBand* band) const {
    if (band && !band->DataSet && FPage && FPage->Band(band->Type)) return FPage->Band(band->Type);
    return band;
}

int TVNBuildEngine::CalcWidth() {
    if (!FCurrentView) return 0;
    auto* memo = dynamic_cast<TVNMemoView*>(FCurrentView);
    if (!memo || FInCalcWidth) return FCurrentView->Width;
    // The memo's text as it would print, measured; its current Memo1 is kept.
    FInCalcWidth = true;
    const TVNStrings keep = memo->Memo1;
    int width = 0;
    try {
        memo->EvaluateText();
        width = memo->CalcTextWidth(memo->Memo1);
    } catch (...) {
        memo->Memo1 = keep;
        FInCalcWidth = false;
        throw;
    }
    memo->Memo1 = keep;
    FInCalcWidth = false;
    return width;
}

bool TVNBuildEngine::InternalValue(const AnsiString& name, Value& value) {
    if (const Value* v = FReport.Variables.Find(name)) {
        value = *v;
        return true;
    }
    if (FPage) {
        TVNPageBuild& bp = *FPage;
        if (name == "CURY") {
            value = Value::Integer(bp.CurY);
            return true;
        }
        if (name == "FREESPACE") {
            value = Value::Integer(bp.CurBottom - bp.CurY);
            return true;
        }
        if (name == "PAGEHEIGHT") {
            value = Value::Integer(bp.CurBottom);
            return true;
        }
        if (name == "PAGEWIDTH") {
            value = Value::Integer(bp.Page->PaperWidthPx() - bp.Page->RightMarginPx());
            return true;
        }
    }
    if (name == "FINALPASS") {
        value = Value::Boolean(FFinalPass);
        return true;
    }
    // A view property: [Page<n>.]view.property.
    std::size_t dot = name.find('.');
    if (dot != AnsiString::npos && dot > 0) {
        AnsiString objectName = name.substr(0, dot), property = name.substr(dot + 1);
        if (objectName.size() > 4 && SameText(objectName.substr(0, 4), "Page") &&
            objectName.find_first_not_of("0123456789", 4) == AnsiString::npos) {
            std::size_t dot2 = property.find('.');
            if (dot2 != AnsiString::npos) {
                objectName = property.substr(0, dot2);
                property = property.substr(dot2 + 1);
            }
        }
        if (TVNView* view = FReport.FindObject(objectName)) {
            if (view->LookupProperty(property)) {
                value = view->GetProperty(property);
                return true;
            }
        }
    }
    // A field of the data set of the band that prints, or of the innermost running data loop.
    if (TField* f = CurrentField(name)) {
        value = FieldValue(*f);
        return true;
    }
    return false;
}

void TVNBuildEngine::ScriptFunction(const AnsiString& name, const TVNArguments& args, Value& result) {
    auto arg = [&](std::size_t i) { return i < args.size() ? args[i].AsString() : AnsiString(); };
    if (name == "STOPREPORT") {
        FTerminated = true;
        return;
    }
    if (name == "NEWPAGE" || name == "NEWCOLUMN") {
        if (FCurrentBand)
            (name == "NEWPAGE" ? FCurrentBand->PageBreakRequests : FCurrentBand->ColumnBreakRequests)++;
        return;
    }
    if (name == "SHOWBAND") {
        if (TVNBandView* bv = FindBandView(Unquoted(arg(0))))
            if (bv->RuntimeBand) ShowBand(bv->RuntimeBand);
        return;
    }
    if ((name == "SETARRAY" || name == "GETARRAY") && Unquoted(arg(0)).find('.') != AnsiString::npos) {
        AnsiString array = Unquoted(arg(0));
        std::size_t dot = array.rfind('.');
        if (TVNView* view = FReport.FindObject(array.substr(0, dot))) {
            Value index = Evaluate(arg(1));
            if (name == "SETARRAY")
                view->CallMethod("SETINDEXPROPERTY", Value(array.substr(dot + 1)), index, Evaluate(arg(2)));
            else
                result = view->CallMethod("GETINDEXPROPERTY", Value(array.substr(dot + 1)), index);
        }
        return;
    }
    // "View.Method" or "View.List.Method": the view's name ends at the first dot. The method
    // evaluates its own arguments (a list's Add evaluates its text), so they go as written.
    std::size_t dot = name.find('.');
    if (dot != AnsiString::npos && dot > 0) {
        if (TVNView* view = FReport.FindObject(name.substr(0, dot))) {
            Value p[3];
            for (std::size_t i = 0; i < 3 && i < args.size(); ++i)
                if (!Trim(arg(i)).empty()) p[i] = args[i];
            result = view->CallMethod(name.substr(dot + 1), p[0], p[1], p[2]);
            return;
        }
    }
    if (FReport.OnUserFunction)
        FReport.OnUserFunction(name, args.size() > 0 ? args[0] : Value(), args.size() > 1 ? args[1] : Value(),
                               args.size() > 2 ? args[2] : Value(), result);
}

bool TVNBuildEngine::EngineAssignment(const AnsiString& name, const Value& value) {
    if (SameText(name, "MODALRESULT")) {
        FModalResult = int(value.AsInteger());
        return true;
    }
    if (SameText(name, "CURY")) {
        if (FPage) FPage->CurY = ClampCoordinate(value.AsInteger());
        FCuryAssigned = true;
        return true;
    }
    if (SameText(name, "PROGRESS")) {
        if (FProgress) {
            FProgress->SetDetail(value.AsString());
            PumpProgress();
        }
        return true;
    }
    return false;
}

// ---- the report's public operation ----------------------------------------------------------

bool TVNReport::BuildReport() {
    // A preview control reading the pages in place must not draw them while they are rebuilt.
    if (Preview) Preview->Disconnect();
    TVNBuildEngine engine(*this, MasterReport ? MasterReport : this);
    return engine.Run();
}

// Members built report after report go straight into the composite's pages, once or once per
// record of the composite's data set; page after page, each member builds its own pages and the
// composite takes copies of them, the first page of every member, then every second page, ...
bool TVNCompositeReport::BuildReport() {
    if (Preview) Preview->Disconnect();
    EMFPages->Clear();
    ErrorFlag = false;
    ErrorText.clear();
    auto copyPage = [this](TVNPreparedPage& rec) {
        EMFPages->InsertPage(EMFPages->Count(), rec);
        EMFPages->Page(EMFPages->Count() - 1).PageStream =
            std::make_unique<TVNStream>(rec.PageStream->Data());
    };
    if (CompositeMode() == vnPagePerPage || ShowPreparedReports) {
        int most = 0;
        for (TVNReport* r : Reports) {
            if (!r) continue;
            if (!ShowPreparedReports) {
                TVNReport* keepMaster = r->MasterReport;
                r->MasterReport = nullptr;
                const bool ok = r->BuildReport();
                r->MasterReport = keepMaster;
                if (!ok && r->ErrorFlag) return false;
            }
            most = std::max(most, r->EMFPages->Count());
        }
        if (CompositeMode() == vnPagePerPage) {
            for (int i = 0; i < most; ++i)
                for (TVNReport* r : Reports)
                    if (r && i < r->EMFPages->Count()) copyPage(r->EMFPages->Page(i));
        } else {
            for (TVNReport* r : Reports)
                for (int i = 0; r && i < r->EMFPages->Count(); ++i)
                    copyPage(r->EMFPages->Page(i));
        }
        return EMFPages->Count() > 0;
    }
    auto buildAll = [this]() {
        for (TVNReport* r : Reports) {
            if (!r) continue;
            TVNReport* keepMaster = r->MasterReport;
            r->MasterReport = this;
            TVNBuildEngine engine(*r, this);
            engine.Run();
            r->MasterReport = keepMaster;
            if (r->ErrorFlag) {
                EMFPages->Clear(); // a failed build leaves no pages, whichever member failed
                return false;
            }
        }
        return true;
    };
    if (Dataset) {
        try {
            Dataset->Open();
            for (Dataset->First(); !Dataset->Eof(); Dataset->Next())
                if (!buildAll()) break;
        } catch (const std::exception& e) {
            VNShowMessage(e.what(), VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
            EMFPages->Clear();
        }
    } else {
        buildAll();
    }
    return EMFPages->Count() > 0;
}
