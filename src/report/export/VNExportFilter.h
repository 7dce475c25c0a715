// Export filters: the base class every filter derives from, the process-wide registry the save
// dialogs and `vnreport export` read, and the raster surface a filter draws pages onto when a
// page must become pixels.
//
// A filter receives the report's export sequence (TVNReport::ExportBuiltReport): begin document,
// then per page begin page, one OnData per object, one OnText per text line of every text object,
// end page, and finally end document. Output goes to Stream, which writes a temporary file beside
// the chosen one as the pages come; the report puts it in place only once the document is
// complete, so a failed export never leaves a half-written file behind.
#pragma once

#include "report/VNMemoPaint.h"
#include "report/VNReport.h"

#include "platform/AnsiString.h"
#include "platform/AtomicFile.h"
#include "platform/Graphics.h"
#include "platform/Picture.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class ICanvas;
class TVNView;

// Raised by a filter for a file or option it cannot use; ends the export.
class EVNExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of one output file while it is written (no copy of the file is kept in memory).
class TVNExportStream {
public:
    explicit TVNExportStream(const std::string& fileName) : FFile(fileName) {}
    void Write(std::string_view bytes) { FFile.Write(bytes); }
    std::int64_t Size() const { return FFile.Size(); }
    // The file appears at its name complete; a stream dropped without this leaves nothing.
    void Commit() { FFile.Commit(); }

private:
    TAtomicFileWriter FFile;
};

// Options a filter offers by name, shared by its dialog and `--option NAME=VALUE`.
struct TVNExportOption {
    std::string Name;  // as on the command line, e.g. "ScaleX"
    std::string Value; // current value as text
    std::string Help;  // one line: type and meaning
};

class TVNExportFilter : public IVNExportSink, public IVNTextLineSink {
public:
    TVNExportFilter() = default;
    ~TVNExportFilter() override; // leaves the registry
    TVNExportFilter(const TVNExportFilter&) = delete;
    TVNExportFilter& operator=(const TVNExportFilter&) = delete;

    virtual const char* ClassName() const { return "TVNExportFilter"; }
    // Whether the filter reads the pages' objects (OnData, OnText). Filters that only draw whole
    // pages answer false, and the report then skips the per-object calls.
    virtual bool WantsObjects() const { return true; }

    // Published.
    bool ShowDialog = true;
    std::function<void(std::string& fileName, bool& cont)> OnBeforeExport;
    std::function<void(const std::string& fileName)> OnAfterExport;

    // The target file (a path as the file system spells it), set by the report before the
    // dialog; the dialog may change it.
    std::string FileName;
    // The output of the file being written; valid from OnBeginDoc to OnEndDoc.
    TVNExportStream* Stream = nullptr;
    // Marks the spreadsheet filter (the preview's save-as-spreadsheet button); the main filter
    // then skips line objects.
    bool IsSpreadsheet = false;
    // The report being exported, valid during the sequence.
    TVNReport* Report = nullptr;

    // The options dialog; answers the modal result (mrOk = 1). The base answers OK. The Qt side
    // installs the dialogs (SetVNExportDialogHandler); without one the options stay as they are.
    virtual int ShowModal();
    virtual void OnBeginDoc() {}
    virtual void OnEndDoc() {}
    virtual void OnBeginPage() {}
    virtual void OnEndPage() {}
    // One call per object of the page; x, y: its position on the page in report pixels.
    virtual void OnData(int x, int y, TVNView& view) { (void)x, (void)y, (void)view; }
    // One call per text line: the object's rectangle, the line's position, its frame bits
    // (1 right, 2 bottom, 4 left, 8 top) and its text.
    virtual void OnText(const TRect& drawRect, int x, TVNView& view, int frameFlags, const AnsiString& text, int y) {
        (void)drawRect, (void)x, (void)view, (void)frameFlags, (void)text, (void)y;
    }

    // Options by name (for the command line and tests). SetOption throws EVNExportError for an
    // unknown name or a value that cannot be read.
    virtual std::vector<TVNExportOption> Options() const { return {}; }
    virtual void SetOption(const std::string& name, const std::string& value);

    // Index of the page being exported (0-based) and the report's page count.
    int ExportPageIndex = 0;

protected:
    // Rejects an unknown option name with the list of names this filter has.
    [[noreturn]] void UnknownOption(const std::string& name) const;

private:
    void ViewPrinted(TVNView& view, int left, int top) final { OnData(left, top, view); }
    void TextLine(const TRect& drawRect, int x, int y, TVNView& view, int frameBits, const AnsiString& text) final {
        OnText(drawRect, x, view, frameBits, text, y);
    }
};

// Option value readers shared by the filters: a number accepting "," or "." and surrounding
// blanks, a Boolean ("1/0", "true/false", "yes/no"). Throw EVNExportError naming the option.
double ParseExportNumber(const std::string& name, const std::string& value);
bool ParseExportBool(const std::string& name, const std::string& value);
std::string FormatExportNumber(double value);

// ---- registry -----------------------------------------------------------------------------------

struct TVNExportFilterInfo {
    TVNExportFilter* Filter = nullptr;
    AnsiString Description; // shown in file dialogs (CP936)
    std::string Mask;       // e.g. "*.txt"
};

// Ignores a filter whose class is already registered (the first instance of a class wins).
void RegisterExportFilter(TVNExportFilter* filter, const AnsiString& description, const std::string& mask);
// Removes this instance's entry (another instance of the same class keeps its own).
void UnregisterExportFilter(TVNExportFilter* filter);
int ExportFilterCount();
const TVNExportFilterInfo& ExportFilter(int index);
// The registered filter whose mask is "*." + extension (case-insensitive), or nullptr.
TVNExportFilter* FindExportFilterByExtension(std::string_view extension);

// ---- options dialogs ----------------------------------------------------------------------------

// Shows the filter's options dialog and answers the modal result; installed by the window side.
using TVNExportDialogHandler = std::function<int(TVNExportFilter& filter)>;
void SetVNExportDialogHandler(TVNExportDialogHandler handler);

// ---- raster surfaces ----------------------------------------------------------------------------

// A white image of a fixed size with a canvas drawing onto it, made by the window side (the
// engine core cannot draw pixels itself). Image() gives the pixels drawn so far.
class IVNRasterSurface {
public:
    virtual ~IVNRasterSurface() = default;
    virtual ICanvas& Canvas() = 0;
    virtual TRasterImage Image() = 0;
    // The pixels drawn so far into an image the caller keeps from page to page (no new
    // allocation when the size is unchanged).
    virtual void CopyImage(TRasterImage& into) { into = Image(); }
    // Row y of the pixels drawn so far, where they lie (0xAARRGGBB words, the image's width of
    // them): a reader that goes through the page once needs no copy of it. Valid until the
    // canvas is used again.
    virtual const std::uint32_t* ScanLine(int y) = 0;
};

using TVNRasterSurfaceFactory = std::function<std::unique_ptr<IVNRasterSurface>(int width, int height)>;
void SetVNRasterSurfaceFactory(TVNRasterSurfaceFactory factory);
// A new surface, or nullptr when none is installed or the size is empty or too large.
std::unique_ptr<IVNRasterSurface> CreateVNRasterSurface(int width, int height);
