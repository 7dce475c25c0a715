// Laying text lines out on a character grid page by page, and the CSV variant of it.
#include "VNTextExport.h"

#include "report/VNMemoView.h"

#include "platform/Locale.h"

#include <algorithm>
#include <cmath>

namespace {

// A page's text rows: 201 as the grid starts; text further down grows the table (up to a bound
// that keeps a damaged position from allocating without limit) instead of being dropped.
constexpr int InitialRows = 201;
constexpr int MaxRows = 1 << 16;

// Frame characters are kept in the grid as direction codes (1 up, 2 right, 4 down, 8 left), which
// no CP936 text byte uses, and translated when the line is written.
enum : unsigned char { dUp = 1, dRight = 2, dDown = 4, dLeft = 8 };

bool IsFrameCode(char c) { return c >= 1 && c <= 15; }

int Nearest(double v) { return int(RoundHalfEven(std::clamp(v, -1e9, 1e9))); }

void Put(std::string& line, int col, unsigned char code) {
    if (col < 0) return;
    if (int(line.size()) <= col) line.resize(std::size_t(col) + 1, ' ');
    char& c = line[std::size_t(col)];
    c = IsFrameCode(c) ? char(static_cast<unsigned char>(c) | code) : char(code);
}

bool OnlyFrames(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || IsFrameCode(c); });
}

char FrameChar(unsigned char code, bool pseudo) {
    if (!pseudo) return code == (dUp | dDown) ? '|' : code == (dRight | dLeft) ? '-' : '+';
    switch (code) {
    case 5: return char(0xB3);
    case 10: return char(0xC4);
    case 6: return char(0xDA);
    case 12: return char(0xBF);
    case 3: return char(0xC0);
    case 9: return char(0xD9);
    case 11: return char(0xC1);
    case 7: return char(0xC3);
    case 14: return char(0xC2);
    case 13: return char(0xB4);
    case 15: return char(0xC5);
    case 1: case 4: return char(0xB3);
    default: return char(0xC4);
    }
}

std::string Quoted(const AnsiString& text) {
    // Quotes inside a field are doubled, so every CSV reader gets the text back as it was.
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace

TVNTextExport::TVNTextExport() {
    RegisterExportFilter(this, CP936("ASCII Text 文件") + " (*.txt)", "*.txt");
}

TVNCSVExport::TVNCSVExport() : TVNTextExport(NoRegistration{}) {
    RegisterExportFilter(this, CP936("CSV 文件") + " (*.csv)", "*.csv");
}

void TVNTextExport::OnBeginPage() {
    Lines.assign(InitialRows, {});
}

void TVNTextExport::OnText(const TRect& drawRect, int x, TVNView& view, int frameFlags, const AnsiString& text,
                           int y) {
    auto* memo = dynamic_cast<TVNMemoView*>(&view);
    TVNTextLineRec rec;
    rec.Alignment = memo ? memo->Adjust : 0;
    rec.X = memo && memo->Alignment() == vntaRightJustify ? drawRect.Right : x;
    rec.Text = text.substr(0, 255);
    if (memo) {
        rec.FontName = memo->Font.Name.substr(0, 32);
        rec.FontSize = memo->Font.Size;
        rec.FontStyle = memo->Font.Style;
        rec.FontColor = memo->Font.Color;
        rec.Charset = memo->Font.Charset;
    }
    rec.DrawRect = TRect{drawRect.Left + 1, drawRect.Top, drawRect.Right, drawRect.Bottom};
    rec.FrameFlags = frameFlags;
    rec.FillColor = view.FillColor;
    const int row = std::clamp(Nearest(y / (14.0 / ScaleY)), 0, MaxRows - 1);
    if (row >= int(Lines.size())) Lines.resize(std::size_t(row) + 1);
    auto& list = Lines[std::size_t(row)];
    auto at = std::find_if(list.begin(), list.end(), [&](const TVNTextLineRec& r) { return r.X >= rec.X; });
    list.insert(at, std::move(rec));
}

void TVNTextExport::WriteLine(const std::string& line) {
    // The OEM code page of a Chinese system is CP936 itself: converting changes nothing.
    Stream->Write(line);
    Stream->Write("\r\n");
}

void TVNTextExport::OnEndPage() {
    const double cw = 6.5 / ScaleX;
    std::vector<std::string> out;
    int last = int(Lines.size()) - 1;
    while (last >= 0 && Lines[std::size_t(last)].empty()) --last;
    for (int row = 0; row <= last; ++row) {
        const auto& recs = Lines[std::size_t(row)];
        std::string rowStr;
        std::size_t target = out.size();
        auto lineAt = [&](std::size_t i) -> std::string& {
            if (i >= out.size()) out.resize(i + 1);
            return out[i];
        };
        for (const TVNTextLineRec& r : recs) {
            const int len = int(r.Text.size());
            int col = Nearest((r.X + 1) / cw);
            if ((r.Alignment & 3) == vntaRightJustify) col -= len;
            int pad = 0;
            const int flags = ExportFrames ? r.FrameFlags : 0;
            int L = 0, W = 0;
            if (flags) {
                L = Nearest(r.DrawRect.Left / cw);
                const int R = Nearest(r.DrawRect.Right / cw);
                W = R - L + 1;
                if (col + len > R) {
                    pad = col + len - R;
                    col -= pad;
                }
            }
            col = std::max(col, 0);
            if (int(rowStr.size()) < col) rowStr.resize(std::size_t(col), ' ');
            rowStr += r.Text;
            rowStr.append(std::size_t(pad), ' ');
            if (!flags) continue;
            if (flags & 8) { // top
                if (target == 0 || !OnlyFrames(out[target - 1])) {
                    out.insert(out.begin() + std::ptrdiff_t(std::min(target, out.size())), std::string());
                    ++target;
                }
                std::string& line = out[target - 1];
                int l = L, w = W;
                if (flags & 4) {
                    Put(line, l, dRight | dDown);
                    ++l, --w;
                }
                if (flags & 1) {
                    Put(line, l + w - 1, dDown | dLeft);
                    --w;
                }
                for (int c = l; c < l + w; ++c) Put(line, c, dRight | dLeft);
            }
            if (flags & 2) { // bottom
                std::string& line = lineAt(target + 1);
                Put(line, L, dUp | dRight);
                Put(line, L + W - 1, dUp | dLeft);
                for (int c = L + 1; c < L + W - 1; ++c) Put(line, c, dRight | dLeft);
            }
            if (flags & 4) Put(lineAt(target), L, dUp | dDown);
            if (flags & 1) Put(lineAt(target), L + W - 1, dUp | dDown);
        }
        if (!recs.empty() || !KillEmptyLines) {
            std::string& line = lineAt(target);
            if (line.size() < rowStr.size()) line.resize(rowStr.size(), ' ');
            for (std::size_t i = 0; i < rowStr.size(); ++i)
                if (line[i] == ' ') line[i] = rowStr[i];
        }
    }
    for (std::string& line : out) {
        for (char& c : line)
            if (IsFrameCode(c)) c = FrameChar(static_cast<unsigned char>(c), UsePseudographic);
        WriteLine(line);
    }
    if (PageBreaks) WriteLine("\f");
}

void TVNCSVExport::OnEndPage() {
    int first = 0, last = int(Lines.size()) - 1;
    while (first <= last && Lines[std::size_t(first)].empty()) ++first;
    while (last >= first && Lines[std::size_t(last)].empty()) --last;
    if (first > last) {
        if (!KillEmptyLines) WriteLine("");
        return;
    }
    const std::string delim(1, Delimiter);
    std::vector<int> columns;
    std::string line;
    for (const auto& r : Lines[std::size_t(first)]) {
        columns.push_back(r.DrawRect.Left);
        line += delim + Quoted(r.Text);
    }
    WriteLine(line);
    for (int row = first + 1; row <= last; ++row) {
        line.clear();
        int prev = 0;
        for (const auto& r : Lines[std::size_t(row)]) {
            auto it = std::find(columns.begin(), columns.end(), r.DrawRect.Left);
            const int col = it != columns.end() ? int(it - columns.begin()) + 1 : prev + 1;
            for (int c = prev; c < col; ++c) line += delim;
            line += Quoted(r.Text);
            prev = col;
        }
        if (!line.empty() || !KillEmptyLines) WriteLine(line);
    }
}

// ---- options ------------------------------------------------------------------------------------

bool TVNTextExport::SetCommonOption(const std::string& name, const std::string& value) {
    if (name == "ScaleX" || name == "ScaleY") {
        // An unreadable scale becomes 1, as the dialog treats it.
        double v = 1;
        try {
            v = ParseExportNumber(name, value);
        } catch (const EVNExportError&) {
        }
        if (!(v > 0)) v = 1;
        (name == "ScaleX" ? ScaleX : ScaleY) = v;
    } else if (name == "KillEmptyLines")
        KillEmptyLines = ParseExportBool(name, value);
    else if (name == "ConvertToOEM")
        ConvertToOEM = ParseExportBool(name, value);
    else
        return false;
    return true;
}

std::vector<TVNExportOption> TVNTextExport::Options() const {
    auto b = [](bool v) { return std::string(v ? "true" : "false"); };
    return {{"ScaleX", FormatExportNumber(ScaleX), "number: report pixels per column = 6.5 / ScaleX"},
            {"ScaleY", FormatExportNumber(ScaleY), "number: report pixels per row = 14 / ScaleY"},
            {"KillEmptyLines", b(KillEmptyLines), "boolean: rows without text are not written"},
            {"ConvertToOEM", b(ConvertToOEM), "boolean: convert to the OEM code page"},
            {"ExportFrames", b(ExportFrames), "boolean: draw object frames with characters"},
            {"UsePseudographic", b(UsePseudographic), "boolean: box-drawing frame characters"},
            {"PageBreaks", b(PageBreaks), "boolean: a form feed ends every page"}};
}

void TVNTextExport::SetOption(const std::string& name, const std::string& value) {
    if (SetCommonOption(name, value)) return;
    if (name == "ExportFrames")
        ExportFrames = ParseExportBool(name, value);
    else if (name == "UsePseudographic")
        UsePseudographic = ParseExportBool(name, value);
    else if (name == "PageBreaks")
        PageBreaks = ParseExportBool(name, value);
    else
        UnknownOption(name);
}

std::vector<TVNExportOption> TVNCSVExport::Options() const {
    auto all = TVNTextExport::Options();
    all.resize(4);
    all.push_back({"Delimiter", std::string(1, Delimiter), "one character between fields"});
    return all;
}

void TVNCSVExport::SetOption(const std::string& name, const std::string& value) {
    if (SetCommonOption(name, value)) return;
    if (name != "Delimiter") UnknownOption(name);
    // An empty delimiter or a double quote keeps the old one.
    if (!value.empty() && value[0] != '"') Delimiter = value[0];
}
