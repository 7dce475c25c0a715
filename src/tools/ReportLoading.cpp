// The shared loading of the report commands: option parsing, CSV and SQLite data sources typed by
// content, and the measuring canvas. CSV files follow RFC 4180 (commas, doubled quotes inside
// quoted fields, CR LF or LF rows, an optional UTF-8 byte order mark).
#include "ReportLoading.h"

#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"
#include "report/expr/VNEvalContext.h"

#include <QApplication>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unordered_map>

namespace {

using TTable = std::vector<std::vector<std::string>>; // header row first, UTF-8

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

// RFC 4180 style: commas, double quotes doubled inside quoted fields, CR LF or LF rows. Text that
// is not UTF-8 is read as GBK (code page 936). RowLines[i] is the file line where rows[i] starts.
bool ReadCsv(const std::string& fileName, TTable& rows, std::vector<int>& rowLines, std::string& error) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
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

// A header a data set can take: every column named, no name twice (names compare without case).
// Empty columns at the end with nothing under them (a trailing comma) are dropped first.
bool CheckHeader(TTable& rows, std::string& error) {
    std::vector<std::string>& header = rows.front();
    while (!header.empty() && header.back().empty()) {
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
        if (header[c].empty()) {
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

// Rows with more values than the header lose data: refused. Rows with fewer are filled with empty
// values, and said.
bool CheckRows(const TTable& rows, const std::vector<int>& rowLines, const std::string& source, std::string& error) {
    const std::size_t columns = rows.front().size();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::string where = r < rowLines.size() ? "line " + std::to_string(rowLines[r]) : "row " + std::to_string(r + 1);
        std::size_t used = rows[r].size();
        while (used > columns && rows[r][used - 1].empty())
            --used; // trailing commas
        if (used > columns) {
            error = where + " has " + std::to_string(used) + " values, the header " + std::to_string(columns);
            return false;
        }
        if (rows[r].size() < columns)
            std::fprintf(stderr, "vnreport: %s: %s has %zu values, the header %zu: the missing ones are empty\n",
                         source.c_str(), where.c_str(), rows[r].size(), columns);
    }
    return true;
}

bool ReadSqlite(const std::string& path, const std::string& select, TTable& rows, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "cannot open";
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* st = nullptr;
    bool ok = sqlite3_prepare_v2(db, select.c_str(), -1, &st, nullptr) == SQLITE_OK;
    if (ok) {
        std::vector<std::string> header;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            header.push_back(sqlite3_column_name(st, c));
        rows.push_back(header);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < int(header.size()); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                row.push_back(t ? reinterpret_cast<const char*>(t) : "");
            }
            rows.push_back(std::move(row));
        }
        ok = rc == SQLITE_DONE;
    }
    if (!ok) error = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return ok;
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

// A data set typed by content.
std::unique_ptr<TMemDataSet> MakeDataSet(const TTable& rows) {
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

} // namespace

bool TReportSources::ParseOption(int argc, char** argv, int& i) {
    const std::string a = argv[i];
    if (a != "--data" && a != "--var") return false;
    const std::string value = i + 1 < argc ? argv[++i] : std::string();
    const auto eq = value.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    (a == "--data" ? Data : Vars).emplace_back(value.substr(0, eq), value.substr(eq + 1));
    return true;
}

bool TLoadedReport::Load(const std::string& reportFile, const TReportSources& sources,
                         const std::function<void()>& onLoadFailed) {
    if (!Report.LoadReportFile(reportFile) || !Report.LoadMessage.empty()) {
        if (onLoadFailed) onLoadFailed();
        std::fprintf(stderr, "vnreport: cannot load %s\n", reportFile.c_str());
        return false;
    }
    Report.Owner = &FOwner;
    for (const auto& [name, source] : sources.Data) {
        TTable rows;
        std::string error;
        bool ok;
        if (source.rfind("sqlite:", 0) == 0) {
            const auto colon = source.find(':', 7);
            const bool hasSelect = colon != std::string::npos && !Trim(source.substr(colon + 1)).empty();
            ok = hasSelect && ReadSqlite(source.substr(7, colon - 7), source.substr(colon + 1), rows, error);
            if (!ok && error.empty()) error = "give sqlite:PATH:SELECT";
        } else {
            std::vector<int> rowLines;
            ok = ReadCsv(source, rows, rowLines, error) && CheckHeader(rows, error) &&
                 CheckRows(rows, rowLines, source, error);
        }
        if (ok && source.rfind("sqlite:", 0) == 0) ok = CheckHeader(rows, error);
        if (!ok) {
            std::fprintf(stderr, "vnreport: cannot read data %s: %s\n", source.c_str(), error.c_str());
            return false;
        }
        try {
            FTables.push_back(MakeDataSet(rows));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vnreport: cannot read data %s: %s\n", source.c_str(), e.what());
            return false;
        }
        auto ds = std::make_unique<TVNDBDataSet>(&FOwner, Utf8ToAnsi(name));
        ds->SetDataSet(FTables.back().get());
        FDatasets.push_back(std::move(ds));
    }
    for (const auto& [name, value] : sources.Vars)
        EngineVariables().SetVariable(Utf8ToAnsi(name), Value(Utf8ToAnsi(value)));
    return true;
}

THeadlessRun::THeadlessRun(char* programName, bool windows) : FArgv{programName, nullptr} {
    if (windows)
        FApp = std::make_unique<QApplication>(FArgc, FArgv);
    else {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        FApp = std::make_unique<QGuiApplication>(FArgc, FArgv);
    }
    VNState().ScreenDPI = 96;
    FMeasure = std::make_unique<TVNQtMeasureCanvasScope>(96);
    FScope = std::make_unique<TMessageServiceScope>(FMessages);
}

THeadlessRun::~THeadlessRun() {
    FScope.reset();
    FMeasure.reset();
    FApp.reset();
}

void THeadlessRun::FlushMessages() {
    for (const auto& m : FMessages.Shown())
        std::fprintf(stderr, "message: %s\n", AnsiToUtf8(m.Text).c_str());
    FMessages.Clear();
}
