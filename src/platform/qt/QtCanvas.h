// The canvas on a QPainter: screen widgets, raster images and printers all draw through it.
//
// Fonts: reports name Windows fonts; MapFontFamily turns them into installed Debian fonts of the
// same metrics or script ("宋体" to AR PL UMing CN, "黑体" to WenQuanYi Zen Hei, Arial, Times
// New Roman and Courier New to Liberation, "MS Sans Serif" to Liberation Sans, Wingdings to
// DejaVu Sans with its tick and cross bytes turned into the Unicode check and ballot marks).
// Sizes stay in points: the pixel size is round(points * ppiY / 72) for the canvas's device,
// unless the font names a pixel height.
//
// Measuring: the advance of each character is measured once per font (single bytes in a table,
// double-byte characters by their CP936 code) and kept in a process-wide cache, so measuring a
// string is a sum of cached advances plus the character spacing, never a call into text shaping.
// Kerning is switched off in every font so that what is drawn matches that sum.
#pragma once

#include "platform/Canvas.h"

#include <QFont>
#include <QRegion>
#include <QString>

#include <vector>

class QPainter;
struct TQtFontEntry;

class TQtCanvas : public ICanvas {
public:
    // The painter must be active and outlive the canvas. The resolution defaults to the
    // painter's device (logical dots per inch).
    explicit TQtCanvas(QPainter* painter);
    TQtCanvas(QPainter* painter, int pixelsPerInchX, int pixelsPerInchY);
    ~TQtCanvas() override;

    // The installed family a report font name maps to; `symbol` tells whether the name is the
    // Wingdings symbol font (its bytes are symbols, not CP936).
    static QString MapFontFamily(std::string_view name, bool* symbol = nullptr);
    // The text Qt draws for CP936 bytes in the current font (symbol fonts map byte by byte).
    QString DisplayText(std::string_view text) const;
    // The Qt font used for the current TFontSpec (without character spacing).
    QFont QtFont() const;
    QPainter* Painter() const { return FPainter; }

    int PixelsPerInchX() const override { return FPpiX; }
    int PixelsPerInchY() const override { return FPpiY; }
    void SetFont(const TFontSpec& font) override;
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
    TQtFontEntry& Entry();
    void DrawText(int x, int y, std::string_view text, const TRect* clip);
    // Sets pen, brush and raster operation for a shape; false when the pen mode draws nothing.
    bool PreparePainter(bool withBrush);
    void RestorePainter();

    QPainter* FPainter;
    int FPpiX, FPpiY;
    TFontSpec FFont;
    TQtFontEntry* FEntry = nullptr; // cache entry of FFont, looked up on first use
    TPen FPen;
    TBrush FBrush;
    int FCharSpacing = 0;
    bool FRightToLeft = false;
    TPoint FPenPos;
    struct TSavedClip {
        bool Enabled;
        QRegion Region;
    };
    std::vector<TSavedClip> FClips;
};
