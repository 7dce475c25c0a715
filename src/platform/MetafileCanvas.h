// Recording canvases: every drawing call becomes metafile records instead of pixels, so that any
// page the preview can draw can be saved as an enhanced (TEmfCanvas) or a Windows (TWmfCanvas)
// metafile. This base keeps what both formats share: the canvas state the engine sets, the
// graphics objects (pens, brushes, fonts) made once per distinct value and selected on demand,
// the clip stack as saved device contexts, and text measuring, which is delegated to the canvas
// the preview measures with so that a recorded page lays out exactly as the screen shows it.
//
// Logical units are the canvas's pixels (96 per inch unless told otherwise); the picture covers
// 0..Width-1 x 0..Height-1.
#pragma once

#include "platform/Canvas.h"
#include "platform/Picture.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class TMetafileCanvas : public ICanvas {
public:
    // measure: the canvas whose text metrics the recording uses; not owned, must outlive this.
    TMetafileCanvas(int width, int height, ICanvas& measure, int pixelsPerInch = 96);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // The finished file. The canvas takes no more drawing afterwards.
    virtual std::string Finish() = 0;

    int PixelsPerInchX() const override { return FPpi; }
    int PixelsPerInchY() const override { return FPpi; }
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

protected:
    enum class TObjectKind { Pen, Brush, Font };
    // What the device context holds; saved and restored with the clip.
    struct TDCState {
        int Pen = -1, Brush = -1, Font = -1; // object slots, -1: the default object
        TColor TextColor = clBlack;
        int Rop2 = 13; // R2_COPYPEN
        TPoint Position;
        bool PositionKnown = true;
    };

    // The format's records. Coordinates are logical units; objects are created into the slot
    // given (the lowest free one, as both formats' readers expect of a Windows metafile).
    virtual void EmitCreatePen(int slot, const TPen& pen) = 0;
    virtual void EmitCreateBrush(int slot, const TBrush& brush) = 0;
    virtual void EmitCreateFont(int slot, const TFontSpec& font, int emHeight) = 0;
    virtual void EmitSelect(int slot) = 0;
    virtual void EmitDelete(int slot) = 0;
    virtual void EmitTextColor(TColor color) = 0;
    virtual void EmitRop2(int rop2) = 0;
    virtual void EmitMoveTo(int x, int y) = 0;
    virtual void EmitLineTo(int x, int y) = 0;
    virtual void EmitPoly(bool closed, const std::vector<TPoint>& points) = 0;
    virtual void EmitRectangle(const TRect& r) = 0;
    virtual void EmitRoundRect(const TRect& r, int cornerW, int cornerH) = 0;
    virtual void EmitEllipse(const TRect& r) = 0;
    // Text at the top-left of its cell; advances holds one entry per CP936 character.
    virtual void EmitText(int x, int y, std::string_view text, const std::vector<int>& advances, const TRect* clip,
                          bool symbol) = 0;
    virtual void EmitBitmap(const TRect& r, const TRasterImage& image, bool andMode) = 0;
    virtual void EmitSaveDC() = 0;
    virtual void EmitRestoreDC() = 0;
    virtual void EmitIntersectClip(const TRect& r) = 0;

    // The em height in pixels of a font at this canvas's resolution (0 when it names none).
    int EmHeight(const TFontSpec& font) const;
    // Whether the font's bytes are symbols (Wingdings) rather than CP936 text.
    static bool IsSymbolFont(const TFontSpec& font);
    bool RightToLeftText() const { return FRightToLeft; }
    int ObjectSlots() const { return int(FSlots.size()); } // highest slot used + 1

    bool FFinished = false;

private:
    // Selects an object equal to the current pen, brush or font, creating it when needed.
    void UsePen();
    void UseNullPen();
    void UseBrush();
    void UseFont();
    void UseRop2();
    int Obtain(TObjectKind kind, const std::string& key, const std::function<void(int)>& create);
    void Select(TObjectKind kind, int slot);
    bool InUse(int slot) const;
    void PrepareShape(bool withBrush);
    void RecordText(int x, int y, std::string_view text, const TRect* clip);

    int FWidth, FHeight, FPpi;
    ICanvas& FMeasure;
    TFontSpec FFont;
    TPen FPen;
    TBrush FBrush;
    int FCharSpacing = 0;
    bool FRightToLeft = false;
    TPoint FPenPos;
    TDCState FDC;
    std::vector<TDCState> FSaved;
    // Live objects: slot -> key (empty: free); key -> slot for reuse.
    std::vector<std::string> FSlots;
    std::map<std::string, int> FByKey;
    int FPlayDepth = 0;
};

// The advance of every CP936 character of text (double-byte pairs count as one character) as
// the measuring canvas lays it out, character spacing included; the advances add up to its
// TextWidth of the whole text.
// Symbol fonts advance byte by byte.
std::vector<int> CharacterAdvances(ICanvas& measure, std::string_view text, bool bytewise = false);
