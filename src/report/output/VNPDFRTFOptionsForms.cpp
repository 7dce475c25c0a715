// The PDF and RTF options forms.
#include "VNPDFRTFOptionsForms.h"

#include "VNExportDialogs.h"

#include "report/VNStrings.h"
#include "report/VNWindowServices.h"

#include "platform/qt/QtMessageService.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Text(TVNText id) {
    return AnsiToQString(VNText(id));
}

// "JPG" and "BMP"; the quality edit takes digits only and is enabled for JPG alone.
QComboBox* ImageFormatBox(TVNExportImageFormat format, QLineEdit* quality, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems({"JPG", "BMP"});
    box->setCurrentIndex(format == ifBMP ? 1 : 0);
    quality->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), quality));
    quality->setEnabled(format != ifBMP);
    QObject::connect(box, &QComboBox::currentIndexChanged, quality,
                     [quality](int i) { quality->setEnabled(i == 0); });
    return box;
}

int QualityOf(const QLineEdit* edit, int previous) {
    bool ok = false;
    const int q = edit->text().toInt(&ok);
    return ok ? std::clamp(q, 0, 100) : previous;
}

QDialogButtonBox* Buttons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(Text(TVNText::OkButton), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Text(TVNText::CancelButton), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

template <class Form, class Filter> int ShowForm(TVNExportFilter& filter, QWidget* parent) {
    Form form(static_cast<Filter&>(filter), parent);
    return form.exec() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
}

} // namespace

void RegisterVNPDFAndRTFDialogs() {
    RegisterVNExportDialog("TVNPDFExport", ShowForm<TVNPDFOptionsForm, TVNPDFExport>);
    RegisterVNExportDialog("TVNRTFExport", ShowForm<TVNRTFOptionsForm, TVNRTFExport>);
}

TVNPDFOptionsForm::TVNPDFOptionsForm(TVNPDFExport& filter, QWidget* parent)
    : QDialog(parent), FFilter(filter) {
    setWindowTitle(Text(TVNText::PDFOptions));
    Quality = new QLineEdit(QString::number(filter.JPEGQuality), this);
    ImageFormat = ImageFormatBox(filter.ExportImageFormat, Quality, this);
    PixelFormat = new QComboBox(this);
    for (int i = pfDevice; i <= pf32bit; ++i)
        PixelFormat->addItem(PixelFormatName(TVNPixelFormat(i)));
    PixelFormat->setCurrentIndex(std::clamp(int(filter.PixelFormat), 0, int(pf32bit)));
    Compression = new QComboBox(this);
    for (TVNText t :
         {TVNText::CompressNone, TVNText::CompressFastest, TVNText::CompressNormal, TVNText::CompressMax})
        Compression->addItem(Text(t));
    Compression->setCurrentIndex(int(filter.CompressionMethod));
    SearchableText = new QCheckBox(Text(TVNText::SearchableText), this);
    SearchableText->setChecked(filter.SearchableText);

    auto* form = new QFormLayout;
    form->addRow(Text(TVNText::ImageFormatLabel), ImageFormat);
    form->addRow(Text(TVNText::QualityLabel), Quality);
    form->addRow(Text(TVNText::PixelFormatLabel), PixelFormat);
    form->addRow(Text(TVNText::CompressionLabel), Compression);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(SearchableText);
    layout->addWidget(Buttons(this));
}

void TVNPDFOptionsForm::accept() {
    FFilter.SetExportImageFormat(ImageFormat->currentIndex() == 1 ? ifBMP : ifJPG);
    FFilter.JPEGQuality = QualityOf(Quality, FFilter.JPEGQuality);
    FFilter.PixelFormat = TVNPixelFormat(PixelFormat->currentIndex());
    FFilter.CompressionMethod = TVNCompressionMethod(Compression->currentIndex());
    FFilter.SearchableText = SearchableText->isChecked();
    QDialog::accept();
}

TVNRTFOptionsForm::TVNRTFOptionsForm(TVNRTFExport& filter, QWidget* parent)
    : QDialog(parent), FFilter(filter) {
    setWindowTitle(Text(TVNText::RTFOptions));
    ExportFrames = new QCheckBox(Text(TVNText::ExportFrames), this);
    ExportFrames->setChecked(filter.ExportFrames);
    ExportImages = new QCheckBox(Text(TVNText::ExportImages), this);
    ExportImages->setChecked(filter.ExportImages);
    Pictures = new QGroupBox(this);
    Quality = new QLineEdit(QString::number(filter.JPEGQuality), Pictures);
    ImageFormat = ImageFormatBox(filter.ExportImageFormat, Quality, Pictures);
    auto* pictures = new QFormLayout(Pictures);
    pictures->addRow(Text(TVNText::ImageFormatLabel), ImageFormat);
    pictures->addRow(Text(TVNText::QualityLabel), Quality);
    Pictures->setEnabled(filter.ExportImages);
    QObject::connect(ExportImages, &QCheckBox::toggled, Pictures, &QWidget::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ExportFrames);
    layout->addWidget(ExportImages);
    layout->addWidget(Pictures);
    layout->addWidget(Buttons(this));
}

void TVNRTFOptionsForm::accept() {
    FFilter.ExportFrames = ExportFrames->isChecked();
    FFilter.ExportImages = ExportImages->isChecked();
    FFilter.ExportImageFormat = ImageFormat->currentIndex() == 1 ? ifBMP : ifJPG;
    FFilter.JPEGQuality = QualityOf(Quality, FFilter.JPEGQuality);
    QDialog::accept();
}
