// Property registry of report objects and the line helpers behind the text properties.
#include "VNObject.h"

void TVNObject::SetProperty(const AnsiString&, const Value&) {}
Value TVNObject::GetProperty(const AnsiString&) {
    return Value();
}
Value TVNObject::CallMethod(const AnsiString&, const Value&, const Value&, const Value&) {
    return Value();
}

void TVNObject::RegisterProperty(const AnsiString& name, std::uint16_t kind, TVNPropEditor editor,
                                 TVNObject* editorOwner) {
    auto rec = std::make_unique<TVNPropRec>();
    rec->Name = name;
    rec->Kind = kind;
    rec->Editor = std::move(editor);
    rec->EditorOwner = editorOwner;
    FPropList.push_back(std::move(rec));
}

void TVNObject::RegisterEnumProperty(const AnsiString& name, const AnsiString& names, TVNPropEditor editor,
                                     TVNObject* editorOwner, std::vector<int> values) {
    auto rec = std::make_unique<TVNPropRec>();
    rec->Name = name;
    rec->Kind = pkEnum | (editor ? pkEditor : 0);
    std::size_t start = 0;
    while (start <= names.size() && !names.empty()) {
        std::size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        rec->EnumNames.push_back(names.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 0; i < rec->EnumNames.size(); ++i)
        rec->EnumCodes.push_back(Value(i < values.size() ? values[i] : int(i)));
    rec->Editor = std::move(editor);
    rec->EditorOwner = editorOwner;
    FPropList.push_back(std::move(rec));
}

void TVNObject::UnregisterProperty(const AnsiString& name) {
    for (auto it = FPropList.begin(); it != FPropList.end(); ++it)
        if (SameText((*it)->Name, name)) {
            FPropList.erase(it);
            return;
        }
}

void TVNObject::EnsureProperties() {
    if (FPropList.empty()) RegisterProperties();
}

TVNPropRec* TVNObject::LookupProperty(const AnsiString& name) {
    EnsureProperties();
    for (auto& rec : FPropList)
        if (SameText(rec->Name, name)) return rec.get();
    return nullptr;
}

const std::vector<std::unique_ptr<TVNPropRec>>& TVNObject::PropList() {
    EnsureProperties();
    return FPropList;
}

std::vector<AnsiString> SplitLines(std::string_view text) {
    std::vector<AnsiString> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

AnsiString JoinLines(const std::vector<AnsiString>& lines) {
    AnsiString s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) s += "\r\n";
        s += lines[i];
    }
    return s;
}
