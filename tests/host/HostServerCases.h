// The host server's behaviour, written once and run on every backend: each suite instantiates
// HostServerCases with a factory type that has
//   static std::string NewDatabase();                         a fresh, empty database
//   static std::unique_ptr<TDbBackend> Connect(const std::string& id);  a connection to it
#pragma once

#include "host/DemoData.h"
#include "host/HostSchema.h"
#include "host/HostServer.h"
#include "host/HostText.h"
#include "host/StocktakeFunctions.h"
#include "platform/MemDataSet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace hostcases {

inline AnsiString A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

// Forwards to a real backend; can fail or pause at chosen statements to test what a posting
// leaves behind when it breaks or races.
class TFaultyBackend : public TDbBackend {
public:
    explicit TFaultyBackend(std::unique_ptr<TDbBackend> inner) : FInner(std::move(inner)) {}
    std::string FailBulkInto; // BulkInsert into this table throws
    std::string PauseAfter;   // Execute of a statement starting with this sleeps afterwards
    std::chrono::milliseconds Pause{0};

    TDbKind Kind() const override { return FInner->Kind(); }
    std::int64_t Execute(std::string_view sql, const std::vector<Value>& params) override {
        const std::int64_t n = FInner->Execute(sql, params);
        if (!PauseAfter.empty() && sql.substr(0, PauseAfter.size()) == PauseAfter)
            std::this_thread::sleep_for(Pause);
        return n;
    }
    TDbRows Query(std::string_view sql, const std::vector<Value>& params) override {
        return FInner->Query(sql, params);
    }
    TDbRows QueryReadOnly(std::string_view sql, const TDbResultLimit& limit) override {
        return FInner->QueryReadOnly(sql, limit);
    }
    void BeginWrite() override { FInner->BeginWrite(); }
    void Commit() override { FInner->Commit(); }
    void Rollback() override { FInner->Rollback(); }
    bool InTransaction() const override { return FInner->InTransaction(); }
    void BulkInsert(std::string_view table, const std::vector<std::string>& columns,
                    const std::vector<std::vector<Value>>& rows) override {
        if (table == FailBulkInto) throw EDbError("injected failure writing " + std::string(table));
        FInner->BulkInsert(table, columns, rows);
    }
    bool TableExists(std::string_view table) override { return FInner->TableExists(table); }
    std::string CurrentTimestamp() override { return FInner->CurrentTimestamp(); }

private:
    std::unique_ptr<TDbBackend> FInner;
};

// A small chain: two warehouses, three goods, a ledger around the stocktake date 2024-01-08, an
// open sheet (with a quote in its remark) and a posted one.
inline void LoadFixture(TDbBackend& db) {
    TDbTransaction tx(db);
    CreateHostSchema(db);
    auto S = [](const char* s) { return Value::String(s); };
    auto F = [](double v) { return Value::Float(v); };
    auto I = [](int v) { return Value::Integer(v); };
    db.BulkInsert("tbspda",
                  {"f_Spbm", "f_Spmc", "f_Sphh", "f_Sptm", "f_Ggxh", "f_Sl", "f_Jldw", "f_Dwbl", "f_Xsdj",
                   "f_Jj", "f_jb", "f_mj"},
                  {{S("00000001"), S("康师傅红烧牛肉面"), S("H1"), S("6900000000011"), S("105g"), F(13),
                    S("袋"), F(1), F(10), F(6), I(3), I(1)},
                   {S("00000002"), S("鲜鸡蛋"), S("H2"), S("6900000000028"), S("散装"), F(9), S("千克"), F(1),
                    F(4), F(2.5), I(3), I(1)},
                   {S("00000003"), S("O'Brien牌饼干"), S("H3"), S("6900000000035"), S("200g"), F(13), S("盒"),
                    F(1), F(5), F(3), I(3), I(1)}});
    db.BulkInsert("tbKcls", {"f_Rq", "f_Ckbm", "f_Spbm", "f_Crsl", "f_Crje", "f_Djlx", "f_Djh"},
                  {{S("20240101"), S("0101"), S("00000001"), F(10), F(60), S("QC"), S("q1")},
                   {S("20240105"), S("0101"), S("00000001"), F(-3), F(-18), S("XS"), S("x1")},
                   {S("20240108"), S("0101"), S("00000001"), F(0), F(0), S("XS"), S("x2")},
                   {S("20240110"), S("0101"), S("00000001"), F(5), F(30), S("CG"), S("c1")},
                   {S("20240102"), S("0102"), S("00000001"), F(7), F(42), S("CG"), S("c2")},
                   {S("20240111"), S("0102"), S("00000001"), F(1), F(6), S("CG"), S("c3")},
                   {S("20240115"), S("0102"), S("00000001"), F(100), F(600), S("CG"), S("c4")},
                   {S("20240101"), S("0101"), S("00000003"), F(3), F(9), S("QC"), S("q2")}});
    db.BulkInsert(
        "tbDlpdzb",
        {"f_Djh", "f_Bz", "f_Bmbm", "f_Bmmc", "f_Ckbm", "f_Ckmc", "f_Zdrbm", "f_Zdrmc", "f_Zdrq", "f_Jzbz"},
        {{S("202401080001"), S("it's 月末"), S("0201"), S("人民路店"), S("0101"), S("人民路店卖场"),
          S("0002"), S("李娜"), S("20240108"), I(0)},
         {S("202401080002"), S(""), S("0201"), S("人民路店"), S("0101"), S("人民路店卖场"), S("0002"),
          S("李娜"), S("20240108"), I(1)}});
    db.BulkInsert(
        "tbDlpdmx",
        {"f_Djh", "f_Xh", "f_Spbm", "f_Pddj", "f_Whsl", "f_Dtsl", "f_Cysl", "f_Wtsl", "f_Yrsl", "f_Ytsl"},
        {{S("202401080001"), I(1), S("00000001"), F(6), F(5), F(1), F(2), F(1), F(2), F(3)},
         {S("202401080001"), I(2), S("00000002"), F(2.5), F(4), F(0), F(0), F(0), F(0), F(0)},
         {S("202401080001"), I(3), S("00000003"), F(3), F(3), F(0), F(0), F(0), F(0), F(0)}});
    db.BulkInsert("tbzyda", {"f_zybm", "f_zymc", "f_zylx", "f_bmbm"},
                  {{S("0001"), S("张伟"), S("1"), S("0201")},
                   {S("0002"), S("李娜"), S("5"), S("0201")},
                   {S("0003"), S("王芳"), S("2"), S("0201")}});
    db.BulkInsert("tbCzyqx", {"f_Czybm", "f_Qxbm"}, {{S("0001"), S("030609")}, {S("0003"), S("030601")}});
    db.BulkInsert("tbSysMsg", {"f_Csmc", "f_Csz", "f_Csms"},
                  {{S("dwmc"), S("鑫源连锁超市人民路店"), S("")}, {S("dybm"), S("0201"), S("")}});
    db.BulkInsert("tbBbmb", {"f_Bbmc", "f_reportname", "f_reportinfo"},
                  {{S("盘点损益表"), S("标准格式"), S("#")}});
    db.BulkInsert("tbbmda", {"f_bmbm", "f_bmmc", "f_bmlx", "f_jb", "f_mj", "f_sjbm", "f_pszq"},
                  {{S("02"), S("直营连锁店"), S("01"), I(1), I(0), S(""), I(3)},
                   {S("0201"), S("人民路店"), S("01"), I(2), I(1), S("02"), I(3)},
                   {S("0202"), S("解放路店"), S("01"), I(2), I(1), S("02"), I(3)}});
    tx.Commit();
}

inline double Count(TDbBackend& db, const char* sql) {
    return db.Query(sql).At(0, 0).AsFloat();
}

// The error list a failed call leaves: a non-empty array of texts.
inline void ExpectErrorList(const Value& v) {
    ASSERT_TRUE(v.IsArray()) << v.KindName();
    ASSERT_FALSE(v.AsArray().empty());
    for (const Value& item : v.AsArray())
        EXPECT_TRUE(item.IsString());
}

inline std::shared_ptr<TMemDataSet> RecordSet(const Value& v) {
    EXPECT_TRUE(v.IsRecordSet()) << v.KindName();
    return v.AsRecordSet();
}

inline std::vector<AnsiString> FieldNames(const TMemDataSet& ds) {
    std::vector<AnsiString> names;
    for (int i = 0; i < ds.FieldCount(); ++i)
        names.push_back(ds.Fields(i).FieldName);
    return names;
}

template <class TFactory> class HostServerCases : public ::testing::Test {
protected:
    void SetUp() override {
        FId = TFactory::NewDatabase();
        auto db = TFactory::Connect(FId);
        LoadFixture(*db);
        FServer = THostServer::Create(std::move(db));
        THostServer::Of(FServer).SetClock([] { return std::string("2024-01-12 09:30:00"); });
    }
    ICoorDisp& Server() { return *FServer; }
    TDbBackend& Db() { return THostServer::Of(FServer).Database(); }
    TCoorDispRef ServerOn(std::unique_ptr<TDbBackend> db) {
        TCoorDispRef s = THostServer::Create(std::move(db));
        THostServer::Of(s).SetClock([] { return std::string("2024-01-12 10:00:00"); });
        return s;
    }
    bool Run(int function, const char* utf8Parameter, Value& result) {
        Value unused;
        result = Value::String(A(utf8Parameter));
        return Server().RunServerFunction(function, result, unused);
    }
    bool Post(ICoorDisp& server, const char* utf8Parameter) {
        Value p = Value::String(A(utf8Parameter)), unused;
        return server.RunServerFunction(35, p, unused);
    }

    std::string FId;
    TCoorDispRef FServer;
};

TYPED_TEST_SUITE_P(HostServerCases);

#define REPEATED_TEXT "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789"

TYPED_TEST_P(HostServerCases, SheetHeaderHasTheEightColumnsOfTheSheet) {
    Value r;
    ASSERT_TRUE(this->Run(33, "202401080001", r));
    auto ds = RecordSet(r);
    EXPECT_EQ(FieldNames(*ds), (std::vector<AnsiString>{"f_Bz", "f_Bmbm", "f_Bmmc", "f_Ckbm", "f_Ckmc",
                                                        "f_Zdrbm", "f_Zdrmc", "f_Zdrq"}));
    ASSERT_EQ(ds->RecordCount(), 1);
    ds->First();
    EXPECT_EQ(ds->FieldByName("f_Bz").AsString(), A("it's 月末"));
    EXPECT_EQ(ds->FieldByName("f_Ckmc").AsString(), A("人民路店卖场"));
    EXPECT_EQ(ds->FieldByName("f_Zdrmc").AsString(), A("李娜"));
    EXPECT_EQ(ds->FieldByName("f_Zdrq").AsString(), "20240108");

    for (const char* bad : {"", "999999990001", "' OR '1'='1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(this->Run(33, bad, r));
        ExpectErrorList(r);
    }
}

TYPED_TEST_P(HostServerCases, SheetLinesComputeCountedBookAndSimulatedColumns) {
    Value r;
    ASSERT_TRUE(this->Run(34, "202401080001\t20240108\t20240112\t0101", r));
    auto ds = RecordSet(r);
    const std::vector<AnsiString> names = {
        "f_Spbm", "f_Spmc",   "f_Sphh",   "f_Sptm",  "f_Ggxh",    "f_Sl",    "f_Jldw",
        "f_Dwbl", "f_Xsdj",   "f_Pddj",   "f_Whsl",  "f_Dtsl",    "f_Cysl",  "f_Swsl",
        "f_Wtsl", "f_Yrsl",   "f_Ytsl",   "f_Spsl",  "f_Spje",    "f_Zmsl",  "f_Zmje",
        "f_Sysl", "f_Syjews", "f_Syjehs", "f_Mnzkc", "f_Mnzkcje", "f_Mnbkc", "f_Mnbkcje"};
    EXPECT_EQ(FieldNames(*ds), names);
    EXPECT_EQ(ds->FieldByName("f_Syjehs").Label(), A("差异金额含税"));
    EXPECT_EQ(ds->FieldByName("f_Pddj").DisplayFormat, "0.0000");
    ASSERT_EQ(ds->RecordCount(), 3);

    struct TExpect {
        const char* Field;
        double Line1, Line2, Line3;
    };
    // Line 1: counted 5+1+2 = 8 physical, 8-1+3-2 = 8 counted; book in 0101 at the end of the 8th
    // is 10-3+0 = 7 (42.00); simulated on the 12th: all warehouses 10-3+5+7+1 = 20 (120.00), this
    // one 12 (72.00). Line 2 has no ledger at all. Line 3 agrees with the book.
    const TExpect expected[] = {
        {"f_Sl", 13, 9, 13},      {"f_Pddj", 6, 2.5, 3},  {"f_Whsl", 5, 4, 3},         {"f_Swsl", 8, 4, 3},
        {"f_Spsl", 8, 4, 3},      {"f_Spje", 48, 10, 9},  {"f_Zmsl", 7, 0, 3},         {"f_Zmje", 42, 0, 9},
        {"f_Sysl", 1, 4, 0},      {"f_Syjews", 6, 10, 0}, {"f_Syjehs", 6.78, 10.9, 0}, {"f_Mnzkc", 20, 0, 3},
        {"f_Mnzkcje", 120, 0, 9}, {"f_Mnbkc", 12, 0, 3},  {"f_Mnbkcje", 72, 0, 9},
    };
    ds->First();
    for (int line = 0; line < 3; ++line, ds->Next()) {
        for (const TExpect& e : expected) {
            const double want = line == 0 ? e.Line1 : line == 1 ? e.Line2 : e.Line3;
            EXPECT_NEAR(ds->FieldByName(e.Field).AsFloat(), want, 1e-9) << e.Field << " line " << line + 1;
        }
    }
    ds->First();
    EXPECT_EQ(ds->FieldByName("f_Spmc").AsString(), A("康师傅红烧牛肉面"));
    EXPECT_EQ(ds->FieldByName("f_Sptm").AsString(), "6900000000011");
    EXPECT_EQ(ds->FieldByName("f_Jldw").AsString(), A("袋"));
}

TYPED_TEST_P(HostServerCases, SheetLinesRefuseBadParameterTexts) {
    const char* cases[] = {
        "202401080001\t20240108\t20240112",         // three fields
        "202401080001\t20240108\t20240112\t0101\t", // five fields
        "202401080001\t20240230\t20240112\t0101",   // no such day
        "202401080001\t20240108\t2024011\t0101",    // seven digits
        "202401080001\t2024-01-08\t20240112\t0101", // not eight digits
        "999999990001\t99999999\t20240112\t0101",   // no such sheet
        "202401080001\t20240109\t20240112\t0101",   // date does not start the number
        "202401080001\t20240108\t20240112\t0102",   // not the sheet's warehouse
        "202401080001' OR '1'='1\t20240108\t20240112\t0101",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        Value r;
        EXPECT_FALSE(this->Run(34, text, r));
        ExpectErrorList(r);
    }
}

TYPED_TEST_P(HostServerCases, PostingBooksTheDifferencesOnceAndRefusesASecondTime) {
    TDbBackend& db = this->Db();
    const double ledgerBefore = Count(db, "SELECT COUNT(*) FROM tbKcls");
    ASSERT_TRUE(this->Post(this->Server(), "202401080001\t20240108\t0001\t张伟"));

    const TDbRows sheet =
        db.Query("SELECT f_Jzbz, f_Jzrbm, f_Jzrmc, f_Jzsj FROM tbDlpdzb WHERE f_Djh = '202401080001'");
    EXPECT_EQ(sheet.At(0, 0).AsInteger(), 1);
    EXPECT_EQ(sheet.At(0, 1).AsString(), "0001");
    EXPECT_EQ(sheet.At(0, 2).AsString(), "张伟");
    EXPECT_EQ(sheet.At(0, 3).AsString(), "2024-01-12 09:30:00");
    // Goods 1 gained 1 and goods 2 gained 4; goods 3 agreed with the book and gets no line.
    const TDbRows doc = db.Query("SELECT f_Spbm, f_Sysl, f_Syjews, f_Syjehs FROM tbSydmx ORDER BY f_Spbm");
    ASSERT_EQ(doc.RowCount(), 2u);
    EXPECT_EQ(doc.At(0, 0).AsString(), "00000001");
    EXPECT_DOUBLE_EQ(doc.At(0, 1).AsFloat(), 1);
    EXPECT_NEAR(doc.At(0, 3).AsFloat(), 6.78, 1e-9);
    EXPECT_DOUBLE_EQ(doc.At(1, 1).AsFloat(), 4);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbSydzb WHERE f_Yddjh = '202401080001'"), 1);
    const TDbRows moves =
        db.Query("SELECT f_Rq, f_Ckbm, SUM(f_Crsl) FROM tbKcls WHERE f_Djlx = 'SY' GROUP BY f_Rq, f_Ckbm");
    ASSERT_EQ(moves.RowCount(), 1u);
    EXPECT_EQ(moves.At(0, 0).AsString(), "20240108");
    EXPECT_EQ(moves.At(0, 1).AsString(), "0101");
    EXPECT_DOUBLE_EQ(moves.At(0, 2).AsFloat(), 5);
    // After posting the book agrees with the count.
    Value r;
    ASSERT_TRUE(this->Run(34, "202401080001\t20240108\t20240112\t0101", r));
    auto ds = RecordSet(r);
    for (ds->First(); !ds->Eof(); ds->Next())
        EXPECT_NEAR(ds->FieldByName("f_Sysl").AsFloat(), 0, 1e-9);

    const double ledgerAfter = Count(db, "SELECT COUNT(*) FROM tbKcls");
    EXPECT_EQ(ledgerAfter, ledgerBefore + 2);
    Value p = Value::String(A("202401080001\t20240108\t0001\t张伟")), unused;
    EXPECT_FALSE(this->Server().RunServerFunction(35, p, unused));
    ExpectErrorList(p);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbKcls"), ledgerAfter);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbSydzb"), 1);
    EXPECT_EQ(db.Query("SELECT f_Jzsj FROM tbDlpdzb WHERE f_Djh = '202401080001'").At(0, 0).AsString(),
              "2024-01-12 09:30:00");
}

TYPED_TEST_P(HostServerCases, PostingIsRefusedWithoutChangeForBadRequests) {
    const char* cases[] = {
        "202401080001\t20240108\t0003\t王芳",         // operator without the right
        "202401080001\t20240108\t\t",                 // no operator
        "202401080002\t20240108\t0001\t张伟",         // already posted
        "202401089999\t20240108\t0001\t张伟",         // unknown sheet
        "202401080001\t20240109\t0001\t张伟",         // date does not start the number
        "202401080001\t20240108\t0001",               // three fields
        "202401080001\t20240108\t0001' OR '1'='1\tx", // quote in the operator code
    };
    TDbBackend& db = this->Db();
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        Value p = Value::String(A(text)), unused;
        EXPECT_FALSE(this->Server().RunServerFunction(35, p, unused));
        ExpectErrorList(p);
        EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbKcls WHERE f_Djlx = 'SY'"), 0);
        EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbSydzb"), 0);
        EXPECT_EQ(Count(db, "SELECT f_Jzbz FROM tbDlpdzb WHERE f_Djh = '202401080001'"), 0);
    }
}

TYPED_TEST_P(HostServerCases, AFailureInTheMiddleOfPostingLeavesNoTrace) {
    auto faulty = std::make_unique<TFaultyBackend>(TypeParam::Connect(this->FId));
    faulty->FailBulkInto = "tbKcls"; // after the sheet was flagged and the document written
    TCoorDispRef broken = this->ServerOn(std::move(faulty));
    EXPECT_FALSE(this->Post(*broken, "202401080001\t20240108\t0001\t张伟"));

    TDbBackend& db = this->Db();
    EXPECT_EQ(Count(db, "SELECT f_Jzbz FROM tbDlpdzb WHERE f_Djh = '202401080001'"), 0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbSydzb"), 0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbSydmx"), 0);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbKcls WHERE f_Djlx = 'SY'"), 0);
    // The broken connection still answers, and the sheet can still be posted.
    Value r;
    EXPECT_TRUE(broken->OpenQuery("select f_Djh from tbDlpdzb", r));
    EXPECT_TRUE(this->Post(this->Server(), "202401080001\t20240108\t0001\t张伟"));
}

TYPED_TEST_P(HostServerCases, ConcurrentPostingsOfOneSheetSucceedExactlyOnce) {
    auto slow = std::make_unique<TFaultyBackend>(TypeParam::Connect(this->FId));
    slow->PauseAfter = "UPDATE tbDlpdzb"; // holds the sheet while the other clerk arrives
    slow->Pause = std::chrono::milliseconds(300);
    TCoorDispRef first = this->ServerOn(std::move(slow));
    TCoorDispRef second = this->ServerOn(TypeParam::Connect(this->FId));
    std::atomic<int> successes{0};
    std::thread a([&] { successes += this->Post(*first, "202401080001\t20240108\t0001\t张伟") ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::thread b([&] { successes += this->Post(*second, "202401080001\t20240108\t0001\t张伟") ? 1 : 0; });
    a.join();
    b.join();
    EXPECT_EQ(successes.load(), 1);
    TDbBackend& db = this->Db();
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbSydzb"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM tbKcls WHERE f_Djlx = 'SY'"), 2);
}

TYPED_TEST_P(HostServerCases, OpenQueryRunsTheModulesSelectTexts) {
    struct TCase {
        const char* Sql;
        int Rows;
    };
    const TCase cases[] = {
        {"Select Distinct f_Bz from tbDlpdzb Where f_Jzbz = 0 ", 1},
        {"Select f_Jzbz From tbDlpdzb Where f_Djh = '202401080002' ", 1},
        // The document look-up with a remark whose quote the module doubled.
        {"Select  f_djh from tbDlpdzb where f_jzbz=0 and f_djh Like '2024%' and f_zdrbm='' and Exists "
         "(Select 1 from "
         "tbzyda where f_zylx='5' and f_zybm='' ) and f_Bmbm ='0201' and f_Bz='it''s 月末'  Union  Select  "
         "f_djh from "
         "tbDlpdzb where f_jzbz=0 and f_djh Like '2024%' and Not Exists (Select 1 from tbzyda where "
         "f_zylx='5' and "
         "f_zybm='' ) and f_Bmbm ='0201' and f_Bz='it''s 月末' ",
         1},
        {"Select Top 2 * from tbbmda where (f_bmlx='01') and  f_bmmc Like '%店%'", 2},
        {"select top 1 f_bmbm from tbbmda order by f_bmbm", 1},
        {"Select * from tbbmda where (f_bmlx='01') and  f_bmmc Like '%店%' order by f_bmbm fetch first 1 row "
         "only",
         1},
        {"Select min(f_jb) as m_jb from tbbmda where (f_bmlx='01') and f_bmbm Like '02%'", 1},
        {"Select f_Csz from tbSysMsg Where f_Csmc='dqny'", 0},
        {"select 'Top 5; delete' as t from tbbmda where f_bmbm = '02';", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Sql);
        Value r;
        ASSERT_TRUE(this->Server().OpenQuery(A(c.Sql), r));
        EXPECT_EQ(RecordSet(r)->RecordCount(), c.Rows);
    }
    Value r;
    ASSERT_TRUE(this->Server().OpenQuery(A("Select Top 1000 * from tbbmda where f_bmbm = '0201'"), r));
    auto ds = RecordSet(r);
    ASSERT_NE(ds->FindField("f_bmmc"), nullptr);
    EXPECT_EQ(ds->FindField("f_bmmc")->AsString(), A("人民路店"));
    EXPECT_EQ(ds->FindField("f_jb")->DataType, TFieldType::Integer);
}

TYPED_TEST_P(HostServerCases, OpenQueryRefusesAnythingButOneSelect) {
    const char* cases[] = {
        "Delete from tbDlpdzb",
        "update tbDlpdzb set f_Jzbz = 0",
        "Select f_Jzbz From tbDlpdzb Where f_Djh = 'x'; delete from tbDlpdzb --' ",
        "select * into tbCopy from tbDlpdzb",
        "drop table tbDlpdzb",
        "  ",
        "Select f_Jzbz From tbDlpdzb Where f_Djh = 'x",
        "Select * from tbNoSuchTable",
    };
    for (const char* sql : cases) {
        SCOPED_TRACE(sql);
        Value r;
        EXPECT_FALSE(this->Server().OpenQuery(A(sql), r));
        ExpectErrorList(r);
    }
    EXPECT_EQ(Count(this->Db(), "SELECT COUNT(*) FROM tbDlpdzb"), 2);
    EXPECT_EQ(Count(this->Db(), "SELECT COUNT(*) FROM tbDlpdzb WHERE f_Jzbz = 1"), 1);
}

TYPED_TEST_P(HostServerCases, OpenQueryRefusesResultsBeyondItsLimit) {
    // Four rows of a cross join of the two sheets, each with a text of about a hundred bytes.
    const char* sql = "select a.f_Djh, b.f_Djh as g, '" REPEATED_TEXT "' as t from tbDlpdzb a, tbDlpdzb b";
    struct {
        TDbResultLimit Limit;
        bool Ok;
        const char* Mentions;
    } cases[] = {
        {{4, UINT64_MAX}, true, ""},
        {{3, UINT64_MAX}, false, "超过 3 行的上限（可用 --max-rows 提高上限）"},
        {{UINT64_MAX, 4 * 200}, true, ""},
        {{UINT64_MAX, 250}, false, "超过 250 字节的上限（可用 --max-bytes 提高上限）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Mentions);
        THostServer::Of(this->FServer).SetQueryLimit(c.Limit);
        Value r;
        ASSERT_EQ(this->Server().OpenQuery(A(sql), r), c.Ok);
        if (c.Ok) {
            EXPECT_EQ(RecordSet(r)->RecordCount(), 4);
            continue;
        }
        ExpectErrorList(r); // the message alone: no rows of a refused result
        const std::string message = AnsiToUtf8(r.AsArray()[0].AsString());
        EXPECT_NE(message.find(c.Mentions), std::string::npos) << message;
    }
    // The connection is usable afterwards (a cancelled statement leaves nothing open).
    THostServer::Of(this->FServer).SetQueryLimit({});
    Value r;
    ASSERT_TRUE(this->Server().OpenQuery(A("select f_Djh from tbDlpdzb"), r));
    EXPECT_EQ(RecordSet(r)->RecordCount(), 2);
}

TYPED_TEST_P(HostServerCases, ServiceCallsAnswerTheWorkingContext) {
    ICoorDisp& s = this->Server();
    EXPECT_EQ(s.GetDatabaseKind().AsString(), "SQLSERVER");
    Value v;
    ASSERT_TRUE(s.GetCurrentYearMonth(v));
    EXPECT_EQ(v.AsString(), "202401");
    ASSERT_TRUE(s.GetCurrentDate(v));
    EXPECT_EQ(v.AsString().substr(0, 8), "20240112");
    ASSERT_TRUE(s.GetCurrentDateTime(v));
    EXPECT_EQ(v.AsString(), "2024-01-12 09:30:00");

    v = Value::String("0002");
    ASSERT_TRUE(s.GetCodeRecord(1, v));
    auto staff = RecordSet(v);
    EXPECT_EQ(staff->FieldByName("f_zymc").AsString(), A("李娜"));
    for (const char* code : {"9999", "0001' OR '1'='1"}) {
        v = Value::String(code);
        EXPECT_FALSE(s.GetCodeRecord(1, v)) << code;
    }
    v = Value::String("0002");
    EXPECT_FALSE(s.GetCodeRecord(2, v));

    ASSERT_TRUE(s.GetSystemParameters(v));
    auto params = RecordSet(v);
    EXPECT_EQ(FieldNames(*params), (std::vector<AnsiString>{"f_Csmc", "f_csz"}));
    ASSERT_TRUE(params->Locate("f_Csmc", {Value::String("DWMC")}, {true, false}));
    EXPECT_EQ(params->FieldByName("f_csz").AsString(), A("鑫源连锁超市人民路店"));

    ASSERT_TRUE(s.GetReportList(A("盘点损益表"), v));
    auto reports = RecordSet(v);
    EXPECT_EQ(FieldNames(*reports), (std::vector<AnsiString>{"f_reportname", "f_reportinfo"}));
    ASSERT_EQ(reports->RecordCount(), 1);
    EXPECT_EQ(reports->FieldByName("f_reportname").AsString(), A("标准格式"));
    EXPECT_EQ(reports->FieldByName("f_reportinfo").AsString().back(), '#');
    ASSERT_TRUE(s.GetReportList(A("没有的报表"), v));
    EXPECT_EQ(RecordSet(v)->RecordCount(), 0);

    struct TRight {
        const char* Operator;
        const char* Right;
        bool Holds;
    };
    const TRight rights[] = {{"0001", "030609", true},
                             {"0003", "030609", false},
                             {"0003", "030601", true},
                             {"' OR '1'='1", "030609", false},
                             {"0001", "' OR ''='", false}};
    for (const TRight& r : rights)
        EXPECT_EQ(s.CheckRight(r.Operator, r.Right), r.Holds) << r.Operator << " " << r.Right;
}

TYPED_TEST_P(HostServerCases, CallsThatCannotBeMadeThrow) {
    ICoorDisp& s = this->Server();
    Value v;
    EXPECT_THROW(s.Invoke(12345, {}), ECoorDispError);
    EXPECT_THROW(s.Invoke(CoorDispId::GetCurrentDate, {}), ECoorDispError);
    EXPECT_THROW(s.Invoke(CoorDispId::GetCurrentDate, {TDispArg::ByValue(v)}), ECoorDispError);
    EXPECT_THROW(s.Invoke(CoorDispId::OpenQuery, {TDispArg::ByValue(Value::String("select 1"))}),
                 ECoorDispError);
    Value unused, p = Value::String("x");
    EXPECT_FALSE(s.RunServerFunction(99, p, unused));
    ExpectErrorList(p);
}

TYPED_TEST_P(HostServerCases, DemoDataServesEveryContextItemAndItsSheets) {
    auto db = TypeParam::Connect(TypeParam::NewDatabase());
    TDemoOptions options;
    options.Lines = 150;
    options.Today = "20240601";
    const TDemoSummary demo = CreateDemoDatabase(*db, options);
    EXPECT_GE(demo.GoodsCount, 3000);
    TCoorDispRef server = THostServer::Create(std::move(db));
    TDbBackend& d = THostServer::Of(server).Database();

    // Every parameter the working context can ask for.
    const char* keys[] = {"qyny",
                          "dwmc",
                          "sh",
                          "dz",
                          "lxdh",
                          "khh",
                          "zh",
                          "dwlx",
                          "dybm",
                          "hykls",
                          "sljd",
                          "lskz",
                          "jjkz",
                          "cskz",
                          "zrrkz",
                          "dddyhs",
                          "sphsfs",
                          "jjcbhsff",
                          "sjcbhsff",
                          "cbjzfs",
                          "jsxtfs",
                          "rqssj",
                          "fgckjb",
                          "brddyhs",
                          "brdhscfs",
                          "bcddyhs",
                          "bcdhscfs",
                          "dbddyhs",
                          "dbdhscfs",
                          "jgddyhs",
                          "jgdhscfs",
                          "sgddyhs",
                          "sgdhscfs",
                          "tbddyhs",
                          "tbdhscfs",
                          "ykddyhs",
                          "ykdhscfs",
                          "syddyhs",
                          "sydhscfs",
                          "ysddyhs",
                          "ysdhscfs",
                          "pdbdyhs",
                          "pdbhscfs",
                          "psdahsfg",
                          "ysdahsfg",
                          "xsdahsfg",
                          "thddyhs",
                          "tjddyhs",
                          "ptfpdyhs",
                          "spfzflx",
                          "kpyxcfsp",
                          "djfgfs",
                          "psxzsl",
                          "xsxzsl",
                          "jhxzsl",
                          "thcpbxxdythqd",
                          "zjdyfs",
                          "ddysfs",
                          "hsdwh",
                          "dpckbm",
                          "dpjfs",
                          "pslssj",
                          "thjjclfs",
                          "sjkbbh",
                          "psysjscdjd",
                          "ysjscdjdbm",
                          "ddyszzfs",
                          "ddyxrqqy",
                          "ysfs",
                          "dddysjj",
                          "cpzkspyzbkz",
                          "jzscltjbc",
                          "jzsclyxjjsxzpzdp",
                          "ysqr",
                          "khzqqy",
                          "zkhwlqy",
                          "hykxc",
                          "xsfkz",
                          "kckz",
                          "hyklwms",
                          "yckqzj",
                          "mdzdyjj",
                          "mdzdysj",
                          "dchy",
                          "xstbqyrq",
                          "dqny"};
    Value v;
    ASSERT_TRUE(server->GetSystemParameters(v));
    auto params = RecordSet(v);
    for (const char* key : keys)
        EXPECT_TRUE(params->Locate("f_Csmc", {Value::String(key)}, {true, false})) << key;

    EXPECT_EQ(Count(d, "SELECT COUNT(*) FROM tbDlpdzb WHERE f_Jzbz = 0"), 4);
    EXPECT_EQ(Count(d, "SELECT COUNT(*) FROM tbDlpdzb WHERE f_Jzbz = 1"), 1);
    EXPECT_EQ(Count(d, "SELECT COUNT(*) FROM tbSydzb"), 1);
    EXPECT_EQ(Count(d, "SELECT COUNT(*) FROM tbzyda WHERE f_zylx = '5'"), 2);
    EXPECT_EQ(Count(d, "SELECT COUNT(*) FROM tbKcls WHERE f_Rq < '20240303'"), 0); // 90 days back
    EXPECT_TRUE(server->CheckRight("0001", "030609"));
    EXPECT_FALSE(server->CheckRight("0003", "030609"));

    // The look-up of the condition dialog lists the four open sheets of the unit's department.
    ASSERT_TRUE(server->OpenQuery("Select  f_djh from tbDlpdzb where f_jzbz=0 and f_djh Like '%' and Not "
                                  "Exists (Select 1 from tbzyda where "
                                  "f_zylx='5' and f_zybm='' ) and f_Bmbm ='0201' ",
                                  v));
    EXPECT_EQ(RecordSet(v)->RecordCount(), 4);

    // The large sheet loads with one line per counted goods item; the posted one is still readable.
    Value p = Value::String(demo.LargeSheet + "\t" + demo.LargeSheet.substr(0, 8) + "\t20240601\t0101"),
          unused;
    ASSERT_TRUE(server->RunServerFunction(34, p, unused));
    auto lines = RecordSet(p);
    EXPECT_EQ(lines->RecordCount(), 150);
    int differences = 0;
    for (lines->First(); !lines->Eof(); lines->Next()) {
        EXPECT_FALSE(lines->FieldByName("f_Spmc").AsString().empty());
        if (std::fabs(lines->FieldByName("f_Sysl").AsFloat()) > 1e-6) ++differences;
    }
    EXPECT_GT(differences, 10);
    EXPECT_LT(differences, 80);
    p = Value::String(demo.RemarkSheet);
    ASSERT_TRUE(server->RunServerFunction(33, p, unused));
    EXPECT_EQ(RecordSet(p)->FieldByName("f_Bz").AsString(), A(demo.Remark.c_str()));
}

REGISTER_TYPED_TEST_SUITE_P(
    HostServerCases, SheetHeaderHasTheEightColumnsOfTheSheet, SheetLinesComputeCountedBookAndSimulatedColumns,
    SheetLinesRefuseBadParameterTexts, PostingBooksTheDifferencesOnceAndRefusesASecondTime,
    PostingIsRefusedWithoutChangeForBadRequests, AFailureInTheMiddleOfPostingLeavesNoTrace,
    ConcurrentPostingsOfOneSheetSucceedExactlyOnce, OpenQueryRunsTheModulesSelectTexts,
    OpenQueryRefusesAnythingButOneSelect, OpenQueryRefusesResultsBeyondItsLimit, ServiceCallsAnswerTheWorkingContext, CallsThatCannotBeMadeThrow,
    DemoDataServesEveryContextItemAndItsSheets);

} // namespace hostcases
