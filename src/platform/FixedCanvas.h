// A canvas with fixed, font-independent metrics that records every drawing call as a text line,
// so that layout and painting can be tested exactly and without any font or toolkit.
//
// Metrics (E = the font's em height in pixels):
//   E = -Height when Height < 0; Height * 4 / 5 when Height > 0 (a cell height);
//       otherwise (Size * PixelsPerInchY + 36) / 72, i.e. points at the canvas's resolution
//       rounded half up (10 pt at 96 ppi gives 13, 12 pt gives 16, 9 pt gives 12).
//   unit = Width when the font's Width is set, else (E + 1) / 2.
//   A single-byte character advances one unit, a double-byte character (lead byte 0x81..0xFE
//   with a follower) two units; every character then adds the character spacing.
//   TextHeight = E + E / 4 for any text (cell height: 16 for E = 13, 20 for E = 16).
//   Rotation does not change these numbers.
//
// Recorded lines (one per call; coordinates as given; colours as '$' and eight hex digits of the
// TColor, so red is $000000FF; text bytes as given, in CP936):
//   Text x,y "text" font=<name>;<size>;<style>;<colour>[;h<height>][;w<width>]
//        [angle=<a>] [spacing=<s>] [rtl] [clip=l,t,r,b]
//     style is any of B, I, U, S in that order, or '-' for none
//   Line x1,y1,x2,y2 pen=<pen>                   (MoveTo then LineTo)
//   Polyline x,y x,y ... pen=<pen>
//   Rectangle l,t,r,b pen=<pen> brush=<brush>    (also RoundRect l,t,r,b cw,ch / Ellipse / Polygon)
//   FillRect l,t,r,b brush=<brush>
//   FrameRect l,t,r,b brush=<brush>
//   Picture l,t,r,b <bitmap|jpeg|metafile|icon> <w>x<h>[ and]
//   Clip l,t,r,b            (the clip after PushClipRect intersected it)
//   Unclip                  (PopClipRect)
//   <pen>   = clear | <solid|dash|dot|dashdot|dashdotdot|insideframe>;<width>;<colour>
//             followed by ;square or ;flat for those ends and ;mode<n> for a mode other than copy
//   <brush> = clear | <solid|horizontal|vertical|fdiagonal|bdiagonal|cross|diagcross>;<colour>
#pragma once

#include "platform/Canvas.h"

#include <string>
#include <vector>

class TFixedCanvas : public ICanvas {
public:
    explicit TFixedCanvas(int pixelsPerInchX = 96, int pixelsPerInchY = 96);

    // The recorded calls, oldest first.
    const std::vector<std::string>& Lines() const { return FLines; }
    void ClearLines() { FLines.clear(); }
    // The current clip; an empty optional-like flag tells whether any clip is active.
    bool HasClip() const { return !FClips.empty(); }
    TRect ClipRect() const { return FClips.empty() ? TRect{} : FClips.back(); }

    // The em height E of the current font (see above).
    int EmHeight() const;

    int PixelsPerInchX() const override { return FPpiX; }
    int PixelsPerInchY() const override { return FPpiY; }
    void SetFont(const TFontSpec& font) override { FFont = font; }
    const TFontSpec& Font() const override { return FFont; }
    void SetCharSpacing(int pixels) override { FCharSpacing = pixels; }
    int CharSpacing() const override { return FCharSpacing; }
    void SetRightToLeft(bool on) override { FRightToLeft = on; }
    bool RightToLeft() const override { return FRightToLeft; }
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    void TextOut(int x, int y, std::string_view text) override;
    void TextRect(const TRect& clip, int x, int y, std::string_view text) override;
    void SetPen(const TPen& pen) override { FPen = pen; }
    const TPen& Pen() const override { return FPen; }
    void SetBrush(const TBrush& brush) override { FBrush = brush; }
    const TBrush& Brush() const override { return FBrush; }
    void MoveTo(int x, int y) override { FPenPos = {x, y}; }
    void LineTo(int x, int y) override;
    void Polyline(const std::vector<TPoint>& points) override;
    void Rectangle(const TRect& r) override;
    void RoundRect(const TRect& r, int cornerW, int cornerH) override;
    void Ellipse(const TRect& r) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void FillRect(const TRect& r) override;
    void FrameRect(const TRect& r) override;
    void DrawPicture(const TRect& r, const TPicture& picture,
                     TPictureCopyMode mode = TPictureCopyMode::Copy) override;
    void PushClipRect(const TRect& r) override;
    void PopClipRect() override;

private:
    void RecordText(int x, int y, std::string_view text, const TRect* clip);
    std::string PenText() const;
    std::string BrushText() const;

    int FPpiX, FPpiY;
    TFontSpec FFont;
    TPen FPen;
    TBrush FBrush;
    int FCharSpacing = 0;
    bool FRightToLeft = false;
    TPoint FPenPos;
    std::vector<TRect> FClips;
    std::vector<std::string> FLines;
};
