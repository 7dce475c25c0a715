// Shared pieces of the dialog tests: a few sheet lines with the sheet's field names and labels,
// and the one QApplication the widget tests need.
#pragma once

#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"

#include <QApplication>

#include <memory>

// Codes 01..06; names: "ABC", "xABCx", "5'' 显示器", "键盘", "鼠标", null.
inline std::shared_ptr<TMemDataSet> MakeLines() {
    auto ds = std::make_shared<TMemDataSet>();
    ds->AddField("f_Spbm", TFieldType::String, 20).DisplayLabel = Utf8ToAnsi("商品编码");
    ds->AddField("f_Spmc", TFieldType::String, 60).DisplayLabel = Utf8ToAnsi("商品名称");
    ds->AddField("f_Spsl", TFieldType::Float).DisplayLabel = Utf8ToAnsi("实盘数量");
    ds->AddField("f_Sysl", TFieldType::Float).DisplayLabel = Utf8ToAnsi("差异数量");
    ds->Open();
    ds->AppendRecord({Value("01"), Value("ABC"), Value(1.0), Value(0.0)});
    ds->AppendRecord({Value("02"), Value("xABCx"), Value(5.0), Value(-60.0)});
    ds->AppendRecord({Value("03"), Value(Utf8ToAnsi("5'' 显示器")), Value(0.0), Value(-10.0)});
    ds->AppendRecord({Value("04"), Value(Utf8ToAnsi("键盘")), Value(7.0), Value(3.0)});
    ds->AppendRecord({Value("05"), Value(Utf8ToAnsi("鼠标")), Value(2.0), Value(50.0)});
    ds->AppendRecord({Value("06"), Value::Null(), Value(9.0), Value(-50.0)});
    return ds;
}

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "module_dialogs_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
