// The windows the engine opens while it works: the progress window of a build, the form of a
// dialog page and the preview of built pages. The engine core has no window system, so the
// platform side installs one implementation of these services at start-up. Without one a build
// runs silently, a dialog page only runs its activation script, and a preview shows nothing.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Graphics.h"

#include <memory>
#include <vector>

class TVNControl;
class TVNReport;

// A shown progress window; closed when the object is destroyed.
class IVNProgressWindow {
public:
    virtual ~IVNProgressWindow() = default;
    virtual void SetLabel(const AnsiString& text) = 0;  // the first line: which page is built
    virtual void SetDetail(const AnsiString& text) = 0; // the second line, set by scripts
    virtual void SetVisible(bool visible) = 0;
    // Lets the window system handle what is pending (repaints, the Cancel button); answers true
    // once the user has asked to cancel.
    virtual bool ProcessMessages() = 0;
};

// What the form of a dialog page is made from.
struct TVNDialogPageForm {
    AnsiString Caption;
    int BorderStyle = 3; // 3 fixed dialog frame, 2 sizeable
    TColor Color = 0;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Position = 4;                  // 0 where designed, 4 centred on the screen
    std::vector<TVNControl*> Controls; // the visual controls, in tab order
};

// A preview control placed on a window of the application (the report's Preview): the report
// shows its built pages there instead of opening a preview window. The control reads the pages
// in place, so a build lets go of it first and the report forgets it when freed.
class IVNPreviewControl {
public:
    virtual ~IVNPreviewControl() = default;
    virtual void Connect(TVNReport* report) = 0;
    virtual void Disconnect() = 0;
    // The report is being freed: let go of it for good.
    virtual void ReportDestroyed(TVNReport& report) {
        (void)report;
        Disconnect();
    }
};

// Modal results as dialog pages and scripts use them.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

class IVNWindowServices {
public:
    virtual ~IVNWindowServices() = default;
    // Opens a progress window with the caption; nullptr when none can be shown.
    virtual std::unique_ptr<IVNProgressWindow> OpenProgress(const AnsiString& caption) = 0;
    // Shows the form modally and answers its modal result.
    virtual int ShowDialogPage(const TVNDialogPageForm& form) = 0;
    // Shows the report's built pages in a preview window.
    virtual void ShowPreview(TVNReport& report) = 0;
    // The report is being freed: a window still showing its pages must go now, while they exist.
    virtual void ReportDestroyed(TVNReport& report) { (void)report; }
};

// Installs the services (not owned); nullptr removes them.
void SetVNWindowServices(IVNWindowServices* services);
IVNWindowServices* VNWindowServices();
