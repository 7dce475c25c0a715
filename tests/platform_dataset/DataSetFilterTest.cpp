// Filter texts as the filter builder writes them (comparisons, relation lines, LIKE, doubled
// quotes, list groups, exclusion lists), the errors of texts that do not parse, and LIKE on
// double-byte text.
#include "platform/DataSetFilter.h"
#include "DataSetFixture.h"

namespace {

struct TFilterCase {
    std::string Text;
    std::string Expected; // f_Spbm codes left in the view
};

TEST(DataSetFilter, SelectsTheRowsOfEachText) {
    const std::vector<TFilterCase> cases = {
        {"( f_Spsl = 5 )", "001 5"},
        {"( f_Spbm = '5' )", "5"},
        {"( f_Sysl > -50 )", "003 004 5"}, // the null f_Sysl of 005 compares false
        {"( f_Sysl >= -50 )", "002 003 004 5"},
        {"( f_Sysl <> 0 )", "001 002 004 5"},
        {"( f_Spsl <> 5 )", "002 003 005"},
        {"( f_Spsl < 5 )", "005"},
        {"( f_Spsl <= 5.5 )", "001 003 005 5"},
        {"( f_Sl > 1.5 )", "002 003 004 005 5"},
        {"( f_Spsl = '5' )", "001 5"},          // quoted number on a number field compares as a number
        {"( f_Spmc LIKE '%ABC%' )", "001 003"}, // case-sensitive: "abc" stays out
        {"( f_Spmc LIKE 'ABC%' )", "001"},
        {"( f_Spmc like '%c' )", "005"},
        {"( f_Spmc LIKE 'temp' )", "5"},
        {"( f_Spsl LIKE '%.5%' )", "003"}, // LIKE on a number reads its text
        {CP936("( f_Spmc = '5'' 显示器' )"), "002"},
        {CP936("( f_Spmc LIKE '%显示器' )"), "001 002"},
        {"( f_Spbm > '004' )", "005 5"}, // text compares byte-wise
        {"( f_Rq >= '2024-3-1' )", "003 004 5"},
        {"( 5 = f_Spsl )", "001 5"},
        {"( 0 < f_Sysl )", "004 5"},
        {"f_Spsl<=5", "001 005 5"},
        {"", "001 002 003 004 005 5"},
        {"   ", "001 002 003 004 005 5"},
        // Relation lines: AND binds tighter than OR, keywords in any case.
        {"( f_Spsl = 5 ) And ( f_Sysl < 0 ) OR ( f_Spbm = '004' )", "001 004"},
        {"( f_Spbm = '004' ) OR ( f_Spsl = 5 ) And ( f_Sysl < 0 )", "001 004"},
        {"( ( f_Spbm = '004' ) OR ( f_Spsl = 5 ) ) And ( f_Sysl < 0 )", "001"},
        {"( f_spsl = 5 ) and ( f_SYSL > 0 ) or ( F_SPBM like '00%' ) AND ( f_Sl <= 2 )", "001 002 5"},
        // List groups: 1=1 with an Or item is always true; Between items narrow it.
        {"( 1=1 Or f_Spbm = '001' Or f_Spbm = '002' )", "001 002 003 004 005 5"},
        {"( 1=1 And f_Spbm Between '002' And '004' )", "002 003 004"},
        {"( 1=1 And f_Spsl Between '1' And '6' )", "001 003 5"}, // numbers, not texts: 10 is out
        {"( 1=2 Or f_Spbm = '001' Or f_Spbm = '003' )", "001 003"},
        // Exclusion list of "部分不等于": no blanks around <>, " and (" list ")".
        {CP936("( f_Spmc<>'temp@temp@temp' ) and (f_Spmc<>'ABC显示器' and f_Spmc<>'xABCy')"),
         "002 004 005 5"},
        // Inequalities on several fields mixed with other tests in one AND chain.
        {"( f_Spbm<>'001' and f_Spmc<>'abc' and f_Spbm<>'003' and f_Spsl <= 5.5 )", "5"},
    };
    auto ds = MakeLines();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        ds->SetFiltered(false);
        ds->SetFilter(c.Text);
        ds->SetFiltered(true);
        EXPECT_EQ(Codes(*ds), c.Expected);
        EXPECT_EQ(ds->RecNo(), ds->RecordCount() > 0 ? 1 : 0); // a new filter starts at the first row
    }
}

TEST(DataSetFilter, NumbersUseTheLocaleDecimalSeparator) {
    auto ds = MakeLines();
    Locale().DecimalSeparator = ',';
    ds->SetFilter("( f_Spsl = 5,5 ) OR ( f_Spsl = '10' )");
    ds->SetFiltered(true);
    ResetLocale();
    EXPECT_EQ(Codes(*ds), "002 003");
}

struct TErrorCase {
    std::string Text;
    std::vector<std::string> MessageParts;
};

TEST(DataSetFilter, BadTextsRaiseNamingTheProblem) {
    const std::vector<TErrorCase> cases = {
        {"( f_Xx = 5 )", {"unknown field \"f_Xx\"", "position 3"}},
        {"( f_Spbm = 'abc )", {"unterminated quote", "position 12"}},
        {"( f_Spsl = 5", {"missing \")\"", "position 1"}},
        {"( ( f_Spsl = 5 ) And ( f_Sl = 1 )", {"missing \")\""}},
        {"( f_Spsl = 5 ) And", {"unexpected end"}},
        {"( f_Spsl 5 )", {"unexpected \"5\"", "position 10"}},
        {"( f_Spsl = 5 ) )", {"unexpected \")\"", "position 16"}},
        {"( f_Spsl = 'abc' )", {"\"f_Spsl\"", "'abc'"}},
        {"( f_Sysl > abc )", {"unknown field \"abc\""}},
        {"( f_Spsl ! 5 )", {"unexpected character \"!\""}},
        {"( f_Spsl = f_Sysl )", {"two fields"}},
        {"( 5 LIKE '5%' )", {"LIKE needs a field"}},
        {"( f_Spbm Between 'a' 'b' )", {"\"And\" expected"}},
        {"( f_Spbm = )", {"unexpected \")\""}},
        {"( f_Rq = 'not a date' )", {"\"f_Rq\""}},
        {std::string(1000, '('), {"nested too deeply"}},
    };
    auto ds = MakeLines();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        ds->SetFilter(c.Text);
        try {
            ds->SetFiltered(true);
            ADD_FAILURE() << "no error";
        } catch (const EFilterError& e) {
            for (const auto& part : c.MessageParts)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
        EXPECT_FALSE(ds->Filtered());
        EXPECT_EQ(ds->RecordCount(), 6);
    }
}

TEST(DataSetFilter, AFailedFilterKeepsTheOneInForce) {
    auto ds = MakeLines();
    ds->SetFilter("( f_Spsl = 5 )");
    ds->SetFiltered(true);
    EXPECT_THROW(ds->SetFilter("( f_Spsl = 5"), EFilterError);
    EXPECT_EQ(ds->Filter(), "( f_Spsl = 5 )");
    EXPECT_TRUE(ds->Filtered());
    EXPECT_EQ(Codes(*ds), "001 5");
}

TEST(DataSetFilter, PostedRecordsAreFilteredAndFilteringOffShowsAll) {
    auto ds = MakeLines();
    ds->SetFilter("( f_Sysl > 0 )");
    ds->SetFiltered(true);
    ds->AppendRecord({"006", "x", 1.0, -1.0});
    EXPECT_EQ(Codes(*ds), "004 5");
    ds->AppendRecord({"007", "y", 1.0, 1.0});
    EXPECT_EQ(Codes(*ds), "004 5 007");
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "007");
    ds->First();
    ds->Edit();
    ds->FieldByName("f_Sysl").SetValue(-5.0); // 004 leaves the view
    ds->Post();
    EXPECT_EQ(Codes(*ds), "5 007");
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "5");
    ds->SetFiltered(false);
    EXPECT_EQ(Codes(*ds), "001 002 003 004 005 5 006 007");
}

TEST(DataSetFilter, FilterSetWhileClosedAppliesOnOpen) {
    TMemDataSet ds;
    ds.AddField("f_Spbm", TFieldType::String, 20);
    ds.SetFilter("( f_Spbm LIKE 'A%' )");
    ds.SetFiltered(true);
    ds.Open();
    ds.AppendRecord({"A1"});
    ds.AppendRecord({"B1"});
    EXPECT_EQ(Codes(ds), "A1");
}

struct TLikeCase {
    std::string Text, Pattern;
    bool Match;
};

TEST(DataSetFilter, LikeMatchesWholeCharacters) {
    const std::string ah = "\xB0\xA1";    // 啊
    const std::string a2 = "\xB0\xA2";    // 阿
    const std::string shang = "\x81\x41"; // 丄: its second byte is the letter "A"
    const std::vector<TLikeCase> cases = {
        {"ABC", "ABC", true},
        {"ABCD", "ABC", false},
        {"xABCy", "%ABC%", true},
        {"abc", "%ABC%", false},
        {"", "%", true},
        {"", "%%", true},
        {"aXbXc", "a%b%c", true},
        {"acb", "a%b%c", false},
        {"ab", "ab%b", false}, // pieces may not overlap
        {"abb", "ab%b", true},
        {ah + a2, "%" + a2, true},
        {ah + a2, "%\xA1\xB0%", false}, // a trail and the next lead byte are no character
        {ah + a2, "%\xA2", false},
        {ah + a2, "\xB0%", false},
        {shang, "%A%", false},
        {shang, "%A", false},
        {"x" + shang + "A", "%A", true},
        {"x" + shang + "A", "%A%", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text + " LIKE " + c.Pattern);
        EXPECT_EQ(FilterLikeMatch(c.Text, c.Pattern), c.Match);
    }
}

} // namespace
