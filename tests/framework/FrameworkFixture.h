// What the framework's tests share: one demo database on SQLite in a scratch folder behind the
// real host server (created once per run, with a fixed clock), and a server in front of it that
// records every call and lets a test replace the answer of one operation.
#pragma once

#include "host/DemoData.h"
#include "host/HostServer.h"
#include "coordisp/CoorDisp.h"
#include "platform/MemDataSet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <unistd.h>

namespace fwtest {

inline AnsiString A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

inline std::filesystem::path ScratchFolder() {
    static const std::filesystem::path folder = [] {
        auto p = std::filesystem::temp_directory_path() / ("framework_tests-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return folder;
}

// The real server over the demo database, today being 2024-01-12.
inline ICoorDisp* DemoServer() {
    static TCoorDispRef server = [] {
        auto db = OpenSqliteBackend((ScratchFolder() / "demo.sqlite").string());
        TDemoOptions options;
        options.Lines = 40;
        options.Today = "20240112";
        CreateDemoDatabase(*db, options);
        TCoorDispRef s = THostServer::Create(std::move(db));
        THostServer::Of(s).SetClock([] { return std::string("2024-01-12 09:30:00"); });
        return s;
    }();
    return server.Get();
}

// Forwards every call to the demo server and records it. Override, when set, may answer a call
// itself (return a value) or let it through (return nothing).
class TRecordingServer final : public TCoorDispObject {
public:
    using TOverride =
        std::function<std::optional<Value>(std::int32_t dispId, const std::vector<TDispArg>& args)>;

    static TRecordingServer* Create() { return new TRecordingServer; }

    TOverride Override;
    std::vector<std::int32_t> Calls;
    std::vector<AnsiString> Queries; // the SELECT texts of OpenQuery
    std::vector<bool> QueryResults;

    Value Invoke(std::int32_t dispId, const std::vector<TDispArg>& args) override {
        Calls.push_back(dispId);
        if (dispId == CoorDispId::OpenQuery) Queries.push_back(args.at(0).Get().AsString());
        Value result;
        if (std::optional<Value> own = Override ? Override(dispId, args) : std::nullopt)
            result = *own;
        else
            result = DemoServer()->Invoke(dispId, args);
        if (dispId == CoorDispId::OpenQuery) QueryResults.push_back(ICoorDisp::Succeeded(result));
        return result;
    }
    std::size_t CountOf(std::int32_t dispId) const {
        std::size_t n = 0;
        for (std::int32_t c : Calls)
            n += c == dispId;
        return n;
    }

private:
    TRecordingServer() = default;
};

// A recording server held for the scope of a test.
struct TServerHolder {
    TRecordingServer* Server = TRecordingServer::Create();
    TCoorDispRef Ref = TCoorDispRef::Adopt(Server);
    TRecordingServer* operator->() const { return Server; }
};

// The demo's parameter table with changes: a key mapped to nothing is removed, others are set
// (added when missing). Keys are UTF-8/ASCII.
inline std::shared_ptr<TMemDataSet>
ChangedParameters(const std::map<std::string, std::optional<std::string>>& changes,
                  const std::map<std::string, std::string>& renames = {}) {
    Value v;
    EXPECT_TRUE(DemoServer()->GetSystemParameters(v));
    auto source = v.AsRecordSet();
    auto out = std::make_shared<TMemDataSet>();
    out->AddField("f_Csmc", TFieldType::String, 40);
    out->AddField("f_csz", TFieldType::String, 200);
    out->Open();
    std::map<std::string, std::optional<std::string>> pending = changes;
    for (source->First(); !source->Eof(); source->Next()) {
        std::string key = source->FieldByName("f_Csmc").AsString();
        std::string value = source->FieldByName("f_csz").AsString();
        if (auto it = pending.find(key); it != pending.end()) {
            const std::optional<std::string> to = it->second;
            pending.erase(it);
            if (!to) continue;
            value = A(to->c_str());
        }
        if (auto r = renames.find(key); r != renames.end()) key = r->second;
        out->AppendRecord({Value::String(key), Value::String(value)});
    }
    for (const auto& [key, value] : pending)
        if (value) out->AppendRecord({Value::String(key), Value::String(A(value->c_str()))});
    return out;
}

// An override that answers GetSystemParameters with the given table.
inline TRecordingServer::TOverride ParametersFrom(std::shared_ptr<TMemDataSet> table) {
    return [table](std::int32_t id, const std::vector<TDispArg>& args) -> std::optional<Value> {
        if (id != CoorDispId::GetSystemParameters) return std::nullopt;
        args.at(0).Ref() = Value::RecordSet(table);
        return Value::Boolean(true);
    };
}

} // namespace fwtest
