// Fields, properties, stream tails and registration of the add-in view kinds (shape, check box,
// diagonal head, rounded box). Their drawing is in VNAddInPaint.cpp.
#include "VNAddInViews.h"
#include "VNEngine.h"
#include "VNReport.h"
#include "VNRichView.h"
#include "VNViewFactory.h"

#include <cmath>

// ---- shape --------------------------------------------------------------------------------------

TVNShapeView::TVNShapeView() {
    BaseName = "Shape";
    ClassFormatVersion = 0;
}

void TVNShapeView::RegisterProperties() {
    TVNView::RegisterProperties();
    RegisterEnumProperty("Shape",
                         "skRectangle;skRoundRectangle;skEllipse;skTriangle;skDiagonal1;skDiagonal2;skSquare;"
                         "skRoundSquare;skCircle",
                         nullptr, nullptr, {0, 1, 2, 3, 4, 5, 100, 101, 102});
    // The names run together where one separator is missing; kept so stored scripts still match.
    RegisterEnumProperty("PenMode",
                         "pmBlack;pmWhite;pmNop;pmNot;pmCopy;pmNotCopy;pmMergePenNot;pmMaskPenNot;pmMergeNotPen;"
                         "pmMaskNotPenpmMerge;pmNotMerge;pmMask;pmNotMask;pmXor;pmNotXor");
}

void TVNShapeView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    if (n == "SHAPE")
        Shape = std::uint8_t(value.AsInteger());
    else if (n == "PENMODE")
        PenMode = std::uint8_t(value.AsInteger());
    else
        TVNView::SetProperty(name, value);
}

Value TVNShapeView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "SHAPE") return Value(int(Shape));
    if (n == "PENMODE") return Value(int(PenMode));
    return TVNView::GetProperty(name);
}

void TVNShapeView::WriteToStream(TVNStream& s) {
    TVNView::WriteToStream(s);
    s.WriteByte(Shape);
    s.WriteByte(PenMode);
}

void TVNShapeView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    Shape = s.ReadByte();
    PenMode = s.ReadByte();
    ClassFormatVersion = 0;
}

// ---- check box ----------------------------------------------------------------------------------

TVNCheckBoxView::TVNCheckBoxView() {
    BaseName = "Check";
    ClassFormatVersion = 0;
}

void TVNCheckBoxView::RegisterProperties() {
    TVNView::RegisterProperties();
    RegisterEnumProperty("CheckStyle", "csCross;csCheck");
    RegisterProperty("CheckColor", pkColor);
}

void TVNCheckBoxView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    if (n == "CHECKSTYLE")
        CheckStyle = std::uint8_t(value.AsInteger());
    else if (n == "CHECKCOLOR")
        CheckColor = TColor(value.AsInteger());
    else
        TVNView::SetProperty(name, value);
}

Value TVNCheckBoxView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "CHECKSTYLE") return Value(int(CheckStyle));
    if (n == "CHECKCOLOR") return Value(std::int64_t(CheckColor));
    return TVNView::GetProperty(name);
}

void TVNCheckBoxView::WriteToStream(TVNStream& s) {
    TVNView::WriteToStream(s);
    s.WriteByte(CheckStyle);
    s.WriteInt32(std::int32_t(CheckColor));
}

void TVNCheckBoxView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    ReadTail(s);
    ClassFormatVersion = 0;
}

void TVNCheckBoxView::ReadTail(TVNStream& s) {
    CheckStyle = s.ReadByte();
    if (s.Version >= 24) CheckColor = TColor(s.ReadInt32());
    if (s.Version == 27 || s.Version == 28) s.ReadByte();
}

bool TVNCheckBoxView::Checked() const {
    if (!VNState().RunMode) return true;
    return !Memo.empty() && !Memo.front().empty() && Memo.front()[0] != '0';
}

void TVNCheckBoxView::WriteToPage(TVNStream& s) {
    // While building, the first line is an expression; the page keeps its value as a whole number.
    TVNReport* report = Report();
    if (Page && Page->IsBuilding && report && report->ExpressionEvaluator && !Memo1.empty() &&
        !Trim(Memo1.front()).empty()) {
        const Value v = report->ExpressionEvaluator(Memo1.front());
        Memo1.front() = Value(v.IsNull() ? std::int64_t(0) : Value(v.AsFloat()).AsInteger()).AsString();
    }
    TVNView::WriteToPage(s);
}

// ---- diagonal head ------------------------------------------------------------------------------

TVNDiagonalView::TVNDiagonalView() {
    BaseName = "Diagonal";
    TypeCode = ViewTypeAddIn;
}

void TVNDiagonalView::WriteToStream(TVNStream& s) {
    TVNMemoView::WriteToStream(s);
    s.WriteInt32(std::int32_t(LineColor));
    s.WriteInt32(LineWidth);
}

void TVNDiagonalView::ReadFromStream(TVNStream& s) {
    TVNMemoView::ReadFromStream(s);
    LineColor = TColor(s.ReadInt32());
    LineWidth = s.ReadInt32();
}

// ---- rounded box --------------------------------------------------------------------------------

TVNRoundRectView::TVNRoundRectView() {
    BaseName = "RoundRect";
    TypeCode = ViewTypeAddIn;
}

void TVNRoundRectView::RegisterProperties() {
    TVNMemoView::RegisterProperties();
    RegisterProperty("ShadowColor", pkColor);
    RegisterProperty("ShadowWidth", pkInteger);
    RegisterProperty("RoundRect", pkBoolean);
    RegisterProperty("RoundSize", pkInteger);
    RegisterProperty("Gradient", pkBoolean);
    RegisterEnumProperty("Style", "gsVertical;gsHorizontal;gsElliptic;gsRectangle;gsHorizCenter;gsVertCenter", nullptr,
                         nullptr, {1, 0, 2, 3, 5, 4});
    RegisterProperty("BeginColor", pkColor);
    RegisterProperty("EndColor", pkColor);
}

void TVNRoundRectView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    if (n == "SHADOWCOLOR" || n == "BEGINCOLOR")
        ShadowColor = TColor(value.AsInteger());
    else if (n == "SHADOWWIDTH")
        ShadowWidth = std::int32_t(ClampCoordinate(value.AsInteger()));
    else if (n == "ROUNDRECT")
        RoundRect = value.AsBoolean() ? 1 : 0;
    else if (n == "ROUNDSIZE" || n == "STYLE")
        RoundSize = std::int32_t(ClampCoordinate(value.AsInteger()));
    else if (n == "GRADIENT") {
        if (value.AsBoolean())
            ShadowWidth = GradientMark;
        else if (Gradient())
            ShadowWidth = 6;
    } else if (n == "ENDCOLOR")
        FillColor = TColor(value.AsInteger());
    else
        TVNMemoView::SetProperty(name, value);
}

Value TVNRoundRectView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "SHADOWCOLOR" || n == "BEGINCOLOR") return Value(std::int64_t(ShadowColor));
    if (n == "SHADOWWIDTH") return Value(ShadowWidth);
    if (n == "ROUNDRECT") return Value::Boolean(RoundRect != 0);
    if (n == "ROUNDSIZE" || n == "STYLE") return Value(RoundSize);
    if (n == "GRADIENT") return Value::Boolean(Gradient());
    if (n == "ENDCOLOR") return Value(std::int64_t(FillColor));
    return TVNMemoView::GetProperty(name);
}

void TVNRoundRectView::WriteToStream(TVNStream& s) {
    TVNMemoView::WriteToStream(s);
    s.WriteByte(1);
    s.WriteInt32(std::int32_t(ShadowColor));
    s.WriteInt32(ShadowWidth);
    s.WriteByte(CompleteFrame);
    s.WriteByte(RoundRect);
    s.WriteInt32(RoundSize);
}

void TVNRoundRectView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    const std::uint8_t classVersion = ClassFormatVersion;
    ReadMemoTail(s);
    if (classVersion > 10) s.ReadByte();
    ShadowColor = TColor(s.ReadInt32());
    ShadowWidth = s.ReadInt32();
    CompleteFrame = s.ReadByte();
    RoundRect = s.ReadByte();
    RoundSize = s.ReadInt32();
    ClassFormatVersion = 12;
}

// ---- registration -------------------------------------------------------------------------------

std::vector<TVNAddInObjectInfo> BuiltInAddInViews() {
    return {
        {"TVNShapeView", [] { return new TVNShapeView; }, "VN_ShapeObject", {}, {}},
        {"TVNCheckBoxView", [] { return new TVNCheckBoxView; }, "VN_CHBOXOBJECT", {}, {}},
        {"TVNDiagonalView", [] { return new TVNDiagonalView; }, "VN_DiagonalObject", {}, {}},
        {"TVNRoundRectView", [] { return new TVNRoundRectView; }, "VN_RRECTOBJECT", {}, "TVNRoundRectForm"},
        RichViewAddIn(),
    };
}
