// Built-in registrations of the control printers, base kinds before the kinds derived from them:
// the registry is searched from its end, so a later, narrower entry wins.
#include "VNRegisterPrinters.h"

#include "VNFormReportObject.h"
#include "VNGraphicPrinters.h"
#include "VNPrintQXGrid.h"
#include "VNSimplePrinters.h"
#include "VNTablePrinters.h"

#include "controls/AdvDBGridQx.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

namespace {

template <class TPrinter>
void RegisterWhen(bool (*matches)(const QWidget*)) {
    RegisterFormReportObject(matches, [] { return std::make_unique<TPrinter>(); }, typeid(TPrinter));
}

} // namespace

void RegisterBuiltInFormReportObjects() {
    RegisterFormReportObject<QCheckBox, TVNPrintCheckBox>();
    RegisterWhen<TVNPrintShape>(IsShapeFrame);
    RegisterFormReportObject<QListView, TVNPrintControl>();
    RegisterFormReportObject<QComboBox, TVNPrintEdit>();
    RegisterFormReportObject<QLineEdit, TVNPrintEdit>();
    RegisterFormReportObject<QAbstractSpinBox, TVNPrintEdit>();
    RegisterFormReportObject<QPlainTextEdit, TVNPrintControl>();
    RegisterFormReportObject<QTextEdit, TVNPrintRichEdit>();
    RegisterFormReportObject<QLabel, TVNPrintControl>();
    // A label showing a picture is the image control here.
    RegisterWhen<TVNPrintImage>(IsPictureLabel);
    RegisterFormReportObject<QDateTimeEdit, TVNPrintDateTimePicker>();
    RegisterFormReportObject<QTreeView, TVNPrintListView>();
    RegisterFormReportObject<TAdvCustomDBGridQx, TVNPrintQXGrid>();
    RegisterFormReportObject<QTableView, TVNFormPrintStringGrid>();
    RegisterWhen<TVNFormPrintDBGrid>(IsDataSetTableView);
}
