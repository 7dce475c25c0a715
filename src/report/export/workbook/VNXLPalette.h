// The spreadsheet's 56-colour palette (indexes 8 to 63) and the rule that maps a report colour
// to an index: an exact match keeps the standard palette; any other colour takes over the first
// entry that is neither one of the 16 basic colours nor already handed out, so that a workbook
// using only standard colours needs no palette of its own.
#pragma once

#include "platform/Graphics.h"

#include <array>
#include <cstdint>

class TVNXLPalette {
public:
    TVNXLPalette();
    // The palette index of a colour (system colours resolved first). clNone is not a colour
    // here: callers give it their own "automatic" index.
    int Index(TColor color);
    bool Changed() const { return FChanged; }
    // Entry 8 + i as 0x00BBGGRR.
    TColor Entry(int i) const { return FColors[std::size_t(i)]; }
    static constexpr int Count = 56;

private:
    std::array<TColor, Count> FColors;
    std::array<bool, Count> FUsed{};
    bool FChanged = false;
};
