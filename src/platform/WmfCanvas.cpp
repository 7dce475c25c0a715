// Windows metafile records of the recording canvas. All integers little-endian; record sizes
// count 16-bit words, header included; points are stored y before x and rectangles bottom,
// right, top, left, except where a record keeps a point list or a Rect object.
#include "platform/WmfCanvas.h"

#include "platform/AnsiString.h"
#include "platform/LittleEndian.h"

#include <algorithm>

namespace {

enum : std::uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETROP2 = 0x0104,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DELETEOBJECT = 0x01F0,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_ROUNDRECT = 0x061C,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHDIB = 0x0F43,
};

constexpr std::size_t PlaceableSize = 22;

int Clamp16(int v) {
    return std::clamp(v, -32768, 32767);
}

std::uint32_t Colour(TColor c) {
    return ColorToRGB(c) & 0xFFFFFF;
}

} // namespace

TWmfCanvas::TWmfCanvas(int width, int height, ICanvas& measure, int pixelsPerInch)
    : TMetafileCanvas(std::min(width, 32767), std::min(height, 32767), measure, pixelsPerInch) {
    PutLE32(FOut, 0x9AC6CDD7);
    PutLE16(FOut, 0);
    PutLE16(FOut, 0); // bounding box left, top, right, bottom
    PutLE16(FOut, 0);
    PutLE16(FOut, std::uint32_t(Width()));
    PutLE16(FOut, std::uint32_t(Height()));
    PutLE16(FOut, std::uint32_t(std::clamp(pixelsPerInch, 1, 65535)));
    PutLE32(FOut, 0);
    std::uint32_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) checksum ^= GetLE16(FOut, i);
    PutLE16(FOut, checksum);
    // The metafile header: memory metafile, 9 words, version 3 (DIBs); sizes patched at Finish.
    PutLE16(FOut, 1);
    PutLE16(FOut, 9);
    PutLE16(FOut, 0x0300);
    PutLE32(FOut, 0);
    PutLE16(FOut, 0);
    PutLE32(FOut, 0);
    PutLE16(FOut, 0);
    Record(META_SETWINDOWORG, {0, 0});
    Record(META_SETWINDOWEXT, {Height(), Width()});
    Record(META_SETBKMODE, {1, 0});        // transparent text background
    Record(META_SETTEXTALIGN, {0, 0});     // reference point at the top-left of the text
    Record(META_SETSTRETCHBLTMODE, {3});   // colour on colour: plain pixel copies
}

std::size_t TWmfCanvas::BeginRecord(std::uint16_t function) {
    const std::size_t start = FOut.size();
    PutLE32(FOut, 0);
    PutLE16(FOut, function);
    return start;
}

void TWmfCanvas::EndRecord(std::size_t start) {
    if ((FOut.size() - start) % 2) FOut.push_back('\0');
    const std::uint32_t words = std::uint32_t((FOut.size() - start) / 2);
    PatchLE32(FOut, start, words);
    FMaxRecordWords = std::max(FMaxRecordWords, words);
}

void TWmfCanvas::PutWord(int v) {
    PutLE16(FOut, std::uint32_t(std::uint16_t(std::int16_t(Clamp16(v)))));
}

void TWmfCanvas::Record(std::uint16_t function, std::initializer_list<int> words) {
    const std::size_t start = BeginRecord(function);
    for (int w : words) PutWord(w);
    EndRecord(start);
}

void TWmfCanvas::PutRectReversed(const TRect& r) {
    PutWord(r.Bottom);
    PutWord(r.Right);
    PutWord(r.Top);
    PutWord(r.Left);
}

std::string TWmfCanvas::Finish() {
    if (FFinished) return FOut;
    FFinished = true;
    Record(META_EOF, {});
    const std::uint32_t words = std::uint32_t((FOut.size() - PlaceableSize) / 2);
    PatchLE32(FOut, PlaceableSize + 6, words);
    PatchLE16(FOut, PlaceableSize + 10, std::uint32_t(std::clamp(ObjectSlots(), 1, 0xFFFF)));
    PatchLE32(FOut, PlaceableSize + 12, FMaxRecordWords);
    return FOut;
}

void TWmfCanvas::EmitCreatePen(int slot, const TPen& pen) {
    (void)slot; // the reader takes the lowest free slot, which is the one the base chose
    const std::size_t start = BeginRecord(META_CREATEPENINDIRECT);
    std::uint32_t style = pen.Style == TPenStyle::Clear ? 5 : std::min<std::uint32_t>(std::uint32_t(pen.Style), 6);
    if (pen.Width > 1 && pen.End == TPenEnd::Square) style |= 0x100 | 0x2000;
    if (pen.Width > 1 && pen.End == TPenEnd::Flat) style |= 0x200 | 0x2000;
    PutLE16(FOut, style);
    PutWord(pen.Style == TPenStyle::Clear ? 0 : std::max(pen.Width, 1));
    PutWord(0);
    PutLE32(FOut, Colour(pen.Color));
    EndRecord(start);
}

void TWmfCanvas::EmitCreateBrush(int slot, const TBrush& brush) {
    (void)slot;
    const std::size_t start = BeginRecord(META_CREATEBRUSHINDIRECT);
    if (brush.Style == TBrushStyle::Solid) {
        PutLE16(FOut, 0);
        PutLE32(FOut, Colour(brush.Color));
        PutLE16(FOut, 0);
    } else if (brush.Style == TBrushStyle::Clear) {
        PutLE16(FOut, 1);
        PutLE32(FOut, 0);
        PutLE16(FOut, 0);
    } else {
        PutLE16(FOut, 2);
        PutLE32(FOut, Colour(brush.Color));
        PutLE16(FOut, std::uint32_t(int(brush.Style) - int(TBrushStyle::Horizontal)));
    }
    EndRecord(start);
}

void TWmfCanvas::EmitCreateFont(int slot, const TFontSpec& font, int emHeight) {
    (void)slot;
    const std::size_t start = BeginRecord(META_CREATEFONTINDIRECT);
    PutWord(-std::max(emHeight, 1));
    PutWord(std::max(font.Width, 0));
    PutWord(font.Angle);
    PutWord(font.Angle);
    PutWord((font.Style & fsBold) ? 700 : 400);
    FOut.push_back(char((font.Style & fsItalic) ? 1 : 0));
    FOut.push_back(char((font.Style & fsUnderline) ? 1 : 0));
    FOut.push_back(char((font.Style & fsStrikeOut) ? 1 : 0));
    // The text bytes are CP936 whatever the report's font says, so readers must decode them so.
    FOut.push_back(char(IsSymbolFont(font) ? SYMBOL_CHARSET : GB2312_CHARSET));
    FOut.push_back(char(4)); // TrueType precision
    FOut.push_back(0);
    FOut.push_back(0);
    FOut.push_back(0);
    // The face name in the font's code page, cut at a character boundary, NUL-padded to 32.
    std::string face;
    for (std::size_t i = 0; i < font.Name.size();) {
        const std::size_t len = CharLengthAt(font.Name, i);
        if (face.size() + len > 31) break;
        face += font.Name.substr(i, len);
        i += len;
    }
    face.resize(32, '\0');
    FOut += face;
    EndRecord(start);
}

void TWmfCanvas::EmitSelect(int slot) {
    Record(META_SELECTOBJECT, {slot});
}

void TWmfCanvas::EmitDelete(int slot) {
    Record(META_DELETEOBJECT, {slot});
}

void TWmfCanvas::EmitTextColor(TColor color) {
    const std::size_t start = BeginRecord(META_SETTEXTCOLOR);
    PutLE32(FOut, Colour(color));
    EndRecord(start);
}

void TWmfCanvas::EmitRop2(int rop2) {
    Record(META_SETROP2, {rop2});
}

void TWmfCanvas::EmitMoveTo(int x, int y) {
    Record(META_MOVETO, {y, x});
}

void TWmfCanvas::EmitLineTo(int x, int y) {
    Record(META_LINETO, {y, x});
}

void TWmfCanvas::EmitPoly(bool closed, const std::vector<TPoint>& points) {
    // The point count is a signed 16-bit number; longer lists (never seen on a page) are cut.
    const std::size_t n = std::min<std::size_t>(points.size(), 32767);
    const std::size_t start = BeginRecord(closed ? META_POLYGON : META_POLYLINE);
    PutWord(int(n));
    for (std::size_t i = 0; i < n; ++i) {
        PutWord(points[i].X);
        PutWord(points[i].Y);
    }
    EndRecord(start);
}

void TWmfCanvas::EmitRectangle(const TRect& r) {
    const std::size_t start = BeginRecord(META_RECTANGLE);
    PutRectReversed(r);
    EndRecord(start);
}

void TWmfCanvas::EmitRoundRect(const TRect& r, int cornerW, int cornerH) {
    const std::size_t start = BeginRecord(META_ROUNDRECT);
    PutWord(cornerH);
    PutWord(cornerW);
    PutRectReversed(r);
    EndRecord(start);
}

void TWmfCanvas::EmitEllipse(const TRect& r) {
    const std::size_t start = BeginRecord(META_ELLIPSE);
    PutRectReversed(r);
    EndRecord(start);
}

void TWmfCanvas::EmitText(int x, int y, std::string_view text, const std::vector<int>& advances, const TRect* clip,
                          bool symbol) {
    // StringLength is a 16-bit count of bytes: a longer text (none on a page) is cut at a
    // character boundary.
    std::size_t length = 0, chars = 0;
    while (length < text.size() && chars < advances.size()) {
        const std::size_t len = symbol ? 1 : CharLengthAt(text, length);
        if (length + len > 32000) break;
        length += len;
        ++chars;
    }
    const std::size_t start = BeginRecord(META_EXTTEXTOUT);
    PutWord(y);
    PutWord(x);
    PutWord(int(length));
    std::uint32_t options = clip ? 0x4 : 0;
    if (RightToLeftText()) options |= 0x80;
    PutLE16(FOut, options);
    if (clip) {
        PutWord(clip->Left);
        PutWord(clip->Top);
        PutWord(clip->Right);
        PutWord(clip->Bottom);
    }
    FOut.append(text.substr(0, length));
    if (length % 2) FOut.push_back('\0');
    // One advance per byte: a double-byte character's advance on its lead byte, 0 on its trail.
    std::size_t at = 0;
    for (std::size_t c = 0; c < chars; ++c) {
        const std::size_t len = symbol ? 1 : CharLengthAt(text, at);
        PutWord(advances[c]);
        for (std::size_t k = 1; k < len; ++k) PutWord(0);
        at += len;
    }
    EndRecord(start);
}

void TWmfCanvas::EmitBitmap(const TRect& r, const TRasterImage& image, bool andMode) {
    const std::string dib = EncodeDib(image, 24);
    const std::size_t start = BeginRecord(META_STRETCHDIB);
    PutLE32(FOut, andMode ? 0x008800C6 : 0x00CC0020); // SRCAND or SRCCOPY
    PutLE16(FOut, 0);                                 // RGB colours
    PutWord(image.Height);
    PutWord(image.Width);
    PutWord(0);
    PutWord(0);
    PutWord(r.Height());
    PutWord(r.Width());
    PutWord(r.Top);
    PutWord(r.Left);
    FOut += dib;
    EndRecord(start);
}

void TWmfCanvas::EmitSaveDC() {
    Record(META_SAVEDC, {});
}

void TWmfCanvas::EmitRestoreDC() {
    Record(META_RESTOREDC, {-1});
}

void TWmfCanvas::EmitIntersectClip(const TRect& r) {
    const std::size_t start = BeginRecord(META_INTERSECTCLIPRECT);
    PutRectReversed(r);
    EndRecord(start);
}
