// The host server's shared cases on SQLite, plus what only the embedded setup has: SELECT
// adaptation, the command line's output and the atomic creation of the demo file.
#include "host/CallCommand.h"
#include "HostServerCases.h"
#include "host/SelectAdapter.h"

#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

fs::path ScratchFolder() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("host_tests-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

struct TScratchCleanup : ::testing::Environment {
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(ScratchFolder(), ec);
    }
};
const auto* const cleanup = ::testing::AddGlobalTestEnvironment(new TScratchCleanup);

struct TSqliteFactory {
    static std::string NewDatabase() {
        static int n = 0;
        return (ScratchFolder() / ("db" + std::to_string(++n) + ".sqlite")).string();
    }
    static std::unique_ptr<TDbBackend> Connect(const std::string& id) { return OpenSqliteBackend(id); }
};

} // namespace

namespace hostcases {
INSTANTIATE_TYPED_TEST_SUITE_P(Sqlite, HostServerCases, TSqliteFactory);
}

TEST(SelectAdapter, AdaptsTheHostDialectAndKeepsEverythingElse) {
    struct TCase {
        const char* In;
        TDbKind Kind;
        const char* Out;
    };
    const TCase cases[] = {
        {"Select Top 1000 * from tbbmda where (a) and  f_bmmc Like '%x%'", TDbKind::Sqlite,
         "Select  * from tbbmda where (a) and  f_bmmc Like '%x%' LIMIT 1000"},
        {"select distinct top (5) f_a from t order by f_a ", TDbKind::Postgres,
         "select distinct  f_a from t order by f_a LIMIT 5"},
        {"Select * from t order by f_bmbm fetch first 1000 row only", TDbKind::Sqlite,
         "Select * from t order by f_bmbm LIMIT 1000"},
        {"Select * from t order by f_bmbm fetch first 1000 row only", TDbKind::Postgres,
         "Select * from t order by f_bmbm fetch first 1000 row only"},
        {"Select 'Top 5' from t;", TDbKind::Sqlite, "Select 'Top 5' from t"},
        {"Select f_top from t where f_a = 'it''s'", TDbKind::Sqlite,
         "Select f_top from t where f_a = 'it''s'"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(AdaptSelect(c.In, c.Kind), c.Out) << c.In;
    for (const char* bad :
         {"insert into t values (1)", "select 1; select 2", "with x as (select 1) select * from x",
          "select * into t2 from t", "select 'open", "select 1 /* open"})
        EXPECT_THROW(AdaptSelect(bad, TDbKind::Sqlite), ESelectRejected) << bad;
}

TEST(CallCommand, PrintsResultSetsValuesAndErrorLists) {
    auto db = OpenSqliteBackend(":memory:");
    hostcases::LoadFixture(*db);
    TCoorDispRef server = THostServer::Create(std::move(db));
    THostServer::Of(server).SetClock([] { return std::string("2024-01-12 09:30:00"); });
    struct TCase {
        std::vector<std::string> Args;
        int Exit;
        std::string Out;
    };
    const TCase cases[] = {
        {{"GetCurrentDate"}, 0, "True\n20240112\n"},
        {{"5"}, 0, "True\n20240112\n"},
        {{"getdatabasekind"}, 0, "True\nSQLSERVER\n"},
        {{"CheckRight", "0003", "030609"}, 1, "False\n"},
        {{"GetCodeRecord", "0002"}, 0, "True\nf_zybm\tf_zymc\tf_zylx\tf_bmbm\n0002\t李娜\t5\t0201\n"},
        {{"OpenQuery", "select", "f_Djh,", "f_Bz", "from", "tbDlpdzb", "where", "f_Jzbz=0"},
         0,
         "True\nf_Djh\tf_Bz\n202401080001\tit's 月末\n"},
        {{"33", "202401080002"},
         0,
         "True\nf_Bz\tf_Bmbm\tf_Bmmc\tf_Ckbm\tf_Ckmc\tf_Zdrbm\tf_Zdrmc\tf_"
         "Zdrq\n\t0201\t人民路店\t0101\t人民路店卖场\t0002\t李娜\t"
         "20240108\n"},
        {{"RunServerFunction", "33", "404"}, 1, "False\n单据不存在：404\n"},
        {{"OpenQuery", "delete", "from", "tbDlpdzb"}, 1, "False\n只允许执行查询语句(SELECT)\n"},
        {{"NoSuchThing"}, 2, ""},
        {{}, 2, ""},
    };
    for (const TCase& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCallCommand(*server, c.Args, out, err), c.Exit) << (c.Args.empty() ? "" : c.Args[0]);
        EXPECT_EQ(out.str(), c.Out) << (c.Args.empty() ? "" : c.Args[0]);
        if (c.Exit == 2) {
            EXPECT_NE(err.str().find("usage"), std::string::npos);
        }
    }
    std::ostringstream out, err;
    ASSERT_EQ(RunCallCommand(*server, {"34", "202401080001", "20240108", "20240112", "0101"}, out, err), 0);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find('\n', 5) + 1).substr(5, 14), "f_Spbm\tf_Spmc\t");
    EXPECT_NE(text.find("00000001\t康师傅红烧牛肉面\tH1\t6900000000011\t105g\t13\t袋\t1\t10\t6\t5\t1\t2\t8\t1"
                        "\t2\t3\t8\t48\t7\t42\t1\t6\t"),
              std::string::npos);
}

TEST(InitDemo, ReplacesTheFileOnlyWhenTheNewDatabaseIsComplete) {
    const fs::path path = ScratchFolder() / "demo" / "retailhost.db";
    TDemoOptions options;
    options.Lines = 20;
    options.Goods = 300;
    options.Today = "20240601";
    const TDemoSummary first = InitDemoDatabase({path.string(), ""}, options);
    ASSERT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path.string() + ".new"));

    options.Today = "2024-06-01"; // refused before anything is written
    EXPECT_THROW(InitDemoDatabase({path.string(), ""}, options), EDbError);
    auto db = OpenSqliteBackend(path.string());
    EXPECT_EQ(db->Query("SELECT COUNT(*) FROM tbDlpdzb").At(0, 0).AsInteger(), 5);
    EXPECT_EQ(db->Query("SELECT COUNT(*) FROM tbDlpdmx WHERE f_Djh = ?", {Value::String(first.LargeSheet)})
                  .At(0, 0)
                  .AsInteger(),
              20);
    EXPECT_FALSE(fs::exists(path.string() + ".new"));
}

TEST(InitDemo, TheSameSeedAndDateGiveTheSameData) {
    auto checksum = [](TDbBackend& db) {
        return db.Query("SELECT COUNT(*), SUM(f_Crsl), SUM(f_Crje) FROM tbKcls").At(0, 2).AsFloat() +
               db.Query("SELECT SUM(f_Whsl * f_Xh) FROM tbDlpdmx").At(0, 0).AsFloat();
    };
    TDemoOptions options;
    options.Lines = 30;
    options.Goods = 400;
    options.Today = "20240601";
    auto a = OpenSqliteBackend(":memory:"), b = OpenSqliteBackend(":memory:");
    CreateDemoDatabase(*a, options);
    CreateDemoDatabase(*b, options);
    EXPECT_DOUBLE_EQ(checksum(*a), checksum(*b));
    EXPECT_EQ(a->Query("SELECT f_Spmc FROM tbspda WHERE f_Spbm = '01010007'").At(0, 0).AsString(),
              b->Query("SELECT f_Spmc FROM tbspda WHERE f_Spbm = '01010007'").At(0, 0).AsString());
}
