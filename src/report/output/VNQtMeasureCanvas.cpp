// The engine's measuring canvas on Qt (see VNQtMeasureCanvas.h).
#include "VNQtMeasureCanvas.h"

#include "report/VNMemoLayout.h"

namespace {

QImage ScratchImage(int dpi) {
    QImage scratch(8, 8, QImage::Format_RGB32);
    const int dotsPerMeter = int(dpi / 0.0254 + 0.5);
    scratch.setDotsPerMeterX(dotsPerMeter);
    scratch.setDotsPerMeterY(dotsPerMeter);
    return scratch;
}

} // namespace

TVNQtMeasureCanvasScope::TVNQtMeasureCanvasScope(int dpi) : FScratch(ScratchImage(dpi)), FPainter(&FScratch) {
    FCanvas = std::make_unique<TQtCanvas>(&FPainter, dpi, dpi);
    SetVNMeasureCanvas(FCanvas.get());
}

TVNQtMeasureCanvasScope::~TVNQtMeasureCanvasScope() {
    SetVNMeasureCanvas(nullptr);
    FCanvas.reset();
    FPainter.end();
}
