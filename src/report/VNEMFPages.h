// TVNEMFPages: the prepared pages store. Every built page is a compact byte stream of view
// records (the printed variant, holding the evaluated text); a page is decoded into view objects
// only to be drawn, hit-tested or edited, and the objects are dropped when the page leaves the
// screen. The store also keeps the background pictures and reads and writes ".vnp" files.
//
// Page stream: byte 43, then per view: byte type code, [str class name for type 10], the view
// record written with IsPrinting set. No page index and no end positions.
#pragma once

#include "VNPage.h"
#include "VNPageStoreOwner.h"
#include "VNPaper.h"
#include "VNPicture.h"
#include "VNStream.h"

#include "platform/Graphics.h"

#include <functional>
#include <memory>
#include <vector>

class ICanvas;
class TVNReport;

struct TVNPreparedPage {
    TRect PreviewRect;
    std::int16_t PaperSize = 0;
    std::int32_t PaperWidth = 0, PaperHeight = 0; // tenths of mm
    std::uint8_t Orientation = 0;
    std::int32_t Bin = 0;
    TRect Margins; // printable rectangle of the design page, report pixels
    TVNPrinterMetrics Metrics;
    std::uint8_t Visible = 0;
    std::unique_ptr<TVNStream> PageStream;
    std::unique_ptr<TVNPage> DecodedPage;
    std::uint8_t BackgroundIndex = 255;
    std::uint8_t DesignPageNo = 0;
};

struct TVNBkPicture {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    TVNPicture Picture;
};

// Replaceable compression of page data in ".vnp" files. The plain instance does nothing and is
// disabled; files are compressed only when an enabled compressor is installed.
class TVNCompressor {
public:
    virtual ~TVNCompressor() = default;
    bool Enabled = false;
    virtual void Compress(const std::string& source, std::string& target) { (void)source, target.clear(); }
    virtual void Decompress(const std::string& source, std::string& target) { (void)source, target.clear(); }
};
TVNCompressor& VNCompressor();
bool VNCompressorInstalled();
// Installs a compressor (not owned); nullptr restores the plain one.
void SetVNCompressor(TVNCompressor* compressor);

// What DrawPage draws onto.
enum class TVNDrawTarget { Screen, Printer, Metafile };

class TVNEMFPages {
public:
    explicit TVNEMFPages(IVNPageStoreOwner* owner) : FOwner(owner) {}
    ~TVNEMFPages();

    int Count() const { return int(FPages.size()); }
    TVNPreparedPage& Page(int index) { return *FPages.at(std::size_t(index)); }

    // True when the pages came from a prepared report file rather than a build of the design
    // (the preview then offers no page setup, which would rebuild the design).
    bool LoadedFromFile() const { return FLoadedFromFile; }

    std::function<void()> OnClear;
    void Clear();
    // Frees everything regardless of OnClear.
    void ClearAll();

    void AddBackground(int left, int top, const TVNPicture& picture, int width, int height);
    int BackgroundCount() const { return int(FBackgrounds.size()); }
    const TVNBkPicture* Background(int index) const;

    // Appends a record made from a design page, with a page stream holding the version byte.
    TVNPreparedPage& AddPage(TVNPage& designPage);
    void InsertPage(int index, const TVNPreparedPage& record);
    void DeletePage(int index);
    // Appends a view to the stream of the last page, the way the band engine writes them.
    void WriteView(TVNView& view);

    void DecodePage(int index);
    void EncodePage(int index);
    // Draws onto canvas scaled into rect; clip (screen targets) lets views outside be skipped.
    void DrawPage(int index, ICanvas& canvas, const TRect& rect, TVNDrawTarget target = TVNDrawTarget::Screen,
                  const TRect* clip = nullptr);
    void ExportPage(int index);
    // Offers a click (OnObjectClick) or the mouse resting (OnMouseOverObject, which may set
    // *cursor) to the topmost view at the point; true when a handler was called.
    bool HitTest(int index, TPoint point, bool forClick, int* cursor = nullptr);

    // ".vnp": false (after the message) when the data is not a prepared report.
    void SaveToStream(TVNStream& s);
    bool LoadFromStream(TVNStream& s);
    bool AppendFromStream(TVNStream& s);

private:
    // Reads the views of one page stream; creates each, reads it as printed, hands it to fn.
    void ForEachStreamView(TVNStream& s, const std::function<void(std::unique_ptr<TVNView>)>& fn);
    bool ReadFile(TVNStream& s);
    IVNPageStoreOwner* FOwner;
    std::vector<std::unique_ptr<TVNPreparedPage>> FPages;
    std::vector<std::unique_ptr<TVNBkPicture>> FBackgrounds;
    int FCurrentBackground = -1;
    bool FLoadedFromFile = false; // the entry the last AddBackground named; -1: the last entry
};
