// The root of the report's object model: an ordered property registry that the object inspector
// and the report script use to list and reach an object's properties by name.
//
// The registry is filled lazily: the first access that needs it calls RegisterProperties, so
// objects that are never inspected never pay for it. Names are matched without regard to case.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// PropertyKind bits.
enum : std::uint16_t {
    pkHidden = 0,
    pkString = 1,
    pkInteger = 2,
    pkFloat = 4,
    pkBoolean = 8,
    pkColor = 16,
    pkEnum = 32,
    pkEditor = 64,
    pkPixelSize = 128,
    pkSingleOnly = 256,
};

class TVNObject;
using TVNPropEditor = std::function<void(TVNObject* owner)>;

struct TVNPropRec {
    AnsiString Name;
    std::uint16_t Kind = 0;
    std::vector<AnsiString> EnumNames;
    std::vector<Value> EnumCodes;
    TVNPropEditor Editor;
    TVNObject* EditorOwner = nullptr;
};

class TVNObject {
public:
    TVNObject() = default;
    TVNObject(const TVNObject&) = delete;
    TVNObject& operator=(const TVNObject&) = delete;
    virtual ~TVNObject() = default;

    // Virtual operations in their slot order.
    virtual void SetProperty(const AnsiString& name, const Value& value);
    virtual Value GetProperty(const AnsiString& name);
    virtual Value CallMethod(const AnsiString& name, const Value& p1 = Value(), const Value& p2 = Value(),
                             const Value& p3 = Value());
    virtual void RegisterProperties() {}

    void RegisterProperty(const AnsiString& name, std::uint16_t kind, TVNPropEditor editor = nullptr,
                          TVNObject* editorOwner = nullptr);
    // names: ";"-separated; values: the numeric code of each name (their index when omitted).
    void RegisterEnumProperty(const AnsiString& name, const AnsiString& names, TVNPropEditor editor = nullptr,
                              TVNObject* editorOwner = nullptr, std::vector<int> values = {});
    void UnregisterProperty(const AnsiString& name);
    TVNPropRec* LookupProperty(const AnsiString& name);
    void ClearPropertyList() { FPropList.clear(); }

    // The registry, filled first when it is empty.
    const std::vector<std::unique_ptr<TVNPropRec>>& PropList();

private:
    void EnsureProperties();
    std::vector<std::unique_ptr<TVNPropRec>> FPropList;
};

// Splits text at line breaks (CR LF, CR or LF) into lines; a final break adds no empty line.
std::vector<AnsiString> SplitLines(std::string_view text);
// Joins lines with CR LF, with no break after the last one.
AnsiString JoinLines(const std::vector<AnsiString>& lines);
