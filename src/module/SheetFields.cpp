// The stocktake sheet's line fields and the rounded print copy. See SheetFields.h.
#include "SheetFields.h"

#include "platform/Format.h"

#include <charconv>

namespace {
constexpr auto Text = TFooterValueType::StaticText;
constexpr auto None = TFooterValueType::None;
constexpr auto Sum = TFooterValueType::Sum;
} // namespace

const std::array<TSheetField, SheetFieldCount> SheetFields = {{
    {"f_Spbm", true, 20, "商品编码", nullptr, "", 0, Text, false},
    {"f_Spmc", true, 60, "商品名称", nullptr, "", 0, Text, false},
    {"f_Sphh", true, 20, "商品货号", nullptr, "", 0, Text, false},
    {"f_Sptm", true, 20, "商品条码", nullptr, "", 0, Text, false},
    {"f_Ggxh", true, 20, "规格型号", nullptr, "", 0, Text, false},
    {"f_Sl", false, 0, "税率", nullptr, "", 0, None, false},
    {"f_Jldw", true, 20, "计量单位", nullptr, "", 0, None, false},
    {"f_Dwbl", false, 0, "单位比率", nullptr, "", 0, None, false},
    {"f_Xsdj", false, 0, "销售单价", nullptr, "0.00", 0, None, true},
    {"f_Pddj", false, 0, "无税进价", nullptr, "0.0000", 0, None, true},
    {"f_Whsl", false, 0, "完好数量", nullptr, "0.00", 0, Sum, true},
    {"f_Dtsl", false, 0, "待退数量", nullptr, "0.00", 0, Sum, true},
    {"f_Cysl", false, 0, "出样数量", nullptr, "0.00", 0, Sum, true},
    {"f_Swsl", false, 0, "实物数量", "事物数量", "0.00", 0, Sum, true},
    {"f_Wtsl", false, 0, "未提数量", nullptr, "0.00", 0, Sum, true},
    {"f_Yrsl", false, 0, "已入数量", nullptr, "0.00", 0, Sum, true},
    {"f_Ytsl", false, 0, "已提数量", nullptr, "0.00", 0, Sum, true},
    {"f_Spsl", false, 0, "实盘数量", nullptr, "0.00", 0, Sum, true},
    {"f_Spje", false, 0, "实盘金额", nullptr, "0.00", 0, Sum, true},
    {"f_Zmsl", false, 0, "账面数量", nullptr, "0.00", 0, Sum, true},
    {"f_Zmje", false, 0, "账面金额", nullptr, "0.00", 0, Sum, true},
    {"f_Sysl", false, 0, "差异数量", "损益数量", "0.00", 0, Sum, true},
    {"f_Syjews", false, 0, "差异金额无税", "损益金额无税", "0.00", 12, Sum, true},
    {"f_Syjehs", false, 0, "差异金额含税", "损益金额含税", "0.00", 12, Sum, true},
    {"f_Mnzkc", false, 0, "模拟总库存量", nullptr, "0.00", 12, Sum, true},
    {"f_Mnzkcje", false, 0, "模拟总库存金额", nullptr, "0.00", 0, Sum, true},
    {"f_Mnbkc", false, 0, "模拟本库存量", nullptr, "0.00", 12, Sum, true},
    {"f_Mnbkcje", false, 0, "模拟本库存金额", nullptr, "0.00", 0, Sum, true},
}};

const std::array<int, SheetFieldCount> SheetGridOrder = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 26, 25, 27};

void ApplySheetFieldDefs(TMemDataSet& lines) {
    for (const TSheetField& def : SheetFields) {
        TField* field = lines.FindField(def.Name);
        if (!field) continue;
        field->DisplayLabel = Utf8ToAnsi(def.Label);
        field->DisplayFormat = def.Format;
        if (def.DisplayWidth > 0) field->DisplayWidth = def.DisplayWidth;
    }
}

std::shared_ptr<TMemDataSet> MakeSheetLines() {
    auto lines = std::make_shared<TMemDataSet>();
    for (const TSheetField& def : SheetFields)
        lines->AddField(def.Name, def.IsString ? TFieldType::String : TFieldType::Float, def.Size);
    ApplySheetFieldDefs(*lines);
    return lines;
}

void DefineSheetCopy(TMemDataSet& copy) {
    if (copy.Active()) copy.Close();
    copy.ClearFields();
    for (const TSheetField& def : SheetFields) {
        TField& field =
            copy.AddField(def.Name, def.IsString ? TFieldType::String : TFieldType::Float, def.Size);
        field.DisplayLabel = Utf8ToAnsi(def.CopyLabel ? def.CopyLabel : def.Label);
        field.DisplayFormat = def.Format;
        if (def.DisplayWidth > 0) field.DisplayWidth = def.DisplayWidth;
        if (std::string_view(def.Name) == "f_Xsdj") {
            field.EditFormat = "0.00";
            field.DisplayFormat.clear();
        }
    }
}

namespace {

double ReadBack(const AnsiString& text, double fallback) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

} // namespace

void RebuildSheetCopy(const TMemDataSet& lines, TMemDataSet& copy) {
    copy.DisableControls();
    if (copy.Active()) copy.Close();
    copy.Open();
    // Field positions in the lines, and the compiled pictures of the rounded columns.
    std::array<int, SheetFieldCount> source{};
    std::array<const TNumberPicture*, SheetFieldCount> pictures{};
    const TNumberPicture two("0.00"), four("0.0000");
    for (int i = 0; i < SheetFieldCount; ++i) {
        const TSheetField& def = SheetFields[static_cast<std::size_t>(i)];
        const TField* field = lines.FindField(def.Name);
        source[static_cast<std::size_t>(i)] = field ? field->Index() : -1;
        if (def.Rounded)
            pictures[static_cast<std::size_t>(i)] = std::string_view(def.Format) == "0.0000" ? &four : &two;
    }
    std::vector<Value> record(SheetFieldCount);
    AnsiString text;
    const int rows = lines.Active() ? lines.RecordCount() : 0;
    for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < SheetFieldCount; ++i) {
            const int from = source[static_cast<std::size_t>(i)];
            Value v = from >= 0 ? lines.CellValue(r, from) : Value::Null();
            if (const TNumberPicture* picture = pictures[static_cast<std::size_t>(i)];
                picture && v.IsNumeric()) {
                const double raw = v.AsFloat();
                text.clear();
                picture->AppendTo(text, raw);
                v = Value::Float(ReadBack(text, raw));
            }
            record[static_cast<std::size_t>(i)] = std::move(v);
        }
        copy.AppendRecord(record);
    }
    copy.First();
    copy.EnableControls();
}
