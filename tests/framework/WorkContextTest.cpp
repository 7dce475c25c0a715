// The business object's creation and context loading against the real host server on the demo
// database: which server calls are made in which order, every rule for missing or odd parameters,
// and the first failure in evaluation order stopping the load.
#include "FrameworkFixture.h"

#include "framework/UnitOrvaneClass.h"
#include "platform/MessageService.h"

using namespace fwtest;

namespace {

struct TScratchCleanup : ::testing::Environment {
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(ScratchFolder(), ec);
    }
};
const auto* const cleanup = ::testing::AddGlobalTestEnvironment(new TScratchCleanup);

TItemSet AllItems() {
    TItemSet items;
    for (int i = 0; i < 90; ++i)
        items.Include(i);
    return items;
}

const TItemSet ModuleItems{0, 1, 2, 3, 4, 5, 12, 13};

} // namespace

TEST(OrvaneCreation, AsksTheDatabaseKindAndFallsBackWithAWarning) {
    struct TCase {
        const char* Name;
        std::function<std::optional<Value>()> Answer; // nothing: the real server answers
        const char* Kind;
        bool Warned;
    };
    const TCase cases[] = {
        {"real server", nullptr, "SQLSERVER", false},
        {"DB2", [] { return std::optional<Value>(Value::String("DB2")); }, "DB2", false},
        {"throws", []() -> std::optional<Value> { throw ECoorDispError("no kind"); }, "SQLSERVER", true},
    };
    for (const TCase& c : cases) {
        TServerHolder server;
        if (c.Answer)
            server->Override = [&c](std::int32_t id, const std::vector<TDispArg>&) -> std::optional<Value> {
                return id == CoorDispId::GetDatabaseKind ? c.Answer() : std::nullopt;
            };
        TScriptedMessageService messages;
        TMessageServiceScope scope(messages);
        TOrvaneClass orvane(server.Server, nullptr);
        EXPECT_EQ(orvane.DatabaseKind(), c.Kind) << c.Name;
        ASSERT_EQ(messages.Shown().size(), c.Warned ? 1u : 0u) << c.Name;
        if (c.Warned) {
            EXPECT_EQ(messages.Shown()[0].Text, A("获取数据库类型失败!"));
            EXPECT_EQ(messages.Shown()[0].Caption, A("警告"));
            EXPECT_EQ(messages.Shown()[0].Icon, TMsgIcon::Warning);
        }
        TWorkContext context;
        AnsiString error;
        EXPECT_TRUE(orvane.LoadContext(context, {1}, error)) << error;
        EXPECT_EQ(context.DatabaseKind, c.Kind) << c.Name;
    }
}

TEST(WorkContext, LoadsTheModuleItemsInTheServerCallOrder) {
    TServerHolder server;
    TOrvaneClass orvane(server.Server, nullptr);
    server->Calls.clear();
    TWorkContext context;
    context.OperatorCode = "0001";
    AnsiString error;
    ASSERT_TRUE(orvane.LoadContext(context, ModuleItems, error)) << error;
    EXPECT_EQ(server->Calls,
              (std::vector<std::int32_t>{CoorDispId::GetCurrentYearMonth, CoorDispId::GetCurrentDateTime,
                                         CoorDispId::GetCurrentDate, CoorDispId::GetCodeRecord,
                                         CoorDispId::GetSystemParameters}));
    EXPECT_EQ(context.CurrentYearMonth, "202401");
    EXPECT_EQ(context.CurrentDateTime, "2024-01-12 09:30:00");
    EXPECT_EQ(context.CurrentDate, "20240112");
    EXPECT_EQ(context.OperatorName, A("张伟"));
    EXPECT_EQ(context.dwmc, A("鑫源连锁超市人民路店"));
    EXPECT_EQ(context.dwlx, "01");
    EXPECT_EQ(context.dybm, "0201");
    EXPECT_EQ(context.qyny, "202310");
    // Not requested: left as they were.
    EXPECT_EQ(context.sh, "");
    EXPECT_EQ(context.sljd, "");
}

TEST(WorkContext, EveryItemOfTheDemoLoadsWithItsConversion) {
    TServerHolder server;
    TOrvaneClass orvane(server.Server, nullptr);
    TWorkContext context;
    AnsiString error;
    ASSERT_TRUE(orvane.LoadContext(context, AllItems(), error)) << error;
    EXPECT_EQ(context.OperatorName, "");
    EXPECT_EQ(server->CountOf(CoorDispId::GetCodeRecord), 0u);
    EXPECT_EQ(context.sljd, "0.00");
    EXPECT_TRUE(context.lskz);
    EXPECT_FALSE(context.jjkz);
    EXPECT_EQ(context.dddyhs, 20);
    EXPECT_EQ(context.ptfpdyhs, 8);
    EXPECT_EQ(context.psxzsl, 100000);
    EXPECT_EQ(context.ysqr, "1");
    EXPECT_TRUE(context.kpyxcfsp);
    EXPECT_EQ(context.sjkbbh, "5.2.1");
    EXPECT_EQ(context.xstbqyrq, "202310");
}

TEST(WorkContext, ServerCallsAndTheirFailures) {
    auto failing = [](std::int32_t which) {
        return [which](std::int32_t id, const std::vector<TDispArg>&) -> std::optional<Value> {
            return id == which ? std::optional<Value>(Value::Boolean(false)) : std::nullopt;
        };
    };
    struct TCase {
        const char* Name;
        TItemSet Items;
        const char* Operator;
        TRecordingServer::TOverride Override;
        const char* Error; // nullptr: loads
        std::vector<std::int32_t> Calls;
    };
    using namespace CoorDispId;
    const TCase cases[] = {
        {"items 1, 3 and 4 need no parameter table",
         {1, 3, 4},
         "0001",
         nullptr,
         nullptr,
         {GetCurrentYearMonth, GetCurrentDate, GetCodeRecord}},
        {"empty operator code skips the name", {4}, "", nullptr, nullptr, {}},
        {"the date-time alone still reads the table",
         {2},
         "",
         nullptr,
         nullptr,
         {GetCurrentDateTime, GetSystemParameters}},
        {"year-month fails",
         ModuleItems,
         "0001",
         failing(GetCurrentYearMonth),
         "取得当前年月时出错！",
         {GetCurrentYearMonth}},
        {"date-time fails",
         ModuleItems,
         "0001",
         failing(GetCurrentDateTime),
         "取得当前日期时间时出错！",
         {GetCurrentYearMonth, GetCurrentDateTime}},
        {"date fails", {3}, "", failing(GetCurrentDate), "取得当前日期时出错！", {GetCurrentDate}},
        {"unknown operator", {4}, "9999", nullptr, "取得制单人名称时出错！！", {GetCodeRecord}},
        {"parameter table fails",
         {0},
         "",
         failing(GetSystemParameters),
         "取得系统参数时出错！",
         {GetSystemParameters}},
        {"a call that cannot be made gives its own message",
         {3},
         "",
         [](std::int32_t, const std::vector<TDispArg>&) -> std::optional<Value> {
             throw ECoorDispError("link lost");
         },
         "link lost",
         {GetCurrentDate}},
    };
    for (const TCase& c : cases) {
        TServerHolder server;
        TOrvaneClass orvane(server.Server, nullptr);
        server->Calls.clear();
        server->Override = c.Override;
        TWorkContext context;
        context.OperatorCode = c.Operator;
        context.OperatorName = "kept";
        AnsiString error;
        EXPECT_EQ(orvane.LoadContext(context, c.Items, error), c.Error == nullptr) << c.Name;
        EXPECT_EQ(error, c.Error ? A(c.Error) : AnsiString()) << c.Name;
        EXPECT_EQ(server->Calls, c.Calls) << c.Name;
        if (c.Error == nullptr && AnsiString(c.Operator).empty()) {
            EXPECT_EQ(context.OperatorName, "kept") << c.Name;
        }
    }
}

TEST(WorkContext, ParameterRules) {
    using TChanges = std::map<std::string, std::optional<std::string>>;
    const std::optional<std::string> missing;
    struct TCase {
        const char* Name;
        TChanges Changes;
        std::map<std::string, std::string> Renames;
        const char* Error; // nullptr: loads
        std::function<void(const TWorkContext&)> Check;
    };
    const TCase cases[] = {
        {"key stored in capitals",
         {},
         {{"dwmc", "DWMC"}},
         nullptr,
         [](const TWorkContext& c) { EXPECT_EQ(c.dwmc, A("鑫源连锁超市人民路店")); }},
        {"sphsfs missing for unit type 00",
         {{"sphsfs", missing}, {"dwlx", "00"}},
         {},
         nullptr,
         [](const TWorkContext& c) { EXPECT_EQ(c.sphsfs, 1); }},
        {"sphsfs missing for unit type 01", {{"sphsfs", missing}}, {}, "没有可利用的商品核算方式！", nullptr},
        {"sljd 3", {{"sljd", "3"}}, {}, nullptr, [](const TWorkContext& c) { EXPECT_EQ(c.sljd, "0.000"); }},
        {"sljd 0", {{"sljd", "0"}}, {}, nullptr, [](const TWorkContext& c) { EXPECT_EQ(c.sljd, "0."); }},
        {"sljd negative",
         {{"sljd", "-2"}},
         {},
         nullptr,
         [](const TWorkContext& c) { EXPECT_EQ(c.sljd, "0."); }},
        {"sljd no number", {{"sljd", "two"}}, {}, "'two' is not a valid integer value", nullptr},
        {"dybm missing for unit type 03",
         {{"dybm", missing}, {"dwlx", "03"}},
         {},
         nullptr,
         [](const TWorkContext& c) { EXPECT_EQ(c.dybm, ""); }},
        {"dybm missing for unit type 11",
         {{"dybm", missing}, {"dwlx", "11"}},
         {},
         "没有可利用的连锁编码及前台销售柜组编码！",
         nullptr},
        {"ysqr other than 1",
         {{"ysqr", "2"}},
         {},
         nullptr,
         [](const TWorkContext& c) { EXPECT_EQ(c.ysqr, "0"); }},
        {"limits blank or missing",
         {{"psxzsl", "  "}, {"xsxzsl", missing}, {"jhxzsl", "250"}},
         {},
         nullptr,
         [](const TWorkContext& c) {
             EXPECT_EQ(c.psxzsl, 100000);
             EXPECT_EQ(c.xsxzsl, 100000);
             EXPECT_EQ(c.jhxzsl, 250);
         }},
        {"empty counts give 0",
         {{"spfzflx", ""}, {"hykxc", missing}},
         {},
         nullptr,
         [](const TWorkContext& c) {
             EXPECT_EQ(c.spfzflx, 0);
             EXPECT_EQ(c.hykxc, 0);
         }},
        {"defaults",
         {{"jjkz", missing},
          {"kpyxcfsp", missing},
          {"kckz", missing},
          {"psdahsfg", missing},
          {"xstbqyrq", missing}},
         {},
         nullptr,
         [](const TWorkContext& c) {
             EXPECT_FALSE(c.jjkz);
             EXPECT_TRUE(c.kpyxcfsp);
             EXPECT_EQ(c.kckz, "1");
             EXPECT_EQ(c.psdahsfg, "1");
             EXPECT_EQ(c.xstbqyrq, "");
         }},
        {"flags are exactly 1",
         {{"lskz", "Y"}, {"cskz", "1"}},
         {},
         nullptr,
         [](const TWorkContext& c) {
             EXPECT_FALSE(c.lskz);
             EXPECT_TRUE(c.cskz);
         }},
        {"store prices both set",
         {{"mdzdysj", "1"}, {"mdzdyjj", "1"}},
         {},
         nullptr,
         [](const TWorkContext& c) {
             EXPECT_TRUE(c.mdzdysj);
             EXPECT_TRUE(c.mdzdyjj);
         }},
        {"store purchase price without selling price",
         {{"mdzdysj", missing}, {"mdzdyjj", "1"}},
         {},
         nullptr,
         [](const TWorkContext& c) {
             EXPECT_FALSE(c.mdzdysj);
             EXPECT_FALSE(c.mdzdyjj);
         }},
        // Evaluation order, not field order, decides which missing parameter is reported.
        {"qyny before dwmc",
         {{"dwmc", missing}, {"qyny", missing}},
         {},
         "没有可利用的启用年月！",
         [](const TWorkContext& c) { EXPECT_EQ(c.dwmc, "before"); }},
        {"ysqr before sh",
         {{"sh", missing}, {"ysqr", missing}},
         {},
         "没有可利用的验收确认！",
         [](const TWorkContext& c) {
             EXPECT_EQ(c.hykls, "0201"); // earlier in the order: loaded
             EXPECT_EQ(c.sh, "before");  // later: untouched
         }},
        {"integer with blanks",
         {{"dddyhs", " 30 "}},
         {},
         nullptr,
         [](const TWorkContext& c) { EXPECT_EQ(c.dddyhs, 30); }},
    };
    for (const TCase& c : cases) {
        TServerHolder server;
        server->Override = ParametersFrom(ChangedParameters(c.Changes, c.Renames));
        TOrvaneClass orvane(server.Server, nullptr);
        TWorkContext context;
        context.dwmc = "before";
        context.sh = "before";
        AnsiString error;
        EXPECT_EQ(orvane.LoadContext(context, AllItems(), error), c.Error == nullptr) << c.Name;
        EXPECT_EQ(error, c.Error ? A(c.Error) : AnsiString()) << c.Name;
        if (c.Check) {
            SCOPED_TRACE(c.Name);
            c.Check(context);
        }
    }
}

TEST(ItemSet, TwelveBytesItemNIsBitNMod8OfByteNDiv8) {
    const TItemSet items{0, 9, 95, 96, -1};
    EXPECT_EQ(items.Bytes()[0], 0x01);
    EXPECT_EQ(items.Bytes()[1], 0x02);
    EXPECT_EQ(items.Bytes()[11], 0x80);
    EXPECT_TRUE(items.Contains(95));
    EXPECT_FALSE(items.Contains(96));
    EXPECT_FALSE(TItemSet().Contains(0));
}
