// retailhost: the host stand-in's program. A thin shell over the hostserver library:
//   retailhost [--db PATH | --pg CONNINFO] [--operator CODE] [--sheet DJH] [--screenshot FILE]
//              [--screenshot-after MS]                          the host window
//   retailhost --sheet DJH --print-mode normal|template [--template NAME]
//              (--export FORMAT:FILE [--option NAME=VALUE ...] | --print | --preview-screenshot FILE)
//                                                   print the sheet as the module's buttons would
//   retailhost call [--db PATH | --pg CONNINFO] OPERATION ARGS...  one server operation
//   retailhost init-demo [--db PATH | --pg CONNINFO] [--lines N] [--date YYYYMMDD]
#include "CallCommand.h"
#include "DatabaseLock.h"
#include "HostPaths.h"
#include "HostSchema.h"
#include "HostServer.h"
#include "HostWindow.h"
#include "platform/MessageService.h"
#include "platform/UnattendedErrors.h"
#include "platform/qt/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    "usage: retailhost [--db PATH | --pg CONNINFO] [--operator CODE] [--sheet DJH]\n"
    "                  [--screenshot FILE] [--screenshot-after MS]\n"
    "       retailhost [--db PATH | --pg CONNINFO] --sheet DJH --print-mode normal|template [--template NAME]\n"
    "                  (--export FORMAT:FILE [--option NAME=VALUE ...] | --print | --preview-screenshot FILE)\n"
    "       retailhost call [--db PATH | --pg CONNINFO] [--max-rows N] [--max-bytes N] OPERATION ARGS...\n"
    "       retailhost init-demo [--db PATH | --pg CONNINFO] [--lines N] [--date YYYYMMDD]\n";

// A whole decimal number within [low, high]; nothing else (no sign games, no trailing text).
std::optional<long long> ParseNumber(const std::string& text, long long low, long long high) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) return std::nullopt;
    return value;
}

// Why the host cannot start with this sheet, or empty when it can: an integrator's script must
// hear at once, not after the unattended run's time limit.
std::string SheetProblem(TDbBackend& db, const std::string& djh) {
    const TDbRows rows = db.Query("select f_Jzbz from tbDlpdzb where f_Djh = ?", {Value::String(djh)});
    if (rows.RowCount() == 0) return "there is no stocktake sheet " + djh;
    if (rows.At(0, 0).AsInteger() != 0) return "the stocktake sheet " + djh + " is already posted or cancelled";
    return {};
}

// A problem that stops the start: on the terminal, and in a box when a person started the window.
int StartFailure(int argc, char** argv, bool window, const std::string& text, int rc) {
    std::cerr << "retailhost: " << text << "\n";
    if (window) {
        QApplication app(argc, argv);
        QMessageBox::critical(nullptr, QString::fromUtf8("错误"),
                              QString::fromUtf8("零售主机无法启动：") + QString::fromStdString(text));
    }
    return rc;
}

int RunWindow(int argc, char** argv, TCoorDispRef server, THostWindowOptions options,
              const std::string& dbLabel) {
    QApplication app(argc, argv);
    options.DatabaseLabel = dbLabel;
    const bool unattended = options.Unattended();
    THostWindow window(std::move(server), options);
    TQtMessageService messages(&window);
    // An unattended run never waits for a person, in the host or in the module it loads.
    TLogMessageService logged("retailhost");
    if (unattended) {
        setenv(UnattendedEnvironment, "1", 1);
        ResetUnattendedErrors(); // only this run's errors count
    }
    SetMessageService(unattended ? static_cast<IMessageService*>(&logged) : &messages);
    window.show();
    if (unattended || !options.Sheet.empty())
        QTimer::singleShot(0, &window, [&window] { window.OpenModule(); });
    if (unattended) // whatever happens, an unattended run ends
        QTimer::singleShot(120000, &app, [] { QCoreApplication::exit(3); });
    const int rc = app.exec();
    SetMessageService(nullptr);
    // The module logs its own boxes (its own copy of the service): its errors fail the run too.
    return rc == 0 && (logged.Errors() > 0 || (unattended && AnyUnattendedErrorInProcess())) ? 1 : rc;
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
    // A command-line query's result is held in memory whole before it is printed: bounded, so a
    // cross join ends in a message instead of all the memory there is.
    TDbResultLimit queryLimit{2'000'000, std::uint64_t(256) << 20};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        // The option's value as a whole number in range, or a usage error saying what it takes.
        auto numberOption = [&](const char* option, const char* unit, long long low, long long high, int& into) {
            const auto n = ParseNumber(args[++i], low, high);
            if (n) {
                into = static_cast<int>(*n);
                return true;
            }
            std::cerr << "retailhost: " << option << " takes " << unit << " from " << low << " to " << high
                      << ", not \"" << args[i] << "\"\n"
                      << Usage;
            return false;
        };
        if (rest.empty() && a == "--db" && hasValue)
            choice.SqlitePath = args[++i];
        else if (rest.empty() && a == "--pg" && hasValue)
            choice.Conninfo = args[++i];
        else if (command == "init-demo" && a == "--lines" && hasValue) {
            if (!numberOption("--lines", "a number of lines", 1, 1000000, demo.Lines)) return 2;
        }
        else if (command == "call" && rest.empty() && (a == "--max-rows" || a == "--max-bytes") && hasValue) {
            const auto n = ParseNumber(args[++i], 1, INT64_MAX);
            if (!n) {
                std::cerr << "retailhost: " << a << " takes a positive number, not \"" << args[i] << "\"\n" << Usage;
                return 2;
            }
            (a == "--max-rows" ? queryLimit.MaxRows : queryLimit.MaxBytes) = static_cast<std::uint64_t>(*n);
        }
        else if (command == "init-demo" && a == "--date" && hasValue)
            demo.Today = args[++i];
        else if (command.empty() && a == "--operator" && hasValue)
            window.OperatorCode = args[++i];
        else if (command.empty() && a == "--sheet" && hasValue)
            window.Sheet = args[++i];
        else if (command.empty() && a == "--screenshot" && hasValue)
            window.ScreenshotFile = args[++i];
        else if (command.empty() && a == "--print-mode" && hasValue) {
            const std::string mode = args[++i];
            if (mode != "normal" && mode != "template") {
                std::cerr << "retailhost: --print-mode is normal or template, not \"" << mode << "\"\n" << Usage;
                return 2;
            }
            window.Print.Requested = true;
            window.Print.TemplateMode = mode == "template";
        } else if (command.empty() && a == "--template" && hasValue)
            window.Print.TemplateName = args[++i];
        else if (command.empty() && a == "--export" && hasValue) {
            const std::string spec = args[++i];
            const auto colon = spec.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == spec.size()) {
                std::cerr << "retailhost: --export takes FORMAT:FILE, not \"" << spec << "\"\n" << Usage;
                return 2;
            }
            window.Print.ExportFormat = spec.substr(0, colon);
            window.Print.ExportFile = spec.substr(colon + 1);
        } else if (command.empty() && a == "--option" && hasValue)
            window.Print.ExportOptions.push_back(args[++i]);
        else if (command.empty() && a == "--print")
            window.Print.ToPrinter = true;
        else if (command.empty() && a == "--preview-screenshot" && hasValue)
            window.Print.PreviewScreenshot = args[++i];
        else if (command.empty() && a == "--screenshot-after" && hasValue) {
            if (!numberOption("--screenshot-after", "milliseconds", 0, 600000, window.ScreenshotAfterMs)) return 2;
        }
        else
            rest.push_back(a);
    }
    {
        // A print needs its mode and exactly one of the three things to do, and nothing else.
        const THostPrintOptions& p = window.Print;
        const int actions = int(!p.ExportFile.empty()) + int(p.ToPrinter) + int(!p.PreviewScreenshot.empty());
        const bool printArgs = !p.TemplateName.empty() || !p.ExportOptions.empty() || actions > 0;
        if ((p.Requested && (actions != 1 || !window.ScreenshotFile.empty())) || (!p.Requested && printArgs) ||
            (!p.ExportOptions.empty() && p.ExportFile.empty())) {
            std::cerr << "retailhost: --print-mode goes with one of --export, --print or --preview-screenshot\n"
                      << Usage;
            return 2;
        }
    }
    const bool defaultDb = choice.SqlitePath.empty() && choice.Conninfo.empty();
    if (defaultDb) choice.SqlitePath = DefaultDatabasePath();
    try {
        if (command == "init-demo") {
            if (!rest.empty()) {
                std::cerr << Usage;
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
        if (command.empty() && !rest.empty()) {
            std::cerr << Usage;
            return 2;
        }
        if (command.empty() && !window.Sheet.empty())
            if (const std::string problem = SheetProblem(*db, window.Sheet); !problem.empty())
                return StartFailure(argc, argv, !window.Unattended(), problem, 2);
        // Held while this process uses the file, so that init-demo does not replace it.
        const TDatabaseLock inUse(choice.Conninfo.empty() ? choice.SqlitePath : std::string(),
                                   TDatabaseLock::TMode::Shared);
        TCoorDispRef server = THostServer::Create(std::move(db));
        if (command == "call") {
            THostServer::Of(server).SetQueryLimit(queryLimit);
            return RunCallCommand(*server, rest, std::cout, std::cerr);
        }
        return RunWindow(argc, argv, std::move(server), window,
                         choice.Conninfo.empty() ? choice.SqlitePath : "PostgreSQL");
    } catch (const std::filesystem::filesystem_error& e) {
        // Typically the data folder cannot be created or written: say which and why.
        const std::string where = e.path1().empty() ? std::string() : " " + e.path1().string();
        return StartFailure(argc, argv, command.empty() && !window.Unattended(),
                            "cannot use the data folder" + where + ": " + e.code().message(), 1);
    } catch (const std::exception& e) {
        return StartFailure(argc, argv, command.empty() && !window.Unattended(), e.what(), 1);
    }
}
