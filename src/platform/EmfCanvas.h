// TEmfCanvas: a canvas that records an enhanced metafile (EMF).
//
// Layout of what it writes: the 108-byte header (reference device 1920 x 1440 pixels of
// 508 x 381 mm, i.e. exactly 96 pixels per inch, so the frame in hundredths of a millimetre and
// the logical units agree), transparent text background, then one record per drawing call: pens
// (thick ones as geometric pens with their end caps), brushes, fonts with their face name in
// UTF-16, wide text with one advance per character, 16-bit point lists where they fit, bitmaps
// as 24-bit DIBs, clipping as saved device contexts with an intersected rectangle; the end
// record last, and the header's size, record and handle counts patched at Finish.
#pragma once

#include "platform/MetafileCanvas.h"

class TEmfCanvas : public TMetafileCanvas {
public:
    TEmfCanvas(int width, int height, ICanvas& measure, int pixelsPerInch = 96);
    std::string Finish() override;

protected:
    void EmitCreatePen(int slot, const TPen& pen) override;
    void EmitCreateBrush(int slot, const TBrush& brush) override;
    void EmitCreateFont(int slot, const TFontSpec& font, int emHeight) override;
    void EmitSelect(int slot) override;
    void EmitDelete(int slot) override;
    void EmitTextColor(TColor color) override;
    void EmitRop2(int rop2) override;
    void EmitMoveTo(int x, int y) override;
    void EmitLineTo(int x, int y) override;
    void EmitPoly(bool closed, const std::vector<TPoint>& points) override;
    void EmitRectangle(const TRect& r) override;
    void EmitRoundRect(const TRect& r, int cornerW, int cornerH) override;
    void EmitEllipse(const TRect& r) override;
    void EmitText(int x, int y, std::string_view text, const std::vector<int>& advances, const TRect* clip,
                  bool symbol) override;
    void EmitBitmap(const TRect& r, const TRasterImage& image, bool andMode) override;
    void EmitSaveDC() override;
    void EmitRestoreDC() override;
    void EmitIntersectClip(const TRect& r) override;

private:
    // Starts a record of the type; EndRecord pads it to 4 bytes and sets its size.
    std::size_t BeginRecord(std::uint32_t type);
    void EndRecord(std::size_t start);
    void Record(std::uint32_t type, std::initializer_list<std::uint32_t> values);
    void PutRect(const TRect& r);

    std::string FOut;
    std::uint32_t FRecords = 0;
};
