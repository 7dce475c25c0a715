// Value codecs of the report's text form and the field lists of views: published properties from
// the view's registry, plus the one table of stream fields that no property reaches.
#include "VNJsonFields.h"

#include "VNAddInViews.h"
#include "VNBandView.h"
#include "VNGridJson.h"
#include "VNGridView.h"
#include "VNRichView.h"
#include "VNStandardViews.h"

#include "platform/Graphics.h"

#include <charconv>
#include <cmath>
#include <cstdio>

// ---- value codecs -------------------------------------------------------------------------------

static std::string TypeName(const TVNJson& j) {
    if (j.is_null()) return "null";
    if (j.is_boolean()) return "true/false";
    if (j.is_number()) return "a number";
    if (j.is_string()) return "a text";
    if (j.is_array()) return "an array";
    return "an object";
}

static std::string Expected(const char* what, const TVNJson& j) {
    return std::string("expected ") + what + ", found " + TypeName(j);
}

// Texts are UTF-8 in the text form and CP936 in the model. A text whose bytes are not valid CP936
// (a damaged file) cannot pass through UTF-8 unchanged: it is written as its bytes in hex.
TVNJson JsonFromText(const AnsiString& text) {
    std::string utf8 = AnsiToUtf8(text);
    if (Utf8ToAnsi(utf8) == text) return TVNJson(std::move(utf8));
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return TVNJson{{"cp936", hex}};
}

AnsiString JsonToText(const TVNJson& j, const std::string& path) {
    if (j.is_string()) {
        const std::string& utf8 = j.get_ref<const std::string&>();
        AnsiString text = Utf8ToAnsi(utf8);
        if (AnsiToUtf8(text) != utf8) throw EVNJsonError(path, "the text holds characters outside code page 936");
        return text;
    }
    if (j.is_object() && j.size() == 1 && j.contains("cp936") && j["cp936"].is_string()) {
        const std::string& hex = j["cp936"].get_ref<const std::string&>();
        auto digit = [](char c) {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            return -1;
        };
        AnsiString bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            int hi = digit(hex[i]), lo = digit(hex[i + 1]);
            if (hi < 0 || lo < 0) throw EVNJsonError(path + ".cp936", "expected hexadecimal digits");
            bytes.push_back(char(hi * 16 + lo));
        }
        if (hex.size() % 2) throw EVNJsonError(path + ".cp936", "expected an even number of hexadecimal digits");
        return bytes;
    }
    throw EVNJsonError(path, Expected("a text", j));
}

TVNJson JsonFromLines(const std::vector<AnsiString>& lines) {
    TVNJson a = TVNJson::array();
    for (const AnsiString& l : lines)
        a.push_back(JsonFromText(l));
    return a;
}

std::vector<AnsiString> JsonToLines(const TVNJson& j, const std::string& path) {
    if (!j.is_array()) throw EVNJsonError(path, Expected("an array of lines", j));
    if (j.size() > 0xFFFF) throw EVNJsonError(path, "more than 65535 lines");
    std::vector<AnsiString> lines;
    for (std::size_t i = 0; i < j.size(); ++i)
        lines.push_back(JsonToText(j[i], path + "[" + std::to_string(i) + "]"));
    return lines;
}

std::int64_t JsonToInteger(const TVNJson& j, std::int64_t min, std::int64_t max, const std::string& path) {
    auto range = [&] {
        return EVNJsonError(path, "number out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
    };
    if (j.is_number_unsigned()) {
        const std::uint64_t u = j.get<std::uint64_t>();
        if (u > std::uint64_t(max)) throw range();
        return std::int64_t(u);
    }
    if (j.is_number_integer()) {
        const std::int64_t v = j.get<std::int64_t>();
        if (v < min || v > max) throw range();
        return v;
    }
    if (j.is_number_float()) {
        const double d = j.get<double>();
        if (!std::isfinite(d) || d != std::floor(d)) throw EVNJsonError(path, "expected a whole number");
        if (d < double(min) || d > double(max)) throw range();
        return std::int64_t(d);
    }
    throw EVNJsonError(path, Expected("a number", j));
}

bool JsonToBoolean(const TVNJson& j, const std::string& path) {
    if (!j.is_boolean()) throw EVNJsonError(path, Expected("true or false", j));
    return j.get<bool>();
}

double JsonToFloat(const TVNJson& j, const std::string& path) {
    if (!j.is_number()) throw EVNJsonError(path, Expected("a number", j));
    const double d = j.get<double>();
    if (!std::isfinite(d) || std::fabs(d) > 1e9) throw EVNJsonError(path, "number out of range");
    return d;
}

namespace {
struct TColorName {
    const char* Name;
    std::uint32_t Color;
};
const TColorName ColorNames[] = {
    {"clNone", clNone},       {"clBlack", clBlack},         {"clMaroon", clMaroon},
    {"clGreen", clGreen},     {"clOlive", clOlive},         {"clNavy", clNavy},
    {"clPurple", clPurple},   {"clTeal", clTeal},           {"clGray", clGray},
    {"clSilver", clSilver},   {"clRed", clRed},             {"clLime", clLime},
    {"clYellow", clYellow},   {"clBlue", clBlue},           {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},       {"clWhite", clWhite},         {"clWindow", clWindow},
    {"clWindowText", clWindowText}, {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText}, {"clBtnText", clBtnText},   {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText}, {"clInfoBk", clInfoBk},
};
} // namespace

// Colours are "#rrggbb" (the model keeps red in the low byte) or the system's colour names; any
// other value (another system colour, a palette index) stays a number.
TVNJson JsonFromColor(std::uint32_t color) {
    for (const TColorName& c : ColorNames)
        if (c.Color == color) return TVNJson(c.Name);
    if (color <= 0xFFFFFF) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(color), GetGValue(color), GetBValue(color));
        return TVNJson(buf);
    }
    return TVNJson(color);
}

std::uint32_t JsonToColor(const TVNJson& j, const std::string& path) {
    if (j.is_number()) return std::uint32_t(JsonToInteger(j, 0, 0xFFFFFFFFll, path));
    if (!j.is_string()) throw EVNJsonError(path, Expected("a colour (\"#rrggbb\" or a colour name)", j));
    const std::string& s = j.get_ref<const std::string&>();
    if (s.size() == 7 && s[0] == '#') {
        unsigned v = 0;
        auto [end, ec] = std::from_chars(s.data() + 1, s.data() + 7, v, 16);
        if (ec == std::errc() && end == s.data() + 7) return RGB(int(v >> 16), int((v >> 8) & 0xFF), int(v & 0xFF));
    }
    for (const TColorName& c : ColorNames)
        if (SameText(c.Name, s)) return c.Color;
    throw EVNJsonError(path, "unknown colour \"" + s + "\" (expected \"#rrggbb\" or a colour name such as clBlack)");
}

TVNJson JsonFromEnum(std::int64_t code, const TVNJsonEnum& names) {
    for (const auto& [name, c] : names)
        if (c == code) return TVNJson(name);
    return TVNJson(code);
}

std::int64_t JsonToEnum(const TVNJson& j, const TVNJsonEnum& names, std::int64_t min, std::int64_t max,
                        const std::string& path) {
    if (j.is_number()) return JsonToInteger(j, min, max, path);
    if (!j.is_string()) throw EVNJsonError(path, Expected("a name", j));
    const std::string& s = j.get_ref<const std::string&>();
    for (const auto& [name, c] : names)
        if (SameText(name, s)) return c;
    std::string all;
    for (const auto& n : names)
        all += (all.empty() ? "" : ", ") + n.first;
    throw EVNJsonError(path, "unknown value \"" + s + "\" (one of: " + all + ")");
}

// Font styles as a list of names (["fsBold", "fsItalic"]); bits no name covers stay a number.
static const TVNJsonEnum FontStyleNames = {{"fsBold", 1}, {"fsItalic", 2}, {"fsUnderline", 4}, {"fsStrikeOut", 8}};

TVNJson JsonFromFontStyle(std::int64_t style) {
    if (style < 0 || (style & ~std::int64_t(15))) return TVNJson(style);
    TVNJson a = TVNJson::array();
    for (const auto& [name, bit] : FontStyleNames)
        if (style & bit) a.push_back(name);
    return a;
}

std::int64_t JsonToFontStyle(const TVNJson& j, const std::string& path) {
    if (j.is_number()) return JsonToInteger(j, -32768, 32767, path);
    if (!j.is_array()) throw EVNJsonError(path, Expected("a list of styles such as [\"fsBold\"]", j));
    std::int64_t style = 0;
    for (std::size_t i = 0; i < j.size(); ++i)
        style |= JsonToEnum(j[i], FontStyleNames, 0, 0, path + "[" + std::to_string(i) + "]");
    return style;
}

TVNJson JsonFromThousandths(std::int32_t v) {
    if (v % 1000 == 0) return TVNJson(v / 1000);
    return TVNJson(v / 1000.0);
}

std::int32_t JsonToThousandths(const TVNJson& j, const std::string& path) {
    if (!j.is_number()) throw EVNJsonError(path, Expected("a number of millimetres", j));
    const double mm = j.get<double>();
    if (!std::isfinite(mm) || std::fabs(mm) > 2000000.0) throw EVNJsonError(path, "number out of range");
    return std::int32_t(std::llround(mm * 1000));
}

static const char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t n = std::uint32_t(std::uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size()) n |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) n |= std::uint8_t(bytes[i + 2]);
        out += Base64Digits[(n >> 18) & 63];
        out += Base64Digits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? Base64Digits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? Base64Digits[n & 63] : '=';
    }
    return out;
}

std::string JsonToBytes(const TVNJson& j, const std::string& path) {
    if (!j.is_string()) throw EVNJsonError(path, Expected("base64 text", j));
    const std::string& s = j.get_ref<const std::string&>();
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    std::size_t pad = 0;
    for (char c : s) {
        if (c == '=') {
            ++pad;
            continue;
        }
        const char* p = c ? std::strchr(Base64Digits, c) : nullptr;
        if (!p || pad) throw EVNJsonError(path, "not base64 text");
        acc = (acc << 6) | std::uint32_t(p - Base64Digits);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += char((acc >> bits) & 0xFF);
        }
    }
    if (s.size() % 4 != 0 || pad > 2) throw EVNJsonError(path, "not base64 text");
    return out;
}

// ---- view fields --------------------------------------------------------------------------------

const TVNJsonEnum& BandTypeEnum() {
    static const TVNJsonEnum names = {
        {"bkTitle", 0},           {"bkSummary", 1},         {"bkPageHeader", 2},       {"bkPageFooter", 3},
        {"bkMasterHeader", 4},    {"bkMasterData", 5},      {"bkMasterFooter", 6},     {"bkDetailHeader", 7},
        {"bkDetailData", 8},      {"bkDetailFooter", 9},    {"bkSubDetailHeader", 10}, {"bkSubDetailData", 11},
        {"bkSubDetailFooter", 12}, {"bkOverlay", 13},       {"bkColumnHeader", 14},    {"bkColumnFooter", 15},
        {"bkGroupHeader", 16},    {"bkGroupFooter", 17},    {"bkCrossHeader", 18},     {"bkCrossData", 19},
        {"bkCrossFooter", 20},    {"bkChild", 21},          {"bkNone", 22},
    };
    return names;
}

std::string ViewKindName(const char* className) {
    std::string n = className;
    if (n.size() > 3 && n.compare(0, 3, "TVN") == 0) n.erase(0, 3);
    if (n.size() > 4 && n.compare(n.size() - 4, 4, "View") == 0) n.erase(n.size() - 4);
    return n;
}

namespace {

using TViewField = TVNJsonField<TVNView>;

// Properties that are run-time state or another view of stored fields (the all-sides frame
// properties, the editors' entries): the text form keeps the stored fields themselves.
bool IsLeftOutProperty(const AnsiString& name) {
    static const char* const names[] = {
        "IsPrinting", "Memo1",     "Memo.Count", "Lines.Count", "Lines1.Count", "CalcValue",
        "LastValue",  "ValueChanged", "EOF",     "RowNo",       "RowCount",     "FrameTyp",
        "FrameWidth", "FrameColor", "FrameStyle", "Font",       "DisplayFormat", "Highlight",
        "ColCount", // a grid view's count, carried with its cells in "Grid"
    };
    for (const char* n : names)
        if (SameText(n, name)) return true;
    return false;
}

// A field reached through the view's property access by name.
TViewField PropertyField(const std::string& name, TVNJsonType type, TVNJsonEnum names = {},
                         std::int64_t min = std::numeric_limits<std::int32_t>::min(),
                         std::int64_t max = std::numeric_limits<std::int32_t>::max()) {
    TViewField f;
    f.Name = name;
    f.Type = type;
    f.Min = min;
    f.Max = max;
    f.Enum = names;
    f.Get = [name, type, names](TVNView& v) -> TVNJson {
        const Value value = v.GetProperty(name);
        switch (type) {
        case TVNJsonType::Boolean: return value.AsBoolean();
        case TVNJsonType::Float: return value.AsFloat();
        case TVNJsonType::Text: return JsonFromText(value.AsString());
        case TVNJsonType::Color: return JsonFromColor(std::uint32_t(value.AsInteger()));
        case TVNJsonType::Enum: return JsonFromEnum(value.AsInteger(), names);
        default: return value.AsInteger();
        }
    };
    f.Set = [name, type, names, min, max](TVNView& v, const TVNJson& j, const std::string& path) {
        Value value;
        switch (type) {
        case TVNJsonType::Boolean: value = Value::Boolean(JsonToBoolean(j, path)); break;
        case TVNJsonType::Float: value = Value(JsonToFloat(j, path)); break;
        case TVNJsonType::Text: value = Value(JsonToText(j, path)); break;
        case TVNJsonType::Color: value = Value(std::int64_t(JsonToColor(j, path))); break;
        case TVNJsonType::Enum: value = Value(JsonToEnum(j, names, min, max, path)); break;
        default: value = Value(JsonToInteger(j, min, max, path)); break;
        }
        v.SetProperty(name, value);
    };
    return f;
}

// A registered property as a field, typed by its registry kind and the value it gives; none for
// properties without a value of their own (editor entries).
bool FieldFromProperty(TVNView& v, const TVNPropRec& rec, TViewField& out) {
    const Value value = v.GetProperty(rec.Name);
    if (value.IsEmptyOrNull() || value.IsArray() || value.IsRecordSet()) return false;
    const bool numeric = value.IsNumeric();
    if ((rec.Kind & pkEnum) && numeric && value.Kind() != VarKind::Boolean) {
        TVNJsonEnum names;
        for (std::size_t i = 0; i < rec.EnumNames.size() && i < rec.EnumCodes.size(); ++i)
            names.emplace_back(rec.EnumNames[i], rec.EnumCodes[i].AsInteger());
        out = PropertyField(rec.Name, TVNJsonType::Enum, names);
        return true;
    }
    const bool colourName = rec.Name.size() >= 5 && SameText(rec.Name.substr(rec.Name.size() - 5), "Color");
    TVNJsonType type = TVNJsonType::Text;
    if (value.Kind() == VarKind::Boolean)
        type = TVNJsonType::Boolean;
    else if ((rec.Kind & pkColor) || (colourName && numeric))
        type = TVNJsonType::Color;
    else if (value.Kind() == VarKind::Float || value.Kind() == VarKind::Currency)
        type = TVNJsonType::Float;
    else if (numeric)
        type = TVNJsonType::Integer;
    out = PropertyField(rec.Name, type);
    return true;
}

struct TStreamField {
    TViewField Field;
    // Takes the place of a registered property of the same name at the end of the list: the raw
    // flag words come after the named bits they hold, so a named bit reads first and the word
    // only carries what no name covers.
    bool AtEnd = false;
};

template <class D>
void Add(std::vector<TStreamField>& list, TVNJsonField<D> f, bool atEnd = false) {
    list.push_back({OnDerived<TVNView, D>(std::move(f)), atEnd});
}

constexpr std::int64_t U8 = 0xFF, U16 = 0xFFFF, I16Min = -32768, I16Max = 32767;

TViewField FontStyleProperty() {
    TViewField f;
    f.Name = "Font.Style";
    f.Get = [](TVNView& v) { return JsonFromFontStyle(v.GetProperty("Font.Style").AsInteger()); };
    f.Set = [](TVNView& v, const TVNJson& j, const std::string& path) {
        v.SetProperty("Font.Style", Value(JsonToFontStyle(j, path)));
    };
    return f;
}

TVNJsonField<TVNMemoView> HighlightFontStyle() {
    TVNJsonField<TVNMemoView> f;
    f.Name = "Highlight.FontStyle";
    f.Get = [](TVNMemoView& m) { return JsonFromFontStyle(m.HighlightFontStyle); };
    f.Set = [](TVNMemoView& m, const TVNJson& j, const std::string& path) {
        m.HighlightFontStyle = std::int16_t(JsonToFontStyle(j, path));
    };
    return f;
}

TVNJsonField<TVNMemoView> MemoFontCharset() {
    TVNJsonField<TVNMemoView> f;
    f.Name = "Font.Charset";
    f.Min = I16Min;
    f.Max = I16Max;
    f.Get = [](TVNMemoView& m) { return TVNJson(m.Font.Charset); };
    f.Set = [](TVNMemoView& m, const TVNJson& j, const std::string& path) {
        m.Font.Charset = int(JsonToInteger(j, I16Min, I16Max, path));
    };
    return f;
}

TVNJsonField<TVNPictureView> PictureField() {
    static const TVNJsonEnum kinds = {{"None", 0}, {"Bitmap", 1}, {"Metafile", 2}, {"Icon", 3}, {"JPEG", 4}};
    TVNJsonField<TVNPictureView> f;
    f.Name = "Picture";
    f.Type = TVNJsonType::Picture;
    f.Get = [](TVNPictureView& p) {
        TVNJson j;
        j["Kind"] = JsonFromEnum(p.Picture.Kind, kinds);
        j["Data"] = Base64Encode(p.Picture.Data);
        return j;
    };
    f.Set = [](TVNPictureView& p, const TVNJson& j, const std::string& path) {
        if (!j.is_object()) throw EVNJsonError(path, Expected("an object with Kind and Data", j));
        for (auto it = j.begin(); it != j.end(); ++it)
            if (it.key() != "Kind" && it.key() != "Data") throw EVNJsonError(path + "." + it.key(), "unknown property");
        p.Picture.Kind = std::uint8_t(j.contains("Kind") ? JsonToEnum(j["Kind"], kinds, 0, U8, path + ".Kind") : 0);
        p.Picture.Data = j.contains("Data") ? JsonToBytes(j["Data"], path + ".Data") : std::string();
    };
    return f;
}

// The stream fields of a view that its registered properties do not reach, for its kind. This
// is the one place to extend when a kind stores something new.
std::vector<TStreamField> ViewStreamFields(TVNView& v) {
    std::vector<TStreamField> list;
    const bool band = dynamic_cast<TVNBandView*>(&v) != nullptr;
    list.push_back({PropertyField("FillColor", TVNJsonType::Color)});
    list.push_back({PropertyField("Tag", TVNJsonType::Text)});
    list.push_back({PropertyField("BandAlign", TVNJsonType::Enum,
                                  {{"baNone", 0}, {"baLeft", 1}, {"baRight", 2}, {"baCenter", 3}, {"baWidth", 4},
                                   {"baBottom", 5}, {"baClient", 7}, {"baHeight", 8}, {"baRest", 9}},
                                  0, U8)});
    list.push_back({PropertyField("GapX", TVNJsonType::Integer)});
    list.push_back({PropertyField("GapY", TVNJsonType::Integer)});
    if (!band) Add(list, IntegerMember("DiagonalType", &TVNView::DiagonalType, 0, U16));
    Add(list, IntegerMember("Format", &TVNView::Format, std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()));
    Add(list, TextMember("FormatText", &TVNView::FormatText));
    Add(list, LinesMember("Memo", &TVNView::Memo));
    Add(list, LinesMember("OnBeforePrint", &TVNView::OnBeforePrint));
    Add(list, LinesMember("OnAfterPrint", &TVNView::OnAfterPrint));
    Add(list, IntegerMember("Restrictions", &TVNView::Restrictions, 0, U16));
    if (dynamic_cast<TVNMemoView*>(&v)) {
        list.push_back({PropertyField("Alignment", TVNJsonType::Enum,
                                      {{"vntaLeftJustify", 0}, {"vntaRightJustify", 1}, {"vntaCenterJustify", 2},
                                       {"vntaEuqalJustify", 3}},
                                      0, 3)});
        list.push_back({PropertyField("Layout", TVNJsonType::Enum, {{"vntlTop", 0}, {"vntlCenter", 8}, {"vntlBottom", 16}},
                                      0, 0x18)});
        list.push_back({FontStyleProperty()});
        Add(list, MemoFontCharset());
        Add(list, HighlightFontStyle());
        Add(list, ColorMember("Highlight.FontColor", &TVNMemoView::HighlightFontColor));
        Add(list, ColorMember("Highlight.FillColor", &TVNMemoView::HighlightFillColor));
        Add(list, TextMember("Highlight.Condition", &TVNMemoView::HighlightCondition));
    }
    if (band) {
        list.push_back({PropertyField("ChildBand", TVNJsonType::Text)});
        list.push_back({PropertyField("Master", TVNJsonType::Text)});
        list.push_back({PropertyField("Columns", TVNJsonType::Integer, {}, 0, 99)});
        list.push_back({PropertyField("ColumnWidth", TVNJsonType::Integer)});
        list.push_back({PropertyField("ColumnGap", TVNJsonType::Integer)});
        list.push_back({PropertyField("LinesPerPage", TVNJsonType::Integer, {}, I16Min, I16Max)});
        list.push_back(
            {PropertyField("RangeBegin", TVNJsonType::Enum, {{"rbFirst", 0}, {"rbCurrent", 1}, {"rbDefault", 2}}, 0, U8)});
        list.push_back({PropertyField("RangeEnd", TVNJsonType::Enum,
                                      {{"reLast", 0}, {"reCurrent", 1}, {"reCount", 2}, {"reDefault", 3}}, 0, U8)});
        list.push_back({PropertyField("RangeEndCount", TVNJsonType::Integer)});
    }
    if (dynamic_cast<TVNPictureView*>(&v)) {
        Add(list, PictureField());
        Add(list, IntegerMember("BlobType", &TVNPictureView::BlobType, 0, U8));
    }
    if (dynamic_cast<TVNSubReportView*>(&v))
        Add(list, IntegerMember("SubPage", &TVNSubReportView::SubPage, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
    if (dynamic_cast<TVNCalcMemoView*>(&v)) {
        Add(list, IntegerMember("ResetAfterPrint", &TVNCalcMemoView::ResetAfterPrint, 0, U8));
        Add(list, IntegerMember("DBCalcType", &TVNCalcMemoView::DBCalcType, 0, U8,
                                {{"vndcSum", 0}, {"vndcCount", 1}, {"vndcAvg", 2}, {"vndcMax", 3}, {"vndcMin", 4},
                                 {"vndcUser", 5}}));
        Add(list, TextMember("DataBand", &TVNCalcMemoView::DataBand));
        Add(list, TextMember("Filter", &TVNCalcMemoView::Filter));
        Add(list, TextMember("IntalizeValue", &TVNCalcMemoView::IntalizeValue));
        Add(list, TextMember("AggregateValue", &TVNCalcMemoView::AggregateValue));
    }
    if (dynamic_cast<TVNMoneyView*>(&v)) {
        Add(list, ColorMember("DecimalLineColor", &TVNMoneyView::DecimalLineColor));
        Add(list, ColorMember("ThousandLineColor", &TVNMoneyView::ThousandLineColor));
        Add(list, ColorMember("LineColor", &TVNMoneyView::LineColor));
        Add(list, IntegerMember("ShowTitles", &TVNMoneyView::ShowTitles, 0, U8));
        Add(list, IntegerMember("LineWidth", &TVNMoneyView::LineWidth, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
        Add(list, IntegerMember("Cells", &TVNMoneyView::Cells, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
        Add(list, IntegerMember("Decimals", &TVNMoneyView::Decimals, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
        Add(list, TextMember("CurrencySymbol", &TVNMoneyView::CurrencySymbol));
    }
    if (dynamic_cast<TVNDiagonalView*>(&v)) {
        Add(list, ColorMember("LineColor", &TVNDiagonalView::LineColor));
        Add(list, IntegerMember("LineWidth", &TVNDiagonalView::LineWidth, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
    }
    if (dynamic_cast<TVNRoundRectView*>(&v)) {
        Add(list, IntegerMember("CompleteFrame", &TVNRoundRectView::CompleteFrame, 0, U8));
        Add(list, IntegerMember("ShadowWidth", &TVNRoundRectView::ShadowWidth, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
        Add(list, IntegerMember("RoundSize", &TVNRoundRectView::RoundSize, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()));
        Add(list, IntegerMember("RoundRect", &TVNRoundRectView::RoundRect, 0, U8));
    }
    if (dynamic_cast<TVNGridView*>(&v)) list.push_back({GridViewJsonField()});
    // The rich text as stored (RTF, or plain text), in the place of the plain "Lines" property.
    if (dynamic_cast<TVNRichView*>(&v)) Add(list, TextMember("Lines", &TVNRichView::RichText), true);
    if (dynamic_cast<TVNMemoView*>(&v))
        Add(list, IntegerMember("Adjust", &TVNMemoView::Adjust, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max()),
            true);
    Add(list, IntegerMember("ClassFormatVersion", &TVNView::ClassFormatVersion, 0, U8), true);
    Add(list, IntegerMember("Flags", &TVNView::Flags, 0, U16), true);
    Add(list, IntegerMember("Flags2", &TVNView::Flags2, 0, 0xFFFFFFFFll), true);
    return list;
}

} // namespace

const TVNJsonField<TVNView>* ViewHeadField(TVNView& view) {
    if (!dynamic_cast<TVNBandView*>(&view)) return nullptr;
    static const TViewField field = [] {
        TViewField f;
        f.Name = "BandType";
        f.Type = TVNJsonType::Enum;
        f.Enum = BandTypeEnum();
        f.Always = true;
        f.Min = 0;
        f.Max = VNBandTypeCount - 1;
        f.Get = [](TVNView& v) { return JsonFromEnum(static_cast<TVNBandView&>(v).BandType(), BandTypeEnum()); };
        f.Set = [](TVNView& v, const TVNJson& j, const std::string& path) {
            static_cast<TVNBandView&>(v).SetBandType(int(JsonToEnum(j, BandTypeEnum(), 0, VNBandTypeCount - 1, path)));
            v.ClearPropertyList(); // the band's properties depend on its type
        };
        return f;
    }();
    return &field;
}

std::vector<TVNJsonField<TVNView>> ViewFields(TVNView& view) {
    std::vector<TStreamField> stream = ViewStreamFields(view);
    auto findStream = [&](const std::string& name) -> TStreamField* {
        for (TStreamField& s : stream)
            if (SameText(s.Field.Name, name)) return &s;
        return nullptr;
    };
    std::vector<TViewField> fields;
    std::vector<std::string> taken;
    auto isTaken = [&](const std::string& name) {
        for (const std::string& t : taken)
            if (SameText(t, name)) return true;
        return false;
    };
    for (const auto& rec : view.PropList()) {
        if (IsLeftOutProperty(rec->Name) || isTaken(rec->Name)) continue;
        if (TStreamField* s = findStream(rec->Name)) {
            // The stream table knows the field more exactly (a range, the exact line list).
            if (!s->AtEnd) {
                fields.push_back(s->Field);
                taken.push_back(rec->Name);
            }
            continue;
        }
        TViewField f;
        if (!FieldFromProperty(view, *rec, f)) continue;
        fields.push_back(std::move(f));
        taken.push_back(rec->Name);
    }
    for (TStreamField& s : stream)
        if (!isTaken(s.Field.Name)) {
            fields.push_back(s.Field);
            taken.push_back(s.Field.Name);
        }
    return fields;
}
