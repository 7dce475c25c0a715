// Drawing a memo - background, frame, ruled lines, highlight, text in every rotation with its
// alignment, justification and clipping - and writing it into a built page (suppressing and
// merging repeated values, splitting a memo over pages). Everything goes through ICanvas.
//
// Export mode: while ExportMode is set a memo draws nothing; each text line goes instead to the
// report's export sink, when that sink also implements IVNTextLineSink, with the frame sides that
// line carries (a multi-line memo gives the top side to its first line only and the bottom side
// to its last line only; rotated text carries none).
#pragma once

#include "VNStream.h"

#include "platform/Graphics.h"

class ICanvas;
class TVNView;
class TVNMemoView;

class IVNTextLineSink {
public:
    virtual ~IVNTextLineSink() = default;
    // One drawn line: the memo's text rectangle, the line's position, its text (without 0x01)
    // and its frame bits (1 right, 2 bottom, 4 left, 8 top).
    virtual void TextLine(const TRect& drawRect, int x, int y, TVNView& view, int frameBits,
                          const AnsiString& text) = 0;
};

// The receiver of text lines while the view's report exports (ExportMode and an export sink that
// takes lines), else nullptr. Memos, check boxes and rich text hand their lines to it.
IVNTextLineSink* ExportLineSink(const TVNView& view);

// The frame bits of line `index` of `count` lines, from the memo's sides.
int MemoLineFrameBits(int frameTyp, int index, int count, bool rotated);

// Applies the highlight attributes for this print when the condition holds (not for blank rows).
// The caller keeps and restores Font and FillColor.
void ApplyMemoHighlight(TVNMemoView& memo);

// Draws the lines of Memo1 (already wrapped) onto the canvas at the memo's scaled geometry;
// countOnly measures what fits without drawing. Sets LinesDrawn.
void DrawMemoLines(TVNMemoView& memo, ICanvas& canvas, bool countOnly);
