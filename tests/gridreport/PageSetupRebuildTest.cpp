// The preview's page setup over a generated grid report: with vngoRebuildAfterPageChanged the
// grid is laid out again on the new paper (slices and all); without it only the paper changes.
#include "GridReportFixture.h"

#include "support/ModalWindow.h"

#include "report/output/VNPageSetupForm.h"
#include "report/output/VNPreviewForm.h"

#include <QAction>
#include <QRadioButton>
#include <QTemporaryDir>

TEST(GridReportPageSetup, TurningThePageInThePreviewLaysTheGridOutAgain) {
    for (bool rebuild : {true, false}) {
        SCOPED_TRACE(rebuild ? "rebuilt" : "not rebuilt");
        // 900 pixels of columns: two slices on upright A4, one on the turned page.
        TGridFixture f(3, {300, 300, 200, 100, 80});
        f.Report.ScaleMode.ScaleMode = vnsmAdjust;
        if (!rebuild) f.Report.ReportOptions &= ~vngoRebuildAfterPageChanged;
        ASSERT_TRUE(f.Report.PrepareReport());
        ASSERT_EQ(f.PageCount(), 2);

        QTemporaryDir dir;
        TVNPreviewForm::SetRegistryFile((dir.path() + QStringLiteral("/registry.reg")).toStdString());
        TVNPreviewForm form(f.Report.Report());
        form.show();
        QApplication::processEvents();
        auto acted = WhenModalShown<TVNPageSetupForm>([](QWidget* w) {
            auto* dialog = static_cast<TVNPageSetupForm*>(w);
            dialog->Landscape()->click();
            dialog->accept();
        });
        int builds = 0;
        f.Report.OnBeginDoc = f.Report.Report().OnBeginDoc = [&builds] { ++builds; };
        form.Button(QString::fromUtf8("页面设置"))->trigger();
        ASSERT_TRUE(*acted);
        TVNPreviewForm::SetRegistryFile("");

        EXPECT_EQ(f.Report.Report().Pages[0].Orientation, 1);
        if (rebuild) {
            EXPECT_EQ(f.Report.PageLayout.pgOr, poLandscape);
            EXPECT_EQ(f.Report.PrintableWidth, 1123 - 2 * 38);
            ASSERT_EQ(f.PageCount(), 1);
            EXPECT_EQ(f.RowOf(0, "Code"), (std::vector<AnsiString>{"Code", "Name", "Qty", "Amount"}));
            EXPECT_EQ(form.Control()->PageCount(), 1);
            EXPECT_EQ(builds, 1) << "generated again, built once by the preview";
        } else {
            EXPECT_EQ(f.PageCount(), 2);
            EXPECT_EQ(builds, 1);
        }
    }
}
