// The preview window: tool bar, popup menu, keys, the find dialog, file dialogs, and the window
// and tool bar state kept in the registry file.
#include "VNPreviewForm.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNReport.h"
#include "report/export/VNExportFilter.h"
#include "report/print/VNPrinterList.h"
#include "VNPrintForm.h"

#include "platform/Registry.h"
#include "platform/qt/QtMessageService.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Process-wide: the zoom and magnifier of the last preview, for the next one.
double GLastScale = 1.0;
TVNZoomMode GLastMode = zmFixed;
bool GLastMagnifier = true;
QString GStartupFind, GStartupShot;
std::string GRegistryFile;
// Every preview window alive, top-level or inside an MDI area.
std::vector<TVNPreviewForm*> GForms;

const char* const RegistryRoot = "\\Software\\Quillon\\Valnor\\";
const char* const FormKey = "Form\\TVNPreviewForm";
const char* const ToolBarName = "ToolbarPreviewStand";

std::unique_ptr<TRegistry> OpenRegistry() {
    return std::make_unique<TRegistry>(GRegistryFile.empty() ? DefaultRegistryFile() : GRegistryFile);
}

int ReadInt(TRegistry& reg, const char* name, int def) {
    try {
        return reg.ValueExists(name) ? reg.ReadInteger(name) : def;
    } catch (const ERegistryException&) {
        return def;
    }
}
bool ReadBool(TRegistry& reg, const char* name, bool def) {
    try {
        return reg.ValueExists(name) ? reg.ReadBool(name) : def;
    } catch (const ERegistryException&) {
        return def;
    }
}

// The find dialog: text, case, whole words, and where to start.
class TVNPreviewSearchForm : public QDialog {
public:
    TVNPreviewSearchForm(QWidget* parent, const QString& text, bool caseSensitive, bool wholeWords)
        : QDialog(parent) {
        setObjectName(QStringLiteral("TVNPreviewSearchForm"));
        setWindowTitle(U("查找文本"));
        auto* label = new QLabel(U("待查文本(&F)"));
        Edit = new QLineEdit(text);
        label->setBuddy(Edit);
        Case = new QCheckBox(U("大小写敏感"));
        Case->setChecked(caseSensitive);
        Whole = new QCheckBox(U("全字匹配"));
        Whole->setChecked(wholeWords);
        FromFirst = new QRadioButton(U("首页"));
        FromCurrent = new QRadioButton(U("当前页"));
        FromFirst->setChecked(true);
        auto* starts = new QGroupBox;
        auto* sl = new QVBoxLayout(starts);
        sl->addWidget(FromFirst);
        sl->addWidget(FromCurrent);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        buttons->button(QDialogButtonBox::Ok)->setText(U("确定"));
        buttons->button(QDialogButtonBox::Cancel)->setText(U("取消"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(Edit);
        auto* options = new QHBoxLayout;
        auto* checks = new QVBoxLayout;
        checks->addWidget(Case);
        checks->addWidget(Whole);
        options->addLayout(checks);
        options->addWidget(starts);
        layout->addLayout(options);
        layout->addWidget(buttons);
        Edit->selectAll();
        Edit->setFocus();
    }
    QLineEdit* Edit;
    QCheckBox *Case, *Whole;
    QRadioButton *FromFirst, *FromCurrent;
};

struct TButtonDef {
    const char* Hint;
    int Member; // 0: always shown
    QStyle::StandardPixmap Icon;
    const char* Text; // shown instead of an icon when not null
};

const TButtonDef Buttons[] = {
    {"放大镜", 0, QStyle::SP_FileDialogContentsView, nullptr},
    {"整页", 0, QStyle::SP_CustomBase, "整页"},
    {"100%", 0, QStyle::SP_CustomBase, "100%"},
    {"页面宽度", 0, QStyle::SP_CustomBase, "页宽"},
    {"第一页", 0, QStyle::SP_MediaSkipBackward, nullptr},
    {"上一页", 0, QStyle::SP_MediaSeekBackward, nullptr},
    {"", 0, QStyle::SP_CustomBase, nullptr}, // the page number edit
    {"下一页", 0, QStyle::SP_MediaSeekForward, nullptr},
    {"最后一页", 0, QStyle::SP_MediaSkipForward, nullptr},
    {"查找文本", pbFind, QStyle::SP_FileDialogDetailedView, "查找"},
    {"打开报表", pbLoad, QStyle::SP_DialogOpenButton, nullptr},
    {"保存报表", pbSave, QStyle::SP_DialogSaveButton, nullptr},
    {"超级数据格式转换", pbSuperExp, QStyle::SP_CustomBase, "转换"},
    {"保存为excel格式文件", pbSaveToXLS, QStyle::SP_CustomBase, "Excel"},
    {"打印报表", pbPrint, QStyle::SP_CustomBase, "打印"},
    {"页面设置", pbPageSetup, QStyle::SP_CustomBase, "页面设置"},
    {"修改报表", pbDesign, QStyle::SP_CustomBase, "修改"},
    {"关闭预览", pbExit, QStyle::SP_CustomBase, "关闭"},
};

const char* const ZoomTexts[] = {"200%", "150%", "100%", "75%", "50%", "25%", "10%",
                                 "页面宽度", "整页", "双页", "打印机分辨率"};

} // namespace

TVNPreviewForm::TVNPreviewForm(TVNReport& report, QWidget* parent) : QDialog(parent), FReport(report) {
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    const AnsiString name = !report.ReportInfo.Title.empty() ? report.ReportInfo.Title
                            : !report.FileName.empty()      ? report.FileName
                                                            : AnsiString("Untitled");
    QString shown = AnsiToQString(name);
    if (report.ReportInfo.Title.empty()) shown = QFileInfo(shown).fileName();
    setWindowTitle(report.EMFPages && report.EMFPages->Count() > 0 ? U("预览 - ") + shown : U("预览"));

    // The tool bar docks and floats inside a main window frame filling the dialog.
    FFrame = new QMainWindow(this);
    FFrame->setWindowFlags(Qt::Widget); // a main window always starts as a window of its own
    FPreview = new TVNPreview(FFrame);
    FFrame->setCentralWidget(FPreview);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FFrame);

    BuildToolBar();
    BuildPopup();
    FPreview->OnStatusChange = [this] { StatusChanged(); };
    FPreview->OnPageChanged = [this] {
        if (FPageEdit && !FPageEdit->hasFocus()) FPageEdit->setText(QString::number(FPreview->CurrentPage()));
    };
    FPreview->OnPopup = [this](QPoint at) { FPopup->popup(at); };
    FPreview->DrawPanel()->installEventFilter(this);
    GForms.push_back(this);

    resize(1000, 760);
    FPreview->Connect(&report);
    ApplyButtons();
    // The zoom: a page-width or whole-page start keeps its mode, any other starts where the last
    // preview of the process ended.
    if (report.InitialZoom == pzDefault || report.InitialZoom == pzTwoPages) FPreview->SetZoomState(GLastScale, GLastMode);
    FPreview->SetMagnifier(GLastMagnifier);
    Button(U("放大镜"))->setChecked(GLastMagnifier);
    StatusChanged();
    FPreview->setFocus();
}

TVNPreviewForm::~TVNPreviewForm() {
    GForms.erase(std::remove(GForms.begin(), GForms.end(), this), GForms.end());
    FPreview->OnStatusChange = nullptr;
    FPreview->OnPageChanged = nullptr;
    FPreview->Disconnect();
}

QAction* TVNPreviewForm::Button(const QString& hint) const {
    for (QAction* a : FToolBar->actions())
        if (a->toolTip() == hint && !hint.isEmpty()) return a;
    return nullptr;
}

bool TVNPreviewForm::ButtonShown(const QString& hint) const {
    QAction* a = Button(hint);
    return a && a->isVisible();
}

void TVNPreviewForm::BuildToolBar() {
    FToolBar = new QToolBar(U("预览工具栏"), FFrame);
    FToolBar->setObjectName(ToolBarName);
    FToolBar->setFloatable(true);
    FToolBar->setMovable(true);
    FToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    FFrame->addToolBar(Qt::TopToolBarArea, FToolBar);

    FZoomCombo = new QComboBox;
    FZoomCombo->setEditable(true);
    FZoomCombo->setFixedWidth(90);
    FZoomCombo->setToolTip(U("显示比例"));
    for (const char* t : ZoomTexts) FZoomCombo->addItem(U(t));
    connect(FZoomCombo, &QComboBox::activated, this, [this](int i) { ZoomChosen(FZoomCombo->itemText(i)); });
    connect(FZoomCombo->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { ZoomChosen(FZoomCombo->lineEdit()->text()); });
    FComboAction = FToolBar->addWidget(FZoomCombo);
    FComboAction->setToolTip(U("显示比例"));
    FZoomSeparator = FToolBar->addSeparator();

    auto* zoomGroup = new QActionGroup(this);
    zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const TButtonDef& def : Buttons) {
        const QString hint = U(def.Hint);
        if (hint.isEmpty()) {
            FPageEdit = new QLineEdit;
            FPageEdit->setFixedWidth(40);
            FPageEdit->setAlignment(Qt::AlignCenter);
            connect(FPageEdit, &QLineEdit::returnPressed, this, [this] {
                bool ok = false;
                const int n = FPageEdit->text().trimmed().toInt(&ok);
                if (ok) FPreview->GotoPage(n);
                FPageEdit->setText(QString::number(FPreview->CurrentPage()));
                FPreview->setFocus();
            });
            FToolBar->addWidget(FPageEdit);
            continue;
        }
        QAction* a = FToolBar->addAction(hint);
        a->setToolTip(hint);
        if (def.Text) {
            a->setText(U(def.Text));
            a->setToolTip(hint);
        } else {
            a->setIcon(style()->standardIcon(def.Icon));
        }
        if (def.Text && def.Icon == QStyle::SP_CustomBase)
            if (auto* b = FToolBar->widgetForAction(a)) static_cast<QToolButton*>(b)->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    // Separators between the groups.
    auto separatorAfter = [this](const QString& hint) {
        const QList<QAction*> all = FToolBar->actions();
        QAction* a = Button(hint);
        const int i = int(all.indexOf(a));
        QAction* next = i + 1 < all.size() ? all[i + 1] : nullptr;
        QAction* sep = new QAction(FToolBar);
        sep->setSeparator(true);
        FToolBar->insertAction(next, sep);
        a->setProperty("separator", QVariant::fromValue(static_cast<QObject*>(sep)));
    };
    for (const char* h : {"页面宽度", "最后一页", "查找文本", "页面设置", "修改报表", "关闭预览"}) separatorAfter(U(h));

    QAction* magnifier = Button(U("放大镜"));
    magnifier->setCheckable(true);
    connect(magnifier, &QAction::toggled, this, [this](bool on) {
        FPreview->SetMagnifier(on);
        GLastMagnifier = on;
    });
    for (const char* h : {"整页", "100%", "页面宽度"}) {
        QAction* a = Button(U(h));
        a->setCheckable(true);
        zoomGroup->addAction(a);
    }
    connect(Button(U("整页")), &QAction::triggered, this, [this] { FPreview->OnePage(), RememberZoom(); });
    connect(Button(U("100%")), &QAction::triggered, this, [this] { FPreview->Zoom(100), RememberZoom(); });
    connect(Button(U("页面宽度")), &QAction::triggered, this, [this] { FPreview->PageWidth(), RememberZoom(); });
    connect(Button(U("第一页")), &QAction::triggered, this, [this] { FPreview->First(); });
    connect(Button(U("上一页")), &QAction::triggered, this, [this] { FPreview->Prior(); });
    connect(Button(U("下一页")), &QAction::triggered, this, [this] { FPreview->Next(); });
    connect(Button(U("最后一页")), &QAction::triggered, this, [this] { FPreview->Last(); });
    connect(Button(U("查找文本")), &QAction::triggered, this, [this] { FindCommand(); });
    connect(Button(U("打开报表")), &QAction::triggered, this, [this] { OpenCommand(); });
    connect(Button(U("保存报表")), &QAction::triggered, this, [this] { SaveCommand(); });
    connect(Button(U("超级数据格式转换")), &QAction::triggered, this, [this] { SuperExportCommand(); });
    connect(Button(U("保存为excel格式文件")), &QAction::triggered, this, [this] { SaveToSpreadsheetCommand(); });
    connect(Button(U("关闭预览")), &QAction::triggered, this, [this] { CloseWindow(); });
    // Printing needs an installed printer; page setup pages built from the design (it rebuilds
    // them), which StatusChanged keeps up to date.
    // (Kept apart from the button: a hidden action reads as disabled, and the keys print even
    // when the button is hidden.)
    FCanPrint = VNPrinterList().HasPrinters();
    QAction* printButton = Button(U("打印报表"));
    printButton->setEnabled(FCanPrint);
    connect(printButton, &QAction::triggered, this, [this] { PrintCommand(false); });
    connect(Button(U("页面设置")), &QAction::triggered, this, [this] { PageSetupCommand(); });
    // The designer is not part of this program: its command is never offered.
    Button(U("修改报表"))->setVisible(false);

    // Keys that work whether or not their buttons are shown.
    auto shortcut = [this](QKeySequence key, std::function<void()> fn) {
        auto* s = new QShortcut(key, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, fn] {
            if (FPreview->Report()) fn();
        });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OpenCommand(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveCommand(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { FindCommand(); });
    shortcut(QKeySequence(Qt::Key_F3), [this] { FindNextCommand(); });
    // Printing by key only while the print button is enabled, shown or not.
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
        if (FCanPrint) PrintCommand(false);
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P), [this] {
        if (FCanPrint) PrintCommand(true);
    });
}

void TVNPreviewForm::BuildPopup() {
    FPopup = new QMenu(this);
    auto* group = new QActionGroup(FPopup);
    struct TZoomEntry {
        const char* Text;
        int Tag;
    };
    const TZoomEntry entries[] = {{"200%", 200}, {"150%", 150}, {"100%", 100}, {"75%", 75},   {"50%", 50},
                                  {"25%", 25},   {"10%", 10},   {"页宽(&P)", 1}, {"整页(&W)", 2}, {"双页(&T)", 3}};
    for (const TZoomEntry& e : entries) {
        QAction* a = FPopup->addAction(U(e.Text));
        a->setCheckable(true);
        a->setData(e.Tag);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag = e.Tag] {
            if (tag == 1) FPreview->PageWidth();
            else if (tag == 2) FPreview->OnePage();
            else if (tag == 3) FPreview->TwoPages();
            else FPreview->Zoom(tag);
            RememberZoom();
        });
    }
    QAction* sep = FPopup->addSeparator();
    sep->setObjectName(QStringLiteral("printSeparator"));
    QAction* print = FPopup->addAction(U("打印..."));
    QAction* printPage = FPopup->addAction(U("打印当前页"));
    print->setObjectName(QStringLiteral("print")), printPage->setObjectName(QStringLiteral("printPage"));
    connect(print, &QAction::triggered, this, [this] { PrintCommand(false); });
    connect(printPage, &QAction::triggered, this, [this] { PrintCommand(true); });
    // Page editing opens the report designer, which this program does not have: the entries are
    // there, hidden, as a window without a designer shows them.
    QAction* editSeparator = FPopup->addSeparator();
    editSeparator->setObjectName(QStringLiteral("editSeparator"));
    QMenu* addPage = FPopup->addMenu(U("增加页"));
    addPage->addAction(U("插入新页(之前)"));
    addPage->addAction(U("插入新页(之后)"));
    addPage->addSeparator();
    addPage->addAction(U("追加新页"));
    addPage->menuAction()->setObjectName(QStringLiteral("addPage"));
    FPopup->addAction(U("删除页..."))->setObjectName(QStringLiteral("deletePage"));
    FPopup->addAction(U("编辑页..."))->setObjectName(QStringLiteral("editPage"));
    for (QAction* a : FPopup->actions())
        if (a == editSeparator || (a->objectName().endsWith(QLatin1String("Page")) && a->objectName() != QLatin1String("printPage")))
            a->setVisible(false);
    connect(FPopup, &QMenu::aboutToShow, this, [this] {
        const int index = FZoomCombo->currentIndex();
        const QList<QAction*> all = FPopup->actions();
        const int checked = index >= 0 && index < 10 ? index : 2;
        for (int i = 0; i < 10; ++i) all[i]->setChecked(i == checked);
        const bool printOn = FCanPrint;
        for (QAction* a : all)
            if (a->objectName() == QLatin1String("print") || a->objectName() == QLatin1String("printPage"))
                a->setEnabled(printOn);
    });
}

void TVNPreviewForm::ApplyButtons() {
    const int set = FReport.PreviewButtons;
    for (const TButtonDef& def : Buttons) {
        if (def.Member == 0 || !*def.Hint) continue;
        QAction* a = Button(U(def.Hint));
        a->setVisible((set & def.Member) != 0 && def.Member != pbDesign);
    }
    FComboAction->setVisible((set & pbZoom) != 0);
    FZoomSeparator->setVisible((set & pbZoom) != 0);
    auto sepOf = [this](const char* hint) {
        return qobject_cast<QAction*>(Button(U(hint))->property("separator").value<QObject*>());
    };
    sepOf("查找文本")->setVisible(ButtonShown(U("查找文本")));
    sepOf("页面设置")->setVisible((set & (pbLoad | pbSave | pbPrint | pbPageSetup | pbSaveToXLS)) != 0);
    sepOf("修改报表")->setVisible(ButtonShown(U("修改报表")));
    sepOf("关闭预览")->setVisible(false); // nothing follows the last button
    const bool printShown = ButtonShown(U("打印报表"));
    for (QAction* a : FPopup->actions())
        if (a->objectName() == QLatin1String("print") || a->objectName() == QLatin1String("printPage") ||
            a->objectName() == QLatin1String("printSeparator"))
            a->setVisible(printShown);
}

void TVNPreviewForm::StatusChanged() {
    if (FInStatus) return;
    FInStatus = true;
    const TVNZoomMode mode = FPreview->ZoomMode();
    const int percent = int(std::lround(FPreview->Scale() * 100));
    QAction* width = Button(U("页面宽度"));
    QAction* whole = Button(U("整页"));
    QAction* hundred = Button(U("100%"));
    width->setChecked(mode == zmPageWidth);
    whole->setChecked(mode == zmOnePage);
    hundred->setChecked(mode != zmPageWidth && mode != zmOnePage && percent == 100);
    QString text = width->isChecked()     ? U("页面宽度")
                   : whole->isChecked()   ? U("整页")
                   : hundred->isChecked() ? U("100%")
                   : mode == zmPrinter    ? U("打印机分辨率")
                                          : QString::number(percent) + QLatin1Char('%');
    FZoomCombo->setCurrentIndex(FZoomCombo->findText(text));
    FZoomCombo->setEditText(text);
    FPageEdit->setText(QString::number(FPreview->CurrentPage()));
    // Pages opened from a file have no design to rebuild.
    Button(U("页面设置"))->setEnabled(FPreview->CanPageSetup());
    FInStatus = false;
}

void TVNPreviewForm::ZoomChosen(const QString& chosen) {
    const QString t = chosen.trimmed();
    if (t == U("页面宽度")) FPreview->PageWidth();
    else if (t == U("整页")) FPreview->OnePage();
    else if (t == U("双页")) FPreview->TwoPages();
    else if (t == U("打印机分辨率")) FPreview->PrinterZoom();
    else {
        QString digits = t;
        digits.remove(QLatin1Char('%'));
        bool ok = false;
        const int percent = digits.trimmed().toInt(&ok);
        FPreview->Zoom(ok && percent > 0 ? percent : 100);
    }
    RememberZoom();
    FPreview->setFocus();
}

void TVNPreviewForm::RememberZoom() {
    GLastScale = FPreview->Scale();
    GLastMode = FPreview->ZoomMode();
}

// ---- commands ------------------------------------------------------------------------------------

void TVNPreviewForm::FindCommand() {
    TVNPreviewSearchForm dialog(this, FPreview->SearchText(), FPreview->SearchCase(), FPreview->SearchWholeWords());
    if (dialog.exec() != QDialog::Accepted || dialog.Edit->text().isEmpty()) return;
    FPreview->Find(dialog.Edit->text(), dialog.Case->isChecked(), dialog.Whole->isChecked(),
                   dialog.FromFirst->isChecked());
}

void TVNPreviewForm::PrintCommand(bool currentPageOnly) {
    const int page = FPreview->CurrentPage();
    if (currentPageOnly) PrintCurrentPage(FReport, page);
    else PrintBuiltReportDlg(FReport, page, this);
    FPreview->Relayout(); // the pages were read for printing; show them again
}

void TVNPreviewForm::PageSetupCommand() {
    if (FPreview->PageSetup()) RememberZoom();
}

void TVNPreviewForm::FindNextCommand() {
    if (FPreview->HasSearchText()) FPreview->FindNext();
}

void TVNPreviewForm::OpenCommand() {
    const QStringList files = QFileDialog::getOpenFileNames(this, QString(), QString::fromStdString(FPreview->InitialDir),
                                                            U("Report 文件 (*.vnp)"));
    if (files.isEmpty()) return;
    std::vector<std::string> names;
    for (const QString& f : files) names.push_back(QFile::encodeName(f).toStdString());
    FPreview->OpenReportFiles(names);
}

void TVNPreviewForm::SaveCommand() {
    QStringList filters{U("Report 文件 (*.vnp)")};
    for (int i = 0; i < ExportFilterCount(); ++i) {
        const TVNExportFilterInfo& f = ExportFilter(i);
        QString d = AnsiToQString(f.Description);
        if (!d.contains(QLatin1Char('('))) d += QStringLiteral(" (") + QString::fromStdString(f.Mask) + QLatin1Char(')');
        filters << d;
    }
    QFileDialog dialog(this, QString(), QString::fromStdString(FPreview->InitialDir));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const int index = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    FPreview->SaveReportAs(QFile::encodeName(dialog.selectedFiles().first()).toStdString(), std::max(1, index));
}

void TVNPreviewForm::SaveToSpreadsheetCommand() {
    for (int i = 0; i < ExportFilterCount(); ++i) {
        TVNExportFilter& filter = *ExportFilter(i).Filter;
        if (!filter.IsSpreadsheet) continue;
        if (filter.ShowModal() != 1) return;
        // The options were chosen in that dialog: export without showing it again.
        const bool shown = filter.ShowDialog;
        filter.ShowDialog = false;
        FPreview->ExportReport(filter, filter.FileName);
        filter.ShowDialog = shown;
        return;
    }
}

void TVNPreviewForm::SuperExportCommand() {
    QDialog dialog(this);
    dialog.setWindowTitle(U("数据转换"));
    auto* note = new QPlainTextEdit(U("按照原始数据来源，并不是按预览的效果转换为另外的格\n式。将排除横向换页等因素。"));
    note->setReadOnly(true);
    note->setFixedHeight(50);
    auto* group = new QGroupBox(U("转换为标准CSV格式"));
    auto* path = new QLineEdit;
    auto* browse = new QPushButton(QStringLiteral("..."));
    connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString f = QFileDialog::getSaveFileName(&dialog, QString(), path->text(), U("excel file(*.CSV)"));
        if (!f.isEmpty()) path->setText(f);
    });
    auto* row = new QHBoxLayout(group);
    row->addWidget(new QLabel(U("导出路径")));
    row->addWidget(path, 1);
    row->addWidget(browse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(note);
    layout->addWidget(group);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString target = path->text().trimmed();
    if (target.isEmpty()) {
        QMessageBox::critical(this, U("转换失败"), U("目标路径非法。"));
        return;
    }
    const QString source = QDir::tempPath() + QStringLiteral("/~superfile.tmp");
    QFile::remove(target);
    if (!QFile::copy(source, target))
        QMessageBox::critical(this, U("转换失败"),
                              U("错误原因1：目标文件属性不可以为只读。\r\n错误原因2：转换的源文件来原非数据集，\r\n"
                                "                    请用普通的导出功能。\r\n错误原因3：源文件数据集记录数为空。\r\n"
                                "错误原因3：目标路径输入格式非法。"));
}

bool TVNPreviewForm::HandleKey(QKeyEvent* e) {
    if (!FPreview->Report()) return false;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    QScrollBar* v = FPreview->VScroll();
    QScrollBar* h = FPreview->HScroll();
    switch (e->key()) {
    case Qt::Key_Up: FPreview->ScrollBy(0, -v->singleStep()); return true;
    case Qt::Key_Down: FPreview->ScrollBy(0, v->singleStep()); return true;
    case Qt::Key_Left: FPreview->ScrollBy(-h->singleStep(), 0); return true;
    case Qt::Key_Right: FPreview->ScrollBy(h->singleStep(), 0); return true;
    case Qt::Key_PageUp:
        if (ctrl) FPreview->Prior();
        else FPreview->ScrollBy(0, -v->pageStep());
        return true;
    case Qt::Key_PageDown:
        if (ctrl) FPreview->Next();
        else FPreview->ScrollBy(0, v->pageStep());
        return true;
    case Qt::Key_Home:
        if (!ctrl) return false;
        FPreview->First();
        return true;
    case Qt::Key_End:
        if (!ctrl) return false;
        FPreview->Last();
        return true;
    default: return ctrl; // every other key with Ctrl is consumed
    }
}

bool TVNPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return QDialog::eventFilter(watched, event);
}

// ---- window state --------------------------------------------------------------------------------

void TVNPreviewForm::RestoreState() {
    if (FStateRestored) return;
    FStateRestored = true;
    if (InMdiArea()) return; // an MDI child takes the place its area gives it
    auto reg = OpenRegistry();
    if (reg->OpenKeyReadOnly(std::string(RegistryRoot) + FormKey)) {
        const QRect g = geometry();
        setGeometry(ReadInt(*reg, "XPosition", g.x()), ReadInt(*reg, "YPosition", g.y()), ReadInt(*reg, "Width", g.width()),
                    ReadInt(*reg, "Height", g.height()));
        if (ReadBool(*reg, "Maximized", true)) setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    reg = OpenRegistry();
    if (reg->OpenKeyReadOnly(std::string(RegistryRoot) + "ToolBar\\" + ToolBarName)) {
        const int x = ReadInt(*reg, "XPosition", 0), y = ReadInt(*reg, "YPosition", 0);
        const int w = ReadInt(*reg, "Width", FToolBar->width()), hgt = ReadInt(*reg, "Height", FToolBar->height());
        const bool docked = ReadBool(*reg, "Docked", true);
        if (docked) {
            const bool bottom = reg->ReadString("DockName") == "Dock972";
            FFrame->addToolBar(bottom ? Qt::BottomToolBarArea : Qt::TopToolBarArea, FToolBar);
        } else {
            FToolBar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
            FToolBar->setGeometry(x, y, w, hgt);
        }
        FToolBar->setVisible(ReadBool(*reg, "isVisible", true));
    }
}

void TVNPreviewForm::SaveState() {
    if (FStateSaved) return;
    FStateSaved = true;
    if (InMdiArea()) return;
    try {
        auto reg = OpenRegistry();
        if (reg->OpenKey(std::string(RegistryRoot) + FormKey, true)) {
            const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
            reg->WriteInteger("Width", g.width());
            reg->WriteInteger("Height", g.height());
            reg->WriteInteger("YPosition", g.y());
            reg->WriteInteger("XPosition", g.x());
            reg->WriteBool("Maximized", isMaximized());
        }
        reg = OpenRegistry();
        if (reg->OpenKey(std::string(RegistryRoot) + "ToolBar\\" + ToolBarName, true)) {
            const bool floating = FToolBar->isFloating() || FToolBar->isWindow();
            reg->WriteBool("isVisible", !FToolBar->isHidden());
            const QRect g = floating ? FToolBar->geometry() : FToolBar->geometry();
            reg->WriteInteger("XPosition", g.x());
            reg->WriteInteger("YPosition", floating ? g.y() : 0);
            reg->WriteInteger("Width", g.width());
            reg->WriteInteger("Height", g.height());
            const bool bottom = FFrame->toolBarArea(FToolBar) == Qt::BottomToolBarArea;
            reg->WriteString("DockName", floating ? "" : (bottom ? "Dock972" : "Dock971"));
            reg->WriteBool("Docked", !floating);
        }
    } catch (const std::exception&) {
        // A store that cannot be written only loses the window's place; the preview closes anyway.
    }
}

void TVNPreviewForm::showEvent(QShowEvent* event) {
    RestoreState();
    QDialog::showEvent(event);
    if (!GStartupFind.isEmpty() || !GStartupShot.isEmpty()) QTimer::singleShot(0, this, [this] { RunStartup(); });
}

void TVNPreviewForm::RunStartup() {
    const QString find = GStartupFind, shot = GStartupShot;
    GStartupFind.clear(), GStartupShot.clear();
    QApplication::processEvents(); // the window's final size first: a new layout scrolls to the page top
    if (!find.isEmpty()) FPreview->Find(find, false, false, true);
    if (shot.isEmpty()) return;
    QApplication::processEvents();
    grab().save(shot);
    CloseWindow();
}

void TVNPreviewForm::closeEvent(QCloseEvent* event) {
    SaveState();
    QDialog::closeEvent(event);
}

void TVNPreviewForm::done(int result) {
    SaveState(); // Escape ends the dialog without a close event
    QDialog::done(result);
    // Inside an MDI area the frame around the window goes with it.
    if (QMdiSubWindow* frame = InMdiArea()) frame->close();
}

QMdiSubWindow* TVNPreviewForm::InMdiArea() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

void TVNPreviewForm::CloseWindow() {
    if (QMdiSubWindow* frame = InMdiArea()) frame->close();
    else close();
}

namespace {
// The MDI area of the application's main window, or nullptr.
QMdiArea* ApplicationMdiArea() {
    QList<QWidget*> candidates{QApplication::activeWindow()};
    candidates += QApplication::topLevelWidgets();
    for (QWidget* w : candidates)
        if (auto* main = qobject_cast<QMainWindow*>(w))
            if (auto* area = qobject_cast<QMdiArea*>(main->centralWidget())) return area;
    return nullptr;
}
} // namespace

// ---- showing -------------------------------------------------------------------------------------

void TVNPreviewForm::Preview(TVNReport& report) {
    if (report.ModalPreview && !report.MDIPreview) {
        TVNPreviewForm form(report);
        form.exec();
    } else if (QMdiArea* area = report.MDIPreview ? ApplicationMdiArea() : nullptr) {
        auto* form = new TVNPreviewForm(report);
        QMdiSubWindow* frame = area->addSubWindow(form);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowTitle(form->windowTitle());
        frame->showNormal();
    } else {
        // Non-modal, or an MDI preview in an application without an MDI area: a window of its own.
        auto* form = new TVNPreviewForm(report);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    }
}

void TVNPreviewForm::CloseFor(TVNReport& report) {
    // Deleted here, not later: the preview releases its pages in its destructor, and they are
    // freed with the report right after this returns. A modal preview cannot be open here: it
    // returns before its caller can free the report.
    // The forms are gathered first: a form's popup menu is a top-level widget of its own and goes
    // with the form.
    std::vector<QWidget*> doomed;
    for (TVNPreviewForm* form : GForms)
        if (&form->FReport == &report && !form->isModal()) doomed.push_back(form->InMdiArea() ? form->parentWidget() : form);
    for (QWidget* w : doomed) delete w;
}

void TVNPreviewForm::SetStartup(const QString& findText, const QString& screenshotFile) {
    GStartupFind = findText;
    GStartupShot = screenshotFile;
}

void TVNPreviewForm::SetRegistryFile(const std::string& file) { GRegistryFile = file; }

void TVNPreviewForm::ResetCarriedState() {
    GLastScale = 1.0;
    GLastMode = zmFixed;
    GLastMagnifier = true;
}
