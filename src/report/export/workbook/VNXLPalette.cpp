// The standard palette of the format and the colour-to-index rule.
#include "VNXLPalette.h"

namespace {

// Standard palette, indexes 8..63, as 0xRRGGBB.
constexpr std::uint32_t StandardRGB[TVNXLPalette::Count] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// White, black, silver, grey, red, maroon, yellow, olive, lime, green, cyan, teal, blue, navy,
// magenta, purple.
constexpr std::uint32_t BasicRGB[16] = {0xFFFFFF, 0x000000, 0xC0C0C0, 0x808080, 0xFF0000, 0x800000,
                                        0xFFFF00, 0x808000, 0x00FF00, 0x008000, 0x00FFFF, 0x008080,
                                        0x0000FF, 0x000080, 0xFF00FF, 0x800080};

constexpr TColor FromRGB(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

bool IsBasic(TColor c) {
    for (std::uint32_t rgb : BasicRGB)
        if (FromRGB(rgb) == c) return true;
    return false;
}

} // namespace

TVNXLPalette::TVNXLPalette() {
    for (int i = 0; i < Count; ++i)
        FColors[std::size_t(i)] = FromRGB(StandardRGB[i]);
}

int TVNXLPalette::Index(TColor color) {
    const TColor c = ColorToRGB(color);
    for (int i = 0; i < Count; ++i)
        if (FColors[std::size_t(i)] == c) {
            FUsed[std::size_t(i)] = true;
            return 8 + i;
        }
    for (int i = 0; i < Count; ++i)
        if (!FUsed[std::size_t(i)] && !IsBasic(FColors[std::size_t(i)])) {
            FColors[std::size_t(i)] = c;
            FUsed[std::size_t(i)] = true;
            FChanged = true;
            return 8 + i;
        }
    return 8;
}
