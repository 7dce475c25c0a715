// Reducing a raster to the colour depth of an export option.
#include "VNPixelFormat.h"

#include <algorithm>
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

using TChannelTable = std::array<std::uint8_t, 256>;

// Applies one lookup table per channel (the reductions that treat channels alone).
void MapChannels(const std::uint32_t* in, std::uint32_t* out, std::size_t count, const TChannelTable& rb,
                 const TChannelTable& g) {
    // A page is mostly runs of one colour (white paper, black text): a run costs one comparison
    // a pixel instead of three lookups.
    std::uint32_t lastIn = 0xFFFFFFFFu, lastOut = 0xFF000000u | std::uint32_t(rb[255]) << 16 |
                                                  std::uint32_t(g[255]) << 8 | rb[255];
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = in[i];
        if (p != lastIn) {
            lastIn = p;
            lastOut = 0xFF000000u | std::uint32_t(rb[(p >> 16) & 0xFF]) << 16 |
                      std::uint32_t(g[(p >> 8) & 0xFF]) << 8 | rb[p & 0xFF];
        }
        out[i] = lastOut;
    }
}

// Keeps the top `bits` bits of a channel and spreads them over 0..255 again, as a display does.
TChannelTable Truncated(int bits) {
    TChannelTable t{};
    const int levels = (1 << bits) - 1;
    for (int c = 0; c < 256; ++c)
        t[std::size_t(c)] = std::uint8_t(((c >> (8 - bits)) * 255 + levels / 2) / levels);
    return t;
}

// The 6 x 6 x 6 cube: each channel to (c + 25) / 51 * 51, the nearest of its six levels. Written
// as plain arithmetic on every byte, in blocks the compiler turns into vector instructions, because
// this is the default depth of page pictures and runs over every pixel of every page; a byte-wise
// lookup with a run cache costs several times as much on text's anti-aliased edges. The alpha byte
// is mapped too and then set opaque.
void ToCube(const std::uint32_t* in, std::uint32_t* out, std::size_t count) {
    const auto* src = reinterpret_cast<const std::uint8_t*>(in);
    auto* dst = reinterpret_cast<std::uint8_t*>(out);
    auto level = [](std::uint8_t c) { return std::uint8_t(std::uint16_t(c + 25) / 51 * 51); };
    constexpr std::size_t Block = 64;
    const std::size_t bytes = count * 4;
    std::size_t i = 0;
    // Each byte is read before it is written, so `out` may be `in`.
    for (; i + Block <= bytes; i += Block)
#pragma GCC ivdep
        for (std::size_t k = 0; k < Block; ++k)
            dst[i + k] = level(src[i + k]);
    for (; i < bytes; ++i)
        dst[i] = level(src[i]);
    constexpr std::size_t Pixels = Block / 4;
    std::size_t j = 0;
    for (; j + Pixels <= count; j += Pixels)
#pragma GCC ivdep
        for (std::size_t k = 0; k < Pixels; ++k)
            out[j + k] |= 0xFF000000u;
    for (; j < count; ++j)
        out[j] |= 0xFF000000u;
}

void ToVga(const std::uint32_t* in, std::uint32_t* out, std::size_t count) {
    static const std::uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                          0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                          0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    // Pages are mostly a handful of colours: remember the last answer.
    std::uint32_t lastIn = 0xFFFFFFFFu, lastOut = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t rgb = in[i] & 0xFFFFFF;
        if (rgb == lastIn) {
            out[i] = lastOut;
            continue;
        }
        int best = 0;
        long bestDistance = std::numeric_limits<long>::max();
        for (int k = 0; k < 16; ++k) {
            const long dr = long((rgb >> 16) & 0xFF) - long((vga[k] >> 16) & 0xFF);
            const long dg = long((rgb >> 8) & 0xFF) - long((vga[k] >> 8) & 0xFF);
            const long db = long(rgb & 0xFF) - long(vga[k] & 0xFF);
            const long d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) bestDistance = d, best = k;
        }
        lastIn = rgb;
        lastOut = out[i] = 0xFF000000u | vga[best];
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

bool ReducesPixels(TVNPixelFormat format) {
    return format == pf1bit || format == pf4bit || format == pf8bit || format == pf15bit || format == pf16bit;
}

void ReducePixels(const std::uint32_t* in, std::uint32_t* out, std::size_t count, TVNPixelFormat format) {
    static const TChannelTable five = Truncated(5), six = Truncated(6);
    switch (format) {
    case pf1bit:
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t p = in[i];
            const unsigned luma =
                (((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114) / 1000;
            out[i] = luma >= 128 ? 0xFFFFFFFFu : 0xFF000000u;
        }
        break;
    case pf4bit:
        ToVga(in, out, count);
        break;
    case pf8bit:
        ToCube(in, out, count);
        break;
    case pf15bit:
        MapChannels(in, out, count, five, five);
        break;
    case pf16bit:
        MapChannels(in, out, count, five, six);
        break;
    default:
        if (out != in) std::copy(in, in + count, out);
        break;
    }
}

void ReduceToPixelFormat(TRasterImage& image, TVNPixelFormat format) {
    ReducePixels(image.Pixels.data(), image.Pixels.data(), image.Pixels.size(), format);
}
