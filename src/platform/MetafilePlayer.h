// The metafile player: draws an enhanced metafile (EMF) or a Windows metafile (WMF, placeable or
// plain) onto any canvas, scaled into a rectangle, whoever wrote it (our recording canvases or
// another program). Pictures of report views, page backgrounds and the exports all draw
// metafiles through it.
//
// The records a page or a drawing program uses are played: mapping modes with window and
// viewport, the world transform (EMF), pens, brushes, fonts, text (wide and byte text with
// alignment, clipping and advances), lines, rectangles, rounded rectangles, ellipses, polygons
// and poly-polygons, Bézier curves (flattened), paths, bitmaps, saved device contexts and
// rectangular clipping. Records it does not know are skipped.
//
// Damaged input is refused with EPictureError before anything is drawn: every record's size is
// checked against the file, counts against the record that holds them, object indexes against
// the object table the header declares; nothing is allocated beyond what the file's own size
// implies, so bytes of any content give a drawing or an error, never a crash or a runaway.
#pragma once

#include "platform/Canvas.h"
#include "platform/Picture.h"

#include <string_view>

// Whether the bytes start like an enhanced or a Windows metafile.
bool IsMetafileData(std::string_view bytes);

// Plays the metafile into dest on the canvas (clipped to dest). Throws EPictureError for data
// that is not a valid metafile; the canvas's state (font, pen, brush, clip) is restored after.
void PlayMetafile(std::string_view bytes, ICanvas& canvas, const TRect& dest);

// The natural size of a metafile in pixels at 96 per inch ({0, 0} when it names none).
std::pair<int, int> MetafileSize(std::string_view bytes);
