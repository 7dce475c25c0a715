// libFuzzer target: data files as `vnreport --data` reads them. The first byte chooses the source:
// even, the rest is a CSV file (UTF-8 or GBK) checked and turned into a data set; odd, the rest
// is a SELECT run on a small SQLite database of each column type, its rows turned into a data
// set under a small result limit. Any input ends in a data set or a message, never a crash.
#include "DataTables.h"

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

const std::string& FixtureDatabase() {
    static const std::string path = [] {
        const std::string p = "/tmp/fuzz_data_file-" + std::to_string(::getpid()) + ".db";
        std::remove(p.c_str());
        sqlite3* db = nullptr;
        sqlite3_open(p.c_str(), &db);
        sqlite3_exec(db,
                     "create table t(code text, name text, qty integer, price real, note blob);"
                     "insert into t values('A1','苹果',3,1.5,x'00ff');"
                     "insert into t values('A2',NULL,-7,2e300,'');"
                     "insert into t values('B1','牛奶',9223372036854775807,-0.0,zeroblob(40));",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return p;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    TDataTable rows;
    std::string error;
    bool ok;
    if (data[0] % 2 == 0) {
        std::vector<int> rowLines;
        std::vector<std::string> warnings;
        ok = ReadCsvText(rest, rows, rowLines, error) && CheckDataHeader(rows, error) &&
             CheckDataRows(rows, rowLines, error, warnings);
    } else {
        TDataLimits limits;
        limits.MaxRows = 1000;
        limits.MaxBytes = 1 << 20;
        ok = ReadSqliteRows(FixtureDatabase(), rest, limits, rows, error) && CheckDataHeader(rows, error);
    }
    if (ok) MakeDataSet(rows);
    return 0;
}
