// libFuzzer target: the filter text of an in-memory data set (what the grid's filter builder
// writes) over a data set with a field of every type, including a row of empty cells. Any text is
// a filter or EFilterError; a filter that compiles is applied and the rows walked.
#include "platform/Locale.h"
#include "platform/MemDataSet.h"

#include <string>

namespace {

TMemDataSet& Rows() {
    static TMemDataSet d;
    static bool made = [] {
        d.AddField("Code", TFieldType::String, 20);
        d.AddField("\xC3\xFB\xB3\xC6", TFieldType::String, 60); // 名称
        d.AddField("Qty", TFieldType::Integer, 0);
        d.AddField("Price", TFieldType::Float, 0);
        d.AddField("Amount", TFieldType::Currency, 0);
        d.AddField("Day", TFieldType::DateTime, 0);
        d.AddField("Ok", TFieldType::Boolean, 0);
        d.Open();
        d.AppendRecord({Value("A1"), Value("\xC6\xBB\xB9\xFB"), Value::Integer(3), Value::Float(1.5),
                        Value::Float(4.5), Value::DateTime(EncodeDate(2024, 1, 15)), Value::Boolean(true)});
        d.AppendRecord({Value("B'2"), Value("%"), Value::Integer(-7), Value::Float(-1e300), Value::Float(0),
                        Value::DateTime(0), Value::Boolean(false)});
        d.AppendRecord({Value::Null(), Value::Null(), Value::Null(), Value::Null(), Value::Null(),
                        Value::Null(), Value::Null()});
        return true;
    }();
    (void)made;
    return d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemDataSet& ds = Rows();
    try {
        ds.SetFiltered(false);
        ds.SetFilter(AnsiString(reinterpret_cast<const char*>(data), size));
        ds.SetFiltered(true);
        for (ds.First(); !ds.Eof(); ds.Next()) {
        }
        ds.RecordCount();
    } catch (const EFilterError&) {
    }
    return 0;
}
