// The host server's view of a database: run statements with bound parameters, read result rows,
// transactions and bulk loading. Two implementations (SQLite and PostgreSQL) sit behind it, so the
// schema and every server operation are written once.
//
// Texts at this layer are UTF-8 (the databases store UTF-8); the server converts to and from CP936
// at its edge. Parameters are written "?" in the SQL text and always bound, never spliced in.
// Every failure raises EDbError with the database's own message.
#pragma once

#include "platform/Value.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class EDbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TDbKind : std::uint8_t { Sqlite, Postgres };

// Column types as the server hands them on: anything else reads as text.
enum class TDbColumnType : std::uint8_t { Integer, Float, Text };

struct TDbColumn {
    std::string Name;
    TDbColumnType Type = TDbColumnType::Text;
};

// A whole result, rows stored row-major. Cells are Null, Integer, Float or String (UTF-8).
struct TDbRows {
    std::vector<TDbColumn> Columns;
    std::vector<Value> Cells;

    std::size_t ColumnCount() const { return Columns.size(); }
    std::size_t RowCount() const { return Columns.empty() ? 0 : Cells.size() / Columns.size(); }
    const Value& At(std::size_t row, std::size_t column) const {
        return Cells[row * Columns.size() + column];
    }
};

// How much one read-only query may return: a cross join or a table of large texts would otherwise
// grow to all the memory there is. Counted while the rows are read; passing either limit raises
// EDbResultTooLarge and keeps nothing of the result.
struct TDbResultLimit {
    std::uint64_t MaxRows = UINT64_MAX;
    std::uint64_t MaxBytes = UINT64_MAX; // cell text and numbers, as read

    // Adds one row of that many bytes to the counts; throws EDbResultTooLarge past a limit.
    void Count(std::uint64_t& rows, std::uint64_t& bytes, std::uint64_t rowBytes) const;
};

class EDbResultTooLarge : public EDbError {
public:
    using EDbError::EDbError;
};

class TDbBackend {
public:
    virtual ~TDbBackend() = default;

    virtual TDbKind Kind() const = 0;

    // Runs one statement; returns the number of rows it changed.
    virtual std::int64_t Execute(std::string_view sql, const std::vector<Value>& params = {}) = 0;
    // Runs one statement and returns all its rows.
    virtual TDbRows Query(std::string_view sql, const std::vector<Value>& params = {}) = 0;
    // Runs one statement that must only read: anything that would write, or more than one
    // statement, raises EDbError and changes nothing. A result beyond the limit raises
    // EDbResultTooLarge.
    virtual TDbRows QueryReadOnly(std::string_view sql, const TDbResultLimit& limit = {}) = 0;

    // Transactions. BeginWrite takes the write lock at once where the database has one, so two
    // writers queue instead of failing half-way.
    virtual void BeginWrite() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0; // never throws
    virtual bool InTransaction() const = 0;

    // Appends rows (each with one value per column) to a table, inside the current transaction.
    virtual void BulkInsert(std::string_view table, const std::vector<std::string>& columns,
                            const std::vector<std::vector<Value>>& rows) = 0;

    virtual bool TableExists(std::string_view table) = 0;
    // The database's local date and time as "YYYY-MM-DD HH:MM:SS".
    virtual std::string CurrentTimestamp() = 0;
};

// Rolls back unless committed: every write path holds one, so an exception never leaves a
// transaction open.
class TDbTransaction {
public:
    explicit TDbTransaction(TDbBackend& db) : FDb(db) { FDb.BeginWrite(); }
    ~TDbTransaction() {
        if (!FDone) FDb.Rollback();
    }
    TDbTransaction(const TDbTransaction&) = delete;
    TDbTransaction& operator=(const TDbTransaction&) = delete;
    void Commit() {
        FDb.Commit();
        FDone = true;
    }

private:
    TDbBackend& FDb;
    bool FDone = false;
};

std::unique_ptr<TDbBackend> OpenSqliteBackend(const std::string& path); // ":memory:" for a scratch db
std::unique_ptr<TDbBackend> OpenPgBackend(const std::string& conninfo);
