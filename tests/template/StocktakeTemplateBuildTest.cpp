// The stored template built the way a template print builds it: the sheet's header in the eleven
// engine-wide variables, the lines behind the report dataset "RrtDataSet" and under the name
// "Ads", over a sheet of the demo database. The built pages must show the header values, every
// line, the count and the totals, and number the pages; nothing may be reported as an error.
#include "DemoTemplate.h"
#include "StocktakeTemplateDesign.h"

#include "report/VNEMFPages.h"
#include "report/VNMemoLayout.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"
#include "report/expr/VNEvalContext.h"

#include "platform/MessageService.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

std::vector<AnsiString> PageTexts(TVNReport& r, int page) {
    std::vector<AnsiString> texts;
    r.EMFPages->DecodePage(page);
    for (TVNView* v : r.EMFPages->Page(page).DecodedPage->Objects)
        texts.push_back(StripLineEnds(JoinLines(v->Memo)));
    return texts;
}

bool Contains(const std::vector<AnsiString>& texts, const AnsiString& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Two decimals with thousands separators, the format of the amount columns.
AnsiString Thousands2(double v) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", std::fabs(v));
    std::string whole(digits, std::strchr(digits, '.')), grouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
        grouped += whole[i];
    }
    return (v < 0 && std::string(digits) != "0.00" ? "-" : "") + grouped + std::strchr(digits, '.');
}

AnsiString Fixed2(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

} // namespace

TEST(StocktakeTemplate, BuildsTheDemoSheetAsATemplatePrintDoes) {
    TDemoTemplate demo(60);
    auto header = demo.Header();
    auto lines = demo.Lines();
    ASSERT_EQ(lines->RecordCount(), 60);
    const AnsiString djh = demo.Demo.LargeSheet, pdrq = djh.substr(0, 8);
    auto field = [&](const char* name) { return header->FieldByName(name).AsString(); };
    const std::pair<const char*, AnsiString> variables[] = {
        {"Djh", djh},
        {"Bz", field("f_Bz")},
        {"Bmbm", field("f_Bmbm")},
        {"Bmmc", field("f_Bmmc")},
        {"Ckbm", field("f_Ckbm")},
        {"Ckmc", field("f_Ckmc")},
        {"Zdrbm", field("f_Zdrbm")},
        {"Zdrmc", field("f_Zdrmc")},
        {"Pdrq", pdrq},
        {"Zdrq", field("f_Zdrq")},
        {"Mnrq", "20240601"},
    };
    for (const auto& [name, value] : variables)
        EngineVariables().SetVariable(name, Value::String(value));

    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNComponent form(nullptr, "FrmGusvak");
    TVNDataSetComponent ads(&form, "ADS", lines.get());
    TVNDBDataSet rrtDataSet(&form, StocktakeDatasetName);
    rrtDataSet.SetDataSet(lines.get());
    TVNReport r;
    demo.List->First();
    ASSERT_TRUE(r.LoadReportHex(demo.List->FieldByName("f_reportinfo").AsString()));
    r.Owner = &form;
    r.Dataset = &rrtDataSet;
    r.ShowProgress = false;
    ASSERT_TRUE(r.BuildReport()) << AnsiToUtf8(r.ErrorText);
    EXPECT_TRUE(messages.Shown().empty());

    const int pages = r.EMFPages->Count();
    ASSERT_GE(pages, 2);
    std::vector<AnsiString> all;
    for (int i = 0; i < pages; ++i) {
        const std::vector<AnsiString> texts = PageTexts(r, i);
        EXPECT_TRUE(Contains(texts, CP936("第") + std::to_string(i + 1) + CP936("页/共") +
                                        std::to_string(pages) + CP936("页")))
            << "page " << i + 1;
        EXPECT_TRUE(Contains(texts, CP936("商品名称"))) << "captions on page " << i + 1;
        all.insert(all.end(), texts.begin(), texts.end());
    }
    const std::vector<AnsiString> first = PageTexts(r, 0);
    for (const AnsiString& text :
         {CP936("单据号:") + djh, CP936("盘点日期:") + pdrq, CP936("模拟日期:20240601"),
          CP936("部门:") + field("f_Bmbm") + " " + field("f_Bmmc"),
          CP936("仓库:") + field("f_Ckbm") + " " + field("f_Ckmc")})
        EXPECT_TRUE(Contains(first, text)) << AnsiToUtf8(text);

    // Every line prints its code and book quantity; the totals add up all lines.
    double ws = 0, hs = 0;
    for (lines->First(); !lines->Eof(); lines->Next()) {
        EXPECT_TRUE(Contains(all, lines->FieldByName("f_Spbm").AsString()));
        EXPECT_TRUE(Contains(all, Fixed2(lines->FieldByName("f_Zmsl").AsFloat())));
        ws += lines->FieldByName("f_Syjews").AsFloat();
        hs += lines->FieldByName("f_Syjehs").AsFloat();
    }
    const std::vector<AnsiString> last = PageTexts(r, pages - 1);
    EXPECT_TRUE(Contains(last, CP936("合计:60条")));
    EXPECT_TRUE(Contains(last, Thousands2(ws))) << Thousands2(ws);
    EXPECT_TRUE(Contains(last, Thousands2(hs))) << Thousands2(hs);
}
