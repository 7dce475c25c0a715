// The export formats by short name ("txt", "csv", ...): one table that the command line and the
// window side use to make a filter of a format. A new filter adds its row here.
#pragma once

#include "VNExportFilter.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TVNExportFormat {
    std::string Name;      // as given to `--format`, also the usual file extension
    std::string Extension; // of the files written
    std::unique_ptr<TVNExportFilter> (*Make)();
};

const std::vector<TVNExportFormat>& ExportFormats();
// nullptr for an unknown name.
const TVNExportFormat* FindExportFormat(std::string_view name);
// "txt, csv, ..." for messages.
std::string ExportFormatList();
