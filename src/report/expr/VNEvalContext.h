// TVNEvalContext: a parser with the report's value resolution and function dispatch, in their
// fixed order. Names: the OnGetValue event, the report's dictionary (when a report is set), the
// special names (band engine hook), the engine-wide then the run variables, the internal values
// (band engine hook), the constants, and last the name evaluated as an expression under a
// recursion guard. Functions: the report's own, SHOWMESSAGE, the libraries, the array and INC/DEC
// script functions, the OnUserFunction event. The band engine fills the hooks; command-line
// tools use the context as it is.
#pragma once

#include "VNParser.h"
#include "VNVariables.h"

#include <functional>

// The engine-wide variables: one list per process, written by the application before a print.
TVNVariables& EngineVariables();

class TVNReport;

class TVNEvalContext {
public:
    TVNEvalContext();
    TVNEvalContext(const TVNEvalContext&) = delete;
    TVNEvalContext& operator=(const TVNEvalContext&) = delete;

    Value Evaluate(std::string_view expression) { return FParser.Evaluate(expression); }
    TVNParser& Parser() { return FParser; }

    // Value resolution and function dispatch, as installed on the parser.
    void GetValue(const AnsiString& name, Value& value);
    void CallFunction(const AnsiString& name, const TVNArguments& args, Value& result);

    // The variables that scripts and SETARRAY create; emptied by the owner before each run.
    TVNVariables RunVariables;
    // Asked first for every name (before the report's own OnGetValue event); a value left
    // non-empty wins.
    std::function<void(const AnsiString& name, Value& value)> OnGetValue;
    // The report whose dictionary is asked (none: no dictionary step).
    TVNReport* Report = nullptr;
    // Band engine hooks: special names ("Page#", "VALUE" ...) and internal values ("CURY" ...);
    // true when they answered.
    std::function<bool(const AnsiString&name, Value&value)> OnSpecialName, OnInternalValue;
    // Asked last for functions nobody else knows; when unset, the report's OnUserFunction event
    // gets the first three argument texts.
    std::function<void(const AnsiString& name, const TVNArguments& args, Value& result)> OnUserFunction;

private:
    TVNParser FParser;
    std::vector<AnsiString> FEvaluating; // recursion guard: names being evaluated as expressions
};
