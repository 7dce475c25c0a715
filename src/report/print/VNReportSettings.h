// Per-report print settings kept between runs: the pre-printed form default, the print offsets,
// the background colour and two-pass switches and every design page's margins, in the registry
// under "Valnor\ReportSettings\<section>" or in an INI file section. The section is the name
// given, else the report's title, else its file name; nothing is read or written without one.
// The report's OnLoadReportSetting and OnSaveReportSetting replace this when assigned.
#pragma once

#include "platform/AnsiString.h"

class TVNReport;

// Reads the settings when AutoLoadSaveSetting is on (or calls OnLoadReportSetting).
void LoadReportSetting(TVNReport& report, const AnsiString& section = {});
// Writes them when AutoLoadSaveSetting is on (or calls OnSaveReportSetting).
void SaveReportSetting(TVNReport& report, const AnsiString& section = {});
