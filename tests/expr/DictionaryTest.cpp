// Dictionary look-ups and the report's value resolution order over a small report whose owner
// form holds one data set.
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"
#include "report/expr/VNDictionaryLookup.h"
#include "report/expr/VNEvalContext.h"

#include <gtest/gtest.h>

namespace {

struct DictionaryFixture : ::testing::Test {
    TVNComponent Form{nullptr, "Form1"};
    TMemDataSet Lines;
    TVNDataSetComponent Table{&Form, "Table1", &Lines};
    TVNReport Report;
    TVNEvalContext Context;

    void SetUp() override {
        Lines.AddField("Qty", TFieldType::Float);
        Lines.AddField("Price", TFieldType::Float);
        Lines.Open();
        Lines.AppendRecord({Value::Float(2), Value::Float(3)});
        Lines.AppendRecord({Value::Float(4), Value::Float(5)});
        Lines.First();
        Report.Owner = &Form;
        auto& vars = Report.Dictionary.Variables;
        vars.Add(" Amounts", "");
        vars.Add("Qty", "Table1.Qty");
        vars.Add("Total", "[Qty] * [Table1.Price]");
        vars.Add("Self", "[Self]");
        vars.Add("Blank", "");
        vars.Add("Title", "'from dictionary'");
        Report.Dictionary.DataSetAliases.Add("Table1", "Lines");
        Report.Dictionary.FieldAliases.Add("Table1.Price", "UnitPrice");
        Context.Report = &Report;
    }
    void TearDown() override { EngineVariables().Clear(); }
};

TEST_F(DictionaryFixture, IsVariable) {
    const struct {
        const char* Name;
        bool Known;
    } cases[] = {
        {"Total", true},           {"total", true},
        {"Amounts", false},        {" Amounts", false},
        {"Table1.Qty", true},      {"Table1.\"Qty\"", true},
        {"Lines.UnitPrice", true}, {"Table1.Nope", false},
        {"Nowhere.Qty", false},    {"Form9.Table1.Qty", false},
        {"Plain", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DictionaryIsVariable(Report, c.Name), c.Known);
    }
    EXPECT_TRUE(Report.Dictionary.FieldCache.count("LINES.UNITPRICE"));
}

TEST_F(DictionaryFixture, VariablesAreComputedPerRow) {
    EXPECT_EQ(Context.Evaluate("[Total]").AsFloat(), 6);
    Lines.Next();
    EXPECT_EQ(Context.Evaluate("[Total]").AsFloat(), 20);
    EXPECT_EQ(Context.Evaluate("[Lines.UnitPrice] + 1").AsFloat(), 6);
    EXPECT_EQ(Context.Evaluate("[Blank]"), Value::String(""));
}

TEST_F(DictionaryFixture, SelfReferenceEndsAsItsName) {
    EXPECT_EQ(Context.Evaluate("[Self]"), Value::String("Self"));
}

TEST_F(DictionaryFixture, ResolutionOrder) {
    // Engine-wide variables shadow a dictionary variable's expression ...
    EngineVariables().SetVariable("Title", Value::String("engine"));
    EXPECT_EQ(Context.Evaluate("[Title]"), Value::String("engine"));
    // ... the OnGetValue event comes before everything ...
    Context.OnGetValue = [](const AnsiString& name, Value& v) {
        if (name == "Title") v = Value::String("event");
    };
    EXPECT_EQ(Context.Evaluate("[Title]"), Value::String("event"));
    Context.OnGetValue = nullptr;
    // ... and a special name shadows an engine-wide variable.
    EngineVariables().SetVariable("Date", Value::String("set by the application"));
    Context.OnSpecialName = [](const AnsiString& name, Value& v) {
        if (!SameText(name, "Date")) return false;
        v = Value::DateTime(45000);
        return true;
    };
    EXPECT_EQ(Context.Evaluate("[Date]"), Value::DateTime(45000));
}

} // namespace

namespace {

TEST_F(DictionaryFixture, ReportEventsTakePart) {
    Report.OnGetValue = [](const AnsiString& name, Value& v) {
        if (name == "Total") v = Value::String("from the event");
    };
    EXPECT_EQ(Context.Evaluate("[Total]"), Value::String("from the event"));
    Report.OnUserFunction = [](const AnsiString& name, const Value& p1, const Value&, const Value&,
                               Value& r) { r = Value::String(name + ":" + p1.AsString()); };
    EXPECT_EQ(Context.Evaluate("MYFUNC(1 + 2)"), Value::String("MYFUNC:1 + 2"));
}

} // namespace
