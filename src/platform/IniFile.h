// INI settings files: [section] headers and key=value lines, as the classic desktop API keeps them.
//
// Behaviour callers rely on:
// - Section and key names match without regard to the case of single-byte letters, but are
//   written exactly as given. Values are CP936 bytes and come back exactly as written: a value
//   with blanks at either end (or one that itself looks quoted) is stored inside double quotes,
//   which a read strips again, so hand-edited lines such as "key = value" still read as "value".
// - A missing or unreadable file reads as a file without keys; reading never raises.
// - Every call opens the file, does its one read or write, and closes it, so values written by
//   another process in between are seen and kept. A write re-reads the file, changes only the
//   line concerned (unrelated sections, keys, comments, order and line endings stay as they were)
//   and replaces the file atomically (AtomicFile.h): a crash leaves the old or the new file.
// - Names or values that could not be read back as written (a line break anywhere, "=" in a key,
//   a key starting with ";" or "[") raise EIniFileError instead of corrupting the file.
//
// File format: lines end with LF (an existing file that uses CR LF keeps CR LF); a line whose
// first non-blank character is ";" is a comment; "[name]" opens a section, the name running to
// the last "]" of the line (a CP936 trailing byte can be "]"); "key=value" splits at the first
// "=". Keys before the first section are kept but belong to no section.
#pragma once

#include "AnsiString.h"

#include <stdexcept>
#include <string>
#include <vector>

class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniFile {
public:
    // fileName: a file-system path in UTF-8 (see ResolveSettingsPath for callers' folder rules).
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                          const AnsiString& defaultValue) const;
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);

    // Decimal, or hexadecimal with "$" or "0x"; anything else (or out of range) reads as the default.
    int ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const;
    void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);

    // Stored as "1"/"0"; any integer other than 0 reads as true, a non-integer as the default.
    bool ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const;
    void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);

    bool SectionExists(const AnsiString& section) const;
    bool ValueExists(const AnsiString& section, const AnsiString& ident) const;

    // Key names of the section in file order (each name once), or of all sections.
    std::vector<AnsiString> ReadSection(const AnsiString& section) const;
    std::vector<AnsiString> ReadSections() const;

    // Remove every section of that name with its keys / every line of that key in the section.
    // Nothing is written when there is nothing to remove.
    void EraseSection(const AnsiString& section);
    void DeleteKey(const AnsiString& section, const AnsiString& ident);

private:
    std::string FFileName;
};

// The file a settings routine reads or writes, from the caller's file name and folder texts
// (CP936, Windows-style). A folder that does not end with "\" gets one; a folder that is then
// exactly "\" (so also an empty folder) means the folder of the running program (ProgramFolder),
// otherwise the folder text is put directly in front of the file name. Backslashes become "/".
// A folder already ending with "/" is taken as ended. Returns a UTF-8 file-system path.
std::string ResolveSettingsPath(const AnsiString& fileName, const AnsiString& folder);
