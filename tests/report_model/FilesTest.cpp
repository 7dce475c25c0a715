// Template, dictionary and prepared report files.
#include "ReportFixture.h"

#include "report/VNEMFPages.h"

#include <filesystem>

namespace {
struct TTempDir {
    std::filesystem::path Path;
    TTempDir() {
        Path = std::filesystem::temp_directory_path() / ("vn_model_" + std::to_string(::getpid()));
        std::filesystem::create_directories(Path);
    }
    ~TTempDir() { std::filesystem::remove_all(Path); }
    std::string operator/(const char* name) const { return (Path / name).string(); }
};
} // namespace

TEST(Templates, FullAndChooserReading) {
    TMessageRecorder messages;
    TTempDir dir;
    TVNReport r;
    BuildSampleReport(r);
    const std::string bmp = std::string("BM\x1A\0\0\0", 6) + std::string(20, 'x');
    ASSERT_TRUE(r.SaveTemplateFile(dir / "t", {"first line", "second"}, bmp));
    ASSERT_TRUE(std::filesystem::exists(dir / "t.vnt"));

    TVNReport back;
    ASSERT_TRUE(back.LoadTemplateFile(dir / "t"));
    EXPECT_EQ(SaveBytes(back), SaveBytes(r));

    TVNStream s;
    ASSERT_TRUE(s.LoadFromFile(dir / "t.vnt"));
    TVNTemplateInfo info;
    ASSERT_TRUE(TVNReport::ReadTemplateInfo(s, info));
    EXPECT_EQ(info.Description, (TVNStrings{"first line", "second"}));
    EXPECT_EQ(info.PreviewBitmap, bmp);

    // Wrong signature: message, nothing loaded.
    std::string bytes = s.Data();
    bytes[3] = 'Q';
    TVNStream bad(bytes);
    TVNReport untouched;
    BuildSampleReport(untouched);
    EXPECT_FALSE(untouched.LoadTemplateStream(bad));
    EXPECT_EQ(untouched.Pages.Count(), 2);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], CP936("不是Valnor报表模板文件!"));
}

TEST(Dictionary, FileRoundTripAndWrongHeader) {
    TMessageRecorder messages;
    TTempDir dir;
    TVNReport r;
    BuildSampleReport(r);
    ASSERT_TRUE(r.Dictionary.SaveToFile(dir / "d"));
    TVNDataDictionary back;
    ASSERT_TRUE(back.LoadFromFile(dir / "d")); // ".vnd" completed
    EXPECT_EQ(back.Variables, r.Dictionary.Variables);
    EXPECT_EQ(back.DataSetAliases, r.Dictionary.DataSetAliases);
    TVNStream s;
    back.SaveToStream(s);
    EXPECT_EQ(s.Data().substr(0, 4), std::string("\x2B\0\0\0", 4));
    EXPECT_EQ(s.Data().substr(4, 2 + 22 + 2), std::string("\x16\0Valnor Dictionary File\0\x1A", 26));

    TVNDataDictionary merged;
    merged.Variables.Add("Own", "1");
    merged.Variables.Add("Total", "keep");
    ASSERT_TRUE(merged.MergeFromFile(dir / "d.vnd"));
    EXPECT_EQ(merged.Variables.Count(), 3);
    EXPECT_EQ(merged.Variables.Items[1].second, "keep");

    std::string bytes = s.Data();
    bytes[8] = 'x';
    TVNStream bad(bytes);
    EXPECT_FALSE(back.LoadFromStream(bad));
    EXPECT_EQ(messages.Texts(), std::vector<AnsiString>{CP936("不是Valnor数据字典文件!")});
    EXPECT_EQ(back.Variables, r.Dictionary.Variables); // unchanged
}

namespace {
// Fills a store with pages built from a report, the way the band engine writes them.
void BuildPages(TVNReport& r, int pages, int memosPerPage) {
    TVNPage& design = r.Pages[0];
    for (int p = 0; p < pages; ++p) {
        r.EMFPages->AddPage(design);
        for (int i = 0; i < memosPerPage; ++i) {
            TVNMemoView m;
            m.Name = "M" + std::to_string(i);
            m.PlaceAt(10 + i, 20 + 2 * i, 50, 10);
            m.Memo1 = {"page " + std::to_string(p) + " memo " + std::to_string(i)};
            r.EMFPages->WriteView(m);
        }
    }
}

struct TPassThrough : TVNCompressor {
    void Compress(const std::string& s, std::string& t) override { t = "Z" + s; }
    void Decompress(const std::string& s, std::string& t) override { t = s.substr(1); }
};
} // namespace

TEST(PreparedPages, FileRoundTripKeepsPagesPapersAndTexts) {
    TMessageRecorder messages;
    TTempDir dir;
    TVNReport r;
    BuildSampleReport(r);
    BuildPages(r, 3, 4);
    r.EMFPages->Page(1).PaperSize = 8; // A3
    r.EMFPages->Page(1).PaperWidth = 2970;
    r.EMFPages->Page(1).PaperHeight = 4200;
    ASSERT_TRUE(r.SaveBuiltPages(dir / "p.vnp"));
    TVNReport back;
    ASSERT_TRUE(back.LoadBuiltPages(dir / "p.vnp"));
    ASSERT_EQ(back.EMFPages->Count(), 3);
    EXPECT_EQ(back.EMFPages->Page(1).PaperSize, 8);
    EXPECT_EQ(back.EMFPages->Page(1).PaperWidth, 2970);
    EXPECT_EQ(back.EMFPages->Page(1).Metrics.PaperWidthPx, 1123);
    EXPECT_EQ(back.EMFPages->Page(0).Margins, r.EMFPages->Page(0).Margins);
    back.EMFPages->DecodePage(2);
    auto& objects = back.EMFPages->Page(2).DecodedPage->Objects;
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[3]->Memo, (TVNStrings{"page 2 memo 3"}));
    EXPECT_EQ(objects[3]->Name, "M3");
    TVNStream again;
    back.EMFPages->SaveToStream(again);
    TVNStream first;
    r.EMFPages->SaveToStream(first);
    EXPECT_EQ(again.Data(), first.Data());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(PreparedPages, CompressedFileNeedsTheCompressor) {
    TVNReport r;
    BuildSampleReport(r);
    BuildPages(r, 2, 3);
    TPassThrough zip;
    zip.Enabled = true;
    SetVNCompressor(&zip);
    TVNStream packed;
    r.EMFPages->SaveToStream(packed);
    TVNEMFPages withZip(nullptr);
    packed.Seek(0);
    ASSERT_TRUE(withZip.LoadFromStream(packed));
    withZip.DecodePage(1);
    EXPECT_EQ(withZip.Page(1).DecodedPage->Objects.size(), 3u);
    SetVNCompressor(nullptr);
    TVNEMFPages without(nullptr);
    packed.Seek(0);
    ASSERT_TRUE(without.LoadFromStream(packed));
    ASSERT_EQ(without.Count(), 2);
    without.DecodePage(1);
    EXPECT_TRUE(without.Page(1).DecodedPage->Objects.empty()); // pages come out empty
}

TEST(PreparedPages, HitTestEditAndDamagedFiles) {
    TMessageRecorder messages;
    TVNReport r;
    BuildSampleReport(r);
    BuildPages(r, 1, 3); // overlapping memos
    TVNView* clicked = nullptr;
    r.OnObjectClick = [&](TVNEMFPages*, int, TVNView* v) { clicked = v; };
    EXPECT_TRUE(r.EMFPages->HitTest(0, TPoint{30, 30}, true));
    ASSERT_NE(clicked, nullptr);
    EXPECT_EQ(clicked->Name, "M2");                              // the one written last
    EXPECT_FALSE(r.EMFPages->HitTest(0, TPoint{30, 30}, false)); // no hover handler
    EXPECT_FALSE(r.EMFPages->HitTest(0, TPoint{500, 500}, true));

    // Edit in the decoded page and encode back.
    clicked->Memo = {"edited"};
    r.EMFPages->EncodePage(0);
    r.EMFPages->Page(0).DecodedPage.reset();
    r.EMFPages->DecodePage(0);
    EXPECT_EQ(r.EMFPages->Page(0).DecodedPage->Objects[2]->Memo, (TVNStrings{"edited"}));

    TVNStream s;
    r.EMFPages->SaveToStream(s);
    const std::string bytes = s.Data();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        TVNEMFPages store(nullptr);
        TVNStream cut(bytes.substr(0, n));
        store.LoadFromStream(cut);
        for (int i = 0; i < store.Count(); ++i)
            store.DecodePage(i);
    }
    std::string wrong = bytes;
    wrong[4] = 'X';
    TVNEMFPages store(nullptr);
    TVNStream ws(wrong);
    messages.Service.Clear();
    EXPECT_FALSE(store.LoadFromStream(ws));
    EXPECT_EQ(messages.Texts(), std::vector<AnsiString>{CP936("不是Valnor报表文件!")});
}
