// The shared free routines of the framework (see SharedRoutines.h). They never raise except where
// the header says so; character scans step over double-byte characters as a whole.
#include "SharedRoutines.h"

#include "platform/IniFile.h"
#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <limits>

namespace {

// 0-based index of the first occurrence of the character at or after from, stepping by
// characters; npos when there is none.
std::size_t FindChar(const AnsiString& text, const AnsiString& character, std::size_t from) {
    if (character.empty()) return AnsiString::npos;
    std::size_t i = from;
    while (i < text.size()) {
        if (text.compare(i, character.size(), character) == 0) return i;
        i += CharLengthAt(text, i);
    }
    return AnsiString::npos;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

AnsiString IfThenText(bool condition, const AnsiString& a, const AnsiString& b) {
    return condition ? a : b;
}

std::optional<std::int64_t> TextToInt64(const AnsiString& text) {
    const AnsiString t = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return std::nullopt;
    // Accumulated as a negative number so that the smallest 64-bit value fits.
    std::int64_t magnitude = 0;
    const std::int64_t limit = std::numeric_limits<std::int64_t>::min();
    for (; i < t.size(); ++i) {
        const int d = DigitValue(t[i]);
        if (d < 0 || d >= base) return std::nullopt;
        if (magnitude < (limit + d) / base) return std::nullopt;
        magnitude = magnitude * base - d;
    }
    if (!negative) {
        if (magnitude == limit) return std::nullopt;
        return -magnitude;
    }
    return magnitude;
}

std::int32_t TextToInt32(const AnsiString& text) {
    const std::optional<std::int64_t> v = TextToInt64(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
        throw EConvertError("'" + text + "' is not a valid integer value");
    return static_cast<std::int32_t>(*v);
}

bool IsIntegerText(const AnsiString& text) {
    return TextToInt64(text).has_value();
}

AnsiString ZeroPad(int width, bool truncate, std::int64_t value) {
    const bool negative = value < 0;
    AnsiString digits = std::to_string(value);
    if (negative) digits.erase(0, 1);
    const std::size_t want = width > 0 ? static_cast<std::size_t>(width) : 0;
    const std::size_t used = digits.size() + (negative ? 1 : 0);
    AnsiString text = used < want ? AnsiString(want - used, '0') + digits : digits;
    if (negative) text.insert(0, 1, '-');
    if (truncate && text.size() > want) text.erase(0, text.size() - want);
    return text;
}

AnsiString ShowServerErrors(QWidget* owner, const Value& errors, const AnsiString& prefix) {
    const AnsiString crlf = "\r\n";
    AnsiString text = prefix.empty() ? AnsiString() : prefix + crlf;
    try {
        const std::vector<Value>& items = errors.AsArray();
        if (items.empty()) throw EConvertError("empty error list");
        for (const Value& item : items)
            text += item.AsString() + crlf;
    } catch (const std::exception&) {
        text += CP936("未知错误！") + crlf;
    }
    text.erase(text.size() - 2);
    if (owner != nullptr) Messages().Error(text);
    return text;
}

std::shared_ptr<TMemDataSet> VariantToRecordset(const Value& value) {
    return value.AsRecordSet();
}

int CountOf(const AnsiString& text, const AnsiString& character) {
    if (text.empty()) return 0;
    int count = 1;
    for (std::size_t at = FindChar(text, character, 0); at != AnsiString::npos;
         at = FindChar(text, character, at + character.size()))
        ++count;
    return count;
}

AnsiString FieldOf(const AnsiString& text, const AnsiString& separator, int n) {
    if (n < 1) return {};
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t at = FindChar(text, separator, start);
        if (at == AnsiString::npos) return {};
        start = at + separator.size();
    }
    const std::size_t end = FindChar(text, separator, start);
    AnsiString piece = text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
    return piece == text ? AnsiString() : piece;
}

AnsiString ReadIniValue(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                        const AnsiString& folder, const AnsiString& defaultValue) {
    return TIniFile(ResolveSettingsPath(fileName, folder)).ReadString(section, key, defaultValue);
}

void WriteIniValue(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                   const AnsiString& folder, const AnsiString& value) {
    TIniFile(ResolveSettingsPath(fileName, folder)).WriteString(section, key, value);
}

AnsiString QuotedSql(const AnsiString& text) {
    AnsiString out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = CharLengthAt(text, i);
        out.append(text, i, len);
        if (len == 1 && text[i] == '\'') out += '\'';
        i += len;
    }
    return out;
}
