// Picture exports: every built page becomes one picture file - a bitmap (TVNBMPExport), a JPEG
// (TVNJPEGExport), an enhanced metafile (TVNEMFExport) or a Windows metafile (TVNWMFExport).
//
// TVNGraphicExport sizes the pictures from the first page (every page is drawn at that size, a
// larger page is cut), names the files (the chosen file for page 1, then the chosen name without
// extension + the page number in four digits + the filter's extension: report.bmp,
// report0002.bmp, ...), and draws the page's background picture before the page itself. Pages
// are drawn through the prepared pages store exactly as the preview draws them, scaled by ScaleX
// and ScaleY. BMP and JPEG draw onto a raster surface the window side installs; EMF and WMF draw
// onto recording canvases. Text and object calls are not needed.
#pragma once

#include "VNExportFilter.h"
#include "VNPixelFormat.h"

class ICanvas;

class TVNGraphicExport : public TVNExportFilter {
public:
    const char* ClassName() const override { return "TVNGraphicExport"; }

    // Published.
    double ScaleX = 1, ScaleY = 1;

    // State of the export: picture size, pages written, the files written after the first.
    int PictureWidth = 0, PictureHeight = 0;
    int PageCounter = 0;
    std::vector<std::string> FileNames;
    const std::string& Extension() const { return FExtension; }

    bool WantsObjects() const override { return false; }
    void OnBeginDoc() override;
    void OnBeginPage() override;
    void OnEndPage() override;
    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

    // The file a page (0-based) of an export to `chosen` is written to.
    static std::string PageFileName(const std::string& chosen, int pageIndex, const std::string& extension);

protected:
    explicit TVNGraphicExport(std::string extension) : FExtension(std::move(extension)) {}
    // The current page as the bytes of its picture file.
    virtual std::string RenderPage() = 0;
    // Background picture, then the page, onto a canvas of the picture size.
    void DrawPage(ICanvas& canvas);
    // The page drawn onto a raster surface of the picture size; the surface and the image are
    // kept from page to page, so a long report does not allocate a page of pixels per page.
    TRasterImage& RasterPage();
    void OnEndDoc() override;

private:
    std::string FExtension;
    std::string FPageFile; // the file of the current page (empty: the report's stream)
    std::uint8_t FSavedVisible = 0;
    std::unique_ptr<IVNRasterSurface> FSurface;
    TRasterImage FPixels;
    bool FWasDecoded = false;
};

class TVNBMPExport : public TVNGraphicExport {
public:
    TVNBMPExport(); // registers as "位图文件(*.bmp)"
    const char* ClassName() const override { return "TVNBMPExport"; }
    bool Monochrome = false;
    TVNPixelFormat PixelFormat = pf24bit;
    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

protected:
    std::string RenderPage() override;
};

class TVNJPEGExport : public TVNGraphicExport {
public:
    TVNJPEGExport(); // registers as "JPEG Image File (*.jpg)"
    const char* ClassName() const override { return "TVNJPEGExport"; }
    bool Grayscale = false;
    bool ProgressiveEncoding = true;
    int Quality = 100;
    TVNPixelFormat PixelFormat = pf24bit;
    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

protected:
    std::string RenderPage() override;
};

class TVNEMFExport : public TVNGraphicExport {
public:
    TVNEMFExport(); // registers as "Enhanced Metafile (*.emf)"
    const char* ClassName() const override { return "TVNEMFExport"; }

protected:
    std::string RenderPage() override;
};

class TVNWMFExport : public TVNGraphicExport {
public:
    TVNWMFExport(); // registers as "Windows Metafile (*.wmf)"
    const char* ClassName() const override { return "TVNWMFExport"; }

protected:
    std::string RenderPage() override;
};
