// Memo text layout: the measuring canvas, word wrap of single- and double-byte text, the
// MangeTag font switches, and the memo's measuring slots (MeasureHeight, MinLineHeight,
// FitHeight, RemainingHeight). Widths are summed piece by piece, so a line of n pieces costs n
// measurements, each of which the canvas answers from its per-font advance cache.
#include "VNMemoLayout.h"

#include "VNMemoPaint.h"

#include "VNEngine.h"
#include "VNMemoView.h"
#include "VNReport.h"
#include "expr/VNFormat.h"

#include "platform/FixedCanvas.h"
#include "platform/Locale.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

ICanvas* InstalledCanvas = nullptr;

std::uint16_t CodeAt(std::string_view text, std::size_t at) {
    return std::uint16_t(std::uint8_t(text[at]) << 8 | std::uint8_t(text[at + 1]));
}

const std::unordered_set<std::uint16_t>& LineStartMarks() {
    static const std::unordered_set<std::uint16_t> marks = [] {
        const AnsiString all =
            Utf8ToAnsi("。，、；：？！…—·ˉ‘’“”～∶＂＇｀｜〔〕〈〉《》「」『』．〖〗【】（）［］｛｝");
        std::unordered_set<std::uint16_t> set;
        for (std::size_t i = 0; i + 1 < all.size(); i += CharLengthAt(all, i))
            if (CharLengthAt(all, i) == 2) set.insert(CodeAt(all, i));
        return set;
    }();
    return marks;
}

bool IsMangeControl(char c) {
    return c == '~' || c == '_' || c == '|';
}

// The length of a piece along the line.
struct TMeasurer {
    ICanvas& Canvas;
    bool MangeTag;
    bool Stacked;
    int CellHeight = 0;
    int Measure(std::string_view piece) {
        if (Stacked) {
            int count = DrawnCharCount(piece, MangeTag);
            return count * CellHeight;
        }
        return MangeTag ? MangeTextWidth(Canvas, piece) : Canvas.TextWidth(piece);
    }
};

// Normal wrap of one line (no line breaks left in it).
void WrapOne(std::string_view text, int width, bool wordBreak, TMeasurer& m, TVNStrings& out) {
    AnsiString line;
    int lineWidth = 0;
    auto endLine = [&] {
        line += VNLineEnd;
        out.push_back(std::move(line));
        line.clear();
        lineWidth = 0;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        if (CharLengthAt(text, i) == 2) {
            end = i + 2;
        } else {
            while (end < text.size() && CharLengthAt(text, end) == 1) {
                char c = text[end++];
                if (c == ' ' || c == '-' || c == '\r') break;
            }
        }
        std::string_view piece = text.substr(i, end - i);
        i = end;
        const int pieceWidth = m.Measure(piece);
        if (wordBreak && !line.empty() && i + 1 < text.size() && CharLengthAt(text, i) == 2 &&
            IsLineStartForbidden(text, i)) {
            // The mark would be left to start the next line alone: the piece goes down with it.
            if (lineWidth + pieceWidth + m.Measure(text.substr(i, 2)) > width) endLine();
        }
        if (lineWidth + pieceWidth <= width) {
            line.append(piece);
            lineWidth += pieceWidth;
            continue;
        }
        if (!line.empty()) endLine();
        if (pieceWidth <= width) {
            line.assign(piece);
            lineWidth = pieceWidth;
            continue;
        }
        // Wider than a whole line: cut between characters, at least one on each line.
        for (std::size_t k = 0; k < piece.size();) {
            std::size_t len = CharLengthAt(piece, k);
            std::string_view ch = piece.substr(k, len);
            int w = m.Measure(ch);
            if (!line.empty() && lineWidth + w >= width) endLine();
            line.append(ch);
            lineWidth += w;
            k += len;
        }
    }
    endLine();
}

} // namespace

ICanvas& VNMeasureCanvas() {
    static TFixedCanvas fallback(96, 96);
    return InstalledCanvas ? *InstalledCanvas : fallback;
}

void SetVNMeasureCanvas(ICanvas* canvas) {
    InstalledCanvas = canvas;
}

TVNPrinterMeasure& VNPrinterMeasure() {
    static TVNPrinterMeasure measure;
    return measure;
}

bool IsLineStartForbidden(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size() || CharLengthAt(text, at) != 2) return false;
    return LineStartMarks().count(CodeAt(text, at)) != 0;
}

TFontSpec MangeSmallFont(const TFontSpec& font) {
    TFontSpec small = font;
    small.Size = std::max(6, font.Size / 2);
    if (font.Height != 0 && font.Size > 0)
        small.Height = RoundToIntClamped(double(font.Height) * small.Size / font.Size);
    return small;
}

int MangeTextWidth(ICanvas& canvas, std::string_view text) {
    const TFontSpec normal = canvas.Font();
    const TFontSpec small = MangeSmallFont(normal);
    int width = 0;
    std::size_t runStart = 0;
    bool isSmall = false;
    auto flush = [&](std::size_t end) {
        if (end > runStart) width += canvas.TextWidth(text.substr(runStart, end - runStart));
    };
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
        char c = text[i];
        if (!IsMangeControl(c) && c != VNLineEnd) continue;
        flush(i);
        runStart = i + 1;
        if (c == VNLineEnd) continue;
        bool wantSmall = c != '|';
        if (wantSmall != isSmall) {
            canvas.SetFont(wantSmall ? small : normal);
            isSmall = wantSmall;
        }
    }
    flush(text.size());
    if (isSmall) canvas.SetFont(normal);
    return width;
}

int DrawnCharCount(std::string_view text, bool mangeTag) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
        char c = text[i];
        if (c == VNLineEnd || (mangeTag && IsMangeControl(c))) continue;
        ++count;
    }
    return count;
}

AnsiString StripLineEnds(std::string_view text) {
    AnsiString s;
    s.reserve(text.size());
    for (char c : text)
        if (c != VNLineEnd) s += c;
    return s;
}

void WrapLines(ICanvas& canvas, const TVNStrings& lines, const TVNWrapOptions& o, TVNStrings& out) {
    if (o.PreWrapped) {
        out.insert(out.end(), lines.begin(), lines.end());
        return;
    }
    TMeasurer m{canvas, o.MangeTag, o.Stacked};
    if (o.Stacked) m.CellHeight = canvas.TextHeight("W");
    auto outputWhole = [&](std::string_view line) {
        if (!o.MangeTag) {
            out.push_back(AnsiString(line) + VNLineEnd);
            return;
        }
        std::size_t start = 0;
        for (std::size_t i = 0; i <= line.size(); i += i < line.size() ? CharLengthAt(line, i) : 1) {
            if (i < line.size() && line[i] != '`') continue;
            out.push_back(AnsiString(line.substr(start, i - start)) + VNLineEnd);
            start = i + 1;
        }
    };
    if (o.KeepBracketLine && lines.size() == 1 && !lines[0].empty() && lines[0][0] == '[' &&
        m.Measure(lines[0]) > o.Width) {
        out.push_back(lines[0] + VNLineEnd);
        return;
    }
    for (const AnsiString& line : lines) {
        if (!o.WordWrap) {
            outputWhole(line);
            continue;
        }
        AnsiString text;
        text.reserve(line.size());
        for (char c : line)
            if (c != '\n') text += c;
        // Each part between carriage returns (and "`" with MangeTag) wraps as its own line.
        std::size_t start = 0;
        for (std::size_t i = 0; i <= text.size(); i += i < text.size() ? CharLengthAt(text, i) : 1) {
            if (i < text.size() && text[i] != '\r' && !(o.MangeTag && text[i] == '`')) continue;
            WrapOne(std::string_view(text).substr(start, i - start), o.Width, o.WordBreak, m, out);
            start = i + 1;
        }
    }
}

TRect MemoTextRect(const TVNMemoView& memo) {
    const TRect& r = memo.InnerRect;
    return TRect{r.Left + 1, r.Top, r.Right - 2, r.Bottom - 1};
}

int MemoFontHeight(int size, double scale) {
    const double px = size * 96.0 / 72.0 * scale;
    // A scaled paint truncates; the report-pixel size rounds.
    return -(scale == 1.0 ? RoundToIntClamped(px) : ClampToInt(px));
}

int MemoFrameAllowance(const TVNView& memo) {
    int allowance = 0;
    for (const TVNFrameLine* f : {&memo.TopFrame(), &memo.BottomFrame()}) {
        if (!f->Visible) continue;
        allowance += RoundToIntClamped(f->Width / 2.0);
        if (f->Style & fsDoubleLine) allowance += RoundToIntClamped(2.0 * f->Width);
    }
    return allowance;
}

void WrapMemo(TVNMemoView& memo, TVNStrings& out) {
    out.clear();
    const int rotation = memo.RotationType;
    const bool rotated = rotation == rt90 || rotation == rt180 || rotation == rt270;
    TVNPrinterMeasure& printer = VNPrinterMeasure();
    const bool onPrinter = printer.Canvas && (memo.Flags & flWordWrap) && !memo.PreWrapped;
    ICanvas& canvas = onPrinter ? *printer.Canvas : VNMeasureCanvas();
    const double sx = onPrinter ? printer.ScaleX : 1.0, sy = onPrinter ? printer.ScaleY : 1.0;

    TRect rect = MemoTextRect(memo);
    int gapX = memo.GapX, gapY = memo.GapY, lineSpacing = memo.LineSpacing, charSpacing = memo.CharSpacing;
    if (onPrinter) {
        gapX = RoundToIntClamped(gapX * sx + 0.5);
        gapY = RoundToIntClamped(gapY * sy + 0.5);
        lineSpacing = RoundToIntClamped(lineSpacing * sy);
        charSpacing = RoundToIntClamped(charSpacing * sx);
        rect = TRect{RoundToIntClamped(rect.Left * sx + 0.5), RoundToIntClamped(rect.Top * sy + 0.5),
                     RoundToIntClamped(rect.Right * sx - 0.5), RoundToIntClamped(rect.Bottom * sy - 0.5)};
    }
    int extraWidth = (VNState().RunMode && (memo.Flags & flAutoWidth)) ? 100 : 0;
    const int usableWidth = rect.Width() + extraWidth - 2 * gapX;
    const int usableHeight = rect.Height() - 2 * gapY;

    auto measureFont = [&] {
        TFontSpec f = memo.Font;
        f.Height = onPrinter ? 0 : MemoFontHeight(memo.Font.Size, 1.0);
        f.Width = rotation == rt180 ? 0 : memo.FontScaleWidth;
        f.Angle = rotation == rt90 ? 900 : rotation == rt270 ? 2700 : 0;
        return f;
    };
    canvas.SetCharSpacing(charSpacing);

    // Width scaling: the font shrinks until every line fits the width.
    if (VNState().RunMode && (memo.Flags2 & fl2ScaleFontSize) && memo.ScaleFontType == 0 && !memo.PreWrapped &&
        usableWidth > 9) {
        while (memo.Font.Size > 0) {
            canvas.SetFont(measureFont());
            bool fits = true;
            for (const AnsiString& line : memo.Memo1)
                if (((memo.Flags2 & fl2MangeTag) ? MangeTextWidth(canvas, line) : canvas.TextWidth(line)) >
                    usableWidth) {
                    fits = false;
                    break;
                }
            if (fits) break;
            --memo.Font.Size;
        }
    }
    const TFontSpec font = measureFont();
    canvas.SetFont(font);

    TVNWrapOptions o;
    o.Width = rotated ? usableHeight : usableWidth;
    o.WordWrap = memo.Flags & flWordWrap;
    o.WordBreak = memo.Flags & flWordBreak;
    o.MangeTag = memo.Flags2 & fl2MangeTag;
    o.PreWrapped = memo.PreWrapped;
    o.Stacked = rotation == rt180;
    o.KeepBracketLine = !VNState().RunMode;
    WrapLines(canvas, memo.Memo1, o, out);
    canvas.SetCharSpacing(0);

    const int em = font.Height < 0
                       ? -font.Height
                       : RoundToIntClamped(double(memo.Font.Size) * canvas.PixelsPerInchY() / 72.0);
    int lineHeight = lineSpacing + em;
    int textHeight = int(out.size()) * lineHeight - lineSpacing;
    if (onPrinter) {
        textHeight = int(textHeight / sy) + 1;
        lineHeight = int(lineHeight / sy) + 1;
    }
    memo.LineHeight = lineHeight;
    memo.TextHeight = textHeight;
}

// ---- measuring slots of the memo --------------------------------------------------------------

int TVNMemoView::MeasureHeight() {
    ApplyBandAlign();
    RunScript(0);
    int height = 0;
    if (Visible) {
        Memo1 = Memo;
        TVNReport* report = Report();
        bool evaluate = true;
        if (report && report->OnBeforePrint) {
            report->OnBeforePrint(Memo1, this);
            evaluate = Memo1 == Memo;
        }
        if (evaluate) EvaluateText();
        const TFontSpec keepFont = Font;
        const TColor keepFill = FillColor;
        ApplyMemoHighlight(*this);
        ScaleForPaint();
        PreWrapped = false;
        if (!Memo1.empty()) {
            TVNStrings out;
            WrapMemo(*this, out);
            Memo1 = std::move(out);
            height = TextHeight + 2 * GapY + MemoFrameAllowance(*this);
            if ((Flags & flSuppress) && !(Flags & flMergeRepeated) && JoinLines(Memo1) == LastValue)
                height = 0;
        }
        UnscaleAfterPaint();
        // The measured size stays (only highlight colours are undone); width scaling keeps its font.
        const int keptSize = Font.Size;
        Font = keepFont;
        Font.Size = keptSize;
        FillColor = keepFill;
    }
    RunScript(1);
    DrawMode = 1;
    return height;
}

int TVNMemoView::MinLineHeight() {
    return LineSpacing + GapY - MemoFontHeight(Font.Size, 1.0);
}

int TVNMemoView::RemainingHeight() {
    return int(Memo1.size()) * (LineSpacing - MemoFontHeight(Font.Size, 1.0));
}

int TVNMemoView::FitHeight() {
    const double frames =
        (TopFrame().Visible ? TopFrame().Width : 0.0) + (BottomFrame().Visible ? BottomFrame().Width : 0.0);
    const int f = RoundToIntClamped(frames);
    const int lineHeight = LineSpacing - MemoFontHeight(Font.Size, 1.0);
    if (lineHeight <= 0) return 2 * GapY + f;
    return 2 * GapY + f + (Height - f - 2 * GapY) % lineHeight;
}

int TVNMemoView::CalcTextWidth(const TVNStrings& lines) {
    ICanvas& canvas = VNMeasureCanvas();
    TFontSpec font = Font;
    font.Height = MemoFontHeight(Font.Size, 1.0);
    font.Width = FontScaleWidth;
    canvas.SetFont(font);
    canvas.SetCharSpacing(CharSpacing);
    int widest = 0;
    for (const AnsiString& line : lines) {
        const AnsiString text = StripLineEnds(line);
        widest =
            std::max(widest, (Flags2 & fl2MangeTag) ? MangeTextWidth(canvas, text) : canvas.TextWidth(text));
    }
    canvas.SetCharSpacing(0);
    return widest;
}

// ---- bracket values ---------------------------------------------------------------------------

AnsiString TVNMemoView::EvaluateBracket(const AnsiString& group) {
    AnsiString expression, formatText = FormatText;
    int code = Format;
    SplitInlineFormat(group, expression, code, formatText);
    TVNReport* report = Report();
    if (report && report->BlankRowMode) return AnsiString();
    if (!report || !report->ExpressionEvaluator) {
        // Without an expression side the report may still turn a group into text.
        if (report && report->TextEvaluator) return report->TextEvaluator(expression);
        return expression;
    }
    const Value value = report->ExpressionEvaluator(expression);
    if ((Flags & flHideZeros) && !value.IsString() && !value.IsEmptyOrNull() && !value.IsArray() &&
        !value.IsRecordSet() && value.AsFloat() == 0.0)
        return AnsiString();
    return FormatValue(value, code, formatText);
}
