// The XLSX variant of the spreadsheet export.
#include "VNXLSXExport.h"

#include "workbook/VNXlsxWriter.h"

TVNXLSXExport::TVNXLSXExport() : TVNXLSExport(NoRegistration{}) {
    RegisterExportFilter(this, "Excel 2007+ (*.xlsx)", "*.xlsx");
}

TVNWorkbookLimits TVNXLSXExport::Limits() const {
    return XlsxLimits();
}

std::string TVNXLSXExport::WorkbookBytes(const TVNWorkbook& workbook) {
    return XlsxFileBytes(workbook);
}
