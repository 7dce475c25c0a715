// Built-in registrations of the control printers, base kinds before the kinds derived from them.
#include "VNRegisterPrinters.h"

#include "VNFormReportObject.h"
#include "VNPrintQXGrid.h"

#include "controls/AdvDBGridQx.h"

void RegisterBuiltInFormReportObjects() {
    RegisterFormReportObject<TAdvCustomDBGridQx, TVNPrintQXGrid>();
}
