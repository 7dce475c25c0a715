// TVNReport: the report component - pages, data dictionary, description, the report-level
// switches and print settings, the events the engine fires, and loading and saving in every
// stored form (report stream, ".vnf", ".vnt", hexadecimal text, ".vnp" built pages).
//
// Loading never throws and never leaves a half-read report behind: the outcome is one of the
// messages the formats define (shown through the engine's message service and kept in
// LoadMessage) or a clean load.
#pragma once

#include "VNDictionary.h"
#include "VNPage.h"
#include "VNPageStoreOwner.h"
#include "VNView.h"
#include "expr/VNVariables.h"

#include "platform/Value.h"

#include <functional>
#include <memory>

class TVNBand;
class TVNDataset;
class TVNEMFPages;
class TVNComponent;
class TVNExportFilter;
class TVNPageSetting;
class IVNPreviewControl;

// Receives every view an export hands over, with its position on the page.
class IVNExportSink {
public:
    virtual ~IVNExportSink() = default;
    virtual void ViewPrinted(TVNView& view, int left, int top) = 0;
};

struct TVNReportInfo {
    AnsiString Title, Author, Company, CopyRight, Comment;
    friend bool operator==(const TVNReportInfo&, const TVNReportInfo&) = default;
};

struct TVNSaveReportOptions {
    bool AutoLoadSaveSetting = false;
    bool UseRegistry = true;
    AnsiString IniFileName;
    AnsiString RegistryPath = "Valnor\\ReportSettings\\";
};

enum TVNReportType { rtSimple, rtMultiple };
enum TVNPreviewZoom { pzDefault, pzPageWidth, pzOnePage, pzTwoPages };
enum TVNPreviewButton {
    pbZoom = 1 << 0,
    pbLoad = 1 << 1,
    pbSave = 1 << 2,
    pbPrint = 1 << 3,
    pbFind = 1 << 4,
    pbPageSetup = 1 << 5,
    pbExit = 1 << 6,
    pbDesign = 1 << 7,
    pbSaveToXLS = 1 << 8,
    pbSuperExp = 1 << 9,
};

// Template description and preview bitmap, as the template chooser reads them.
struct TVNTemplateInfo {
    TVNStrings Description;
    std::string PreviewBitmap; // BMP file bytes, empty when the template has none
};

class TVNReport : public IVNPageStoreOwner {
public:
    TVNReport();
    virtual ~TVNReport();

    // What the prepared pages store asks of its report.
    TVNReport* StoreReport() override { return this; }
    int DesignPageIndex(const TVNPage& page) const override;
    void BeforePageAdded(int pageNo) override;
    void AfterPageAdded(int pageCount) override;
    int StorePrintScale() const override { return PrintScale; }
    bool PrintingOnPreprintedForms() const override { return taoda; }
    bool PreprintedFormDefault() const override { return taodaDefault; }
    void SetPreprintedFormDefault(bool value) override { taodaDefault = value; }
    void SelectStoredPrinter(const AnsiString& name) override { SelectPrinter(name); }
    bool ObjectClicked(TVNEMFPages& pages, int pageIndex, TVNView* view) override;
    bool MouseOverObject(TVNView* view, int& cursor) override;
    TVNReport(const TVNReport&) = delete;
    TVNReport& operator=(const TVNReport&) = delete;

    // Published properties.
    TVNSaveReportOptions SaveReportOptions;
    AnsiString DefaultDictionaryFile;
    AnsiString PreviewInitialDir;
    TVNDataset* Dataset = nullptr;
    int DefaultCopies = 1;
    bool DefaultCollate = true;
    TVNPreviewZoom InitialZoom = pzDefault;
    bool MDIPreview = false;
    bool ModalPreview = true;
    bool ModifyPrepared = false;
    int PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSaveToXLS;
    bool PrintIfEmpty = true;
    TVNReportType ReportType = rtSimple;
    bool ShowProgress = true;
    // A build stops with an error rather than make more built pages than this (a damaged range
    // count or a runaway script would otherwise fill all memory). 0: no limit.
    int MaxPages = 1000000;
    // Asked after every built page; true stops the build as Cancel does (Ctrl+C of a command).
    std::function<bool()> CancelRequested;
    bool StoreInDFM = false;
    bool ShowPrintDialog = true;
    // A preview control of the application's own (not owned): built pages are shown there and no
    // preview window is opened. The control clears this when it is freed.
    IVNPreviewControl* Preview = nullptr;

    // Events (called only when assigned).
    std::function<void()> OnBeginDoc, OnEndDoc, OnPrintReport;
    std::function<void(int pageNo)> OnBeginPage, OnEndPage;
    std::function<void(int& pageNo)> OnEndPrintPage;
    std::function<void(TVNBand*band)> OnBeginBand, OnEndBand, OnBeginColumn;
    std::function<void(TVNBand* band, bool& print)> OnBeforePrintBand;
    std::function<void(const AnsiString& name, Value& value)> OnGetValue;
    std::function<void(TVNStrings& memo, TVNView* view)> OnBeforePrint;
    std::function<void(TVNView* view)> OnAfterPrint;
    std::function<void(const AnsiString& name, const Value& p1, const Value& p2, const Value& p3,
                       Value& result)>
        OnUserFunction;
    std::function<void(int n)> OnProgress;
    std::function<void(int column, int& width)> OnPrintColumn;
    std::function<void(TVNPage* page)> OnManualBuild;
    std::function<void(TVNEMFPages* pages, int pageNo, TVNView* view)> OnObjectClick;
    std::function<void(TVNView* view, int& cursor)> OnMouseOverObject;
    std::function<void(TVNReport*sender)> OnLoadReportSetting, OnSaveReportSetting;
    // After the preview's page setup was confirmed, before the report is built again.
    std::function<void(const TVNPageSetting& setting)> OnPageSetup;
    // A dialog page offers each of its non-visual controls before its form is shown.
    std::function<void(TVNView* sender)> OnCustomizeObject;

    // State.
    TVNReportInfo ReportInfo;
    TVNPages Pages;
    TVNDataDictionary Dictionary;
    // Report variables: filled by scripts while building, emptied at the start of every build.
    TVNVariables Variables;
    std::unique_ptr<TVNEMFPages> EMFPages;
    bool PrintPagePerPage = false;
    bool taoda = false;        // pre-printed form mode of the current print
    bool taodaDefault = false; // the print dialog's default for it, stored with the report
    bool PrintBackColor = true;
    bool DoublePass = false;
    std::int32_t PrintOffsetTop = 0, PrintOffsetLeft = 0;
    int PrintScale = 100;
    AnsiString PrinterName = "Default Printer";
    AnsiString PrintRange;
    int Copies = 1;
    bool Collate = true;
    AnsiString FileName = "Untitled";
    AnsiString ErrorText;
    bool ErrorFlag = false;
    IVNExportSink* ExportSink = nullptr;
    // The report this one is built for (a composite), or none.
    TVNReport* MasterReport = nullptr;

    // Where report texts find components: the report's owner and the form it was designed on.
    TVNComponent* Owner = nullptr;
    TVNComponent* DesignOwner = nullptr;

    // Hooks the expression side plugs in: the text of one bracketed group, and the value of an
    // expression (script arguments). Without them a group's text is kept as written.
    TVNTextEvaluator TextEvaluator;
    std::function<Value(const AnsiString& expression)> ExpressionEvaluator;
    // While a memo's highlight condition is evaluated: that memo's value, which VALUE names
    // ("Value < 0" colours negative amounts). Empty otherwise.
    Value HighlightValue;
    // Set by the band engine while it builds: runs a view's compiled OnBeforePrint (which = 0) or
    // OnAfterPrint (which = 1) script; calculation errors are kept by the engine, never thrown.
    std::function<void(TVNView* view, int which)> ScriptRunner;
    // True while the band engine appends blank rows: memo texts then print empty unless the memo
    // has PrintAtAppendBlank.
    bool BlankRowMode = false;

    // Builds every page into the prepared pages (EMFPages); never throws. False when no page
    // was built (empty data, an error - shown once - or a stop).
    virtual bool BuildReport();
    // Builds and shows the built pages in the preview; an exception on the way is shown as
    // "异常错误,原因:" and its message, never thrown.
    void PreviewReport();
    // Shows the built pages in the preview window (the installed window services).
    void PreviewBuiltReport();
    // Writes the built pages through the filter into fileName (the filter's dialog may change
    // it). False when nothing was written: no built pages, the before-export event or the dialog
    // said no. Errors of the filter or the file propagate; the file is then not written.
    bool ExportBuiltReport(TVNExportFilter& filter, const std::string& fileName);

    // The message of the last load (empty after a clean load).
    AnsiString LoadMessage;
    // Version code of the last stream loaded.
    int LoadedVersionCode = 0;

    int NextObjectNumber() { return ++FObjectCounter; }
    TVNView* FindObject(std::string_view name) const;
    void Clear(); // pages, dictionary, description

    // The report stream.
    void SaveReportStream(TVNStream& s);
    // False when nothing or not everything was loaded (the message says why).
    bool LoadReportStream(TVNStream& s);
    // Files: a name without extension gets ".vnf" (loading: when the named file is missing).
    // Loading answers whether the file existed.
    bool LoadReportFile(const std::string& fileName);
    bool SaveReportFile(const std::string& fileName);
    bool LoadReportHex(std::string_view text);

    // Templates (".vnt").
    bool SaveTemplateFile(const std::string& fileName, const TVNStrings& description,
                          const std::string& previewBitmap = {});
    void SaveTemplateStream(TVNStream& s, const TVNStrings& description, const std::string& previewBitmap = {});
    bool LoadTemplateFile(const std::string& fileName);
    bool LoadTemplateStream(TVNStream& s);
    // Chooser reading: description and preview picture only; pages are not read.
    static bool ReadTemplateInfo(TVNStream& s, TVNTemplateInfo& info);

    // Prepared pages (".vnp").
    bool SaveBuiltPages(const std::string& fileName);
    bool LoadBuiltPages(const std::string& fileName);

    // Selects the report's printer by the stored name.
    void SelectPrinter(const AnsiString& name);

private:
    // Pages section: description, switches, pages, views, dictionary.
    void WritePagesSection(TVNStream& s);
    void ReadPagesSection(TVNStream& s);
    void ShowLoadMessage(const AnsiString& text);
    int FObjectCounter = 0;
};

// Decodes hexadecimal text (two digits per byte) up to "#" or the first pair that is not
// hexadecimal; the bytes decoded so far are kept.
std::string DecodeHexText(std::string_view text);

// The composite: member reports built into one set of prepared pages.
enum TVNCompositeMode { vnReportPerReport, vnPagePerPage };

class TVNCompositeReport : public TVNReport {
public:
    TVNCompositeMode CompositeMode() const { return FMode; }
    void SetCompositeMode(TVNCompositeMode mode) {
        FMode = mode;
        if (mode == vnPagePerPage) ShowProgress = false;
    }
    bool ShowPreparedReports = false;
    std::vector<TVNReport*> Reports; // not owned

    // Builds the member reports into this report's prepared pages (see CompositeMode).
    bool BuildReport() override;

private:
    TVNCompositeMode FMode = vnReportPerReport;
};
