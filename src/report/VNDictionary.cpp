// Dictionary lists, the dictionary section of report streams and the ".vnd" file.
//
// File layout (".vnd"): int32 version (43), str "Valnor Dictionary File" followed by byte 26,
// then the section: uint16 1 and the lists Variables, FieldAliases, DataSetAliases, each an
// int32 count of (str name, str value) pairs.
#include "VNDictionary.h"
#include "VNStrings.h"

#include "VNEngine.h"
#include "VNReport.h"

#include <filesystem>

static const char* const DictionarySignature = "Valnor Dictionary File";

int TVNDictList::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (SameText(Items[i].first, name)) return int(i);
    return -1;
}

void TVNDataDictionary::Clear() {
    Variables.Clear();
    FieldAliases.Clear();
    DataSetAliases.Clear();
    DisabledDataSets.clear();
    FieldCache.clear();
}

static void WriteList(TVNStream& s, const TVNDictList& list) {
    s.WriteInt32(list.Count());
    for (const auto& [name, value] : list.Items) {
        s.WriteStr(name);
        s.WriteStr(value);
    }
}

static void ReadList(TVNStream& s, TVNDictList& list) {
    std::int32_t count = s.ReadInt32();
    // Each pair takes at least two bytes even in old texts: a larger count is damage.
    if (count < 0 || std::uint64_t(count) * 2 > s.Remaining()) throw EVNStreamError("dictionary count");
    list.Clear();
    for (std::int32_t i = 0; i < count; ++i) {
        AnsiString name = s.ReadStr();
        AnsiString value = s.ReadStr();
        list.Add(std::move(name), std::move(value));
    }
}

void TVNDataDictionary::WriteSection(TVNStream& s) const {
    s.WriteUInt16(1);
    WriteList(s, Variables);
    WriteList(s, FieldAliases);
    WriteList(s, DataSetAliases);
}

void TVNDataDictionary::ReadSection(TVNStream& s) {
    FormatVersion = s.Version;
    FieldCache.clear();
    if (s.Version >= 31) s.ReadUInt16();
    ReadList(s, Variables);
    ReadList(s, FieldAliases);
    ReadList(s, DataSetAliases);
    if (s.Version < 30) {
        // Aliases without a value whose data set is unknown were never usable: drop them.
        auto& items = FieldAliases.Items;
        std::erase_if(items, [this](const auto& item) {
            if (!item.second.empty()) return false;
            std::size_t dot = item.first.find('.');
            AnsiString dataSet = dot == std::string::npos ? item.first : item.first.substr(0, dot);
            return DataSetAliases.IndexOf(dataSet) < 0;
        });
    }
}

void TVNDataDictionary::ReadOldSection(TVNStream& s) {
    static const char* const specialNames[] = {
        "Page#", "ApplicationPath#", "Date#",   "Time#",    "DateTime#",
        "Line#", "LineThough#",      "Column#", "Current#", "TotalPages#"};
    FormatVersion = s.Version;
    FieldCache.clear();
    std::int32_t count = s.ReadInt32();
    if (count < 0 || std::uint64_t(count) * 5 > s.Remaining()) throw EVNStreamError("old dictionary count");
    std::vector<AnsiString> values;
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint8_t kind = s.ReadByte();
        std::int32_t index = s.ReadInt32();
        AnsiString t1 = s.ReadStr(), t2 = s.ReadStr(), t3 = s.ReadStr();
        (void)t3;
        if (kind == 1)
            values.push_back(t1 + ".\"" + t2 + "\"");
        else if (kind == 2)
            values.push_back(index == 1 ? t2 : (index >= 0 && index < 10 ? specialNames[index] : ""));
        else
            values.push_back(AnsiString());
    }
    TVNStrings names = s.ReadStrList();
    Variables.Clear();
    for (std::size_t i = 0; i < names.size(); ++i)
        Variables.Add(names[i], i < values.size() ? values[i] : AnsiString());
    // Old headings were stored without their leading blank: toggle every entry's blank.
    if (!Variables.Items.empty() && (Variables.Items[0].first.empty() || Variables.Items[0].first[0] != ' '))
        for (auto& item : Variables.Items) {
            if (!item.first.empty() && item.first[0] == ' ')
                item.first.erase(0, 1);
            else
                item.first.insert(0, 1, ' ');
        }
}

void TVNDataDictionary::SaveToStream(TVNStream& s) const {
    s.Version = 43;
    s.WriteInt32(43);
    s.WriteStr(DictionarySignature);
    s.WriteByte(26);
    WriteSection(s);
}

bool TVNDataDictionary::LoadFromStream(TVNStream& s) {
    const AnsiString wrongFile = VNText(TVNText::NotDictionaryFile);
    try {
        std::int32_t version = s.ReadInt32();
        if (version < 0 || version > 43) throw EVNStreamError("dictionary version");
        s.Version = version;
        s.VersionCode = version * 100;
        if (version >= 42) {
            AnsiString sig = s.ReadStr();
            std::uint8_t eof = s.ReadByte();
            if (sig != DictionarySignature || eof != 26) {
                VNShowMessage(wrongFile, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
                return false;
            }
        } else if (version >= 23) {
            s.ReadStr();
            s.ReadByte();
        }
        TVNDataDictionary loaded;
        loaded.ReadSection(s);
        *this = std::move(loaded);
        return true;
    } catch (const EVNStreamError&) {
        VNShowMessage(wrongFile, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
        return false;
    }
}

static std::string WithExtension(const std::string& fileName, const char* ext) {
    std::filesystem::path p(fileName);
    if (p.has_extension() || std::filesystem::exists(p)) return fileName;
    return fileName + ext;
}

bool TVNDataDictionary::LoadFromFile(const std::string& fileName) {
    TVNStream s;
    if (!s.LoadFromFile(WithExtension(fileName, ".vnd"))) return false;
    return LoadFromStream(s);
}

bool TVNDataDictionary::MergeFromFile(const std::string& fileName) {
    TVNDataDictionary other;
    if (!other.LoadFromFile(fileName)) return false;
    auto merge = [](TVNDictList& into, const TVNDictList& from) {
        for (const auto& [name, value] : from.Items)
            if (into.IndexOf(name) < 0) into.Add(name, value);
    };
    merge(Variables, other.Variables);
    merge(FieldAliases, other.FieldAliases);
    merge(DataSetAliases, other.DataSetAliases);
    FieldCache.clear();
    return true;
}

bool TVNDataDictionary::SaveToFile(const std::string& fileName) const {
    TVNStream s;
    SaveToStream(s);
    return s.SaveToFile(WithExtension(fileName, ".vnd"));
}
