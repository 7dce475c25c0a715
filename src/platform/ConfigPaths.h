// Where the system keeps its files on a Linux desktop, following the XDG base directory rules.
//
// The module and the engine were written for a desktop where settings lie next to the running
// program. Here nothing is written beside the binaries: "the folder of the running program" means
// the product's config folder, so a per-user installation and a read-only system installation
// behave the same. Every function reads the environment afresh, so a test (or a tool) that changes
// XDG_CONFIG_HOME sees the new folder at once. Paths are file-system paths in UTF-8, without a
// trailing '/'.
#pragma once

#include <string>

// Name of the product's subfolder in the config and data folders.
inline constexpr const char* ProductFolderName = "gusvak";

// $XDG_CONFIG_HOME/gusvak, or ~/.config/gusvak when the variable is unset, empty or relative.
std::string ConfigFolder();

// $XDG_DATA_HOME/gusvak, or ~/.local/share/gusvak (the host stand-in's database lives here).
std::string DataFolder();

// "The folder of the running program" for every file the module writes: the config folder.
std::string ProgramFolder();

// $TMPDIR when set to an absolute path, else /tmp.
std::string TempFolder();

// The user's home folder: $HOME, else the password database entry, else "/tmp" as a last resort.
std::string HomeFolder();

// Creates the folder and any missing parents; false when it cannot be created.
bool EnsureFolder(const std::string& folder);

// Joins a folder and a relative name with exactly one '/' between them.
std::string JoinPath(const std::string& folder, const std::string& name);
