// Picture <-> QImage conversions. Pixels are 0xAARRGGBB in both, so conversion is a row copy.
#include "platform/qt/QtPicture.h"

#include <cstring>

QImage RasterToQImage(const TRasterImage& image) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() != std::size_t(image.Width) * std::size_t(image.Height))
        return QImage();
    QImage out(image.Width, image.Height, QImage::Format_ARGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < image.Height; ++y)
        std::memcpy(out.scanLine(y), image.Pixels.data() + std::size_t(y) * image.Width,
                    std::size_t(image.Width) * 4);
    return out;
}

TRasterImage QImageToRaster(const QImage& image) {
    if (image.isNull()) return TRasterImage();
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height();
    TRasterImage out(w, h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        std::uint32_t* to = out.Pixels.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x)
            to[x] = line[x] | 0xFF000000;
    }
    return out;
}

QImage PictureToQImage(const TPicture& picture) {
    switch (picture.Kind()) {
    case TPictureKind::Bitmap:
    case TPictureKind::Jpeg: {
        const TRasterImage* raster = picture.Raster();
        return raster ? RasterToQImage(*raster) : QImage();
    }
    case TPictureKind::Icon: {
        const std::string& bytes = picture.Bytes();
        return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()), "ICO");
    }
    default:
        return QImage();
    }
}
