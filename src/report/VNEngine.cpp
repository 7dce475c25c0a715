// Engine-wide switches, unit conversions and the message service of the report core.
#include "VNEngine.h"

#include "platform/Locale.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cmath>
#include <limits>

TVNEngineState& VNState() {
    static TVNEngineState state;
    return state;
}

static constexpr float InchPerMM = 0.03937f;

double MMToPixels(double mm) {
    return mm * VNState().ScreenDPI * double(InchPerMM);
}
double PixelsToMM(double px) {
    return px / VNState().ScreenDPI / double(InchPerMM);
}
double InchesToPixels(double in) {
    return in * VNState().ScreenDPI;
}

int ClampToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return int(v);
}

int ClampToInt(std::int64_t v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return int(v);
}

int ClampCoordinate(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, -VNMaxCoordinate, VNMaxCoordinate));
}

int ClampTextMetric(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, -VNMaxTextMetric, VNMaxTextMetric));
}

int RoundToIntClamped(double v) {
    return ClampToInt(std::isfinite(v) ? RoundHalfEven(v) : v);
}

int ConvertOldCoordinate(std::int64_t edge) {
    double step = RoundHalfEven(double(edge) * 50.0 / 18.0);
    return RoundToIntClamped(step * 96.0 / 254.0);
}

void VNShowMessage(const AnsiString& text, const AnsiString& caption, TVNMessageKind kind) {
    TMsgIcon icon = kind == TVNMessageKind::Error     ? TMsgIcon::Error
                    : kind == TVNMessageKind::Warning ? TMsgIcon::Warning
                                                      : TMsgIcon::Information;
    Messages().ShowMessage(text, caption, icon, TMsgButtons::OK);
}
