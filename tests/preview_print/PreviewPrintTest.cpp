// Printing from the preview window on a real CUPS queue of the private scheduler: Ctrl+P with the
// print button hidden still prints through the dialog, Ctrl+Alt+P prints the page shown, and the
// printer-resolution zoom takes the queue's resolution. The queue's PDF is read back with poppler.
#include "report_output/OutputFixture.h"
#include "support/CupsSandbox.h"

#include "report/output/VNCupsPrintPlatform.h"
#include "report/output/VNPreviewForm.h"
#include "report/output/VNPrintForm.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNPrinterList.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

using namespace cupssandbox;

class PreviewPrint : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Running()) GTEST_SKIP() << "needs the private scheduler (with_cups.sh)";
        TestApp();
        InstallVNCupsPrinting();
    }
    void TearDown() override {
        InstallVNPrinting(nullptr);
        SetVNPrinter(nullptr);
    }
    // The pages of the newest job on the pass-through queue, each page's text without blanks.
    std::vector<std::string> LastJobPages(const std::string& previousJob) {
        std::string job = Sandbox("last_job vnfile");
        while (!job.empty() && job.back() == '\n') job.pop_back();
        if (job.empty() || job == previousJob) return {};
        EXPECT_TRUE(WaitJob(job));
        LastJob = job;
        return PassThroughPages();
    }
    std::string LastJob;
};

// A built page's texts in drawing order, without blanks, as the PDF text reads them.
std::string PageText(TEngineFixture& f, int page) {
    std::string out;
    for (const TWritten& v : f.Views(page)) out += AnsiToUtf8(v.Text);
    return out;
}

} // namespace

TEST_F(PreviewPrint, CtrlPPrintsWithTheButtonHiddenAndCtrlAltPPrintsTheShownPage) {
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    f.Report.ShowProgress = false;
    f.Report.PreviewButtons &= ~pbPrint;
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    TVNPreviewForm form(f.Report);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_FALSE(form.ButtonShown(U("打印报表")));
    EXPECT_TRUE(form.CanPrint()); // a queue is installed

    auto acted = WhenModalShown<TVNPrintForm>([](QWidget* w) {
        auto* dialog = static_cast<TVNPrintForm*>(w);
        dialog->SomePages()->setChecked(true);
        dialog->PageList()->setText(QStringLiteral("2-3"));
        dialog->accept();
    });
    QTest::keyClick(form.Control()->DrawPanel(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(*acted);
    const std::vector<std::string> two = LastJobPages("");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], PageText(f, 1));
    EXPECT_EQ(two[1], PageText(f, 2));

    // The page shown, once, without a dialog.
    form.Control()->GotoPage(3);
    form.activateWindow(); // back from the print dialog
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.Control()->DrawPanel(), Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    const std::vector<std::string> one = LastJobPages(LastJob);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], PageText(f, 2));
    EXPECT_EQ(form.Control()->PageCount(), 3); // still shown
}

TEST_F(PreviewPrint, PrinterResolutionZoomTakesTheQueuesPixelsPerReportPixel) {
    TEngineFixture f(TEngineFixture::Rows(30));
    ThreePageList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TVNPreviewForm form(f.Report);
    form.show();
    QApplication::processEvents();
    form.ZoomCombo()->lineEdit()->setText(U("打印机分辨率"));
    QTest::keyClick(form.ZoomCombo()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form.Control()->ZoomMode(), zmPrinter);
    // The test queue prints at 600 dpi; report pixels are 96 to the inch.
    EXPECT_NEAR(form.Control()->Scale(), 600.0 / 96, 0.02);
    EXPECT_EQ(form.ZoomCombo()->currentText(), U("打印机分辨率"));
}
