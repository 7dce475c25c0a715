// Whole-file reads and all-or-nothing writes, for settings and for large files written piece by
// piece (exports).
//
// AtomicWriteFile writes the new content into a temporary file in the same folder, flushes it to
// the disk (fsync), and renames it over the target; then it flushes the folder so the rename
// itself survives a power cut. A reader therefore sees either the old file or the complete new
// one, never a half-written file, and a failed write leaves the old file untouched and removes
// the temporary file. An existing target keeps its permission bits; a target reached through a
// symbolic link is replaced at the link's destination (the link stays).
#pragma once

#include <cstdint>
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

// Temporary files of earlier writes whose process is gone (killed mid-write) would stay beside
// their file for ever, each as large as the file. A write removes those of its own file before it
// starts (a scan of the folder). A caller that writes a series of files into one folder (one
// per page) clears the whole folder once instead, and has each write skip its own scan: a scan per
// page would make the series quadratic in the number of files in the folder.
enum class TStaleTemporaries { RemoveOwn, LeaveToCaller };
void RemoveStaleTemporariesIn(const std::string& folder);

// Replaces the file's content atomically; creates missing parent folders. Throws EFileWriteError.
void AtomicWriteFile(const std::string& path, std::string_view content,
                     TStaleTemporaries stale = TStaleTemporaries::RemoveOwn);

// The same replacement for content that arrives in pieces: the pieces go to the temporary file as
// they come (through a small buffer), so a file of any size needs no copy of itself in memory.
// Nothing reaches the path before Commit(); a writer destroyed without it removes its temporary
// file and leaves the old file as it was.
class TAtomicFileWriter {
public:
    // Creates the temporary file (and missing parent folders). Throws EFileWriteError.
    explicit TAtomicFileWriter(const std::string& path, TStaleTemporaries stale = TStaleTemporaries::RemoveOwn);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    void Write(std::string_view bytes); // throws EFileWriteError
    std::int64_t Size() const { return FSize; }
    // Flushes to the disk and puts the file in place. Throws EFileWriteError (the old file stays).
    void Commit();

private:
    void Flush();
    [[noreturn]] void Abandon(const char* what, int error);

    std::string FTarget, FTemp;
    int FFd = -1;
    unsigned FMode = 0;
    bool FKeepMode = false;
    std::string FBuffer;
    std::int64_t FSize = 0;
};
