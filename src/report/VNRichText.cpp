// The rich-text document model: slicing, plain text, building, and writing it back as RTF.
#include "VNRichText.h"

#include <algorithm>
#include <cstdio>

std::size_t TVNRichParagraph::Size() const {
    std::size_t n = 0;
    for (const TVNRichRun& r : Runs)
        n += r.Text.size();
    return n;
}

bool TVNRichDocument::Empty() const {
    for (const TVNRichParagraph& p : Paragraphs)
        if (p.Size() > 0) return false;
    return true;
}

void TVNRichDocument::NewParagraph(int align, const TVNRichFormat& format) {
    TVNRichParagraph p;
    p.Align = align;
    p.EndFormat = format;
    Paragraphs.push_back(std::move(p));
}

void TVNRichDocument::Append(const TVNRichFormat& format, std::string_view text) {
    if (text.empty()) return;
    if (Paragraphs.empty()) NewParagraph(raLeft, format);
    TVNRichParagraph& p = Paragraphs.back();
    if (!p.Runs.empty() && p.Runs.back().Format == format)
        p.Runs.back().Text.append(text);
    else
        p.Runs.push_back({format, AnsiString(text)});
    p.EndFormat = format;
}

TVNRichDocument TVNRichDocument::Slice(TVNRichPos from, TVNRichPos to) const {
    TVNRichDocument out;
    to = std::min(to, End());
    if (!(from < to)) return out;
    for (std::size_t i = from.Paragraph; i < Paragraphs.size() && TVNRichPos{i, 0} <= to; ++i) {
        const TVNRichParagraph& p = Paragraphs[i];
        const std::size_t begin = i == from.Paragraph ? from.Offset : 0;
        const std::size_t end = i == to.Paragraph ? to.Offset : p.Size();
        if (i == to.Paragraph && end == 0 && i != from.Paragraph) break; // nothing of it
        out.NewParagraph(p.Align, p.EndFormat);
        std::size_t at = 0;
        for (const TVNRichRun& r : p.Runs) {
            const std::size_t runBegin = at, runEnd = at + r.Text.size();
            at = runEnd;
            const std::size_t a = std::max(begin, runBegin), b = std::min(end, runEnd);
            if (a < b) out.Append(r.Format, std::string_view(r.Text).substr(a - runBegin, b - a));
        }
        if (out.Paragraphs.back().Runs.empty()) out.Paragraphs.back().EndFormat = p.EndFormat;
    }
    return out;
}

AnsiString TVNRichDocument::PlainText() const {
    AnsiString s;
    for (std::size_t i = 0; i < Paragraphs.size(); ++i) {
        if (i > 0) s += "\r\n";
        for (const TVNRichRun& r : Paragraphs[i].Runs)
            s += r.Text;
    }
    return s;
}

TVNRichDocument RichFromPlainText(std::string_view text, const TVNRichFormat& format) {
    TVNRichDocument d;
    if (text.empty()) return d;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        d.NewParagraph(raLeft, format);
        d.Append(format, line);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
        if (start == text.size()) break; // a final line break ends the last line, starts none
    }
    return d;
}

namespace {

// Index of value in list, appended when new.
template <class T>
int IndexOf(std::vector<T>& list, const T& value) {
    auto it = std::find(list.begin(), list.end(), value);
    if (it != list.end()) return int(it - list.begin());
    list.push_back(value);
    return int(list.size() - 1);
}

// Font names: bytes above 0x7F as \'hh (the names of Chinese fonts are CP936 bytes).
void EscapeName(AnsiString& out, std::string_view text) {
    char hex[8];
    for (unsigned char c : text) {
        if (c == '\\' || c == '{' || c == '}' || c == ';') {
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            out += hex;
        } else if (c >= 0x80 || c < 0x20) {
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
}

// Document text: every character above ASCII as \uN with "?" for readers without Unicode, so
// the text reads the same whatever the charset of its font.
void EscapeText(AnsiString& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = CharLengthAt(text, i);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c >= 0x80 || c < 0x20) {
            for (char16_t u : AnsiToUtf16(text.substr(i, n)))
                out += "\\u" + std::to_string(int(std::int16_t(u))) + "?";
        } else {
            out += char(c);
        }
        i += n;
    }
}

} // namespace

AnsiString WriteRtf(const TVNRichDocument& document) {
    struct TFontKey {
        AnsiString Name;
        int Charset;
        bool operator==(const TFontKey&) const = default;
    };
    std::vector<TFontKey> fonts;
    std::vector<TColor> colours;
    AnsiString body;
    auto formatWords = [&](const TVNRichFormat& f) {
        AnsiString w = "\\plain\\f" + std::to_string(IndexOf(fonts, TFontKey{f.FontName, f.Charset}));
        w += "\\fs" + std::to_string(f.HalfPoints);
        if (f.Style & fsBold) w += "\\b";
        if (f.Style & fsItalic) w += "\\i";
        if (f.Style & fsUnderline) w += "\\ul";
        if (f.Style & fsStrikeOut) w += "\\strike";
        // Colour 0 of the table is "automatic"; written colours start at 1.
        if (f.Color != clBlack) w += "\\cf" + std::to_string(IndexOf(colours, f.Color) + 1);
        return w + " ";
    };
    static const char* const aligns[] = {"\\ql", "\\qr", "\\qc", "\\qj"};
    for (const TVNRichParagraph& p : document.Paragraphs) {
        body += "\\pard";
        body += aligns[p.Align & 3];
        if (p.Runs.empty()) body += formatWords(p.EndFormat);
        for (const TVNRichRun& r : p.Runs) {
            body += formatWords(r.Format);
            EscapeText(body, r.Text);
        }
        body += "\\par\r\n";
    }
    AnsiString out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + std::to_string(fonts[i].Charset) + " ";
        EscapeName(out, fonts[i].Name);
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    char rgb[48];
    for (TColor c : colours) {
        std::snprintf(rgb, sizeof rgb, "\\red%d\\green%d\\blue%d;", GetRValue(c), GetGValue(c), GetBValue(c));
        out += rgb;
    }
    out += "}\r\n";
    out += body;
    out += "}";
    return out;
}
