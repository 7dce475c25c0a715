// libFuzzer target: the settings files the module and the engine read at start-up - an INI file
// ("Trevalmpos.ini") and the registry file. Any content is read (every section and key, every
// value in each of its types) and written back after a change; a damaged file gives defaults or
// the file's own exception, never a crash.
#include "platform/IniFile.h"
#include "platform/Registry.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

std::string Scratch(const char* name) {
    // Memory-backed where there is one: every write is flushed to the disk, which on a real disk
    // would make each run wait on it.
    const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/fuzz_settings-" + std::to_string(::getpid()) + "-" + name;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void ReadIni(const std::string& path) {
    TIniFile ini(path);
    for (const AnsiString& section : ini.ReadSections()) {
        for (const AnsiString& key : ini.ReadSection(section)) {
            ini.ReadString(section, key, "");
            ini.ReadInteger(section, key, 7);
            ini.ReadBool(section, key, true);
        }
    }
    ini.WriteString("Fuzz", "Key", "Value");
    ini.DeleteKey("Fuzz", "Key");
}

void ReadRegistry(const std::string& path) {
    TRegistry reg(path);
    // Walks at most a few levels and keys: a valid file may name any number of them.
    int budget = 200;
    std::function<void(const AnsiString&, int)> walk = [&](const AnsiString& path, int depth) {
        if (depth > 4 || --budget < 0 || !reg.OpenKeyReadOnly("\\" + path)) return;
        for (const AnsiString& name : reg.GetValueNames()) {
            try {
                switch (reg.GetDataType(name)) {
                case TRegDataType::rdInteger:
                    reg.ReadInteger(name);
                    break;
                case TRegDataType::rdBinary:
                    reg.ReadBinary(name);
                    reg.ReadFloat(name);
                    break;
                default:
                    reg.ReadString(name);
                    reg.ReadBool(name);
                    break;
                }
                reg.GetDataSize(name);
            } catch (const ERegistryException&) {
            }
        }
        const std::vector<AnsiString> subkeys = reg.GetKeyNames();
        for (const AnsiString& sub : subkeys)
            walk(path.empty() ? sub : path + "\\" + sub, depth + 1);
    };
    walk("", 0);
    reg.CloseKey();
    if (reg.OpenKey("\\Software\\Fuzz", true)) reg.WriteString("Key", "Value");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = Scratch(data[0] % 2 ? "registry.reg" : "settings.ini");
    WriteFile(path, data + 1, size - 1);
    try {
        if (data[0] % 2)
            ReadRegistry(path);
        else
            ReadIni(path);
    } catch (const EIniFileError&) {
    } catch (const ERegistryException&) {
    }
    std::remove(path.c_str());
    return 0;
}
