// The preview control: layout at each zoom mode, drawing only the pages in view, find with its
// whole-word rule and find next, and the prepared-pages files (open, save, save through a filter).
#include "OutputFixture.h"

#include "report/VNEMFPages.h"
#include "report/export/VNExportFilter.h"
#include "report/export/VNXLSExport.h"
#include "report/output/VNPreview.h"
#include "report/output/VNPreviewForm.h"

#include "export/SpreadsheetReaders.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

struct TShown {
    TEngineFixture F;
    std::unique_ptr<TVNPreview> P;
    explicit TShown(int rows = 90, QSize size = QSize(900, 700)) : F(TEngineFixture::Rows(rows)) {
        TestApp();
        ThreePageList(F);
        EXPECT_TRUE(F.Report.BuildReport());
        P = std::make_unique<TVNPreview>();
        P->resize(size);
        P->Connect(&F.Report);
        P->show();
        Repaint();
    }
    void Repaint() {
        QApplication::processEvents();
        P->DrawPanel()->repaint();
    }
    std::vector<bool> Decoded() {
        std::vector<bool> out;
        for (int i = 0; i < F.Report.EMFPages->Count(); ++i) out.push_back(F.Report.EMFPages->Page(i).DecodedPage != nullptr);
        return out;
    }
};

// Counts a surface's pixels darker than mid grey in a rectangle.
int DarkPixels(const QImage& img, QRect r) {
    int n = 0;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128) ++n;
    return n;
}

class TCountingFilter : public TVNExportFilter {
public:
    const char* ClassName() const override { return "TCountingFilter"; }
    void OnBeginPage() override { ++Pages; }
    void OnEndDoc() override { Stream->Write("pages"); }
    int Pages = 0;
};
class TOtherFilter : public TVNExportFilter {
public:
    const char* ClassName() const override { return "TOtherFilter"; }
    void OnBeginPage() override { ++Pages; }
    int Pages = 0;
};

} // namespace

TEST(Preview, LaysPagesOutByZoomMode) {
    TShown s;
    TVNPreview& p = *s.P;
    ASSERT_EQ(p.PageCount(), 3);
    const int panelW = p.DrawPanel()->width(), panelH = p.DrawPanel()->height();

    // Default zoom: 100 %, one page per row, centred when narrower than the panel.
    EXPECT_DOUBLE_EQ(p.Scale(), 1.0);
    EXPECT_EQ(p.PageRect(0).size(), QSize(794, 1123));
    EXPECT_EQ(p.PageRect(1).top(), 10 + 1123 + 10);

    // Two pages: pages 1 and 2 on the first row, page 3 on the second.
    p.TwoPages();
    EXPECT_DOUBLE_EQ(p.Scale(), (panelW - 30) / (2.0 * 794));
    EXPECT_EQ(p.PageRect(0).top(), p.PageRect(1).top());
    EXPECT_EQ(p.PageRect(0).left(), 10);
    EXPECT_EQ(p.PageRect(1).left(), 10 + p.PageRect(0).width() + 10);
    EXPECT_EQ(p.PageRect(2).left(), 10);
    EXPECT_EQ(p.PageRect(2).top(), p.PageRect(0).bottom() + 1 + 10);

    // Whole page: the panel's height decides, one page per row.
    p.OnePage();
    EXPECT_DOUBLE_EQ(p.Scale(), (panelH - 20) / 1123.0);
    EXPECT_GT(p.PageRect(1).top(), p.PageRect(0).bottom());

    // Page width; and a small fixed zoom puts as many pages on a row as fit.
    p.PageWidth();
    EXPECT_DOUBLE_EQ(p.Scale(), (panelW - 20) / 794.0);
    p.Zoom(25);
    EXPECT_EQ(p.PageRect(0).top(), p.PageRect(2).top());
    EXPECT_EQ(p.ZoomMode(), zmFixed);
    EXPECT_FALSE(p.VScroll()->isEnabled()); // everything in view: nothing to scroll
}

TEST(Preview, WholePageOnALandscapePageUsesThePanelHeight) {
    TEngineFixture f(TEngineFixture::Rows(20));
    TestApp();
    ThreePageList(f);
    f.Page->ChangePaper(9, 0, 0, 1, 0xFFFF); // A4 landscape
    ASSERT_TRUE(f.Report.BuildReport());
    TVNPreview p;
    p.resize(900, 700);
    p.Connect(&f.Report);
    p.show();
    QApplication::processEvents();
    const QRect page = p.PageRect(0);
    ASSERT_GT(page.width(), page.height());
    p.OnePage();
    const int pageH = f.Report.EMFPages->Page(0).Metrics.PaperHeightPx;
    EXPECT_DOUBLE_EQ(p.Scale(), (p.DrawPanel()->height() - 20) / double(pageH));
}

TEST(Preview, DrawsOnlyThePagesInViewAndPagesByTheButtonsAndBars) {
    TShown s;
    TVNPreview& p = *s.P;
    EXPECT_EQ(s.Decoded(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(p.PageText(), QString::fromUtf8("页 1/3"));
    const QImage shot = p.DrawPanel()->grab().toImage();
    EXPECT_GT(DarkPixels(shot, p.PageRect(0).adjusted(2, 2, -2, -2)), 20); // the rows are drawn

    p.Next();
    s.Repaint();
    EXPECT_EQ(p.CurrentPage(), 2);
    EXPECT_EQ(p.VScroll()->value(), p.PageRect(1).top() - 10);
    EXPECT_EQ(s.Decoded(), (std::vector<bool>{false, true, false}));
    p.Last();
    s.Repaint();
    EXPECT_EQ(p.PageText(), QString::fromUtf8("页 3/3"));
    EXPECT_EQ(s.Decoded(), (std::vector<bool>{false, false, true}));
    p.GotoPage(99); // clamped
    EXPECT_EQ(p.CurrentPage(), 3);
    // Scrolling the bar to a page's top makes it current.
    p.VScroll()->setValue(p.PageRect(1).top());
    EXPECT_EQ(p.CurrentPage(), 2);

    s.P.reset(); // closing releases what it decoded
    EXPECT_EQ(s.Decoded(), (std::vector<bool>{false, false, false}));
}

TEST(Preview, FindsTextWithTheWholeWordRuleAndHighlightsIt) {
    TShown s;
    TVNPreview& p = *s.P;
    // Rows are "r1".."r90", 30 to a page or so.
    struct {
        const char* Text;
        bool Whole;
        bool Found;
        int Page;
    } cases[] = {
        {"r45", false, true, 0},
        {"r9", true, true, 0},  // ends its text: a whole word
        {"R9", true, true, 0},  // not case-sensitive by default
    };
    for (auto& c : cases) {
        EXPECT_EQ(p.Find(QString::fromUtf8(c.Text), false, c.Whole, true), c.Found) << c.Text;
    }
    // "r9" whole-word is "r9" itself, not "r90" (a letter/digit follows there): its page is the
    // page holding "r9", the first.
    ASSERT_TRUE(p.Find(QStringLiteral("r9"), false, true, true));
    EXPECT_EQ(p.CurrentPage(), 1);
    // Without whole words "r9" next matches "r90" and then nothing; find next after the last
    // match keeps the view.
    ASSERT_TRUE(p.Find(QStringLiteral("r90"), true, false, true));
    const int page = p.CurrentPage();
    EXPECT_EQ(page, 3);
    const int scroll = p.VScroll()->value();
    EXPECT_FALSE(p.FindNext());
    EXPECT_EQ(p.CurrentPage(), page);
    EXPECT_EQ(p.VScroll()->value(), scroll);
    EXPECT_TRUE(p.Found());

    // The match is shown inverted: its area turns mostly dark.
    s.Repaint();
    const QImage shot = p.DrawPanel()->grab().toImage();
    const QRect pr = p.PageRect(2).translated(-p.HScroll()->value(), -p.VScroll()->value());
    const QRect b = p.FoundBounds();
    const QRect match(pr.left() + b.left(), pr.top() + b.top(), b.width(), b.height());
    EXPECT_GT(DarkPixels(shot, match), match.width() * match.height() / 2);
    // Case-sensitive search does not find the upper-cased text.
    EXPECT_FALSE(p.Find(QStringLiteral("R90"), true, false, true));
}

TEST(Preview, SavesOpensAndExportsThroughTheSecondFilterOfTheSaveDialog) {
    TShown s;
    TVNPreview& p = *s.P;
    QTemporaryDir dir;
    const int before = ExportFilterCount();
    TCountingFilter first;
    TOtherFilter second;
    first.ShowDialog = second.ShowDialog = false;
    RegisterExportFilter(&first, "Counting (*.cnt)", "*.cnt");
    RegisterExportFilter(&second, "Other (*.oth)", "*.oth");
    ASSERT_EQ(ExportFilterCount(), before + 2);

    // Index 1: prepared pages, extension made ".vnp".
    const std::string base = (dir.path() + QStringLiteral("/out.txt")).toStdString();
    ASSERT_TRUE(p.SaveReportAs(base, 1));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/out.vnp")));
    // Index k >= 2: export filter k - 2, extension from its mask.
    ASSERT_TRUE(p.SaveReportAs(base, 2 + before));
    EXPECT_EQ(first.Pages, 3);
    EXPECT_EQ(second.Pages, 0);
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/out.cnt")));
    EXPECT_EQ(p.PageCount(), 3); // the pages are shown again afterwards

    // Open: two files make six pages; a file that is not a prepared report keeps the pages.
    const std::string vnp = (dir.path() + QStringLiteral("/out.vnp")).toStdString();
    ASSERT_TRUE(p.OpenReportFiles({vnp, vnp}));
    EXPECT_EQ(p.PageCount(), 6);
    EXPECT_EQ(p.CurrentPage(), 1);
    const std::string bad = (dir.path() + QStringLiteral("/bad.vnp")).toStdString();
    {
        QFile f(QString::fromStdString(bad));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a prepared report");
    }
    const std::size_t shown = s.F.Messages.Texts().size();
    EXPECT_FALSE(p.OpenReportFiles({bad}));
    EXPECT_EQ(p.PageCount(), 6);
    EXPECT_GT(s.F.Messages.Texts().size(), shown);
    UnregisterExportFilter(&first);
    UnregisterExportFilter(&second);
}

TEST(Preview, AControlNamedAsTheReportsPreviewShowsItsPagesWithoutAWindow) {
    TestApp();
    TVNQtWindowServicesScope services;
    auto f = std::make_unique<TEngineFixture>(TEngineFixture::Rows(90));
    ThreePageList(*f);
    QWidget host;
    auto* control = new TVNPreview(&host);
    control->resize(800, 600);
    host.show();
    f->Report.Preview = control;

    f->Report.PreviewReport(); // returns at once: nothing modal is opened
    EXPECT_TRUE(ShownWindows<TVNPreviewForm>().empty());
    EXPECT_EQ(control->PageCount(), 3);
    EXPECT_EQ(control->PageText(), QString::fromUtf8("页 1/3"));
    control->GotoPage(3);
    control->DrawPanel()->repaint();
    // Built again: the control lets go while the pages are rebuilt and shows them from page 1.
    f->Report.PreviewReport();
    EXPECT_EQ(control->PageCount(), 3);
    EXPECT_EQ(control->CurrentPage(), 1);
    control->DrawPanel()->repaint();

    // The report freed first: the control shows nothing and lives on.
    f.reset();
    EXPECT_EQ(control->PageCount(), 0);
    EXPECT_TRUE(control->PageText().isEmpty());
    control->DrawPanel()->repaint();
    // The control freed first: the report forgets it and opens no window into freed memory.
    TEngineFixture g(TEngineFixture::Rows(10));
    ThreePageList(g);
    {
        TVNPreview own;
        g.Report.Preview = &own;
        g.Report.PreviewReport();
        EXPECT_EQ(own.PageCount(), 1);
    }
    EXPECT_EQ(g.Report.Preview, nullptr);
}

TEST(Preview, TheViewUnderTheMouseNamesTheCursor) {
    TShown s;
    TVNPreview& p = *s.P;
    s.F.Report.OnMouseOverObject = [](TVNView* v, int& cursor) {
        if (v->Name == "Row") cursor = -21; // the pointing hand
    };
    const TWritten row = s.F.Views(0).front();
    ASSERT_EQ(row.Name, "Row");
    const QPoint page = p.PageRect(0).topLeft() - QPoint(p.HScroll()->value(), p.VScroll()->value());
    auto cursorAt = [&](int x, int y) {
        const QPoint at = page + QPoint(int(x * p.Scale()), int(y * p.Scale()));
        QMouseEvent move(QEvent::MouseMove, at, p.DrawPanel()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(p.DrawPanel(), &move);
        return p.DrawPanel()->cursor().shape();
    };
    EXPECT_EQ(cursorAt(row.Left + 3, row.Top + 3), Qt::PointingHandCursor);
    EXPECT_EQ(cursorAt(3, 3), Qt::ArrowCursor); // on the page, no view there
    p.SetMagnifier(true);
    EXPECT_EQ(cursorAt(row.Left + 3, row.Top + 3), Qt::CrossCursor);
}

TEST(Preview, ExportsTheShownPageAsTheSpreadsheetsCurrentPage) {
    TShown s;
    TVNPreview& p = *s.P;
    sheettest::TTempDir dir;
    TVNXLSExport xls;
    xls.ShowDialog = false;
    xls.ShowAfterExport = false;
    xls.ExportPages = "CURPAGE";
    p.GotoPage(2);
    const std::string file = dir / "page.xls";
    ASSERT_TRUE(p.ExportReport(xls, file));
    const std::string cells = sheettest::Python(
        "import sys, xlrd\n"
        "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
        "print(' '.join(str(c.value) for r in range(s.nrows) for c in s.row(r) if c.value != ''))\n",
        file, dir);
    std::set<std::string> words;
    std::istringstream in(cells);
    for (std::string w; in >> w;) words.insert(w);
    std::set<std::string> second;
    for (const TWritten& v : s.F.Views(1)) second.insert(v.Text);
    EXPECT_EQ(words, second);
    EXPECT_EQ(p.CurrentPage(), 2); // still shown where it was
}
