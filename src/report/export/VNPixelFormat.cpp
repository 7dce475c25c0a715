// Reducing a raster to the colour depth of an export option.
#include "VNPixelFormat.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <limits>

namespace {

const char* const Names[] = {"Device", "1 bit", "4 bit", "8 bit", "15 bit", "16 bit", "24 bit", "32 bit"};

std::string Compact(const std::string& text) {
    std::string s;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            s += char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Applies one lookup table per channel (the reductions that treat channels alone).
void MapChannels(TRasterImage& image, const std::array<std::uint8_t, 256>& rb,
                 const std::array<std::uint8_t, 256>& g) {
    // A page is mostly runs of one colour (white paper, black text): a run costs one comparison
    // a pixel instead of three lookups.
    std::uint32_t lastIn = 0xFFFFFFFFu, lastOut = 0xFFFFFFFFu;
    for (std::uint32_t& p : image.Pixels) {
        if (p != lastIn) {
            lastIn = p;
            lastOut = 0xFF000000u | std::uint32_t(rb[(p >> 16) & 0xFF]) << 16 |
                      std::uint32_t(g[(p >> 8) & 0xFF]) << 8 | rb[p & 0xFF];
        }
        p = lastOut;
    }
}

// Keeps the top `bits` bits of a channel and spreads them over 0..255 again, as a display does.
std::array<std::uint8_t, 256> Truncated(int bits) {
    std::array<std::uint8_t, 256> t{};
    const int levels = (1 << bits) - 1;
    for (int c = 0; c < 256; ++c)
        t[std::size_t(c)] = std::uint8_t(((c >> (8 - bits)) * 255 + levels / 2) / levels);
    return t;
}

void ToVga(TRasterImage& image) {
    static const std::uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                          0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                          0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    // Pages are mostly a handful of colours: remember the last answer.
    std::uint32_t lastIn = 0xFFFFFFFFu, lastOut = 0xFFFFFFFFu;
    for (std::uint32_t& p : image.Pixels) {
        const std::uint32_t rgb = p & 0xFFFFFF;
        if (rgb == lastIn) {
            p = lastOut;
            continue;
        }
        int best = 0;
        long bestDistance = std::numeric_limits<long>::max();
        for (int i = 0; i < 16; ++i) {
            const long dr = long((rgb >> 16) & 0xFF) - long((vga[i] >> 16) & 0xFF);
            const long dg = long((rgb >> 8) & 0xFF) - long((vga[i] >> 8) & 0xFF);
            const long db = long(rgb & 0xFF) - long(vga[i] & 0xFF);
            const long d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) bestDistance = d, best = i;
        }
        lastIn = rgb;
        lastOut = p = 0xFF000000u | vga[best];
    }
}

} // namespace

const char* PixelFormatName(TVNPixelFormat format) {
    return format >= pfDevice && format <= pf32bit ? Names[format] : Names[pfDevice];
}

bool ParsePixelFormat(const std::string& text, TVNPixelFormat& format) {
    std::string s = Compact(text);
    if (s.rfind("pf", 0) == 0) s.erase(0, 2);
    if (s.size() > 3 && s.compare(s.size() - 3, 3, "bit") == 0) s.erase(s.size() - 3);
    for (int i = 0; i <= pf32bit; ++i) {
        std::string name = Compact(Names[i]);
        if (name.size() > 3 && name.compare(name.size() - 3, 3, "bit") == 0) name.erase(name.size() - 3);
        if (s == name) {
            format = TVNPixelFormat(i);
            return true;
        }
    }
    return false;
}

void ReduceToPixelFormat(TRasterImage& image, TVNPixelFormat format) {
    switch (format) {
    case pf1bit:
        for (std::uint32_t& p : image.Pixels) {
            const unsigned luma =
                (((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114) / 1000;
            p = luma >= 128 ? 0xFFFFFFFFu : 0xFF000000u;
        }
        break;
    case pf4bit:
        ToVga(image);
        break;
    case pf8bit: {
        std::array<std::uint8_t, 256> cube{};
        for (int c = 0; c < 256; ++c)
            cube[std::size_t(c)] = std::uint8_t((c + 25) / 51 * 51);
        MapChannels(image, cube, cube);
        break;
    }
    case pf15bit:
        MapChannels(image, Truncated(5), Truncated(5));
        break;
    case pf16bit:
        MapChannels(image, Truncated(5), Truncated(6));
        break;
    default:
        break;
    }
}
