// The installed printing services: one per process, set by the program at start-up.
#include "PrintPlatform.h"

static IPrintPlatform* InstalledPrintPlatform = nullptr;

IPrintPlatform* PrintPlatform() {
    return InstalledPrintPlatform;
}

void SetPrintPlatform(IPrintPlatform* platform) {
    InstalledPrintPlatform = platform;
}
