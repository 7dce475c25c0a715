// XDG folders of the product: config (settings, the registry store, files "beside the program"),
// data (the host's database) and the temporary folder. See ConfigPaths.h.
#include "ConfigPaths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace {

// An XDG variable counts only when it holds an absolute path; relative values are invalid by the
// XDG rules and must be ignored.
std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    std::string result = value;
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

} // namespace

std::string HomeFolder() {
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid());
        entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return entry->pw_dir;
    return "/tmp";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    std::size_t start = 0;
    while (start < name.size() && name[start] == '/')
        ++start;
    if (folder.back() == '/') return folder + name.substr(start);
    return folder + "/" + name.substr(start);
}

std::string ConfigFolder() {
    std::string base = AbsoluteEnv("XDG_CONFIG_HOME");
    if (base.empty()) base = JoinPath(HomeFolder(), ".config");
    return JoinPath(base, ProductFolderName);
}

std::string DataFolder() {
    std::string base = AbsoluteEnv("XDG_DATA_HOME");
    if (base.empty()) base = JoinPath(HomeFolder(), ".local/share");
    return JoinPath(base, ProductFolderName);
}

std::string ProgramFolder() {
    return ConfigFolder();
}

std::string TempFolder() {
    std::string folder = AbsoluteEnv("TMPDIR");
    return folder.empty() ? std::string("/tmp") : folder;
}

bool EnsureFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}
