// The search condition dialog. See UnitCondition.h.
#include "UnitCondition.h"

#include "ButtonKeys.h"

#include "GusvakModule.h"
#include "ModuleText.h"
#include "framework/SharedRoutines.h"
#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

QLabel* MakeLabel(QWidget* parent, const char* utf8, int x, int y) {
    auto* label = new QLabel(QString::fromUtf8(utf8), parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TFrmCondition::TFrmCondition() : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("FrmCondition");
    setWindowTitle(AnsiToQString(CP936("盘点损益表条件")));
    setFixedSize(265, 113);
    setFont(ModuleFont("宋体", 12));
    PaintFormColor(*this);

    MakeLabel(this, "单据号:", 10, 12);
    edtDjh = new QLineEdit(this);
    edtDjh->setObjectName("edtDjh");
    edtDjh->setGeometry(70, 8, 120, 21);
    // Pasted text obeys the digits-only rule as well as typed text.
    edtDjh->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edtDjh));
    edtDjh->installEventFilter(this);

    MakeLabel(this, "备注:", 10, 44);
    cmbBz = new QComboBox(this);
    cmbBz->setObjectName("cmbBz");
    cmbBz->setEditable(true);
    cmbBz->setGeometry(70, 40, 120, 21);

    MakeLabel(this, "模拟日期:", 10, 76);
    dtpMnrq = new QDateEdit(this);
    dtpMnrq->setObjectName("dtpMnrq");
    dtpMnrq->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    dtpMnrq->setGeometry(70, 72, 120, 21);
    dtpMnrq->setEnabled(false);

    btnOK = new QPushButton(AnsiToQString(CP936("确  定")), this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(198, 8, 60, 25);
    BtnCancel = new QPushButton(AnsiToQString(CP936("取  消")), this);
    BtnCancel->setObjectName("BtnCancel");
    BtnCancel->setGeometry(198, 40, 60, 25);
    btnOK->setAutoDefault(false);
    BtnCancel->setAutoDefault(false);
    EnterPressesButton(btnOK);
    EnterPressesButton(BtnCancel);
    connect(btnOK, &QPushButton::clicked, this,
            [this] { GusvakModule::RunGuarded([this] { btnOKClick(); }); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });

    // Creation: the dialog's own business object and context (it never knows the operator).
    FOrvane = std::make_unique<TOrvaneClass>(GusvakModule::ConditionServer.Get(), this);
    AnsiString error;
    FContextLoaded = FOrvane->LoadContext(FContext, TItemSet{0, 1, 2, 3, 4, 5, 12, 13}, error);
    if (!FContextLoaded) {
        Messages().Error(error);
        close();
    }
    FillRemarks();
}

TFrmCondition::~TFrmCondition() = default;

void TFrmCondition::FillRemarks() {
    ICoorDisp* server = GusvakModule::ConditionServer.Get();
    if (!server) return;
    Value result;
    if (!server->OpenQuery("Select Distinct f_Bz from tbDlpdzb Where f_Jzbz = 0 ", result)) return;
    const std::shared_ptr<TMemDataSet> rows = VariantToRecordset(result);
    if (!rows || !rows->Active()) return;
    const TField* field = rows->FindField("f_Bz");
    if (!field) return;
    for (rows->First(); !rows->Eof(); rows->Next())
        cmbBz->addItem(AnsiToQString(field->AsString()));
    cmbBz->setCurrentIndex(-1);
    cmbBz->setEditText(QString());
}

bool TFrmCondition::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edtDjh) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            GusvakModule::RunGuarded([this] { RunDjhLookup(); });
            return true; // Enter belongs to the look-up, not to a default button
        }
        const QString text = key->text();
        if (!text.isEmpty() && key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Tab &&
            key->key() != Qt::Key_Backtab && key->key() != Qt::Key_Escape) {
            const QChar c = text.at(0);
            if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9'))) return true; // refused
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (!FInLookup) DjhExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmCondition::RunDjhLookup() {
    QPointer<TFrmCondition> self(this);
    // While the look-up runs, the edit losing the focus to the list or to btnOK is not a leave.
    FInLookup = true;
    try {
        FOrvane->PdDjhLookup(Trim(QStringToAnsi(edtDjh->text())), Trim(QStringToAnsi(cmbBz->currentText())), FContext.dybm,
                             AnsiString(), edtDjh, btnOK);
        // The list, when shown, takes the user's choice in this same event loop.
        while (self && FOrvane->LookupListVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    } catch (...) {
        if (self) FInLookup = false;
        throw;
    }
    if (!self) return;
    FInLookup = false;
    Djh = FOrvane->PdDjhResult();
    edtDjh->setText(AnsiToQString(Djh));
}

void TFrmCondition::DjhExit() {
    Djh = FOrvane->PdDjhResult();
    edtDjh->setText(AnsiToQString(Djh));
}

void TFrmCondition::btnOKClick() {
    const AnsiString date = QStringToAnsi(dtpMnrq->date().toString(QStringLiteral("yyyyMMdd")));
    if (Djh.empty()) {
        Messages().ShowMessage(CP936("请先确定单据号"), InformationCaption(), TMsgIcon::None,
                               TMsgButtons::OK);
        return;
    }
    if (Trim(date) < Djh.substr(0, 8)) {
        Messages().ShowMessage(CP936("模拟日期必须大于制单日期"), InformationCaption(), TMsgIcon::None,
                               TMsgButtons::OK);
        return;
    }
    Mnrq = date;
    accept();
}

void TFrmCondition::BtnCancelClick() {
    reject();
}
