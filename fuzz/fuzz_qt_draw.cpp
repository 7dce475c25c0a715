// libFuzzer target: prepared pages of any content drawn through the Qt canvas with the real fonts
// (offscreen), as the preview, printing and every raster export draw them. Damaged font sizes,
// stretches, rotations, spacings, frames and pictures must give a drawing, never a crash in the
// toolkit or in FreeType. A few pages of each input are drawn onto a page-sized image.
#include "report/VNEMFPages.h"
#include "report/VNReport.h"
#include "report/output/VNQtMeasureCanvas.h"

#include "platform/qt/QtCanvas.h"

#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    static TVNQtMeasureCanvasScope measure(96);
    QuietMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TVNReport r;
    TVNStream s(FuzzBytes(data, size));
    r.EMFPages->LoadFromStream(s);
    TVNEMFPages& pages = *r.EMFPages;
    for (int i = 0; i < std::min(pages.Count(), 3); ++i) {
        TVNPreparedPage& page = pages.Page(i);
        // The image is the page's size as the render command makes it, within a bound that keeps
        // each run quick; what lies outside is clipped, as on paper.
        const int w = std::clamp(page.Metrics.PaperWidthPx, 1, 1200);
        const int h = std::clamp(page.Metrics.PaperHeightPx, 1, 1200);
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TQtCanvas canvas(&painter, 96, 96);
        page.Visible = 1;
        pages.DrawPage(i, canvas, TRect{0, 0, w, h});
        page.DecodedPage.reset();
    }
    return 0;
}
