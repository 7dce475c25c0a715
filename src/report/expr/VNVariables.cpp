// The named value list. Unsorted lists search linearly (they are small and keep the order their
// owner gave them); sorted lists use a binary search under case-insensitive order.
#include "VNVariables.h"

#include <algorithm>

static const AnsiString EmptyName;

int TVNVariables::SortedPosition(const AnsiString& name, bool& found) const {
    auto it =
        std::lower_bound(FItems.begin(), FItems.end(), name, [](const auto& item, const AnsiString& key) {
            return CompareText(item.first, key) < 0;
        });
    found = it != FItems.end() && SameText(it->first, name);
    return static_cast<int>(it - FItems.begin());
}

int TVNVariables::IndexOf(const AnsiString& name) const {
    if (FSorted) {
        bool found = false;
        int pos = SortedPosition(name, found);
        return found ? pos : -1;
    }
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (SameText(FItems[i].first, name)) return static_cast<int>(i);
    return -1;
}

void TVNVariables::SetVariable(const AnsiString& name, const ::Value& value) {
    if (FSorted) {
        bool found = false;
        int pos = SortedPosition(name, found);
        if (found)
            FItems[pos].second = value;
        else
            FItems.insert(FItems.begin() + pos, {name, value});
        return;
    }
    int index = IndexOf(name);
    if (index >= 0)
        FItems[index].second = value;
    else
        FItems.emplace_back(name, value);
}

::Value TVNVariables::GetVariable(const AnsiString& name) const {
    const ::Value* v = Find(name);
    return v ? *v : ::Value::Null();
}

const ::Value* TVNVariables::Find(const AnsiString& name) const {
    int index = IndexOf(name);
    return index >= 0 ? &FItems[index].second : nullptr;
}

const AnsiString& TVNVariables::Name(int index) const {
    if (index < 0 || index >= Count()) return EmptyName;
    return FItems[index].first;
}

void TVNVariables::SetName(int index, const AnsiString& name) {
    if (index < 0 || index >= Count()) return;
    FItems[index].first = name;
    if (FSorted) SetSorted(true); // keep the order a sorted list promises
}

::Value TVNVariables::Value(int index) const {
    if (index < 0 || index >= Count()) return ::Value::Integer(0);
    return FItems[index].second;
}

void TVNVariables::SetValue(int index, const ::Value& value) {
    if (index < 0 || index >= Count()) return;
    FItems[index].second = value;
}

void TVNVariables::Insert(int position, const AnsiString& name) {
    // The name is added (or found) first and then moved, so a name already present moves too.
    SetVariable(name, ::Value::Integer(0));
    if (FSorted) return;
    int from = IndexOf(name);
    int to = std::clamp(position, 0, Count() - 1);
    if (from == to) return;
    auto item = std::move(FItems[from]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(item));
}

void TVNVariables::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
}

void TVNVariables::Assign(const TVNVariables& other) {
    if (&other == this) return;
    FItems = other.FItems;
    if (FSorted && !other.FSorted) SetSorted(true);
}

void TVNVariables::SetSorted(bool sorted) {
    FSorted = sorted;
    if (sorted)
        std::stable_sort(FItems.begin(), FItems.end(),
                         [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
}
