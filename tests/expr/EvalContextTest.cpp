// Name resolution and function dispatch without the band engine: order of the steps, the
// recursion guard, run variables and INC/DEC.
#include "report/expr/VNEvalContext.h"

#include <gtest/gtest.h>

namespace {

struct EvalContextFixture : ::testing::Test {
    TVNEvalContext Context;
    void TearDown() override { EngineVariables().Clear(); }
};

TEST_F(EvalContextFixture, ResolutionOrder) {
    EngineVariables().SetVariable("Title", Value::String("M"));
    Context.RunVariables.SetVariable("Title", Value::String("run"));
    Context.RunVariables.SetVariable("Local", 5);
    EXPECT_EQ(Context.Evaluate("[Title]"), Value::String("M")); // engine-wide before run variables
    EXPECT_EQ(Context.Evaluate("[Local] + 1").AsFloat(), 6);
    EXPECT_EQ(Context.Evaluate("clRed"), Value::Integer(255));

    Context.OnGetValue = [](const AnsiString& name, Value& v) {
        if (name == "Title") v = Value::String("event");
    };
    EXPECT_EQ(Context.Evaluate("[Title]"), Value::String("event")); // the event comes first

    // A name nobody knows is evaluated as an expression.
    EXPECT_EQ(Context.Evaluate("[2 + 3]").AsFloat(), 5);
    EXPECT_EQ(Context.Evaluate("[Local * 2]").AsFloat(), 10);
}

TEST_F(EvalContextFixture, SelfReferenceEndsAsNull) {
    EXPECT_TRUE(Context.Evaluate("[Nobody]").IsNull());
    EngineVariables().SetVariable("Expr", Value::String("[Expr]"));
    EXPECT_EQ(Context.Evaluate("[Expr]"), Value::String("[Expr]")); // a variable's value is not re-evaluated
}

TEST_F(EvalContextFixture, FunctionsAndVariablesOfRuns) {
    Context.RunVariables.SetVariable("N", 1);
    Context.Evaluate("INC(N)");
    Context.Evaluate("INC(N)");
    Context.Evaluate("DEC(N)");
    EXPECT_EQ(Context.RunVariables.GetVariable("N").AsInteger(), 2);
    Context.Evaluate("SETARRAY(A, 2, 10)");
    EXPECT_EQ(Context.Evaluate("A[2] + 1").AsFloat(), 11);
    EXPECT_EQ(Context.Evaluate("MAXNUM(3, 3)").AsFloat(), 3);
    EXPECT_EQ(Context.Evaluate("NAMECASE('aBC')"), Value::String("ABC"));

    std::vector<AnsiString> user;
    Context.OnUserFunction = [&](const AnsiString& name, const TVNArguments&, Value& v) {
        user.push_back(name);
        v = 7;
    };
    EXPECT_EQ(Context.Evaluate("MyFunc(1)"), Value::Integer(7));
    EXPECT_EQ(Context.Evaluate("LENGTH('ab')"), Value::Integer(2)); // known functions never reach it
    EXPECT_EQ(user, std::vector<AnsiString>{"MYFUNC"});
}

} // namespace
