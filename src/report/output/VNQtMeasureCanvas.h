// The engine's measuring canvas on Qt: memos are measured with the fonts they are drawn with, on
// a canvas over a small scratch image at the given resolution. Every Qt program that builds
// reports (the tools, the benchmarks) installs it the same way, so measured layouts agree with
// what the preview and the exports draw. Needs a Qt GUI application.
#pragma once

#include "platform/qt/QtCanvas.h"

#include <QImage>
#include <QPainter>

#include <memory>

// The canvas is the engine's measuring canvas while this lives.
class TVNQtMeasureCanvasScope {
public:
    explicit TVNQtMeasureCanvasScope(int dpi = 96);
    ~TVNQtMeasureCanvasScope();
    TVNQtMeasureCanvasScope(const TVNQtMeasureCanvasScope&) = delete;
    TVNQtMeasureCanvasScope& operator=(const TVNQtMeasureCanvasScope&) = delete;

private:
    QImage FScratch;
    QPainter FPainter;
    std::unique_ptr<TQtCanvas> FCanvas;
};
