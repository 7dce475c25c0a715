// TVNBandView: a band in the page layout - its type, options, data source, columns and range -
// with the per-type property set, the run-time property access that reaches the built band, and
// the band's stream tail with its older version rules.
#pragma once

#include "VNView.h"

enum TVNBandType : int {
    bkTitle = 0,
    bkSummary,
    bkPageHeader,
    bkPageFooter,
    bkMasterHeader,
    bkMasterData,
    bkMasterFooter,
    bkDetailHeader,
    bkDetailData,
    bkDetailFooter,
    bkSubDetailHeader,
    bkSubDetailData,
    bkSubDetailFooter,
    bkOverlay,
    bkColumnHeader,
    bkColumnFooter,
    bkGroupHeader,
    bkGroupFooter,
    bkCrossHeader,
    bkCrossData,
    bkCrossFooter,
    bkChild,
    bkNone,
};
constexpr int VNBandTypeCount = 23;

// Display name of a band type (CP936), empty for codes out of range.
const AnsiString& BandTypeName(int type);
inline bool IsDataBandType(int t) {
    return t == bkMasterData || t == bkDetailData || t == bkSubDetailData;
}
inline bool IsCrossBandType(int t) {
    return t >= bkCrossHeader && t <= bkCrossFooter;
}

// Band option bits in Flags.
enum : std::uint16_t {
    bfStretched = 0x0001,
    bfFormNewPage = 0x0002,
    bfPrintIfSubsetEmpty = 0x0004,
    bfBreaked = 0x0008,
    bfOnFirstPage = 0x0010,
    bfOnLastPage = 0x0020,
    bfRepeatHeader = 0x0040,
    bfPrintChildIfInvisible = 0x0080,
    bfAutoAppendBlank = 0x0100,
    bfAdjustColumns = 0x0200,
    bfPrintColFirst = 0x0400,
    bfRepeatHeader1 = 0x0800,
    bfPrintIfEmpty = 0x1000,
    bfPrintAtDesignPos = 0x2000,
};

class TVNBandView : public TVNView {
public:
    TVNBandView();
    const char* ClassName() const override { return "TVNBandView"; }

    int BandType() const { return DiagonalType & 0x7F; }
    void SetBandType(int type) { DiagonalType = std::uint16_t(type & 0x7F); }

    // FormatText holds the data source (data bands) or the group condition (group headers);
    // Tag holds the new-page condition.
    const AnsiString& DataSource() const { return FormatText; }
    AnsiString ChildBand;
    AnsiString Master;
    std::int32_t Columns = 1;
    std::int32_t ColumnWidth = 200;
    std::int32_t ColumnGap = 20;
    std::int32_t NewColumnAfter = 1;
    std::int16_t LinesPerPage = 0;
    std::uint8_t RangeBegin = 2; // rbFirst, rbCurrent, rbDefault
    std::uint8_t RangeEnd = 3;   // reLast, reCurrent, reCount, reDefault
    std::int32_t RangeEndCount = 0;

    // The run-time band while the page is built (RunMode), else none.
    TVNBand* RuntimeBand = nullptr;

    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    Value CallMethod(const AnsiString& name, const Value& p1 = Value(), const Value& p2 = Value(),
                     const Value& p3 = Value()) override;
    void RegisterProperties() override;
    void ReadFromStream(TVNStream& stream) override;
    void WriteToStream(TVNStream& stream) override;
};
