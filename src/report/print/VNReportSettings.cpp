// The per-report print settings in the registry or an INI file. Margins are written in
// thousandths of a millimetre and flagged by NewFlag; settings from before the flag hold report
// pixels and are read as such.
#include "VNReportSettings.h"

#include "report/VNEngine.h"
#include "report/VNReport.h"

#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/Registry.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

AnsiString SectionOf(const TVNReport& report, const AnsiString& given) {
    if (!given.empty()) return given;
    if (!report.ReportInfo.Title.empty()) return report.ReportInfo.Title;
    const auto slash = report.FileName.find_last_of("/\\");
    return slash == AnsiString::npos ? report.FileName : report.FileName.substr(slash + 1);
}

// One section of either store.
class TSettingsStore {
public:
    TSettingsStore(const TVNReport& report, const AnsiString& section) : FSection(section) {
        const TVNSaveReportOptions& o = report.SaveReportOptions;
        if (o.UseRegistry)
            FKey = o.RegistryPath + (o.RegistryPath.empty() || o.RegistryPath.back() == '\\' ? "" : "\\") + section;
        else
            FIni = std::make_unique<TIniFile>(AnsiToUtf8(o.IniFileName));
    }
    bool Exists() const {
        if (FIni) return FIni->SectionExists(FSection);
        return TRegistry().KeyExists(FKey);
    }
    int ReadInteger(const char* name, int def) const {
        if (FIni) return FIni->ReadInteger(FSection, name, def);
        TRegistry r;
        if (!r.OpenKeyReadOnly(FKey) || !r.ValueExists(name)) return def;
        try {
            return r.ReadInteger(name);
        } catch (const ERegistryException&) {
            return def;
        }
    }
    bool ReadBool(const char* name, bool def) const { return ReadInteger(name, def ? 1 : 0) != 0; }
    // Writes every value in one go (one file replacement per store, not per value).
    void Write(const std::vector<std::pair<AnsiString, int>>& values, const std::vector<AnsiString>& bools) {
        if (FIni) {
            for (auto& [name, v] : values)
                std::find(bools.begin(), bools.end(), name) != bools.end() ? FIni->WriteBool(FSection, name, v != 0)
                                                                           : FIni->WriteInteger(FSection, name, v);
            return;
        }
        TRegistry r;
        if (!r.OpenKey(FKey, true)) return;
        for (auto& [name, v] : values)
            std::find(bools.begin(), bools.end(), name) != bools.end() ? r.WriteBool(name, v != 0)
                                                                       : r.WriteInteger(name, v);
    }
    bool Registry() const { return !FIni; }

private:
    AnsiString FSection, FKey;
    std::unique_ptr<TIniFile> FIni;
};

AnsiString PageKey(int page, const char* margin) {
    return "Page_" + IntToStr(page) + "_" + margin + "Margin";
}

} // namespace

void LoadReportSetting(TVNReport& report, const AnsiString& section) {
    if (report.OnLoadReportSetting) {
        report.OnLoadReportSetting(&report);
        return;
    }
    if (!report.SaveReportOptions.AutoLoadSaveSetting) return;
    const AnsiString name = SectionOf(report, section);
    if (name.empty()) return;
    try {
        TSettingsStore store(report, name);
        if (!store.Exists()) return;
        report.taodaDefault = store.ReadBool("taoda", report.taodaDefault);
        report.PrintOffsetTop = store.ReadInteger("PrintOffsetTop", 0);
        report.PrintOffsetLeft = store.ReadInteger("PrintOffsetLeft", 0);
        report.PrintBackColor = store.ReadBool("PrintBackColor", report.PrintBackColor);
        report.DoublePass = store.ReadBool("DoublePass", report.DoublePass);
        const bool newFlag = store.ReadBool("NewFlag", false);
        const int last = std::min(store.ReadInteger("PageCount", -1), report.Pages.Count() - 1);
        for (int n = 0; n <= last; ++n) {
            TVNPage& page = report.Pages[n];
            const int l = store.ReadInteger(PageKey(n, "Left").c_str(), 0);
            const int t = store.ReadInteger(PageKey(n, "Top").c_str(), 0);
            const int r = store.ReadInteger(PageKey(n, "Right").c_str(), 0);
            const int b = store.ReadInteger(PageKey(n, "Bottom").c_str(), 0);
            if (newFlag) {
                // Left and top go through the setters, which move the page's views with them.
                page.SetLeftMarginPx(MMToPixels(l / 1000.0));
                page.SetTopMarginPx(MMToPixels(t / 1000.0));
                page.LeftMargin = l;
                page.TopMargin = t;
                page.RightMargin = r;
                page.BottomMargin = b;
            } else
                page.SetMarginsPx(l, t, r, b);
        }
    } catch (const std::exception&) {
        // Unreadable settings leave the report as it was loaded.
    }
}

void SaveReportSetting(TVNReport& report, const AnsiString& section) {
    if (report.OnSaveReportSetting) {
        report.OnSaveReportSetting(&report);
        return;
    }
    if (!report.SaveReportOptions.AutoLoadSaveSetting) return;
    const AnsiString name = SectionOf(report, section);
    if (name.empty()) return;
    TSettingsStore store(report, name);
    std::vector<std::pair<AnsiString, int>> values = {
        {"taoda", report.taodaDefault},     {"PrintOffsetTop", report.PrintOffsetTop},
        {"PrintOffsetLeft", report.PrintOffsetLeft}, {"PrintBackColor", report.PrintBackColor},
        {"DoublePass", report.DoublePass},  {"NewFlag", 1},
        {"PageCount", report.Pages.Count()}};
    if (store.Registry()) values.push_back({"Count", report.Pages.Count()});
    for (int n = 0; n < report.Pages.Count(); ++n) {
        const TVNPage& page = report.Pages[n];
        values.push_back({PageKey(n, "Left"), page.LeftMargin});
        values.push_back({PageKey(n, "Top"), page.TopMargin});
        values.push_back({PageKey(n, "Right"), page.RightMargin});
        values.push_back({PageKey(n, "Bottom"), page.BottomMargin});
    }
    store.Write(values, {"taoda", "PrintBackColor", "DoublePass", "NewFlag"});
}
