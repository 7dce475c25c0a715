// The PostgreSQL backend: the central database a chain's stores and users share.
//
// "?" placeholders become $1, $2 ... and every parameter is bound as text (never spliced into the
// statement). A read-only query runs with PQexecParams, which refuses more than one statement,
// inside a READ ONLY transaction, so even a SELECT that calls a writing function changes nothing.
// Bulk loads use COPY. The connection's client encoding is UTF-8.
#include "DbBackend.h"
#include "HostText.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// OIDs of the built-in types the server reads as numbers.
constexpr Oid OidBool = 16, OidInt8 = 20, OidInt2 = 21, OidInt4 = 23, OidFloat4 = 700, OidFloat8 = 701,
              OidNumeric = 1700;

struct TPgResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using TPgResult = std::unique_ptr<PGresult, TPgResultDeleter>;

// Rewrites "?" outside quoted texts and identifiers into numbered placeholders.
std::string NumberPlaceholders(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int n = 0;
    char quote = 0;
    for (char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$' + std::to_string(++n);
        } else {
            out += c;
        }
    }
    return out;
}

std::string ParamText(const Value& v) {
    switch (v.Kind()) {
    case VarKind::Float:
    case VarKind::Currency:
    case VarKind::DateTime: {
        char buf[40];
        const auto res = std::to_chars(buf, buf + sizeof buf, v.AsFloat());
        return std::string(buf, res.ptr);
    }
    case VarKind::Boolean:
        return v.AsBoolean() ? "1" : "0";
    default:
        return v.AsString();
    }
}

// COPY text format: backslash, tab, newline and carriage return escaped; null is \N.
void AppendCopyField(std::string& out, const Value& v) {
    if (v.IsEmptyOrNull()) {
        out += "\\N";
        return;
    }
    AppendBackslashEscaped(out, ParamText(v));
}

class TPgBackend final : public TDbBackend {
public:
    explicit TPgBackend(const std::string& conninfo) {
        FConn = PQconnectdb(conninfo.c_str());
        if (PQstatus(FConn) != CONNECTION_OK) {
            std::string msg = PQerrorMessage(FConn);
            PQfinish(FConn);
            throw EDbError(Trimmed(msg));
        }
        PQsetClientEncoding(FConn, "UTF8");
        Run("SET client_min_messages = warning", {});
    }
    ~TPgBackend() override { PQfinish(FConn); }

    TDbKind Kind() const override { return TDbKind::Postgres; }

    std::int64_t Execute(std::string_view sql, const std::vector<Value>& params) override {
        TPgResult r = Run(sql, params);
        const char* n = PQcmdTuples(r.get());
        return (n && *n) ? std::stoll(n) : 0;
    }

    TDbRows Query(std::string_view sql, const std::vector<Value>& params) override {
        return Fetch(Run(sql, params).get());
    }

    TDbRows QueryReadOnly(std::string_view sql, const TDbResultLimit& limit) override {
        const bool own = FDepth == 0;
        if (own) Run("START TRANSACTION READ ONLY", {});
        try {
            const bool unlimited = limit.MaxRows == UINT64_MAX && limit.MaxBytes == UINT64_MAX;
            TDbRows rows = unlimited ? Fetch(Run(sql, {}).get()) : FetchLimited(sql, limit);
            if (own) Run("COMMIT", {});
            return rows;
        } catch (...) {
            if (own) Discard("ROLLBACK");
            throw;
        }
    }

    // Nested write transactions become savepoints, so a posting can run inside a larger one.
    void BeginWrite() override {
        Run(FDepth == 0 ? "BEGIN" : "SAVEPOINT sp" + std::to_string(FDepth), {});
        ++FDepth;
    }
    void Commit() override {
        if (FDepth > 1) {
            Run("RELEASE SAVEPOINT sp" + std::to_string(FDepth - 1), {});
            --FDepth;
        } else {
            FDepth = 0;
            Run("COMMIT", {});
        }
    }
    void Rollback() override {
        if (FDepth > 1) {
            const std::string sp = "sp" + std::to_string(FDepth - 1);
            Discard(("ROLLBACK TO SAVEPOINT " + sp).c_str());
            Discard(("RELEASE SAVEPOINT " + sp).c_str());
            --FDepth;
        } else {
            FDepth = 0;
            Discard("ROLLBACK");
        }
    }
    bool InTransaction() const override { return FDepth > 0; }

    void BulkInsert(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<std::vector<Value>>& rows) override {
        std::string sql = "COPY " + std::string(table) + " (";
        for (std::size_t i = 0; i < columns.size(); ++i)
            sql += (i ? "," : "") + columns[i];
        sql += ") FROM STDIN";
        TPgResult start(PQexec(FConn, sql.c_str()));
        if (PQresultStatus(start.get()) != PGRES_COPY_IN) throw EDbError(Trimmed(PQerrorMessage(FConn)));
        std::string chunk;
        auto flush = [&] {
            if (!chunk.empty() && PQputCopyData(FConn, chunk.data(), static_cast<int>(chunk.size())) != 1)
                throw EDbError(Trimmed(PQerrorMessage(FConn)));
            chunk.clear();
        };
        try {
            for (const auto& row : rows) {
                for (std::size_t i = 0; i < row.size(); ++i) {
                    if (i) chunk += '\t';
                    AppendCopyField(chunk, row[i]);
                }
                chunk += '\n';
                if (chunk.size() > (1 << 16)) flush();
            }
            flush();
        } catch (...) {
            PQputCopyEnd(FConn, "aborted");
            TPgResult(PQgetResult(FConn));
            throw;
        }
        if (PQputCopyEnd(FConn, nullptr) != 1) throw EDbError(Trimmed(PQerrorMessage(FConn)));
        TPgResult done(PQgetResult(FConn));
        const bool ok = PQresultStatus(done.get()) == PGRES_COMMAND_OK;
        std::string msg = ok ? "" : Trimmed(PQresultErrorMessage(done.get()));
        while (PGresult* extra = PQgetResult(FConn))
            PQclear(extra);
        if (!ok) throw EDbError(msg);
    }

    bool TableExists(std::string_view table) override {
        TDbRows r = Query("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
                          "AND table_name = lower(?)",
                          {Value::String(std::string(table))});
        return r.RowCount() > 0;
    }

    std::string CurrentTimestamp() override {
        return Query("SELECT to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS')", {}).At(0, 0).AsString();
    }

private:
    static std::string Trimmed(std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return s;
    }

    TPgResult Run(std::string_view sql, const std::vector<Value>& params) {
        const std::string text = NumberPlaceholders(sql);
        std::vector<std::string> values;
        std::vector<const char*> pointers;
        values.reserve(params.size());
        for (const Value& v : params)
            values.push_back(ParamText(v));
        for (std::size_t i = 0; i < params.size(); ++i)
            pointers.push_back(params[i].IsEmptyOrNull() ? nullptr : values[i].c_str());
        TPgResult r(PQexecParams(FConn, text.c_str(), static_cast<int>(params.size()), nullptr,
                                 pointers.data(), nullptr, nullptr, 0));
        const ExecStatusType st = PQresultStatus(r.get());
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
            const char* msg = r ? PQresultErrorMessage(r.get()) : PQerrorMessage(FConn);
            throw EDbError(Trimmed(msg && *msg ? msg : PQerrorMessage(FConn)));
        }
        return r;
    }

    void Discard(const char* sql) noexcept { PQclear(PQexec(FConn, sql)); }

    static TDbRows Fetch(PGresult* r) {
        TDbRows rows;
        ReadColumns(r, rows);
        AppendRows(r, rows);
        return rows;
    }

    static void ReadColumns(PGresult* r, TDbRows& rows) {
        const int n = PQnfields(r);
        rows.Columns.resize(n);
        for (int i = 0; i < n; ++i) {
            rows.Columns[i].Name = PQfname(r, i);
            switch (PQftype(r, i)) {
            case OidBool:
            case OidInt2:
            case OidInt4:
            case OidInt8:
                rows.Columns[i].Type = TDbColumnType::Integer;
                break;
            case OidFloat4:
            case OidFloat8:
            case OidNumeric:
                rows.Columns[i].Type = TDbColumnType::Float;
                break;
            default:
                rows.Columns[i].Type = TDbColumnType::Text;
            }
        }
    }

    static void AppendRows(PGresult* r, TDbRows& rows) {
        const int n = PQnfields(r);
        const int count = PQntuples(r);
        rows.Cells.reserve(rows.Cells.size() + static_cast<std::size_t>(n) * count);
        for (int row = 0; row < count; ++row) {
            for (int i = 0; i < n; ++i) {
                if (PQgetisnull(r, row, i)) {
                    rows.Cells.push_back(Value::Null());
                    continue;
                }
                const char* text = PQgetvalue(r, row, i);
                switch (rows.Columns[i].Type) {
                case TDbColumnType::Integer:
                    rows.Cells.push_back(Value::Integer(*text == 't'   ? 1
                                                        : *text == 'f' ? 0
                                                                       : std::strtoll(text, nullptr, 10)));
                    break;
                case TDbColumnType::Float: {
                    // Not strtod: the process locale (set by Qt) may use a decimal comma.
                    double d = 0;
                    std::from_chars(text, text + PQgetlength(r, row, i), d);
                    rows.Cells.push_back(Value::Float(d));
                    break;
                }
                default:
                    rows.Cells.push_back(Value::String(std::string(text, PQgetlength(r, row, i))));
                }
            }
        }
    }

    // Reads the result one row at a time (libpq's single-row mode), so a result beyond the limit
    // is refused before the client holds it; the statement is then cancelled on the server.
    TDbRows FetchLimited(std::string_view sql, const TDbResultLimit& limit) {
        const std::string text = NumberPlaceholders(sql);
        if (!PQsendQueryParams(FConn, text.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            throw EDbError(Trimmed(PQerrorMessage(FConn)));
        PQsetSingleRowMode(FConn);
        TDbRows rows;
        bool haveColumns = false;
        std::uint64_t rowCount = 0, byteCount = 0;
        std::unique_ptr<EDbError> failure;
        while (PGresult* raw = PQgetResult(FConn)) {
            TPgResult r(raw);
            if (failure) continue; // drain what is left after a cancel
            const ExecStatusType st = PQresultStatus(raw);
            if (st != PGRES_SINGLE_TUPLE && st != PGRES_TUPLES_OK) {
                const char* msg = PQresultErrorMessage(raw);
                failure = std::make_unique<EDbError>(Trimmed(msg && *msg ? msg : PQerrorMessage(FConn)));
                continue;
            }
            if (!haveColumns) ReadColumns(raw, rows), haveColumns = true;
            try {
                for (int row = 0; row < PQntuples(raw); ++row) {
                    std::uint64_t rowBytes = 0;
                    for (int i = 0; i < PQnfields(raw); ++i)
                        rowBytes += 8 + static_cast<std::uint64_t>(PQgetlength(raw, row, i));
                    limit.Count(rowCount, byteCount, rowBytes);
                }
            } catch (const EDbResultTooLarge& e) {
                failure = std::make_unique<EDbResultTooLarge>(e.what());
                if (PGcancel* cancel = PQgetCancel(FConn)) {
                    char error[256];
                    PQcancel(cancel, error, sizeof error);
                    PQfreeCancel(cancel);
                }
                rows = TDbRows();
                continue;
            }
            AppendRows(raw, rows);
        }
        if (failure) {
            if (dynamic_cast<EDbResultTooLarge*>(failure.get())) throw EDbResultTooLarge(failure->what());
            throw EDbError(failure->what());
        }
        return rows;
    }

    PGconn* FConn = nullptr;
    int FDepth = 0;
};

} // namespace

std::unique_ptr<TDbBackend> OpenPgBackend(const std::string& conninfo) {
    return std::make_unique<TPgBackend>(conninfo);
}
