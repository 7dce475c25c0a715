// Highlight conditions: VALUE is the memo's own value while its condition is evaluated, so that
// "Value > 2" marks the rows whose printed number is above two; elsewhere VALUE keeps its rule.
#include "EngineFixture.h"

#include "report/VNMemoView.h"

#include <gtest/gtest.h>

TEST(Highlight, ValueIsTheMemosOwnValue) {
    struct {
        const char* Text;
        const char* Condition;
        std::vector<bool> Marked; // per row r1..r4 (qty 1..4)
    } cases[] = {
        {"[qty]", "Value > 2", {false, false, true, true}},
        {"[qty]", "Value = 1", {true, false, false, false}},
        {"[name]", "Value = 'r2'", {false, true, false, false}},
        {"-[qty]", "Value < -3", {false, false, false, true}}, // a negative amount
        {"[qty]", "", {false, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " / " + c.Condition);
        TEngineFixture f(TEngineFixture::Rows(4));
        AddBand(*f.Page, "Data", bkMasterData, 100, 30)->FormatText = "Lines";
        TVNMemoView* memo = AddMemo(*f.Page, "Row", 10, 102, 300, 20, {c.Text});
        memo->HighlightCondition = c.Condition;
        memo->HighlightFontColor = 0x0000FF;
        memo->HighlightFillColor = 0x00FFFF;
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        f.Report.EMFPages->DecodePage(0);
        std::vector<bool> marked;
        for (TVNView* v : f.Report.EMFPages->Page(0).DecodedPage->Objects)
            if (v->Name == "Row") marked.push_back(static_cast<TVNMemoView*>(v)->FillColor == 0x00FFFF);
        EXPECT_EQ(marked, c.Marked);
    }
}
