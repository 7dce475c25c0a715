// What every control printer makes its views from: field references, display formats taken from
// a field, fonts and colours taken from widgets, frames, and the memo cells of the grid printers.
#pragma once

#include "platform/Graphics.h"
#include "platform/MemDataSet.h"

#include <QColor>
#include <QFont>

#include <vector>

class QHeaderView;

class TVNMemoView;
struct TVNFrameLine;
class TVNView;

// "[Owner.DataSet.\"Field\"]": how a cell names a data field (the report resolves it through the
// dictionary as a field reference).
AnsiString FieldReference(const AnsiString& owner, const AnsiString& dataSet, const AnsiString& field);

// The cell's format code from the field's type when the field has a display format: boolean,
// date and date-time, time, other numbers; text fields get none.
void SetFormatFromField(TVNView& view, const TField& field);

TColor ToTColor(const QColor& color);
// A widget font as a report font (points, style bits, the Chinese character set).
TFontSpec ToFontSpec(const QFont& font, const QColor& color = Qt::black);
// Applies a font to a memo; keepColor: the memo keeps its own font colour.
void ApplyFont(TVNMemoView& memo, const TFontSpec& font, bool keepColor);

// All four frame lines on or off; a width for the ones switched on.
void SetAllFrames(TVNView& view, bool on);

// A 2-pixel frame line (the double frame's outer edge).
void WideFrameLine(TVNFrameLine& line);
// The double frame's line under a grid cell: only its top side shows, 2 pixels wide.
TVNView* DoubleFrameBottomLine(int left, int top, int width, bool stretched);

// The sections a header shows, in the order it shows them (hidden ones left out).
std::vector<int> VisibleSections(const QHeaderView& header);
// The text height of the letter "a" in a font, measured on the screen: the unit of the row number
// column's width and of the list view's rows.
int LetterHeight(const QFont& font);

// Alignment of a memo from Qt alignment flags (left, right, centre).
int MemoAlignment(Qt::Alignment alignment);
