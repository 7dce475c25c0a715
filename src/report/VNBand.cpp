// Run-time bands: creation from a band view and the data set range they override and restore.
#include "VNBand.h"

#include "expr/VNDataset.h"

TVNBand::~TVNBand() {
    ReleaseDataSet();
    if (View && View->RuntimeBand == this) View->RuntimeBand = nullptr;
}

std::unique_ptr<TVNBand> TVNBand::FromView(TVNBandView& view, TVNPage* page) {
    auto band = std::make_unique<TVNBand>();
    band->Type = view.BandType();
    band->Page = page;
    band->View = &view;
    band->Y = view.Top;
    band->Height = view.Height;
    if (band->IsCrossBand()) {
        band->X = view.Left;
        band->Width = view.Width;
    }
    band->Stretched = view.Flags & bfStretched;
    band->FormNewPage = view.Flags & bfFormNewPage;
    band->PrintIfSubsetEmpty = view.Flags & bfPrintIfSubsetEmpty;
    band->PrintChildIfInvisible = view.Flags & bfPrintChildIfInvisible;
    band->AutoAppendBlank = view.Flags & bfAutoAppendBlank;
    band->LinesPerPage = view.LinesPerPage;
    band->GroupCondition = view.BandType() == bkGroupHeader ? view.FormatText : AnsiString();
    band->NewPageCondition = view.Tag;
    view.RuntimeBand = band.get();
    return band;
}

void TVNBand::SetDataSet(TVNDataset* dataset, bool owned) {
    DataSet = dataset;
    OwnsDataSet = owned;
    RangeOverridden = false;
    if (!dataset || !View) return;
    SavedRangeBegin = dataset->RangeBegin;
    SavedRangeEnd = dataset->RangeEnd;
    SavedRangeEndCount = dataset->RangeEndCount;
    if (View->RangeBegin < 2) {
        dataset->RangeBegin = TVNRangeBegin(View->RangeBegin);
        RangeOverridden = true;
    }
    if (View->RangeEnd < 3) {
        dataset->RangeEnd = TVNRangeEnd(View->RangeEnd);
        RangeOverridden = true;
    }
    if (View->RangeEndCount > 0) {
        dataset->RangeEndCount = View->RangeEndCount;
        RangeOverridden = true;
    }
}

void TVNBand::ReleaseDataSet() {
    if (!DataSet) return;
    if (RangeOverridden) {
        DataSet->RangeBegin = TVNRangeBegin(SavedRangeBegin);
        DataSet->RangeEnd = TVNRangeEnd(SavedRangeEnd);
        DataSet->RangeEndCount = SavedRangeEndCount;
    }
    try {
        DataSet->Close();
    } catch (...) {
        // Closing never stops the release: the band still lets go of its data set.
    }
    if (OwnsDataSet) delete DataSet;
    DataSet = nullptr;
    OwnsDataSet = false;
    RangeOverridden = false;
}
