// libFuzzer target: the prepared report reader (.vnp files), including decoding every page. Any input must
// end in the format's message or a clean load - no crash, no hang, no allocation beyond the input's size.
#include "report/VNDictionary.h"
#include "report/VNEMFPages.h"
#include "report/VNReport.h"

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QuietMessages();
    std::string bytes = FuzzBytes(data, size);
    TVNReport r;
    TVNStream s(std::move(bytes));
    r.EMFPages->LoadFromStream(s);
    for (int i = 0; i < r.EMFPages->Count(); ++i) {
        r.EMFPages->DecodePage(i);
        r.EMFPages->ExportPage(i);
    }
    return 0;
}
