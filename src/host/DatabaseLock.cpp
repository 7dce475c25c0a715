// Locks on the host's SQLite file. See DatabaseLock.h.
#include "DatabaseLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TDatabaseLock::TDatabaseLock(const std::string& path, TMode mode) {
    FFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (FFd < 0) return; // nothing there yet: nobody uses it
    const int operation = mode == TMode::Shared ? LOCK_SH : LOCK_EX | LOCK_NB;
    int rc;
    do {
        rc = ::flock(FFd, operation);
    } while (rc != 0 && errno == EINTR);
    FHeld = rc == 0;
}

TDatabaseLock::~TDatabaseLock() {
    if (FFd >= 0) ::close(FFd);
}
