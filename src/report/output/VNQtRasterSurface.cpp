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
    }
    ~TQtRasterSurface() override { Close(); }
    ICanvas& Canvas() override {
        Open();
        return *FCanvas;
    }
    void CopyImage(TRasterImage& into) override {
        Close();
        into.Width = FImage.width();
        into.Height = FImage.height();
        into.Pixels.resize(std::size_t(into.Width) * std::size_t(into.Height));
        for (int y = 0; y < into.Height; ++y)
            std::memcpy(into.Pixels.data() + std::size_t(y) * std::size_t(into.Width), ScanLine(y),
                        std::size_t(into.Width) * 4);
    }
    TRasterImage Image() override {
        Close();
        return QImageToRaster(FImage);
    }
    const std::uint32_t* ScanLine(int y) override {
        Close();
        // RGB32 rows are opaque 0xFFRRGGBB words, the layout of the raster image.
        return reinterpret_cast<const std::uint32_t*>(FImage.constScanLine(y));
    }

private:
    // The painter draws while the canvas is in use and is ended before the pixels are read, so
    // nothing it holds back is missing from them; the next Canvas() begins it again.
    void Open() {
        if (FCanvas) return;
        FPainter.begin(&FImage);
        FCanvas = std::make_unique<TQtCanvas>(&FPainter, 96, 96);
    }
    void Close() {
        if (!FCanvas) return;
        FCanvas.reset();
        FPainter.end();
    }

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
