// Display formats of memo values: the 32-bit format code kept with every memo view, the inline
// formats written after " #" inside a bracketed group, FormatValue, FormatDateText and the format
// editor's logic as a data model (its dialog lives with the Qt side).
//
// Format code bits: 24-27 category (0 text, 1 number, 2 date, 3 time, 4 boolean), 16-23 kind within
// the category, 8-15 decimal places, 0-7 decimal separator character.
//
// Guarantees: FormatValue never raises (a value or pattern that fails falls back to the value's
// plain text) and always restores the locale separators it changes; codes outside the categories
// and number kinds the editor produces give the empty text.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Value.h"

#include <string_view>
#include <vector>

enum TVNFormatCategory { vnfcText = 0, vnfcNumber = 1, vnfcDate = 2, vnfcTime = 3, vnfcBoolean = 4 };

constexpr int MakeFormatCode(int category, int kind, int decimals, char separator) {
    return (category << 24) | ((kind & 0xFF) << 16) | ((decimals & 0xFF) << 8) |
           static_cast<unsigned char>(separator);
}
constexpr int FormatCategory(int code) {
    return (code >> 24) & 0x0F;
}
constexpr int FormatKind(int code) {
    return (code >> 16) & 0xFF;
}
constexpr int FormatDecimals(int code) {
    return (code >> 8) & 0xFF;
}
constexpr char FormatSeparator(int code) {
    return static_cast<char>(code & 0xFF);
}

// The code of a new view: text, two decimal places, the locale's decimal separator.
int DefaultFormatCode();

// The value as text under the code and the custom format text.
AnsiString FormatValue(const Value& value, int code, std::string_view formatText);

// Date formatting in which "/" in the pattern always prints "/".
AnsiString FormatDateText(std::string_view pattern, double dateTime);

// Splits «expression #format» at the first " #". `code` and `formatText` come in as the view's own
// and are replaced when the inline format's first character chooses a category. Returns false
// (leaving everything but `expression` alone) when the group has no inline format.
bool SplitInlineFormat(std::string_view group, AnsiString& expression, int& code, AnsiString& formatText);

// The pattern tables (CP936), which a translation may change: 7 date, 4 time and 4 boolean texts.
std::vector<AnsiString>& DateFormatPatterns();
std::vector<AnsiString>& TimeFormatPatterns();
std::vector<AnsiString>& BooleanFormatTexts();

// The format editor without its widgets: category list, kind list, the "Decimal digits",
// "Frac delimiter" and "Format" fields with their enabled states, and the resulting code.
class TVNFormatEditorModel {
public:
    static const std::vector<AnsiString>& CategoryNames(); // 文本, 数字, 日期, 时间, 布尔
    static const std::vector<AnsiString>& KindNames(int category);

    void Open(int code, const AnsiString& formatText);

    int Category() const { return FCategory; }
    void SetCategory(int category); // refills the kind list and selects its first item
    const std::vector<AnsiString>& Kinds() const { return KindNames(FCategory); }
    int Kind() const { return FKind; }
    void SetKind(int kind);

    bool DecimalsEnabled() const { return FCategory == vnfcNumber; }
    bool FormatEnabled() const {
        return FKind == static_cast<int>(Kinds().size()) - 1 && FCategory != vnfcText;
    }

    // The fields as the user edits them.
    AnsiString DecimalDigits;
    AnsiString FracDelimiter;
    AnsiString Format;

    // What confirming the dialog gives.
    int ResultCode() const;
    AnsiString ResultText() const;

private:
    int FCategory = 0;
    int FKind = 0;
    AnsiString FOriginalText;
};
