// The SQLite backend: the embedded default, one file per database.
//
// Statements are prepared and parameters bound; a read-only query is refused unless SQLite itself
// certifies the prepared statement as read-only and the text holds exactly one statement. Write
// transactions start IMMEDIATE so that two writers on one file queue on the lock (with a busy
// timeout) instead of failing when they upgrade.
#include "DbBackend.h"

#include <sqlite3.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

class TSqliteStatement {
public:
    TSqliteStatement(sqlite3* db, std::string_view sql) : FDb(db) {
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &FStmt, &tail) != SQLITE_OK)
            throw EDbError(sqlite3_errmsg(db));
        if (!FStmt) throw EDbError("empty statement");
        FTail = std::string_view(tail, sql.data() + sql.size() - tail);
    }
    ~TSqliteStatement() { sqlite3_finalize(FStmt); }
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    sqlite3_stmt* Get() const { return FStmt; }
    // True when nothing but blanks and semicolons follows the first statement.
    bool SingleStatement() const {
        for (char c : FTail)
            if (c != ';' && static_cast<unsigned char>(c) > ' ') return false;
        return true;
    }

    void Bind(const std::vector<Value>& params) {
        sqlite3_reset(FStmt);
        sqlite3_clear_bindings(FStmt);
        if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(FStmt))
            throw EDbError("parameter count does not match the statement");
        for (std::size_t i = 0; i < params.size(); ++i) {
            const Value& v = params[i];
            const int n = static_cast<int>(i) + 1;
            int rc;
            switch (v.Kind()) {
            case VarKind::Empty:
            case VarKind::Null:
                rc = sqlite3_bind_null(FStmt, n);
                break;
            case VarKind::Byte:
            case VarKind::Integer:
            case VarKind::Boolean:
                rc = sqlite3_bind_int64(FStmt, n, v.AsInteger());
                break;
            case VarKind::Float:
            case VarKind::Currency:
            case VarKind::DateTime:
                rc = sqlite3_bind_double(FStmt, n, v.AsFloat());
                break;
            default: {
                const AnsiString text = v.AsString();
                rc =
                    sqlite3_bind_text(FStmt, n, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            }
            }
            if (rc != SQLITE_OK) throw EDbError(sqlite3_errmsg(FDb));
        }
    }

    bool Step() {
        const int rc = sqlite3_step(FStmt);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw EDbError(sqlite3_errmsg(FDb));
    }

private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
    std::string_view FTail;
};

TDbColumnType TypeOfDeclared(const char* decl) {
    if (!decl) return TDbColumnType::Text;
    std::string d(decl);
    for (char& c : d)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (d.find("INT") != std::string::npos) return TDbColumnType::Integer;
    if (d.find("REAL") != std::string::npos || d.find("FLOA") != std::string::npos ||
        d.find("DOUB") != std::string::npos || d.find("NUMERIC") != std::string::npos)
        return TDbColumnType::Float;
    return TDbColumnType::Text;
}

class TSqliteBackend final : public TDbBackend {
public:
    explicit TSqliteBackend(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &FDb,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                            nullptr) != SQLITE_OK) {
            std::string msg = FDb ? sqlite3_errmsg(FDb) : "cannot open database";
            sqlite3_close(FDb);
            throw EDbError(msg + ": " + path);
        }
        sqlite3_busy_timeout(FDb, 10000);
        sqlite3_exec(FDb, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(FDb, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    ~TSqliteBackend() override { sqlite3_close_v2(FDb); }

    TDbKind Kind() const override { return TDbKind::Sqlite; }

    std::int64_t Execute(std::string_view sql, const std::vector<Value>& params) override {
        TSqliteStatement st(FDb, sql);
        st.Bind(params);
        while (st.Step()) {
        }
        return sqlite3_changes(FDb);
    }

    TDbRows Query(std::string_view sql, const std::vector<Value>& params) override {
        TSqliteStatement st(FDb, sql);
        st.Bind(params);
        return Fetch(st);
    }

    TDbRows QueryReadOnly(std::string_view sql, const TDbResultLimit& limit) override {
        TSqliteStatement st(FDb, sql);
        if (!st.SingleStatement()) throw EDbError("only one statement may be run");
        if (!sqlite3_stmt_readonly(st.Get())) throw EDbError("the statement would change data");
        st.Bind({});
        return Fetch(st, limit);
    }

    // Nested write transactions become savepoints, so a posting can run inside a larger one.
    void BeginWrite() override {
        Execute(FDepth == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT sp" + std::to_string(FDepth), {});
        ++FDepth;
    }
    void Commit() override {
        if (FDepth > 1)
            Execute("RELEASE sp" + std::to_string(FDepth - 1), {});
        else
            Execute("COMMIT", {});
        --FDepth;
    }
    void Rollback() override {
        if (FDepth > 1) {
            const std::string sp = "sp" + std::to_string(FDepth - 1);
            sqlite3_exec(FDb, ("ROLLBACK TO " + sp + "; RELEASE " + sp).c_str(), nullptr, nullptr, nullptr);
        } else if (!sqlite3_get_autocommit(FDb)) {
            sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        if (FDepth > 0) --FDepth;
    }
    bool InTransaction() const override { return FDepth > 0; }

    void BulkInsert(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<std::vector<Value>>& rows) override {
        std::string sql = "INSERT INTO " + std::string(table) + " (";
        std::string marks;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += (i ? "," : "") + columns[i];
            marks += i ? ",?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        TSqliteStatement st(FDb, sql);
        for (const auto& row : rows) {
            st.Bind(row);
            while (st.Step()) {
            }
        }
    }

    bool TableExists(std::string_view table) override {
        TDbRows r = Query("SELECT 1 FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)",
                          {Value::String(std::string(table))});
        return r.RowCount() > 0;
    }

    std::string CurrentTimestamp() override {
        TDbRows r = Query("SELECT datetime('now','localtime')", {});
        return r.At(0, 0).AsString();
    }

private:
    TDbRows Fetch(TSqliteStatement& st, const TDbResultLimit& limit = {}) {
        TDbRows rows;
        sqlite3_stmt* s = st.Get();
        const int n = sqlite3_column_count(s);
        rows.Columns.resize(n);
        std::vector<bool> declared(n);
        for (int i = 0; i < n; ++i) {
            rows.Columns[i].Name = sqlite3_column_name(s, i);
            const char* decl = sqlite3_column_decltype(s, i);
            declared[i] = decl != nullptr;
            rows.Columns[i].Type = TypeOfDeclared(decl);
        }
        // Expression columns have no declared type: the values decide (integer, then float).
        std::vector<int> seen(n, 0); // bit 1 integer, 2 float, 4 text
        std::uint64_t rowCount = 0, byteCount = 0;
        while (st.Step()) {
            std::uint64_t rowBytes = 0;
            for (int i = 0; i < n; ++i) {
                rowBytes += 8;
                switch (sqlite3_column_type(s, i)) {
                case SQLITE_INTEGER:
                    rows.Cells.push_back(Value::Integer(sqlite3_column_int64(s, i)));
                    seen[i] |= 1;
                    break;
                case SQLITE_FLOAT:
                    rows.Cells.push_back(Value::Float(sqlite3_column_double(s, i)));
                    seen[i] |= 2;
                    break;
                case SQLITE_NULL:
                    rows.Cells.push_back(Value::Null());
                    break;
                default: {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
                    const int length = sqlite3_column_bytes(s, i);
                    rows.Cells.push_back(Value::String(std::string(text, length)));
                    rowBytes += static_cast<std::uint64_t>(length);
                    seen[i] |= 4;
                }
                }
            }
            limit.Count(rowCount, byteCount, rowBytes);
        }
        for (int i = 0; i < n; ++i) {
            if (declared[i]) continue;
            if (seen[i] & 4)
                rows.Columns[i].Type = TDbColumnType::Text;
            else if (seen[i] & 2)
                rows.Columns[i].Type = TDbColumnType::Float;
            else if (seen[i] & 1)
                rows.Columns[i].Type = TDbColumnType::Integer;
        }
        return rows;
    }

    sqlite3* FDb = nullptr;
    int FDepth = 0;
};

} // namespace

std::unique_ptr<TDbBackend> OpenSqliteBackend(const std::string& path) {
    return std::make_unique<TSqliteBackend>(path);
}
