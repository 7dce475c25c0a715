// The invisible text layer of a PDF page: the page's text lines, written in text render mode 3
// (neither filled nor stroked) over the page image at the places and sizes where the memo layout
// drew them, so that a PDF reader can search, select and copy the text of an image-only page.
//
// The font is a non-embedded CID font of the Adobe-GB1 collection reached through the predefined
// CMap UniGB-UCS2-H: the text is written as UTF-16 code units, which every reader maps to Unicode
// without font data, Chinese and Latin alike. A line's drawn width is kept with a horizontal
// scaling (Tz), so selections cover what the page picture shows.
#pragma once

#include "platform/AnsiString.h"

#include <string>
#include <vector>

class TVNPDFTextLayer {
public:
    // The resource name of the font in the page resources.
    static constexpr const char* FontResource = "/F1";

    void Clear() { FLines.clear(); }
    bool Empty() const { return FLines.empty(); }

    // One line drawn with its top-left corner at (left, top) and `width` wide, all in points from
    // the page's top-left corner, in a font of `size` points. Blank lines are skipped.
    void AddLine(double left, double top, double width, double size, const AnsiString& text);
    // The page's lines as content-stream operators (a BT ... ET block; empty without lines) for a
    // page `pageHeight` points high.
    std::string Operators(double pageHeight) const;

    // The bodies of the three font objects, given the numbers of the CID font and its descriptor:
    // the composite font the page resources name, its CID font and the font descriptor.
    static std::string FontObject(int cidFontObject);
    static std::string CIDFontObject(int descriptorObject);
    static std::string FontDescriptorObject();

private:
    struct TLine {
        double Left, Top, Width, Size;
        std::u16string Text;
    };
    std::vector<TLine> FLines;
};

// A number with four decimals and "." whatever the process locale.
std::string PDFNumber(double value);
