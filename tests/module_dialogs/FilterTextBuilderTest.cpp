// The logic list written as a filter text, and applied to a real in-memory data set: each
// operator on string and number fields, relations, list values, quotes inside values, and the
// exclusion that stands in for NOT LIKE.
#include "DialogsFixture.h"

#include "controls/FilterTextBuilder.h"

#include <gtest/gtest.h>

namespace {

AnsiString U(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

TEST(FilterTextBuilder, EachOperatorOnStringAndNumberFields) {
    auto ds = MakeLines();
    struct Case {
        const char* field;
        const char* factor;
        const char* value;
        const char* text;
    } cases[] = {
        {"实盘数量", "等于", "5", "( f_Spsl = 5 )"},
        {"商品编码", "等于", "5", "( f_Spbm = '5' )"},
        {"差异数量", "大于", "-50", "( f_Sysl > -50 )"},
        {"差异数量", "大于等于", "1.5", "( f_Sysl >= 1.5 )"},
        {"商品编码", "小于", "B", "( f_Spbm < 'B' )"},
        {"实盘数量", "小于等于", "0", "( f_Spsl <= 0 )"},
        {"商品名称", "不等于", "x", "( f_Spmc <> 'x' )"},
        {"商品名称", "部分等于", "ABC", "( f_Spmc LIKE '%ABC%' )"},
        {"实盘数量", "部分等于", "5", "( f_Spsl LIKE '%5%' )"}, // LIKE always quotes
        {"商品名称", "部分不等于", "ABC", "( f_Spmc<>'temp@temp@temp' )"},
        {"商品编码", "左等于", "10", "( f_Spbm LIKE '10%' )"},
        {"没有的字段", "等于", "7", "( f_Spbm = '7' )"}, // unknown name: the first field
        // quotes inside values are doubled, in every quoted piece
        {"商品名称", "等于", "5'' 显示器", "( f_Spmc = '5'''' 显示器' )"},
        {"商品名称", "部分等于", "O'K", "( f_Spmc LIKE '%O''K%' )"},
        {"商品名称", "左等于", "O'K", "( f_Spmc LIKE 'O''K%' )"},
        // list values: items at ";" or ",", ranges at "|", any operator
        {"商品编码", "等于", "01;02", "( f_Spbm = '01' Or f_Spbm = '02' )"},
        {"商品编码", "大于", "01,02;", "( f_Spbm = '01' Or f_Spbm = '02' )"},
        {"实盘数量", "等于", "1|5", "( f_Spsl Between '1' And '5' )"},
        {"商品名称", "部分不等于", "a'b;c|d", "( f_Spmc = 'a''b' Or f_Spmc Between 'c' And 'd' )"},
        {"商品编码", "等于", ";", "( 1=0 )"},
        // the second byte of 亅 is "|": not a list
        {"商品名称", "等于", "亅", "( f_Spmc = '亅' )"},
    };
    for (const Case& c : cases) {
        const TFilterBuild build = BuildFilterText({ConditionLine(U(c.field), U(c.factor), U(c.value))}, *ds);
        EXPECT_EQ(build.Text, U(c.text)) << c.field << " " << c.factor << " " << c.value;
    }
}

TEST(FilterTextBuilder, RelationsAndExclusionState) {
    auto ds = MakeLines();
    const TLogicList lines = {
        ConditionLine(U("商品名称"), U("部分不等于"), U("A")), RelationLine(RelationOr()),
        ConditionLine(U("实盘数量"), U("大于"), U("1")),       RelationLine(RelationAnd()),
        ConditionLine(U("商品编码"), U("部分不等于"), U("0")), RelationLine(U("未知")),
        ConditionLine(U("差异数量"), U("小于"), U("0")),
    };
    const TFilterBuild build = BuildFilterText(lines, *ds);
    EXPECT_EQ(build.Text,
              "( f_Spmc<>'temp@temp@temp' ) OR ( f_Spsl > 1 ) And ( f_Spbm<>'temp@temp@temp' ) OR "
              "( f_Sysl < 0 )");
    // only the last such line is kept as the dialog's exclusion
    EXPECT_EQ(build.ExclusionCondition, "f_Spbm LIKE '%0%'");
    EXPECT_EQ(build.ExclusionField, "f_Spbm");
    EXPECT_EQ(BuildFilterText({}, *ds).Text, "");
}

// Names of the rows a filter leaves, in order.
std::vector<AnsiString> Visible(TMemDataSet& ds) {
    std::vector<AnsiString> names;
    for (ds.First(); !ds.Eof(); ds.Next())
        names.push_back(ds.FieldByName("f_Spbm").AsString());
    return names;
}

TEST(FilterTextBuilder, AppliedFilterSelectsTheRightRows) {
    auto ds = MakeLines();
    struct Case {
        TLogicList lines;
        std::vector<AnsiString> codes;
    } cases[] = {
        {{}, {"01", "02", "03", "04", "05", "06"}},
        {{ConditionLine(U("差异数量"), U("大于"), U("-50"))}, {"01", "03", "04", "05"}}, // -50 itself fails
        {{ConditionLine(U("实盘数量"), U("等于"), U("5"))}, {"02"}},
        // exclusion: every name holding ABC goes, nulls never pass a comparison
        {{ConditionLine(U("商品名称"), U("部分不等于"), U("ABC"))}, {"03", "04", "05"}},
        // the exclusion binds to its own line, also when it is not the last one
        {{ConditionLine(U("商品名称"), U("部分不等于"), U("ABC")), RelationLine(RelationOr()),
          ConditionLine(U("商品编码"), U("等于"), U("01"))},
         {"01", "03", "04", "05"}},
        // two exclusions both take effect
        {{ConditionLine(U("商品名称"), U("部分不等于"), U("ABC")), RelationLine(RelationAnd()),
          ConditionLine(U("商品名称"), U("部分不等于"), U("显示"))},
         {"04", "05"}},
        // a name with quotes is found and excluded
        {{ConditionLine(U("商品名称"), U("等于"), U("5'' 显示器"))}, {"03"}},
        {{ConditionLine(U("商品名称"), U("部分不等于"), U("''"))}, {"01", "02", "04", "05"}},
        {{ConditionLine(U("商品编码"), U("等于"), U("01;05|06"))}, {"01", "05", "06"}},
        {{ConditionLine(U("实盘数量"), U("等于"), U("2|5"))}, {"02", "05"}},
    };
    for (const Case& c : cases) {
        const AnsiString text = ApplyLogicFilter(*ds, c.lines);
        EXPECT_TRUE(ds->Filtered());
        EXPECT_EQ(Visible(*ds), c.codes) << text;
    }
}

TEST(FilterTextBuilder, ExclusionListNamesEachValueOnce) {
    auto ds = MakeLines();
    ds->AppendRecord({Value("07"), Value("ABC"), Value(1.0), Value(0.0)});
    EXPECT_EQ(BuildExclusionList(*ds, "f_Spmc LIKE '%ABC%'", "f_Spmc"),
              " and (f_Spmc<>'ABC' and f_Spmc<>'xABCx')");
    EXPECT_EQ(BuildExclusionList(*ds, "f_Spmc LIKE '%none%'", "f_Spmc"), "");
}

TEST(FilterTextBuilder, UnparseableTextRaises) {
    auto ds = MakeLines();
    EXPECT_THROW(ApplyLogicFilter(*ds, {ConditionLine(U("实盘数量"), U("等于"), U("abc"))}), EFilterError);
    EXPECT_THROW(ApplyLogicFilter(*ds, {ConditionLine(U("实盘数量"), U("没有"), U("1"))}), EFilterError);
    // after an exclusion walk, too: no filter is left half applied
    EXPECT_THROW(ApplyLogicFilter(*ds, {ConditionLine(U("商品名称"), U("部分不等于"), U("ABC")),
                                        RelationLine(RelationAnd()),
                                        ConditionLine(U("实盘数量"), U("等于"), U("abc"))}),
                 EFilterError);
    EXPECT_FALSE(ds->Filtered());
    EXPECT_EQ(ds->RecordCount(), 6);
}

} // namespace
