// Text in code page 936 (GBK), the one text model of the engine, the module and the host boundary.
//
// An AnsiString holds CP936 bytes. A lead byte 0x81..0xFE and the byte after it form one
// character; positions and lengths count bytes from 1 where the system's operations say so.
// Conversion to UTF-8 / UTF-16 happens only at the edges (widgets, fonts, file names, terminal).
// Invalid sequences are never dropped silently: they convert to a replacement character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

using AnsiString = std::string;

// True for a byte that starts a double-byte character.
inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Number of bytes of the character starting at the 0-based index: 2 for a complete pair, else 1.
std::size_t CharLengthAt(std::string_view text, std::size_t index);

// True when the 0-based index falls on the trailing byte of a double-byte pair.
bool IsTrailByteAt(std::string_view text, std::size_t index);

// Conversions. Bytes that do not form a valid character become U+FFFD (to Unicode) or "?"
// (to CP936); nothing is dropped.
AnsiString Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
std::u16string AnsiToUtf16(std::string_view ansi);
AnsiString Utf16ToAnsi(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Blanks and control bytes (<= 32) at either end are removed.
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);

// Case mapping of single-byte letters; double-byte characters pass through intact, even when
// their trailing byte happens to be an ASCII letter.
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);

// Case-insensitive comparison of single-byte letters (<0, 0, >0), double-byte pairs compared as bytes.
int CompareText(std::string_view a, std::string_view b);
inline bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

// A Chinese literal written in the UTF-8 source, converted to CP936 once per use site:
//   if (caption == CP936("盘点损益表")) ...
// Never compare a UTF-8 literal with CP936 data byte-wise.
#define CP936(utf8literal)                                                                               \
    ([]() -> const AnsiString& {                                                                         \
        static const AnsiString converted = Utf8ToAnsi(utf8literal);                                    \
        return converted;                                                                                \
    }())
