// Whole-file reads and all-or-nothing writes for settings and other small files.
//
// AtomicWriteFile writes the new content into a temporary file in the same folder, flushes it to
// the disk (fsync), and renames it over the target; then it flushes the folder so the rename
// itself survives a power cut. A reader therefore sees either the old file or the complete new
// one, never a half-written file, and a failed write leaves the old file untouched and removes
// the temporary file. An existing target keeps its permission bits; a target reached through a
// symbolic link is replaced at the link's destination (the link stays).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Raised when a file cannot be written; the message names the file and the system's reason.
class EFileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the whole file into content. False (content emptied) when it is missing or unreadable.
bool ReadWholeFile(const std::string& path, std::string& content);

// Replaces the file's content atomically; creates missing parent folders. Throws EFileWriteError.
void AtomicWriteFile(const std::string& path, std::string_view content);
