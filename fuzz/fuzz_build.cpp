// libFuzzer target: any report that loads also builds - the band engine meets damaged geometry,
// band types and options, texts, formats, expressions and scripts - without a crash, a hang or
// memory out of bounds. Counted data sets are capped at a few records, and the build is cancelled
// through its progress window after a fixed number of pages or long script runs, so a report that
// is merely long (or a script that loops by design) does not read as a hang.
#include "report/VNBandView.h"
#include "report/VNMemoLayout.h"
#include "report/VNReport.h"
#include "report/VNStrings.h"
#include "report/VNWindowServices.h"

#include "platform/FixedCanvas.h"

#include "FuzzSupport.h"

namespace {

// Cancels the build once it has reported progress this many times.
class TBudgetWindows : public IVNWindowServices {
public:
    class TWindow : public IVNProgressWindow {
    public:
        void SetLabel(const AnsiString&) override {}
        void SetDetail(const AnsiString&) override {}
        void SetVisible(bool) override {}
        bool ProcessMessages() override { return ++FPumps > 64; }

    private:
        int FPumps = 0;
    };
    std::unique_ptr<IVNProgressWindow> OpenProgress(const AnsiString&) override {
        return std::make_unique<TWindow>();
    }
    int ShowDialogPage(const TVNDialogPageForm&) override { return mrOk; }
    void ShowPreview(TVNReport&) override {}
};

// A counted data set ("250") keeps its form with at most 8 records.
void CapCountedDataSets(TVNReport& r) {
    for (int p = 0; p < r.Pages.Count(); ++p)
        for (TVNView* v : r.Pages[p].Objects) {
            AnsiString& text = v->FormatText;
            if (!text.empty() && text[0] >= '1' && text[0] <= '9')
                text = text[0] > '8' ? "8" : text.substr(0, 1);
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QuietMessages();
    static TFixedCanvas canvas;
    static TBudgetWindows windows;
    SetVNMeasureCanvas(&canvas);
    SetVNWindowServices(&windows);
    TVNReport r;
    TVNStream s(FuzzBytes(data, size));
    // A stream cut short still loads what it holds, and that must build as well.
    if (!r.LoadReportStream(s) && r.LoadMessage != VNText(TVNText::TruncatedStream)) return 0;
    CapCountedDataSets(r);
    r.OnProgress = nullptr;
    r.ShowProgress = true;
    r.BuildReport();
    return 0;
}
