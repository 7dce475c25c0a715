// Plain drawing types shared by every canvas, picture and view: colours, rectangles, points,
// font descriptions, pens and brushes.
//
// These are values only; they carry no toolkit objects, so the report engine can hold and stream
// them without Qt. A colour is 32 bits with red in the low byte; a value with the high bit set
// names a system colour (resolved by ColorToRGB); clNone means "no colour".
#pragma once

#include <cstdint>
#include <string>

using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;

// System colours: the high bit plus the classic system colour index.
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clInfoBk = clSystemColor | 24;

constexpr TColor RGB(int r, int g, int b) {
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int GetRValue(TColor c) {
    return int(c & 0xFF);
}
constexpr int GetGValue(TColor c) {
    return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(TColor c) {
    return int((c >> 16) & 0xFF);
}

// The plain RGB value of a colour: system colours resolve to the classic light scheme (the one a
// fresh desktop shows), other values lose their top byte. clNone resolves to white, so callers
// that must treat it as "transparent" test for it before resolving.
constexpr TColor ColorToRGB(TColor c) {
    if (c == clNone) return clWhite;
    if (c & clSystemColor) {
        constexpr TColor scheme[31] = {0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000,
                                       0x000000, 0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A,
                                       0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF,
                                       0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6,
                                       0xC0C0C0, 0xFF0000, 0xF0F0F0};
        unsigned index = c & 0xFF;
        return index < 31 ? scheme[index] : clBlack;
    }
    return c & 0xFFFFFF;
}

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and Bottom are exclusive: a rectangle covers Left..Right-1 and Top..Bottom-1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
            a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
    if (r.IsEmpty()) return TRect{};
    return r;
}

// Font style bits, the same values the report's "Font.Style" property stores.
enum TFontStyleBits : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Character sets a font may name; the Wingdings symbol font uses the symbol set.
constexpr int DEFAULT_CHARSET = 1;
constexpr int SYMBOL_CHARSET = 2;
constexpr int GB2312_CHARSET = 134;

// A font as the reports name it.
//  - Name: the family in CP936, usually a Windows name ("宋体", "Arial"); canvases map it.
//  - Size: points. Height: pixels on the target device; 0 means "derive from Size at the
//    canvas's vertical resolution" (round(Size * ppiY / 72)); negative means a character (em)
//    height of -Height pixels; positive means a cell height (em plus internal leading).
//    The report engine sets Height whenever it scales fonts, and Height then wins over Size.
//  - Width: average character width in pixels, 0 for the font's natural width (used to squeeze
//    a font into a memo's width).
//  - Angle: text rotation counter-clockwise in tenths of a degree (900 = text running upward).
struct TFontSpec {
    std::string Name = "Arial";
    int Size = 10;
    int Height = 0;
    int Width = 0;
    int Style = 0;
    TColor Color = clBlack;
    int Charset = DEFAULT_CHARSET;
    int Angle = 0;
    friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

// Pen styles in the order of the frame line style codes (0..6).
enum class TPenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };

// How thick lines end; frames use square ends so that sides meet at the corners.
enum class TPenEnd : std::uint8_t { Round, Square, Flat };

// How the pen combines with what is already drawn, in the classic raster-operation order
// (the byte a shape view stores indexes this list).
enum class TPenMode : std::uint8_t {
    Black,
    White,
    Nop,
    Not,
    Copy,
    NotCopy,
    MergePenNot,
    MaskPenNot,
    MergeNotPen,
    MaskNotPen,
    Merge,
    NotMerge,
    Mask,
    NotMask,
    Xor,
    NotXor
};

struct TPen {
    TPenStyle Style = TPenStyle::Solid;
    int Width = 1;
    TColor Color = clBlack;
    TPenEnd End = TPenEnd::Round;
    TPenMode Mode = TPenMode::Copy;
    friend bool operator==(const TPen&, const TPen&) = default;
};

enum class TBrushStyle : std::uint8_t {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross
};

struct TBrush {
    TBrushStyle Style = TBrushStyle::Solid;
    TColor Color = clWhite;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};
