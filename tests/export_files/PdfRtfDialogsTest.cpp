// The options dialogs of the PDF and RTF exports as a user works them: what they show, what
// enables what, OK storing the values the export then uses, Cancel writing nothing.
#include "ExportFilesFixture.h"

#include "report/output/VNExportDialogs.h"
#include "report/output/VNPDFRTFOptionsForms.h"

#include <QValidator>

#include <gtest/gtest.h>

TEST(PdfRtfDialogs, PdfOptionsChosenInTheDialogShapeTheFile) {
    TQtExportSetup qt;
    InstallVNExportDialogs();
    TEngineFixture f(TEngineFixture::Rows(3));
    ThreePageList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TTempDir dir;
    TVNPDFExport pdf;
    QStringList pixelFormats, compressions;
    auto acted = WhenModalShown<TVNPDFOptionsForm>([&](QWidget* w) {
        auto* form = static_cast<TVNPDFOptionsForm*>(w);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8("PDF 导出选项"));
        for (int i = 0; i < form->PixelFormat->count(); ++i)
            pixelFormats << form->PixelFormat->itemText(i);
        for (int i = 0; i < form->Compression->count(); ++i)
            compressions << form->Compression->itemText(i);
        EXPECT_EQ(form->PixelFormat->currentText(), "8 bit");
        EXPECT_TRUE(form->Quality->isEnabled());
        form->ImageFormat->setCurrentIndex(1); // BMP: no quality
        EXPECT_FALSE(form->Quality->isEnabled());
        for (QString typed : {QString("abc"), QString("9x"), QString("-1")}) { // digits only
            int at = 0;
            EXPECT_EQ(form->Quality->validator()->validate(typed, at), QValidator::Invalid)
                << typed.toStdString();
        }
        form->PixelFormat->setCurrentText("24 bit");
        form->Compression->setCurrentIndex(1);
        form->SearchableText->setChecked(true);
        form->accept();
    });
    ASSERT_TRUE(f.Report.ExportBuiltReport(pdf, dir.File("d.pdf")));
    EXPECT_TRUE(*acted);
    EXPECT_EQ(pixelFormats,
              QStringList({"Device", "1 bit", "4 bit", "8 bit", "15 bit", "16 bit", "24 bit", "32 bit"}));
    EXPECT_EQ(compressions, QStringList({QString::fromUtf8("不压缩"), QString::fromUtf8("最快"),
                                         QString::fromUtf8("一般"), QString::fromUtf8("最大")}));
    EXPECT_EQ(pdf.ExportImageFormat, ifBMP);
    EXPECT_EQ(pdf.PixelFormat, pf24bit);
    EXPECT_EQ(pdf.CompressionMethod, vncmFastest);
    const std::string file = ReadBytes(dir.File("d.pdf"));
    EXPECT_EQ(file.find("/DCTDecode"), std::string::npos);
    EXPECT_NE(file.find(" Tj\r"), std::string::npos);

    // Cancel: nothing written, options kept.
    auto cancelled =
        WhenModalShown<TVNPDFOptionsForm>([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(f.Report.ExportBuiltReport(pdf, dir.File("e.pdf")));
    EXPECT_TRUE(*cancelled);
    EXPECT_FALSE(fs::exists(dir.File("e.pdf")));
    SetVNExportDialogHandler({});
}

TEST(PdfRtfDialogs, RtfPicturesGroupFollowsItsCheckBox) {
    TQtExportSetup qt;
    TVNRTFExport rtf;
    TVNRTFOptionsForm form(rtf);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("RTF 导出选项"));
    EXPECT_EQ(form.ExportImages->text(), QString::fromUtf8("导出图片(&p)"));
    EXPECT_TRUE(form.Pictures->isEnabled());
    form.ExportImages->setChecked(false);
    EXPECT_FALSE(form.Pictures->isEnabled());
    form.ExportImages->setChecked(true);
    form.ImageFormat->setCurrentIndex(1);
    EXPECT_FALSE(form.Quality->isEnabled());
    form.ExportFrames->setChecked(false);
    form.accept();
    EXPECT_FALSE(rtf.ExportFrames);
    EXPECT_TRUE(rtf.ExportImages);
    EXPECT_EQ(rtf.ExportImageFormat, ifBMP);
}
