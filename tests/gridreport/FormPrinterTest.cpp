// A form of many control kinds walked into one generated page: each control's view kind, text,
// place and size, the grid's rows in the data band and a control under the grid in the column
// footer.
#include "GridReportFixture.h"

#include "report/VNAddInViews.h"
#include "report/VNPage.h"
#include "report/VNStandardViews.h"

#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextEdit>

#include <algorithm>

TEST(FormReport, AFormOfManyControlKindsPrintsEachWhereItSits) {
    GridTestApp();
    QWidget form;
    form.resize(700, 260);
    auto* title = new QLabel("Stocktake", &form);
    title->setGeometry(10, 5, 100, 20);
    auto* logo = new QLabel(&form);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    logo->setPixmap(pixmap);
    logo->setAlignment(Qt::AlignCenter);
    logo->setGeometry(150, 0, 40, 30);
    auto* rich = new QTextEdit(&form);
    rich->setHtml("<p align=center><b>Bold</b> text</p>");
    rich->setGeometry(200, 0, 110, 40);
    auto* box = new QFrame(&form);
    box->setFrameShape(QFrame::Box);
    box->setLineWidth(2);
    box->setGeometry(320, 0, 50, 40);
    auto* spin = new QSpinBox(&form);
    spin->setValue(7);
    spin->setGeometry(380, 0, 60, 24);
    auto* date = new QDateEdit(QDate(2026, 12, 11), &form);
    date->setGeometry(450, 0, 100, 24);
    auto* list = new QListWidget(&form);
    list->addItems({"a", "b"});
    list->setGeometry(560, 0, 80, 40);
    auto* rule = new QFrame(&form);
    rule->setFrameShape(QFrame::HLine);
    rule->setGeometry(0, 45, 300, 5);
    auto* grid = new QTableWidget(2, 2, &form);
    grid->setHorizontalHeaderLabels({"Item", "Qty"});
    grid->setItem(0, 0, new QTableWidgetItem("pen"));
    grid->setItem(1, 0, new QTableWidgetItem("ink"));
    grid->setGeometry(0, 60, 300, 100);
    auto* signature = new QLabel("Signed", &form);
    signature->setGeometry(0, 170, 100, 20);

    TVNFormReport report;
    report.PrintControl = &form;
    report.ShowProgress = false;
    report.PageHeaderOnly1 = true; // the column footer (under the grid) prints
    ASSERT_TRUE(report.PrepareReport());
    const std::vector<TPrinted> views = PrintedViews(report, 0);
    auto find = [&](const std::string& kind, const AnsiString& text) {
        auto it = std::find_if(views.begin(), views.end(),
                               [&](const TPrinted& v) { return v.Kind == kind && (text.empty() || v.Text == text); });
        return it == views.end() ? TPrinted{"(missing)", -1, -1, -1, -1, kind} : *it;
    };
    // Views above the grid sit where their controls do, 38 pixels of margin added.
    struct TCase {
        std::string Kind;
        AnsiString Text;
        int Left, Top, Width, Height;
    } cases[] = {
        {"TVNMemoView", "Stocktake", 48, 41, 108, 24}, // labels: 2 pixels higher, width + 8, height + 4
        {"TVNPictureView", "", 188, 38, 40, 30},
        {"TVNRichView", "Bold text", 238, 38, 112, 42}, // size + 2
        {"TVNShapeView", "", 358, 38, 50, 40},
        {"TVNMemoView", "7", 418, 38, 60, 24},          // over the spin box's client area
        {"TVNMemoView", "2026-12-11", 488, 38, 102, 26}, // the short date, size + 2
        {"TVNMemoView", "a|b", 598, 38, 88, 44},
        {"TVNLineView", "", 38, 38 + 45 + 2, 300, 1}, // drawn through the frame's middle
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Kind + " " + c.Text);
        const TPrinted v = find(c.Kind, c.Text);
        EXPECT_EQ(v.Left, c.Left);
        EXPECT_EQ(v.Top, c.Top);
        EXPECT_EQ(v.Width, c.Width);
        EXPECT_EQ(v.Height, c.Height);
    }
    // The grid's rows follow in the data band, the label under the grid after them.
    const TPrinted pen = find("TVNMemoView", "pen"), ink = find("TVNMemoView", "ink");
    EXPECT_GT(pen.Top, find("TVNLineView", "").Top);
    EXPECT_GT(ink.Top, pen.Top);
    EXPECT_GT(find("TVNMemoView", "Signed").Top, ink.Top);

    // The rich text keeps its format; the shape its pen; the picture its pixels, centred.
    TVNPage& page = report.Report().Pages[0];
    for (TVNView* v : page.Objects) {
        if (auto* r = dynamic_cast<TVNRichView*>(v)) {
            const TVNRichParagraph& p = r->Document().Paragraphs.at(0);
            EXPECT_EQ(p.Align, raCenter);
            EXPECT_EQ(p.Runs.at(0).Text, "Bold");
            EXPECT_TRUE(p.Runs.at(0).Format.Style & fsBold);
            EXPECT_FALSE(p.Runs.at(1).Format.Style & fsBold);
        } else if (auto* s = dynamic_cast<TVNShapeView*>(v)) {
            EXPECT_EQ(s->Shape, skRectangle);
            EXPECT_EQ(s->TopFrame().Width, 2.0f);
        } else if (auto* pic = dynamic_cast<TVNPictureView*>(v)) {
            EXPECT_EQ(pic->Picture.Kind, pkBitmap);
            EXPECT_EQ(pic->Picture.PixelWidth(), 16);
            EXPECT_TRUE(pic->Flags & flPictureCenter);
            EXPECT_FALSE(pic->Flags & flPictureKeepAspect);
        }
    }
}
