// Data files turned into in-memory data sets for the report commands, without Qt: CSV text (UTF-8
// or GBK, detected) and the rows of a SELECT on an SQLite file. Every problem a data file can
// have ends in a message naming the line or the column; nothing here aborts or throws on the
// content of a file.
#pragma once

#include "platform/MemDataSet.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Rows of text cells, the header row first, UTF-8.
using TDataTable = std::vector<std::vector<std::string>>;

// How much a query may return before it is refused: a cross join or a table of large blobs
// would otherwise grow to all the memory there is.
struct TDataLimits {
    static constexpr std::int64_t DefaultMaxRows = 2'000'000;
    static constexpr std::int64_t DefaultMaxBytes = std::int64_t(256) << 20; // cell text + 8 per cell
    std::int64_t MaxRows = DefaultMaxRows;
    std::int64_t MaxBytes = DefaultMaxBytes;
};

// RFC 4180 text: commas, double quotes doubled inside quoted fields, CR LF or LF rows, an optional
// UTF-8 byte order mark; text that is not UTF-8 is read as GBK (code page 936). rowLines[i] is
// the line where rows[i] starts. False with error set for an unclosed quote or no header row.
bool ReadCsvText(std::string text, TDataTable& rows, std::vector<int>& rowLines, std::string& error);
bool ReadCsvFile(const std::string& fileName, TDataTable& rows, std::vector<int>& rowLines,
                 std::string& error);

// A header a data set can take: every column named, no name twice (names compare without case).
// Empty columns at the end with nothing under them (a trailing comma) are dropped first.
bool CheckDataHeader(TDataTable& rows, std::string& error);

// Rows with more values than the header lose data: refused. Rows with fewer are filled with empty
// values; each one adds a line to warnings.
bool CheckDataRows(const TDataTable& rows, const std::vector<int>& rowLines, std::string& error,
                   std::vector<std::string>& warnings);

// Runs the SELECT on the SQLite file (opened read-only). Refuses, with the limit in the message,
// a result that passes the limits; nothing of such a result is kept.
bool ReadSqliteRows(const std::string& path, const std::string& select, const TDataLimits& limits,
                    TDataTable& rows, std::string& error);

// A data set typed by content: a column whose values are all whole numbers becomes an integer
// field, all numbers a float field, anything else text. The header must have passed
// CheckDataHeader.
std::unique_ptr<TMemDataSet> MakeDataSet(const TDataTable& rows);
