// Built-in registrations of the control printers, base kinds before the kinds derived from them.
#include "VNRegisterPrinters.h"

#include "VNFormReportObject.h"
#include "VNPrintQXGrid.h"
#include "VNSimplePrinters.h"

#include "controls/AdvDBGridQx.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

void RegisterBuiltInFormReportObjects() {
    RegisterFormReportObject<QCheckBox, TVNPrintCheckBox>();
    RegisterFormReportObject<QListWidget, TVNPrintControl>();
    RegisterFormReportObject<QComboBox, TVNPrintEdit>();
    RegisterFormReportObject<QLineEdit, TVNPrintEdit>();
    RegisterFormReportObject<QPlainTextEdit, TVNPrintControl>();
    RegisterFormReportObject<QTextEdit, TVNPrintControl>();
    RegisterFormReportObject<QLabel, TVNPrintControl>();
    RegisterFormReportObject<QDateTimeEdit, TVNPrintDateTimePicker>();
    RegisterFormReportObject<TAdvCustomDBGridQx, TVNPrintQXGrid>();
}
