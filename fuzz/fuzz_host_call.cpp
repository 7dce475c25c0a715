// libFuzzer target: the host's command line and what it reaches - `retailhost call` argument
// parsing, the server's dispatch, the SELECT adapter and the tab-split parameters of the server
// functions - over a small demo database in memory. Lines of the input are the arguments. Any
// input ends in an outcome or a usage message, never a crash; the database stays consistent.
#include "host/CallCommand.h"
#include "host/DemoData.h"
#include "host/HostServer.h"
#include "host/HostText.h"
#include "host/SelectAdapter.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace {

TCoorDispRef& Server() {
    static TCoorDispRef server = [] {
        auto db = OpenSqliteBackend(":memory:");
        TDemoOptions demo;
        demo.Lines = 40;
        demo.Today = "20240115";
        CreateDemoDatabase(*db, demo);
        TCoorDispRef s = THostServer::Create(std::move(db));
        THostServer::Of(s).SetQueryLimit({2000, 1 << 20});
        return s;
    }();
    return server;
}

// A join of joins runs long by design (the command line waits, as any database client does);
// such texts are left out so that each run stays short.
bool ManyJoins(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    std::size_t joins = 0;
    for (std::size_t at = 0; (at = text.find_first_of(",j", at)) != std::string::npos; ++at)
        joins += text[at] == ',' || text.compare(at, 4, "join") == 0;
    return joins > 2 || text.find("recursive") != std::string::npos;
}

} // namespace

// The demo database takes a while to make; it is made before the runs are timed.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Server();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (ManyJoins(text)) return 0;
    for (TDbKind kind : {TDbKind::Sqlite, TDbKind::Postgres}) {
        try {
            AdaptSelect(text, kind);
        } catch (const ESelectRejected&) {
        }
    }
    SplitTabs(text);
    std::vector<std::string> args;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line) && args.size() < 16;)
        args.push_back(line);
    std::ostringstream out, err;
    RunCallCommand(*Server(), args, out, err);
    return 0;
}
