// TVNXLSXExport: the spreadsheet export as an Office Open XML workbook (.xlsx). The pages are laid
// out on the cell grid exactly as TVNXLSExport does it; only the writer differs (libxlsxwriter),
// and a single sheet holds the larger format's 1,048,576 rows before it goes on in a new one.
#pragma once

#include "VNXLSExport.h"

class TVNXLSXExport : public TVNXLSExport {
public:
    TVNXLSXExport(); // registers as "Excel 2007+ (*.xlsx)"
    const char* ClassName() const override { return "TVNXLSXExport"; }

protected:
    TVNWorkbookLimits Limits() const override;
    std::string WorkbookBytes(const TVNWorkbook& workbook) override;
};
