// Per-report print settings: written and read back through the registry and through an INI
// file, margins in thousandths of a millimetre moving the page's views, settings from before
// NewFlag read as report pixels, and nothing read or written without a section or the switch.
#include "report/VNReport.h"
#include "report/VNView.h"
#include "report/print/VNReportSettings.h"

#include "platform/IniFile.h"
#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TSettingsDir {
    fs::path Path = fs::temp_directory_path() / ("vnsettings-" + std::to_string(::getpid()));
    std::string OldConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    TSettingsDir() {
        fs::create_directories(Path);
        setenv("XDG_CONFIG_HOME", Path.c_str(), 1);
    }
    ~TSettingsDir() {
        OldConfig.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", OldConfig.c_str(), 1);
        fs::remove_all(Path);
    }
};

void Configure(TVNReport& r, bool registry, const fs::path& ini) {
    r.ReportInfo.Title = "Sheet";
    r.SaveReportOptions.AutoLoadSaveSetting = true;
    r.SaveReportOptions.UseRegistry = registry;
    r.SaveReportOptions.IniFileName = ini.string();
    r.Pages.Add();
}

} // namespace

TEST(ReportSettings, WrittenAndReadBackThroughRegistryAndIniFile) {
    for (bool registry : {true, false}) {
        TSettingsDir dir;
        TVNReport a;
        Configure(a, registry, dir.Path / "print.ini");
        a.taodaDefault = true;
        a.PrintOffsetTop = 12;
        a.PrintOffsetLeft = -4;
        a.DoublePass = true;
        a.Pages[0].LeftMargin = 25000;
        a.Pages[0].BottomMargin = 7500;
        SaveReportSetting(a);

        TVNReport b;
        Configure(b, registry, dir.Path / "print.ini");
        auto* v = new TVNView;
        v->Left = 100;
        b.Pages[0].Add(v);
        LoadReportSetting(b);
        EXPECT_TRUE(b.taodaDefault) << registry;
        EXPECT_EQ(b.PrintOffsetTop, 12);
        EXPECT_EQ(b.PrintOffsetLeft, -4);
        EXPECT_TRUE(b.DoublePass);
        EXPECT_EQ(b.Pages[0].LeftMargin, 25000);
        EXPECT_EQ(b.Pages[0].BottomMargin, 7500);
        // The left margin went from 15 mm (57 px) to 25 mm (94 px): the view moved with it.
        EXPECT_EQ(v->Left, 100 + 94 - 57);
    }
}

TEST(ReportSettings, OldSettingsHoldPixelsAndNothingHappensWithoutTheSwitch) {
    TSettingsDir dir;
    const fs::path ini = dir.Path / "old.ini";
    {
        TIniFile f(ini.string());
        f.WriteInteger("Sheet", "PageCount", 1);
        f.WriteInteger("Sheet", "Page_0_LeftMargin", 38); // report pixels: 10 mm
        f.WriteInteger("Sheet", "PrintOffsetTop", 5);
    }
    TVNReport r;
    Configure(r, false, ini);
    LoadReportSetting(r);
    EXPECT_NEAR(r.Pages[0].LeftMargin, 10000, 60);
    EXPECT_EQ(r.PrintOffsetTop, 5);

    TVNReport off;
    Configure(off, false, ini);
    off.SaveReportOptions.AutoLoadSaveSetting = false;
    LoadReportSetting(off);
    EXPECT_EQ(off.PrintOffsetTop, 0);
    SaveReportSetting(off); // writes nothing
    EXPECT_EQ(TIniFile(ini.string()).ReadInteger("Sheet", "NewFlag", -1), -1);
}
