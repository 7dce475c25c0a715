// The options dialogs of the export filters on Qt Widgets: text ("文本导出选项"), CSV
// ("CSV 导出选项"), bitmap ("BMP 图片导出选项"), JPEG ("Jpeg 图片导出选项") and metafiles
// ("Metafile导出选项"). InstallVNExportDialogs makes them the engine's export dialog handler
// (also done by InstallVNQtWindowServices); a filter without a dialog of its own goes on as OK.
// Other filters add theirs with RegisterVNExportDialog under their class name.
#pragma once

#include "report/export/VNExportFilter.h"

#include <functional>

class QWidget;

// Shows the filter's dialog modally and answers its result (1 = OK).
using TVNExportDialogFunction = std::function<int(TVNExportFilter& filter, QWidget* parent)>;
void RegisterVNExportDialog(const char* className, TVNExportDialogFunction dialog);
void InstallVNExportDialogs();
