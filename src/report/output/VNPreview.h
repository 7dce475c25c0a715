// TVNPreview: the control that shows a report's prepared pages on screen. A panel with its own
// scroll bars, two page buttons and the page number text around a drawing surface; it lays the
// pages out at the chosen zoom (fixed percent, page width, whole page, two pages, or as many pages
// per row as fit), pages and scrolls, and finds text on the pages with the match highlighted.
//
// The control reads the report's prepared pages store in place; only the pages in view are
// decoded and drawn, and a page's picture is kept at the current zoom only while it stays in view
// (a page leaving the view is drawn into an empty rectangle, which is how the store releases its
// decoded objects), so long reports are shown with bounded memory.
//
// Placed on any window and named as a report's Preview, the control shows that report's built
// pages without a preview window of its own.
#pragma once

#include "report/VNWindowServices.h"

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QScrollBar;
class QToolButton;
class TVNDrawPanel;
class TVNReport;
class TVNExportFilter;

enum TVNZoomMode { zmFixed = 0, zmPageWidth = 1, zmOnePage = 2, zmTwoPages = 3, zmPrinter = 4 };

class TVNPreview : public QWidget, public IVNPreviewControl {
public:
    explicit TVNPreview(QWidget* parent = nullptr);
    ~TVNPreview() override;

    void Connect(TVNReport* report) override;
    void Disconnect() override;
    void ReportDestroyed(TVNReport& report) override;
    TVNReport* Report() const { return FReport; }
    int PageCount() const;

    // Zoom.
    void Zoom(int percent);
    void PageWidth();
    void OnePage();
    void TwoPages();
    // The selected printer's resolution (its pixels per report pixel, vertically) when the
    // printer can print; page width otherwise.
    void PrinterZoom();
    // That scale for the current page's paper, or 0 when the printer cannot print.
    double PrinterScale() const;
    double Scale() const { return FScale; }
    TVNZoomMode ZoomMode() const { return FZoomMode; }
    void SetZoomState(double scale, TVNZoomMode mode); // the last zoom of an earlier preview
    bool MagnifierOn() const { return FMagnifier; }
    void SetMagnifier(bool on) { FMagnifier = on; }

    // Paging (1-based page numbers, clamped).
    int CurrentPage() const { return FCurrentPage; }
    void GotoPage(int n);
    void First() { GotoPage(1); }
    void Prior() { GotoPage(FCurrentPage - 1); }
    void Next() { GotoPage(FCurrentPage + 1); }
    void Last() { GotoPage(PageCount()); }
    QScrollBar* VScroll() const { return FVBar; }
    QScrollBar* HScroll() const { return FHBar; }
    QWidget* DrawPanel() const;
    QString PageText() const;
    // The page's layout rectangle (unscrolled, 0-based index).
    QRect PageRect(int index) const { return FRects.at(std::size_t(index)); }

    // Find: text, options and where to start; FindNext continues after the last match. Answers
    // whether a match was found (the view then shows it highlighted).
    bool Find(const QString& text, bool caseSensitive, bool wholeWords, bool fromFirstPage);
    bool FindNext();
    bool HasSearchText() const { return !FSearch.isEmpty(); }
    QString SearchText() const { return FSearchShown; }
    bool SearchCase() const { return FCase; }
    bool SearchWholeWords() const { return FWholeWords; }
    bool Found() const { return FFound; }
    // The last match on its page, in report pixels (valid when Found()).
    QRect FoundBounds() const { return FFoundBounds; }

    // Files: ".vnp" files loaded (the first replaces, the others are appended); saving with a
    // filter index of the save dialog (1: ".vnp", k >= 2: export filter k - 2). False on failure
    // (the engine has shown why); the current pages stay when a file cannot be read.
    bool OpenReportFiles(const std::vector<std::string>& files);
    bool SaveReportAs(const std::string& fileName, int filterIndex);
    bool ExportReport(TVNExportFilter& filter, const std::string& fileName);

    // Page setup: offered for pages built from the report's design (not loaded from a file). The
    // dialog starts from the report and its first built page; on OK every printed design page
    // gets the margins and the paper, the settings are saved, the report is built again and shown
    // from page 1. False when cancelled or not offered.
    bool CanPageSetup() const;
    bool PageSetup();

    // Lays the pages out again (zoom change, resize, pages changed) and repaints.
    void Relayout();

    // Notifications.
    std::function<void()> OnPageChanged;
    std::function<void()> OnStatusChange;
    std::function<void(QPoint globalPos)> OnPopup;
    std::string InitialDir;
    int WheelMultiplier = 1;

    // Scrolls by a small or large step, or to an edge; used by the keys.
    void ScrollBy(int dx, int dy);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    friend class TVNDrawPanel;
    void Paint(QPainter& painter, const QRect& exposed);
    void PaintMatch(QPainter& painter);
    void ScrollTo(int x, int y);
    void Scrolled();
    void UpdatePageText();
    void ReleaseAll();
    void ClearCache();
    // The point of the panel in the scrolled area (where the page rectangles lie).
    QPoint Unscrolled(QPoint panelPos) const;
    // The page under a point of the panel (-1 between and beside pages) and, when asked, the
    // point's place on that page in report pixels.
    int PageAt(QPoint panelPos, TPoint* onPage = nullptr) const;
    bool SearchFrom(int page, int record);
    // Scroll so that page `index` is shown with the match rectangle in view.
    void ShowMatch(int index);
    void MousePress(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseRelease(QMouseEvent* event);

    // Keeps the zoom while the report is connected again after its pages changed.
    void Reconnect(TVNReport* report);

    TVNReport* FReport = nullptr;
    TVNReport* FNamedBy = nullptr; // the last report connected, which may name this as its Preview
    TVNDrawPanel* FPanel;
    QScrollBar* FVBar;
    QScrollBar* FHBar;
    QToolButton* FPageUp;
    QToolButton* FPageDown;
    QLabel* FPageLabel;

    std::vector<QRect> FRects;           // layout rectangles, unscrolled
    std::vector<QPixmap> FCache;         // each page's picture at the current zoom, while in view
    int FCurrentPage = 0;                // 1-based; 0 without pages
    double FScale = 1.0, FFixedScale = 1.0;
    TVNZoomMode FZoomMode = zmFixed;
    bool FMagnifier = false;
    bool FReady = false;

    // Search state.
    QString FSearch, FSearchShown;
    bool FCase = false, FWholeWords = false, FFound = false;
    int FSearchPage = 0, FSearchRecord = 0; // where the next search continues (0-based)
    QRect FFoundBounds;

    // Mouse.
    bool FDragging = false;
    QPoint FDragStart, FPressPos;
    int FDragH = 0, FDragV = 0;
};
