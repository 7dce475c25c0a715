// Writing the workbook model as an Office Open XML spreadsheet (.xlsx) through libxlsxwriter:
// merged ranges with their values, fonts, alignment, borders and fills, column widths, row
// heights, pictures, page breaks and page setup. The same model the BIFF8 writer saves, so both
// files show the same cells.
#pragma once

#include "VNWorkbook.h"

#include <string>

// The format's limits: 1,048,576 rows and 16,384 columns.
TVNWorkbookLimits XlsxLimits();
// The file's bytes; throws EVNWorkbookError for a model outside the limits or when the library
// fails.
std::string XlsxFileBytes(const TVNWorkbook& workbook);
