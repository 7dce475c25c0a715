// The RTF reader: one pass over the bytes with a stack of group states (see the header for the
// controls it understands). Text collects in a pending buffer and becomes a run whenever the
// format may change, so long runs cost one append each.
#include "VNRtfReader.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace {

enum class TDest : std::uint8_t { Body, FontTable, ColorTable, Skip };

struct TGroupState {
    TDest Dest = TDest::Body;
    int Font = -1; // index into the font table; -1 the default font
    int HalfPoints = 0;
    int Style = 0;
    int Colour = 0; // index into the colour table; 0 automatic
    int Align = raLeft;
    int UnicodeSkip = 1; // \uc
};

struct TFontEntry {
    int Number = 0;
    int Charset = 134;
    AnsiString Name;
};

// Destinations whose content is never text of the document.
bool IsSkippedDestination(std::string_view word) {
    static const char* const names[] = {
        "stylesheet", "info",      "pict",     "object",     "header",    "headerl",     "headerr",
        "headerf",    "footer",    "footerl",  "footerr",    "footerf",   "footnote",    "annotation",
        "fldinst",    "listtable", "listoverridetable",     "revtbl",    "rsidtbl",     "generator",
        "themedata",  "colorschememapping",    "latentstyles", "datastore", "xmlnstbl", "pgdsctbl",
        "filetbl",    "bkmkstart", "bkmkend",  "nonshppict", "shppict",   "falt",        "panose",
        "xe",         "tc",        "txe",      "atnid",      "atnauthor", "private",     "userprops",
        "docvar",     "template",  "mmathPr",  "wgrffmtfilter", "pnseclvl", "listtext", "pntext",
    };
    for (const char* n : names)
        if (word == n) return true;
    return false;
}

class TRtfReader {
public:
    TRtfReader(std::string_view bytes, const TVNRichFormat& defaults) : FIn(bytes), FDefaults(defaults) {
        TGroupState top;
        top.HalfPoints = defaults.HalfPoints;
        FStack.push_back(top);
    }

    TVNRichDocument Read() {
        while (FAt < FIn.size()) {
            const char c = FIn[FAt];
            if (c == '{') {
                ++FAt;
                Flush();
                OpenGroup();
            } else if (c == '}') {
                ++FAt;
                Flush();
                CloseGroup();
            } else if (c == '\\') {
                ++FAt;
                Control();
            } else if (c == '\r' || c == '\n' || c == '\0') {
                ++FAt;
            } else {
                ++FAt;
                Char(static_cast<unsigned char>(c));
            }
        }
        Flush();
        return std::move(FDoc);
    }

private:
    static constexpr std::size_t MaxDepth = 512;

    TGroupState& State() { return FStack.back(); }

    void OpenGroup() {
        FSkipFallback = 0;
        if (FStack.size() >= MaxDepth) {
            ++FOverflow; // deeper groups share the innermost state
            return;
        }
        FStack.push_back(FStack.back());
    }

    void CloseGroup() {
        FSkipFallback = 0;
        if (FOverflow > 0) {
            --FOverflow;
            return;
        }
        if (State().Dest == TDest::FontTable) CommitFont();
        if (FStack.size() > 1) FStack.pop_back(); // a stray "}" at the top is ignored
    }

    // One character of the current destination (plain byte or \'hh).
    void Char(unsigned char c) {
        if (FSkipFallback > 0) {
            --FSkipFallback;
            return;
        }
        switch (State().Dest) {
        case TDest::Body: BodyByte(c); break;
        case TDest::FontTable:
            if (c == ';')
                CommitFont();
            else
                FFontName += char(c);
            break;
        case TDest::ColorTable:
            if (c == ';') {
                FColours.push_back(FColourSet ? FColour : clNone);
                FColour = 0;
                FColourSet = false;
            }
            break;
        case TDest::Skip: break;
        }
    }

    void BodyByte(unsigned char c) {
        // Bytes of a Latin font are Windows Latin characters; the rest is CP936 as it stands.
        if (c >= 0x80 && FontCharset(State().Font) == 0) {
            Text(Utf16ToAnsi(std::u16string(1, Latin1252(c))));
            return;
        }
        FPending += char(c);
    }

    static char16_t Latin1252(unsigned char c) {
        static const char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                          0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
        return c >= 0x80 && c < 0xA0 ? high[c - 0x80] : char16_t(c);
    }

    // CP936 text of the body (from \u, symbols, converted bytes).
    void Text(std::string_view text) {
        if (State().Dest == TDest::Body) FPending += text;
    }

    void Flush() {
        if (FPending.empty()) return;
        if (!FParagraphOpen) StartParagraph();
        FDoc.Append(Format(), FPending);
        FDoc.Paragraphs.back().Align = State().Align;
        FPending.clear();
    }

    void StartParagraph() {
        FDoc.NewParagraph(State().Align, Format());
        FParagraphOpen = true;
    }

    void EndParagraph() {
        Flush();
        if (!FParagraphOpen) StartParagraph();
        TVNRichParagraph& p = FDoc.Paragraphs.back();
        p.Align = State().Align;
        // Only an empty paragraph takes its height from the format at its end.
        if (p.Runs.empty()) p.EndFormat = Format();
        FParagraphOpen = false;
    }

    const TFontEntry* FindFont(int number) const {
        for (const TFontEntry& f : FFonts)
            if (f.Number == number) return &f;
        return nullptr;
    }
    TFontEntry* FindFont(int number) {
        for (TFontEntry& f : FFonts)
            if (f.Number == number) return &f;
        return nullptr;
    }

    int FontCharset(int number) const {
        const TFontEntry* f = FindFont(number < 0 ? FDefaultFont : number);
        return f ? f->Charset : FDefaults.Charset;
    }

    TVNRichFormat Format() const {
        const TGroupState& s = FStack.back();
        TVNRichFormat f = FDefaults;
        if (const TFontEntry* font = FindFont(s.Font < 0 ? FDefaultFont : s.Font)) {
            if (!font->Name.empty()) f.FontName = font->Name;
            f.Charset = font->Charset;
        }
        f.HalfPoints = s.HalfPoints;
        f.Style = s.Style;
        f.Color = clBlack;
        if (s.Colour > 0 && std::size_t(s.Colour) < FColours.size() && FColours[std::size_t(s.Colour)] != clNone)
            f.Color = FColours[std::size_t(s.Colour)];
        return f;
    }

    void CommitFont() {
        if (!FFontOpen) return;
        // Font names end at ";"; blanks around them are not part of the name.
        std::size_t a = 0, b = FFontName.size();
        while (a < b && FFontName[a] == ' ')
            ++a;
        while (b > a && FFontName[b - 1] == ' ')
            --b;
        FFont.Name = FFontName.substr(a, b - a);
        if (TFontEntry* old = FindFont(FFont.Number))
            *old = FFont;
        else if (FFonts.size() < 4096)
            FFonts.push_back(FFont);
        FFontOpen = false;
        FFontName.clear();
    }

    void Control() {
        if (FAt >= FIn.size()) return;
        const char c = FIn[FAt];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++FAt;
            Symbol(c);
            return;
        }
        const std::size_t start = FAt;
        while (FAt < FIn.size() && FAt - start < 32 && std::isalpha(static_cast<unsigned char>(FIn[FAt])))
            ++FAt;
        const std::string_view word = FIn.substr(start, FAt - start);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (FAt < FIn.size() && FIn[FAt] == '-' && FAt + 1 < FIn.size() &&
            std::isdigit(static_cast<unsigned char>(FIn[FAt + 1]))) {
            negative = true;
            ++FAt;
        }
        for (int digits = 0; FAt < FIn.size() && std::isdigit(static_cast<unsigned char>(FIn[FAt])); ++FAt, ++digits) {
            hasParam = true;
            if (digits < 10) param = param * 10 + (FIn[FAt] - '0');
        }
        if (negative) param = -param;
        if (FAt < FIn.size() && FIn[FAt] == ' ') ++FAt;
        const int p = int(std::clamp<long long>(param, INT_MIN / 2, INT_MAX / 2));
        Word(word, hasParam, p);
    }

    void Symbol(char c) {
        switch (c) {
        case '\'': {
            // Two hexadecimal digits; a cut or broken escape yields nothing.
            auto hex = [](char h) {
                if (h >= '0' && h <= '9') return h - '0';
                if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                return -1;
            };
            if (FAt + 1 < FIn.size() && hex(FIn[FAt]) >= 0 && hex(FIn[FAt + 1]) >= 0) {
                Char(static_cast<unsigned char>(hex(FIn[FAt]) * 16 + hex(FIn[FAt + 1])));
                FAt += 2;
            } else {
                FAt = std::min(FIn.size(), FAt + 2);
            }
            return;
        }
        case '*':
            Flush();
            State().Dest = TDest::Skip;
            return;
        case '\\':
        case '{':
        case '}': Char(static_cast<unsigned char>(c)); return;
        case '~': Char(' '); return;
        case '_': Char('-'); return;
        case '-': return; // optional hyphen
        case '\r':
        case '\n': EndParagraph(); return;
        default:
            if (FSkipFallback > 0) --FSkipFallback;
            return;
        }
    }

    void UnicodeChar(int unit) {
        char16_t u = char16_t(unit < 0 ? unit + 65536 : unit);
        std::u16string chars;
        if (u >= 0xD800 && u < 0xDC00) {
            FHighSurrogate = u; // waits for its low half
        } else if (u >= 0xDC00 && u < 0xE000) {
            if (FHighSurrogate) chars = {FHighSurrogate, u};
            FHighSurrogate = 0;
        } else {
            chars = std::u16string(1, u);
            FHighSurrogate = 0;
        }
        if (!chars.empty()) Text(Utf16ToAnsi(chars));
        FSkipFallback = std::max(0, State().UnicodeSkip);
    }

    void Word(std::string_view w, bool hasParam, int p) {
        // Text-like words first: they do not change the format.
        if (w == "u" && hasParam) {
            FSkipFallback = 0;
            if (p != 0) UnicodeChar(p);
            return;
        }
        if (FSkipFallback > 0) { // a control word stands for one fallback character
            --FSkipFallback;
            return;
        }
        struct TSymbolWord {
            const char* Word;
            const char* Utf8;
        };
        static const TSymbolWord symbols[] = {
            {"tab", "\t"},      {"cell", "\t"},     {"emdash", "\xE2\x80\x94"},   {"endash", "\xE2\x80\x93"},
            {"bullet", "\xE2\x80\xA2"}, {"lquote", "\xE2\x80\x98"}, {"rquote", "\xE2\x80\x99"},
            {"ldblquote", "\xE2\x80\x9C"}, {"rdblquote", "\xE2\x80\x9D"}, {"emspace", " "}, {"enspace", " "},
        };
        for (const TSymbolWord& s : symbols)
            if (w == s.Word) {
                Text(Utf8ToAnsi(s.Utf8));
                return;
            }
        Flush();
        TGroupState& s = State();
        const bool on = !hasParam || p != 0;
        auto style = [&](int bit) { s.Style = on ? (s.Style | bit) : (s.Style & ~bit); };
        if (w == "bin") {
            // Binary data of a picture or object: skipped unread.
            if (hasParam && p > 0) FAt = std::min(FIn.size(), FAt + std::size_t(p));
        } else if (w == "fonttbl") {
            s.Dest = TDest::FontTable;
        } else if (w == "colortbl") {
            s.Dest = TDest::ColorTable;
            FColours.clear();
        } else if (IsSkippedDestination(w)) {
            s.Dest = TDest::Skip;
        } else if (s.Dest == TDest::FontTable) {
            if (w == "f") {
                CommitFont();
                FFontOpen = true;
                FFont = TFontEntry{p, FDefaults.Charset, {}};
            } else if (w == "fcharset") {
                FFont.Charset = p;
            }
        } else if (s.Dest == TDest::ColorTable) {
            const int v = std::clamp(p, 0, 255);
            if (w == "red") FColour = (FColour & ~0xFFu) | TColor(v);
            if (w == "green") FColour = (FColour & ~0xFF00u) | (TColor(v) << 8);
            if (w == "blue") FColour = (FColour & ~0xFF0000u) | (TColor(v) << 16);
            FColourSet = FColourSet || w == "red" || w == "green" || w == "blue";
        } else if (w == "deff") {
            FDefaultFont = p;
        } else if (w == "f") {
            s.Font = p;
        } else if (w == "fs") {
            s.HalfPoints = hasParam && p > 0 ? std::clamp(p, 2, 3276) : FDefaults.HalfPoints;
        } else if (w == "b") {
            style(fsBold);
        } else if (w == "i") {
            style(fsItalic);
        } else if (w == "ulnone") {
            s.Style &= ~fsUnderline;
        } else if (w.substr(0, 2) == "ul" && w != "ulc") {
            style(fsUnderline); // every underline kind draws as a single underline
        } else if (w == "strike") {
            style(fsStrikeOut);
        } else if (w == "cf") {
            s.Colour = std::max(0, p);
        } else if (w == "plain") {
            s.Font = -1;
            s.HalfPoints = FDefaults.HalfPoints;
            s.Style = 0;
            s.Colour = 0;
        } else if (w == "uc") {
            s.UnicodeSkip = std::clamp(p, 0, 16);
        } else if (w == "pard") {
            s.Align = raLeft;
        } else if (w == "ql" || w == "qd") {
            s.Align = raLeft;
        } else if (w == "qr") {
            s.Align = raRight;
        } else if (w == "qc") {
            s.Align = raCenter;
        } else if (w == "qj") {
            s.Align = raJustify;
        } else if (w == "par" || w == "line" || w == "sect" || w == "page" || w == "row") {
            if (s.Dest == TDest::Body) EndParagraph();
        }
    }

    std::string_view FIn;
    std::size_t FAt = 0;
    TVNRichFormat FDefaults;
    std::vector<TGroupState> FStack;
    std::size_t FOverflow = 0;
    int FSkipFallback = 0;
    char16_t FHighSurrogate = 0;

    std::vector<TFontEntry> FFonts;
    TFontEntry FFont;
    AnsiString FFontName;
    bool FFontOpen = false;
    int FDefaultFont = 0;

    std::vector<TColor> FColours;
    TColor FColour = 0;
    bool FColourSet = false;

    TVNRichDocument FDoc;
    AnsiString FPending;
    bool FParagraphOpen = false;
};

} // namespace

bool LooksLikeRtf(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t'))
        ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

TVNRichDocument ReadRtf(std::string_view bytes, const TVNRichFormat& defaults) {
    if (!LooksLikeRtf(bytes)) return RichFromPlainText(bytes, defaults);
    return TRtfReader(bytes, defaults).Read();
}
