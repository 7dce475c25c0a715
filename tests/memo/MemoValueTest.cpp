// Bracket values of a memo: inline formats after " #", the memo's own format, HideZeros and
// blank rows.
#include "MemoFixture.h"

#include "report/expr/VNFormat.h"

TEST(MemoValue, InlineFormats) {
    TMemoFixture f;
    f.Values["Amount"] = Value::Float(1234.5);
    f.Values["Day"] = Value::DateTime(45356); // 2024-03-05
    f.Memo->Format = MakeFormatCode(vnfcNumber, 4, 0, '.');
    f.Memo->FormatText = "0.000";
    const struct {
        const char* Group;
        const char* Expected;
    } cases[] = {
        {"Amount #N0.00", "1234.50"}, {"Amount #n#,##0.0", "1,234.5"}, {"Day #Dyyyy-mm-dd", "2024-03-05"},
        {"Day #dyyyy'x'm", "2024x3"}, {"Amount", "1234.500"}, // the memo's own format
        {"Amount ##0.0", "1234.5"}, // another first character: the memo's code, the whole text
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.Memo->EvaluateBracket(c.Group), c.Expected) << c.Group;
}

TEST(MemoValue, HideZerosAndBlankRows) {
    TMemoFixture f;
    f.Memo->SetFlag(flHideZeros, true);
    const struct {
        Value V;
        const char* Group;
        const char* Expected;
    } cases[] = {
        {Value(0), "V", ""},           {Value::Float(0.0), "V #N0.00", ""},
        {Value::Currency(0), "V", ""}, {Value("0"), "V", "0"}, // a string that reads 0 still prints
        {Value(7), "V", "7"},
    };
    for (const auto& c : cases) {
        f.Values["V"] = c.V;
        EXPECT_EQ(f.Memo->EvaluateBracket(c.Group), c.Expected) << c.Group << " " << c.V.AsString();
    }
    f.Memo->SetFlag(flHideZeros, false);
    f.Values["V"] = Value(0);
    EXPECT_EQ(f.Memo->EvaluateBracket("V"), "0");
    f.Report.BlankRowMode = true;
    f.Values["V"] = Value(5);
    EXPECT_EQ(f.Memo->EvaluateBracket("V"), "");
}
