// Plain-text exports: TVNTextExport lays every page's text lines out on a character grid (with
// optional frames drawn in characters) and TVNCSVExport writes them as delimiter-separated quoted
// fields whose columns come from the page's first text row. Output is CP936 with CR LF ends.
#pragma once

#include "VNExportFilter.h"

// One text line kept for the page being exported.
struct TVNTextLineRec {
    int X = 0;       // report pixels; right-aligned memos: the right edge of the draw rectangle
    AnsiString Text; // at most 255 bytes
    AnsiString FontName; // at most 32 bytes
    int FontSize = 0, FontStyle = 0;
    TColor FontColor = 0;
    int Alignment = 0;
    int Charset = 0;
    TRect DrawRect; // left + 1, top, right, bottom
    int FrameFlags = 0;
    TColor FillColor = 0;
};

class TVNTextExport : public TVNExportFilter {
public:
    TVNTextExport(); // registers as "ASCII Text 文件 (*.txt)"
    const char* ClassName() const override { return "TVNTextExport"; }

    double ScaleX = 1, ScaleY = 1;
    bool KillEmptyLines = true;
    bool ConvertToOEM = false;
    bool ExportFrames = false;
    bool UsePseudographic = false;
    bool PageBreaks = true;

    void OnBeginPage() override;
    void OnEndPage() override;
    void OnText(const TRect& drawRect, int x, TVNView& view, int frameFlags, const AnsiString& text, int y) override;
    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

    // The page's rows (index: text row), each sorted by X.
    std::vector<std::vector<TVNTextLineRec>> Lines;

protected:
    struct NoRegistration {};
    explicit TVNTextExport(NoRegistration) {}
    // Writes one output line: OEM conversion when asked, then CR LF.
    void WriteLine(const std::string& line);
    // Options the CSV filter shares.
    bool SetCommonOption(const std::string& name, const std::string& value);
};

class TVNCSVExport : public TVNTextExport {
public:
    TVNCSVExport(); // registers as "CSV 文件 (*.csv)"
    const char* ClassName() const override { return "TVNCSVExport"; }

    char Delimiter = ';';

    void OnEndPage() override;
    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;
};
