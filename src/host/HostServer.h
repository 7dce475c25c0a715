// The host's automation server: `ICoorDisp` over a database backend.
//
// Every dispatch id of the boundary is answered here; the stocktake functions live in
// StocktakeFunctions.cpp. A call that cannot be made (unknown id, wrong arguments) throws
// ECoorDispError; an operation that fails returns false and, where it has a by-reference value,
// leaves the error list (array of CP936 texts) in it. Calls are serialised per server object: one
// server holds one database connection.
#pragma once

#include "DbBackend.h"
#include "coordisp/CoorDisp.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

class THostServer final : public TCoorDispObject {
public:
    // Called after every Invoke with the dispatch id, the arguments and the result.
    using TCallObserver =
        std::function<void(std::int32_t dispId, const std::vector<TDispArg>& args, const Value& result)>;
    // Supplies "YYYY-MM-DD HH:MM:SS"; the default asks the database.
    using TClock = std::function<std::string()>;

    // Creates a server with one reference, owned by the returned holder.
    static TCoorDispRef Create(std::unique_ptr<TDbBackend> db);
    static THostServer& Of(const TCoorDispRef& ref) { return static_cast<THostServer&>(*ref); }

    Value Invoke(std::int32_t dispId, const std::vector<TDispArg>& args) override;

    void SetCallObserver(TCallObserver observer);
    void SetClock(TClock clock);
    // What one OpenQuery may return (none by default; the command line sets one). A larger
    // result gives False with the limit in the error list, and no rows.
    void SetQueryLimit(const TDbResultLimit& limit) { FQueryLimit = limit; }
    TDbBackend& Database() { return *FDb; }

    // The database kind reported to the module: its dialect is what OpenQuery accepts.
    static constexpr const char* DatabaseKindName = "SQLSERVER";

private:
    explicit THostServer(std::unique_ptr<TDbBackend> db);
    ~THostServer() override = default;

    Value Dispatch(std::int32_t dispId, const std::vector<TDispArg>& args);
    bool DoOpenQuery(const AnsiString& sql, Value& result);
    bool DoRunServerFunction(std::int32_t number, Value& parameter);
    bool DoGetReportList(const AnsiString& name, Value& result);
    bool DoCheckRight(const AnsiString& operatorCode, const AnsiString& right);
    bool DoGetCodeRecord(std::int32_t kind, Value& codeAndResult);
    bool DoGetSystemParameters(Value& result);
    std::string Now();

    std::unique_ptr<TDbBackend> FDb;
    std::recursive_mutex FMutex;
    TCallObserver FObserver;
    TClock FClock;
    TDbResultLimit FQueryLimit;
};

// A result (UTF-8 cells) as an in-memory data set of CP936 texts, numbers as Integer/Float fields.
std::shared_ptr<TMemDataSet> RowsToDataSet(const TDbRows& rows);
// An error list value: array of CP936 texts from UTF-8 messages.
Value ErrorList(const std::vector<std::string>& utf8Messages);
