// Display formatting. Numbers go through the platform's picture formatter with the code's decimal
// separator put into the locale for the duration of the call; dates and times through its
// date-time formatter.
#include "VNFormat.h"

#include "platform/Format.h"
#include "platform/Locale.h"

#include <cmath>

namespace {

// Puts a locale separator back when the scope ends, also when formatting raised.
struct SeparatorScope {
    char& Slot;
    char Saved;
    SeparatorScope(char& slot, char value) : Slot(slot), Saved(slot) { Slot = value; }
    ~SeparatorScope() { Slot = Saved; }
};

std::vector<AnsiString> Converted(std::initializer_list<const char*> utf8) {
    std::vector<AnsiString> out;
    for (const char* s : utf8)
        out.push_back(Utf8ToAnsi(s));
    return out;
}

AnsiString PlainText(const Value& value) {
    try {
        return value.AsString();
    } catch (const std::exception&) {
        return {};
    }
}

AnsiString FormatNumber(const Value& value, int kind, int decimals, std::string_view formatText) {
    double x = value.AsFloat();
    AnsiString out;
    switch (kind) {
    case 0:
        out = "##0.";
        out.append(static_cast<std::size_t>(decimals), '#');
        return FormatFloat(out, x);
    case 1:
        return FloatToStrF(x, TFloatFormat::Fixed, 15, decimals);
    case 2:
        out = "#,##0.";
        out.append(static_cast<std::size_t>(decimals), '#');
        return FormatFloat(out, x);
    case 3:
        return FloatToStrF(x, TFloatFormat::Number, 15, decimals);
    case 4:
        AppendFormatFloat(out, formatText, x);
        return out;
    default:
        return {};
    }
}

} // namespace

std::vector<AnsiString>& DateFormatPatterns() {
    static std::vector<AnsiString> t =
        Converted({"yy.mm.dd", "yyyy.mm.dd", "yyyy'年'mm'月'dd'日'", "yyyy MM dd", "yyyy/mm/dd",
                   "dddd yyyy MM dd", "dddd yyyy'年'M'月'd'日'"});
    return t;
}

std::vector<AnsiString>& TimeFormatPatterns() {
    static std::vector<AnsiString> t = Converted({"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"});
    return t;
}

std::vector<AnsiString>& BooleanFormatTexts() {
    static std::vector<AnsiString> t = Converted({"0;1", "否;是", "_;x", "假;真"});
    return t;
}

int DefaultFormatCode() {
    return MakeFormatCode(vnfcText, 0, 2, Locale().DecimalSeparator);
}

AnsiString FormatDateText(std::string_view pattern, double dateTime) {
    if (pattern.find('/') == std::string_view::npos) return FormatDateTime(pattern, dateTime);
    SeparatorScope scope(Locale().DateSeparator, '/');
    return FormatDateTime(pattern, dateTime);
}

AnsiString FormatValue(const Value& value, int code, std::string_view formatText) {
    if (value.IsEmptyOrNull()) return {};
    if (value.IsString() && Trim(value.AsString()).empty()) return {};
    const int category = FormatCategory(code), kind = FormatKind(code);
    try {
        switch (category) {
        case vnfcText:
            if (value.Kind() == VarKind::Float) {
                // A float has 15 significant digits: a number too large for them to show as
                // digits is written in exponent form ("1E20") instead of a row of zeros.
                const double x = value.AsFloat();
                if (!(std::fabs(x) < 1e15)) return FloatToStrF(x, TFloatFormat::General, 15, 0);
                return FormatFloat("0.########", x);
            }
            return value.AsString();
        case vnfcNumber: {
            char separator = FormatSeparator(code);
            SeparatorScope scope(Locale().DecimalSeparator,
                                 separator ? separator : Locale().DecimalSeparator);
            return FormatNumber(value, kind, FormatDecimals(code), formatText);
        }
        case vnfcDate: {
            const auto& table = DateFormatPatterns();
            std::string_view pattern =
                kind < static_cast<int>(table.size()) ? std::string_view(table[kind]) : formatText;
            return FormatDateText(pattern, value.AsDateTime());
        }
        case vnfcTime: {
            // Kinds past the table (the editor never writes them) use the custom text as kind 4 does.
            const auto& table = TimeFormatPatterns();
            std::string_view pattern =
                kind < static_cast<int>(table.size()) ? std::string_view(table[kind]) : formatText;
            return FormatDateText(pattern, value.AsDateTime());
        }
        case vnfcBoolean: {
            const auto& table = BooleanFormatTexts();
            std::string_view text =
                kind < static_cast<int>(table.size()) ? std::string_view(table[kind]) : formatText;
            std::size_t semi = text.find(';');
            if (value.AsInteger() != 0) {
                std::size_t from = semi == std::string_view::npos ? 0 : semi + 1;
                return AnsiString(text.substr(from, 255));
            }
            return semi == std::string_view::npos ? AnsiString() : AnsiString(text.substr(0, semi));
        }
        default:
            return {};
        }
    } catch (const std::exception&) {
        return PlainText(value);
    }
}

bool SplitInlineFormat(std::string_view group, AnsiString& expression, int& code, AnsiString& formatText) {
    std::size_t at = group.find(" #");
    if (at == std::string_view::npos) {
        expression.assign(group);
        return false;
    }
    expression.assign(group.substr(0, at));
    std::string_view format = group.substr(at + 2);
    char first = format.empty() ? '\0' : format[0];
    int newCode = -1;
    if ((first >= '0' && first <= '9') || first == 'N' || first == 'n')
        newCode = MakeFormatCode(vnfcNumber, 4, 0, '.');
    else if (first == 'D' || first == 'd')
        newCode = MakeFormatCode(vnfcDate, 7, 0, 0);
    else if (first == 'T' || first == 't')
        newCode = MakeFormatCode(vnfcTime, 4, 0, 0);
    else if (first == 'B' || first == 'b')
        newCode = MakeFormatCode(vnfcBoolean, 4, 0, 0);
    if (newCode < 0) {
        formatText.assign(format);
    } else {
        code = newCode;
        formatText.assign(format.substr(1));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Format editor

const std::vector<AnsiString>& TVNFormatEditorModel::CategoryNames() {
    static const std::vector<AnsiString> names = Converted({"文本", "数字", "日期", "时间", "布尔"});
    return names;
}

const std::vector<AnsiString>& TVNFormatEditorModel::KindNames(int category) {
    static const std::vector<AnsiString> kinds[5] = {
        Converted({"[无]"}),
        Converted({"1234,5", "1234,50", "1 234,5", "1 234,50", "自定义"}),
        Converted({"98.11.15", "1998.11.15", "1998年11月15日", "1998 11 15", "1998/11/15",
                   "星期六 1998 11 15", "星期六 1998年11月15日", "自定义"}),
        Converted({"02:43:35", "2:43:35", "02:43", "2:43", "自定义"}),
        Converted({"0;1", "否;是", "_;x", "假;真", "自定义"}),
    };
    return kinds[category >= 0 && category <= 4 ? category : 0];
}

void TVNFormatEditorModel::Open(int code, const AnsiString& formatText) {
    int category = FormatCategory(code);
    FCategory = category <= 4 ? category : 0;
    SetKind(FormatKind(code));
    DecimalDigits = IntToStr(FormatDecimals(code));
    char sep = FormatSeparator(code);
    FracDelimiter = sep ? AnsiString(1, sep) : AnsiString();
    FOriginalText = formatText;
    Format = formatText;
}

void TVNFormatEditorModel::SetCategory(int category) {
    FCategory = category >= 0 && category <= 4 ? category : 0;
    FKind = 0;
}

void TVNFormatEditorModel::SetKind(int kind) {
    int last = static_cast<int>(Kinds().size()) - 1;
    FKind = kind < 0 ? 0 : (kind > last ? last : kind);
}

int TVNFormatEditorModel::ResultCode() const {
    auto decimals = TryStrToInt64(Trim(DecimalDigits));
    int places = decimals && *decimals >= 0 && *decimals <= 255 ? static_cast<int>(*decimals) : 0;
    char sep = FracDelimiter.empty() ? ',' : FracDelimiter[0];
    return MakeFormatCode(FCategory, FKind, places, sep);
}

AnsiString TVNFormatEditorModel::ResultText() const {
    return FormatEnabled() ? Format : FOriginalText;
}
