// The shared half of the recording canvases: canvas state, graphics objects made once per value,
// the clip stack as saved device contexts, and text measured on the preview's canvas.
#include "platform/MetafileCanvas.h"

#include "platform/AnsiString.h"
#include "platform/MetafilePlayer.h"

#include <algorithm>

namespace {

// Raster operation codes (R2_...) of the pen modes, in the order of TPenMode.
constexpr int Rop2Of[16] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};

// Objects a page keeps alive at once; beyond this, objects not selected anywhere are deleted.
// A page uses a handful of fonts, pens and brushes, so the table stays small either way.
constexpr int MaxLiveObjects = 64;

std::string PenKey(const TPen& p) {
    return "P" + std::to_string(int(p.Style)) + "/" + std::to_string(p.Width) + "/" + std::to_string(p.Color) + "/" +
           std::to_string(int(p.End));
}

std::string BrushKey(const TBrush& b) {
    return "B" + std::to_string(int(b.Style)) + "/" + std::to_string(b.Color);
}

// Metafiles nest only through pictures of pictures; a file that holds itself stops here.
constexpr int MaxPlayDepth = 4;

} // namespace

std::vector<int> CharacterAdvances(ICanvas& measure, std::string_view text, bool bytewise) {
    std::vector<int> advances;
    int previous = 0;
    for (std::size_t i = 0; i < text.size();) {
        i += bytewise ? 1 : CharLengthAt(text, i);
        const int w = measure.TextWidth(text.substr(0, i));
        advances.push_back(w - previous);
        previous = w;
    }
    return advances;
}

TMetafileCanvas::TMetafileCanvas(int width, int height, ICanvas& measure, int pixelsPerInch)
    : FWidth(std::max(width, 1)), FHeight(std::max(height, 1)), FPpi(pixelsPerInch), FMeasure(measure) {}

int TMetafileCanvas::EmHeight(const TFontSpec& font) const {
    if (font.Height < 0) return -font.Height;
    if (font.Height > 0) return font.Height * 4 / 5; // a cell height; readers take it as such
    return (font.Size * FPpi + 36) / 72;
}

bool TMetafileCanvas::IsSymbolFont(const TFontSpec& font) {
    return SameText(font.Name, "Wingdings") || font.Charset == SYMBOL_CHARSET;
}

int TMetafileCanvas::TextWidth(std::string_view text) {
    FMeasure.SetFont(FFont);
    FMeasure.SetCharSpacing(FCharSpacing);
    return FMeasure.TextWidth(text);
}

int TMetafileCanvas::TextHeight(std::string_view text) {
    FMeasure.SetFont(FFont);
    return FMeasure.TextHeight(text);
}

bool TMetafileCanvas::InUse(int slot) const {
    auto uses = [slot](const TDCState& s) { return s.Pen == slot || s.Brush == slot || s.Font == slot; };
    if (uses(FDC)) return true;
    return std::any_of(FSaved.begin(), FSaved.end(), uses);
}

int TMetafileCanvas::Obtain(TObjectKind kind, const std::string& key, const std::function<void(int)>& create) {
    (void)kind;
    auto found = FByKey.find(key);
    if (found != FByKey.end()) return found->second;
    if (int(FByKey.size()) >= MaxLiveObjects) {
        for (int slot = 0; slot < int(FSlots.size()); ++slot) {
            if (FSlots[std::size_t(slot)].empty() || InUse(slot)) continue;
            EmitDelete(slot);
            FByKey.erase(FSlots[std::size_t(slot)]);
            FSlots[std::size_t(slot)].clear();
        }
    }
    // The lowest free slot: a Windows metafile's reader allocates exactly so, and the enhanced
    // format accepts any index, so one rule serves both.
    int slot = 0;
    while (slot < int(FSlots.size()) && !FSlots[std::size_t(slot)].empty()) ++slot;
    if (slot == int(FSlots.size())) FSlots.emplace_back();
    FSlots[std::size_t(slot)] = key;
    FByKey[key] = slot;
    create(slot);
    return slot;
}

void TMetafileCanvas::Select(TObjectKind kind, int slot) {
    int& current = kind == TObjectKind::Pen ? FDC.Pen : kind == TObjectKind::Brush ? FDC.Brush : FDC.Font;
    if (current == slot) return;
    EmitSelect(slot);
    current = slot;
}

void TMetafileCanvas::UsePen() {
    const TPen pen = FPen;
    Select(TObjectKind::Pen, Obtain(TObjectKind::Pen, PenKey(pen), [&](int slot) { EmitCreatePen(slot, pen); }));
}

void TMetafileCanvas::UseNullPen() {
    TPen none;
    none.Style = TPenStyle::Clear;
    Select(TObjectKind::Pen, Obtain(TObjectKind::Pen, PenKey(none), [&](int slot) { EmitCreatePen(slot, none); }));
}

void TMetafileCanvas::UseBrush() {
    TBrush brush = FBrush;
    if (brush.Style == TBrushStyle::Clear) brush.Color = 0;
    Select(TObjectKind::Brush,
           Obtain(TObjectKind::Brush, BrushKey(brush), [&](int slot) { EmitCreateBrush(slot, brush); }));
}

void TMetafileCanvas::UseFont() {
    const TFontSpec font = FFont;
    const int em = EmHeight(font);
    const std::string key = "F" + font.Name + "/" + std::to_string(em) + "/" + std::to_string(font.Width) + "/" +
                            std::to_string(font.Style) + "/" + std::to_string(font.Charset) + "/" +
                            std::to_string(font.Angle);
    Select(TObjectKind::Font,
           Obtain(TObjectKind::Font, key, [&](int slot) { EmitCreateFont(slot, font, em); }));
}

void TMetafileCanvas::UseRop2() {
    const int rop = Rop2Of[int(FPen.Mode) & 15];
    if (FDC.Rop2 == rop) return;
    EmitRop2(rop);
    FDC.Rop2 = rop;
}

void TMetafileCanvas::PrepareShape(bool withBrush) {
    if (FPen.Style == TPenStyle::Clear)
        UseNullPen();
    else
        UsePen();
    if (withBrush) UseBrush();
    UseRop2();
}

void TMetafileCanvas::TextOut(int x, int y, std::string_view text) {
    RecordText(x, y, text, nullptr);
}

void TMetafileCanvas::TextRect(const TRect& clip, int x, int y, std::string_view text) {
    if (!clip.IsEmpty()) RecordText(x, y, text, &clip);
}

void TMetafileCanvas::RecordText(int x, int y, std::string_view text, const TRect* clip) {
    if (FFinished || text.empty() || FFont.Color == clNone) return;
    UseFont();
    const TColor color = ColorToRGB(FFont.Color);
    if (FDC.TextColor != color) {
        EmitTextColor(color);
        FDC.TextColor = color;
    }
    FMeasure.SetFont(FFont);
    FMeasure.SetCharSpacing(FCharSpacing);
    const bool symbol = IsSymbolFont(FFont);
    EmitText(x, y, text, CharacterAdvances(FMeasure, text, symbol), clip, symbol);
}

void TMetafileCanvas::LineTo(int x, int y) {
    if (!FFinished && FPen.Mode != TPenMode::Nop && FPen.Style != TPenStyle::Clear) {
        PrepareShape(false);
        if (!FDC.PositionKnown || !(FDC.Position == FPenPos)) EmitMoveTo(FPenPos.X, FPenPos.Y);
        EmitLineTo(x, y);
        FDC.Position = {x, y};
        FDC.PositionKnown = true;
    }
    FPenPos = {x, y};
}

void TMetafileCanvas::Polyline(const std::vector<TPoint>& points) {
    if (FFinished || points.size() < 2 || FPen.Mode == TPenMode::Nop || FPen.Style == TPenStyle::Clear) return;
    PrepareShape(false);
    EmitPoly(false, points);
}

void TMetafileCanvas::Polygon(const std::vector<TPoint>& points) {
    if (FFinished || points.size() < 2 || FPen.Mode == TPenMode::Nop) return;
    PrepareShape(true);
    EmitPoly(true, points);
}

void TMetafileCanvas::Rectangle(const TRect& r) {
    if (FFinished || r.IsEmpty() || FPen.Mode == TPenMode::Nop) return;
    PrepareShape(true);
    EmitRectangle(r);
}

void TMetafileCanvas::RoundRect(const TRect& r, int cornerW, int cornerH) {
    if (FFinished || r.IsEmpty() || FPen.Mode == TPenMode::Nop) return;
    PrepareShape(true);
    EmitRoundRect(r, cornerW, cornerH);
}

void TMetafileCanvas::Ellipse(const TRect& r) {
    if (FFinished || r.IsEmpty() || FPen.Mode == TPenMode::Nop) return;
    PrepareShape(true);
    EmitEllipse(r);
}

// A fill without outline is a rectangle drawn with the null pen, which fills one pixel less to
// the right and bottom than its box: the box grows by one so the fill covers r exactly.
void TMetafileCanvas::FillRect(const TRect& r) {
    if (FFinished || r.IsEmpty() || FBrush.Style == TBrushStyle::Clear) return;
    UseNullPen();
    UseBrush();
    if (FDC.Rop2 != 13) {
        EmitRop2(13);
        FDC.Rop2 = 13;
    }
    EmitRectangle(TRect{r.Left, r.Top, r.Right + 1, r.Bottom + 1});
}

void TMetafileCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty()) return;
    FillRect(TRect{r.Left, r.Top, r.Right, r.Top + 1});
    FillRect(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom});
    FillRect(TRect{r.Left, r.Top, r.Left + 1, r.Bottom});
    FillRect(TRect{r.Right - 1, r.Top, r.Right, r.Bottom});
}

void TMetafileCanvas::DrawPicture(const TRect& r, const TPicture& picture, TPictureCopyMode mode) {
    if (FFinished || picture.IsEmpty() || r.IsEmpty()) return;
    if (const TRasterImage* raster = picture.Raster()) {
        if (raster->Width > 0 && raster->Height > 0) EmitBitmap(r, *raster, mode == TPictureCopyMode::And);
        return;
    }
    if (picture.Kind() == TPictureKind::Metafile && FPlayDepth < MaxPlayDepth) {
        // A metafile inside the page is recorded as the drawing it holds.
        ++FPlayDepth;
        try {
            PlayMetafile(picture.Bytes(), *this, r);
        } catch (const EPictureError&) {
            // A damaged picture draws nothing, as on screen.
        }
        --FPlayDepth;
    }
}

void TMetafileCanvas::PushClipRect(const TRect& r) {
    if (FFinished) return;
    EmitSaveDC();
    FSaved.push_back(FDC);
    EmitIntersectClip(r);
}

void TMetafileCanvas::PopClipRect() {
    if (FFinished || FSaved.empty()) return;
    EmitRestoreDC();
    FDC = FSaved.back();
    FSaved.pop_back();
}
