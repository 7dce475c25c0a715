// The Qt window services: each request opens the matching window of this folder.
#include "VNQtWindowServices.h"

#include "VNDialogPageWindow.h"
#include "VNPreviewForm.h"
#include "VNProgressForm.h"
#include "VNExportDialogs.h"
#include "VNQtRasterSurface.h"
#include "VNXLSExportDialog.h"

#include "report/export/VNXLSExport.h"

#include <QDesktopServices>
#include <QUrl>

std::unique_ptr<IVNProgressWindow> TVNQtWindowServices::OpenProgress(const AnsiString& caption) {
    return std::make_unique<TVNProgressForm>(caption);
}

int TVNQtWindowServices::ShowDialogPage(const TVNDialogPageForm& form) {
    TVNDialogPageWindow window(form);
    return window.Run();
}

void TVNQtWindowServices::ShowPreview(TVNReport& report) {
    TVNPreviewForm::Preview(report);
}

void TVNQtWindowServices::ReportDestroyed(TVNReport& report) {
    TVNPreviewForm::CloseFor(report);
}

void InstallVNQtWindowServices() {
    static TVNQtWindowServices services;
    SetVNWindowServices(&services);
    InstallVNQtRasterSurfaces();
    InstallVNExportDialogs();
    InstallVNXLSExportDialog();
    // "Show after export": the desktop's application for the written file.
    SetVNOpenDocumentHandler([](const std::string& fileName) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(fileName)));
    });
}
