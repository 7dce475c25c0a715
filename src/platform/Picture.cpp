// TPicture: loading the four picture kinds, recognising them from their leading bytes, and
// decoding pixels for drawing.
//
// Sizes come from the picture's own header: the bitmap's and JPEG's pixel size, the enhanced
// metafile's frame (hundredths of a millimetre, shown at 96 pixels per inch), the placeable
// Windows metafile's bounding box and units per inch, the icon directory's first image.
#include "platform/Picture.h"

#include <cmath>

namespace {

std::uint32_t U32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
int I16(const std::string& b, std::size_t at) {
    return std::int16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}
unsigned U16(const std::string& b, std::size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

bool StartsWith(const std::string& b, std::string_view prefix) {
    return b.size() >= prefix.size() && b.compare(0, prefix.size(), prefix) == 0;
}

bool IsEmf(const std::string& b) {
    return b.size() >= 88 && U32(b, 0) == 1 && U32(b, 40) == 0x464D4520;
}
bool IsPlaceableWmf(const std::string& b) {
    return b.size() >= 22 + 18 && U32(b, 0) == 0x9AC6CDD7;
}
bool IsPlainWmf(const std::string& b) {
    return b.size() >= 18 && (U16(b, 0) == 1 || U16(b, 0) == 2) && U16(b, 2) == 9;
}
bool IsIcon(const std::string& b) {
    return b.size() >= 6 && U16(b, 0) == 0 && (U16(b, 2) == 1 || U16(b, 2) == 2);
}

// Pixels at 96 per inch of a length in hundredths of a millimetre (rounded half away from zero).
int HundredthsMmToPixels(std::int64_t hmm) {
    return int((hmm * 96 * 2 + 2540) / (2540 * 2));
}

} // namespace

// Bitmaps and JPEGs keep their decoded pixels beside the encoded bytes.
TPicture TPicture::WithRaster(TPictureKind kind, TRasterImage image, std::string bytes) {
    auto data = std::make_shared<TData>();
    data->Kind = kind;
    data->Width = image.Width;
    data->Height = image.Height;
    data->Raster = std::make_shared<TRasterImage>(std::move(image));
    data->Bytes = std::move(bytes);
    TPicture p;
    p.FData = std::move(data);
    return p;
}

TPicture TPicture::LoadBmp(std::string bytes) {
    TRasterImage image = DecodeBmp(bytes);
    return WithRaster(TPictureKind::Bitmap, std::move(image), std::move(bytes));
}

TPicture TPicture::FromRaster(TRasterImage image) {
    std::string bytes = EncodeBmp(image);
    return WithRaster(TPictureKind::Bitmap, std::move(image), std::move(bytes));
}

TPicture TPicture::LoadJpeg(std::string bytes) {
    // Decoded at once so that a damaged file is reported when it is loaded, not drawn as nothing.
    TRasterImage image = DecodeJpeg(bytes);
    return WithRaster(TPictureKind::Jpeg, std::move(image), std::move(bytes));
}

TPicture TPicture::LoadMetafile(std::string bytes, int width, int height) {
    auto data = std::make_shared<TData>();
    data->Kind = TPictureKind::Metafile;
    if (IsEmf(bytes)) {
        data->Enhanced = true;
        std::int64_t frameW = std::int64_t(std::int32_t(U32(bytes, 32))) - std::int32_t(U32(bytes, 24)) + 1;
        std::int64_t frameH = std::int64_t(std::int32_t(U32(bytes, 36))) - std::int32_t(U32(bytes, 28)) + 1;
        if (frameW <= 0 || frameH <= 0 || frameW > 100000000 || frameH > 100000000)
            throw EPictureError("Invalid metafile: the frame is empty or too large");
        data->Width = HundredthsMmToPixels(frameW);
        data->Height = HundredthsMmToPixels(frameH);
    } else if (IsPlaceableWmf(bytes)) {
        int inch = int(U16(bytes, 14));
        int w = I16(bytes, 10) - I16(bytes, 6), h = I16(bytes, 12) - I16(bytes, 8);
        if (inch == 0 || w <= 0 || h <= 0) throw EPictureError("Invalid metafile: bad bounding box or units");
        data->Width = int(std::lround(double(w) * 96 / inch));
        data->Height = int(std::lround(double(h) * 96 / inch));
    } else if (!IsPlainWmf(bytes)) {
        throw EPictureError("Invalid metafile: unknown header");
    }
    if (width > 0 && height > 0) data->Width = width, data->Height = height;
    data->Bytes = std::move(bytes);
    TPicture p;
    p.FData = std::move(data);
    return p;
}

TPicture TPicture::LoadIcon(std::string bytes) {
    if (!IsIcon(bytes)) throw EPictureError("Invalid icon: unknown header");
    unsigned count = U16(bytes, 4);
    if (count == 0) throw EPictureError("Invalid icon: no images");
    if (6 + std::size_t(count) * 16 > bytes.size())
        throw EPictureError("Invalid icon: directory is truncated");
    // Every image the directory names must lie inside the file.
    for (unsigned i = 0; i < count; ++i) {
        std::uint64_t size = U32(bytes, 6 + i * 16 + 8), offset = U32(bytes, 6 + i * 16 + 12);
        if (size == 0 || offset + size > bytes.size())
            throw EPictureError("Invalid icon: image data is truncated");
    }
    auto data = std::make_shared<TData>();
    data->Kind = TPictureKind::Icon;
    data->Width = std::uint8_t(bytes[6]) ? std::uint8_t(bytes[6]) : 256;
    data->Height = std::uint8_t(bytes[7]) ? std::uint8_t(bytes[7]) : 256;
    data->Bytes = std::move(bytes);
    TPicture p;
    p.FData = std::move(data);
    return p;
}

TPicture TPicture::Load(std::string bytes) {
    if (StartsWith(bytes, "BM")) return LoadBmp(std::move(bytes));
    if (StartsWith(bytes, "\xFF\xD8\xFF")) return LoadJpeg(std::move(bytes));
    if (IsEmf(bytes) || IsPlaceableWmf(bytes) || IsPlainWmf(bytes)) return LoadMetafile(std::move(bytes));
    if (IsIcon(bytes)) return LoadIcon(std::move(bytes));
    throw EPictureError("Unknown picture format");
}

const std::string& TPicture::Bytes() const {
    static const std::string empty;
    return FData ? FData->Bytes : empty;
}

const TRasterImage* TPicture::Raster() const {
    return FData ? FData->Raster.get() : nullptr;
}
