// TVNView: the common part of everything printable on a report page - position, frame, fill,
// the design text with its bracketed expressions, scripts, flags - and its stream record.
//
// A view belongs to exactly one page (Page), which belongs to a report; views that float free
// (being copied, being decoded from a built page) simply have no page. All geometry is in report
// pixels. Property access by name serves the report script and the object inspector; the stream
// record (WriteToStream/ReadFromStream) is the one copy path: AssignView goes through it too, so
// a copy carries exactly what a saved report carries.
#pragma once

#include "VNObject.h"
#include "VNStream.h"

#include "platform/Graphics.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class ICanvas;
class TField;
class TMemDataSet;
class TVNBand;
class TVNPage;
class TVNReport;

// Type codes by which streams and the factory know each kind.
enum : int {
    ViewTypeMemo = 0,
    ViewTypePicture = 1,
    ViewTypeBand = 2,
    ViewTypeSubReport = 3,
    ViewTypeLine = 4,
    ViewTypeCalcMemo = 5,
    ViewTypeMoney = 7,
    ViewTypeRegion = 8,
    ViewTypeAddIn = 10,
};

// Flags shared by all views.
enum : std::uint16_t {
    flStretched = 0x0001,
    flPrintFrame = 0x0400,
    flPrintVisible = 0x0800,
    flNotifyList = 0x8000,
};

// Frame side bits of the packed "FrameTyp" property (also the script constants).
enum : int { VNftRight = 1, VNftBottom = 2, VNftLeft = 4, VNftTop = 8 };

// Frame line style: the pen in the low bits, bit 0x10 draws a double line.
enum : std::uint8_t { fsSolidLine = 0, fsDoubleLine = 0x10 };

struct TVNFrameLine {
    std::uint8_t Visible = 0;
    std::uint8_t Style = 0;
    TColor Color = clBlack;
    float Width = 1.0f;
    friend bool operator==(const TVNFrameLine&, const TVNFrameLine&) = default;
};

// Evaluates the inside of one bracketed group to the text that replaces it.
using TVNTextEvaluator = std::function<AnsiString(const AnsiString& expression)>;

// The bracket rule: "\[" stays as a literal "[" (the backslash goes), any other "[" up to its
// matching "]" (nested brackets count) is replaced by the evaluator's text. An unmatched "["
// leaves the rest of the text as it is. Scanning continues after each inserted text, so a value
// that contains brackets is never evaluated again.
AnsiString ExpandBrackets(std::string_view text, const TVNTextEvaluator& evaluate);

class TVNView : public TVNObject {
public:
    TVNView();
    ~TVNView() override = default;

    // The class name streams carry for add-in kinds.
    virtual const char* ClassName() const { return "TVNView"; }

    // Common fields.
    AnsiString Name;
    std::uint8_t TypeCode = ViewTypeAddIn;
    std::int32_t ObjectNumber = 0;
    std::uint8_t DesignSelected = 0;
    std::uint8_t ExpandOnBuild = 0;
    AnsiString BaseName = "View";
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::uint16_t Flags = 0;
    std::uint32_t Flags2 = 0;
    // The four frame lines in stream order; the sides are also reached by name below.
    std::array<TVNFrameLine, 4> FrameLines{};
    std::uint16_t DiagonalType = 0;
    std::int32_t GapX = 2, GapY = 2;
    TColor FillColor = clNone;
    std::uint8_t BandAlign = 0;
    std::int32_t Format = 2 * 256 + '.';
    AnsiString FormatText;
    TVNStrings Memo;
    TVNStrings Memo1;
    TVNStrings OnBeforePrint;
    TVNStrings OnAfterPrint;
    bool Visible = true;
    AnsiString Tag;
    bool IsPrinting = false;
    std::uint16_t Restrictions = 0;
    // Versions of the record last read (the writer always writes the current ones).
    std::uint8_t ViewFormatVersion = 10;
    std::uint8_t ClassFormatVersion = 0;

    // Painting state.
    double PaintScaleX = 1.0, PaintScaleY = 1.0;
    std::int32_t PaintOffsetX = 0, PaintOffsetY = 0;
    ICanvas* Canvas = nullptr;
    TRect InnerRect;

    // Building state.
    TVNBand* OwnerBand = nullptr;
    TMemDataSet* BoundDataSet = nullptr;
    AnsiString BoundFieldName;

    // Ownership: the page holding the view and that page's report (set by TVNPage::Add).
    TVNPage* Page = nullptr;
    TVNReport* Report() const;

    std::array<TVNFrameLine, 4>& Frames() { return FrameLines; } // 0 left, 1 top, 2 right, 3 bottom
    const std::array<TVNFrameLine, 4>& Frames() const { return FrameLines; }
    TVNFrameLine& LeftFrame() { return FrameLines[0]; }
    TVNFrameLine& TopFrame() { return FrameLines[1]; }
    TVNFrameLine& RightFrame() { return FrameLines[2]; }
    TVNFrameLine& BottomFrame() { return FrameLines[3]; }
    const TVNFrameLine& LeftFrame() const { return FrameLines[0]; }
    const TVNFrameLine& TopFrame() const { return FrameLines[1]; }
    const TVNFrameLine& RightFrame() const { return FrameLines[2]; }
    const TVNFrameLine& BottomFrame() const { return FrameLines[3]; }

    // Property access by name.
    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    Value CallMethod(const AnsiString& name, const Value& p1 = Value(), const Value& p2 = Value(),
                     const Value& p3 = Value()) override;
    void RegisterProperties() override;

    // Virtual operations, in their slot order. Designer hooks are no-ops in the engine.
    virtual AnsiString GetDescription() { return AnsiString(); }
    virtual void ExpandIntoPage() {}
    virtual bool CanEditInPlace() { return false; }
    virtual void FillBackground();
    virtual void PaintFrame();
    virtual void LoadFieldData(TField* field);
    virtual void NotifyViewWritten(TVNView* written) { (void)written; }
    virtual void CollectNames(std::vector<AnsiString>& names) { (void)names; }
    // Names this view may not take besides those of the report's views (MakeUniqueName).
    virtual void CollectTakenNames(std::vector<AnsiString>& names) { (void)names; }
    virtual void NotifyBuildStart() {}
    virtual void ScaleForPaint();
    virtual void UnscaleAfterPaint();
    virtual void Paint(ICanvas* canvas) { Canvas = canvas; }
    virtual void WriteToPage(TVNStream& stream);
    virtual void NotifyPrinted();
    virtual void ReadFromStream(TVNStream& stream);
    virtual void WriteToStream(TVNStream& stream);
    virtual TRect ClipRegion(bool widened);
    virtual void PlaceAt(int left, int top, int width, int height);
    virtual void AfterLoad() {}
    // Band engine notifications for aggregate views (no-ops for every other kind): the page is
    // prepared for a pass (keepResults: the final pass of a double-pass build, whose first pass
    // saved the results), a row of a data band was printed (or appended blank), and the first
    // pass asks the view to save its current result.
    virtual void AggregatePrepare(bool keepResults) { (void)keepResults; }
    virtual void AggregateRowAdded(TVNBand* dataBand, bool blankRow) { (void)dataBand, (void)blankRow; }
    virtual void AggregateSaveResult() {}

    // Non-virtual operations.
    void AssignView(TVNView& source);
    void MakeUniqueName();
    void ApplyBandAlign();
    // Brings position, size and frame widths into the range of sane geometry. Views read from a
    // built page are drawn as they are, without the build's clamping, so the page reader calls
    // this for each: a damaged page then draws where it says, never with overflowing edges.
    void ClampStoredGeometry();
    // The bracket rule applied with the report's evaluator (or the given one).
    AnsiString ExpandTag(const AnsiString& text, const TVNTextEvaluator& evaluate = nullptr);

    bool Stretched() const { return Flags & flStretched; }
    void SetStretched(bool on) { SetFlag(flStretched, on); }
    bool PrintFrame() const { return Flags & flPrintFrame; }
    void SetPrintFrame(bool on) { SetFlag(flPrintFrame, on); }
    bool PrintVisible() const { return Flags & flPrintVisible; }
    void SetPrintVisible(bool on) { SetFlag(flPrintVisible, on); }
    void SetFlag(std::uint16_t bit, bool on) { Flags = on ? (Flags | bit) : (Flags & ~bit); }
    void SetFlag2(std::uint32_t bit, bool on) { Flags2 = on ? (Flags2 | bit) : (Flags2 & ~bit); }

    // Runs the OnBeforePrint (which = 0) or OnAfterPrint (which = 1) script while the band engine
    // builds (through the report's ScriptRunner); does nothing outside a build.
    void RunScript(int which);

    // Frame helpers behind "FrameTyp" and the all-sides properties.
    int FrameTyp() const;
    void SetFrameTyp(int bits);

protected:
    // Registers the common list; band and subreport views leave out the frame/fill group.
    void RegisterViewProperties(bool withFrameGroup);
    // The whole text of a list without its final line break / split at line breaks.
    static Value ListText(const TVNStrings& lines) { return Value(JoinLines(lines)); }
    // Evaluates a script argument through the report when it has an evaluator.
    Value EvaluateArgument(const Value& v);
    // String-list methods ("<LIST>.ADD" ...); returns true when the name was one of them.
    bool CallListMethod(const AnsiString& upperName, const AnsiString& listName, TVNStrings& list,
                        const Value& p1, Value& result);
    // The common part of the record (what TVNView::WriteToStream writes), gathered into w so
    // that a kind adding its own fields can hand the whole record to the stream at once.
    void WriteViewFields(TVNRecordWriter& w);
    // Reads the frame fields of records before the frame lines existed.
    void ApplyOldFrameFields(int frameTyp, double frameWidth, TColor frameColor, int frameStyle);

    // Geometry saved by ScaleForPaint.
    struct TSavedGeometry {
        std::int32_t Left, Top, Width, Height, GapX, GapY;
        float FrameWidth[4];
    } FSaved{};
};

// Moves a view read from a stream of the old coordinate units into report pixels: each edge is
// converted on its own, so neighbouring views keep sharing their edges.
void ConvertOldGeometry(TVNView& v);

// The font the designer writes a view's own caption in (subreports, empty pictures, controls).
TFontSpec DesignCaptionFont();
