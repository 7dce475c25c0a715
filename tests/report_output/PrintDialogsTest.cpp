// The print dialog and the page setup dialog driven offscreen: the printer list without the
// virtual printer, Cancel restoring the printer, the page edit taking only digits, "," and "-",
// the scale papers, what OK hands to the print loop; paper matching by size, landscape papers,
// the custom size edits, margins through their setters, the printable-area offer on OK and the
// page picture fitting its control.
#include "OutputFixture.h"
#include "print/BuiltPages.h"
#include "print/MemoryPrintPlatform.h"

#include "report/VNEngine.h"
#include "report/VNStrings.h"
#include "report/output/VNPageSetupForm.h"
#include "report/output/VNPrintForm.h"
#include "report/print/VNPrinterList.h"

#include "platform/qt/QtMessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct TDialogPrinters {
    TMemoryPrintPlatform Platform;
    std::unique_ptr<TPrintingScope> Scope;
    explicit TDialogPrinters(int a4Width = 2100, int a4Height = 2970, int margin = 420) {
        TestApp();
        TPrintQueueInfo q = TMemoryPrintPlatform::TestQueue();
        q.Media[0].Width = a4Width;
        q.Media[0].Height = a4Height;
        for (TPrintMedia& m : q.Media)
            m.Left = m.Top = m.Right = m.Bottom = margin;
        Platform.QueueInfos["vnfile"] = q;
        Platform.Default = "vnfile";
        Scope = std::make_unique<TPrintingScope>(&Platform);
    }
};

QString Q(TVNText id) {
    return AnsiToQString(VNText(id));
}

} // namespace

TEST(PrintDialog, PrintersWithoutTheVirtualOneAndCancelPutsThePrinterBack) {
    TDialogPrinters printers;
    TBuiltPages built(3);
    TVNPrintForm form(built.Report, 0);
    QComboBox* combo = form.Printers();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), Q(TVNText::DefaultPrinter));
    EXPECT_EQ(combo->itemText(1), "vnfile");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_FALSE(form.CurrentPage()->isEnabled());
    EXPECT_EQ(form.Driver()->text(), "VN Test Printer");
    EXPECT_EQ(form.Status()->text(), Q(TVNText::StatusIdle));
    combo->setCurrentIndex(1);
    EXPECT_EQ(VNSharedPrinter().PrinterIndex(), 2);
    // "无缩放" and every paper but the custom one.
    EXPECT_EQ(form.ScalePapers()->itemText(0), Q(TVNText::NoScaling));
    EXPECT_EQ(form.ScalePapers()->count(), 1 + 5 + 5);
    form.reject();
    EXPECT_EQ(VNSharedPrinter().PrinterIndex(), 0);
}

TEST(PrintDialog, ControlsBecomeTheJobsOptions) {
    TDialogPrinters printers;
    TBuiltPages built(10);
    built.Report.DefaultCopies = 2;
    built.Report.DefaultCollate = false;
    TVNPrintForm form(built.Report, 4);
    EXPECT_TRUE(form.AllPages()->isChecked());
    EXPECT_EQ(form.Copies()->value(), 2);
    EXPECT_FALSE(form.Collate()->isChecked());
    // Letters are swallowed; typing selects "页(&P):".
    QTest::keyClicks(form.PageList(), "1a,3-5x");
    EXPECT_EQ(form.PageList()->text(), "1,3-5");
    EXPECT_TRUE(form.SomePages()->isChecked());
    form.Selection()->setCurrentIndex(2);
    form.ScalePapers()->setCurrentIndex(2); // A5
    form.Scale()->setValue(80);
    form.Taoda()->setChecked(true);
    form.OffsetLeft()->setValue(1.0);
    TVNPrintOptions o = form.Apply();
    EXPECT_EQ(o.PageList, "1,3-5");
    EXPECT_EQ(o.Copies, 2);
    EXPECT_FALSE(o.Collate);
    EXPECT_EQ(o.Selection, 2);
    EXPECT_EQ(o.ScalePaperSize, 11);
    EXPECT_EQ(o.ScalePaperWidth, 1480);
    EXPECT_TRUE(built.Report.taoda);
    EXPECT_EQ(built.Report.PrintScale, 80);
    EXPECT_EQ(built.Report.PrintOffsetLeft, 38); // 10 mm
    form.CurrentPage()->setChecked(true);
    EXPECT_EQ(form.Options().PageList, "4");
}

TEST(PrintDialog, OkPrintsAndNothingHappensWithoutAQueue) {
    {
        TDialogPrinters printers;
        TBuiltPages built(2);
        WhenModalShown<TVNPrintForm>([](QWidget* w) { static_cast<TVNPrintForm*>(w)->accept(); });
        TVNPrintOutcome out = PrintBuiltReportDlg(built.Report);
        EXPECT_TRUE(out.Printed) << AnsiToUtf8(out.Error);
        EXPECT_EQ(printers.Platform.AllPageTexts(), Pages({1, 2}));
    }
    TestApp();
    TPrintingScope none(nullptr);
    TBuiltPages built(2);
    TVNPrintOutcome out = PrintBuiltReportDlg(built.Report); // no dialog is even shown
    EXPECT_FALSE(out.Printed);
}

TEST(PageSetup, PaperMatchesBySizeWithinATenthAndUnderTwoTenths) {
    for (auto [h, expectA4] : {std::pair{2971, true}, std::pair{2972, false}}) {
        TDialogPrinters printers(2099, h);
        // A paper of the queue's own (no standard name), so its size stays as the queue says.
        printers.Platform.QueueInfos["vnfile"].Media[0].Key = "VNA4";
        InstallVNPrinting(&printers.Platform);
        TVNPageSetupForm form;
        form.Prepare();
        EXPECT_EQ(form.Setting.PaperSize == 1000, expectA4) << h;
        EXPECT_EQ(form.PaperWidth()->isEnabled(), !expectA4) << h;
    }
}

TEST(PageSetup, LandscapePapersCustomSizesAndMarginSetters) {
    TDialogPrinters printers;
    TVNPageSetupForm form;
    form.Prepare();
    QTest::mouseClick(form.Landscape(), Qt::LeftButton);
    EXPECT_EQ(form.Setting.Orientation, 1);
    EXPECT_EQ(form.Setting.PaperWidth, 2970);
    EXPECT_TRUE(form.LandscapePicture()->isVisibleTo(&form));
    EXPECT_FALSE(form.PortraitPicture()->isVisibleTo(&form));
    form.Papers()->setCurrentIndex(1);
    emit form.Papers()->activated(1); // A5
    EXPECT_EQ(form.Setting.PaperWidth, 2100);
    EXPECT_EQ(form.Setting.PaperHeight, 1480);
    const int last = form.Papers()->count() - 1;
    form.Papers()->setCurrentIndex(last);
    emit form.Papers()->activated(last);
    ASSERT_TRUE(form.PaperWidth()->isEnabled());
    form.PaperWidth()->setValue(20.5);
    EXPECT_EQ(form.Setting.PaperWidth, 2050);
    form.Margin(0)->setValue(2.5);
    EXPECT_DOUBLE_EQ(form.Setting.MarginLeft, 25);
    form.Margin(0)->setValue(-1);
    EXPECT_DOUBLE_EQ(form.Setting.MarginLeft, 25);
    form.ColCount()->setValue(0);
    EXPECT_EQ(form.Setting.ColCount, 1);
    form.ColCount()->setValue(3);
    EXPECT_EQ(form.Setting.ColCount, 3);
    form.Bins()->setCurrentRow(2);
    EXPECT_EQ(form.Setting.Bin, 2);
    QTest::mouseClick(form.Option(3), Qt::LeftButton);
    EXPECT_TRUE(form.Setting.DontPrintBackground);
}

TEST(PageSetup, OkOffersToMoveMarginsOutOfTheUnprintableBorder) {
    for (bool yes : {true, false}) {
        TDialogPrinters printers(2100, 2970, 420); // 4.2 mm borders
        TScriptedMessageService messages;
        TMessageServiceScope scope(messages);
        messages.Expect(yes ? TMsgResult::Yes : TMsgResult::No);
        TVNPageSetupForm form;
        form.Setting.MarginLeft = 3;
        form.Setting.MarginTop = 20;
        form.Prepare();
        form.accept();
        ASSERT_EQ(messages.Shown().size(), 1u);
        EXPECT_EQ(messages.Shown()[0].Text, VNText(TVNText::MarginsOutside));
        if (yes)
            EXPECT_NEAR(form.Setting.MarginLeft, 99 / 0.03937 / 600 + 0.5, 1e-9); // 4.19 + 0.5 mm
        else
            EXPECT_DOUBLE_EQ(form.Setting.MarginLeft, 3);
        EXPECT_DOUBLE_EQ(form.Setting.MarginTop, 20);
    }
}

TEST(PageSetup, AWidePaperInANarrowPictureShrinksInStepsOfTwenty) {
    TDialogPrinters printers;
    TVNPageSetupForm form;
    form.Setting.SetOrientation(1);
    form.Prepare();
    form.Image()->resize(100, 200);
    form.Image()->Redraw();
    const QImage& img = form.Image()->Bitmap();
    // A4 landscape (ratio 1.414) in 100 x 200: h goes 200, 180, ... 60 (w 85 < 100).
    int top = -1;
    for (int y = 0; y < img.height() && top < 0; ++y)
        if (img.pixelColor(50, y) == Qt::black) top = y;
    EXPECT_EQ(top, (200 - 60) / 2);
}
