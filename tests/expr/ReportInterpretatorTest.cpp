// The report's script interpreter: where assignments land, in their order.
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/expr/VNReportInterpretator.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportInterpretatorTest, AssignmentOrder) {
    TVNReport report;
    auto* memo = new TVNMemoView;
    memo->Name = "Memo1";
    report.Pages.Add().Add(memo);
    report.Dictionary.Variables.Add("Title", "'old'");
    TVNEvalContext context;
    context.Report = &report;
    context.RunVariables.SetVariable("Title", Value::String("run")); // a report variable wins
    TInterpretator script(context, &report);
    std::vector<AnsiString> engine;
    script.OnEngineAssignment = [&](const AnsiString& name, const Value&) {
        if (!SameText(name, "CURY")) return false;
        engine.push_back(name);
        return true;
    };

    std::vector<AnsiString> compiled, errors;
    script.CompileScript({"begin Memo1.Visible := False; Title := 'It''s'; CurY := 10;",
                          "  n := 5; Inc(n); SETARRAY(A, 1, n) end"},
                         compiled, errors);
    ASSERT_TRUE(errors.empty()) << errors.front();
    script.RunScript(compiled);
    EXPECT_FALSE(memo->Visible);
    EXPECT_EQ(context.RunVariables.GetVariable("Title"), Value::String("It's"));
    EXPECT_EQ(report.Dictionary.Variables.Items[0].second, "'old'");
    EXPECT_EQ(engine, std::vector<AnsiString>{"CurY"});
    EXPECT_EQ(context.RunVariables.GetVariable("n").AsInteger(), 6);
    EXPECT_EQ(context.RunVariables.GetVariable("Arr_A_1").AsInteger(), 6);

    context.RunVariables.Clear(); // without the report variable the dictionary takes it
    script.RunScript(compiled);
    EXPECT_EQ(report.Dictionary.Variables.Items[0].second, "'It''s'");
    EXPECT_EQ(context.Evaluate("[Title]"), Value::String("It's"));
}

} // namespace
