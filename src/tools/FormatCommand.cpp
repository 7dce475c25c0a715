// vnreport format CODE FORMATTEXT VALUE: prints the text FormatValue gives for a value read as a
// number, a date(-time) or else a text. CODE is the 32-bit display format code, decimal or 0x hex
// (category << 24 | kind << 16 | decimals << 8 | separator). Arguments and output are UTF-8.
#include "CommandRegistry.h"

#include "platform/Locale.h"
#include "report/expr/VNFormat.h"

#include <cstdio>
#include <cstdlib>

static int RunFormat(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vnreport format CODE FORMATTEXT VALUE\n");
        return 2;
    }
    char* end = nullptr;
    long long code = std::strtoll(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || code < 0 || code > 0xFFFFFFFFLL) {
        std::fprintf(stderr, "vnreport format: '%s' is not a format code\n", argv[1]);
        return 2;
    }
    AnsiString formatText = Utf8ToAnsi(argv[2]);
    AnsiString text = Utf8ToAnsi(argv[3]);
    Value value;
    if (auto number = TryStrToFloat(text); number && !Trim(text).empty())
        value = Value::Float(*number);
    else if (auto dt = TryStrToDateTime(text))
        value = Value::DateTime(*dt);
    else
        value = Value::String(text);
    std::printf("%s\n", AnsiToUtf8(FormatValue(value, static_cast<int>(code), formatText)).c_str());
    return 0;
}

static TCommandRegistrar reg("format", "format CODE FORMATTEXT VALUE", &RunFormat);
