// Control printers and their registry. The grid report generator knows no control kinds: for
// every widget it meets it asks the registry for a printer, which turns the widget into report
// views and files them into the generator's view lists.
//
// The registry is an ordered list of (control kind, printer kind). A widget is matched by walking
// the list from its end and taking the first entry whose kind the widget is an instance of, so a
// later registration of a subclass wins over an earlier one of its base class.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <typeinfo>

class TVNFormReport;
class TVNPage;
class TVNView;

class TVNFormReportObject {
public:
    virtual ~TVNFormReportObject() = default;
    // Whether the generator frees the printer after its call; a printer whose data feeds the
    // build (its dataset) clears it and is kept until the next run.
    bool FreeAfterPrint = true;
    // Turns the control into views on the page; `view` receives the main view made (or stays
    // null when the printer made none).
    virtual void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) = 0;
};

using TVNFormReportObjectCreator = std::function<std::unique_ptr<TVNFormReportObject>()>;
using TVNControlMatcher = std::function<bool(const QWidget* control)>;

struct TVNFormReportObjectEntry {
    TVNControlMatcher Matches;
    TVNFormReportObjectCreator Create;
    const std::type_info* PrinterType = nullptr; // names the printer kind (tests, OnPrintObject)
};

// Appends an entry; the matcher answers whether a control is of the entry's kind.
void RegisterFormReportObject(TVNControlMatcher matches, TVNFormReportObjectCreator create,
                              const std::type_info& printerType);

// The usual form: any control that is a TControl (or derives from it) gets a TPrinter.
template <class TControl, class TPrinter>
void RegisterFormReportObject() {
    RegisterFormReportObject([](const QWidget* c) { return dynamic_cast<const TControl*>(c) != nullptr; },
                             [] { return std::make_unique<TPrinter>(); }, typeid(TPrinter));
}

// The entry for a control (searched from the end), or null. The built-in printers are registered
// on first use.
const TVNFormReportObjectEntry* FindFormReportObject(const QWidget* control);
