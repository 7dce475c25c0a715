// The picture exports checked by independent readers: ImageMagick reads every bitmap and JPEG
// (size, depth) and finds them equal or close to the page as the preview draws it; LibreOffice
// renders our enhanced and Windows metafiles close to that same raster (normalised
// cross-correlation of the trimmed, greyed pictures at least 0.6, where a different page of the
// same report scores about 0.1) with its Chinese text, and writes a metafile of its own that our
// player draws recognisably. Also: one file per page with numbered names, the scale doubling
// picture and background, the EMF page's white ground, and a folder that cannot be written.
#include "PictureFixture.h"

#include "report/export/VNGraphicExport.h"

#include "platform/AtomicFile.h"
#include "platform/MetafilePlayer.h"

namespace {

struct TBuilt {
    TEngineFixture F;
    explicit TBuilt(int rows) : F(TEngineFixture::Rows(rows)) {
        PictureTestApp();
        PicturePage(F, rows);
        EXPECT_TRUE(F.Report.BuildReport());
    }
    int Pages() { return F.Report.EMFPages->Count(); }
};

void Export(TVNReport& report, TVNExportFilter& filter, const std::string& file) {
    filter.ShowDialog = false;
    ASSERT_TRUE(report.ExportBuiltReport(filter, file));
}

std::string Identify(const std::string& file) {
    return RunCommand("identify -format '%m %wx%h %z %[colorspace]' '" + file + "'").second;
}

double Psnr(const std::string& a, const std::string& b) {
    const std::string out = RunCommand("compare -metric PSNR '" + a + "' '" + b + "' null:").second;
    return out.rfind("inf", 0) == 0 ? 1000 : std::stod(out);
}

QImage Played(const std::string& file, int w, int h, QColor ground) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(file, bytes));
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(ground);
    QPainter painter(&image);
    TQtCanvas canvas(&painter, 96, 96);
    PlayMetafile(bytes, canvas, TRect{0, 0, w, h});
    return image;
}

} // namespace

TEST(PictureExport, BitmapsAndJpegsAreThePageAsThePreviewDrawsIt) {
    TBuilt b(3);
    ASSERT_EQ(b.Pages(), 1);
    TTempFolder dir;
    const std::string preview = dir.File("preview.png");
    PreviewImage(b.F.Report, 0).save(QString::fromStdString(preview));

    TVNBMPExport bmp;
    Export(b.F.Report, bmp, dir.File("p.bmp"));
    EXPECT_EQ(Identify(dir.File("p.bmp")), "BMP3 794x1123 8 sRGB");
    // The same pixels as the preview's, exactly.
    EXPECT_EQ(RunCommand("compare -metric AE '" + dir.File("p.bmp") + "' '" + preview + "' null:").second, "0");

    // Fewer bits: black and white, and a palette of 256 colours (the grey fill is in it).
    struct {
        bool Mono;
        const char* Format;
        const char* Depth;
        double MinPsnr;
    } cases[] = {{true, "24 bit", "1", 8}, {false, "8 bit", "8", 30}, {false, "16", "8", 30}, {false, "pf32bit", "8", 99}};
    for (const auto& c : cases) {
        TVNBMPExport reduced;
        reduced.SetOption("Monochrome", c.Mono ? "true" : "false");
        reduced.SetOption("PixelFormat", c.Format);
        const std::string file = dir.File(std::string("r") + c.Depth + (c.Mono ? "m" : "") + c.Format + ".bmp");
        Export(b.F.Report, reduced, file);
        EXPECT_EQ(RunCommand("identify -format '%wx%h %z' '" + file + "'").second, std::string("794x1123 ") + (c.Mono ? "1" : c.Depth))
            << c.Format;
        EXPECT_GE(Psnr(file, preview), c.MinPsnr) << c.Format;
    }

    TVNJPEGExport jpeg;
    jpeg.SetOption("Quality", "90");
    Export(b.F.Report, jpeg, dir.File("p.jpg"));
    EXPECT_EQ(Identify(dir.File("p.jpg")), "JPEG 794x1123 8 sRGB");
    EXPECT_GE(Psnr(dir.File("p.jpg"), preview), 30);
    EXPECT_NE(RunCommand("identify -verbose '" + dir.File("p.jpg") + "' | grep -i interlace").second.find("JPEG"),
              std::string::npos); // progressive by default

    TVNJPEGExport grey;
    grey.SetOption("Grayscale", "yes");
    grey.SetOption("ProgressiveEncoding", "no");
    Export(b.F.Report, grey, dir.File("g.jpg"));
    EXPECT_EQ(Identify(dir.File("g.jpg")), "JPEG 794x1123 8 Gray");
}

TEST(PictureExport, OneFilePerPageNamedWithItsNumber) {
    TBuilt b(100);
    ASSERT_EQ(b.Pages(), 3);
    TTempFolder dir;
    TVNJPEGExport jpeg;
    Export(b.F.Report, jpeg, dir.File("x.jpg"));
    EXPECT_EQ(jpeg.FileNames, (std::vector<std::string>{dir.File("x0002.jpg"), dir.File("x0003.jpg")}));
    for (const char* name : {"x.jpg", "x0002.jpg", "x0003.jpg"})
        EXPECT_EQ(Identify(dir.File(name)), "JPEG 794x1123 8 sRGB") << name;
    EXPECT_FALSE(fs::exists(dir.File("x0004.jpg")));
    // Each file holds its own page.
    const std::string second = dir.File("second.png");
    PreviewImage(b.F.Report, 1).save(QString::fromStdString(second));
    EXPECT_GE(Psnr(dir.File("x0002.jpg"), second), 30);
    EXPECT_LT(Psnr(dir.File("x.jpg"), second), 25);

    EXPECT_EQ(TVNGraphicExport::PageFileName("/a.b/report", 2, "bmp"), "/a.b/report0003.bmp");
    EXPECT_EQ(TVNGraphicExport::PageFileName("/a/report.BMP", 9999, "bmp"), "/a/report10000.bmp");
}

TEST(PictureExport, ScaleTwoDoublesThePictureAndTheBackground) {
    TBuilt b(3);
    TTempFolder dir;
    TVNBMPExport bmp;
    bmp.SetOption("ScaleX", "2");
    bmp.SetOption("ScaleY", " 2,0 ");
    Export(b.F.Report, bmp, dir.File("s.bmp"));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(dir.File("s.bmp"), bytes));
    const TRasterImage image = DecodeBmp(bytes);
    ASSERT_EQ(image.Width, 1588);
    ASSERT_EQ(image.Height, 2246);
    // Background 120 x 60 at (560, 30) becomes 240 x 120 at (1120, 60): red, then blue halves.
    EXPECT_EQ(image.Pixel(1125, 65) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.Pixel(1235, 175) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.Pixel(1245, 65) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.Pixel(1355, 175) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.Pixel(1365, 65) & 0xFFFFFF, 0xFFFFFFu);
    const std::string preview = dir.File("preview2.png");
    PreviewImage(b.F.Report, 0, 2).save(QString::fromStdString(preview));
    EXPECT_EQ(RunCommand("compare -metric AE '" + dir.File("s.bmp") + "' '" + preview + "' null:").second, "0");

    // Scales that are not numbers, or no size at all, end before any file.
    TVNBMPExport bad;
    EXPECT_THROW(bad.SetOption("ScaleX", "zwei"), EVNExportError);
    EXPECT_THROW(bad.SetOption("ScaleY", "0"), EVNExportError);
    EXPECT_THROW(bad.SetOption("PixelFormat", "12 bit"), EVNExportError);
    TVNJPEGExport jpeg;
    EXPECT_THROW(jpeg.SetOption("Quality", "101"), EVNExportError);
    EXPECT_THROW(jpeg.SetOption("Colour", "1"), EVNExportError);
}

TEST(PictureExport, EnhancedMetafilePageIsWhiteWindowsMetafilePageIsNot) {
    TBuilt b(3);
    TTempFolder dir;
    TVNEMFExport emf;
    Export(b.F.Report, emf, dir.File("p.emf"));
    TVNWMFExport wmf;
    Export(b.F.Report, wmf, dir.File("p.wmf"));
    const QImage e = Played(dir.File("p.emf"), 794, 1123, Qt::red), w = Played(dir.File("p.wmf"), 794, 1123, Qt::red);
    EXPECT_EQ(e.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(w.pixel(3, 3) & 0xFFFFFF, 0xFF0000u);
    // Played back by our own player, both are the page.
    const std::string preview = dir.File("preview.png");
    PreviewImage(b.F.Report, 0).save(QString::fromStdString(preview));
    Played(dir.File("p.emf"), 794, 1123, Qt::white).save(QString::fromStdString(dir.File("pe.png")));
    Played(dir.File("p.wmf"), 794, 1123, Qt::white).save(QString::fromStdString(dir.File("pw.png")));
    EXPECT_GE(TrimmedSimilarity(dir.File("pe.png"), preview, dir.Path), 0.9);
    EXPECT_GE(TrimmedSimilarity(dir.File("pw.png"), preview, dir.Path), 0.9);
}

TEST(PictureExport, AFolderThatCannotBeWrittenLeavesNoFile) {
    TBuilt b(100);
    TTempFolder dir;
    const fs::path work = dir.Path / "unwritable";
    fs::create_directories(work);
    ASSERT_NO_THROW(AtomicWriteFile((work / "plain").string(), "x"));
    for (auto* filter : std::initializer_list<TVNExportFilter*>{new TVNEMFExport, new TVNBMPExport}) {
        std::unique_ptr<TVNExportFilter> owned(filter);
        filter->ShowDialog = false;
        // A regular file where the folder should be: page 2 fails, and page 1 is never written.
        EXPECT_ANY_THROW(b.F.Report.ExportBuiltReport(*filter, (work / "plain/x.pic").string()));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 1);
}

// LibreOffice reads what we write, and we read what LibreOffice writes. Its conversions start
// cold each time (several seconds), so they are batched: two to make its metafiles of a small
// drawing, one to render everything to PDF.
TEST(PictureExport, LibreOfficeAndOurPlayerReadEachOthersMetafiles) {
    TBuilt b(3);
    TTempFolder dir;
    ASSERT_EQ(RunCommand("command -v soffice").first, 0) << "LibreOffice is needed (scripts/setup.sh)";
    TVNEMFExport emf;
    Export(b.F.Report, emf, dir.File("page-emf.emf"));
    TVNWMFExport wmf;
    Export(b.F.Report, wmf, dir.File("page-wmf.wmf"));
    AtomicWriteFile(dir.File("drawing.svg"),
                    "<svg xmlns='http://www.w3.org/2000/svg' width='400' height='200' viewBox='0 0 400 200'>"
                    "<rect x='0' y='0' width='400' height='200' fill='white'/>"
                    "<rect x='20' y='20' width='160' height='100' fill='#2050d0' stroke='black' stroke-width='4'/>"
                    "<ellipse cx='290' cy='70' rx='80' ry='45' fill='#e03020'/>"
                    "<text x='30' y='175' font-family='WenQuanYi Zen Hei' font-size='36'>盘点损益 ABC</text></svg>");
    auto lo = [&](const std::string& format, const std::string& files) {
        return RunCommand(LibreOffice(dir.Path) + "--convert-to " + format + " --outdir '" + dir.File("lo") + "' " +
                          files);
    };
    ASSERT_EQ(lo("emf", "'" + dir.File("drawing.svg") + "'").first, 0);
    ASSERT_EQ(lo("wmf", "'" + dir.File("drawing.svg") + "'").first, 0);
    ASSERT_EQ(lo("pdf", "'" + dir.File("page-emf.emf") + "' '" + dir.File("page-wmf.wmf") + "' '" +
                            dir.File("drawing.svg") + "'")
                  .first,
              0);

    const std::string preview = dir.File("preview.png");
    PreviewImage(b.F.Report, 0).save(QString::fromStdString(preview));
    for (const char* name : {"page-emf", "page-wmf"}) {
        const std::string pdf = dir.File("lo/" + std::string(name) + ".pdf");
        EXPECT_EQ(RunCommand("pdfinfo '" + pdf + "' | grep -c '^Pages: *1$'").second, "1\n") << name;
        const std::string text = RunCommand("pdftotext -layout '" + pdf + "' -").second;
        EXPECT_NE(text.find("盘点损益表"), std::string::npos) << name << ": " << text;
        EXPECT_NE(text.find("商品名称 / 数量"), std::string::npos) << name;
        EXPECT_NE(text.find("商品 r2"), std::string::npos) << name;
        RunCommand("pdftoppm -r 96 -png -singlefile '" + pdf + "' '" + dir.File(name) + "'");
        EXPECT_GE(TrimmedSimilarity(dir.File(std::string(name) + ".png"), preview, dir.Path), 0.6) << name;
    }

    // Our player draws LibreOffice's own metafiles of the drawing like LibreOffice draws the SVG.
    RunCommand("pdftoppm -r 96 -png -singlefile '" + dir.File("lo/drawing.pdf") + "' '" + dir.File("drawing") + "'");
    for (const char* name : {"drawing.emf", "drawing.wmf"}) {
        const QImage played = Played(dir.File("lo/" + std::string(name)), 400, 200, Qt::white);
        const std::string png = dir.File(std::string(name) + ".png");
        played.save(QString::fromStdString(png));
        EXPECT_GE(TrimmedSimilarity(png, dir.File("drawing.png"), dir.Path), 0.6) << name;
        const QColor blue = played.pixelColor(100, 70), red = played.pixelColor(290, 70);
        EXPECT_TRUE(blue.blue() > 150 && blue.red() < 100) << name << " " << blue.name().toStdString();
        EXPECT_TRUE(red.red() > 150 && red.blue() < 100) << name << " " << red.name().toStdString();
    }
}
