// IVNPageStoreOwner: what the prepared pages store asks of the report it belongs to. The store
// is filled by the band engine, drawn by the preview and the printer and read from ".vnp" files
// for one report; these are the settings and hooks of that report it needs for that work, so
// that the store does not depend on the whole report object.
#pragma once

#include "platform/AnsiString.h"

class TVNEMFPages;
class TVNPage;
class TVNReport;
class TVNView;

class IVNPageStoreOwner {
public:
    // The report the views of decoded pages belong to.
    virtual TVNReport* StoreReport() = 0;
    // Position of a design page among the report's pages; -1 when it is not one of them.
    virtual int DesignPageIndex(const TVNPage& page) const = 0;
    // A page is about to be added (its number, from 1), and a page has been added (the count
    // now held): the report's own and its master report's page events.
    virtual void BeforePageAdded(int pageNo) = 0;
    virtual void AfterPageAdded(int pageCount) = 0;
    // The print scale in percent, and whether a print onto pre-printed forms is under way (then
    // only views marked for printing are printed).
    virtual int StorePrintScale() const = 0;
    virtual bool PrintingOnPreprintedForms() const = 0;
    // Kept with the pages in a file: the print dialog's pre-printed form default, and the printer
    // the pages were made for.
    virtual bool PreprintedFormDefault() const = 0;
    virtual void SetPreprintedFormDefault(bool value) = 0;
    virtual void SelectStoredPrinter(const AnsiString& name) = 0;
    // A click on, or the mouse over, a view of a shown page; false when the report has no handler.
    virtual bool ObjectClicked(TVNEMFPages& pages, int pageIndex, TVNView* view) = 0;
    virtual bool MouseOverObject(TVNView* view, int& cursor) = 0;

protected:
    ~IVNPageStoreOwner() = default;
};
