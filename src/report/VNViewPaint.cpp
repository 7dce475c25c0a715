// Drawing of the picture, line, subreport, shape and check box views.
//
// Every painter works in target pixels: ScaleForPaint turns the view's report geometry into the
// target's (and fills InnerRect), UnscaleAfterPaint gives the model its own geometry back, so a
// decoded page can be drawn any number of times at any zoom.
#include "VNAddInViews.h"
#include "VNEngine.h"
#include "VNMemoPaint.h"
#include "VNStandardViews.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int RoundPx(double v) {
    return ClampToInt(std::int64_t(std::llround(v)));
}

// The designer's mark of an empty picture ("VN_EMPTY"): a small framed landscape, 16 x 16,
// drawn once into a bitmap.
const TPicture& EmptyPictureMark() {
    static const TPicture mark = [] {
        constexpr int size = 16;
        TRasterImage image(size, size, 0xFFC8E6FF); // sky
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const bool border = x == 0 || y == 0 || x == size - 1 || y == size - 1;
                const bool hill = y > 9 + std::abs(x - 6) / 2 && !border;
                const bool sun = (x - 11) * (x - 11) + (y - 4) * (y - 4) <= 4;
                if (border)
                    image.SetPixel(x, y, 0xFF808080);
                else if (hill)
                    image.SetPixel(x, y, 0xFF3C9A3C);
                else if (sun)
                    image.SetPixel(x, y, 0xFFF0C800);
            }
        return TPicture::FromRaster(std::move(image));
    }();
    return mark;
}

} // namespace

TFontSpec DesignCaptionFont() {
    TFontSpec f;
    f.Name = CP936("宋体");
    f.Size = 9;
    f.Charset = GB2312_CHARSET;
    return f;
}

// ---- picture ------------------------------------------------------------------------------------

const TPicture& TVNPictureView::Decoded() {
    if (FDecodedFrom == Picture) return FDecoded;
    FDecodedFrom = Picture;
    FDecoded = TPicture();
    FDecodeProblem.clear();
    if (Picture.Empty()) return FDecoded;
    try {
        switch (Picture.Kind) {
        case pkBitmap: FDecoded = TPicture::LoadBmp(Picture.Data); break;
        case pkJPEG: FDecoded = TPicture::LoadJpeg(Picture.Data); break;
        case pkMetafile: FDecoded = TPicture::LoadMetafile(Picture.Data, Width, Height); break;
        case pkIcon: FDecoded = TPicture::LoadIcon(Picture.Data); break;
        default: FDecoded = TPicture::Load(Picture.Data); break;
        }
    } catch (const EPictureError& e) {
        // An unreadable picture shows as an empty one; the report check names the reason.
        FDecodeProblem = Utf8ToAnsi(e.what());
    }
    return FDecoded;
}

AnsiString TVNPictureView::DecodeProblem() {
    Decoded();
    return FDecodeProblem;
}

TRect TVNPictureView::PictureTarget(int pw, int ph) const {
    const TRect& in = InnerRect;
    const bool center = Flags & flPictureCenter;
    int w, h;
    if (Stretched()) {
        w = in.Width();
        h = in.Height();
        if ((Flags & flPictureKeepAspect) && pw > 0 && ph > 0) {
            const double kx = double(w) / pw, ky = double(h) / ph;
            if (kx >= ky)
                w = RoundPx(pw * ky);
            else
                h = RoundPx(ph * kx);
        }
    } else {
        w = RoundPx(pw * PaintScaleX);
        h = RoundPx(ph * PaintScaleY);
    }
    int l = in.Left, t = in.Top;
    if (center) {
        l = in.Left + (in.Width() - w) / 2;
        t = in.Top + (in.Height() - h) / 2;
    }
    return TRect{l, t, l + w, t + h};
}

void TVNPictureView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    ScaleForPaint();
    const TPicture& picture = Decoded();
    FillBackground();
    if (picture.IsEmpty()) {
        if (!VNState().RunMode) {
            const TPicture& mark = EmptyPictureMark();
            const TRect at{InnerRect.Left + 2, InnerRect.Top + 2, InnerRect.Left + 2 + mark.Width(),
                           InnerRect.Top + 2 + mark.Height()};
            canvas->PushClipRect(InnerRect);
            canvas->DrawPicture(at, mark);
            canvas->PopClipRect();
            canvas->SetFont(DesignCaptionFont());
            canvas->TextRect(InnerRect, at.Right + 2, InnerRect.Top + 2, CP936("[图片]"));
        }
    } else if (!VNState().ExportMode) {
        const TRect target = PictureTarget(picture.Width(), picture.Height());
        canvas->PushClipRect(InnerRect);
        canvas->DrawPicture(target, picture,
                            (Flags & flPictureTransparent) ? TPictureCopyMode::And : TPictureCopyMode::Copy);
        canvas->PopClipRect();
    }
    PaintFrame();
    UnscaleAfterPaint();
}

// ---- line ---------------------------------------------------------------------------------------

void TVNLineView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    // A line is one frame side: the top one when it is wider than high, else the left one.
    const std::int32_t keepW = Width, keepH = Height;
    const TVNFrameLine keep[4] = {LeftFrame(), TopFrame(), RightFrame(), BottomFrame()};
    if (Height < Width) {
        Height = 0;
        TopFrame().Visible = 1;
        LeftFrame().Visible = 0;
    } else {
        Width = 0;
        LeftFrame().Visible = 1;
        TopFrame().Visible = 0;
    }
    RightFrame().Visible = BottomFrame().Visible = 0;
    ScaleForPaint();
    PaintFrame();
    UnscaleAfterPaint();
    Width = keepW;
    Height = keepH;
    for (int i = 0; i < 4; ++i)
        Frames()[i] = keep[i];
}

// ---- subreport ----------------------------------------------------------------------------------

void TVNSubReportView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    // Only the designer shows the view itself; a built page holds the subreport's own views.
    if (!canvas || VNState().RunMode) return;
    ScaleForPaint();
    TPen pen;
    canvas->SetPen(pen);
    TBrush white;
    canvas->SetBrush(white);
    canvas->Rectangle(TRect{Left, Top, Left + Width + 1, Top + Height + 1});
    canvas->SetFont(DesignCaptionFont());
    canvas->TextRect(TRect{Left, Top, Left + Width, Top + Height}, Left + 2, Top + 2, Name);
    UnscaleAfterPaint();
}

// ---- shape --------------------------------------------------------------------------------------

void TVNShapeView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    const TVNFrameLine keep[4] = {LeftFrame(), TopFrame(), RightFrame(), BottomFrame()};
    const TColor keepFill = FillColor;
    const double savedWidth = TopFrame().Width;
    for (int i = 0; i < 4; ++i)
        Frames()[i].Visible = 1;
    FillColor = clNone; // the background is filled as if the view had no fill of its own
    ScaleForPaint();
    FillBackground();
    FillColor = keepFill;
    TPen pen;
    pen.Width = std::max(1, RoundPx(keep[1].Visible ? TopFrame().Width : savedWidth * PaintScaleX));
    pen.Color = TopFrame().Color;
    pen.Style = (TopFrame().Style & ~fsDoubleLine) <= 6 ? TPenStyle(TopFrame().Style & ~fsDoubleLine) : TPenStyle::Solid;
    canvas->SetPen(pen);
    TBrush brush;
    brush.Style = FillColor == clNone ? TBrushStyle::Clear : TBrushStyle::Solid;
    brush.Color = FillColor == clNone ? clWhite : FillColor;
    canvas->SetBrush(brush);
    const int l = Left, t = Top, r = Left + Width, b = Top + Height;
    const int side = std::min(Width, Height);
    auto line = [&](int x1, int y1, int x2, int y2) {
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    switch (Shape) {
    case skRectangle: canvas->Rectangle(TRect{l, t, r + 1, b + 1}); break;
    case skRoundRectangle: canvas->RoundRect(TRect{l, t, r + 1, b + 1}, side / 4, side / 4); break;
    case skEllipse: canvas->Ellipse(TRect{l, t, r + 1, b + 1}); break;
    case skTriangle: canvas->Polygon({{l, b}, {l + Width / 2, t}, {r, b}}); break;
    case skDiagonal1: line(l, b, r, t); break;
    case skDiagonal2: line(l, t, r, b); break;
    case skSquare: canvas->Rectangle(TRect{l, t, l + side + 1, t + side + 1}); break;
    case skRoundSquare: canvas->RoundRect(TRect{l, t, l + side + 1, t + side + 1}, side / 4, side / 4); break;
    case skCircle: canvas->Ellipse(TRect{l, t, l + side + 1, t + side + 1}); break;
    case skHorzMiddle: line(l, t + Height / 2, r, t + Height / 2); break;
    case skLeftRightEdges:
        line(l, t, l, b);
        line(r, t, r, b);
        break;
    case skTopBottomEdges:
        line(l, t, r, t);
        line(l, b, r, b);
        break;
    case skVertMiddle: line(l + Width / 2, t, l + Width / 2, b); break;
    default: break;
    }
    UnscaleAfterPaint();
    for (int i = 0; i < 4; ++i)
        Frames()[i] = keep[i];
}

// ---- check box ----------------------------------------------------------------------------------

// Exports that take text lines get the check box as text: "X" when checked, else nothing.
void TVNCheckBoxView::NotifyPrinted() {
    TVNView::NotifyPrinted();
    IVNTextLineSink* sink = ExportLineSink(*this);
    if (!sink) return;
    TScopedValue running(VNState().RunMode, true);
    const TRect r{Left, Top, ClampToInt(std::int64_t(Left) + Width + 1), ClampToInt(std::int64_t(Top) + Height + 1)};
    sink->TextLine(r, Left, Top, *this, FrameTyp(), Checked() ? "X" : "");
}

void TVNCheckBoxView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    ScaleForPaint();
    FillBackground();
    PaintFrame();
    if (Checked() && !VNState().ExportMode) {
        TFontSpec font;
        font.Name = "Wingdings";
        font.Charset = SYMBOL_CHARSET;
        font.Height = Height;
        font.Color = CheckColor;
        canvas->SetFont(font);
        const std::string mark(1, char(CheckStyle == csCheck ? 0xFC : 0xFB));
        const int x = Left + (Width - canvas->TextWidth(mark)) / 2;
        canvas->TextRect(TRect{Left, Top, Left + Width + 1, Top + Height + 1}, x, Top, mark);
    }
    UnscaleAfterPaint();
}
