// The band engine's printer for the two kinds of output that leave its top-to-bottom flow:
// cross-tabs, where the cross header, cross data and cross footer bands cut every horizontal band
// into slices side by side (the cross data slice once per record of its data set, continuing on
// the following built pages when the slices pass the right edge), and subreports, where a view
// prints the bands of another design page at its place inside the band that holds it, side by
// side with the other subreports of that band and across page breaks of the outer page.
//
// Cross-tab cells are written in VNCrossTab.cpp, subreport pages recorded and replayed in
// VNSubReport.cpp. The engine reaches both through IVNBandExtras; this printer is the one installed
// unless a program installs another.
#pragma once

#include "VNBuildEngine.h"

class TVNCrossTabPrinter : public IVNBandExtras {
public:
    void PrintCells(TVNBuildEngine& engine, TVNBand* band) override;
    bool PrintSubReports(TVNBuildEngine& engine, TVNBand* band) override;
    int MeasureCells(TVNBuildEngine& engine, TVNBand* band) override;

    // The printer installed when a program installs none.
    static TVNCrossTabPrinter& Default();
};
