// Data models and stream tails of the fixed view kinds besides memo and band.
#include "VNStandardViews.h"
#include "VNStrings.h"

#include "platform/Locale.h"

TVNPictureView::TVNPictureView() {
    TypeCode = ViewTypePicture;
    BaseName = "Picture";
    ClassFormatVersion = 0;
    Flags = std::uint16_t(flStretched) | std::uint16_t(flPictureKeepAspect);
}

void TVNPictureView::WriteToStream(TVNStream& s) {
    TVNView::WriteToStream(s);
    Picture.Write(s, &BlobType);
}

void TVNPictureView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    Picture.Read(s, &BlobType);
    ClassFormatVersion = 0;
}

TVNSubReportView::TVNSubReportView() {
    TypeCode = ViewTypeSubReport;
    BaseName = "SubReport";
    ClassFormatVersion = 0;
}

void TVNSubReportView::WriteToStream(TVNStream& s) {
    TVNView::WriteToStream(s);
    s.WriteInt32(SubPage);
}

void TVNSubReportView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    SubPage = s.ReadInt32();
    ClassFormatVersion = 0;
}

TVNLineView::TVNLineView() {
    TypeCode = ViewTypeLine;
    BaseName = "Line";
    ClassFormatVersion = 0;
    LeftFrame().Visible = 1;
    FillColor = clWhite;
}

TVNCalcMemoView::TVNCalcMemoView() {
    TypeCode = ViewTypeCalcMemo;
    BaseName = "CalcMemo";
}

void TVNCalcMemoView::WriteToStream(TVNStream& s) {
    TVNMemoView::WriteToStream(s);
    s.WriteByte(1);
    s.WriteByte(ResetAfterPrint);
    s.WriteByte(DBCalcType);
    s.WriteStr(DataBand);
    s.WriteStr(Trim(Filter));
    s.WriteStr(IntalizeValue);
    s.WriteStr(AggregateValue);
}

void TVNCalcMemoView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    const std::uint8_t classVersion = ClassFormatVersion, viewVersion = ViewFormatVersion;
    ReadMemoTail(s);
    const int code = s.Version * 100 + viewVersion * 10 + classVersion;
    if (classVersion > 10) s.ReadByte();
    ResetAfterPrint = s.ReadByte();
    DBCalcType = s.ReadByte();
    DataBand = s.ReadStr();
    if (code > 3420) Filter = s.ReadStr();
    if (code > 4000) {
        IntalizeValue = s.ReadStr();
        AggregateValue = s.ReadStr();
    }
    if (code <= 3800) Flags |= 0x4000; // CalcNoVisible
    ClassFormatVersion = 12;
}

TVNMoneyView::TVNMoneyView() {
    TypeCode = ViewTypeMoney;
    BaseName = "MoneyMemo";
    CurrencySymbol = VNText(TVNText::CurrencySymbol);
}

void TVNMoneyView::WriteToStream(TVNStream& s) {
    TVNMemoView::WriteToStream(s);
    s.WriteInt32(std::int32_t(DecimalLineColor));
    s.WriteInt32(std::int32_t(ThousandLineColor));
    s.WriteInt32(std::int32_t(LineColor));
    s.WriteByte(ShowTitles);
    s.WriteInt32(LineWidth);
    s.WriteInt32(Cells);
    s.WriteInt32(Decimals);
    s.WriteStr(CurrencySymbol);
}

void TVNMoneyView::ReadFromStream(TVNStream& s) {
    TVNMemoView::ReadFromStream(s);
    DecimalLineColor = TColor(s.ReadInt32());
    ThousandLineColor = TColor(s.ReadInt32());
    LineColor = TColor(s.ReadInt32());
    ShowTitles = s.ReadByte();
    LineWidth = s.ReadInt32();
    Cells = s.ReadInt32();
    Decimals = s.ReadInt32();
    CurrencySymbol = s.ReadStr();
}

TVNRegionView::TVNRegionView() {
    TypeCode = ViewTypeRegion;
    BaseName = "View";
    ClassFormatVersion = 0;
    Visible = false;
    ExpandOnBuild = 1;
}

void TVNRegionView::RegisterProperties() {
    TVNView::RegisterProperties();
    for (const char* n : {"BandAlign", "Tag", "FillColor", "FrameStyle", "FrameColor", "FrameWidth",
                          "FrameTyp", "PrintVisible"})
        UnregisterProperty(n);
}
