// The export formats by short name ("txt", "csv", ...): one table that the command line and the
// window side use to make a filter of a format. A new filter adds its row here.
#pragma once

#include "VNExportFilter.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
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

// A filter of the named format with the given options (NAME, VALUE) set and its dialog off, the
// way a command line or an automated run writes a report. Throws EVNExportError for an unknown
// format (naming the formats there are) or an option the filter cannot take.
std::unique_ptr<TVNExportFilter> MakeExportFilter(std::string_view format,
                                                  const std::vector<std::pair<std::string, std::string>>& options);
