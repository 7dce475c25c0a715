// vnreport resave IN OUT: loads a report (stream, ".vnf", hexadecimal text or template) and
// writes it as a report stream of the current version.
#include "CommandRegistry.h"
#include "EmptyFile.h"

#include "report/VNReportFiles.h"

#include "platform/MessageService.h"

#include <cstdio>

namespace {

int RunResave(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vnreport resave IN OUT\n");
        return 2;
    }
    TVNStream s;
    if (ReportEmptyFile(argv[1])) return 1;
    if (!s.LoadFromFile(argv[1])) {
        std::fprintf(stderr, "vnreport: cannot read %s\n", argv[1]);
        return 1;
    }
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNReport r;
    const TVNFileKind kind = DetectVNFileKind(s.Data());
    if (kind == TVNFileKind::Dictionary || kind == TVNFileKind::PreparedPages) {
        std::fprintf(stderr, "vnreport: %s is a %s, not a report\n", argv[1], VNFileKindName(kind));
        return 1;
    }
    const bool ok = LoadVNFile(r, s, kind);
    for (const auto& m : messages.Shown())
        std::fprintf(stderr, "message: %s\n", AnsiToUtf8(m.Text).c_str());
    if (!ok) return 1;
    if (!r.SaveReportFile(argv[2])) {
        std::fprintf(stderr, "vnreport: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

TCommandRegistrar reg("resave", "resave IN OUT", &RunResave);

} // namespace
