// The tagged value: construction, conversions and the mixed-kind arithmetic and comparison rules.
//
// Guarantees: a conversion that cannot be made raises EConvertError naming the value; integer
// arithmetic never wraps (an overflowing result becomes a float); null in arithmetic gives null.
// Booleans count as -1 (true) and 0 (false) as numbers, the classic variant convention; the
// expression parser's own truth values are bytes 1 and 0, so they add up as plain counts.
#include "Value.h"

#include "Locale.h"

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void ThrowCannotConvert(const Value& v, const char* target) {
    throw EConvertError(std::string("Could not convert variant of type (") + v.KindName() + ") into type (" +
                        target + ")");
}

std::int64_t CurrencyFromDouble(double v) {
    const double rounded = RoundHalfEven(v, 4) * 10000.0;
    if (!(std::fabs(rounded) < 9.2233720368547e18))
        throw EConvertError("\"" + FloatToStr(v) + "\" is out of the currency range");
    return std::llround(rounded);
}

AnsiString CurrencyToStr(std::int64_t raw) {
    const bool negative = raw < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    AnsiString out = negative ? "-" : "";
    out += std::to_string(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        out += Locale().DecimalSeparator;
        out += digits;
    }
    return out;
}

// The kind an operand takes part in arithmetic as, after the mixed-kind rules.
enum class TArith { Int, Float, Currency, DateTime };

TArith ArithKindOf(const Value& v) {
    switch (v.Kind()) {
    case VarKind::Float:
        return TArith::Float;
    case VarKind::Currency:
        return TArith::Currency;
    case VarKind::DateTime:
        return TArith::DateTime;
    case VarKind::String:
        return TArith::Float; // a numeric string mixed with a number is a number
    default:
        return TArith::Int; // empty, byte, integer, boolean
    }
}

// A string operand converted for arithmetic: an integer text stays an integer so that "2" * 3 is 6
// and not 6.0 in disguise; anything else goes through the locale's float reading. Mixed with a
// date-time, a text that is no number is read as a date-time with the locale's formats, so a date
// field compares with "2024-1-2" as report authors write it.
Value NumericOperand(const Value& v, const Value& other) {
    if (!v.IsString()) return v;
    const AnsiString text = v.AsString();
    if (const auto i = TryStrToInt64(text); i && text.find_first_of("$xX") == AnsiString::npos)
        return Value::Integer(*i);
    if (other.Kind() == VarKind::DateTime && !TryStrToFloat(text))
        return Value::DateTime(StrToDateTime(text));
    return Value::Float(StrToFloat(text));
}

void CheckOperand(const Value& v) {
    if (v.IsArray() || v.IsRecordSet()) ThrowCannotConvert(v, "Double");
}

enum class TOp { Add, Sub, Mul };

// 64-bit integer add, subtract or multiply; false when the exact result does not fit, so the
// caller can fall back to another kind instead of wrapping around.
bool CheckedIntegerOp(TOp op, std::int64_t x, std::int64_t y, std::int64_t& r) {
    switch (op) {
    case TOp::Add:
        return !__builtin_add_overflow(x, y, &r);
    case TOp::Sub:
        return !__builtin_sub_overflow(x, y, &r);
    default:
        return !__builtin_mul_overflow(x, y, &r);
    }
}

Value Arithmetic(const Value& a0, const Value& b0, TOp op) {
    CheckOperand(a0);
    CheckOperand(b0);
    if (a0.IsNull() || b0.IsNull()) return Value::Null();
    if (a0.IsEmpty() && b0.IsEmpty()) return Value();
    if (op == TOp::Add && (a0.IsString() || a0.IsEmpty()) && (b0.IsString() || b0.IsEmpty()))
        return Value::String(a0.AsString() + b0.AsString());
    const Value a = NumericOperand(a0, b0);
    const Value b = NumericOperand(b0, a0);
    const TArith ka = ArithKindOf(a);
    const TArith kb = ArithKindOf(b);

    if (ka == TArith::Int && kb == TArith::Int) {
        std::int64_t r;
        if (CheckedIntegerOp(op, a.AsInteger(), b.AsInteger(), r)) return Value::Integer(r);
        // Falls through to float arithmetic rather than wrapping around.
    }
    if ((ka == TArith::Currency || kb == TArith::Currency) && ka != TArith::Float && kb != TArith::Float &&
        ka != TArith::DateTime && kb != TArith::DateTime) {
        const std::int64_t x = a.AsCurrencyRaw();
        const std::int64_t y = b.AsCurrencyRaw();
        std::int64_t r;
        bool fits;
        if (op == TOp::Mul) {
            // Product of two 4-decimal numbers has 8 decimals: back to 4, half to even.
            const double product = static_cast<double>(x) * static_cast<double>(y) / 1e4;
            fits = std::fabs(product) < 9.2233720368547e18;
            r = fits ? static_cast<std::int64_t>(RoundHalfEven(product)) : 0;
        } else {
            // Sums and differences of raw amounts are exact, like integers.
            fits = CheckedIntegerOp(op, x, y, r);
        }
        if (fits) return Value::CurrencyRaw(r);
    }
    const double x = a.AsFloat();
    const double y = b.AsFloat();
    double r;
    switch (op) {
    case TOp::Add:
        r = x + y;
        break;
    case TOp::Sub:
        r = x - y;
        break;
    default:
        r = x * y;
        break;
    }
    // A date-time moved by a number stays a date-time; the distance of two date-times is a number.
    if (op != TOp::Mul && (ka == TArith::DateTime) != (kb == TArith::DateTime)) return Value::DateTime(r);
    if (op == TOp::Add && ka == TArith::DateTime && kb == TArith::DateTime) return Value::DateTime(r);
    return Value::Float(r);
}

template <typename T> int Sign(T x, T y) {
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

// ---- Construction ----------------------------------------------------------------------------------

Value Value::Null() {
    Value v;
    v.FKind = VarKind::Null;
    return v;
}

Value Value::Byte(std::uint8_t b) {
    Value v;
    v.FKind = VarKind::Byte;
    v.FNum.FInt = b;
    return v;
}

Value Value::Integer(std::int64_t i) {
    Value v;
    v.FKind = VarKind::Integer;
    v.FNum.FInt = i;
    return v;
}

Value Value::Float(double d) {
    Value v;
    v.FKind = VarKind::Float;
    v.FNum.FFloat = d;
    return v;
}

Value Value::CurrencyRaw(std::int64_t tenThousandths) {
    Value v;
    v.FKind = VarKind::Currency;
    v.FNum.FInt = tenThousandths;
    return v;
}

Value Value::Currency(double d) {
    return CurrencyRaw(CurrencyFromDouble(d));
}

Value Value::DateTime(double days) {
    Value v;
    v.FKind = VarKind::DateTime;
    v.FNum.FFloat = days;
    return v;
}

Value Value::Boolean(bool b) {
    Value v;
    v.FKind = VarKind::Boolean;
    v.FNum.FBool = b;
    return v;
}

Value Value::String(AnsiString s) {
    Value v;
    v.FKind = VarKind::String;
    v.FStr = std::make_shared<const AnsiString>(std::move(s));
    return v;
}

Value Value::Array(std::vector<Value> items) {
    Value v;
    v.FKind = VarKind::Array;
    v.FArr = std::make_shared<const std::vector<Value>>(std::move(items));
    return v;
}

Value Value::RecordSet(std::shared_ptr<TMemDataSet> rs) {
    Value v;
    v.FKind = VarKind::RecordSet;
    v.FRs = std::move(rs);
    return v;
}

// ---- Kinds ------------------------------------------------------------------------------------------

bool Value::IsNumeric() const {
    switch (FKind) {
    case VarKind::Byte:
    case VarKind::Integer:
    case VarKind::Float:
    case VarKind::Currency:
    case VarKind::DateTime:
    case VarKind::Boolean:
        return true;
    default:
        return false;
    }
}

bool Value::IsOrdinal() const {
    return FKind == VarKind::Byte || FKind == VarKind::Integer || FKind == VarKind::Boolean;
}

const char* Value::KindName() const {
    switch (FKind) {
    case VarKind::Empty:
        return "Empty";
    case VarKind::Null:
        return "Null";
    case VarKind::Byte:
        return "Byte";
    case VarKind::Integer:
        return "Integer";
    case VarKind::Float:
        return "Float";
    case VarKind::Currency:
        return "Currency";
    case VarKind::DateTime:
        return "DateTime";
    case VarKind::Boolean:
        return "Boolean";
    case VarKind::String:
        return "String";
    case VarKind::Array:
        return "Array";
    case VarKind::RecordSet:
        return "RecordSet";
    }
    return "Unknown";
}

// ---- Conversions ------------------------------------------------------------------------------------

double Value::AsFloat() const {
    switch (FKind) {
    case VarKind::Empty:
        return 0;
    case VarKind::Byte:
    case VarKind::Integer:
        return static_cast<double>(FNum.FInt);
    case VarKind::Float:
    case VarKind::DateTime:
        return FNum.FFloat;
    case VarKind::Currency:
        return static_cast<double>(FNum.FInt) / 10000.0;
    case VarKind::Boolean:
        return FNum.FBool ? -1 : 0;
    case VarKind::String:
        return StrToFloat(*FStr);
    default:
        ThrowCannotConvert(*this, "Double");
    }
}

std::int64_t Value::AsInteger() const {
    switch (FKind) {
    case VarKind::Empty:
        return 0;
    case VarKind::Byte:
    case VarKind::Integer:
        return FNum.FInt;
    case VarKind::Float:
    case VarKind::DateTime:
        return RoundToInt64(FNum.FFloat);
    case VarKind::Currency: {
        // Whole units, the remainder rounded half to even.
        const std::int64_t whole = FNum.FInt / 10000;
        const std::int64_t rest = FNum.FInt % 10000;
        if (rest > 5000 || (rest == 5000 && whole % 2 != 0)) return whole + 1;
        if (rest < -5000 || (rest == -5000 && whole % 2 != 0)) return whole - 1;
        return whole;
    }
    case VarKind::Boolean:
        return FNum.FBool ? -1 : 0;
    case VarKind::String:
        if (const auto i = TryStrToInt64(*FStr)) return *i;
        if (const auto d = TryStrToFloat(*FStr)) return RoundToInt64(*d);
        throw EConvertError("\"" + *FStr + "\" is not a valid integer value");
    default:
        ThrowCannotConvert(*this, "Integer");
    }
}

std::int64_t Value::AsCurrencyRaw() const {
    switch (FKind) {
    case VarKind::Currency:
        return FNum.FInt;
    case VarKind::Empty:
        return 0;
    case VarKind::Byte:
    case VarKind::Integer: {
        std::int64_t r;
        if (__builtin_mul_overflow(FNum.FInt, std::int64_t{10000}, &r))
            throw EConvertError("\"" + IntToStr(FNum.FInt) + "\" is out of the currency range");
        return r;
    }
    case VarKind::Boolean:
        return FNum.FBool ? -10000 : 0;
    default:
        return CurrencyFromDouble(AsFloat());
    }
}

double Value::AsDateTime() const {
    switch (FKind) {
    case VarKind::String:
        return StrToDateTime(*FStr);
    case VarKind::Null:
    case VarKind::Array:
    case VarKind::RecordSet:
        ThrowCannotConvert(*this, "Date");
    default:
        return AsFloat();
    }
}

bool Value::AsBoolean() const {
    switch (FKind) {
    case VarKind::Empty:
        return false;
    case VarKind::Boolean:
        return FNum.FBool;
    case VarKind::Byte:
    case VarKind::Integer:
    case VarKind::Currency:
        return FNum.FInt != 0;
    case VarKind::Float:
    case VarKind::DateTime:
        return FNum.FFloat != 0;
    case VarKind::String: {
        const AnsiString text = Trim(*FStr);
        if (SameText(text, "True")) return true;
        if (SameText(text, "False")) return false;
        if (const auto d = TryStrToFloat(text)) return *d != 0;
        throw EConvertError("\"" + *FStr + "\" is not a valid boolean value");
    }
    default:
        ThrowCannotConvert(*this, "Boolean");
    }
}

AnsiString Value::AsString() const {
    switch (FKind) {
    case VarKind::Empty:
    case VarKind::Null:
        return {};
    case VarKind::Byte:
    case VarKind::Integer:
        return IntToStr(FNum.FInt);
    case VarKind::Float:
        return FloatToStr(FNum.FFloat);
    case VarKind::Currency:
        return CurrencyToStr(FNum.FInt);
    case VarKind::DateTime:
        return DateTimeToStr(FNum.FFloat);
    case VarKind::Boolean:
        return FNum.FBool ? "True" : "False";
    case VarKind::String:
        return *FStr;
    default:
        ThrowCannotConvert(*this, "String");
    }
}

const std::vector<Value>& Value::AsArray() const {
    if (FKind != VarKind::Array) ThrowCannotConvert(*this, "Array");
    return *FArr;
}

std::shared_ptr<TMemDataSet> Value::AsRecordSet() const {
    if (FKind != VarKind::RecordSet) ThrowCannotConvert(*this, "RecordSet");
    return FRs;
}

bool Value::operator==(const Value& other) const {
    if (FKind != other.FKind) return false;
    switch (FKind) {
    case VarKind::Empty:
    case VarKind::Null:
        return true;
    case VarKind::Byte:
    case VarKind::Integer:
    case VarKind::Currency:
        return FNum.FInt == other.FNum.FInt;
    case VarKind::Float:
    case VarKind::DateTime:
        return FNum.FFloat == other.FNum.FFloat || (std::isnan(FNum.FFloat) && std::isnan(other.FNum.FFloat));
    case VarKind::Boolean:
        return FNum.FBool == other.FNum.FBool;
    case VarKind::String:
        return *FStr == *other.FStr;
    case VarKind::Array:
        return *FArr == *other.FArr;
    case VarKind::RecordSet:
        return FRs == other.FRs;
    }
    return false;
}

// ---- Arithmetic and comparison ----------------------------------------------------------------------

Value VarAdd(const Value& a, const Value& b) {
    return Arithmetic(a, b, TOp::Add);
}
Value VarSub(const Value& a, const Value& b) {
    return Arithmetic(a, b, TOp::Sub);
}
Value VarMul(const Value& a, const Value& b) {
    return Arithmetic(a, b, TOp::Mul);
}

Value VarDiv(const Value& a, const Value& b) {
    CheckOperand(a);
    CheckOperand(b);
    if (a.IsNull() || b.IsNull()) return Value::Null();
    return Value::Float(NumericOperand(a, b).AsFloat() / NumericOperand(b, a).AsFloat());
}

Value VarMod(const Value& a, const Value& b) {
    CheckOperand(a);
    CheckOperand(b);
    if (a.IsNull() || b.IsNull()) return Value::Null();
    const std::int64_t x = a.AsInteger();
    const std::int64_t y = b.AsInteger();
    if (y == 0) throw EConvertError("Division by zero in mod of " + a.AsString());
    if (y == -1) return Value::Integer(0); // the one quotient that would overflow
    return Value::Integer(x % y);
}

Value VarNeg(const Value& a) {
    CheckOperand(a);
    switch (a.Kind()) {
    case VarKind::Null:
        return Value::Null();
    case VarKind::Empty:
        return Value::Integer(0);
    case VarKind::Float:
        return Value::Float(-a.AsFloat());
    case VarKind::DateTime:
        return Value::DateTime(-a.AsFloat());
    case VarKind::Currency: {
        const std::int64_t raw = a.AsCurrencyRaw();
        if (raw == std::numeric_limits<std::int64_t>::min()) return Value::Float(-a.AsFloat());
        return Value::CurrencyRaw(-raw);
    }
    case VarKind::String:
        return VarNeg(NumericOperand(a, Value()));
    default: {
        const std::int64_t i = a.AsInteger();
        if (i == std::numeric_limits<std::int64_t>::min()) return Value::Float(-static_cast<double>(i));
        return Value::Integer(-i);
    }
    }
}

int VarCompare(const Value& a, const Value& b) {
    CheckOperand(a);
    CheckOperand(b);
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
    if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty()) && !(a.IsEmpty() && b.IsEmpty())) {
        const int c = a.AsString().compare(b.AsString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const Value x = NumericOperand(a, b);
    const Value y = NumericOperand(b, a);
    if (ArithKindOf(x) == TArith::Int && ArithKindOf(y) == TArith::Int)
        return Sign(x.AsInteger(), y.AsInteger());
    if (x.Kind() == VarKind::Currency && y.Kind() == VarKind::Currency)
        return Sign(x.AsCurrencyRaw(), y.AsCurrencyRaw());
    return Sign(x.AsFloat(), y.AsFloat());
}
