// The view kinds that streams know by class name (type code 10) and that the engine registers as
// built-in add-ins: shape, check box, diagonal table head and the rounded, shadowed or
// gradient-filled text box. Each carries exactly its stream tail and draws itself.
#pragma once

#include "VNMemoView.h"
#include "VNViewFactory.h"

#include <vector>

enum TVNShapeKind : std::uint8_t {
    skRectangle = 0,
    skRoundRectangle = 1,
    skEllipse = 2,
    skTriangle = 3,
    skDiagonal1 = 4,
    skDiagonal2 = 5,
    skSquare = 100,
    skRoundSquare = 101,
    skCircle = 102,
    // Drawn, but without a name in the property enumeration.
    skHorzMiddle = 103,
    skLeftRightEdges = 104,
    skTopBottomEdges = 105,
    skVertMiddle = 106,
};

class TVNShapeView : public TVNView {
public:
    TVNShapeView();
    const char* ClassName() const override { return "TVNShapeView"; }
    std::uint8_t Shape = skRectangle;
    std::uint8_t PenMode = 4; // pmCopy
    void RegisterProperties() override;
    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
};

enum TVNCheckStyle : std::uint8_t { csCross = 0, csCheck = 1 };

class TVNCheckBoxView : public TVNView {
public:
    TVNCheckBoxView();
    const char* ClassName() const override { return "TVNCheckBoxView"; }
    std::uint8_t CheckStyle = csCross;
    TColor CheckColor = clBlack;
    void RegisterProperties() override;
    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void WriteToPage(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
    void NotifyPrinted() override;
    // The kind's own fields after the common record, as the stream's version has them.
    void ReadTail(TVNStream& s);
    // Whether the mark shows: in the designer always, when running when the first text line is
    // neither empty nor starts with "0".
    bool Checked() const;
};

class TVNDiagonalView : public TVNMemoView {
public:
    TVNDiagonalView();
    const char* ClassName() const override { return "TVNDiagonalView"; }
    TColor LineColor = clBlack;
    std::int32_t LineWidth = 1;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
};

class TVNRoundRectView : public TVNMemoView {
public:
    TVNRoundRectView();
    const char* ClassName() const override { return "TVNRoundRectView"; }
    // The shadow colour; in gradient mode the gradient's begin colour.
    TColor ShadowColor = 0x808080;
    // The shadow offset; GradientMark switches the box to gradient mode.
    std::int32_t ShadowWidth = 6;
    std::uint8_t CompleteFrame = 1;
    std::uint8_t RoundRect = 1;
    // The corner size; in gradient mode also the gradient style.
    std::int32_t RoundSize = 10;
    static constexpr std::int32_t GradientMark = -99;
    bool Gradient() const { return ShadowWidth == GradientMark; }
    void RegisterProperties() override;
    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
};

// Gradient styles of the rounded box (the "Style" property's codes).
enum TVNGradientStyle : int {
    gsHorizontal = 0,
    gsVertical = 1,
    gsElliptic = 2,
    gsRectangle = 3,
    gsVertCenter = 4,
    gsHorizCenter = 5,
};

// Fills r on the canvas with a gradient from begin to end in the given style.
void PaintGradient(ICanvas& canvas, const TRect& r, TColor begin, TColor end, int style);

// The registry entries of the kinds above and of the rich-text view (VNRichView.h); the view
// factory starts its add-in list with them.
std::vector<TVNAddInObjectInfo> BuiltInAddInViews();
