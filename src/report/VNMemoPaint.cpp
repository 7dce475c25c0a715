// Memo drawing and writing: Paint (auto width, background, frame, ruled lines, the text in every
// rotation), the export-mode line report, the highlight, and WriteToPage with its three draw
// modes, Suppress and MergeRepeated.
//
// A merge rewrites the memo's previous record in place; it is done only when the rewritten record
// has exactly the old record's length and lies in the same page stream, so a merge can never
// corrupt the records written after it.
#include "VNMemoPaint.h"

#include "VNBand.h"
#include "VNEngine.h"
#include "VNMemoLayout.h"
#include "VNMemoView.h"
#include "VNPage.h"
#include "VNReport.h"

#include "platform/Canvas.h"
#include "platform/Locale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

bool ContainsLineEnd(const TVNStrings& lines) {
    for (const AnsiString& l : lines)
        if (l.find(VNLineEnd) != AnsiString::npos) return true;
    return false;
}

bool InBlankRow(const TVNMemoView& memo) {
    const TVNReport* report = memo.Report();
    return report && report->BlankRowMode;
}

// The em height of the canvas font in pixels.
int EmOf(const TFontSpec& f, const ICanvas& canvas) {
    if (f.Height < 0) return -f.Height;
    return RoundToIntClamped(double(f.Size) * canvas.PixelsPerInchY() / 72.0);
}

// Draws one line character by character (MangeTag, justified and rotated lines).
struct TCharDrawer {
    ICanvas& Canvas;
    const TVNMemoView& Memo;
    TFontSpec Normal;
    int Em = 0;
    int CellHeight = 0;
    double ScaleY = 1.0;

    void Draw(std::string_view text, int x, int y, int extra) {
        const int rot = Memo.RotationType;
        const bool mange = Memo.Flags2 & fl2MangeTag;
        const TFontSpec small = MangeSmallFont(Normal);
        int shift = 0;
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t len = CharLengthAt(text, i);
            const std::string_view ch = text.substr(i, len);
            i += len;
            if (mange && len == 1 && (ch[0] == '~' || ch[0] == '_' || ch[0] == '|')) {
                Canvas.SetFont(ch[0] == '|' ? Normal : small);
                shift = ch[0] == '_' ? RoundToIntClamped((Normal.Size / 2.0 + 2) * ScaleY) : 0;
                continue;
            }
            switch (rot) {
            case rt90: {
                const int w = Canvas.TextWidth(ch);
                Canvas.TextOut(x + shift, y, ch);
                y -= w + extra;
                break;
            }
            case rt270: {
                const int w = Canvas.TextWidth(ch);
                Canvas.TextOut(x - shift, y, ch);
                y += w + extra;
                break;
            }
            case rt180: {
                // Upright characters stacked in a column whose right edge is x.
                const int w = Canvas.TextWidth(ch);
                Canvas.TextOut(x - (Em + w) / 2, y + shift, ch);
                y += CellHeight + extra;
                break;
            }
            case rt360: {
                const int w = Canvas.TextWidth(ch);
                Canvas.TextOut(x, y + Em + shift, ch);
                x += w + extra;
                break;
            }
            default: {
                const int w = Canvas.TextWidth(ch);
                Canvas.TextOut(x, y + shift, ch);
                x += w + extra;
                break;
            }
            }
        }
        Canvas.SetFont(Normal);
    }
};

} // namespace

IVNTextLineSink* ExportLineSink(const TVNView& view) {
    if (!VNState().ExportMode) return nullptr;
    TVNReport* report = view.Report();
    return report ? dynamic_cast<IVNTextLineSink*>(report->ExportSink) : nullptr;
}

int MemoLineFrameBits(int frameTyp, int index, int count, bool rotated) {
    if (rotated) return 0;
    if (count <= 1) return frameTyp;
    if (index == 0) return frameTyp & ~VNftBottom;
    if (index == count - 1) return frameTyp & ~VNftTop;
    return frameTyp & ~(VNftTop | VNftBottom);
}

void ApplyMemoHighlight(TVNMemoView& memo) {
    if (memo.HighlightCondition.empty() || InBlankRow(memo)) return;
    TVNReport* report = memo.Report();
    if (!report || !report->ExpressionEvaluator) return;
    // VALUE is the memo's current value: its evaluated text, as a number where it is one.
    AnsiString text;
    for (const AnsiString& line : memo.Memo1)
        for (char c : line)
            if (c != '\r' && c != '\n' && c != '\x01') text += c;
    const std::optional<double> number = TryStrToFloat(text);
    Value v;
    {
        const Value keep = report->HighlightValue;
        report->HighlightValue = number ? Value::Float(*number) : Value::String(Trim(text));
        try {
            v = report->ExpressionEvaluator(memo.HighlightCondition);
        } catch (...) {
            report->HighlightValue = keep;
            throw;
        }
        report->HighlightValue = keep;
    }
    bool on = false;
    if (v.IsString())
        on = !v.AsString().empty() && v.AsString() != "0";
    else if (!v.IsEmptyOrNull() && !v.IsArray() && !v.IsRecordSet())
        on = v.AsFloat() != 0.0;
    if (!on) return;
    memo.Font.Style = memo.HighlightFontStyle;
    memo.Font.Color = memo.HighlightFontColor;
    memo.FillColor = memo.HighlightFillColor;
}

void DrawMemoLines(TVNMemoView& m, ICanvas& canvas, bool countOnly) {
    const double sx = m.PaintScaleX, sy = m.PaintScaleY;
    const int rot = m.RotationType;
    const bool rotated = rot == rt90 || rot == rt180 || rot == rt270;
    const bool mange = m.Flags2 & fl2MangeTag;
    TFontSpec font = m.Font;
    font.Height = m.IsPrinting ? 0 : MemoFontHeight(m.Font.Size, sy);
    font.Width = rot == rt180 ? 0 : m.FontScaleWidth;
    font.Angle = (rot == rt90 || rot == rt360) ? 900 : rot == rt270 ? 2700 : 0;
    canvas.SetFont(font);
    canvas.SetCharSpacing(RoundToIntClamped(m.CharSpacing * sx));
    canvas.SetRightToLeft(m.Flags & flRTLReading);
    const int em = EmOf(font, canvas);
    const int cellHeight = rot == rt180 ? canvas.TextHeight("W") : 0;
    const TRect r = MemoTextRect(m);
    const int textHeight = RoundToIntClamped(m.TextHeight * sy);
    const int step = RoundToIntClamped(m.LineSpacing * sy) + em;
    const int align = m.Alignment();
    const int layout = m.Layout();
    const bool justify = align == vntaEuqalJustify;
    const int along = rotated ? r.Height() : r.Width();
    const int gapAlong = rotated ? m.GapY : m.GapX;

    int pos; // across the lines: y for horizontal text, x of the column otherwise
    if (rot == rt90)
        pos = layout == vntlCenter   ? r.Left + (r.Width() - textHeight) / 2
              : layout == vntlBottom ? r.Right - textHeight - m.GapX
                                     : r.Left + m.GapX;
    else if (rotated)
        pos = layout == vntlCenter   ? r.Left + (r.Right + textHeight - r.Left) / 2
              : layout == vntlBottom ? r.Left + m.GapX + textHeight
                                     : r.Right - m.GapX;
    else
        pos = layout == vntlCenter   ? r.Top + (r.Height() - textHeight) / 2
              : layout == vntlBottom ? r.Bottom - m.GapY - textHeight
                                     : r.Top + m.GapY;

    IVNTextLineSink* sink = countOnly ? nullptr : ExportLineSink(m);
    TCharDrawer drawer{canvas, m, font, em, cellHeight, sy};
    const int frameTyp = m.FrameTyp();
    const int count = int(m.Memo1.size());
    m.LinesDrawn = 0;
    for (int index = 0; index < count; ++index) {
        if (m.ClipLines) {
            const bool outside = rot == rt90 ? pos + em > r.Right
                                 : rotated   ? pos - em < r.Left
                                             : pos + em > r.Bottom;
            if (outside) break;
        }
        if (!countOnly) {
            const AnsiString text = StripLineEnds(m.Memo1[std::size_t(index)]);
            const int chars = DrawnCharCount(text, mange);
            const int length = rot == rt180 ? chars * cellHeight
                                            : (mange ? MangeTextWidth(canvas, text) : canvas.TextWidth(text));
            int extra = 0;
            if (justify && chars > 1) extra = (along - length - 2 * gapAlong) / (chars - 1);
            int a; // along the line: x for horizontal text, y otherwise
            if (rot == rt90)
                a = align == vntaRightJustify    ? r.Top + m.GapY + length
                    : align == vntaCenterJustify ? r.Top + (r.Height() + length) / 2
                                                 : r.Bottom - m.GapY;
            else if (rotated)
                a = align == vntaRightJustify    ? r.Bottom - length - m.GapY
                    : align == vntaCenterJustify ? r.Top + (r.Height() - length) / 2
                                                 : r.Top + m.GapY;
            else
                a = align == vntaRightJustify    ? r.Right - length - m.GapX
                    : align == vntaCenterJustify ? r.Left + (r.Width() - length) / 2
                                                 : r.Left + m.GapX;
            const int x = rotated ? pos : a, y = rotated ? a : pos;
            if (sink) {
                sink->TextLine(r, x, y, m, MemoLineFrameBits(frameTyp, index, count, rotated), text);
            } else if (VNState().ExportMode) {
                // Exporting without a line receiver: nothing is drawn.
            } else if (mange || justify || rotated || rot == rt360) {
                drawer.Draw(text, x, y, extra);
            } else {
                const bool shrink = VNState().RunMode && !m.IsPrinting && length > r.Width() && font.Height < -1;
                if (shrink) {
                    TFontSpec smaller = font;
                    smaller.Height += 1;
                    canvas.SetFont(smaller);
                }
                canvas.TextRect(r, x, y, text);
                if (shrink) canvas.SetFont(font);
            }
        }
        ++m.LinesDrawn;
        pos += (rotated && rot != rt90) ? -step : step;
    }
    canvas.SetCharSpacing(0);
    canvas.SetRightToLeft(false);
}

// ---- TVNMemoView painting and writing --------------------------------------------------------

void TVNMemoView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    if (VNState().RunMode && (Flags & flAutoWidth) && !Memo.empty()) {
        const double lw = LeftFrame().Visible ? LeftFrame().Width : 0.0,
                     rw = RightFrame().Visible ? RightFrame().Width : 0.0;
        const int w = RoundToIntClamped(CalcTextWidth(Memo) + 2.0 * GapX + lw / 2 + rw / 2 + 1 - CharSpacing);
        if (Adjust & 4) {
            Height = w;
        } else {
            if (Alignment() == vntaRightJustify) Left += Width - w;
            Width = w;
        }
    }
    ApplyBandAlign();
    ClipLines = false;
    Memo1 = Memo;
    PreWrapped = ContainsLineEnd(Memo1);
    if (!Memo1.empty() && Memo1.back() == AnsiString(1, VNLineEnd)) Memo1.pop_back();
    const int keepSize = Font.Size;

    // Lines are broken in report pixels, whatever the target's scale.
    const double keepSx = PaintScaleX, keepSy = PaintScaleY;
    PaintScaleX = PaintScaleY = 1.0;
    ScaleForPaint();
    TVNStrings lines;
    WrapMemo(*this, lines);
    if (VNState().RunMode && (Flags2 & fl2ScaleFontSize) && ScaleFontType == 1) {
        const int room = std::abs(MemoTextRect(*this).Height() - 2 * GapY);
        while (room < TextHeight && Font.Size >= 5) {
            --Font.Size;
            WrapMemo(*this, lines);
        }
    }
    UnscaleAfterPaint();
    if (VNState().RunMode) PaintScaleX = keepSx, PaintScaleY = keepSy;
    Memo1 = std::move(lines);

    ScaleForPaint();
    if (!VNState().ExportMode) {
        FillBackground();
        PaintFrame();
        if (Flags & flUnderlines) {
            const int em = -MemoFontHeight(Font.Size, PaintScaleY);
            const int step = RoundToIntClamped(LineSpacing * PaintScaleY) + em;
            TPen pen;
            pen.Color = TopFrame().Color;
            pen.Width = std::max(1, RoundToIntClamped(TopFrame().Width));
            canvas->SetPen(pen);
            if (step > 0)
                for (int i = 0, n = Height / step; i < n; ++i) {
                    const int y = Top + GapY + step * i + RoundToIntClamped(2 * PaintScaleY) + em;
                    canvas->MoveTo(Left, y);
                    canvas->LineTo(Left + Width - 1, y);
                }
        }
    }
    if (!Memo1.empty()) DrawMemoLines(*this, *canvas, false);
    canvas->SetCharSpacing(0);
    UnscaleAfterPaint();
    Font.Size = keepSize;
}

void TVNMemoView::NotifyPrinted() {
    TVNView::NotifyPrinted();
    if (!ExportLineSink(*this)) return;
    TScopedValue running(VNState().RunMode, true);
    Memo = Memo1.empty() ? Memo : Memo1;
    Paint(&VNMeasureCanvas());
}

void TVNMemoView::WriteToPage(TVNStream& s) {
    // Outside a build (a decoded page written back, a record copied) the memo is stored as it is.
    if (!Page || !Page->IsBuilding) {
        TVNView::WriteToPage(s);
        return;
    }
    ApplyBandAlign();
    ClipLines = true;
    TVNReport* report = Report();
    if (DrawMode == 0) {
        RunScript(0);
        bool evaluate = true;
        if (report && report->OnBeforePrint) {
            Memo1 = Memo;
            report->OnBeforePrint(Memo1, this);
            evaluate = Memo1 == Memo;
        }
        if (evaluate) EvaluateText();
    }
    if (!Visible) {
        if (DrawMode == 0) RunScript(1);
        DrawMode = 0;
        return;
    }
    const TFontSpec keepFont = Font;
    const TColor keepFill = FillColor;
    const AnsiString keepTag = Tag;
    const std::uint8_t keepBandAlign = BandAlign;
    const std::int32_t keepTop = Top, keepWidth = Width;
    ApplyMemoHighlight(*this);

    TVNStrings allLines;
    if (DrawMode == 2) {
        ScaleForPaint();
        PreWrapped = ContainsLineEnd(Memo1);
        TVNStrings lines;
        WrapMemo(*this, lines);
        Memo1 = std::move(lines);
        DrawMemoLines(*this, VNMeasureCanvas(), true);
        allLines = Memo1;
        Memo1.resize(std::size_t(std::clamp(LinesDrawn, 0, int(Memo1.size()))));
        if (!ContainsLineEnd(Memo1)) Memo1.push_back(AnsiString(1, VNLineEnd));
        UnscaleAfterPaint();
    }

    // The Tag's brackets are plain text: no display format applies to them. A Tag without any
    // "[" byte comes out of the bracket rule unchanged, so most memos skip it.
    if (Tag.find('[') != AnsiString::npos) {
        const std::int32_t keepFormat = Format;
        const AnsiString keepFormatText = FormatText;
        Format = 0;
        FormatText.clear();
        Tag = ExpandTag(Tag, [this](const AnsiString& g) { return EvaluateBracket(g); });
        Format = keepFormat;
        FormatText = keepFormatText;
    }
    if (OwnerBand) {
        const int bandHeight =
            OwnerBand->CalculatedHeight > 0 ? OwnerBand->CalculatedHeight : OwnerBand->Height;
        if (BandAlign == 5)
            Top = OwnerBand->Y + bandHeight - Height;
        else if (BandAlign == 6 || BandAlign == 7 || BandAlign == 8)
            Top = OwnerBand->Y;
        else if (BandAlign == 4 && OwnerBand->IsCrossBand()) {
            Width = OwnerBand->Width;
            BandAlign = 0;
        }
    }

    ValueChanged = false;
    const bool suppress = Flags & flSuppress, merge = Flags & flMergeRepeated;
    // The joined text is only compared for suppressing repeated values; most memos skip it.
    const AnsiString text = suppress ? JoinLines(Memo1) : AnsiString();
    bool suppressed = false;
    if (suppress && !merge && text == LastValue) {
        Memo1.clear();
        suppressed = true;
    }
    bool merged = false;
    if (suppress && merge && !InBlankRow(*this) && !text.empty() && text == LastValue && MergeStream == &s) {
        bool masterChanged = false;
        if (!MasterMemoView.empty() && Page)
            if (auto* master = dynamic_cast<TVNMemoView*>(Page->FindObject(MasterMemoView));
                master && master != this)
                masterChanged = master->ValueChanged;
        if (!masterChanged && MergePosition + MergeLength <= s.Size()) {
            const std::int32_t top = Top, height = Height;
            const std::int64_t bottom = std::int64_t(Top) + Height;
            Top = MergeTop;
            Height = ClampToInt(bottom - MergeTop);
            TVNStream record;
            record.Version = s.Version;
            record.VersionCode = s.VersionCode;
            TVNView::WriteToPage(record);
            Top = top;
            Height = height;
            if (record.Size() == MergeLength) {
                s.Data().replace(MergePosition, MergeLength, record.Data());
                merged = true;
            }
        }
    }
    if (!merged) {
        ValueChanged = !suppressed;
        MergeStream = &s;
        MergePosition = s.Position();
        MergeTop = Top;
        TVNView::WriteToPage(s);
        MergeLength = s.Position() - MergePosition;
        if (suppress && !suppressed) LastValue = text;
    }

    if (DrawMode == 2) {
        const std::size_t done = std::min(allLines.size(), std::size_t(std::max(0, LinesDrawn)));
        Memo1.assign(allLines.begin() + std::ptrdiff_t(done), allLines.end());
    }
    Font = keepFont;
    FillColor = keepFill;
    Tag = keepTag;
    BandAlign = keepBandAlign;
    Top = keepTop;
    Width = keepWidth;
    DrawMode = 0;
    RunScript(1);
}
