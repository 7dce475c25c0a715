// TVNInterpretator: the script language of views, bands and pages. A script is compiled once into
// a list of simple instructions and the list is run each time the script is due.
//
// Compiled list, one instruction per entry, first byte = operation:
//   1, target (2 bytes, low first), compiled condition   jump to target when the condition is 0
//   2, target (2 bytes, low first)                       jump to target
//   3, compiled expression                               evaluate ("EXIT(0)" ends the script)
//   otherwise: variable name, one blank, compiled expression   assign through SetScriptValue
// Expressions are in the parser's compiled form.
//
// Guarantees: scripts over 32000 bytes and scripts with more than 101 labels are rejected with an
// entry in the error list; a GOTO to a label the script does not define is a compile error; jumps
// left open by an error end the script instead of going astray; a run checks the stop flag before
// every instruction, so a cancelled build ends even inside an endless loop.
#pragma once

#include "VNParser.h"
#include "VNVariables.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

class TVNInterpretator {
public:
    TVNInterpretator();
    virtual ~TVNInterpretator();
    TVNInterpretator(const TVNInterpretator&) = delete;
    TVNInterpretator& operator=(const TVNInterpretator&) = delete;

    // Name resolution and assignment; no-ops here, connected to the report by its subclass.
    virtual void GetScriptValue(const AnsiString& name, Value& value);
    virtual void SetScriptValue(const AnsiString& name, const Value& value);
    virtual void CallScriptFunction(const AnsiString& name, const TVNArguments& args, Value& result);

    // Compiles the script. `compiled` and `errors` are emptied after the source has been copied,
    // so source and compiled may be the same list. The first error stops compilation and leaves one
    // entry "Line L/C: message"; the instructions compiled before it stay in the list.
    virtual void CompileScript(const std::vector<AnsiString>& source, std::vector<AnsiString>& compiled,
                               std::vector<AnsiString>& errors);
    virtual void RunScript(const std::vector<AnsiString>& compiled);

    // Runs the function splitter over every expression of a compiled script.
    void FindScriptFunctions(const std::vector<AnsiString>& compiled, const std::vector<AnsiString>& names,
                             const TVNVariables* variables, std::vector<AnsiString>& output);

    // When set and true, a running script ends before its next instruction.
    const bool* StopFlag = nullptr;
    // Called every LongRunSteps instructions of one run, before the stop flag is read: the engine
    // processes pending window messages there, so the Cancel button of a build can set the flag
    // while a script loops.
    std::function<void()> OnLongRun;
    static constexpr std::uint32_t LongRunSteps = 0x10000;

    TVNParser& Parser() { return FParser; }

    static constexpr std::size_t MaxScriptBytes = 32000;
    static constexpr std::size_t MaxLabels = 101;

private:
    TVNParser FParser;
};
