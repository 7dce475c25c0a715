// The throw-away PostgreSQL server of the tests (see PgTestServer.h).
#include "PgTestServer.h"

#include <libpq-fe.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* PgBin = "/usr/lib/postgresql/15/bin";
constexpr const char* Superuser = "postgres";

// In the child: drop to the postgres user when we are root, ask for SIGQUIT (the server's
// immediate shutdown) when the parent dies, then exec.
[[noreturn]] void ExecAsServerUser(const std::vector<std::string>& argv, pid_t parent,
                                   const std::string& logFile) {
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || setgroups(0, nullptr) != 0 || setgid(pw->pw_gid) != 0 || setuid(pw->pw_uid) != 0)
            _exit(126);
    }
    prctl(PR_SET_PDEATHSIG, SIGQUIT);
    if (getppid() != parent) _exit(125);
    if (!logFile.empty()) {
        if (std::FILE* f = std::freopen(logFile.c_str(), "a", stdout)) dup2(fileno(f), 2);
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& logFile) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) ExecAsServerUser(argv, parent, logFile);
    return pid;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Exec(PGconn* c, const std::string& sql) {
    PGresult* r = PQexec(c, sql.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    const std::string msg = PQresultErrorMessage(r);
    PQclear(r);
    if (!ok) throw std::runtime_error(msg);
}

} // namespace

TPgTestServer::TPgTestServer() {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/gusvak-pg-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("cannot create a temporary folder");
    FFolder = tmpl;
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw) throw std::runtime_error("no postgres system user");
        if (chown(FFolder.c_str(), pw->pw_uid, pw->pw_gid) != 0)
            throw std::runtime_error("cannot chown " + FFolder);
    }
    const std::string data = FFolder + "/data", log = FFolder + "/server.log";
    try {
        const pid_t init = Spawn({std::string(PgBin) + "/initdb", "-D", data, "-U", Superuser, "-A", "trust",
                                  "-E", "UTF8", "--locale=C", "--no-sync"},
                                 FFolder + "/initdb.log");
        int status = 0;
        waitpid(init, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("initdb failed:\n" + ReadFile(FFolder + "/initdb.log"));
        FPid = Spawn({std::string(PgBin) + "/postgres", "-D", data, "-k", FFolder, "-c",
                      "listen_addresses=", "-c", "fsync=off", "-c", "synchronous_commit=off", "-c",
                      "full_page_writes=off", "-c", "max_connections=40"},
                     log);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (PQping(Conninfo().c_str()) != PQPING_OK) {
            int st = 0;
            if (waitpid(FPid, &st, WNOHANG) == FPid) {
                FPid = -1;
                throw std::runtime_error("the server stopped:\n" + ReadFile(log));
            }
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("the server did not start:\n" + ReadFile(log));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    } catch (...) {
        Stop();
        throw;
    }
}

TPgTestServer::~TPgTestServer() {
    Stop();
}

std::string TPgTestServer::Conninfo() const {
    return "host=" + FFolder + " port=5432 dbname=postgres user=" + Superuser;
}

std::string TPgTestServer::NewSchemaConninfo() {
    const std::string schema = "t" + std::to_string(++FSchemas);
    PGconn* c = PQconnectdb(Conninfo().c_str());
    try {
        if (PQstatus(c) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(c));
        Exec(c, "SET client_min_messages = warning");
        Exec(c, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        Exec(c, "CREATE SCHEMA " + schema);
    } catch (...) {
        PQfinish(c);
        throw;
    }
    PQfinish(c);
    return Conninfo() + " options='-c search_path=" + schema + "'";
}

void TPgTestServer::Stop() {
    if (FPid > 0) {
        kill(FPid, SIGINT); // fast shutdown: ends sessions, checkpoints, exits
        int status = 0;
        for (int i = 0; i < 200 && waitpid(FPid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(FPid, &status, WNOHANG) == 0) {
            kill(FPid, SIGQUIT);
            waitpid(FPid, &status, 0);
        }
        FPid = -1;
    }
    if (!FFolder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(FFolder, ec);
        FFolder.clear();
    }
}

TPgTestServer& TPgTestServer::Shared() {
    static TPgTestServer server;
    return server;
}
