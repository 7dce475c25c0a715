// libFuzzer target: the function library a report's expressions call, called directly - every
// function of the standard library and the report's own functions with any argument texts (the
// libraries receive their arguments uncompiled and evaluate the ones they need). The first byte
// picks the function; the rest, split at "|", are the arguments. Errors the parser raises by
// design are fine; crashes, hangs and runaway allocations are not.
#include "report/expr/VNParser.h"
#include "report/expr/VNStdFunctions.h"

#include "FuzzSupport.h"

#include <exception>
#include <iterator>
#include <string_view>

namespace {

const char* const OwnFunctions[] = {"FORMATDATETIME", "FORMATFLOAT", "FORMATTEXT", "LENGTH", "LOWERCASE",
                                    "UPPERCASE",      "NAMECASE",    "POS",        "TRIM",   "DIV",
                                    "MAXNUM",         "MINNUM",      "DAY",        "MONTH",  "YEAR",
                                    "INPUT",          "MESSAGEBOX"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    QuietMessages();
    static TVNStdFunctionLibrary library;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    TVNArguments args;
    for (std::size_t start = 0; start <= text.size() && args.size() < 11;) {
        std::size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) bar = text.size();
        args.push_back(Value::String(AnsiString(text.substr(start, bar - start))));
        start = bar + 1;
    }
    while (args.size() < VNMinArguments)
        args.push_back(Value());
    TVNParser parser;
    parser.OnGetValue = [](const AnsiString& name, Value& v) {
        v = Value::Integer(std::int64_t(name.size()));
    };
    Value result;
    try {
        const std::size_t own = std::size(OwnFunctions);
        const std::size_t pick = data[0] % (library.FunctionNames.size() + own);
        if (pick < library.FunctionNames.size())
            library.DoFunction(static_cast<int>(pick), args, result, parser);
        else
            CallReportOwnFunction(OwnFunctions[pick - library.FunctionNames.size()], args, result, parser);
    } catch (const std::exception&) {
    }
    return 0;
}
