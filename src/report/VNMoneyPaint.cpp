// Drawing of the memo kinds that lay out their own text: the Chinese money grid (one digit per
// cell), the diagonal table head (captions in the corners of a divided cell) and the rounded,
// shadowed or gradient-filled text box.
#include "VNAddInViews.h"
#include "VNEngine.h"
#include "VNMemoLayout.h"
#include "VNStandardViews.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The memo's font at the paint scale.
TFontSpec ScaledFont(const TVNMemoView& m) {
    TFontSpec font = m.Font;
    font.Height = m.IsPrinting ? 0 : MemoFontHeight(m.Font.Size, m.PaintScaleY);
    return font;
}

void DrawCentred(ICanvas& canvas, const TRect& cell, const AnsiString& text) {
    if (text.empty()) return;
    const int x = cell.Left + (cell.Width() - canvas.TextWidth(text)) / 2;
    const int y = cell.Top + (cell.Height() - canvas.TextHeight(text)) / 2;
    canvas.TextRect(cell, x, y, text);
}

// A whole, plain number: optional leading "-", digits, at most one ".".
bool IsPlainNumber(const AnsiString& s) {
    bool digit = false, point = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else if (!(c == '-' && i == 0))
            return false;
    }
    return digit;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    return int(std::llround(double(a) * double(b) / double(c)));
}

TColor Mix(TColor begin, TColor end, int i, int n) {
    auto part = [&](int shift) {
        const int b = int((begin >> shift) & 0xFF), e = int((end >> shift) & 0xFF);
        return std::uint32_t(std::clamp(b + MulDiv(i, e - b, n), 0, 255)) << shift;
    };
    return TColor(part(0) | part(8) | part(16));
}

} // namespace

// ---- money grid ---------------------------------------------------------------------------------

std::vector<AnsiString> TVNMoneyView::CellTexts(const AnsiString& text) const {
    const int cells = std::clamp(Cells, 0, 64), decimals = std::clamp(Decimals, 0, cells);
    std::vector<AnsiString> out(static_cast<std::size_t>(cells));
    AnsiString t = Trim(text);
    if (t.empty() || !IsPlainNumber(t)) return out;
    AnsiString digits;
    if (decimals == 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.0f", std::nearbyint(std::strtod(t.c_str(), nullptr)));
        digits = buf;
    } else {
        // Cut, not rounded, to the decimal cells, and padded with zeros.
        std::size_t point = t.find('.');
        if (point == AnsiString::npos) {
            point = t.size();
            t += '.';
        }
        if (point == 0 || (point == 1 && t[0] == '-')) t.insert(point, "0"), ++point;
        AnsiString frac = t.substr(point + 1, std::size_t(decimals));
        frac.append(std::size_t(decimals) - frac.size(), '0');
        digits = t.substr(0, point) + frac;
    }
    if (digits == "-0" || (digits.size() > 1 && digits[0] == '-' && digits.find_first_not_of("-0") == AnsiString::npos))
        digits.erase(0, 1);
    // Leading zeros of the whole part take no cells (the units cell always shows a digit).
    const std::size_t wholeLen = digits.size() - std::size_t(decimals);
    std::size_t lead = 0;
    while (lead + 1 < wholeLen && digits[lead] == '0')
        ++lead;
    digits.erase(0, lead);
    if (int(digits.size()) > cells) {
        for (auto& c : out)
            c = "*";
        return out;
    }
    const int first = cells - int(digits.size());
    for (int i = 0; i < int(digits.size()); ++i)
        out[std::size_t(first + i)] = AnsiString(1, digits[std::size_t(i)]);
    if (first > 0) out[std::size_t(first - 1)] = CurrencySymbol;
    return out;
}

void TVNMoneyView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    ScaleForPaint();
    if (!VNState().ExportMode) {
        FillBackground();
        PaintFrame();
    }
    const int cells = std::clamp(Cells, 1, 64), decimals = std::clamp(Decimals, 0, cells);
    const int lw = std::max(0, RoundToIntClamped(std::clamp(LineWidth, 0, 1000) * PaintScaleX));
    const int cellW = std::max(0, (Width - (cells - 1) * lw) / cells);
    const int x0 = Left + (Width - cells * cellW - (cells - 1) * lw);
    auto cellRect = [&](int i) {
        const int l = x0 + i * (cellW + lw);
        return TRect{l, Top, l + cellW, Top + Height};
    };
    auto separators = [&] {
        for (int i = 1; i < cells; ++i) {
            const int fromPoint = (cells - decimals) - i; // 0 at the decimal point
            TColor colour = LineColor;
            if (decimals > 0 && fromPoint == 0)
                colour = DecimalLineColor;
            else if (fromPoint > 0 && fromPoint % 3 == 0)
                colour = ThousandLineColor;
            if (lw <= 0) continue;
            TBrush brush;
            brush.Color = colour;
            canvas->SetBrush(brush);
            const int x = x0 + i * cellW + (i - 1) * lw;
            canvas->FillRect(TRect{x, Top, x + lw, Top + Height});
        }
    };
    separators();
    canvas->SetFont(ScaledFont(*this));
    if (ShowTitles) {
        if (cells < 20 && decimals <= 5) {
            static const char* whole[] = {"元", "十", "百", "千", "万", "十", "百", "千",
                                          "亿", "十", "百", "千", "万", "兆", "十"};
            static const char* parts[] = {"角", "分", "厘", "毫", "微"};
            const int units = cells - decimals - 1;
            for (int i = 0; i < cells; ++i) {
                const int k = units - i;
                const char* name = k >= 0 ? (k < 15 ? whole[k] : nullptr) : parts[-k - 1];
                if (name) DrawCentred(*canvas, cellRect(i), Utf8ToAnsi(name));
            }
        }
    } else {
        const AnsiString text = Memo.empty() ? AnsiString() : Memo.front();
        const std::vector<AnsiString> texts = CellTexts(text);
        for (int i = 0; i < int(texts.size()); ++i)
            DrawCentred(*canvas, cellRect(i), texts[std::size_t(i)]);
    }
    separators();
    UnscaleAfterPaint();
}

// ---- diagonal head ------------------------------------------------------------------------------

void TVNDiagonalView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    ScaleForPaint();
    if (!VNState().ExportMode) {
        FillBackground();
        PaintFrame();
    }
    // Captions: top-left, top-right, bottom-right, bottom-left.
    AnsiString part[4];
    {
        const AnsiString text = Memo.empty() ? AnsiString() : JoinLines(Memo);
        std::size_t at = 0;
        for (int i = 0; i < 4 && at <= text.size(); ++i) {
            std::size_t semi = text.find(';', at);
            part[i] = text.substr(at, semi == AnsiString::npos ? AnsiString::npos : semi - at);
            if (semi == AnsiString::npos) break;
            at = semi + 1;
        }
    }
    int mask = 0;
    for (int i = 0; i < 4; ++i)
        if (!part[i].empty()) mask |= 1 << i;
    const int l = Left, t = Top, r = Left + Width, b = Top + Height, mx = l + Width / 2, my = t + Height / 2;
    TPen pen;
    pen.Color = LineColor;
    pen.Width = std::max(1, RoundToIntClamped(std::clamp(LineWidth, 0, 1000) * PaintScaleX));
    canvas->SetPen(pen);
    auto line = [&](int x1, int y1, int x2, int y2) {
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    enum { P1 = 1, P2 = 2, P3 = 4, P4 = 8 };
    switch (mask) {
    case P2 | P3 | P4: // from the top-left corner
        line(l, t, r, my);
        line(l, t, mx, b);
        break;
    case P1 | P2 | P4: // from the bottom-right corner
        line(r, b, l, my);
        line(r, b, mx, t);
        break;
    case P1 | P2 | P3: // from the bottom-left corner
        line(l, b, mx, t);
        line(l, b, r, my);
        break;
    case P1 | P3: line(l, b, r, t); break;
    case P1 | P3 | P4: // from the top-right corner
        line(r, t, l, my);
        line(r, t, mx, b);
        break;
    case P1 | P4: line(l, my, r, my); break;
    case P1 | P2: line(mx, t, mx, b); break;
    case P1 | P2 | P3 | P4:
        line(l, my, r, my);
        line(mx, t, mx, b);
        break;
    default: line(l, t, r, b); break; // parts 2 and 4, and every other pattern
    }
    const TFontSpec font = ScaledFont(*this);
    canvas->SetFont(font);
    const int inset = RoundToIntClamped(5 * PaintScaleX);
    const TRect box{l, t, r + 1, b + 1};
    for (int i = 0; i < 4; ++i) {
        if (part[i].empty()) continue;
        const int w = canvas->TextWidth(part[i]), h = canvas->TextHeight(part[i]);
        const int x = (i == 0 || i == 3) ? l + inset : r - inset - w;
        const int y = (i == 0 || i == 1) ? t + inset : b - inset - h;
        canvas->TextRect(box, x, y, part[i]);
    }
    UnscaleAfterPaint();
}

// ---- rounded box --------------------------------------------------------------------------------

void PaintGradient(ICanvas& canvas, const TRect& rect, TColor begin, TColor end, int style) {
    const int l = rect.Left, t = rect.Top, w = rect.Width(), h = rect.Height();
    if (w <= 0 || h <= 0) return;
    TPen clear;
    clear.Style = TPenStyle::Clear;
    canvas.SetPen(clear);
    auto fill = [&](TColor c, const TRect& r) {
        TBrush brush;
        brush.Color = c;
        canvas.SetBrush(brush);
        canvas.FillRect(r);
    };
    switch (style) {
    case gsHorizontal:
        for (int i = 0; i < 256; ++i)
            fill(Mix(begin, end, i, 255), TRect{l + MulDiv(i, w, 256), t, l + MulDiv(i + 1, w, 256), t + h});
        break;
    case gsVertical:
        for (int i = 0; i < 256; ++i)
            fill(Mix(begin, end, i, 255), TRect{l, t + MulDiv(i, h, 256), l + w, t + MulDiv(i + 1, h, 256)});
        break;
    case gsRectangle: {
        double x1 = l, y1 = t, x2 = l + w, y2 = t + h;
        const double dx = w / 2.0 / 255, dy = h / 2.0 / 255;
        for (int i = 0; i < 256; ++i) {
            x1 += dx, y1 += dy, x2 -= dx, y2 -= dy;
            TBrush brush;
            brush.Color = Mix(begin, end, i, 255);
            canvas.SetBrush(brush);
            canvas.Rectangle(TRect{int(x1), int(y1), int(x2), int(y2)});
        }
        break;
    }
    case gsElliptic: {
        canvas.PushClipRect(rect);
        double x1 = l - w / 4.0, y1 = t - h / 4.0, x2 = l + w + w / 4.0, y2 = t + h + h / 4.0;
        const double dx = (w / 4.0 + w / 2.0) / 155, dy = (h / 4.0 + h / 2.0) / 155;
        for (int i = 0; i < 156; ++i) {
            x1 += dx, y1 += dy, x2 -= dx, y2 -= dy;
            TBrush brush;
            brush.Color = Mix(begin, end, i, 155);
            canvas.SetBrush(brush);
            canvas.Ellipse(TRect{int(x1), int(y1), int(x2), int(y2)});
        }
        canvas.PopClipRect();
        break;
    }
    case gsVertCenter: {
        const int n = h / 2;
        for (int i = 0; i <= n; ++i) {
            const TColor c = Mix(begin, end, i, std::max(n, 1));
            fill(c, TRect{l, t + i, l + w, t + i + 1});
            fill(c, TRect{l, t + h - i - 1, l + w, t + h - i});
        }
        break;
    }
    case gsHorizCenter: {
        const int n = w / 2;
        for (int i = 0; i <= n; ++i) {
            const TColor c = Mix(begin, end, i, std::max(n, 1));
            fill(c, TRect{l + i, t, l + i + 1, t + h});
            fill(c, TRect{l + w - i - 1, t, l + w - i, t + h});
        }
        break;
    }
    default: break;
    }
}

void TVNRoundRectView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    const bool allSides = LeftFrame().Visible && TopFrame().Visible && RightFrame().Visible && BottomFrame().Visible;
    ScaleForPaint();
    if (!VNState().ExportMode) {
        if (Gradient()) {
            const TColor end = FillColor == clNone ? clWhite : FillColor;
            PaintGradient(*canvas, TRect{Left, Top, Left + Width + 1, Top + Height + 1}, ShadowColor, end, RoundSize);
            PaintFrame();
        } else {
            const int shadow = RoundToIntClamped(std::clamp(ShadowWidth, 0, 1000) * PaintScaleY);
            const int corner = RoundToIntClamped(std::clamp(RoundSize, 0, 1000) * PaintScaleY);
            const TRect box{Left, Top, Left + Width - shadow + 1, Top + Height - shadow + 1};
            TPen none;
            none.Style = TPenStyle::Clear;
            TBrush brush;
            brush.Color = ShadowColor;
            canvas->SetPen(none);
            canvas->SetBrush(brush);
            const TRect shadowBox{box.Left + shadow, box.Top + shadow, box.Right + shadow, box.Bottom + shadow};
            if (shadow > 0) {
                if (RoundRect)
                    canvas->RoundRect(shadowBox, corner, corner);
                else
                    canvas->Rectangle(shadowBox);
            }
            brush.Color = FillColor == clNone ? clWhite : FillColor;
            canvas->SetBrush(brush);
            TPen outline;
            outline.Color = allSides ? LeftFrame().Color : brush.Color;
            outline.Width = allSides ? std::max(1, RoundToIntClamped(LeftFrame().Width)) : 1;
            canvas->SetPen(outline);
            if (RoundRect)
                canvas->RoundRect(box, corner, corner);
            else
                canvas->Rectangle(box);
        }
    }
    UnscaleAfterPaint();
    // The text goes into the box less its shadow and a quarter of the corner on every side, drawn
    // by the memo painter with neither fill nor frame of its own.
    const std::int32_t keep[4] = {Left, Top, Width, Height};
    const TVNFrameLine keepFrames[4] = {LeftFrame(), TopFrame(), RightFrame(), BottomFrame()};
    const TColor keepFill = FillColor;
    const int quarter = std::clamp(RoundSize, 0, 1000) / 4;
    const int shadow = Gradient() ? 0 : std::clamp(ShadowWidth, 0, 1000);
    Left += quarter;
    Top += quarter;
    Width = std::max(0, Width - shadow - 2 * quarter);
    Height = std::max(0, Height - shadow - 2 * quarter);
    for (int i = 0; i < 4; ++i)
        Frames()[i].Visible = 0;
    FillColor = clNone;
    const std::uint16_t keepDiagonal = DiagonalType;
    DiagonalType = 0;
    {
        TScopedValue running(VNState().RunMode, true); // no design-time fill behind the text
        TVNMemoView::Paint(canvas);
    }
    DiagonalType = keepDiagonal;
    FillColor = keepFill;
    for (int i = 0; i < 4; ++i)
        Frames()[i] = keepFrames[i];
    Left = keep[0], Top = keep[1], Width = keep[2], Height = keep[3];
}
