// The standard library, the registry, the report's own functions, arrays and constants, run
// through a parser whose function handler dispatches the way the report does.
#include "report/expr/VNStdFunctions.h"

#include "platform/Locale.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>

namespace {

AnsiString U(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

struct StdFunctionsFixture : ::testing::Test {
    TVNParser Parser;
    TVNVariables ReportVars;
    std::vector<AnsiString> Unknown;

    void SetUp() override {
        Parser.OnGetValue = [](const AnsiString& name, Value& v) {
            if (const Value* c = VNConstants().Find(name)) v = *c;
        };
        Parser.OnFunction = [this](const AnsiString& name, const TVNArguments& args, Value& result) {
            result = Value::String("");
            if (CallReportOwnFunction(name, args, result, Parser)) return;
            if (name == "SHOWMESSAGE") ShowMessageFunction(args, Parser);
            if (CallLibraryFunction(name, args, result, Parser)) return;
            if (CallArrayFunction(name, args, result, Parser, ReportVars)) return;
            Unknown.push_back(name);
        };
    }
};

TEST_F(StdFunctionsFixture, Functions) {
    const struct {
        const char* Expr;
        Value Expected;
    } cases[] = {
        {"LENGTH('abc')", Value::Integer(3)},
        {"UPPERCASE('aBc') + LOWERCASE('XyZ')", Value::String("ABCxyz")},
        {"NAMECASE('aBC')", Value::String("ABC")},
        {"NAMECASE('')", Value::String("")},
        {"POS('c', 'abcabc')", Value::Integer(3)},
        {"POS('z', 'abc')", Value::Integer(0)},
        {"TRIM('  a b  ')", Value::String("a b")},
        {"DIV(7, 2)", Value::Integer(3)},
        {"DIV(-7, 2)", Value::Integer(-3)},
        {"MAXNUM(3, 3)", Value::Float(3)},
        {"MAXNUM('3', 3)", Value::String("3")}, // equal: the first argument
        {"MINNUM(2, 5)", Value::Float(2)},
        {"YEAR(STRTODATE('2024-3-5')) * 10000 + MONTH(STRTODATE('2024-3-5')) * 100 + "
         "DAY(STRTODATE('2024-3-5'))",
         Value::Float(20240305)},
        {"DAY(Null)", Value::Null()},
        {"FORMATFLOAT('#,##0.00', 1234.5)", Value::String("1,234.50")},
        {"FORMATDATETIME('yyyy/mm/dd', STRTODATE('2024-3-5'))", Value::String("2024-03-05")},
        {"FORMATDATETIME('yyyy', Null)", Value::String("")},
        {"STRTOFLOAT('2.5') + 1", Value::Float(3.5)},
        {"STRTOFLOAT('')", Value::Byte(0)},
        {"STRTOINT('42')", Value::Integer(42)},
        {"STRTOINT('')", Value::Byte(0)},
        {"ABS(-2)", Value::Float(2)},
        {"EXTRACTFILEPATH('C:\\dir\\file.txt')", Value::String("C:\\dir\\")},
        {"StringOfChar('-', 5)", Value::String("-----")},
        {"StringOfChar('-', -5)", Value::String("")},
        {"MonthToEnglishShort(1)", Value::String("Jan")},
        {"MonthToEnglishLong(12)", Value::String("December")},
        {"MonthToEnglishShort(13)", Value::String("")},
        {"VNRound(2.345, 2)", Value::Float(2.35)}, // 四舍五入 on the decimal text
        {"VNRound(2.5, 0)", Value::Float(3)},
        {"VNRound(0.125, 2)", Value::Float(0.13)},
        {"VNRound(-1.005, 2)", Value::Float(-1.01)},
        {"VNRound(0.2, 0)", Value::Float(0)},
        {"clRed + 0", Value::Float(255)},
        {"vntaCenterJustify + mb_IconWarning", Value::Float(50)},
        {"GETCONTROLPROPVALUE('Form1', 'Caption')", Value::Integer(0)},
        {"SUM([Qty])", Value::String("")}, // aggregates need the band engine's hook
        {"NOSUCHFUNC(1)", Value::String("")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expr);
        Value v = Parser.Evaluate(c.Expr);
        if (c.Expected.Kind() == VarKind::Float)
            EXPECT_DOUBLE_EQ(v.AsFloat(), c.Expected.AsFloat());
        else
            EXPECT_EQ(v, c.Expected);
    }
    EXPECT_EQ(Unknown, std::vector<AnsiString>{"NOSUCHFUNC"});
    EXPECT_THROW(Parser.Evaluate("STRTOINT('x1')"), EConvertError);
    EXPECT_THROW(Parser.Evaluate("DIV(1, 0)"), EConvertError);
}

TEST_F(StdFunctionsFixture, ChineseTextFunctions) {
    EXPECT_EQ(Parser.Evaluate("CNUMBER(105)"), Value::String(U("一百零五")));
    EXPECT_EQ(Parser.Evaluate("CurrToBigNum(1.05)"), Value::String(U("壹圆零角伍分")));
    EXPECT_EQ(Parser.Evaluate("SmallToBig('1024')"), Value::String(U("壹零贰肆")));
    EXPECT_EQ(Parser.Evaluate("SinglNumToBig(1234.5, 2)"), Value::String(U("叁")));
}

TEST_F(StdFunctionsFixture, ArraysLiveInReportVariables) {
    Parser.Evaluate("SETARRAY(A, 2, 10)");
    EXPECT_EQ(ReportVars.GetVariable("Arr_A_2").AsFloat(), 10);
    EXPECT_EQ(Parser.Evaluate("A[2]").AsFloat(), 10);
    EXPECT_EQ(Parser.Evaluate("GETARRAY(A, 1 + 1)").AsFloat(), 10);
    Parser.Evaluate("SETARRAY(A, 'k', 'v')");
    EXPECT_EQ(ReportVars.GetVariable("Arr_A_k"), Value::String("v"));
    EXPECT_TRUE(Parser.Evaluate("A[3]").IsNull());
}

TEST_F(StdFunctionsFixture, BoxesGoThroughTheMessageService) {
    TScriptedMessageService service;
    TMessageServiceScope scope(service);
    service.ExpectInput(AnsiString("typed"));
    service.Expect(TMsgResult::Yes);
    EXPECT_EQ(Parser.Evaluate("INPUT('Name?', 'def')"), Value::String("typed"));
    EXPECT_EQ(Parser.Evaluate("MESSAGEBOX('Sure?', 'T', mb_YesNo + mb_IconQuestion)"), Value::Integer(6));
    EXPECT_EQ(Parser.Evaluate("INPUT('Name?', 'def')"), Value::String("def")); // cancelled: the default
    Parser.Evaluate("SHOWMESSAGE('hello ' + 'there')");
    ASSERT_EQ(service.Shown().size(), 4u);
    EXPECT_EQ(service.Shown()[1].Buttons, TMsgButtons::YesNo);
    EXPECT_EQ(service.Shown()[1].Icon, TMsgIcon::Question);
    EXPECT_EQ(service.Shown()[3].Text, "hello there");
}

TEST(FunctionLibraryRegistryTest, OneInstancePerClassInOrder) {
    struct TMyLibrary : TVNFunctionLibrary {
        TMyLibrary() { FunctionNames = {"Twice", "STRTOINT"}; }
        void DoFunction(int index, const TVNArguments& args, Value& result, TVNParser& parser) override {
            result = index == 0 ? Value::Float(2 * parser.Evaluate(args[0].AsString()).AsFloat())
                                : Value::Integer(-1);
        }
    };
    ASSERT_EQ(FunctionLibraryCount(), 1);
    auto* std = FunctionLibraryAt(0);
    ASSERT_NE(dynamic_cast<TVNStdFunctionLibrary*>(std), nullptr);
    EXPECT_EQ(std->FunctionNames.size(), 18u);
    EXPECT_EQ(std->FunctionNames[13], "CurrToBigNum");
    EXPECT_EQ(std->FunctionDescriptions.front().Description,
              U("Copy(<String>, <From>, <Count>)|返回<string>的子串."));
    EXPECT_EQ(std->FunctionDescriptions.front().Category, U("字符串"));

    AddFunctionLibrary<TMyLibrary>();
    AddFunctionLibrary<TMyLibrary>();
    EXPECT_EQ(FunctionLibraryCount(), 2);
    TVNParser parser;
    Value v;
    EXPECT_TRUE(CallLibraryFunction("TWICE", {Value::String("21")}, v, parser));
    EXPECT_EQ(v.AsFloat(), 42);
    EXPECT_TRUE(CallLibraryFunction("STRTOINT", {Value::String("7")}, v, parser)); // the first library wins
    EXPECT_EQ(v, Value::Integer(7));
    RemoveFunctionLibrary<TMyLibrary>();
    EXPECT_EQ(FunctionLibraryCount(), 1);
    EXPECT_FALSE(CallLibraryFunction("TWICE", {Value::String("1")}, v, parser));
}

TEST(ConstantsTest, Table) {
    const TVNVariables& c = VNConstants();
    EXPECT_TRUE(c.Sorted());
    EXPECT_EQ(c.GetVariable("CLRED"), Value::Integer(0xFF));
    EXPECT_EQ(c.GetVariable("clScrollBar"), Value::Integer(0x80000000LL));
    EXPECT_EQ(c.GetVariable("clInfoBk"), Value::Integer(0x80000018LL));
    EXPECT_EQ(c.GetVariable("psDouble"), Value::Integer(7));
    EXPECT_EQ(c.GetVariable("CRLF"), Value::String("\r\n"));
    EXPECT_TRUE(c.GetVariable("Null").IsNull());
    EXPECT_EQ(c.IndexOf("NoSuchConstant"), -1);
}

TEST(VariablesTest, ListOperations) {
    TVNVariables v;
    v.SetVariable("b", 1);
    v.SetVariable("A", 2);
    v.SetVariable("B", 3); // same name, any case: replaced
    EXPECT_EQ(v.Count(), 2);
    EXPECT_EQ(v.Name(0), "b");
    EXPECT_EQ(v.GetVariable("B"), Value::Integer(3));
    EXPECT_TRUE(v.GetVariable("none").IsNull());
    EXPECT_EQ(v.Value(5), Value::Integer(0));
    v.SetValue(5, 9); // ignored
    v.Insert(0, "c");
    EXPECT_EQ(v.Name(0), "c");
    EXPECT_EQ(v.Value(0), Value::Integer(0));
    v.Delete(1);
    EXPECT_EQ(v.IndexOf("b"), -1);
    TVNVariables w;
    w.Assign(v);
    EXPECT_EQ(w.Count(), 2);
    w.SetSorted(true);
    EXPECT_EQ(w.Name(0), "A");
    w.SetVariable("a0", 1);
    EXPECT_EQ(w.Name(1), "a0");
}

} // namespace

#include "report/expr/VNAggregate.h"

namespace {

TEST(AggregateCallTest, ArgumentsAndAccumulatorNames) {
    const struct {
        const char* Name;
        std::vector<const char*> Args;
        int Kind;
        const char* Band;
        const char* Key;
    } cases[] = {
        {"SUM", {"[Qty]"}, vnaSum, "", "Footer1\1\x0b\1[Qty]\1\1"},
        {"AVG", {"[Qty]", " MasterData1", " 1"}, vnaAvg, "MasterData1", "Footer1\1\x0e\1[Qty]\1 1\1"},
        {"COUNT",
         {"MasterData1", "1"},
         vnaCount,
         "MasterData1",
         "Footer1\1\x0f\1MasterData1\1"
         "1\1"},
        {"MIN", {"[Qty]", "Band1"}, vnaMin, "Band1", "Footer1\1\x0c\1[Qty]\1\1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TVNArguments args(VNMinArguments, Value::String(""));
        for (std::size_t i = 0; i < c.Args.size(); ++i)
            args[i] = Value::String(c.Args[i]);
        TVNAggregateCall call;
        ASSERT_TRUE(ParseAggregateCall(c.Name, args, call));
        EXPECT_EQ(call.Kind, c.Kind);
        EXPECT_EQ(call.BandName, c.Band);
        EXPECT_EQ(AggregateAccumulatorName("Footer1", call), c.Key);
    }
    TVNAggregateCall call;
    EXPECT_FALSE(ParseAggregateCall("TOTAL", TVNArguments(VNMinArguments), call));
    EXPECT_EQ(AggregateInitialValue(vnaMin).AsFloat(), 1e300);
    EXPECT_EQ(AggregateInitialValue(vnaSum).AsFloat(), 0);
    EXPECT_EQ(AggregateOutput(vnaAvg, Value::Float(10), 0).AsFloat(), 0); // AVG over no rows
    EXPECT_EQ(AggregateOutput(vnaAvg, Value::Float(10), 4).AsFloat(), 2.5);
    EXPECT_EQ(AggregateOutput(vnaMax, Value::Float(10), 4).AsFloat(), 10);
}

} // namespace
