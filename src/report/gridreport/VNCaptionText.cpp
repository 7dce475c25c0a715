// Reading the rich-text subset of grid report captions into paragraphs (see VNCaptionText.h).
#include "VNCaptionText.h"

#include "report/VNMemoView.h"

#include "platform/AnsiString.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

struct TState {
    int FontIndex = -1;
    int HalfPoints = 0;
    int Style = 0;
    int ColorIndex = 0;
    int UnicodeSkip = 1;
    bool Skip = false; // inside a destination whose text is not shown
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class TCaptionReader {
public:
    explicit TCaptionReader(std::string_view text) : FText(text) {}

    std::vector<TVNCaptionParagraph> Read() {
        std::vector<TState> stack;
        TState state;
        std::size_t i = 0;
        while (i < FText.size()) {
            const char c = FText[i];
            if (c == '{') {
                stack.push_back(state);
                FDepth = stack.size();
                ++i;
                // "{\*\dest ...}": a destination we do not know; skip its text.
                if (FText.compare(i, 2, "\\*") == 0) state.Skip = true;
                continue;
            }
            if (c == '}') {
                if (stack.empty()) break; // the document's closing brace (or one too many)
                EndGroup(stack.size());
                state = stack.back();
                stack.pop_back();
                FDepth = stack.size();
                ++i;
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++i;
                continue;
            }
            if (c != '\\') {
                Put(state, std::string(1, c));
                ++i;
                continue;
            }
            // A control symbol or word.
            ++i;
            if (i >= FText.size()) break;
            const char s = FText[i];
            if (s == '\'') {
                const int hi = i + 1 < FText.size() ? HexValue(FText[i + 1]) : -1;
                const int lo = i + 2 < FText.size() ? HexValue(FText[i + 2]) : -1;
                if (hi >= 0 && lo >= 0) {
                    Put(state, std::string(1, char(hi * 16 + lo)));
                    i += 3;
                } else {
                    // A byte cut short: its digits go with it.
                    i += hi >= 0 ? 2 : 1;
                }
                continue;
            }
            if (!std::isalpha(static_cast<unsigned char>(s))) {
                // "\\", "\{", "\}" stand for themselves; "\~" is a hard blank; others mean nothing.
                if (s == '\\' || s == '{' || s == '}') Put(state, std::string(1, s));
                if (s == '~') Put(state, " ");
                ++i;
                continue;
            }
            std::size_t start = i;
            while (i < FText.size() && std::isalpha(static_cast<unsigned char>(FText[i])))
                ++i;
            const std::string word(FText.substr(start, i - start));
            bool hasParam = false;
            long param = 0;
            bool negative = false;
            if (i < FText.size() && FText[i] == '-') {
                negative = true;
                ++i;
            }
            while (i < FText.size() && std::isdigit(static_cast<unsigned char>(FText[i]))) {
                hasParam = true;
                if (param < 100000000) param = param * 10 + (FText[i] - '0');
                ++i;
            }
            if (negative) param = -param;
            if (i < FText.size() && FText[i] == ' ') ++i; // the delimiter belongs to the word
            Control(state, word, hasParam, int(param), i);
        }
        // Text after the last "\par" is a paragraph too; the usual "\par}" at the end adds none.
        if (FHasRun) EndParagraph();
        return FParagraphs;
    }

private:
    void Control(TState& state, const std::string& word, bool hasParam, int param, std::size_t& i) {
        if (word == "fonttbl") {
            FInFontTable = true;
            FFontTableDepth = FDepth;
            state.Skip = true;
        } else if (word == "colortbl") {
            state.Skip = true;
            ReadColorTable(i);
        } else if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" ||
                   word == "footer" || word == "generator") {
            state.Skip = true;
        } else if (word == "f") {
            if (FInFontTable) FDefiningFont = param;
            else state.FontIndex = param;
        } else if (word == "fs") {
            state.HalfPoints = hasParam ? param : 24;
        } else if (word == "b") {
            SetStyle(state, fsBold, !hasParam || param != 0);
        } else if (word == "i") {
            SetStyle(state, fsItalic, !hasParam || param != 0);
        } else if (word == "ul") {
            SetStyle(state, fsUnderline, !hasParam || param != 0);
        } else if (word == "ulnone") {
            SetStyle(state, fsUnderline, false);
        } else if (word == "strike") {
            SetStyle(state, fsStrikeOut, !hasParam || param != 0);
        } else if (word == "cf") {
            state.ColorIndex = param;
        } else if (word == "plain") {
            state.Style = 0;
            state.HalfPoints = 0;
            state.ColorIndex = 0;
        } else if (word == "pard") {
            FAlignment = vntaLeftJustify;
        } else if (word == "ql") {
            FAlignment = vntaLeftJustify;
        } else if (word == "qr") {
            FAlignment = vntaRightJustify;
        } else if (word == "qc") {
            FAlignment = vntaCenterJustify;
        } else if (word == "par") {
            if (!state.Skip) EndParagraph();
        } else if (word == "line") {
            Put(state, "\r\n");
        } else if (word == "tab") {
            Put(state, " ");
        } else if (word == "uc") {
            state.UnicodeSkip = std::max(0, param);
        } else if (word == "u") {
            PutUnicode(state, param < 0 ? param + 65536 : param);
            // Skip the fallback characters that follow.
            for (int n = 0; n < state.UnicodeSkip && i < FText.size(); ++n) {
                if (FText[i] == '\\' && i + 3 < FText.size() && FText[i + 1] == '\'') i += 4;
                else if (FText[i] == '{' || FText[i] == '}') break;
                else ++i;
            }
        }
    }

    void SetStyle(TState& state, int bit, bool on) {
        state.Style = on ? (state.Style | bit) : (state.Style & ~bit);
    }

    void ReadColorTable(std::size_t& i) {
        // ";" ends each entry; "\red", "\green", "\blue" set its parts; an empty first entry is
        // the automatic colour.
        int r = 0, g = 0, b = 0;
        while (i < FText.size() && FText[i] != '}') {
            if (FText[i] == ';') {
                FColors.push_back(TColor(r | (g << 8) | (b << 16)));
                r = g = b = 0;
                ++i;
                continue;
            }
            if (FText[i] == '\\') {
                std::size_t s = ++i;
                while (i < FText.size() && std::isalpha(static_cast<unsigned char>(FText[i])))
                    ++i;
                const std::string word(FText.substr(s, i - s));
                int v = 0;
                while (i < FText.size() && std::isdigit(static_cast<unsigned char>(FText[i]))) {
                    if (v < 1000) v = v * 10 + (FText[i] - '0');
                    ++i;
                }
                v = std::min(v, 255);
                if (word == "red") r = v;
                else if (word == "green") g = v;
                else if (word == "blue") b = v;
                continue;
            }
            ++i;
        }
    }

    void EndGroup(std::size_t depth) {
        StoreFont();
        if (FInFontTable && depth == FFontTableDepth) FInFontTable = false;
    }

    // A font table entry ends with ";" or with its group.
    void StoreFont() {
        if (!FInFontTable || FDefiningFont < 0) return;
        AnsiString name = FFontName;
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (!name.empty()) FFonts[FDefiningFont] = name;
        FFontName.clear();
        FDefiningFont = -1;
    }

    void Put(TState& state, const std::string& text) {
        if (FInFontTable) {
            if (text == ";") StoreFont();
            else if (FDefiningFont >= 0) FFontName += text;
            return;
        }
        if (state.Skip) return;
        if (!FHasRun) {
            FFont = FontOf(state);
            FHasRun = true;
        }
        FCurrent += text;
    }

    void PutUnicode(TState& state, int code) {
        std::u16string one(1, char16_t(code));
        AnsiString text = Utf16ToAnsi(one);
        if (!text.empty() && text != "?") Put(state, text);
    }

    TFontSpec FontOf(const TState& state) const {
        TFontSpec font = DefaultCaptionFont();
        auto it = FFonts.find(state.FontIndex);
        if (it != FFonts.end()) font.Name = it->second;
        if (state.HalfPoints > 0) font.Size = (state.HalfPoints + 1) / 2;
        font.Style = state.Style;
        if (state.ColorIndex > 0 && std::size_t(state.ColorIndex) < FColors.size())
            font.Color = FColors[std::size_t(state.ColorIndex)];
        return font;
    }

    void EndParagraph() {
        TVNCaptionParagraph p;
        p.Text = FCurrent;
        p.Alignment = FAlignment;
        p.Font = FHasRun ? FFont : DefaultCaptionFont();
        FParagraphs.push_back(std::move(p));
        FCurrent.clear();
        FHasRun = false;
    }

    std::string_view FText;
    std::vector<TVNCaptionParagraph> FParagraphs;
    std::map<int, AnsiString> FFonts;
    std::vector<TColor> FColors;
    AnsiString FCurrent, FFontName;
    TFontSpec FFont;
    int FAlignment = vntaLeftJustify;
    int FDefiningFont = -1;
    std::size_t FDepth = 0, FFontTableDepth = 0;
    bool FInFontTable = false, FHasRun = false;
};

} // namespace

TFontSpec DefaultCaptionFont() {
    TFontSpec f;
    f.Name = CP936("宋体");
    f.Size = 11;
    f.Charset = VNDefaultCharset;
    return f;
}

std::vector<TVNCaptionParagraph> ReadCaptionParagraphs(const TVNStrings& caption) {
    AnsiString text = JoinLines(caption);
    std::vector<TVNCaptionParagraph> out;
    if (text.compare(0, 5, "{\\rtf") == 0) {
        out = TCaptionReader(text).Read();
    } else {
        for (const AnsiString& line : caption) {
            TVNCaptionParagraph p;
            p.Text = line;
            p.Font = DefaultCaptionFont();
            out.push_back(std::move(p));
        }
    }
    bool any = false;
    for (auto& p : out)
        any = any || !p.Text.empty();
    if (!any) out.clear();
    return out;
}
