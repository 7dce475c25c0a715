// A small stocktake-like data set shared by the data set tests: string codes and names (one with a
// quote, some Chinese in CP936), float quantities with nulls, a date and an integer field.
#pragma once

#include "platform/Locale.h"
#include "platform/MemDataSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

inline std::unique_ptr<TMemDataSet> MakeLines() {
    auto ds = std::make_unique<TMemDataSet>();
    ds->AddField("f_Spbm", TFieldType::String, 20);
    ds->AddField("f_Spmc", TFieldType::String, 60);
    ds->AddField("f_Spsl", TFieldType::Float).DisplayFormat = "0.00";
    ds->AddField("f_Sysl", TFieldType::Float).DisplayFormat = "0.00";
    ds->AddField("f_Rq", TFieldType::DateTime);
    ds->AddField("f_Sl", TFieldType::Integer);
    ds->Open();
    const Value null = Value::Null();
    ds->AppendRecord({"001", CP936("ABC显示器"), 5.0, -60.0, Value::DateTime(EncodeDate(2024, 1, 10)), 1});
    ds->AppendRecord({"002", CP936("5' 显示器"), 10.0, -50.0, Value::DateTime(EncodeDate(2024, 2, 10)), 2});
    ds->AppendRecord({"003", "xABCy", 5.5, 0.0, Value::DateTime(EncodeDate(2024, 3, 10)), 3});
    ds->AppendRecord({"004", CP936("键盘"), null, 20.0, Value::DateTime(EncodeDate(2024, 4, 10)), 4});
    ds->AppendRecord({"005", "abc", 0.0, null, null, 5});
    ds->AppendRecord({"5", "temp", 5.0, 100.0, Value::DateTime(EncodeDate(2024, 6, 10)), 6});
    ds->First();
    return ds;
}

// The f_Spbm codes of the view, in view order, joined by blanks.
inline std::string Codes(TMemDataSet& ds) {
    std::string out;
    const int spbm = ds.FieldByName("f_Spbm").Index();
    for (int i = 0; i < ds.RecordCount(); ++i) {
        if (!out.empty()) out += ' ';
        out += ds.CellValue(i, spbm).AsString();
    }
    return out;
}
