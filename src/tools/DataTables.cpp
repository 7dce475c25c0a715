// Reading CSV text and SQLite results into data sets (see DataTables.h).
#include "DataTables.h"

#include "platform/AnsiString.h"

#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unordered_map>

namespace {

// Whether the bytes are UTF-8 (plain ASCII is); a Chinese desktop tool's export is GBK instead.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > text.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

bool IsInteger(const std::string& s) {
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i >= s.size() || s.size() - i > 18) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

bool IsNumber(const std::string& s) {
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return end && *end == '\0' && end != s.c_str();
}

} // namespace

bool ReadCsvText(std::string text, TDataTable& rows, std::vector<int>& rowLines, std::string& error) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (!IsUtf8(text)) text = AnsiToUtf8(text);
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    int line = 1, rowLine = 1, quoteLine = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else {
                if (c == '\n') ++line;
                field += c;
            }
        } else if (c == '"') {
            quoted = any = true;
            quoteLine = line;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (any || !field.empty()) row.push_back(std::move(field));
            if (!row.empty()) {
                rows.push_back(std::move(row));
                rowLines.push_back(rowLine);
            }
            row.clear();
            field.clear();
            any = false;
            rowLine = ++line;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted) {
        // Taking the rest of the file into one field would silently merge every later row.
        error = "line " + std::to_string(quoteLine) + ": a quoted field is never closed";
        return false;
    }
    if (any || !field.empty()) row.push_back(std::move(field));
    if (!row.empty()) {
        rows.push_back(std::move(row));
        rowLines.push_back(rowLine);
    }
    if (rows.empty()) error = "the file has no header row";
    return !rows.empty();
}

bool ReadCsvFile(const std::string& fileName, TDataTable& rows, std::vector<int>& rowLines,
                 std::string& error) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    return ReadCsvText(buffer.str(), rows, rowLines, error);
}

// A name of nothing but blanks and control characters names nothing (a data set refuses it).
static bool IsBlankName(const std::string& name) {
    return Trim(Utf8ToAnsi(name)).empty();
}

bool CheckDataHeader(TDataTable& rows, std::string& error) {
    if (rows.empty()) return error = "the file has no header row", false;
    std::vector<std::string>& header = rows.front();
    while (!header.empty() && IsBlankName(header.back())) {
        const std::size_t c = header.size() - 1;
        for (std::size_t r = 1; r < rows.size(); ++r)
            if (c < rows[r].size() && !rows[r][c].empty()) {
                error = "column " + std::to_string(c + 1) + " has no name";
                return false;
            }
        header.pop_back();
    }
    std::unordered_map<AnsiString, std::size_t> seen;
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (IsBlankName(header[c])) {
            error = "column " + std::to_string(c + 1) + " has no name";
            return false;
        }
        const auto [at, added] = seen.emplace(UpperCase(Utf8ToAnsi(header[c])), c);
        if (!added) {
            error = "columns " + std::to_string(at->second + 1) + " and " + std::to_string(c + 1) +
                    " have the same name \"" + header[c] + "\"";
            return false;
        }
    }
    return !header.empty() || (error = "the header names no column", false);
}

bool CheckDataRows(const TDataTable& rows, const std::vector<int>& rowLines, std::string& error,
                   std::vector<std::string>& warnings) {
    const std::size_t columns = rows.front().size();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::string where =
            r < rowLines.size() ? "line " + std::to_string(rowLines[r]) : "row " + std::to_string(r + 1);
        std::size_t used = rows[r].size();
        while (used > columns && rows[r][used - 1].empty())
            --used; // trailing commas
        if (used > columns) {
            error = where + " has " + std::to_string(used) + " values, the header " + std::to_string(columns);
            return false;
        }
        if (rows[r].size() < columns)
            warnings.push_back(where + " has " + std::to_string(rows[r].size()) + " values, the header " +
                               std::to_string(columns) + ": the missing ones are empty");
    }
    return true;
}

bool ReadSqliteRows(const std::string& path, const std::string& select, const TDataLimits& limits,
                    TDataTable& rows, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "cannot open";
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* st = nullptr;
    bool ok = sqlite3_prepare_v2(db, select.c_str(), -1, &st, nullptr) == SQLITE_OK;
    if (ok && st == nullptr) {
        error = "the SELECT text is empty";
        ok = false;
    } else if (ok) {
        std::vector<std::string> header;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            header.push_back(sqlite3_column_name(st, c));
        rows.push_back(header);
        std::int64_t count = 0, bytes = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (++count > limits.MaxRows) {
                error = "the SELECT returns more than " + std::to_string(limits.MaxRows) +
                        " rows (--max-rows raises the limit)";
                break;
            }
            std::vector<std::string> row;
            for (int c = 0; c < int(header.size()); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                row.push_back(t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st, c))
                                : "");
                bytes += 8 + static_cast<std::int64_t>(row.back().size());
            }
            if (bytes > limits.MaxBytes) {
                error = "the SELECT returns more than " + std::to_string(limits.MaxBytes) +
                        " bytes (--max-bytes raises the limit)";
                break;
            }
            rows.push_back(std::move(row));
        }
        ok = rc == SQLITE_DONE;
    }
    if (!ok && error.empty()) error = sqlite3_errmsg(db);
    if (!ok) rows.clear(); // nothing of a refused result is used
    sqlite3_finalize(st);
    sqlite3_close(db);
    return ok;
}

std::unique_ptr<TMemDataSet> MakeDataSet(const TDataTable& rows) {
    auto ds = std::make_unique<TMemDataSet>();
    const std::vector<std::string>& header = rows.front();
    std::vector<TFieldType> types;
    for (std::size_t c = 0; c < header.size(); ++c) {
        bool ints = true, numbers = true, any = false;
        for (std::size_t r = 1; r < rows.size(); ++r) {
            if (c >= rows[r].size() || rows[r][c].empty()) continue;
            any = true;
            ints = ints && IsInteger(rows[r][c]);
            numbers = numbers && IsNumber(rows[r][c]);
        }
        TFieldType t = !any      ? TFieldType::String
                       : ints    ? TFieldType::Integer
                       : numbers ? TFieldType::Float
                                 : TFieldType::String;
        types.push_back(t);
        ds->AddField(Utf8ToAnsi(header[c]), t, t == TFieldType::String ? 255 : 0);
    }
    ds->Open();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<Value> values;
        values.reserve(header.size());
        for (std::size_t c = 0; c < header.size(); ++c) {
            const std::string cell = c < rows[r].size() ? rows[r][c] : std::string();
            if (cell.empty() && types[c] != TFieldType::String)
                values.push_back(Value::Null());
            else if (types[c] == TFieldType::Integer)
                values.push_back(Value::Integer(std::strtoll(cell.c_str(), nullptr, 10)));
            else if (types[c] == TFieldType::Float)
                values.push_back(Value::Float(std::strtod(cell.c_str(), nullptr)));
            else
                values.push_back(Value(Utf8ToAnsi(cell)));
        }
        ds->AppendRecord(values);
    }
    ds->First();
    return ds;
}
