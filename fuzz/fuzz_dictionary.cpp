// libFuzzer target: the dictionary file reader (.vnd files). Any input must end in the format's message or a
// clean load - no crash, no hang, no allocation beyond the input's size.
#include "report/VNDictionary.h"
#include "report/VNEMFPages.h"
#include "report/VNReport.h"

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QuietMessages();
    std::string bytes = FuzzBytes(data, size);
    TVNDataDictionary d;
    TVNStream s(std::move(bytes));
    d.LoadFromStream(s);
    return 0;
}
