// The engine's process-wide state in one place: the resolution that defines a report pixel and
// the mode switches that views, memos and the parser consult while they paint, measure or build.
//
// The state is process-wide because a page drawn anywhere (preview, printer, export, a test)
// must look the same: it is read deep inside painting code that has no report at hand. Whoever
// changes a switch for a while (a build, an export, drawing one page) does so through
// TScopedValue, so that the old value comes back on every exit path, exceptions included:
//   TScopedValue running(VNState().RunMode, true);
#pragma once

#include "platform/ScopedValue.h"

class TVNBuildEngine;

struct TVNEngineState {
    // Report pixels are screen pixels at this horizontal resolution (96 headless and in tests).
    int ScreenDPI = 96;
    // True while built pages are drawn or a report is built (not in the designer).
    bool RunMode = false;
    // True while a memo hands its lines to an export filter instead of painting them.
    bool ExportMode = false;
    // True during the first pass of a double-pass build: nothing is painted then.
    bool DoublePassFirstPass = false;
    // True while bands are measured: the parser's bracket search then yields empty expressions,
    // so measuring never evaluates them.
    bool BracketMeasuring = false;
    // The band engine that is building right now (innermost of nested builds), if any.
    TVNBuildEngine* CurrentEngine = nullptr;
};

TVNEngineState& VNState();
