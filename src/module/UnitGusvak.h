// The stocktake gain/loss sheet form "盘点损益表": a header of ten read-only fields and the grid of
// the sheet's lines with totals, under a tool bar with search, posting, column chooser, filter,
// the two print modes with their template list, preview, print, help and exit.
//
// Creation loads the working context, creates the condition dialog, loads the grid layout, reads
// the template list and checks the posting right; the first showing runs a search. The form keeps
// the last sheet between searches: a new sheet replaces it only when both server functions
// succeed. Every command runs under the module's guard, so an error reaches the user.
#pragma once

#include "controls/AdvDBGridQx.h"
#include "FrmBase.h"
#include "RopWin.h"
#include "SheetPrint.h"
#include "report/gridreport/VNFormReport.h"
#include "framework/UnitOrvaneClass.h"
#include "framework/WorkContext.h"
#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"

#include <QColor>

#include <memory>

class QComboBox;
class QFrame;
class QLineEdit;
class QRadioButton;
class QToolBar;
class QToolButton;
class TFrmCondition;

class TFrmGusvak : public TFrmBase {
    Q_OBJECT
public:
    explicit TFrmGusvak(QWidget* owner);
    ~TFrmGusvak() override;

    // Controls.
    QFrame* PanelGusvak = nullptr;
    QToolBar* tbrTools = nullptr;
    QToolButton* tbnSearch = nullptr;
    QToolButton* tbnZsy = nullptr;
    QToolButton* tbnChoose = nullptr;
    QToolButton* tbnFilter = nullptr;
    QRadioButton* rdoNormal = nullptr;
    QRadioButton* rdoMuban = nullptr;
    QComboBox* cmbPrint = nullptr;
    QToolButton* tbnPreview = nullptr;
    QToolButton* tbnPrint = nullptr;
    QToolButton* tbnHelp = nullptr;
    QToolButton* tbnExit = nullptr;
    QFrame* PanelMaster = nullptr;
    QLineEdit* edtDjh = nullptr;
    QLineEdit* edtBz = nullptr;
    QLineEdit* edtBmbm = nullptr;
    QLineEdit* edtBmmc = nullptr;
    QLineEdit* edtCkbm = nullptr;
    QLineEdit* edtCkmc = nullptr;
    QLineEdit* edtZdrbm = nullptr;
    QLineEdit* edtZdrmc = nullptr;
    QLineEdit* edtZdrq = nullptr;
    QLineEdit* edtMnrq = nullptr;
    TAdvDBGridQx* dgdView = nullptr;
    // The help popup of F1: the keys and the names a print template may use.
    TRopWin RopHelp;

    // The lines as the server returned them (feeds the grid) and their rounded print copy.
    const std::shared_ptr<TMemDataSet>& ADS_Main() const { return FADS_Main; }
    TMemDataSet& ADS() const { return *FADS; }
    const std::shared_ptr<TMemDataSet>& ReportList() const { return FReportList; }
    TFrmCondition* FrmCondition() const { return FFrmCondition.get(); }
    const TWorkContext& Context() const { return FContext; }
    const AnsiString& Pdrq() const { return FPdrq; }
    bool FirstShow() const { return FFirstShow; }

    // The commands of the tool bar and the keys.
    void tbnSearchClick();
    // The search after the condition dialog: header, lines, print copy and footer of a sheet.
    void RunSearch(const AnsiString& djh, const AnsiString& mnrq);
    void tbnZsyClick();
    void tbnChooseClick();
    void tbnFilterClick();
    void tbnPreviewClick();
    void tbnPrintClick();
    // The print button's path: lines loaded, the confirmation answered OK, then the print.
    void ConfirmAndPrint(TSheetPrintTarget& target);
    // The print of the chosen mode to a target, as the preview and print buttons run it once
    // their own checks have passed (automation calls it with an export target).
    void RunPrint(TSheetPrintTarget& target);
    // Whether lines are loaded (ADS_Main open): printing needs them.
    bool LinesOpen() const;
    // The header as shown, with the stocktake date.
    TSheetHeaderTexts HeaderTexts() const;
    // The grid report component of the normal print.
    TVNFormReport PrintDG;
    // The template print's report and data set.
    TSheetTemplatePrint& TemplatePrint() { return *FTemplatePrint; }
    void tbnHelpClick();
    void tbnExitClick();
    void rdoNormalClick();
    void rdoMubanClick();
    // The first column's footer: "合计:" with the number of lines the grid shows and "条".
    void ShowLineCount();
    // The key handling of the form (sees keys before its controls; never consumes them).
    // Runs the command of one of the form's keys; false for a key that is no command.
    static bool IsCommandKey(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The background of a line by its difference quantity.
    static QColor RowColor(double sysl);

    // Settings file and section of the grid layout.
    static constexpr const char* LayoutFile = "Trevalmpos.ini";
    static constexpr const char* LayoutSection = "Gusvak";

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void FormClose() override;

public:
    // True when creation failed and the form must close as soon as its creator has it back.
    bool CloseRequested() const { return FCloseRequested; }

protected:

private:
    void BuildControls();
    void FormCreate();
    void SaveLayoutOnce();
    void ResetForm();
    void NormalPrint(TSheetPrintTarget& target);
    void TemplatePrintTo(TSheetPrintTarget& target);
    QColor LineColor(int row) const;

    std::unique_ptr<TOrvaneClass> FOrvane;
    TWorkContext FContext;
    std::shared_ptr<TMemDataSet> FReportList;
    std::shared_ptr<TMemDataSet> FADS_Main;
    std::unique_ptr<TMemDataSet> FADS;
    std::unique_ptr<TFrmCondition> FFrmCondition;
    std::unique_ptr<TSheetTemplatePrint> FTemplatePrint;
    bool FFirstShow = false;
    bool FClosing = false;
    bool FLayoutSaved = false;
    // A creation step asked the form to close; the close waits until creation is over (see
    // CloseRequested), because message boxes shown during creation run event loops of their own.
    bool FCloseRequested = false;
    AnsiString FPdrq;
    int FSyslIndex = -1; // f_Sysl in ADS_Main
};
