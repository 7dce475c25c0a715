// The filter builder dialog: the user puts together condition lines (field, operator, value)
// joined by "或者" / "并且" and confirms; the dialog writes them as a filter text in memSQL.
// Applying the text to the data set is the grid's work (GridFilterDialog.h).
//
// The logic list is kept in one TLogicList and the list view is redrawn from it after every
// change, so what is shown and what is written can not differ. Every message goes through the
// message service, so tests answer the confirmations and read what was shown.
#pragma once

#include "controls/FilterTextBuilder.h"

#include <QDialog>

class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

class TFrmQuerySet : public QDialog {
    Q_OBJECT
public:
    // The data set's fields fill cbxField (only the visible ones when visibleOnly is set).
    TFrmQuerySet(QWidget* parent, TMemDataSet& dataSet, bool visibleOnly);

    // The group box caption that serves as the dialog's title.
    void SetTitle(const AnsiString& title);
    void SetHelpText(const AnsiString& text) { FHelpText = text; }
    const AnsiString& HelpText() const { return FHelpText; }

    void SetLogic(const TLogicList& lines);
    const TLogicList& Logic() const { return FLogic; }
    // The selected line (-1: none).
    int Selected() const;
    void SetSelected(int index);

    AnsiString SQLText() const; // the content of memSQL
    const AnsiString& ExclusionCondition() const { return FExclusionCondition; }
    const AnsiString& ExclusionField() const { return FExclusionField; }
    const AnsiString& LastRelation() const { return FLastRelation; }

    // Handlers of the buttons and keys.
    void AddLogic();      // btnAddLogic, Enter in editValue
    void ModifyOK();      // btnModifyOK
    void ModifyCancel();  // btnModifyCancel
    void ClearLogic();    // btnClearLogic
    void ShowHelp();      // btnHelp
    void BuildSQL();      // writes the list into memSQL and the exclusion state
    void ConfirmFilter(); // btnOK: BuildSQL, then close with OK
    void TestSQL();       // Alt+F2: BuildSQL, then show the text in an input box

    // The pop-up menu of the list: PrepareMenu runs when it opens.
    void PrepareMenu();
    void MenuAddField();
    void MenuModifyField();
    void MenuSetRelation(const AnsiString& relation);
    void MenuDelete();

    // The controls, under the names the form has always used.
    QGroupBox* gbxGoodsInfo = nullptr;
    QComboBox* cbxField = nullptr;
    QComboBox* cbxFactor = nullptr;
    QLineEdit* editValue = nullptr;
    QTreeWidget* lvwLogic = nullptr;
    QPlainTextEdit* memSQL = nullptr;
    QPushButton* btnAddLogic = nullptr;
    QPushButton* btnModifyOK = nullptr;
    QPushButton* btnModifyCancel = nullptr;
    QPushButton* btnClearLogic = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnExit = nullptr;
    QMenu* pmnLogic = nullptr;
    QAction* mniAddField = nullptr;
    QAction* mniModifyField = nullptr;
    QMenu* mniModifyRelation = nullptr;
    QAction* mniRelationOr = nullptr;
    QAction* mniRelationAnd = nullptr;
    QAction* mniDelete = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ShowLogic(int select);
    void EndModify();
    AnsiString CurrentField() const;
    AnsiString CurrentFactor() const;
    AnsiString CurrentValue() const;
    void LoadEditors(const TLogicLine& line);

    TMemDataSet& FDataSet;
    bool FVisibleOnly;
    TLogicList FLogic;
    AnsiString FLastRelation;
    AnsiString FExclusionCondition;
    AnsiString FExclusionField;
    AnsiString FHelpText;
    int FModifyIndex = -1; // the line the editors were loaded from
};
