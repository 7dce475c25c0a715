// Export speed on the peer table of the engine benchmark at 10,000 rows, built once:
//   - CSV and text: the whole report in at most 0.3 s each;
//   - JPEG pages at 96 dpi, quality 90: at most 1.5 x the floor measured in the same run, the
//     floor being the page drawn onto a raster image and that image compressed by libjpeg straight
//     from its pixels (nothing else); the counter ms/page (wall time; Google Benchmark prints it
//     with an "s" suffix) gives both;
//   - EMF: at most 5 ms per page;
//   - PDF pages at 96 dpi, JPEG quality 90: at most 1.5 x the floor of a baseline JPEG (what the
//     PDF stores) measured in the same run; the invisible text layer adds at most 10%. Arguments:
//     colour depth (8, the default, or 24 bits) and the text layer (0 or 1);
//   - RTF of the same pages: the whole report in at most 1 s.
#include "BenchReports.h"

#include "report/export/VNGraphicExport.h"
#include "report/export/VNPDFExport.h"
#include "report/export/VNRTFExport.h"
#include "report/export/VNTextExport.h"
#include "report/export/VNXLSExport.h"
#include "report/export/VNXLSXExport.h"
#include "report/output/VNQtRasterSurface.h"

#include "platform/MessageService.h"

#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <filesystem>

namespace {

using namespace bench;

using TBuilt = TBuiltPeerTable;

TBuilt& Built() {
    UseQtMeasuring();
    static TBuilt* built = [] {
        InstallVNQtRasterSurfaces();
        return new TBuilt();
    }();
    return *built;
}

std::string OutFile(const char* ext) {
    return (std::filesystem::temp_directory_path() / (std::string("vnbench-export.") + ext)).string();
}

void RemoveOutputs(const char* ext) {
    const auto dir = std::filesystem::temp_directory_path();
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("vnbench-export", 0) == 0 && e.path().extension() == std::string(".") + ext)
            std::filesystem::remove(e.path());
}

template <class TFilter> void RunExport(benchmark::State& state, const char* ext, void (*setup)(TFilter&) = nullptr) {
    TBuilt& b = Built();
    const int pages = b.Report.EMFPages->Count();
    for (auto _ : state) {
        TFilter filter;
        filter.ShowDialog = false;
        if (setup) setup(filter);
        if (!b.Report.ExportBuiltReport(filter, OutFile(ext))) state.SkipWithError("nothing exported");
    }
    state.counters["pages"] = pages;
    state.counters["ms/page"] =
        benchmark::Counter(double(pages) / 1000.0, benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
    RemoveOutputs(ext);
}

void BM_ExportCsv(benchmark::State& state) {
    RunExport<TVNCSVExport>(state, "csv");
}

void BM_ExportText(benchmark::State& state) {
    RunExport<TVNTextExport>(state, "txt");
}

void BM_ExportJpeg(benchmark::State& state) {
    RunExport<TVNJPEGExport>(state, "jpg", [](TVNJPEGExport& f) { f.Quality = 90; });
}

void BM_ExportEmf(benchmark::State& state) {
    RunExport<TVNEMFExport>(state, "emf");
}

// Spreadsheets: the grid from the objects' edges and the writer (targets: XLS 0.5 s, XLSX 1.5 s;
// SpreadsheetBench.cpp has python3-xlwt writing the same 60,000 cells).
void BM_ExportXls(benchmark::State& state) {
    RunExport<TVNXLSExport>(state, "xls", [](TVNXLSExport& f) { f.ShowAfterExport = false; });
    state.counters["cells/s"] = benchmark::Counter(60000, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ExportXlsx(benchmark::State& state) {
    RunExport<TVNXLSXExport>(state, "xlsx", [](TVNXLSXExport& f) { f.ShowAfterExport = false; });
    state.counters["cells/s"] = benchmark::Counter(60000, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ExportPdf(benchmark::State& state) {
    static int bits, text;
    bits = int(state.range(0)), text = int(state.range(1));
    RunExport<TVNPDFExport>(state, "pdf", [](TVNPDFExport& f) {
        f.JPEGQuality = 90;
        f.PixelFormat = bits == 24 ? pf24bit : pf8bit;
        f.SearchableText = text != 0;
    });
}

void BM_ExportRtf(benchmark::State& state) {
    RunExport<TVNRTFExport>(state, "rtf");
}

// The floor of a JPEG page: draw it onto a raster image as the preview does, then compress the
// image's own pixels with libjpeg at quality 90, with progressive scans (the JPEG filter's
// default, argument 1) or baseline (what the PDF pages store, argument 0).
void BM_JpegFloor(benchmark::State& state) {
    TBuilt& b = Built();
    TVNEMFPages& pages = *b.Report.EMFPages;
    const int count = pages.Count();
    std::vector<unsigned char> row;
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            TVNPreparedPage& page = pages.Page(i);
            QImage image(page.Metrics.PaperWidthPx, page.Metrics.PaperHeightPx, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                TQtCanvas canvas(&painter, 96, 96);
                page.Visible = 1;
                pages.DrawPage(i, canvas, TRect{0, 0, image.width(), image.height()});
                page.Visible = 0;
                page.DecodedPage.reset();
            }
            jpeg_compress_struct c{};
            jpeg_error_mgr err{};
            c.err = jpeg_std_error(&err);
            jpeg_create_compress(&c);
            unsigned char* out = nullptr;
            unsigned long size = 0;
            jpeg_mem_dest(&c, &out, &size);
            c.image_width = JDIMENSION(image.width());
            c.image_height = JDIMENSION(image.height());
            c.input_components = 4;
            c.in_color_space = JCS_EXT_BGRX;
            jpeg_set_defaults(&c);
            jpeg_set_quality(&c, 90, TRUE);
            if (state.range(0)) jpeg_simple_progression(&c);
            jpeg_start_compress(&c, TRUE);
            while (c.next_scanline < c.image_height) {
                JSAMPROW r = const_cast<JSAMPROW>(image.constScanLine(int(c.next_scanline)));
                jpeg_write_scanlines(&c, &r, 1);
            }
            jpeg_finish_compress(&c);
            jpeg_destroy_compress(&c);
            benchmark::DoNotOptimize(size);
            std::free(out);
        }
    }
    state.counters["pages"] = count;
    state.counters["ms/page"] = benchmark::Counter(double(count) / 1000.0, benchmark::Counter::kIsIterationInvariantRate |
                                                                               benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_JpegFloor)->ArgName("progressive")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportEmf)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportXls)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportPdf)
    ->ArgNames({"bits", "text"})
    ->Args({8, 0})
    ->Args({24, 0})
    ->Args({8, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportRtf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
