// The function splitter walks a text token by token with the parser's identifier reader. Only
// the first three arguments of a call are searched: no function of the engine takes an
// expression in a later position.
#include "VNFunctionSplitter.h"

#include "VNParser.h"
#include "report/VNEngineState.h"

#include <algorithm>

namespace {
constexpr int MaxSplitDepth = 64;
}

TVNFunctionSplitter::TVNFunctionSplitter(const std::vector<AnsiString>& names, const TVNVariables* variables,
                                         std::vector<AnsiString>& output)
    : FNames(names), FVariables(variables), FOutput(output) {}

TAggregateFunctionsSplitter::TAggregateFunctionsSplitter(const TVNVariables* variables,
                                                         std::vector<AnsiString>& output)
    : TVNFunctionSplitter({"AVG", "COUNT", "MAX", "MIN", "SUM"}, variables, output) {}

void TVNFunctionSplitter::Split(std::string_view expression) {
    FExpanding.clear();
    SplitText(expression, 0);
}

bool TVNFunctionSplitter::IsFunction(std::string_view name) const {
    return std::any_of(FNames.begin(), FNames.end(), [&](const AnsiString& n) { return SameText(n, name); });
}

void TVNFunctionSplitter::SplitVariable(const AnsiString& name, int depth) {
    for (const auto& n : FExpanding)
        if (SameText(n, name)) return; // already being searched higher up
    FExpanding.push_back(name);
    SplitText(FVariables->GetVariable(name).AsString(), depth + 1);
    FExpanding.pop_back();
}

void TVNFunctionSplitter::SplitText(std::string_view raw, int depth) {
    if (depth > MaxSplitDepth) return;
    AnsiString text = Trim(raw);
    if (text.empty() || text[0] == '\'') return;
    std::string_view s(text);
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t start = i;
        AnsiString name = VNReadIdentifier(s, i);
        std::size_t nameStart = i - name.size();
        if (i >= s.size() && name.empty()) break;
        if (name.empty() && s[i] == '[') {
            AnsiString inner;
            int open = 0, close = 0;
            {
                // The splitter reads expressions, not memo text being measured.
                TScopedValue reading(VNState().BracketMeasuring, false);
                FindBracketedExpression(s, static_cast<int>(i) + 1, inner, open, close);
            }
            i = static_cast<std::size_t>(close);
            if (FVariables && FVariables->IndexOf(inner) >= 0)
                SplitVariable(inner, depth);
            else
                SplitText(inner, depth + 1);
            continue;
        }
        if (!name.empty() && i < s.size() && s[i] == '(') {
            std::vector<AnsiString> args;
            try {
                args = VNReadArguments(s, i);
            } catch (const EVNParserError&) {
                return; // the parser reports the missing ")" when the expression is evaluated
            }
            for (std::size_t k = 0; k < args.size() && k < 3; ++k)
                SplitText(args[k], depth + 1);
            if (IsFunction(name)) FOutput.emplace_back(s.substr(nameStart, i - nameStart));
            continue;
        }
        if (!name.empty() && FVariables && FVariables->IndexOf(name) >= 0) {
            SplitVariable(name, depth);
            continue;
        }
        if (name.empty()) i = start + 1; // a single character: stepped over
        if (i == start) ++i;
    }
}
