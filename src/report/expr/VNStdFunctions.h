// Function libraries and the functions every report offers.
//
// A function library (`TVNFunctionLibrary`) names its functions in `FunctionNames` (the position is
// the index `DoFunction` gets) and describes them for the expression builder. The registry holds one
// instance per library class, in registration order; the standard library is registered when the
// registry is first used. Libraries receive the argument texts uncompiled and evaluate the ones
// they need with the parser they are given.
//
// The report's own functions (FORMATFLOAT, POS, MAXNUM, INPUT ...), SHOWMESSAGE, the array
// functions over the report variables and the named constants are here too, as plain functions,
// so the report's function handler only decides the order in which they are asked.
#pragma once

#include "VNParser.h"
#include "VNVariables.h"

#include <functional>
#include <memory>
#include <string_view>
#include <typeindex>
#include <vector>

struct TVNFunctionDesc {
    AnsiString Name;
    AnsiString Category;
    AnsiString Description; // syntax, "|", description
    AnsiString
        ParamKinds; // one letter per argument: S string, N number, D date, B boolean, V any, E date-time
};

// The category names of the expression builder (CP936).
namespace VNCategory {
const AnsiString& Aggregate();   // 统计
const AnsiString& DateTime();    // 日期/时间
const AnsiString& String();      // 字符串
const AnsiString& Other();       // 其它
const AnsiString& Math();        // 数学
const AnsiString& Logical();     // 逻辑
const AnsiString& Interpreter(); // 解释器
} // namespace VNCategory

class TVNFunctionLibrary {
public:
    virtual ~TVNFunctionLibrary() = default;

    // Looks the name up in FunctionNames without regard to case; when found, computes the call
    // with DoFunction and returns true.
    virtual bool OnFunction(const AnsiString& name, const TVNArguments& args, Value& result,
                            TVNParser& parser);
    virtual void DoFunction(int index, const TVNArguments& args, Value& result, TVNParser& parser) = 0;

    std::vector<AnsiString> FunctionNames;
    std::vector<TVNFunctionDesc> FunctionDescriptions;

protected:
    void AddDescription(const char* name, const AnsiString& category, const char* descriptionUtf8,
                        const char* paramKinds);
};

// What the standard library needs from the engine: the aggregate functions and the components of
// the report's owner form. Unset hooks give the empty string (aggregates) and 0 (properties).
struct TVNStdLibraryHooks {
    // Index 0-4 (AVG, COUNT, MAX, MIN, SUM) with the upper-cased name and the raw argument texts.
    std::function<void(const AnsiString& name, const TVNArguments& args, Value& result)> Aggregate;
    std::function<Value(const AnsiString& component, const AnsiString& property)> ControlProperty;
};
TVNStdLibraryHooks& StdLibraryHooks();

class TVNStdFunctionLibrary : public TVNFunctionLibrary {
public:
    TVNStdFunctionLibrary();
    void DoFunction(int index, const TVNArguments& args, Value& result, TVNParser& parser) override;
};

// ---- The library registry ----
template <class T> void AddFunctionLibrary();
template <class T> void RemoveFunctionLibrary();
int FunctionLibraryCount();
TVNFunctionLibrary* FunctionLibraryAt(int index);
// Asks every registered library in registration order; true when one computed the call.
bool CallLibraryFunction(const AnsiString& name, const TVNArguments& args, Value& result, TVNParser& parser);

namespace VNLibraryRegistry {
void Add(std::type_index type, std::unique_ptr<TVNFunctionLibrary> (*make)());
void Remove(std::type_index type);
} // namespace VNLibraryRegistry

template <class T> void AddFunctionLibrary() {
    VNLibraryRegistry::Add(typeid(T),
                           []() -> std::unique_ptr<TVNFunctionLibrary> { return std::make_unique<T>(); });
}
template <class T> void RemoveFunctionLibrary() {
    VNLibraryRegistry::Remove(typeid(T));
}

// ---- The report's own functions ----

// FORMATDATETIME, FORMATFLOAT, FORMATTEXT, LENGTH, LOWERCASE, UPPERCASE, NAMECASE, POS, TRIM, DIV,
// MAXNUM, MINNUM, DAY, MONTH, YEAR, INPUT and MESSAGEBOX (boxes through the message service).
// Returns false for any other name.
bool CallReportOwnFunction(const AnsiString& upperName, const TVNArguments& args, Value& result,
                           TVNParser& parser);

// SHOWMESSAGE: shows the evaluated argument in a message box.
void ShowMessageFunction(const TVNArguments& args, TVNParser& parser);

// SETARRAY(name, index, value) and GETARRAY(name, index) over the report variables, as
// "Arr_" + name + "_" + index text. Names that contain "." (view properties) are the report's and
// give false here.
bool CallArrayFunction(const AnsiString& upperName, const TVNArguments& args, Value& result,
                       TVNParser& parser, TVNVariables& reportVariables);
AnsiString ArrayElementName(std::string_view arrayName, const Value& index);

// The named constants (colours, alignments, dialog results, message box types ...), sorted.
const TVNVariables& VNConstants();
