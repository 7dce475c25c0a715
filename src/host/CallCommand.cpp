// The command-line commands of retailhost (see CallCommand.h).
#include "CallCommand.h"
#include "DatabaseLock.h"

#include "HostText.h"
#include "platform/MemDataSet.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <map>
#include <optional>
#include <cstdint>
#include <ostream>

namespace {

std::optional<std::int64_t> ParseInt(const std::string& s) {
    std::int64_t v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

// A dispatch id or function number: a 32-bit integer, never wrapped into another one.
std::optional<std::int32_t> ParseInt32(const std::string& s) {
    const auto v = ParseInt(s);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Join(const std::vector<std::string>& args, std::size_t from, const std::string& sep) {
    std::string out;
    for (std::size_t i = from; i < args.size(); ++i)
        out += (i > from ? sep : "") + args[i];
    return out;
}

std::string Escaped(const std::string& utf8) {
    std::string out;
    AppendBackslashEscaped(out, utf8);
    return out;
}

std::string CellText(const Value& v) {
    if (v.IsEmptyOrNull()) return std::string();
    return Escaped(AnsiToUtf8(v.AsString()));
}

void WriteOutcome(const Value& v, std::ostream& out) {
    if (v.IsRecordSet()) {
        WriteRecordSetTsv(v, out);
    } else if (v.IsArray()) {
        for (const Value& item : v.AsArray())
            out << CellText(item) << '\n';
    } else if (!v.IsEmpty()) {
        out << CellText(v) << '\n';
    }
}

const std::map<std::string, std::int32_t>& OperationIds() {
    static const std::map<std::string, std::int32_t> ids = {
        {"openquery", CoorDispId::OpenQuery},
        {"runserverfunction", CoorDispId::RunServerFunction},
        {"getreportlist", CoorDispId::GetReportList},
        {"checkright", CoorDispId::CheckRight},
        {"getdatabasekind", CoorDispId::GetDatabaseKind},
        {"getcurrentyearmonth", CoorDispId::GetCurrentYearMonth},
        {"getcurrentdatetime", CoorDispId::GetCurrentDateTime},
        {"getcurrentdate", CoorDispId::GetCurrentDate},
        {"getcoderecord", CoorDispId::GetCodeRecord},
        {"getsystemparameters", CoorDispId::GetSystemParameters},
    };
    return ids;
}

constexpr const char* CallUsage =
    "usage: retailhost call [--db PATH | --pg CONNINFO] OPERATION ARGS...\n"
    "  OpenQuery SELECT-TEXT...            run a SELECT (the words are joined by blanks)\n"
    "  RunServerFunction N PARAM...        server function N; parameters are joined by TAB\n"
    "  33 DJH | 34 DJH PDRQ MNRQ CKBM | 35 DJH PDRQ CZYBM CZYMC   the same, by number\n"
    "  GetReportList [NAME]                templates of a report (default 盘点损益表)\n"
    "  CheckRight OPERATOR RIGHT\n"
    "  GetCodeRecord [KIND] CODE           kind 1: staff\n"
    "  GetDatabaseKind | GetCurrentYearMonth | GetCurrentDateTime | GetCurrentDate | GetSystemParameters\n"
    "OPERATION may also be a dispatch id (4, 5, 6, 8, 10, 17, 20, 100, 510, 1610743808).\n";

} // namespace

std::unique_ptr<TDbBackend> OpenHostBackend(const THostDatabaseChoice& choice) {
    if (!choice.Conninfo.empty()) return OpenPgBackend(choice.Conninfo);
    return OpenSqliteBackend(choice.SqlitePath);
}

void WriteRecordSetTsv(const Value& recordSet, std::ostream& out) {
    const std::shared_ptr<TMemDataSet> ds = recordSet.AsRecordSet();
    const int fields = ds->FieldCount();
    for (int f = 0; f < fields; ++f)
        out << (f ? "\t" : "") << Escaped(AnsiToUtf8(ds->Fields(f).FieldName));
    out << '\n';
    const int rows = ds->RecordCount();
    for (int r = 0; r < rows; ++r) {
        for (int f = 0; f < fields; ++f)
            out << (f ? "\t" : "") << CellText(ds->CellValue(r, f));
        out << '\n';
    }
}

int RunCallCommand(ICoorDisp& server, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err) {
    if (args.empty()) {
        err << CallUsage;
        return 2;
    }
    std::int32_t dispId = 0;
    std::int32_t function = 0;
    std::size_t first = 1; // first operation argument
    const std::string op = Lower(args[0]);
    if (auto it = OperationIds().find(op); it != OperationIds().end()) {
        dispId = it->second;
    } else if (auto n = ParseInt32(op)) {
        if (*n == ServerFunction::SheetHeader || *n == ServerFunction::SheetLines ||
            *n == ServerFunction::PostGainLoss) {
            dispId = CoorDispId::RunServerFunction;
            function = static_cast<std::int32_t>(*n);
        } else {
            dispId = static_cast<std::int32_t>(*n);
        }
    } else {
        err << "retailhost call: unknown operation " << args[0] << "\n" << CallUsage;
        return 2;
    }
    if (dispId == CoorDispId::RunServerFunction && function == 0) {
        if (args.size() < 2 || !ParseInt32(args[1])) {
            err << "retailhost call: RunServerFunction needs a function number (a 32-bit integer)\n" << CallUsage;
            return 2;
        }
        function = *ParseInt32(args[1]);
        first = 2;
    }
    auto ansi = [](const std::string& utf8) { return Utf8ToAnsi(utf8); };
    const std::size_t extra = args.size() - first;

    bool ok = false;
    Value outcome;
    try {
        switch (dispId) {
        case CoorDispId::OpenQuery:
            ok = server.OpenQuery(ansi(Join(args, first, " ")), outcome);
            break;
        case CoorDispId::RunServerFunction: {
            Value unused;
            outcome = Value::String(ansi(Join(args, first, "\t")));
            ok = server.RunServerFunction(function, outcome, unused);
            if (ok && function == ServerFunction::PostGainLoss) outcome = Value();
            break;
        }
        case CoorDispId::GetReportList:
            ok = server.GetReportList(extra ? ansi(Join(args, first, " ")) : ansi(StocktakeReportName),
                                      outcome);
            break;
        case CoorDispId::CheckRight:
            if (extra != 2) {
                err << "retailhost call: CheckRight needs OPERATOR and RIGHT\n";
                return 2;
            }
            ok = server.CheckRight(ansi(args[first]), ansi(args[first + 1]));
            break;
        case CoorDispId::GetDatabaseKind:
            outcome = server.GetDatabaseKind();
            ok = true;
            break;
        case CoorDispId::GetCurrentYearMonth:
            ok = server.GetCurrentYearMonth(outcome);
            break;
        case CoorDispId::GetCurrentDateTime:
            ok = server.GetCurrentDateTime(outcome);
            break;
        case CoorDispId::GetCurrentDate:
            ok = server.GetCurrentDate(outcome);
            break;
        case CoorDispId::GetCodeRecord: {
            if (extra != 1 && extra != 2) {
                err << "retailhost call: GetCodeRecord needs [KIND] CODE\n";
                return 2;
            }
            const auto kind = extra == 2 ? ParseInt(args[first]) : std::optional<std::int64_t>(1);
            if (!kind) {
                err << "retailhost call: KIND must be a number\n";
                return 2;
            }
            outcome = Value::String(ansi(args.back()));
            ok = server.GetCodeRecord(static_cast<std::int32_t>(*kind), outcome);
            break;
        }
        case CoorDispId::GetSystemParameters:
            ok = server.GetSystemParameters(outcome);
            break;
        default:
            err << "retailhost call: unknown dispatch id " << dispId << "\n";
            return 2;
        }
    } catch (const std::exception& e) {
        out << "False\n" << e.what() << '\n';
        return 1;
    }
    out << (ok ? "True" : "False") << '\n';
    WriteOutcome(outcome, out);
    return ok ? 0 : 1;
}

TDemoSummary InitDemoDatabase(const THostDatabaseChoice& choice, const TDemoOptions& options) {
    if (!choice.Conninfo.empty()) {
        auto db = OpenPgBackend(choice.Conninfo);
        return CreateDemoDatabase(*db, options);
    }
    namespace fs = std::filesystem;
    const fs::path target(choice.SqlitePath);
    // A running host keeps its database open: replacing the file would send its later postings
    // to a deleted file.
    const TDatabaseLock inUse(choice.SqlitePath, TDatabaseLock::TMode::Exclusive);
    if (!inUse.Held())
        throw std::runtime_error("the database " + choice.SqlitePath +
                                 " is in use by a running host; close it before writing the demo data");
    if (target.has_parent_path()) fs::create_directories(target.parent_path());
    const fs::path temp = target.string() + ".new";
    auto removeTemp = [&] {
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            fs::remove(temp.string() + suffix, ec);
    };
    removeTemp();
    TDemoSummary summary;
    try {
        auto db = OpenSqliteBackend(temp.string());
        summary = CreateDemoDatabase(*db, options);
        db->Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        db->Execute("PRAGMA journal_mode=DELETE");
    } catch (...) {
        removeTemp();
        throw;
    }
    std::error_code ec;
    for (const char* suffix : {"-wal", "-shm"})
        fs::remove(target.string() + suffix, ec);
    fs::rename(temp, target);
    removeTemp();
    return summary;
}
