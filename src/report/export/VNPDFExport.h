// TVNPDFExport: prepared pages as a PDF 1.3 file in which every page is one full-page image,
// drawn exactly as the preview draws the page and stored as JPEG (DCT) or raw RGB. The file's
// layout is fixed: objects 1 catalog, 2 page tree, 3 document information, 4 procedure set,
// 5 resources; then per page its page object, contents stream, contents length and image; every
// line ends with CR LF; lengths are points with four decimals.
//
// With SearchableText (off by default, so the image-only file stays as it always was) each page's
// contents also carry the text drawn on its picture as invisible text over the image, in one non-embedded CID
// font (see VNPDFTextLayer.h) whose three objects take the next numbers after the last page and
// are written just before the page tree; the resources then name it as /F1.
#pragma once

#include "VNExportFilter.h"
#include "VNMainExportFilter.h"
#include "VNPDFTextLayer.h"
#include "VNPixelFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TVNCompressionMethod { vncmNone, vncmFastest, vncmNormal, vncmMaxCompress };

class TVNPDFExport : public TVNExportFilter {
public:
    TVNPDFExport(); // registers as "Adobe Acrobat Document (*.pdf)"
    const char* ClassName() const override { return "TVNPDFExport"; }

    // Published.
    TVNCompressionMethod CompressionMethod = vncmMaxCompress; // kept for the dialog; the file ignores it
    TVNPixelFormat PixelFormat = pf8bit;
    TVNExportImageFormat ExportImageFormat = ifJPG; // ifGIF is not taken
    int JPEGQuality = 100;
    bool SearchableText = false;

    void SetExportImageFormat(TVNExportImageFormat format) {
        if (format != ifGIF) ExportImageFormat = format;
    }

    // Pages are drawn whole; the text layer is taken from that drawing (VNPDFTextCanvas.h).
    bool WantsObjects() const override { return false; }
    void OnBeginDoc() override;
    void OnEndDoc() override;
    void OnBeginPage() override;
    void OnEndPage() override;

    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

private:
    // Writes one object: a text holding a line break is wrapped as a dictionary; closed objects
    // end with "endobj". Records the object's offset.
    void WriteObject(int number, std::string text, bool closed = true);
    void WriteRaw(const std::string& bytes) { Stream->Write(bytes); }
    int NextObject() { return ++FObjectCounter; }
    void SetOffset(int number, std::int64_t offset);
    // The page drawn onto the surface of the first page's size.
    void DrawPageImage();
    // The surface's row y as the image stores it (reduced to PixelFormat).
    const std::uint32_t* ImageRow(int y);
    // The drawn page as the stored image's bytes, into FImageData.
    void EncodePageImage();
    double Points(double reportPixels) const;

    int FObjectCounter = 5;
    std::vector<std::int64_t> FOffsets; // by object number; [0] unused
    int FPageCounter = 0;
    int FWidth = 0, FHeight = 0; // first prepared page, report pixels
    int FPageObject = 0, FContentsObject = 0, FLengthObject = 0;
    std::uint8_t FSavedVisible = 0;
    std::vector<int> FImages; // object number of "Img" + position
    std::string FKids;
    TVNPDFTextLayer FText;
    // One surface, one row and one image buffer for the whole document (pages share the first
    // page's size).
    std::unique_ptr<IVNRasterSurface> FSurface;
    std::vector<std::uint32_t> FRow;
    std::string FImageData;
};
