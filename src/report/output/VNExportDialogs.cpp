// The export filters' options dialogs. Text and CSV read their options back whatever button
// closed the dialog (the export goes on only on OK); the picture dialogs store them only on OK,
// and a scale that is not a number then ends the export before any file is written.
#include "VNExportDialogs.h"

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

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString Number(double v) {
    return QString::fromStdString(FormatExportNumber(v));
}

// A dialog with the two scale edits and the "确认" / "取消" buttons.
struct TOptionsDialog {
    QDialog Dialog;
    QVBoxLayout* Layout;
    QLineEdit* ScaleX;
    QLineEdit* ScaleY;
    TOptionsDialog(QWidget* parent, const char* caption, double sx, double sy) : Dialog(parent) {
        Dialog.setObjectName("VNExportOptions");
        Dialog.setWindowTitle(Text(caption));
        Layout = new QVBoxLayout(&Dialog);
        auto* scale = new QHBoxLayout;
        scale->addWidget(new QLabel(Text("缩放比例:")));
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
    QCheckBox* Check(const char* caption, const char* name, bool on) {
        auto* box = new QCheckBox(Text(caption));
        box->setObjectName(name);
        box->setChecked(on);
        Layout->addWidget(box);
        return box;
    }
    int Run() {
        auto* buttons = new QDialogButtonBox;
        buttons->addButton(Text("确认"), QDialogButtonBox::AcceptRole)->setObjectName("OK");
        buttons->addButton(Text("取消"), QDialogButtonBox::RejectRole)->setObjectName("Cancel");
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
    TOptionsDialog d(parent, "文本导出选项", t.ScaleX, t.ScaleY);
    QCheckBox* kill = d.Check("压缩空行(&K)", "KillEmptyLines", t.KillEmptyLines);
    QCheckBox* oem = d.Check("转换到DOS(&D)", "ConvertToOEM", t.ConvertToOEM);
    QCheckBox* frames = d.Check("导出框线", "ExportFrames", t.ExportFrames);
    QCheckBox* pseudo = d.Check("使用DOS伪图形(&p)", "UsePseudographic", t.UsePseudographic);
    QCheckBox* breaks = d.Check("插入页分隔(&b)", "PageBreaks", t.PageBreaks);
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
    TOptionsDialog d(parent, "CSV 导出选项", t.ScaleX, t.ScaleY);
    QCheckBox* kill = d.Check("压缩空行(&K)", "KillEmptyLines", t.KillEmptyLines);
    QCheckBox* oem = d.Check("转换到DOS(&D)", "ConvertToOEM", t.ConvertToOEM);
    auto* row = new QHBoxLayout;
    auto* delimiter = new QLineEdit(QString(QChar(t.Delimiter)));
    delimiter->setObjectName("Delimiter");
    delimiter->setMaxLength(1);
    auto* label = new QLabel(Text("&CSV 分隔"));
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
    row->addWidget(new QLabel(Text("分辨率:")));
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
    TOptionsDialog d(parent, "BMP 图片导出选项", g.ScaleX, g.ScaleY);
    QCheckBox* mono = d.Check("单色", "Monochrome", g.Monochrome);
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
    TOptionsDialog d(parent, "Jpeg 图片导出选项", g.ScaleX, g.ScaleY);
    QCheckBox* grey = d.Check("灰度", "Grayscale", g.Grayscale);
    QCheckBox* progressive = d.Check("显示编码进度", "ProgressiveEncoding", g.ProgressiveEncoding);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text("质量")));
    auto* quality = new QSpinBox;
    quality->setObjectName("Quality");
    quality->setRange(0, 100);
    quality->setValue(g.Quality);
    quality->setToolTip(Text("1 = 最大压缩, 100 = 最高质量"));
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
    TOptionsDialog d(parent, "Metafile导出选项", g.ScaleX, g.ScaleY);
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
    SetVNExportDialogHandler([](TVNExportFilter& filter) {
        const auto found = Dialogs().find(filter.ClassName());
        if (found == Dialogs().end()) return 1;
        return found->second(filter, QApplication::activeWindow());
    });
}
