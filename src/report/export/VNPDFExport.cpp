// Writing prepared pages as image-only PDF pages, with an optional invisible text layer.
#include "VNPDFExport.h"

#include "VNPDFTextCanvas.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

const char* const CRLF = "\r\n";

std::string Ref(int number) {
    return std::to_string(number) + " 0 R";
}

// A background picture as the canvas draws it; a damaged one is left out rather than failing
// the whole export.
TPicture PlatformPicture(const TVNPicture& picture) {
    if (picture.Empty()) return {};
    try {
        return TPicture::Load(picture.Data);
    } catch (const EPictureError&) {
        return {};
    }
}

const char* const CompressionNames[] = {"None", "Fastest", "Normal", "MaxCompress"};

} // namespace

TVNPDFExport::TVNPDFExport() {
    RegisterExportFilter(this, "Adobe Acrobat Document (*.pdf)", "*.pdf");
}

double TVNPDFExport::Points(double reportPixels) const {
    return reportPixels / (VNState().ScreenDPI > 0 ? VNState().ScreenDPI : 96) * 72.0;
}

void TVNPDFExport::SetOffset(int number, std::int64_t offset) {
    if (int(FOffsets.size()) <= number) FOffsets.resize(std::size_t(number) + 1, 0);
    FOffsets[std::size_t(number)] = offset;
}

void TVNPDFExport::WriteObject(int number, std::string text, bool closed) {
    if (text.find(CRLF) != std::string::npos) text = "<<" + std::string(CRLF) + text + CRLF + ">>";
    SetOffset(number, Stream->Size());
    WriteRaw(std::to_string(number) + " 0 obj" + CRLF + text + CRLF);
    if (closed) WriteRaw(std::string("endobj") + CRLF);
}

void TVNPDFExport::OnBeginDoc() {
    FSurface.reset(); // made again at this document's first page size
    FObjectCounter = 5;
    FOffsets.assign(6, 0);
    FPageCounter = 0;
    FImages.clear();
    FKids.clear();
    FText.Clear();
    FWidth = FHeight = 0;
    if (Report && Report->EMFPages && Report->EMFPages->Count() > 0) {
        const TVNPreparedPage& first = Report->EMFPages->Page(0);
        FWidth = first.Metrics.PaperWidthPx;
        FHeight = first.Metrics.PaperHeightPx;
    }
    WriteRaw(std::string("%PDF-1.3") + CRLF);
    WriteObject(1, "/Type /Catalog" + std::string(CRLF) + "/Pages " + Ref(2));
}

void TVNPDFExport::OnBeginPage() {
    // The page must count as shown while it is drawn, or the store skips its objects.
    TVNPreparedPage& page = Report->EMFPages->Page(ExportPageIndex);
    FSavedVisible = page.Visible;
    page.Visible = 1;
    FText.Clear();
    FPageObject = NextObject();
    FKids += " " + Ref(FPageObject);
    FContentsObject = NextObject();
    FLengthObject = NextObject();
}

void TVNPDFExport::DrawPageImage() {
    TVNEMFPages& pages = *Report->EMFPages;
    TVNPreparedPage& page = pages.Page(ExportPageIndex);
    if (!FSurface) FSurface = CreateVNRasterSurface(FWidth, FHeight);
    if (!FSurface)
        throw EVNExportError("PDF export: no page picture of " + std::to_string(FWidth) + " x " +
                             std::to_string(FHeight) + " pixels can be drawn here");
    // With the text layer every text the page draws is also handed to it, at the place drawn.
    ICanvas& surface = FSurface->Canvas();
    surface.SetBrush(TBrush{TBrushStyle::Solid, clWhite});
    surface.FillRect(TRect{0, 0, FWidth, FHeight});
    TVNPDFTextCanvas tap(surface, FText, Points(1), FWidth, FHeight);
    ICanvas& canvas = SearchableText ? static_cast<ICanvas&>(tap) : surface;
    if (const TVNBkPicture* bk = pages.Background(page.BackgroundIndex)) {
        const TPicture picture = PlatformPicture(bk->Picture);
        if (!picture.IsEmpty())
            canvas.DrawPicture(TRect{bk->Left, bk->Top, bk->Left + FWidth, bk->Top + FHeight}, picture);
    }
    // Each page is drawn at its own size onto the first page's bitmap: a larger page is cut, a
    // smaller one keeps the bitmap's white around it.
    const int pageWidth = page.Metrics.PaperWidthPx > 0 ? page.Metrics.PaperWidthPx : FWidth;
    const int pageHeight = page.Metrics.PaperHeightPx > 0 ? page.Metrics.PaperHeightPx : FHeight;
    const bool wasDecoded = page.DecodedPage != nullptr;
    pages.DrawPage(ExportPageIndex, canvas, TRect{0, 0, pageWidth, pageHeight});
    if (!wasDecoded) page.DecodedPage.reset(); // one decoded page at a time
}

const std::uint32_t* TVNPDFExport::ImageRow(int y) {
    const std::uint32_t* row = FSurface->ScanLine(y);
    if (!ReducesPixels(PixelFormat)) return row;
    FRow.resize(std::size_t(FWidth));
    ReducePixels(row, FRow.data(), FRow.size(), PixelFormat);
    return FRow.data();
}

void TVNPDFExport::EncodePageImage() {
    // The rows go from the surface to the encoder one at a time, reduced on the way, into a
    // buffer that serves every page: no copy of the whole page, no new buffer per page.
    if (ExportImageFormat != ifBMP) {
        EncodeJpeg(FWidth, FHeight, [this](int y) { return ImageRow(y); },
                   TVNMainExportFilter::BitmapJpegOptions(JPEGQuality), FImageData);
        return;
    }
    // Raw images are rows from the top, red, green, blue per pixel.
    FImageData.resize(std::size_t(FWidth) * std::size_t(FHeight) * 3);
    char* p = FImageData.data();
    for (int y = 0; y < FHeight; ++y) {
        const std::uint32_t* row = ImageRow(y);
        for (int x = 0; x < FWidth; ++x) {
            *p++ = char((row[x] >> 16) & 0xFF);
            *p++ = char((row[x] >> 8) & 0xFF);
            *p++ = char(row[x] & 0xFF);
        }
    }
}

void TVNPDFExport::OnEndPage() {
    TVNPreparedPage& page = Report->EMFPages->Page(ExportPageIndex);
    // 1-3: the page's image object, written after the page's own objects.
    DrawPageImage();
    EncodePageImage();
    const int image = NextObject();
    const int position = int(FImages.size());
    FImages.push_back(image);

    // 4: the contents paint the image over the whole media box.
    std::string content = "q\r" + PDFNumber(Points(FWidth)) + " 0 0 " + PDFNumber(Points(FHeight)) + " " +
                          PDFNumber(0) + " " + PDFNumber(0) + " cm\r/Img" + std::to_string(position) +
                          " Do\rQ\r\n";
    if (SearchableText) content += FText.Operators(Points(FHeight));

    // 5-8: page, contents, length, then the image.
    WriteObject(FPageObject, "/Type /Page" + std::string(CRLF) + "/Parent " + Ref(2) + CRLF + "/Contents " +
                                 Ref(FContentsObject));
    WriteObject(FContentsObject, "<< /Length " + Ref(FLengthObject) + " >>", false);
    WriteRaw("stream" + std::string(CRLF) + content + CRLF + "endstream" + CRLF + "endobj" + CRLF);
    WriteObject(FLengthObject, std::to_string(content.size()));
    SetOffset(image, Stream->Size());
    WriteRaw(std::to_string(image) + " 0 obj" + CRLF + "<< /Type/XObject/Subtype/Image/Name/Img" +
             std::to_string(position) + "/Width " + std::to_string(FWidth) + "/Height " + std::to_string(FHeight) +
             "/BitsPerComponent 8/ColorSpace/DeviceRGB" + (ExportImageFormat == ifBMP ? "" : "/Filter/DCTDecode") +
             "/Length " + std::to_string(FImageData.size()) + CRLF + ">>" + CRLF + "stream" + CRLF);
    WriteRaw(FImageData);
    WriteRaw(std::string(CRLF) + "endstream" + CRLF + "endobj" + CRLF);

    // 9.
    page.Visible = FSavedVisible;
    ++FPageCounter;
}

void TVNPDFExport::OnEndDoc() {
    FSurface.reset();
    FImageData = std::string();
    FRow = std::vector<std::uint32_t>();
    int font = 0;
    if (SearchableText) {
        font = NextObject();
        const int cidFont = NextObject(), descriptor = NextObject();
        WriteObject(font, TVNPDFTextLayer::FontObject(cidFont));
        WriteObject(cidFont, TVNPDFTextLayer::CIDFontObject(descriptor));
        WriteObject(descriptor, TVNPDFTextLayer::FontDescriptorObject());
    }
    WriteObject(2, "/Type /Pages" + std::string(CRLF) + "/Count " + std::to_string(FPageCounter) + CRLF +
                       "/MediaBox [0 0 " + PDFNumber(Points(FWidth)) + " " + PDFNumber(Points(FHeight)) +
                       "]" + CRLF + "/Kids [" + FKids + "]" + CRLF + "/Resources " + Ref(5));
    std::string resources = "/ProcSet " + Ref(4);
    if (!FImages.empty()) {
        resources += std::string(CRLF) + "/XObject <<";
        for (std::size_t i = 0; i < FImages.size(); ++i)
            resources += std::string(CRLF) + "/Img" + std::to_string(i) + " " + Ref(FImages[i]);
        resources += " >>";
    }
    if (font)
        resources +=
            std::string(CRLF) + "/Font << " + TVNPDFTextLayer::FontResource + " " + Ref(font) + " >>";
    WriteObject(5, resources);
    WriteObject(4, "[/PDF /Text /ImageC]");
    // Written as the dictionary it is: its one entry has no line break of its own to make the
    // wrapping rule apply, and a bare entry would not be a PDF object.
    SetOffset(3, Stream->Size());
    WriteRaw(std::string("3 0 obj") + CRLF + "<<" + CRLF + "/Producer (Valnor)" + CRLF + ">>" + CRLF +
             "endobj" + CRLF);

    const std::int64_t xref = Stream->Size();
    std::string table = "xref" + std::string(CRLF) + "0 " + std::to_string(FObjectCounter + 1) + CRLF +
                        "0000000000 65535 f" + CRLF;
    FOffsets.resize(std::size_t(FObjectCounter) + 1, 0);
    char entry[32];
    for (int i = 1; i <= FObjectCounter; ++i) {
        std::snprintf(entry, sizeof entry, "%010lld 00000 n\r\n",
                      static_cast<long long>(FOffsets[std::size_t(i)]));
        table += entry;
    }
    table += "trailer" + std::string(CRLF) + "<<" + CRLF + "/Root " + Ref(1) + CRLF + "/Info " + Ref(3) +
             CRLF + "/Size " + std::to_string(FObjectCounter + 1) + CRLF + ">>" + CRLF + "startxref" + CRLF +
             std::to_string(xref) + CRLF + "%%EOF";
    WriteRaw(table);
}

// ---- options ------------------------------------------------------------------------------------

std::vector<TVNExportOption> TVNPDFExport::Options() const {
    return {
        {"ExportImageFormat", ExportImageFormatName(ExportImageFormat),
         "JPG or BMP: JPEG or raw RGB page images"},
        {"JPEGQuality", std::to_string(JPEGQuality), "0 to 100: quality of JPEG page images"},
        {"PixelFormat", PixelFormatName(PixelFormat),
         "Device, 1 bit, 4 bit, 8 bit, 15 bit, 16 bit, 24 bit or 32 bit: colour depth of the page pictures"},
        {"CompressionMethod", CompressionNames[CompressionMethod],
         "None, Fastest, Normal or MaxCompress: kept for the dialog, the file does not change"},
        {"SearchableText", SearchableText ? "true" : "false",
         "boolean: an invisible text layer over each page, so readers find and copy its text"}};
}

void TVNPDFExport::SetOption(const std::string& name, const std::string& value) {
    if (name == "ExportImageFormat") {
        SetExportImageFormatOption(name, value, ExportImageFormat);
    } else if (name == "JPEGQuality") {
        JPEGQuality = ParseJPEGQualityOption(name, value);
    } else if (name == "PixelFormat") {
        if (!ParsePixelFormat(value, PixelFormat))
            throw EVNExportError("option PixelFormat: \"" + value + "\" is not Device, 1 bit ... 32 bit");
    } else if (name == "CompressionMethod") {
        std::string t;
        for (char c : value)
            t += char(std::tolower(static_cast<unsigned char>(c)));
        if (t.rfind("vncm", 0) == 0) t.erase(0, 4);
        for (int i = 0; i < 4; ++i) {
            std::string n = CompressionNames[i];
            for (char& c : n)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            if (t == n) {
                CompressionMethod = TVNCompressionMethod(i);
                return;
            }
        }
        throw EVNExportError("option CompressionMethod: \"" + value +
                             "\" is not None, Fastest, Normal or MaxCompress");
    } else if (name == "SearchableText") {
        SearchableText = ParseExportBool(name, value);
    } else {
        UnknownOption(name);
    }
}
