// TVNBuildEngine: the band engine. It turns a report's design pages and data sets into built
// pages in the report's prepared pages store: it decides which band prints when, where pages and
// columns break, keeps the row and page counters, runs the passes, scripts and events, and keeps
// the first calculation error.
//
// The engine's work is split by concern over several files, all members of this one class:
//   VNBuildEngine.cpp     passes, page building, ShowBand, breaks, NewPage, finishing pages
//   VNBuildDataLoop.cpp   the data loop over three levels, groups, queueing, blank rows
//   VNBuildPagePrep.cpp   page preparation: run-time bands, view assignment, chains, links
//   VNBuildBandWriter.cpp measuring and drawing bands, writing views, splitting Breaked bands
//   VNBuildAggregates.cpp aggregate registration, per-row accumulation and resets
//   VNBuildValues.cpp     names the engine answers for expressions, script commands
//
// Guarantees: a build never throws to its caller and never changes the design (it works on a
// snapshot that is read back when it ends); every loop checks the stop flag, which is set by
// STOPREPORT, by a cancel and by the first calculation error; nothing a build allocates per row
// is kept after the row except the bytes written into the built page.
#pragma once

#include "VNBand.h"
#include "VNPage.h"
#include "VNReport.h"
#include "VNWindowServices.h"
#include "expr/VNEvalContext.h"
#include "expr/VNReportInterpretator.h"
#include "platform/ScopedValue.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TField;
class TMemDataSet;
class TVNMemoView;

// One action of a subreport page in recording mode: kind 0 show the band, 1 First, 2 Next of its
// data set (a new row), with the BlankRowMode in force when it was recorded. Replayed by the
// subreport printer. Kinds 3 (Prior) and 4 (Next without a new row) record the step back and
// forth around a group change, so that a replayed group footer shows its own group's last record.
// A show also keeps the row counters its views read ("Line#", "LineThough#", "Current#") as the
// data loop had them then: replay prints them as the same page prints them on its own, groups
// restarting the line numbers included.
struct TVNRecordedAction {
    TVNBand* Band = nullptr;
    int Kind = 0;
    bool BlankRowMode = false;
    int LineNo = 1, LineThrough = 1, RowCounter = 0;
};

// Names of the cross-tab cells' merge state among the master report's variables start so: the
// cross-tab printer keeps it there per built page, each pass starts without it.
inline constexpr char VNCrossMergePrefix[] = "_VN_";

struct TVNPageBuild;

// A subreport page printing inside a band of another page, and whether all of it is printed.
struct TVNSubReportRun {
    TVNPageBuild* Page = nullptr;
    bool Done = false;
};

// The build state of one design page.
struct TVNPageBuild {
    TVNPage* Page = nullptr;
    std::vector<std::unique_ptr<TVNBand>> Bands; // every run-time band of the page
    std::unique_ptr<TVNBandView> NoneView;       // stands in for a missing band view of type 22
    std::vector<TVNView*> AggregateMemos;        // TVNCalcMemoView views of the page
    std::vector<TVNView*> NotifyViews;           // views with Flags bit 0x8000
    int CurX = 0, CurY = 0, CurBottom = 0;
    int ColumnNo = 0;    // page column, 0-based
    int ColumnTop = 0;   // y where the current page column starts
    int ContentTop = -1; // y below the headers of a fresh page or column: a break there is useless
    int RowCounter = 0;  // "Current#"
    // The built page the band of views outside bands (type 22) was printed on: it prints once per
    // page, whether at the page's start or because a script showed it.
    int NoneBandPage = -1;
    int CrossColumn = 0; // "Column#"
    bool PrintingSlices = false; // a cross data slice is being printed: totals answer per column
    TVNBand* LastBand = nullptr;
    bool SummaryPrinting = false;
    int Columns = 1;
    int ColumnWidthPx = 0, ColumnGapPx = 0;
    int LeftMarginPx = 0; // the page's left margin, converted once: every written view needs it
    // Subreport pages (the cross-tab and subreport printer uses these).
    bool IsSubReportPage = false;
    TVNPageBuild* ParentPage = nullptr;
    bool Recording = false;
    std::vector<TVNRecordedAction> Actions;
    std::size_t ReplayIndex = 0;
    // On a subreport page: the band whose own subreports did not all fit. They wait, with their
    // actions and replay indexes, until the outer page has broken and this page replays the band
    // again; they then go on where they stopped instead of starting over.
    TVNBand* PendingSubReportBand = nullptr;
    std::vector<TVNSubReportRun> PendingSubReports;
    bool BandDidNotFit = false; // set when a band does not fit on a page that may not break
    // Design geometry of every view, put back when the bands are freed (between passes).
    struct TSavedGeometry {
        TVNView* View;
        int Left, Top, Width, Height;
    };
    std::vector<TSavedGeometry> SavedGeometry;

    TVNBand* Band(int type) const { return Page->Bands[std::size_t(type)]; }
};

class TVNBuildEngine;

// The cross-tab and subreport printer plugs in here: after a band's own views are written it
// prints the band's cross-tab cells and subreport pages; a Stretched band holding cells is
// measured through it. Without one installed, bands print their own views only.
class IVNBandExtras {
public:
    virtual ~IVNBandExtras() = default;
    virtual void PrintCells(TVNBuildEngine& engine, TVNBand* band) = 0;
    // Returns whether the band held subreports; their printer has then set CurY to where the
    // band ends (the page may have broken meanwhile).
    virtual bool PrintSubReports(TVNBuildEngine& engine, TVNBand* band) = 0;
    // The height of a band that holds cells, or -1 to measure it as a plain band.
    virtual int MeasureCells(TVNBuildEngine& engine, TVNBand* band) = 0;
};
void SetVNBandExtras(IVNBandExtras* extras); // not owned; nullptr removes it (the default is restored)
IVNBandExtras* VNBandExtras();

class TVNBuildEngine {
public:
    // master: the report whose prepared pages receive the output (a composite), or the report.
    TVNBuildEngine(TVNReport& report, TVNReport* master = nullptr);
    ~TVNBuildEngine();
    TVNBuildEngine(const TVNBuildEngine&) = delete;
    TVNBuildEngine& operator=(const TVNBuildEngine&) = delete;

    // The whole BuildReport of one report: snapshot, passes, restore, error message, page order.
    bool Run();

    // ---- what scripts and expressions reach ----
    void ShowBand(TVNBand* band, bool childMode = false);
    void NewPage();
    void NewColumn();
    bool Stopped() const { return FTerminated || FReport.ErrorFlag; }
    void Terminate() { FTerminated = true; }

    // ---- state, read by the views' printers and the cross-tab/subreport printer ----
    TVNReport& Report() { return FReport; }
    TVNPageBuild* CurrentPage() { return FPage; }
    TVNBand* CurrentBand() { return FCurrentBand; }
    TVNView* CurrentView() { return FCurrentView; }
    int PageNo() const { return FPageNo; }
    int TotalPages() const { return FTotalPages; }
    bool FirstPass() const { return FFirstPass; }
    bool FinalPass() const { return FFinalPass; }
    TVNEvalContext& Context() { return FContext; }
    // Evaluates an expression with the compiled form cached for the build.
    Value Evaluate(const AnsiString& expression);
    // The text of one bracketed group of the current view (format suffix, HideZeros, format).
    AnsiString EvaluateGroup(const AnsiString& group);
    // Keeps the first calculation error (with the view's name and text) and stops the build.
    void SetError(TVNView* view, const AnsiString& message);

    // The engine building now (scripts and the aggregate functions reach it), or none.
    static TVNBuildEngine* Current();

    // ---- for the cross-tab and subreport printer ----
    // Writes one view of a band at the band's y into the built page PageNo (first-pass and
    // memo rules included).
    void WriteView(TVNView* view, TVNBand* band, int y);
    void WriteViewPart(TVNView* view, TVNMemoView* memo, TVNBand* band, int height);
    void SetPageNo(int pageNo) { FPageNo = pageNo; }
    // The value an aggregate view is writing, answered for "VALUE" (empty: the name is not taken).
    void SetAggregateValue(const Value& value) { FAggregateMemoValue = value; }
    void SetCurrentPage(TVNPageBuild* page) { FPage = page; }
    void SetCurrentBand(TVNBand* band) { FCurrentBand = band; }
    void SetCurrentView(TVNView* view) { FCurrentView = view; }
    TVNEMFPages& BuiltPages() { return *FPages; }
    // Appends a built page for the current design page and makes it PageNo.
    void AddBuiltPage();
    TVNPageBuild* PageBuild(int designIndex) {
        return designIndex >= 0 && designIndex < int(FPageBuilds.size())
                   ? FPageBuilds[std::size_t(designIndex)].get()
                   : nullptr;
    }
    int MeasureBand(TVNBand* band);
    // The band whose row counters "Line#" and "LineThough#" answer for a view of this band: its
    // own, or for a band without a data set the first band of its type on the page.
    TVNBand* CountingBand(TVNBand* band) const;
    // The report whose prepared pages receive the output; it keeps the cross-tab cells' merge
    // state per built page among its variables.
    TVNReport& MasterReport() { return *FMaster; }
    void AddAggregateRow(TVNBand* dataBand);
    // Adds the current row to the per-column accumulators of a band cut into cross-tab columns,
    // for the given column.
    void AddCrossColumnRow(TVNBand* dataBand, int column);
    // Runs the current page's data loops (a subreport page records its actions this way).
    void RunDataLoops();
    // The data bands whose loops are running, outermost first: field names without a data set
    // are looked up in the innermost (a subreport replay sets them as its recorded loops ran).
    std::vector<TVNBand*>& LoopBands() { return FLoopBands; }
    void ResetAggregates(TVNBand* holder);
    void RunScript(const void* owner, int which, TVNView* errorView);

private:
    // passes and pages (VNBuildEngine.cpp)
    void RunPasses();
    void RunOnePass();
    void RunDialogPage(TVNPage& page);
    void BuildPage(TVNPageBuild& bp);
    void FinishPage(bool atEnd);
    void ReportProgress(int pageNo);
    void OpenProgressWindow();
    // Lets the progress window handle its messages; a cancel there stops the build.
    void PumpProgress();
    void OrderPagePerPage();
    int PageBottom(TVNPageBuild& bp) const;
    int ColumnFooterHeight() const;
    // data loop
    void DataLoop(int level);
    void LoopBand(TVNBand* band);
    void Queue(TVNBand* band);
    void PrintQueue();
    bool HasLevel(int level) const;
    void AppendBlankRows(TVNBand* band, int reserve, bool fitTest);
    void ResetBand(TVNBand* band);
    // First pass: the aggregate views held by the band save their current results.
    void SaveAggregateViews(TVNBand* band);
    void NotifyAggregateRow(TVNBand* dataBand);
    void ClearMemoLastValues(TVNBand* band);
    // breaks
    bool NeedsBreak(TVNBand* band, int height) const;
    void BreakBand(TVNBand* band);
    void RepeatColumnHeaders(TVNBand* dataBand);
    void RepeatHeadersAfterBreak(TVNBand* band);
    void ExecuteBreakRequests(TVNBand* band);
    TVNBand* DataBandOf(TVNBand* band) const;

    // page preparation (VNBuildPagePrep.cpp)
    void PreparePage(TVNPageBuild& bp);
    void BindViews(TVNPageBuild& bp);
    TVNBand* NewBand(TVNPageBuild& bp, TVNBandView& view);
    void CompileScripts(const void* owner, const TVNStrings& before, const TVNStrings& after);
    void FreeBands();

    // The rest of ShowBand once a band is drawn (totals, child, new page), and the end of every
    // show (script after, resets, event).
    void AfterDraw(TVNBand* band);
    void EndShow(TVNBand* band);

    // measuring and drawing (VNBuildBandWriter.cpp)
    void DrawBand(TVNBand* band);
    void DrawBreakedBand(TVNBand* band);
    void WriteViewRecord(TVNView* view);
    void EvaluateView(TVNView* view);
    void PrintCrossCells(TVNBand* band);
    bool PrintSubReports(TVNBand* band);

    // aggregates (VNBuildAggregates.cpp)
    void RegisterAggregates(TVNPageBuild& bp);
    void AddToAccumulators(TVNBand* dataBand, const std::vector<TVNBand::TAccumulator*>& list);
    void AggregateOutput(const AnsiString& name, const TVNArguments& args, Value& result);

    // names and scripts (VNBuildValues.cpp)
    void InstallHooks();
    void RemoveHooks();
    bool SpecialName(const AnsiString& name, Value& value);
    bool InternalValue(const AnsiString& name, Value& value);
    void ScriptFunction(const AnsiString& name, const TVNArguments& args, Value& result);
    bool EngineAssignment(const AnsiString& name, const Value& value);
    TVNBandView* FindBandView(const AnsiString& name) const;
    int CalcWidth(); // "CALCWIDTH"
    // The field of that name in the data set of the band that prints (or of the innermost data
    // loop), or none.
    TField* CurrentField(const AnsiString& name);

    TVNReport& FReport;
    TVNReport* FMaster;
    TVNEMFPages* FPages = nullptr; // the master's prepared pages
    int FBasePageCount = 0;        // pages that were there before this report started
    TVNEvalContext FContext;
    std::unique_ptr<TInterpretator> FInterpretator;
    struct TCompiledExpression {
        AnsiString Compiled;
        bool PlainName = false; // a name that only a data field can answer
    };
    std::unordered_map<AnsiString, TCompiledExpression> FCompiled;
    struct TScripts {
        std::vector<AnsiString> Before, After;
    };
    std::unordered_map<const void*, TScripts> FScripts;
    std::vector<std::unique_ptr<TVNPageBuild>> FPageBuilds; // by design page index
    TVNPageBuild* FPage = nullptr;
    TVNBand* FCurrentBand = nullptr;
    TVNView* FCurrentView = nullptr;
    std::vector<TVNBand*> FQueue;
    std::vector<TVNBand*> FLoopBands;                   // data bands whose loops are running, outermost first
    std::unordered_map<TVNBand*, TVNBand*> FGroupOwner; // group header -> its data band
    std::vector<std::unique_ptr<TVNDataset>> FOwnedDataSets; // virtual cross data sets
    std::unordered_set<const TVNBand*> FAggregateHolders;    // bands whose prints reset totals

    int FPageNo = 0, FTotalPages = 0;
    bool FFirstPass = false, FFinalPass = true;
    bool FDoubleFinal = false; // the final pass of a double-pass build
    bool FPageJustBroken = false;
    bool FContinueOnPrevious = false;
    int FSavedCurY = 0, FSavedBottom = 0;
    bool FTerminated = false;
    bool FNoBreak = false;          // blank rows: a row that does not fit is dropped, no break
    bool FDesignPos = false;        // the next row prints at its band's design top
    bool FForceFooterFirst = false; // the end-of-page footer prints on the first page too
    bool FColumnFooterZero = false; // the summary prints: the column footer counts as 0
    bool FBreaking = false;         // a break is running: no second break from inside it
    int FModalResult = 0;
    std::unique_ptr<IVNProgressWindow> FProgress; // none with OnProgress or ShowProgress off
    bool FCuryAssigned = false;
    bool FInCalcWidth = false;
    int FShowDepth = 0;
    static constexpr int MaxShowDepth = 200;
    double FStartDate = 0, FStartTime = 0, FStartDateTime = 0;
    Value FAggregateMemoValue;                           // "VALUE"
    const TMemDataSet* FFieldTable = nullptr;            // the table FFieldCache describes
    std::unordered_map<AnsiString, TField*> FFieldCache; // field names asked of it

    // hooks in force before the build, restored after it
    TVNTextEvaluator FSavedTextEvaluator;
    std::function<Value(const AnsiString&)> FSavedExpressionEvaluator;
    std::function<void(TVNView*, int)> FSavedScriptRunner;
    std::function<void(const AnsiString&, const TVNArguments&, Value&)> FSavedAggregateHook;
};
