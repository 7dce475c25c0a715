// One column of the data grid: the field it shows, its title, width, visibility, footer and sort
// marker. The grid keeps its columns in display order; the column's position is its index.
#pragma once

#include "platform/AnsiString.h"

#include <cstdint>

enum class TSortMarker : std::uint8_t { None, Up, Down };

// What a column's footer cell shows: nothing, the column total kept by the grid, a fixed text, or
// the number of records.
enum class TFooterValueType : std::uint8_t { None, Sum, StaticText, Count };

struct TGridColumn {
    AnsiString FieldName;
    AnsiString Title; // empty: the field's label
    int Width = 64;   // pixels
    bool Visible = true;
    TFooterValueType FooterType = TFooterValueType::None;
    AnsiString FooterText; // the static text
    TSortMarker SortMarker = TSortMarker::None;
};
