// The captions' paragraphs, read by the engine's rich-text reader (see VNCaptionText.h).
#include "VNCaptionText.h"

#include "report/VNMemoView.h"
#include "report/VNRichView.h"
#include "report/VNRtfReader.h"

#include <algorithm>

TFontSpec DefaultCaptionFont() {
    const TVNRichFormat d = RichDefaultFormat();
    TFontSpec f;
    f.Name = d.FontName;
    f.Size = (d.HalfPoints + 1) / 2;
    f.Charset = VNDefaultCharset;
    return f;
}

namespace {

// A paragraph's font: that of its first text (a memo has one font), else the paragraph's own.
TFontSpec ParagraphFont(const TVNRichParagraph& p) {
    const TVNRichFormat& r = p.Runs.empty() ? p.EndFormat : p.Runs.front().Format;
    TFontSpec f = DefaultCaptionFont();
    if (!r.FontName.empty()) f.Name = r.FontName;
    if (r.HalfPoints > 0) f.Size = (r.HalfPoints + 1) / 2;
    f.Style = r.Style;
    f.Color = r.Color;
    return f;
}

} // namespace

std::vector<TVNCaptionParagraph> ReadCaptionParagraphs(const TVNStrings& caption) {
    const AnsiString text = JoinLines(caption);
    std::vector<TVNCaptionParagraph> out;
    if (LooksLikeRtf(text)) {
        const TVNRichDocument doc = ReadRtf(text, RichDefaultFormat());
        for (const TVNRichParagraph& p : doc.Paragraphs) {
            TVNCaptionParagraph c;
            for (const TVNRichRun& run : p.Runs) c.Text += run.Text;
            // A memo line has no tab stops: a tab prints as a blank.
            std::replace(c.Text.begin(), c.Text.end(), '\t', ' ');
            c.Alignment = p.Align; // the rich text keeps alignment in the memo's codes
            c.Font = ParagraphFont(p);
            out.push_back(std::move(c));
        }
        // The usual "\par}" at the end closes the last paragraph; it opens no new one.
        if (!out.empty() && out.back().Text.empty()) out.pop_back();
    } else {
        for (const AnsiString& line : caption) {
            TVNCaptionParagraph p;
            p.Text = line;
            p.Font = DefaultCaptionFont();
            out.push_back(std::move(p));
        }
    }
    if (std::none_of(out.begin(), out.end(), [](const TVNCaptionParagraph& p) { return !p.Text.empty(); }))
        out.clear();
    return out;
}
