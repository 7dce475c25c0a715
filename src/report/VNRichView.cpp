// The rich-text view: properties, stream tail, evaluation, measuring, writing in parts, drawing.
#include "VNRichView.h"

#include "VNEngine.h"
#include "VNEngineState.h"
#include "VNMemoLayout.h"
#include "VNMemoPaint.h"
#include "VNPage.h"
#include "VNRtfReader.h"

#include "platform/Canvas.h"
#include "platform/MemDataSet.h"
#include "platform/ScopedValue.h"

#include <algorithm>
#include <cmath>

TVNRichFormat RichDefaultFormat() {
    TVNRichFormat f;
    f.FontName = CP936("宋体");
    f.Charset = VNDefaultCharset;
    f.HalfPoints = 22;
    return f;
}

TVNRichView::TVNRichView() {
    BaseName = "Rich";
    TypeCode = ViewTypeAddIn;
    ClassFormatVersion = 0;
}

void TVNRichView::RegisterProperties() {
    TVNView::RegisterProperties();
    RegisterProperty("GapX", pkInteger);
    RegisterProperty("GapY", pkInteger);
    RegisterProperty("Lines", pkEditor);
    RegisterProperty("Stretched", pkBoolean);
    RegisterProperty("TextOnly", pkBoolean);
    RegisterProperty("DataField", pkEditor);
    RegisterProperty("OnBeforePrint", pkEditor);
    RegisterProperty("OnAfterPrint", pkEditor);
}

void TVNRichView::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    if (n == "LINES") {
        // Scripts set plain text; it takes the default format.
        RichText = WriteRtf(RichFromPlainText(value.AsString(), RichDefaultFormat()));
    } else if (n == "TEXTONLY") {
        SetFlag(flTextOnly, value.AsBoolean());
    } else {
        TVNView::SetProperty(name, value);
    }
}

Value TVNRichView::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "LINES") return Value(Document().PlainText());
    if (n == "TEXTONLY") return Value::Boolean(Flags & flTextOnly);
    return TVNView::GetProperty(name);
}

// The tail: byte 1 and the stream position where the text ends, then the text; byte 0 when
// there is no text.
void TVNRichView::WriteToStream(TVNStream& s) {
    TVNView::WriteToStream(s);
    if (RichText.empty()) {
        s.WriteByte(0);
        return;
    }
    s.WriteByte(1);
    const std::size_t endAt = s.Position();
    s.WriteInt32(0);
    s.WriteBytes(RichText);
    s.PatchInt32(endAt, std::int32_t(s.Position()));
}

void TVNRichView::ReadFromStream(TVNStream& s) {
    TVNView::ReadFromStream(s);
    RichText.clear();
    if (s.ReadByte() != 0) {
        const std::int32_t end = s.ReadInt32();
        // An end before the text or past the stream is damage, not a length to trust.
        if (end < 0 || std::size_t(end) < s.Position() || std::size_t(end) > s.Size())
            throw EVNStreamError("rich text end position outside the stream");
        RichText = s.ReadBytes(std::size_t(end) - s.Position());
    }
    ClassFormatVersion = 0;
}

const TVNRichDocument& TVNRichView::Document() {
    if (!FReadValid || FReadFrom != RichText) {
        FRead = ReadRtf(RichText, RichDefaultFormat());
        FReadFrom = RichText;
        FReadValid = true;
    }
    return FRead;
}

namespace {

// Bracket groups of a paragraph evaluated; the value takes the format of the group's "[" and a
// line break in a value starts a new paragraph. "\[" is a literal "[", an unmatched "[" leaves
// the rest as it is (the memo's bracket rule).
void ExpandParagraph(const TVNRichParagraph& p, const TVNTextEvaluator& evaluate, TVNRichDocument& out) {
    AnsiString text;
    std::vector<std::size_t> runOf; // run index of every byte
    for (std::size_t r = 0; r < p.Runs.size(); ++r) {
        text += p.Runs[r].Text;
        runOf.insert(runOf.end(), p.Runs[r].Text.size(), r);
    }
    out.NewParagraph(p.Align, p.EndFormat);
    auto format = [&](std::size_t at) -> const TVNRichFormat& { return p.Runs[runOf[at]].Format; };
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '[') {
            out.Append(format(i), "[");
            i += 2;
            continue;
        }
        if (text[i] != '[') {
            const std::size_t n = CharLengthAt(text, i);
            out.Append(format(i), std::string_view(text).substr(i, n));
            i += n;
            continue;
        }
        int depth = 0;
        std::size_t j = i;
        for (; j < text.size(); j += CharLengthAt(text, j)) {
            if (text[j] == '[') ++depth;
            if (text[j] == ']' && --depth == 0) break;
        }
        if (j >= text.size()) {
            for (std::size_t k = i; k < text.size(); ++k)
                out.Append(format(k), std::string_view(text).substr(k, 1));
            break;
        }
        const AnsiString value = ExpandBrackets(std::string_view(text).substr(i, j + 1 - i), evaluate);
        std::size_t start = 0;
        for (std::size_t nl; (nl = value.find('\n', start)) != AnsiString::npos; start = nl + 1) {
            std::string_view line = std::string_view(value).substr(start, nl - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            out.Append(format(i), line);
            out.NewParagraph(p.Align, format(i));
        }
        out.Append(format(i), std::string_view(value).substr(start));
        i = j + 1;
    }
    if (out.Paragraphs.back().Runs.empty()) out.Paragraphs.back().EndFormat = p.EndFormat;
}

} // namespace

TVNRichDocument TVNRichView::Evaluated() {
    TVNRichDocument source;
    TField* field = BoundDataSet ? BoundDataSet->FindField(BoundFieldName) : nullptr;
    if (field)
        source = ReadRtf(field->AsString(), RichDefaultFormat());
    else
        source = Document();
    if (!VNState().RunMode || (Flags & flTextOnly)) return source;
    TVNTextEvaluator evaluate = [this](const AnsiString& e) { return ExpandTag("[" + e + "]"); };
    TVNRichDocument out;
    for (const TVNRichParagraph& p : source.Paragraphs)
        ExpandParagraph(p, evaluate, out);
    return out;
}

void TVNRichView::LoadFieldData(TField* field) {
    // The bound field is read when the text is evaluated for a print (also while measuring,
    // which comes before the band writes its views).
    (void)field;
}

void TVNRichView::NotifyBuildStart() {
    FPrepared = false;
    FRest = false;
    FPartStart = {};
}

void TVNRichView::Prepare() {
    FPrint = Evaluated();
    FPartStart = {};
    FPrepared = true;
    FRest = false;
}

int TVNRichView::UsableWidth() {
    TScopedValue sx(PaintScaleX, 1.0), sy(PaintScaleY, 1.0);
    TScopedValue ox(PaintOffsetX, 0), oy(PaintOffsetY, 0);
    ScaleForPaint();
    const int w = TextRect().Width();
    UnscaleAfterPaint();
    return std::max(1, w);
}

std::vector<TVNRichLine> TVNRichView::RestLines() {
    return LayoutRich(VNMeasureCanvas(), FPrint, FPartStart, UsableWidth(), 1.0);
}

int TVNRichView::MeasureHeight() {
    // Aligned to its band, the text is laid out in the band's width (a cross column's width).
    ApplyBandAlign();
    Prepare();
    int h = RichLinesHeight(RestLines());
    if (h < 2) h = 8;
    return ClampCoordinate(std::int64_t(h) + 2 * GapY + MemoFrameAllowance(*this));
}

int TVNRichView::MinLineHeight() {
    if (!FPrepared) Prepare();
    const std::vector<TVNRichLine> lines = RestLines();
    return lines.empty() ? 0 : lines.front().Height + GapY;
}

int TVNRichView::RemainingHeight() {
    if (!FPrepared) return 0;
    return RichLinesHeight(RestLines());
}

void TVNRichView::WriteToPage(TVNStream& s) {
    if (!Page || !Page->IsBuilding) { // a view of a built page written again: as it is
        TVNView::WriteToPage(s);
        return;
    }
    // A new print is evaluated as it is written: a measure may have been taken for another
    // place (a cross-tab measures a row's cell in every column before writing any of them).
    // Only the next part of a text written in parts goes on with what it was given.
    if (!FRest) Prepare();
    TVNRichPos end = FPrint.End();
    if (SplitPart) {
        // One part of a band drawn across pages: the lines that fit, the rest for the next part.
        const std::vector<TVNRichLine> lines = RestLines();
        const std::size_t n = RichLinesFitting(lines, Height - 2 * GapY - MemoFrameAllowance(*this));
        if (n < lines.size()) end = lines[n].Start;
    }
    {
        TScopedValue text(RichText, WriteRtf(FPrint.Slice(FPartStart, end)));
        TVNView::WriteToPage(s);
    }
    if (end < FPrint.End()) {
        FPartStart = end;
        FRest = true;
    } else {
        NotifyBuildStart();
    }
}

TRect TVNRichView::TextRect() const {
    return TRect{InnerRect.Left + GapX, InnerRect.Top + GapY, InnerRect.Right - GapX, InnerRect.Bottom - GapY};
}

void TVNRichView::Paint(ICanvas* canvas) {
    Canvas = canvas;
    if (!canvas) return;
    ApplyBandAlign();
    ScaleForPaint();
    FillBackground();
    const TRect text = TextRect();
    if (!VNState().ExportMode && text.Width() > 0) {
        const std::vector<TVNRichLine> lines = LayoutRich(*canvas, Document(), {}, text.Width(), PaintScaleY);
        canvas->PushClipRect(InnerRect);
        DrawRichLines(*canvas, lines, text, PaintScaleY);
        canvas->PopClipRect();
    }
    PaintFrame();
    UnscaleAfterPaint();
}

// Exports that take text lines get the rich text line by line, where the page draws the lines.
void TVNRichView::NotifyPrinted() {
    TVNView::NotifyPrinted();
    IVNTextLineSink* sink = ExportLineSink(*this);
    if (!sink) return;
    TScopedValue running(VNState().RunMode, true);
    TScopedValue sx(PaintScaleX, 1.0), sy(PaintScaleY, 1.0);
    TScopedValue ox(PaintOffsetX, 0), oy(PaintOffsetY, 0);
    ScaleForPaint();
    const TRect rect = TextRect();
    const TVNRichDocument& doc = Document();
    const std::vector<TVNRichLine> lines = LayoutRich(VNMeasureCanvas(), doc, {}, std::max(1, rect.Width()), 1.0);
    int y = rect.Top;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TVNRichLine& line = lines[i];
        AnsiString text = doc.Slice(line.Start, line.End).PlainText();
        std::replace(text.begin(), text.end(), '\t', ' ');
        int x = rect.Left;
        if (line.Align == raRight) x = rect.Right - line.Width;
        if (line.Align == raCenter) x = rect.Left + (rect.Width() - line.Width) / 2;
        sink->TextLine(rect, x, y, *this, MemoLineFrameBits(FrameTyp(), int(i), int(lines.size()), false), text);
        y += line.Height;
    }
    UnscaleAfterPaint();
}

TVNAddInObjectInfo RichViewAddIn() {
    return {"TVNRichView", [] { return new TVNRichView; }, "VN_RichObject", {}, "TVNRichForm"};
}
