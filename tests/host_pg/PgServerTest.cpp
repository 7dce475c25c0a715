// The host server's shared cases on PostgreSQL, against a server this program starts itself.
#include "../host/HostServerCases.h"
#include "PgTestServer.h"

namespace {

// Stops the shared server when the tests end (also after failures); a crash is covered by the
// server's parent-death signal.
struct TPgEnvironment : ::testing::Environment {
    void SetUp() override { TPgTestServer::Shared(); }
    void TearDown() override { TPgTestServer::Shared().Stop(); }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new TPgEnvironment);

struct TPgFactory {
    static std::string NewDatabase() { return TPgTestServer::Shared().NewSchemaConninfo(); }
    static std::unique_ptr<TDbBackend> Connect(const std::string& id) { return OpenPgBackend(id); }
};

} // namespace

namespace hostcases {
INSTANTIATE_TYPED_TEST_SUITE_P(Postgres, HostServerCases, TPgFactory);
}

// One schema, two backends: the demo data is the same rows on both.
TEST(PgDemo, MatchesTheEmbeddedDatabaseRowForRow) {
    TDemoOptions options;
    options.Lines = 40;
    options.Goods = 500;
    options.Today = "20240601";
    auto pg = OpenPgBackend(TPgTestServer::Shared().NewSchemaConninfo());
    auto lite = OpenSqliteBackend(":memory:");
    CreateDemoDatabase(*pg, options);
    CreateDemoDatabase(*lite, options);
    const char* queries[] = {
        "SELECT COUNT(*), SUM(f_Crsl), SUM(f_Crje) FROM tbKcls",
        "SELECT COUNT(*), SUM(f_Whsl), SUM(f_Pddj) FROM tbDlpdmx",
        "SELECT COUNT(*), SUM(f_Sysl) FROM tbSydmx",
        "SELECT COUNT(*), MIN(f_Spmc), MAX(f_Sptm) FROM tbspda",
    };
    for (const char* q : queries) {
        const TDbRows a = pg->Query(q), b = lite->Query(q);
        for (std::size_t c = 0; c < a.ColumnCount(); ++c) {
            if (a.Columns[c].Type == TDbColumnType::Text)
                EXPECT_EQ(a.At(0, c).AsString(), b.At(0, c).AsString()) << q;
            else
                EXPECT_NEAR(a.At(0, c).AsFloat(), b.At(0, c).AsFloat(), 1e-6) << q;
        }
    }
}
