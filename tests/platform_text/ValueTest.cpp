// The tagged value: conversions and the mixed-kind arithmetic and comparison rules report
// expressions rely on.
#include "platform/Value.h"
#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string Show(const Value& v) {
    try {
        return std::string(v.KindName()) + "(" + v.AsString() + ")";
    } catch (const EConvertError&) {
        return v.KindName();
    }
}

const Value B1 = Value::Byte(1);
const Value B0 = Value::Byte(0);

} // namespace

TEST(Value, ConvertsToText) {
    const std::pair<Value, const char*> cases[] = {
        {Value(), ""},
        {Value::Null(), ""},
        {Value::Byte(7), "7"},
        {Value(-42), "-42"},
        {Value(1.5), "1.5"},
        {Value(0.1 + 0.2), "0.3"},
        {Value(1e20), "1E20"},
        {Value::CurrencyRaw(15000), "1.5"},
        {Value::CurrencyRaw(-5), "-0.0005"},
        {Value::Currency(2.675), "2.675"},
        {Value::Boolean(true), "True"},
        {Value::DateTime(EncodeDate(2024, 1, 2) + 0.5), "2024-1-2 12:00:00"},
        {Value("abc"), "abc"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(v.AsString(), text) << v.KindName();
    EXPECT_THROW(Value::Array({1, 2}).AsString(), EConvertError);
}

TEST(Value, ConvertsToNumbersDatesAndBooleans) {
    EXPECT_EQ(Value(" 2.5 ").AsFloat(), 2.5);
    EXPECT_EQ(Value("2.5").AsInteger(), 2); // half to even
    EXPECT_EQ(Value(3.5).AsInteger(), 4);
    EXPECT_EQ(Value("12").AsInteger(), 12);
    EXPECT_EQ(Value::CurrencyRaw(25000).AsInteger(), 2);
    EXPECT_EQ(Value::CurrencyRaw(-35000).AsInteger(), -4);
    EXPECT_EQ(Value(1.23456).AsCurrencyRaw(), 12346);
    EXPECT_EQ(Value(7).AsCurrencyRaw(), 70000);
    EXPECT_EQ(Value().AsFloat(), 0);
    EXPECT_EQ(Value::Boolean(true).AsInteger(), -1);
    EXPECT_EQ(Value("2024-1-2").AsDateTime(), EncodeDate(2024, 1, 2));
    EXPECT_EQ(Value(45293).AsDateTime(), 45293);

    const std::pair<Value, bool> booleans[] = {{Value("TRUE"), true}, {Value(" false "), false},
                                               {Value("0"), false},   {Value("2"), true},
                                               {Value(0.0), false},   {B1, true},
                                               {Value(), false},      {Value::CurrencyRaw(1), true}};
    for (const auto& [v, b] : booleans)
        EXPECT_EQ(v.AsBoolean(), b) << Show(v);

    Locale().DecimalSeparator = ',';
    EXPECT_EQ(Value("2,5").AsFloat(), 2.5);
    ResetLocale();

    try {
        Value("abc").AsFloat();
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "\"abc\" is not a valid floating point value");
    }
    EXPECT_THROW(Value("yes").AsBoolean(), EConvertError);
    EXPECT_THROW(Value("abc").AsInteger(), EConvertError);
    EXPECT_THROW(Value("2024-13-1").AsDateTime(), EConvertError);
    EXPECT_THROW(Value::Null().AsFloat(), EConvertError);
    EXPECT_THROW(Value(1e30).AsInteger(), EConvertError);
    EXPECT_THROW(Value(1).AsArray(), EConvertError);
    EXPECT_THROW(Value(1).AsRecordSet(), EConvertError);
    EXPECT_EQ(Value::Array({1, "a"}).AsArray().size(), 2u);
}

TEST(Value, MixedKindArithmetic) {
    const double day = EncodeDate(2024, 1, 2);
    struct Case {
        const char* Name;
        Value (*Op)(const Value&, const Value&);
        Value A, B, Expected;
    };
    const Case cases[] = {
        {"int + int", VarAdd, 2, 3, Value::Integer(5)},
        {"comparisons add up as counts", VarAdd, B1, B1, Value::Integer(2)},
        {"byte + int", VarAdd, B1, 41, Value::Integer(42)},
        {"byte 255 + 1 does not wrap", VarAdd, Value::Byte(255), B1, Value::Integer(256)},
        {"int + float", VarAdd, 1, 0.5, Value(1.5)},
        {"numeric string + int", VarAdd, "2", 3, Value::Integer(5)},
        {"decimal string + int", VarAdd, "2.5", 1, Value(3.5)},
        {"int + numeric string", VarMul, 4, " 2.5 ", Value(10.0)},
        {"string + string concatenates", VarAdd, "2", "3", Value("23")},
        {"string + empty", VarAdd, "ab", Value(), Value("ab")},
        {"empty + int", VarAdd, Value(), 4, Value::Integer(4)},
        {"string - string subtracts numbers", VarSub, "5", "2", Value::Integer(3)},
        {"date + int stays date", VarAdd, Value::DateTime(day), 1, Value::DateTime(day + 1)},
        {"int + date stays date", VarAdd, 1, Value::DateTime(day), Value::DateTime(day + 1)},
        {"date - float stays date", VarSub, Value::DateTime(day), 0.5, Value::DateTime(day - 0.5)},
        {"date - date text is a number", VarSub, Value::DateTime(day + 1), "2024-1-2", Value(1.0)},
        {"date - date is a number", VarSub, Value::DateTime(day + 3), Value::DateTime(day), Value(3.0)},
        {"null + int", VarAdd, Value::Null(), 1, Value::Null()},
        {"string + null", VarAdd, "a", Value::Null(), Value::Null()},
        {"null * float", VarMul, 2.0, Value::Null(), Value::Null()},
        {"currency + int", VarAdd, Value::CurrencyRaw(15000), 1, Value::CurrencyRaw(25000)},
        {"currency * currency", VarMul, Value::CurrencyRaw(15000), Value::CurrencyRaw(15000),
         Value::CurrencyRaw(22500)},
        {"currency + float", VarAdd, Value::CurrencyRaw(15000), 0.25, Value(1.75)},
        {"int overflow becomes float", VarMul, INT64_MAX, 2, Value(2.0 * 9223372036854775807.0)},
        {"int sum overflow becomes float", VarAdd, INT64_MAX, 1, Value(9223372036854775808.0)},
        {"int difference overflow becomes float", VarSub, INT64_MIN, 1, Value(-9223372036854775808.0)},
        {"currency - currency", VarSub, Value::CurrencyRaw(15000), Value::CurrencyRaw(2500),
         Value::CurrencyRaw(12500)},
        {"currency sum overflow becomes float", VarAdd, Value::CurrencyRaw(INT64_MAX), Value::CurrencyRaw(1),
         Value(922337203685477.5807 + 0.0001)},
        {"currency difference overflow becomes float", VarSub, Value::CurrencyRaw(INT64_MIN),
         Value::CurrencyRaw(1), Value(-922337203685477.5808 - 0.0001)},
        {"int - int", VarSub, 2, 5, Value::Integer(-3)},
        {"bool counts -1", VarAdd, Value::Boolean(true), 1, Value::Integer(0)},
        {"div is always float", VarDiv, 7, 2, Value(3.5)},
        {"div of strings", VarDiv, "1", "4", Value(0.25)},
        {"div by null", VarDiv, 1, Value::Null(), Value::Null()},
        {"mod", VarMod, 7, 3, Value::Integer(1)},
        {"mod negative", VarMod, -7, 3, Value::Integer(-1)},
        {"mod rounds floats half to even", VarMod, 7.5, 3, Value::Integer(2)},
        {"mod by -1 of the smallest int", VarMod, INT64_MIN, -1, Value::Integer(0)},
        {"mod with null", VarMod, Value::Null(), 3, Value::Null()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Op(c.A, c.B), c.Expected) << c.Name << ": got " << Show(c.Op(c.A, c.B));

    EXPECT_TRUE(std::isinf(VarDiv(1, 0).AsFloat())); // the caller decides what a zero divisor means
    EXPECT_THROW(VarMod(1, 0), EConvertError);
    EXPECT_THROW(VarAdd("abc", 1), EConvertError);
    EXPECT_THROW(VarSub("a", "b"), EConvertError);
    EXPECT_THROW(VarAdd(Value::Array({}), 1), EConvertError);
}

TEST(Value, Negation) {
    const std::pair<Value, Value> cases[] = {
        {Value(5), Value::Integer(-5)},
        {B1, Value::Integer(-1)},
        {Value(1.5), Value(-1.5)},
        {Value("2"), Value::Integer(-2)},
        {Value::CurrencyRaw(5), Value::CurrencyRaw(-5)},
        {Value::DateTime(2), Value::DateTime(-2)},
        {Value::Null(), Value::Null()},
        {Value(INT64_MIN), Value(9223372036854775808.0)},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(VarNeg(in), out) << Show(in);
    EXPECT_THROW(VarNeg("x"), EConvertError);
}

TEST(Value, Comparison) {
    struct Case {
        Value A, B;
        int Sign;
    };
    const Case cases[] = {
        {1, 2, -1},
        {2, 1.5, 1},
        {"10", 9, 1},    // numeric string with a number compares as numbers
        {"10", "9", -1}, // two strings compare as text
        {"abc", "abd", -1},
        {"a", Value(), 1},           // empty is ""
        {Value(), 0, 0},             // ... or 0
        {Value::Null(), -1e300, -1}, // null sorts first
        {Value::Null(), Value::Null(), 0},
        {"", Value::Null(), 1},
        {B1, Value(1), 0},
        {Value::CurrencyRaw(15000), 1.5, 0},
        {Value::DateTime(EncodeDate(2024, 1, 2)), Value::DateTime(EncodeDate(2024, 1, 1)), 1},
        {INT64_MAX, INT64_MAX - 1, 1},                            // not blurred by a trip through double
        {Value::DateTime(EncodeDate(2024, 1, 2)), "2024-1-2", 0}, // a date text meets a date-time
        {"2024-1-3 8:00", Value::DateTime(EncodeDate(2024, 1, 3)), 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarCompare(c.A, c.B), c.Sign) << Show(c.A) << " vs " << Show(c.B);
    EXPECT_THROW(VarCompare("abc", 1), EConvertError);
}

TEST(Value, StrictIdentity) {
    EXPECT_EQ(Value(1), Value::Integer(1));
    EXPECT_NE(Value(1), Value::Byte(1));
    EXPECT_NE(Value(1), Value(1.0));
    EXPECT_EQ(Value::Array({1, "a"}), Value::Array({1, "a"}));
    EXPECT_NE(Value("a"), Value("b"));
    EXPECT_EQ(Value(), Value());
}
