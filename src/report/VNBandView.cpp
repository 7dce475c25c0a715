// Band views: type names, defaults, the per-type property set, run-time access and stream tail.
#include "VNBandView.h"

#include "VNBand.h"
#include "VNEngine.h"
#include "VNPage.h"
#include "VNReport.h"
#include "expr/VNDataset.h"

#include "platform/Locale.h"

#include <array>

const AnsiString& BandTypeName(int type) {
    static const std::array<AnsiString, VNBandTypeCount> names = [] {
        const char* utf8[VNBandTypeCount] = {
            "标题",       "总结",       "页标头",     "页注脚",   "主项标头",   "主项数据",
            "主项注脚",   "细项标头",   "细项数据",   "细项注脚", "子细项标头", "子细项数据",
            "子细项注脚", "浮动",       "栏目标头",   "栏目注脚", "分组标头",   "分组注脚",
            "交叉表标头", "交叉表数据", "交叉表注脚", "子栏",     "无"};
        std::array<AnsiString, VNBandTypeCount> a;
        for (int i = 0; i < VNBandTypeCount; ++i)
            a[i] = Utf8ToAnsi(utf8[i]);
        return a;
    }();
    static const AnsiString none;
    return type >= 0 && type < VNBandTypeCount ? names[type] : none;
}

TVNBandView::TVNBandView() {
    TypeCode = ViewTypeBand;
    BaseName = "Band";
    ClassFormatVersion = 0;
    Flags = bfOnFirstPage | bfOnLastPage | bfPrintColFirst;
}

struct TBandBit {
    const char* Name;
    std::uint16_t Bit;
};
static const TBandBit BandBits[] = {
    {"STRETCHED", bfStretched},
    {"FORMNEWPAGE", bfFormNewPage},
    {"PRINTIFSUBSETEMPTY", bfPrintIfSubsetEmpty},
    {"BREAKED", bfBreaked},
    {"ONFIRSTPAGE", bfOnFirstPage},
    {"ONLASTPAGE", bfOnLastPage},
    {"REPEATHEADER", bfRepeatHeader},
    {"PRINTCHILDIFINVISIBLE", bfPrintChildIfInvisible},
    {"AUTOAPPENDBLANK", bfAutoAppendBlank},
    {"ADJUSTCOLUMNS", bfAdjustColumns},
    {"PRINTCOLFIRST", bfPrintColFirst},
    {"REPEATHEADER1", bfRepeatHeader1},
    {"PRINTIFEMPTY", bfPrintIfEmpty},
    {"PRINTATDESIGNPOS", bfPrintAtDesignPos},
};

static bool In(int t, std::initializer_list<int> set) {
    for (int v : set)
        if (v == t) return true;
    return false;
}

void TVNBandView::RegisterProperties() {
    RegisterViewProperties(false);
    const int t = BandType();
    AnsiString childNames, dataNames;
    if (Page)
        for (TVNView* v : Page->Objects)
            if (auto* b = dynamic_cast<TVNBandView*>(v)) {
                if (b->BandType() == bkChild) childNames += (childNames.empty() ? "" : ";") + b->Name;
                if (IsDataBandType(b->BandType())) dataNames += (dataNames.empty() ? "" : ";") + b->Name;
            }
    if (t != bkPageFooter) {
        RegisterEnumProperty("ChildBand", childNames);
        RegisterProperty("PrintChildIfInvisible", pkBoolean);
    }
    if (In(t, {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 21}))
        RegisterProperty("Stretched", pkBoolean);
    if (In(t, {0, 1, 5, 6, 8, 9, 11, 12, 16})) RegisterProperty("FormNewPage", pkBoolean);
    if (In(t, {5, 8})) RegisterProperty("PrintIfSubsetEmpty", pkBoolean);
    if (In(t, {0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 21})) RegisterProperty("Breaked", pkBoolean);
    if (In(t, {2, 3})) RegisterProperty("OnFirstPage", pkBoolean);
    if (t == 3) RegisterProperty("OnLastPage", pkBoolean);
    if (In(t, {4, 7, 10, 16, 18})) {
        RegisterProperty("RepeatHeader", pkBoolean);
        RegisterProperty("RepeatHeader1", pkBoolean);
    }
    if (In(t, {2, 14})) RegisterProperty("RepeatHeader1", pkBoolean);
    if (t == bkCrossData) RegisterProperty("DataSource", pkSingleOnly | pkEditor);
    if (IsDataBandType(t)) {
        RegisterProperty("Columns", pkInteger);
        RegisterProperty("ColumnWidth", pkInteger | pkPixelSize);
        RegisterProperty("ColumnGap", pkInteger | pkPixelSize);
        RegisterProperty("DataSource", pkSingleOnly | pkEditor);
        RegisterProperty("LinesPerPage", pkInteger);
        RegisterProperty("PrintColFirst", pkBoolean);
        RegisterEnumProperty("RangeBegin", "rbFirst;rbCurrent;rbDefault");
        RegisterEnumProperty("RangeEnd", "reLast;reCurrent;reCount;reDefault");
        RegisterProperty("RangeEndCount", pkInteger);
        RegisterProperty("PrintIfEmpty", pkBoolean);
        RegisterProperty("NewPageCondition", pkSingleOnly | pkEditor);
        RegisterProperty("PrintAtDesignPos", pkBoolean);
        RegisterProperty("AdjustColumns", pkBoolean);
        RegisterProperty("RowNo", pkHidden);
        RegisterProperty("RowCount", pkHidden);
        RegisterProperty("AutoAppendBlank", pkBoolean);
    }
    if (t == bkGroupHeader) {
        RegisterProperty("Condition", pkSingleOnly | pkEditor);
        RegisterEnumProperty("Master", dataNames);
        RegisterProperty("GroupsPerPage", pkInteger);
    }
    RegisterProperty("EOF", pkHidden);
    RegisterProperty("OnBeforePrint", pkSingleOnly | pkEditor);
    RegisterProperty("OnAfterPrint", pkSingleOnly | pkEditor);
    UnregisterProperty("Memo");
}

void TVNBandView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    TVNBand* rb = VNState().RunMode ? RuntimeBand : nullptr;
    if (rb) {
        if (n == "LEFT") {
            rb->X = int(value.AsInteger());
            return;
        }
        if (n == "TOP") {
            rb->Y = int(value.AsInteger());
            return;
        }
        if (n == "WIDTH") {
            rb->Width = int(value.AsInteger());
            return;
        }
        if (n == "HEIGHT") {
            rb->Height = int(value.AsInteger());
            return;
        }
        if (n == "VISIBLE") {
            rb->Visible = value.AsBoolean();
            return;
        }
    }
    for (const TBandBit& b : BandBits)
        if (n == b.Name) {
            SetFlag(b.Bit, value.AsBoolean());
            return;
        }
    if (n == "DATASOURCE") {
        FormatText = value.AsString();
        if (rb) {
            rb->ReleaseDataSet();
            TVNDataset* ds = nullptr;
            bool owned = false;
            if (FindReportDataset(FormatText, ds, owned, Report()) && ds) {
                rb->SetDataSet(ds, owned);
                ds->Open();
            }
        }
    } else if (n == "CONDITION") {
        FormatText = value.AsString();
        if (rb) rb->GroupCondition = FormatText;
    } else if (n == "NEWPAGECONDITION") {
        Tag = value.AsString();
        if (rb) rb->NewPageCondition = Tag;
    } else if (n == "CHILDBAND") {
        ChildBand = value.AsString();
    } else if (n == "MASTER") {
        Master = value.AsString();
    } else if (n == "COLUMNS") {
        std::int64_t c = value.AsInteger();
        Columns = c > 99 ? 99 : std::int32_t(c);
    } else if (n == "COLUMNWIDTH") {
        ColumnWidth = int(value.AsInteger());
    } else if (n == "COLUMNGAP") {
        ColumnGap = int(value.AsInteger());
    } else if (n == "NEWCOLUMNAFTER") {
        NewColumnAfter = int(value.AsInteger());
    } else if (n == "LINESPERPAGE" || n == "GROUPSPERPAGE") {
        LinesPerPage = std::int16_t(value.AsInteger());
        if (rb) rb->LinesPerPage = LinesPerPage;
    } else if (n == "RANGEBEGIN" || n == "RANGEEND" || n == "RANGEENDCOUNT") {
        if (n == "RANGEBEGIN")
            RangeBegin = std::uint8_t(value.AsInteger());
        else if (n == "RANGEEND")
            RangeEnd = std::uint8_t(value.AsInteger());
        else
            RangeEndCount = int(value.AsInteger());
        if (rb && rb->DataSet) {
            TVNDataset* ds = rb->DataSet;
            bool owned = rb->OwnsDataSet;
            rb->OwnsDataSet = false;
            rb->ReleaseDataSet();
            rb->SetDataSet(ds, owned);
        }
    } else {
        TVNView::SetProperty(name, value);
    }
}

Value TVNBandView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    TVNBand* rb = VNState().RunMode ? RuntimeBand : nullptr;
    if (rb) {
        if (n == "LEFT") return Value(rb->X);
        if (n == "TOP") return Value(rb->Y);
        if (n == "WIDTH") return Value(rb->Width);
        if (n == "HEIGHT") return Value(rb->Height);
        if (n == "VISIBLE") return Value::Boolean(rb->Visible);
        if (n == "ROWNO") return Value(rb->RowNo);
        if (n == "ROWCOUNT") return Value(rb->RowCount);
        if (n == "NEWPAGECONDITION") return Value(rb->NewPageCondition);
    }
    if (n == "EOF") return Value::Boolean(rb && rb->DataSet ? rb->DataSet->Eof() : true);
    for (const TBandBit& b : BandBits)
        if (n == b.Name) return Value::Boolean((Flags & b.Bit) != 0);
    if (n == "DATASOURCE" || n == "CONDITION") return Value(FormatText);
    if (n == "NEWPAGECONDITION") return Value(Tag);
    if (n == "CHILDBAND") return Value(ChildBand);
    if (n == "MASTER") return Value(Master);
    if (n == "COLUMNS") return Value(Columns);
    if (n == "COLUMNWIDTH") return Value(ColumnWidth);
    if (n == "COLUMNGAP") return Value(ColumnGap);
    if (n == "NEWCOLUMNAFTER") return Value(NewColumnAfter);
    if (n == "LINESPERPAGE" || n == "GROUPSPERPAGE") return Value(int(LinesPerPage));
    if (n == "RANGEBEGIN") return Value(int(RangeBegin));
    if (n == "RANGEEND") return Value(int(RangeEnd));
    if (n == "RANGEENDCOUNT") return Value(RangeEndCount);
    if (n == "ROWNO" || n == "ROWCOUNT") return Value(0);
    return TVNView::GetProperty(name);
}

Value TVNBandView::CallMethod(const AnsiString& name, const Value& p1, const Value& p2, const Value& p3) {
    const AnsiString n = UpperCase(name);
    TVNDataset* ds = RuntimeBand ? RuntimeBand->DataSet : nullptr;
    if (n == "NEXT" || n == "PRIOR" || n == "FIRST" || n == "MOVEBY") {
        if (!ds) return Value();
        if (n == "NEXT")
            ds->Next();
        else if (n == "PRIOR")
            ds->Prior();
        else if (n == "FIRST")
            ds->First();
        else {
            std::int64_t d = EvaluateArgument(p1).AsInteger();
            for (; d > 0 && !ds->Eof(); --d)
                ds->Next();
            for (; d < 0; ++d)
                ds->Prior();
        }
        return Value();
    }
    return TVNView::CallMethod(name, p1, p2, p3);
}

void TVNBandView::WriteToStream(TVNStream& s) {
    DiagonalType &= 0x7F;
    TVNView::WriteToStream(s);
    s.WriteStr(ChildBand);
    s.WriteInt32(ColumnGap);
    s.WriteInt32(Columns);
    s.WriteInt32(ColumnWidth);
    s.WriteStr(Master);
    s.WriteInt16(LinesPerPage);
    s.WriteByte(RangeBegin);
    s.WriteByte(RangeEnd);
    s.WriteInt32(RangeEndCount);
}

void TVNBandView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    DiagonalType &= 0x7F;
    const int ver = s.Version;
    const int code = ver * 100 + ViewFormatVersion * 10 + ClassFormatVersion;
    if (ver >= 24) {
        ChildBand = s.ReadStr();
        ColumnGap = s.ReadInt32();
        Columns = s.ReadInt32();
        ColumnWidth = s.ReadInt32();
    }
    if (ver >= 29) Master = s.ReadStr();
    if (code > 3600) LinesPerPage = s.ReadInt16();
    if (code > 3701) {
        RangeBegin = s.ReadByte();
        RangeEnd = s.ReadByte();
        RangeEndCount = s.ReadInt32();
    }
    if (code < 3700) Flags |= bfPrintColFirst;
    if (code <= 3701) {
        std::uint16_t autoAppend = (Flags & 0x1000) ? bfAutoAppendBlank : 0;
        Flags = std::uint16_t((Flags & ~(bfAutoAppendBlank | 0x1000 | 0x2000 | 0x4000)) | autoAppend);
    }
    ClassFormatVersion = 0;
}
