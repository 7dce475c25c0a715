// The export sequence and the filter registry: what a filter is told, in which order, with which
// frame bits; registration by class; no pages and a refused dialog write no file; the main
// filter's object records.
#include "engine/EngineFixture.h"

#include "report/VNStandardViews.h"
#include "report/VNWindowServices.h"
#include "report/export/VNMainExportFilter.h"
#include "report/export/VNPixelFormat.h"
#include "report/export/VNTextExport.h"

#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct TTempDir {
    fs::path Path = fs::temp_directory_path() / ("vnexport-" + std::to_string(::getpid()) + "-" +
                                                  std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    TTempDir() { fs::create_directories(Path); }
    ~TTempDir() { fs::remove_all(Path); }
    std::string File(const std::string& name) const { return (Path / name).string(); }
};

// Writes down every call it receives.
class TRecordingFilter : public TVNExportFilter {
public:
    std::vector<std::string> Calls;
    void OnBeginDoc() override { Calls.push_back("doc"); }
    void OnEndDoc() override { Calls.push_back("/doc"); }
    void OnBeginPage() override { Calls.push_back("page"); }
    void OnEndPage() override { Calls.push_back("/page"); }
    void OnData(int, int, TVNView& v) override { Calls.push_back("data " + v.Name); }
    void OnText(const TRect&, int, TVNView&, int flags, const AnsiString& text, int) override {
        Calls.push_back("text " + text + " " + std::to_string(flags));
    }
};

// A one-band report: a title memo and, per data row, a memo with the row's name.
void SimpleReport(TEngineFixture& f) {
    AddBand(*f.Page, "Title", bkTitle, 20, 30);
    AddMemo(*f.Page, "T", 10, 22, 200, 20, {"Title"});
    AddBand(*f.Page, "Data", bkMasterData, 60, 20)->FormatText = "Lines";
    AddMemo(*f.Page, "Row", 10, 60, 200, 20, {"[name]"});
}

} // namespace

TEST(ExportFramework, SequenceSendsObjectsThenTheirLinesPageByPage) {
    TEngineFixture f(TEngineFixture::Rows(2));
    SimpleReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TTempDir dir;
    TRecordingFilter filter;
    filter.ShowDialog = false;
    std::string after;
    filter.OnAfterExport = [&](const std::string& name) { after = name; };
    ASSERT_TRUE(f.Report.ExportBuiltReport(filter, dir.File("x.out")));
    // Bands are not stored on built pages: only their objects arrive.
    EXPECT_EQ(filter.Calls, (std::vector<std::string>{"doc", "page", "data T", "text Title 0", "data Row",
                                                       "text r1 0", "data Row", "text r2 0", "/page", "/doc"}));
    EXPECT_EQ(after, dir.File("x.out"));
    EXPECT_TRUE(fs::exists(dir.File("x.out")));
    EXPECT_EQ(f.Report.ExportSink, nullptr);
}

TEST(ExportFramework, FourSidedFrameGivesTopToFirstLineAndBottomToLast) {
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 20, 80);
    TVNMemoView* m = AddMemo(*f.Page, "M", 10, 22, 200, 70, {"one", "two", "three"});
    m->SetFrameTyp(15);
    ASSERT_TRUE(f.Report.BuildReport());
    TTempDir dir;
    TRecordingFilter filter;
    ASSERT_TRUE(f.Report.ExportBuiltReport(filter, dir.File("x.out")));
    std::vector<std::string> texts;
    for (auto& c : filter.Calls)
        if (c.rfind("text", 0) == 0) texts.push_back(c);
    // bits: 1 right, 2 bottom, 4 left, 8 top
    EXPECT_EQ(texts, (std::vector<std::string>{"text one 13", "text two 5", "text three 7"}));
}

TEST(ExportFramework, NoPagesRefusedDialogOrClearedContinueWriteNoFile) {
    TTempDir dir;
    TEngineFixture empty;
    TRecordingFilter filter;
    EXPECT_FALSE(empty.Report.ExportBuiltReport(filter, dir.File("a.out")));
    EXPECT_TRUE(filter.Calls.empty());

    TEngineFixture f(TEngineFixture::Rows(1));
    SimpleReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    filter.OnBeforeExport = [](std::string&, bool& cont) { cont = false; };
    EXPECT_FALSE(f.Report.ExportBuiltReport(filter, dir.File("b.out")));

    filter.OnBeforeExport = [](std::string& name, bool&) { name += ".renamed"; };
    SetVNExportDialogHandler([](TVNExportFilter&) { return int(mrCancel); });
    EXPECT_FALSE(f.Report.ExportBuiltReport(filter, dir.File("c.out")));
    SetVNExportDialogHandler({});
    EXPECT_TRUE(filter.Calls.empty());
    EXPECT_TRUE(fs::is_empty(dir.Path));

    // The before-export event may rename the file.
    ASSERT_TRUE(f.Report.ExportBuiltReport(filter, dir.File("d.out")));
    EXPECT_TRUE(fs::exists(dir.File("d.out.renamed")));
}

TEST(ExportFramework, AFilterErrorLeavesNoFileAndReachesTheCaller) {
    struct TFailing : TRecordingFilter {
        void OnEndPage() override {
            Stream->Write("partial");
            throw EVNExportError("disk says no");
        }
    };
    TEngineFixture f(TEngineFixture::Rows(1));
    SimpleReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TTempDir dir;
    TFailing filter;
    bool afterRan = false;
    filter.OnAfterExport = [&](const std::string&) { afterRan = true; };
    EXPECT_THROW(f.Report.ExportBuiltReport(filter, dir.File("x.out")), EVNExportError);
    EXPECT_TRUE(afterRan);
    EXPECT_FALSE(fs::exists(dir.File("x.out")));
    EXPECT_TRUE(fs::is_empty(dir.Path)) << "the pages written so far must not stay behind";
    EXPECT_EQ(f.Report.ExportSink, nullptr);

    // An output folder that cannot be created: the file error reaches the caller, nothing is left.
    TRecordingFilter plain;
    std::ofstream(dir.File("blocker")) << "x";
    EXPECT_THROW(f.Report.ExportBuiltReport(plain, dir.File("blocker") + "/x.out"), EFileWriteError);
}

TEST(ExportFramework, RegistryKeepsTheFirstInstanceOfAClass) {
    const int before = ExportFilterCount();
    {
        TVNTextExport first;
        TVNCSVExport csv;
        {
            TVNTextExport second;
            ASSERT_EQ(ExportFilterCount(), before + 2);
            EXPECT_EQ(ExportFilter(before).Filter, &first);
            EXPECT_EQ(ExportFilter(before).Mask, "*.txt");
            EXPECT_EQ(ExportFilter(before).Description, CP936("ASCII Text 文件 (*.txt)"));
            EXPECT_EQ(ExportFilter(before + 1).Description, CP936("CSV 文件 (*.csv)"));
        }
        // The second instance going away leaves the first one's entry.
        ASSERT_EQ(ExportFilterCount(), before + 2);
        EXPECT_EQ(FindExportFilterByExtension("TXT"), &first);
        EXPECT_EQ(FindExportFilterByExtension("csv"), &csv);
    }
    EXPECT_EQ(ExportFilterCount(), before);
}

TEST(ExportFramework, MainFilterRecordsMemosAndPicturesPerPage) {
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 20, 100);
    TVNMemoView* m = AddMemo(*f.Page, "M", 10, 22, 200, 40, {"a\x01" "b", "c"});
    m->Adjust = int(vntaRightJustify) | int(vntlBottom);
    m->SetFrameTyp(15);
    auto* pic = new TVNPictureView;
    pic->Name = "P";
    pic->PlaceAt(300, 22, 40, 30);
    f.Page->Add(pic);
    ASSERT_TRUE(f.Report.BuildReport());

    struct TProbe : TVNMainExportFilter {
        std::vector<TVNEFDataRec> Data;
        std::vector<TVNEFTextRec> Text;
        void OnEndPage() override {
            Data = DataList;
            Text = TextList;
            TVNMainExportFilter::OnEndPage();
        }
    } filter;
    filter.ExportImages = false;
    TTempDir dir;
    ASSERT_TRUE(f.Report.ExportBuiltReport(filter, dir.File("x.out")));
    ASSERT_EQ(filter.Data.size(), 2u);
    const TVNEFDataRec& memo = filter.Data[0];
    EXPECT_EQ(memo.ClassName, "TVNMemoView");
    EXPECT_EQ(memo.Width, 201);
    EXPECT_EQ(memo.Text, "ab\r\nc");
    EXPECT_EQ(memo.Alignment, 2 | 8);
    EXPECT_EQ(memo.FrameTyp, 15);
    EXPECT_EQ(memo.NoPicture, -1);
    EXPECT_FALSE(memo.Picture);
    const TVNEFDataRec& p = filter.Data[1];
    EXPECT_EQ(p.ClassName, "TVNPictureView");
    EXPECT_EQ(p.NoPicture, 1);
    EXPECT_FALSE(p.Picture);
    EXPECT_EQ(p.NameIndex, 1);
    EXPECT_EQ(filter.Text.size(), 2u);
    EXPECT_EQ(filter.PageCounter, 1);
}

TEST(ExportFramework, AlignmentCodesFollowTheTable) {
    const int expected[3][4] = {{5, 6, 36, 20}, {65, 66, 96, 80}, {9, 10, 40, 24}};
    const int layouts[3] = {vntlTop, vntlCenter, vntlBottom};
    for (int v = 0; v < 3; ++v)
        for (int h = 0; h < 4; ++h)
            EXPECT_EQ(ExportAlignmentCode(h, layouts[v]), expected[v][h]) << v << "," << h;
}

TEST(ExportFramework, PixelFormatsReduceColoursAsTheirDepthHolds) {
    struct TCase {
        const char* Name;
        TVNPixelFormat Format;
        std::uint32_t In, Out;
    };
    for (const TCase& c : std::vector<TCase>{{"Device", pfDevice, 0xFF123456, 0xFF123456},
                                             {"24 bit", pf24bit, 0xFF123456, 0xFF123456},
                                             {"1bit", pf1bit, 0xFF808080, 0xFFFFFFFF},
                                             {"pf1bit", pf1bit, 0xFF0000FF, 0xFF000000},
                                             {"4 bit", pf4bit, 0xFFF01010, 0xFFFF0000},
                                             {"4 bit", pf4bit, 0xFFB0B0B0, 0xFFC0C0C0},
                                             {"8 bit", pf8bit, 0xFF1A80E6, 0xFF3399FF},
                                             {"8", pf8bit, 0xFFFFFFFF, 0xFFFFFFFF},
                                             {"15 bit", pf15bit, 0xFF0F0F0F, 0xFF080808},
                                             {"16 bit", pf16bit, 0xFF0F0F0F, 0xFF080C08}}) {
        TVNPixelFormat parsed = pf32bit;
        ASSERT_TRUE(ParsePixelFormat(c.Name, parsed)) << c.Name;
        EXPECT_EQ(parsed, c.Format) << c.Name;
        TRasterImage image(1, 1, c.In);
        ReduceToPixelFormat(image, c.Format);
        EXPECT_EQ(image.Pixel(0, 0), c.Out) << c.Name << std::hex << " " << image.Pixel(0, 0);
    }
    TVNPixelFormat f = pf8bit;
    EXPECT_FALSE(ParsePixelFormat("12 bit", f));
    EXPECT_EQ(std::string(PixelFormatName(pf15bit)), "15 bit");
}

TEST(ExportFramework, PixelFormatsReduceRowsAsTheyReduceWholePictures) {
    // Every channel value in every position, alpha included, over a row whose length is not a
    // multiple of any block size.
    TRasterImage picture(259, 1);
    for (int x = 0; x < picture.Width; ++x) {
        const std::uint32_t c = std::uint32_t(x % 256);
        picture.SetPixel(x, 0, (c ^ 0x5A) << 24 | c << 16 | (255 - c) << 8 | (c * 7 % 256));
    }
    for (TVNPixelFormat format : {pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        TRasterImage whole = picture;
        ReduceToPixelFormat(whole, format);
        std::vector<std::uint32_t> row(picture.Pixels.size());
        ReducePixels(picture.Pixels.data(), row.data(), row.size(), format);
        EXPECT_EQ(row, whole.Pixels) << PixelFormatName(format);
        EXPECT_EQ(ReducesPixels(format), whole.Pixels != picture.Pixels) << PixelFormatName(format);
    }
    // The colour cube level by level: (c + 25) / 51 * 51 for each channel, opaque.
    TRasterImage cube = picture;
    ReduceToPixelFormat(cube, pf8bit);
    for (int x = 0; x < picture.Width; ++x) {
        const std::uint32_t in = picture.Pixel(x, 0), out = cube.Pixel(x, 0);
        EXPECT_EQ(out >> 24, 0xFFu) << x;
        for (int shift : {0, 8, 16})
            EXPECT_EQ((out >> shift) & 0xFF, (((in >> shift) & 0xFF) + 25) / 51 * 51) << x << "/" << shift;
    }
}
