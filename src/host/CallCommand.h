// The command-line commands of retailhost, kept out of main() so they can be tested:
//   call OPERATION ARGS...   invoke one server operation and print its outcome
//   init-demo                (re)create a database with demo data
// Command-line texts and everything printed are UTF-8.
#pragma once

#include "DbBackend.h"
#include "DemoData.h"
#include "coordisp/CoorDisp.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

// Where the database is: a SQLite file, or a PostgreSQL connection string.
struct THostDatabaseChoice {
    std::string SqlitePath; // used when Conninfo is empty
    std::string Conninfo;
};

std::unique_ptr<TDbBackend> OpenHostBackend(const THostDatabaseChoice& choice);

// Invokes the operation named by args[0] (a name such as "OpenQuery" or "GetCurrentDate", a
// dispatch id, or a server function number 33/34/35) with the remaining arguments. Prints "True"
// or "False", then the result: a result set as tab-separated text with a header row, a plain value
// on one line, or the error list one message per line. Returns 0 for True, 1 for False, 2 when
// the command line is wrong (the usage goes to err).
int RunCallCommand(ICoorDisp& server, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);

// Writes a result set as tab-separated UTF-8 text with a header row of field names. Tabs, line
// breaks and backslashes inside values are written as \t, \n, \r and \\.
void WriteRecordSetTsv(const Value& recordSet, std::ostream& out);

// Creates the demo database. A SQLite file is built next to the target and renamed over it when
// complete, so a failure leaves the old file untouched.
TDemoSummary InitDemoDatabase(const THostDatabaseChoice& choice, const TDemoOptions& options);
