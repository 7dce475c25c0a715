// The fields of the report's text form: what each JSON key of a report, page or view means, how its
// value is written (numbers, booleans, "#rrggbb" or named colours, UTF-8 texts, arrays of lines,
// millimetres, base64 bytes) and how it is checked and applied when read back.
//
// View fields are not listed per kind: they come from the view's own property registry (the
// names the report script and the object inspector use), so every kind - including add-in kinds
// registered later - is covered by what it publishes. What the stream stores but no property
// reaches (scripts as exact line lists, the raw flag words, frame sides, highlight, band type,
// the tails of the fixed kinds) is added in ViewStreamFields, the one table of such fields.
#pragma once

#include "VNObject.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TVNView;

// Key order is the order fields are written in, so a diff of two dumps shows only what changed.
using TVNJson = nlohmann::ordered_json;

// A problem with the text form: Path names the property ("pages[0].views[2].Font.Size"), Line
// the line of the JSON text it is on (0 when unknown).
class EVNJsonError : public std::runtime_error {
public:
    EVNJsonError(std::string path, std::string message, int line = 0)
        : std::runtime_error(Compose(path, message, line)), Path(std::move(path)), Message(std::move(message)),
          Line(line) {}
    std::string Path, Message;
    int Line;

    static std::string Compose(const std::string& path, const std::string& message, int line) {
        std::string s = line > 0 ? "line " + std::to_string(line) + ": " : std::string();
        return s + (path.empty() ? message : path + ": " + message);
    }
};

enum class TVNJsonType { Integer, Boolean, Float, Text, Lines, Color, Enum, Millimetres, Picture, Bytes };

using TVNJsonEnum = std::vector<std::pair<std::string, std::int64_t>>;

// One key of an object of type T. Get gives the JSON value of the field; Set checks a JSON value
// (throwing EVNJsonError with the path it is given) and applies it.
template <class T>
struct TVNJsonField {
    std::string Name; // dots nest: "Font.Size" is written as "Font": {"Size": ...}
    TVNJsonType Type = TVNJsonType::Integer;
    std::int64_t Min = std::numeric_limits<std::int32_t>::min();
    std::int64_t Max = std::numeric_limits<std::int32_t>::max();
    TVNJsonEnum Enum;
    // Written even when it equals the default (paper fields, whose default is the printer's).
    bool Always = false;
    std::function<TVNJson(T&)> Get;
    std::function<void(T&, const TVNJson&, const std::string& path)> Set;
};

// ---- value codecs (shared by every field) ------------------------------------------------------

TVNJson JsonFromText(const AnsiString& text);
AnsiString JsonToText(const TVNJson& j, const std::string& path);
TVNJson JsonFromLines(const std::vector<AnsiString>& lines);
std::vector<AnsiString> JsonToLines(const TVNJson& j, const std::string& path);
std::int64_t JsonToInteger(const TVNJson& j, std::int64_t min, std::int64_t max, const std::string& path);
bool JsonToBoolean(const TVNJson& j, const std::string& path);
double JsonToFloat(const TVNJson& j, const std::string& path);
TVNJson JsonFromColor(std::uint32_t color);
std::uint32_t JsonToColor(const TVNJson& j, const std::string& path);
TVNJson JsonFromEnum(std::int64_t code, const TVNJsonEnum& names);
std::int64_t JsonToEnum(const TVNJson& j, const TVNJsonEnum& names, std::int64_t min, std::int64_t max,
                        const std::string& path);
TVNJson JsonFromFontStyle(std::int64_t style);
std::int64_t JsonToFontStyle(const TVNJson& j, const std::string& path);
// Thousandths of a millimetre written as millimetres (15000 -> 15, 12345 -> 12.345).
TVNJson JsonFromThousandths(std::int32_t v);
std::int32_t JsonToThousandths(const TVNJson& j, const std::string& path);
std::string Base64Encode(std::string_view bytes);
std::string JsonToBytes(const TVNJson& j, const std::string& path);

// ---- fields on members --------------------------------------------------------------------------

template <class T, class M>
TVNJsonField<T> IntegerMember(std::string name, M T::*member, std::int64_t min, std::int64_t max,
                              TVNJsonEnum names = {}) {
    TVNJsonField<T> f;
    f.Name = std::move(name);
    f.Type = names.empty() ? TVNJsonType::Integer : TVNJsonType::Enum;
    f.Min = min;
    f.Max = max;
    f.Enum = names;
    f.Get = [member, names](T& o) {
        const auto v = std::int64_t(o.*member);
        return names.empty() ? TVNJson(v) : JsonFromEnum(v, names);
    };
    f.Set = [member, min, max, names](T& o, const TVNJson& j, const std::string& path) {
        o.*member = M(names.empty() ? JsonToInteger(j, min, max, path) : JsonToEnum(j, names, min, max, path));
    };
    return f;
}

template <class T, class M>
TVNJsonField<T> BooleanMember(std::string name, M T::*member) {
    TVNJsonField<T> f;
    f.Name = std::move(name);
    f.Type = TVNJsonType::Boolean;
    f.Get = [member](T& o) { return TVNJson(bool(o.*member)); };
    f.Set = [member](T& o, const TVNJson& j, const std::string& path) { o.*member = M(JsonToBoolean(j, path)); };
    return f;
}

template <class T, class M>
TVNJsonField<T> ColorMember(std::string name, M T::*member) {
    TVNJsonField<T> f;
    f.Name = std::move(name);
    f.Type = TVNJsonType::Color;
    f.Get = [member](T& o) { return JsonFromColor(std::uint32_t(o.*member)); };
    f.Set = [member](T& o, const TVNJson& j, const std::string& path) { o.*member = M(JsonToColor(j, path)); };
    return f;
}

template <class T>
TVNJsonField<T> TextMember(std::string name, AnsiString T::*member) {
    TVNJsonField<T> f;
    f.Name = std::move(name);
    f.Type = TVNJsonType::Text;
    f.Get = [member](T& o) { return JsonFromText(o.*member); };
    f.Set = [member](T& o, const TVNJson& j, const std::string& path) { o.*member = JsonToText(j, path); };
    return f;
}

template <class T>
TVNJsonField<T> LinesMember(std::string name, std::vector<AnsiString> T::*member) {
    TVNJsonField<T> f;
    f.Name = std::move(name);
    f.Type = TVNJsonType::Lines;
    f.Get = [member](T& o) { return JsonFromLines(o.*member); };
    f.Set = [member](T& o, const TVNJson& j, const std::string& path) { o.*member = JsonToLines(j, path); };
    return f;
}

template <class T, class M>
TVNJsonField<T> ThousandthsMember(std::string name, M T::*member) {
    TVNJsonField<T> f;
    f.Name = std::move(name);
    f.Type = TVNJsonType::Millimetres;
    f.Get = [member](T& o) { return JsonFromThousandths(o.*member); };
    f.Set = [member](T& o, const TVNJson& j, const std::string& path) { o.*member = JsonToThousandths(j, path); };
    return f;
}

// A field of a base-class object that lives in the derived class D (the caller has checked the
// object's kind before offering the field).
template <class Base, class D>
TVNJsonField<Base> OnDerived(TVNJsonField<D> f) {
    TVNJsonField<Base> b;
    b.Name = std::move(f.Name);
    b.Type = f.Type;
    b.Min = f.Min;
    b.Max = f.Max;
    b.Enum = std::move(f.Enum);
    b.Always = f.Always;
    b.Get = [get = std::move(f.Get)](Base& o) { return get(static_cast<D&>(o)); };
    b.Set = [set = std::move(f.Set)](Base& o, const TVNJson& j, const std::string& path) {
        set(static_cast<D&>(o), j, path);
    };
    return b;
}

// ---- view fields --------------------------------------------------------------------------------

// The band type names of the text form ("bkTitle" ... "bkNone"), codes 0..22.
const TVNJsonEnum& BandTypeEnum();

// The fields of a view, in the order they are written and applied: published properties in
// registry order (run-time and derived ones left out), then the stream fields no property
// reaches. The list depends on the view's kind and, for bands, on the band type: set the band
// type first (BandTypeField) and refill the registry.
std::vector<TVNJsonField<TVNView>> ViewFields(TVNView& view);
// The field that must be applied before the others ask the registry (bands: "BandType").
const TVNJsonField<TVNView>* ViewHeadField(TVNView& view);

// The short kind name of a view class in the text form: "TVNMemoView" -> "Memo",
// "TVNDBLookupControl" -> "DBLookupControl".
std::string ViewKindName(const char* className);
