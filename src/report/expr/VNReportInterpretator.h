// TInterpretator: the report's script interpreter. Names and functions resolve through the
// report's evaluation context; assignments follow the report's order: an existing report
// variable, a dictionary variable, the engine's own names (MODALRESULT, CURY, PROGRESS through a
// hook), a view property ("Memo1.Visible"), else a new report variable.
#pragma once

#include "VNEvalContext.h"
#include "VNInterpretator.h"

#include <functional>

class TVNReport;

class TInterpretator : public TVNInterpretator {
public:
    TInterpretator(TVNEvalContext& context, TVNReport* report);

    void GetScriptValue(const AnsiString& name, Value& value) override;
    void SetScriptValue(const AnsiString& name, const Value& value) override;
    void CallScriptFunction(const AnsiString& name, const TVNArguments& args, Value& result) override;

    // MODALRESULT, CURY and PROGRESS are the band engine's; true when it took the assignment.
    std::function<bool(const AnsiString& name, const Value& value)> OnEngineAssignment;

private:
    TVNEvalContext& FContext;
    TVNReport* FReport;
};
