// Engine-wide state of the report core: the screen resolution that defines a report pixel, the
// run/design/export mode switches the views consult while painting, the unit conversions, and
// the one place where the engine shows a message.
#pragma once

#include "platform/AnsiString.h"

#include <cstdint>

// Report pixels are screen pixels at this horizontal resolution (96 headless and in tests).
extern int ScreenDPI;

// True while built pages are drawn or a report is built (not in the designer).
extern bool RunMode;
// True while a memo hands its lines to an export filter instead of painting them.
extern bool ExportMode;
// True during the first pass of a double-pass build: nothing is painted then.
extern bool DoublePassFirstPass;

// Millimetres <-> report pixels; 0.03937 is the single-precision inch factor of the formats.
double MMToPixels(double mm);
double PixelsToMM(double px);
double InchesToPixels(double in);

// Whole numbers from arithmetic on stored values: NaN gives 0 and values outside the int range are
// clamped, so damaged files can never overflow the engine's integer geometry.
int ClampToInt(double v);
int ClampToInt(std::int64_t v);
int RoundToIntClamped(double v); // half to even, then clamped
// View geometry is kept within this many report pixels either way (over 4 km on paper): no real
// page comes near it, and within it every sum the band engine makes of positions and sizes fits
// an int, whatever a damaged file or a script put there.
constexpr int VNMaxCoordinate = 1 << 24;
int ClampCoordinate(std::int64_t v);
// Font sizes (points) and line and character spacing (pixels) of texts are kept within this
// range: far beyond any page, small enough that a line height times the lines of any text fits.
constexpr int VNMaxTextMetric = 4096;
int ClampTextMetric(std::int64_t v);
// Page and band columns are kept within this count for the same reason.
constexpr int VNMaxColumns = 64;
// Coordinates of streams before version code 3810 were in other units: one edge converted.
int ConvertOldCoordinate(std::int64_t edge);

// Message boxes of the engine go through the platform's message service (MessageService.h),
// with the engine's own captions.
enum class TVNMessageKind { Information, Warning, Error };
void VNShowMessage(const AnsiString& text, const AnsiString& caption, TVNMessageKind kind);
