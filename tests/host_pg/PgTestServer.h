// A throw-away PostgreSQL server for tests and benchmarks.
//
// initdb runs in a fresh temporary folder; the server listens only on a Unix socket in that folder
// (no TCP at all). When we run as root, initdb and the server run as the "postgres" system user,
// since PostgreSQL refuses to run as root. The server is started as our child with a parent-death
// signal, so it goes away even if the test program crashes; Stop() (also called by the destructor)
// shuts it down and removes the folder.
#pragma once

#include <string>
#include <sys/types.h>

class TPgTestServer {
public:
    // Starts the server; throws std::runtime_error with initdb's or the server's log on failure.
    TPgTestServer();
    ~TPgTestServer();
    TPgTestServer(const TPgTestServer&) = delete;
    TPgTestServer& operator=(const TPgTestServer&) = delete;

    // Connection string of the "postgres" database as the superuser.
    std::string Conninfo() const;
    // A connection string whose search path is a new, empty schema of its own.
    std::string NewSchemaConninfo();
    void Stop();

    // The server shared by one test program, started on first use and stopped at exit.
    static TPgTestServer& Shared();

private:
    std::string FFolder;
    pid_t FPid = -1;
    int FSchemas = 0;
};
