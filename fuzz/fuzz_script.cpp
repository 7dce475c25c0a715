// libFuzzer target: any bytes as a script (split into lines at LF) are compiled; scripts that
// compile are run with a step budget enforced through the stop flag, so endless loops end.
#include "report/expr/VNInterpretator.h"

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

class TFuzzInterpretator : public TVNInterpretator {
public:
    bool Stop = false;
    int Steps = 0;
    TFuzzInterpretator() {
        StopFlag = &Stop;
        OnLongRun = [this] { Stop = true; }; // a loop of literals alone: the user presses Cancel
    }
    void GetScriptValue(const AnsiString& name, Value& v) override {
        if (++Steps > 2000) Stop = true;
        v = Value::Integer(static_cast<std::int64_t>(name.size()));
    }
    void SetScriptValue(const AnsiString&, const Value&) override {
        if (++Steps > 2000) Stop = true;
    }
    void CallScriptFunction(const AnsiString&, const TVNArguments&, Value& v) override {
        if (++Steps > 2000) Stop = true;
        v = Value::Integer(0);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<AnsiString> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) nl = text.size();
        lines.emplace_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    TFuzzInterpretator in;
    std::vector<AnsiString> compiled, errors;
    in.CompileScript(lines, compiled, errors);
    try {
        in.RunScript(compiled);
    } catch (const std::exception&) {
    }
    std::vector<AnsiString> found;
    in.FindScriptFunctions(compiled, {"SUM", "AVG"}, nullptr, found);
    return 0;
}
