// TVNPreviewForm: the preview window. It hosts one preview control (TVNPreview) and adds the tool
// bar "预览工具栏" (zoom, magnifier, paging, find, open, save, save as spreadsheet, print, page
// setup, close), the popup menu on the pages and the keyboard commands. The window and its tool
// bar remember where they were in the engine's registry file; the last zoom and magnifier state
// carry over to the next preview opened in the same process.
//
// Printing (button, popup entries, Ctrl+P, Ctrl+Alt+P) is offered when a printer is installed;
// page setup when the pages were built from the report's design. A report that asks for an MDI
// preview gets a child window in the MDI area of the application's main window.
#pragma once

#include "VNPreview.h"

#include <QDialog>

#include <string>

class QAction;
class QComboBox;
class QLineEdit;
class QMainWindow;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class TVNReport;

class TVNPreviewForm : public QDialog {
public:
    explicit TVNPreviewForm(TVNReport& report, QWidget* parent = nullptr);
    ~TVNPreviewForm() override;

    // Shows the report's pages: modally (returns when the window closes) when the report asks for
    // a modal preview, else as a window that deletes itself when closed.
    static void Preview(TVNReport& report);
    // Frees every non-modal preview of the report at once (the report is going away).
    static void CloseFor(TVNReport& report);

    // For a headless check of the window (`vnreport preview --find --screenshot`): the next
    // window shown starts with this search and, with a file name, saves its picture and closes.
    static void SetStartup(const QString& findText, const QString& screenshotFile);
    // The registry file the window keeps its state in; empty: the user's own.
    static void SetRegistryFile(const std::string& file);
    // Forgets the zoom and magnifier state carried from one preview to the next.
    static void ResetCarriedState();

    TVNReport& Report() const { return FReport; }
    TVNPreview* Control() const { return FPreview; }
    int PageCount() const { return FPreview->PageCount(); }
    QToolBar* ToolBar() const { return FToolBar; }
    QComboBox* ZoomCombo() const { return FZoomCombo; }
    QLineEdit* PageEdit() const { return FPageEdit; }
    QMenu* PopupMenu() const { return FPopup; }
    // Whether printing is offered (a printer is installed), whether or not its button is shown.
    bool CanPrint() const { return FCanPrint; }
    // A tool bar button's action by its hint ("整页", "打印报表", ...), or nullptr.
    QAction* Button(const QString& hint) const;
    // Whether a tool bar button is shown.
    bool ButtonShown(const QString& hint) const;

    // Commands (also reached through buttons, menu and keys).
    void FindCommand();
    void FindNextCommand();
    // Prints with the print dialog, or the current page alone without it.
    void PrintCommand(bool currentPageOnly);
    void PageSetupCommand();
    void OpenCommand();
    void SaveCommand();
    void SaveToSpreadsheetCommand();
    void SuperExportCommand();
    // Keys while a report is shown; true when the key was consumed.
    bool HandleKey(QKeyEvent* event);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolBar();
    void BuildPopup();
    void ApplyButtons();
    void StatusChanged();
    void ZoomChosen(const QString& text);
    void RememberZoom();
    void RestoreState();
    void SaveState();
    void RunStartup();
    // The MDI frame around the window, or nullptr for a window of its own.
    QMdiSubWindow* InMdiArea() const;
    void CloseWindow();

    TVNReport& FReport;
    QMainWindow* FFrame;
    TVNPreview* FPreview;
    QToolBar* FToolBar;
    QComboBox* FZoomCombo;
    QLineEdit* FPageEdit;
    QMenu* FPopup;
    QAction* FZoomSeparator = nullptr;
    QAction* FComboAction = nullptr;
    bool FStateSaved = false;
    bool FStateRestored = false;
    bool FInStatus = false;
    bool FCanPrint = false; // a printer is installed: the print button is enabled, shown or not
};
