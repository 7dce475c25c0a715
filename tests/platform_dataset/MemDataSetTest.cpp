// The data set's cursor, editing, bookmarks, Locate, indexes and sort texts, notifications, display
// texts and structure rules.
#include "DataSetFixture.h"

namespace {

TEST(MemDataSet, CursorWalksTheViewAndFlagsItsEnds) {
    auto ds = MakeLines();
    std::string seen;
    for (ds->First(); !ds->Eof(); ds->Next())
        seen += ds->FieldByName("f_Spbm").AsString() + ":" + std::to_string(ds->RecNo()) + " ";
    EXPECT_EQ(seen, "001:1 002:2 003:3 004:4 005:5 5:6 ");
    EXPECT_EQ(ds->RecNo(), 6); // Next at the last record sets Eof and stays there

    ds->Last();
    EXPECT_TRUE(ds->Eof());
    ds->Prior();
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 5);
    ds->First();
    EXPECT_TRUE(ds->Bof());
    ds->Prior();
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->RecNo(), 1);

    EXPECT_EQ(ds->MoveBy(3), 3);
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_EQ(ds->MoveBy(10), 2); // cut short at the end
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(-10), -5);
    EXPECT_TRUE(ds->Bof());

    ds->SetRecNo(99);
    EXPECT_EQ(ds->RecNo(), 6);
    ds->SetRecNo(0);
    EXPECT_EQ(ds->RecNo(), 1);
}

TEST(MemDataSet, EmptyAndClosedDataSetsAreAtBothEnds) {
    TMemDataSet ds;
    ds.AddField("f_A", TFieldType::Integer);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.First(); // no error while closed
    ds.Open();
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_EQ(ds.MoveBy(1), 0);
    EXPECT_TRUE(ds.FieldByName("f_A").IsNull());
    EXPECT_EQ(ds.FieldByName("f_A").AsFloat(), 0.0);
    EXPECT_THROW(ds.Edit(), EDataSetError);
    EXPECT_THROW(ds.Delete(), EDataSetError);
    EXPECT_EQ(ds.GetBookmark(), -1);
}

TEST(MemDataSet, EditingPostCancelAndDelete) {
    auto ds = MakeLines();
    ds->SetRecNo(2);
    ds->Edit();
    ds->FieldByName("f_Spsl").SetValue("12.5"); // converted to the field's type
    EXPECT_EQ(ds->FieldByName("f_Spsl").AsValue().Kind(), VarKind::Float);
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("f_Spsl").AsFloat(), 10.0);

    ds->Edit();
    ds->FieldByName("f_Spsl").SetValue("12.5");
    ds->FieldByName("f_Sl").SetValue(""); // blank text makes a number field null
    ds->Post();
    EXPECT_EQ(ds->FieldByName("f_Spsl").AsFloat(), 12.5);
    EXPECT_TRUE(ds->FieldByName("f_Sl").IsNull());
    EXPECT_EQ(ds->State(), TDataSetState::Browse);

    EXPECT_THROW(ds->FieldByName("f_Spsl").SetValue(1.0), EDataSetError); // not editing
    EXPECT_THROW(ds->Post(), EDataSetError);

    ds->Delete(); // 002 goes, the cursor moves to the next record
    EXPECT_EQ(Codes(*ds), "001 003 004 005 5");
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "003");
    ds->Last();
    ds->Delete();
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "005");

    // Moving while editing stores the edit first.
    ds->First();
    ds->Edit();
    ds->FieldByName("f_Spmc").SetValue("moved");
    ds->Next();
    ds->First();
    EXPECT_EQ(ds->FieldByName("f_Spmc").AsString(), "moved");
}

TEST(MemDataSet, AppendRecordRollsBackAValueThatDoesNotConvert) {
    auto ds = MakeLines();
    EXPECT_THROW(ds->AppendRecord({"009", "x", "not a number"}), EConvertError);
    EXPECT_EQ(ds->State(), TDataSetState::Browse);
    EXPECT_EQ(ds->RecordCount(), 6);
    EXPECT_THROW(ds->AppendRecord(std::vector<Value>(7, Value(1))), EDataSetError);
    EXPECT_EQ(ds->RecordCount(), 6);
}

TEST(MemDataSet, SortTextOrdersByTypeWithDescendingFieldsAndNulls) {
    auto ds = MakeLines();
    ds->AppendRecord({"006", "", 1.0, 20.0});
    ds->AppendRecord({"000", "", 1.0, 20.0});
    ds->SetSort("f_Sysl DESC,f_Spbm ASC");
    EXPECT_EQ(Codes(*ds), "5 000 004 006 003 002 001 005"); // nulls first, so last when descending
    ds->SetSort("f_Sysl, f_Spbm desc");
    EXPECT_EQ(Codes(*ds), "005 001 002 003 006 004 000 5");
    ds->SetSort("f_Sysl"); // equal keys keep their storage order
    EXPECT_EQ(Codes(*ds), "005 001 002 003 004 006 000 5");
    ds->SetSort("");
    EXPECT_EQ(Codes(*ds), "001 002 003 004 005 5 006 000");
    EXPECT_THROW(ds->SetSort("f_Nope DESC"), EDataSetError);
    EXPECT_THROW(ds->SetSort("f_Sysl DOWN"), EDataSetError);
}

TEST(MemDataSet, NumbersSortAsNumbersAndTextInCodePageOrder) {
    TMemDataSet ds;
    ds.AddField("f_T", TFieldType::String, 20);
    ds.AddField("f_N", TFieldType::Integer);
    ds.Open();
    ds.AppendRecord({CP936("一"), 10});
    ds.AppendRecord({CP936("啊"), 9});
    ds.AppendRecord({"z", 100});
    ds.AppendRecord({"Z", Value::Null()});
    ds.AppendRecord({"ABCDEFGH2", 1}); // texts that differ only after their first eight bytes
    ds.AppendRecord({"ABCDEFGH1", 2});
    ds.AppendRecord({"", 3});
    ds.AppendRecord({Value::Null(), 4});
    const auto column = [&](int field) {
        std::string out;
        for (int i = 0; i < ds.RecordCount(); ++i)
            out += ds.Fields(field).FormatValue(ds.CellValue(i, field)) + "|";
        return out;
    };
    ds.SetSort("f_N");
    EXPECT_EQ(column(1), "|1|2|3|4|9|10|100|");
    ds.SetSort("f_T"); // null, "", then bytes: 啊 B0A1 before 一 D2BB
    EXPECT_EQ(column(1), "4|3|2|1||100|9|10|");
    EXPECT_EQ(ds.CellValue(4, 0).AsString() + ds.CellValue(6, 0).AsString() + ds.CellValue(7, 0).AsString(),
              "Z" + CP936("啊") + CP936("一"));
    ds.SetSort("f_T DESC");
    EXPECT_EQ(column(1), "10|9|100||1|2|3|4|");
}

// Many equal keys (more than a small-array sort ever sees) keep their storage order, and records
// posted into the sorted view land exactly where a full re-sort puts them.
TEST(MemDataSet, SortIsStableAndPostingAgreesWithAFullSort) {
    TMemDataSet ds;
    ds.AddField("f_K", TFieldType::Float);
    ds.AddField("f_T", TFieldType::String, 20);
    ds.AddField("f_Id", TFieldType::Integer);
    ds.Open();
    for (int i = 0; i < 300; ++i)
        ds.AppendRecord({i % 3 == 0 ? Value::Null() : Value(double(i % 5)), "T" + std::to_string(i % 4), i});
    const auto ids = [&] {
        std::vector<std::int64_t> out;
        for (int i = 0; i < ds.RecordCount(); ++i)
            out.push_back(ds.CellValue(i, 2).AsInteger());
        return out;
    };
    ds.SetSort("f_K DESC,f_T");
    const auto sorted = ids();
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const int a = static_cast<int>(sorted[i - 1]), b = static_cast<int>(sorted[i]);
        const int ka = a % 3 == 0 ? -1 : a % 5, kb = b % 3 == 0 ? -1 : b % 5;
        ASSERT_GE(ka, kb) << i;
        if (ka == kb) {
            ASSERT_LE(a % 4, b % 4) << i;
            if (a % 4 == b % 4) {
                ASSERT_LT(a, b) << i;
            }
        }
    }

    for (int i = 300; i < 340; ++i)
        ds.AppendRecord({double(i % 7), "T" + std::to_string(i % 4), i});
    for (int recNo : {5, 50, 150, 250}) {
        ds.SetRecNo(recNo);
        ds.Edit();
        ds.FieldByName("f_K").SetValue(double(recNo % 7));
        ds.Post();
    }
    const auto posted = ids();
    ds.SetSort("");
    ds.SetSort("f_K DESC,f_T");
    EXPECT_EQ(posted, ids());
}

TEST(MemDataSet, IndexesOrderTheViewAndCanBeReplaced) {
    auto ds = MakeLines();
    ds->AddIndex({"customindex", "f_Spsl;f_Spbm", "f_Spbm"});
    ds->SetIndexName("customindex");
    EXPECT_EQ(Codes(*ds), "004 005 5 001 003 002");
    EXPECT_EQ(ds->IndexName(), "customindex");

    ds->SetSort("f_Spbm DESC"); // the last order set wins
    EXPECT_EQ(ds->IndexName(), "");
    ds->SetIndexName("customindex");
    EXPECT_EQ(ds->Sort(), "");

    // What the grid does when the sort markers change.
    ds->DeleteIndex("customindex");
    EXPECT_EQ(Codes(*ds), "001 002 003 004 005 5");
    ds->AddIndex({"customindex", "f_Sysl", "f_Sysl"});
    ds->SetIndexName("customindex");
    EXPECT_EQ(Codes(*ds), "5 004 003 002 001 005");
    ds->DeleteIndex("no such index");

    EXPECT_THROW(ds->AddIndex({"customindex", "f_Spbm", ""}), EDataSetError); // exists
    EXPECT_THROW(ds->AddIndex({"i2", "f_Nope", ""}), EDataSetError);
    EXPECT_THROW(ds->AddIndex({"i3", "f_Spbm", "f_Sysl"}), EDataSetError);
    EXPECT_THROW(ds->SetIndexName("i9"), EDataSetError);
}

TEST(MemDataSet, PostedRecordsTakeTheirPlaceInTheOrder) {
    auto ds = MakeLines();
    ds->SetSort("f_Sysl DESC");
    ds->AppendRecord({"006", "", 1.0, 10.0});
    EXPECT_EQ(Codes(*ds), "5 004 006 003 002 001 005");
    EXPECT_EQ(ds->RecNo(), 3);
    ds->Edit();
    ds->FieldByName("f_Sysl").SetValue(-100.0);
    ds->Post();
    EXPECT_EQ(Codes(*ds), "5 004 003 002 001 006 005");
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "006");
    EXPECT_EQ(ds->RecNo(), 6);
}

TEST(MemDataSet, BookmarksSurviveSortAndFilterButNotDeletion) {
    auto ds = MakeLines();
    ds->SetRecNo(3);
    const auto mark = ds->GetBookmark();
    ds->SetSort("f_Sysl DESC");
    ds->First();
    ds->GotoBookmark(mark);
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "003");
    EXPECT_EQ(ds->RecNo(), 3);

    ds->SetFilter("( f_Sysl <> 0 )");
    ds->SetFiltered(true);
    EXPECT_FALSE(ds->BookmarkValid(mark));
    EXPECT_THROW(ds->GotoBookmark(mark), EDataSetError);
    ds->SetFiltered(false);
    EXPECT_TRUE(ds->BookmarkValid(mark));

    ds->GotoBookmark(mark);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(mark));

    const auto first = ds->BookmarkOfRow(0);
    ds->EmptyDataSet();
    ds->AppendRecord({"new"});
    EXPECT_FALSE(ds->BookmarkValid(first)); // a bookmark never names a later record
    EXPECT_THROW(ds->GotoBookmark(first), EDataSetError);
}

TEST(MemDataSet, SortingKeepsTheCurrentRecord) {
    auto ds = MakeLines();
    ds->SetRecNo(2); // 002
    ds->SetSort("f_Sysl DESC");
    EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), "002");
    EXPECT_EQ(ds->RecNo(), 4);
}

struct TLocateCase {
    std::string Fields;
    std::vector<Value> Values;
    TLocateOptions Options;
    std::string Found; // "" = not found
};

TEST(MemDataSet, LocateComparesByTheFieldType) {
    const std::vector<TLocateCase> cases = {
        {"f_Spbm", {"003"}, {}, "003"},
        {"f_Spbm", {"5"}, {}, "5"},
        {"f_spmc", {"XABCY"}, {true, false}, "003"},
        {"f_Spmc", {"XABCY"}, {}, ""},
        {"f_Spmc", {CP936("abc显示器")}, {true, false}, "001"},
        {"f_Spmc", {"xab"}, {true, true}, "003"},
        {"f_Spmc", {"xab"}, {false, true}, ""},
        {"f_Spsl", {"5.5"}, {}, "003"}, // numeric text on a number field
        {"f_Spsl", {5}, {}, "001"},     // the first in view order
        {"f_Spsl;f_Sysl", {5, 100}, {}, "5"},
        {"f_Spsl", {Value::Null()}, {}, "004"},
        {"f_Rq", {"2024-4-10"}, {}, "004"},
        {"f_Sl", {7}, {}, ""},
    };
    auto ds = MakeLines();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fields);
        ds->SetRecNo(2);
        const bool found = ds->Locate(c.Fields, c.Values, c.Options);
        EXPECT_EQ(found, !c.Found.empty());
        EXPECT_EQ(ds->FieldByName("f_Spbm").AsString(), found ? c.Found : "002");
    }
}

TEST(MemDataSet, LocateRejectsBadArguments) {
    auto ds = MakeLines();
    try {
        ds->Locate("f_Spbm;f_Nope", {"1", "2"});
        ADD_FAILURE();
    } catch (const EDataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("\"f_Nope\""), std::string::npos);
    }
    EXPECT_THROW(ds->Locate("f_Spbm;f_Spsl", {"1"}), EDataSetError);
    EXPECT_THROW(ds->Locate("f_Spsl", {"abc"}), EDataSetError);
}

TEST(MemDataSet, DisabledControlsSendOneDataChangedAtTheLastEnable) {
    auto ds = MakeLines();
    std::vector<TDataSetEvent> events;
    const int id = ds->AddListener([&](TDataSetEvent e) { events.push_back(e); });

    ds->DisableControls();
    ds->DisableControls();
    ds->AppendRecord({"007"});
    ds->SetSort("f_Spbm DESC");
    ds->EnableControls();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->EnableControls();
    EXPECT_EQ(events, std::vector<TDataSetEvent>{TDataSetEvent::DataChanged});

    events.clear();
    ds->DisableControls();
    ds->EnableControls(); // nothing happened: nothing sent
    EXPECT_TRUE(events.empty());
    ds->EnableControls(); // unbalanced enable is harmless
    EXPECT_FALSE(ds->ControlsDisabled());

    ds->Next();
    EXPECT_EQ(events, std::vector<TDataSetEvent>{TDataSetEvent::Scrolled});
    ds->RemoveListener(id);
    ds->Next();
    EXPECT_EQ(events.size(), 1u);
}

TEST(MemDataSet, DisplayTextUsesTheDisplayFormat) {
    auto ds = MakeLines();
    ds->FieldByName("f_Rq").DisplayFormat = "yyyy-mm-dd";
    EXPECT_EQ(ds->FieldByName("f_Spsl").DisplayText(), "5.00");
    EXPECT_EQ(ds->FieldByName("f_Sysl").DisplayText(), "-60.00");
    EXPECT_EQ(ds->FieldByName("f_Rq").DisplayText(), "2024-01-10");
    EXPECT_EQ(ds->FieldByName("f_Sl").DisplayText(), "1");
    ds->SetRecNo(4);
    EXPECT_EQ(ds->FieldByName("f_Spsl").DisplayText(), ""); // null
}

TEST(MemDataSet, StructureRules) {
    auto ds = MakeLines();
    EXPECT_THROW(ds->AddField("f_New", TFieldType::Float), EDataSetError); // holds records
    EXPECT_THROW(ds->ClearFields(), EDataSetError);
    try {
        ds->FieldByName("f_Nope");
        ADD_FAILURE();
    } catch (const EDataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("\"f_Nope\""), std::string::npos);
    }
    EXPECT_EQ(&ds->FieldByName("F_SPBM"), &ds->Fields(0));
    EXPECT_THROW(ds->Fields(6), EDataSetError);
    EXPECT_THROW(ds->CellValue(6, 0), EDataSetError);

    ds->EmptyDataSet();
    ds->AddField("f_New", TFieldType::Float);
    EXPECT_THROW(ds->AddField("F_NEW", TFieldType::Float), EDataSetError);
    ds->AppendRecord({"1", "", 0.0, 0.0, Value::Null(), 0, 2.5});
    EXPECT_EQ(ds->FieldByName("f_New").AsFloat(), 2.5);
    ds->Close();
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_THROW(ds->Append(), EDataSetError);
}

TEST(MemDataSet, CopyFromTakesFieldsAndRecordsAndKeepsItsOwnFilter) {
    auto source = MakeLines();
    source->FieldByName("f_Spmc").DisplayLabel = "name";
    source->SetFilter("( f_Spbm = '001' )");
    source->SetFiltered(true); // the source's filter hides rows but they are copied
    source->SetRecNo(1);
    source->Delete();

    TMemDataSet copy;
    copy.CopyFrom(*source);
    EXPECT_EQ(copy.FieldCount(), 6);
    EXPECT_EQ(copy.FieldByName("f_Spmc").Label(), "name");
    EXPECT_EQ(Codes(copy), "002 003 004 005 5");

    // A new record set arrives under a filter that is on: it applies to the new records.
    copy.SetFilter("( f_Sysl > 0 )");
    copy.SetFiltered(true);
    source->SetFiltered(false);
    source->AppendRecord({"009", "", 1.0, 9.0});
    copy.CopyFrom(*source);
    EXPECT_EQ(Codes(copy), "004 5 009");

    TMemDataSet other;
    other.AddField("f_X", TFieldType::Integer);
    other.Open();
    copy.SetFiltered(true);
    EXPECT_THROW(copy.CopyFrom(other), EFilterError); // the filter names a field the copy lacks
    EXPECT_FALSE(copy.Filtered());
    EXPECT_EQ(copy.FieldCount(), 1);
}

} // namespace
