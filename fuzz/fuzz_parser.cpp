// libFuzzer target: any bytes as an expression are compiled and evaluated, with handlers that
// answer names and re-enter the parser the way the report's handlers do. Errors the parser
// raises by design are fine; crashes, hangs and runaway memory are not.
#include "report/expr/VNChineseNumber.h"
#include "report/expr/VNFormat.h"
#include "report/expr/VNFunctionSplitter.h"
#include "report/expr/VNParser.h"

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TVNParser parser;
    int reentry = 0;
    parser.OnGetValue = [&](const AnsiString& name, Value& v) {
        if (name.size() == 1)
            v = Value::Float(static_cast<unsigned char>(name[0]));
        else if (name.size() == 2)
            v = Value::String(name);
        else if (reentry < 4) { // a dictionary variable evaluating its own expression
            ++reentry;
            v = parser.Evaluate(name.substr(1));
            --reentry;
        }
    };
    parser.OnFunction = [&](const AnsiString&, const TVNArguments& args, Value& v) {
        if (reentry < 4) {
            ++reentry;
            v = parser.Evaluate(args[0].AsString());
            --reentry;
        }
    };
    try {
        AnsiString compiled = parser.Compile(text);
        parser.EvaluateCompiled(compiled);
    } catch (const std::exception&) {
    }
    try {
        parser.EvaluateCompiled(text); // hand-written compiled text must be safe too
    } catch (const std::exception&) {
    }
    AnsiString inner;
    int open = 0, close = 0;
    FindBracketedExpression(text, 1, inner, open, close);
    std::vector<AnsiString> found;
    TAggregateFunctionsSplitter(nullptr, found).Split(text);
    AnsiString expr, formatText;
    int code = 0;
    SplitInlineFormat(text, expr, code, formatText);
    FormatValue(Value::Float(size * 1.5), code, formatText);
    try {
        NumberToChineseText(text);
    } catch (const std::exception&) {
    }
    return 0;
}
