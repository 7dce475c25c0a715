// libFuzzer target: the reader of the text form of reports. Any input must end in an EVNJsonError
// or a report - no crash, no hang, no other exception. A text that reads is also written back
// (to a report stream and to text again), since a made report must always be writable.
#include "report/VNJsonReport.h"

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QuietMessages();
    const std::string text = FuzzBytes(data, size);
    try {
        TVNReport r;
        TVNJsonDocument document = ReportFromJson(text, r);
        TVNStream s;
        r.SaveReportStream(s);
        if (document.Format != VNJsonDictionaryFormat) ReportToJson(r, document);
    } catch (const EVNJsonError&) {
    }
    return 0;
}
