// The spreadsheet export's options dialog ("XLS 导出选项"), shared by the XLS and XLSX filters:
// the file name with a browse button, the page range, the sheet options and the picture
// options. OK is refused while the file name is empty; the options are stored only on OK.
#include "VNXLSExportDialog.h"

#include "VNExportDialogs.h"

#include "report/VNStrings.h"
#include "report/export/VNXLSExport.h"

#include "platform/AnsiString.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QString Text(TVNText id) {
    return QString::fromStdString(AnsiToUtf8(VNText(id)));
}

template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

int XLSDialog(TVNExportFilter& f, QWidget* parent) {
    auto& x = static_cast<TVNXLSExport&>(f);
    const bool xlsx = std::string(x.ClassName()) == "TVNXLSXExport";
    QDialog d(parent);
    d.setObjectName("VNExportOptions");
    d.setWindowTitle(Text(TVNText::XlsExportCaption));
    auto* layout = new QVBoxLayout(&d);

    auto* fileRow = new QHBoxLayout;
    auto* fileName = Named(new QLineEdit(QString::fromStdString(x.FileName)), "edtExportFileName");
    auto* browse = Named(new QPushButton("..."), "Browse");
    fileRow->addWidget(fileName);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);
    QObject::connect(browse, &QPushButton::clicked, &d, [&] {
        const QString name =
            QFileDialog::getSaveFileName(&d, QString(), fileName->text(),
                                         xlsx ? QString("excel file(*.xlsx)") : QString("excel file(*.xls)"));
        if (!name.isEmpty()) fileName->setText(name);
    });

    auto* pages = new QGroupBox(Text(TVNText::PageRangeGroup));
    auto* pagesLayout = new QVBoxLayout(pages);
    auto* all = Named(new QRadioButton(Text(TVNText::AllPages)), "rdbAll");
    auto* current = Named(new QRadioButton(Text(TVNText::CurrentPageOnly)), "rdbCurPage");
    auto* some = Named(new QRadioButton(Text(TVNText::PagesLabel)), "rdbPages");
    auto* pageText = Named(new QLineEdit, "edtPages");
    pageText->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9,-]*"), pageText));
    const AnsiString chosen = Trim(x.ExportPages);
    if (chosen.empty())
        all->setChecked(true);
    else if (UpperCase(chosen) == "CURPAGE")
        current->setChecked(true);
    else {
        some->setChecked(true);
        pageText->setText(QString::fromStdString(AnsiToUtf8(chosen)));
    }
    QObject::connect(pageText, &QLineEdit::textEdited, some, [some] { some->setChecked(true); });
    auto* someRow = new QHBoxLayout;
    someRow->addWidget(some);
    someRow->addWidget(pageText);
    pagesLayout->addWidget(all);
    pagesLayout->addWidget(current);
    pagesLayout->addLayout(someRow);
    pagesLayout->addWidget(new QLabel(Text(TVNText::PagesHint)));
    layout->addWidget(pages);

    auto* options = new QGroupBox(Text(TVNText::OptionsGroup));
    auto* optionsLayout = new QVBoxLayout(options);
    auto* showAfter = Named(new QCheckBox(Text(TVNText::ShowExcelAfterExport)), "ShowAfterExport");
    auto* showExcel = Named(new QCheckBox(Text(TVNText::ShowExportProgress)), "ShowExcel");
    auto* multi = Named(new QCheckBox(Text(TVNText::MultiSheet)), "MultiSheet");
    showAfter->setChecked(x.ShowAfterExport);
    showExcel->setChecked(x.ShowExcel);
    multi->setChecked(x.MultiSheet);
    for (QCheckBox* box : {showAfter, showExcel, multi})
        optionsLayout->addWidget(box);
    layout->addWidget(options);

    auto* images = Named(new QCheckBox(Text(TVNText::ExportImages)), "ExportImages");
    images->setChecked(x.ExportImages);
    layout->addWidget(images);
    auto* picture = new QGroupBox;
    auto* pictureLayout = new QHBoxLayout(picture);
    pictureLayout->addWidget(new QLabel(Text(TVNText::ImageFormatLabel)));
    auto* format = Named(new QComboBox, "ExportImageFormat");
    format->addItems({"JPG", "BMP"});
    format->setCurrentIndex(x.ExportImageFormat == ifBMP ? 1 : 0);
    pictureLayout->addWidget(format);
    pictureLayout->addWidget(new QLabel(Text(TVNText::QualityLabel)));
    auto* quality = Named(new QLineEdit(QString::number(x.JPEGQuality)), "JPEGQuality");
    quality->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), quality));
    pictureLayout->addWidget(quality);
    pictureLayout->addWidget(new QLabel(Text(TVNText::PixelFormatLabel)));
    auto* depth = Named(new QComboBox, "PixelFormat");
    for (int i = pfDevice; i <= pf32bit; ++i)
        depth->addItem(PixelFormatName(TVNPixelFormat(i)));
    depth->setCurrentIndex(int(x.PixelFormat));
    pictureLayout->addWidget(depth);
    layout->addWidget(picture);
    auto enable = [&] {
        picture->setEnabled(images->isChecked());
        quality->setEnabled(format->currentIndex() == 0);
    };
    enable();
    QObject::connect(images, &QCheckBox::toggled, &d, enable);
    QObject::connect(format, &QComboBox::currentIndexChanged, &d, enable);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(Text(TVNText::OkButton), QDialogButtonBox::AcceptRole)->setObjectName("OK");
    buttons->addButton(Text(TVNText::CancelButton), QDialogButtonBox::RejectRole)->setObjectName("Cancel");
    // OK with an empty file name keeps the dialog open.
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, [&] {
        if (!fileName->text().trimmed().isEmpty()) d.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    layout->addWidget(buttons);
    if (d.exec() != QDialog::Accepted) return 2;

    x.FileName = fileName->text().trimmed().toStdString();
    x.ExportPages = all->isChecked()       ? AnsiString()
                    : current->isChecked() ? AnsiString("CURPAGE")
                                           : Utf8ToAnsi(pageText->text().toStdString());
    x.ShowAfterExport = showAfter->isChecked();
    x.ShowExcel = showExcel->isChecked();
    x.MultiSheet = multi->isChecked();
    x.ExportImages = images->isChecked();
    x.ExportImageFormat = format->currentIndex() == 1 ? ifBMP : ifJPG;
    if (!quality->text().isEmpty()) x.JPEGQuality = std::min(quality->text().toInt(), 100);
    x.PixelFormat = TVNPixelFormat(depth->currentIndex());
    return 1;
}

} // namespace

void InstallVNXLSExportDialog() {
    RegisterVNExportDialog("TVNXLSExport", XLSDialog);
    RegisterVNExportDialog("TVNXLSXExport", XLSDialog);
}
