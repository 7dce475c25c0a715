// TVNPage: one design page - paper, margins (thousandths of a millimetre), columns, background
// picture, dialog settings, and the flat list of views it owns in drawing order - and TVNPages,
// the report's ordered page collection.
//
// Moving the left or top margin shifts every view by the same number of pixels, so views keep
// their place relative to the printable area (the left margin not while the page is built).
#pragma once

#include "VNObject.h"
#include "VNPaper.h"
#include "VNPicture.h"
#include "VNStream.h"

#include "platform/Graphics.h"

#include <array>
#include <memory>
#include <vector>

class TVNBand;
class TVNReport;
class TVNView;

enum TVNPageType : std::uint8_t { ptReport = 0, ptDialog = 1 };

class TVNPage : public TVNObject {
public:
    explicit TVNPage(TVNReport* report = nullptr);
    ~TVNPage() override;

    TVNReport* Report = nullptr;

    std::uint8_t PageType = ptReport;
    AnsiString Name;
    AnsiString Caption = "Form";
    std::int32_t DialogLeft = 220, DialogTop = 180, DialogWidth = 380, DialogHeight = 300;
    TColor Color = clBtnFace;
    std::uint8_t BorderStyle = 3; // 3 dialog, 2 sizeable
    std::uint8_t Position = 4;    // 0 designed, 4 screen centre
    std::int32_t PaperSize = DefaultPaperCode;
    std::int32_t PaperWidth = 210000, PaperHeight = 297000; // thousandths of mm
    std::int32_t LeftMargin = 15000, TopMargin = 20000, RightMargin = 15000, BottomMargin = 20000;
    std::uint8_t Orientation = 0;
    bool PrintToPrevPage = false;
    std::int32_t Columns = 0;
    std::int32_t ColumnGap = 0; // thousandths of mm
    std::int32_t Bin = 0xFFFF;
    TVNStrings OnBeforePrint;
    TVNPicture BackGround;
    std::int32_t BackGroundLeft = 0, BackGroundTop = 0;
    std::int32_t BackGroundWidth = -1, BackGroundHeight = -1;
    std::uint8_t AutoHCenter = 0;
    bool Visible = true;
    bool ShowBackPicture = true;
    // Set after loading when a subreport view prints this page inline.
    bool IsSubReportPage = false;
    // True while the band engine builds this page.
    bool IsBuilding = false;

    std::vector<TVNView*> Objects; // owned, in drawing order

    // Run-time state of a build.
    std::array<TVNBand*, 23> Bands{};
    TVNPrinterMetrics Metrics;
    int CurColumn = 0, CurY = 0;

    // Views.
    void Add(TVNView* view); // takes ownership
    void Delete(int index);
    void Clear();
    TVNView* FindObject(std::string_view name) const;
    int IndexOf(const TVNView* view) const;

    // Geometry in report pixels.
    int PaperWidthPx() const;
    int PaperHeightPx() const;
    int LeftMarginPx() const;
    int TopMarginPx() const;
    int RightMarginPx() const;
    int BottomMarginPx() const;
    TRect PrintableRect() const;
    // Margins given in pixels (fractions allowed), stored in thousandths of a millimetre;
    // left and top shift the views.
    void SetMarginsPx(double left, double top, double right, double bottom);
    void SetLeftMarginPx(double px);
    void SetTopMarginPx(double px);

    // Applies a paper through the shared printer and takes back what it chose, with the metrics.
    void ChangePaper(int paperSize, int widthThousandths, int heightThousandths, int orientation, int bin);
    // Dialog pages of old streams get the dialog defaults again.
    void ResetDialogSettings();

    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    Value CallMethod(const AnsiString& name, const Value& p1 = Value(), const Value& p2 = Value(),
                     const Value& p3 = Value()) override;
    void RegisterProperties() override;

    // Page record of the report stream.
    void WriteToStream(TVNStream& s);
    void ReadFromStream(TVNStream& s);
};

class TVNPages {
public:
    explicit TVNPages(TVNReport* report) : FReport(report) {}
    int Count() const { return int(FPages.size()); }
    TVNPage& operator[](int index) { return *FPages.at(std::size_t(index)); }
    const TVNPage& operator[](int index) const { return *FPages.at(std::size_t(index)); }
    // A new report page with the shared printer's current paper.
    TVNPage& Add();
    void Delete(int index);
    void Move(int from, int to);
    void Clear() { FPages.clear(); }
    int IndexOf(const TVNPage* page) const;

private:
    TVNReport* FReport;
    std::vector<std::unique_ptr<TVNPage>> FPages;
};
