// The stocktake sheet's standard template (see StocktakeTemplateDesign.h).
//
// Geometry is in report pixels at 96 dpi: A4 is 794 x 1123, and 10 mm margins leave a printable
// width of 718 pixels, which the eleven columns of the line table fill exactly. Every view lies
// inside the band it belongs to and inside the printable width; the template test checks both.
#include "StocktakeTemplateDesign.h"

#include "support/ReportMakers.h"

const char* const StocktakeHeaderVariables[11] = {"Djh",   "Bz",    "Bmbm", "Bmmc", "Ckbm", "Ckmc",
                                                  "Zdrbm", "Zdrmc", "Pdrq", "Zdrq", "Mnrq"};
const char* const StocktakeDatasetName = "RrtDataSet";
const char* const StocktakeLinesName = "Ads";

namespace {

constexpr int MarginThousandths = 10000; // 10 mm on every side
constexpr int PrintableWidth = 718;
constexpr int BandWidth = 794;

// Display format codes: category 1 (number), a kind, the decimal places and the separator.
constexpr std::int32_t NumberFormat(int kind, int decimals) {
    return (1 << 24) | (kind << 16) | (decimals << 8) | '.';
}
constexpr std::int32_t FixedFormat2 = NumberFormat(1, 2);     // 1234.50
constexpr std::int32_t FixedFormat4 = NumberFormat(1, 4);     // 6.2500
constexpr std::int32_t ThousandsFormat2 = NumberFormat(3, 2); // 1,234.50
constexpr std::int32_t TextFormat = 2 * 256 + '.';            // the default: values as text

// The line columns with the captions report authors see for them in the dictionary.
const struct {
    const char* Field;
    const char* Label;
} LineFields[28] = {
    {"f_Spbm", "商品编码"},          {"f_Spmc", "商品名称"},          {"f_Sphh", "商品货号"},
    {"f_Sptm", "商品条码"},          {"f_Ggxh", "规格型号"},          {"f_Sl", "税率"},
    {"f_Jldw", "计量单位"},          {"f_Dwbl", "单位比率"},          {"f_Xsdj", "销售单价"},
    {"f_Pddj", "无税进价"},          {"f_Whsl", "完好数量"},          {"f_Dtsl", "待退数量"},
    {"f_Cysl", "出样数量"},          {"f_Swsl", "实物数量"},          {"f_Wtsl", "未提数量"},
    {"f_Yrsl", "已入数量"},          {"f_Ytsl", "已提数量"},          {"f_Spsl", "实盘数量"},
    {"f_Spje", "实盘金额"},          {"f_Zmsl", "账面数量"},          {"f_Zmje", "账面金额"},
    {"f_Sysl", "损益数量"},          {"f_Syjews", "损益金额无税"},    {"f_Syjehs", "损益金额含税"},
    {"f_Mnzkc", "模拟总库存量"},     {"f_Mnzkcje", "模拟总库存金额"}, {"f_Mnbkc", "模拟本库存量"},
    {"f_Mnbkcje", "模拟本库存金额"},
};

// The printed line table, left to right; the widths add up to the printable width.
const struct {
    const char* Name; // suffix of the caption and field memo names
    const char* Caption1;
    const char* Caption2; // second caption line, or empty
    const char* Text;     // the field memo's text
    int Width;
    int Alignment;
    std::int32_t Format;
    bool Wrap;
} TableColumns[11] = {
    {"Xh", "序号", "", "[Line#]", 30, vntaCenterJustify, TextFormat, false},
    {"Spbm", "商品编码", "", "[Ads.f_Spbm]", 72, vntaLeftJustify, TextFormat, false},
    {"Spmc", "商品名称", "", "[Ads.f_Spmc]", 150, vntaLeftJustify, TextFormat, true},
    {"Ggxh", "规格型号", "", "[Ads.f_Ggxh]", 66, vntaLeftJustify, TextFormat, true},
    {"Jldw", "单位", "", "[Ads.f_Jldw]", 34, vntaCenterJustify, TextFormat, false},
    {"Pddj", "无税进价", "", "[Ads.f_Pddj]", 54, vntaRightJustify, FixedFormat4, false},
    {"Zmsl", "账面数量", "", "[Ads.f_Zmsl]", 58, vntaRightJustify, FixedFormat2, false},
    {"Spsl", "实盘数量", "", "[Ads.f_Spsl]", 58, vntaRightJustify, FixedFormat2, false},
    {"Sysl", "损益数量", "", "[Ads.f_Sysl]", 58, vntaRightJustify, FixedFormat2, false},
    {"Syjews", "损益金额", "(无税)", "[Ads.f_Syjews]", 68, vntaRightJustify, ThousandsFormat2, false},
    {"Syjehs", "损益金额", "(含税)", "[Ads.f_Syjehs]", 70, vntaRightJustify, ThousandsFormat2, false},
};

TVNBandView* AddBand(TVNPage& page, const char* name, int type, int top, int height) {
    return reportmakers::AddBand(page, name, type, top, height, BandWidth);
}

// A memo in the sheet's body font (宋体 9 points), vertically centred, without frame.
TVNMemoView* AddMemo(TVNPage& page, const AnsiString& name, int left, int top, int width, int height,
                     TVNStrings utf8Lines, int alignment = vntaLeftJustify) {
    for (AnsiString& line : utf8Lines)
        line = Utf8ToAnsi(line);
    TVNMemoView* memo = reportmakers::AddBodyMemo(page, name, left, top, width, height, std::move(utf8Lines));
    memo->Adjust = alignment | vntlCenter;
    return memo;
}

TVNMemoView* AddCell(TVNPage& page, const AnsiString& name, int left, int top, int width, int height,
                     TVNStrings utf8Lines, int alignment) {
    TVNMemoView* memo = AddMemo(page, name, left, top, width, height, std::move(utf8Lines), alignment);
    memo->SetFrameTyp(VNftLeft | VNftTop | VNftRight | VNftBottom);
    return memo;
}

} // namespace

void DesignStocktakeTemplate(TVNReport& r) {
    r.ReportInfo.Title = CP936("盘点损益表");
    r.ReportInfo.Comment = CP936("标准格式");
    r.DoublePass = true; // the footer prints the total page count

    TVNPage& p = r.Pages.Add();
    p.Name = "Page1";
    p.ChangePaper(9, 0, 0, 0, 0xFFFF); // A4 portrait, whatever the printer's current paper
    p.LeftMargin = p.TopMargin = p.RightMargin = p.BottomMargin = MarginThousandths;
    const int x = p.LeftMarginPx();
    const int third = PrintableWidth / 3;

    // Title and the sheet's header. The remark may be long: it wraps and the band grows.
    TVNBandView* title = AddBand(p, "TitleBand", bkTitle, 38, 104);
    title->SetStretched(true);
    TVNMemoView* caption =
        AddMemo(p, "MemoTitle", x, 40, PrintableWidth, 34, {"盘点损益表"}, vntaCenterJustify);
    caption->Font.Name = CP936("黑体");
    caption->Font.Size = 18;
    caption->Font.Style = fsBold;
    const struct {
        const char* Name;
        int Row, Column, Span;
        const char* Text;
    } header[] = {
        {"MemoDjh", 0, 0, 1, "单据号:[Djh]"},           {"MemoPdrq", 0, 1, 1, "盘点日期:[Pdrq]"},
        {"MemoMnrq", 0, 2, 1, "模拟日期:[Mnrq]"},       {"MemoBm", 1, 0, 1, "部门:[Bmbm] [Bmmc]"},
        {"MemoCk", 1, 1, 1, "仓库:[Ckbm] [Ckmc]"},      {"MemoZdrq", 1, 2, 1, "制单日期:[Zdrq]"},
        {"MemoZdr", 2, 0, 1, "制单人:[Zdrbm] [Zdrmc]"}, {"MemoBz", 2, 1, 2, "备注:[Bz]"},
    };
    for (const auto& h : header) {
        const int width = h.Column + h.Span == 3 ? PrintableWidth - h.Column * third : h.Span * third;
        TVNMemoView* m = AddMemo(p, h.Name, x + h.Column * third, 80 + 20 * h.Row, width, 18, {h.Text});
        if (h.Span > 1) {
            m->SetFlag(flWordWrap, true);
            m->SetStretched(true);
        }
    }

    // Column captions at the top of every page.
    AddBand(p, "PageHeaderBand", bkPageHeader, 160, 36);
    int left = x;
    for (const auto& c : TableColumns) {
        TVNStrings lines = {c.Caption1};
        if (*c.Caption2) lines.push_back(c.Caption2);
        TVNMemoView* m =
            AddCell(p, AnsiString("Caption") + c.Name, left, 160, c.Width, 36, lines, vntaCenterJustify);
        m->Font.Style = fsBold;
        m->FillColor = clSilver;
        left += c.Width;
    }

    // One row per line of the print copy; a long name or spec text wraps and the row grows.
    TVNBandView* data = AddBand(p, "MasterDataBand", bkMasterData, 214, 20);
    data->FormatText = StocktakeDatasetName;
    data->SetStretched(true);
    left = x;
    for (const auto& c : TableColumns) {
        TVNMemoView* m =
            AddCell(p, AnsiString("Field") + c.Name, left, 214, c.Width, 20, {c.Text}, c.Alignment);
        m->Format = c.Format;
        m->SetStretched(true);
        if (c.Wrap) m->SetFlag(flWordWrap, true);
        left += c.Width;
    }

    // Count and the totals of the quantity and amount columns under the last row, then the
    // signatures of the stocktake.
    AddBand(p, "SummaryBand", bkSummary, 252, 50);
    constexpr int FirstSummed = 6; // 账面数量 .. 损益金额(含税)
    int countWidth = 0;
    for (int i = 0; i < FirstSummed; ++i)
        countWidth += TableColumns[i].Width;
    AddCell(p, "MemoTotal", x, 252, countWidth, 20, {"合计:[COUNT(MasterDataBand)]条"}, vntaLeftJustify)
        ->Font.Style = fsBold;
    left = x + countWidth;
    for (int i = FirstSummed; i < 11; ++i) {
        const auto& c = TableColumns[i];
        const std::string field = std::string(c.Text).substr(1, std::string(c.Text).size() - 2); // Ads.f_...
        TVNMemoView* sum = AddCell(p, AnsiString("Sum") + c.Name, left, 252, c.Width, 20,
                                   {"[SUM([" + field + "],MasterDataBand)]"}, vntaRightJustify);
        sum->Format = c.Format;
        sum->Font.Style = fsBold;
        left += c.Width;
    }
    AddMemo(p, "MemoPdr", x, 280, third, 18, {"盘点人:"});
    AddMemo(p, "MemoFhr", x + third, 280, third, 18, {"复核人:"});
    AddMemo(p, "MemoFzr", x + 2 * third, 280, PrintableWidth - 2 * third, 18, {"仓库负责人:"});

    // Page number at the bottom of every page.
    AddBand(p, "PageFooterBand", bkPageFooter, 1060, 24);
    AddMemo(p, "MemoPageNo", x, 1062, PrintableWidth, 20, {"第[Page#]页/共[TotalPages#]页"},
            vntaCenterJustify);

    // The header variables are listed for report authors; an empty expression lets the value the
    // sheet sets through, and prints nothing when a variable was never set.
    r.Dictionary.Variables.Add(CP936(" 单据表头"), "");
    for (const char* name : StocktakeHeaderVariables)
        r.Dictionary.Variables.Add(name, "");
    for (const auto& f : LineFields)
        r.Dictionary.FieldAliases.Add(AnsiString(StocktakeLinesName) + ".\"" + f.Field + "\"",
                                      Utf8ToAnsi(f.Label));
}

std::string EncodeHexText(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2 + 1);
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    text += '#';
    return text;
}
