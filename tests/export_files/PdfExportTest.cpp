// The PDF export: the fixed object layout of an image-only file byte for byte, files that qpdf
// and poppler accept with pages that look like our own page pictures, pages of other sizes, an
// export cancelled from its progress window, and the optional invisible text layer found by
// pdftotext where the memos drew their lines.
#include "ExportFilesFixture.h"

#include "report/VNStandardViews.h"
#include "report/export/VNPDFExport.h"
#include "report/output/VNProgressForm.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <regex>

namespace {

// The raw data of every image object, in file order.
std::vector<std::string> ImageStreams(const std::string& pdf) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while ((at = pdf.find("/Subtype/Image", at)) != std::string::npos) {
        const std::size_t len = pdf.find("/Length ", at) + 8;
        const std::size_t n = std::stoul(pdf.substr(len, 12));
        const std::size_t data = pdf.find("stream\r\n", at) + 8;
        out.push_back(pdf.substr(data, n));
        at = data + n;
    }
    return out;
}

// The page as the preview draws it, at its own size.
TRasterImage DrawnPage(TVNReport& report, int index) {
    TVNPreparedPage& page = report.EMFPages->Page(index);
    auto surface = CreateVNRasterSurface(page.Metrics.PaperWidthPx, page.Metrics.PaperHeightPx);
    page.Visible = 1;
    report.EMFPages->DrawPage(index, surface->Canvas(),
                              TRect{0, 0, page.Metrics.PaperWidthPx, page.Metrics.PaperHeightPx});
    page.Visible = 0;
    return surface->Image();
}

std::string RawRgb(const TRasterImage& image) {
    std::string out;
    for (std::uint32_t p : image.Pixels) {
        out += char((p >> 16) & 0xFF);
        out += char((p >> 8) & 0xFF);
        out += char(p & 0xFF);
    }
    return out;
}

void ListReport(TEngineFixture& f) {
    AddBand(*f.Page, "Title", bkTitle, 20, 40);
    AddMemo(*f.Page, "T", 200, 22, 300, 30, {CP936("盘点损益表")})->Font.Size = 16;
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 100, 30);
    data->FormatText = "Lines";
    AddMemo(*f.Page, "Name", 10, 102, 200, 20, {"[name]"})->SetFrameTyp(15);
    AddMemo(*f.Page, "Qty", 210, 102, 100, 20, {"[qty]"})->SetFrameTyp(15);
}

std::vector<std::tuple<AnsiString, AnsiString, int>> Goods(int n) {
    std::vector<std::tuple<AnsiString, AnsiString, int>> rows;
    for (int i = 1; i <= n; ++i)
        rows.emplace_back("g", CP936("红富士苹果") + std::to_string(i), 1000 + i);
    return rows;
}

} // namespace

TEST(PdfExport, OneA4PageHasTheFixedObjectLayout) {
    TQtExportSetup qt;
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 20, 40);
    AddMemo(*f.Page, "T", 100, 22, 300, 30, {"Stocktake"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 1);
    TTempDir dir;
    TVNPDFExport pdf;
    ASSERT_TRUE(f.Report.ExportBuiltReport(pdf, dir.File("a.pdf")));
    const std::string file = ReadBytes(dir.File("a.pdf"));

    const std::string content = "q\r595.5000 0 0 842.2500 0.0000 0.0000 cm\r/Img0 Do\rQ\r\n";
    const std::string head =
        "%PDF-1.3\r\n1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 2 0 R\r\n>>\r\nendobj\r\n"
        "6 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 2 0 R\r\n/Contents 7 0 R\r\n>>\r\nendobj\r\n"
        "7 0 obj\r\n<< /Length 8 0 R >>\r\nstream\r\n" +
        content + "\r\nendstream\r\nendobj\r\n8 0 obj\r\n" + std::to_string(content.size()) +
        "\r\nendobj\r\n9 0 obj\r\n<< /Type/XObject/Subtype/Image/Name/Img0/Width 794/Height 1123"
        "/BitsPerComponent 8/ColorSpace/DeviceRGB/Filter/DCTDecode/Length ";
    ASSERT_EQ(file.substr(0, head.size()), head);
    const std::vector<std::string> images = ImageStreams(file);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(JpegSize(images[0]), std::make_pair(794, 1123));

    const std::size_t tailAt = file.find(images[0]) + images[0].size();
    const std::string tail = file.substr(tailAt);
    auto offset = [&](int n) {
        const std::size_t at = file.find("\r\n" + std::to_string(n) + " 0 obj\r\n");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%010zu", at + 2);
        return std::string(buf);
    };
    const std::string body =
        "\r\nendstream\r\nendobj\r\n"
        "2 0 obj\r\n<<\r\n/Type /Pages\r\n/Count 1\r\n/MediaBox [0 0 595.5000 842.2500]\r\n/Kids [ 6 0 R]\r\n"
        "/Resources 5 0 R\r\n>>\r\nendobj\r\n"
        "5 0 obj\r\n<<\r\n/ProcSet 4 0 R\r\n/XObject <<\r\n/Img0 9 0 R >>\r\n>>\r\nendobj\r\n"
        "4 0 obj\r\n[/PDF /Text /ImageC]\r\nendobj\r\n"
        "3 0 obj\r\n<<\r\n/Producer (Valnor)\r\n>>\r\nendobj\r\n";
    std::string xref = "xref\r\n0 10\r\n0000000000 65535 f\r\n";
    for (int n = 1; n <= 9; ++n)
        xref += offset(n) + " 00000 n\r\n";
    const std::string expectedTail =
        body + xref + "trailer\r\n<<\r\n/Root 1 0 R\r\n/Info 3 0 R\r\n/Size 10\r\n>>\r\nstartxref\r\n" +
        std::to_string(tailAt + body.size()) + "\r\n%%EOF";
    EXPECT_EQ(tail, expectedTail);
    EXPECT_EQ(offset(1), "0000000010");

    const TToolResult check = RunTool("qpdf --check " + Quote(dir.File("a.pdf")));
    EXPECT_EQ(check.Status, 0) << check.Output;
    // The image-only file carries no text at all.
    EXPECT_EQ(RunTool("pdftotext " + Quote(dir.File("a.pdf")) + " -").Output, "\f");
}

TEST(PdfExport, JpegAndRawPagesPassTheReadersAndShowOurPagePicture) {
    TQtExportSetup qt;
    TEngineFixture f(Goods(90));
    ListReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    TTempDir dir;

    TVNPDFExport jpeg;
    jpeg.JPEGQuality = 90;
    ASSERT_TRUE(f.Report.ExportBuiltReport(jpeg, dir.File("jpeg.pdf")));
    TVNPDFExport raw;
    raw.SetOption("ExportImageFormat", "BMP");
    raw.SetOption("PixelFormat", "24 bit");
    ASSERT_TRUE(f.Report.ExportBuiltReport(raw, dir.File("raw.pdf")));

    for (const char* name : {"jpeg.pdf", "raw.pdf"}) {
        const std::string path = Quote(dir.File(name));
        const TToolResult check = RunTool("qpdf --check " + path);
        EXPECT_EQ(check.Status, 0) << name << check.Output;
        const TToolResult info = RunTool("pdfinfo " + path);
        EXPECT_NE(info.Output.find("Pages:           3"), std::string::npos) << info.Output;
        EXPECT_NE(info.Output.find("Page size:       595.5 x 842.25 pts (A4)"), std::string::npos)
            << info.Output;
    }
    const TToolResult list = RunTool("pdfimages -list " + Quote(dir.File("jpeg.pdf")));
    EXPECT_EQ(std::count(list.Output.begin(), list.Output.end(), '\n') - 2, 3) << list.Output;
    EXPECT_NE(list.Output.find("rgb     3   8  jpeg"), std::string::npos) << list.Output;

    // Raw pages: no filter, three bytes a pixel, exactly the page the preview draws.
    const std::string rawFile = ReadBytes(dir.File("raw.pdf"));
    EXPECT_EQ(rawFile.find("/Filter"), std::string::npos);
    const std::vector<std::string> images = ImageStreams(rawFile);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_NE(rawFile.find("/Length " + std::to_string(794 * 1123 * 3) + "\r\n"), std::string::npos);
    const TRasterImage second = DrawnPage(f.Report, 1);
    EXPECT_TRUE(images[1] == RawRgb(second));

    // poppler's picture of page 2 is our page (its resampling blurs edges a little).
    ASSERT_EQ(RunTool("pdftoppm -r 96 -png -f 2 -l 2 " + Quote(dir.File("jpeg.pdf")) + " " +
                      Quote(dir.File("poppler")))
                  .Status,
              0);
    QImage ours(reinterpret_cast<const uchar*>(second.Pixels.data()), second.Width, second.Height,
                QImage::Format_RGB32);
    ASSERT_TRUE(ours.save(QString::fromStdString(dir.File("ours.png"))));
    const std::string a = Quote(dir.File("a.png")), b = Quote(dir.File("b.png"));
    ASSERT_EQ(RunTool("convert " + Quote(dir.File("poppler-2.png")) + " -blur 0x1 " + a).Status, 0);
    ASSERT_EQ(RunTool("convert " + Quote(dir.File("ours.png")) + " -blur 0x1 " + b).Status, 0);
    const TToolResult psnr = RunTool("compare -metric PSNR " + a + " " + b + " null:");
    EXPECT_GT(std::atof(psnr.Output.c_str()), 25.0) << psnr.Output;
}

TEST(PdfExport, PagesOfOtherSizesAreCutOrPaddedToTheFirst) {
    TQtExportSetup qt;
    TEngineFixture f;
    // Page 1 A4 portrait, page 2 A5 (smaller), page 3 A3 (larger) with a memo beyond A4.
    AddBand(*f.Page, "T1", bkTitle, 20, 40);
    AddMemo(*f.Page, "M1", 100, 22, 300, 30, {"first"});
    TVNPage& a5 = f.AddPage();
    a5.ChangePaper(11, 0, 0, 0, 0xFFFF);
    AddBand(a5, "T2", bkTitle, 20, 40);
    AddMemo(a5, "M2", 100, 22, 300, 30, {"second"})->FillColor = clBlack;
    TVNPage& a3 = f.AddPage();
    a3.ChangePaper(8, 0, 0, 0, 0xFFFF);
    AddBand(a3, "T3", bkTitle, 20, 1400);
    AddMemo(a3, "Near", 100, 22, 300, 30, {"third"});
    AddMemo(a3, "Far", 900, 1300, 100, 30, {"beyond"});
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    ASSERT_LT(f.Report.EMFPages->Page(1).Metrics.PaperWidthPx, 794);
    ASSERT_GT(f.Report.EMFPages->Page(2).Metrics.PaperHeightPx, 1123);

    TTempDir dir;
    TVNPDFExport pdf;
    pdf.ExportImageFormat = ifBMP;
    pdf.SearchableText = true;
    ASSERT_TRUE(f.Report.ExportBuiltReport(pdf, dir.File("sizes.pdf")));
    const std::string file = ReadBytes(dir.File("sizes.pdf"));
    const std::vector<std::string> images = ImageStreams(file);
    ASSERT_EQ(images.size(), 3u);
    for (const std::string& image : images)
        EXPECT_EQ(image.size(), std::size_t(794 * 1123 * 3));
    // The A5 page: its drawn part, white beyond it.
    const TVNPreparedPage& small = f.Report.EMFPages->Page(1);
    const TRasterImage smallDrawn = DrawnPage(f.Report, 1);
    const std::string& padded = images[1];
    for (int y : {30, small.Metrics.PaperHeightPx - 1, small.Metrics.PaperHeightPx + 5, 1122})
        for (int x : {150, small.Metrics.PaperWidthPx + 5, 793}) {
            const std::size_t at = (std::size_t(y) * 794 + std::size_t(x)) * 3;
            const bool inside = x < small.Metrics.PaperWidthPx && y < small.Metrics.PaperHeightPx;
            const std::uint32_t expected = inside ? smallDrawn.Pixel(x, y) & 0xFFFFFF : 0xFFFFFF;
            const std::uint32_t got = std::uint32_t(std::uint8_t(padded[at])) << 16 |
                                      std::uint32_t(std::uint8_t(padded[at + 1])) << 8 |
                                      std::uint8_t(padded[at + 2]);
            EXPECT_EQ(got, expected) << x << "," << y;
        }
    // The A3 page is cut: what lies beyond the first page's size is neither drawn nor searchable.
    const TToolResult text = RunTool("pdftotext -f 3 -l 3 " + Quote(dir.File("sizes.pdf")) + " -");
    EXPECT_NE(text.Output.find("third"), std::string::npos) << text.Output;
    EXPECT_EQ(text.Output.find("beyond"), std::string::npos) << text.Output;
    EXPECT_EQ(RunTool("qpdf --check " + Quote(dir.File("sizes.pdf"))).Status, 0);
}

TEST(PdfExport, CancelFromTheProgressWindowGivesAWholeFileOfTheFinishedPages) {
    TQtExportSetup qt;
    TVNQtWindowServicesScope services;
    TEngineFixture f(Goods(90));
    ListReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    // The user presses Cancel while the first page is written; the next page is the last.
    struct TCancelling : TVNPDFExport {
        void OnEndPage() override {
            TVNPDFExport::OnEndPage();
            if (ExportPageIndex == 0)
                for (TVNProgressForm* form : ShownWindows<TVNProgressForm>())
                    form->CancelButton()->click();
        }
    } pdf;
    f.Report.ShowProgress = true;
    TTempDir dir;
    ASSERT_TRUE(f.Report.ExportBuiltReport(pdf, dir.File("c.pdf")));
    EXPECT_EQ(RunTool("qpdf --check " + Quote(dir.File("c.pdf"))).Status, 0);
    EXPECT_NE(RunTool("pdfinfo " + Quote(dir.File("c.pdf"))).Output.find("Pages:           2"),
              std::string::npos);
    // Only the finished file is in the folder: nothing half-written beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

TEST(PdfExport, SearchableTextIsFoundWhereTheMemosDrewIt) {
    TQtExportSetup qt;
    TEngineFixture f(Goods(90));
    ListReport(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TTempDir dir;
    TVNPDFExport pdf;
    pdf.SetOption("SearchableText", "1");
    ASSERT_TRUE(f.Report.ExportBuiltReport(pdf, dir.File("t.pdf")));
    const std::string path = Quote(dir.File("t.pdf"));
    EXPECT_EQ(RunTool("qpdf --check " + path).Status, 0);

    // The title, a product and its amount on page 2, where the list continues.
    const std::vector<TWritten> views = f.Views(1);
    const auto name =
        std::find_if(views.begin(), views.end(), [](const TWritten& w) { return w.Name == "Name"; });
    ASSERT_NE(name, views.end());
    const auto qty = std::find_if(views.begin(), views.end(),
                                  [&](const TWritten& w) { return w.Name == "Qty" && w.Top == name->Top; });
    ASSERT_NE(qty, views.end());
    const std::string page2 = RunTool("pdftotext -f 2 -l 2 " + path + " -").Output;
    EXPECT_NE(page2.find(AnsiToUtf8(name->Text)), std::string::npos) << page2;
    EXPECT_NE(page2.find(qty->Text), std::string::npos) << page2;
    EXPECT_EQ(RunTool("pdftotext -f 1 -l 1 " + path + " -").Output.find(AnsiToUtf8(name->Text)),
              std::string::npos);
    EXPECT_NE(RunTool("pdftotext -f 1 -l 1 " + path + " -").Output.find("盘点损益表"), std::string::npos);

    // Boxes within a few points of the memo's first line (left and top gaps of 2 pixels).
    const std::string bbox = RunTool("pdftotext -bbox -f 2 -l 2 " + path + " -").Output;
    const std::regex word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">" +
        AnsiToUtf8(name->Text) + "</word>");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(bbox, m, word)) << bbox;
    EXPECT_NEAR(std::stod(m[1]), (name->Left + 2) * 0.75, 3.0);
    EXPECT_NEAR(std::stod(m[2]), (name->Top + 2) * 0.75, 4.0);
    EXPECT_GT(std::stod(m[3]), std::stod(m[1]) + 20);
    EXPECT_LT(std::stod(m[3]), (name->Left + name->Width) * 0.75);
}

TEST(PdfExport, OptionsByName) {
    TVNPDFExport pdf;
    EXPECT_EQ(pdf.PixelFormat, pf8bit);
    EXPECT_EQ(pdf.CompressionMethod, vncmMaxCompress);
    EXPECT_FALSE(pdf.SearchableText);
    pdf.SetOption("PixelFormat", "pf16bit");
    EXPECT_EQ(pdf.PixelFormat, pf16bit);
    pdf.SetOption("PixelFormat", "Device");
    EXPECT_EQ(pdf.PixelFormat, pfDevice);
    pdf.SetOption("ExportImageFormat", "BMP");
    pdf.SetOption("ExportImageFormat", "GIF"); // not taken
    EXPECT_EQ(pdf.ExportImageFormat, ifBMP);
    pdf.SetOption("CompressionMethod", "vncmFastest");
    EXPECT_EQ(pdf.CompressionMethod, vncmFastest);
    for (auto [name, value] : std::vector<std::pair<const char*, const char*>>{{"JPEGQuality", "101"},
                                                                               {"JPEGQuality", "x"},
                                                                               {"PixelFormat", "12 bit"},
                                                                               {"ExportImageFormat", "PNG"},
                                                                               {"CompressionMethod", "best"},
                                                                               {"SearchableText", "maybe"},
                                                                               {"Dpi", "96"}})
        EXPECT_THROW(pdf.SetOption(name, value), EVNExportError) << name << "=" << value;
}
