// Enhanced metafile records of the recording canvas. All integers little-endian; every record
// is a multiple of 4 bytes; object index 0 is the metafile itself, so slot n is index n + 1.
#include "platform/EmfCanvas.h"

#include "platform/AnsiString.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cmath>

namespace {

enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_EOF = 0x0E,
    EMR_SETBKMODE = 0x12,
    EMR_SETROP2 = 0x14,
    EMR_SETSTRETCHBLTMODE = 0x15,
    EMR_SETTEXTALIGN = 0x16,
    EMR_SETTEXTCOLOR = 0x18,
    EMR_MOVETOEX = 0x1B,
    EMR_INTERSECTCLIPRECT = 0x1E,
    EMR_SAVEDC = 0x21,
    EMR_RESTOREDC = 0x22,
    EMR_SELECTOBJECT = 0x25,
    EMR_CREATEPEN = 0x26,
    EMR_CREATEBRUSHINDIRECT = 0x27,
    EMR_DELETEOBJECT = 0x28,
    EMR_ELLIPSE = 0x2A,
    EMR_RECTANGLE = 0x2B,
    EMR_ROUNDRECT = 0x2C,
    EMR_LINETO = 0x36,
    EMR_STRETCHDIBITS = 0x51,
    EMR_EXTCREATEFONTINDIRECTW = 0x52,
    EMR_EXTTEXTOUTW = 0x54,
    EMR_POLYGON16 = 0x56,
    EMR_POLYLINE16 = 0x57,
    EMR_EXTCREATEPEN = 0x5F,
};

// The reference device: 1920 x 1440 pixels on 508 x 381 mm is exactly 96 pixels per inch.
constexpr int RefPixelsX = 1920, RefPixelsY = 1440, RefMmX = 508, RefMmY = 381;

std::uint32_t Colour(TColor c) {
    return ColorToRGB(c) & 0xFFFFFF;
}

// Pen style bits: dash pattern, then end caps and joins for geometric pens.
std::uint32_t PenStyleBits(const TPen& p) {
    static const std::uint32_t styles[] = {0, 1, 2, 3, 4, 5, 6}; // solid .. insideframe
    return styles[std::min<int>(int(p.Style), 6)];
}

std::uint32_t PenEndBits(const TPen& p) {
    switch (p.End) {
    case TPenEnd::Square:
        return 0x100 | 0x2000; // square caps, mitred joins
    case TPenEnd::Flat:
        return 0x200 | 0x2000;
    default:
        return 0; // round caps, round joins
    }
}

bool Fits16(const std::vector<TPoint>& points) {
    return std::all_of(points.begin(), points.end(), [](const TPoint& p) {
        return p.X >= -32768 && p.X <= 32767 && p.Y >= -32768 && p.Y <= 32767;
    });
}

} // namespace

TEmfCanvas::TEmfCanvas(int width, int height, ICanvas& measure, int pixelsPerInch)
    : TMetafileCanvas(width, height, measure, pixelsPerInch) {
    const std::size_t start = BeginRecord(EMR_HEADER);
    // Bounds (inclusive, logical) and frame (inclusive, hundredths of a millimetre).
    PutRect(TRect{0, 0, Width() - 1, Height() - 1});
    const auto hmm = [&](int px) { return int(std::lround(double(px) * 2540.0 / pixelsPerInch)) - 1; };
    PutRect(TRect{0, 0, hmm(Width()), hmm(Height())});
    PutLE32(FOut, 0x464D4520); // " EMF"
    PutLE32(FOut, 0x00010000);
    PutLE32(FOut, 0); // bytes, patched
    PutLE32(FOut, 0); // records, patched
    PutLE16(FOut, 1); // handles, patched
    PutLE16(FOut, 0);
    PutLE32(FOut, 0); // no description
    PutLE32(FOut, 0);
    PutLE32(FOut, 0); // palette entries
    PutLE32(FOut, RefPixelsX);
    PutLE32(FOut, RefPixelsY);
    PutLE32(FOut, RefMmX);
    PutLE32(FOut, RefMmY);
    PutLE32(FOut, 0); // no pixel format
    PutLE32(FOut, 0);
    PutLE32(FOut, 0); // not OpenGL
    PutLE32(FOut, RefMmX * 1000);
    PutLE32(FOut, RefMmY * 1000);
    EndRecord(start);
    Record(EMR_SETBKMODE, {1});           // transparent text background
    Record(EMR_SETTEXTALIGN, {0});        // reference point at the top-left of the text
    Record(EMR_SETSTRETCHBLTMODE, {3});   // colour on colour: plain pixel copies
}

std::size_t TEmfCanvas::BeginRecord(std::uint32_t type) {
    const std::size_t start = FOut.size();
    PutLE32(FOut, type);
    PutLE32(FOut, 0);
    return start;
}

void TEmfCanvas::EndRecord(std::size_t start) {
    while ((FOut.size() - start) % 4) FOut.push_back('\0');
    PatchLE32(FOut, start + 4, std::uint32_t(FOut.size() - start));
    ++FRecords;
}

void TEmfCanvas::Record(std::uint32_t type, std::initializer_list<std::uint32_t> values) {
    const std::size_t start = BeginRecord(type);
    for (std::uint32_t v : values) PutLE32(FOut, v);
    EndRecord(start);
}

void TEmfCanvas::PutRect(const TRect& r) {
    PutLE32(FOut, std::uint32_t(r.Left));
    PutLE32(FOut, std::uint32_t(r.Top));
    PutLE32(FOut, std::uint32_t(r.Right));
    PutLE32(FOut, std::uint32_t(r.Bottom));
}

std::string TEmfCanvas::Finish() {
    if (FFinished) return FOut;
    FFinished = true;
    Record(EMR_EOF, {0, 16, 20});
    PatchLE32(FOut, 48, std::uint32_t(FOut.size()));
    PatchLE32(FOut, 52, FRecords);
    PatchLE16(FOut, 56, std::uint32_t(std::min(ObjectSlots() + 1, 0xFFFF)));
    return FOut;
}

void TEmfCanvas::EmitCreatePen(int slot, const TPen& pen) {
    const std::uint32_t index = std::uint32_t(slot + 1);
    if (pen.Style == TPenStyle::Clear) {
        Record(EMR_CREATEPEN, {index, 5, 0, 0, 0});
    } else if (pen.Width <= 1) {
        Record(EMR_CREATEPEN, {index, PenStyleBits(pen), 1, 0, Colour(pen.Color)});
    } else {
        // Thick lines: a geometric pen, whose width is in logical units, with the pen's ends.
        Record(EMR_EXTCREATEPEN, {index, 0, 0, 0, 0, 0x10000 | PenEndBits(pen) | PenStyleBits(pen),
                                  std::uint32_t(pen.Width), 0 /* BS_SOLID */, Colour(pen.Color), 0, 0});
    }
}

void TEmfCanvas::EmitCreateBrush(int slot, const TBrush& brush) {
    const std::uint32_t index = std::uint32_t(slot + 1);
    switch (brush.Style) {
    case TBrushStyle::Solid:
        Record(EMR_CREATEBRUSHINDIRECT, {index, 0, Colour(brush.Color), 0});
        break;
    case TBrushStyle::Clear:
        Record(EMR_CREATEBRUSHINDIRECT, {index, 1, 0, 0});
        break;
    default: // hatches in the order horizontal, vertical, fdiagonal, bdiagonal, cross, diagcross
        Record(EMR_CREATEBRUSHINDIRECT,
               {index, 2, Colour(brush.Color), std::uint32_t(int(brush.Style) - int(TBrushStyle::Horizontal))});
        break;
    }
}

void TEmfCanvas::EmitCreateFont(int slot, const TFontSpec& font, int emHeight) {
    const std::size_t start = BeginRecord(EMR_EXTCREATEFONTINDIRECTW);
    PutLE32(FOut, std::uint32_t(slot + 1));
    PutLE32(FOut, std::uint32_t(-std::max(emHeight, 1))); // negative: the character (em) height
    PutLE32(FOut, std::uint32_t(std::max(font.Width, 0)));
    PutLE32(FOut, std::uint32_t(font.Angle)); // escapement and orientation alike
    PutLE32(FOut, std::uint32_t(font.Angle));
    PutLE32(FOut, (font.Style & fsBold) ? 700 : 400);
    FOut.push_back(char((font.Style & fsItalic) ? 1 : 0));
    FOut.push_back(char((font.Style & fsUnderline) ? 1 : 0));
    FOut.push_back(char((font.Style & fsStrikeOut) ? 1 : 0));
    FOut.push_back(char(IsSymbolFont(font) ? SYMBOL_CHARSET : std::clamp(font.Charset, 0, 255)));
    FOut.push_back(char(4)); // TrueType precision
    FOut.push_back(0);
    FOut.push_back(0);
    FOut.push_back(0);
    std::u16string face = AnsiToUtf16(font.Name);
    face.resize(31);
    face.push_back(u'\0');
    for (char16_t c : face) PutLE16(FOut, c);
    FOut.append(128 + 64 + 64, '\0'); // full name, style, script
    PutLE32(FOut, 0x08007664);          // design vector signature, no axes
    PutLE32(FOut, 0);
    EndRecord(start);
}

void TEmfCanvas::EmitSelect(int slot) {
    Record(EMR_SELECTOBJECT, {std::uint32_t(slot + 1)});
}

void TEmfCanvas::EmitDelete(int slot) {
    Record(EMR_DELETEOBJECT, {std::uint32_t(slot + 1)});
}

void TEmfCanvas::EmitTextColor(TColor color) {
    Record(EMR_SETTEXTCOLOR, {Colour(color)});
}

void TEmfCanvas::EmitRop2(int rop2) {
    Record(EMR_SETROP2, {std::uint32_t(rop2)});
}

void TEmfCanvas::EmitMoveTo(int x, int y) {
    Record(EMR_MOVETOEX, {std::uint32_t(x), std::uint32_t(y)});
}

void TEmfCanvas::EmitLineTo(int x, int y) {
    Record(EMR_LINETO, {std::uint32_t(x), std::uint32_t(y)});
}

void TEmfCanvas::EmitPoly(bool closed, const std::vector<TPoint>& points) {
    const bool small = Fits16(points);
    const std::size_t start =
        BeginRecord(small ? (closed ? EMR_POLYGON16 : EMR_POLYLINE16) : (closed ? EMR_POLYGON : EMR_POLYLINE));
    TRect bounds{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TPoint& p : points) {
        bounds.Left = std::min(bounds.Left, p.X), bounds.Top = std::min(bounds.Top, p.Y);
        bounds.Right = std::max(bounds.Right, p.X), bounds.Bottom = std::max(bounds.Bottom, p.Y);
    }
    PutRect(bounds);
    PutLE32(FOut, std::uint32_t(points.size()));
    for (const TPoint& p : points) {
        if (small) {
            PutLE16(FOut, std::uint32_t(std::uint16_t(p.X)));
            PutLE16(FOut, std::uint32_t(std::uint16_t(p.Y)));
        } else {
            PutLE32(FOut, std::uint32_t(p.X));
            PutLE32(FOut, std::uint32_t(p.Y));
        }
    }
    EndRecord(start);
}

void TEmfCanvas::EmitRectangle(const TRect& r) {
    const std::size_t start = BeginRecord(EMR_RECTANGLE);
    PutRect(r);
    EndRecord(start);
}

void TEmfCanvas::EmitRoundRect(const TRect& r, int cornerW, int cornerH) {
    const std::size_t start = BeginRecord(EMR_ROUNDRECT);
    PutRect(r);
    PutLE32(FOut, std::uint32_t(cornerW));
    PutLE32(FOut, std::uint32_t(cornerH));
    EndRecord(start);
}

void TEmfCanvas::EmitEllipse(const TRect& r) {
    const std::size_t start = BeginRecord(EMR_ELLIPSE);
    PutRect(r);
    EndRecord(start);
}

void TEmfCanvas::EmitText(int x, int y, std::string_view text, const std::vector<int>& advances, const TRect* clip,
                          bool symbol) {
    // One UTF-16 unit per character, so the advances pair with the units one to one. Symbol
    // fonts carry their bytes in the private-use page, the way wide text names symbol glyphs.
    std::u16string wide;
    if (symbol) {
        for (char c : text) wide.push_back(char16_t(0xF000 | std::uint8_t(c)));
    } else {
        wide = AnsiToUtf16(text);
    }
    if (wide.size() != advances.size()) return; // cannot happen with the conversions above
    const std::size_t start = BeginRecord(EMR_EXTTEXTOUTW);
    PutRect(TRect{0, 0, -1, -1});
    PutLE32(FOut, 1); // compatible graphics mode
    const float scale = float(2540.0 / PixelsPerInchX());
    PutFloat32(FOut, scale);
    PutFloat32(FOut, scale);
    PutLE32(FOut, std::uint32_t(x));
    PutLE32(FOut, std::uint32_t(y));
    const std::uint32_t chars = std::uint32_t(wide.size());
    PutLE32(FOut, chars);
    PutLE32(FOut, 76);
    std::uint32_t options = clip ? 0x4 : 0;
    if (RightToLeftText()) options |= 0x80;
    PutLE32(FOut, options);
    PutRect(clip ? *clip : TRect{0, 0, -1, -1});
    const std::uint32_t offDx = (76 + 2 * chars + 3) & ~3u;
    PutLE32(FOut, offDx);
    for (char16_t c : wide) PutLE16(FOut, c);
    while (FOut.size() - start < offDx) FOut.push_back('\0');
    for (int a : advances) PutLE32(FOut, std::uint32_t(a));
    EndRecord(start);
}

void TEmfCanvas::EmitBitmap(const TRect& r, const TRasterImage& image, bool andMode) {
    const std::string dib = EncodeDib(image, 24);
    const std::size_t start = BeginRecord(EMR_STRETCHDIBITS);
    PutRect(TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1});
    PutLE32(FOut, std::uint32_t(r.Left));
    PutLE32(FOut, std::uint32_t(r.Top));
    PutLE32(FOut, 0);
    PutLE32(FOut, 0);
    PutLE32(FOut, std::uint32_t(image.Width));
    PutLE32(FOut, std::uint32_t(image.Height));
    PutLE32(FOut, 80);
    PutLE32(FOut, 40);
    PutLE32(FOut, 120);
    PutLE32(FOut, std::uint32_t(dib.size() - 40));
    PutLE32(FOut, 0);                                   // RGB colours
    PutLE32(FOut, andMode ? 0x008800C6 : 0x00CC0020); // SRCAND or SRCCOPY
    PutLE32(FOut, std::uint32_t(r.Width()));
    PutLE32(FOut, std::uint32_t(r.Height()));
    FOut += dib;
    EndRecord(start);
}

void TEmfCanvas::EmitSaveDC() {
    Record(EMR_SAVEDC, {});
}

void TEmfCanvas::EmitRestoreDC() {
    Record(EMR_RESTOREDC, {std::uint32_t(-1)});
}

void TEmfCanvas::EmitIntersectClip(const TRect& r) {
    const std::size_t start = BeginRecord(EMR_INTERSECTCLIPRECT);
    PutRect(r);
    EndRecord(start);
}
