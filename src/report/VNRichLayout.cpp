// Rich-text lines: pieces of each paragraph measured with their own fonts and filled into lines,
// and the lines drawn piece by piece (character by character when justified).
#include "VNRichLayout.h"

#include "VNEngineState.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

TFontSpec RichFont(const TVNRichFormat& format, double scale) {
    TFontSpec f;
    f.Name = format.FontName;
    f.Size = std::max(1, (format.HalfPoints + 1) / 2);
    f.Height = -std::max(1, int(std::lround(format.HalfPoints * VNState().ScreenDPI / 144.0 * scale)));
    f.Style = format.Style;
    f.Color = format.Color;
    f.Charset = format.Charset;
    return f;
}

namespace {

struct TToken {
    std::size_t Run = 0;
    std::size_t Start = 0; // paragraph offset
    std::size_t Length = 0;
    int Width = 0;
    bool Tab = false;
    bool Blank = false; // ends with a blank (not counted in the line's width at its end)
    bool BreakAfter = false;
};

class TParagraphLayout {
public:
    TParagraphLayout(ICanvas& canvas, const TVNRichParagraph& p, std::size_t paragraph, std::size_t from, int width,
                     double scale, std::vector<TVNRichLine>& out)
        : FCanvas(canvas), FPara(p), FIndex(paragraph), FWidth(std::max(1, width)), FScale(scale), FOut(out) {
        Tokenize(from);
        FTabWidth = std::max(1, int(std::lround(VNState().ScreenDPI / 2.0 * scale)));
        FLine.Start = {paragraph, from};
        FLine.Align = p.Align;
    }

    void Run() {
        std::size_t i = 0;
        while (i < FTokens.size()) {
            std::size_t j = i; // the word is tokens i..j
            while (j + 1 < FTokens.size() && !FTokens[j].BreakAfter)
                ++j;
            int wordWidth = 0;
            for (std::size_t k = i; k <= j; ++k)
                wordWidth += FTokens[k].Tab ? TabWidth(FX + wordWidth) : FTokens[k].Width;
            if (FX + wordWidth > FWidth && !FLine.Pieces.empty()) {
                EndLine(FTokens[i].Start, false);
                wordWidth = 0;
                for (std::size_t k = i; k <= j; ++k)
                    wordWidth += FTokens[k].Tab ? TabWidth(FX + wordWidth) : FTokens[k].Width;
            }
            if (FX + wordWidth > FWidth && FX == 0 && !FTokens[i].Tab) {
                PlaceByCharacters(i, j);
            } else {
                for (std::size_t k = i; k <= j; ++k)
                    Place(FTokens[k]);
            }
            i = j + 1;
        }
        EndLine(FPara.Size(), true);
    }

private:
    const TVNRichRun& RunOf(const TToken& t) const { return FPara.Runs[t.Run]; }

    int TabWidth(int x) const { return (x / FTabWidth + 1) * FTabWidth - x; }

    void Tokenize(std::size_t from) {
        std::size_t at = 0;
        for (std::size_t r = 0; r < FPara.Runs.size(); ++r) {
            const AnsiString& text = FPara.Runs[r].Text;
            const std::size_t runStart = at;
            at += text.size();
            if (at <= from) continue;
            FCanvas.SetFont(RichFont(FPara.Runs[r].Format, FScale));
            std::size_t i = from > runStart ? from - runStart : 0;
            while (i < text.size()) {
                TToken t;
                t.Run = r;
                t.Start = runStart + i;
                if (text[i] == '\t') {
                    t.Length = 1;
                    t.Tab = true;
                    t.BreakAfter = true;
                } else if (CharLengthAt(text, i) == 2) {
                    t.Length = 2;
                    t.BreakAfter = true;
                } else {
                    std::size_t k = i;
                    while (k < text.size() && text[k] != '\t' && CharLengthAt(text, k) == 1) {
                        const char c = text[k++];
                        if (c == ' ' || c == '-') break;
                    }
                    t.Length = k - i;
                    const char last = text[k - 1];
                    t.Blank = last == ' ';
                    t.BreakAfter = last == ' ' || last == '-';
                }
                if (!t.Tab) t.Width = FCanvas.TextWidth(std::string_view(text).substr(i, t.Length));
                i += t.Length;
                FTokens.push_back(t);
            }
        }
        // A single-byte word running into the next run goes on; anything else may break.
        for (std::size_t k = 0; k < FTokens.size(); ++k) {
            TToken& t = FTokens[k];
            if (t.BreakAfter) continue;
            const bool nextSingle = k + 1 < FTokens.size() && !FTokens[k + 1].Tab &&
                                    CharLengthAt(RunOf(FTokens[k + 1]).Text,
                                                 FTokens[k + 1].Start - RunStart(FTokens[k + 1].Run)) == 1;
            t.BreakAfter = !nextSingle;
        }
    }

    std::size_t RunStart(std::size_t run) const {
        std::size_t at = 0;
        for (std::size_t r = 0; r < run; ++r)
            at += FPara.Runs[r].Text.size();
        return at;
    }

    int CellHeight(const TVNRichFormat& f) {
        FCanvas.SetFont(RichFont(f, FScale));
        return FCanvas.TextHeight("");
    }

    void AddText(const TToken& t, std::size_t start, std::size_t length, int width) {
        const TVNRichRun& run = RunOf(t);
        const std::string_view text = std::string_view(run.Text).substr(start - RunStart(t.Run), length);
        if (!FLine.Pieces.empty() && FLastRun == t.Run && FLastEnd == start) {
            FLine.Pieces.back().Text.append(text);
        } else {
            TVNRichPiece piece;
            piece.X = FX;
            piece.Format = run.Format;
            piece.Height = CellHeight(run.Format);
            piece.Text = AnsiString(text);
            FLine.Pieces.push_back(std::move(piece));
        }
        FLastRun = t.Run;
        FLastEnd = start + length;
        FX += width;
    }

    void Place(const TToken& t) {
        if (t.Tab) {
            // A tab is room, not a piece: the next text starts a new piece further right.
            if (FLine.Pieces.empty()) FLine.Pieces.push_back({FX, CellHeight(RunOf(t).Format), RunOf(t).Format, {}});
            FX += TabWidth(FX);
            FLastRun = SIZE_MAX;
            FContentWidth = FX;
            return;
        }
        AddText(t, t.Start, t.Length, t.Width);
        // Blanks at the end of a line take no room when the line is aligned.
        if (!t.Blank)
            FContentWidth = FX;
        else if (t.Length > 1)
            FContentWidth = FX - BlankWidth(t);
    }

    int BlankWidth(const TToken& t) {
        FCanvas.SetFont(RichFont(RunOf(t).Format, FScale));
        return FCanvas.TextWidth(" ");
    }

    // A word longer than a whole line: as many characters as fit on each line, at least one.
    void PlaceByCharacters(std::size_t first, std::size_t last) {
        for (std::size_t k = first; k <= last; ++k) {
            const TToken& t = FTokens[k];
            const AnsiString& text = RunOf(t).Text;
            const std::size_t base = RunStart(t.Run);
            FCanvas.SetFont(RichFont(RunOf(t).Format, FScale));
            for (std::size_t i = t.Start - base; i < t.Start - base + t.Length;) {
                const std::size_t n = CharLengthAt(text, i);
                const int w = FCanvas.TextWidth(std::string_view(text).substr(i, n));
                if (FX + w > FWidth && !FLine.Pieces.empty()) {
                    EndLine(base + i, false);
                    FCanvas.SetFont(RichFont(RunOf(t).Format, FScale));
                }
                AddText(t, base + i, n, w);
                FContentWidth = FX;
                i += n;
            }
        }
    }

    void EndLine(std::size_t nextStart, bool last) {
        FLine.End = last ? TVNRichPos{FIndex + 1, 0} : TVNRichPos{FIndex, nextStart};
        FLine.Width = FContentWidth;
        FLine.Justify = FPara.Align == raJustify && !last;
        int h = 0;
        for (const TVNRichPiece& p : FLine.Pieces)
            h = std::max(h, p.Height);
        if (h == 0) h = CellHeight(FPara.Runs.empty() ? FPara.EndFormat : FPara.Runs.back().Format);
        FLine.Height = h;
        FOut.push_back(std::move(FLine));
        FLine = TVNRichLine{};
        FLine.Start = {FIndex, nextStart};
        FLine.Align = FPara.Align;
        FX = 0;
        FContentWidth = 0;
        FLastRun = SIZE_MAX;
    }

    ICanvas& FCanvas;
    const TVNRichParagraph& FPara;
    std::size_t FIndex;
    int FWidth;
    double FScale;
    std::vector<TVNRichLine>& FOut;
    std::vector<TToken> FTokens;
    int FTabWidth = 48;
    TVNRichLine FLine;
    int FX = 0;
    int FContentWidth = 0;
    std::size_t FLastRun = SIZE_MAX;
    std::size_t FLastEnd = 0;
};

} // namespace

std::vector<TVNRichLine> LayoutRich(ICanvas& canvas, const TVNRichDocument& document, TVNRichPos from, int width,
                                    double scale) {
    std::vector<TVNRichLine> lines;
    const TFontSpec keepFont = canvas.Font();
    const int keepSpacing = canvas.CharSpacing();
    canvas.SetCharSpacing(0);
    for (std::size_t p = from.Paragraph; p < document.Paragraphs.size(); ++p) {
        const std::size_t offset = p == from.Paragraph ? std::min(from.Offset, document.Paragraphs[p].Size()) : 0;
        TParagraphLayout(canvas, document.Paragraphs[p], p, offset, width, scale, lines).Run();
    }
    canvas.SetFont(keepFont);
    canvas.SetCharSpacing(keepSpacing);
    return lines;
}

int RichLinesHeight(const std::vector<TVNRichLine>& lines) {
    long long h = 0;
    for (const TVNRichLine& l : lines)
        h += l.Height;
    return int(std::min<long long>(h, 1000000));
}

std::size_t RichLinesFitting(const std::vector<TVNRichLine>& lines, int height) {
    long long y = 0;
    std::size_t n = 0;
    for (const TVNRichLine& l : lines) {
        if (y + l.Height > height) break;
        y += l.Height;
        ++n;
    }
    return n;
}

void DrawRichLines(ICanvas& canvas, const std::vector<TVNRichLine>& lines, const TRect& rect, double scale) {
    const TFontSpec keepFont = canvas.Font();
    int y = rect.Top;
    for (const TVNRichLine& line : lines) {
        if (y >= rect.Bottom) break;
        const int spare = rect.Width() - line.Width;
        int x0 = rect.Left;
        if (line.Align == raRight) x0 = rect.Right - line.Width;
        if (line.Align == raCenter) x0 = rect.Left + spare / 2;
        int chars = 0;
        if (line.Justify)
            for (const TVNRichPiece& p : line.Pieces)
                for (std::size_t i = 0; i < p.Text.size(); i += CharLengthAt(p.Text, i))
                    ++chars;
        const int extra = line.Justify && chars > 1 && spare > 0 ? spare / (chars - 1) : 0;
        int before = 0; // characters drawn so far in the line (justified spacing)
        for (const TVNRichPiece& p : line.Pieces) {
            if (p.Text.empty()) continue;
            canvas.SetFont(RichFont(p.Format, scale));
            const int top = y + line.Height - p.Height;
            int x = x0 + p.X + extra * before;
            if (extra == 0) {
                canvas.TextOut(x, top, p.Text);
                continue;
            }
            for (std::size_t i = 0; i < p.Text.size();) {
                const std::size_t n = CharLengthAt(p.Text, i);
                const std::string_view ch = std::string_view(p.Text).substr(i, n);
                canvas.TextOut(x, top, ch);
                x += canvas.TextWidth(ch) + extra;
                ++before;
                i += n;
            }
        }
        y += line.Height;
    }
    canvas.SetFont(keepFont);
}
