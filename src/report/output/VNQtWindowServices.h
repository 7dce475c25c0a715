// The engine's window services on Qt Widgets: the progress window of a build (TVNProgressForm),
// the forms of dialog pages (TVNDialogPageWindow) and the page viewer (TVNPreviewForm). A Qt
// application installs them once at start-up; a QApplication must exist while they are used.
#pragma once

#include "report/VNWindowServices.h"

class TVNQtWindowServices : public IVNWindowServices {
public:
    std::unique_ptr<IVNProgressWindow> OpenProgress(const AnsiString& caption) override;
    int ShowDialogPage(const TVNDialogPageForm& form) override;
    void ShowPreview(TVNReport& report) override;
    void ReportDestroyed(TVNReport& report) override;
};

// Installs one process-wide instance of the Qt window services.
void InstallVNQtWindowServices();

// Installs the Qt window services for the scope's life, then puts back what was installed before.
class TVNQtWindowServicesScope {
public:
    TVNQtWindowServicesScope() : FPrevious(VNWindowServices()) { SetVNWindowServices(&FServices); }
    ~TVNQtWindowServicesScope() { SetVNWindowServices(FPrevious); }
    TVNQtWindowServicesScope(const TVNQtWindowServicesScope&) = delete;
    TVNQtWindowServicesScope& operator=(const TVNQtWindowServicesScope&) = delete;

private:
    TVNQtWindowServices FServices;
    IVNWindowServices* FPrevious;
};
