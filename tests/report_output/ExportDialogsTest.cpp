// The export filters' options dialogs: captions, the options they read back (text and CSV
// whatever button closed them, pictures only on OK), the pseudographic box enabled only with
// frames, the delimiter rule, and a scale that is not a number ending a picture export.
#include "OutputFixture.h"

#include "report/export/VNGraphicExport.h"
#include "report/export/VNTextExport.h"
#include "report/export/VNXLSExport.h"
#include "report/output/VNExportDialogs.h"
#include "report/output/VNXLSExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

template <class T> T* Child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Opens the filter's dialog, lets `act` change it, then presses the named button.
int Show(TVNExportFilter& filter, const char* button, std::function<void(QWidget*)> act,
         QString* title = nullptr) {
    TestApp();
    InstallVNExportDialogs();
    auto acted = WhenModalShown<QDialog>([&](QWidget* w) {
        if (title) *title = w->windowTitle();
        act(w);
        // VN_DIALOG_SHOTS=DIR keeps a picture of each dialog for a person to look at.
        if (const char* dir = std::getenv("VN_DIALOG_SHOTS"))
            w->grab().save(QString::fromUtf8(dir) + "/" + QString::fromUtf8(filter.ClassName()) + ".png");
        Child<QPushButton>(w, button)->click();
    });
    const int result = filter.ShowModal();
    EXPECT_TRUE(*acted);
    return result;
}

} // namespace

TEST(ExportDialogs, TextOptionsAreReadBackWhateverButtonClosesTheDialog) {
    TVNTextExport text;
    QString title;
    bool pseudoEnabledBefore = true, pseudoEnabledAfter = false;
    const int result = Show(
        text, "Cancel",
        [&](QWidget* w) {
            pseudoEnabledBefore = Child<QCheckBox>(w, "UsePseudographic")->isEnabled();
            Child<QCheckBox>(w, "ExportFrames")->setChecked(true);
            pseudoEnabledAfter = Child<QCheckBox>(w, "UsePseudographic")->isEnabled();
            Child<QCheckBox>(w, "UsePseudographic")->setChecked(true);
            Child<QCheckBox>(w, "KillEmptyLines")->setChecked(false);
            Child<QLineEdit>(w, "ScaleX")->setText(" 1,5 ");
            Child<QLineEdit>(w, "ScaleY")->setText("abc");
        },
        &title);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(title, QString::fromUtf8("文本导出选项"));
    EXPECT_FALSE(pseudoEnabledBefore);
    EXPECT_TRUE(pseudoEnabledAfter);
    EXPECT_TRUE(text.ExportFrames);
    EXPECT_TRUE(text.UsePseudographic);
    EXPECT_FALSE(text.KillEmptyLines);
    EXPECT_EQ(text.ScaleX, 1.5);
    EXPECT_EQ(text.ScaleY, 1); // unreadable
}

TEST(ExportDialogs, CsvDelimiterChangesOnlyToAReadableCharacter) {
    struct {
        const char* Typed;
        char Expected;
    } cases[] = {{",", ','}, {"", ';'}, {"\"", ';'}, {"\t", '\t'}};
    for (const auto& c : cases) {
        TVNCSVExport csv;
        QString title;
        EXPECT_EQ(
            Show(
                csv, "OK", [&](QWidget* w) { Child<QLineEdit>(w, "Delimiter")->setText(c.Typed); }, &title),
            1);
        EXPECT_EQ(title, QString::fromUtf8("CSV 导出选项"));
        EXPECT_EQ(csv.Delimiter, c.Expected) << c.Typed;
    }
}

TEST(ExportDialogs, PictureOptionsAreStoredOnlyOnOk) {
    TVNJPEGExport jpeg;
    QString title;
    auto change = [](QWidget* w) {
        Child<QLineEdit>(w, "ScaleX")->setText("2");
        Child<QCheckBox>(w, "Grayscale")->setChecked(true);
        Child<QSpinBox>(w, "Quality")->setValue(75);
        Child<QComboBox>(w, "PixelFormat")->setCurrentIndex(pf8bit);
    };
    EXPECT_EQ(Show(jpeg, "Cancel", change, &title), 2);
    EXPECT_EQ(title, QString::fromUtf8("Jpeg 图片导出选项"));
    EXPECT_EQ(jpeg.ScaleX, 1);
    EXPECT_EQ(jpeg.Quality, 100);
    EXPECT_EQ(Show(jpeg, "OK", change), 1);
    EXPECT_EQ(jpeg.ScaleX, 2);
    EXPECT_TRUE(jpeg.Grayscale);
    EXPECT_EQ(jpeg.Quality, 75);
    EXPECT_EQ(jpeg.PixelFormat, pf8bit);

    TVNBMPExport bmp;
    EXPECT_EQ(Show(
                  bmp, "OK", [](QWidget* w) { Child<QCheckBox>(w, "Monochrome")->setChecked(true); }, &title),
              1);
    EXPECT_EQ(title, QString::fromUtf8("BMP 图片导出选项"));
    EXPECT_TRUE(bmp.Monochrome);

    // A scale that is not a number is a conversion error: the export ends before any file.
    TVNEMFExport emf;
    EXPECT_THROW(Show(
                     emf, "OK", [](QWidget* w) { Child<QLineEdit>(w, "ScaleY")->setText("zwei"); }, &title),
                 EVNExportError);
    EXPECT_EQ(title, QString::fromUtf8("Metafile导出选项"));
}

TEST(ExportDialogs, SpreadsheetOptionsAreStoredOnOkAndAnEmptyFileNameKeepsTheDialogOpen) {
    TVNXLSExport xls;
    InstallVNXLSExportDialog();
    xls.FileName = "/tmp/out.xls";
    bool qualityEnabledForBmp = true, stillOpen = false;
    QString title;
    const int ok = Show(
        xls, "OK",
        [&](QWidget* w) {
            Child<QLineEdit>(w, "edtPages")->setText("1,3-4");
            Child<QRadioButton>(w, "rdbPages")->setChecked(true);
            Child<QCheckBox>(w, "MultiSheet")->setChecked(true);
            Child<QCheckBox>(w, "ShowAfterExport")->setChecked(false);
            Child<QComboBox>(w, "ExportImageFormat")->setCurrentIndex(1);
            qualityEnabledForBmp = Child<QLineEdit>(w, "JPEGQuality")->isEnabled();
            Child<QComboBox>(w, "PixelFormat")->setCurrentIndex(int(pf8bit));
            // OK with an empty name does nothing.
            Child<QLineEdit>(w, "edtExportFileName")->setText(" ");
            Child<QPushButton>(w, "OK")->click();
            stillOpen = w->isVisible();
            Child<QLineEdit>(w, "edtExportFileName")->setText("/tmp/chosen.xls");
        },
        &title);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(title, QString::fromUtf8("XLS 导出选项"));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(qualityEnabledForBmp);
    EXPECT_EQ(xls.FileName, "/tmp/chosen.xls");
    EXPECT_EQ(xls.ExportPages, "1,3-4");
    EXPECT_TRUE(xls.MultiSheet);
    EXPECT_FALSE(xls.ShowAfterExport);
    EXPECT_EQ(xls.ExportImageFormat, ifBMP);
    EXPECT_EQ(xls.PixelFormat, pf8bit);

    // Cancel keeps everything; "current page" is stored as CURPAGE.
    EXPECT_EQ(Show(xls, "Cancel", [](QWidget* w) { Child<QCheckBox>(w, "MultiSheet")->setChecked(false); }),
              2);
    EXPECT_TRUE(xls.MultiSheet);
    EXPECT_EQ(Show(xls, "OK", [](QWidget* w) { Child<QRadioButton>(w, "rdbCurPage")->setChecked(true); }), 1);
    EXPECT_EQ(xls.ExportPages, "CURPAGE");
}
