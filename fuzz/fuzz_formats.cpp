// libFuzzer target: the value formatting and parsing a report meets - FormatValue with any 32-bit
// format code and format text over values of every kind, the number and date pictures, the edit
// masks, and the number and date parsers. The first bytes give the code and the value; any input
// gives a text or the conversion's own error, never a crash, a hang or a runaway allocation.
#include "report/expr/VNFormat.h"

#include "platform/Format.h"
#include "platform/Locale.h"

#include <cstring>
#include <exception>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 13) return 0;
    std::int32_t code;
    double number;
    std::memcpy(&code, data, 4);
    std::memcpy(&number, data + 4, 8);
    const int kind = data[12];
    const std::string_view text(reinterpret_cast<const char*>(data) + 13, size - 13);
    const Value values[] = {Value::Float(number),       Value::Integer(static_cast<std::int64_t>(code) * 977),
                            Value::DateTime(number),    Value::String(AnsiString(text)),
                            Value::Boolean(number > 0), Value::Null()};
    try {
        FormatValue(values[kind % 6], code, text);
    } catch (const std::exception&) {
    }
    try {
        switch (kind % 5) {
        case 0:
            FormatFloat(text, number);
            break;
        case 1:
            FormatDateTime(text, number);
            break;
        case 2:
            FormatMaskText(text, text.substr(text.size() / 2));
            break;
        case 3:
            FormatDateText(text, number);
            break;
        default:
            FloatToStrF(number, static_cast<TFloatFormat>((code & 0xFF) % 5), code >> 8 & 31,
                        code >> 16 & 31);
            break;
        }
    } catch (const std::exception&) {
    }
    TryStrToFloat(text);
    TryStrToInt64(text);
    TryStrToDate(text);
    TryStrToTime(text);
    TryStrToDateTime(text);
    try {
        DateTimeToStr(number);
        RoundToInt64(number);
    } catch (const std::exception&) {
    }
    return 0;
}
