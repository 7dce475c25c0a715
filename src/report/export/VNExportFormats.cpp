// The table of export formats.
#include "VNExportFormats.h"

#include "VNGraphicExport.h"
#include "VNPDFExport.h"
#include "VNRTFExport.h"
#include "VNTextExport.h"
#include "VNXLSExport.h"
#include "VNXLSXExport.h"

namespace {

template <class T> std::unique_ptr<TVNExportFilter> Make() { return std::make_unique<T>(); }

} // namespace

const std::vector<TVNExportFormat>& ExportFormats() {
    static const std::vector<TVNExportFormat> formats = {
        {"txt", "txt", &Make<TVNTextExport>},
        {"csv", "csv", &Make<TVNCSVExport>},
        {"pdf", "pdf", &Make<TVNPDFExport>},
        {"bmp", "bmp", &Make<TVNBMPExport>},
        {"jpeg", "jpg", &Make<TVNJPEGExport>},
        {"jpg", "jpg", &Make<TVNJPEGExport>},
        {"emf", "emf", &Make<TVNEMFExport>},
        {"wmf", "wmf", &Make<TVNWMFExport>},
        {"rtf", "rtf", &Make<TVNRTFExport>},
        {"xls", "xls", &Make<TVNXLSExport>},
        {"xlsx", "xlsx", &Make<TVNXLSXExport>},
    };
    return formats;
}

const TVNExportFormat* FindExportFormat(std::string_view name) {
    for (const auto& f : ExportFormats())
        if (f.Name == name) return &f;
    return nullptr;
}

std::string ExportFormatList() {
    std::string list;
    for (const auto& f : ExportFormats()) list += (list.empty() ? "" : ", ") + f.Name;
    return list;
}

std::unique_ptr<TVNExportFilter> MakeExportFilter(std::string_view format,
                                                  const std::vector<std::pair<std::string, std::string>>& options) {
    const TVNExportFormat* fmt = FindExportFormat(format);
    if (!fmt)
        throw EVNExportError("unknown format \"" + std::string(format) + "\"; formats: " + ExportFormatList());
    std::unique_ptr<TVNExportFilter> filter = fmt->Make();
    filter->ShowDialog = false;
    for (const auto& [name, value] : options) filter->SetOption(name, value);
    return filter;
}
