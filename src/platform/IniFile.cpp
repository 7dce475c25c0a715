// INI settings files read and written one value per call, with atomic replacement and with every
// line the call does not concern kept byte for byte. See IniFile.h for the format and guarantees.
#include "IniFile.h"

#include "AtomicFile.h"
#include "ConfigPaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

constexpr std::size_t NoLine = static_cast<std::size_t>(-1);

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks and tabs are below 0x40, so they never are the trailing byte of a CP936 pair and can be
// trimmed byte-wise.
std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

enum class TLineKind { Other, Section, Entry };

struct TIniLine {
    std::string Text; // without the line break
    TLineKind Kind = TLineKind::Other;
    AnsiString Name; // section name or key name, trimmed
};

TIniLine ParseLine(std::string text) {
    TIniLine line;
    line.Text = std::move(text);
    std::string_view body = TrimBlanks(line.Text);
    if (body.empty() || body.front() == ';') return line;
    if (body.front() == '[') {
        // The name runs to the last "]": a "]" byte inside can be half of a double-byte character.
        std::size_t close = body.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.Kind = TLineKind::Section;
            line.Name = AnsiString(TrimBlanks(body.substr(1, close - 1)));
        }
        return line;
    }
    // "=" is below 0x40, never a trailing byte, so the first one found separates key and value.
    std::size_t equals = body.find('=');
    if (equals != std::string_view::npos) {
        line.Kind = TLineKind::Entry;
        line.Name = AnsiString(TrimBlanks(body.substr(0, equals)));
    }
    return line;
}

AnsiString DecodeValue(const std::string& lineText) {
    std::string_view value = TrimBlanks(std::string_view(lineText).substr(lineText.find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value.remove_prefix(1);
        value.remove_suffix(1);
    }
    return AnsiString(value);
}

AnsiString EncodeValue(const AnsiString& value) {
    if (value.empty()) return value;
    bool quote = IsBlank(value.front()) || IsBlank(value.back()) ||
                 (value.size() >= 2 && value.front() == '"' && value.back() == '"');
    return quote ? "\"" + value + "\"" : value;
}

// The file as a list of lines; lines the caller does not touch are written back unchanged.
class TIniDocument {
public:
    std::vector<TIniLine> Lines;
    std::string Newline = "\n";

    static TIniDocument Load(const std::string& path) {
        TIniDocument doc;
        std::string content;
        if (!ReadWholeFile(path, content)) return doc;
        std::size_t firstBreak = content.find('\n');
        if (firstBreak != std::string::npos && firstBreak > 0 && content[firstBreak - 1] == '\r')
            doc.Newline = "\r\n";
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            std::size_t textEnd = end;
            if (textEnd > start && content[textEnd - 1] == '\r') --textEnd;
            doc.Lines.push_back(ParseLine(content.substr(start, textEnd - start)));
            start = end + 1;
        }
        return doc;
    }

    std::string Text() const {
        std::string out;
        for (const TIniLine& line : Lines) {
            out += line.Text;
            out += Newline;
        }
        return out;
    }

    std::size_t FindSection(const AnsiString& name, std::size_t from = 0) const {
        for (std::size_t i = from; i < Lines.size(); ++i)
            if (Lines[i].Kind == TLineKind::Section && SameText(Lines[i].Name, name)) return i;
        return NoLine;
    }

    // One past the last line of the section whose header is at the given line.
    std::size_t SectionEnd(std::size_t header) const {
        std::size_t i = header + 1;
        while (i < Lines.size() && Lines[i].Kind != TLineKind::Section)
            ++i;
        return i;
    }

    std::size_t FindKey(std::size_t header, const AnsiString& name) const {
        for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
            if (Lines[i].Kind == TLineKind::Entry && SameText(Lines[i].Name, name)) return i;
        return NoLine;
    }

    // Where a new key of the section goes: after its last key, so comments and blank lines that
    // lead into the next section stay with it.
    std::size_t InsertPoint(std::size_t header) const {
        std::size_t at = header + 1;
        for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
            if (Lines[i].Kind == TLineKind::Entry) at = i + 1;
        return at;
    }
};

bool HasLineBreak(const AnsiString& s) {
    return s.find_first_of("\r\n") != AnsiString::npos;
}

void CheckSection(const AnsiString& section) {
    if (HasLineBreak(section)) throw EIniFileError("INI section name contains a line break: " + section);
}

void CheckKey(const AnsiString& ident) {
    std::string_view name = TrimBlanks(ident);
    if (name.empty() || HasLineBreak(ident) || ident.find('=') != AnsiString::npos || name.front() == ';' ||
        name.front() == '[')
        throw EIniFileError("INI key name cannot be stored: '" + ident + "'");
}

void CheckValue(const AnsiString& value) {
    if (HasLineBreak(value)) throw EIniFileError("INI value contains a line break");
}

void Save(const std::string& path, const TIniDocument& doc) {
    try {
        AtomicWriteFile(path, doc.Text());
    } catch (const EFileWriteError& error) {
        throw EIniFileError(error.what());
    }
}

bool ParseInteger(std::string_view text, int& result) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    long long value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > 0x100000000LL) return false;
    }
    if (negative) value = -value;
    // Hexadecimal texts name a 32-bit pattern ($FFFFFFFF is -1), decimal texts must fit.
    if (base == 16 && !negative && value > INT_MAX && value <= 0xFFFFFFFFLL) value -= 0x100000000LL;
    if (value < INT_MIN || value > INT_MAX) return false;
    result = static_cast<int>(value);
    return true;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& defaultValue) const {
    TIniDocument doc = TIniDocument::Load(FFileName);
    std::size_t header = doc.FindSection(section);
    if (header == NoLine) return defaultValue;
    std::size_t key = doc.FindKey(header, ident);
    return key == NoLine ? defaultValue : DecodeValue(doc.Lines[key].Text);
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
    CheckSection(section);
    CheckKey(ident);
    CheckValue(value);
    TIniDocument doc = TIniDocument::Load(FFileName);
    std::size_t header = doc.FindSection(section);
    if (header == NoLine) {
        doc.Lines.push_back(ParseLine("[" + section + "]"));
        doc.Lines.push_back(ParseLine(ident + "=" + EncodeValue(value)));
    } else if (std::size_t key = doc.FindKey(header, ident); key != NoLine) {
        // Keep the key as the file spells it; only the value changes.
        TIniLine& line = doc.Lines[key];
        std::string updated = line.Text.substr(0, line.Text.find('=') + 1) + EncodeValue(value);
        if (updated == line.Text) return;
        line = ParseLine(std::move(updated));
    } else {
        auto at = doc.Lines.begin() + static_cast<std::ptrdiff_t>(doc.InsertPoint(header));
        doc.Lines.insert(at, ParseLine(ident + "=" + EncodeValue(value)));
    }
    Save(FFileName, doc);
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const {
    int value = defaultValue;
    if (!ParseInteger(ReadString(section, ident, AnsiString()), value)) return defaultValue;
    return value;
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
    WriteString(section, ident, std::to_string(value));
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

bool TIniFile::SectionExists(const AnsiString& section) const {
    return TIniDocument::Load(FFileName).FindSection(section) != NoLine;
}

bool TIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) const {
    TIniDocument doc = TIniDocument::Load(FFileName);
    std::size_t header = doc.FindSection(section);
    return header != NoLine && doc.FindKey(header, ident) != NoLine;
}

std::vector<AnsiString> TIniFile::ReadSection(const AnsiString& section) const {
    TIniDocument doc = TIniDocument::Load(FFileName);
    std::vector<AnsiString> keys;
    std::size_t header = doc.FindSection(section);
    if (header == NoLine) return keys;
    for (std::size_t i = header + 1, end = doc.SectionEnd(header); i < end; ++i) {
        if (doc.Lines[i].Kind != TLineKind::Entry || doc.FindKey(header, doc.Lines[i].Name) != i) continue;
        keys.push_back(doc.Lines[i].Name);
    }
    return keys;
}

std::vector<AnsiString> TIniFile::ReadSections() const {
    TIniDocument doc = TIniDocument::Load(FFileName);
    std::vector<AnsiString> sections;
    for (std::size_t i = 0; i < doc.Lines.size(); ++i)
        if (doc.Lines[i].Kind == TLineKind::Section && doc.FindSection(doc.Lines[i].Name) == i)
            sections.push_back(doc.Lines[i].Name);
    return sections;
}

void TIniFile::EraseSection(const AnsiString& section) {
    TIniDocument doc = TIniDocument::Load(FFileName);
    bool changed = false;
    for (std::size_t header = doc.FindSection(section); header != NoLine; header = doc.FindSection(section)) {
        auto first = doc.Lines.begin() + static_cast<std::ptrdiff_t>(header);
        doc.Lines.erase(first, doc.Lines.begin() + static_cast<std::ptrdiff_t>(doc.SectionEnd(header)));
        changed = true;
    }
    if (changed) Save(FFileName, doc);
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
    TIniDocument doc = TIniDocument::Load(FFileName);
    std::size_t header = doc.FindSection(section);
    if (header == NoLine) return;
    bool changed = false;
    for (std::size_t key = doc.FindKey(header, ident); key != NoLine; key = doc.FindKey(header, ident)) {
        doc.Lines.erase(doc.Lines.begin() + static_cast<std::ptrdiff_t>(key));
        changed = true;
    }
    if (changed) Save(FFileName, doc);
}

std::string ResolveSettingsPath(const AnsiString& fileName, const AnsiString& folder) {
    // Converted first: in UTF-8 a "\" byte is always a backslash, never half of a character.
    std::string name = AnsiToUtf8(fileName);
    std::string dir = AnsiToUtf8(folder);
    if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir += '\\';
    std::string path = dir == "\\" ? JoinPath(ProgramFolder(), name) : dir + name;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}
