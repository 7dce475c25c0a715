// The column chooser. See UnitChooseDBFields.h.
#include "UnitChooseDBFields.h"

#include "controls/AdvDBGridQx.h"
#include "ButtonKeys.h"

#include "ModuleText.h"
#include "platform/MessageService.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

#include <exception>

TFrmChooseDBFields::TFrmChooseDBFields(QWidget* parent, const std::vector<TChooseColumn>& columns,
                                       int frozenCols, TApplyColumnVisibility apply)
    : QDialog(parent), FFrozenCols(frozenCols), FApply(std::move(apply)) {
    setWindowTitle(QString::fromUtf8("选择项目"));
    setFixedSize(312, 204);
    setModal(true);
    PaintFormColor(*this);

    ltvChoose = new QListWidget(this);
    for (const TChooseColumn& column : columns) {
        auto* item = new QListWidgetItem(AnsiToQString(column.Caption), ltvChoose);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(column.Visible ? Qt::Checked : Qt::Unchecked);
    }
    btnAll = new QPushButton(QString::fromUtf8("全  选(&A)"), this);
    btnno = new QPushButton(QString::fromUtf8("全不选(&N)"), this);
    btnok = new QPushButton(QString::fromUtf8("确  定(&O)"), this);
    btncancel = new QPushButton(QString::fromUtf8("取  消(&C)"), this);
    for (QPushButton* button : {btnAll, btnno, btnok, btncancel}) {
        button->setAutoDefault(false);
        EnterPressesButton(button);
    }

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(ltvChoose, 0, 0, 5, 1);
    layout->addWidget(btnAll, 0, 1);
    layout->addWidget(btnno, 1, 1);
    layout->setRowStretch(2, 1);
    layout->addWidget(btnok, 3, 1);
    layout->addWidget(btncancel, 4, 1);
    layout->setColumnStretch(0, 1);

    connect(btnAll, &QPushButton::clicked, this, &TFrmChooseDBFields::CheckAll);
    connect(btnno, &QPushButton::clicked, this, &TFrmChooseDBFields::CheckNone);
    connect(btnok, &QPushButton::clicked, this, &TFrmChooseDBFields::Confirm);
    connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmChooseDBFields::CheckAll() {
    for (int i = 0; i < ltvChoose->count(); ++i)
        SetChecked(i, true);
}

void TFrmChooseDBFields::CheckNone() {
    for (int i = 0; i < ltvChoose->count(); ++i)
        SetChecked(i, false);
}

int TFrmChooseDBFields::CheckedCount() const {
    int count = 0;
    for (int i = 0; i < ltvChoose->count(); ++i)
        count += Checked(i) ? 1 : 0;
    return count;
}

bool TFrmChooseDBFields::Checked(int index) const {
    const QListWidgetItem* item = ltvChoose->item(index);
    return item != nullptr && item->checkState() == Qt::Checked;
}

void TFrmChooseDBFields::SetChecked(int index, bool checked) {
    if (QListWidgetItem* item = ltvChoose->item(index))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFrmChooseDBFields::Confirm() {
    // The frozen columns stay put on the left; at least one column must remain to scroll.
    if (FFrozenCols >= CheckedCount()) {
        Messages().Warning(CP936("所选列数必须大于固定列数!"));
        return;
    }
    try {
        if (FApply)
            for (int i = 0; i < ltvChoose->count(); ++i)
                FApply(i, Checked(i));
        accept();
    } catch (const std::exception& e) {
        Messages().Error(e.what());
        reject();
    }
}

int ChooseColumns(QWidget* owner, const std::vector<TChooseColumn>& columns, int frozenCols,
                  const TApplyColumnVisibility& apply, const TChooserRunner& run) {
    TFrmChooseDBFields dialog(owner, columns, frozenCols, apply);
    return run ? run(dialog) : dialog.exec();
}

void ChooseColumns(TAdvCustomDBGridQx& grid) {
    std::vector<TChooseColumn> entries;
    entries.reserve(std::size_t(grid.ColumnCount()));
    for (int c = 0; c < grid.ColumnCount(); ++c)
        entries.push_back(TChooseColumn{grid.ColumnCaption(c), grid.ColumnVisible(c)});
    ChooseColumns(&grid, entries, grid.FrozenCols(), [&grid](int index, bool visible) {
        if (index >= 0 && index < grid.ColumnCount()) grid.SetColumnVisible(index, visible);
    });
}
