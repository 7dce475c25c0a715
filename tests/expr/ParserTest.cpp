// The expression parser: precedence, operators, literals, the built-in functions, handlers and
// the lexical readers it shares with the splitter and the script compiler.
#include "report/expr/VNParser.h"
#include "report/VNEngineState.h"

#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A parser whose handlers answer from small tables and record what reached them.
struct ParserFixture : ::testing::Test {
    TVNParser Parser;
    std::map<AnsiString, Value> Names;
    std::vector<AnsiString> AskedNames, AskedFunctions;
    std::vector<TVNArguments> FunctionArgs;

    void SetUp() override {
        Parser.OnGetValue = [this](const AnsiString& name, Value& v) {
            AskedNames.push_back(name);
            auto it = Names.find(name);
            if (it != Names.end()) v = it->second;
        };
        Parser.OnFunction = [this](const AnsiString& name, const TVNArguments& args, Value& v) {
            AskedFunctions.push_back(name);
            FunctionArgs.push_back(args);
            if (name == "BOOM") throw EConvertError("evaluated a branch that must stay lazy");
            if (name == "TWICE") v = Value::Float(2 * Parser.Evaluate(args[0].AsString()).AsFloat());
        };
    }
};

TEST_F(ParserFixture, ArithmeticAndPrecedence) {
    const struct {
        const char* Expr;
        double Expected;
    } cases[] = {
        {"2 + 3 * 4", 14},
        {"(2 + 3) * 4", 20},
        {"10 - 4 - 3", 3},
        {"2*3+4*5", 26},
        {"100 / 10 / 2", 5},
        {"7 / 0", 0},
        {"7 MOD 3", 1},
        {"7 mod 3 * 2", 2},
        {"INT(-2.5)", -2},
        {"INT(2.99999999999999)", 3},
        {"FRAC(2.9999999999999)", 0},
        {"FRAC(2.25)", 0.25},
        {"ROUND(2.5)", 2},
        {"ROUND(3.5)", 4},
        {"round(-2.5)", -2},
        {"(1 = 1) + (2 = 2)", 2},
        {"2 * -3", -6},
        {"4 + -1", 3},
        {"-2 * 3", -6},
        {"2 - -3 + 1", 6},
        {"-(2 + 3)", -5},
        {"+5", 5},
        {"2 * -3 + 1", -5},
        {"1,5 + 1.5", 3},
        {"x;y", 0},
        {"1 + 2; 3", 3},
        {"", 0},
        {"  \r\n ", 0},
        {"NOT 0", 1},
        {"NOT 5", 0},
        {"2 * NOT 0", 2},
        {"1 OR 1", 2},
        {"3 AND 2", 6},
        {"INT 2.5 + 1", 3},
        {"3 >= 3", 1},
        {"3 <= 2", 0},
        {"3 <> 2", 1},
        {"2 < 3", 1},
        {"2 > 3", 0},
        {"TRUE + true", 2},
        {"false", 0},
        {"2 +\t3", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expr);
        EXPECT_DOUBLE_EQ(Parser.Evaluate(c.Expr).AsFloat(), c.Expected);
    }
}

TEST_F(ParserFixture, ResultKinds) {
    EXPECT_EQ(Parser.Evaluate("1 = 1"), Value::Byte(1));
    EXPECT_EQ(Parser.Evaluate("1 = 2"), Value::Byte(0));
    EXPECT_EQ(Parser.Evaluate("ROUND(2.5)"), Value::Integer(2));
    EXPECT_EQ(Parser.Evaluate("INT(2.5)").Kind(), VarKind::Float);
    EXPECT_EQ(Parser.Evaluate("7 / 0"), Value::Float(0));
    EXPECT_EQ(Parser.Evaluate(""), Value::Byte(0));
    EXPECT_EQ(Parser.Evaluate("STR(2.5)"), Value::String("2.5"));
    EXPECT_EQ(Parser.Evaluate("STRTODATE('2024-3-5')"), Value::DateTime(EncodeDate(2024, 3, 5)));
    EXPECT_EQ(Parser.Evaluate("STRTOTIME('12:00:00')"), Value::DateTime(0.5));
}

TEST_F(ParserFixture, StringsAndCopy) {
    const struct {
        const char* Expr;
        const char* Expected;
    } cases[] = {
        {"'It''s'", "It's"},
        {"'a' + 'b'", "ab"},
        {"COPY('abcdef', 2, 3)", "bcd"},
        {"copy('abcdef', 5, 10)", "ef"},
        {"COPY('abcdef', 9, 2)", ""},
        {"COPY('a,(b)', 1, 4)", "a,(b"},
        {"COPY('abc' + 'def', 1 + 1, 2)", "bc"},
        {"IF(1 = 1, 'yes', 1/0)", "yes"},
        {"IF(0, BOOM(1), 'no')", "no"},
        {"IF(1, 'yes', BOOM(1))", "yes"},
        {"'unclosed", "unclosed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expr);
        EXPECT_EQ(Parser.Evaluate(c.Expr), Value::String(c.Expected));
    }
    EXPECT_TRUE(AskedFunctions.empty());
}

TEST_F(ParserFixture, NamesReachTheHandlerUpperCasedUnlessBracketed) {
    Names["TABLE.AMOUNT"] = 5;
    Names["Table.Amount"] = 7;
    EXPECT_EQ(Parser.Evaluate("Table.Amount").AsInteger(), 5);
    EXPECT_EQ(Parser.Evaluate("[Table.Amount]").AsInteger(), 7);
    Parser.Evaluate("\"Data Set\".\"Field name\" + %xname");
    Parser.Evaluate("[a [b] 'c]' \"d]\"]");
    EXPECT_EQ(AskedNames,
              (std::vector<AnsiString>{"TABLE.AMOUNT", "Table.Amount", "\"DATA SET\".\"FIELD NAME\"",
                                       "%XNAME", "a [b] 'c]' \"d]\""}));
}

TEST_F(ParserFixture, AndBindsTighterThanComparison) {
    // «[A] = 1 AND [B] = 2» means «([A] = (1 AND [B])) = 2».
    Names["A"] = 2;
    Names["B"] = 2;
    EXPECT_EQ(Parser.Evaluate("[A] = 1 AND [B] = 2").AsInteger(), 0);
    EXPECT_EQ(Parser.Evaluate("([A] = 2) AND ([B] = 2)").AsInteger(), 1);
    Names["A"] = 0; // (0 = (1 AND 2)) = 0, then 0 = 2 gives 0 ... and with B = 0: (0 = 0) = 2 -> 0
    Names["B"] = 0;
    EXPECT_EQ(Parser.Evaluate("[A] = 1 AND [B] = 1").AsInteger(), 1); // ((0 = 0) = 1)
}

TEST_F(ParserFixture, UnknownNamesAndFunctionsWithoutHandlersAreEmpty) {
    TVNParser bare;
    EXPECT_TRUE(bare.Evaluate("Nobody").IsEmpty());
    EXPECT_TRUE(bare.Evaluate("[Nobody]").IsEmpty());
    EXPECT_TRUE(bare.Evaluate("NOFUNC(1, 2)").IsEmpty());
    EXPECT_TRUE(bare.Evaluate("A[2]").IsEmpty());
    EXPECT_TRUE(Parser.Evaluate("[Missing]").IsEmpty());
}

TEST_F(ParserFixture, FunctionsGetUpperCasedNameAndRawArgumentTexts) {
    EXPECT_EQ(Parser.Evaluate("twice(1 + 2) + 1").AsFloat(), 7);
    Parser.Evaluate("Sum([Qty], MasterData1, 'a,b')");
    ASSERT_EQ(AskedFunctions.back(), "SUM");
    const TVNArguments& args = FunctionArgs.back();
    ASSERT_EQ(args.size(), VNMinArguments);
    EXPECT_EQ(args[0], Value::String("[Qty]"));
    EXPECT_EQ(args[1], Value::String(" MasterData1"));
    EXPECT_EQ(args[2], Value::String(" 'a,b'"));
    EXPECT_EQ(args[10], Value::String(""));

    Parser.Evaluate("F(1,2,3,4,5,6,7,8,9,10,11,12,13)"); // more than eleven arguments: the array grows
    EXPECT_EQ(FunctionArgs.back().size(), 13u);
    EXPECT_EQ(FunctionArgs.back()[12], Value::String("13"));

    Parser.Evaluate("Arr[1 + 1]"); // a name with an index reads an array element
    EXPECT_EQ(AskedFunctions.back(), "GETARRAY");
    EXPECT_EQ(FunctionArgs.back()[0], Value::String("Arr"));
    EXPECT_EQ(FunctionArgs.back()[1], Value::String(" 1 + 1"));

    // A blank between the name and "(" makes it a plain operand followed by a group.
    AskedNames.clear();
    Parser.Evaluate("F (1)");
    EXPECT_EQ(AskedNames, std::vector<AnsiString>{"F"});
}

TEST_F(ParserFixture, CompiledForm) {
    EXPECT_EQ(Parser.Compile("[Qty] * [Price] + 1"), "[Qty] [Price] *1 +");
    EXPECT_EQ(Parser.Compile("a >= b AND c"), AnsiString("a b c ") + VNOp::And + VNOp::GreaterEqual);
    EXPECT_EQ(Parser.Compile("COPY(x, 1, 2) + 1"), "COPY(x, 1, 2)1 +");
    EXPECT_EQ(Parser.Compile("-a"), AnsiString("a ") + VNOp::UnaryMinus);
    EXPECT_EQ(Parser.Compile("[open"), "[open] ");
    AnsiString compiled = Parser.Compile("(2 + 3) * 4");
    EXPECT_EQ(Parser.EvaluateCompiled(compiled).AsFloat(), 20);
    EXPECT_EQ(Parser.EvaluateCompiled(compiled).AsFloat(), 20);
}

TEST_F(ParserFixture, ErrorsAreRaisedNotSwallowed) {
    EXPECT_THROW(Parser.Evaluate("COPY('abc', 1, 2"), EVNParserError); // missing ")"
    try {
        Parser.Evaluate("F(1");
    } catch (const EVNParserError& e) {
        EXPECT_STREQ(e.what(), "");
    }
    EXPECT_THROW(Parser.Evaluate("1 +"), EVNParserError);
    EXPECT_THROW(Parser.Evaluate("*"), EVNParserError);
    EXPECT_THROW(Parser.Evaluate("'abc' * 2"), EConvertError);
    EXPECT_THROW(Parser.Evaluate("1.2.3"), EConvertError);
    EXPECT_THROW(Parser.Evaluate("COPY('abc', 1.5, 2)"), EConvertError);
    EXPECT_THROW(Parser.Evaluate("7 MOD 0"), EConvertError);
    AnsiString deep;
    for (int i = 0; i < 400; ++i)
        deep += "IF(1,";
    deep += "1";
    for (int i = 0; i < 400; ++i)
        deep += ",0)";
    EXPECT_THROW(Parser.Evaluate(deep), EVNParserError);
    // Many pending values: the stack grows.
    AnsiString wide;
    for (int i = 0; i < 30; ++i)
        wide += "(1 + ";
    wide += "1";
    for (int i = 0; i < 30; ++i)
        wide += ")";
    EXPECT_EQ(Parser.Evaluate(wide).AsFloat(), 31);
}

TEST_F(ParserFixture, NullPropagatesThroughArithmetic) {
    Names["N"] = Value::Null();
    EXPECT_TRUE(Parser.Evaluate("[N] + 1").IsNull());
    EXPECT_TRUE(Parser.Evaluate("INT([N])").IsNull());
    EXPECT_EQ(Parser.Evaluate("STR([N])"), Value::String(""));
    EXPECT_TRUE(Parser.Evaluate("[N] / 0").IsNull() || Parser.Evaluate("[N] / 0") == Value::Float(0));
}

TEST(FindBracketedExpressionTest, Cases) {
    const struct {
        const char* Text;
        int Start;
        bool Found;
        const char* Inner;
        int Open, Close;
    } cases[] = {
        {"Total: [Qty] pcs", 1, true, "Qty", 8, 12},
        {"[a[b]c] tail", 1, true, "a[b]c", 1, 7},
        {"['x]' + \"y]\"]", 1, true, "'x]' + \"y]\"", 1, 13},
        {"[\"it's]\"]", 1, true, "\"it's]\"", 1, 9},
        {"x [open", 1, true, "open", 3, 8},
        {"[a] [b]", 4, true, "b", 5, 7},
        {"no group", 1, false, "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        AnsiString inner;
        int open = 0, close = 0;
        ASSERT_EQ(FindBracketedExpression(c.Text, c.Start, inner, open, close), c.Found);
        if (!c.Found) continue;
        EXPECT_EQ(inner, c.Inner);
        EXPECT_EQ(open, c.Open);
        EXPECT_EQ(close, c.Close);
    }
    TScopedValue measuring(VNState().BracketMeasuring, true);
    AnsiString inner = "x";
    int open = 0, close = 0;
    EXPECT_TRUE(FindBracketedExpression("[Qty]", 1, inner, open, close));
    EXPECT_EQ(inner, "");
    EXPECT_EQ(close, 5);
    TVNParser parser; // the parser's own names are not blanked by the measuring mode
    std::vector<AnsiString> asked;
    parser.OnGetValue = [&](const AnsiString& n, Value&) { asked.push_back(n); };
    parser.Evaluate("[Qty]");
    EXPECT_EQ(asked, std::vector<AnsiString>{"Qty"});
}

} // namespace
