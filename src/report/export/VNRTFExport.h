// TVNRTFExport: prepared pages as a Rich Text Format document in which every object is an
// absolutely positioned frame on its page: memos become positioned paragraphs with their font,
// colour, size, style and alignment; other objects become positioned pictures (JPEG, or a bitmap
// wrapped in a Windows metafile); frames and fills become paragraph borders and shading.
//
// The body is kept in memory until the end of the document, because the font and colour tables
// that open the file are known only then. Text stays in code page 936 (\ansicpg936).
#pragma once

#include "VNMainExportFilter.h"

#include <string>
#include <vector>

class TVNRTFExport : public TVNMainExportFilter {
public:
    TVNRTFExport(); // registers as "Rich Text 文件 (*.rtf)"
    const char* ClassName() const override { return "TVNRTFExport"; }

    // Published (with ExportImages, ExportFrames, JPEGQuality and ShowDialog of the base).
    // false: picture data as hexadecimal text; true: raw bytes after "\bin".
    bool GraphicDataInBinary = false;

    void OnBeginDoc() override;
    void OnEndDoc() override;
    void OnEndPage() override;

    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

    // Report pixels to twips and to picture extents, rounded.
    static int Twips(double reportPixels);
    static int PictureExtent(double reportPixels);
    // A memo's text for a paragraph: a trailing CR LF removed; backslash and braces escaped.
    static std::string EscapeText(const AnsiString& text);
    // A bitmap (as a BMP file) wrapped in a Windows metafile, as hexadecimal text in lines.
    static std::string MetafileHex(const std::string& bmpFile, int width, int height);

private:
    int FontNumber(const AnsiString& name);
    int ColorNumber(TColor color);
    void WritePicture(const TVNEFDataRec& rec, int x, int y);

    std::string FBody;
    std::vector<AnsiString> FFonts;
    std::vector<std::string> FColors; // "RRGGBB"
};
