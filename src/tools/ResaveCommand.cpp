// vnreport resave IN OUT: loads a report (stream, ".vnf", hexadecimal text or template) and
// writes it as a report stream of the current version.
#include "CommandRegistry.h"

#include "report/VNReport.h"

#include "platform/MessageService.h"

#include <cctype>
#include <cstdio>

namespace {

int RunResave(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vnreport resave IN OUT\n");
        return 2;
    }
    TVNStream s;
    if (!s.LoadFromFile(argv[1])) {
        std::fprintf(stderr, "vnreport: cannot read %s\n", argv[1]);
        return 1;
    }
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNReport r;
    const std::string& data = s.Data();
    bool ok;
    if (data.size() > 3 && data.compare(3, 20, "Valnor Template File") == 0) {
        ok = r.LoadTemplateStream(s);
    } else if (!data.empty() && std::isxdigit(static_cast<unsigned char>(data[0])) &&
               data.find('#') != std::string::npos) {
        ok = r.LoadReportHex(data);
    } else {
        ok = r.LoadReportStream(s);
    }
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
