// The control walk and the band assembly of the grid report generator.
#include "VNFormReport.h"

#include "VNCaptionText.h"
#include "VNGridCells.h"

#include "report/VNBandView.h"
#include "report/VNMemoLayout.h"
#include "report/VNMemoView.h"
#include "report/VNPage.h"

#include "platform/Canvas.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>

TVNFormReport::TVNFormReport() = default;
TVNFormReport::~TVNFormReport() = default;

void TVNFormReport::AddView(TVNPage& page, TVNView* view) {
    page.Add(view);
    view->Name = view->BaseName + std::to_string(++FViewCounter);
}

void TVNFormReport::FileSimpleView(TVNView* view) {
    (GridPrinted ? ColumnFooterViews : TitleViews).push_back(view);
}

void TVNFormReport::PlaceSimpleView(TVNPage& page, QWidget* c, TVNView* view, int dx, int dy, int width,
                                    int height) {
    view->PlaceAt(c->x() + OffsetX + dx, c->y() + OffsetY + dy, width, height);
    SetAllFrames(*view, HasOption(vngoDrawBorder));
    AddView(page, view);
    FileSimpleView(view);
}

void TVNFormReport::AddAggregateCell(TVNMemoView* view, const AnsiString& expression) {
    FAggregates.push_back({view, expression});
}

void TVNFormReport::WalkControl(QWidget* control, int offsetX, int offsetY) {
    OffsetX = offsetX;
    OffsetY = offsetY;
    // What is scrolled out of sight prints too: scrolling containers start at their origin.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        area->horizontalScrollBar()->setValue(0);
        area->verticalScrollBar()->setValue(0);
    }
    TVNPage& page = Report().Pages[0];
    std::unique_ptr<TVNFormReportObject> printer;
    bool ownerDraw = false;
    if (OnPrintObject) OnPrintObject(*this, page, control, printer, ownerDraw);
    if (!printer && !ownerDraw)
        if (const TVNFormReportObjectEntry* entry = FindFormReportObject(control)) printer = entry->Create();
    if (ownerDraw) return;
    if (printer) {
        TVNView* view = nullptr;
        printer->PrintObject(*this, page, view, control);
        if (view && OnAfterCreateObject) OnAfterCreateObject(control, view);
        if (!printer->FreeAfterPrint) KeptPrinters.push_back(std::move(printer));
        return;
    }
    std::vector<QWidget*> children;
    for (QObject* o : control->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && !w->isHidden()) children.push_back(w);
    std::stable_sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    for (QWidget* child : children)
        WalkControl(child, offsetX + control->x(), offsetY + control->y());
}

TVNBandView* TVNFormReport::AddBand(TVNPage& page, int type, int top) {
    auto* band = new TVNBandView;
    band->SetBandType(type);
    band->PlaceAt(0, top, PrintableWidth, 0);
    AddView(page, band);
    return band;
}

namespace {

// The band's height grows until it holds the view.
void Grow(TVNBandView& band, const TVNView& view) {
    band.Height = std::max(band.Height, view.Top + view.Height - band.Top);
}

int Bottom(const TVNView& v) {
    return v.Top + v.Height;
}

// Height of a paragraph's text in its font: its lines (word wrap aside) and the memo's gaps.
int ParagraphHeight(const TVNCaptionParagraph& p) {
    ICanvas& canvas = VNMeasureCanvas();
    canvas.SetFont(p.Font);
    const int lineHeight = canvas.TextHeight("Wg") + 2; // line spacing 2
    int lines = 1;
    for (std::size_t at = p.Text.find("\r\n"); at != AnsiString::npos; at = p.Text.find("\r\n", at + 2))
        ++lines;
    return lines * lineHeight + 2 * 2; // the memo's vertical gaps
}

} // namespace

int TVNFormReport::AddCaption(TVNPage& page, const TVNPageHeaderFooter& caption, int top, bool visible) {
    if (caption.Caption.empty()) return 0;
    const std::vector<TVNCaptionParagraph> paragraphs = ReadCaptionParagraphs(caption.Caption);
    if (paragraphs.empty()) return 0;
    std::vector<TVNMemoView*> memos;
    int y = top;
    for (const TVNCaptionParagraph& p : paragraphs) {
        auto* memo = new TVNMemoView;
        memo->Font = p.Font;
        memo->Adjust = p.Alignment;
        memo->SetFlag(flWordWrap, true);
        memo->Memo = SplitLines(p.Text);
        if (memo->Memo.empty()) memo->Memo.push_back("");
        // Band alignment "width": the caption spans the page between the margins when printed.
        memo->BandAlign = 4;
        memo->Visible = visible;
        const int h = ParagraphHeight(p);
        memo->PlaceAt(0, y, PrintableWidth, h);
        AddView(page, memo);
        memos.push_back(memo);
        y += h;
    }
    const int measured = y - top;
    const int height = caption.Height > 0 ? caption.Height : measured + 2;
    // A fixed height gives what the measured text leaves to the last paragraph (it holds the
    // texts that grow when evaluated, such as a many-line condition), or cuts the paragraphs.
    int room = height;
    for (TVNMemoView* m : memos) {
        m->Height = std::clamp(m->Height, 0, room);
        room -= m->Height;
    }
    memos.back()->Height += room;
    return height;
}

bool TVNFormReport::BuildGridReport() {
    QWidget* control = PrintControl;
    if (!control) return false;
    TVNReport& report = Report();
    // 1. A fresh run.
    KeptPrinters.clear();
    TitleViews.clear();
    DataViews.clear();
    PageFooterViews.clear();
    ColumnFooterViews.clear();
    SummaryViews.clear();
    FAggregates.clear();
    FDataBands.clear();
    FViewCounter = 0;
    // Each run binds the data band afresh: a row printer of an earlier run may have cleared it.
    BindDataSet = true;
    PageWidths.assign(std::size_t(report.Pages.Count()), 0);
    TVNPage& first = report.Pages[0];
    PrintableWidth = first.PaperWidthPx() - PageLayout.LeftMargin - PageLayout.RightMargin;
    PrintableHeight = first.PaperHeightPx() - PageLayout.TopMargin - PageLayout.BottomMargin;
    // 2. The content's size.
    int contentWidth = control->width();
    ContentHeight = control->height();
    {
        bool any = false;
        int l = 0, t = 0, r = 0, b = 0;
        for (QObject* o : control->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow()) {
                const QRect g = w->geometry();
                l = any ? std::min(l, g.left()) : g.left();
                t = any ? std::min(t, g.top()) : g.top();
                r = any ? std::max(r, g.left() + g.width()) : g.left() + g.width();
                b = any ? std::max(b, g.top() + g.height()) : g.top() + g.height();
                any = true;
            }
        if (any) {
            contentWidth = r - l;
            ContentHeight = b - t;
        }
    }
    GridPrinted = false;
    GridTop = GridHeight = 0;
    // 3. The walk.
    WalkControl(control, -control->x(), -control->y());
    // A page without a grid is as wide as the content.
    if (PageWidths[0] == 0) PageWidths[0] = contentWidth;
    // 4. The whole form repeats per record of the given data.
    if (!HasOption(vngoSelectedRecordsOnly) && DataViews.empty() && DataSet) {
        GridDataSet().SetDataSet(DataSet);
        DataViews = std::move(TitleViews);
        TitleViews.clear();
    }
    HasDataBand = !DataViews.empty();
    FDataBands.assign(std::size_t(report.Pages.Count()), nullptr);
    for (int i = 0; i < report.Pages.Count(); ++i)
        AssemblePage(report.Pages[i], i);
    // 14. Totals add up the data band of their page.
    for (const TAggregateCell& cell : FAggregates) {
        const int pageIndex = report.Pages.IndexOf(cell.View->Page);
        TVNBandView* band = pageIndex >= 0 ? FDataBands[std::size_t(pageIndex)] : nullptr;
        const AnsiString bandName = band ? band->Name : AnsiString();
        cell.View->Memo = {cell.Expression.empty() ? "[COUNT(" + bandName + ")]"
                                                   : "[SUM(" + cell.Expression + "," + bandName + ")]"};
    }
    // 15. Everything moves onto the printable area.
    for (int i = 0; i < report.Pages.Count(); ++i)
        for (TVNView* v : report.Pages[i].Objects) {
            v->Left += PageLayout.LeftMargin;
            v->Top += PageLayout.TopMargin;
        }
    return true;
}

void TVNFormReport::AssemblePage(TVNPage& page, int pageIndex) {
    const int w = PageWidths[std::size_t(pageIndex)];
    auto onPage = [&page](const std::vector<TVNView*>& list) {
        std::vector<TVNView*> out;
        for (TVNView* v : list)
            if (v->Page == &page) out.push_back(v);
        return out;
    };
    // 5. Title band: the report title on the first slice only, or a page header on every page.
    TVNBandView* title = AddBand(page, PageHeaderOnly1 ? bkPageHeader : bkTitle, 0);
    title->Visible = PageHeaderOnly1 || pageIndex == 0;
    const int headerHeight = AddCaption(page, PageHeader, title->Top, title->Visible);
    if (headerHeight > 0) title->Height = headerHeight + 2;
    for (TVNView* v : onPage(TitleViews)) {
        ScaleToPage(*v, title->Top, w);
        v->Top += title->Top + headerHeight;
        Grow(*title, *v);
    }
    // 6.
    int y = Bottom(*title);
    // 7. Groups.
    std::vector<TVNBandView*> groupFooters;
    if (!DataViews.empty()) {
        TMemDataSet* data = nullptr;
        try {
            data = GridDataSet().GetDataSet();
        } catch (const std::exception&) {
            data = nullptr;
        }
        std::vector<const TVNGroupItem*> items;
        for (const TVNGroupItem& g : Groups)
            if (!g.GroupFieldName.empty()) items.push_back(&g);
        for (const TVNGroupItem* g : items) {
            TVNBandView* header = AddBand(page, bkGroupHeader, ++y);
            if (g->FormNewPage) header->Flags |= bfFormNewPage;
            header->FormatText = data && data->FindField(g->GroupFieldName)
                                     ? "[" + VNDialogForm().Name + "." + GridDataSet().Name + ".\"" +
                                           g->GroupFieldName + "\"]"
                                     : g->GroupFieldName;
        }
        for (std::size_t i = items.size(); i-- > 0;)
            groupFooters.push_back(AddBand(page, bkGroupFooter, 0));
    }
    // 8. Data band.
    TVNBandView* data = nullptr;
    if (!DataViews.empty()) {
        data = AddBand(page, bkMasterData, y + 1);
        FDataBands[std::size_t(pageIndex)] = data;
        if (BindDataSet) data->FormatText = VNDialogForm().Name + "." + GridDataSet().Name;
        if (HasOption(vngoAppendBlank)) data->Flags |= bfAutoAppendBlank;
        if (HasOption(vngoStretch)) data->Flags |= bfStretched;
        if (MasterDataBandOptions.NewPageAfter) data->Flags |= bfFormNewPage;
        data->LinesPerPage = std::int16_t(std::clamp(MasterDataBandOptions.LinesPerPage, 0, 32767));
        data->Columns = MasterDataBandOptions.Columns;
        data->ColumnWidth = MasterDataBandOptions.ColumnWidth;
        data->ColumnGap = MasterDataBandOptions.ColumnGap;
        for (TVNView* v : onPage(DataViews)) {
            v->Top += data->Top;
            ScaleToPage(*v, data->Top, w);
            Grow(*data, *v);
        }
    }
    // 9.
    y = Bottom(data ? *data : *title) + 1;
    // 10. Group footers take the totals.
    const std::vector<TVNView*> summary = onPage(SummaryViews);
    for (std::size_t i = 0; i < groupFooters.size(); ++i) {
        TVNBandView* footer = groupFooters[i];
        footer->Top = y;
        if (i == 0)
            for (TVNView* v : summary) {
                v->Top += y;
                ScaleToPage(*v, y, w);
                Grow(*footer, *v);
            }
        y = Bottom(*footer) + 1;
    }
    // 11. Column footer: controls under the grid and the column footer caption.
    const bool footersVisible = PageHeaderOnly1;
    TVNBandView* columnFooter = AddBand(page, bkColumnFooter, y);
    columnFooter->Visible = footersVisible;
    for (TVNView* v : onPage(ColumnFooterViews)) {
        v->Top += columnFooter->Top - (GridTop + GridHeight);
        ScaleToPage(*v, columnFooter->Top, w);
        Grow(*columnFooter, *v);
    }
    const int columnCaption = AddCaption(page, ColumnFooter, Bottom(*columnFooter), footersVisible);
    if (columnCaption > 0) columnFooter->Height += columnCaption + 2;
    // 12. Page footer.
    TVNBandView* pageFooter = AddBand(page, bkPageFooter, Bottom(*columnFooter) + 1);
    pageFooter->Height = 3;
    pageFooter->Visible = footersVisible;
    for (TVNView* v : onPage(PageFooterViews)) {
        v->Top += pageFooter->Top - (columnFooter->Top + 1);
        ScaleToPage(*v, pageFooter->Top, w);
        Grow(*pageFooter, *v);
    }
    const int pageCaption = AddCaption(page, PageFooter, Bottom(*pageFooter) + 2, footersVisible);
    if (pageCaption > 0) pageFooter->Height += pageCaption + 2;
    // 13. Summary band: the totals when there are no group footers.
    if (!summary.empty() && groupFooters.empty()) {
        TVNBandView* band = AddBand(page, bkMasterFooter, Bottom(*pageFooter) + 1);
        for (TVNView* v : summary) {
            v->Top += band->Top;
            ScaleToPage(*v, band->Top, w);
            Grow(*band, *v);
        }
    }
}
