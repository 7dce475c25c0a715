// A report written by hand in the text form - the kind of text the README's guide teaches - builds
// and prints the expected texts.
#include "engine/EngineFixture.h"

#include "report/VNJsonReport.h"

namespace {

const char* const GroupedGoods = R"({
  "format": "Valnor Report File",
  "report": {"Title": "Goods by group"},
  "pages": [
    {
      "PaperSize": 9,
      "views": [
        {"Kind": "Band", "BandType": "bkTitle", "Name": "TitleBand", "Top": 20, "Height": 30, "Width": 700},
        {"Kind": "Memo", "Name": "Title", "Left": 60, "Top": 22, "Width": 400, "Height": 24,
         "Memo": ["商品清单"], "Font": {"Name": "黑体", "Size": 14, "Style": 1}, "Alignment": "vntaCenterJustify"},

        {"Kind": "Band", "BandType": "bkPageHeader", "Name": "Header", "Top": 60, "Height": 24, "Width": 700},
        {"Kind": "Memo", "Name": "Caption", "Left": 60, "Top": 62, "Width": 300, "Height": 20,
         "Memo": ["Name / Qty"], "FillColor": "#c0c0c0",
         "LeftFrame": {"Visible": true}, "TopFrame": {"Visible": true},
         "RightFrame": {"Visible": true}, "BottomFrame": {"Visible": true}},

        {"Kind": "Band", "BandType": "bkGroupHeader", "Name": "GroupHead", "Top": 100, "Height": 24, "Width": 700,
         "Condition": "[grp]"},
        {"Kind": "Memo", "Name": "Group", "Left": 60, "Top": 102, "Width": 300, "Height": 20, "Memo": ["Group [grp]"]},

        {"Kind": "Band", "BandType": "bkMasterData", "Name": "Data", "Top": 140, "Height": 22, "Width": 700,
         "DataSource": "Lines"},
        {"Kind": "Memo", "Name": "Row", "Left": 60, "Top": 141, "Width": 300, "Height": 20,
         "Memo": ["[name] [qty]"]},

        {"Kind": "Band", "BandType": "bkGroupFooter", "Name": "GroupFoot", "Top": 180, "Height": 24, "Width": 700},
        {"Kind": "Memo", "Name": "GroupSum", "Left": 60, "Top": 182, "Width": 300, "Height": 20,
         "Memo": ["Subtotal [SUM([qty])]"]},

        {"Kind": "Band", "BandType": "bkSummary", "Name": "Summary", "Top": 220, "Height": 24, "Width": 700},
        {"Kind": "Memo", "Name": "Total", "Left": 60, "Top": 222, "Width": 300, "Height": 20,
         "Memo": ["Total [SUM([qty], Data)]"]}
      ]
    }
  ]
})";

} // namespace

TEST(JsonHandWritten, GroupedReportBuildsAndPrintsItsTexts) {
    TEngineFixture f({{"A", "a1", 1}, {"A", "a2", 2}, {"B", "b1", 5}});
    f.Report.Pages.Clear();
    ASSERT_NO_THROW(ReportFromJson(GroupedGoods, f.Report));
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    ASSERT_EQ(f.PageCount(), 1);
    EXPECT_EQ(f.Texts(0, "Title"), std::vector<AnsiString>{CP936("商品清单")});
    EXPECT_EQ(f.Texts(0, "Caption"), std::vector<AnsiString>{"Name / Qty"});
    EXPECT_EQ(f.Texts(0, "Group"), (std::vector<AnsiString>{"Group A", "Group B"}));
    EXPECT_EQ(f.Texts(0, "Row"), (std::vector<AnsiString>{"a1 1", "a2 2", "b1 5"}));
    EXPECT_EQ(f.Texts(0, "GroupSum"), (std::vector<AnsiString>{"Subtotal 3", "Subtotal 5"}));
    EXPECT_EQ(f.Texts(0, "Total"), std::vector<AnsiString>{"Total 8"});
    EXPECT_EQ(f.Report.ReportInfo.Title, "Goods by group");
    // What the text left out has the model's defaults; what it gave is there.
    auto* title = dynamic_cast<TVNMemoView*>(f.Report.FindObject("Title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Font.Name, CP936("黑体"));
    EXPECT_EQ(title->Font.Size, 14);
    EXPECT_EQ(title->Alignment(), vntaCenterJustify);
    EXPECT_EQ(title->GapX, 2);
    auto* caption = f.Report.FindObject("Caption");
    EXPECT_EQ(caption->FrameTyp(), 15);
    EXPECT_EQ(caption->FillColor, clSilver);
}
