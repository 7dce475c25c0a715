// Display formats: every category and kind, inline formats, the format editor model and the
// Chinese number texts.
#include "report/expr/VNChineseNumber.h"
#include "report/expr/VNFormat.h"

#include "platform/Locale.h"

#include <gtest/gtest.h>

namespace {

AnsiString U(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

double Sample() {
    return EncodeDate(1998, 11, 15) + EncodeTime(2, 43, 35, 0);
}

TEST(FormatValueTest, EveryCategoryAndKind) {
    const struct {
        Value V;
        int Code;
        const char* Text;
        const char* Expected; // UTF-8
    } cases[] = {
        // text
        {Value::Float(2.5), MakeFormatCode(0, 0, 2, '.'), "", "2.5"},
        {Value::Float(1.0 / 3), MakeFormatCode(0, 0, 2, '.'), "", "0.33333333"},
        {Value::Float(1e20), MakeFormatCode(0, 0, 2, '.'), "", "1E20"},
        {Value::Float(-1e300), MakeFormatCode(0, 0, 2, '.'), "", "-1E300"},
        {Value::Float(1.7976931348623157e308), MakeFormatCode(0, 0, 2, '.'), "", "1.79769313486232E308"},
        {Value::Float(123456789012345.0), MakeFormatCode(0, 0, 2, '.'), "", "123456789012345"},
        {Value::Integer(3), MakeFormatCode(0, 0, 2, '.'), "", "3"},
        {Value::String("abc"), MakeFormatCode(0, 0, 2, '.'), "", "abc"},
        {Value::Null(), MakeFormatCode(0, 0, 2, '.'), "", ""},
        {Value(), MakeFormatCode(1, 1, 2, '.'), "", ""},
        {Value::String("   "), MakeFormatCode(1, 1, 2, '.'), "", ""},
        // number
        {Value::Float(1234.5), MakeFormatCode(1, 0, 2, '.'), "", "1234.5"},
        {Value::Float(1234.5), MakeFormatCode(1, 1, 2, '.'), "", "1234.50"},
        {Value::Float(1234.5), MakeFormatCode(1, 2, 2, '.'), "", "1,234.5"},
        {Value::Float(1234.5), MakeFormatCode(1, 3, 2, '.'), "", "1,234.50"},
        {Value::Float(1234.5), MakeFormatCode(1, 1, 2, ','), "", "1234,50"},
        {Value::Float(1234.567), MakeFormatCode(1, 4, 0, '.'), "#,##0.00", "1,234.57"},
        {Value::String("12.5"), MakeFormatCode(1, 1, 1, '.'), "", "12.5"},
        {Value::String("abc"), MakeFormatCode(1, 1, 2, '.'), "", "abc"}, // does not convert: plain text
        {Value::Float(1), MakeFormatCode(1, 5, 2, '.'), "", ""},         // kind the editor never writes
        {Value::Float(1), MakeFormatCode(5, 0, 2, '.'), "", ""},         // category likewise
        // date
        {Value::DateTime(Sample()), MakeFormatCode(2, 0, 0, 0), "", "98.11.15"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 1, 0, 0), "", "1998.11.15"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 2, 0, 0), "", "1998年11月15日"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 3, 0, 0), "", "1998 11 15"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 4, 0, 0), "", "1998/11/15"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 5, 0, 0), "", "星期日 1998 11 15"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 6, 0, 0), "", "星期日 1998年11月15日"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 7, 0, 0), "yyyy-m-d", "1998-11-15"},
        {Value::DateTime(Sample()), MakeFormatCode(2, 9, 0, 0), "yy/m", "98/11"},
        {Value::String("not a date"), MakeFormatCode(2, 1, 0, 0), "", "not a date"},
        // time
        {Value::DateTime(Sample()), MakeFormatCode(3, 0, 0, 0), "", "02:43:35"},
        {Value::DateTime(Sample()), MakeFormatCode(3, 1, 0, 0), "", "2:43:35"},
        {Value::DateTime(Sample()), MakeFormatCode(3, 2, 0, 0), "", "02:43"},
        {Value::DateTime(Sample()), MakeFormatCode(3, 3, 0, 0), "", "2:43"},
        {Value::DateTime(Sample()), MakeFormatCode(3, 4, 0, 0), "h'时'nn'分'", "2时43分"},
        // boolean
        {Value::Boolean(true), MakeFormatCode(4, 0, 0, 0), "", "1"},
        {Value::Boolean(true), MakeFormatCode(4, 1, 0, 0), "", "是"},
        {Value::Boolean(false), MakeFormatCode(4, 1, 0, 0), "", "否"},
        {Value::Integer(0), MakeFormatCode(4, 2, 0, 0), "", "_"},
        {Value::Byte(1), MakeFormatCode(4, 3, 0, 0), "", "真"},
        {Value::Integer(5), MakeFormatCode(4, 4, 0, 0), "no;yes", "yes"},
        {Value::Integer(5), MakeFormatCode(4, 4, 0, 0), "ticked", "ticked"},
        {Value::Integer(0), MakeFormatCode(4, 4, 0, 0), "ticked", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        EXPECT_EQ(FormatValue(c.V, c.Code, U(c.Text)), U(c.Expected));
    }
    EXPECT_EQ(Locale().DecimalSeparator, '.'); // restored after every call
    EXPECT_EQ(Locale().DateSeparator, '-');
}

TEST(FormatValueTest, BooleanTextIsCutAt255Bytes) {
    AnsiString longText = "f;" + AnsiString(300, 'x');
    EXPECT_EQ(FormatValue(Value::Integer(1), MakeFormatCode(4, 4, 0, 0), longText), AnsiString(255, 'x'));
}

TEST(FormatValueTest, SlashAlwaysPrintsSlash) {
    double d = EncodeDate(2024, 3, 5);
    EXPECT_EQ(FormatDateText("yyyy/mm/dd", d), "2024/03/05");
    EXPECT_EQ(FormatDateText("yyyy.mm.dd", d), "2024.03.05");
    EXPECT_EQ(Locale().DateSeparator, '-');
}

TEST(SplitInlineFormatTest, FirstCharacterChoosesTheCode) {
    const int viewCode = MakeFormatCode(0, 0, 2, '.');
    const struct {
        const char* Group;
        const char* Expr;
        int Code;
        const char* Text;
    } cases[] = {
        {"X #0.00", "X", MakeFormatCode(1, 4, 0, '.'), ".00"},
        {"X #N0.00", "X", MakeFormatCode(1, 4, 0, '.'), "0.00"},
        {"[Date] #Dyyyy/mm/dd", "[Date]", MakeFormatCode(2, 7, 0, 0), "yyyy/mm/dd"},
        {"T #thh:nn", "T", MakeFormatCode(3, 4, 0, 0), "hh:nn"},
        {"B #bNo;Yes", "B", MakeFormatCode(4, 4, 0, 0), "No;Yes"},
        {"X #zzz", "X", viewCode, "zzz"},
        {"A #B #C", "A", MakeFormatCode(4, 4, 0, 0), " #C"},
        {"Plain", "Plain", viewCode, "view"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Group);
        AnsiString expr, text = "view";
        int code = viewCode;
        SplitInlineFormat(c.Group, expr, code, text);
        EXPECT_EQ(expr, c.Expr);
        EXPECT_EQ(code, c.Code);
        EXPECT_EQ(text, c.Text);
    }
    AnsiString expr, text;
    int code = 0;
    SplitInlineFormat("[D] #Dyyyy/mm/dd", expr, code, text);
    EXPECT_EQ(FormatValue(Value::DateTime(EncodeDate(2024, 3, 5)), code, text), "2024/03/05");
}

TEST(FormatEditorModelTest, OpenEditConfirm) {
    TVNFormatEditorModel m;
    m.Open(MakeFormatCode(1, 2, 3, '.'), "custom");
    EXPECT_EQ(m.Category(), 1);
    EXPECT_EQ(m.Kind(), 2);
    EXPECT_EQ(m.Kinds().size(), 5u);
    EXPECT_TRUE(m.DecimalsEnabled());
    EXPECT_FALSE(m.FormatEnabled());
    EXPECT_EQ(m.DecimalDigits, "3");
    EXPECT_EQ(m.FracDelimiter, ".");
    EXPECT_EQ(m.ResultCode(), MakeFormatCode(1, 2, 3, '.'));

    m.SetKind(4); // 自定义
    EXPECT_TRUE(m.FormatEnabled());
    m.Format = "#,##0.000";
    m.DecimalDigits = "x"; // not a number: 0 places
    m.FracDelimiter = "";  // empty: ","
    EXPECT_EQ(m.ResultCode(), MakeFormatCode(1, 4, 0, ','));
    EXPECT_EQ(m.ResultText(), "#,##0.000");

    m.SetCategory(2);
    EXPECT_EQ(m.Kind(), 0);
    EXPECT_EQ(m.Kinds().size(), 8u);
    EXPECT_FALSE(m.DecimalsEnabled());
    EXPECT_EQ(m.ResultText(), "custom"); // the custom text is only taken while "Format" is enabled

    const size_t sizes[] = {1, 5, 8, 5, 5};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(TVNFormatEditorModel::KindNames(c).size(), sizes[c]);
    m.Open(MakeFormatCode(2, 9, 0, 0), "yy"); // any date kind above 6 is the custom one
    EXPECT_EQ(m.Kind(), 7);
    EXPECT_TRUE(m.FormatEnabled());
    EXPECT_EQ(TVNFormatEditorModel::CategoryNames()[4], U("布尔"));
}

TEST(ChineseNumberTest, LowerCaseNumerals) {
    const struct {
        const char* In;
        const char* Out;
    } cases[] = {
        {"10", "十"},
        {"12", "十二"},
        {"105", "一百零五"},
        {"112", "一百一十二"},
        {"1000", "一千"},
        {"100000", "十万"},
        {"1000000", "一百万"},
        {"100000000", "一亿"},
        {"1005000", "一百万零五千"},
        {"1010000", "一百零一万"},
        {"100010000", "一亿零一万"},
        {"120500", "十二万零五百"},
        {"10.5", "十点五"},
        {"3.05", "三点零五"},
        {"-12", "负一十二"},
        {"0", "零"},
        {"0.5", "零点五"},
        {"-0.5", "负零点五"},
        {"1.25", "一点二五"},
        {"2.999", "三"},
        {"1000000000", "十亿"},
        {"12300000005", "一百二十三亿零五"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.In);
        EXPECT_EQ(NumberToChineseText(c.In), U(c.Out));
    }
    EXPECT_THROW(NumberToChineseText("abc"), EConvertError);
}

TEST(ChineseNumberTest, CapitalMoney) {
    const struct {
        double Amount;
        const char* Out;
    } cases[] = {
        {1.00, "壹圆整"},
        {1.50, "壹圆伍角整"},
        {1.05, "壹圆零角伍分"},
        {1005, "壹仟零伍圆整"},
        {100001, "壹拾万零壹圆整"},
        {0, "零整"},
        {-2, "负贰圆整"},
        {10, "壹拾圆整"},
        {1010, "壹仟零壹拾圆整"},
        {100000001, "壹亿零壹圆整"},
        {10000, "壹万圆整"},
        {0.5, "伍角整"},
        {12.345, "壹拾贰圆叁角肆分伍厘"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Amount);
        EXPECT_EQ(AmountToChineseCapitals(Value::Currency(c.Amount).AsCurrencyRaw()), U(c.Out));
    }
}

TEST(ChineseNumberTest, CapitalDigits) {
    EXPECT_EQ(DigitsToChineseCapitals(" 1024 "), U("壹零贰肆"));
    EXPECT_THROW(DigitsToChineseCapitals("10a"), EConvertError);
    const struct {
        double Number;
        int N;
        const char* Out;
    } cases[] = {
        {1234.5, 2, "叁"},  {1234.5, 1, "肆"}, {1234.5, 4, "壹"}, {1234.5, 5, ""}, {1234.5, 0, ""},
        {1234.5, -1, "伍"}, {1234.5, -2, ""},  {1234, 1, "肆"},   {-12, 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.N);
        EXPECT_EQ(DigitToChineseCapital(c.Number, c.N), U(c.Out));
    }
}

} // namespace
