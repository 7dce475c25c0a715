// The preview control: layout of the pages at the zoom, painting of the pages in view, scrolling,
// mouse, find, and the file operations on the prepared pages.
#include "VNPreview.h"

#include "VNPageSetupForm.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNReport.h"
#include "report/VNStream.h"
#include "report/VNStrings.h"
#include "report/export/VNExportFilter.h"
#include "report/export/VNXLSExport.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNReportPrint.h"
#include "report/print/VNReportSettings.h"

#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtMessageService.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Gap = 10;
constexpr int SmallChange = 10;
constexpr int LargeChange = 200;
constexpr int PaintBand = 2000; // pages starting below this line of the panel are not drawn

TRect ToTRect(const QRect& r) { return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

QSize PageSize(TVNPreparedPage& page) {
    return QSize(page.Metrics.PaperWidthPx > 0 ? page.Metrics.PaperWidthPx : 794,
                 page.Metrics.PaperHeightPx > 0 ? page.Metrics.PaperHeightPx : 1123);
}

// A canvas that records where each text is drawn instead of drawing it: the find reads a page's
// texts in drawing order through it.
class TTextRecorder : public TQtCanvas {
public:
    struct TRecord {
        QString Text;
        QRect Bounds;
    };
    explicit TTextRecorder(QPainter* painter) : TQtCanvas(painter, VNState().ScreenDPI, VNState().ScreenDPI) {}
    void TextOut(int x, int y, std::string_view text) override { Record(x, y, text); }
    void TextRect(const TRect& clip, int x, int y, std::string_view text) override {
        (void)clip;
        Record(x, y, text);
    }
    std::vector<TRecord> Records;

private:
    void Record(int x, int y, std::string_view text) {
        if (text.empty()) return;
        Records.push_back(
            {AnsiToQString(AnsiString(std::string(text))), QRect(x, y, TextWidth(text), TextHeight(text))});
    }
};

// Where `needle` occurs in `text` at or after `from` as a whole word: nothing after it, or a line
// break, a space, "-" or a wide (double-byte) character after it. -1 when it does not.
int FindInRecord(const QString& text, const QString& needle, int from, bool wholeWords) {
    for (int at = text.indexOf(needle, from); at >= 0; at = text.indexOf(needle, at + 1)) {
        if (!wholeWords) return at;
        const int after = at + int(needle.size());
        if (after >= text.size()) return at;
        const QChar c = text.at(after);
        if (c == QLatin1Char('\r') || c == QLatin1Char(' ') || c == QLatin1Char('-') || c.unicode() > 0x7f)
            return at;
    }
    return -1;
}

// The cursor a report's OnMouseOverObject names, by the classic cursor numbers (0 the default,
// -2 the arrow ... -21 the pointing hand, -22 the four-way arrow).
Qt::CursorShape CursorShapeOf(int cursor) {
    switch (cursor) {
    case -1: return Qt::BlankCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -5: case -22: return Qt::SizeAllCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: return Qt::WaitCursor;
    case -12: return Qt::DragMoveCursor;
    case -13: case -18: return Qt::ForbiddenCursor;
    case -14: return Qt::SplitHCursor;
    case -15: return Qt::SplitVCursor;
    case -16: return Qt::DragCopyCursor;
    case -17: case -19: return Qt::BusyCursor;
    case -20: return Qt::WhatsThisCursor;
    case -21: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace

// The drawing surface: paints through the control and gives it the mouse.
class TVNDrawPanel : public QWidget {
public:
    explicit TVNDrawPanel(TVNPreview& preview) : QWidget(&preview), FPreview(preview) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        FPreview.Paint(painter, event->rect());
    }
    void mousePressEvent(QMouseEvent* e) override { FPreview.MousePress(e); }
    void mouseMoveEvent(QMouseEvent* e) override { FPreview.MouseMove(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { FPreview.MouseRelease(e); }

private:
    TVNPreview& FPreview;
};

TVNPreview::TVNPreview(QWidget* parent) : QWidget(parent) {
    FPanel = new TVNDrawPanel(*this);
    FVBar = new QScrollBar(Qt::Vertical, this);
    FHBar = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar* bar : {FVBar, FHBar}) {
        bar->setSingleStep(SmallChange);
        bar->setPageStep(LargeChange);
        connect(bar, &QScrollBar::valueChanged, this, [this] { Scrolled(); });
    }
    FPageUp = new QToolButton(this);
    FPageUp->setArrowType(Qt::UpArrow);
    FPageUp->setToolTip(QString::fromUtf8("上一页"));
    FPageDown = new QToolButton(this);
    FPageDown->setArrowType(Qt::DownArrow);
    FPageDown->setToolTip(QString::fromUtf8("下一页"));
    for (QToolButton* b : {FPageUp, FPageDown}) {
        b->setFixedSize(16, 16);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(FPageUp, &QToolButton::clicked, this, [this] { Prior(); });
    connect(FPageDown, &QToolButton::clicked, this, [this] { Next(); });
    FPageLabel = new QLabel(this);
    FPageLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FPageLabel->setMinimumWidth(110);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addWidget(FVBar, 1);
    right->addWidget(FPageUp);
    right->addWidget(FPageDown);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    bottom->addWidget(FPageLabel);
    bottom->addWidget(FHBar, 1);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(FPanel, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addLayout(bottom, 1, 0, 1, 2);
    setFocusProxy(FPanel);
}

TVNPreview::~TVNPreview() {
    Disconnect();
    // A report that names this control as its Preview must not reach it any more.
    if (FNamedBy && FNamedBy->Preview == this) FNamedBy->Preview = nullptr;
}

void TVNPreview::ReportDestroyed(TVNReport& report) {
    if (FReport == &report) Disconnect();
    if (FNamedBy == &report) FNamedBy = nullptr;
}

QWidget* TVNPreview::DrawPanel() const { return FPanel; }

int TVNPreview::PageCount() const { return FReport && FReport->EMFPages ? FReport->EMFPages->Count() : 0; }

void TVNPreview::Connect(TVNReport* report) {
    Disconnect();
    FReport = report;
    if (!report) return;
    FNamedBy = report;
    InitialDir = AnsiToUtf8(report->PreviewInitialDir);
    switch (report->InitialZoom) {
    case pzDefault: FScale = 1.0, FZoomMode = zmFixed; break;
    case pzPageWidth: FZoomMode = zmPageWidth; break;
    case pzOnePage: FZoomMode = zmOnePage; break;
    case pzTwoPages: FZoomMode = zmTwoPages; break;
    }
    FCurrentPage = PageCount() > 0 ? 1 : 0;
    FFound = false;
    FSearchPage = FSearchRecord = 0;
    FVBar->setValue(0);
    FHBar->setValue(0);
    Relayout();
    GotoPage(1);
}

void TVNPreview::Disconnect() {
    if (!FReport) return;
    ReleaseAll();
    FReport = nullptr;
    FRects.clear();
    FCache.clear();
    FCurrentPage = 0;
}

void TVNPreview::ReleaseAll() {
    if (!FReport || !FReport->EMFPages) return;
    TVNEMFPages& pages = *FReport->EMFPages;
    for (int i = 0; i < pages.Count(); ++i) {
        pages.Page(i).Visible = 0;
        pages.Page(i).DecodedPage.reset();
    }
    FCache.assign(std::size_t(pages.Count()), QPixmap());
}

void TVNPreview::ClearCache() {
    for (QPixmap& p : FCache) p = QPixmap();
}

// ---- zoom and layout -----------------------------------------------------------------------------

void TVNPreview::Zoom(int percent) {
    FZoomMode = zmFixed;
    FScale = FFixedScale = std::max(1, percent) / 100.0;
    Relayout();
}
void TVNPreview::PageWidth() { FZoomMode = zmPageWidth, Relayout(); }
void TVNPreview::OnePage() { FZoomMode = zmOnePage, Relayout(); }
void TVNPreview::TwoPages() { FZoomMode = zmTwoPages, Relayout(); }
void TVNPreview::PrinterZoom() { FZoomMode = PrinterScale() > 0 ? zmPrinter : zmPageWidth, Relayout(); }

double TVNPreview::PrinterScale() const {
    if (PageCount() == 0) return 0;
    TVNPrinter& printer = VNSharedPrinter();
    if (printer.IsVirtual() || !printer.Info().Usable) return 0;
    // Measured on the current page's paper: a printer's device size differs per paper.
    TVNPreparedPage& page = FReport->EMFPages->Page(std::clamp(FCurrentPage, 1, PageCount()) - 1);
    printer.SetPaper(page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation, page.Bin);
    TVNPrinterMetrics metrics;
    printer.FillPrinterMetrics(metrics);
    return printer.ScaleY();
}

void TVNPreview::SetZoomState(double scale, TVNZoomMode mode) {
    FScale = FFixedScale = scale;
    FZoomMode = mode == zmPrinter && PrinterScale() <= 0 ? zmPageWidth : mode;
    Relayout();
}

void TVNPreview::Relayout() {
    FReady = false;
    const int count = PageCount();
    FRects.assign(std::size_t(count), QRect());
    FCache.assign(std::size_t(count), QPixmap());
    const int panelW = FPanel->width(), panelH = FPanel->height();
    if (count > 0) {
        TVNEMFPages& pages = *FReport->EMFPages;
        const int cur = std::clamp(FCurrentPage, 1, count) - 1;
        const QSize size = PageSize(pages.Page(cur));
        switch (FZoomMode) {
        case zmPageWidth: FScale = double(panelW - 20) / size.width(); break;
        case zmOnePage: FScale = double(panelH - 20) / size.height(); break;
        case zmTwoPages: FScale = double(panelW - 30) / (2.0 * size.width()); break;
        case zmPrinter:
            if (const double printer = PrinterScale(); printer > 0) FScale = printer;
            else FScale = double(panelW - 20) / size.width(), FZoomMode = zmPageWidth; // printer gone
            break;
        default: break;
        }
        FScale = std::max(FScale, 0.01);
        // Pages per row: the widest row that fits, at least one.
        int perRow = 0, inRow = 0, run = Gap;
        for (int i = 0; i < count; ++i) {
            const int w = int(std::lround(PageSize(pages.Page(i)).width() * FScale));
            if (run + w + Gap > panelW) {
                perRow = std::max(perRow, inRow);
                inRow = 0, run = Gap;
            } else {
                ++inRow, run += w + Gap;
            }
        }
        perRow = std::max(perRow, inRow);
        if (FZoomMode == zmTwoPages) perRow = 2;
        if (FZoomMode == zmOnePage || perRow == 0) perRow = 1;

        int y = Gap;
        for (int row = 0; row * perRow < count; ++row) {
            int x = Gap, tallest = 0;
            for (int i = row * perRow; i < std::min(count, (row + 1) * perRow); ++i) {
                const QSize s = PageSize(pages.Page(i));
                const int w = int(std::lround(s.width() * FScale)), h = int(std::lround(s.height() * FScale));
                int left = x;
                if (perRow == 1 && w + 2 * Gap < panelW) left = (panelW - w) / 2;
                FRects[std::size_t(i)] = QRect(left, y, w, h);
                pages.Page(i).PreviewRect = ToTRect(FRects[std::size_t(i)]);
                x += w + Gap;
                tallest = std::max(tallest, h);
            }
            y += tallest + Gap;
        }
    }
    int right = 0, bottom = 0;
    for (const QRect& r : FRects) right = std::max(right, r.right() + 1), bottom = std::max(bottom, r.bottom() + 1);
    const int hMax = std::max(0, right - panelW + Gap), vMax = std::max(0, bottom - panelH + Gap);
    FHBar->setRange(0, hMax);
    FVBar->setRange(0, vMax);
    FHBar->setEnabled(hMax > 0);
    FVBar->setEnabled(vMax > 0);
    FReady = true;
    if (FCurrentPage > 0) {
        const int top = FRects[std::size_t(FCurrentPage - 1)].top() - Gap;
        if (FVBar->value() != top) FVBar->setValue(top);
    }
    FPanel->update();
    UpdatePageText();
    if (OnStatusChange) OnStatusChange();
}

void TVNPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

// ---- paging and scrolling ------------------------------------------------------------------------

void TVNPreview::GotoPage(int n) {
    if (PageCount() == 0) return;
    FCurrentPage = std::clamp(n, 1, PageCount());
    if (!FRects.empty()) FVBar->setValue(FRects[std::size_t(FCurrentPage - 1)].top() - Gap);
    if (FZoomMode == zmTwoPages || FZoomMode == zmOnePage) {
        // a landscape page among portrait ones changes the scale of the fitting modes
    }
    UpdatePageText();
}

void TVNPreview::ScrollTo(int x, int y) {
    FHBar->setValue(x);
    FVBar->setValue(y);
}

void TVNPreview::ScrollBy(int dx, int dy) { ScrollTo(FHBar->value() + dx, FVBar->value() + dy); }

void TVNPreview::Scrolled() {
    if (!FReady) return;
    // The current page: the first page spanning the line just below the top gap.
    const int line = Gap + 1 + FVBar->value();
    for (std::size_t i = 0; i < FRects.size(); ++i)
        if (FRects[i].top() <= line + Gap && FRects[i].bottom() >= line) {
            FCurrentPage = int(i) + 1;
            break;
        }
    FPanel->update();
    UpdatePageText();
}

void TVNPreview::UpdatePageText() {
    if (OnPageChanged) OnPageChanged();
    FPageLabel->setText(PageText());
}

QString TVNPreview::PageText() const {
    if (PageCount() == 0) return QString();
    return QString::fromUtf8("页 %1/%2").arg(FCurrentPage).arg(PageCount());
}

void TVNPreview::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    // A notch moves three small steps, as a desktop viewer scrolls three lines per notch.
    ScrollBy(0, -notches * SmallChange * 3 * WheelMultiplier);
    event->accept();
}

// ---- painting ------------------------------------------------------------------------------------

void TVNPreview::Paint(QPainter& painter, const QRect& exposed) {
    if (PageCount() == 0 || !FReady || int(FRects.size()) != PageCount()) {
        painter.fillRect(exposed, palette().button());
        if (FReport && int(FRects.size()) != PageCount()) Relayout(); // pages changed meanwhile
        return;
    }
    TVNEMFPages& pages = *FReport->EMFPages;
    const QPoint offset(-FHBar->value(), -FVBar->value());
    QRegion background(exposed);
    std::vector<int> visible;
    for (int i = 0; i < pages.Count(); ++i) {
        const QRect r = FRects[std::size_t(i)].translated(offset);
        const bool inBand = !(r.top() > PaintBand || r.bottom() < 0) && r.intersects(FPanel->rect());
        pages.Page(i).Visible = inBand ? 1 : 0;
        if (inBand) {
            visible.push_back(i);
            background -= r;
        } else if (pages.Page(i).DecodedPage || !FCache[std::size_t(i)].isNull()) {
            TQtCanvas none(&painter, VNState().ScreenDPI, VNState().ScreenDPI);
            pages.DrawPage(i, none, TRect{}); // releases the page's decoded objects
            FCache[std::size_t(i)] = QPixmap();
        }
    }
    painter.save();
    painter.setClipRegion(background);
    painter.fillRect(exposed, QColor(128, 128, 128));
    painter.restore();

    for (int i : visible) {
        const QRect r = FRects[std::size_t(i)].translated(offset);
        if (!r.adjusted(-1, -1, 2, 2).intersects(exposed)) continue;
        TVNPreparedPage& page = pages.Page(i);
        QPixmap& cached = FCache[std::size_t(i)];
        if (cached.isNull() || cached.size() != r.size()) {
            cached = QPixmap(r.size());
            cached.fill(Qt::white);
            QPainter pp(&cached);
            // Crop marks at the corners of the margin area, pointing outward.
            const TRect m = page.Margins;
            if (m.Right > m.Left && m.Bottom > m.Top) {
                const int mark = int(std::lround(20 * FScale));
                const int l = int(std::lround(m.Left * FScale)), t = int(std::lround(m.Top * FScale));
                const int rr = int(std::lround(m.Right * FScale)), b = int(std::lround(m.Bottom * FScale));
                pp.setPen(QColor(128, 128, 128));
                pp.drawLine(l - mark, t, l, t), pp.drawLine(l, t - mark, l, t);
                pp.drawLine(rr, t, rr + mark, t), pp.drawLine(rr, t - mark, rr, t);
                pp.drawLine(l - mark, b, l, b), pp.drawLine(l, b, l, b + mark);
                pp.drawLine(rr, b, rr + mark, b), pp.drawLine(rr, b, rr, b + mark);
            }
            TQtCanvas canvas(&pp, VNState().ScreenDPI, VNState().ScreenDPI);
            const TRect whole{0, 0, r.width(), r.height()};
            pages.DrawPage(i, canvas, whole, TVNDrawTarget::Screen, &whole);
        }
        painter.drawPixmap(r.topLeft(), cached);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(-1, -1, 0, 0));
        painter.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1); // shadow
        painter.drawLine(r.right() + 1, r.top(), r.right() + 1, r.bottom() + 1);
    }
    PaintMatch(painter);
}

void TVNPreview::PaintMatch(QPainter& painter) {
    if (!FFound || FSearchPage < 0 || FSearchPage >= int(FRects.size())) return;
    const QRect page = FRects[std::size_t(FSearchPage)].translated(-FHBar->value(), -FVBar->value());
    const QRect match(page.left() + int(std::lround(FFoundBounds.left() * FScale)),
                      page.top() + int(std::lround(FFoundBounds.top() * FScale)),
                      std::max(1, int(std::lround(FFoundBounds.width() * FScale))),
                      std::max(1, int(std::lround(FFoundBounds.height() * FScale))));
    painter.save();
    // Inverted, as white drawn in XOR mode over the match inverts what is under it.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(match, Qt::white);
    painter.restore();
}

// ---- mouse ---------------------------------------------------------------------------------------

QPoint TVNPreview::Unscrolled(QPoint p) const {
    return p + QPoint(FHBar->value(), FVBar->value());
}

int TVNPreview::PageAt(QPoint p, TPoint* onPage) const {
    const QPoint u = Unscrolled(p);
    for (std::size_t i = 0; i < FRects.size(); ++i) {
        const QRect& r = FRects[i];
        if (!r.contains(u)) continue;
        if (onPage)
            *onPage = TPoint{int(std::lround((u.x() - r.left()) / FScale)), int(std::lround((u.y() - r.top()) / FScale))};
        return int(i);
    }
    return -1;
}

void TVNPreview::MousePress(QMouseEvent* e) {
    FPanel->setFocus();
    if (e->button() == Qt::RightButton) {
        if (OnPopup) OnPopup(e->globalPosition().toPoint());
        return;
    }
    if (e->button() != Qt::LeftButton || !FReport) return;
    TPoint at;
    const int page = PageAt(e->position().toPoint(), &at);
    if (page >= 0 && FReport->EMFPages->HitTest(page, at, true)) return;
    FDragging = true;
    FDragStart = FPressPos = e->globalPosition().toPoint();
    FDragH = FHBar->value(), FDragV = FVBar->value();
    if (page >= 0 && page + 1 != FCurrentPage) {
        FCurrentPage = page + 1;
        UpdatePageText();
    }
}

void TVNPreview::MouseMove(QMouseEvent* e) {
    if (FDragging && !FMagnifier) {
        const QPoint d = e->globalPosition().toPoint() - FDragStart;
        ScrollTo(FDragH - d.x(), FDragV - d.y());
        return;
    }
    TPoint at;
    const int page = PageAt(e->position().toPoint(), &at);
    Qt::CursorShape shape = page >= 0 ? Qt::OpenHandCursor : Qt::ArrowCursor;
    if (page >= 0 && FReport && FReport->OnMouseOverObject) {
        // The view under the mouse names its cursor; elsewhere on the page the plain arrow.
        int cursor = 0;
        shape = FReport->EMFPages->HitTest(page, at, false, &cursor) ? CursorShapeOf(cursor) : Qt::ArrowCursor;
    }
    if (FMagnifier && page >= 0) shape = Qt::CrossCursor;
    FPanel->setCursor(shape);
}

void TVNPreview::MouseRelease(QMouseEvent* e) {
    const bool wasDragging = FDragging;
    FDragging = false;
    if (!wasDragging || !FMagnifier || e->button() != Qt::LeftButton) return;
    if ((e->globalPosition().toPoint() - FPressPos).manhattanLength() > 4) return;
    // The magnifier: whole page <-> 100 %, keeping the clicked point of the page in view.
    const QPoint at = Unscrolled(e->position().toPoint());
    const double before = FScale;
    if (FZoomMode == zmOnePage) Zoom(100);
    else OnePage();
    const double k = FScale / before;
    ScrollTo(int(at.x() * k) - e->position().toPoint().x(), int(at.y() * k) - e->position().toPoint().y());
}

// ---- find ----------------------------------------------------------------------------------------

bool TVNPreview::Find(const QString& text, bool caseSensitive, bool wholeWords, bool fromFirstPage) {
    FSearchShown = text;
    FCase = caseSensitive, FWholeWords = wholeWords;
    FSearch = caseSensitive ? text : text.toUpper();
    if (fromFirstPage) FSearchPage = 0, FSearchRecord = 0;
    else if (FSearchPage != FCurrentPage - 1) FSearchPage = FCurrentPage - 1, FSearchRecord = 0;
    else FSearchRecord = 0;
    return SearchFrom(FSearchPage, FSearchRecord);
}

bool TVNPreview::FindNext() {
    if (FSearch.isEmpty()) return false;
    if (FSearchPage != FCurrentPage - 1) FSearchPage = FCurrentPage - 1, FSearchRecord = 0;
    return SearchFrom(FSearchPage, FSearchRecord);
}

bool TVNPreview::SearchFrom(int startPage, int startRecord) {
    if (!FReport || PageCount() == 0 || FSearch.isEmpty()) return false;
    TVNEMFPages& pages = *FReport->EMFPages;
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    for (int i = std::max(0, startPage); i < pages.Count(); ++i) {
        TTextRecorder recorder(&painter);
        const QSize size = PageSize(pages.Page(i));
        const std::uint8_t wasVisible = pages.Page(i).Visible;
        pages.Page(i).Visible = 1;
        pages.DrawPage(i, recorder, TRect{0, 0, size.width(), size.height()}, TVNDrawTarget::Metafile);
        // A text record is the unit of a match; after a match the search continues with the next
        // record (a record's second occurrence is the next record's business only when it wraps).
        for (int rec = (i == startPage ? startRecord : 0); rec < int(recorder.Records.size()); ++rec) {
            const auto& r = recorder.Records[std::size_t(rec)];
            const QString hay = FCase ? r.Text : r.Text.toUpper();
            const int at = FindInRecord(hay, FSearch, 0, FWholeWords);
            if (at < 0) continue;
            // The bounds of the match inside the record, measured with the record's font.
            const QString before = r.Text.left(at), match = r.Text.mid(at, FSearch.size());
            const int x0 = recorder.TextWidth(QStringToAnsi(before));
            const int w = recorder.TextWidth(QStringToAnsi(match));
            pages.Page(i).Visible = wasVisible;
            FSearchPage = i;
            FSearchRecord = rec + 1;
            FFoundBounds = QRect(r.Bounds.left() + x0, r.Bounds.top(), std::max(1, w), r.Bounds.height());
            FFound = true;
            ShowMatch(i);
            return true;
        }
        pages.Page(i).Visible = wasVisible;
        if (!wasVisible) pages.DrawPage(i, recorder, TRect{}); // searched and not shown: released
    }
    return false; // nothing further: the view stays as it is
}

void TVNPreview::ShowMatch(int index) {
    FCurrentPage = index + 1;
    const QRect page = FRects[std::size_t(index)];
    int y = page.top() - Gap, x = page.left() - Gap;
    const int matchBottom = page.top() + int(std::lround(FFoundBounds.bottom() * FScale));
    const int matchRight = page.left() + int(std::lround(FFoundBounds.right() * FScale));
    if (matchBottom - y > FPanel->height()) y = matchBottom - FPanel->height() + 1;
    if (matchRight - x > FPanel->width()) x = matchRight - FPanel->width() + 1;
    ScrollTo(x, y);
    FCurrentPage = index + 1;
    FPanel->update();
    UpdatePageText();
}

// ---- files ---------------------------------------------------------------------------------------

bool TVNPreview::OpenReportFiles(const std::vector<std::string>& files) {
    if (!FReport || files.empty()) return false;
    // Every file is read in full before the shown pages are touched: a file that is not a
    // prepared report leaves the current pages as they were.
    std::vector<std::unique_ptr<TVNStream>> streams;
    for (const std::string& f : files) {
        auto s = std::make_unique<TVNStream>();
        if (!s->LoadFromFile(f)) {
            VNShowMessage(QStringToAnsi(QString::fromUtf8("无法打开文件 ") + QString::fromStdString(f)),
                          VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
            return false;
        }
        TVNEMFPages probe(FReport);
        TVNStream copy(s->Data());
        if (!probe.LoadFromStream(copy)) return false; // the engine has said why
        streams.push_back(std::move(s));
    }
    TVNReport* report = FReport;
    Disconnect();
    report->EMFPages->Clear();
    report->EMFPages->LoadFromStream(*streams[0]);
    for (std::size_t i = 1; i < streams.size(); ++i) report->EMFPages->AppendFromStream(*streams[i]);
    Reconnect(report);
    if (QWidget* w = window())
        w->setWindowTitle(QString::fromUtf8("预览 - ") + QFileInfo(QString::fromStdString(files[0])).fileName());
    return true;
}

bool TVNPreview::SaveReportAs(const std::string& fileName, int filterIndex) {
    if (!FReport) return false;
    QFileInfo info(QString::fromStdString(fileName));
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
    if (filterIndex <= 1) return FReport->SaveBuiltPages((base + QStringLiteral(".vnp")).toStdString());
    const int k = filterIndex - 2;
    if (k >= ExportFilterCount()) return false;
    const TVNExportFilterInfo& f = ExportFilter(k);
    const std::string ext = f.Mask.size() > 1 ? f.Mask.substr(1) : std::string();
    return ExportReport(*f.Filter, base.toStdString() + ext);
}

bool TVNPreview::ExportReport(TVNExportFilter& filter, const std::string& fileName) {
    if (!FReport) return false;
    TVNReport* report = FReport;
    const int page = FCurrentPage;
    ReleaseAll();
    // "Current page only" of the spreadsheet filters means the page shown here.
    if (auto* xls = dynamic_cast<TVNXLSExport*>(&filter)) xls->CurrentPage = std::max(1, page);
    const bool ok = report->ExportBuiltReport(filter, fileName);
    ClearCache();
    GotoPage(page);
    FPanel->update();
    return ok;
}

void TVNPreview::Reconnect(TVNReport* report) {
    const double scale = FFixedScale;
    const TVNZoomMode mode = FZoomMode;
    Connect(report);
    SetZoomState(scale, mode);
    GotoPage(1);
}

// ---- page setup ----------------------------------------------------------------------------------

bool TVNPreview::CanPageSetup() const {
    return FReport && PageCount() > 0 && !FReport->EMFPages->LoadedFromFile();
}

bool TVNPreview::PageSetup() {
    if (!CanPageSetup()) return false;
    TVNReport* report = FReport;
    TVNPreparedPage& first = report->EMFPages->Page(0);
    auto toMM = [](double px) { return std::round(PixelsToMM(px) * 10) / 10; };
    const double paperW = MMToPixels(first.PaperWidth / 10.0), paperH = MMToPixels(first.PaperHeight / 10.0);
    TVNPageSetting setting;
    setting.PrinterName = report->PrinterName;
    setting.Title = report->ReportInfo.Title;
    setting.DoublePass = report->DoublePass;
    setting.DontPrintBackground = report->taodaDefault;
    setting.PrintBackColor = report->PrintBackColor;
    setting.MarginLeft = toMM(first.Margins.Left);
    setting.MarginTop = toMM(first.Margins.Top);
    setting.MarginRight = toMM(paperW - first.Margins.Right);
    setting.MarginBottom = toMM(paperH - first.Margins.Bottom);
    setting.Orientation = first.Orientation;
    setting.PaperWidth = first.PaperWidth;
    setting.PaperHeight = first.PaperHeight;
    setting.Bin = first.Bin;
    setting.PaperSize = first.PaperSize;

    TVNPrinter& printer = VNSharedPrinter();
    const int oldPrinter = printer.PrinterIndex();
    if (!ShowPageSetupDialog(setting, false, this)) return false;
    // The dialog has selected the chosen printer; the design pages are laid out on it again.
    if (printer.PrinterIndex() != oldPrinter) ChangePrinter(*report, oldPrinter, printer.PrinterIndex());
    report->ReportInfo.Title = setting.Title;
    report->DoublePass = setting.DoublePass;
    report->taodaDefault = setting.DontPrintBackground;
    report->PrintBackColor = setting.PrintBackColor;
    const double left = std::round(MMToPixels(setting.MarginLeft)), top = std::round(MMToPixels(setting.MarginTop));
    const double right = std::round(MMToPixels(setting.MarginRight));
    const double bottom = std::round(MMToPixels(setting.MarginBottom));
    for (int i = 0; i < report->Pages.Count(); ++i) {
        TVNPage& page = report->Pages[i];
        if (page.PageType != ptReport) continue; // dialog pages have no paper
        page.SetMarginsPx(left, top, right, bottom);
        // The paper as the dialog left it, its orientation and source included: the user may
        // have turned the page or chosen another tray there.
        page.ChangePaper(setting.PaperSize, setting.PaperWidth * 100, setting.PaperHeight * 100, setting.Orientation,
                         setting.Bin);
    }
    SaveReportSetting(*report);
    // The pages go back first: the notification may lay the report out and build it anew.
    Disconnect();
    if (report->OnPageSetup) report->OnPageSetup(setting);
    report->BuildReport();
    Reconnect(report);
    return true;
}

