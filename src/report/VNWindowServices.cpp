// The one installed set of window services.
#include "VNWindowServices.h"

static IVNWindowServices*& InstalledServices() {
    static IVNWindowServices* services = nullptr;
    return services;
}

void SetVNWindowServices(IVNWindowServices* services) {
    InstalledServices() = services;
}

IVNWindowServices* VNWindowServices() {
    return InstalledServices();
}
