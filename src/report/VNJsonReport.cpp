// Writing and reading the text form of reports, templates and dictionaries (see VNJsonReport.h).
//
// Writing compares every field with a fresh object of the same kind and writes only what differs,
// applying each written value to that fresh object as it goes; at the end the fresh view must
// write exactly the same stream record as the original. That both proves the text carries the
// whole view and makes reading the text (which replays the same values in the same order on a
// fresh object) give back the same record.
//
// Reading parses with nlohmann's SAX interface through an input that counts the bytes it hands
// out, so every value's line is known and an error found after parsing can still name its line.
#include "VNJsonReport.h"

#include "VNBandView.h"
#include "VNPage.h"
#include "VNReportFiles.h"
#include "VNView.h"
#include "VNViewFactory.h"

#include "platform/AtomicFile.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>

const char* const VNJsonReportFormat = "Valnor Report File";
const char* const VNJsonTemplateFormat = "Valnor Template File";
const char* const VNJsonDictionaryFormat = "Valnor Dictionary File";

namespace {

// ---- report, page and dictionary fields ---------------------------------------------------------

using TReportField = TVNJsonField<TVNReport>;
using TPageField = TVNJsonField<TVNPage>;

constexpr std::int64_t I32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t I32Max = std::numeric_limits<std::int32_t>::max();

TReportField InfoText(const char* name, AnsiString TVNReportInfo::*member) {
    TReportField f;
    f.Name = name;
    f.Type = TVNJsonType::Text;
    f.Get = [member](TVNReport& r) { return JsonFromText(r.ReportInfo.*member); };
    f.Set = [member](TVNReport& r, const TVNJson& j, const std::string& path) {
        r.ReportInfo.*member = JsonToText(j, path);
    };
    return f;
}

const std::vector<TReportField>& ReportFields() {
    static const std::vector<TReportField> fields = [] {
        std::vector<TReportField> f;
        f.push_back(InfoText("Title", &TVNReportInfo::Title));
        f.push_back(InfoText("Author", &TVNReportInfo::Author));
        f.push_back(InfoText("Company", &TVNReportInfo::Company));
        f.push_back(InfoText("CopyRight", &TVNReportInfo::CopyRight));
        f.push_back(InfoText("Comment", &TVNReportInfo::Comment));
        f.push_back(TextMember("PrinterName", &TVNReport::PrinterName));
        f.push_back(BooleanMember("DoublePass", &TVNReport::DoublePass));
        f.push_back(BooleanMember("taodaDefault", &TVNReport::taodaDefault));
        f.push_back(BooleanMember("PrintBackColor", &TVNReport::PrintBackColor));
        f.push_back(IntegerMember("PrintOffsetTop", &TVNReport::PrintOffsetTop, I32Min, I32Max));
        f.push_back(IntegerMember("PrintOffsetLeft", &TVNReport::PrintOffsetLeft, I32Min, I32Max));
        f.push_back(BooleanMember("PrintPagePerPage", &TVNReport::PrintPagePerPage));
        return f;
    }();
    return fields;
}

TPageField BackGroundField() {
    static const TVNJsonEnum kinds = {{"None", 0}, {"Bitmap", 1}, {"Metafile", 2}, {"Icon", 3}, {"JPEG", 4}};
    TPageField f;
    f.Name = "BackGround";
    f.Type = TVNJsonType::Picture;
    f.Get = [](TVNPage& p) {
        TVNJson j;
        j["Kind"] = JsonFromEnum(p.BackGround.Kind, kinds);
        j["Data"] = Base64Encode(p.BackGround.Data);
        return j;
    };
    f.Set = [](TVNPage& p, const TVNJson& j, const std::string& path) {
        if (!j.is_object()) throw EVNJsonError(path, "expected an object with Kind and Data");
        for (auto it = j.begin(); it != j.end(); ++it)
            if (it.key() != "Kind" && it.key() != "Data") throw EVNJsonError(path + "." + it.key(), "unknown property");
        p.BackGround.Kind = std::uint8_t(j.contains("Kind") ? JsonToEnum(j["Kind"], kinds, 0, 255, path + ".Kind") : 0);
        p.BackGround.Data = j.contains("Data") ? JsonToBytes(j["Data"], path + ".Data") : std::string();
    };
    return f;
}

// Page fields in the order of the page record. Sizes are millimetres (the page keeps thousandths);
// the paper fields are always written, since a fresh page takes the printer's current paper.
const std::vector<TPageField>& PageFields() {
    static const std::vector<TPageField> fields = [] {
        std::vector<TPageField> f;
        f.push_back(TextMember("Name", &TVNPage::Name));
        f.push_back(IntegerMember("Type", &TVNPage::PageType, 0, 255, {{"ptReport", 0}, {"ptDialog", 1}}));
        f.push_back(TextMember("Caption", &TVNPage::Caption));
        f.push_back(IntegerMember("DialogLeft", &TVNPage::DialogLeft, I32Min, I32Max));
        f.push_back(IntegerMember("DialogTop", &TVNPage::DialogTop, I32Min, I32Max));
        f.push_back(IntegerMember("DialogWidth", &TVNPage::DialogWidth, I32Min, I32Max));
        f.push_back(IntegerMember("DialogHeight", &TVNPage::DialogHeight, I32Min, I32Max));
        f.push_back(ColorMember("Color", &TVNPage::Color));
        f.push_back(IntegerMember("BorderStyle", &TVNPage::BorderStyle, 2, 3, {{"bsDialog", 3}, {"bsSizeable", 2}}));
        f.push_back(IntegerMember("Position", &TVNPage::Position, 0, 4, {{"poDesigned", 0}, {"poScreenCenter", 4}}));
        f.push_back(IntegerMember("PaperSize", &TVNPage::PaperSize, I32Min, I32Max));
        f.push_back(ThousandthsMember("PaperWidth", &TVNPage::PaperWidth));
        f.push_back(ThousandthsMember("PaperHeight", &TVNPage::PaperHeight));
        f.push_back(IntegerMember("Orientation", &TVNPage::Orientation, 0, 1, {{"poPortrait", 0}, {"poLandscape", 1}}));
        for (std::size_t i = f.size() - 4; i < f.size(); ++i)
            f[i].Always = true;
        f.push_back(ThousandthsMember("LeftMargin", &TVNPage::LeftMargin));
        f.push_back(ThousandthsMember("TopMargin", &TVNPage::TopMargin));
        f.push_back(ThousandthsMember("RightMargin", &TVNPage::RightMargin));
        f.push_back(ThousandthsMember("BottomMargin", &TVNPage::BottomMargin));
        f.push_back(BooleanMember("PrintToPrevPage", &TVNPage::PrintToPrevPage));
        f.push_back(IntegerMember("Columns", &TVNPage::Columns, I32Min, I32Max));
        f.push_back(ThousandthsMember("ColumnGap", &TVNPage::ColumnGap));
        f.push_back(IntegerMember("Bin", &TVNPage::Bin, I32Min, I32Max));
        f.push_back(LinesMember("OnBeforePrint", &TVNPage::OnBeforePrint));
        f.push_back(BackGroundField());
        f.push_back(IntegerMember("BackGroundLeft", &TVNPage::BackGroundLeft, I32Min, I32Max));
        f.push_back(IntegerMember("BackGroundTop", &TVNPage::BackGroundTop, I32Min, I32Max));
        f.push_back(IntegerMember("BackGroundWidth", &TVNPage::BackGroundWidth, I32Min, I32Max));
        f.push_back(IntegerMember("BackGroundHeight", &TVNPage::BackGroundHeight, I32Min, I32Max));
        f.push_back(IntegerMember("AutoHCenter", &TVNPage::AutoHCenter, 0, 255));
        return f;
    }();
    return fields;
}

struct TDictListRef {
    const char* Name;
    TVNDictList TVNDataDictionary::*List;
};
const TDictListRef DictLists[] = {
    {"Variables", &TVNDataDictionary::Variables},
    {"FieldAliases", &TVNDataDictionary::FieldAliases},
    {"DataSetAliases", &TVNDataDictionary::DataSetAliases},
};

// ---- writing ------------------------------------------------------------------------------------

// Puts a value under a dotted name: "Font.Size" goes into the object "Font".
void PutDotted(TVNJson& object, const std::string& name, TVNJson value) {
    TVNJson* at = &object;
    std::size_t start = 0;
    for (std::size_t dot; (dot = name.find('.', start)) != std::string::npos; start = dot + 1) {
        TVNJson& next = (*at)[name.substr(start, dot - start)];
        if (next.is_null()) next = TVNJson::object();
        at = &next;
    }
    (*at)[name.substr(start)] = std::move(value);
}

// Writes the fields of object whose values differ from those of fresh (or are always written),
// applying each written value to fresh.
template <class T>
void WriteFields(TVNJson& out, const std::vector<TVNJsonField<T>>& fields, T& object, T& fresh,
                 const std::string& path) {
    for (const TVNJsonField<T>& f : fields) {
        TVNJson value = f.Get(object);
        if (!f.Always && value == f.Get(fresh)) continue;
        f.Set(fresh, value, path + "." + f.Name);
        PutDotted(out, f.Name, std::move(value));
    }
}

std::unique_ptr<TVNView> FreshView(const TVNView& like) {
    return std::unique_ptr<TVNView>(CreateViewByType(like.TypeCode, like.ClassName()));
}

// The design record as the report stream stores it.
std::string DesignRecord(TVNView& v) {
    TVNStream s;
    const bool printing = v.IsPrinting;
    v.IsPrinting = false;
    v.WriteToStream(s);
    v.IsPrinting = printing;
    return s.Data();
}

TVNJson ViewToJson(TVNView& view, const std::string& path) {
    std::unique_ptr<TVNView> fresh = FreshView(view);
    if (!fresh) throw EVNJsonError(path, "a view of a kind that cannot be created");
    TVNJson j;
    j["Kind"] = ViewKindName(view.ClassName());
    if (const TVNJsonField<TVNView>* head = ViewHeadField(view)) {
        TVNJson value = head->Get(view);
        head->Set(*fresh, value, path + "." + head->Name);
        j[head->Name] = std::move(value);
    }
    WriteFields(j, ViewFields(view), view, *fresh, path);
    if (DesignRecord(*fresh) != DesignRecord(view))
        throw EVNJsonError(path, "the view holds data that its text form does not carry");
    return j;
}

TVNJson DictionaryJson(TVNDataDictionary& d) {
    TVNJson j = TVNJson::object();
    for (const TDictListRef& l : DictLists) {
        const TVNDictList& list = d.*l.List;
        if (list.Items.empty()) continue;
        TVNJson a = TVNJson::array();
        for (const auto& [name, value] : list.Items)
            a.push_back(TVNJson::array({JsonFromText(name), JsonFromText(value)}));
        j[l.Name] = std::move(a);
    }
    return j;
}

std::string Text(const TVNJson& j) {
    return j.dump(2) + "\n";
}

} // namespace

std::string ReportToJson(TVNReport& report, const TVNJsonDocument& document) {
    const bool isTemplate = document.Format == VNJsonTemplateFormat;
    TVNJson root;
    root["format"] = isTemplate ? VNJsonTemplateFormat : VNJsonReportFormat;
    {
        TVNReport fresh;
        TVNJson info = TVNJson::object();
        WriteFields(info, ReportFields(), report, fresh, "report");
        root["report"] = std::move(info);
    }
    if (isTemplate) {
        TVNJson t = TVNJson::object();
        if (!document.Template.Description.empty())
            t["Description"] = JsonFromLines(document.Template.Description);
        if (!document.Template.PreviewBitmap.empty())
            t["PreviewBitmap"] = Base64Encode(document.Template.PreviewBitmap);
        root["template"] = std::move(t);
    }
    TVNJson pages = TVNJson::array();
    for (int i = 0; i < report.Pages.Count(); ++i) {
        TVNPage& page = report.Pages[i];
        const std::string path = "pages[" + std::to_string(i) + "]";
        TVNPage fresh;
        TVNJson p = TVNJson::object();
        WriteFields(p, PageFields(), page, fresh, path);
        TVNJson views = TVNJson::array();
        for (std::size_t v = 0; v < page.Objects.size(); ++v)
            views.push_back(ViewToJson(*page.Objects[v], path + ".views[" + std::to_string(v) + "]"));
        p["views"] = std::move(views);
        pages.push_back(std::move(p));
    }
    root["pages"] = std::move(pages);
    root["dictionary"] = DictionaryJson(report.Dictionary);
    return Text(root);
}

std::string DictionaryToJson(TVNDataDictionary& dictionary) {
    TVNJson root;
    root["format"] = VNJsonDictionaryFormat;
    root["dictionary"] = DictionaryJson(dictionary);
    return Text(root);
}

// ---- reading ------------------------------------------------------------------------------------

namespace {

// Hands the text to the parser one byte at a time and remembers how far it has read, so that
// each parse event knows its place in the text.
class TCountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TCountingIterator(const char* at, const char* base, std::size_t* read) : FAt(at), FBase(base), FRead(read) {}
    reference operator*() const {
        *FRead = std::size_t(FAt - FBase);
        return *FAt;
    }
    TCountingIterator& operator++() {
        ++FAt;
        return *this;
    }
    TCountingIterator operator++(int) {
        TCountingIterator before = *this;
        ++FAt;
        return before;
    }
    bool operator==(const TCountingIterator& other) const { return FAt == other.FAt; }
    bool operator!=(const TCountingIterator& other) const { return FAt != other.FAt; }

private:
    const char* FAt;
    const char* FBase;
    std::size_t* FRead;
};

// Builds the document and records the line of every value by its path ("pages[0].views[2]").
// Duplicate keys are an error here: the DOM would silently keep only the last one.
class TLineTrackingSax {
public:
    using number_integer_t = TVNJson::number_integer_t;
    using number_unsigned_t = TVNJson::number_unsigned_t;
    using number_float_t = TVNJson::number_float_t;
    using string_t = TVNJson::string_t;
    using binary_t = TVNJson::binary_t;

    TLineTrackingSax(TVNJson& root, std::string_view text, const std::size_t* read,
                     std::map<std::string, int>& lines)
        : FDom(root, true), FText(text), FRead(read), FLines(lines) {}

    bool null() { return Scalar() && FDom.null(); }
    bool boolean(bool v) { return Scalar() && FDom.boolean(v); }
    bool number_integer(number_integer_t v) { return Scalar() && FDom.number_integer(v); }
    bool number_unsigned(number_unsigned_t v) { return Scalar() && FDom.number_unsigned(v); }
    bool number_float(number_float_t v, const string_t& s) { return Scalar() && FDom.number_float(v, s); }
    bool string(string_t& v) { return Scalar() && FDom.string(v); }
    bool binary(binary_t& v) { return Scalar() && FDom.binary(v); }
    bool start_object(std::size_t n) {
        FFrames.push_back({false, 0, {}, {}, Mark()});
        return FDom.start_object(n);
    }
    bool key(string_t& k) {
        TFrame& f = FFrames.back();
        for (const std::string& seen : f.Keys)
            if (seen == k) throw EVNJsonError(Child(f, k), "the key is given twice", LineNow());
        f.Keys.push_back(k);
        f.Key = k;
        return FDom.key(k);
    }
    bool end_object() {
        FFrames.pop_back();
        Next();
        return FDom.end_object();
    }
    bool start_array(std::size_t n) {
        FFrames.push_back({true, 0, {}, {}, Mark()});
        return FDom.start_array(n);
    }
    bool end_array() {
        FFrames.pop_back();
        Next();
        return FDom.end_array();
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) {
        // nlohmann's text: "[json.exception.parse_error.101] parse error at line 3, column 5: syntax error ..."
        std::string message = ex.what();
        std::size_t colon = message.find(": ");
        if (colon != std::string::npos && message.find("column") < colon) message.erase(0, colon + 2);
        throw EVNJsonError(FFrames.empty() ? std::string() : FFrames.back().Path, message,
                           LineAt(position > 0 ? position - 1 : 0));
    }

    int LineNow() const { return LineAt(*FRead); }
    int LineAt(std::size_t pos) const {
        pos = std::min(pos, FText.size());
        return int(std::count(FText.begin(), FText.begin() + std::ptrdiff_t(pos), '\n')) + 1;
    }

private:
    struct TFrame {
        bool Array;
        std::size_t Index;
        std::string Key;
        std::vector<std::string> Keys;
        std::string Path;
    };
    static std::string Child(const TFrame& f, const std::string& key) {
        return f.Path.empty() ? key : f.Path + "." + key;
    }
    // The path of the value starting now, with its line recorded.
    std::string Mark() {
        std::string path;
        if (!FFrames.empty()) {
            const TFrame& f = FFrames.back();
            path = f.Array ? f.Path + "[" + std::to_string(f.Index) + "]" : Child(f, f.Key);
        }
        FLines.emplace(path, LineNow());
        return path;
    }
    void Next() {
        if (!FFrames.empty() && FFrames.back().Array) ++FFrames.back().Index;
    }
    bool Scalar() {
        Mark();
        Next();
        return true;
    }

    nlohmann::detail::json_sax_dom_parser<TVNJson> FDom;
    std::string_view FText;
    const std::size_t* FRead;
    std::map<std::string, int>& FLines;
    std::vector<TFrame> FFrames;
};

void Unknown(const std::string& path) {
    throw EVNJsonError(path, "unknown property");
}

const TVNJson& Require(const TVNJson& object, const char* key, const std::string& path) {
    if (!object.contains(key)) throw EVNJsonError(path, std::string("missing \"") + key + "\"");
    return object[key];
}

void RequireObject(const TVNJson& j, const std::string& path) {
    if (!j.is_object()) throw EVNJsonError(path, "expected an object");
}

// Applies the keys of a JSON object to an object through its fields, in the fields' order
// (not the text's), so that a hand-written text in any key order makes the same object. Nested
// objects stand for dotted names ("Font": {"Size": 9} is "Font.Size"); keys match without
// regard to case; keys in skip are handled by the caller.
template <class T>
void ReadFields(const TVNJson& object, const std::vector<TVNJsonField<T>>& fields, T& target,
                const std::string& path, std::initializer_list<const char*> skip = {}) {
    RequireObject(object, path);
    struct TLeaf {
        std::size_t Field;
        const TVNJson* Value;
        std::string Path;
    };
    std::vector<TLeaf> leaves;
    auto fieldIndex = [&](const std::string& name) -> std::size_t {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (SameText(fields[i].Name, name)) return i;
        return fields.size();
    };
    auto prefixOfSome = [&](const std::string& prefix) {
        for (const auto& f : fields)
            if (f.Name.size() > prefix.size() && SameText(f.Name.substr(0, prefix.size()), prefix) &&
                f.Name[prefix.size()] == '.')
                return true;
        return false;
    };
    std::vector<std::size_t> seen;
    auto collect = [&](auto&& self, const TVNJson& obj, const std::string& prefix, const std::string& at) -> void {
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            const std::string name = prefix.empty() ? it.key() : prefix + "." + it.key();
            const std::string keyPath = at + "." + it.key();
            if (prefix.empty() && std::any_of(skip.begin(), skip.end(), [&](const char* s) { return it.key() == s; }))
                continue;
            const std::size_t i = fieldIndex(name);
            if (i < fields.size()) {
                if (std::find(seen.begin(), seen.end(), i) != seen.end())
                    throw EVNJsonError(keyPath, "the property is given twice");
                seen.push_back(i);
                leaves.push_back({i, &it.value(), keyPath});
            } else if (it.value().is_object() && prefixOfSome(name)) {
                self(self, it.value(), name, keyPath);
            } else {
                Unknown(keyPath);
            }
        }
    };
    collect(collect, object, std::string(), path);
    std::sort(leaves.begin(), leaves.end(), [](const TLeaf& a, const TLeaf& b) { return a.Field < b.Field; });
    for (const TLeaf& leaf : leaves)
        fields[leaf.Field].Set(target, *leaf.Value, leaf.Path);
}

// The kinds a text may name: the fixed kinds by their type codes and every registered add-in.
struct TKind {
    std::string Name;
    int TypeCode;
    AnsiString ClassName;
};
std::vector<TKind> KnownKinds() {
    std::vector<TKind> kinds;
    for (int code : {ViewTypeMemo, ViewTypePicture, ViewTypeBand, ViewTypeSubReport, ViewTypeLine, ViewTypeCalcMemo,
                     ViewTypeMoney, ViewTypeRegion}) {
        std::unique_ptr<TVNView> v(CreateViewByType(code, AnsiString()));
        if (v) kinds.push_back({ViewKindName(v->ClassName()), code, v->ClassName()});
    }
    for (int i = 0; i < AddInObjectCount(); ++i)
        kinds.push_back({ViewKindName(AddInObject(i).ClassName.c_str()), ViewTypeAddIn, AddInObject(i).ClassName});
    return kinds;
}

void ReadView(const TVNJson& j, TVNReport& report, TVNPage& page, const std::string& path,
              const std::vector<TKind>& kinds) {
    RequireObject(j, path);
    const TVNJson& kindJson = Require(j, "Kind", path);
    if (!kindJson.is_string()) throw EVNJsonError(path + ".Kind", "expected the name of a view kind");
    const std::string& kindName = kindJson.get_ref<const std::string&>();
    const TKind* kind = nullptr;
    for (const TKind& k : kinds)
        if (SameText(k.Name, kindName) || SameText(k.ClassName, kindName)) kind = &k;
    if (!kind) {
        std::string all;
        for (const TKind& k : kinds)
            all += (all.empty() ? "" : ", ") + k.Name;
        throw EVNJsonError(path + ".Kind", "unknown view kind \"" + kindName + "\" (one of: " + all + ")");
    }
    TVNView* view = CreateViewByType(kind->TypeCode, kind->ClassName, &report);
    if (!view) throw EVNJsonError(path + ".Kind", "the view kind cannot be created");
    page.Add(view);
    std::vector<TVNJsonField<TVNView>> head;
    if (const TVNJsonField<TVNView>* h = ViewHeadField(*view)) {
        head.push_back(*h);
        if (!j.contains(h->Name)) throw EVNJsonError(path, "missing \"" + h->Name + "\"");
        head.back().Set(*view, j[h->Name], path + "." + h->Name);
    }
    std::vector<TVNJsonField<TVNView>> fields = ViewFields(*view);
    if (!head.empty()) fields.insert(fields.begin(), head.front());
    // The head was applied first; applying it again in order changes nothing.
    ReadFields(j, fields, *view, path, {"Kind"});
}

void ReadDictionary(const TVNJson& j, TVNDataDictionary& d, const std::string& path) {
    RequireObject(j, path);
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string listPath = path + "." + it.key();
        const TDictListRef* ref = nullptr;
        for (const TDictListRef& l : DictLists)
            if (SameText(l.Name, it.key())) ref = &l;
        if (!ref) Unknown(listPath);
        const TVNJson& a = it.value();
        if (!a.is_array()) throw EVNJsonError(listPath, "expected an array of [name, value] pairs");
        TVNDictList& list = d.*ref->List;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const std::string itemPath = listPath + "[" + std::to_string(i) + "]";
            if (!a[i].is_array() || a[i].size() != 2) throw EVNJsonError(itemPath, "expected a [name, value] pair");
            list.Add(JsonToText(a[i][0], itemPath + "[0]"), JsonToText(a[i][1], itemPath + "[1]"));
        }
    }
}

void ReadDocument(const TVNJson& root, TVNReport& report, TVNJsonDocument& document) {
    RequireObject(root, "");
    const TVNJson& format = Require(root, "format", "");
    if (!format.is_string() ||
        (format != VNJsonReportFormat && format != VNJsonTemplateFormat && format != VNJsonDictionaryFormat))
        throw EVNJsonError("format", std::string("expected \"") + VNJsonReportFormat + "\", \"" +
                                         VNJsonTemplateFormat + "\" or \"" + VNJsonDictionaryFormat + "\"");
    document.Format = format.get<std::string>();
    const bool dictionaryOnly = document.Format == VNJsonDictionaryFormat;
    const bool isTemplate = document.Format == VNJsonTemplateFormat;
    for (auto it = root.begin(); it != root.end(); ++it) {
        const std::string& k = it.key();
        const bool known = k == "format" || k == "dictionary" ||
                           (!dictionaryOnly && (k == "report" || k == "pages")) || (isTemplate && k == "template");
        if (!known) Unknown(k);
    }
    if (root.contains("report")) ReadFields(root["report"], ReportFields(), report, "report");
    if (root.contains("template")) {
        const TVNJson& t = root["template"];
        RequireObject(t, "template");
        for (auto it = t.begin(); it != t.end(); ++it) {
            const std::string p = "template." + it.key();
            if (it.key() == "Description")
                document.Template.Description = JsonToLines(it.value(), p);
            else if (it.key() == "PreviewBitmap")
                document.Template.PreviewBitmap = JsonToBytes(it.value(), p);
            else
                Unknown(p);
        }
    }
    if (root.contains("pages")) {
        const TVNJson& pages = root["pages"];
        if (!pages.is_array()) throw EVNJsonError("pages", "expected an array of pages");
        if (pages.size() > 255) throw EVNJsonError("pages", "more than 255 pages (a view record holds its page as a byte)");
        const std::vector<TKind> kinds = KnownKinds();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const std::string path = "pages[" + std::to_string(i) + "]";
            TVNPage& page = report.Pages.Add();
            ReadFields(pages[i], PageFields(), page, path, {"views"});
            // The paper goes through the printer, as it does when a stream is loaded.
            page.ChangePaper(page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation, page.Bin);
            if (!pages[i].contains("views")) continue;
            const TVNJson& views = pages[i]["views"];
            if (!views.is_array()) throw EVNJsonError(path + ".views", "expected an array of views");
            for (std::size_t v = 0; v < views.size(); ++v)
                ReadView(views[v], report, page, path + ".views[" + std::to_string(v) + "]", kinds);
        }
    }
    if (root.contains("dictionary")) ReadDictionary(root["dictionary"], report.Dictionary, "dictionary");
}

} // namespace

TVNJson NestedViewToJson(TVNView& view, TVNView& fresh, const std::string& path) {
    TVNJson j;
    j["Kind"] = ViewKindName(view.ClassName());
    WriteFields(j, ViewFields(view), view, fresh, path);
    if (DesignRecord(fresh) != DesignRecord(view))
        throw EVNJsonError(path, "the view holds data that its text form does not carry");
    return j;
}

void NestedViewFromJson(const TVNJson& j, TVNView& view, const std::string& path) {
    ReadFields(j, ViewFields(view), view, path, {"Kind"});
}

void JsonViewKind(const TVNJson& j, const std::string& path, int& typeCode, AnsiString& className) {
    RequireObject(j, path);
    const TVNJson& kindJson = Require(j, "Kind", path);
    if (!kindJson.is_string()) throw EVNJsonError(path + ".Kind", "expected the name of a view kind");
    const std::string& name = kindJson.get_ref<const std::string&>();
    for (const TKind& k : KnownKinds())
        if (SameText(k.Name, name) || SameText(k.ClassName, name)) {
            typeCode = k.TypeCode;
            className = k.ClassName;
            return;
        }
    throw EVNJsonError(path + ".Kind", "unknown view kind \"" + name + "\"");
}

TVNJsonDocument ReportFromJson(std::string_view text, TVNReport& report) {
    TVNJson root;
    std::map<std::string, int> lines;
    std::size_t read = 0;
    TLineTrackingSax sax(root, text, &read, lines);
    const char* base = text.data();
    TCountingIterator first(base, base, &read), last(base + text.size(), base, &read);
    TVNJson::sax_parse(first, last, &sax);
    TVNJsonDocument document;
    try {
        ReadDocument(root, report, document);
    } catch (EVNJsonError& e) {
        // Name the line of the property, or of the nearest enclosing value that has one.
        std::string p = e.Path;
        while (true) {
            auto it = lines.find(p);
            if (it != lines.end()) throw EVNJsonError(e.Path, e.Message, it->second);
            std::size_t cut = p.find_last_of(".[");
            if (cut == std::string::npos) break;
            p.erase(cut);
        }
        throw EVNJsonError(e.Path, e.Message, lines.count("") ? lines[""] : 0);
    }
    return document;
}

// ---- whole files --------------------------------------------------------------------------------

namespace {

// Loader messages become the error of the conversion.
struct TLoadMessages {
    TScriptedMessageService Service;
    TMessageServiceScope Scope{Service};
    void ThrowIfAny(bool ok, const char* what) const {
        std::string text;
        for (const auto& m : Service.Shown())
            text += (text.empty() ? "" : "; ") + AnsiToUtf8(m.Text);
        if (!ok || !text.empty())
            throw EVNJsonError("", std::string("the ") + what + " does not load cleanly" + (text.empty() ? "" : ": " + text));
    }
};

} // namespace

std::string StoredBytesToJson(const std::string& bytes) {
    TLoadMessages messages;
    TVNStream s(bytes);
    const TVNFileKind kind = DetectVNFileKind(bytes);
    if (kind == TVNFileKind::PreparedPages)
        throw EVNJsonError("", "a prepared report holds built pages, not a report design; it has no text form");
    if (kind == TVNFileKind::Dictionary) {
        TVNDataDictionary d;
        messages.ThrowIfAny(d.LoadFromStream(s), "dictionary");
        return DictionaryToJson(d);
    }
    TVNReport report;
    TVNJsonDocument document;
    if (kind == TVNFileKind::Template) {
        document.Format = VNJsonTemplateFormat;
        messages.ThrowIfAny(TVNReport::ReadTemplateInfo(s, document.Template), "template");
        s.Seek(0);
    }
    messages.ThrowIfAny(LoadVNFile(report, s, kind), VNFileKindName(kind));
    return ReportToJson(report, document);
}

std::string JsonToStoredBytes(std::string_view text, const std::string& extension) {
    TLoadMessages messages;
    TVNReport report;
    TVNJsonDocument document = ReportFromJson(text, report);
    const std::string ext = LowerCase(extension);
    const bool dictionary = document.Format == VNJsonDictionaryFormat;
    TVNStream s;
    if (ext == ".vnd") {
        if (!dictionary) throw EVNJsonError("format", "a \".vnd\" file is made from a dictionary text");
        report.Dictionary.SaveToStream(s);
        return s.Data();
    }
    if (dictionary) throw EVNJsonError("format", "a dictionary text makes a \".vnd\" file");
    if (ext == ".vnt") {
        report.SaveTemplateStream(s, document.Template.Description, document.Template.PreviewBitmap);
        return s.Data();
    }
    if (ext != ".vnf" && ext != ".hex")
        throw EVNJsonError("", "unknown output kind \"" + extension + "\" (.vnf, .vnt, .vnd or .hex)");
    report.SaveReportStream(s);
    if (ext == ".vnf") return s.Data();
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(s.Size() * 2 + 1);
    for (unsigned char c : s.Data()) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex + "#";
}

std::string MakeStoredFile(const std::string& jsonFile, const std::string& outFile) {
    std::string text;
    if (!ReadWholeFile(jsonFile, text)) return "cannot read " + jsonFile;
    try {
        AtomicWriteFile(outFile, JsonToStoredBytes(text, std::filesystem::path(outFile).extension().string()));
    } catch (const EVNJsonError& e) {
        // "FILE:LINE: path: message", the form editors and compilers use.
        return jsonFile + (e.Line > 0 ? ":" + std::to_string(e.Line) : std::string()) + ": " +
               (e.Path.empty() ? e.Message : e.Path + ": " + e.Message);
    } catch (const EFileWriteError& e) {
        return e.what();
    }
    return std::string();
}
