// The current user's registry as one text file: parsing, the key tree rules and typed values.
// See Registry.h for the file format and the guarantees.
#include "Registry.h"

#include "AtomicFile.h"
#include "ConfigPaths.h"

#include <cstdio>
#include <cstring>

namespace {

using TKeyParts = std::vector<AnsiString>;

struct TRegValue {
    AnsiString Name;
    TRegDataType Type = TRegDataType::rdUnknown;
    std::string Data; // text bytes, 4 little-endian bytes for integers, raw bytes for binary
};

struct TRegKey {
    TKeyParts Parts;
    std::vector<TRegValue> Values;
};

const char* const StoreSignature = "GUSVAK REGISTRY 1";

// Splits a key path at "\" between characters; a "\" that is the second byte of a CP936 pair is
// part of a name. Empty names (doubled or outer separators) are dropped.
TKeyParts SplitPath(const AnsiString& path) {
    TKeyParts parts;
    AnsiString current;
    for (std::size_t i = 0; i < path.size();) {
        std::size_t length = CharLengthAt(path, i);
        if (length == 1 && path[i] == '\\') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current.append(path, i, length);
        }
        i += length;
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

AnsiString JoinParts(const TKeyParts& parts, std::size_t count) {
    AnsiString path;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) path += '\\';
        path += parts[i];
    }
    return path;
}

AnsiString JoinParts(const TKeyParts& parts) {
    return JoinParts(parts, parts.size());
}

// True when `parts` begins with every name of `prefix`.
bool StartsWith(const TKeyParts& parts, const TKeyParts& prefix) {
    if (parts.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!SameText(parts[i], prefix[i])) return false;
    return true;
}

bool SamePath(const TKeyParts& a, const TKeyParts& b) {
    return a.size() == b.size() && StartsWith(a, b);
}

// Quoted texts are escaped byte by byte, so any byte sequence (even an invalid one) reads back.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// Reads a quoted text starting at pos (which must be '"'); pos ends after the closing quote.
bool Unquote(const std::string& line, std::size_t& pos, std::string& text) {
    if (pos >= line.size() || line[pos] != '"') return false;
    text.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (++pos >= line.size()) return false;
            char e = line[pos];
            c = e == 'r' ? '\r' : e == 'n' ? '\n' : e;
        }
        text += c;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseValueLine(const std::string& line, TRegValue& value) {
    std::size_t pos = 0;
    if (line.compare(0, 1, "@") == 0) {
        value.Name.clear();
        pos = 1;
    } else if (!Unquote(line, pos, value.Name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') return false;
    std::string rest = line.substr(pos + 1);
    if (rest.starts_with("\"")) {
        std::size_t at = 0;
        value.Type = TRegDataType::rdString;
        return Unquote(rest, at, value.Data) && at == rest.size();
    }
    if (rest.starts_with("expand:")) {
        std::size_t at = 7;
        value.Type = TRegDataType::rdExpandString;
        return Unquote(rest, at, value.Data) && at == rest.size();
    }
    if (rest.starts_with("dword:")) {
        std::string digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8) return false;
        std::uint32_t number = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return false;
            number = number * 16 + static_cast<std::uint32_t>(d);
        }
        value.Type = TRegDataType::rdInteger;
        value.Data.clear();
        for (int i = 0; i < 4; ++i)
            value.Data += static_cast<char>((number >> (8 * i)) & 0xFF);
        return true;
    }
    if (rest.starts_with("hex:")) {
        value.Type = TRegDataType::rdBinary;
        value.Data.clear();
        std::string bytes = rest.substr(4);
        for (std::size_t i = 0; i < bytes.size();) {
            if (i + 2 > bytes.size()) return false;
            int high = HexDigit(bytes[i]), low = HexDigit(bytes[i + 1]);
            if (high < 0 || low < 0) return false;
            value.Data += static_cast<char>(high * 16 + low);
            i += 2;
            if (i < bytes.size() && bytes[i++] != ',') return false;
        }
        return true;
    }
    return false;
}

std::string FormatValueLine(const TRegValue& value) {
    std::string line = value.Name.empty() ? std::string("@") : Quote(value.Name);
    line += '=';
    char buffer[16];
    switch (value.Type) {
    case TRegDataType::rdString:
        line += Quote(value.Data);
        break;
    case TRegDataType::rdExpandString:
        line += "expand:" + Quote(value.Data);
        break;
    case TRegDataType::rdInteger: {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number * 256 + static_cast<unsigned char>(value.Data[static_cast<std::size_t>(i)]);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        line += buffer;
        break;
    }
    default:
        line += "hex:";
        for (std::size_t i = 0; i < value.Data.size(); ++i) {
            std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x",
                          static_cast<unsigned char>(value.Data[i]));
            line += buffer;
        }
    }
    return line;
}

// The whole store in memory for the duration of one call.
class TRegStore {
public:
    std::vector<TRegKey> Keys;

    static TRegStore Load(const std::string& path) {
        TRegStore store;
        std::string content;
        if (!ReadWholeFile(path, content)) return store;
        TRegKey* current = nullptr;
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            std::string line = content.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.starts_with("[")) {
                // The path runs to the last "]", which may follow a "]" byte inside a name.
                std::size_t close = line.rfind(']');
                if (close == std::string::npos || close == 0) {
                    current = nullptr;
                    continue;
                }
                current = &store.Ensure(SplitPath(line.substr(1, close - 1)));
            } else if (current != nullptr) {
                TRegValue value;
                if (ParseValueLine(line, value)) store.Put(*current, std::move(value));
            }
        }
        return store;
    }

    std::string Text() const {
        std::string out = std::string(StoreSignature) + "\n";
        for (const TRegKey& key : Keys) {
            out += "\n[" + JoinParts(key.Parts) + "]\n";
            for (const TRegValue& value : key.Values)
                out += FormatValueLine(value) + "\n";
        }
        return out;
    }

    TRegKey* Find(const TKeyParts& parts) {
        for (TRegKey& key : Keys)
            if (SamePath(key.Parts, parts)) return &key;
        return nullptr;
    }

    // A key exists when it was created or when one of its subkeys exists; the root always exists.
    bool Exists(const TKeyParts& parts) const {
        if (parts.empty()) return true;
        for (const TRegKey& key : Keys)
            if (StartsWith(key.Parts, parts)) return true;
        return false;
    }

    // Finds or creates the key and its missing parents (parents first, as the registry lists them).
    TRegKey& Ensure(const TKeyParts& parts) {
        for (std::size_t count = parts.empty() ? 0 : 1; count < parts.size(); ++count) {
            TKeyParts parent(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(count));
            if (Find(parent) == nullptr) Keys.push_back(TRegKey{parent, {}});
        }
        if (TRegKey* key = Find(parts)) return *key;
        Keys.push_back(TRegKey{parts, {}});
        return Keys.back();
    }

    static TRegValue* FindValue(TRegKey& key, const AnsiString& name) {
        for (TRegValue& value : key.Values)
            if (SameText(value.Name, name)) return &value;
        return nullptr;
    }

    static void Put(TRegKey& key, TRegValue value) {
        if (TRegValue* existing = FindValue(key, value.Name)) {
            existing->Type = value.Type;
            existing->Data = std::move(value.Data);
        } else {
            key.Values.push_back(std::move(value));
        }
    }
};

void Save(const std::string& path, const TRegStore& store) {
    try {
        AtomicWriteFile(path, store.Text());
    } catch (const EFileWriteError& error) {
        throw ERegistryException(error.what());
    }
}

[[noreturn]] void InvalidType(const AnsiString& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

[[noreturn]] void NoData(const AnsiString& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}

// The value of the open key, or nothing when the key or the value is missing.
bool LookUp(const std::string& storeFile, const AnsiString& keyPath, const AnsiString& name, TRegValue& out) {
    TRegStore store = TRegStore::Load(storeFile);
    TRegKey* key = store.Find(SplitPath(keyPath));
    if (key == nullptr) return false;
    TRegValue* value = TRegStore::FindValue(*key, name);
    if (value == nullptr) return false;
    out = *value;
    return true;
}

} // namespace

std::string DefaultRegistryFile() {
    return JoinPath(ConfigFolder(), "registry.reg");
}

TRegistry::TRegistry(std::string storeFile) : FStoreFile(std::move(storeFile)) {}

AnsiString TRegistry::AbsolutePath(const AnsiString& key) const {
    if (!key.empty() && key.front() == '\\') return JoinParts(SplitPath(key));
    return JoinParts(SplitPath(FCurrentPath + "\\" + key));
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
    AnsiString path = AbsolutePath(key);
    TRegStore store = TRegStore::Load(FStoreFile);
    TKeyParts parts = SplitPath(path);
    if (!store.Exists(parts)) {
        if (!canCreate) return false;
        store.Ensure(parts);
        try {
            Save(FStoreFile, store);
        } catch (const ERegistryException&) {
            return false;
        }
    }
    FCurrentPath = path;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) {
    AnsiString path = AbsolutePath(key);
    if (!TRegStore::Load(FStoreFile).Exists(SplitPath(path))) return false;
    FCurrentPath = path;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey() {
    FCurrentPath.clear();
    FReadOnly = false;
}

bool TRegistry::KeyExists(const AnsiString& key) const {
    return TRegStore::Load(FStoreFile).Exists(SplitPath(AbsolutePath(key)));
}

bool TRegistry::CreateKey(const AnsiString& key) {
    TKeyParts parts = SplitPath(AbsolutePath(key));
    TRegStore store = TRegStore::Load(FStoreFile);
    if (store.Exists(parts)) return true;
    store.Ensure(parts);
    Save(FStoreFile, store);
    return true;
}

bool TRegistry::DeleteKey(const AnsiString& key) {
    TKeyParts parts = SplitPath(AbsolutePath(key));
    if (parts.empty()) return false; // the root cannot be deleted
    TRegStore store = TRegStore::Load(FStoreFile);
    std::size_t before = store.Keys.size();
    std::erase_if(store.Keys, [&](const TRegKey& k) { return StartsWith(k.Parts, parts); });
    if (store.Keys.size() == before) return false;
    Save(FStoreFile, store);
    return true;
}

std::vector<AnsiString> TRegistry::GetKeyNames() const {
    TRegStore store = TRegStore::Load(FStoreFile);
    TKeyParts current = SplitPath(FCurrentPath);
    std::vector<AnsiString> names;
    for (const TRegKey& key : store.Keys) {
        if (key.Parts.size() <= current.size() || !StartsWith(key.Parts, current)) continue;
        const AnsiString& child = key.Parts[current.size()];
        bool seen = false;
        for (const AnsiString& name : names)
            seen = seen || SameText(name, child);
        if (!seen) names.push_back(child);
    }
    return names;
}

bool TRegistry::ValueExists(const AnsiString& name) const {
    TRegValue value;
    return LookUp(FStoreFile, FCurrentPath, name, value);
}

bool TRegistry::DeleteValue(const AnsiString& name) {
    if (FReadOnly) return false;
    TRegStore store = TRegStore::Load(FStoreFile);
    TRegKey* key = store.Find(SplitPath(FCurrentPath));
    if (key == nullptr) return false;
    std::size_t removed =
        std::erase_if(key->Values, [&](const TRegValue& v) { return SameText(v.Name, name); });
    if (removed == 0) return false;
    Save(FStoreFile, store);
    return true;
}

std::vector<AnsiString> TRegistry::GetValueNames() const {
    TRegStore store = TRegStore::Load(FStoreFile);
    std::vector<AnsiString> names;
    if (TRegKey* key = store.Find(SplitPath(FCurrentPath)))
        for (const TRegValue& value : key->Values)
            names.push_back(value.Name);
    return names;
}

bool TRegistry::GetDataInfo(const AnsiString& name, TRegDataInfo& info) const {
    TRegValue value;
    info = TRegDataInfo{};
    if (!LookUp(FStoreFile, FCurrentPath, name, value)) return false;
    info.RegData = value.Type;
    bool isText = value.Type == TRegDataType::rdString || value.Type == TRegDataType::rdExpandString;
    info.DataSize = static_cast<int>(value.Data.size()) + (isText ? 1 : 0);
    return true;
}

TRegDataType TRegistry::GetDataType(const AnsiString& name) const {
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const AnsiString& name) const {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.DataSize : -1;
}

AnsiString TRegistry::ReadString(const AnsiString& name) const {
    TRegValue value;
    if (!LookUp(FStoreFile, FCurrentPath, name, value)) return AnsiString();
    if (value.Type != TRegDataType::rdString && value.Type != TRegDataType::rdExpandString) InvalidType(name);
    return value.Data;
}

int TRegistry::ReadInteger(const AnsiString& name) const {
    TRegValue value;
    if (!LookUp(FStoreFile, FCurrentPath, name, value)) NoData(name);
    if (value.Type != TRegDataType::rdInteger || value.Data.size() != 4) InvalidType(name);
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = number * 256 + static_cast<unsigned char>(value.Data[static_cast<std::size_t>(i)]);
    return static_cast<int>(number);
}

bool TRegistry::ReadBool(const AnsiString& name) const {
    return ReadInteger(name) != 0;
}

double TRegistry::ReadFloat(const AnsiString& name) const {
    TRegValue value;
    if (!LookUp(FStoreFile, FCurrentPath, name, value)) NoData(name);
    if (value.Type != TRegDataType::rdBinary || value.Data.size() != sizeof(double)) InvalidType(name);
    double result;
    std::memcpy(&result, value.Data.data(), sizeof result);
    return result;
}

std::vector<std::uint8_t> TRegistry::ReadBinary(const AnsiString& name) const {
    TRegValue value;
    if (!LookUp(FStoreFile, FCurrentPath, name, value)) NoData(name);
    if (value.Type != TRegDataType::rdBinary) InvalidType(name);
    return std::vector<std::uint8_t>(value.Data.begin(), value.Data.end());
}

void TRegistry::WriteValue(const AnsiString& name, TRegDataType type, std::string data) {
    if (FReadOnly) throw ERegistryException("Failed to set data for '" + name + "'");
    TRegStore store = TRegStore::Load(FStoreFile);
    // A key removed by someone else since it was opened comes back rather than losing the value.
    TRegKey& key = store.Ensure(SplitPath(FCurrentPath));
    TRegStore::Put(key, TRegValue{name, type, std::move(data)});
    Save(FStoreFile, store);
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
    WriteValue(name, TRegDataType::rdString, value);
}

void TRegistry::WriteExpandString(const AnsiString& name, const AnsiString& value) {
    WriteValue(name, TRegDataType::rdExpandString, value);
}

void TRegistry::WriteInteger(const AnsiString& name, int value) {
    std::uint32_t number = static_cast<std::uint32_t>(value);
    std::string data;
    for (int i = 0; i < 4; ++i)
        data += static_cast<char>((number >> (8 * i)) & 0xFF);
    WriteValue(name, TRegDataType::rdInteger, std::move(data));
}

void TRegistry::WriteBool(const AnsiString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteFloat(const AnsiString& name, double value) {
    std::string data(sizeof value, '\0');
    std::memcpy(data.data(), &value, sizeof value);
    WriteValue(name, TRegDataType::rdBinary, std::move(data));
}

void TRegistry::WriteBinary(const AnsiString& name, const std::vector<std::uint8_t>& value) {
    WriteValue(name, TRegDataType::rdBinary, std::string(value.begin(), value.end()));
}
