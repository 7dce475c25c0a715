// The search condition dialog "盘点损益表条件": the clerk picks an open stocktake document from the
// drop-down look-up of document numbers (optionally narrowed by a remark) and sees the simulated
// date, the server's current date, which cannot be changed.
//
// The document number edit takes digits only. Enter runs the look-up; leaving the edit puts the
// look-up's last result back into it, so a number typed by hand without a look-up never reaches
// the search. Confirming needs a number and a simulated date not before the sheet's date.
//
// Created once with the main form (without owner) and kept, hidden, between searches.
#pragma once

#include "framework/UnitOrvaneClass.h"
#include "framework/WorkContext.h"
#include "platform/AnsiString.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

class TFrmCondition : public QDialog {
    Q_OBJECT
public:
    TFrmCondition();
    ~TFrmCondition() override;

    QLineEdit* edtDjh = nullptr;
    QComboBox* cmbBz = nullptr;
    QDateEdit* dtpMnrq = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

    AnsiString Djh;  // the chosen document number
    AnsiString Mnrq; // the simulated date "YYYYMMDD", set on confirming

    TOrvaneClass& Orvane() { return *FOrvane; }
    const TWorkContext& Context() const { return FContext; }
    bool ContextLoaded() const { return FContextLoaded; }

    // The dialog's actions, also reachable without the keyboard.
    void RunDjhLookup(); // Enter in the document number edit
    void DjhExit();      // the document number edit lost the focus
    void btnOKClick();
    void BtnCancelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillRemarks();

    std::unique_ptr<TOrvaneClass> FOrvane;
    TWorkContext FContext;
    bool FContextLoaded = false;
    bool FInLookup = false;
};
