// The function splitter: which calls it finds, through brackets, arguments and variables.
#include "report/expr/VNFunctionSplitter.h"

#include <gtest/gtest.h>

namespace {

std::vector<AnsiString> Aggregates(const char* text, const TVNVariables* vars = nullptr) {
    std::vector<AnsiString> out;
    TAggregateFunctionsSplitter splitter(vars, out);
    splitter.Split(text);
    return out;
}

TEST(FunctionSplitterTest, FindsCalls) {
    const struct {
        const char* Text;
        std::vector<AnsiString> Expected;
    } cases[] = {
        {"[SUM([Qty])]", {"SUM([Qty])"}},
        {"sum([Qty], MasterData1, 1) + Avg([Price])", {"sum([Qty], MasterData1, 1)", "Avg([Price])"}},
        {"IF([A] > 0, MAX([A]), MIN([A]))", {"MAX([A])", "MIN([A])"}},
        {"SUM(COUNT(Band1))", {"COUNT(Band1)", "SUM(COUNT(Band1))"}},
        {"'SUM(1)'", {}},
        {"SUMMARY(1) + SUM (1)", {}},
        {"SUM([Qty]", {}},
        {"F(1, 2, 3, SUM(x))", {}}, // only the first three arguments are searched
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Aggregates(c.Text), c.Expected);
    }
}

TEST(FunctionSplitterTest, ExpandsVariablesOnceEvenWhenTheyReferToThemselves) {
    TVNVariables vars;
    vars.SetVariable("Total", "SUM([Qty]) + [Self]");
    vars.SetVariable("Self", "[Self] + Total + COUNT(Band1)");
    EXPECT_EQ(Aggregates("[Total]", &vars), (std::vector<AnsiString>{"SUM([Qty])", "COUNT(Band1)"}));
    EXPECT_EQ(Aggregates("total * 2", &vars), (std::vector<AnsiString>{"SUM([Qty])", "COUNT(Band1)"}));
}

TEST(FunctionSplitterTest, OtherNameLists) {
    std::vector<AnsiString> out;
    TVNFunctionSplitter splitter({"ShowBand"}, nullptr, out);
    splitter.Split("SHOWBAND('Band1')");
    EXPECT_EQ(out, std::vector<AnsiString>{"SHOWBAND('Band1')"});
}

} // namespace
