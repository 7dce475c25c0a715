// The metafile exports: each page recorded through a recording canvas, so that the file holds
// the page's own text, lines and pictures rather than its pixels.
#include "VNGraphicExport.h"

#include "report/VNMemoLayout.h"

#include "platform/EmfCanvas.h"
#include "platform/WmfCanvas.h"

TVNEMFExport::TVNEMFExport() : TVNGraphicExport("emf") {
    RegisterExportFilter(this, "Enhanced Metafile (*.emf)", "*.emf");
}

// An enhanced metafile page is opaque: white first, one pixel beyond the picture on each far
// side so that no edge stays uncovered.
std::string TVNEMFExport::RenderPage() {
    TEmfCanvas canvas(PictureWidth, PictureHeight, VNMeasureCanvas());
    canvas.SetBrush(TBrush{TBrushStyle::Solid, clWhite});
    canvas.FillRect(TRect{0, 0, PictureWidth + 1, PictureHeight + 1});
    DrawPage(canvas);
    return canvas.Finish();
}

TVNWMFExport::TVNWMFExport() : TVNGraphicExport("wmf") {
    RegisterExportFilter(this, "Windows Metafile (*.wmf)", "*.wmf");
}

// A Windows metafile page has no background of its own: it is placed over whatever is below.
std::string TVNWMFExport::RenderPage() {
    TWmfCanvas canvas(PictureWidth, PictureHeight, VNMeasureCanvas());
    DrawPage(canvas);
    return canvas.Finish();
}
