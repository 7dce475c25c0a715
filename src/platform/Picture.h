// Pictures held by report views, page backgrounds and exports: bitmap, JPEG, metafile and icon.
//
// A TPicture is an immutable value that shares its data between copies. It keeps the bytes it was
// loaded from (so a report stream writes back exactly what it read) plus what drawing needs:
// decoded pixels for bitmaps and JPEGs, the size for every kind.
// Loading checks every size field against the input before allocating anything, so bytes of any
// content give either a picture or an EPictureError, never a crash or an unbounded allocation.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class EPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decoded pixels, rows top first. Each pixel is 0xAARRGGBB, which is the byte order B, G, R, A
// in memory on little-endian machines (the same layout as a 32-bit DIB and a Qt ARGB32 image).
struct TRasterImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;

    TRasterImage() = default;
    TRasterImage(int width, int height, std::uint32_t fill = 0xFFFFFFFF)
        : Width(width), Height(height), Pixels(std::size_t(width) * std::size_t(height), fill) {}
    std::uint32_t Pixel(int x, int y) const { return Pixels[std::size_t(y) * std::size_t(Width) + x]; }
    void SetPixel(int x, int y, std::uint32_t argb) {
        Pixels[std::size_t(y) * std::size_t(Width) + x] = argb;
    }
};

// The largest picture any decoder accepts (pixels); an A4 page at 600 dpi is about 35 million.
constexpr std::int64_t MaxPicturePixels = std::int64_t(1) << 26;
// Run-length compressed bitmaps may declare at most this many pixels. Their declared size costs
// memory and time whatever few bytes follow, so a damaged header would otherwise cost hundreds of
// megabytes for a file of a few bytes; 20 million pixels is an A4 page at 400 dpi, far above the
// logos and forms these bitmaps hold. The refusal names the size and the limit in Chinese.
constexpr std::int64_t MaxCompressedBitmapPixels = 20'000'000;

// BMP files and packed DIBs (a DIB is a BMP without its 14-byte file header, as metafiles and
// the clipboard carry it). Reading accepts 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up
// and top-down rows, uncompressed or with bit-field masks; writing produces uncompressed
// bottom-up 24-bit data, or 32-bit, 16-bit (5-5-5), 8-bit (colour cube and greys), 4-bit (the
// sixteen classic colours) or 1-bit black and white.
TRasterImage DecodeBmp(std::string_view bytes);
TRasterImage DecodeDib(std::string_view bytes);
std::string EncodeBmp(const TRasterImage& image, int bitsPerPixel = 24, int pixelsPerInch = 96);
std::string EncodeDib(const TRasterImage& image, int bitsPerPixel = 24, int pixelsPerInch = 96);

// JPEG through libjpeg. Quality runs 1..100 (values outside are clamped); greyscale writes one
// component; progressive writes a multi-scan file.
struct TJpegOptions {
    int Quality = 100;
    bool Progressive = true;
    bool Greyscale = false;
};
TRasterImage DecodeJpeg(std::string_view bytes);
std::string EncodeJpeg(const TRasterImage& image, const TJpegOptions& options = {});
// Pixels handed to an encoder a row at a time, top first: row y (0xAARRGGBB, the picture's width
// of them), valid until the next call; it must not throw. A caller can so encode pixels where
// they lie, or convert each row on the way, without a copy of the whole picture.
using TRasterRowSource = std::function<const std::uint32_t*(int y)>;
// The same JPEG into `out`, which is replaced but keeps its capacity: pictures encoded one after
// another reuse one buffer.
void EncodeJpeg(int width, int height, const TRasterRowSource& rows, const TJpegOptions& options,
                std::string& out);
// Reads only the header: {width, height}. Throws EPictureError like DecodeJpeg.
std::pair<int, int> JpegSize(std::string_view bytes);

enum class TPictureKind { Empty, Bitmap, Jpeg, Metafile, Icon };

class TPicture {
public:
    TPicture() = default;

    // Each loader throws EPictureError for bytes that are not a valid picture of its kind.
    static TPicture LoadBmp(std::string bytes);
    static TPicture LoadJpeg(std::string bytes);
    // An enhanced metafile or a placeable Windows metafile takes its size from its header; a
    // plain Windows metafile has none, so the caller's size is used (width/height 0 = unknown).
    static TPicture LoadMetafile(std::string bytes, int width = 0, int height = 0);
    static TPicture LoadIcon(std::string bytes);
    // Recognises the kind from the leading bytes.
    static TPicture Load(std::string bytes);
    // A bitmap made from pixels (page images, converted pictures); its bytes are a 24-bit BMP.
    static TPicture FromRaster(TRasterImage image);

    TPictureKind Kind() const { return FData ? FData->Kind : TPictureKind::Empty; }
    bool IsEmpty() const { return !FData; }
    int Width() const { return FData ? FData->Width : 0; }
    int Height() const { return FData ? FData->Height : 0; }
    bool IsEnhancedMetafile() const { return FData && FData->Enhanced; }

    // The encoded bytes: a BMP file, a JPEG file, the metafile or the ICO file.
    const std::string& Bytes() const;
    // Decoded pixels of a bitmap or JPEG, nullptr for other kinds.
    const TRasterImage* Raster() const;

private:
    struct TData {
        TPictureKind Kind = TPictureKind::Empty;
        std::string Bytes;
        int Width = 0;
        int Height = 0;
        bool Enhanced = false;
        std::shared_ptr<const TRasterImage> Raster;
    };
    std::shared_ptr<const TData> FData;

    static TPicture WithRaster(TPictureKind kind, TRasterImage image, std::string bytes);
};
