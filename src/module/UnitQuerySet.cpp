// The filter builder dialog: controls, the logic list and its pop-up menu. See UnitQuerySet.h.
#include "UnitQuerySet.h"

#include "ButtonKeys.h"

#include "ModuleText.h"
#include "platform/MessageService.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(const char* utf8Caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(utf8Caption), parent);
    // Enter belongs to editValue (it adds a condition); no button may take it as the default.
    button->setAutoDefault(false);
    button->setDefault(false);
    EnterPressesButton(button);
    return button;
}

} // namespace

TFrmQuerySet::TFrmQuerySet(QWidget* parent, TMemDataSet& dataSet, bool visibleOnly)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), FDataSet(dataSet), FVisibleOnly(visibleOnly),
      FLastRelation(RelationAnd()) {
    BuildControls();
    for (int i = 0; i < FDataSet.FieldCount(); ++i) {
        const TField& field = FDataSet.Fields(i);
        if (!FVisibleOnly || field.Visible) cbxField->addItem(AnsiToQString(field.Label()));
    }
    for (const AnsiString& factor : FilterFactors())
        cbxFactor->addItem(AnsiToQString(factor));
    // Choosing another field starts a new value.
    connect(cbxField, &QComboBox::currentIndexChanged, editValue, &QLineEdit::clear);
}

void TFrmQuerySet::BuildControls() {
    setFixedSize(629, 264);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    gbxGoodsInfo = new QGroupBox(this);
    outer->addWidget(gbxGoodsInfo);

    cbxField = new QComboBox(gbxGoodsInfo);
    cbxFactor = new QComboBox(gbxGoodsInfo);
    editValue = new QLineEdit(gbxGoodsInfo);
    editValue->installEventFilter(this);
    btnAddLogic = MakeButton("加  入(&A)", gbxGoodsInfo);
    btnModifyOK = MakeButton("修改 &M", gbxGoodsInfo);
    btnModifyCancel = MakeButton("取  消", gbxGoodsInfo);
    btnModifyOK->hide();
    btnModifyCancel->hide();

    lvwLogic = new QTreeWidget(gbxGoodsInfo);
    lvwLogic->setColumnCount(4);
    lvwLogic->setHeaderLabels({QString::fromUtf8("字段名称"), QString::fromUtf8("条件"),
                               QString::fromUtf8("值"), QString::fromUtf8("逻辑关系")});
    lvwLogic->setRootIsDecorated(false);
    lvwLogic->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwLogic->setContextMenuPolicy(Qt::CustomContextMenu);
    lvwLogic->header()->setSectionsMovable(false);
    lvwLogic->setColumnWidth(0, 130);
    lvwLogic->setColumnWidth(1, 90);
    lvwLogic->setColumnWidth(2, 150);

    memSQL = new QPlainTextEdit(gbxGoodsInfo);
    memSQL->setReadOnly(true);
    memSQL->setFixedHeight(40);

    btnClearLogic = MakeButton("清  空(&C)", gbxGoodsInfo);
    btnOK = MakeButton("确  定(&O)", gbxGoodsInfo);
    btnHelp = MakeButton("帮  助(&H)", gbxGoodsInfo);
    btnExit = MakeButton("退  出(&X)", gbxGoodsInfo);

    auto* editors = new QHBoxLayout;
    editors->addWidget(new QLabel(QString::fromUtf8("字段名称："), gbxGoodsInfo));
    editors->addWidget(cbxField, 3);
    editors->addWidget(new QLabel(QString::fromUtf8("条件："), gbxGoodsInfo));
    editors->addWidget(cbxFactor, 2);
    editors->addWidget(new QLabel(QString::fromUtf8("值："), gbxGoodsInfo));
    editors->addWidget(editValue, 3);
    editors->addWidget(btnAddLogic);
    editors->addWidget(btnModifyOK);
    editors->addWidget(btnModifyCancel);

    auto* left = new QVBoxLayout;
    left->addWidget(lvwLogic, 1);
    left->addWidget(memSQL);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnClearLogic);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnExit);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(buttons);

    auto* inner = new QVBoxLayout(gbxGoodsInfo);
    inner->setContentsMargins(6, 4, 6, 6);
    inner->addLayout(editors);
    inner->addLayout(body, 1);

    pmnLogic = new QMenu(this);
    mniAddField = pmnLogic->addAction(QString::fromUtf8("加入字段表达式"));
    mniModifyField = pmnLogic->addAction(QString::fromUtf8("修改字段表达式"));
    mniModifyRelation = pmnLogic->addMenu(QString::fromUtf8("修改逻辑表达式"));
    mniRelationOr = mniModifyRelation->addAction(QString::fromUtf8("A 或者 B"));
    mniRelationAnd = mniModifyRelation->addAction(QString::fromUtf8("A 并且 B"));
    mniDelete = pmnLogic->addAction(QString::fromUtf8("删除字段表达式"));

    connect(btnAddLogic, &QPushButton::clicked, this, &TFrmQuerySet::AddLogic);
    connect(editValue, &QLineEdit::returnPressed, this, &TFrmQuerySet::AddLogic);
    connect(btnModifyOK, &QPushButton::clicked, this, &TFrmQuerySet::ModifyOK);
    connect(btnModifyCancel, &QPushButton::clicked, this, &TFrmQuerySet::ModifyCancel);
    connect(btnClearLogic, &QPushButton::clicked, this, &TFrmQuerySet::ClearLogic);
    connect(btnOK, &QPushButton::clicked, this, &TFrmQuerySet::ConfirmFilter);
    connect(btnHelp, &QPushButton::clicked, this, &TFrmQuerySet::ShowHelp);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(mniAddField, &QAction::triggered, this, &TFrmQuerySet::MenuAddField);
    connect(mniModifyField, &QAction::triggered, this, &TFrmQuerySet::MenuModifyField);
    connect(mniRelationOr, &QAction::triggered, this, [this] { MenuSetRelation(RelationOr()); });
    connect(mniRelationAnd, &QAction::triggered, this, [this] { MenuSetRelation(RelationAnd()); });
    connect(mniDelete, &QAction::triggered, this, &TFrmQuerySet::MenuDelete);
    connect(lvwLogic, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PrepareMenu();
        pmnLogic->exec(lvwLogic->viewport()->mapToGlobal(pos));
    });
    auto* test = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F2), this);
    connect(test, &QShortcut::activated, this, &TFrmQuerySet::TestSQL);
}

void TFrmQuerySet::SetTitle(const AnsiString& title) {
    gbxGoodsInfo->setTitle(AnsiToQString(title));
}

void TFrmQuerySet::SetLogic(const TLogicList& lines) {
    EndModify();
    FLogic = lines;
    ShowLogic(-1);
}

int TFrmQuerySet::Selected() const {
    const QList<QTreeWidgetItem*> items = lvwLogic->selectedItems();
    return items.isEmpty() ? -1 : lvwLogic->indexOfTopLevelItem(items.first());
}

void TFrmQuerySet::SetSelected(int index) {
    lvwLogic->clearSelection();
    if (QTreeWidgetItem* item = lvwLogic->topLevelItem(index)) {
        lvwLogic->setCurrentItem(item);
        item->setSelected(true);
    }
}

void TFrmQuerySet::ShowLogic(int select) {
    lvwLogic->clear();
    const QIcon conditionIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon relationIcon = style()->standardIcon(QStyle::SP_ArrowRight);
    for (const TLogicLine& line : FLogic) {
        auto* item = new QTreeWidgetItem(lvwLogic);
        if (line.Kind == TLogicKind::Condition) {
            item->setText(0, AnsiToQString(line.Field));
            item->setText(1, AnsiToQString(line.Factor));
            item->setText(2, AnsiToQString(line.Value));
            item->setIcon(0, conditionIcon);
        } else {
            item->setText(3, AnsiToQString(line.Relation));
            item->setIcon(0, relationIcon);
        }
    }
    SetSelected(select);
}

AnsiString TFrmQuerySet::CurrentField() const {
    return QStringToAnsi(cbxField->currentText());
}

AnsiString TFrmQuerySet::CurrentFactor() const {
    return QStringToAnsi(cbxFactor->currentText());
}

AnsiString TFrmQuerySet::CurrentValue() const {
    return QStringToAnsi(editValue->text());
}

AnsiString TFrmQuerySet::SQLText() const {
    return QStringToAnsi(memSQL->toPlainText());
}

void TFrmQuerySet::AddLogic() {
    if (editValue->text().isEmpty()) {
        Messages().Warning(CP936("请输入一个值。"));
        editValue->setFocus();
        return;
    }
    const TLogicLine line = ConditionLine(CurrentField(), CurrentFactor(), CurrentValue());
    for (std::size_t i = 0; i < FLogic.size(); ++i) {
        if (FLogic[i] != line) continue;
        // The same condition once more on the last line: the user means "that is all".
        if (i + 1 == FLogic.size() && !btnAddLogic->isHidden())
            ConfirmFilter();
        else
            Messages().Information(CP936("该逻辑表达式已经存在。"));
        return;
    }
    if (!FLogic.empty()) {
        const AnsiString other = FLastRelation == RelationOr() ? RelationAnd() : RelationOr();
        const std::vector<AnsiString> choices = {FLastRelation, other};
        const int chosen = Messages().ChoiceBox(CP936("选择框"), CP936("请选择一个逻辑关系："), choices, 0);
        if (chosen < 0 || chosen >= static_cast<int>(choices.size())) return;
        FLastRelation = choices[static_cast<std::size_t>(chosen)];
        FLogic.push_back(RelationLine(FLastRelation));
    }
    FLogic.push_back(line);
    ShowLogic(static_cast<int>(FLogic.size()) - 1);
}

void TFrmQuerySet::LoadEditors(const TLogicLine& line) {
    // The field first: choosing it empties the value.
    cbxField->setCurrentIndex(cbxField->findText(AnsiToQString(line.Field)));
    cbxFactor->setCurrentIndex(cbxFactor->findText(AnsiToQString(line.Factor)));
    editValue->setText(AnsiToQString(line.Value));
}

void TFrmQuerySet::ModifyOK() {
    if (FModifyIndex >= 0 && FModifyIndex < static_cast<int>(FLogic.size()) &&
        FLogic[static_cast<std::size_t>(FModifyIndex)].Kind == TLogicKind::Condition) {
        if (editValue->text().isEmpty()) {
            Messages().Warning(CP936("请输入一个值。"));
            editValue->setFocus();
            return;
        }
        FLogic[static_cast<std::size_t>(FModifyIndex)] =
            ConditionLine(CurrentField(), CurrentFactor(), CurrentValue());
        ShowLogic(FModifyIndex);
    }
    EndModify();
}

void TFrmQuerySet::ModifyCancel() {
    EndModify();
}

void TFrmQuerySet::EndModify() {
    FModifyIndex = -1;
    btnModifyOK->hide();
    btnModifyCancel->hide();
    btnAddLogic->show();
}

void TFrmQuerySet::ClearLogic() {
    EndModify();
    FLogic.clear();
    ShowLogic(-1);
}

void TFrmQuerySet::ShowHelp() {
    Messages().Information(FHelpText);
}

void TFrmQuerySet::BuildSQL() {
    const TFilterBuild build = BuildFilterText(FLogic, FDataSet);
    FExclusionCondition = build.ExclusionCondition;
    FExclusionField = build.ExclusionField;
    memSQL->setPlainText(AnsiToQString(build.Text));
}

void TFrmQuerySet::ConfirmFilter() {
    BuildSQL();
    accept();
}

void TFrmQuerySet::TestSQL() {
    BuildSQL();
    Messages().InputBox(CP936("测试信息"), CP936("查询语句"), SQLText());
}

void TFrmQuerySet::PrepareMenu() {
    const int index = Selected();
    if (index < 0) return;
    const bool relation = FLogic[static_cast<std::size_t>(index)].Kind == TLogicKind::Relation;
    mniModifyRelation->setEnabled(relation);
    mniModifyField->setEnabled(!relation);
}

void TFrmQuerySet::MenuAddField() {
    cbxField->setFocus();
}

void TFrmQuerySet::MenuModifyField() {
    const int index = Selected();
    if (index < 0 || FLogic[static_cast<std::size_t>(index)].Kind != TLogicKind::Condition) {
        Messages().Information(CP936("请选择一个逻辑表达式。"));
        lvwLogic->setFocus();
        return;
    }
    LoadEditors(FLogic[static_cast<std::size_t>(index)]);
    FModifyIndex = index;
    btnModifyOK->show();
    btnModifyCancel->show();
    btnAddLogic->hide();
}

void TFrmQuerySet::MenuSetRelation(const AnsiString& relation) {
    const int index = Selected();
    if (index < 0 || FLogic[static_cast<std::size_t>(index)].Kind != TLogicKind::Relation) return;
    FLogic[static_cast<std::size_t>(index)].Relation = relation;
    ShowLogic(index);
}

void TFrmQuerySet::MenuDelete() {
    const int index = Selected();
    if (index < 0) {
        Messages().Information(CP936("请选择一个逻辑表达式。"));
        return;
    }
    const auto at = FLogic.begin() + index;
    std::size_t first;
    std::size_t count;
    if (at->Kind == TLogicKind::Relation) {
        if (!Messages().Confirm(CP936("删除该逻辑关系，将同时删除与之关联的逻辑表达式。") + "\r\n" +
                                CP936("您确认继续吗？")))
            return;
        first = static_cast<std::size_t>(index); // the relation and the condition after it
        count = 2;
    } else {
        if (!Messages().Confirm(CP936("您确认删除该逻辑表达式吗？"))) return;
        if (index > 0) {
            first = static_cast<std::size_t>(index) - 1; // the relation before it and the condition
            count = 2;
        } else {
            first = 0; // the first condition and the relation after it
            count = 2;
        }
    }
    count = std::min(count, FLogic.size() - first);
    // The editors may hold a line whose position is about to change.
    EndModify();
    FLogic.erase(FLogic.begin() + static_cast<std::ptrdiff_t>(first),
                 FLogic.begin() + static_cast<std::ptrdiff_t>(first + count));
    ShowLogic(-1);
}

bool TFrmQuerySet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editValue && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Up)
        editValue->selectAll();
    return QDialog::eventFilter(watched, event);
}
