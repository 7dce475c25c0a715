// Report datasets: ranges, followers, events, bookmarks, lookups by path and field values.
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"

#include <gtest/gtest.h>

namespace {
std::unique_ptr<TMemDataSet> Table(int rows) {
    auto t = std::make_unique<TMemDataSet>();
    t->AddField("n", TFieldType::Integer);
    t->AddField("s", TFieldType::String, 10);
    t->AddField("b", TFieldType::Boolean);
    t->Open();
    for (int i = 1; i <= rows; ++i)
        t->AppendRecord({Value(i), Value("r" + std::to_string(i)), Value::Boolean(true)});
    return t;
}

int Walk(TVNDataset& ds, std::vector<std::int64_t>* seen = nullptr, TMemDataSet* table = nullptr) {
    int n = 0;
    ds.Open();
    for (ds.First(); !ds.Eof() && n < 1000; ds.Next()) {
        ++n;
        if (seen && table) seen->push_back(table->FieldByName("n").AsInteger());
    }
    ds.Close();
    return n;
}
} // namespace

TEST(Datasets, RangeEndCountStopsAtCountOrTableEnd) {
    struct {
        int Rows, Count, Expected;
    } cases[] = {{10, 3, 3}, {2, 3, 2}, {0, 3, 0}, {4, 0, 0}};
    for (auto c : cases) {
        auto t = Table(c.Rows);
        TVNDBDataSet ds;
        ds.SetDataSet(t.get());
        ds.RangeEnd = reCount;
        ds.RangeEndCount = c.Count;
        EXPECT_EQ(Walk(ds), c.Expected) << c.Rows << " " << c.Count;
    }
    auto t = Table(4);
    TVNDBDataSet all;
    all.SetDataSet(t.get());
    EXPECT_EQ(Walk(all), 4);
}

TEST(Datasets, UserDatasetEndsOnlyWhenTold) {
    TVNUserDataset ds;
    int steps = 0;
    ds.OnNext = [&](TVNDataset*) { ++steps; };
    ds.First();
    for (int i = 0; i < 50; ++i) {
        ASSERT_FALSE(ds.Eof());
        ds.Next();
    }
    EXPECT_EQ(steps, 50);
    ds.OnCheckEOF = [](TVNDataset* sender, bool& eof) { eof = sender->RecordNo >= 7; };
    EXPECT_EQ(Walk(ds), 7);
}

TEST(Datasets, CurrentRangesUseTheStartBookmark) {
    auto t = Table(5);
    t->First();
    t->Next();
    t->Next(); // record 3 current
    TVNDBDataSet ds;
    ds.SetDataSet(t.get());
    ds.RangeBegin = rbCurrent;
    std::vector<std::int64_t> seen;
    EXPECT_EQ(Walk(ds, &seen, t.get()), 3);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{3, 4, 5}));
    EXPECT_EQ(t->FieldByName("n").AsInteger(), 3); // back on the start record
    ds.RangeEnd = reCurrent;
    seen.clear();
    EXPECT_EQ(Walk(ds, &seen, t.get()), 1);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{3}));
}

TEST(Datasets, FollowersMoveWithTheirMaster) {
    auto t1 = Table(3), t2 = Table(3);
    TVNDBDataSet master, follower;
    master.SetDataSet(t1.get());
    follower.SetDataSet(t2.get());
    follower.SetMasterDataset(&master);
    master.First();
    master.Next();
    EXPECT_EQ(t2->FieldByName("n").AsInteger(), 2);
    follower.SetMasterDataset(&follower); // a dataset never follows itself
    EXPECT_EQ(follower.MasterDataset(), &master);
    {
        TVNDBDataSet temp;
        temp.SetDataSet(t2.get());
        temp.SetMasterDataset(&master);
        EXPECT_EQ(master.Followers().size(), 2u);
    }
    EXPECT_EQ(master.Followers().size(), 1u); // destroyed followers are forgotten
}

TEST(Datasets, UnboundDatasetReportsItsName) {
    TVNDBDataSet ds(nullptr, "Orphan");
    try {
        ds.First();
        FAIL();
    } catch (const EVNDatasetError& e) {
        EXPECT_STREQ(e.what(), "Unable to open dataset Orphan");
    }
}

TEST(Datasets, LookupsByPathAndFieldReference) {
    auto table = Table(2);
    TVNComponent form(nullptr, "FrmMain");
    RegisterVNForm(&form);
    TVNDataSetComponent lines(&form, "Lines", table.get());
    TVNDBDataSet reportData(&form, "RepData");
    reportData.SetDataSet(table.get());
    TVNComponent frame(&form, "Frame1");
    TVNDataSetComponent inner(&frame, "Inner", table.get());

    EXPECT_EQ(FindComponentByPath(&form, "Lines"), &lines);
    EXPECT_EQ(FindComponentByPath(nullptr, "FrmMain.Frame1.Inner"), &inner);
    EXPECT_THROW(FindComponentByPath(&form, "Missing1"), EVNDatasetError);
    EXPECT_THROW(FindComponentByPath(nullptr, "NoForm.X"), EVNDatasetError);

    TVNReport r;
    r.Owner = &form;
    TVNDataset* ds = nullptr;
    bool owned = true;
    EXPECT_TRUE(FindReportDataset("RepData", ds, owned, &r));
    EXPECT_EQ(ds, &reportData);
    EXPECT_FALSE(owned);
    EXPECT_FALSE(FindReportDataset("a;b", ds, owned, &r));

    struct {
        const char* Ref;
        TMemDataSet* DataSet;
        const char* Field;
    } cases[] = {
        {"Lines.s", table.get(), "s"},         {"Lines.\"n\"", table.get(), "n"},
        {"FrmMain.Lines.N", table.get(), "n"}, {"FrmMain.Frame1.Inner.\"b\"", table.get(), "b"},
        {"Lines.nosuch", table.get(), ""},     {"Nothing.s", nullptr, ""},
    };
    for (auto c : cases) {
        TMemDataSet* found = nullptr;
        AnsiString field = "x";
        FindDataSetField(&r, c.Ref, found, field);
        EXPECT_EQ(found, c.DataSet) << c.Ref;
        EXPECT_EQ(field, c.Field) << c.Ref;
    }
    UnregisterVNForm(&form);
}

TEST(Datasets, FieldValueNeverGivesNull) {
    TMemDataSet t;
    t.AddField("n", TFieldType::Integer);
    t.AddField("s", TFieldType::String, 10);
    t.AddField("b", TFieldType::Boolean);
    t.AddField("f", TFieldType::Float);
    t.Open();
    t.AppendRecord({Value::Null(), Value::Null(), Value::Null(), Value(1.5)});
    t.First();
    EXPECT_EQ(FieldValue(t.FieldByName("n")), Value::Byte(0));
    EXPECT_EQ(FieldValue(t.FieldByName("s")), Value(AnsiString()));
    EXPECT_EQ(FieldValue(t.FieldByName("b")), Value::Boolean(false));
    EXPECT_EQ(FieldValue(t.FieldByName("f")).AsFloat(), 1.5);
}
