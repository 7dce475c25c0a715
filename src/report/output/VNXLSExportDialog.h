// The spreadsheet export's options dialog ("XLS 导出选项") for TVNXLSExport and TVNXLSXExport;
// installed with the window services beside the other export dialogs.
#pragma once

void InstallVNXLSExportDialog();
