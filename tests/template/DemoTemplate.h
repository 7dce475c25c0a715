// A fresh demo database of the host (SQLite in memory) with its server, the stocktake sheet's
// template list as the sheet reads it, and the large sheet's header and lines.
#pragma once

#include "host/DemoData.h"
#include "host/HostServer.h"

#include "platform/MemDataSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

struct TDemoTemplate {
    TCoorDispRef Server;
    TDemoSummary Demo;
    std::shared_ptr<TMemDataSet> List;

    explicit TDemoTemplate(int lines = 40) {
        auto db = OpenSqliteBackend(":memory:");
        TDemoOptions options;
        options.Lines = lines;
        options.Goods = 400;
        options.Today = "20240601";
        Demo = CreateDemoDatabase(*db, options);
        Server = THostServer::Create(std::move(db));
        Value result;
        EXPECT_TRUE(Server->GetReportList(Utf8ToAnsi(StocktakeReportName), result));
        List = result.AsRecordSet();
    }

    // The large sheet's header (server function 33).
    std::shared_ptr<TMemDataSet> Header() {
        Value p = Value::String(Demo.LargeSheet), unused;
        EXPECT_TRUE(Server->RunServerFunction(33, p, unused));
        return p.AsRecordSet();
    }

    // The large sheet's lines (server function 34), simulated at the demo's today.
    std::shared_ptr<TMemDataSet> Lines() {
        const AnsiString warehouse = Header()->FieldByName("f_Ckbm").AsString();
        Value p = Value::String(Demo.LargeSheet + "\t" + Demo.LargeSheet.substr(0, 8) + "\t20240601\t" +
                                warehouse),
              unused;
        EXPECT_TRUE(Server->RunServerFunction(34, p, unused));
        return p.AsRecordSet();
    }

    // The upper-cased names of the line columns.
    std::set<AnsiString> LineColumns() {
        std::set<AnsiString> names;
        auto lines = Lines();
        for (int i = 0; i < lines->FieldCount(); ++i)
            names.insert(UpperCase(lines->Fields(i).FieldName));
        return names;
    }
};
