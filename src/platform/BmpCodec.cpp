// BMP files and packed DIBs: reading into 32-bit pixels and writing uncompressed bitmaps.
//
// Layout (all integers little-endian, packed):
//   file header (14): "BM", file size u32, two reserved u16, pixel data offset u32
//   info header (40): size u32, width i32, height i32 (> 0 bottom-up, < 0 top-down), planes u16,
//                     bits per pixel u16, compression u32 (0 none, 1 RLE8, 2 RLE4, 3 bit fields),
//                     image size u32, x/y pixels per metre i32, colours used u32, important u32
//   (12-byte core headers have u16 width/height and 3-byte palette entries; longer headers
//    carry the bit-field masks at offset 40)
//   palette for 1/4/8 bpp: entries B, G, R, 0
//   rows padded to 4 bytes: stride = ((width * bpp + 31) / 32) * 4
// A packed DIB is the same without the file header; its pixels follow the palette directly.
//
// Every size is checked against the input before anything is allocated: uncompressed data must
// be fully present, and run-length data may not declare more than MaxCompressedBitmapPixels (a
// valid one may end early and leave the rest to palette entry 0, so its size says nothing about
// its length). Bad input raises EPictureError.
#include "platform/Picture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t OpaqueBlack = 0xFF000000;

std::uint32_t ReadU32(std::string_view b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t ReadU16(std::string_view b, std::size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

void PutU16(std::string& out, unsigned v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}
void PutU32(std::string& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

[[noreturn]] void Fail(const char* why) {
    throw EPictureError(std::string("Invalid bitmap: ") + why);
}

// One channel extracted through a bit-field mask and scaled to 0..255.
struct TMaskChannel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    std::uint32_t Max = 0;
    explicit TMaskChannel(std::uint32_t mask) : Mask(mask) {
        if (!mask) return;
        while (!((mask >> Shift) & 1))
            ++Shift;
        Max = mask >> Shift;
    }
    std::uint32_t Get(std::uint32_t v) const { return Max ? ((v & Mask) >> Shift) * 255 / Max : 0; }
};

// Decodes the pixel rows that start at `pixels`; `dib` begins with the info header.
TRasterImage DecodeInfo(std::string_view dib, std::size_t pixelOffset, bool pixelsFollowPalette) {
    if (dib.size() < 4) Fail("header is truncated");
    std::uint32_t headerSize = ReadU32(dib, 0);
    bool core = headerSize == 12;
    if (!core && (headerSize < 40 || headerSize > 1024)) Fail("unknown header size");
    if (dib.size() < headerSize) Fail("header is truncated");

    std::int64_t width, height;
    int bpp;
    std::uint32_t compression = 0, colorsUsed = 0;
    if (core) {
        width = ReadU16(dib, 4);
        height = std::int16_t(ReadU16(dib, 6));
        bpp = ReadU16(dib, 10);
    } else {
        width = std::int32_t(ReadU32(dib, 4));
        height = std::int32_t(ReadU32(dib, 8));
        bpp = ReadU16(dib, 14);
        compression = ReadU32(dib, 16);
        colorsUsed = ReadU32(dib, 32);
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) Fail("width or height is not positive");
    if ((compression == 1 || compression == 2) && width * height > MaxCompressedBitmapPixels)
        throw EPictureError("压缩位图的尺寸 " + std::to_string(width) + " × " + std::to_string(height) +
                            " 超过 " + std::to_string(MaxCompressedBitmapPixels / 10000) + " 万像素的上限");
    if (width * height > MaxPicturePixels) Fail("picture is too large");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Fail("unsupported bits per pixel");
    bool rle = compression == 1 || compression == 2;
    if (compression > 3 || (compression == 1 && bpp != 8) || (compression == 2 && bpp != 4) ||
        (compression == 3 && bpp != 16 && bpp != 32))
        Fail("unsupported compression");
    if (rle && topDown) Fail("top-down rows cannot be compressed");

    // Bit-field masks: inside longer headers, after a 40-byte header otherwise.
    std::size_t tableAt = headerSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (compression == 3) {
        if (headerSize == 40) {
            if (dib.size() < 52) Fail("bit-field masks are truncated");
            tableAt = 52;
        } else if (headerSize < 52) {
            Fail("bit-field masks are truncated");
        }
        for (int i = 0; i < 3; ++i)
            masks[i] = ReadU32(dib, 40 + 4 * i);
    } else if (bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bpp == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }

    std::uint32_t palette[256];
    std::uint32_t paletteCount = 0;
    if (bpp <= 8) {
        std::uint32_t full = 1u << bpp;
        paletteCount = colorsUsed == 0 ? full : colorsUsed;
        if (paletteCount > full) Fail("colour table is larger than the bit depth allows");
        std::size_t entry = core ? 3 : 4;
        if (tableAt + std::size_t(paletteCount) * entry > dib.size()) Fail("colour table is truncated");
        for (std::uint32_t i = 0; i < full; ++i)
            palette[i] = OpaqueBlack;
        for (std::uint32_t i = 0; i < paletteCount; ++i) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(dib.data()) + tableAt + i * entry;
            palette[i] = OpaqueBlack | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        }
        tableAt += std::size_t(paletteCount) * entry;
    }
    if (pixelsFollowPalette) pixelOffset = tableAt;
    if (pixelOffset > dib.size()) Fail("pixel data offset is beyond the end");
    std::string_view data = dib.substr(pixelOffset);

    std::int64_t stride = ((width * bpp + 31) / 32) * 4;
    if (!rle && stride * height > std::int64_t(data.size())) Fail("pixel data is truncated");

    TRasterImage image(int(width), int(height), OpaqueBlack);
    auto rowOf = [&](std::int64_t stored) { return topDown ? stored : height - 1 - stored; };

    if (rle) {
        // Run-length data: pairs (count, index) or escapes 0,0 end of line, 0,1 end of bitmap,
        // 0,2,dx,dy move, 0,n n literal indices padded to a 16-bit boundary. Pixels not
        // reached stay palette entry 0, the way the format leaves them undefined.
        std::fill(image.Pixels.begin(), image.Pixels.end(), palette[0]);
        const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
        std::size_t n = data.size(), at = 0;
        std::int64_t x = 0, y = 0;
        bool four = compression == 2;
        auto put = [&](unsigned index) {
            if (x < width && y < height) image.SetPixel(int(x), int(rowOf(y)), palette[index & 0xFF]);
            ++x;
        };
        while (at + 1 < n && y < height) {
            unsigned count = p[at], value = p[at + 1];
            at += 2;
            if (count) {
                for (unsigned i = 0; i < count; ++i)
                    put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            } else if (value == 0) {
                x = 0, ++y;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (at + 1 >= n) Fail("run-length data is truncated");
                x += p[at], y += p[at + 1];
                at += 2;
            } else {
                std::size_t bytes = four ? (value + 1) / 2 : value;
                if (at + bytes > n) Fail("run-length data is truncated");
                for (unsigned i = 0; i < value; ++i)
                    put(four ? ((i & 1) ? p[at + i / 2] & 0x0F : p[at + i / 2] >> 4) : p[at + i]);
                at += bytes + (bytes & 1);
            }
        }
        return image;
    }

    TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (std::int64_t stored = 0; stored < height; ++stored) {
        const unsigned char* row = reinterpret_cast<const unsigned char*>(data.data()) + stored * stride;
        std::uint32_t* out = image.Pixels.data() + rowOf(stored) * width;
        for (std::int64_t x = 0; x < width; ++x) {
            switch (bpp) {
            case 1:
                out[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1];
                break;
            case 4:
                out[x] = palette[(x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4];
                break;
            case 8:
                out[x] = palette[row[x]];
                break;
            case 24:
                out[x] = OpaqueBlack | std::uint32_t(row[3 * x + 2]) << 16 |
                         std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
                break;
            default: {
                std::uint32_t v = bpp == 16 ? std::uint32_t(row[2 * x] | row[2 * x + 1] << 8)
                                            : std::uint32_t(row[4 * x]) | std::uint32_t(row[4 * x + 1]) << 8 |
                                                  std::uint32_t(row[4 * x + 2]) << 16 |
                                                  std::uint32_t(row[4 * x + 3]) << 24;
                out[x] = OpaqueBlack | red.Get(v) << 16 | green.Get(v) << 8 | blue.Get(v);
            }
            }
        }
    }
    return image;
}

// The palette of a 4- or 8-bit bitmap: the sixteen classic colours, or a 6 x 6 x 6 colour cube
// followed by forty greys.
std::vector<std::uint32_t> PaletteFor(int bpp) {
    std::vector<std::uint32_t> palette;
    if (bpp == 4) {
        palette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                   0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    } else if (bpp == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) palette.push_back(std::uint32_t(r * 51) << 16 | g * 51 << 8 | b * 51);
        for (int i = 0; i < 40; ++i) {
            const std::uint32_t v = std::uint32_t((i + 1) * 255 / 41);
            palette.push_back(v << 16 | v << 8 | v);
        }
    }
    return palette; // 0x00RRGGBB
}

unsigned NearestIndex(const std::vector<std::uint32_t>& palette, std::uint32_t p) {
    const int r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
    unsigned best = 0;
    int bestDistance = 1 << 30;
    for (unsigned i = 0; i < palette.size(); ++i) {
        const int dr = r - int(palette[i] >> 16 & 0xFF), dg = g - int(palette[i] >> 8 & 0xFF),
                  db = b - int(palette[i] & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

void AppendInfoAndPixels(std::string& out, const TRasterImage& image, int bpp, int ppi) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() != std::size_t(image.Width) * std::size_t(image.Height))
        throw EPictureError("Cannot write an empty or inconsistent bitmap");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw EPictureError("Bitmaps are written with 1, 4, 8, 16, 24 or 32 bits per pixel");
    const std::vector<std::uint32_t> palette = PaletteFor(bpp);
    std::size_t stride = ((std::size_t(image.Width) * bpp + 31) / 32) * 4;
    std::uint32_t pelsPerMetre = std::uint32_t((ppi * 10000 + 127) / 254);
    PutU32(out, 40);
    PutU32(out, std::uint32_t(image.Width));
    PutU32(out, std::uint32_t(image.Height));
    PutU16(out, 1);
    PutU16(out, unsigned(bpp));
    PutU32(out, 0);
    PutU32(out, std::uint32_t(stride * image.Height));
    PutU32(out, pelsPerMetre);
    PutU32(out, pelsPerMetre);
    PutU32(out, bpp == 1 ? 2 : std::uint32_t(palette.size()));
    PutU32(out, 0);
    if (bpp == 1) {
        PutU32(out, 0x00000000);
        PutU32(out, 0x00FFFFFF);
    }
    for (std::uint32_t c : palette) PutU32(out, c); // RGBQUAD: blue, green, red, 0
    std::size_t start = out.size();
    out.resize(start + stride * image.Height, '\0');
    // Colours already seen, for the palette look-ups (pages hold few distinct colours).
    std::uint32_t lastColour = 0xFFFFFFFF;
    unsigned lastIndex = 0;
    for (int y = 0; y < image.Height; ++y) {
        unsigned char* row =
            reinterpret_cast<unsigned char*>(out.data()) + start + (image.Height - 1 - y) * stride;
        const std::uint32_t* in = image.Pixels.data() + std::size_t(y) * image.Width;
        for (int x = 0; x < image.Width; ++x) {
            std::uint32_t p = in[x];
            if (bpp == 1) {
                // Black and white by luminance, the usual threshold of a monochrome conversion.
                unsigned lum = (((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114) / 1000;
                if (lum >= 128) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
            } else if (bpp == 4 || bpp == 8) {
                if ((p & 0xFFFFFF) != lastColour) lastColour = p & 0xFFFFFF, lastIndex = NearestIndex(palette, p);
                if (bpp == 8)
                    row[x] = std::uint8_t(lastIndex);
                else
                    row[x / 2] |= std::uint8_t(x % 2 ? lastIndex : lastIndex << 4);
            } else if (bpp == 16) {
                const unsigned v = ((p >> 19) & 0x1F) << 10 | ((p >> 11) & 0x1F) << 5 | ((p >> 3) & 0x1F);
                row[2 * x] = std::uint8_t(v), row[2 * x + 1] = std::uint8_t(v >> 8);
            } else {
                unsigned char* d = row + x * (bpp / 8);
                d[0] = std::uint8_t(p), d[1] = std::uint8_t(p >> 8), d[2] = std::uint8_t(p >> 16);
                if (bpp == 32) d[3] = 0;
            }
        }
    }
}

} // namespace

TRasterImage DecodeBmp(std::string_view bytes) {
    if (bytes.size() < 14 + 12) Fail("file is too short");
    if (bytes[0] != 'B' || bytes[1] != 'M') Fail("missing BM signature");
    std::uint32_t offBits = ReadU32(bytes, 10);
    if (offBits < 14 + 12) Fail("pixel data offset is inside the header");
    return DecodeInfo(bytes.substr(14), offBits - 14, false);
}

TRasterImage DecodeDib(std::string_view bytes) {
    return DecodeInfo(bytes, 0, true);
}

std::string EncodeDib(const TRasterImage& image, int bitsPerPixel, int pixelsPerInch) {
    std::string out;
    AppendInfoAndPixels(out, image, bitsPerPixel, pixelsPerInch);
    return out;
}

std::string EncodeBmp(const TRasterImage& image, int bitsPerPixel, int pixelsPerInch) {
    std::string out = "BM";
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, std::uint32_t(14 + 40 + (bitsPerPixel == 1 ? 8 : 4 * PaletteFor(bitsPerPixel).size())));
    AppendInfoAndPixels(out, image, bitsPerPixel, pixelsPerInch);
    std::uint32_t size = std::uint32_t(out.size());
    for (int i = 0; i < 4; ++i)
        out[2 + i] = char((size >> (8 * i)) & 0xFF);
    return out;
}
