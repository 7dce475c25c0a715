// Writing a page's text lines as invisible text in a CID font.
#include "VNPDFTextLayer.h"

#include <charconv>
#include <cmath>

namespace {

// The font's vertical metrics in thousandths of the size: the line's top is placed at the
// ascent above the baseline, so a reader's box of the text starts where the memo drew the line.
constexpr int Ascent = 880;
constexpr int Descent = -120;
// Widths the CID font declares: the proportional Latin of Adobe-GB1 (CIDs 1 to 95, which
// UniGB-UCS2-H gives to U+0020..U+007E) half an em, everything else a full em.
constexpr int LatinWidth = 500;
constexpr int FullWidth = 1000;

int GlyphWidth(char16_t c) {
    return c >= 0x20 && c <= 0x7E ? LatinWidth : FullWidth;
}

void AppendHex(std::string& out, char16_t c) {
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(c >> shift) & 0xF];
}

} // namespace

std::string PDFNumber(double value) {
    if (!std::isfinite(value)) value = 0;
    if (std::fabs(value) < 0.00005) value = 0; // no "-0.0000"
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
    return std::string(buf, r.ptr);
}

void TVNPDFTextLayer::AddLine(double left, double top, double width, double size, const AnsiString& text) {
    if (!(size > 0) || !std::isfinite(left) || !std::isfinite(top)) return;
    std::u16string units;
    bool visible = false;
    for (char16_t c : AnsiToUtf16(text)) {
        if (c < 0x20) continue; // control bytes draw nothing
        units += c;
        visible = visible || (c != u' ' && c != 0x3000);
    }
    if (!visible) return;
    FLines.push_back(TLine{left, top, width, size, std::move(units)});
}

std::string TVNPDFTextLayer::Operators(double pageHeight) const {
    if (FLines.empty()) return {};
    std::string out = "BT\r3 Tr\r";
    for (const TLine& line : FLines) {
        double natural = 0;
        for (char16_t c : line.Text)
            natural += GlyphWidth(c);
        natural = natural * line.Size / 1000.0;
        // The drawn width as a percentage of the font's own; a line measured as nothing keeps 100.
        const double scale = line.Width > 0 && natural > 0 ? 100.0 * line.Width / natural : 100.0;
        const double baseline = pageHeight - line.Top - line.Size * Ascent / 1000.0;
        out += FontResource;
        out += ' ' + PDFNumber(line.Size) + " Tf " + PDFNumber(scale) + " Tz 1 0 0 1 " +
               PDFNumber(line.Left) + ' ' + PDFNumber(baseline) + " Tm <";
        for (char16_t c : line.Text)
            AppendHex(out, c);
        out += "> Tj\r";
    }
    out += "ET\r\n";
    return out;
}

std::string TVNPDFTextLayer::FontObject(int cidFontObject) {
    return "/Type /Font\r\n/Subtype /Type0\r\n/BaseFont /STSong-Light\r\n/Encoding /UniGB-UCS2-H\r\n"
           "/DescendantFonts [" +
           std::to_string(cidFontObject) + " 0 R]";
}

std::string TVNPDFTextLayer::CIDFontObject(int descriptorObject) {
    return "/Type /Font\r\n/Subtype /CIDFontType0\r\n/BaseFont /STSong-Light\r\n"
           "/CIDSystemInfo << /Registry (Adobe) /Ordering (GB1) /Supplement 2 >>\r\n/FontDescriptor " +
           std::to_string(descriptorObject) + " 0 R\r\n/DW " + std::to_string(FullWidth) + "\r\n/W [1 95 " +
           std::to_string(LatinWidth) + "]";
}

std::string TVNPDFTextLayer::FontDescriptorObject() {
    return "/Type /FontDescriptor\r\n/FontName /STSong-Light\r\n/Flags 4\r\n/FontBBox [-25 " +
           std::to_string(Descent) + " 1000 " + std::to_string(Ascent) + "]\r\n/ItalicAngle 0\r\n/Ascent " +
           std::to_string(Ascent) + "\r\n/Descent " + std::to_string(Descent) + "\r\n/CapHeight " +
           std::to_string(Ascent) + "\r\n/StemV 80";
}
