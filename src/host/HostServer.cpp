// The host's automation server (see HostServer.h).
#include "HostServer.h"

#include "HostText.h"
#include "SelectAdapter.h"
#include "StocktakeFunctions.h"
#include "platform/MemDataSet.h"

namespace {

void NeedArgs(const std::vector<TDispArg>& args, std::size_t count, std::int32_t dispId) {
    if (args.size() != count)
        throw ECoorDispError("dispatch id " + std::to_string(dispId) + " takes " + std::to_string(count) +
                             " arguments, got " + std::to_string(args.size()));
}

AnsiString TextArg(const TDispArg& a) {
    const Value& v = a.Get();
    return v.IsEmptyOrNull() ? AnsiString() : v.AsString();
}

std::int32_t IntArg(const TDispArg& a) {
    return static_cast<std::int32_t>(a.Get().AsInteger());
}

Value Bool(bool b) {
    return Value::Boolean(b);
}

} // namespace

std::shared_ptr<TMemDataSet> RowsToDataSet(const TDbRows& rows) {
    auto ds = std::make_shared<TMemDataSet>();
    const std::size_t n = rows.ColumnCount();
    std::vector<std::size_t> widths(n, 1);
    std::vector<Value> cells(rows.Cells.size());
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const Value& v = rows.At(r, c);
            Value& out = cells[r * n + c];
            if (v.IsNull()) {
                out = Value::Null();
            } else if (rows.Columns[c].Type == TDbColumnType::Text) {
                out = Value::String(DbToAnsi(v.AsString()));
                widths[c] = std::max(widths[c], out.AsString().size());
            } else if (rows.Columns[c].Type == TDbColumnType::Integer) {
                out = Value::Integer(v.AsInteger());
            } else {
                out = Value::Float(v.AsFloat());
            }
        }
    }
    for (std::size_t c = 0; c < n; ++c) {
        const TDbColumn& col = rows.Columns[c];
        const TFieldType type = col.Type == TDbColumnType::Integer ? TFieldType::Integer
                                : col.Type == TDbColumnType::Float ? TFieldType::Float
                                                                   : TFieldType::String;
        ds->AddField(DbToAnsi(col.Name), type, type == TFieldType::String ? static_cast<int>(widths[c]) : 0);
    }
    ds->Open();
    ds->DisableControls();
    std::vector<Value> row(n);
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
        for (std::size_t c = 0; c < n; ++c)
            row[c] = std::move(cells[r * n + c]);
        ds->AppendRecord(row);
    }
    ds->EnableControls();
    ds->First();
    return ds;
}

Value ErrorList(const std::vector<std::string>& utf8Messages) {
    std::vector<Value> items;
    for (const std::string& m : utf8Messages)
        items.push_back(Value::String(DbToAnsi(m)));
    return Value::Array(std::move(items));
}

TCoorDispRef THostServer::Create(std::unique_ptr<TDbBackend> db) {
    return TCoorDispRef::Adopt(new THostServer(std::move(db)));
}

THostServer::THostServer(std::unique_ptr<TDbBackend> db) : FDb(std::move(db)) {}

void THostServer::SetCallObserver(TCallObserver observer) {
    std::lock_guard lock(FMutex);
    FObserver = std::move(observer);
}

void THostServer::SetClock(TClock clock) {
    std::lock_guard lock(FMutex);
    FClock = std::move(clock);
}

std::string THostServer::Now() {
    return FClock ? FClock() : FDb->CurrentTimestamp();
}

Value THostServer::Invoke(std::int32_t dispId, const std::vector<TDispArg>& args) {
    std::lock_guard lock(FMutex);
    Value result = Dispatch(dispId, args);
    if (FObserver) FObserver(dispId, args, result);
    return result;
}

Value THostServer::Dispatch(std::int32_t dispId, const std::vector<TDispArg>& args) {
    switch (dispId) {
    case CoorDispId::OpenQuery:
        NeedArgs(args, 2, dispId);
        return Bool(DoOpenQuery(TextArg(args[0]), args[1].Ref()));
    case CoorDispId::RunServerFunction:
        NeedArgs(args, 3, dispId);
        return Bool(DoRunServerFunction(IntArg(args[0]), args[1].Ref()));
    case CoorDispId::GetReportList:
        NeedArgs(args, 2, dispId);
        return Bool(DoGetReportList(TextArg(args[0]), args[1].Ref()));
    case CoorDispId::CheckRight:
        NeedArgs(args, 2, dispId);
        return Bool(DoCheckRight(TextArg(args[0]), TextArg(args[1])));
    case CoorDispId::GetDatabaseKind:
        NeedArgs(args, 0, dispId);
        return Value::String(DatabaseKindName);
    case CoorDispId::GetCurrentYearMonth:
    case CoorDispId::GetCurrentDateTime:
    case CoorDispId::GetCurrentDate: {
        NeedArgs(args, 1, dispId);
        Value& out = args[0].Ref();
        try {
            const std::string now = Now();
            const std::string date8 = Date8OfTimestamp(now);
            if (dispId == CoorDispId::GetCurrentYearMonth)
                out = Value::String(date8.substr(0, 6));
            else if (dispId == CoorDispId::GetCurrentDate)
                out = Value::String(date8);
            else
                out = Value::String(now);
            return Bool(true);
        } catch (const std::exception& e) {
            out = ErrorList({e.what()});
            return Bool(false);
        }
    }
    case CoorDispId::GetCodeRecord:
        NeedArgs(args, 2, dispId);
        return Bool(DoGetCodeRecord(IntArg(args[0]), args[1].Ref()));
    case CoorDispId::GetSystemParameters:
        NeedArgs(args, 1, dispId);
        return Bool(DoGetSystemParameters(args[0].Ref()));
    default:
        throw ECoorDispError("unknown dispatch id " + std::to_string(dispId));
    }
}

bool THostServer::DoOpenQuery(const AnsiString& sql, Value& result) {
    try {
        const std::string text = AdaptSelect(AnsiToDb(sql), FDb->Kind());
        result = Value::RecordSet(RowsToDataSet(FDb->QueryReadOnly(text, FQueryLimit)));
        return true;
    } catch (const std::exception& e) {
        result = ErrorList({e.what()});
        return false;
    }
}

bool THostServer::DoRunServerFunction(std::int32_t number, Value& parameter) {
    try {
        const AnsiString text = parameter.IsEmptyOrNull() ? AnsiString() : parameter.AsString();
        switch (number) {
        case ServerFunction::SheetHeader:
            parameter = Value::RecordSet(RunSheetHeader(*FDb, text));
            return true;
        case ServerFunction::SheetLines:
            parameter = Value::RecordSet(RunSheetLines(*FDb, text));
            return true;
        case ServerFunction::PostGainLoss:
            RunPostGainLoss(*FDb, text, Now());
            parameter = Value::Boolean(true);
            return true;
        default:
            parameter = ErrorList({"未知的服务器函数：" + std::to_string(number)});
            return false;
        }
    } catch (const std::exception& e) {
        parameter = ErrorList({e.what()});
        return false;
    }
}

bool THostServer::DoGetReportList(const AnsiString& name, Value& result) {
    try {
        result = Value::RecordSet(RowsToDataSet(
            FDb->Query("SELECT f_reportname, f_reportinfo FROM tbBbmb WHERE f_Bbmc = ? ORDER BY f_reportname",
                       {Value::String(AnsiToDb(name))})));
        return true;
    } catch (const std::exception& e) {
        result = ErrorList({e.what()});
        return false;
    }
}

bool THostServer::DoCheckRight(const AnsiString& operatorCode, const AnsiString& right) {
    try {
        return FDb->Query("SELECT 1 FROM tbCzyqx WHERE f_Czybm = ? AND f_Qxbm = ?",
                          {Value::String(AnsiToDb(Trim(operatorCode))), Value::String(AnsiToDb(Trim(right)))})
                   .RowCount() > 0;
    } catch (const std::exception&) {
        return false;
    }
}

bool THostServer::DoGetCodeRecord(std::int32_t kind, Value& codeAndResult) {
    try {
        if (kind != 1) {
            codeAndResult = ErrorList({"未知的编码记录类型：" + std::to_string(kind)});
            return false;
        }
        const AnsiString code = codeAndResult.IsEmptyOrNull() ? AnsiString() : codeAndResult.AsString();
        const TDbRows rows = FDb->Query("SELECT f_zybm, f_zymc, f_zylx, f_bmbm FROM tbzyda WHERE f_zybm = ?",
                                        {Value::String(AnsiToDb(Trim(code)))});
        if (rows.RowCount() == 0) {
            codeAndResult = ErrorList({"职员不存在：" + AnsiToDb(code)});
            return false;
        }
        codeAndResult = Value::RecordSet(RowsToDataSet(rows));
        return true;
    } catch (const std::exception& e) {
        codeAndResult = ErrorList({e.what()});
        return false;
    }
}

bool THostServer::DoGetSystemParameters(Value& result) {
    try {
        result = Value::RecordSet(RowsToDataSet(
            FDb->Query("SELECT f_Csmc AS \"f_Csmc\", f_Csz AS \"f_csz\" FROM tbSysMsg ORDER BY f_Csmc", {})));
        return true;
    } catch (const std::exception& e) {
        result = ErrorList({e.what()});
        return false;
    }
}
