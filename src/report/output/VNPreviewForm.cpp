// The page viewer: a scroll area over a surface as large as the laid-out pages; the surface asks
// the form to paint, and the form draws each page in view through the prepared pages store.
#include "VNPreviewForm.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNReport.h"

#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtMessageService.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int PageGap = 10;

TRect ToTRect(const QRect& r) {
    return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// The scroll area would take the page keys for its own stepping; the form pages instead.
class TPageScroller : public QScrollArea {
public:
    explicit TPageScroller(TVNPreviewForm& form) : QScrollArea(&form), FForm(form) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() == Qt::NoModifier && FForm.HandlePageKey(event->key()))
            event->accept();
        else
            QScrollArea::keyPressEvent(event);
    }

private:
    TVNPreviewForm& FForm;
};

} // namespace

class TVNPageSurface : public QWidget {
public:
    explicit TVNPageSurface(TVNPreviewForm& form) : FForm(form) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        FForm.PaintPages(painter, event->rect(), visibleRegion().boundingRect());
    }

private:
    TVNPreviewForm& FForm;
};

TVNPreviewForm::TVNPreviewForm(TVNReport& report, QWidget* parent) : QDialog(parent), FReport(report) {
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    const QString title =
        report.ReportInfo.Title.empty()
            ? QFileInfo(QFile::decodeName(QByteArray::fromStdString(report.FileName))).fileName()
            : AnsiToQString(report.ReportInfo.Title);
    setWindowTitle(title);

    FScroll = new TPageScroller(*this);
    QPalette grey = FScroll->palette(); // the same grey around and between the pages
    grey.setColor(QPalette::Dark, QColor(128, 128, 128));
    FScroll->setPalette(grey);
    FScroll->setBackgroundRole(QPalette::Dark);
    FScroll->verticalScrollBar()->setSingleStep(10);
    FScroll->verticalScrollBar()->setPageStep(200);
    FScroll->horizontalScrollBar()->setSingleStep(10);
    FSurface = new TVNPageSurface(*this);
    FScroll->setWidget(FSurface);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FScroll);
    Relayout();

    // Wide enough for a page, as tall as the screen allows.
    QSize size(FSurface->width() + 40, 900);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
    FScroll->setFocus();
}

TVNPreviewForm::~TVNPreviewForm() {
    ReleasePages();
}

void TVNPreviewForm::Preview(TVNReport& report) {
    if (report.ModalPreview) {
        TVNPreviewForm form(report);
        form.exec();
    } else {
        auto* form = new TVNPreviewForm(report);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    }
}

void TVNPreviewForm::CloseFor(TVNReport& report) {
    // Deleted here, not later: the viewer releases its pages in its destructor, and they are
    // freed with the report right after this returns. A modal viewer cannot be open here: it
    // returns before its caller can free the report.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = dynamic_cast<TVNPreviewForm*>(w);
            form && &form->FReport == &report && !form->isModal())
            delete form;
}

void TVNPreviewForm::Relayout() {
    TVNEMFPages& pages = *FReport.EMFPages;
    FPageRects.clear();
    int y = PageGap, right = 0;
    for (int i = 0; i < pages.Count(); ++i) {
        TVNPreparedPage& page = pages.Page(i);
        const int w = page.Metrics.PaperWidthPx > 0 ? page.Metrics.PaperWidthPx : 794;
        const int h = page.Metrics.PaperHeightPx > 0 ? page.Metrics.PaperHeightPx : 1123;
        const QRect rect(PageGap, y, w, h);
        page.PreviewRect = ToTRect(rect);
        FPageRects.push_back(rect);
        right = std::max(right, rect.x() + w);
        y += h + PageGap;
    }
    FSurface->resize(right + PageGap, y);
    FSurface->update();
}

int TVNPreviewForm::CurrentPage() const {
    // The page that spans the line just below the top edge of the view.
    const int line = FScroll->verticalScrollBar()->value() + PageGap + 1;
    for (int i = 0; i < PageCount(); ++i)
        if (FPageRects[std::size_t(i)].bottom() + PageGap >= line) return i;
    return PageCount() - 1;
}

void TVNPreviewForm::GotoPage(int index) {
    if (PageCount() == 0) return;
    index = std::clamp(index, 0, PageCount() - 1);
    FScroll->verticalScrollBar()->setValue(FPageRects[std::size_t(index)].top() - PageGap);
}

bool TVNPreviewForm::HandlePageKey(int key) {
    const int current = CurrentPage();
    switch (key) {
    case Qt::Key_PageDown:
        GotoPage(current + 1);
        return true;
    case Qt::Key_PageUp: {
        // From inside a page, back to its top first.
        const bool atTop = current < 0 || FScroll->verticalScrollBar()->value() <=
                                              FPageRects[std::size_t(current)].top() - PageGap;
        GotoPage(atTop ? current - 1 : current);
        return true;
    }
    case Qt::Key_Home:
        GotoPage(0);
        return true;
    case Qt::Key_End:
        GotoPage(PageCount() - 1);
        return true;
    default:
        return false;
    }
}

void TVNPreviewForm::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier && HandlePageKey(event->key()))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void TVNPreviewForm::PaintPages(QPainter& painter, const QRect& exposed, const QRect& inView) {
    painter.fillRect(exposed, QColor(128, 128, 128));
    TVNEMFPages& pages = *FReport.EMFPages;
    if (pages.Count() != PageCount()) // rebuilt while shown: lay out again after this paint
        QMetaObject::invokeMethod(
            this, [this] { Relayout(); }, Qt::QueuedConnection);
    const int count = std::min(pages.Count(), PageCount());
    TQtCanvas canvas(&painter, ScreenDPI, ScreenDPI);
    const TRect clip = ToTRect(exposed);
    for (int i = 0; i < count; ++i) {
        TVNPreparedPage& page = pages.Page(i);
        const QRect rect = FPageRects[std::size_t(i)];
        page.Visible = rect.intersects(inView) ? 1 : 0;
        if (!page.Visible) {
            pages.DrawPage(i, canvas, TRect{}); // an invisible page is released, not drawn
            continue;
        }
        if (!rect.intersects(exposed)) continue;
        painter.save();
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(rect.adjusted(-1, -1, 0, 0));
        painter.restore();
        painter.save();
        painter.setClipRect(rect.intersected(exposed));
        pages.DrawPage(i, canvas, ToTRect(rect), TVNDrawTarget::Screen, &clip);
        painter.restore();
    }
}

void TVNPreviewForm::ReleasePages() {
    TVNEMFPages& pages = *FReport.EMFPages;
    for (int i = 0; i < pages.Count(); ++i) {
        pages.Page(i).Visible = 0;
        pages.Page(i).DecodedPage.reset();
    }
}
