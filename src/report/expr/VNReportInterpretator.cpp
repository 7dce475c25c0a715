// The report's script interpreter. A value assigned to a dictionary variable is stored as the
// expression that gives it back (strings quoted), since dictionary variables hold expressions.
#include "VNReportInterpretator.h"

#include "report/VNReport.h"

namespace {

AnsiString AsExpression(const Value& v) {
    if (v.IsNull()) return "Null";
    if (!v.IsString()) return v.AsString();
    AnsiString out = "'";
    for (char c : v.AsString()) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

} // namespace

TInterpretator::TInterpretator(TVNEvalContext& context, TVNReport* report)
    : FContext(context), FReport(report) {}

void TInterpretator::GetScriptValue(const AnsiString& name, Value& value) {
    FContext.GetValue(name, value);
}

void TInterpretator::CallScriptFunction(const AnsiString& name, const TVNArguments& args, Value& result) {
    FContext.CallFunction(name, args, result);
}

void TInterpretator::SetScriptValue(const AnsiString& name, const Value& value) {
    if (FContext.RunVariables.IndexOf(name) >= 0) {
        FContext.RunVariables.SetVariable(name, value);
        return;
    }
    if (FReport) {
        for (auto& [n, expr] : FReport->Dictionary.Variables.Items)
            if (!n.empty() && n[0] != ' ' && SameText(n, name)) {
                expr = AsExpression(value);
                return;
            }
    }
    if (OnEngineAssignment && OnEngineAssignment(name, value)) return;
    std::size_t dot = name.find('.');
    if (FReport && dot != AnsiString::npos && dot > 0) {
        if (TVNView* view = FReport->FindObject(std::string_view(name).substr(0, dot))) {
            view->SetProperty(name.substr(dot + 1), value);
            return;
        }
    }
    FContext.RunVariables.SetVariable(name, value);
}
