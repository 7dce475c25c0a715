// The 28 line fields of the stocktake sheet, in the order the server returns them: name, type,
// width, grid title, display format, footer kind and how the print copy takes the value. Shared
// by the line data set, its rounded print copy and the grid's columns.
#pragma once

#include "controls/GridColumn.h"
#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"

#include <array>
#include <memory>

struct TSheetField {
    const char* Name;
    bool IsString;
    int Size;              // characters of a string field
    const char* Label;     // UTF-8: the grid title
    const char* CopyLabel; // UTF-8: the label in the print copy when it differs, else nullptr
    const char* Format;    // display format, or ""
    int DisplayWidth;      // characters, 0 = default
    TFooterValueType Footer;
    bool Rounded; // the print copy holds the value rounded with Format
};

constexpr int SheetFieldCount = 28;
extern const std::array<TSheetField, SheetFieldCount> SheetFields;

// Grid column order: the fields' order except that f_Mnbkc comes before f_Mnzkcje.
extern const std::array<int, SheetFieldCount> SheetGridOrder;

// Gives a line data set's fields the sheet's labels, display formats and widths (fields found by
// name; others are left alone).
void ApplySheetFieldDefs(TMemDataSet& lines);

// The line data set's structure, closed (the form's ADS_Main before a record set is attached).
std::shared_ptr<TMemDataSet> MakeSheetLines();

// The rounded print copy's structure (ADS): the copy's own labels, f_Xsdj with an edit format
// instead of a display format.
void DefineSheetCopy(TMemDataSet& copy);

// Rebuilds the print copy from the lines, first to last in the lines' view order: string fields
// as they are, numbers rounded by formatting with their format and reading the text back.
void RebuildSheetCopy(const TMemDataSet& lines, TMemDataSet& copy);
