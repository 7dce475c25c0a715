// Playing enhanced and Windows metafiles onto a canvas.
//
// A file is played twice: first onto a canvas that draws nothing, which checks every record
// (sizes, counts, indexes, embedded bitmaps) and throws EPictureError at the first fault; only a
// file that passes is played onto the real canvas. So a damaged picture draws nothing at all
// rather than half of itself.
//
// Coordinates go logical -> (world transform, EMF only) -> window/viewport mapping -> device ->
// destination rectangle. For an enhanced metafile the device is the reference device of its
// header and the picture's frame (hundredths of a millimetre) is what fills the destination;
// for a Windows metafile the window (or, without one, the placeable header's bounding box) fills
// it.
#include "platform/MetafilePlayer.h"

#include "platform/AnsiString.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

[[noreturn]] void Fail(const std::string& why) {
    throw EPictureError("Invalid metafile: " + why);
}

constexpr double MaxCoordinate = double(1 << 24);
constexpr std::size_t MaxSavedStates = 1024;
constexpr int BezierSteps = 16;

bool IsEmfBytes(std::string_view b) {
    return b.size() >= 88 && GetLE32(b, 0) == 1 && GetLE32(b, 40) == 0x464D4520;
}
bool IsPlaceable(std::string_view b) {
    return b.size() >= 22 && GetLE32(b, 0) == 0x9AC6CDD7;
}
bool IsWmfHeader(std::string_view b, std::size_t at) {
    return b.size() >= at + 18 && (GetLE16(b, at) == 1 || GetLE16(b, at) == 2) && GetLE16(b, at + 2) == 9;
}

// A canvas that draws nothing: the checking pass plays onto it.
class TNullCanvas : public ICanvas {
public:
    int PixelsPerInchX() const override { return 96; }
    int PixelsPerInchY() const override { return 96; }
    void SetFont(const TFontSpec& font) override { FFont = font; }
    const TFontSpec& Font() const override { return FFont; }
    void SetCharSpacing(int pixels) override { FSpacing = pixels; }
    int CharSpacing() const override { return FSpacing; }
    void SetRightToLeft(bool on) override { FRtl = on; }
    bool RightToLeft() const override { return FRtl; }
    int TextWidth(std::string_view text) override { return int(text.size()); }
    int TextHeight(std::string_view) override { return 1; }
    void TextOut(int, int, std::string_view) override {}
    void TextRect(const TRect&, int, int, std::string_view) override {}
    void SetPen(const TPen& pen) override { FPen = pen; }
    const TPen& Pen() const override { return FPen; }
    void SetBrush(const TBrush& brush) override { FBrush = brush; }
    const TBrush& Brush() const override { return FBrush; }
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Polyline(const std::vector<TPoint>&) override {}
    void Rectangle(const TRect&) override {}
    void RoundRect(const TRect&, int, int) override {}
    void Ellipse(const TRect&) override {}
    void Polygon(const std::vector<TPoint>&) override {}
    void FillRect(const TRect&) override {}
    void FrameRect(const TRect&) override {}
    void DrawPicture(const TRect&, const TPicture&, TPictureCopyMode) override {}
    void PushClipRect(const TRect&) override {}
    void PopClipRect() override {}

private:
    TFontSpec FFont;
    TPen FPen;
    TBrush FBrush;
    int FSpacing = 0;
    bool FRtl = false;
};

struct TXForm {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
    // this applied after o
    TXForm Then(const TXForm& o) const {
        return TXForm{M11 * o.M11 + M12 * o.M21, M11 * o.M12 + M12 * o.M22, M21 * o.M11 + M22 * o.M21,
                      M21 * o.M12 + M22 * o.M22, Dx * o.M11 + Dy * o.M21 + o.Dx, Dx * o.M12 + Dy * o.M22 + o.Dy};
    }
};

// A logical font as the records describe it; made into a canvas font when selected.
struct TLogFont {
    int Height = 0, Width = 0, Escapement = 0, Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    int Charset = DEFAULT_CHARSET;
    AnsiString Face;
};

enum class TObjKind { None, Pen, Brush, Font, Other };

struct TObj {
    TObjKind Kind = TObjKind::None;
    TPenStyle PenStyle = TPenStyle::Solid;
    int PenWidth = 0; // logical
    TPenEnd PenEnd = TPenEnd::Round;
    TColor Color = clBlack;
    TBrush Brush;
    TLogFont Font;
};

struct TDC {
    int MapMode = 1;
    double WinOrgX = 0, WinOrgY = 0, WinExtX = 1, WinExtY = 1;
    double VpOrgX = 0, VpOrgY = 0, VpExtX = 1, VpExtY = 1;
    bool WindowSet = false;
    TXForm World;
    TObj Pen, Brush, Font;
    TColor TextColor = clBlack, BkColor = clWhite;
    int BkMode = 2; // opaque
    unsigned TextAlign = 0;
    int Rop2 = 13;
    double CurX = 0, CurY = 0;
    int ClipPushes = 0; // clips pushed onto the canvas at this level
};

struct TPointD {
    double X, Y;
};

class TPlayer {
public:
    TPlayer(std::string_view bytes, ICanvas& canvas, const TRect& dest) : B(bytes), C(canvas), Dest(dest) {
        DefaultObjects();
    }

    void PlayEmf();
    void PlayWmf();
    void Finish() {
        while (!Saved.empty()) RestoreOne();
        for (int i = 0; i < DC.ClipPushes; ++i) C.PopClipRect();
        DC.ClipPushes = 0;
    }

private:
    std::string_view B;
    ICanvas& C;
    TRect Dest;
    bool Enhanced = false;
    // Device -> destination (EMF); logical window -> destination fallback (WMF).
    double DevScaleX = 1, DevScaleY = 1, DevOffX = 0, DevOffY = 0;
    double BoxLeft = 0, BoxTop = 0, BoxW = 0, BoxH = 0; // WMF placeable bounding box
    double DevPerMmX = 96 / 25.4, DevPerMmY = 96 / 25.4;
    TDC DC;
    std::vector<TDC> Saved;
    std::size_t SavedOverflow = 0;
    std::vector<TObj> Objects;
    std::size_t ObjectLimit = 0;
    // Paths (EMF).
    bool InPath = false;
    std::vector<std::vector<TPointD>> Path; // figures in logical units
    std::vector<bool> PathClosed;

    void DefaultObjects() {
        DC.Pen.Kind = TObjKind::Pen;
        DC.Brush.Kind = TObjKind::Brush;
        DC.Brush.Brush = TBrush{TBrushStyle::Solid, clWhite};
        DC.Font.Kind = TObjKind::Font;
    }

    // ---- mapping ----
    TPointD PageToDevice(double x, double y) const {
        if (Enhanced) {
            const TXForm& w = DC.World;
            const double wx = w.M11 * x + w.M21 * y + w.Dx, wy = w.M12 * x + w.M22 * y + w.Dy;
            x = wx, y = wy;
        }
        switch (DC.MapMode) {
        case 1: // text
            return {x - DC.WinOrgX + DC.VpOrgX, y - DC.WinOrgY + DC.VpOrgY};
        case 7:
        case 8:
            return {(x - DC.WinOrgX) * DC.VpExtX / DC.WinExtX + DC.VpOrgX,
                    (y - DC.WinOrgY) * DC.VpExtY / DC.WinExtY + DC.VpOrgY};
        default: {
            // Fixed units with y growing upwards.
            static const double mmPerUnit[] = {0, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
            const double mm = mmPerUnit[std::clamp(DC.MapMode, 2, 6)];
            return {(x - DC.WinOrgX) * mm * DevPerMmX + DC.VpOrgX, -(y - DC.WinOrgY) * mm * DevPerMmY + DC.VpOrgY};
        }
        }
    }

    TPointD MapD(double x, double y) const {
        double dx, dy;
        if (Enhanced) {
            const TPointD d = PageToDevice(x, y);
            dx = d.X * DevScaleX + DevOffX;
            dy = d.Y * DevScaleY + DevOffY;
        } else if (DC.WindowSet) {
            dx = (x - DC.WinOrgX) * Dest.Width() / DC.WinExtX + Dest.Left;
            dy = (y - DC.WinOrgY) * Dest.Height() / DC.WinExtY + Dest.Top;
        } else if (BoxW > 0 && BoxH > 0) {
            dx = (x - BoxLeft) * Dest.Width() / BoxW + Dest.Left;
            dy = (y - BoxTop) * Dest.Height() / BoxH + Dest.Top;
        } else {
            dx = x + Dest.Left;
            dy = y + Dest.Top;
        }
        if (!std::isfinite(dx)) dx = 0;
        if (!std::isfinite(dy)) dy = 0;
        return {std::clamp(dx, -MaxCoordinate, MaxCoordinate), std::clamp(dy, -MaxCoordinate, MaxCoordinate)};
    }

    TPoint Map(double x, double y) const {
        const TPointD d = MapD(x, y);
        return {int(std::lround(d.X)), int(std::lround(d.Y))};
    }

    TRect MapRect(double l, double t, double r, double b) const {
        const TPoint a = Map(l, t), c = Map(r, b);
        return TRect{std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y)};
    }

    // Destination pixels per logical unit along x and y (for widths and font heights).
    double ScaleX() const {
        const TPointD a = MapD(0, 0), b = MapD(1000, 0);
        return std::hypot(b.X - a.X, b.Y - a.Y) / 1000;
    }
    double ScaleY() const {
        const TPointD a = MapD(0, 0), b = MapD(0, 1000);
        return std::hypot(b.X - a.X, b.Y - a.Y) / 1000;
    }
    bool YFlipped() const { return MapD(0, 1000).Y < MapD(0, 0).Y; }

    // ---- canvas state from the device context ----
    void ApplyPen() {
        TPen p;
        p.Style = DC.Pen.PenStyle;
        p.Color = DC.Pen.Color;
        p.End = DC.Pen.PenEnd;
        p.Width = DC.Pen.PenWidth <= 1 ? 1 : std::max(1, int(std::lround(std::min(DC.Pen.PenWidth * ScaleX(), 1000.0))));
        static const TPenMode modes[17] = {TPenMode::Copy,        TPenMode::Black,       TPenMode::NotMerge,
                                           TPenMode::MaskNotPen,  TPenMode::NotCopy,     TPenMode::MaskPenNot,
                                           TPenMode::Not,         TPenMode::Xor,         TPenMode::NotMask,
                                           TPenMode::Mask,        TPenMode::NotXor,      TPenMode::Nop,
                                           TPenMode::MergeNotPen, TPenMode::Copy,        TPenMode::MergePenNot,
                                           TPenMode::Merge,       TPenMode::White};
        p.Mode = modes[DC.Rop2 >= 1 && DC.Rop2 <= 16 ? DC.Rop2 : 13];
        C.SetPen(p);
    }
    void ApplyBrush() { C.SetBrush(DC.Brush.Brush); }
    void ApplyShape() {
        ApplyPen();
        ApplyBrush();
    }

    TFontSpec CanvasFont() const {
        const TLogFont& f = DC.Font.Font;
        TFontSpec s;
        s.Name = f.Face.empty() ? AnsiString("Arial") : f.Face;
        const double sy = ScaleY(), sx = ScaleX();
        if (f.Height < 0)
            s.Height = -std::max(1, int(std::lround(std::min(-f.Height * sy, 4096.0))));
        else if (f.Height > 0)
            s.Height = std::max(1, int(std::lround(std::min(f.Height * sy, 4096.0))));
        else
            s.Height = -std::max(1, int(std::lround(std::min(16 * sy, 4096.0))));
        s.Width = f.Width > 0 ? std::max(1, int(std::lround(std::min(f.Width * sx, 4096.0)))) : 0;
        s.Style = (f.Weight >= 600 ? fsBold : 0) | (f.Italic ? fsItalic : 0) | (f.Underline ? fsUnderline : 0) |
                  (f.StrikeOut ? fsStrikeOut : 0);
        s.Charset = f.Charset == SYMBOL_CHARSET ? SYMBOL_CHARSET : f.Charset == GB2312_CHARSET ? GB2312_CHARSET
                                                                                               : DEFAULT_CHARSET;
        s.Angle = YFlipped() ? -f.Escapement : f.Escapement;
        s.Color = DC.TextColor;
        return s;
    }

    // ---- objects ----
    TObj& ObjectAt(std::uint32_t index, bool creating) {
        if (index >= ObjectLimit) Fail("object index " + std::to_string(index) + " beyond the object table");
        if (index >= Objects.size()) Objects.resize(index + 1);
        TObj& o = Objects[index];
        if (!creating && o.Kind == TObjKind::None) Fail("object " + std::to_string(index) + " used before it exists");
        return o;
    }
    // WMF: the lowest free slot.
    TObj& NewWmfObject() {
        std::size_t i = 0;
        while (i < Objects.size() && Objects[i].Kind != TObjKind::None) ++i;
        return ObjectAt(std::uint32_t(i), true);
    }
    void SelectObj(const TObj& o) {
        switch (o.Kind) {
        case TObjKind::Pen:
            DC.Pen = o;
            break;
        case TObjKind::Brush:
            DC.Brush = o;
            break;
        case TObjKind::Font:
            DC.Font = o;
            break;
        default:
            break;
        }
    }
    void SelectStock(std::uint32_t index) {
        TObj o;
        switch (index & 0x7FFFFFFF) {
        case 0: // white brush
        case 0x12:
            o.Kind = TObjKind::Brush, o.Brush = {TBrushStyle::Solid, clWhite};
            break;
        case 1:
            o.Kind = TObjKind::Brush, o.Brush = {TBrushStyle::Solid, 0xC0C0C0};
            break;
        case 2:
            o.Kind = TObjKind::Brush, o.Brush = {TBrushStyle::Solid, 0x808080};
            break;
        case 3:
            o.Kind = TObjKind::Brush, o.Brush = {TBrushStyle::Solid, 0x404040};
            break;
        case 4:
            o.Kind = TObjKind::Brush, o.Brush = {TBrushStyle::Solid, clBlack};
            break;
        case 5:
            o.Kind = TObjKind::Brush, o.Brush = {TBrushStyle::Clear, clBlack};
            break;
        case 6:
            o.Kind = TObjKind::Pen, o.Color = clWhite;
            break;
        case 7:
        case 0x13:
            o.Kind = TObjKind::Pen, o.Color = clBlack;
            break;
        case 8:
            o.Kind = TObjKind::Pen, o.PenStyle = TPenStyle::Clear;
            break;
        default:
            if ((index & 0x7FFFFFFF) >= 0x0A && (index & 0x7FFFFFFF) <= 0x11) o.Kind = TObjKind::Font;
            break;
        }
        SelectObj(o);
    }

    static TPenStyle PenStyleOf(std::uint32_t style) {
        switch (style & 0x0F) {
        case 1:
            return TPenStyle::Dash;
        case 2:
            return TPenStyle::Dot;
        case 3:
            return TPenStyle::DashDot;
        case 4:
            return TPenStyle::DashDotDot;
        case 5:
            return TPenStyle::Clear;
        default:
            return TPenStyle::Solid;
        }
    }
    static TPenEnd PenEndOf(std::uint32_t style) {
        const std::uint32_t cap = style & 0xF00;
        return cap == 0x100 ? TPenEnd::Square : cap == 0x200 ? TPenEnd::Flat : TPenEnd::Round;
    }
    static TBrush BrushOf(std::uint32_t style, TColor color, std::uint32_t hatch) {
        switch (style) {
        case 0:
            return {TBrushStyle::Solid, color};
        case 1:
            return {TBrushStyle::Clear, color};
        case 2:
            return {TBrushStyle(int(TBrushStyle::Horizontal) + int(std::min<std::uint32_t>(hatch, 5))), color};
        default: // pattern brushes: their average is unknown without the pattern; a mid grey
            return {TBrushStyle::Solid, 0x808080};
        }
    }
    static TColor ColourAt(std::string_view b, std::size_t at) { return GetLE32(b, at) & 0xFFFFFF; }

    // ---- device context stack ----
    void Save() {
        if (Saved.size() >= MaxSavedStates) {
            ++SavedOverflow;
            return;
        }
        Saved.push_back(DC);
        DC.ClipPushes = 0;
    }
    void RestoreOne() {
        if (SavedOverflow) {
            --SavedOverflow;
            return;
        }
        if (Saved.empty()) return;
        for (int i = 0; i < DC.ClipPushes; ++i) C.PopClipRect();
        DC = Saved.back();
        Saved.pop_back();
    }
    void Restore(int n) {
        int count = n < 0 ? -n : int(Saved.size() + SavedOverflow) - n + 1;
        count = std::clamp(count, 0, int(Saved.size() + SavedOverflow));
        while (count-- > 0) RestoreOne();
    }
    void IntersectClip(const TRect& r) {
        C.PushClipRect(r);
        ++DC.ClipPushes;
    }
    void ResetClip() {
        for (int i = 0; i < DC.ClipPushes; ++i) C.PopClipRect();
        DC.ClipPushes = 0;
    }

    // ---- drawing ----
    void Text(double x, double y, const AnsiString& text, const std::vector<double>& dx, unsigned options,
              const TRect* rect, bool symbol) {
        (void)symbol;
        if (text.empty() && !(options & 0x2)) return;
        if (DC.TextAlign & 1) x = DC.CurX, y = DC.CurY; // update current position
        const TFontSpec font = CanvasFont();
        C.SetFont(font);
        C.SetCharSpacing(0);
        C.SetRightToLeft((options & 0x80) != 0);
        if ((options & 0x2) && rect) { // opaque: the rectangle filled with the background colour
            C.SetBrush(TBrush{TBrushStyle::Solid, DC.BkColor});
            C.FillRect(*rect);
        }
        if (text.empty()) return;
        int chars = 0;
        for (std::size_t i = 0; i < text.size(); i += symbol ? 1 : CharLengthAt(text, i)) ++chars;
        const int natural = C.TextWidth(text);
        int width = natural;
        if (!dx.empty()) {
            // The advances the writer laid the text out with: the difference to our font's
            // natural width spread over the characters as spacing.
            double sum = 0;
            for (double d : dx) sum += d;
            const double wanted = sum * ScaleX();
            const int spacing = std::clamp(int(std::lround((wanted - natural) / std::max(chars, 1))), -1000, 1000);
            C.SetCharSpacing(spacing);
            width = natural + spacing * chars;
        }
        const int height = C.TextHeight(text);
        // Offset of the cell's top-left from the reference point, in unrotated text space.
        double ox = 0, oy = 0;
        const unsigned h = DC.TextAlign & 6, v = DC.TextAlign & 24;
        if (h == 6)
            ox = -width / 2.0;
        else if (h == 2)
            ox = -width;
        if (v == 24)
            oy = -std::lround(height * 0.8);
        else if (v == 8)
            oy = -height;
        const double a = font.Angle * 3.14159265358979 / 1800.0;
        const TPointD p = MapD(x, y);
        const int tx = int(std::lround(p.X + ox * std::cos(a) + oy * std::sin(a)));
        const int ty = int(std::lround(p.Y - ox * std::sin(a) + oy * std::cos(a)));
        if ((options & 0x4) && rect)
            C.TextRect(*rect, tx, ty, text);
        else
            C.TextOut(tx, ty, text);
        if (DC.TextAlign & 1) DC.CurX += width / std::max(ScaleX(), 1e-9);
    }

    void Poly(const std::vector<TPointD>& pts, bool closed) {
        if (pts.size() < 2) return;
        std::vector<TPoint> out;
        out.reserve(pts.size());
        for (const TPointD& p : pts) out.push_back(Map(p.X, p.Y));
        ApplyShape();
        if (closed)
            C.Polygon(out);
        else
            C.Polyline(out);
    }

    void Bitmap(const TRect& dest, std::string_view dib, int sx, int sy, int sw, int sh, std::uint32_t rop) {
        TRasterImage image = DecodeDib(dib);
        if (image.Width <= 0 || image.Height <= 0 || dest.IsEmpty()) return;
        // The source rectangle, counted from the top row here (a whole-picture source is the
        // common case and reads the same either way).
        sx = std::clamp(sx, 0, image.Width);
        sy = std::clamp(sy, 0, image.Height);
        sw = std::clamp(sw, 0, image.Width - sx);
        sh = std::clamp(sh, 0, image.Height - sy);
        if (sw == 0 || sh == 0) return;
        if (sx != 0 || sy != 0 || sw != image.Width || sh != image.Height) {
            TRasterImage part(sw, sh);
            for (int y = 0; y < sh; ++y)
                for (int x = 0; x < sw; ++x) part.SetPixel(x, y, image.Pixel(sx + x, sy + y));
            image = std::move(part);
        }
        C.DrawPicture(dest, TPicture::FromRaster(std::move(image)),
                      rop == 0x008800C6 ? TPictureCopyMode::And : TPictureCopyMode::Copy);
    }

    void PatternFill(const TRect& r, std::uint32_t rop) {
        if (r.IsEmpty()) return;
        if (rop == 0x00000042)
            C.SetBrush(TBrush{TBrushStyle::Solid, clBlack});
        else if (rop == 0x00FF0062)
            C.SetBrush(TBrush{TBrushStyle::Solid, clWhite});
        else
            ApplyBrush();
        C.FillRect(r);
    }

    // Flattens cubic Bézier segments after a start point.
    static void Bezier(std::vector<TPointD>& out, TPointD p0, const TPointD* p, std::size_t segments) {
        for (std::size_t s = 0; s < segments; ++s) {
            const TPointD p1 = p[s * 3], p2 = p[s * 3 + 1], p3 = p[s * 3 + 2];
            for (int i = 1; i <= BezierSteps; ++i) {
                const double t = double(i) / BezierSteps, u = 1 - t;
                out.push_back({u * u * u * p0.X + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X,
                               u * u * u * p0.Y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y});
            }
            p0 = p3;
        }
    }

    // ---- EMF ----
    void EmfRecord(std::uint32_t type, std::string_view r);
    std::vector<TPointD> EmfPoints(std::string_view r, std::size_t countAt, std::size_t pointsAt, bool small) const;
    void EmfPathOrDraw(std::vector<TPointD> pts, bool closed, bool fromCurrent);
    void EmfTextRecord(std::string_view r, bool wide);
    void EmfBitmapRecord(std::uint32_t type, std::string_view r);

    // ---- WMF ----
    void WmfRecord(std::uint32_t function, std::string_view r);
    void WmfBitmapRecord(std::uint32_t function, std::string_view r);
};

void Need(std::string_view r, std::size_t bytes) {
    if (r.size() < bytes) Fail("a record is shorter than its fields");
}

// ---- EMF ------------------------------------------------------------------------------------

void TPlayer::PlayEmf() {
    Enhanced = true;
    const std::uint32_t headerSize = GetLE32(B, 4);
    if (headerSize < 88 || headerSize > B.size() || headerSize % 4) Fail("bad header size");
    const std::int32_t frameL = GetI32(B, 24), frameT = GetI32(B, 28), frameR = GetI32(B, 32), frameB = GetI32(B, 36);
    double devW = GetI32(B, 72), devH = GetI32(B, 76), mmW = GetI32(B, 80), mmH = GetI32(B, 84);
    if (headerSize >= 108 && GetI32(B, 100) > 0 && GetI32(B, 104) > 0) mmW = GetI32(B, 100) / 1000.0, mmH = GetI32(B, 104) / 1000.0;
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) DevPerMmX = devW / mmW, DevPerMmY = devH / mmH;
    // The frame (hundredths of a millimetre, inclusive) in device units fills the destination;
    // without a usable frame, the bounds do.
    double fl = frameL / 100.0 * DevPerMmX, ft = frameT / 100.0 * DevPerMmY;
    double fw = (double(frameR) - frameL + 1) / 100.0 * DevPerMmX, fh = (double(frameB) - frameT + 1) / 100.0 * DevPerMmY;
    if (!(fw > 0.5 && fh > 0.5 && std::isfinite(fw) && std::isfinite(fh))) {
        fl = GetI32(B, 8), ft = GetI32(B, 12);
        fw = double(GetI32(B, 16)) - fl + 1, fh = double(GetI32(B, 20)) - ft + 1;
        if (!(fw > 0 && fh > 0)) fl = ft = 0, fw = std::max(Dest.Width(), 1), fh = std::max(Dest.Height(), 1);
    }
    DevScaleX = Dest.Width() / fw;
    DevScaleY = Dest.Height() / fh;
    DevOffX = Dest.Left - fl * DevScaleX;
    DevOffY = Dest.Top - ft * DevScaleY;
    ObjectLimit = std::max<std::size_t>(GetLE16(B, 56), 1);

    // Framing: every record inside the file, the end record present.
    std::size_t at = 0;
    bool ended = false;
    while (at + 8 <= B.size()) {
        const std::uint32_t type = GetLE32(B, at), size = GetLE32(B, at + 4);
        if (size < 8 || size % 4 || size > B.size() - at) Fail("a record's size runs outside the file");
        at += size;
        if (type == 0x0E) {
            ended = true;
            break;
        }
    }
    if (!ended) Fail("the file is truncated (no end record)");

    at = headerSize;
    while (at + 8 <= B.size()) {
        const std::uint32_t type = GetLE32(B, at), size = GetLE32(B, at + 4);
        if (type == 0x0E) break;
        EmfRecord(type, B.substr(at, size));
        at += size;
    }
}

std::vector<TPointD> TPlayer::EmfPoints(std::string_view r, std::size_t countAt, std::size_t pointsAt,
                                        bool small) const {
    Need(r, countAt + 4);
    const std::uint64_t count = GetLE32(r, countAt);
    const std::uint64_t each = small ? 4 : 8;
    if (pointsAt > r.size() || count > (r.size() - pointsAt) / each) Fail("a point count exceeds its record");
    std::vector<TPointD> pts;
    pts.reserve(std::size_t(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::size_t p = pointsAt + std::size_t(i * each);
        if (small)
            pts.push_back({double(GetI16(r, p)), double(GetI16(r, p + 2))});
        else
            pts.push_back({double(GetI32(r, p)), double(GetI32(r, p + 4))});
    }
    return pts;
}

void TPlayer::EmfPathOrDraw(std::vector<TPointD> pts, bool closed, bool fromCurrent) {
    if (fromCurrent) pts.insert(pts.begin(), TPointD{DC.CurX, DC.CurY});
    if (pts.empty()) return;
    if (InPath) {
        if (fromCurrent && !Path.empty() && !Path.back().empty()) {
            Path.back().insert(Path.back().end(), pts.begin() + 1, pts.end());
        } else {
            Path.push_back(std::move(pts));
            PathClosed.push_back(closed);
        }
    } else {
        Poly(pts, closed);
    }
}

void TPlayer::EmfTextRecord(std::string_view r, bool wide) {
    Need(r, 76);
    const double x = GetI32(r, 36), y = GetI32(r, 40);
    const std::uint32_t chars = GetLE32(r, 44), offString = GetLE32(r, 48), options = GetLE32(r, 52);
    const std::uint32_t offDx = GetLE32(r, 72);
    const std::uint64_t stringBytes = std::uint64_t(chars) * (wide ? 2 : 1);
    if (chars && (offString < 8 || offString > r.size() || stringBytes > r.size() - offString))
        Fail("text runs outside its record");
    const std::uint64_t dxEach = (options & 0x2000) ? 8 : 4;
    const bool hasDx = offDx != 0 && chars != 0;
    if (hasDx && (offDx < 8 || offDx > r.size() || std::uint64_t(chars) * dxEach > r.size() - offDx))
        Fail("text advances run outside their record");
    const TRect rect = MapRect(GetI32(r, 56), GetI32(r, 60), GetI32(r, 64), GetI32(r, 68));
    const bool symbol = DC.Font.Font.Charset == SYMBOL_CHARSET;
    AnsiString text;
    std::vector<double> dx;
    if (wide) {
        std::u16string u(chars, u'\0');
        for (std::uint32_t i = 0; i < chars; ++i) u[i] = char16_t(GetLE16(r, offString + 2 * i));
        if (symbol) {
            for (char16_t c : u) text.push_back(char(c & 0xFF));
        } else {
            text = Utf16ToAnsi(u);
        }
    } else {
        text.assign(r.substr(offString, chars));
    }
    if (hasDx)
        for (std::uint32_t i = 0; i < chars; ++i) dx.push_back(GetI32(r, offDx + std::size_t(i * dxEach)));
    const bool hasRect = !(GetI32(r, 64) < GetI32(r, 56));
    Text(x, y, text, dx, options, hasRect ? &rect : nullptr, symbol);
}

void TPlayer::EmfBitmapRecord(std::uint32_t type, std::string_view r) {
    // Field offsets of the three bitmap records.
    std::size_t offBmiAt, need;
    int dx, dy, dw, dh, sx, sy, sw, sh;
    std::uint32_t rop;
    if (type == 0x51) { // STRETCHDIBITS
        Need(r, 80);
        dx = GetI32(r, 24), dy = GetI32(r, 28), sx = GetI32(r, 32), sy = GetI32(r, 36), sw = GetI32(r, 40),
        sh = GetI32(r, 44);
        offBmiAt = 48;
        rop = GetLE32(r, 68);
        dw = GetI32(r, 72), dh = GetI32(r, 76);
        need = 80;
    } else { // BITBLT 0x4C, STRETCHBLT 0x4D
        need = type == 0x4D ? 108 : 100;
        Need(r, need);
        dx = GetI32(r, 24), dy = GetI32(r, 28), dw = GetI32(r, 32), dh = GetI32(r, 36);
        rop = GetLE32(r, 40);
        sx = GetI32(r, 44), sy = GetI32(r, 48);
        offBmiAt = 84;
        sw = type == 0x4D ? GetI32(r, 100) : dw;
        sh = type == 0x4D ? GetI32(r, 104) : dh;
    }
    const std::uint32_t offBmi = GetLE32(r, offBmiAt), cbBmi = GetLE32(r, offBmiAt + 4);
    const std::uint32_t offBits = GetLE32(r, offBmiAt + 8), cbBits = GetLE32(r, offBmiAt + 12);
    const TRect dest = MapRect(dx, dy, double(dx) + dw, double(dy) + dh);
    if (cbBmi == 0) { // no bitmap: a pattern operation with the brush
        PatternFill(dest, rop);
        return;
    }
    if (offBmi < need || offBmi > r.size() || cbBmi > r.size() - offBmi || offBits > r.size() ||
        cbBits > r.size() - offBits)
        Fail("a bitmap runs outside its record");
    std::string dib(r.substr(offBmi, cbBmi));
    dib.append(r.substr(offBits, cbBits));
    Bitmap(dest, dib, sx, sy, sw, sh, rop);
}

void TPlayer::EmfRecord(std::uint32_t type, std::string_view r) {
    switch (type) {
    case 0x09: // SETWINDOWEXTEX
        Need(r, 16);
        DC.WinExtX = GetI32(r, 8) ? GetI32(r, 8) : 1, DC.WinExtY = GetI32(r, 12) ? GetI32(r, 12) : 1;
        break;
    case 0x0A:
        Need(r, 16);
        DC.WinOrgX = GetI32(r, 8), DC.WinOrgY = GetI32(r, 12);
        break;
    case 0x0B:
        Need(r, 16);
        DC.VpExtX = GetI32(r, 8) ? GetI32(r, 8) : 1, DC.VpExtY = GetI32(r, 12) ? GetI32(r, 12) : 1;
        break;
    case 0x0C:
        Need(r, 16);
        DC.VpOrgX = GetI32(r, 8), DC.VpOrgY = GetI32(r, 12);
        break;
    case 0x11: // SETMAPMODE
        Need(r, 12);
        DC.MapMode = int(std::clamp<std::uint32_t>(GetLE32(r, 8), 1, 8));
        break;
    case 0x12:
        Need(r, 12);
        DC.BkMode = int(GetLE32(r, 8));
        break;
    case 0x14:
        Need(r, 12);
        DC.Rop2 = int(GetLE32(r, 8));
        break;
    case 0x16:
        Need(r, 12);
        DC.TextAlign = GetLE32(r, 8);
        break;
    case 0x18:
        Need(r, 12);
        DC.TextColor = ColourAt(r, 8);
        break;
    case 0x19:
        Need(r, 12);
        DC.BkColor = ColourAt(r, 8);
        break;
    case 0x1B: // MOVETOEX
        Need(r, 16);
        DC.CurX = GetI32(r, 8), DC.CurY = GetI32(r, 12);
        if (InPath) {
            Path.push_back({TPointD{DC.CurX, DC.CurY}});
            PathClosed.push_back(false);
        }
        break;
    case 0x1E: // INTERSECTCLIPRECT
        Need(r, 24);
        IntersectClip(MapRect(GetI32(r, 8), GetI32(r, 12), GetI32(r, 16), GetI32(r, 20)));
        break;
    case 0x21:
        Save();
        break;
    case 0x22:
        Need(r, 12);
        Restore(GetI32(r, 8));
        break;
    case 0x23: // SETWORLDTRANSFORM
        Need(r, 32);
        DC.World = TXForm{GetFloat32(r, 8), GetFloat32(r, 12), GetFloat32(r, 16),
                          GetFloat32(r, 20), GetFloat32(r, 24), GetFloat32(r, 28)};
        break;
    case 0x24: { // MODIFYWORLDTRANSFORM
        Need(r, 36);
        const TXForm x{GetFloat32(r, 8), GetFloat32(r, 12), GetFloat32(r, 16),
                       GetFloat32(r, 20), GetFloat32(r, 24), GetFloat32(r, 28)};
        switch (GetLE32(r, 32)) {
        case 1:
            DC.World = TXForm{};
            break;
        case 2:
            DC.World = x.Then(DC.World);
            break;
        case 3:
            DC.World = DC.World.Then(x);
            break;
        case 4:
            DC.World = x;
            break;
        default:
            break;
        }
        break;
    }
    case 0x25: { // SELECTOBJECT
        Need(r, 12);
        const std::uint32_t index = GetLE32(r, 8);
        if (index & 0x80000000)
            SelectStock(index);
        else
            SelectObj(ObjectAt(index, false));
        break;
    }
    case 0x26: { // CREATEPEN
        Need(r, 28);
        TObj& o = ObjectAt(GetLE32(r, 8), true);
        o = TObj{};
        o.Kind = TObjKind::Pen;
        const std::uint32_t style = GetLE32(r, 12);
        o.PenStyle = PenStyleOf(style);
        o.PenEnd = PenEndOf(style);
        o.PenWidth = GetI32(r, 16);
        o.Color = ColourAt(r, 24);
        break;
    }
    case 0x5F: { // EXTCREATEPEN
        Need(r, 52);
        TObj& o = ObjectAt(GetLE32(r, 8), true);
        o = TObj{};
        o.Kind = TObjKind::Pen;
        const std::uint32_t style = GetLE32(r, 28);
        o.PenStyle = PenStyleOf(style);
        o.PenEnd = PenEndOf(style);
        o.PenWidth = (style & 0x10000) ? int(std::min<std::uint32_t>(GetLE32(r, 32), 100000)) : 1;
        o.Color = ColourAt(r, 40);
        break;
    }
    case 0x27: { // CREATEBRUSHINDIRECT
        Need(r, 24);
        TObj& o = ObjectAt(GetLE32(r, 8), true);
        o = TObj{};
        o.Kind = TObjKind::Brush;
        o.Brush = BrushOf(GetLE32(r, 12), ColourAt(r, 16), GetLE32(r, 20));
        break;
    }
    case 0x5D: // CREATEMONOBRUSH
    case 0x5E: { // CREATEDIBPATTERNBRUSHPT
        Need(r, 12);
        TObj& o = ObjectAt(GetLE32(r, 8), true);
        o = TObj{};
        o.Kind = TObjKind::Brush;
        o.Brush = BrushOf(3, 0, 0);
        break;
    }
    case 0x31: // CREATEPALETTE
    case 0x7A: { // CREATECOLORSPACE and the like: objects that draw nothing
        Need(r, 12);
        TObj& o = ObjectAt(GetLE32(r, 8), true);
        o = TObj{};
        o.Kind = TObjKind::Other;
        break;
    }
    case 0x52: { // EXTCREATEFONTINDIRECTW
        Need(r, 12 + 92);
        TObj& o = ObjectAt(GetLE32(r, 8), true);
        o = TObj{};
        o.Kind = TObjKind::Font;
        TLogFont& f = o.Font;
        f.Height = GetI32(r, 12), f.Width = GetI32(r, 16), f.Escapement = GetI32(r, 20);
        f.Weight = GetI32(r, 28);
        f.Italic = r[32] != 0, f.Underline = r[33] != 0, f.StrikeOut = r[34] != 0;
        f.Charset = std::uint8_t(r[35]);
        std::u16string face;
        for (std::size_t i = 0; i < 32; ++i) {
            const char16_t c = char16_t(GetLE16(r, 40 + 2 * i));
            if (!c) break;
            face.push_back(c);
        }
        f.Face = Utf16ToAnsi(face);
        break;
    }
    case 0x28: { // DELETEOBJECT
        Need(r, 12);
        const std::uint32_t index = GetLE32(r, 8);
        if (!(index & 0x80000000) && index < ObjectLimit && index < Objects.size()) Objects[index] = TObj{};
        break;
    }
    case 0x36: // LINETO
        Need(r, 16);
        if (InPath) {
            if (Path.empty()) Path.push_back({TPointD{DC.CurX, DC.CurY}}), PathClosed.push_back(false);
            Path.back().push_back({double(GetI32(r, 8)), double(GetI32(r, 12))});
        } else {
            ApplyPen();
            const TPoint a = Map(DC.CurX, DC.CurY), b = Map(GetI32(r, 8), GetI32(r, 12));
            C.MoveTo(a.X, a.Y);
            C.LineTo(b.X, b.Y);
        }
        DC.CurX = GetI32(r, 8), DC.CurY = GetI32(r, 12);
        break;
    case 0x2B: // RECTANGLE
    case 0x2A: // ELLIPSE
        Need(r, 24);
        ApplyShape();
        if (type == 0x2B)
            C.Rectangle(MapRect(GetI32(r, 8), GetI32(r, 12), GetI32(r, 16), GetI32(r, 20)));
        else
            C.Ellipse(MapRect(GetI32(r, 8), GetI32(r, 12), GetI32(r, 16), GetI32(r, 20)));
        break;
    case 0x2C: // ROUNDRECT
        Need(r, 32);
        ApplyShape();
        C.RoundRect(MapRect(GetI32(r, 8), GetI32(r, 12), GetI32(r, 16), GetI32(r, 20)),
                    int(std::lround(std::min(std::abs(GetI32(r, 24) * ScaleX()), MaxCoordinate))),
                    int(std::lround(std::min(std::abs(GetI32(r, 28) * ScaleY()), MaxCoordinate))));
        break;
    case 0x56: // POLYGON16
    case 0x57: // POLYLINE16
    case 0x03: // POLYGON
    case 0x04: // POLYLINE
        EmfPathOrDraw(EmfPoints(r, 24, 28, type >= 0x56), type == 0x56 || type == 0x03, false);
        break;
    case 0x59: // POLYLINETO16
    case 0x06: { // POLYLINETO
        std::vector<TPointD> pts = EmfPoints(r, 24, 28, type == 0x59);
        if (pts.empty()) break;
        const TPointD last = pts.back();
        EmfPathOrDraw(std::move(pts), false, true);
        DC.CurX = last.X, DC.CurY = last.Y;
        break;
    }
    case 0x55: // POLYBEZIER16
    case 0x02: // POLYBEZIER
    case 0x58: // POLYBEZIERTO16
    case 0x05: { // POLYBEZIERTO
        const bool to = type == 0x58 || type == 0x05;
        const std::vector<TPointD> pts = EmfPoints(r, 24, 28, type == 0x55 || type == 0x58);
        if (pts.empty()) break;
        std::vector<TPointD> flat;
        TPointD start = to ? TPointD{DC.CurX, DC.CurY} : pts[0];
        const TPointD* rest = to ? pts.data() : pts.data() + 1;
        const std::size_t segments = (pts.size() - (to ? 0 : 1)) / 3;
        if (!to) flat.push_back(start);
        Bezier(flat, start, rest, segments);
        if (flat.empty()) break;
        const TPointD last = flat.back();
        EmfPathOrDraw(std::move(flat), false, to);
        if (to) DC.CurX = last.X, DC.CurY = last.Y;
        break;
    }
    case 0x5A: // POLYPOLYLINE16
    case 0x5B: // POLYPOLYGON16
    case 0x07: // POLYPOLYLINE
    case 0x08: { // POLYPOLYGON
        Need(r, 32);
        const bool small = type == 0x5A || type == 0x5B;
        const bool closed = type == 0x5B || type == 0x08;
        const std::uint64_t polys = GetLE32(r, 24), total = GetLE32(r, 28);
        const std::uint64_t each = small ? 4 : 8;
        if (polys > (r.size() - 32) / 4 || total > (r.size() - 32 - polys * 4) / each)
            Fail("a polygon count exceeds its record");
        std::size_t p = 32 + std::size_t(polys * 4);
        std::uint64_t used = 0;
        for (std::uint64_t i = 0; i < polys; ++i) {
            const std::uint64_t n = GetLE32(r, 32 + std::size_t(i * 4));
            if (n > total - used) Fail("polygon sizes exceed the point count");
            std::vector<TPointD> pts;
            for (std::uint64_t k = 0; k < n; ++k, p += std::size_t(each))
                pts.push_back(small ? TPointD{double(GetI16(r, p)), double(GetI16(r, p + 2))}
                                    : TPointD{double(GetI32(r, p)), double(GetI32(r, p + 4))});
            used += n;
            EmfPathOrDraw(std::move(pts), closed, false);
        }
        break;
    }
    case 0x3B: // BEGINPATH
        InPath = true;
        Path.clear();
        PathClosed.clear();
        break;
    case 0x3C: // ENDPATH
        InPath = false;
        break;
    case 0x3D: // CLOSEFIGURE
        if (!PathClosed.empty()) PathClosed.back() = true;
        break;
    case 0x44: // ABORTPATH
        InPath = false;
        Path.clear();
        PathClosed.clear();
        break;
    case 0x3E:   // FILLPATH
    case 0x3F:   // STROKEANDFILLPATH
    case 0x40: { // STROKEPATH
        const bool fill = type != 0x40, stroke = type != 0x3E;
        for (std::size_t i = 0; i < Path.size(); ++i) {
            if (Path[i].size() < 2) continue;
            std::vector<TPoint> out;
            for (const TPointD& p : Path[i]) out.push_back(Map(p.X, p.Y));
            ApplyShape();
            if (fill) {
                if (!stroke) {
                    TPen none;
                    none.Style = TPenStyle::Clear;
                    C.SetPen(none);
                }
                C.Polygon(out);
            } else {
                if (PathClosed[i]) out.push_back(out.front());
                C.Polyline(out);
            }
        }
        Path.clear();
        PathClosed.clear();
        break;
    }
    case 0x43: { // SELECTCLIPPATH: the path's bounding box narrows the clip
        bool any = false;
        TRect box;
        for (const auto& fig : Path)
            for (const TPointD& p : fig) {
                const TPoint m = Map(p.X, p.Y);
                if (!any) box = TRect{m.X, m.Y, m.X, m.Y}, any = true;
                box.Left = std::min(box.Left, m.X), box.Top = std::min(box.Top, m.Y);
                box.Right = std::max(box.Right, m.X), box.Bottom = std::max(box.Bottom, m.Y);
            }
        if (any) IntersectClip(box);
        Path.clear();
        PathClosed.clear();
        break;
    }
    case 0x4B: { // EXTSELECTCLIPRGN
        Need(r, 16);
        const std::uint32_t cb = GetLE32(r, 8), mode = GetLE32(r, 12);
        if (mode == 5) ResetClip(); // copy
        if (cb >= 32 && cb <= r.size() - 16 && (mode == 5 || mode == 1)) {
            // The region's bounding rectangle (rectangular clips are what pages use).
            IntersectClip(MapRect(GetI32(r, 32), GetI32(r, 36), GetI32(r, 40), GetI32(r, 44)));
        }
        break;
    }
    case 0x53: // EXTTEXTOUTA
    case 0x54: // EXTTEXTOUTW
        EmfTextRecord(r, type == 0x54);
        break;
    case 0x4C:
    case 0x4D:
    case 0x51:
        EmfBitmapRecord(type, r);
        break;
    default:
        break; // records that do not draw or that pages never hold
    }
}

// ---- WMF ------------------------------------------------------------------------------------

void TPlayer::PlayWmf() {
    std::size_t at = 0;
    if (IsPlaceable(B)) {
        BoxLeft = GetI16(B, 6), BoxTop = GetI16(B, 8);
        BoxW = double(GetI16(B, 10)) - BoxLeft, BoxH = double(GetI16(B, 12)) - BoxTop;
        at = 22;
    }
    if (!IsWmfHeader(B, at)) Fail("unknown header");
    ObjectLimit = std::max<std::size_t>(GetLE16(B, at + 10), 1);
    at += 18;
    const std::size_t first = at;
    bool ended = false;
    while (at + 6 <= B.size()) {
        const std::uint64_t bytes = std::uint64_t(GetLE32(B, at)) * 2;
        if (bytes < 6 || bytes > B.size() - at) Fail("a record's size runs outside the file");
        const std::uint32_t function = GetLE16(B, at + 4);
        at += std::size_t(bytes);
        if (function == 0) {
            ended = true;
            break;
        }
    }
    if (!ended) Fail("the file is truncated (no end record)");
    at = first;
    while (at + 6 <= B.size()) {
        const std::size_t bytes = std::size_t(GetLE32(B, at)) * 2;
        const std::uint32_t function = GetLE16(B, at + 4);
        if (function == 0) break;
        WmfRecord(function, B.substr(at, bytes));
        at += bytes;
    }
}

void TPlayer::WmfBitmapRecord(std::uint32_t function, std::string_view r) {
    // Parameters start at 6; rop first. Sizes of the fixed parts decide whether a DIB follows.
    Need(r, 10);
    const std::uint32_t rop = GetLE32(r, 6);
    auto w = [&](std::size_t i) { return int(GetI16(r, 10 + 2 * i)); };
    int sx = 0, sy = 0, sw = 0, sh = 0, dx, dy, dw, dh;
    std::size_t dibAt;
    if (function == 0x0F43) { // STRETCHDIB: usage, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst
        Need(r, 10 + 18);
        sh = w(1), sw = w(2), sy = w(3), sx = w(4), dh = w(5), dw = w(6), dy = w(7), dx = w(8);
        dibAt = 28;
    } else if (function == 0x0B41) { // DIBSTRETCHBLT: srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst
        Need(r, 10 + 16);
        if (r.size() <= 10 + 18) { // no bitmap: a reserved word, then the destination
            Need(r, 10 + 18);
            PatternFill(MapRect(w(8), w(7), double(w(8)) + w(6), double(w(7)) + w(5)), rop);
            return;
        }
        sh = w(0), sw = w(1), sy = w(2), sx = w(3), dh = w(4), dw = w(5), dy = w(6), dx = w(7);
        dibAt = 26;
    } else { // DIBBITBLT 0x0940: ySrc, xSrc, height, width, yDest, xDest
        Need(r, 10 + 12);
        if (r.size() <= 10 + 14) { // no bitmap: a reserved word, then the destination
            Need(r, 10 + 14);
            PatternFill(MapRect(w(5), w(4), double(w(5)) + w(3), double(w(4)) + w(2)), rop);
            return;
        }
        sy = w(0), sx = w(1), dh = sh = w(2), dw = sw = w(3), dy = w(4), dx = w(5);
        dibAt = 22;
    }
    Bitmap(MapRect(dx, dy, double(dx) + dw, double(dy) + dh), r.substr(dibAt), sx, sy, sw, sh, rop);
}

void TPlayer::WmfRecord(std::uint32_t function, std::string_view r) {
    auto w = [&](std::size_t i) {
        Need(r, 6 + 2 * (i + 1));
        return int(GetI16(r, 6 + 2 * i));
    };
    switch (function) {
    case 0x020B: // SETWINDOWORG y, x
        DC.WinOrgY = w(0), DC.WinOrgX = w(1);
        break;
    case 0x020C: // SETWINDOWEXT y, x
        DC.WinExtY = w(0) ? w(0) : 1, DC.WinExtX = w(1) ? w(1) : 1;
        DC.WindowSet = true;
        break;
    case 0x020F: // OFFSETWINDOWORG
        DC.WinOrgY += w(0), DC.WinOrgX += w(1);
        break;
    case 0x0103:
        DC.MapMode = std::clamp(w(0), 1, 8);
        break;
    case 0x0102:
        DC.BkMode = w(0);
        break;
    case 0x0104:
        DC.Rop2 = w(0);
        break;
    case 0x012E:
        DC.TextAlign = unsigned(std::uint16_t(w(0)));
        break;
    case 0x0201:
        Need(r, 10);
        DC.BkColor = ColourAt(r, 6);
        break;
    case 0x0209:
        Need(r, 10);
        DC.TextColor = ColourAt(r, 6);
        break;
    case 0x001E:
        Save();
        break;
    case 0x0127:
        Restore(w(0));
        break;
    case 0x0416: // INTERSECTCLIPRECT bottom, right, top, left
        IntersectClip(MapRect(w(3), w(2), w(1), w(0)));
        break;
    case 0x0214: // MOVETO y, x
        DC.CurY = w(0), DC.CurX = w(1);
        break;
    case 0x0213: { // LINETO y, x
        const double y = w(0), x = w(1);
        ApplyPen();
        const TPoint a = Map(DC.CurX, DC.CurY), b = Map(x, y);
        C.MoveTo(a.X, a.Y);
        C.LineTo(b.X, b.Y);
        DC.CurX = x, DC.CurY = y;
        break;
    }
    case 0x041B: // RECTANGLE
    case 0x0418: // ELLIPSE
        ApplyShape();
        if (function == 0x041B)
            C.Rectangle(MapRect(w(3), w(2), w(1), w(0)));
        else
            C.Ellipse(MapRect(w(3), w(2), w(1), w(0)));
        break;
    case 0x061C: // ROUNDRECT height, width, bottom, right, top, left
        ApplyShape();
        C.RoundRect(MapRect(w(5), w(4), w(3), w(2)), int(std::lround(std::abs(w(1) * ScaleX()))),
                    int(std::lround(std::abs(w(0) * ScaleY()))));
        break;
    case 0x0324: // POLYGON
    case 0x0325: { // POLYLINE
        const int n = w(0);
        if (n < 0 || std::size_t(n) > (r.size() - 8) / 4) Fail("a point count exceeds its record");
        std::vector<TPointD> pts;
        for (int i = 0; i < n; ++i) pts.push_back({double(w(1 + 2 * i)), double(w(2 + 2 * i))});
        Poly(pts, function == 0x0324);
        break;
    }
    case 0x0538: { // POLYPOLYGON: count, sizes, points
        const int polys = w(0);
        if (polys < 0 || std::size_t(polys) > (r.size() - 8) / 2) Fail("a polygon count exceeds its record");
        std::size_t p = 1 + std::size_t(polys);
        for (int i = 0; i < polys; ++i) {
            const int n = w(1 + std::size_t(i));
            if (n < 0 || (p + 2 * std::size_t(n)) * 2 + 6 > r.size()) Fail("polygon sizes exceed the record");
            std::vector<TPointD> pts;
            for (int k = 0; k < n; ++k, p += 2) pts.push_back({double(w(p)), double(w(p + 1))});
            Poly(pts, true);
        }
        break;
    }
    case 0x02FA: { // CREATEPENINDIRECT style, width.x, width.y, colour
        Need(r, 16);
        TObj& o = NewWmfObject();
        o = TObj{};
        o.Kind = TObjKind::Pen;
        const std::uint32_t style = GetLE16(r, 6);
        o.PenStyle = PenStyleOf(style);
        o.PenEnd = PenEndOf(style);
        o.PenWidth = GetI16(r, 8);
        o.Color = ColourAt(r, 12);
        break;
    }
    case 0x02FC: { // CREATEBRUSHINDIRECT style, colour, hatch
        Need(r, 14);
        TObj& o = NewWmfObject();
        o = TObj{};
        o.Kind = TObjKind::Brush;
        o.Brush = BrushOf(GetLE16(r, 6), ColourAt(r, 8), GetLE16(r, 12));
        break;
    }
    case 0x02FB: { // CREATEFONTINDIRECT
        Need(r, 6 + 18);
        TObj& o = NewWmfObject();
        o = TObj{};
        o.Kind = TObjKind::Font;
        TLogFont& f = o.Font;
        f.Height = GetI16(r, 6), f.Width = GetI16(r, 8), f.Escapement = GetI16(r, 10), f.Weight = GetI16(r, 14);
        f.Italic = r[16] != 0, f.Underline = r[17] != 0, f.StrikeOut = r[18] != 0;
        f.Charset = std::uint8_t(r[19]);
        std::string face(r.substr(24, std::min<std::size_t>(32, r.size() - 24)));
        face = face.substr(0, face.find('\0'));
        // The face name is in the font's code page: CP936 for Chinese and default fonts, single
        // bytes read as Latin-1 otherwise.
        if (f.Charset == 0) {
            std::u16string u;
            for (char c : face) u.push_back(char16_t(std::uint8_t(c)));
            face = Utf16ToAnsi(u);
        }
        f.Face = face;
        break;
    }
    case 0x0142: // DIBCREATEPATTERNBRUSH
    case 0x01F9: { // CREATEPATTERNBRUSH
        TObj& o = NewWmfObject();
        o = TObj{};
        o.Kind = TObjKind::Brush;
        o.Brush = BrushOf(3, 0, 0);
        break;
    }
    case 0x00F7: // CREATEPALETTE
    case 0x06FF: { // CREATEREGION
        TObj& o = NewWmfObject();
        o = TObj{};
        o.Kind = TObjKind::Other;
        break;
    }
    case 0x012D: // SELECTOBJECT
        SelectObj(ObjectAt(std::uint32_t(std::uint16_t(w(0))), false));
        break;
    case 0x01F0: { // DELETEOBJECT
        const std::uint32_t index = std::uint16_t(w(0));
        if (index < Objects.size()) Objects[index] = TObj{};
        break;
    }
    case 0x0521: { // TEXTOUT length, string, y, x
        const int len = w(0);
        const std::size_t padded = (std::size_t(std::max(len, 0)) + 1) & ~std::size_t(1);
        if (len < 0 || 8 + padded + 4 > r.size()) Fail("text runs outside its record");
        const AnsiString text(r.substr(8, std::size_t(len)));
        const double y = GetI16(r, 8 + padded), x = GetI16(r, 8 + padded + 2);
        Text(x, y, text, {}, 0, nullptr, DC.Font.Font.Charset == SYMBOL_CHARSET);
        break;
    }
    case 0x0A32: { // EXTTEXTOUT y, x, length, options, [rect], string, [dx]
        const double y = w(0), x = w(1);
        const int len = w(2);
        const unsigned options = unsigned(std::uint16_t(w(3)));
        if (len < 0) Fail("negative text length");
        std::size_t p = 14;
        TRect rect;
        const bool hasRect = (options & 0x6) != 0;
        if (hasRect) {
            Need(r, p + 8);
            rect = MapRect(GetI16(r, p), GetI16(r, p + 2), GetI16(r, p + 4), GetI16(r, p + 6));
            p += 8;
        }
        if (p + std::size_t(len) > r.size()) Fail("text runs outside its record");
        AnsiString text(r.substr(p, std::size_t(len)));
        if (DC.Font.Font.Charset == 0) { // Latin-1 bytes
            std::u16string u;
            for (char c : text) u.push_back(char16_t(std::uint8_t(c)));
            text = Utf16ToAnsi(u);
        }
        p += (std::size_t(len) + 1) & ~std::size_t(1);
        std::vector<double> dx;
        if (p + 2 * std::size_t(len) <= r.size())
            for (int i = 0; i < len; ++i) dx.push_back(GetI16(r, p + 2 * std::size_t(i)));
        Text(x, y, text, dx, options, hasRect ? &rect : nullptr, DC.Font.Font.Charset == SYMBOL_CHARSET);
        break;
    }
    case 0x0F43:
    case 0x0B41:
    case 0x0940:
        WmfBitmapRecord(function, r);
        break;
    case 0x061D: { // PATBLT rop, height, width, y, x
        Need(r, 18);
        const std::uint32_t rop = GetLE32(r, 6);
        const int h = GetI16(r, 10), wd = GetI16(r, 12), y = GetI16(r, 14), x = GetI16(r, 16);
        PatternFill(MapRect(x, y, double(x) + wd, double(y) + h), rop);
        break;
    }
    default:
        break;
    }
}

void Play(std::string_view bytes, ICanvas& canvas, const TRect& dest) {
    TPlayer player(bytes, canvas, dest);
    try {
        if (IsEmfBytes(bytes))
            player.PlayEmf();
        else
            player.PlayWmf();
    } catch (...) {
        player.Finish();
        throw;
    }
    player.Finish();
}

} // namespace

bool IsMetafileData(std::string_view bytes) {
    return IsEmfBytes(bytes) || IsPlaceable(bytes) || IsWmfHeader(bytes, 0);
}

std::pair<int, int> MetafileSize(std::string_view b) {
    if (IsEmfBytes(b)) {
        const double w = double(GetI32(b, 32)) - GetI32(b, 24) + 1, h = double(GetI32(b, 36)) - GetI32(b, 28) + 1;
        if (w > 0 && h > 0 && w < 1e8 && h < 1e8) return {int(std::lround(w * 96 / 2540)), int(std::lround(h * 96 / 2540))};
    } else if (IsPlaceable(b)) {
        const int inch = int(GetLE16(b, 14));
        const int w = GetI16(b, 10) - GetI16(b, 6), h = GetI16(b, 12) - GetI16(b, 8);
        if (inch > 0 && w > 0 && h > 0) return {int(std::lround(double(w) * 96 / inch)), int(std::lround(double(h) * 96 / inch))};
    }
    return {0, 0};
}

void PlayMetafile(std::string_view bytes, ICanvas& canvas, const TRect& dest) {
    if (!IsMetafileData(bytes)) throw EPictureError("Invalid metafile: unknown header");
    if (dest.IsEmpty()) return;
    // Check every record on a canvas that draws nothing before anything reaches the real one.
    TNullCanvas check;
    Play(bytes, check, dest);

    const TFontSpec font = canvas.Font();
    const TPen pen = canvas.Pen();
    const TBrush brush = canvas.Brush();
    const int spacing = canvas.CharSpacing();
    const bool rtl = canvas.RightToLeft();
    canvas.PushClipRect(dest);
    try {
        Play(bytes, canvas, dest);
    } catch (...) {
        canvas.PopClipRect();
        throw;
    }
    canvas.PopClipRect();
    canvas.SetFont(font);
    canvas.SetPen(pen);
    canvas.SetBrush(brush);
    canvas.SetCharSpacing(spacing);
    canvas.SetRightToLeft(rtl);
}
