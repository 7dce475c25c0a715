// What the picture export tests share: a Qt application with the Qt raster surfaces and a Qt
// measuring canvas installed, a small built report whose page holds Chinese text, frames, a
// filled rectangle and a background picture, the page as the preview draws it, and the
// independent readers (ImageMagick, LibreOffice) run as separate programs.
#pragma once

#include "engine/EngineFixture.h"

#include "report/VNMemoLayout.h"
#include "report/output/VNQtRasterSurface.h"

#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtPicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

inline void PictureTestApp() {
    static QGuiApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "export_pictures_tests";
        static char* argv[] = {name, nullptr};
        auto* a = new QGuiApplication(argc, argv);
        InstallVNQtRasterSurfaces();
        // Memos measured with the fonts they are drawn with, as in the preview.
        static QImage scratch(8, 8, QImage::Format_RGB32);
        static QPainter painter(&scratch);
        static TQtCanvas canvas(&painter, 96, 96);
        SetVNMeasureCanvas(&canvas);
        return a;
    }();
    (void)app;
}

struct TTempFolder {
    fs::path Path;
    TTempFolder() {
        // VN_KEEP_EXPORTS=DIR keeps the files for a person to look at.
        if (const char* keep = std::getenv("VN_KEEP_EXPORTS")) {
            Path = keep;
            fs::create_directories(Path);
        } else {
            char tmpl[] = "/tmp/vnpictures-XXXXXX";
            Path = mkdtemp(tmpl);
        }
    }
    ~TTempFolder() {
        if (!std::getenv("VN_KEEP_EXPORTS")) fs::remove_all(Path);
    }
    std::string File(const std::string& name) const { return (Path / name).string(); }
};

// Output of a shell command (stdout and stderr), and its exit status.
inline std::pair<int, std::string> RunCommand(const std::string& command) {
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return {-1, ""};
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    const int status = pclose(p);
    return {WEXITSTATUS(status), out};
}

// A 120 x 60 bitmap: red left half, blue right half.
inline std::string BackgroundBmp() {
    TRasterImage image(120, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) image.SetPixel(x, y, x < 60 ? 0xFFFF0000 : 0xFF0000FF);
    return EncodeBmp(image);
}

// Title in 黑体, a framed table of goods rows in 宋体, a grey filled header memo and a background
// picture at (560, 30) of 120 x 60; `rows` rows of data.
inline void PicturePage(TEngineFixture& f, int rows) {
    (void)rows;
    f.Page->BackGround.Kind = pkBitmap;
    f.Page->BackGround.Data = BackgroundBmp();
    f.Page->BackGroundLeft = 560;
    f.Page->BackGroundTop = 30;
    f.Page->BackGroundWidth = 120;
    f.Page->BackGroundHeight = 60;
    AddBand(*f.Page, "Title", bkTitle, 40, 60);
    TVNMemoView* t = AddMemo(*f.Page, "T", 80, 40, 400, 40, {CP936("盘点损益表")});
    t->Font.Name = CP936("黑体");
    t->Font.Size = 22;
    t->Font.Style = fsBold;
    AddBand(*f.Page, "Head", bkPageHeader, 110, 24);
    TVNMemoView* h = AddMemo(*f.Page, "H", 80, 110, 400, 24, {CP936("商品名称 / 数量")});
    h->FillColor = clSilver;
    h->SetFrameTyp(15);
    h->Font.Name = CP936("宋体");
    h->Font.Size = 11;
    AddBand(*f.Page, "Data", bkMasterData, 140, 24)->FormatText = "Lines";
    TVNMemoView* n = AddMemo(*f.Page, "N", 80, 140, 300, 24, {CP936("商品 ") + "[name]"});
    n->SetFrameTyp(15);
    n->Font.Name = CP936("宋体");
    n->Font.Size = 11;
    TVNMemoView* q = AddMemo(*f.Page, "Q", 380, 140, 100, 24, {"[qty]"});
    q->SetFrameTyp(15);
    q->Adjust = vntaRightJustify;
    q->Font.Name = CP936("宋体");
    q->Font.Size = 11;
}

// The page as the preview draws it onto an image at 96 dpi, with the page's background picture
// under it (the picture exports draw both).
inline QImage PreviewImage(TVNReport& report, int index, double scale = 1) {
    TVNEMFPages& pages = *report.EMFPages;
    TVNPreparedPage& page = pages.Page(index);
    const int w = int(std::nearbyint(page.Metrics.PaperWidthPx * scale)),
              h = int(std::nearbyint(page.Metrics.PaperHeightPx * scale));
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TQtCanvas canvas(&painter, 96, 96);
    if (const TVNBkPicture* bk = pages.Background(page.BackgroundIndex); bk && !bk->Picture.Empty()) {
        const int l = int(std::nearbyint(bk->Left * scale)), t = int(std::nearbyint(bk->Top * scale));
        canvas.DrawPicture(TRect{l, t, l + int(std::nearbyint(bk->Width * scale)),
                                 t + int(std::nearbyint(bk->Height * scale))},
                           TPicture::Load(bk->Picture.Data));
    }
    const std::uint8_t visible = page.Visible;
    page.Visible = 1;
    pages.DrawPage(index, canvas, TRect{0, 0, w, h});
    page.Visible = visible;
    return image;
}

// Normalised cross-correlation of two pictures after both are trimmed of their white border,
// brought to one size and turned grey (ImageMagick's NCC: 1 for equal pictures, about 0 for
// unrelated ones). Trimming lets a reader that places the picture on a page with margins be
// compared with our own raster of it.
inline double TrimmedSimilarity(const std::string& a, const std::string& b, const fs::path& work) {
    const std::string pa = (work / "ncc-a.png").string(), pb = (work / "ncc-b.png").string();
    const std::string prep = " -background white -alpha remove -trim +repage -resize 300x400! -colorspace Gray ";
    RunCommand("convert '" + a + "'" + prep + "'" + pa + "'");
    RunCommand("convert '" + b + "'" + prep + "'" + pb + "'");
    auto [rc, out] = RunCommand("compare -metric NCC '" + pa + "' '" + pb + "' null:");
    (void)rc;
    try {
        return std::stod(out);
    } catch (...) {
        ADD_FAILURE() << "compare said: " << out;
        return 0;
    }
}

inline std::string LibreOffice(const fs::path& work) {
    return "soffice -env:UserInstallation=file://" + (work / "lo-profile").string() + " --headless ";
}
