// The registry of the current user, kept as one plain text file under the config folder.
//
// The engine remembers window positions and per-report print settings the way desktop programs
// do: under key paths such as "Software\Quillon\Valnor\Form\TVNPreviewForm", as typed values.
// TRegistry offers the classic operations on such a store, with the classic rules:
// - Key paths use "\" between key names; a path starting with "\" starts at the root, any other
//   path is relative to the open key. Key and value names match without regard to the case of
//   single-byte letters and are stored as first given. Only the root HKEY_CURRENT_USER exists.
// - Values are typed (string, expandable string, integer, binary). Reading a value as another type
//   raises ERegistryException ("Invalid data type for 'Name'"); ReadString of a missing value
//   gives "" as the classic registry does. ReadBool/WriteBool use an
//   integer (0 or 1), ReadFloat/WriteFloat an 8-byte binary holding the IEEE double. Reading a
//   missing value (other than as a string) raises "Failed to get data for 'Name'".
// - Every call reads the file afresh; every change re-reads it, applies the one change and
//   replaces the file atomically (AtomicFile.h), so a crash never leaves a half-written store.
//
// Store file format (CP936 bytes, LF line ends), e.g. ConfigFolder()/registry.reg:
//   GUSVAK REGISTRY 1
//   [Software\Quillon\Valnor\Form\TVNPreviewForm]
//   "Width"=dword:00000320
//   "Caption"="text with \"quotes\" and \\ backslashes"
//   "Path"=expand:"%HOME%\\x"
//   "Scale"=hex:00,00,00,00,00,00,f8,3f
// One "[path]" block per key, keys in the order created, values in the order first written. In
// quoted texts "\\", "\"", "\r" and "\n" stand for a backslash, a quote, CR and LF (escaped byte
// by byte). The value named "" is the key's default value, written "@".
#pragma once

#include "AnsiString.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = TRegDataType::rdUnknown;
    int DataSize = 0;
};

// Path of the store file of the current user: ConfigFolder()/registry.reg.
std::string DefaultRegistryFile();

class TRegistry {
public:
    // storeFile: the UTF-8 path of the store; tests pass their own.
    explicit TRegistry(std::string storeFile = DefaultRegistryFile());

    static const char* RootKeyName() { return "HKEY_CURRENT_USER"; }

    // Opens the key (relative to the open key unless it starts with "\"); with canCreate a missing
    // key is created with its missing parents. False when the key does not exist and may not be
    // created, or when it cannot be created.
    bool OpenKey(const AnsiString& key, bool canCreate);
    bool OpenKeyReadOnly(const AnsiString& key);
    // Back to the root.
    void CloseKey();
    // The open key's full path without a leading "\" ("" at the root).
    const AnsiString& CurrentPath() const { return FCurrentPath; }

    bool KeyExists(const AnsiString& key) const;
    bool CreateKey(const AnsiString& key);
    // Removes the key with all its subkeys and values; false when it did not exist.
    bool DeleteKey(const AnsiString& key);
    // Names of the open key's direct subkeys.
    std::vector<AnsiString> GetKeyNames() const;

    bool ValueExists(const AnsiString& name) const;
    bool DeleteValue(const AnsiString& name);
    std::vector<AnsiString> GetValueNames() const;
    // False when the value does not exist.
    bool GetDataInfo(const AnsiString& name, TRegDataInfo& info) const;
    TRegDataType GetDataType(const AnsiString& name) const;
    // Size in bytes (a string counts its terminating zero, as the classic registry does); -1 when missing.
    int GetDataSize(const AnsiString& name) const;

    AnsiString ReadString(const AnsiString& name) const;
    void WriteString(const AnsiString& name, const AnsiString& value);
    void WriteExpandString(const AnsiString& name, const AnsiString& value);
    int ReadInteger(const AnsiString& name) const;
    void WriteInteger(const AnsiString& name, int value);
    bool ReadBool(const AnsiString& name) const;
    void WriteBool(const AnsiString& name, bool value);
    double ReadFloat(const AnsiString& name) const;
    void WriteFloat(const AnsiString& name, double value);
    std::vector<std::uint8_t> ReadBinary(const AnsiString& name) const;
    void WriteBinary(const AnsiString& name, const std::vector<std::uint8_t>& value);

    const std::string& StoreFile() const { return FStoreFile; }

private:
    std::string FStoreFile;
    AnsiString FCurrentPath;
    bool FReadOnly = false;

    AnsiString AbsolutePath(const AnsiString& key) const;
    void WriteValue(const AnsiString& name, TRegDataType type, std::string data);
};
