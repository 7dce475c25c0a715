// The QPainter canvas: font mapping to installed fonts, cached text measuring that agrees with
// Qt's own shaping, and drawing (rotated text, spacing, clipping, dashed pens, shapes, pen modes,
// pictures) checked on the pixels of a raster image.
#include "platform/qt/QtCanvas.h"
#include "platform/AnsiString.h"
#include "platform/Picture.h"
#include "platform/qt/QtPicture.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace {

void EnsureApp() {
    static QGuiApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "platform_qt_canvas_tests";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

TFontSpec Font(const AnsiString& name, int size, int style = 0) {
    TFontSpec f;
    f.Name = name;
    f.Size = size;
    f.Style = style;
    return f;
}

// A white raster image with a painter and a canvas on it.
struct TSurface {
    QImage Image;
    std::unique_ptr<QPainter> Painter;
    std::unique_ptr<TQtCanvas> Canvas;
    TSurface(int w, int h) : Image(w, h, QImage::Format_RGB32) {
        Image.setDotsPerMeterX(3780);
        Image.setDotsPerMeterY(3780);
        Image.fill(Qt::white);
        Painter = std::make_unique<QPainter>(&Image);
        Canvas = std::make_unique<TQtCanvas>(Painter.get());
    }
    const QImage& Done() {
        Canvas.reset();
        Painter->end();
        return Image;
    }
};

bool IsInk(QRgb p) {
    return qRed(p) < 160 || qGreen(p) < 160 || qBlue(p) < 160;
}

// Bounding box of all non-white pixels (null when none).
QRect InkBox(const QImage& img, const QRect& within = QRect()) {
    QRect area = within.isNull() ? img.rect() : within;
    int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (IsInk(img.pixel(x, y)))
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

class QtCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }
};

const AnsiString& SongTi() {
    return CP936("宋体");
}
const AnsiString& HeiTi() {
    return CP936("黑体");
}

} // namespace

TEST_F(QtCanvasTest, WindowsFontNamesMapToInstalledFamilies) {
    struct Case {
        AnsiString Name;
        const char* Family;
        bool Symbol;
    };
    const Case cases[] = {
        {SongTi(), "AR PL UMing CN", false},       {"SimSun", "AR PL UMing CN", false},
        {HeiTi(), "WenQuanYi Zen Hei", false},     {"simhei", "WenQuanYi Zen Hei", false},
        {"Arial", "Liberation Sans", false},       {"Times New Roman", "Liberation Serif", false},
        {"Courier New", "Liberation Mono", false}, {"MS Sans Serif", "Liberation Sans", false},
        {"Wingdings", "DejaVu Sans", true},
    };
    const QStringList installed = QFontDatabase::families();
    for (const Case& c : cases) {
        bool symbol = !c.Symbol;
        EXPECT_EQ(TQtCanvas::MapFontFamily(c.Name, &symbol).toStdString(), c.Family) << c.Family;
        EXPECT_EQ(symbol, c.Symbol) << c.Family;
        // The target must really be installed, or Qt would silently substitute another font.
        EXPECT_TRUE(installed.contains(QString::fromLatin1(c.Family))) << c.Family << " is not installed";
    }
    EXPECT_EQ(TQtCanvas::MapFontFamily("DejaVu Serif").toStdString(),
              "DejaVu Serif"); // unknown names pass through
}

TEST_F(QtCanvasTest, SizesArePointsAtTheDeviceResolution) {
    TSurface s(10, 10);
    s.Canvas->SetFont(Font(SongTi(), 12));
    EXPECT_EQ(s.Canvas->QtFont().pixelSize(), 16); // 12 pt at 96 ppi
    TFontSpec f = Font("Arial", 12);
    f.Height = -20;
    s.Canvas->SetFont(f);
    EXPECT_EQ(s.Canvas->QtFont().pixelSize(), 20); // a pixel height wins
    EXPECT_EQ(QFontInfo(s.Canvas->QtFont()).family().toStdString(), "Liberation Sans");

    TQtCanvas printer(s.Painter.get(), 600, 600);
    printer.SetFont(Font("Arial", 12));
    EXPECT_EQ(printer.QtFont().pixelSize(), 100);
    EXPECT_GT(printer.TextHeight("x"), 5 * s.Canvas->TextHeight("x") / 2);
}

TEST_F(QtCanvasTest, ChineseCharactersMeasureAboutTwiceAsciiLetters) {
    TSurface s(10, 10);
    s.Canvas->SetFont(Font(SongTi(), 12));
    AnsiString chinese = CP936("盘点损益表合计");
    int ascii = s.Canvas->TextWidth("abcdefg");
    int wide = s.Canvas->TextWidth(chinese);
    EXPECT_GT(wide, ascii * 3 / 2) << ascii << " vs " << wide;
    EXPECT_LT(wide, ascii * 5 / 2) << ascii << " vs " << wide;
    EXPECT_NEAR(wide, 7 * 16, 7); // full-width characters are one em each
    EXPECT_GE(s.Canvas->TextHeight(chinese), 16);
}

TEST_F(QtCanvasTest, CachedAdvancesAgreeWithQtShaping) {
    TSurface s(10, 10);
    const AnsiString texts[] = {"Stocktake gain/loss sheet 2024-01-31", "WWWWiiiillll....",
                                CP936("盘点损益表：合计"), CP936("商品 Goods 编码 123，数量"), ""};
    TFontSpec squeezed = Font("Arial", 10);
    squeezed.Width = 4;
    const TFontSpec fonts[] = {Font(SongTi(), 12),       Font("Arial", 10),
                               Font(HeiTi(), 9, fsBold), Font("Times New Roman", 11, fsItalic),
                               Font("Courier New", 10),  squeezed};
    for (const TFontSpec& f : fonts) {
        s.Canvas->SetFont(f);
        QFontMetricsF qt(s.Canvas->QtFont(), &s.Image);
        for (const AnsiString& t : texts) {
            double expected = qt.horizontalAdvance(QString::fromStdU16String(AnsiToUtf16(t)));
            EXPECT_NEAR(s.Canvas->TextWidth(t), expected, 1.0) << AnsiToUtf8(t) << " in " << f.Name;
            // Measured twice: the second time comes from the cache and must not drift.
            EXPECT_EQ(s.Canvas->TextWidth(t), s.Canvas->TextWidth(t));
        }
        s.Canvas->SetCharSpacing(3);
        EXPECT_EQ(s.Canvas->TextWidth(CP936("ab合计")), s.Canvas->TextWidth(CP936("ab合计")));
        s.Canvas->SetCharSpacing(0);
        int plain = s.Canvas->TextWidth(CP936("ab合计"));
        s.Canvas->SetCharSpacing(3);
        EXPECT_EQ(s.Canvas->TextWidth(CP936("ab合计")), plain + 4 * 3);
        s.Canvas->SetCharSpacing(0);
    }
    // A squeezed font is narrower than the natural one.
    s.Canvas->SetFont(Font("Arial", 10));
    int natural = s.Canvas->TextWidth("abcdefghij");
    s.Canvas->SetFont(squeezed);
    EXPECT_LT(s.Canvas->TextWidth("abcdefghij"), natural);
}

TEST_F(QtCanvasTest, TextLandsWhereTheRotationPutsIt) {
    // (x, y) is the top-left of the unrotated cell; the angle turns counter-clockwise around it.
    struct Case {
        int Angle;
        const char* Name;
    };
    const Case cases[] = {{0, "upright"}, {900, "upward"}, {1800, "upside down"}, {2700, "downward"}};
    for (const Case& c : cases) {
        TSurface s(300, 300);
        TFontSpec f = Font("Arial", 14);
        f.Angle = c.Angle;
        s.Canvas->SetFont(f);
        int w = s.Canvas->TextWidth("HHHHHH"), h = s.Canvas->TextHeight("HHHHHH");
        s.Canvas->TextOut(150, 150, "HHHHHH");
        QRect ink = InkBox(s.Done());
        ASSERT_FALSE(ink.isNull()) << c.Name;
        QRect cell;
        switch (c.Angle) {
        case 0:
            cell = QRect(150, 150, w, h);
            break;
        case 900:
            cell = QRect(150, 150 - w, h, w);
            break;
        case 1800:
            cell = QRect(150 - w, 150 - h, w, h);
            break;
        default:
            cell = QRect(150 - h, 150, h, w);
            break;
        }
        EXPECT_TRUE(cell.adjusted(-2, -2, 2, 2).contains(ink))
            << c.Name << ": ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        // Long side of the ink follows the text direction.
        bool vertical = c.Angle == 900 || c.Angle == 2700;
        EXPECT_EQ(ink.height() > ink.width(), vertical) << c.Name;
        EXPECT_GT(vertical ? ink.height() : ink.width(), w * 3 / 4) << c.Name;
    }
}

TEST_F(QtCanvasTest, CharacterSpacingWidensTheDrawnText) {
    TSurface plain(400, 60), spaced(400, 60);
    for (TSurface* s : {&plain, &spaced}) {
        s->Canvas->SetFont(Font("Arial", 12));
        if (s == &spaced) s->Canvas->SetCharSpacing(10);
        s->Canvas->TextOut(10, 10, "IIIII");
    }
    int narrow = InkBox(plain.Done()).width(), wide = InkBox(spaced.Done()).width();
    EXPECT_NEAR(wide - narrow, 4 * 10, 2);
}

TEST_F(QtCanvasTest, ClippingLimitsTextAndFillsAndRestores) {
    TSurface s(200, 100);
    TFontSpec f = Font("Arial", 20);
    s.Canvas->SetFont(f);
    s.Canvas->TextRect(TRect{10, 0, 40, 100}, 10, 10, "WWWWWWWW");
    s.Canvas->SetBrush(TBrush{TBrushStyle::Solid, clBlue});
    s.Canvas->PushClipRect(TRect{100, 0, 150, 100});
    s.Canvas->PushClipRect(TRect{0, 50, 200, 100}); // intersects with the first
    s.Canvas->FillRect(TRect{0, 0, 200, 100});
    s.Canvas->PopClipRect();
    s.Canvas->PopClipRect();
    s.Canvas->SetBrush(TBrush{TBrushStyle::Solid, clRed});
    s.Canvas->FillRect(TRect{190, 0, 200, 10}); // no clip left
    const QImage& img = s.Done();
    QRect text = InkBox(img, QRect(0, 0, 100, 100));
    EXPECT_GE(text.left(), 10);
    EXPECT_LE(text.right(), 39);
    EXPECT_EQ(InkBox(img, QRect(41, 0, 149, 100)), QRect(100, 50, 50, 50));
    EXPECT_EQ(img.pixel(195, 5), qRgb(255, 0, 0));
}

TEST_F(QtCanvasTest, PensDrawDashesAndWidths) {
    TSurface s(200, 100);
    s.Canvas->SetPen(TPen{TPenStyle::Dash, 3, clBlack, TPenEnd::Flat});
    s.Canvas->MoveTo(10, 20);
    s.Canvas->LineTo(190, 20);
    s.Canvas->SetPen(TPen{TPenStyle::Solid, 1, clBlack});
    s.Canvas->MoveTo(10, 60);
    s.Canvas->LineTo(190, 60);
    s.Canvas->SetPen(TPen{TPenStyle::Clear, 5, clBlack});
    s.Canvas->LineTo(10, 90); // clear pen: nothing
    const QImage& img = s.Done();

    int inkDashed = 0, inkSolid = 0;
    for (int x = 10; x < 190; ++x)
        inkDashed += IsInk(img.pixel(x, 20)), inkSolid += IsInk(img.pixel(x, 60));
    EXPECT_EQ(inkSolid, 180);
    EXPECT_GT(inkDashed, 60);  // dashes...
    EXPECT_LT(inkDashed, 160); // ...with gaps
    QRect dashed = InkBox(img, QRect(0, 0, 200, 40));
    EXPECT_NEAR(dashed.height(), 3, 1); // width 3 across the line
    EXPECT_TRUE(InkBox(img, QRect(0, 70, 200, 30)).isNull());
}

TEST_F(QtCanvasTest, ShapesUseExclusiveRightAndBottomEdges) {
    TSurface s(100, 100);
    s.Canvas->SetPen(TPen{TPenStyle::Solid, 1, clBlack});
    s.Canvas->SetBrush(TBrush{TBrushStyle::Solid, clRed});
    s.Canvas->Rectangle(TRect{10, 10, 20, 20});
    s.Canvas->Ellipse(TRect{40, 10, 80, 50});
    s.Canvas->SetBrush(TBrush{TBrushStyle::Solid, clLime});
    s.Canvas->FrameRect(TRect{10, 60, 30, 80});
    s.Canvas->Polygon({{50, 60}, {90, 60}, {70, 95}});
    const QImage& img = s.Done();
    EXPECT_EQ(img.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(19, 19), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(20, 20), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(15, 15), qRgb(255, 0, 0));
    EXPECT_EQ(InkBox(img, QRect(35, 5, 50, 50)), QRect(40, 10, 40, 40));
    EXPECT_EQ(img.pixel(60, 30), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(10, 60), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(29, 79), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(20, 70), qRgb(255, 255, 255)); // frame only
    EXPECT_EQ(img.pixel(70, 70), qRgb(0, 255, 0));
}

TEST_F(QtCanvasTest, XorPenModeUndoesItselfAndNopDrawsNothing) {
    TSurface s(50, 50);
    s.Canvas->SetBrush(TBrush{TBrushStyle::Solid, clBlue});
    s.Canvas->FillRect(TRect{0, 0, 25, 50});
    s.Canvas->SetPen(TPen{TPenStyle::Solid, 1, clWhite, TPenEnd::Round, TPenMode::Xor});
    s.Canvas->MoveTo(0, 10);
    s.Canvas->LineTo(49, 10);
    QImage once = s.Image.copy();
    s.Canvas->MoveTo(0, 10);
    s.Canvas->LineTo(49, 10);
    s.Canvas->SetPen(TPen{TPenStyle::Solid, 1, clBlack, TPenEnd::Round, TPenMode::Nop});
    s.Canvas->Rectangle(TRect{0, 0, 50, 50});
    const QImage& img = s.Done();
    EXPECT_EQ(once.pixel(5, 10) & 0xFFFFFF, 0xFFFF00u);  // blue xor white
    EXPECT_EQ(once.pixel(40, 10) & 0xFFFFFF, 0x000000u); // white xor white
    EXPECT_EQ(img.pixel(5, 10) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img.pixel(40, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(QtCanvasTest, PicturesStretchIntoTheirRectangle) {
    TRasterImage quad(2, 2);
    quad.SetPixel(0, 0, 0xFFFF0000);
    quad.SetPixel(1, 0, 0xFF00FF00);
    quad.SetPixel(0, 1, 0xFF0000FF);
    quad.SetPixel(1, 1, 0xFF000000);
    TPicture bmp = TPicture::FromRaster(quad);
    TPicture jpg =
        TPicture::Load(EncodeJpeg(TRasterImage(8, 8, 0xFFFF0000), TJpegOptions{100, false, false}));

    TSurface s(100, 100);
    s.Canvas->DrawPicture(TRect{0, 0, 40, 40}, bmp);
    s.Canvas->DrawPicture(TRect{50, 0, 90, 40}, jpg);
    s.Canvas->SetBrush(TBrush{TBrushStyle::Solid, clBlue});
    s.Canvas->FillRect(TRect{0, 50, 40, 90});
    s.Canvas->DrawPicture(TRect{0, 50, 40, 90}, TPicture::FromRaster(TRasterImage(4, 4, 0xFFFFFFFF)),
                          TPictureCopyMode::And);             // white AND blue stays blue
    s.Canvas->DrawPicture(TRect{50, 50, 90, 90}, TPicture()); // empty: nothing
    const QImage& img = s.Done();
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(35, 5), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(5, 35), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(35, 35), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(40, 20), qRgb(255, 255, 255)); // right edge exclusive
    QRgb red = img.pixel(70, 20);
    EXPECT_GT(qRed(red), 230);
    EXPECT_LT(qGreen(red), 25);
    EXPECT_EQ(img.pixel(20, 70), qRgb(0, 0, 255));
    EXPECT_TRUE(InkBox(img, QRect(50, 50, 50, 50)).isNull());
}

TEST_F(QtCanvasTest, IconsAndImagesConvert) {
    QImage source(16, 8, QImage::Format_ARGB32);
    source.fill(qRgb(10, 20, 30));
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(source.save(&buffer, "ICO"));
    TPicture icon = TPicture::LoadIcon(ico.toStdString());
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 8);
    QImage back = PictureToQImage(icon);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.pixel(3, 3), qRgb(10, 20, 30));

    TRasterImage raster(3, 2, 0xFF102030);
    raster.SetPixel(2, 1, 0xFFABCDEF);
    EXPECT_EQ(QImageToRaster(RasterToQImage(raster)).Pixels, raster.Pixels);
}

TEST_F(QtCanvasTest, WingdingsTickAndCrossBecomeUnicodeMarks) {
    TSurface s(60, 60);
    s.Canvas->SetFont(Font("Wingdings", 20));
    EXPECT_EQ(s.Canvas->DisplayText("\xFC\xFB"), QString::fromUtf8("\u2714\u2718"));
    EXPECT_EQ(QFontInfo(s.Canvas->QtFont()).family().toStdString(), "DejaVu Sans");
    EXPECT_GT(s.Canvas->TextWidth("\xFC"), 5); // measured as one symbol, not a CP936 lead byte
    s.Canvas->TextOut(10, 10, "\xFC");
    EXPECT_FALSE(InkBox(s.Done()).isNull());
}

TEST_F(QtCanvasTest, LargeWidthStretchesDrawAsWideAsAskedWithoutCrashing) {
    // A bold CJK font stretched hundreds of percent once crashed Qt's FreeType engine; any stored
    // width must draw, and the drawn text must be as wide as it measures.
    const AnsiString text = CP936("宽字AB");
    int previous = 0;
    for (int width : {12, 40, 120, 400}) {
        SCOPED_TRACE(width);
        TSurface s(4200, 120);
        TFontSpec f = Font(HeiTi(), 24, fsBold);
        f.Width = width;
        s.Canvas->SetFont(f);
        const int measured = s.Canvas->TextWidth(text);
        EXPECT_GT(measured, previous);
        previous = measured;
        s.Canvas->TextOut(10, 10, text);
        const QRect ink = InkBox(s.Done());
        ASSERT_FALSE(ink.isNull());
        EXPECT_NEAR(ink.width(), measured, measured * 0.15 + 4);
    }
}
