// Printing a report's built pages on the shared printer: the page list syntax, copies made by
// the engine (collated or not), odd or even pages, one spooler document per run of pages with
// equal paper, print offsets, the pre-printed form mode, PrintScale and scaling onto another
// paper, and the progress window with Cancel.
#pragma once

#include "platform/AnsiString.h"
#include "platform/PrintPlatform.h"

#include <vector>

class TVNReport;

// The parameters of one print job.
struct TVNPrintOptions {
    AnsiString PageList; // "1,3,5-12"; empty: every page
    int Copies = 1;      // below 1 counts as 1
    int Selection = 0;   // 0 all pages, 1 odd pages, 2 even pages
    bool Collate = true;
    // Another paper every page is scaled onto: a paper code of the selected printer, -1 none.
    int ScalePaperSize = -1;
    int ScalePaperWidth = 0, ScalePaperHeight = 0; // tenths of mm, portrait
};

// How a job ended.
struct TVNPrintOutcome {
    bool Printed = false;   // every document reached the queue
    bool Cancelled = false; // Cancel (or the report's CancelRequested) stopped it
    AnsiString Error;       // why nothing or not everything was printed
    std::vector<TPrintResult> Documents; // the queue's answer to each spooler document
    int Sheets = 0;         // pages drawn, copies included
};

// The pages a list selects, one flag per page (index 0 is page 1); an empty vector means every
// page. Spaces are ignored; a trailing "-" runs to the last page; numbers beyond the last page
// select nothing. An empty number (a separator at the start, two in a row) or any other
// character throws EConvertError.
std::vector<bool> ParsePageList(const AnsiString& text, int pageCount);

// Prints the built pages (nothing when there are none or no printer is installed: the outcome
// then says why). Never throws. Clears report.taoda at the end.
TVNPrintOutcome PrintBuiltReport(TVNReport& report, const TVNPrintOptions& options);

// Selects another printer for the report and lays every design page's paper out on it again.
// On an error the old printer and its papers come back after the message "所选打印机错误";
// the answer is then false.
bool ChangePrinter(TVNReport& report, int oldIndex, int newIndex);
