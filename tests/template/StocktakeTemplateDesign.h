// The standard print template of the stocktake sheet ("盘点损益表"), designed in code through the
// report engine's API, and the hexadecimal text form in which the host stores templates.
//
// The template prints on A4 portrait: a title band with the sheet's header (the eleven header
// variables the sheet sets before a template print), column captions on every page, one row per
// line of the sheet's rounded print copy, the count and the gain/loss totals with signature
// fields at the end, and the page number in the footer.
#pragma once

#include "report/VNReport.h"

#include <string>
#include <string_view>

// The header variables the sheet sets before a template print, in the order it sets them.
extern const char* const StocktakeHeaderVariables[11];

// The report dataset the sheet hands to the template, and the name under which its lines'
// fields are written in the template's texts ([Ads.f_Spbm]).
extern const char* const StocktakeDatasetName;
extern const char* const StocktakeLinesName;

// Fills an empty report with the template's design.
void DesignStocktakeTemplate(TVNReport& report);

// Two upper-case hexadecimal digits per byte, then "#": the form templates are stored in.
std::string EncodeHexText(std::string_view bytes);
