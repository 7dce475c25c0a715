// The module's exported entry: the host calls GetFormOne (C linkage, looked up by name) with its
// notify control, the operator code, its embedding panel and its automation server. The function
// builds the stocktake sheet form inside the panel, shows it and returns at once; the form lives
// until the user closes it.
#include "GusvakModule.h"
#include "UnitGusvak.h"
#include "coordisp/CoorDisp.h"

#include <QFrame>

extern "C" __attribute__((visibility("default"))) void GetFormOne(std::intptr_t /*reserved*/,
                                                                  void* notifyControl,
                                                                  const unsigned char* operatorCode,
                                                                  void* parentControl, ICoorDisp* server) {
    // The operator code arrives length-prefixed: byte 0 holds the length.
    AnsiString code;
    if (operatorCode != nullptr)
        code.assign(reinterpret_cast<const char*>(operatorCode) + 1, operatorCode[0]);
    GusvakModule::Enter(static_cast<QWidget*>(notifyControl), code, server);
    GusvakModule::EnsureMessageService();
    GusvakModule::RunGuarded([parentControl] {
        auto* parent = static_cast<QWidget*>(parentControl);
        auto* form = new TFrmGusvak(parent);
        if (form->CloseRequested()) {
            // Creation failed (its message was shown): the form closes and the host carries on
            // without it.
            form->close();
            return;
        }
        GusvakModule::FrmGusvak = form;
        if (parent != nullptr) {
            // The main panel takes the parent's size.
            form->PanelMain->resize(parent->size());
            form->resize(parent->size());
        }
        form->show();
    });
}

// The entry's type must match what the host looks up.
static_assert(std::is_same_v<decltype(&GetFormOne), TGetFormOneProc>);
