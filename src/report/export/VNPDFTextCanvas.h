// A canvas that draws through to another and hands every horizontal text output to a PDF text
// layer, so that a page's searchable text comes from the very pass that paints its picture: the
// lines sit where they were drawn, in the font size they were drawn with, and the page is laid
// out once, not twice.
#pragma once

#include "VNPDFTextLayer.h"

#include "platform/Canvas.h"

class TVNPDFTextCanvas : public ICanvas {
public:
    // pointsPerPixel: the page's scale from canvas pixels to PDF points; text starting at or beyond
    // (width, height) pixels lies outside the picture and is left out.
    TVNPDFTextCanvas(ICanvas& target, TVNPDFTextLayer& layer, double pointsPerPixel, int width, int height)
        : FTarget(target), FLayer(layer), FScale(pointsPerPixel), FWidth(width), FHeight(height) {}

    int PixelsPerInchX() const override { return FTarget.PixelsPerInchX(); }
    int PixelsPerInchY() const override { return FTarget.PixelsPerInchY(); }
    void SetFont(const TFontSpec& font) override { FTarget.SetFont(font); }
    const TFontSpec& Font() const override { return FTarget.Font(); }
    void SetCharSpacing(int pixels) override { FTarget.SetCharSpacing(pixels); }
    int CharSpacing() const override { return FTarget.CharSpacing(); }
    void SetRightToLeft(bool on) override { FTarget.SetRightToLeft(on); }
    bool RightToLeft() const override { return FTarget.RightToLeft(); }
    int TextWidth(std::string_view text) override { return FTarget.TextWidth(text); }
    int TextHeight(std::string_view text) override { return FTarget.TextHeight(text); }
    void TextOut(int x, int y, std::string_view text) override {
        FTarget.TextOut(x, y, text);
        Record(x, y, text);
    }
    void TextRect(const TRect& clip, int x, int y, std::string_view text) override {
        FTarget.TextRect(clip, x, y, text);
        Record(x, y, text);
    }
    void SetPen(const TPen& pen) override { FTarget.SetPen(pen); }
    const TPen& Pen() const override { return FTarget.Pen(); }
    void SetBrush(const TBrush& brush) override { FTarget.SetBrush(brush); }
    const TBrush& Brush() const override { return FTarget.Brush(); }
    void MoveTo(int x, int y) override { FTarget.MoveTo(x, y); }
    void LineTo(int x, int y) override { FTarget.LineTo(x, y); }
    void Polyline(const std::vector<TPoint>& points) override { FTarget.Polyline(points); }
    void Rectangle(const TRect& r) override { FTarget.Rectangle(r); }
    void RoundRect(const TRect& r, int cornerW, int cornerH) override {
        FTarget.RoundRect(r, cornerW, cornerH);
    }
    void Ellipse(const TRect& r) override { FTarget.Ellipse(r); }
    void Polygon(const std::vector<TPoint>& points) override { FTarget.Polygon(points); }
    void FillRect(const TRect& r) override { FTarget.FillRect(r); }
    void FrameRect(const TRect& r) override { FTarget.FrameRect(r); }
    void DrawPicture(const TRect& r, const TPicture& picture, TPictureCopyMode mode) override {
        FTarget.DrawPicture(r, picture, mode);
    }
    void PushClipRect(const TRect& r) override { FTarget.PushClipRect(r); }
    void PopClipRect() override { FTarget.PopClipRect(); }

private:
    void Record(int x, int y, std::string_view text);

    ICanvas& FTarget;
    TVNPDFTextLayer& FLayer;
    double FScale;
    int FWidth, FHeight;
};
