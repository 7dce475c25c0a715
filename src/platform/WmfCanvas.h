// TWmfCanvas: a canvas that records a placeable Windows metafile (16-bit WMF).
//
// Layout of what it writes: the 22-byte placeable header (bounding box 0, 0, width, height at
// the canvas's pixels per inch), the 18-byte metafile header (size and largest record patched at
// Finish), window origin and extent of the page, transparent text background, then one record
// per drawing call. Coordinates are 16-bit, so they are clamped to -32768..32767. Objects take
// the lowest free slot, as every reader allocates them; there are no stock objects, so the
// null pen is an object of its own. Text is CP936 bytes with a GB2312 font character set and one
// advance per byte (the whole advance on a double-byte character's lead byte, 0 on its trail).
// Bitmaps are 24-bit DIBs.
#pragma once

#include "platform/MetafileCanvas.h"

class TWmfCanvas : public TMetafileCanvas {
public:
    TWmfCanvas(int width, int height, ICanvas& measure, int pixelsPerInch = 96);
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
    std::size_t BeginRecord(std::uint16_t function);
    void EndRecord(std::size_t start);
    void Record(std::uint16_t function, std::initializer_list<int> words);
    void PutWord(int v);
    // Rectangle parameters in the reversed order the records keep: bottom, right, top, left.
    void PutRectReversed(const TRect& r);

    std::string FOut;
    std::uint32_t FMaxRecordWords = 0;
};
