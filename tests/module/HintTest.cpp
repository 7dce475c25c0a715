// The wait hint: a top-most window of the fixed size with its text, the built-in animation when
// there is no clip, a clip played from "Resource/Turtle.avi" (uncompressed and RLE8 frames), and a
// broken clip file falling back to the built-in animation.
#include "ModuleTestSupport.h"

#include "module/FrmHint.h"
#include "module/HintAnimation.h"
#include "module/ModuleText.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>

#include <cstdint>
#include <fstream>

using namespace moduletest;

namespace {

void Put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
std::string Chunk(const char* tag, const std::string& data) {
    std::string s(tag, 4);
    Put32(s, static_cast<std::uint32_t>(data.size()));
    s += data;
    if (data.size() & 1) s += '\0';
    return s;
}
std::string List(const char* type, const std::string& data) {
    return Chunk("LIST", std::string(type, 4) + data);
}

// A 4 x 2 clip with an 8-bit palette: frame 1 plain, frame 2 RLE8 changing one pixel.
std::string TinyAvi(int compression) {
    std::string avih;
    Put32(avih, 50000); // 50 ms a frame
    avih += std::string(52, '\0');
    std::string strh = "vids";
    strh += std::string(52, '\0');
    std::string strf;
    Put32(strf, 40);
    Put32(strf, 4);
    Put32(strf, 2);
    Put16(strf, 1);
    Put16(strf, 8);
    Put32(strf, static_cast<std::uint32_t>(compression));
    Put32(strf, 0);
    Put32(strf, 0);
    Put32(strf, 0);
    Put32(strf, 2); // two colours
    Put32(strf, 0);
    strf += std::string("\x00\x00\xFF\x00", 4); // red (BGRA)
    strf += std::string("\xFF\x00\x00\x00", 4); // blue
    std::string frame1, frame2;
    if (compression == 0) {
        frame1 = std::string("\x00\x00\x00\x00\x01\x01\x01\x01", 8); // bottom row red, top row blue
        frame2 = std::string("\x01\x00\x00\x00\x01\x01\x01\x01", 8);
    } else {
        frame1 = std::string("\x04\x00\x00\x00\x04\x01\x00\x01", 8); // 4 red, eol, 4 blue, end
        frame2 = std::string("\x01\x01\x00\x01", 4);                 // first pixel blue, end
    }
    const std::string hdrl =
        List("hdrl", Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf)));
    const std::string movi =
        List("movi", Chunk("00db", frame1) + Chunk(compression ? "00dc" : "00db", frame2));
    std::string body = "AVI " + hdrl + movi;
    std::string file = "RIFF";
    Put32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

class HintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

} // namespace

TEST_F(HintTest, ShowsOnTopWithItsTextAndTheBuiltInAnimation) {
    QPointer<TFrmHint> hint = TFrmHint::ShowHint();
    ASSERT_TRUE(hint);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(hint->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(hint->size(), QSize(332, 87));
    EXPECT_EQ(QStringToAnsi(hint->Label->text()), A("正在统计，请稍候..."));
    EXPECT_EQ(hint->Label->font().pixelSize(), 14);
    EXPECT_FALSE(hint->PlaysClip());
    EXPECT_EQ(hint->Animation->pos(), QPoint(16, 20));
    EXPECT_EQ(hint->Label->pos(), QPoint(116, 40));
    // The animation loops.
    auto* folder = static_cast<TFolderSearchAnimation*>(hint->Animation);
    const int step = folder->Step();
    ProcessUntil([&] { return folder->Step() != step; }, 2000);
    EXPECT_NE(folder->Step(), step);
    TFrmHint::CloseHint(hint);
    ProcessPending();
    EXPECT_TRUE(hint.isNull());
}

TEST_F(HintTest, PlaysTheClipWhenTheFileIsThere) {
    for (int compression : {0, 1}) {
        const fs::path path = Scratch() / ("clip" + std::to_string(compression) + ".avi");
        std::ofstream(path, std::ios::binary) << TinyAvi(compression);
        TAviClip clip;
        ASSERT_TRUE(LoadAviClip(path.string(), clip)) << compression;
        ASSERT_EQ(clip.Frames.size(), 2u);
        EXPECT_EQ(clip.FrameMs, 50);
        const QImage& first = clip.Frames[0];
        EXPECT_EQ(first.size(), QSize(4, 2));
        EXPECT_EQ(first.pixelColor(0, 1), QColor(255, 0, 0)) << "bottom row red";
        EXPECT_EQ(first.pixelColor(3, 0), QColor(0, 0, 255)) << "top row blue";
        EXPECT_EQ(clip.Frames[1].pixelColor(0, 1), QColor(0, 0, 255));
        EXPECT_EQ(clip.Frames[1].pixelColor(1, 1), QColor(255, 0, 0));
    }

    // Broken files: cut short, sizes beyond the file, garbage.
    const std::string good = TinyAvi(1);
    for (const std::string& bad : {good.substr(0, good.size() / 2),
                                   std::string("RIFF\xFF\xFF\xFF\x7F"
                                               "AVI ",
                                               12),
                                   std::string(100, '\x7F')}) {
        const fs::path path = Scratch() / "bad.avi";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bad;
        TAviClip clip;
        EXPECT_FALSE(LoadAviClip(path.string(), clip));
    }

    // In the hint, relative to the current folder.
    const QString previous = QDir::currentPath();
    const fs::path folder = Scratch() / "cwd";
    fs::create_directories(folder / "Resource");
    std::ofstream(folder / "Resource" / "Turtle.avi", std::ios::binary) << good;
    QDir::setCurrent(QString::fromStdString(folder.string()));
    QPointer<TFrmHint> hint = TFrmHint::ShowHint();
    EXPECT_TRUE(hint->PlaysClip());
    EXPECT_EQ(hint->Animation->pos(), QPoint(32, 2));
    EXPECT_EQ(hint->Label->pos(), QPoint(93, 69));
    TFrmHint::CloseHint(hint);
    QDir::setCurrent(previous);
    ProcessPending();
}

TEST_F(HintTest, IsPaintedOnTheScreenBeforeTheBlockingWorkStarts) {
    // The work after ShowHint runs no events: what the screen shows then is all the clerk sees.
    QPointer<TFrmHint> hint = TFrmHint::ShowHint();
    ASSERT_TRUE(hint);
    QScreen* screen = hint->screen();
    ASSERT_NE(screen, nullptr);
    const QImage shot = screen->grabWindow(0, hint->x(), hint->y(), hint->width(), hint->height()).toImage();
    ASSERT_FALSE(shot.isNull());
    // Mostly the form colour, with the text and animation on it; never a black rectangle.
    int formColoured = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            formColoured += shot.pixelColor(x, y).rgb() == ColorOf(FormColor).rgb();
    EXPECT_GT(formColoured, shot.width() * shot.height() / 2) << QGuiApplication::platformName().toStdString();
    TFrmHint::CloseHint(hint);
    ProcessPending();
}
