// Qt raster surfaces for the export filters.
#include "VNQtRasterSurface.h"

#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtPicture.h"

#include <QImage>
#include <QPainter>

#include <cstring>

namespace {

class TQtRasterSurface : public IVNRasterSurface {
public:
    TQtRasterSurface(int width, int height) : FImage(width, height, QImage::Format_RGB32) {
        FImage.setDotsPerMeterX(3780); // 96 dpi
        FImage.setDotsPerMeterY(3780);
        FImage.fill(Qt::white);
        FPainter.begin(&FImage);
        FCanvas = std::make_unique<TQtCanvas>(&FPainter, 96, 96);
    }
    ~TQtRasterSurface() override {
        FCanvas.reset();
        FPainter.end();
    }
    ICanvas& Canvas() override { return *FCanvas; }
    void CopyImage(TRasterImage& into) override {
        FCanvas.reset();
        FPainter.end();
        into.Width = FImage.width();
        into.Height = FImage.height();
        into.Pixels.resize(std::size_t(into.Width) * std::size_t(into.Height));
        // RGB32 rows are opaque 0xFFRRGGBB words, the layout of the raster image.
        for (int y = 0; y < into.Height; ++y)
            std::memcpy(into.Pixels.data() + std::size_t(y) * std::size_t(into.Width), FImage.constScanLine(y),
                        std::size_t(into.Width) * 4);
        FPainter.begin(&FImage);
        FCanvas = std::make_unique<TQtCanvas>(&FPainter, 96, 96);
    }
    TRasterImage Image() override {
        FCanvas.reset(); // ends what the painter holds back before the pixels are read
        FPainter.end();
        TRasterImage image = QImageToRaster(FImage);
        FPainter.begin(&FImage);
        FCanvas = std::make_unique<TQtCanvas>(&FPainter, 96, 96);
        return image;
    }

private:
    QImage FImage;
    QPainter FPainter;
    std::unique_ptr<TQtCanvas> FCanvas;
};

} // namespace

void InstallVNQtRasterSurfaces() {
    SetVNRasterSurfaceFactory([](int width, int height) -> std::unique_ptr<IVNRasterSurface> {
        auto s = std::make_unique<TQtRasterSurface>(width, height);
        return s;
    });
}
