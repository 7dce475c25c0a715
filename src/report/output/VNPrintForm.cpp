// The print dialog: its controls, the printer status lines from the queue's state, and applying
// the choices to the report before the print loop runs.
#include "VNPrintForm.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNReport.h"
#include "report/VNStrings.h"
#include "report/print/VNPrinter.h"
#include "report/print/VNPrinterList.h"
#include "report/print/VNReportSettings.h"

#include "platform/Locale.h"
#include "platform/qt/QtMessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString T(TVNText id) {
    return AnsiToQString(VNText(id));
}

// The small printer picture drawn before each printer's name.
QIcon PrinterIcon() {
    QPixmap pm(18, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 6, 15, 7);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 9, 5);
    p.drawRect(4, 11, 9, 4);
    return QIcon(pm);
}

// The queue's state as the status line says it.
QString StatusText(const TPrintQueueState& st) {
    AnsiString text = VNText(st.Jobs > 0 ? TVNText::StatusPrinting : TVNText::StatusIdle);
    if (st.State == TPrintQueueState::Stopped)
        text = VNText(TVNText::StatusPaused);
    else if (st.State == TPrintQueueState::Printing)
        text = VNText(TVNText::StatusBusy);
    if (st.Jobs > 0) {
        if (!text.empty()) text += ":";
        AnsiString waiting = VNText(TVNText::JobsWaiting);
        const auto at = waiting.find("%d");
        if (at != AnsiString::npos) waiting.replace(at, 2, IntToStr(st.Jobs));
        text += waiting;
    }
    return AnsiToQString(text);
}

double PixelsToCm(int px) {
    return PixelsToMM(px) / 10.0;
}

} // namespace

TVNPrintForm::TVNPrintForm(TVNReport& report, int currentPage, QWidget* parent)
    : QDialog(parent), FReport(report), FCurrentPage(currentPage), FOpeningPrinter(VNSharedPrinter().PrinterIndex()) {
    setWindowTitle(T(TVNText::PrintCaption));
    TVNPrinterList& list = VNPrinterList();

    // Printer.
    auto* printerBox = new QGroupBox(T(TVNText::PrinterGroup), this);
    FPrinters = new QComboBox(printerBox);
    const QIcon icon = PrinterIcon();
    for (int i = 0; i < list.Count(); ++i)
        if (i != 1) FPrinters->addItem(icon, AnsiToQString(list.Name(i)));
    FPrinters->setCurrentIndex(ComboIndex(FOpeningPrinter));
    auto* properties = new QPushButton(T(TVNText::PrinterProperties), printerBox);
    FType = new QLabel(printerBox);
    FWhere = new QLabel(printerBox);
    FComment = new QLabel(printerBox);
    FStatus = new QLabel(printerBox);
    FTaoda = new QCheckBox(T(TVNText::NoBackground), printerBox);
    FTaoda->setChecked(report.taodaDefault);
    auto* pg = new QGridLayout(printerBox);
    pg->addWidget(FPrinters, 0, 0, 1, 2);
    pg->addWidget(properties, 0, 2);
    int row = 1;
    for (auto [caption, label] : {std::pair{TVNText::StatusLabel, FStatus}, std::pair{TVNText::TypeLabel, FType},
                                  std::pair{TVNText::WhereLabel, FWhere}, std::pair{TVNText::CommentLabel, FComment}}) {
        pg->addWidget(new QLabel(T(caption), printerBox), row, 0);
        pg->addWidget(label, row++, 1, 1, 2);
    }
    pg->addWidget(FTaoda, row, 0, 1, 3);

    // Pages.
    auto* pagesBox = new QGroupBox(T(TVNText::PagesGroup), this);
    FAll = new QRadioButton(T(TVNText::AllPages), pagesBox);
    FCurrent = new QRadioButton(T(TVNText::CurrentPage), pagesBox);
    FSome = new QRadioButton(T(TVNText::SomePages), pagesBox);
    FPages = new QLineEdit(pagesBox);
    // Only digits, "," and "-" get in; anything else is swallowed.
    FPages->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9,\\-]*"), FPages));
    FAll->setChecked(true);
    FCurrent->setEnabled(currentPage > 0);
    auto* hint = new QLabel(T(TVNText::PagesHint), pagesBox);
    hint->setWordWrap(true);
    auto* pl = new QGridLayout(pagesBox);
    pl->addWidget(FAll, 0, 0);
    pl->addWidget(FCurrent, 1, 0);
    pl->addWidget(FSome, 2, 0);
    pl->addWidget(FPages, 2, 1);
    pl->addWidget(hint, 3, 0, 1, 2);
    QObject::connect(FPages, &QLineEdit::textEdited, this, [this] { FSome->setChecked(true); });
    QObject::connect(FSome, &QRadioButton::toggled, this, [this](bool on) {
        if (on) FPages->setFocus();
    });

    // Copies.
    auto* copiesBox = new QGroupBox(T(TVNText::CopiesGroup), this);
    FCopies = new QSpinBox(copiesBox);
    FCopies->setRange(1, 9999);
    FCopies->setValue(std::max(1, report.DefaultCopies));
    FCollate = new QCheckBox(T(TVNText::Collate), copiesBox);
    FCollate->setChecked(report.DefaultCollate);
    auto* cl = new QFormLayout(copiesBox);
    cl->addRow(T(TVNText::CopiesLabel), FCopies);
    cl->addRow(FCollate);

    FSelection = new QComboBox(this);
    FSelection->addItems({T(TVNText::AllSheets), T(TVNText::OddPages), T(TVNText::EvenPages)});
    auto* selectionRow = new QHBoxLayout;
    selectionRow->addWidget(new QLabel(T(TVNText::PrintLabel), this));
    selectionRow->addSpacing(11);
    selectionRow->addWidget(FSelection, 1);

    // Scale.
    auto* scaleBox = new QGroupBox(T(TVNText::ScaleGroup), this);
    FScale = new QSpinBox(scaleBox);
    FScale->setRange(1, 1000);
    FScale->setValue(100);
    FScalePapers = new QComboBox(scaleBox);
    auto* sl = new QFormLayout(scaleBox);
    sl->addRow(T(TVNText::ScalePercent), FScale);
    sl->addRow(T(TVNText::ScaleToPaper), FScalePapers);

    // Print offsets, shown in centimetres.
    auto* offsetBox = new QGroupBox(T(TVNText::OffsetGroup), this);
    FOffsetTop = new QDoubleSpinBox(offsetBox);
    FOffsetLeft = new QDoubleSpinBox(offsetBox);
    for (QDoubleSpinBox* e : {FOffsetTop, FOffsetLeft}) {
        e->setRange(-100, 100);
        e->setSingleStep(0.1);
        e->setDecimals(2);
    }
    FOffsetTop->setValue(PixelsToCm(report.PrintOffsetTop));
    FOffsetLeft->setValue(PixelsToCm(report.PrintOffsetLeft));
    auto* ol = new QFormLayout(offsetBox);
    ol->addRow(T(TVNText::OffsetTop), FOffsetTop);
    ol->addRow(T(TVNText::OffsetLeft), FOffsetLeft);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(T(TVNText::OkButton), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(T(TVNText::CancelButton), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(printerBox, 0, 0, 1, 2);
    grid->addWidget(pagesBox, 1, 0);
    auto* right = new QVBoxLayout;
    right->addWidget(copiesBox);
    right->addLayout(selectionRow);
    grid->addLayout(right, 1, 1);
    grid->addWidget(scaleBox, 2, 0);
    grid->addWidget(offsetBox, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);

    QObject::connect(FPrinters, &QComboBox::currentIndexChanged, this, [this] { PrinterChanged(); });
    QObject::connect(properties, &QPushButton::clicked, this, [this] { PrinterChanged(); });
    PrinterChanged();
}

void TVNPrintForm::PrinterChanged() {
    TVNPrinter& printer = VNSharedPrinter();
    printer.SetPrinterIndex(ListIndex(FPrinters->currentIndex()));
    const TVNPrinterInfo& info = printer.Info();
    FType->setText(AnsiToQString(info.Driver));
    FWhere->setText(AnsiToQString(info.Port));
    FComment->setText(AnsiToQString(info.Comment));
    IPrintPlatform* platform = PrintPlatform();
    FStatus->setText(platform && !printer.IsVirtual() ? StatusText(platform->QueueState(info.Device)) : QString());
    FScalePapers->clear();
    FScalePapers->addItem(T(TVNText::NoScaling));
    for (std::size_t i = 0; i + 1 < info.PaperNames.size(); ++i)
        FScalePapers->addItem(AnsiToQString(info.PaperNames[i]));
}

TVNPrintOptions TVNPrintForm::Options() const {
    TVNPrintOptions o;
    const TVNPrinterInfo& info = VNSharedPrinter().Info();
    const int scale = FScalePapers->currentIndex() - 1;
    if (scale >= 0 && scale < int(info.PaperNames.size())) {
        o.ScalePaperSize = info.PaperCodeAt(scale);
        o.ScalePaperWidth = info.PaperWidthAt(scale);
        o.ScalePaperHeight = info.PaperHeightAt(scale);
    }
    if (FCurrent->isChecked())
        o.PageList = IntToStr(FCurrentPage);
    else if (FSome->isChecked())
        o.PageList = QStringToAnsi(FPages->text());
    o.Copies = FCopies->value();
    o.Selection = FSelection->currentIndex();
    o.Collate = FCollate->isChecked();
    return o;
}

TVNPrintOptions TVNPrintForm::Apply() {
    FReport.taoda = FTaoda->isChecked();
    FReport.PrintScale = std::max(1, FScale->value());
    const int top = RoundToIntClamped(MMToPixels(FOffsetTop->value() * 10));
    const int left = RoundToIntClamped(MMToPixels(FOffsetLeft->value() * 10));
    if (top != FReport.PrintOffsetTop || left != FReport.PrintOffsetLeft) {
        FReport.PrintOffsetTop = top;
        FReport.PrintOffsetLeft = left;
        SaveReportSetting(FReport);
    }
    return Options();
}

void TVNPrintForm::reject() {
    VNSharedPrinter().SetPrinterIndex(FOpeningPrinter);
    QDialog::reject();
}

TVNPrintOutcome PrintBuiltReportDlg(TVNReport& report, int currentPage, QWidget* parent) {
    report.PrintScale = 100;
    report.taoda = false;
    if (!report.EMFPages || report.EMFPages->Count() == 0 || !VNPrinterList().HasPrinters()) return {};
    TVNPrintOptions options;
    if (report.ShowPrintDialog) {
        TVNPrintForm form(report, currentPage, parent);
        if (form.exec() != QDialog::Accepted) return {};
        options = form.Apply();
    } else {
        report.taoda = report.taodaDefault;
        options.Copies = report.DefaultCopies;
        options.Collate = report.DefaultCollate;
    }
    return PrintBuiltReport(report, options);
}

TVNPrintOutcome BuildAndPrintReport(TVNReport& report, QWidget* parent) {
    // The print dialog here never asks for a new build, so one build and one dialog complete it.
    if (!report.BuildReport()) return {};
    TVNPrintOutcome outcome = PrintBuiltReportDlg(report, 0, parent);
    if (!outcome.Printed && !outcome.Cancelled && !outcome.Error.empty())
        VNShowMessage(outcome.Error, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
    return outcome;
}

TVNPrintOutcome PrintCurrentPage(TVNReport& report, int currentPage) {
    if (!VNPrinterList().HasPrinters()) return {};
    report.taoda = report.taodaDefault;
    report.PrintScale = 100;
    TVNPrintOptions options;
    options.PageList = IntToStr(currentPage);
    options.Collate = report.DefaultCollate;
    return PrintBuiltReport(report, options);
}
