// Number formatting: compiled number pictures (FormatFloat) and the classic float-to-text kinds
// (FloatToStrF).
//
// Every number goes through one decimal form: the value's 15 significant digits, correctly rounded
// from the binary value, from which all further rounding is done on decimal digits with halves
// away from zero (四舍五入, as money reports of this trade are read: 0.125 shows as "0.13", and
// 1.005, whose decimal form is 1.005, as "1.01"). Output goes straight into the caller's string; a compiled picture holds
// everything the formatting needs except the separators, which are read from the locale at each
// call so that a caller may change them around a call.
#include "Format.h"

#include "Locale.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace {

// value = 0.D1 D2 ... Dn x 10^Exponent; no trailing zero digits; Count 0 means zero.
struct TDecimal {
    char Digits[24];
    int Count = 0;
    int Exponent = 0;
    bool Negative = false;
};

constexpr int MaxPrecision = 15;

// The magnitude of a finite value at `precision` significant digits.
TDecimal ToDecimal(double value, int precision) {
    TDecimal d;
    d.Negative = std::signbit(value);
    value = std::fabs(value);
    if (value == 0) return d;
    char buf[48];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1);
    // buf holds "d[.ddd]e[+-]xx"
    const char* p = buf;
    int n = 0;
    d.Digits[n++] = *p++;
    if (*p == '.')
        for (++p; *p != 'e'; ++p)
            d.Digits[n++] = *p;
    ++p; // 'e'
    const bool negativeExponent = *p == '-';
    ++p;
    int e = 0;
    for (; p < res.ptr; ++p)
        e = e * 10 + (*p - '0');
    d.Exponent = (negativeExponent ? -e : e) + 1;
    while (n > 0 && d.Digits[n - 1] == '0')
        --n;
    d.Count = n;
    return d;
}

// Keeps the first `keep` digits, halves away from zero.
void RoundToDigits(TDecimal& d, int keep) {
    if (keep >= d.Count) return;
    if (keep < 0) {
        d.Count = 0;
        d.Exponent = 0;
        return;
    }
    const bool up = d.Digits[keep] >= '5';
    d.Count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[i] == '9')
            --i;
        if (i < 0) {
            d.Digits[0] = '1';
            d.Count = 1;
            ++d.Exponent;
        } else {
            ++d.Digits[i];
            d.Count = i + 1;
        }
    }
    while (d.Count > 0 && d.Digits[d.Count - 1] == '0')
        --d.Count;
    if (d.Count == 0) d.Exponent = 0;
}

void RoundToDecimals(TDecimal& d, int decimals) {
    if (d.Count > 0) RoundToDigits(d, d.Exponent + decimals);
}

// The digit at a 0-based index of the digit string; zeros outside it.
inline char DigitAt(const TDecimal& d, int index) {
    return index >= 0 && index < d.Count ? d.Digits[index] : '0';
}

bool AppendNonFinite(AnsiString& out, double value) {
    if (std::isnan(value))
        out += "NAN";
    else if (std::isinf(value))
        out += value < 0 ? "-INF" : "INF";
    else
        return false;
    return true;
}

void AppendExponent(AnsiString& out, int exponent, bool alwaysSign, int minDigits) {
    if (exponent < 0)
        out += '-';
    else if (alwaysSign)
        out += '+';
    char buf[12];
    auto res = std::to_chars(buf, buf + sizeof buf, exponent < 0 ? -exponent : exponent);
    for (int pad = minDigits - static_cast<int>(res.ptr - buf); pad > 0; --pad)
        out += '0';
    out.append(buf, res.ptr);
}

// Integer digits (at least "0"), optionally grouped, then exactly `decimals` decimals.
void AppendFixed(AnsiString& out, const TDecimal& d, int decimals, bool thousands) {
    const TLocaleSettings& locale = Locale();
    if (d.Count == 0 || d.Exponent <= 0) {
        out += '0';
    } else {
        for (int p = d.Exponent; p >= 1; --p) {
            out += DigitAt(d, d.Exponent - p);
            if (thousands && p > 1 && (p - 1) % 3 == 0) out += locale.ThousandSeparator;
        }
    }
    if (decimals > 0) {
        out += locale.DecimalSeparator;
        for (int q = 1; q <= decimals; ++q)
            out += DigitAt(d, d.Exponent + q - 1);
    }
}

void AppendGeneral(AnsiString& out, double value, int precision, int expDigits) {
    if (AppendNonFinite(out, value)) return;
    TDecimal d = ToDecimal(value, MaxPrecision);
    RoundToDigits(d, precision);
    if (d.Count == 0) {
        out += '0';
        return;
    }
    if (d.Negative) out += '-';
    const char separator = Locale().DecimalSeparator;
    if (d.Exponent > precision || d.Exponent < -4) {
        out += d.Digits[0];
        if (d.Count > 1) {
            out += separator;
            out.append(d.Digits + 1, d.Count - 1);
        }
        out += 'E';
        AppendExponent(out, d.Exponent - 1, false, expDigits);
        return;
    }
    if (d.Exponent <= 0)
        out += '0';
    else
        for (int i = 0; i < d.Exponent; ++i)
            out += DigitAt(d, i);
    if (d.Count > d.Exponent) {
        out += separator;
        for (int i = d.Exponent; i < d.Count; ++i)
            out += DigitAt(d, i);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Compiled pictures

struct TNumberPicture::TToken {
    enum TKind : std::uint8_t { Literal, IntDigit, FracDigit, Point, Exponent };
    TKind Kind;
    bool Zero = false;                    // a "0" placeholder (else "#")
    int Position = 0;                     // digit placeholders: 1 = next to the decimal point
    std::uint32_t Offset = 0, Length = 0; // literal bytes in TSection::Literals
};

struct TNumberPicture::TSection {
    std::vector<TToken> Tokens;
    AnsiString Literals;
    bool Empty = true; // nothing written for this section: a fallback applies
    int IntCount = 0;  // integer digit placeholders
    int MinInt = 0;    // integer digits always shown (position of the outermost "0")
    int FracCount = 0; // decimal digit placeholders
    int MinFrac = 0;   // decimals always shown
    bool Thousands = false;
    bool Scientific = false;
    char ExpChar = 'E';
    bool ExpPlus = false;
    int ExpDigits = 0;
};

namespace {

// The sections of a picture: ";" outside quotes and double-byte pairs; at most three.
std::vector<std::string_view> SplitSections(std::string_view picture) {
    std::vector<std::string_view> parts;
    std::size_t start = 0, i = 0;
    const std::size_t n = picture.size();
    while (i < n && parts.size() < 2) {
        const unsigned char c = picture[i];
        if (IsLeadByte(c) && i + 1 < n) {
            i += 2;
        } else if (c == '\'' || c == '"') {
            const std::size_t close = picture.find(static_cast<char>(c), i + 1);
            i = close == std::string_view::npos ? n : close + 1;
        } else if (c == ';') {
            parts.push_back(picture.substr(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    // A third ";" ends the zero section; anything after it is ignored.
    std::string_view last = picture.substr(start);
    if (parts.size() == 2) {
        for (std::size_t j = 0; j < last.size();) {
            const unsigned char c = last[j];
            if (IsLeadByte(c) && j + 1 < last.size()) {
                j += 2;
            } else if (c == '\'' || c == '"') {
                const std::size_t close = last.find(static_cast<char>(c), j + 1);
                j = close == std::string_view::npos ? last.size() : close + 1;
            } else if (c == ';') {
                last = last.substr(0, j);
                break;
            } else {
                ++j;
            }
        }
    }
    parts.push_back(last);
    return parts;
}

void AddLiteral(TNumberPicture::TSection& section, std::string_view text) {
    if (text.empty()) return;
    auto& tokens = section.Tokens;
    if (!tokens.empty() && tokens.back().Kind == TNumberPicture::TToken::Literal) {
        tokens.back().Length += static_cast<std::uint32_t>(text.size());
    } else {
        TNumberPicture::TToken t{TNumberPicture::TToken::Literal};
        t.Offset = static_cast<std::uint32_t>(section.Literals.size());
        t.Length = static_cast<std::uint32_t>(text.size());
        tokens.push_back(t);
    }
    section.Literals.append(text);
}

TNumberPicture::TSection ParseSection(std::string_view s) {
    using TToken = TNumberPicture::TToken;
    TNumberPicture::TSection section;
    section.Empty = s.empty();
    bool afterPoint = false;
    bool exponentSeen = false; // digits after the exponent's own are literals
    bool inExponent = false;
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        if (IsLeadByte(c) && i + 1 < n) {
            inExponent = false;
            AddLiteral(section, s.substr(i, 2));
            i += 2;
            continue;
        }
        if (c == '\'' || c == '"') {
            inExponent = false;
            std::size_t close = s.find(static_cast<char>(c), i + 1);
            if (close == std::string_view::npos) close = n;
            AddLiteral(section, s.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (inExponent) {
            if (c == '0') {
                ++section.ExpDigits;
                ++i;
                continue;
            }
            if (c == '#') {
                ++i;
                continue;
            }
            inExponent = false;
        }
        if ((c == '0' || c == '#') && !exponentSeen) {
            TToken t{afterPoint ? TToken::FracDigit : TToken::IntDigit};
            t.Zero = c == '0';
            if (afterPoint) {
                t.Position = ++section.FracCount;
                if (t.Zero) section.MinFrac = t.Position;
            } else {
                ++section.IntCount;
            }
            section.Tokens.push_back(t);
        } else if (c == '.' && !afterPoint && !exponentSeen) {
            afterPoint = true;
            section.Tokens.push_back(TToken{TToken::Point});
        } else if (c == ',' && !exponentSeen) {
            if (!afterPoint) section.Thousands = true;
        } else if ((c == 'E' || c == 'e') && !exponentSeen && i + 1 < n &&
                   (s[i + 1] == '+' || s[i + 1] == '-') && section.IntCount + section.FracCount > 0) {
            exponentSeen = inExponent = true;
            section.Scientific = true;
            section.ExpChar = static_cast<char>(c);
            section.ExpPlus = s[i + 1] == '+';
            section.Tokens.push_back(TToken{TToken::Exponent});
            i += 2;
            continue;
        } else {
            AddLiteral(section, s.substr(i, 1));
        }
        ++i;
    }
    // Integer positions count from the decimal point.
    int remaining = section.IntCount;
    for (TToken& t : section.Tokens) {
        if (t.Kind != TToken::IntDigit) continue;
        t.Position = remaining--;
        if (t.Zero && t.Position > section.MinInt) section.MinInt = t.Position;
    }
    if (section.Scientific) section.Thousands = false;
    return section;
}

} // namespace

TNumberPicture::TNumberPicture(std::string_view picture) {
    for (std::string_view part : SplitSections(picture))
        FSections.push_back(ParseSection(part));
}

TNumberPicture::~TNumberPicture() = default;
TNumberPicture::TNumberPicture(TNumberPicture&&) noexcept = default;
TNumberPicture& TNumberPicture::operator=(TNumberPicture&&) noexcept = default;

namespace {

void RenderSection(AnsiString& out, const TNumberPicture::TSection& section, TDecimal d) {
    using TToken = TNumberPicture::TToken;
    int printedExponent = 0;
    if (section.Scientific) {
        int significant = section.IntCount + section.FracCount;
        RoundToDigits(d, significant > MaxPrecision ? MaxPrecision : significant);
        if (d.Count > 0) {
            printedExponent = d.Exponent - section.IntCount;
            d.Exponent = section.IntCount;
        }
    } else {
        RoundToDecimals(d, section.FracCount);
    }
    const TLocaleSettings& locale = Locale();
    const int integerDigits = d.Count > 0 && d.Exponent > 0 ? d.Exponent : 0;
    const int intShown = integerDigits > section.MinInt ? integerDigits : section.MinInt;
    const int significantDecimals = d.Count > d.Exponent ? d.Count - d.Exponent : 0;
    const int fracShown = significantDecimals > section.MinFrac ? significantDecimals : section.MinFrac;

    auto emitInt = [&](int p) {
        out += DigitAt(d, d.Exponent - p);
        if (section.Thousands && p > 1 && (p - 1) % 3 == 0) out += locale.ThousandSeparator;
    };
    // Integer digits beyond the placeholders go in front of the first one; with no integer
    // placeholder at all, in front of the first other number code.
    bool integerDone = false;
    auto emitLeadingDigits = [&](int fromPosition) {
        if (integerDone) return;
        integerDone = true;
        for (int p = intShown; p > fromPosition; --p)
            emitInt(p);
    };
    for (const TToken& t : section.Tokens) {
        switch (t.Kind) {
        case TToken::Literal:
            out.append(section.Literals, t.Offset, t.Length);
            break;
        case TToken::IntDigit:
            emitLeadingDigits(t.Position);
            if (t.Position <= intShown) emitInt(t.Position);
            break;
        case TToken::Point:
            emitLeadingDigits(0);
            if (fracShown > 0) out += locale.DecimalSeparator;
            break;
        case TToken::FracDigit:
            emitLeadingDigits(0);
            if (t.Position <= fracShown) out += DigitAt(d, d.Exponent + t.Position - 1);
            break;
        case TToken::Exponent:
            emitLeadingDigits(0);
            out += section.ExpChar;
            AppendExponent(out, printedExponent, section.ExpPlus,
                           section.ExpDigits > 0 ? section.ExpDigits : 1);
            break;
        }
    }
}

} // namespace

void TNumberPicture::AppendTo(AnsiString& out, double value) const {
    if (AppendNonFinite(out, value)) return;
    auto present = [this](std::size_t index) { return index < FSections.size() && !FSections[index].Empty; };
    std::size_t index = 0;
    if (value < 0 && present(1))
        index = 1;
    else if (value == 0 && present(2))
        index = 2;
    if (FSections[index].Empty) {
        AppendGeneral(out, value, MaxPrecision, 0);
        return;
    }
    TDecimal d = ToDecimal(value, MaxPrecision);
    // A value that the chosen section shows as zero is zero: zero section, no minus sign.
    TDecimal rounded = d;
    const TSection& chosen = FSections[index];
    if (chosen.Scientific)
        RoundToDigits(rounded, chosen.IntCount + chosen.FracCount);
    else
        RoundToDecimals(rounded, chosen.FracCount);
    bool negative = value < 0;
    if (rounded.Count == 0 && value != 0) {
        negative = false;
        index = present(2) ? 2 : 0;
        d = TDecimal{};
        if (FSections[index].Empty) {
            out += '0';
            return;
        }
    }
    if (negative && index == 0) out += '-';
    RenderSection(out, FSections[index], d);
}

AnsiString TNumberPicture::Format(double value) const {
    AnsiString out;
    AppendTo(out, value);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Cache of compiled pictures

namespace {

struct TStringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

// Report builds format every row with the same few pictures: the last one is checked first, the
// others come from a map that is emptied when it grows large (pictures built from data should not
// pile up without bound).
struct TPictureCache {
    static constexpr std::size_t MaxEntries = 256;
    std::unordered_map<std::string, std::unique_ptr<TNumberPicture>, TStringHash, std::equal_to<>> Map;
    std::string LastText;
    const TNumberPicture* Last = nullptr;
};

thread_local TPictureCache pictureCache;

} // namespace

const TNumberPicture& NumberPicture(std::string_view picture) {
    TPictureCache& cache = pictureCache;
    if (cache.Last && cache.LastText == picture) return *cache.Last;
    auto it = cache.Map.find(picture);
    if (it == cache.Map.end()) {
        if (cache.Map.size() >= TPictureCache::MaxEntries) cache.Map.clear();
        it = cache.Map.emplace(std::string(picture), std::make_unique<TNumberPicture>(picture)).first;
    }
    cache.Last = it->second.get();
    cache.LastText.assign(picture);
    return *cache.Last;
}

void AppendFormatFloat(AnsiString& out, std::string_view picture, double value) {
    NumberPicture(picture).AppendTo(out, value);
}

AnsiString FormatFloat(std::string_view picture, double value) {
    AnsiString out;
    AppendFormatFloat(out, picture, value);
    return out;
}

// ---------------------------------------------------------------------------------------------
// FloatToStrF

const AnsiString& CurrencySymbol() {
    return CP936("￥");
}

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    if (precision < 1) precision = 1;
    if (precision > MaxPrecision) precision = MaxPrecision;
    AnsiString out;
    if (AppendNonFinite(out, value)) return out;
    if (format == TFloatFormat::General) {
        AppendGeneral(out, value, precision, digits < 0 ? 0 : digits > 4 ? 4 : digits);
        return out;
    }
    TDecimal d = ToDecimal(value, MaxPrecision);
    RoundToDigits(d, precision);
    if (format == TFloatFormat::Exponent) {
        if (d.Count > 0 && d.Negative) out += '-';
        out += DigitAt(d, 0);
        if (precision > 1) {
            out += Locale().DecimalSeparator;
            for (int i = 1; i < precision; ++i)
                out += DigitAt(d, i);
        }
        out += 'E';
        AppendExponent(out, d.Count > 0 ? d.Exponent - 1 : 0, true, digits < 0 ? 0 : digits > 4 ? 4 : digits);
        return out;
    }
    // Fixed, number and currency: too many integer digits for the precision cannot be shown
    // exactly, so the general form is used instead.
    if (d.Count > 0 && d.Exponent > precision) {
        AppendGeneral(out, value, precision, 0);
        return out;
    }
    const int decimals = digits < 0 ? 0 : digits > 18 ? 18 : digits;
    RoundToDecimals(d, decimals);
    if (d.Count > 0 && d.Negative) out += '-';
    if (format == TFloatFormat::Currency) out += CurrencySymbol();
    AppendFixed(out, d, decimals, format != TFloatFormat::Fixed);
    return out;
}
