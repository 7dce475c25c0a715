// vnreport check REPORT: compiles every script and bracketed expression of a report and lists each
// problem with the object, the property and the place in the text; exits 1 when there is one.
// The checking itself is the engine's (VNReportCheck.h).
#include "CommandRegistry.h"
#include "ReportLoading.h"

#include "report/VNReportCheck.h"

#include "platform/MessageService.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int RunCheck(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vnreport check REPORT\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TLoadedReport loaded("Check");
    if (!loaded.Load(argv[1], TReportSources{}, [&] {
            for (const auto& m : messages.Shown())
                std::fprintf(stderr, "message: %s\n", AnsiToUtf8(m.Text).c_str());
        }))
        return 1;
    const std::vector<TVNCheckProblem> problems = CheckReport(loaded.Report);
    for (const TVNCheckProblem& p : problems)
        std::printf("%s: %s\n", argv[1], AnsiToUtf8(ProblemText(p)).c_str());
    if (problems.empty()) std::printf("%s: no problems\n", argv[1]);
    return problems.empty() ? 0 : 1;
}

const TCommandRegistrar reg("check", "check REPORT", RunCheck);

} // namespace
