// TVNFunctionSplitter finds the calls of given functions inside an expression, looking through
// bracketed names and through variables whose values are expressions themselves. The engine uses
// TAggregateFunctionsSplitter before a build to discover the SUM/AVG/MIN/MAX/COUNT calls it must
// collect.
//
// Guarantees: a variable that refers to itself (directly or through others) is searched once,
// nesting is bounded, and malformed texts (a call without its ")") end the search of that text
// instead of raising.
#pragma once

#include "VNVariables.h"
#include "platform/AnsiString.h"

#include <string_view>
#include <vector>

class TVNFunctionSplitter {
public:
    // names: function names, compared without regard to case; variables may be nullptr; every
    // call found is appended to output as its full text from the name to the ")".
    TVNFunctionSplitter(const std::vector<AnsiString>& names, const TVNVariables* variables,
                        std::vector<AnsiString>& output);
    virtual ~TVNFunctionSplitter() = default;

    void Split(std::string_view expression);

private:
    void SplitText(std::string_view text, int depth);
    void SplitVariable(const AnsiString& name, int depth);
    bool IsFunction(std::string_view name) const;

    std::vector<AnsiString> FNames;
    const TVNVariables* FVariables;
    std::vector<AnsiString>& FOutput;
    std::vector<AnsiString> FExpanding; // variables being searched now
};

// The splitter for the aggregate functions AVG, COUNT, MAX, MIN and SUM.
class TAggregateFunctionsSplitter : public TVNFunctionSplitter {
public:
    TAggregateFunctionsSplitter(const TVNVariables* variables, std::vector<AnsiString>& output);
};
