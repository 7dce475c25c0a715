// Printing the sheet from the form: the condition text and the engine-wide variables it hands to
// the engine, a template print of a real sheet written to a text file and read back (header,
// lines, totals against the grid's footer), and the rules of the preview and print commands.
#include "ModuleTestSupport.h"

#include "controls/AdvDBGridQx.h"
#include "report/expr/VNEvalContext.h"
#include "report/export/VNExportFilter.h"
#include "report/export/VNExportFormats.h"

#include <QComboBox>
#include <QRadioButton>
#include <QToolButton>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

using namespace moduletest;

namespace {

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// An amount as the template prints it: two decimals with thousands separators.
AnsiString Thousands2(double v) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", std::fabs(v));
    const std::string text(digits);
    const std::string whole = text.substr(0, text.find('.'));
    std::string grouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
        grouped += whole[i];
    }
    return (v < 0 && text != "0.00" ? "-" : "") + grouped + text.substr(text.find('.'));
}

AnsiString Fixed2(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

// Runs the form's print of the chosen mode into a text file and answers the file's bytes.
std::string PrintToText(TFrmGusvak& form, const fs::path& file, TSheetPrintTarget& target) {
    std::unique_ptr<TVNExportFilter> filter = MakeExportFilter("txt", {});
    target.Kind = TSheetPrintTarget::Export;
    target.Filter = filter.get();
    target.FileName = file.string();
    form.RunPrint(target);
    return ReadBytes(file);
}

AnsiString Var(const char* name) {
    return EngineVariables().GetVariable(name).AsString();
}

} // namespace

TEST(SheetConditionText, ElevenLabelledLinesWithoutALineEndAfterTheLast) {
    TSheetHeaderTexts h;
    h.Djh = "202409150001";
    h.Bmbm = "0201";
    h.Bmmc = A("人民路店");
    h.Ckbm = "0101";
    h.Ckmc = A("卖场");
    h.Zdrbm = "0002";
    h.Zdrmc = A("李娜");
    h.Pdrq = "20240915";
    h.Zdrq = "20240915";
    h.Mnrq = "20240916";
    const struct {
        AnsiString Remark;
        const char* LastLine;
    } cases[] = {{A("月末盘点"), "备注:       月末盘点"}, {"", "备注:       "}};
    for (const auto& c : cases) {
        h.Bz = c.Remark;
        const AnsiString expected =
            A("单据号:     202409150001\r\n部门编码:   0201\r\n部门名称:   人民路店\r\n仓库编码:   0101\r\n"
              "仓库名称:   卖场\r\n制单人编码: 0002\r\n制单人名称: 李娜\r\n盘点日期:   20240915\r\n"
              "制单日期:   20240915\r\n模拟日期:   20240916\r\n") +
            A(c.LastLine);
        EXPECT_EQ(SheetConditionText(h), expected) << AnsiToUtf8(SheetConditionText(h));
    }
}

TEST_F(ModuleFixture, TemplatePrintHandsTheHeaderAndLinesToTheTemplateAndItsTotalsMatchTheFooter) {
    TFrmGusvak* form = OpenModule("0001", Demo.LargeSheet);
    ASSERT_NE(form, nullptr);
    ASSERT_GT(form->ADS_Main()->RecordCount(), 50);
    // A variable of the other mode stays in the list.
    EngineVariables().SetVariable("Title", Value::String("kept"));
    form->rdoMuban->click();
    ASSERT_EQ(form->cmbPrint->currentIndex(), 0);

    TSheetPrintTarget target;
    const std::string text = PrintToText(*form, FFolder / "sheet.txt", target);
    ASSERT_TRUE(target.Written);
    EXPECT_GE(target.Pages, 2);
    EXPECT_TRUE(Script.Shown().empty()) << AnsiToUtf8(Script.Shown().front().Text);

    // The eleven header variables are the form's texts and the stocktake date.
    const TSheetHeaderTexts h = form->HeaderTexts();
    EXPECT_EQ(Var("Djh"), AnsiString(Demo.LargeSheet));
    EXPECT_EQ(Var("Pdrq"), AnsiString(Demo.LargeSheet.substr(0, 8)));
    for (const auto& [name, value] : {std::pair{"Bz", h.Bz}, {"Bmbm", h.Bmbm}, {"Bmmc", h.Bmmc}, {"Ckbm", h.Ckbm},
                                      {"Ckmc", h.Ckmc}, {"Zdrbm", h.Zdrbm}, {"Zdrmc", h.Zdrmc}, {"Zdrq", h.Zdrq},
                                      {"Mnrq", h.Mnrq}})
        EXPECT_EQ(Var(name), value) << name;
    EXPECT_FALSE(h.Ckmc.empty());
    EXPECT_EQ(Var("Title"), "kept");

    // What was printed: the header, every line of the print copy, the count and the totals,
    // which are the grid footer's sums.
    auto printed = [&](const AnsiString& s) { return text.find(s) != std::string::npos; };
    EXPECT_TRUE(printed(A("单据号:") + Demo.LargeSheet));
    EXPECT_TRUE(printed(A("仓库:") + h.Ckbm + " " + h.Ckmc));
    const TMemDataSet& copy = form->ADS();
    for (int r = 0; r < copy.RecordCount(); ++r)
        ASSERT_TRUE(printed(copy.CellValue(r, 0).AsString())) << r;
    EXPECT_TRUE(printed(A("合计:") + std::to_string(copy.RecordCount()) + A("条")));
    // The totals add up the printed (rounded) lines; the grid's footer adds up the lines as the
    // server sent them, so the two agree to within half a cent per line.
    const TAdvDBGridQx& grid = *form->dgdView;
    for (const char* field : {"f_Zmsl", "f_Spsl", "f_Sysl", "f_Syjews", "f_Syjehs"}) {
        const int index = copy.FieldByName(field).Index();
        double sum = 0;
        for (int r = 0; r < copy.RecordCount(); ++r)
            sum += copy.CellValue(r, index).AsFloat();
        const bool amount = std::string_view(field).starts_with("f_Syje");
        EXPECT_TRUE(printed(amount ? Thousands2(sum) : Fixed2(sum))) << field << " " << sum;
        EXPECT_NEAR(sum, grid.FooterSum(grid.FindColumn(field)), 0.005 * copy.RecordCount() + 1e-9) << field;
    }
}

TEST_F(ModuleFixture, PreviewAndPrintFollowTheirRules) {
    // No lines loaded: printing does nothing and says nothing, in either mode.
    TFrmGusvak* form = OpenModule("0001", "");
    ASSERT_NE(form, nullptr);
    ASSERT_FALSE(form->LinesOpen());
    for (QRadioButton* mode : {form->rdoNormal, form->rdoMuban}) {
        mode->click();
        form->tbnPrintClick();
        EXPECT_TRUE(Script.Shown().empty());
    }
    SearchWithKey(*form, Demo.OpenSheets[0]);
    ASSERT_TRUE(form->LinesOpen());
    Script.Clear();

    // The print asks first; Cancel stops it before anything is built.
    form->rdoMuban->click();
    Script.Expect(TMsgResult::Cancel);
    form->tbnPrint->click();
    ASSERT_EQ(Script.Shown().size(), 1u);
    const TShownMessage& ask = Script.Shown()[0];
    EXPECT_EQ(ask.Text, A("请准备好打印机，进行打印!"));
    EXPECT_EQ(ask.Caption, A("提示"));
    EXPECT_EQ(ask.Buttons, TMsgButtons::OKCancel);
    EXPECT_EQ(ask.Icon, TMsgIcon::Information);
    EXPECT_TRUE(form->TemplatePrint().Rrt().Pages.Count() == 0);

    // Template mode without a chosen template: the preview says so and builds nothing.
    Script.Clear();
    form->cmbPrint->setCurrentIndex(-1);
    form->tbnPreview->click();
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Text, A("未选择报表模板！"));
    EXPECT_EQ(Script.Shown()[0].Caption, A("错误"));
    EXPECT_EQ(Script.Shown()[0].Icon, TMsgIcon::Error);
    EXPECT_TRUE(form->TemplatePrint().Rrt().Pages.Count() == 0);
    // The header variables were set before the check.
    EXPECT_EQ(Var("Djh"), AnsiString(Demo.OpenSheets[0]));
}

TEST_F(ModuleFixture, NormalPrintPrintsTheGridAsShownUnderTheTitleAndTheCondition) {
    TFrmGusvak* form = OpenModule("0001", Demo.LargeSheet);
    ASSERT_NE(form, nullptr);
    TAdvDBGridQx& grid = *form->dgdView;
    TMemDataSet& lines = *form->ADS_Main();
    // The clerk filters the lines with a difference and hides the goods number column.
    lines.SetFilter("f_Sysl <> 0");
    lines.SetFiltered(true);
    const int shown = lines.RecordCount();
    ASSERT_GT(shown, 0);
    const int sphh = grid.FindColumn("f_Sphh");
    grid.SetColumnVisible(sphh, false);
    std::vector<AnsiString> shownCodes, hiddenCodes;
    lines.SetFiltered(false);
    const int spbm = lines.FieldByName("f_Spbm").Index(), sysl = lines.FieldByName("f_Sysl").Index();
    for (int r = 0; r < lines.RecordCount(); ++r)
        (lines.CellValue(r, sysl).AsFloat() != 0 ? shownCodes : hiddenCodes).push_back(lines.CellValue(r, spbm).AsString());
    lines.SetFiltered(true);
    form->ShowLineCount(); // as the filter command does
    ASSERT_FALSE(hiddenCodes.empty());

    ASSERT_TRUE(form->rdoNormal->isChecked());
    TSheetPrintTarget target;
    const std::string text = PrintToText(*form, FFolder / "normal.txt", target);
    ASSERT_TRUE(target.Written);
    EXPECT_TRUE(Script.Shown().empty()) << AnsiToUtf8(Script.Shown().front().Text);
    EXPECT_EQ(grid.TitleFontColor(), QColor(Qt::white));

    const TSheetHeaderTexts h = form->HeaderTexts();
    EXPECT_EQ(Var("Oper"), "0001");
    EXPECT_EQ(Var("Title"), A("盘点损益表"));
    EXPECT_EQ(Var("Condi"), SheetConditionText(h));
    EXPECT_EQ(Var("Date"), AnsiString("20240915"));

    auto printed = [&](const AnsiString& s) { return text.find(s) != std::string::npos; };
    EXPECT_TRUE(printed(A("盘点损益表")));
    EXPECT_TRUE(printed(A("仓库名称:   ") + h.Ckmc));
    for (const char* title : {"商品编码", "商品名称", "差异数量", "模拟本库存金额"})
        EXPECT_TRUE(printed(A(title))) << title;
    EXPECT_FALSE(printed(A("商品货号")));
    for (const AnsiString& code : shownCodes)
        EXPECT_TRUE(printed(code)) << code;
    for (const AnsiString& code : hiddenCodes)
        EXPECT_FALSE(printed(code)) << code;
    EXPECT_TRUE(printed(A("合计:") + std::to_string(shown) + A("条")));
    for (const char* field : {"f_Sysl", "f_Syjews"})
        EXPECT_TRUE(printed(grid.FooterDisplayText(grid.FindColumn(field)))) << field;
}
