// retailhost: the host stand-in's program. A thin shell over the hostserver library:
//   retailhost [--db PATH | --pg CONNINFO] [--operator CODE] [--sheet DJH] [--screenshot FILE]
//              [--screenshot-after MS]                          the host window
//   retailhost call [--db PATH | --pg CONNINFO] OPERATION ARGS...  one server operation
//   retailhost init-demo [--db PATH | --pg CONNINFO] [--lines N] [--date YYYYMMDD]
#include "CallCommand.h"
#include "HostPaths.h"
#include "HostSchema.h"
#include "HostServer.h"
#include "HostWindow.h"
#include "platform/MessageService.h"
#include "platform/qt/QtMessageService.h"

#include <QApplication>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

int RunWindow(int argc, char** argv, TCoorDispRef server, THostWindowOptions options,
              const std::string& dbLabel) {
    QApplication app(argc, argv);
    options.DatabaseLabel = dbLabel;
    const bool unattended = !options.ScreenshotFile.empty();
    THostWindow window(std::move(server), options);
    // An unattended run never waits for a person: message boxes get their dismissing answer.
    TQtMessageService messages(&window);
    if (!unattended) SetMessageService(&messages);
    window.show();
    if (unattended || !options.Sheet.empty())
        QTimer::singleShot(0, &window, [&window] { window.OpenModule(); });
    if (unattended) // whatever happens, an unattended run ends
        QTimer::singleShot(120000, &app, [] { QCoreApplication::exit(3); });
    const int rc = app.exec();
    SetMessageService(nullptr);
    return rc;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string command;
    if (!args.empty() && (args[0] == "call" || args[0] == "init-demo")) {
        command = args[0];
        args.erase(args.begin());
    }
    THostDatabaseChoice choice;
    std::vector<std::string> rest;
    TDemoOptions demo;
    THostWindowOptions window;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (rest.empty() && a == "--db" && hasValue)
            choice.SqlitePath = args[++i];
        else if (rest.empty() && a == "--pg" && hasValue)
            choice.Conninfo = args[++i];
        else if (command == "init-demo" && a == "--lines" && hasValue)
            demo.Lines = std::stoi(args[++i]);
        else if (command == "init-demo" && a == "--date" && hasValue)
            demo.Today = args[++i];
        else if (command.empty() && a == "--operator" && hasValue)
            window.OperatorCode = args[++i];
        else if (command.empty() && a == "--sheet" && hasValue)
            window.Sheet = args[++i];
        else if (command.empty() && a == "--screenshot" && hasValue)
            window.ScreenshotFile = args[++i];
        else if (command.empty() && a == "--screenshot-after" && hasValue)
            window.ScreenshotAfterMs = std::stoi(args[++i]);
        else
            rest.push_back(a);
    }
    const bool defaultDb = choice.SqlitePath.empty() && choice.Conninfo.empty();
    if (defaultDb) choice.SqlitePath = DefaultDatabasePath();
    try {
        if (command == "init-demo") {
            if (!rest.empty()) {
                std::cerr << "usage: retailhost init-demo [--db PATH | --pg CONNINFO] [--lines N] [--date "
                             "YYYYMMDD]\n";
                return 2;
            }
            const TDemoSummary s = InitDemoDatabase(choice, demo);
            std::cout << "demo data written to "
                      << (choice.Conninfo.empty() ? choice.SqlitePath : choice.Conninfo)
                      << "\n  goods: " << s.GoodsCount << "\n  posted sheet: " << s.PostedSheet
                      << "\n  open sheets: " << s.OpenSheets[0] << " " << s.OpenSheets[1] << " "
                      << s.OpenSheets[2] << " " << s.OpenSheets[3] << "\n  large sheet: " << s.LargeSheet
                      << "\n";
            return 0;
        }
        if (choice.Conninfo.empty() && !std::filesystem::exists(choice.SqlitePath)) {
            if (!defaultDb) {
                std::cerr << "retailhost: no database at " << choice.SqlitePath
                          << " (create one with: retailhost init-demo --db " << choice.SqlitePath << ")\n";
                return 2;
            }
            InitDemoDatabase(choice, demo); // first use of the default database
        }
        std::unique_ptr<TDbBackend> db = OpenHostBackend(choice);
        if (!HostSchemaPresent(*db)) {
            std::cerr
                << "retailhost: the database holds no host data yet (create it with: retailhost init-demo "
                << (choice.Conninfo.empty() ? "--db " + choice.SqlitePath : "--pg '" + choice.Conninfo + "'")
                << ")\n";
            return 2;
        }
        TCoorDispRef server = THostServer::Create(std::move(db));
        if (command == "call") return RunCallCommand(*server, rest, std::cout, std::cerr);
        if (!rest.empty()) {
            std::cerr
                << "usage: retailhost [--db PATH | --pg CONNINFO] [--operator CODE] [--sheet DJH]\n"
                   "                  [--screenshot FILE] [--screenshot-after MS]\n"
                   "       retailhost call [--db PATH | --pg CONNINFO] OPERATION ARGS...\n"
                   "       retailhost init-demo [--db PATH | --pg CONNINFO] [--lines N] [--date YYYYMMDD]\n";
            return 2;
        }
        return RunWindow(argc, argv, std::move(server), window,
                         choice.Conninfo.empty() ? choice.SqlitePath : "PostgreSQL");
    } catch (const std::exception& e) {
        std::cerr << "retailhost: " << e.what() << "\n";
        return 1;
    }
}
