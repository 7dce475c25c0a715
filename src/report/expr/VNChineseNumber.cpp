// Chinese number text. The lower-case numerals read a number written with two decimals in nine
// integer positions; the money text reads the integer part in groups of four from the lowest.
#include "VNChineseNumber.h"

#include "platform/Locale.h"
#include "platform/Value.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace {

const AnsiString& LowerDigit(int d) {
    static const char* const names[10] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static const auto table = [] {
        std::array<AnsiString, 10> t;
        for (int i = 0; i < 10; ++i)
            t[i] = Utf8ToAnsi(names[i]);
        return t;
    }();
    return table[d];
}

const AnsiString& CapitalDigit(int d) {
    static const char* const names[10] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
    static const auto table = [] {
        std::array<AnsiString, 10> t;
        for (int i = 0; i < 10; ++i)
            t[i] = Utf8ToAnsi(names[i]);
        return t;
    }();
    return table[d];
}

bool EndsWith(const AnsiString& s, const AnsiString& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Integer digits (no leading zeros, at most nine) as lower-case numerals; a trailing 零 is removed.
AnsiString NineDigits(std::string_view digits) {
    static const char* const unitsUtf8[9] = {"亿", "千", "百", "十", "万", "千", "百", "十", ""};
    std::string field(9 - digits.size(), ' ');
    field.append(digits);
    const AnsiString& zero = LowerDigit(0);
    const AnsiString& wan = CP936("万");
    AnsiString out;
    for (int p = 0; p < 9; ++p) {
        if (field[p] == ' ') continue;
        int d = field[p] - '0';
        bool afterNonZero = p > 0 && field[p - 1] != ' ' && field[p - 1] != '0';
        if (d != 0) {
            out += LowerDigit(d);
            out += Utf8ToAnsi(unitsUtf8[p]);
            continue;
        }
        if (p == 4) {
            bool groupAbove = false;
            for (int q = 1; q <= 3; ++q)
                groupAbove |= field[q] != ' ' && field[q] != '0';
            if (groupAbove) {
                if (EndsWith(out, zero))
                    out.insert(out.size() - zero.size(), wan);
                else
                    out += wan;
            }
        }
        if (afterNonZero) out += zero;
    }
    if (EndsWith(out, zero)) out.erase(out.size() - zero.size());
    return out;
}

// Integer digits of any length: parts above eight digits continue with 亿.
AnsiString IntegerText(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    if (digits.size() <= 9) return NineDigits(digits);
    std::string_view high = digits.substr(0, digits.size() - 8), low = digits.substr(digits.size() - 8);
    AnsiString out = IntegerText(high) + CP936("亿");
    if (low.find_first_not_of('0') == std::string_view::npos) return out;
    if (low[0] == '0') out += LowerDigit(0);
    return out + IntegerText(low);
}

} // namespace

AnsiString NumberToChineseText(std::string_view numberText) {
    double x = StrToFloat(Trim(numberText));
    if (!std::isfinite(x)) throw EConvertError("'" + AnsiString(numberText) + "' is not a valid number");
    AnsiString out;
    if (x < 0) {
        out = CP936("负");
        x = -x;
    }
    x = RoundHalfEven(x, 2);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.2f", x);
    std::string_view text(buf);
    std::size_t point = text.find('.');
    AnsiString integer = IntegerText(text.substr(0, point));
    if (integer.empty()) integer = LowerDigit(0);
    out += integer;
    int d1 = text[point + 1] - '0', d2 = text[point + 2] - '0';
    if (d1 == 0 && d2 != 0) {
        out += CP936("点") + LowerDigit(0) + LowerDigit(d2);
    } else if (d1 != 0) {
        out += CP936("点") + LowerDigit(d1);
        if (d2 != 0) out += LowerDigit(d2);
    }
    const AnsiString yiShi = LowerDigit(1) + CP936("十");
    if (out.compare(0, yiShi.size(), yiShi) == 0) out.erase(0, LowerDigit(1).size());
    return out;
}

AnsiString AmountToChineseCapitals(std::int64_t raw) {
    AnsiString text = FloatToStr(static_cast<double>(raw) / 10000.0);
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.erase(0, 1);
    std::size_t point = text.find('.');
    std::string_view integer = std::string_view(text).substr(0, point);
    std::string_view decimals =
        point == AnsiString::npos ? std::string_view() : std::string_view(text).substr(point + 1);

    static const char* const unitsUtf8[4] = {"", "拾", "佰", "仟"};
    static const char* const groupUtf8[4] = {"", "万", "亿", "兆"};
    const AnsiString& zero = CapitalDigit(0);
    AnsiString result;
    bool zeroFlag = true;
    int group = 0;
    for (std::size_t end = integer.size(); end > 0; ++group) {
        std::size_t begin = end >= 4 ? end - 4 : 0;
        AnsiString groupText;
        for (std::size_t k = end; k > begin; --k) {
            int d = integer[k - 1] - '0';
            int place = static_cast<int>(end - k);
            if (d == 0) {
                if (!zeroFlag && place != 0) groupText.insert(0, zero);
                zeroFlag = true;
            } else {
                groupText.insert(0, CapitalDigit(d) + Utf8ToAnsi(unitsUtf8[place]));
                zeroFlag = false;
            }
        }
        if (!groupText.empty())
            result.insert(0, groupText + (group < 4 ? Utf8ToAnsi(groupUtf8[group]) : AnsiString()));
        else if (!result.empty() && result.compare(0, zero.size(), zero) != 0)
            result.insert(0, zero);
        end = begin;
    }
    if (!result.empty()) result += CP936("圆");
    static const char* const decimalUnitsUtf8[3] = {"角", "分", "厘"};
    for (std::size_t k = 0; k < decimals.size(); ++k) {
        result += CapitalDigit(decimals[k] - '0');
        if (k < 3) result += Utf8ToAnsi(decimalUnitsUtf8[k]);
    }
    if (result.empty()) result = zero;
    if (negative) result.insert(0, CP936("负"));
    // Whole cents, halves to even, decide whether the text ends with 整.
    std::int64_t a = raw < 0 ? -raw : raw;
    std::int64_t cents = a / 100, rest = a % 100;
    if (rest > 50 || (rest == 50 && (cents % 2) == 1)) ++cents;
    if (cents % 10 == 0) result += CP936("整");
    return result;
}

AnsiString DigitsToChineseCapitals(std::string_view digits) {
    AnsiString text = Trim(digits);
    AnsiString out;
    for (char c : text) {
        if (c < '0' || c > '9') throw EConvertError("'" + text + "' is not a valid integer value");
        out += CapitalDigit(c - '0');
    }
    return out;
}

AnsiString DigitToChineseCapital(double number, int n) {
    if (n == 0) return {};
    AnsiString text = FloatToStr(number);
    std::size_t point = text.find('.');
    long long pointPos = point == AnsiString::npos ? static_cast<long long>(text.size()) + 1
                                                   : static_cast<long long>(point) + 1;
    long long pos = pointPos - n; // 1-based
    if (pos < 1 || pos > static_cast<long long>(text.size()) || pos == pointPos) return {};
    char c = text[static_cast<std::size_t>(pos - 1)];
    if (c < '0' || c > '9') return {};
    return CapitalDigit(c - '0');
}
