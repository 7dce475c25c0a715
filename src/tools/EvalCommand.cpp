// vnreport eval [--var NAME=VALUE ...] EXPRESSION: evaluates an expression with the engine-wide
// variables given and prints its value and kind, or the error text, so that report authors can
// try expressions without building a report. Arguments are UTF-8, output UTF-8.
#include "CommandRegistry.h"

#include "platform/Locale.h"
#include "report/expr/VNEvalContext.h"

#include <cstdio>
#include <cstring>
#include <exception>

static int RunEval(int argc, char** argv) {
    AnsiString expression;
    bool haveExpression = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--var") == 0 && i + 1 < argc) {
            AnsiString assignment = Utf8ToAnsi(argv[++i]);
            std::size_t eq = assignment.find('=');
            if (eq == AnsiString::npos || eq == 0) {
                std::fprintf(stderr, "vnreport eval: --var needs NAME=VALUE, got '%s'\n", argv[i]);
                return 2;
            }
            AnsiString text = assignment.substr(eq + 1);
            // A value that reads as a number is a number, as a field of a data set would be.
            auto number = TryStrToFloat(text);
            EngineVariables().SetVariable(assignment.substr(0, eq), number && !Trim(text).empty()
                                                                        ? Value::Float(*number)
                                                                        : Value::String(text));
        } else if (!haveExpression) {
            expression = Utf8ToAnsi(argv[i]);
            haveExpression = true;
        } else {
            std::fprintf(stderr, "usage: vnreport eval [--var NAME=VALUE ...] EXPRESSION\n");
            return 2;
        }
    }
    if (!haveExpression) {
        std::fprintf(stderr, "usage: vnreport eval [--var NAME=VALUE ...] EXPRESSION\n");
        return 2;
    }
    TVNEvalContext context;
    try {
        Value v = context.Evaluate(expression);
        std::printf("%s (%s)\n", AnsiToUtf8(v.AsString()).c_str(), v.KindName());
        return 0;
    } catch (const std::exception& e) {
        std::printf("error: %s\n", AnsiToUtf8(e.what()).c_str());
        return 1;
    }
}

static TCommandRegistrar reg("eval", "eval [--var NAME=VALUE ...] EXPRESSION", &RunEval);
