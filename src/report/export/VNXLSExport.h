// TVNXLSExport: prepared pages as a spreadsheet. Each page's objects are placed on a grid whose
// column and row boundaries are the objects' edges (edges within one pixel share a boundary);
// every object becomes a merged cell range carrying its text, font, alignment, borders and fill,
// or a picture anchored to its cells. Pages go to one sheet each or one below the other on one
// sheet with a page break between them. The filter fills a workbook model while the pages are
// exported and has the workbook writer produce the file once the last page is done.
//
// A single sheet that would grow past the rows the file format holds goes on in a new sheet, so
// a long report is never cut or written into a file readers refuse.
#pragma once

#include "VNMainExportFilter.h"
#include "VNPixelFormat.h"

#include "workbook/VNWorkbook.h"

#include <functional>
#include <memory>
#include <set>

// Opens a written file with the desktop's default application ("show after export"); the window
// side installs it, a headless program has none and nothing is opened.
using TVNOpenDocumentHandler = std::function<void(const std::string& fileName)>;
void SetVNOpenDocumentHandler(TVNOpenDocumentHandler handler);

// Reads a page list ("1,3,5-12"; blanks ignored) into page numbers from 1; false for a text
// that is not one.
bool ParseExportPageList(const std::string& text, std::set<int>& pages);

class TVNXLSExport : public TVNMainExportFilter {
public:
    TVNXLSExport(); // registers as "Excel 文件 (*.xls)"
    const char* ClassName() const override { return "TVNXLSExport"; }

    // Published.
    AnsiString ExportPages;      // "", "CURPAGE" or a page list
    bool ShowExcel = true;       // shown in the dialog only
    bool ShowAfterExport = true; // open the file when it is written
    bool MultiSheet = false;     // a sheet per page
    TVNPixelFormat PixelFormat = pf24bit;
    // Beyond the classic export, off by default: a text that is a number as the export locale
    // displays it (see NumberCellValue) becomes a number cell with a matching number format.
    bool NumberCells = false;

    // The page "CURPAGE" means, from 1; the preview sets it.
    int CurrentPage = 1;

    void OnBeginDoc() override;
    void OnEndDoc() override;
    void OnEndPage() override;

    std::vector<TVNExportOption> Options() const override;
    void SetOption(const std::string& name, const std::string& value) override;

protected:
    struct NoRegistration {};
    explicit TVNXLSExport(NoRegistration);
    // The format's limits and the file's bytes; the XLSX filter overrides both.
    virtual TVNWorkbookLimits Limits() const { return {65536, 256}; }
    virtual std::string WorkbookBytes(const TVNWorkbook& workbook);

private:
    void Finish(const std::string& fileName);
    TVNWorksheet& NewSheet(const std::vector<int>& columns);

    std::unique_ptr<TVNWorkbook> FWorkbook;
    std::set<int> FPages;
    bool FFirstSheet = true;
    int FRowOffset = 0;
    int FSheetIndex = -1; // the sheet the next page goes to without MultiSheet
    bool FSaved = false;
    std::function<void(const std::string&)> FUserAfterExport;
};

// The number-cell rule: optional "-", digits in groups of three separated by the locale's
// thousands separator (or no separators at all), optionally the decimal separator and at least
// one digit; blanks around are ignored. Answers the value and a number format that shows it as
// the text showed it ("#,##0.00", "0.0", ...), or false.
bool NumberCellValue(const AnsiString& text, double& value, AnsiString& format);
