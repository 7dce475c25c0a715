// TVNPreviewForm: a plain viewer of a report's built pages. The pages are shown at 100 % (one
// report pixel per screen pixel), one under another with a 10-pixel gap, in a scroll area; Page
// Up / Page Down go to the previous / next page, Home to the first and End to the last, Escape
// closes. Only pages inside the view are decoded and drawn: a page that leaves the view is marked
// invisible and drawn into an empty rectangle, which is how the prepared pages store releases its
// decoded views, so a long report is viewed with bounded memory.
//
// The window reads the report's pages while it is open; a report freed before its non-modal
// viewer is closed frees the viewer first (through the window services). Pages rebuilt meanwhile
// are laid out again at the next repaint.
#pragma once

#include <QDialog>
#include <QRect>

#include <vector>

class QScrollArea;
class TVNReport;

class TVNPreviewForm : public QDialog {
public:
    explicit TVNPreviewForm(TVNReport& report, QWidget* parent = nullptr);
    ~TVNPreviewForm() override;

    // Shows the report's pages: modally (returns when the window closes) when the report asks for
    // a modal preview, else as a window that deletes itself when closed.
    static void Preview(TVNReport& report);
    // Frees every non-modal viewer of the report at once (the report is going away).
    static void CloseFor(TVNReport& report);

    TVNReport& Report() const { return FReport; }
    int PageCount() const { return int(FPageRects.size()); }
    // A page's rectangle in the scrolled surface (0-based index).
    QRect PageRect(int index) const { return FPageRects.at(std::size_t(index)); }
    // The page at the top of the view (0-based), and scrolling a page to the top.
    int CurrentPage() const;
    void GotoPage(int index);
    QScrollArea* ScrollArea() const { return FScroll; }

    // Lays the pages out again from the store (after the report was rebuilt).
    void Relayout();
    // Page Up / Page Down / Home / End; false for any other key.
    bool HandlePageKey(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TVNPageSurface;
    // Draws the pages meeting `exposed`; pages outside `inView` are released.
    void PaintPages(QPainter& painter, const QRect& exposed, const QRect& inView);
    void ReleasePages();

    TVNReport& FReport;
    QScrollArea* FScroll;
    QWidget* FSurface;
    std::vector<QRect> FPageRects;
};
