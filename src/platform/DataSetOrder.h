// Record order of the in-memory data set: index field lists ("f_a;f_b" with descending fields),
// sort texts ("f_Sysl DESC,f_Spbm ASC") and the stable sort of stored rows by them.
//
// Order of one key: null (and empty) values first, then text byte by byte (CP936 order) for string
// fields, or numbers for every other type; a descending key reverses all of that. Rows with equal
// keys keep their storage order, so sorting is stable and a posted row lands where a full re-sort
// would put it.
#pragma once

#include "AnsiString.h"
#include "Value.h"

#include <string_view>
#include <vector>

struct TSortKey {
    int Field = 0;
    bool Textual = false; // string field: compare as text
    bool Descending = false;
};

struct TSortItem {
    AnsiString FieldName;
    bool Descending = false;
};

// "f_Sysl DESC,f_Spbm ASC" (ASC is the default, keywords in any case, blanks ignored).
// EDataSetError for an item that is not "name [ASC|DESC]".
std::vector<TSortItem> ParseSortText(std::string_view text);

// "f_a;f_b" -> {"f_a", "f_b"}; blanks around names dropped, empty items skipped.
std::vector<AnsiString> SplitFieldList(std::string_view text);

class TRowOrder {
public:
    TRowOrder() = default;
    explicit TRowOrder(std::vector<TSortKey> keys) : FKeys(std::move(keys)) {}

    bool Empty() const { return FKeys.empty(); }
    const std::vector<TSortKey>& Keys() const { return FKeys; }

    // <0 when stored row a comes before row b (ties broken by storage position).
    int Compare(const std::vector<Value>* columns, int a, int b) const;

    // Sorts stored row numbers given in ascending storage order; keys are extracted once per row.
    void Sort(const std::vector<Value>* columns, std::vector<int>& rows) const;

    // The position in an ordered `rows` where `row` belongs.
    std::size_t InsertPosition(const std::vector<Value>* columns, const std::vector<int>& rows,
                               int row) const;

private:
    std::vector<TSortKey> FKeys;
};
