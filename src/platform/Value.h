// The one tagged value of the system: expressions, variables, data set fields and host server
// results all carry a Value.
//
// Kinds: empty, null, byte, integer, 64-bit float, currency (64-bit fixed point, 4 decimals),
// date-time (days since 1899-12-30, time as the fraction), boolean, string (CP936), and the two
// holders the host boundary needs: an array of values and a record set (an in-memory data set).
//
// Conversions follow the classic variant rules report authors rely on: a numeric string mixed with
// a number converts to a number; two strings add by concatenation and compare as text; integer with
// float gives float; date-time plus or minus a number stays a date-time; null in arithmetic gives
// null. A text that does not convert raises EConvertError whose message names the text.
// A text mixed with a date-time that is no number is read as a date-time. Byte, integer and
// boolean operands combine to an integer (never wrapping: an overflow gives a float); a boolean
// counts as -1 (true) or 0 (false) as a number, while the expression parser's truth values are
// bytes 1 and 0, so (1=1)+(2=2) is 2.
#pragma once

#include "AnsiString.h"
#include "Locale.h" // EConvertError

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class TMemDataSet;

enum class VarKind : std::uint8_t {
    Empty,
    Null,
    Byte,
    Integer,
    Float,
    Currency,
    DateTime,
    Boolean,
    String,
    Array,
    RecordSet,
};

class Value {
public:
    Value() = default; // empty

    // Named constructors make the kind explicit where it matters.
    static Value Null();
    static Value Byte(std::uint8_t v);
    static Value Integer(std::int64_t v);
    static Value Float(double v);
    static Value CurrencyRaw(std::int64_t tenThousandths); // 1.5 is 15000
    static Value Currency(double v);                       // rounded half to even to 4 decimals
    static Value DateTime(double days);
    static Value Boolean(bool v);
    static Value String(AnsiString v);
    static Value Array(std::vector<Value> items);
    static Value RecordSet(std::shared_ptr<TMemDataSet> rs);

    // Convenience for the common kinds.
    Value(int v) : Value(Integer(v)) {}
    Value(std::int64_t v) : Value(Integer(v)) {}
    Value(double v) : Value(Float(v)) {}
    Value(const char* s) : Value(String(s)) {}
    Value(const AnsiString& s) : Value(String(s)) {}
    Value(AnsiString&& s) : Value(String(std::move(s))) {}

    VarKind Kind() const { return FKind; }
    bool IsEmpty() const { return FKind == VarKind::Empty; }
    bool IsNull() const { return FKind == VarKind::Null; }
    bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }
    bool IsString() const { return FKind == VarKind::String; }
    bool IsArray() const { return FKind == VarKind::Array; }
    bool IsRecordSet() const { return FKind == VarKind::RecordSet; }
    // Byte, integer, float, currency, date-time and boolean.
    bool IsNumeric() const;
    bool IsOrdinal() const; // byte, integer, boolean

    // Conversions; EConvertError when the value cannot be converted.
    // Empty converts to 0 / "" / false; null raises for numbers and gives "" as text.
    double AsFloat() const;
    std::int64_t AsInteger() const; // floats round half to even
    std::int64_t AsCurrencyRaw() const;
    double AsDateTime() const;   // text parsed with the locale's date/time formats
    bool AsBoolean() const;      // numbers: non-zero; text: "True"/"False" any case, or a number
    AnsiString AsString() const; // numbers as shortest text with up to 15 significant digits
    const std::vector<Value>& AsArray() const;        // EConvertError unless an array
    std::shared_ptr<TMemDataSet> AsRecordSet() const; // EConvertError unless a record set
    // The text of a string value without a copy; nullptr for every other kind.
    const AnsiString* StringRef() const { return FKind == VarKind::String ? FStr.get() : nullptr; }

    // Name of the kind for messages and the command line ("Float", "String", ...).
    const char* KindName() const;

    // Strict identity: same kind and same content (used by tests and caches, not by expressions).
    bool operator==(const Value& other) const;

private:
    VarKind FKind = VarKind::Empty;
    union {
        std::int64_t FInt;
        double FFloat;
        bool FBool;
    } FNum{0};
    std::shared_ptr<const AnsiString> FStr;
    std::shared_ptr<const std::vector<Value>> FArr;
    std::shared_ptr<TMemDataSet> FRs;
};

// Expression arithmetic and comparison under the rules above.
Value VarAdd(const Value& a, const Value& b);
Value VarSub(const Value& a, const Value& b);
Value VarMul(const Value& a, const Value& b);
Value VarDiv(const Value& a, const Value& b); // always float; callers decide about zero divisors
Value VarMod(const Value& a, const Value& b); // integer remainder; EConvertError on zero divisor
Value VarNeg(const Value& a);
// <0, 0, >0. Two strings compare as text (bytes); otherwise as numbers when either is numeric.
// Null sorts before everything, empty compares as 0 / "".
int VarCompare(const Value& a, const Value& b);
