// TVNVariables: the ordered list of named values behind every name table of the engine
// (engine-wide variables, report variables, dictionary variables, constants, band accumulators).
//
// Names are compared without regard to case and are unique: setting an existing name replaces
// its value. The list can be switched to sorted order, which the constants list uses for its
// look-ups; the insertion order is kept otherwise.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Value.h"

#include <utility>
#include <vector>

class TVNVariables {
public:
    // Adds the name, or replaces the value of the entry that has it.
    void SetVariable(const AnsiString& name, const ::Value& value);
    // The value of the name; null when the list does not hold it.
    ::Value GetVariable(const AnsiString& name) const;
    // Pointer to the stored value or nullptr; for hot paths that must not copy.
    const ::Value* Find(const AnsiString& name) const;
    int IndexOf(const AnsiString& name) const;
    int Count() const { return static_cast<int>(FItems.size()); }

    const AnsiString& Name(int index) const;
    void SetName(int index, const AnsiString& name);
    // The value at the index; the integer 0 for an index out of range.
    ::Value Value(int index) const;
    // Ignored for an index out of range.
    void SetValue(int index, const ::Value& value);

    // Adds the name with the value 0 at the position (clamped to the list).
    void Insert(int position, const AnsiString& name);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    void Assign(const TVNVariables& other);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);

private:
    // Index of the name in a sorted list, or the insertion point with found = false.
    int SortedPosition(const AnsiString& name, bool& found) const;

    std::vector<std::pair<AnsiString, ::Value>> FItems;
    bool FSorted = false;
};
