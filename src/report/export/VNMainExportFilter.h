// TVNMainExportFilter: the intermediate filter that collects each page's objects and text lines
// into records (TVNEFDataRec, TVNEFTextRec) from which the spreadsheet and RTF filters build
// their output. Objects other than plain memos become pictures drawn on a raster surface.
#pragma once

#include "VNExportFilter.h"

#include <optional>

enum TVNExportImageFormat { ifGIF, ifJPG, ifBMP };

// The option text of an image format: "JPG", "BMP" or "GIF".
const char* ExportImageFormatName(TVNExportImageFormat format);
// Reads "JPG" (or "JPEG"), "BMP" or "GIF" into format. The filters that take this option cannot
// write GIF and ignore it, as their property does: "GIF" leaves format as it was. Anything else
// throws EVNExportError naming the option.
void SetExportImageFormatOption(const std::string& name, const std::string& value,
                                TVNExportImageFormat& format);
// Reads a JPEG quality of 0 to 100; throws EVNExportError naming the option otherwise.
int ParseJPEGQualityOption(const std::string& name, const std::string& value);

// One frame side as the record keeps it.
struct TVNEFFrameSide {
    bool Visible = false;
    std::uint8_t Style = 0;
    TColor Color = clBlack;
    double Width = 1;
};

struct TVNEFFont {
    AnsiString Name;
    int Size = 10;
    TColor Color = clBlack;
    int Style = 0; // 1 bold, 2 italic, 4 underline, 8 strike-out
    std::uint8_t Charset = 0;
};

// One exported object.
struct TVNEFDataRec {
    int X = 0, Y = 0;
    int Width = 0, Height = 0; // memos: width + 1
    AnsiString Text;           // memo lines joined with CR LF, every character 1 removed
    int TextWidth = 0;
    std::uint8_t Alignment = 0; // 1 left, 2 right, 32 centre, 16 justified; 4 top, 64 middle, 8 bottom
    TVNEFFont Font;
    // Frames (filled only with ExportFrames).
    int FrameTyp = 0;
    double FrameWidth = 0;
    TColor FrameColor = clBlack;
    int FrameStyle = 0;
    TColor FillColor = clNone;
    TVNEFFrameSide Sides[4]; // left, top, right, bottom
    AnsiString Name;
    int NameIndex = 0;
    std::string ClassName;
    std::optional<TRasterImage> Picture; // the object drawn, or none
    int NoPicture = -1;                  // 1: would have been drawn but ExportImages is false
    bool Rotated = false;
    bool Stretched = false, WordWrap = false;
};

// One text line.
struct TVNEFTextRec {
    int X = 0, Y = 0;
    AnsiString Text;
    int TextWidth = 0, TextHeight = 0;
    TVNEFFont Font;
    TRect DrawRect;
};

// The alignment code of a memo's horizontal alignment (0..3) and vertical layout (0, 8, 16).
std::uint8_t ExportAlignmentCode(int alignment, int layout);

class TVNMainExportFilter : public TVNExportFilter {
public:
    const char* ClassName() const override { return "TVNMainExportFilter"; }

    // Published.
    bool ExportImages = true;
    bool ExportFrames = true;
    TVNExportImageFormat ExportImageFormat = ifJPG;
    int JPEGQuality = 100;

    // Per document.
    int PageWidth = 0, PageHeight = 0; // first prepared page, report pixels
    int PageCounter = 0;
    std::vector<AnsiString> ObjectNames;
    // Per page.
    std::vector<TVNEFDataRec> DataList;
    std::vector<TVNEFTextRec> TextList;

    void OnBeginDoc() override;
    void OnEndDoc() override;
    void OnBeginPage() override;
    void OnEndPage() override;
    void OnData(int x, int y, TVNView& view) override;
    void OnText(const TRect& drawRect, int x, TVNView& view, int frameFlags, const AnsiString& text,
                int y) override;

    // A picture as a JPEG file's bytes at the given quality (baseline, quality clamped to 1..100).
    static std::string BitmapToJpeg(const TRasterImage& image, int quality);
    static TJpegOptions BitmapJpegOptions(int quality);
};
