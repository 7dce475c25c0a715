// The raster surface the export filters draw pages onto, on a Qt image: a white RGB32 QImage at
// 96 dpi with a TQtCanvas on it, the same canvas and resolution the preview draws with.
#pragma once

#include "report/export/VNExportFilter.h"

// Installs the Qt raster surfaces as the engine's; needs a Qt GUI application while used.
void InstallVNQtRasterSurfaces();
