// Common view behaviour: defaults, property access by name, the stream record with every older
// version rule, scaling for paint, background and frame painting, band alignment and naming.
#include "VNView.h"

#include "VNBand.h"
#include "VNEngine.h"
#include "VNPage.h"
#include "VNReport.h"
#include "VNViewFactory.h"

#include "platform/Canvas.h"
#include "platform/Locale.h"
#include "platform/MemDataSet.h"

#include <algorithm>
#include <cmath>
#include <set>

static int RoundInt(double v) {
    return RoundToIntClamped(v);
}

// Painted edges stay within this many pixels either way, so the painters can add or take a few
// pixels (and add two edges) without overflowing, whatever the scale of the drawing target.
static constexpr double MaxPaintCoordinate = double(1 << 28);

static int PaintInt(double v) {
    return RoundInt(std::clamp(std::isnan(v) ? 0.0 : v, -MaxPaintCoordinate, MaxPaintCoordinate));
}

AnsiString ExpandBrackets(std::string_view text, const TVNTextEvaluator& evaluate) {
    AnsiString out;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size() && text[i + 1] == '[') {
            out += '[';
            i += 2;
            continue;
        }
        if (c != '[') {
            // A double-byte character is copied whole so its trail byte is never taken for "[".
            std::size_t n = CharLengthAt(text, i);
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        int depth = 0;
        std::size_t j = i;
        for (; j < text.size(); j += CharLengthAt(text, j)) {
            if (text[j] == '[')
                ++depth;
            else if (text[j] == ']' && --depth == 0)
                break;
        }
        if (j >= text.size()) { // unmatched: the rest stays literal
            out.append(text.substr(i));
            break;
        }
        AnsiString inner(text.substr(i + 1, j - i - 1));
        out += evaluate ? evaluate(inner) : inner;
        i = j + 1;
    }
    return out;
}

TVNView::TVNView() {
    for (int i = 0; i < 4; ++i)
        Frames()[i] = TVNFrameLine{};
}

TVNReport* TVNView::Report() const {
    return Page ? Page->Report : nullptr;
}

// ---- frames -------------------------------------------------------------------------------------

int TVNView::FrameTyp() const {
    return (TopFrame().Visible ? VNftTop : 0) | (LeftFrame().Visible ? VNftLeft : 0) |
           (BottomFrame().Visible ? VNftBottom : 0) | (RightFrame().Visible ? VNftRight : 0);
}

void TVNView::SetFrameTyp(int bits) {
    TopFrame().Visible = (bits & VNftTop) ? 1 : 0;
    LeftFrame().Visible = (bits & VNftLeft) ? 1 : 0;
    BottomFrame().Visible = (bits & VNftBottom) ? 1 : 0;
    RightFrame().Visible = (bits & VNftRight) ? 1 : 0;
}

// "psDouble" (7) is not a pen: it stands for a solid double line.
static std::uint8_t FrameStyleFromEnum(int v) {
    return v == 7 ? std::uint8_t(fsDoubleLine) : std::uint8_t(v);
}
static int FrameStyleToEnum(std::uint8_t s) {
    return s == std::uint8_t(fsDoubleLine) ? 7 : int(s);
}

// ---- properties ---------------------------------------------------------------------------------

void TVNView::RegisterViewProperties(bool withFrameGroup) {
    RegisterProperty("Name", pkString | pkSingleOnly);
    RegisterProperty("Left", pkPixelSize);
    RegisterProperty("Top", pkPixelSize);
    RegisterProperty("Height", pkPixelSize);
    RegisterProperty("Width", pkPixelSize);
    for (const char* n :
         {"Flags", "IsPrinting", "LeftFrame.Visible", "TopFrame.Visible", "RightFrame.Visible",
          "BottomFrame.Visible", "LeftFrame.Width", "TopFrame.Width", "RightFrame.Width", "BottomFrame.Width",
          "LeftFrame.Color", "TopFrame.Color", "RightFrame.Color", "BottomFrame.Color", "LeftFrame.Style",
          "TopFrame.Style", "RightFrame.Style", "BottomFrame.Style"})
        RegisterProperty(n, pkHidden);
    if (withFrameGroup) {
        RegisterProperty("FrameTyp", pkInteger);
        RegisterProperty("FrameWidth", pkPixelSize | pkFloat);
        RegisterProperty("FrameColor", pkColor);
        RegisterEnumProperty("FrameStyle", "psSolid;psDash;psDot;psDashDot;psDashDotDot;psDouble", nullptr,
                             nullptr, {0, 1, 2, 3, 4, 7});
        RegisterProperty("FillColor", pkColor);
        RegisterProperty("Tag", pkSingleOnly | pkEditor);
        RegisterEnumProperty("BandAlign",
                             "baNone;baLeft;baRight;baCenter;baWidth;baBottom;baClient;baHeight;baRest",
                             nullptr, nullptr, {0, 1, 2, 3, 4, 5, 7, 8, 9});
        RegisterProperty("PrintFrame", pkBoolean);
        RegisterProperty("PrintVisible", pkBoolean);
    }
    RegisterProperty("Visible", pkBoolean);
    RegisterProperty("Memo", pkSingleOnly | pkEditor);
    RegisterProperty("Memo.Count", pkHidden);
    RegisterProperty("Restrictions", pkEditor);
    RegisterProperty("Memo1", pkHidden);
}

void TVNView::RegisterProperties() {
    RegisterViewProperties(true);
}

static const char* const FrameSideNames[4] = {"LEFTFRAME", "TOPFRAME", "RIGHTFRAME", "BOTTOMFRAME"};

void TVNView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    auto asInt = [&] { return int(value.AsInteger()); };
    if (n == "NAME")
        Name = value.AsString();
    else if (n == "LEFT")
        Left = ClampCoordinate(value.AsInteger());
    else if (n == "TOP")
        Top = ClampCoordinate(value.AsInteger());
    else if (n == "WIDTH")
        Width = ClampCoordinate(value.AsInteger());
    else if (n == "HEIGHT")
        Height = ClampCoordinate(value.AsInteger());
    else if (n == "FLAGS")
        Flags = std::uint16_t(asInt());
    else if (n == "FILLCOLOR")
        FillColor = TColor(value.AsInteger());
    else if (n == "GAPX")
        GapX = ClampCoordinate(value.AsInteger());
    else if (n == "GAPY")
        GapY = ClampCoordinate(value.AsInteger());
    else if (n == "BANDALIGN")
        BandAlign = std::uint8_t(asInt());
    else if (n == "TAG")
        Tag = value.AsString();
    else if (n == "VISIBLE")
        Visible = value.AsBoolean();
    else if (n == "ISPRINTING")
        IsPrinting = value.AsBoolean();
    else if (n == "FRAMETYP")
        SetFrameTyp(asInt());
    else if (n == "FRAMEWIDTH") {
        for (int i = 0; i < 4; ++i)
            Frames()[i].Width = float(value.AsFloat());
    } else if (n == "FRAMECOLOR") {
        for (int i = 0; i < 4; ++i)
            Frames()[i].Color = TColor(value.AsInteger());
    } else if (n == "FRAMESTYLE") {
        for (int i = 0; i < 4; ++i)
            Frames()[i].Style = FrameStyleFromEnum(asInt());
    } else if (n == "MEMO")
        Memo = SplitLines(value.AsString());
    else if (n == "MEMO1")
        Memo1 = SplitLines(value.AsString());
    else if (n == "DATAFIELD")
        Memo = SplitLines(value.AsString());
    else if (n == "STRETCHED")
        SetStretched(value.AsBoolean());
    else if (n == "PRINTFRAME")
        SetPrintFrame(value.AsBoolean());
    else if (n == "PRINTVISIBLE")
        SetPrintVisible(value.AsBoolean());
    else if (n.find('.') != std::string::npos) {
        for (int side = 0; side < 4; ++side) {
            AnsiString prefix = AnsiString(FrameSideNames[side]) + ".";
            if (n.rfind(prefix, 0) != 0) continue;
            AnsiString field = n.substr(prefix.size());
            TVNFrameLine& f = Frames()[side];
            if (field == "VISIBLE")
                f.Visible = value.AsBoolean() ? 1 : 0;
            else if (field == "WIDTH")
                f.Width = float(value.AsFloat());
            else if (field == "COLOR")
                f.Color = TColor(value.AsInteger());
            else if (field == "STYLE")
                f.Style = FrameStyleFromEnum(asInt());
        }
    }
}

Value TVNView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "NAME") return Value(Name);
    if (n == "LEFT") return Value(Left);
    if (n == "TOP") return Value(Top);
    if (n == "WIDTH") return Value(Width);
    if (n == "HEIGHT") return Value(Height);
    if (n == "FLAGS") return Value(int(Flags));
    if (n == "FILLCOLOR") return Value(std::int64_t(FillColor));
    if (n == "GAPX") return Value(GapX);
    if (n == "GAPY") return Value(GapY);
    if (n == "BANDALIGN") return Value(int(BandAlign));
    if (n == "TAG") return Value(Tag);
    if (n == "VISIBLE") return Value::Boolean(Visible);
    if (n == "ISPRINTING") return Value::Boolean(IsPrinting);
    if (n == "FRAMETYP") return Value(FrameTyp());
    if (n == "FRAMEWIDTH") return Value(double(TopFrame().Width));
    if (n == "FRAMECOLOR") return Value(std::int64_t(TopFrame().Color));
    if (n == "FRAMESTYLE") return Value(FrameStyleToEnum(TopFrame().Style));
    if (n == "MEMO") return ListText(Memo);
    if (n == "MEMO1") return ListText(Memo1);
    if (n == "MEMO.COUNT") return Value(int(Memo.size()));
    if (n == "DATAFIELD") return Value(Memo.empty() ? AnsiString() : Memo[0]);
    if (n == "STRETCHED") return Value::Boolean(Stretched());
    if (n == "PRINTFRAME") return Value::Boolean(PrintFrame());
    if (n == "PRINTVISIBLE") return Value::Boolean(PrintVisible());
    if (n.find('.') != std::string::npos) {
        for (int side = 0; side < 4; ++side) {
            AnsiString prefix = AnsiString(FrameSideNames[side]) + ".";
            if (n.rfind(prefix, 0) != 0) continue;
            AnsiString field = n.substr(prefix.size());
            const TVNFrameLine& f = Frames()[side];
            if (field == "VISIBLE") return Value::Boolean(f.Visible != 0);
            if (field == "WIDTH") return Value(double(f.Width));
            if (field == "COLOR") return Value(std::int64_t(f.Color));
            if (field == "STYLE") return Value(FrameStyleToEnum(f.Style));
        }
    }
    return Value();
}

Value TVNView::EvaluateArgument(const Value& v) {
    TVNReport* report = Report();
    if (report && report->ExpressionEvaluator && v.IsString())
        return report->ExpressionEvaluator(v.AsString());
    return v;
}

bool TVNView::CallListMethod(const AnsiString& n, const AnsiString& listName, TVNStrings& list,
                             const Value& p1, Value& result) {
    if (n == listName + ".ADD") {
        list.push_back(EvaluateArgument(p1).AsString());
        return true;
    }
    if (n == listName + ".CLEAR") {
        list.clear();
        return true;
    }
    if (n == listName + ".DELETE") {
        std::int64_t i = EvaluateArgument(p1).AsInteger();
        if (i >= 0 && i < std::int64_t(list.size())) list.erase(list.begin() + i);
        return true;
    }
    if (n == listName + ".INDEXOF") {
        AnsiString s = EvaluateArgument(p1).AsString();
        auto it = std::find(list.begin(), list.end(), s);
        result = Value(it == list.end() ? -1 : int(it - list.begin()));
        return true;
    }
    return false;
}

Value TVNView::CallMethod(const AnsiString& name, const Value& p1, const Value& p2, const Value& p3) {
    const AnsiString n = UpperCase(name);
    Value result;
    if (n == "HIDE")
        Visible = false;
    else if (n == "SHOW")
        Visible = true;
    else if (CallListMethod(n, "MEMO", Memo, p1, result))
        return result;
    else if (n == "SETINDEXPROPERTY" || n == "GETINDEXPROPERTY") {
        if (UpperCase(p1.AsString()) != "MEMO") return result;
        std::int64_t i = p2.AsInteger();
        if (i < 0 || i >= std::int64_t(Memo.size())) return result;
        if (n == "SETINDEXPROPERTY")
            Memo[std::size_t(i)] = p3.AsString();
        else
            result = Value(Memo[std::size_t(i)]);
    }
    return result;
}

// ---- stream record ------------------------------------------------------------------------------

// The record is gathered by a record writer and reaches the stream in one write (a long text
// aside): the band engine writes this record for every printed view.
void TVNView::WriteToStream(TVNStream& s) {
    TVNRecordWriter w(s);
    WriteViewFields(w);
    w.Flush();
}

void TVNView::WriteViewFields(TVNRecordWriter& w) {
    w.Str(Name);
    {
        TVNRecordWriter::TFieldRun f(w, 79);
        f.Byte(10);
        f.Byte(ClassFormatVersion);
        f.I32(Left);
        f.I32(Top);
        f.I32(Width);
        f.I32(Height);
        f.U16(Flags);
        f.I32(std::int32_t(Flags2));
        for (int i = 0; i < 4; ++i) {
            const TVNFrameLine& line = Frames()[i];
            f.Byte(line.Visible);
            f.Byte(line.Style);
            f.I32(std::int32_t(line.Color));
            f.I32(line.Width == 1.0f ? 1000 : RoundInt(double(line.Width) * 1000));
        }
        f.U16(DiagonalType);
        f.I32(GapX);
        f.I32(GapY);
        f.I32(std::int32_t(FillColor));
        f.Byte(BandAlign);
    }
    if (!IsPrinting) {
        w.I32(Format);
        w.Str(FormatText);
    }
    w.StrList(IsPrinting ? Memo1 : Memo);
    if (!IsPrinting) {
        w.StrList(OnBeforePrint);
        w.StrList(OnAfterPrint);
        w.U16(Visible ? 0xFFFF : 0);
    }
    w.U16(Restrictions);
    w.Str(Tag);
}

void TVNView::ReadFromStream(TVNStream& s) {
    const int ver = s.Version;
    ViewFormatVersion = 0;
    ClassFormatVersion = 0;
    TVNStrings& text = IsPrinting ? Memo1 : Memo;
    if (ver <= 24) {
        if (ver == 24 || (ver == 23 && !IsPrinting))
            Name = s.ReadStr();
        else if (ver < 23 && !IsPrinting)
            MakeUniqueName();
        Left = s.ReadInt32();
        Top = s.ReadInt32();
        Width = s.ReadInt32();
        Height = s.ReadInt32();
        Flags = s.ReadUInt16();
        int frameTyp = s.ReadUInt16();
        float frameWidth = s.ReadFloat();
        TColor frameColor = TColor(s.ReadInt32());
        int frameStyle = s.ReadUInt16();
        FillColor = TColor(s.ReadInt32());
        if (ver >= 24) {
            GapX = s.ReadInt32();
            GapY = s.ReadInt32();
        }
        if (!IsPrinting) {
            Format = s.ReadInt32();
            FormatText = s.ReadStr();
        }
        text = s.ReadStrList();
        if (ver >= 23 && !IsPrinting) {
            OnBeforePrint = s.ReadStrList();
            Visible = s.ReadUInt16() != 0;
        }
        ApplyOldFrameFields(frameTyp, frameWidth, frameColor, frameStyle);
        return;
    }
    Name = s.ReadStr();
    if (ver >= 29) {
        ViewFormatVersion = s.ReadByte();
        ClassFormatVersion = s.ReadByte();
    }
    Left = s.ReadInt32();
    Top = s.ReadInt32();
    Width = s.ReadInt32();
    Height = s.ReadInt32();
    Flags = s.ReadUInt16();
    if (ViewFormatVersion > 9) Flags2 = std::uint32_t(s.ReadInt32());
    bool oldFrame = ver * 100 + ViewFormatVersion * 10 <= 3829;
    int frameTyp = 0, frameStyle = 0;
    double frameWidth = 1;
    TColor frameColor = clBlack;
    if (!oldFrame) {
        for (int i = 0; i < 4; ++i) {
            TVNFrameLine& f = Frames()[i];
            f.Visible = s.ReadByte();
            f.Style = s.ReadByte();
            f.Color = TColor(s.ReadInt32());
            f.Width = float(s.ReadInt32() / 1000.0);
        }
        DiagonalType = s.ReadUInt16();
        GapX = s.ReadInt32();
        GapY = s.ReadInt32();
    } else {
        frameTyp = s.ReadUInt16();
        if (ver < 30)
            frameWidth = s.ReadFloat();
        else
            frameWidth = TryStrToFloat(s.ReadStr()).value_or(1.0);
        frameColor = TColor(s.ReadInt32());
        s.Skip(2);
        frameStyle = s.ReadUInt16();
        GapX = s.ReadInt32();
        GapY = s.ReadInt16();
    }
    FillColor = TColor(s.ReadInt32());
    if (ver >= 28) BandAlign = s.ReadByte();
    if (!IsPrinting) {
        Format = s.ReadInt32();
        FormatText = s.ReadStr();
    }
    text = s.ReadStrList();
    if (!IsPrinting && ver >= 23) {
        OnBeforePrint = s.ReadStrList();
        if (ver >= 26) OnAfterPrint = s.ReadStrList();
        Visible = s.ReadUInt16() != 0;
    }
    if (ver >= 29) {
        Restrictions = s.ReadUInt16();
        Tag = s.ReadStr();
    }
    if (oldFrame) ApplyOldFrameFields(frameTyp, frameWidth, frameColor, frameStyle);
    // Gaps enter every text layout sum; a damaged file may hold any int.
    GapX = ClampCoordinate(GapX);
    GapY = ClampCoordinate(GapY);
}

void TVNView::ApplyOldFrameFields(int frameTyp, double frameWidth, TColor frameColor, int frameStyle) {
    SetProperty("FrameTyp", Value(frameTyp));
    SetProperty("FrameWidth", Value(frameWidth));
    SetProperty("FrameColor", Value(std::int64_t(frameColor)));
    SetProperty("FrameStyle", Value(frameStyle));
    if (TypeCode == ViewTypeBand) {
        DiagonalType = std::uint16_t(frameTyp);
    } else {
        DiagonalType = 0;
        if (frameTyp & 0x20) DiagonalType = 1;
        if (frameTyp & 0x40) DiagonalType = 2;
    }
}

void TVNView::WriteToPage(TVNStream& s) {
    bool keep = IsPrinting;
    IsPrinting = true;
    s.WriteByte(TypeCode);
    if (TypeCode == ViewTypeAddIn) s.WriteStr(ClassName());
    WriteToStream(s);
    IsPrinting = keep;
}

void TVNView::RunScript(int which) {
    TVNReport* report = Report();
    if (report && report->ScriptRunner) report->ScriptRunner(this, which);
}

void TVNView::NotifyPrinted() {
    TVNReport* report = Report();
    if (report && report->ExportSink) report->ExportSink->ViewPrinted(*this, Left, Top);
}

void TVNView::LoadFieldData(TField* field) {
    if (!field) return;
    Memo1 = SplitLines(field->DisplayText());
}

// ---- copying and naming -------------------------------------------------------------------------

void TVNView::AssignView(TVNView& source) {
    Name = source.Name;
    TypeCode = source.TypeCode;
    DesignSelected = source.DesignSelected;
    TVNStream s;
    bool keepSource = source.IsPrinting, keepTarget = IsPrinting;
    source.IsPrinting = false;
    IsPrinting = false;
    source.WriteToStream(s);
    s.Seek(0);
    ReadFromStream(s);
    source.IsPrinting = keepSource;
    IsPrinting = keepTarget;
}

void TVNView::MakeUniqueName() {
    std::set<AnsiString> names;
    if (TVNReport* report = Report()) {
        for (int p = 0; p < report->Pages.Count(); ++p)
            for (TVNView* v : report->Pages[p].Objects) {
                names.insert(UpperCase(v->Name));
                std::vector<AnsiString> inner;
                v->CollectNames(inner);
                for (auto& s : inner)
                    names.insert(UpperCase(s));
            }
    }
    std::vector<AnsiString> taken;
    CollectTakenNames(taken);
    for (auto& s : taken)
        names.insert(UpperCase(s));
    for (int i = 1; i <= 10000; ++i) {
        AnsiString candidate = BaseName + IntToStr(i);
        if (!names.count(UpperCase(candidate))) {
            Name = candidate;
            return;
        }
    }
    Name.clear();
}

AnsiString TVNView::ExpandTag(const AnsiString& text, const TVNTextEvaluator& evaluate) {
    if (evaluate) return ExpandBrackets(text, evaluate);
    TVNReport* report = Report();
    if (report && report->TextEvaluator) return ExpandBrackets(text, report->TextEvaluator);
    return ExpandBrackets(text, [](const AnsiString& e) { return e; });
}

// ---- painting -----------------------------------------------------------------------------------

void TVNView::ScaleForPaint() {
    FSaved = {Left, Top, Width, Height, GapX, GapY, {}};
    for (int i = 0; i < 4; ++i)
        FSaved.FrameWidth[i] = Frames()[i].Width;
    if (!VNState().RunMode) {
        PaintScaleX = PaintScaleY = 1;
        PaintOffsetX = PaintOffsetY = 0;
    }
    // Computed in doubles and clamped: a damaged built page cannot overflow the geometry.
    const double l0 = Left, t0 = Top, w0 = Width, h0 = Height;
    Left = PaintInt(std::nearbyint(l0 * PaintScaleX) + PaintOffsetX);
    Top = PaintInt(std::nearbyint(t0 * PaintScaleY) + PaintOffsetY);
    Width = PaintInt(w0 * PaintScaleX);
    Height = PaintInt(h0 * PaintScaleY);
    double fw[4];
    for (int i = 0; i < 4; ++i) {
        TVNFrameLine& f = Frames()[i];
        if (!f.Visible) f.Width = 0;
        fw[i] = f.Width;
    }
    GapX = PaintInt(GapX * PaintScaleX + 0.5);
    GapY = PaintInt(GapY * PaintScaleY + 0.5);
    for (int i = 0; i < 4; ++i)
        Frames()[i].Width = float(Frames()[i].Width * PaintScaleX);
    double inner[4] = {
        double(Left) + std::nearbyint(PaintScaleX * fw[0] / 2),
        double(Top) + std::nearbyint(PaintScaleY * fw[1] / 2),
        std::nearbyint(PaintScaleX * (l0 + w0) + PaintOffsetX) -
            std::nearbyint((PaintScaleX * fw[2] - 1) / 2) + 1,
        std::nearbyint(PaintScaleY * (t0 + h0) + PaintOffsetY) -
            std::nearbyint((PaintScaleY * fw[3] - 1) / 2) + 1,
    };
    // A double side moves its edge inward by twice its scaled width.
    const double sign[4] = {1, 1, -1, -1};
    const int sideOfEdge[4] = {0, 1, 2, 3};
    for (int e = 0; e < 4; ++e) {
        const TVNFrameLine& f = Frames()[sideOfEdge[e]];
        if (f.Visible && (f.Style & fsDoubleLine)) inner[e] += sign[e] * std::nearbyint(2.0 * f.Width);
    }
    InnerRect = TRect{PaintInt(inner[0]), PaintInt(inner[1]), PaintInt(inner[2]), PaintInt(inner[3])};
}

void TVNView::ClampStoredGeometry() {
    Left = ClampCoordinate(Left);
    Top = ClampCoordinate(Top);
    Width = ClampCoordinate(Width);
    Height = ClampCoordinate(Height);
    for (TVNFrameLine& f : Frames())
        f.Width = std::isnan(f.Width) ? 0.0f
                                      : std::clamp(f.Width, -float(VNMaxCoordinate), float(VNMaxCoordinate));
}

void TVNView::UnscaleAfterPaint() {
    Left = FSaved.Left;
    Top = FSaved.Top;
    Width = FSaved.Width;
    Height = FSaved.Height;
    GapX = FSaved.GapX;
    GapY = FSaved.GapY;
    for (int i = 0; i < 4; ++i)
        Frames()[i].Width = FSaved.FrameWidth[i];
}

void TVNView::FillBackground() {
    if (!Canvas || VNState().DoublePassFirstPass) return;
    if (VNState().RunMode && FillColor == clNone) return;
    TVNReport* report = Report();
    if (IsPrinting && report && !report->PrintBackColor) return;
    TRect r{Left, Top, ClampToInt(std::int64_t(Left) + Width + 1),
            ClampToInt(std::int64_t(Top) + Height + 1)};
    TBrush brush;
    brush.Style = TBrushStyle::Solid;
    brush.Color = FillColor == clNone ? clWhite : FillColor;
    Canvas->SetBrush(brush);
    Canvas->FillRect(r);
}

static TPenStyle PenStyleOf(std::uint8_t style) {
    int s = style & ~fsDoubleLine;
    return s <= 6 ? TPenStyle(s) : TPenStyle::Solid;
}

void TVNView::PaintFrame() {
    if (!Canvas) return;
    TVNReport* report = Report();
    if (report && report->taoda && !PrintFrame()) return;
    bool anySide = LeftFrame().Visible || TopFrame().Visible || RightFrame().Visible || BottomFrame().Visible;
    if (VNState().RunMode && !anySide && DiagonalType == 0) return;
    const int l = Left, t = Top, r = ClampToInt(std::int64_t(Left) + Width),
              b = ClampToInt(std::int64_t(Top) + Height);
    auto add = [](int a, std::int64_t d) { return ClampToInt(std::int64_t(a) + d); };
    auto penFor = [](const TVNFrameLine& f) {
        TPen pen;
        pen.Style = PenStyleOf(f.Style);
        pen.Width = std::max(1, RoundInt(f.Width));
        pen.Color = f.Color;
        pen.End = TPenEnd::Square;
        return pen;
    };
    bool allEqual = LeftFrame().Visible && TopFrame().Visible && RightFrame().Visible && BottomFrame().Visible;
    for (int i = 1; i < 4 && allEqual; ++i)
        allEqual = Frames()[i].Style == LeftFrame().Style && Frames()[i].Color == LeftFrame().Color &&
                   Frames()[i].Width == LeftFrame().Width;
    if (allEqual) {
        Canvas->SetPen(penFor(LeftFrame()));
        TBrush clear;
        clear.Style = TBrushStyle::Clear;
        Canvas->SetBrush(clear);
        Canvas->Rectangle(TRect{l, t, add(r, 1), add(b, 1)});
        if (LeftFrame().Style & fsDoubleLine) {
            int d = RoundInt(2 * LeftFrame().Width);
            Canvas->Rectangle(
                TRect{add(l, d), add(t, d), add(r, 1 - std::int64_t(d)), add(b, 1 - std::int64_t(d))});
        }
    } else {
        struct TSide {
            const TVNFrameLine* F;
            int X1, Y1, X2, Y2, Dx, Dy;
        };
        const TSide sides[4] = {{&LeftFrame(), l, t, l, b, 1, 0},
                                {&TopFrame(), l, t, r, t, 0, 1},
                                {&RightFrame(), r, t, r, b, -1, 0},
                                {&BottomFrame(), l, b, r, b, 0, -1}};
        for (const TSide& side : sides) {
            if (!side.F->Visible) continue;
            Canvas->SetPen(penFor(*side.F));
            Canvas->MoveTo(side.X1, side.Y1);
            Canvas->LineTo(side.X2, side.Y2);
            if (side.F->Style & fsDoubleLine) {
                int d = RoundInt(2 * side.F->Width);
                Canvas->MoveTo(add(side.X1, std::int64_t(side.Dx) * d),
                               add(side.Y1, std::int64_t(side.Dy) * d));
                Canvas->LineTo(add(side.X2, std::int64_t(side.Dx) * d),
                               add(side.Y2, std::int64_t(side.Dy) * d));
            }
        }
    }
    if (DiagonalType >= 1 && DiagonalType <= 6) {
        TPen thin;
        thin.Width = 1;
        thin.Color = clBlack;
        Canvas->SetPen(thin);
        auto line = [&](int x1, int y1, int x2, int y2) {
            Canvas->MoveTo(x1, y1);
            Canvas->LineTo(x2, y2);
        };
        const int mx = int((std::int64_t(l) + r) / 2), my = int((std::int64_t(t) + b) / 2);
        int d = DiagonalType;
        if (d == 1 || d == 3) line(l, t, r, b);
        if (d == 2 || d == 3) {
            line(l, t, mx, b);
            line(l, t, r, my);
        }
        if (d == 4 || d == 6) line(l, b, r, t);
        if (d == 5 || d == 6) {
            line(l, my, r, t);
            line(mx, b, r, t);
        }
    }
}

TRect TVNView::ClipRegion(bool widened) {
    int grow = widened ? 10 : 0;
    int fl = RoundInt(LeftFrame().Visible ? LeftFrame().Width : 0),
        ft = RoundInt(TopFrame().Visible ? TopFrame().Width : 0);
    int fr = RoundInt(RightFrame().Visible ? RightFrame().Width : 0),
        fb = RoundInt(BottomFrame().Visible ? BottomFrame().Width : 0);
    const std::int64_t l = Left, t = Top;
    return TRect{ClampToInt(l - fl - grow), ClampToInt(t - ft - grow), ClampToInt(l + Width + fr + 1 + grow),
                 ClampToInt(t + Height + fb + 1 + grow)};
}

void TVNView::PlaceAt(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

// ---- band alignment -----------------------------------------------------------------------------

void TVNView::ApplyBandAlign() {
    if (BandAlign == 0 || !OwnerBand) return;
    TVNBand& band = *OwnerBand;
    TVNPage* page = band.Page ? band.Page : Page;
    int leftEdge = 0, rightEdge = band.Width;
    if (page) {
        TRect area = page->PrintableRect();
        leftEdge = area.Left;
        rightEdge = area.Right;
    }
    // Nearest neighbours on the same line.
    TVNView* leftN = nullptr;
    TVNView* rightN = nullptr;
    for (TVNView* v : band.Objects) {
        if (v == this || v->TypeCode == ViewTypeBand || v->Top != Top) continue;
        if (v->Left + v->Width <= Left || v->Left < Left) {
            if (!leftN || v->Left > leftN->Left) leftN = v;
        } else if (v->Left >= Left + Width || v->Left > Left) {
            if (!rightN || v->Left < rightN->Left) rightN = v;
        }
    }
    switch (BandAlign) {
    case 1: {
        int start = leftEdge;
        if (leftN && leftN->BandAlign == 1) start = leftN->Left + leftN->Width;
        int right = Left + Width;
        Left = start;
        if (right > Left) Width = right - Left;
        break;
    }
    case 2: {
        int end = rightEdge;
        if (rightN && rightN->BandAlign == 2) end = rightN->Left - 1;
        Left = end - Width;
        break;
    }
    case 3:
        Left = leftEdge + (rightEdge - leftEdge - Width) / 2;
        break;
    case 4:
    case 7:
        if (band.IsCrossBand()) {
            Left = band.X;
            Width = band.Width;
        } else {
            Left = leftEdge;
            Width = rightEdge - leftEdge - (VNState().RunMode ? 1 : 0);
        }
        if (BandAlign == 7) {
            Top = 0;
            Height = band.Height;
        }
        break;
    case 5:
        Top = band.Height - Height;
        break;
    case 6:
        Top = 0;
        break;
    case 8:
        Top = 0;
        Height = band.Height;
        break;
    case 9: {
        int start = leftN ? leftN->Left + leftN->Width : leftEdge;
        int end = rightN ? rightN->Left : rightEdge;
        Left = start;
        Width = std::max(0, end - start);
        break;
    }
    default:
        break;
    }
}

void ConvertOldGeometry(TVNView& v) {
    const std::int64_t left = v.Left, top = v.Top;
    const int l = ConvertOldCoordinate(left), t = ConvertOldCoordinate(top);
    const int r = ConvertOldCoordinate(left + v.Width), b = ConvertOldCoordinate(top + v.Height);
    v.Left = l;
    v.Top = t;
    v.Width = ClampToInt(std::int64_t(r) - l);
    v.Height = ClampToInt(std::int64_t(b) - t);
}
