// Engine-wide helpers of the report core: the unit conversions, the clamps that keep damaged
// values within the engine's integer geometry, and the one place where the engine shows a
// message. The engine's mutable state is in VNEngineState.h.
#pragma once

#include "VNEngineState.h"
#include "platform/AnsiString.h"

#include <cstdint>

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
