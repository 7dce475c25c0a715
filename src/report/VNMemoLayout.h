// Memo text layout: breaking a memo's evaluated lines into output lines and measuring them.
//
// Everything here is measured through ICanvas, never through a toolkit, so the engine core stays
// free of Qt and the tests run on the fixed-metrics canvas. Text is CP936: a double-byte
// character is never split. Every output line ends with one 0x01 byte; a stored text that holds
// 0x01 bytes is already wrapped and is copied line by line instead of being wrapped again.
//
// Word wrap cuts a line into pieces (a run of single-byte characters up to and including a space
// or "-", or one double-byte character) and fills output lines with whole pieces; a piece wider
// than the line is cut between characters. With WordBreak a piece followed by a closing mark
// ("，", "。", "）" ...) that would be left to start the next line alone moves down with it.
#pragma once

#include "VNStream.h"

#include "platform/Graphics.h"

#include <string_view>

class ICanvas;
class TVNMemoView;
class TVNView;

constexpr char VNLineEnd = '\x01';

enum TVNRotation : std::uint8_t { rtNone = 0, rt90 = 1, rt180 = 2, rt270 = 3, rt360 = 4 };

// The shared scratch canvas memos are measured on when no printer metrics apply. Until a toolkit
// installs its own (vnreport installs a Qt canvas on an image), a fixed-metrics canvas at 96 dpi.
ICanvas& VNMeasureCanvas();
void SetVNMeasureCanvas(ICanvas* canvas); // not owned; nullptr restores the default

// Measuring with printer metrics: when Canvas is set, word-wrapped memos are measured there, at
// these scale factors from report pixels to the printer's pixels.
struct TVNPrinterMeasure {
    ICanvas* Canvas = nullptr;
    double ScaleX = 1.0, ScaleY = 1.0;
};
TVNPrinterMeasure& VNPrinterMeasure();

// True when the double-byte character at `at` is one of the marks that must not start a line.
bool IsLineStartForbidden(std::string_view text, std::size_t at);

// The small font of MangeTag text ("~" and "_"): half the size, at least 6 points.
TFontSpec MangeSmallFont(const TFontSpec& font);
// Text width with the MangeTag control characters "~", "_" and "|" switching between the normal
// and the small font; the controls themselves are not measured. The canvas keeps its font.
int MangeTextWidth(ICanvas& canvas, std::string_view text);
// Characters of a line as drawn: double-byte characters count once, 0x01 and (with mangeTag)
// the control characters not at all.
int DrawnCharCount(std::string_view text, bool mangeTag);
// The line without its 0x01 bytes.
AnsiString StripLineEnds(std::string_view text);

struct TVNWrapOptions {
    int Width = 0; // usable length along a line, pixels
    bool WordWrap = false;
    bool WordBreak = false;
    bool MangeTag = false;
    bool PreWrapped = false;      // copy lines as they are
    bool Stacked = false;         // rt180: a piece is as long as the sum of its characters' heights
    bool KeepBracketLine = false; // designer: a single "[..." line wider than the width stays whole
};

// Wraps `lines` on the canvas (font and character spacing already set) and appends the output
// lines, each with its 0x01 terminator, to `out`.
void WrapLines(ICanvas& canvas, const TVNStrings& lines, const TVNWrapOptions& options, TVNStrings& out);

// The memo's text rectangle for the current (scaled) geometry: InnerRect with left + 1,
// right - 2, bottom - 1.
TRect MemoTextRect(const TVNMemoView& memo);
// The measuring font height (negative: an em height) for a size in points at a scale.
int MemoFontHeight(int size, double scale);
// The frame allowance of the top and bottom sides: half a visible side, twice more for a double
// (every stretcheable view measures its height with it).
int MemoFrameAllowance(const TVNView& view);

// Wraps memo.Memo1 for the memo's current geometry (after ScaleForPaint): chooses the measuring
// canvas, scales the font down by width when asked, and leaves the output lines in `out`,
// TextHeight and LineHeight in the memo.
void WrapMemo(TVNMemoView& memo, TVNStrings& out);
