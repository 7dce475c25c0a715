// The host's main window (see HostWindow.h).
#include "HostWindow.h"

#include "HostServer.h"
#include "coordisp/PrintAutomation.h"
#include "platform/qt/HostMessageEvent.h"
#include "platform/AtomicFile.h"
#include "platform/MemDataSet.h"
#include "platform/MessageService.h"
#include "platform/qt/QtMessageService.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <dlfcn.h>
#include <iostream>
#include <stdexcept>

// The control the module notifies: it receives 0x404 when the module's form closes.
class THostWindow::TNotifyControl : public QWidget {
public:
    explicit TNotifyControl(THostWindow* owner) : QWidget(owner), FOwner(owner) { hide(); }

protected:
    bool event(QEvent* e) override {
        if (e->type() == HostMessageEventType(HostMsgModuleClosed)) {
            FOwner->OnModuleClosed();
            return true;
        }
        return QWidget::event(e);
    }

private:
    THostWindow* FOwner;
};

namespace {
QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

THostWindow::THostWindow(TCoorDispRef server, THostWindowOptions options)
    : FServer(std::move(server)), FOptions(std::move(options)) {
    setWindowTitle(U("零售连锁管理系统"));
    resize(1000, 680);
    FPanel = new QWidget(this);
    FPanel->setObjectName("PanelHost");
    FPanel->setMinimumSize(688, 450);
    FPanel->installEventFilter(this);
    setCentralWidget(FPanel);
    FNotify = new TNotifyControl(this);

    QMenu* file = menuBar()->addMenu(U("系统(&S)"));
    file->addAction(U("退出(&X)"), this, &QWidget::close);
    QMenu* stock = menuBar()->addMenu(U("库存管理(&K)"));
    FOpenAction = stock->addAction(U("盘点损益表"), this, [this] { OpenModule(); });

    FStatus = new QLabel(this);
    statusBar()->addWidget(FStatus, 1);
    FStatus->setText(U("操作员: ") + QString::fromStdString(FOptions.OperatorCode) + U("    数据库: ") +
                     QString::fromStdString(FOptions.DatabaseLabel));

    THostServer::Of(FServer).SetCallObserver(
        [this](std::int32_t dispId, const std::vector<TDispArg>& args, const Value& result) {
            std::int32_t function = 0;
            if (dispId == CoorDispId::RunServerFunction && !args.empty())
                function = static_cast<std::int32_t>(args[0].Get().AsInteger());
            OnServerCall(dispId, function, ICoorDisp::Succeeded(result));
        });
}

THostWindow::~THostWindow() {
    THostServer::Of(FServer).SetCallObserver(nullptr);
    // The library stays loaded: the module's code may still run while Qt tears widgets down.
}

bool THostWindow::LoadModule(QString& error) {
    if (FGetFormOne) return true;
    QStringList candidates;
    if (const char* env = std::getenv("GUSVAK_MODULE"); env && *env)
        candidates << QString::fromLocal8Bit(env);
    const QString exeDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    candidates << exeDir + "/libgusvak.so" << QDir::cleanPath(exeDir + "/../module/libgusvak.so")
               << QDir::cleanPath(exeDir + "/../lib/libgusvak.so");
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path)) continue;
        FLibrary = dlopen(QFile::encodeName(QDir::cleanPath(path)).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!FLibrary) {
            error = U("无法装入模块 ") + path + "\n" + QString::fromLocal8Bit(dlerror());
            return false;
        }
        FGetFormOne = reinterpret_cast<TGetFormOneProc>(dlsym(FLibrary, GetFormOneSymbol));
        if (!FGetFormOne) {
            error = U("模块 ") + path + U(" 没有入口 GetFormOne");
            return false;
        }
        return true;
    }
    error = U("找不到盘点损益表模块 libgusvak.so（已查找：") + candidates.join(U("，")) +
            U("）。可用环境变量 GUSVAK_MODULE 指定模块文件。");
    return false;
}

void THostWindow::ShowProblem(const QString& text) {
    FStatus->setText(text);
    if (!FOptions.Unattended())
        Messages().Error(QStringToAnsi(text));
    else
        std::cerr << "retailhost: " << text.toStdString() << "\n";
}

void THostWindow::OpenModule() {
    for (const auto& form : FModuleForms)
        if (form) {
            form->raise();
            return;
        }
    QString error;
    if (!LoadModule(error)) {
        ShowProblem(error);
        if (!FOptions.ScreenshotFile.empty()) TakeScreenshotAndFinish();
        if (FOptions.Print.Requested) CloseModuleAndExit(1);
        return;
    }
    const QList<QWidget*> before = FPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    const AnsiString code = Utf8ToAnsi(FOptions.OperatorCode).substr(0, 255);
    unsigned char shortString[256] = {};
    shortString[0] = static_cast<unsigned char>(code.size());
    std::copy(code.begin(), code.end(), shortString + 1);
    FGetFormOne(0, FNotify, shortString, FPanel, FServer.Get());
    FModuleForms.clear();
    for (QWidget* w : FPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!before.contains(w)) FModuleForms << w;
    FOpenAction->setEnabled(FModuleForms.isEmpty());
    SendResize();
}

bool THostWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FPanel && event->type() == QEvent::Resize) SendResize();
    return QMainWindow::eventFilter(watched, event);
}

void THostWindow::closeEvent(QCloseEvent* event) {
    // The host closes its module forms before it goes, as a user's close of each would: each
    // saves its layout and reports back.
    for (const auto& form : FModuleForms)
        if (form && !form->close()) {
            event->ignore();
            return;
        }
    QMainWindow::closeEvent(event);
}

void THostWindow::SendResize() {
    for (const auto& form : FModuleForms) {
        if (!form) continue;
        THostMessageEvent e(HostMsgResize, FPanel->height(), FPanel->width());
        QCoreApplication::sendEvent(form, &e);
    }
}

void THostWindow::OnModuleClosed() {
    FModuleForms.clear(); // the module frees its own form
    FOpenAction->setEnabled(true);
    if (FOptions.Print.Requested && !FPrintDone) {
        std::cerr << "retailhost: the module closed before the sheet was printed\n";
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
    } else if (!FOptions.ScreenshotFile.empty()) {
        // The module closing before its screenshot (it failed to start) fails the run.
        const int rc = FScreenshotTaken ? 0 : 1;
        if (rc) std::cerr << "retailhost: the module closed before the screenshot was taken\n";
        QTimer::singleShot(0, qApp, [rc] { QCoreApplication::exit(rc); });
    }
}

void THostWindow::OnServerCall(std::int32_t dispId, std::int32_t function, bool ok) {
    // The condition dialog opens right after the module has read its template list and rights;
    // poll for it once the module is talking to us.
    if (dispId == CoorDispId::CheckRight && !FDialogAnswered && (!FOptions.Sheet.empty() || FOptions.Unattended()))
        QTimer::singleShot(50, this, [this] { AnswerConditionDialog(); });
    if (dispId == CoorDispId::RunServerFunction && function == ServerFunction::SheetLines && ok &&
        !FOptions.ScreenshotFile.empty() && !FScreenshotScheduled) {
        FScreenshotScheduled = true;
        QTimer::singleShot(std::max(FOptions.ScreenshotAfterMs, 300), this,
                           [this] { TakeScreenshotAndFinish(); });
    }
    if (dispId == CoorDispId::RunServerFunction && function == ServerFunction::SheetLines &&
        FOptions.Print.Requested && !FPrintScheduled) {
        FPrintScheduled = true;
        // After the search has returned to the loop and the form shows the lines.
        QTimer::singleShot(0, this, [this, ok] { ok ? PrintAndFinish() : CloseModuleAndExit(1); });
    }
}

void THostWindow::AnswerConditionDialog() {
    if (FDialogAnswered) return;
    QWidget* dialog = QApplication::activeModalWidget();
    QLineEdit* edit = dialog ? dialog->findChild<QLineEdit*>("edtDjh") : nullptr;
    QAbstractButton* ok = dialog ? dialog->findChild<QAbstractButton*>("btnOK") : nullptr;
    if (!edit || !ok) {
        QTimer::singleShot(100, this, [this] { AnswerConditionDialog(); });
        return;
    }
    FDialogAnswered = true;
    std::string sheet = FOptions.Sheet;
    if (sheet.empty()) {
        Value r;
        if (FServer->OpenQuery("Select Top 1 f_Djh from tbDlpdzb where f_Jzbz = 0 order by f_Djh", r) &&
            r.IsRecordSet() && !r.AsRecordSet()->IsEmpty())
            sheet = AnsiToUtf8(r.AsRecordSet()->CellValue(0, 0).AsString());
    }
    // Type the number and press Enter as a clerk would: the dialog's look-up finds exactly this
    // sheet and moves on to OK; the simulated date is already the server's date.
    edit->setFocus();
    edit->setText(QString::fromStdString(sheet));
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, "\r");
        QCoreApplication::sendEvent(edit, &key);
    }
    QTimer::singleShot(100, ok, [ok] { ok->click(); });
}

void THostWindow::TakeScreenshotAndFinish() {
    const QString file = QString::fromStdString(FOptions.ScreenshotFile);
    auto finish = [this, file] {
        FScreenshotTaken = true;
        // Complete or absent: a full disk must not leave a truncated picture, and it fails the run.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        try {
            if (!this->grab().save(&buffer, "PNG")) throw std::runtime_error("无法生成PNG图片");
            AtomicWriteFile(file.toStdString(), std::string_view(png.constData(), std::size_t(png.size())));
        } catch (const std::exception& e) {
            Messages().Error(Utf8ToAnsi("无法保存截图 " + file.toStdString() + "：" + e.what()));
        }
        bool closing = false;
        for (const auto& form : FModuleForms)
            if (form) {
                closing = true;
                form->close(); // the module saves its layout and reports 0x404
            }
        // Without a module, or if it never reports back, leave anyway.
        QTimer::singleShot(closing ? 3000 : 0, qApp, &QCoreApplication::quit);
    };
    if (FModuleForms.isEmpty() && !FScreenshotScheduled) {
        FScreenshotScheduled = true;
        QTimer::singleShot(std::max(FOptions.ScreenshotAfterMs, 100), this, finish);
    } else {
        finish();
    }
}

void THostWindow::PrintAndFinish() {
    const THostPrintOptions& p = FOptions.Print;
    auto print = reinterpret_cast<TPrintSheetProc>(FLibrary ? dlsym(FLibrary, PrintSheetSymbol) : nullptr);
    if (!print) {
        std::cerr << "retailhost: the module has no print entry " << PrintSheetSymbol << "\n";
        CloseModuleAndExit(1);
        return;
    }
    std::vector<const char*> options;
    for (const std::string& o : p.ExportOptions) options.push_back(o.c_str());
    options.push_back(nullptr);
    TSheetPrintRequest request{};
    request.Mode = p.TemplateMode ? SheetPrintTemplate : SheetPrintNormal;
    request.TemplateName = p.TemplateName.c_str();
    request.Action = p.ToPrinter                    ? SheetPrintToPrinter
                     : !p.PreviewScreenshot.empty() ? SheetPrintPreviewScreenshot
                                                    : SheetPrintExport;
    request.Format = p.ExportFormat.c_str();
    request.FileName = request.Action == SheetPrintPreviewScreenshot ? p.PreviewScreenshot.c_str() : p.ExportFile.c_str();
    request.Options = options.data();
    int pages = 0;
    char error[1024] = {};
    const int rc = print(&request, &pages, error, sizeof error);
    FPrintDone = true;
    if (rc == 0) {
        std::cout << "pages: " << pages << "\n";
        if (request.Action != SheetPrintToPrinter) std::cout << "written: " << request.FileName << "\n";
    } else {
        std::cerr << "retailhost: " << error << "\n";
    }
    CloseModuleAndExit(rc == 0 ? 0 : 1);
}

void THostWindow::CloseModuleAndExit(int rc) {
    FPrintDone = true;
    // The module saves its layout and reports 0x404 as at any close; then the run ends.
    for (const auto& form : FModuleForms)
        if (form) form->close();
    QTimer::singleShot(0, qApp, [rc] { QCoreApplication::exit(rc); });
}
