// The column chooser ("选择项目"): one check box per grid column, checked when the column is
// visible. OK sets every column's visibility from its item, but never leaves fewer visible
// columns than the grid's frozen columns plus one.
//
// The dialog knows the grid only through a list of column entries and a callback that applies
// one column's visibility, so any grid can use it and tests need no grid.
#pragma once

#include "platform/AnsiString.h"

#include <QDialog>

#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

struct TChooseColumn {
    AnsiString Caption; // the column's title (the field's label)
    bool Visible = true;
};

// Applies the chosen visibility of the column at the index; may raise (the error is shown).
using TApplyColumnVisibility = std::function<void(int index, bool visible)>;

class TFrmChooseDBFields : public QDialog {
    Q_OBJECT
public:
    TFrmChooseDBFields(QWidget* parent, const std::vector<TChooseColumn>& columns, int frozenCols,
                       TApplyColumnVisibility apply);

    void CheckAll();  // btnAll
    void CheckNone(); // btnno
    void Confirm();   // btnok

    int CheckedCount() const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);

    QListWidget* ltvChoose = nullptr;
    QPushButton* btnAll = nullptr;
    QPushButton* btnno = nullptr;
    QPushButton* btnok = nullptr;
    QPushButton* btncancel = nullptr;

private:
    int FFrozenCols;
    TApplyColumnVisibility FApply;
};

// Shows the chooser modally (the runner replaces exec in tests) and returns its result.
using TChooserRunner = std::function<int(TFrmChooseDBFields&)>;
int ChooseColumns(QWidget* owner, const std::vector<TChooseColumn>& columns, int frozenCols,
                  const TApplyColumnVisibility& apply, const TChooserRunner& run = {});

// The chooser over a data grid: one item per column (its caption, checked when visible); OK sets
// every column's visibility, never leaving fewer visible columns than frozen ones + 1.
class TAdvCustomDBGridQx;
void ChooseColumns(TAdvCustomDBGridQx& grid);
