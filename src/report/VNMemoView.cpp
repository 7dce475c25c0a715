// Memo data model: properties by name, the memo stream tail with its older version rules.
#include "VNMemoView.h"

#include "VNBand.h"
#include "VNEngine.h"
#include "VNReport.h"
#include "expr/VNDataset.h"
#include "expr/VNFormat.h"

#include "platform/Locale.h"

TVNMemoView::TVNMemoView() {
    TypeCode = ViewTypeMemo;
    BaseName = "Memo";
    ClassFormatVersion = 12;
    Font.Charset = VNDefaultCharset;
}

void TVNMemoView::RegisterProperties() {
    TVNView::RegisterProperties();
    for (const char* n : {"Font.Name", "Font.Size", "Font.Style", "Font.Color"})
        RegisterProperty(n, pkHidden);
    RegisterProperty("Font", pkEditor);
    RegisterProperty("Alignment", pkHidden);
    RegisterProperty("Layout", pkHidden);
    RegisterProperty("DisplayFormat", pkEditor);
    RegisterProperty("Highlight", pkEditor);
    for (const char* n : {"LineSpacing", "CharSpacing", "Gapx", "Gapy"})
        RegisterProperty(n, pkInteger);
    for (const char* n : {"Stretched", "Wordwrap", "AutoWidth", "TextOnly", "Suppress", "HideZeros"})
        RegisterProperty(n, pkBoolean);
    RegisterProperty("Lines.Count", pkHidden);
    RegisterProperty("Lines1.Count", pkHidden);
    for (const char* n : {"Underlines", "RTLReading", "WordBreak", "MangeTag"})
        RegisterProperty(n, pkBoolean);
    RegisterProperty("CalcValue", pkHidden);
    RegisterProperty("MergeRepeated", pkBoolean);
    RegisterProperty("LastValue", pkHidden);
    RegisterEnumProperty("RotationType", "rtNone;rt90;rt180;rt270;rt360");
    RegisterProperty("ScaleFontSize", pkBoolean);
    RegisterEnumProperty("ScaleFontType", "ByWidth;ByHeight");
    RegisterProperty("FontScaleWidth", pkInteger);
    RegisterProperty("PrintAtAppendBlank", pkBoolean);
    RegisterProperty("DataFieldOnly", pkBoolean);
    RegisterProperty("ValueChanged", pkHidden);
    // The names of the page's other memos, filled when the inspector asks.
    AnsiString memoNames;
    if (Page)
        for (TVNView* v : Page->Objects)
            if (v != this && dynamic_cast<TVNMemoView*>(v))
                memoNames += (memoNames.empty() ? "" : ";") + v->Name;
    RegisterEnumProperty(
        "MasterMemoView", memoNames, [](TVNObject*) {}, this);
    RegisterProperty("OnBeforePrint", pkSingleOnly | pkEditor);
    RegisterProperty("OnAfterPrint", pkSingleOnly | pkEditor);
}

struct TMemoBit {
    const char* Name;
    std::uint32_t Bit;
    bool Second; // in Flags2
};
static const TMemoBit MemoBits[] = {
    {"WORDWRAP", flWordWrap, false},           {"WORDBREAK", flWordBreak, false},
    {"AUTOWIDTH", flAutoWidth, false},         {"TEXTONLY", flTextOnly, false},
    {"SUPPRESS", flSuppress, false},           {"HIDEZEROS", flHideZeros, false},
    {"UNDERLINES", flUnderlines, false},       {"RTLREADING", flRTLReading, false},
    {"MERGEREPEATED", flMergeRepeated, false}, {"MANGETAG", fl2MangeTag, true},
    {"SCALEFONTSIZE", fl2ScaleFontSize, true}, {"PRINTATAPPENDBLANK", fl2PrintAtAppendBlank, true},
    {"DATAFIELDONLY", fl2DataFieldOnly, true},
};

void TVNMemoView::SetProperty(const AnsiString& name, const Value& value) {
    TVNView::SetProperty(name, value);
    const AnsiString n = UpperCase(name);
    if (n == "FONT.NAME")
        Font.Name = value.AsString();
    else if (n == "FONT.SIZE")
        Font.Size = ClampTextMetric(value.AsInteger());
    else if (n == "FONT.STYLE")
        Font.Style = int(value.AsInteger());
    else if (n == "FONT.COLOR")
        Font.Color = TColor(value.AsInteger());
    else if (n == "ALIGNMENT")
        Adjust = (Adjust & ~3) | int(value.AsInteger() & 3);
    else if (n == "LAYOUT")
        Adjust = (Adjust & ~0x18) | int(value.AsInteger() & 0x18);
    else if (n == "LINESPACING")
        LineSpacing = ClampTextMetric(value.AsInteger());
    else if (n == "CHARSPACING")
        CharSpacing = ClampTextMetric(value.AsInteger());
    else if (n == "ROTATIONTYPE")
        RotationType = std::uint8_t(value.AsInteger());
    else if (n == "SCALEFONTTYPE")
        ScaleFontType = std::uint8_t(value.AsInteger());
    else if (n == "FONTSCALEWIDTH")
        FontScaleWidth = std::uint16_t(value.AsInteger());
    else if (n == "MASTERMEMOVIEW")
        MasterMemoView = value.AsString();
    else if (n == "LASTVALUE")
        LastValue = value.AsString();
    else if (n == "LINES")
        Memo = SplitLines(value.AsString());
    else {
        for (const TMemoBit& b : MemoBits) {
            if (n != b.Name) continue;
            if (b.Second)
                SetFlag2(b.Bit, value.AsBoolean());
            else
                SetFlag(std::uint16_t(b.Bit), value.AsBoolean());
            // A memo that sizes itself or breaks words cannot also scale its font.
            if ((b.Bit == flAutoWidth || b.Bit == flWordBreak) && !b.Second && value.AsBoolean())
                SetFlag2(fl2ScaleFontSize, false);
        }
    }
}

Value TVNMemoView::GetProperty(const AnsiString& name) {
    Value v = TVNView::GetProperty(name);
    if (!v.IsEmpty()) return v;
    const AnsiString n = UpperCase(name);
    if (n == "FONT.NAME") return Value(Font.Name);
    if (n == "FONT.SIZE") return Value(Font.Size);
    if (n == "FONT.STYLE") return Value(Font.Style);
    if (n == "FONT.COLOR") return Value(std::int64_t(Font.Color));
    if (n == "ALIGNMENT") return Value(Alignment());
    if (n == "LAYOUT") return Value(Layout());
    if (n == "LINESPACING") return Value(LineSpacing);
    if (n == "CHARSPACING") return Value(CharSpacing);
    if (n == "ROTATIONTYPE") return Value(int(RotationType));
    if (n == "SCALEFONTTYPE") return Value(int(ScaleFontType));
    if (n == "FONTSCALEWIDTH") return Value(int(FontScaleWidth));
    if (n == "MASTERMEMOVIEW") return Value(MasterMemoView);
    if (n == "LASTVALUE") return Value(LastValue);
    if (n == "VALUECHANGED") return Value::Boolean(ValueChanged);
    if (n == "LINES") return ListText(Memo);
    if (n == "LINES.COUNT") return Value(int(Memo.size()));
    if (n == "LINES1.COUNT") return Value(int(Memo1.size()));
    if (n == "CALCVALUE") return Memo1.empty() ? Value(0) : Value(Memo1[0]);
    for (const TMemoBit& b : MemoBits)
        if (n == b.Name) return Value::Boolean(b.Second ? (Flags2 & b.Bit) != 0 : (Flags & b.Bit) != 0);
    return Value();
}

Value TVNMemoView::CallMethod(const AnsiString& name, const Value& p1, const Value& p2, const Value& p3) {
    const AnsiString n = UpperCase(name);
    Value result;
    if (CallListMethod(n, "LINES", Memo, p1, result)) return result;
    if ((n == "SETINDEXPROPERTY" || n == "GETINDEXPROPERTY") && UpperCase(p1.AsString()) == "LINES")
        return TVNView::CallMethod(name, Value("MEMO"), p2, p3);
    return TVNView::CallMethod(name, p1, p2, p3);
}

void TVNMemoView::ScaleForPaint() {
    FSavedFontScaleWidth = FontScaleWidth;
    TVNView::ScaleForPaint();
    FontScaleWidth = std::uint16_t(RoundToIntClamped(FontScaleWidth * PaintScaleX));
}

void TVNMemoView::UnscaleAfterPaint() {
    TVNView::UnscaleAfterPaint();
    FontScaleWidth = FSavedFontScaleWidth;
}

void TVNMemoView::WriteToStream(TVNStream& s) {
    // The common part and the memo's tail go out together: one stream write per record.
    TVNRecordWriter w(s);
    WriteViewFields(w);
    w.Str(Font.Name);
    {
        TVNRecordWriter::TFieldRun f(w, 16);
        f.I32(Font.Size);
        f.U16(std::uint16_t(Font.Style));
        f.I32(std::int32_t(Font.Color));
        f.I32(Adjust);
        f.U16(std::uint16_t(Font.Charset));
    }
    if (!IsPrinting) {
        w.U16(std::uint16_t(HighlightFontStyle));
        w.I32(std::int32_t(HighlightFontColor));
        w.I32(std::int32_t(HighlightFillColor));
        w.Str(HighlightCondition);
    }
    {
        TVNRecordWriter::TFieldRun f(w, 12);
        f.I32(CharSpacing);
        f.I32(LineSpacing);
        f.Byte(RotationType);
        f.Byte(ScaleFontType);
        f.U16(FontScaleWidth);
    }
    w.Str(MasterMemoView);
    w.Flush();
}

void TVNMemoView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    ReadMemoTail(s);
    ClassFormatVersion = 12;
}

void TVNMemoView::ReadMemoTail(TVNStream& s) {
    const int ver = s.Version;
    Font.Name = s.ReadStr();
    Font.Size = s.ReadInt32();
    Font.Style = s.ReadInt16();
    Font.Color = TColor(s.ReadInt32());
    Adjust = s.ReadInt32();
    Font.Charset = ver >= 23 ? s.ReadInt16() : VNDefaultCharset;
    if (IsPrinting && ver < 29) s.Skip(1);
    if (!IsPrinting) {
        HighlightFontStyle = s.ReadInt16();
        HighlightFontColor = TColor(s.ReadInt32());
        HighlightFillColor = TColor(s.ReadInt32());
        HighlightCondition = s.ReadStr();
    }
    if (ver >= 24) {
        CharSpacing = s.ReadInt32();
        LineSpacing = s.ReadInt32();
    }
    if (ViewFormatVersion < 10) {
        RotationType = (Adjust & 4) ? 1 : 0;
        Adjust &= ~4;
    } else {
        RotationType = s.ReadByte();
    }
    if (ClassFormatVersion > 9) ScaleFontType = s.ReadByte();
    if (ClassFormatVersion > 10) FontScaleWidth = s.ReadUInt16();
    if (ClassFormatVersion > 11) MasterMemoView = s.ReadStr();
    if (ver == 21) SetFlag(flWordWrap, true);
    // Line heights are summed over every line of a text: a damaged size or spacing must not
    // overflow them.
    Font.Size = ClampTextMetric(Font.Size);
    LineSpacing = ClampTextMetric(LineSpacing);
    CharSpacing = ClampTextMetric(CharSpacing);
    if (!IsPrinting) {
        if (ver < 32)
            Format = std::int32_t(std::uint32_t(Format) + 3);
        else if (ver == 32)
            Format = std::int32_t(std::uint32_t(Format) + 2);
    }
}

void TVNMemoView::EvaluateText() {
    Memo1.clear();
    TVNReport* report = Report();
    // Blank rows of a data band print empty memos unless they ask to print there.
    if (report && report->BlankRowMode && OwnerBand && IsDataBandType(OwnerBand->Type) &&
        !(Flags2 & fl2PrintAtAppendBlank))
        return;
    if (Flags2 & fl2DataFieldOnly) {
        if (BoundDataSet)
            if (TField* field = BoundDataSet->FindField(BoundFieldName))
                Memo1 = SplitLines(FormatValue(FieldValue(*field), Format, FormatText));
        return;
    }
    if (Flags & flTextOnly) {
        Memo1 = Memo;
        return;
    }
    for (const AnsiString& line : Memo)
        Memo1.push_back(line.find('[') == AnsiString::npos
                            ? line
                            : ExpandTag(line, [this](const AnsiString& g) { return EvaluateBracket(g); }));
}
