// TVNMemoView: the text view as a data model - font, alignment and layout word, spacing,
// rotation, font scaling, highlight, master memo - its properties by name and its stream tail.
// Measuring and painting the text are the memo layout's business; here they are the hooks the
// layout overrides.
#pragma once

#include "VNView.h"

// Memo bits of Flags.
enum : std::uint16_t {
    flWordWrap = 0x0002,
    flWordBreak = 0x0004,
    flAutoWidth = 0x0008,
    flTextOnly = 0x0010,
    flSuppress = 0x0020,
    flHideZeros = 0x0040,
    flUnderlines = 0x0080,
    flRTLReading = 0x0200,
    flMergeRepeated = 0x1000,
};

// Memo bits of Flags2.
enum : std::uint32_t {
    fl2MangeTag = 0x01,
    fl2ScaleFontSize = 0x04,
    fl2PrintAtAppendBlank = 0x10,
    fl2DataFieldOnly = 0x20,
};

enum TVNAlignment { vntaLeftJustify = 0, vntaRightJustify = 1, vntaCenterJustify = 2, vntaEuqalJustify = 3 };
enum TVNLayout { vntlTop = 0, vntlCenter = 8, vntlBottom = 16 };

// The engine's default character set for report fonts (simplified Chinese).
constexpr int VNDefaultCharset = 134;

// A stretcheable view grows with its content; the four measuring operations are the layout's.
class TVNStretcheable : public TVNView {
public:
    virtual int MeasureHeight() { return Height; }
    virtual int MinLineHeight() { return 0; }
    virtual int FitHeight() { return 0; }
    virtual int RemainingHeight() { return 0; }
    // Set by the band engine while it writes the view as one part of a band drawn across pages
    // (memos have their DrawMode for it): the write takes what fits the Height it is given and
    // keeps the rest for the next part.
    bool SplitPart = false;
    // True while a view written in parts still has a rest to write: the engine does not evaluate
    // it again for the next part.
    virtual bool HasRest() const { return false; }
};

class TVNMemoView : public TVNStretcheable {
public:
    TVNMemoView();
    const char* ClassName() const override { return "TVNMemoView"; }

    TFontSpec Font;
    std::int32_t Adjust = 0; // bits 0-1 alignment, bits 3-4 layout
    std::int32_t LineSpacing = 2;
    std::int32_t CharSpacing = 0;
    std::uint8_t RotationType = 0;
    std::uint8_t ScaleFontType = 0;
    std::uint16_t FontScaleWidth = 0;
    std::int16_t HighlightFontStyle = fsBold;
    TColor HighlightFontColor = clBlack;
    TColor HighlightFillColor = clWhite;
    AnsiString HighlightCondition;
    AnsiString MasterMemoView;
    AnsiString LastValue;
    bool ValueChanged = false;
    // How the next build-time write treats the text, set by the band engine: 0 evaluate it now,
    // 1 it was already evaluated while its band was measured (Memo1 holds it), 2 split: write
    // the lines that fit the Height the engine gave and keep the rest in Memo1. A write that
    // honours the mode returns it to 0.
    std::uint8_t DrawMode = 0;

    int Alignment() const { return Adjust & 3; }
    int Layout() const { return Adjust & 0x18; }

    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    Value CallMethod(const AnsiString& name, const Value& p1 = Value(), const Value& p2 = Value(),
                     const Value& p3 = Value()) override;
    void RegisterProperties() override;
    bool CanEditInPlace() override { return true; }
    void ScaleForPaint() override;
    void UnscaleAfterPaint() override;
    void ReadFromStream(TVNStream& stream) override;
    void WriteToStream(TVNStream& stream) override;

    // Builds Memo1 from Memo: each line through the bracket rule, unless TextOnly.
    virtual void EvaluateText();

    // ---- layout and drawing (VNMemoLayout.cpp, VNMemoPaint.cpp) ----
    // One bracket group: optional inline format after " #", HideZeros, the display format.
    AnsiString EvaluateBracket(const AnsiString& group);
    int MeasureHeight() override;
    int MinLineHeight() override;
    int FitHeight() override;
    int RemainingHeight() override;
    void Paint(ICanvas* canvas) override;
    void WriteToPage(TVNStream& stream) override;
    void NotifyPrinted() override;
    // Widest of the lines (0x01 bytes and MangeTag controls left out), in report pixels.
    int CalcTextWidth(const TVNStrings& lines);

    // Layout state of the current measure, write or paint.
    int TextHeight = 0;
    int LineHeight = 0;
    int LinesDrawn = 0;
    bool ClipLines = false;
    bool PreWrapped = false;
    // Where the last record of this memo went (MergeRepeated).
    const TVNStream* MergeStream = nullptr;
    std::size_t MergePosition = 0;
    std::size_t MergeLength = 0;
    std::int32_t MergeTop = 0;

protected:
    // The memo tail after the common record, by the record's versions.
    void ReadMemoTail(TVNStream& stream);
    std::uint16_t FSavedFontScaleWidth = 0;
};
