// The page setup dialog: controls filled from the setting under a refresh guard, edits written
// back through the setting's setters, the page picture, and the printable-area check on OK.
#include "VNPageSetupForm.h"

#include "report/VNStrings.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNPrinterList.h"

#include "platform/Locale.h"
#include "platform/MessageService.h"
#include "platform/qt/QtMessageService.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>

namespace {

QString T(TVNText id) {
    return AnsiToQString(VNText(id));
}

QDoubleSpinBox* CmEdit(QWidget* parent, double step = 0.1) {
    auto* e = new QDoubleSpinBox(parent);
    e->setRange(-1000, 1000);
    e->setDecimals(2);
    e->setSingleStep(step);
    return e;
}

// A sheet picture for one orientation.
QPixmap SheetPicture(bool landscape) {
    const int w = landscape ? 40 : 28, h = landscape ? 28 : 40;
    QPixmap pm(w + 2, h + 2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 0, w, h);
    for (int y = 6; y < h - 4; y += 5)
        p.drawLine(5, y, w - 5, y);
    return pm;
}

} // namespace

// ---- the page picture ---------------------------------------------------------------------------

TVNPageImage::TVNPageImage(TVNPageSetupForm* form, QWidget* parent) : QWidget(parent), FForm(form) {}

void TVNPageImage::resizeEvent(QResizeEvent*) {
    Redraw();
}

void TVNPageImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, FBitmap);
}

void TVNPageImage::Redraw() {
    const int cw = width(), ch = height();
    if (cw <= 0 || ch <= 0) return;
    FBitmap = QImage(cw, ch, QImage::Format_RGB32);
    FBitmap.fill(palette().color(QPalette::Button));
    const TVNPageSetting& s = FForm->Setting;
    if (s.PaperHeight != 0 && s.PaperWidth != 0) {
        const double ratio = double(s.PaperWidth) / s.PaperHeight;
        int h = ch;
        int w = int(std::lround(h * ratio));
        // Shrink in steps until the sheet fits the control's width.
        while (w >= cw && h > 20) {
            h -= 20;
            w = int(std::lround(h * ratio));
        }
        const double fx = double(w) / s.PaperWidth, fy = double(h) / s.PaperHeight;
        auto px = [](QDoubleSpinBox* e, double f) { return int(e->value() * 100 * f); };
        const int left = px(FForm->FMargins[0], fx), top = px(FForm->FMargins[1], fy);
        const int right = px(FForm->FMargins[2], fx), bottom = px(FForm->FMargins[3], fy);
        const int x0 = (cw - w) / 2, y0 = (ch - h) / 2;
        QPainter p(&FBitmap);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(QRect(QPoint(x0, y0), QPoint(x0 + w - 5 - 1, y0 + h - 5 - 1)));
        const QColor grey(128, 128, 128);
        p.fillRect(QRect(QPoint(x0 + 6, y0 + h - 5), QPoint(x0 + w - 1, y0 + h - 1)), grey);
        p.fillRect(QRect(QPoint(x0 + w - 5, y0 + 6), QPoint(x0 + w - 1, y0 + h - 1)), grey);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(x0 + left + 1, y0 + top + 1), QPoint(x0 + w - right - 6 - 1, y0 + h - bottom - 6 - 1)));
    }
    update();
}

// ---- the dialog ---------------------------------------------------------------------------------

TVNPageSetupForm::TVNPageSetupForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(T(TVNText::PageSetupCaption));
    FTabs = new QTabWidget(this);

    // Paper.
    auto* paperTab = new QWidget;
    FPrinters = new QComboBox(paperTab);
    FTitle = new QLineEdit(paperTab);
    auto* orientation = new QGroupBox(T(TVNText::OrientationGroup), paperTab);
    FPortrait = new QRadioButton(T(TVNText::Portrait), orientation);
    FLandscape = new QRadioButton(T(TVNText::Landscape), orientation);
    FPortraitPic = new QLabel(orientation);
    FPortraitPic->setPixmap(SheetPicture(false));
    FLandscapePic = new QLabel(orientation);
    FLandscapePic->setPixmap(SheetPicture(true));
    auto* ol = new QHBoxLayout(orientation);
    auto* radios = new QVBoxLayout;
    radios->addWidget(FPortrait);
    radios->addWidget(FLandscape);
    ol->addLayout(radios);
    ol->addWidget(FPortraitPic);
    ol->addWidget(FLandscapePic);
    FPapers = new QComboBox(paperTab);
    FWidth = CmEdit(paperTab);
    FHeight = CmEdit(paperTab);
    FWidth->setRange(0, 1000);
    FHeight->setRange(0, 1000);
    FWidthLabel = new QLabel(T(TVNText::WidthLabel), paperTab);
    FHeightLabel = new QLabel(T(TVNText::HeightLabel), paperTab);
    FOptions[2] = new QCheckBox(T(TVNText::UnlimitedHeight), paperTab);
    auto* pl = new QFormLayout(paperTab);
    pl->addRow(T(TVNText::PrinterLabel), FPrinters);
    pl->addRow(T(TVNText::TitleLabel), FTitle);
    pl->addRow(orientation);
    pl->addRow(T(TVNText::SizeLabel), FPapers);
    pl->addRow(FWidthLabel, FWidth);
    pl->addRow(FHeightLabel, FHeight);
    pl->addRow(FOptions[2]);
    FTabs->addTab(paperTab, T(TVNText::PaperTab));

    // Source.
    auto* sourceTab = new QWidget;
    FBins = new QListWidget(sourceTab);
    auto* sl = new QVBoxLayout(sourceTab);
    sl->addWidget(new QLabel(T(TVNText::SourceLabel), sourceTab));
    sl->addWidget(FBins);
    FTabs->addTab(sourceTab, T(TVNText::SourceTab));

    // Margins.
    auto* marginTab = new QWidget;
    auto* ml = new QFormLayout(marginTab);
    const TVNText marginLabels[] = {TVNText::MarginLeft, TVNText::MarginTop, TVNText::MarginRight, TVNText::MarginBottom};
    for (int i = 0; i < 4; ++i) {
        FMargins[i] = CmEdit(marginTab);
        ml->addRow(T(marginLabels[i]), FMargins[i]);
    }
    FTabs->addTab(marginTab, T(TVNText::MarginsTab));

    // Other.
    auto* otherTab = new QWidget;
    auto* options = new QGroupBox(T(TVNText::OptionsGroup), otherTab);
    FOptions[0] = new QCheckBox(T(TVNText::PrintToPrevPage), options);
    FOptions[1] = new QCheckBox(T(TVNText::DoublePass), options);
    FOptions[3] = new QCheckBox(T(TVNText::NoBackground), options);
    FOptions[4] = new QCheckBox(T(TVNText::PrintBackColor), options);
    auto* opl = new QVBoxLayout(options);
    for (int i : {0, 1, 3, 4})
        opl->addWidget(FOptions[i]);
    auto* columns = new QGroupBox(T(TVNText::ColumnsGroup), otherTab);
    FColCount = new QSpinBox(columns);
    FColCount->setRange(-99, 99); // the setter ignores counts below 1
    FColGap = CmEdit(columns);
    auto* cl = new QFormLayout(columns);
    cl->addRow(T(TVNText::ColCount), FColCount);
    cl->addRow(T(TVNText::ColGap), FColGap);
    auto* otl = new QVBoxLayout(otherTab);
    otl->addWidget(options);
    otl->addWidget(columns);
    FTabs->addTab(otherTab, T(TVNText::OtherTab));

    auto* preview = new QGroupBox(T(TVNText::PreviewGroup), this);
    preview->setMinimumSize(180, 220);
    FImage = new TVNPageImage(this, preview);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(T(TVNText::OkButton), QDialogButtonBox::AcceptRole)->setDefault(true);
    FCancel = buttons->addButton(T(TVNText::CancelButton), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(FTabs, 0, 0);
    grid->addWidget(preview, 0, 1);
    grid->addWidget(buttons, 1, 0, 1, 2);
    FTabs->setCurrentIndex(0);

    // The picture sits 5 pixels from the group's left and 20 from its top, 10 narrower and 30 lower.
    auto* il = new QVBoxLayout(preview);
    il->setContentsMargins(5, 20, 5, 10);
    il->addWidget(FImage);

    QObject::connect(FPrinters, &QComboBox::currentIndexChanged, this, [this] {
        if (!FRefreshing) PrinterChanged();
    });
    QObject::connect(FPapers, &QComboBox::activated, this, [this] { PaperChosen(); });
    for (QRadioButton* r : {FPortrait, FLandscape})
        QObject::connect(r, &QRadioButton::clicked, this, [this] {
            Setting.SetOrientation(FPortrait->isChecked() ? 0 : 1);
            Refresh();
        });
    for (QDoubleSpinBox* e : {FMargins[0], FMargins[1], FMargins[2], FMargins[3], FColGap})
        QObject::connect(e, &QDoubleSpinBox::valueChanged, this, [this] { MarginsEdited(); });
    QObject::connect(FColCount, &QSpinBox::valueChanged, this, [this] { MarginsEdited(); });
    auto sizeEdited = [this] {
        if (FRefreshing || CancelActive() || !FWidth->isEnabled()) return;
        Setting.PaperWidth = int(std::lround(FWidth->value() * 100));
        Setting.PaperHeight = int(std::lround(FHeight->value() * 100));
        FImage->Redraw();
    };
    QObject::connect(FWidth, &QDoubleSpinBox::valueChanged, this, sizeEdited);
    QObject::connect(FHeight, &QDoubleSpinBox::valueChanged, this, sizeEdited);
    bool TVNPageSetting::*flags[] = {&TVNPageSetting::PrintToPrevPage, &TVNPageSetting::DoublePass,
                                     &TVNPageSetting::UnlimitedHeight, &TVNPageSetting::DontPrintBackground,
                                     &TVNPageSetting::PrintBackColor};
    for (int i = 0; i < 5; ++i)
        QObject::connect(FOptions[i], &QCheckBox::clicked, this,
                         [this, flag = flags[i]](bool on) { Setting.*flag = on; });
    QObject::connect(FBins, &QListWidget::currentRowChanged, this, [this](int row) {
        if (FRefreshing || row < 0) return;
        const TVNPrinterInfo& info = Info();
        if (row < int(info.BinNumbers.size())) Setting.Bin = int(TryStrToInt64(info.BinNumbers[std::size_t(row)]).value_or(0));
    });
    QObject::connect(FTitle, &QLineEdit::editingFinished, this, [this] {
        if (!CancelActive()) Setting.Title = QStringToAnsi(FTitle->text());
    });
}

bool TVNPageSetupForm::CancelActive() const {
    return QApplication::focusWidget() == FCancel;
}

const TVNPrinterInfo& TVNPageSetupForm::Info() const {
    return VNPrinterList().PrinterInfo(PrinterIndex());
}

int TVNPageSetupForm::PrinterIndex() const {
    return std::max(0, FPrinters->currentIndex());
}

void TVNPageSetupForm::SetColumnsEnabled(bool on) {
    FColCount->setEnabled(on);
    FColGap->setEnabled(on);
}

void TVNPageSetupForm::Prepare() {
    if (Setting.ColCount < 1) Setting.ColCount = 1;
    FRefreshing = true;
    FPrinters->clear();
    for (const AnsiString& name : VNPrinterList().Names())
        FPrinters->addItem(AnsiToQString(name));
    FPrinters->setCurrentIndex(VNSharedPrinter().PrinterIndex());
    FTitle->setText(AnsiToQString(Setting.Title));
    FRefreshing = false;
    PrinterChanged();
}

void TVNPageSetupForm::PrinterChanged() {
    const TVNPrinterInfo& info = Info();
    FRefreshing = true;
    FPapers->clear();
    for (const AnsiString& n : info.PaperNames)
        FPapers->addItem(AnsiToQString(n));
    FBins->clear();
    for (const AnsiString& n : info.BinNames)
        FBins->addItem(AnsiToQString(n));
    FRefreshing = false;
    int w = Setting.PaperWidth, h = Setting.PaperHeight;
    if (Setting.Orientation == 1) std::swap(w, h);
    int found = int(info.PaperNames.size()) - 1;
    for (int i = 0; i < int(info.PaperNames.size()); ++i)
        if (std::abs(info.PaperWidthAt(i) - w) <= 1 && std::abs(info.PaperHeightAt(i) - h) < 2) {
            found = i;
            break;
        }
    Setting.PaperSize = info.PaperCodeAt(found);
    Refresh();
}

void TVNPageSetupForm::Refresh() {
    if (FRefreshing) return;
    FRefreshing = true;
    for (int i = 0; i < 4; ++i)
        FMargins[i]->setValue(Setting.Margin(i) / 10);
    FColCount->setValue(Setting.ColCount);
    FColGap->setValue(Setting.ColGap / 10);
    FOptions[0]->setChecked(Setting.PrintToPrevPage);
    FOptions[1]->setChecked(Setting.DoublePass);
    FOptions[2]->setChecked(Setting.UnlimitedHeight);
    FOptions[3]->setChecked(Setting.DontPrintBackground);
    FOptions[4]->setChecked(Setting.PrintBackColor);
    FPortrait->setChecked(Setting.Orientation == 0);
    FLandscape->setChecked(Setting.Orientation == 1);
    FPortraitPic->setVisible(FPortrait->isChecked());
    FLandscapePic->setVisible(!FPortrait->isChecked());
    FWidth->setValue(Setting.PaperWidth / 100.0);
    FHeight->setValue(Setting.PaperHeight / 100.0);
    const TVNPrinterInfo& info = Info();
    FBins->setCurrentRow(info.BinIndex(Setting.Bin));
    const int paper = info.PaperIndex(Setting.PaperSize);
    FPapers->setCurrentIndex(paper);
    const bool custom = paper == int(info.PaperNames.size()) - 1;
    for (QWidget* w : {static_cast<QWidget*>(FWidth), static_cast<QWidget*>(FHeight), static_cast<QWidget*>(FWidthLabel),
                       static_cast<QWidget*>(FHeightLabel)})
        w->setEnabled(custom);
    if (custom && !CancelActive()) {
        Setting.PaperWidth = int(std::lround(FWidth->value() * 100));
        Setting.PaperHeight = int(std::lround(FHeight->value() * 100));
    }
    FImage->Redraw();
    FRefreshing = false;
}

void TVNPageSetupForm::PaperChosen() {
    if (FRefreshing) return;
    const TVNPrinterInfo& info = Info();
    const int i = FPapers->currentIndex();
    if (i < 0 || i >= int(info.PaperNames.size())) return;
    Setting.PaperSize = info.PaperCodeAt(i);
    if (i != int(info.PaperNames.size()) - 1) {
        Setting.PaperWidth = info.PaperWidthAt(i);
        Setting.PaperHeight = info.PaperHeightAt(i);
        if (Setting.Orientation == 1) std::swap(Setting.PaperWidth, Setting.PaperHeight);
    }
    Refresh();
}

void TVNPageSetupForm::MarginsEdited() {
    if (FRefreshing || CancelActive()) return;
    for (int i = 0; i < 4; ++i)
        Setting.SetMargin(i, FMargins[i]->value() * 10);
    Setting.SetColCount(FColCount->value());
    Setting.SetMargin(4, FColGap->value() * 10);
    FImage->Redraw();
}

void TVNPageSetupForm::accept() {
    try {
        TVNPrinter& printer = VNSharedPrinter();
        printer.SetPrinterIndex(PrinterIndex());
        printer.SetPaper(Setting.PaperSize, Setting.PaperWidth, Setting.PaperHeight, Setting.Orientation, Setting.Bin);
        TVNPrinterMetrics m;
        printer.FillPrinterMetrics(m);
        int gutter[4];
        printer.PageGutters(gutter[0], gutter[1], gutter[2], gutter[3]);
        double unprintable[4];
        for (int i = 0; i < 4; ++i) {
            const int ppi = i % 2 == 0 ? printer.PixelsPerInchX() : printer.PixelsPerInchY();
            unprintable[i] = ppi > 0 ? gutter[i] / 0.03937 / ppi : 0;
        }
        bool outside = false;
        for (int i = 0; i < 4; ++i)
            outside = outside || Setting.Margin(i) < unprintable[i];
        if (outside &&
            Messages().ShowMessage(VNText(TVNText::MarginsOutside), VNText(TVNText::WarningCaption), TMsgIcon::Warning,
                                   TMsgButtons::YesNo) == TMsgResult::Yes)
            for (int i = 0; i < 4; ++i)
                if (Setting.Margin(i) < unprintable[i]) Setting.SetMargin(i, unprintable[i] + 0.5);
    } catch (const std::exception&) {
        // The dialog closes with the margins as the user set them.
    }
    QDialog::accept();
}

bool ShowPageSetupDialog(TVNPageSetting& setting, bool columnsEnabled, QWidget* parent) {
    TVNPageSetupForm form(parent);
    form.Setting = setting;
    form.SetColumnsEnabled(columnsEnabled);
    form.Prepare();
    if (form.exec() != QDialog::Accepted) return false;
    setting = form.Setting;
    setting.PrinterName = VNPrinterList().Name(form.PrinterIndex());
    return true;
}
