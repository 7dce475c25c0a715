// The report's data dictionary as a data model: dictionary variables in categories, field and
// data set aliases, hidden data sets and the field cache, with the dictionary section of the
// report stream and the ".vnd" dictionary file. Looking names up and evaluating variables is
// the expression side's work; it reads and fills these lists.
#pragma once

#include "VNStream.h"

#include <map>
#include <utility>
#include <vector>

class TMemDataSet;
class TVNReport;

// An ordered list of (name, value) texts.
class TVNDictList {
public:
    std::vector<std::pair<AnsiString, AnsiString>> Items;
    int Count() const { return int(Items.size()); }
    void Add(AnsiString name, AnsiString value) { Items.emplace_back(std::move(name), std::move(value)); }
    // Index of a name (case-insensitive) or -1.
    int IndexOf(std::string_view name) const;
    void Clear() { Items.clear(); }
    friend bool operator==(const TVNDictList&, const TVNDictList&) = default;
};

struct TVNFieldCacheEntry {
    TMemDataSet* DataSet = nullptr;
    AnsiString FieldName;
};

class TVNDataDictionary {
public:
    // Entries whose name begins with a blank are category headings.
    TVNDictList Variables;
    TVNDictList FieldAliases;   // "DataSet.Field" -> alias
    TVNDictList DataSetAliases; // data set path -> alias
    std::vector<AnsiString> DisabledDataSets;
    // Upper-cased name as written in expressions -> where the field lives.
    std::map<AnsiString, TVNFieldCacheEntry> FieldCache;
    std::int32_t FormatVersion = 43;

    void Clear();

    // Dictionary section: uint16 1, then the three lists (int32 count, count x (str, str)).
    void WriteSection(TVNStream& s) const;
    // Current section (after byte 252); the stream's version is the format version.
    void ReadSection(TVNStream& s);
    // Old section (after byte 254).
    void ReadOldSection(TVNStream& s);

    // ".vnd" files. Load/merge return false (after the message) when the file is not a
    // dictionary or cannot be read; a name without extension gets ".vnd" when missing.
    bool LoadFromFile(const std::string& fileName);
    bool MergeFromFile(const std::string& fileName);
    bool SaveToFile(const std::string& fileName) const;
    void SaveToStream(TVNStream& s) const;
    // Reads a ".vnd" image; false (after the message) on a wrong header or damaged data.
    bool LoadFromStream(TVNStream& s);
};
