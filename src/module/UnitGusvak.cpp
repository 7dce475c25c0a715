// The stocktake gain/loss sheet form. See UnitGusvak.h.
#include "UnitGusvak.h"

#include "FrmHint.h"
#include "GridFilterDialog.h"
#include "GusvakModule.h"
#include "ModuleText.h"
#include "SheetFields.h"
#include "SheetNormalPrint.h"
#include "UnitCondition.h"
#include "UnitChooseDBFields.h"
#include "framework/SharedRoutines.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const PostRight = "030609";

AnsiString FieldText(const TMemDataSet& rows, const char* name) {
    const TField* field = rows.FindField(name);
    return field ? field->AsString() : AnsiString();
}

} // namespace

TFrmGusvak::TFrmGusvak(QWidget* owner) : TFrmBase(owner) {
    setObjectName("FrmGusvak");
    setWindowTitle(AnsiToQString(CP936("盘点损益表")));
    resize(696, 480);
    setFont(ModuleFont("宋体", 12));
    PaintFormColor(*this);
    BuildControls();
    FADS_Main = MakeSheetLines();
    FADS = std::make_unique<TMemDataSet>();
    DefineSheetCopy(*FADS);
    EnsureReportEngine();
    FTemplatePrint = std::make_unique<TSheetTemplatePrint>(*FADS);
    SetupPrintDG(PrintDG, dgdView);
    dgdView->SetDataSet(FADS_Main);
    SetupSheetHelp(RopHelp);
    qApp->installEventFilter(this);
    FormCreate();
}

TFrmGusvak::~TFrmGusvak() {
    // A form destroyed without a close (its host window went away with it) still keeps the
    // clerk's layout.
    if (!FLayoutSaved) GusvakModule::RunGuarded([this] { SaveLayoutOnce(); });
    dgdView->SetDataSet(nullptr);
}

void TFrmGusvak::SaveLayoutOnce() {
    if (FLayoutSaved) return;
    FLayoutSaved = true;
    dgdView->SaveLayout(LayoutFile, LayoutSection, "");
}

void TFrmGusvak::BuildControls() {
    auto* mainLayout = new QVBoxLayout(PanelMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    PanelGusvak = new QFrame(PanelMain);
    PanelGusvak->setObjectName("PanelGusvak");
    mainLayout->addWidget(PanelGusvak);
    auto* layout = new QVBoxLayout(PanelGusvak);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    // Tool bar.
    tbrTools = new QToolBar(PanelGusvak);
    tbrTools->setObjectName("tbrTools");
    tbrTools->setMovable(false);
    tbrTools->setFloatable(false);
    auto addButton = [this](const char* name, const char* caption, void (TFrmGusvak::*click)()) {
        auto* button = new QToolButton(tbrTools);
        button->setObjectName(name);
        button->setText(QString::fromUtf8(caption));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        button->setMinimumSize(43, 35);
        tbrTools->addWidget(button);
        connect(button, &QToolButton::clicked, this,
                [this, click] { GusvakModule::RunGuarded([this, click] { (this->*click)(); }); });
        return button;
    };
    tbnSearch = addButton("tbnSearch", "查  询", &TFrmGusvak::tbnSearchClick);
    tbnZsy = addButton("tbnZsy", "转损益", &TFrmGusvak::tbnZsyClick);
    tbnChoose = addButton("tbnChoose", "选  择", &TFrmGusvak::tbnChooseClick);
    tbnFilter = addButton("tbnFilter", "过  滤", &TFrmGusvak::tbnFilterClick);
    tbrTools->addSeparator();
    auto* printPanel = new QWidget(tbrTools);
    printPanel->setObjectName("PanelPrint");
    auto* printLayout = new QGridLayout(printPanel);
    printLayout->setContentsMargins(2, 0, 2, 0);
    printLayout->setVerticalSpacing(1);
    rdoNormal = new QRadioButton(QStringLiteral("普通打印"), printPanel);
    rdoNormal->setObjectName("rdoNormal");
    rdoMuban = new QRadioButton(QStringLiteral("模板打印"), printPanel);
    rdoMuban->setObjectName("rdoMuban");
    cmbPrint = new QComboBox(printPanel);
    cmbPrint->setObjectName("cmbPrint");
    printLayout->addWidget(rdoNormal, 0, 0);
    printLayout->addWidget(rdoMuban, 0, 1);
    printLayout->addWidget(cmbPrint, 1, 0, 1, 2);
    tbrTools->addWidget(printPanel);
    connect(rdoNormal, &QRadioButton::clicked, this,
            [this] { GusvakModule::RunGuarded([this] { rdoNormalClick(); }); });
    connect(rdoMuban, &QRadioButton::clicked, this,
            [this] { GusvakModule::RunGuarded([this] { rdoMubanClick(); }); });
    tbnPreview = addButton("tbnPreview", "预  览", &TFrmGusvak::tbnPreviewClick);
    tbnPrint = addButton("tbnPrint", "打  印", &TFrmGusvak::tbnPrintClick);
    tbnHelp = addButton("tbnHelp", "助 手", &TFrmGusvak::tbnHelpClick);
    tbrTools->addSeparator();
    tbnExit = addButton("tbnExit", "退  出", &TFrmGusvak::tbnExitClick);
    layout->addWidget(tbrTools);

    // Header fields.
    PanelMaster = new QFrame(PanelGusvak);
    PanelMaster->setObjectName("PanelMaster");
    auto* grid = new QGridLayout(PanelMaster);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    int slot = 0;
    auto addEdit = [&](const char* name, const char* caption) {
        auto* label = new QLabel(QString::fromUtf8(caption), PanelMaster);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* edit = new QLineEdit(PanelMaster);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        const int row = slot / 3, column = (slot % 3) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        ++slot;
        return edit;
    };
    edtDjh = addEdit("edtDjh", "单据号:");
    edtBz = addEdit("edtBz", "备注:");
    edtBmbm = addEdit("edtBmbm", "部门编码:");
    edtBmmc = addEdit("edtBmmc", "部门名称:");
    edtCkbm = addEdit("edtCkbm", "仓库编码:");
    edtCkmc = addEdit("edtCkmc", "仓库名称:");
    edtZdrbm = addEdit("edtZdrbm", "制单人编码:");
    edtZdrmc = addEdit("edtZdrmc", "制单人名称:");
    edtZdrq = addEdit("edtZdrq", "制单日期:");
    edtMnrq = addEdit("edtMnrq", "模拟日期:");
    for (int c : {1, 3, 5})
        grid->setColumnStretch(c, 1);
    layout->addWidget(PanelMaster);

    // The grid of lines.
    dgdView = new TAdvDBGridQx(PanelGusvak);
    dgdView->setObjectName("dgdView");
    dgdView->setFont(font());
    const QFontMetrics fm(font());
    const int digit = fm.horizontalAdvance(QLatin1Char('0'));
    std::vector<TGridColumn> columns;
    for (int index : SheetGridOrder) {
        const TSheetField& def = SheetFields[static_cast<std::size_t>(index)];
        TGridColumn column;
        column.FieldName = def.Name;
        const int chars = def.DisplayWidth > 0 ? def.DisplayWidth : def.IsString ? def.Size : 10;
        const int titleWidth = fm.horizontalAdvance(QString::fromUtf8(def.Label)) + 8;
        column.Width = std::max(chars * digit + 4, titleWidth);
        column.FooterType = def.Footer;
        columns.push_back(column);
    }
    dgdView->SetColumns(std::move(columns));
    dgdView->SetFrozenCols(1);
    dgdView->SetFooterColor(Qt::yellow);
    dgdView->SetTitleColor(QColor(0, 128, 0));
    dgdView->SetTitleFontColor(Qt::white);
    dgdView->SetGridColor(ColorOf(FormColor));
    dgdView->AutoSorted = true;
    dgdView->ShowSumCount = false;
    dgdView->SetCellParams([this](int row, int, QColor& background) { background = LineColor(row); });
    layout->addWidget(dgdView, 1);
}

void TFrmGusvak::FormCreate() {
    ICoorDisp* server = GusvakModule::MainServer.Get();
    // 1, 2: the form's business object and its working context.
    FOrvane = std::make_unique<TOrvaneClass>(server, this);
    FContext.OperatorCode = GusvakModule::OperatorCode;
    AnsiString error;
    if (!FOrvane->LoadContext(FContext, TItemSet{0, 1, 2, 3, 4, 5, 12, 13}, error)) {
        Messages().Error(error);
        // Closing now would free the form inside a later step's message box (its event loop
        // runs deferred deletes); the creator closes it once creation has returned.
        FClosing = true;
        FCloseRequested = true;
    }
    // 3: the condition dialog, without owner.
    FFrmCondition = std::make_unique<TFrmCondition>();
    // 4: the grid layout.
    dgdView->LoadLayout(LayoutFile, LayoutSection, "");
    // 5: the simulated date is the server's current date.
    const AnsiString& today = FContext.CurrentDate;
    const QDate date = QDate::fromString(AnsiToQString(today.substr(0, 4) + "-" +
                                              today.substr(4 < today.size() ? 4 : today.size(), 2) + "-" +
                                              today.substr(6 < today.size() ? 6 : today.size(), 2)),
                                         QStringLiteral("yyyy-M-d"));
    if (date.isValid()) FFrmCondition->dtpMnrq->setDate(date);
    // 6: the stored templates of the sheet.
    FReportList = std::make_shared<TMemDataSet>();
    Value list;
    bool haveTemplates = false;
    if (server && server->GetReportList(CP936("盘点损益表"), list)) {
        FReportList = VariantToRecordset(list);
        cmbPrint->clear();
        if (FReportList && FReportList->Active() && !FReportList->IsEmpty()) {
            haveTemplates = true;
            for (FReportList->First(); !FReportList->Eof(); FReportList->Next())
                cmbPrint->addItem(AnsiToQString(FieldText(*FReportList, "f_reportname")));
            FReportList->First();
        }
    }
    rdoNormal->setChecked(true);
    cmbPrint->setCurrentIndex(-1);
    cmbPrint->setEnabled(false);
    rdoMuban->setEnabled(haveTemplates);
    // 7, 8.
    FFirstShow = true;
    tbnZsy->setEnabled(server && server->CheckRight(GusvakModule::OperatorCode, PostRight));
}

void TFrmGusvak::showEvent(QShowEvent* event) {
    TFrmBase::showEvent(event);
    if (!FFirstShow) return;
    FFirstShow = false;
    // After GetFormOne has returned to the host's loop.
    QTimer::singleShot(0, this, [this] {
        if (!FClosing && isVisible()) GusvakModule::RunGuarded([this] { tbnSearchClick(); });
    });
}

void TFrmGusvak::FormClose() {
    FClosing = true;
    GusvakModule::RunGuarded([this] { SaveLayoutOnce(); });
}

// ---------------------------------------------------------------------------------------------
// Search

void TFrmGusvak::tbnSearchClick() {
    if (FFrmCondition->exec() != QDialog::Accepted) return;
    RunSearch(FFrmCondition->Djh, FFrmCondition->Mnrq);
}

void TFrmGusvak::RunSearch(const AnsiString& djh, const AnsiString& mnrq) {
    ICoorDisp* server = GusvakModule::MainServer.Get();
    if (!server) return;
    TWaitHint hint;
    // Both calls answer in their parameter; a failed one closes the hint before its errors show.
    const auto call = [&](std::int32_t function, Value& param) {
        Value unused;
        if (server->RunServerFunction(function, param, unused)) return true;
        hint.Close();
        ShowServerErrors(this, param, AnsiString());
        return false;
    };

    Value header = Value::String(djh);
    if (!call(ServerFunction::SheetHeader, header)) return;
    const std::shared_ptr<TMemDataSet> head = VariantToRecordset(header);
    head->First();
    edtDjh->setText(AnsiToQString(djh));
    edtBz->setText(AnsiToQString(FieldText(*head, "f_Bz")));
    edtBmbm->setText(AnsiToQString(FieldText(*head, "f_Bmbm")));
    edtBmmc->setText(AnsiToQString(FieldText(*head, "f_Bmmc")));
    edtCkbm->setText(AnsiToQString(FieldText(*head, "f_Ckbm")));
    edtCkmc->setText(AnsiToQString(FieldText(*head, "f_Ckmc")));
    edtZdrbm->setText(AnsiToQString(FieldText(*head, "f_Zdrbm")));
    edtZdrmc->setText(AnsiToQString(FieldText(*head, "f_Zdrmc")));
    edtZdrq->setText(AnsiToQString(FieldText(*head, "f_Zdrq")));
    edtMnrq->setText(AnsiToQString(mnrq));
    FPdrq = QStringToAnsi(edtDjh->text()).substr(0, 8);

    Value lines = Value::String(QStringToAnsi(edtDjh->text()) + "\t" + FPdrq + "\t" + QStringToAnsi(edtMnrq->text()) + "\t" +
                                QStringToAnsi(edtCkbm->text()));
    if (!call(ServerFunction::SheetLines, lines)) return;
    const std::shared_ptr<TMemDataSet> rows = VariantToRecordset(lines);
    hint.Close();
    // The grid is detached while the lines arrive and the print copy is built.
    dgdView->SetDataSet(nullptr);
    ApplySheetFieldDefs(*rows);
    FADS_Main = rows;
    const TField* sysl = FADS_Main->FindField("f_Sysl");
    FSyslIndex = sysl ? sysl->Index() : -1;
    RebuildSheetCopy(*FADS_Main, *FADS);
    dgdView->SetDataSet(FADS_Main);
    ShowLineCount();
}

void TFrmGusvak::ShowLineCount() {
    const auto& lines = dgdView->DataSet();
    const int count = lines && lines->Active() ? lines->RecordCount() : 0;
    dgdView->SetFooter(0, TFooterValueType::StaticText, CP936("合计:") + std::to_string(count) + CP936("条"));
}

QColor TFrmGusvak::RowColor(double sysl) {
    if (sysl < -50) return ColorOf(0x7575FF);
    if (sysl < 50) return ColorOf(0xFFDDDD);
    return ColorOf(0xA2FFFF);
}

QColor TFrmGusvak::LineColor(int row) const {
    const auto& lines = dgdView->DataSet();
    double sysl = 0;
    if (lines && FSyslIndex >= 0 && FSyslIndex < lines->FieldCount() && row < lines->RecordCount()) {
        const Value& v = lines->CellValue(row, FSyslIndex);
        if (v.IsNumeric()) sysl = v.AsFloat();
    }
    return RowColor(sysl);
}

// ---------------------------------------------------------------------------------------------
// Posting

void TFrmGusvak::tbnZsyClick() {
    ICoorDisp* server = GusvakModule::MainServer.Get();
    if (!server) return;
    Value flag;
    const AnsiString djh = QStringToAnsi(edtDjh->text());
    if (server->OpenQuery("Select f_Jzbz From tbDlpdzb Where f_Djh = '" + QuotedSql(Trim(djh)) + "' ",
                          flag)) {
        const std::shared_ptr<TMemDataSet> rows = VariantToRecordset(flag);
        bool open = false;
        if (rows && rows->Active() && !rows->IsEmpty()) {
            rows->First();
            const TField* jzbz = rows->FindField("f_Jzbz");
            open = jzbz && !jzbz->IsNull() && jzbz->AsFloat() == 0;
        }
        if (!open) {
            Messages().ShowMessage(CP936("该单据已结转或已注销"), InformationCaption(), TMsgIcon::Information,
                                   TMsgButtons::OK);
            ResetForm();
            return;
        }
    }
    Value request =
        Value::String(djh + "\t" + FPdrq + "\t" + FContext.OperatorCode + "\t" + FContext.OperatorName);
    if (Messages().ShowMessage(CP936("确定要进行转损益操作?"), CP936("提示"), TMsgIcon::Information,
                               TMsgButtons::OKCancel) != TMsgResult::OK)
        return;
    TWaitHint hint;
    Value unused;
    const bool posted = server->RunServerFunction(ServerFunction::PostGainLoss, request, unused);
    hint.Close();
    if (posted) {
        Messages().ShowMessage(CP936("盘点转损益成功"), InformationCaption(), TMsgIcon::Information,
                               TMsgButtons::OK);
        ResetForm();
    } else {
        Messages().ShowMessage(CP936("盘点转损益失败"), InformationCaption(), TMsgIcon::Information,
                               TMsgButtons::OK);
    }
}

void TFrmGusvak::ResetForm() {
    for (QLineEdit* edit :
         {edtDjh, edtBz, edtBmbm, edtBmmc, edtCkbm, edtCkmc, edtZdrbm, edtZdrmc, edtZdrq, edtMnrq})
        edit->clear();
    dgdView->SetDataSet(nullptr);
    FADS_Main = MakeSheetLines();
    FSyslIndex = -1;
    dgdView->SetDataSet(FADS_Main);
    tbnZsy->setEnabled(false);
    FFrmCondition->Djh.clear();
    FFrmCondition->Mnrq.clear();
}

// ---------------------------------------------------------------------------------------------
// Print mode, other commands and keys

void TFrmGusvak::rdoNormalClick() {
    cmbPrint->setCurrentIndex(-1);
    cmbPrint->setEnabled(false);
    rdoNormal->setChecked(true);
}

void TFrmGusvak::rdoMubanClick() {
    cmbPrint->setEnabled(true);
    if (cmbPrint->count() > 0) cmbPrint->setCurrentIndex(0);
    rdoMuban->setChecked(true);
}

void TFrmGusvak::tbnChooseClick() {
    ChooseColumns(*dgdView);
    // Saved whatever the chooser's answer, so the file always holds the grid as it stands (also
    // widths dragged before a cancelled chooser).
    dgdView->SaveLayout(LayoutFile, LayoutSection, "");
}

void TFrmGusvak::tbnFilterClick() {
    FilterDialog(*dgdView, CP936("盘点损益表"), false);
    // Recounted whatever the result: a filter the data set refused leaves every line showing.
    ShowLineCount();
}

void TFrmGusvak::tbnHelpClick() {
    RopHelp.Execute();
}

bool TFrmGusvak::LinesOpen() const {
    return FADS_Main && FADS_Main->Active();
}

TSheetHeaderTexts TFrmGusvak::HeaderTexts() const {
    TSheetHeaderTexts h;
    h.Djh = QStringToAnsi(edtDjh->text());
    h.Bz = QStringToAnsi(edtBz->text());
    h.Bmbm = QStringToAnsi(edtBmbm->text());
    h.Bmmc = QStringToAnsi(edtBmmc->text());
    h.Ckbm = QStringToAnsi(edtCkbm->text());
    h.Ckmc = QStringToAnsi(edtCkmc->text());
    h.Zdrbm = QStringToAnsi(edtZdrbm->text());
    h.Zdrmc = QStringToAnsi(edtZdrmc->text());
    h.Pdrq = FPdrq;
    h.Zdrq = QStringToAnsi(edtZdrq->text());
    h.Mnrq = QStringToAnsi(edtMnrq->text());
    return h;
}

void TFrmGusvak::tbnPreviewClick() {
    TSheetPrintTarget target;
    target.Kind = TSheetPrintTarget::Preview;
    RunPrint(target);
}

void TFrmGusvak::tbnPrintClick() {
    TSheetPrintTarget target;
    target.Kind = TSheetPrintTarget::Print;
    ConfirmAndPrint(target);
}

void TFrmGusvak::ConfirmAndPrint(TSheetPrintTarget& target) {
    if (!LinesOpen()) return;
    if (Messages().ShowMessage(CP936("请准备好打印机，进行打印!"), CP936("提示"), TMsgIcon::Information,
                               TMsgButtons::OKCancel) != TMsgResult::OK)
        return;
    RunPrint(target);
}

void TFrmGusvak::RunPrint(TSheetPrintTarget& target) {
    if (rdoNormal->isChecked())
        NormalPrint(target);
    else if (rdoMuban->isChecked())
        TemplatePrintTo(target);
}

void TFrmGusvak::NormalPrint(TSheetPrintTarget& target) {
    if (!LinesOpen()) return;
    // The grid's white titles would vanish on paper; the generated report copies the title font.
    // They turn white again however the print ends.
    dgdView->SetTitleFontColor(Qt::black);
    struct TWhiteAgain {
        TAdvDBGridQx* Grid;
        ~TWhiteAgain() { Grid->SetTitleFontColor(Qt::white); }
    } whiteAgain{dgdView};
    SetNormalPrintVariables(FContext.OperatorCode, FContext.CurrentDate, FContext.CurrentDateTime, HeaderTexts());
    PrintDG.PageHeader.Height = 248;
    PrintDG.ShowMasterData = false;
    SendGridReport(PrintDG, target);
}

void TFrmGusvak::TemplatePrintTo(TSheetPrintTarget& target) {
    SetTemplatePrintVariables(HeaderTexts());
    const AnsiString name = QStringToAnsi(cmbPrint->currentText());
    if (Trim(name).empty()) {
        Messages().Error(CP936("未选择报表模板！"));
        return;
    }
    // A name the list does not hold leaves the list on its current record, whose template is used.
    if (FReportList && FReportList->Active())
        FReportList->Locate("f_reportname", {Value::String(name)}, TLocateOptions{true, false});
    const AnsiString hex = FReportList && FReportList->Active() && !FReportList->IsEmpty()
                               ? FieldText(*FReportList, "f_reportinfo")
                               : AnsiString();
    if (!FTemplatePrint->Load(hex)) return;
    SendReport(FTemplatePrint->Rrt(), target);
}

void TFrmGusvak::tbnExitClick() {
    close();
}

bool TFrmGusvak::IsCommandKey(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_F1:
    case Qt::Key_F2:
    case Qt::Key_F3:
    case Qt::Key_F4:
    case Qt::Key_F5:
        return true;
    case Qt::Key_V:
    case Qt::Key_P:
        return (modifiers & Qt::ControlModifier) != 0;
    default:
        return false;
    }
}

void TFrmGusvak::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    switch (key) {
    case Qt::Key_Escape:
        tbnExitClick();
        break;
    case Qt::Key_F1:
        tbnHelpClick();
        break;
    case Qt::Key_F2:
        tbnSearchClick();
        break;
    case Qt::Key_F3: {
        // The key works even when the button is disabled, so it checks the right itself.
        ICoorDisp* server = GusvakModule::MainServer.Get();
        if (server && server->CheckRight(GusvakModule::OperatorCode, PostRight)) tbnZsyClick();
        break;
    }
    case Qt::Key_F4:
        tbnChooseClick();
        break;
    case Qt::Key_F5:
        tbnFilterClick();
        break;
    case Qt::Key_V:
        if (ctrl) tbnPreviewClick();
        break;
    case Qt::Key_P:
        if (ctrl) tbnPrintClick();
        break;
    default:
        break;
    }
}

bool TFrmGusvak::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || FClosing || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // With no focus widget at all (a modal window has just closed), the key goes to the
    // top-level window that holds the form: the form's keys still work then.
    const bool toHostWindow = widget == window() && QApplication::focusWidget() == nullptr;
    if (widget != this && !isAncestorOf(widget) && !toHostWindow) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key();
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (!IsCommandKey(code, modifiers)) return false;
    GusvakModule::RunGuarded([this, code, modifiers] { FormKeyDown(code, modifiers); });
    // A command key is taken where it arrives: otherwise Qt hands the same press to every parent
    // on its way up and each would run the command again (the focus widget cannot tell where the
    // key started: on X11 it is null right after a modal window closes). No control of the form
    // has a use of its own for these keys.
    return true;
}
