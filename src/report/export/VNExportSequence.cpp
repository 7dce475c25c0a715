// The report's side of an export: the fixed call sequence a filter receives, the progress window
// with its Cancel button, and putting the finished output file in place in one step.
#include "VNExportFilter.h"

#include "report/VNEMFPages.h"
#include "report/VNStrings.h"
#include "report/VNWindowServices.h"

#include "platform/Locale.h"

#include <optional>

namespace {

// Puts the report and the filter back to idle however the export ends.
struct TExportScope {
    TVNReport& Report;
    TVNExportFilter& Filter;
    ~TExportScope() {
        Report.ExportSink = nullptr;
        Filter.Stream = nullptr;
        Filter.Report = nullptr;
    }
};

} // namespace

bool TVNReport::ExportBuiltReport(TVNExportFilter& filter, const std::string& fileName) {
    TExportScope scope{*this, filter};
    ExportSink = &filter;
    filter.Report = this;
    filter.FileName = fileName;
    bool cont = true;
    if (filter.OnBeforeExport) filter.OnBeforeExport(filter.FileName, cont);
    if (!cont || !EMFPages || EMFPages->Count() == 0) return false;
    if (filter.ShowModal() != mrOk) return false;

    std::optional<TVNExportStream> stream;
    std::unique_ptr<IVNProgressWindow> progress;
    if (ShowProgress && !OnProgress)
        if (IVNWindowServices* services = VNWindowServices()) {
            AnsiString caption = VNText(TVNText::PreparingReport);
            if (!ReportInfo.Title.empty()) caption += " - " + ReportInfo.Title;
            progress = services->OpenProgress(caption);
            if (progress) progress->SetLabel(VNText(TVNText::PageLabel) + "  1");
        }

    auto afterExport = [&] {
        filter.Stream = nullptr;
        if (filter.OnAfterExport) filter.OnAfterExport(filter.FileName);
    };
    try {
        stream.emplace(filter.FileName);
        filter.Stream = &*stream;
        filter.OnBeginDoc();
        bool terminated = false;
        for (int i = 0; i < EMFPages->Count() && !terminated; ++i) {
            filter.ExportPageIndex = i;
            filter.OnBeginPage();
            if (filter.WantsObjects()) EMFPages->ExportPage(i);
            if (OnProgress)
                OnProgress(i + 1);
            else if (progress) {
                progress->SetLabel(VNText(TVNText::PageLabel) + "  " + IntToStr(i + 1));
                terminated = progress->ProcessMessages();
            }
            filter.OnEndPage();
        }
        filter.OnEndDoc();
        progress.reset();
        stream->Commit();
    } catch (...) {
        // Nothing half-written reaches the disk; the caller gets the error after the event.
        stream.reset();
        afterExport();
        throw;
    }
    afterExport();
    return true;
}
