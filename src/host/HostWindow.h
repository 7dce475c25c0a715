// The host's main window: a menu entry "盘点损益表" that loads the module (libgusvak.so) the way
// the host loads any plug-in, and an embedding panel the module's form lives in.
//
// The window hands the module its notify control, the operator code, the panel and the server
// (GetFormOne), tells the module's form the panel's size with message 0x402 whenever it changes,
// and forgets the form when the module reports 0x404. For unattended runs it can answer the
// module's first condition dialog with a given sheet and grab a screenshot once the first search
// result is shown.
#pragma once

#include "coordisp/CoorDisp.h"

#include <QMainWindow>
#include <QPointer>
#include <string>
#include <vector>

class QLabel;

// A scripted print of the sheet once it is shown (the module's print entry does the work).
struct THostPrintOptions {
    bool Requested = false;
    bool TemplateMode = false;    // --print-mode template (else normal)
    std::string TemplateName;     // --template
    std::string ExportFormat;     // --export FORMAT:FILE
    std::string ExportFile;
    std::vector<std::string> ExportOptions; // --option NAME=VALUE
    bool ToPrinter = false;       // --print
    std::string PreviewScreenshot; // --preview-screenshot FILE
};

struct THostWindowOptions {
    std::string OperatorCode = "0001";
    std::string Sheet;          // answers the first condition dialog (empty: none)
    std::string ScreenshotFile; // non-empty: unattended run that grabs the window and exits
    int ScreenshotAfterMs = 0;
    std::string DatabaseLabel; // shown in the status bar
    THostPrintOptions Print;
    // A run nobody watches: a screenshot or a scripted print.
    bool Unattended() const { return !ScreenshotFile.empty() || Print.Requested; }
};

class THostWindow : public QMainWindow {
public:
    THostWindow(TCoorDispRef server, THostWindowOptions options);
    ~THostWindow() override;

    // Opens the stocktake module in the panel (the menu entry's action).
    void OpenModule();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class TNotifyControl;

    bool LoadModule(QString& error);
    void SendResize();
    void OnModuleClosed();
    void OnServerCall(std::int32_t dispId, std::int32_t function, bool ok);
    void AnswerConditionDialog();
    void TakeScreenshotAndFinish();
    void PrintAndFinish();
    void CloseModuleAndExit(int rc);
    void ShowProblem(const QString& text);

    TCoorDispRef FServer;
    THostWindowOptions FOptions;
    QWidget* FPanel = nullptr;
    TNotifyControl* FNotify = nullptr;
    QLabel* FStatus = nullptr;
    QAction* FOpenAction = nullptr;
    void* FLibrary = nullptr;
    TGetFormOneProc FGetFormOne = nullptr;
    QList<QPointer<QWidget>> FModuleForms;
    bool FDialogAnswered = false;
    bool FScreenshotScheduled = false;
    bool FScreenshotTaken = false;
    bool FPrintScheduled = false;
    bool FPrintDone = false;
};
