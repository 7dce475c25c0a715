// The control printer registry and the built-in registrations.
#include "VNFormReportObject.h"

#include "VNPrintQXGrid.h"
#include "VNRegisterPrinters.h"

#include "controls/AdvDBGridQx.h"

#include <vector>

namespace {

std::vector<TVNFormReportObjectEntry>& Registry() {
    static std::vector<TVNFormReportObjectEntry> entries;
    return entries;
}

void EnsureBuiltIns() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterBuiltInFormReportObjects();
}

} // namespace

void RegisterFormReportObject(TVNControlMatcher matches, TVNFormReportObjectCreator create,
                              const std::type_info& printerType) {
    EnsureBuiltIns();
    Registry().push_back({std::move(matches), std::move(create), &printerType});
}

const TVNFormReportObjectEntry* FindFormReportObject(const QWidget* control) {
    EnsureBuiltIns();
    const auto& entries = Registry();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->Matches(control)) return &*it;
    return nullptr;
}
