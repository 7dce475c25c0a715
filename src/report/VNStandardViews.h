// The fixed view kinds besides memo and band, as data models with their stream tails: picture,
// subreport, line, aggregate memo, money grid and region, carrying exactly what streams carry so
// that reports holding them load, copy and save without loss. Their drawing is in VNViewPaint.cpp
// and VNMoneyPaint.cpp.
#pragma once

#include "VNMemoView.h"
#include "VNPicture.h"

#include "platform/Picture.h"

#include <vector>

// Picture view flags besides flStretched (the picture is stretched to the view).
enum : std::uint16_t { flPictureCenter = 0x0002, flPictureKeepAspect = 0x0004, flPictureTransparent = 0x0008 };

class TVNPictureView : public TVNView {
public:
    TVNPictureView();
    const char* ClassName() const override { return "TVNPictureView"; }
    TVNPicture Picture;
    std::uint8_t BlobType = 0;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
    // Where the picture goes inside InnerRect (after ScaleForPaint) by the Stretched, Center and
    // KeepAspect flags, for a picture of the given natural size.
    TRect PictureTarget(int pictureWidth, int pictureHeight) const;
    // Why the picture cannot be drawn (CP936), empty when it can or when there is none.
    AnsiString DecodeProblem();

private:
    // The drawable picture, decoded once per content.
    const TPicture& Decoded();
    TVNPicture FDecodedFrom;
    TPicture FDecoded;
    AnsiString FDecodeProblem;
};

class TVNSubReportView : public TVNView {
public:
    TVNSubReportView();
    const char* ClassName() const override { return "TVNSubReportView"; }
    std::int32_t SubPage = 0;
    void RegisterProperties() override { RegisterViewProperties(false); }
    void Paint(ICanvas* canvas) override;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
};

class TVNLineView : public TVNStretcheable {
public:
    TVNLineView();
    const char* ClassName() const override { return "TVNLineView"; }
    int MinLineHeight() override { return 1; }
    void Paint(ICanvas* canvas) override;
};

enum TVNDBCalcType : std::uint8_t { vndcSum, vndcCount, vndcAvg, vndcMax, vndcMin, vndcUser };

class TVNCalcMemoView : public TVNMemoView {
public:
    TVNCalcMemoView();
    const char* ClassName() const override { return "TVNCalcMemoView"; }
    std::uint8_t ResetAfterPrint = 0;
    std::uint8_t DBCalcType = vndcSum;
    AnsiString DataBand, Filter, IntalizeValue, AggregateValue;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
};

class TVNMoneyView : public TVNMemoView {
public:
    TVNMoneyView();
    const char* ClassName() const override { return "TVNMoneyView"; }
    TColor DecimalLineColor = clRed, ThousandLineColor = clBlack, LineColor = 0xC0C0C0;
    std::uint8_t ShowTitles = 0;
    std::int32_t LineWidth = 1, Cells = 12, Decimals = 2;
    AnsiString CurrencySymbol;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
    // What each cell shows, leftmost first: a digit, the currency symbol, "*" when the value does
    // not fit, or empty. The point takes no cell.
    std::vector<AnsiString> CellTexts(const AnsiString& text) const;
};

class TVNRegionView : public TVNView {
public:
    TVNRegionView();
    const char* ClassName() const override { return "TVNRegionView"; }
    void RegisterProperties() override;
};
