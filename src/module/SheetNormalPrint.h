// The normal print of the sheet: the grid report component `PrintDG` set up to print the grid as
// it is shown (visible columns in their order, titles, formats, footers, the filtered and sorted
// lines) under a page header with the title and the condition text, and a column footer with the
// print date, the operator and the page numbers.
#pragma once

#include "SheetPrint.h"

#include "report/gridreport/VNFormReport.h"

class QWidget;

// The component's settings for the sheet's grid.
void SetupPrintDG(TVNFormReport& printDG, QWidget* grid);

// The three captions: the page header (title and condition text) and the column footer, as RTF.
AnsiString PrintDGPageHeader();
AnsiString PrintDGColumnFooter();

// Generates the report from the grid and sends it to the target (the caller has set the
// engine-wide variables).
void SendGridReport(TVNFormReport& printDG, TSheetPrintTarget& target);
