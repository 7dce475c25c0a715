// TVNPrintForm: the print dialog ("打印") and the report's print commands that use it.
//
// Entry points (the preview calls these):
//   PrintBuiltReportDlg(report, currentPage, parent)  the dialog, then the print on OK
//   PrintCurrentPage(report, currentPage)             one copy of one page, no dialog
//
// The dialog lists the printers without the virtual one ("默认打印机" first), shows the chosen
// queue's driver, location, comment and state, and takes the page range, copies and collation,
// odd or even pages, PrintScale or a paper to scale onto, the print offsets and the pre-printed
// form switch. Cancel puts back the printer that was selected when it opened.
#pragma once

#include "report/print/VNReportPrint.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class TVNReport;

class TVNPrintForm : public QDialog {
public:
    // currentPage: the page the preview shows (1-based); 0 disables "当前页(&g)".
    TVNPrintForm(TVNReport& report, int currentPage, QWidget* parent = nullptr);

    // What OK applies to the report and hands to the print loop.
    TVNPrintOptions Options() const;
    // Applies the dialog to the report (taoda, PrintScale, offsets; settings saved when the
    // offsets changed) and answers the job's options.
    TVNPrintOptions Apply();

    QComboBox* Printers() const { return FPrinters; }
    QCheckBox* Taoda() const { return FTaoda; }
    QRadioButton* AllPages() const { return FAll; }
    QRadioButton* CurrentPage() const { return FCurrent; }
    QRadioButton* SomePages() const { return FSome; }
    QLineEdit* PageList() const { return FPages; }
    QSpinBox* Copies() const { return FCopies; }
    QCheckBox* Collate() const { return FCollate; }
    QComboBox* Selection() const { return FSelection; }
    QSpinBox* Scale() const { return FScale; }
    QComboBox* ScalePapers() const { return FScalePapers; }
    QDoubleSpinBox* OffsetTop() const { return FOffsetTop; }
    QDoubleSpinBox* OffsetLeft() const { return FOffsetLeft; }
    QLabel* Status() const { return FStatus; }
    QLabel* Driver() const { return FType; }

    // Printer list index of a combo index and back (the virtual printer is left out).
    static int ListIndex(int comboIndex) { return comboIndex > 0 ? comboIndex + 1 : 0; }
    static int ComboIndex(int listIndex) { return listIndex > 1 ? listIndex - 1 : 0; }

    // Puts back the printer that was selected when the dialog opened.
    void reject() override;

private:
    void PrinterChanged();
    TVNReport& FReport;
    int FCurrentPage;
    int FOpeningPrinter;
    QComboBox* FPrinters;
    QLabel *FType, *FWhere, *FComment, *FStatus;
    QCheckBox* FTaoda;
    QRadioButton *FAll, *FCurrent, *FSome;
    QLineEdit* FPages;
    QSpinBox* FCopies;
    QCheckBox* FCollate;
    QComboBox* FSelection;
    QSpinBox* FScale;
    QComboBox* FScalePapers;
    QDoubleSpinBox *FOffsetTop, *FOffsetLeft;
};

// Prints the report's built pages after the print dialog (or at once, with the report's
// defaults, when ShowPrintDialog is false). Nothing happens (Printed false, Error empty) when
// there are no built pages, no printer is installed or the dialog is cancelled.
TVNPrintOutcome PrintBuiltReportDlg(TVNReport& report, int currentPage = 0, QWidget* parent = nullptr);
// Builds the report, then prints it with PrintBuiltReportDlg when at least one page was built.
// A job the queue refused (or that failed on the way) is shown once as an error; a cancelled
// dialog or job is not an error.
TVNPrintOutcome BuildAndPrintReport(TVNReport& report, QWidget* parent = nullptr);
// Prints one page once without a dialog: the preview's "print current page".
TVNPrintOutcome PrintCurrentPage(TVNReport& report, int currentPage);
