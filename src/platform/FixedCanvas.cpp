// The fixed-metrics recording canvas: arithmetic text metrics and one text line per call.
// The metrics and the line format are documented in FixedCanvas.h; tests of the engine rely on
// both, so they change only together with those tests.
#include "platform/FixedCanvas.h"

#include "platform/AnsiString.h"
#include "platform/Picture.h"

#include <cstdio>

namespace {

std::string ColorText(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", unsigned(c));
    return buf;
}

std::string RectText(const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

std::string PointsText(const std::vector<TPoint>& points) {
    std::string s;
    for (const TPoint& p : points)
        s += std::to_string(p.X) + "," + std::to_string(p.Y) + " ";
    return s;
}

} // namespace

TFixedCanvas::TFixedCanvas(int pixelsPerInchX, int pixelsPerInchY)
    : FPpiX(pixelsPerInchX), FPpiY(pixelsPerInchY) {}

int TFixedCanvas::EmHeight() const {
    if (FFont.Height < 0) return -FFont.Height;
    if (FFont.Height > 0) return FFont.Height * 4 / 5;
    int e = (FFont.Size * FPpiY + 36) / 72;
    return e > 0 ? e : 0;
}

int TFixedCanvas::TextWidth(std::string_view text) {
    int unit = FFont.Width ? FFont.Width : (EmHeight() + 1) / 2;
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = CharLengthAt(text, i);
        width += unit * int(len) + FCharSpacing;
        i += len;
    }
    return width;
}

int TFixedCanvas::TextHeight(std::string_view) {
    int e = EmHeight();
    return e + e / 4;
}

void TFixedCanvas::RecordText(int x, int y, std::string_view text, const TRect* clip) {
    std::string style;
    if (FFont.Style & fsBold) style += 'B';
    if (FFont.Style & fsItalic) style += 'I';
    if (FFont.Style & fsUnderline) style += 'U';
    if (FFont.Style & fsStrikeOut) style += 'S';
    if (style.empty()) style = "-";
    std::string line = "Text " + std::to_string(x) + "," + std::to_string(y) + " \"" + std::string(text) +
                       "\" font=" + FFont.Name + ";" + std::to_string(FFont.Size) + ";" + style + ";" +
                       ColorText(FFont.Color);
    if (FFont.Height) line += ";h" + std::to_string(FFont.Height);
    if (FFont.Width) line += ";w" + std::to_string(FFont.Width);
    if (FFont.Angle) line += " angle=" + std::to_string(FFont.Angle);
    if (FCharSpacing) line += " spacing=" + std::to_string(FCharSpacing);
    if (FRightToLeft) line += " rtl";
    if (clip) line += " clip=" + RectText(*clip);
    FLines.push_back(std::move(line));
}

void TFixedCanvas::TextOut(int x, int y, std::string_view text) {
    RecordText(x, y, text, nullptr);
}

void TFixedCanvas::TextRect(const TRect& clip, int x, int y, std::string_view text) {
    RecordText(x, y, text, &clip);
}

std::string TFixedCanvas::PenText() const {
    static const char* const styles[] = {"solid",      "dash",  "dot",        "dashdot",
                                         "dashdotdot", "clear", "insideframe"};
    if (FPen.Style == TPenStyle::Clear) return "clear";
    std::string s =
        std::string(styles[int(FPen.Style)]) + ";" + std::to_string(FPen.Width) + ";" + ColorText(FPen.Color);
    if (FPen.End == TPenEnd::Square) s += ";square";
    if (FPen.End == TPenEnd::Flat) s += ";flat";
    if (FPen.Mode != TPenMode::Copy) s += ";mode" + std::to_string(int(FPen.Mode));
    return s;
}

std::string TFixedCanvas::BrushText() const {
    static const char* const styles[] = {"solid",     "clear",     "horizontal", "vertical",
                                         "fdiagonal", "bdiagonal", "cross",      "diagcross"};
    if (FBrush.Style == TBrushStyle::Clear) return "clear";
    return std::string(styles[int(FBrush.Style)]) + ";" + ColorText(FBrush.Color);
}

void TFixedCanvas::LineTo(int x, int y) {
    FLines.push_back("Line " + std::to_string(FPenPos.X) + "," + std::to_string(FPenPos.Y) + "," +
                     std::to_string(x) + "," + std::to_string(y) + " pen=" + PenText());
    FPenPos = {x, y};
}

void TFixedCanvas::Polyline(const std::vector<TPoint>& points) {
    FLines.push_back("Polyline " + PointsText(points) + "pen=" + PenText());
}

void TFixedCanvas::Rectangle(const TRect& r) {
    FLines.push_back("Rectangle " + RectText(r) + " pen=" + PenText() + " brush=" + BrushText());
}

void TFixedCanvas::RoundRect(const TRect& r, int cornerW, int cornerH) {
    FLines.push_back("RoundRect " + RectText(r) + " " + std::to_string(cornerW) + "," +
                     std::to_string(cornerH) + " pen=" + PenText() + " brush=" + BrushText());
}

void TFixedCanvas::Ellipse(const TRect& r) {
    FLines.push_back("Ellipse " + RectText(r) + " pen=" + PenText() + " brush=" + BrushText());
}

void TFixedCanvas::Polygon(const std::vector<TPoint>& points) {
    FLines.push_back("Polygon " + PointsText(points) + "pen=" + PenText() + " brush=" + BrushText());
}

void TFixedCanvas::FillRect(const TRect& r) {
    FLines.push_back("FillRect " + RectText(r) + " brush=" + BrushText());
}

void TFixedCanvas::FrameRect(const TRect& r) {
    FLines.push_back("FrameRect " + RectText(r) + " brush=" + BrushText());
}

void TFixedCanvas::DrawPicture(const TRect& r, const TPicture& picture, TPictureCopyMode mode) {
    static const char* const kinds[] = {"empty", "bitmap", "jpeg", "metafile", "icon"};
    if (picture.IsEmpty()) return;
    FLines.push_back("Picture " + RectText(r) + " " + kinds[int(picture.Kind())] + " " +
                     std::to_string(picture.Width()) + "x" + std::to_string(picture.Height()) +
                     (mode == TPictureCopyMode::And ? " and" : ""));
}

void TFixedCanvas::PushClipRect(const TRect& r) {
    TRect clip = FClips.empty() ? r : IntersectRect(FClips.back(), r);
    if (clip.IsEmpty()) clip = TRect{};
    FClips.push_back(clip);
    FLines.push_back("Clip " + RectText(clip));
}

void TFixedCanvas::PopClipRect() {
    if (FClips.empty()) return;
    FClips.pop_back();
    FLines.push_back("Unclip");
}
