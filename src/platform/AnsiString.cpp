// CP936 text: lead-byte rule, conversions at the edges, trimming and single-byte case mapping.
//
// Conversions are table-driven. The tables are read from iconv ("CP936") once, at first use, in a
// thread-safe function-local static, so the mapping is exactly the system's and converting is a
// lookup per character. Every byte that does not form a mapped character becomes U+FFFD towards
// Unicode and every code point without a CP936 form becomes "?" towards CP936: nothing is dropped.
#include "AnsiString.h"

#include <iconv.h>

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr char16_t ReplacementChar = 0xFFFD;
constexpr unsigned FirstLead = 0x81;
constexpr unsigned LastLead = 0xFE;
constexpr unsigned FirstTrail = 0x40;
constexpr unsigned LastTrail = 0xFE;
constexpr unsigned TrailCount = LastTrail - FirstTrail + 1;

// A byte that may follow a lead byte in CP936 (0x7F never does).
inline bool IsTrailByte(unsigned char c) {
    return c >= FirstTrail && c <= LastTrail && c != 0x7F;
}

// The two lookup tables. A zero entry means "no mapping" (U+0000 only maps from and to byte 0,
// which is handled before the tables are consulted).
struct TCodePageTables {
    std::array<char16_t, 256> Single{}; // single bytes
    std::vector<char16_t> Double =
        std::vector<char16_t>((LastLead - FirstLead + 1) * TrailCount); // lead x trail
    std::vector<std::uint16_t> FromUnicode =
        std::vector<std::uint16_t>(0x10000); // byte, or lead << 8 | trail

    TCodePageTables() {
        iconv_t cd = iconv_open("UTF-16LE", "CP936");
        auto convert = [cd](const unsigned char* bytes, std::size_t length) -> char16_t {
            if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
            char in[2] = {static_cast<char>(bytes[0]), length > 1 ? static_cast<char>(bytes[1]) : '\0'};
            char out[8];
            char* inPtr = in;
            char* outPtr = out;
            std::size_t inLeft = length;
            std::size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset the shift state
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
                inLeft != 0 || sizeof out - outLeft != 2)
                return 0;
            return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                         static_cast<unsigned char>(out[1]) << 8);
        };
        for (unsigned b = 0; b < 0x80; ++b)
            Single[b] = static_cast<char16_t>(b);
        for (unsigned b = 0x80; b < 0x100; ++b) {
            if (IsLeadByte(static_cast<unsigned char>(b))) continue;
            const unsigned char byte = static_cast<unsigned char>(b);
            Single[b] = convert(&byte, 1);
        }
        for (unsigned lead = FirstLead; lead <= LastLead; ++lead) {
            for (unsigned trail = FirstTrail; trail <= LastTrail; ++trail) {
                if (trail == 0x7F) continue;
                const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                               static_cast<unsigned char>(trail)};
                Double[(lead - FirstLead) * TrailCount + (trail - FirstTrail)] = convert(pair, 2);
            }
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);

        // The reverse table inverts the forward one; the first (lowest) code wins when two codes
        // share a character, so a round trip through Unicode always lands on one fixed code.
        for (unsigned b = 0xFF; b >= 0x80; --b)
            if (Single[b] != 0) FromUnicode[Single[b]] = static_cast<std::uint16_t>(b);
        for (unsigned lead = LastLead; lead >= FirstLead; --lead)
            for (unsigned trail = LastTrail; trail >= FirstTrail; --trail) {
                const char16_t u = Double[(lead - FirstLead) * TrailCount + (trail - FirstTrail)];
                if (u != 0 && u >= 0x80) FromUnicode[u] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        for (unsigned b = 0; b < 0x80; ++b)
            FromUnicode[b] = static_cast<std::uint16_t>(b);
    }
};

const TCodePageTables& Tables() {
    static const TCodePageTables tables;
    return tables;
}

// Decodes one CP936 character at index i; advances i. Returns U+FFFD for anything unmapped.
inline char16_t DecodeAnsi(const TCodePageTables& t, std::string_view ansi, std::size_t& i) {
    const unsigned char c = static_cast<unsigned char>(ansi[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    if (IsLeadByte(c)) {
        if (i + 1 < ansi.size() && IsTrailByte(static_cast<unsigned char>(ansi[i + 1]))) {
            const unsigned char trail = static_cast<unsigned char>(ansi[i + 1]);
            i += 2;
            const char16_t u = t.Double[(c - FirstLead) * TrailCount + (trail - FirstTrail)];
            return u != 0 ? u : ReplacementChar;
        }
        ++i; // a lone lead byte: replaced, and the byte after it stays a character of its own
        return ReplacementChar;
    }
    ++i;
    return t.Single[c] != 0 ? t.Single[c] : ReplacementChar;
}

inline void AppendAnsi(const TCodePageTables& t, AnsiString& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    const std::uint16_t code = cp < 0x10000 ? t.FromUnicode[cp] : 0;
    if (code == 0)
        out.push_back('?');
    else if (code < 0x100)
        out.push_back(static_cast<char>(code));
    else {
        out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
    }
}

inline void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 | cp >> 10));
        out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    }
}

// Decodes one UTF-8 code point at index i; advances i. A malformed sequence (bad lead, missing or
// bad continuation, overlong form, surrogate, beyond U+10FFFF) yields U+FFFD for its first byte
// only, so the bytes after it are read again as characters of their own.
inline char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    std::size_t length;
    char32_t cp;
    char32_t minimum;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, cp = c & 0x1F, minimum = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, cp = c & 0x0F, minimum = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, cp = c & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return ReplacementChar;
    }
    if (i + length > s.size()) {
        ++i;
        return ReplacementChar;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return ReplacementChar;
        }
        cp = cp << 6 | (cc & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return ReplacementChar;
    }
    i += length;
    return cp;
}

// Decodes one UTF-16 code point at index i; advances i. A lone surrogate yields U+FFFD.
inline char32_t DecodeUtf16(std::u16string_view s, std::size_t& i) {
    const char16_t c = s[i++];
    if (c < 0xD800 || c > 0xDFFF) return c;
    if (c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
        const char16_t low = s[i++];
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (low - 0xDC00);
    }
    return ReplacementChar;
}

inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::size_t CharLengthAt(std::string_view text, std::size_t index) {
    if (index + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[index])) &&
        IsTrailByte(static_cast<unsigned char>(text[index + 1])))
        return 2;
    return 1;
}

bool IsTrailByteAt(std::string_view text, std::size_t index) {
    // Lead and trail ranges overlap, so only a walk from the start knows where characters begin.
    std::size_t i = 0;
    while (i < index)
        i += CharLengthAt(text, i);
    return i > index;
}

AnsiString Utf8ToAnsi(std::string_view utf8) {
    const TCodePageTables& t = Tables();
    AnsiString out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out.push_back(utf8[i++]);
            continue;
        }
        AppendAnsi(t, out, DecodeUtf8(utf8, i));
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    const TCodePageTables& t = Tables();
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 2);
    for (std::size_t i = 0; i < ansi.size();) {
        if (static_cast<unsigned char>(ansi[i]) < 0x80) {
            out.push_back(ansi[i++]);
            continue;
        }
        AppendUtf8(out, DecodeAnsi(t, ansi, i));
    }
    return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
    const TCodePageTables& t = Tables();
    const char16_t* const doubles = t.Double.data();
    std::u16string out(ansi.size(), u'\0');
    char16_t* dst = out.data();
    const unsigned char* src = reinterpret_cast<const unsigned char*>(ansi.data());
    const unsigned char* const end = src + ansi.size();
    while (src < end) {
        const unsigned char c = *src;
        if (c < 0x80) {
            *dst++ = c;
            ++src;
        } else if (IsLeadByte(c) && src + 1 < end && IsTrailByte(src[1])) {
            const char16_t u = doubles[(c - FirstLead) * TrailCount + (src[1] - FirstTrail)];
            *dst++ = u != 0 ? u : ReplacementChar;
            src += 2;
        } else {
            // A lone lead byte or a single byte above 0x7F; the byte after a lone lead is read
            // again as a character of its own.
            *dst++ = !IsLeadByte(c) && t.Single[c] != 0 ? t.Single[c] : ReplacementChar;
            ++src;
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return out;
}

AnsiString Utf16ToAnsi(std::u16string_view utf16) {
    const TCodePageTables& t = Tables();
    AnsiString out(utf16.size() * 2, '\0');
    char* dst = out.data();
    for (std::size_t i = 0; i < utf16.size();) {
        const char16_t c = utf16[i];
        if (c < 0x80) {
            *dst++ = static_cast<char>(c);
            ++i;
            continue;
        }
        const char32_t cp = DecodeUtf16(utf16, i);
        const std::uint16_t code = cp < 0x10000 ? t.FromUnicode[cp] : 0;
        if (code == 0) {
            *dst++ = '?';
        } else if (code < 0x100) {
            *dst++ = static_cast<char>(code);
        } else {
            *dst++ = static_cast<char>(code >> 8);
            *dst++ = static_cast<char>(code & 0xFF);
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        AppendUtf16(out, DecodeUtf8(utf8, i));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size();)
        AppendUtf8(out, DecodeUtf16(utf16, i));
    return out;
}

AnsiString Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

AnsiString TrimLeft(std::string_view s) {
    std::size_t first = 0;
    while (first < s.size() && IsBlank(s[first]))
        ++first;
    return AnsiString(s.substr(first));
}

AnsiString TrimRight(std::string_view s) {
    // Trail bytes are never <= 32, so cutting blanks from the end never splits a pair.
    std::size_t end = s.size();
    while (end > 0 && IsBlank(s[end - 1]))
        --end;
    return AnsiString(s.substr(0, end));
}

namespace {

template <char From, char To> AnsiString MapCase(std::string_view s) {
    AnsiString out(s);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t length = CharLengthAt(out, i);
        if (length == 1 && out[i] >= From && out[i] <= From + 25)
            out[i] = static_cast<char>(out[i] - From + To);
        i += length;
    }
    return out;
}

} // namespace

AnsiString UpperCase(std::string_view s) {
    return MapCase<'a', 'A'>(s);
}
AnsiString LowerCase(std::string_view s) {
    return MapCase<'A', 'a'>(s);
}

int CompareText(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t la = CharLengthAt(a, i);
        const std::size_t lb = CharLengthAt(b, j);
        for (std::size_t k = 0; k < la || k < lb; ++k) {
            int ca = k < la ? static_cast<unsigned char>(a[i + k]) : -1;
            int cb = k < lb ? static_cast<unsigned char>(b[j + k]) : -1;
            if (la == 1 && ca >= 'a' && ca <= 'z') ca -= 'a' - 'A';
            if (lb == 1 && cb >= 'a' && cb <= 'z') cb -= 'a' - 'A';
            if (ca != cb) return ca < cb ? -1 : 1;
        }
        i += la;
        j += lb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}
