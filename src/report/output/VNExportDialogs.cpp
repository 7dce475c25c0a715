// The export filters' options dialogs. Text and CSV read their options back whatever button
// closed the dialog (the export goes on only on OK); the picture dialogs store them only on OK,
// and a scale that is not a number then ends the export before any file is written.
#include "VNExportDialogs.h"

#include "VNPDFRTFOptionsForms.h"

#include "report/VNStrings.h"
#include "report/export/VNGraphicExport.h"
#include "report/export/VNTextExport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <map>
#include <string>

namespace {

std::map<std::string, TVNExportDialogFunction>& Dialogs() {
    static std::map<std::string, TVNExportDialogFunction> dialogs;
    return dialogs;
}

QString Text(TVNText id) {
    return QString::fromStdString(AnsiToUtf8(VNText(id)));
}

QString Number(double v) {
    return QString::fromStdString(FormatExportNumber(v));
}

// A dialog with the two scale edits and the TVNText::OkButton / TVNText::CancelButton buttons.
struct TOptionsDialog {
    QDialog Dialog;
    QVBoxLayout* Layout;
    QLineEdit* ScaleX;
    QLineEdit* ScaleY;
    TOptionsDialog(QWidget* parent, TVNText caption, double sx, double sy) : Dialog(parent) {
        Dialog.setObjectName("VNExportOptions");
        Dialog.setWindowTitle(Text(caption));
        Layout = new QVBoxLayout(&Dialog);
        auto* scale = new QHBoxLayout;
        scale->addWidget(new QLabel(Text(TVNText::ScaleLabel)));
        scale->addWidget(new QLabel("X"));
        ScaleX = new QLineEdit(Number(sx));
        ScaleX->setObjectName("ScaleX");
        scale->addWidget(ScaleX);
        scale->addWidget(new QLabel("Y"));
        ScaleY = new QLineEdit(Number(sy));
        ScaleY->setObjectName("ScaleY");
        scale->addWidget(ScaleY);
        Layout->addLayout(scale);
    }
    QCheckBox* Check(TVNText caption, const char* name, bool on) {
        auto* box = new QCheckBox(Text(caption));
        box->setObjectName(name);
        box->setChecked(on);
        Layout->addWidget(box);
        return box;
    }
    int Run() {
        auto* buttons = new QDialogButtonBox;
        buttons->addButton(Text(TVNText::OkButton), QDialogButtonBox::AcceptRole)->setObjectName("OK");
        buttons->addButton(Text(TVNText::CancelButton), QDialogButtonBox::RejectRole)->setObjectName("Cancel");
        QObject::connect(buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
        Layout->addWidget(buttons);
        return Dialog.exec() == QDialog::Accepted ? 1 : 2;
    }
};

// Text and CSV scales: "," or "." as decimal separator, blanks around; unreadable gives 1.
double LenientScale(const QLineEdit* edit) {
    try {
        const double v = ParseExportNumber("scale", edit->text().toStdString());
        return v > 0 ? v : 1;
    } catch (const EVNExportError&) {
        return 1;
    }
}

// The options the text and CSV dialogs share.
void ReadCommonTextOptions(TVNTextExport& t, const TOptionsDialog& d, const QCheckBox* kill, const QCheckBox* oem) {
    t.KillEmptyLines = kill->isChecked();
    t.ConvertToOEM = oem->isChecked();
    t.ScaleX = LenientScale(d.ScaleX);
    t.ScaleY = LenientScale(d.ScaleY);
}

int TextDialog(TVNExportFilter& f, QWidget* parent) {
    auto& t = static_cast<TVNTextExport&>(f);
    TOptionsDialog d(parent, TVNText::TextExportCaption, t.ScaleX, t.ScaleY);
    QCheckBox* kill = d.Check(TVNText::KillEmptyLines, "KillEmptyLines", t.KillEmptyLines);
    QCheckBox* oem = d.Check(TVNText::ConvertToDos, "ConvertToOEM", t.ConvertToOEM);
    QCheckBox* frames = d.Check(TVNText::ExportFrames, "ExportFrames", t.ExportFrames);
    QCheckBox* pseudo = d.Check(TVNText::UsePseudographic, "UsePseudographic", t.UsePseudographic);
    QCheckBox* breaks = d.Check(TVNText::PageBreaks, "PageBreaks", t.PageBreaks);
    pseudo->setEnabled(t.ExportFrames);
    QObject::connect(frames, &QCheckBox::toggled, pseudo, &QWidget::setEnabled);
    const int result = d.Run();
    ReadCommonTextOptions(t, d, kill, oem);
    t.ExportFrames = frames->isChecked();
    t.UsePseudographic = pseudo->isChecked();
    t.PageBreaks = breaks->isChecked();
    return result;
}

int CsvDialog(TVNExportFilter& f, QWidget* parent) {
    auto& t = static_cast<TVNCSVExport&>(f);
    TOptionsDialog d(parent, TVNText::CsvExportCaption, t.ScaleX, t.ScaleY);
    QCheckBox* kill = d.Check(TVNText::KillEmptyLines, "KillEmptyLines", t.KillEmptyLines);
    QCheckBox* oem = d.Check(TVNText::ConvertToDos, "ConvertToOEM", t.ConvertToOEM);
    auto* row = new QHBoxLayout;
    auto* delimiter = new QLineEdit(QString(QChar(t.Delimiter)));
    delimiter->setObjectName("Delimiter");
    delimiter->setMaxLength(1);
    auto* label = new QLabel(Text(TVNText::CsvDelimiter));
    label->setBuddy(delimiter);
    row->addWidget(label);
    row->addWidget(delimiter);
    d.Layout->addLayout(row);
    const int result = d.Run();
    ReadCommonTextOptions(t, d, kill, oem);
    const std::string text = delimiter->text().toLatin1().toStdString();
    if (!text.empty() && text[0] != '"') t.Delimiter = text[0];
    return result;
}

QComboBox* PixelFormats(TOptionsDialog& d, TVNPixelFormat current) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text(TVNText::PixelFormatLabel)));
    auto* box = new QComboBox;
    box->setObjectName("PixelFormat");
    for (int i = pfDevice; i <= pf32bit; ++i) box->addItem(PixelFormatName(TVNPixelFormat(i)));
    box->setCurrentIndex(int(current));
    row->addWidget(box);
    d.Layout->addLayout(row);
    return box;
}

// Picture scales are read as numbers; one that is not ends the export (a conversion error).
void StoreScales(TVNGraphicExport& g, TOptionsDialog& d) {
    g.SetOption("ScaleX", d.ScaleX->text().toStdString());
    g.SetOption("ScaleY", d.ScaleY->text().toStdString());
}

int BmpDialog(TVNExportFilter& f, QWidget* parent) {
    auto& g = static_cast<TVNBMPExport&>(f);
    TOptionsDialog d(parent, TVNText::BmpExportCaption, g.ScaleX, g.ScaleY);
    QCheckBox* mono = d.Check(TVNText::Monochrome, "Monochrome", g.Monochrome);
    QComboBox* format = PixelFormats(d, g.PixelFormat);
    const int result = d.Run();
    if (result != 1) return result;
    StoreScales(g, d);
    g.Monochrome = mono->isChecked();
    g.PixelFormat = TVNPixelFormat(format->currentIndex());
    return result;
}

int JpegDialog(TVNExportFilter& f, QWidget* parent) {
    auto& g = static_cast<TVNJPEGExport&>(f);
    TOptionsDialog d(parent, TVNText::JpegExportCaption, g.ScaleX, g.ScaleY);
    QCheckBox* grey = d.Check(TVNText::Grayscale, "Grayscale", g.Grayscale);
    QCheckBox* progressive = d.Check(TVNText::ProgressiveEncoding, "ProgressiveEncoding", g.ProgressiveEncoding);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text(TVNText::QualityLabel)));
    auto* quality = new QSpinBox;
    quality->setObjectName("Quality");
    quality->setRange(0, 100);
    quality->setValue(g.Quality);
    quality->setToolTip(Text(TVNText::QualityHint));
    row->addWidget(quality);
    d.Layout->addLayout(row);
    QComboBox* format = PixelFormats(d, g.PixelFormat);
    const int result = d.Run();
    if (result != 1) return result;
    StoreScales(g, d);
    g.Grayscale = grey->isChecked();
    g.ProgressiveEncoding = progressive->isChecked();
    g.Quality = quality->value();
    g.PixelFormat = TVNPixelFormat(format->currentIndex());
    return result;
}

int MetafileDialog(TVNExportFilter& f, QWidget* parent) {
    auto& g = static_cast<TVNGraphicExport&>(f);
    TOptionsDialog d(parent, TVNText::MetafileExportCaption, g.ScaleX, g.ScaleY);
    const int result = d.Run();
    if (result == 1) StoreScales(g, d);
    return result;
}

} // namespace

void RegisterVNExportDialog(const char* className, TVNExportDialogFunction dialog) {
    Dialogs()[className] = std::move(dialog);
}

void InstallVNExportDialogs() {
    RegisterVNExportDialog("TVNTextExport", TextDialog);
    RegisterVNExportDialog("TVNCSVExport", CsvDialog);
    RegisterVNExportDialog("TVNBMPExport", BmpDialog);
    RegisterVNExportDialog("TVNJPEGExport", JpegDialog);
    RegisterVNExportDialog("TVNEMFExport", MetafileDialog);
    RegisterVNExportDialog("TVNWMFExport", MetafileDialog);
    RegisterVNPDFAndRTFDialogs();
    SetVNExportDialogHandler([](TVNExportFilter& filter) {
        const auto found = Dialogs().find(filter.ClassName());
        if (found == Dialogs().end()) return 1;
        return found->second(filter, QApplication::activeWindow());
    });
}
