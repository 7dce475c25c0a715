// Who has a SQLite host database open. A running host holds a shared lock on the file for its
// whole life; replacing the file (init-demo) needs the exclusive lock, so a database in use is
// never swapped under a running host, whose postings would then go to a deleted file.
//
// These are flock locks: independent of SQLite's own byte-range locks on the same file.
#pragma once

#include <string>

class TDatabaseLock {
public:
    // Takes the shared lock (Shared) or tries the exclusive one without waiting (Exclusive).
    // A file that does not exist is not locked and the lock counts as held.
    enum class TMode { Shared, Exclusive };
    TDatabaseLock(const std::string& path, TMode mode);
    ~TDatabaseLock();
    TDatabaseLock(const TDatabaseLock&) = delete;
    TDatabaseLock& operator=(const TDatabaseLock&) = delete;

    // False when another process holds a lock that conflicts with ours.
    bool Held() const { return FHeld; }

private:
    int FFd = -1;
    bool FHeld = true;
};
