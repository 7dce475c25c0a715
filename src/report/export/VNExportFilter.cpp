// The filter base, its registry, the option readers and the installed dialog and raster hooks.
#include "VNExportFilter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::vector<TVNExportFilterInfo>& Registry() {
    static std::vector<TVNExportFilterInfo> registry;
    return registry;
}

TVNExportDialogHandler& DialogHandler() {
    static TVNExportDialogHandler handler;
    return handler;
}

TVNRasterSurfaceFactory& RasterFactory() {
    static TVNRasterSurfaceFactory factory;
    return factory;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

TVNExportFilter::~TVNExportFilter() { UnregisterExportFilter(this); }

int TVNExportFilter::ShowModal() {
    if (!ShowDialog || !DialogHandler()) return 1;
    return DialogHandler()(*this);
}

void TVNExportFilter::SetOption(const std::string& name, const std::string& value) {
    (void)value;
    UnknownOption(name);
}

void TVNExportFilter::UnknownOption(const std::string& name) const {
    std::string known;
    for (const auto& o : Options()) known += (known.empty() ? "" : ", ") + o.Name;
    throw EVNExportError("unknown option \"" + name + "\"; this format has: " +
                         (known.empty() ? std::string("none") : known));
}

double ParseExportNumber(const std::string& name, const std::string& value) {
    std::string t = Trim(value);
    std::replace(t.begin(), t.end(), ',', '.');
    char* end = nullptr;
    const double d = t.empty() ? 0 : std::strtod(t.c_str(), &end);
    if (t.empty() || *end != '\0' || !std::isfinite(d))
        throw EVNExportError("option " + name + ": \"" + value + "\" is not a number");
    return d;
}

bool ParseExportBool(const std::string& name, const std::string& value) {
    const std::string t = Lower(Trim(value));
    if (t == "1" || t == "true" || t == "yes" || t == "on") return true;
    if (t == "0" || t == "false" || t == "no" || t == "off") return false;
    throw EVNExportError("option " + name + ": \"" + value + "\" is not true or false");
}

std::string FormatExportNumber(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", value);
    return buf;
}

// ---- registry -----------------------------------------------------------------------------------

void RegisterExportFilter(TVNExportFilter* filter, const AnsiString& description, const std::string& mask) {
    if (!filter) return;
    auto& r = Registry();
    const std::string cls = filter->ClassName();
    for (const auto& info : r)
        if (cls == info.Filter->ClassName()) return;
    r.push_back(TVNExportFilterInfo{filter, description, mask});
}

void UnregisterExportFilter(TVNExportFilter* filter) {
    // By instance: a second instance of a class that was never registered must not take the
    // first instance's entry with it when it goes.
    auto& r = Registry();
    r.erase(std::remove_if(r.begin(), r.end(), [filter](const TVNExportFilterInfo& i) { return i.Filter == filter; }),
            r.end());
}

int ExportFilterCount() { return int(Registry().size()); }

const TVNExportFilterInfo& ExportFilter(int index) { return Registry().at(std::size_t(index)); }

TVNExportFilter* FindExportFilterByExtension(std::string_view extension) {
    const std::string mask = "*." + Lower(std::string(extension));
    for (const auto& info : Registry())
        if (Lower(info.Mask) == mask) return info.Filter;
    return nullptr;
}

void SetVNExportDialogHandler(TVNExportDialogHandler handler) { DialogHandler() = std::move(handler); }

// ---- raster surfaces ----------------------------------------------------------------------------

void SetVNRasterSurfaceFactory(TVNRasterSurfaceFactory factory) { RasterFactory() = std::move(factory); }

std::unique_ptr<IVNRasterSurface> CreateVNRasterSurface(int width, int height) {
    if (!RasterFactory() || width <= 0 || height <= 0 ||
        std::int64_t(width) * std::int64_t(height) > MaxPicturePixels)
        return nullptr;
    return RasterFactory()(width, height);
}
