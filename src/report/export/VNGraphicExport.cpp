// The picture exports' shared base (sizes, per-page files, background pictures, options) and the
// bitmap and JPEG filters.
#include "VNGraphicExport.h"

#include "report/VNEMFPages.h"

#include "platform/AtomicFile.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

// Half to even, as every rounding of a floating value to an integer in the system.
int RoundEven(double v) {
    return int(std::nearbyint(v));
}

std::string Bool(bool v) {
    return v ? "true" : "false";
}

// A scale is a positive number; beyond 20 a page would not fit any picture a reader can open.
double ParseScale(const std::string& name, const std::string& value) {
    const double v = ParseExportNumber(name, value);
    if (!(v > 0 && v <= 20)) throw EVNExportError("option " + name + ": \"" + value + "\" is not between 0 and 20");
    return v;
}

} // namespace

// The format a pixel format option names; the bits a bitmap of it is written with (Device:
// 24, like the pages' pixels; 15 and 16 bit as 5-5-5, the plain layout every reader knows).
static TVNPixelFormat PixelFormatOption(const std::string& option, const std::string& value) {
    TVNPixelFormat format;
    if (!ParsePixelFormat(value, format))
        throw EVNExportError("option " + option + ": \"" + value +
                             "\" is not a pixel format (Device, 1, 4, 8, 15, 16, 24 or 32 bit)");
    return format;
}

static int PixelFormatBits(TVNPixelFormat format) {
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf32bit:
        return 32;
    default:
        return 24;
    }
}

// ---- base ----------------------------------------------------------------------------------------

std::string TVNGraphicExport::PageFileName(const std::string& chosen, int pageIndex, const std::string& extension) {
    if (pageIndex == 0) return chosen;
    // The chosen name without its extension (a dot in a folder name is not an extension).
    const std::size_t slash = chosen.find_last_of('/');
    const std::size_t dot = chosen.find_last_of('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? chosen.substr(0, dot)
                                 : chosen;
    char number[16];
    std::snprintf(number, sizeof number, "%.4d", pageIndex + 1);
    return stem + number + "." + extension;
}

void TVNGraphicExport::OnBeginDoc() {
    FSurface.reset();
    PageCounter = 0;
    FileNames.clear();
    PictureWidth = PictureHeight = 0;
    if (Report && Report->EMFPages && Report->EMFPages->Count() > 0) {
        const TVNPreparedPage& p = Report->EMFPages->Page(0);
        PictureWidth = RoundEven(p.Metrics.PaperWidthPx * ScaleX);
        PictureHeight = RoundEven(p.Metrics.PaperHeightPx * ScaleY);
    }
    if (PictureWidth <= 0 || PictureHeight <= 0) throw EVNExportError("the first page has no size");
}

void TVNGraphicExport::OnBeginPage() {
    FPageFile.clear();
    if (PageCounter > 0) {
        FPageFile = PageFileName(FileName, PageCounter, FExtension);
        FileNames.push_back(FPageFile);
        // Leftovers of a killed earlier export go once for the folder, not with every page.
        if (PageCounter == 1) RemoveStaleTemporariesIn(std::filesystem::path(FPageFile).parent_path().string());
    }
    TVNPreparedPage& page = Report->EMFPages->Page(ExportPageIndex);
    FSavedVisible = page.Visible;
    FWasDecoded = page.DecodedPage != nullptr;
    page.Visible = 1; // so that its objects are decoded while drawing
}

void TVNGraphicExport::OnEndPage() {
    TVNPreparedPage& page = Report->EMFPages->Page(ExportPageIndex);
    auto restore = [&] {
        page.Visible = FSavedVisible;
        // A page decoded only for this picture goes back to its compact stream, so a long
        // report exports in the memory of one page.
        if (!FWasDecoded) page.DecodedPage.reset();
    };
    std::string bytes;
    try {
        bytes = RenderPage();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    if (FPageFile.empty())
        Stream->Write(bytes);
    else
        AtomicWriteFile(FPageFile, bytes, TStaleTemporaries::LeaveToCaller); // complete or absent; earlier pages remain
    ++PageCounter;
}

void TVNGraphicExport::DrawPage(ICanvas& canvas) {
    TVNEMFPages& pages = *Report->EMFPages;
    TVNPreparedPage& page = pages.Page(ExportPageIndex);
    if (page.BackgroundIndex != 255)
        if (const TVNBkPicture* bk = pages.Background(page.BackgroundIndex); bk && !bk->Picture.Empty()) {
            try {
                const TPicture picture = TPicture::Load(bk->Picture.Data);
                // A size left open (-1) is the picture's own.
                const int width = bk->Width > 0 ? bk->Width : picture.Width();
                const int height = bk->Height > 0 ? bk->Height : picture.Height();
                const int left = RoundEven(bk->Left * ScaleX), top = RoundEven(bk->Top * ScaleY);
                canvas.DrawPicture(
                    TRect{left, top, left + RoundEven(width * ScaleX), top + RoundEven(height * ScaleY)}, picture);
            } catch (const EPictureError&) {
                // An unreadable background is left out, as the preview leaves it out.
            }
        }
    // The page at its own size times the scale: a page larger than the first is cut.
    const int w = RoundEven((page.Metrics.PaperWidthPx > 0 ? page.Metrics.PaperWidthPx : PictureWidth) * ScaleX);
    const int h = RoundEven((page.Metrics.PaperHeightPx > 0 ? page.Metrics.PaperHeightPx : PictureHeight) * ScaleY);
    pages.DrawPage(ExportPageIndex, canvas, TRect{0, 0, w, h});
}

TRasterImage& TVNGraphicExport::RasterPage() {
    if (!FSurface) FSurface = CreateVNRasterSurface(PictureWidth, PictureHeight);
    if (!FSurface)
        throw EVNExportError("cannot draw a page of " + std::to_string(PictureWidth) + " x " +
                             std::to_string(PictureHeight) + " pixels (no raster surface, or too large)");
    ICanvas& canvas = FSurface->Canvas();
    canvas.SetBrush(TBrush{TBrushStyle::Solid, clWhite});
    canvas.FillRect(TRect{0, 0, PictureWidth, PictureHeight});
    DrawPage(canvas);
    FSurface->CopyImage(FPixels);
    return FPixels;
}

void TVNGraphicExport::OnEndDoc() {
    FSurface.reset();
    FPixels = TRasterImage();
}

std::vector<TVNExportOption> TVNGraphicExport::Options() const {
    return {{"ScaleX", FormatExportNumber(ScaleX), "number: horizontal scale of the pictures"},
            {"ScaleY", FormatExportNumber(ScaleY), "number: vertical scale of the pictures"}};
}

void TVNGraphicExport::SetOption(const std::string& name, const std::string& value) {
    if (name == "ScaleX")
        ScaleX = ParseScale(name, value);
    else if (name == "ScaleY")
        ScaleY = ParseScale(name, value);
    else
        UnknownOption(name);
}

// ---- BMP -----------------------------------------------------------------------------------------

TVNBMPExport::TVNBMPExport() : TVNGraphicExport("bmp") {
    RegisterExportFilter(this, CP936("位图文件(*.bmp)"), "*.bmp");
}

std::string TVNBMPExport::RenderPage() {
    TRasterImage& image = RasterPage();
    const TVNPixelFormat format = Monochrome ? pf1bit : PixelFormat;
    ReduceToPixelFormat(image, format);
    return EncodeBmp(image, PixelFormatBits(format), 96);
}

std::vector<TVNExportOption> TVNBMPExport::Options() const {
    auto all = TVNGraphicExport::Options();
    all.push_back({"Monochrome", Bool(Monochrome), "boolean: black and white (1 bit per pixel)"});
    all.push_back({"PixelFormat", PixelFormatName(PixelFormat), "Device, 1, 4, 8, 15, 16, 24 or 32 bit"});
    return all;
}

void TVNBMPExport::SetOption(const std::string& name, const std::string& value) {
    if (name == "Monochrome")
        Monochrome = ParseExportBool(name, value);
    else if (name == "PixelFormat")
        PixelFormat = PixelFormatOption(name, value);
    else
        TVNGraphicExport::SetOption(name, value);
}

// ---- JPEG ----------------------------------------------------------------------------------------

TVNJPEGExport::TVNJPEGExport() : TVNGraphicExport("jpg") {
    RegisterExportFilter(this, "JPEG Image File (*.jpg)", "*.jpg");
}

std::string TVNJPEGExport::RenderPage() {
    TRasterImage& image = RasterPage();
    // A format with fewer colours than the page's pixels reduces them before compression.
    ReduceToPixelFormat(image, PixelFormat);
    TJpegOptions options;
    options.Quality = std::clamp(Quality, 1, 100);
    options.Progressive = ProgressiveEncoding;
    options.Greyscale = Grayscale;
    return EncodeJpeg(image, options);
}

std::vector<TVNExportOption> TVNJPEGExport::Options() const {
    auto all = TVNGraphicExport::Options();
    all.push_back({"Grayscale", Bool(Grayscale), "boolean: one grey component"});
    all.push_back({"ProgressiveEncoding", Bool(ProgressiveEncoding), "boolean: progressive (multi-scan) file"});
    all.push_back({"Quality", std::to_string(Quality), "1 = smallest file .. 100 = best quality"});
    all.push_back({"PixelFormat", PixelFormatName(PixelFormat), "Device, 1, 4, 8, 15, 16, 24 or 32 bit"});
    return all;
}

void TVNJPEGExport::SetOption(const std::string& name, const std::string& value) {
    if (name == "Grayscale")
        Grayscale = ParseExportBool(name, value);
    else if (name == "ProgressiveEncoding")
        ProgressiveEncoding = ParseExportBool(name, value);
    else if (name == "Quality") {
        const double q = ParseExportNumber(name, value);
        if (!(q >= 0 && q <= 100) || q != std::floor(q))
            throw EVNExportError("option Quality: \"" + value + "\" is not a whole number from 0 to 100");
        Quality = int(q);
    } else if (name == "PixelFormat")
        PixelFormat = PixelFormatOption(name, value);
    else
        TVNGraphicExport::SetOption(name, value);
}
