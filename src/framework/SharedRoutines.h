// Small free routines every module of the host shares: text pieces for the filter builder and the
// grid layout, the display of a server function's error list, the record set held by a server
// result, the leading-zero text behind quantity formats and one-value settings access.
//
// All texts are CP936 byte strings; positions count bytes from 1, and a separator is never matched
// against the trailing byte of a double-byte character (GBK trailing bytes include "|" and "@").
#pragma once

#include "platform/AnsiString.h"
#include "platform/Value.h"

#include <cstdint>
#include <memory>
#include <optional>

class QWidget;
class TMemDataSet;

// A when the condition holds, else B.
AnsiString IfThenText(bool condition, const AnsiString& a, const AnsiString& b);

// The text as a whole number: optional blanks, an optional sign, then decimal digits, or
// hexadecimal digits after "$" or "0x" (the classic conversion rules). Nothing when the text is
// empty, holds anything else, or leaves the 64-bit range.
std::optional<std::int64_t> TextToInt64(const AnsiString& text);

// The text as a 32-bit integer under the same rules; EConvertError naming the text otherwise.
std::int32_t TextToInt32(const AnsiString& text);

// True when the trimmed text is not empty and converts to a 64-bit integer.
bool IsIntegerText(const AnsiString& text);

// The decimal text of the value with leading zeros up to width characters. A longer text is cut to
// its last width characters when truncate is set and left whole otherwise. A negative value keeps
// its sign in front of the zeros.
AnsiString ZeroPad(int width, bool truncate, std::int64_t value);

// The error list of a failed server function as one text: the prefix (when given) on its own line,
// then every message on its own line. A value that is no array, or an empty array, gives
// "未知错误！" so that a failure is never shown as a blank box. When an owner is given the text
// is also shown (caption "错误", error icon).
AnsiString ShowServerErrors(QWidget* owner, const Value& errors, const AnsiString& prefix);

// The record set held by a server result; EConvertError for any other value.
std::shared_ptr<TMemDataSet> VariantToRecordset(const Value& value);

// 0 for an empty text, else 1 + the number of occurrences of the character: the number of fields
// FieldOf can take apart.
int CountOf(const AnsiString& text, const AnsiString& character);

// The n-th field (from 1) of a text whose fields are separated by the character: the piece after
// the (n-1)-th separator up to the n-th one (or the end). A piece that is the whole text, so any
// field of a text without separator, is the empty text; so is a field beyond the last one.
AnsiString FieldOf(const AnsiString& text, const AnsiString& separator, int n);

// One value of a settings file. An empty folder (or exactly "\") means the folder of the running
// program; any other folder text is put directly in front of the file name. Each call opens the
// file, reads or writes the one value and closes it.
AnsiString ReadIniValue(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                        const AnsiString& folder, const AnsiString& defaultValue);
void WriteIniValue(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                   const AnsiString& folder, const AnsiString& value);

// The text with every single quote doubled, ready to stand between quotes in a SELECT text. Every
// SELECT built from typed text goes through this, so a quote in the text can neither break the
// statement nor add to it.
AnsiString QuotedSql(const AnsiString& text);
