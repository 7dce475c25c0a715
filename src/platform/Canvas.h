// The drawing surface the report engine paints on and measures text with.
//
// Everything is in device pixels (ints) of the target: screen, raster image, printer, metafile
// recorder or the fixed-metrics test canvas. Text is CP936; a lead byte and its follower are one
// character. State (font, pen, brush, character spacing, reading order, clip stack) lives on the
// canvas like a device context, so the engine sets it once and then issues many calls.
//
// Text geometry: TextOut's (x, y) is the top-left corner of the first character's cell before
// rotation; the font's Angle turns the text counter-clockwise around that point. TextWidth is the
// sum of the characters' advances plus the character spacing after every character (so a
// string of n characters with spacing s measures n*s more than without); TextHeight is the cell
// height of the current font, whatever the text.
#pragma once

#include "platform/Graphics.h"

#include <string_view>
#include <vector>

class TPicture;

// How a picture combines with the pixels below it: plain copy, or AND (white becomes see-through,
// the way transparent pictures are printed).
enum class TPictureCopyMode { Copy, And };

class ICanvas {
public:
    virtual ~ICanvas() = default;

    // Device resolution, used to turn points into pixels and to scale report pixels.
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;

    // Font. Setting an equal font is cheap, so callers need not compare first.
    virtual void SetFont(const TFontSpec& font) = 0;
    virtual const TFontSpec& Font() const = 0;

    // Extra pixels added after every character by TextWidth and TextOut.
    virtual void SetCharSpacing(int pixels) = 0;
    virtual int CharSpacing() const = 0;

    // Right-to-left reading order for text output (the start point stays at the left).
    virtual void SetRightToLeft(bool on) = 0;
    virtual bool RightToLeft() const = 0;

    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;

    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // TextOut clipped to a rectangle (the clip applies to this call only).
    virtual void TextRect(const TRect& clip, int x, int y, std::string_view text) = 0;

    virtual void SetPen(const TPen& pen) = 0;
    virtual const TPen& Pen() const = 0;
    virtual void SetBrush(const TBrush& brush) = 0;
    virtual const TBrush& Brush() const = 0;

    // Lines with the pen; LineTo moves the current position to its end.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(const std::vector<TPoint>& points) = 0;

    // Closed shapes: outlined with the pen, filled with the brush. The rectangle is the bounding
    // box with exclusive right/bottom; RoundRect's corner ellipse is cornerW x cornerH.
    virtual void Rectangle(const TRect& r) = 0;
    virtual void RoundRect(const TRect& r, int cornerW, int cornerH) = 0;
    virtual void Ellipse(const TRect& r) = 0;
    virtual void Polygon(const std::vector<TPoint>& points) = 0;

    // The whole rectangle filled with the brush (no outline); a one-pixel border in the brush
    // colour.
    virtual void FillRect(const TRect& r) = 0;
    virtual void FrameRect(const TRect& r) = 0;

    // The picture stretched into the rectangle. An empty picture draws nothing.
    virtual void DrawPicture(const TRect& r, const TPicture& picture,
                             TPictureCopyMode mode = TPictureCopyMode::Copy) = 0;

    // Clipping: PushClipRect narrows the clip to its intersection with r; PopClipRect restores
    // the clip as it was before the matching push. Pops without pushes are ignored.
    virtual void PushClipRect(const TRect& r) = 0;
    virtual void PopClipRect() = 0;
};
