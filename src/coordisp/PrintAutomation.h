// The module's second exported entry, for scripted runs of the host: print, preview or export the
// sheet that the module's form shows, exactly as its print buttons would, without a person at the
// screen. The host looks it up with dlsym under PrintSheetSymbol after the form has loaded a sheet.
//
// The request names the print mode (the radio buttons), the template (the template list's text)
// and what to do: export through one export format into a file (the format's options as
// "NAME=VALUE" texts), print on the report's printer (the print confirmation is taken as OK),
// or show the preview once and save its picture. Texts are UTF-8.
#pragma once

#include <cstddef>

extern "C" {

enum TSheetPrintMode { SheetPrintNormal = 0, SheetPrintTemplate = 1 };
enum TSheetPrintAction { SheetPrintExport = 0, SheetPrintToPrinter = 1, SheetPrintPreviewScreenshot = 2 };

struct TSheetPrintRequest {
    int Mode;                  // TSheetPrintMode
    const char* TemplateName;  // template mode: the name to choose; null or empty: the first one
    int Action;                // TSheetPrintAction
    const char* Format;        // export: "pdf", "xls", "txt", ...
    const char* FileName;      // export: the file; preview screenshot: the PNG file
    const char* const* Options; // export: "NAME=VALUE" texts, ended by a null pointer (or null)
};

// Answers 0 when the report was built and written (or printed, or shown and saved) and its page
// count in *pages; otherwise 1 with the reason in error (at most errorSize bytes, ended by 0).
typedef int (*TPrintSheetProc)(const TSheetPrintRequest* request, int* pages, char* error,
                               std::size_t errorSize);
}

constexpr const char* PrintSheetSymbol = "GusvakPrintSheet";
