// Name resolution and function dispatch without the band engine. A name nobody knows is
// evaluated as an expression once; when that evaluation asks for the same name again, the
// answer is null instead of an endless recursion.
#include "VNEvalContext.h"

#include "VNDictionaryLookup.h"
#include "VNStdFunctions.h"
#include "report/VNReport.h"

TVNVariables& EngineVariables() {
    static TVNVariables variables;
    return variables;
}

TVNEvalContext::TVNEvalContext() {
    FParser.OnGetValue = [this](const AnsiString& name, Value& v) { GetValue(name, v); };
    FParser.OnFunction = [this](const AnsiString& name, const TVNArguments& args, Value& v) {
        CallFunction(name, args, v);
    };
}

void TVNEvalContext::GetValue(const AnsiString& name, Value& value) {
    if (name.empty()) return;
    value = Value();
    if (OnGetValue) {
        OnGetValue(name, value);
        if (!value.IsEmpty()) return;
    }
    if (Report && Report->OnGetValue) {
        Report->OnGetValue(name, value);
        if (!value.IsEmpty()) return;
    }
    value = Value::Integer(0);
    if (Report && DictionaryIsVariable(*Report, name)) {
        value = DictionaryGetValue(*Report, name, FParser, &RunVariables);
        return;
    }
    if (OnSpecialName && OnSpecialName(name, value)) return;
    if (const Value* v = EngineVariables().Find(name)) {
        value = *v;
        return;
    }
    if (const Value* v = RunVariables.Find(name)) {
        value = *v;
        return;
    }
    if (OnInternalValue && OnInternalValue(name, value)) return;
    if (const Value* v = VNConstants().Find(name)) {
        value = *v;
        return;
    }
    for (const auto& n : FEvaluating)
        if (SameText(n, name)) {
            value = DictionaryEvaluating() ? Value::String(name) : Value::Null();
            return;
        }
    FEvaluating.push_back(name);
    try {
        value = FParser.Evaluate(name);
    } catch (...) {
        FEvaluating.pop_back();
        throw;
    }
    FEvaluating.pop_back();
}

void TVNEvalContext::CallFunction(const AnsiString& name, const TVNArguments& args, Value& result) {
    result = Value::String("");
    if (CallReportOwnFunction(name, args, result, FParser)) return;
    if (name == "SHOWMESSAGE") ShowMessageFunction(args, FParser);
    if (CallLibraryFunction(name, args, result, FParser)) return;
    if (CallArrayFunction(name, args, result, FParser, RunVariables)) return;
    if (name == "INC" || name == "DEC") {
        AnsiString var = Trim(args[0].AsString());
        Value v;
        GetValue(var, v);
        v = name == "INC" ? VarAdd(v, Value::Integer(1)) : VarSub(v, Value::Integer(1));
        if (EngineVariables().IndexOf(var) >= 0)
            EngineVariables().SetVariable(var, v);
        else
            RunVariables.SetVariable(var, v);
        return;
    }
    if (OnUserFunction)
        OnUserFunction(name, args, result);
    else if (Report && Report->OnUserFunction)
        Report->OnUserFunction(name, args[0], args[1], args[2], result); // the argument texts
}
