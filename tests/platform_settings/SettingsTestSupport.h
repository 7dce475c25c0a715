// Scratch folders and environment overrides for the settings tests: every test works in its own
// folder, and changed environment variables are put back when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class TScratchFolder {
public:
    TScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "gusvak-settings-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TScratchFolder() {
        std::error_code error;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(FPath, error);
    }
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return FPath + "/" + name; }

    // Names of the entries in the folder (to find left-over temporary files).
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FPath))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::string FPath;
};

class TEnvOverride {
public:
    // value nullopt unsets the variable.
    TEnvOverride(const char* name, const std::optional<std::string>& value) : FName(name) {
        if (const char* old = std::getenv(name)) FOld = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~TEnvOverride() {
        if (FOld)
            setenv(FName.c_str(), FOld->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }
    TEnvOverride(const TEnvOverride&) = delete;
    TEnvOverride& operator=(const TEnvOverride&) = delete;

private:
    std::string FName;
    std::optional<std::string> FOld;
};
