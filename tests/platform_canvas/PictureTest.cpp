// Pictures: BMP and JPEG reading and writing, recognition of the four kinds, and bad input
// that must end in EPictureError (never a crash or a huge allocation).
#include "platform/Picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

void Put16(std::string& s, unsigned v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void Set32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A BMP written by hand (not by our writer): header, palette entries (B,G,R,0 each) and rows
// exactly as given (already padded, in stored order).
std::string HandBmp(int width, int height, int bpp, std::uint32_t compression,
                    const std::vector<std::uint32_t>& palette, const std::string& rows) {
    std::string s = "BM";
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, std::uint32_t(14 + 40 + 4 * palette.size()));
    Put32(s, 40);
    Put32(s, std::uint32_t(width));
    Put32(s, std::uint32_t(height));
    Put16(s, 1);
    Put16(s, unsigned(bpp));
    Put32(s, compression);
    Put32(s, std::uint32_t(rows.size()));
    Put32(s, 3780);
    Put32(s, 3780);
    Put32(s, std::uint32_t(palette.size()));
    Put32(s, 0);
    for (std::uint32_t c : palette)
        Put32(s, c);
    s += rows;
    Set32(s, 2, std::uint32_t(s.size()));
    return s;
}

// A test image whose every pixel differs from its neighbours.
TRasterImage Gradient(int w, int h) {
    TRasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.SetPixel(
                x, y, 0xFF000000 | std::uint32_t(x * 255 / w) << 16 | std::uint32_t(y * 255 / h) << 8 | 0x40);
    return img;
}

bool Has(const std::string& bytes, std::string_view marker) {
    return bytes.find(marker) != std::string::npos;
}

// Output of ImageMagick's identify for a file with these bytes, or "" when identify is missing.
std::string Identify(const std::string& bytes, const std::string& ext, const std::string& format) {
    if (std::system("command -v identify >/dev/null 2>&1") != 0) return "";
    auto path = std::filesystem::temp_directory_path() /
                ("gusvak_picture_test_" + std::to_string(::getpid()) + "." + ext);
    std::ofstream(path, std::ios::binary) << bytes;
    std::string cmd = "identify -format '" + format + "' '" + path.string() + "' 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    std::filesystem::remove(path);
    return out;
}

int ChannelDiff(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16})
        d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return d;
}

} // namespace

TEST(Bmp, WriteThenReadGivesTheSamePixels) {
    // Odd widths exercise the row padding; 1x1 the smallest case.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{101, 50}}) {
        TRasterImage img = Gradient(w, h);
        for (int bpp : {24, 32}) {
            std::string bytes = EncodeBmp(img, bpp);
            std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
            EXPECT_EQ(bytes.size(), 54 + stride * h);
            TRasterImage back = DecodeBmp(bytes);
            ASSERT_EQ(back.Width, w);
            ASSERT_EQ(back.Height, h);
            EXPECT_EQ(back.Pixels, img.Pixels) << w << "x" << h << " " << bpp << " bpp";
        }
    }
    EXPECT_EQ(EncodeBmp(Gradient(101, 50)).size(), 15254u); // 54 + stride 304 * 50 rows
}

TEST(Bmp, MonochromeWriteThresholdsByLuminance) {
    TRasterImage img(9, 2, 0xFF000000);
    img.SetPixel(0, 0, 0xFFFFFFFF);
    img.SetPixel(8, 1, 0xFFC0C0C0);
    img.SetPixel(3, 0, 0xFF0000FF); // pure blue is dark
    std::string bytes = EncodeBmp(img, 1);
    EXPECT_EQ(bytes.size(), 62u + 4 * 2);
    TRasterImage back = DecodeBmp(bytes);
    EXPECT_EQ(back.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(back.Pixel(8, 1), 0xFFFFFFFFu);
    EXPECT_EQ(back.Pixel(3, 0), 0xFF000000u);
    EXPECT_EQ(back.Pixel(1, 0), 0xFF000000u);
}

TEST(Bmp, ReadsPaletteDepthsOrientationsAndMasks) {
    const std::vector<std::uint32_t> pal = {0x000000FF /*blue*/, 0x0000FF00 /*green*/, 0x00FF0000 /*red*/};
    const std::uint32_t blue = 0xFF0000FF, green = 0xFF00FF00, red = 0xFFFF0000, black = 0xFF000000;
    struct Case {
        const char* Name;
        std::string Bytes;
        std::vector<std::uint32_t> Expected; // top row first
    };
    std::string topDown8 = HandBmp(3, 2, 8, 0, pal, std::string("\x00\x01\x02\x00\x02\x02\x02\x00", 8));
    Set32(topDown8, 22, std::uint32_t(-2)); // negative height: first stored row is the top
    const Case cases[] = {
        // 1 bpp: MSB is the leftmost pixel; bottom row stored first.
        {"1bpp",
         HandBmp(3, 2, 1, 0, {pal[0], pal[2]}, std::string("\x40\0\0\0\xA0\0\0\0", 8)),
         {red, blue, red, blue, red, blue}},
        // 4 bpp: high nibble is the left pixel.
        {"4bpp", HandBmp(3, 1, 4, 0, pal, std::string("\x12\x00\0\0", 4)), {green, red, blue}},
        {"8bpp",
         HandBmp(3, 2, 8, 0, pal, std::string("\x00\x01\x02\x00\x02\x02\x02\x00", 8)),
         {red, red, red, blue, green, red}},
        {"8bpp top-down", topDown8, {blue, green, red, red, red, red}},
        // Index beyond the table is black, not a read past the table.
        {"index past palette", HandBmp(1, 1, 8, 0, pal, std::string("\x09\0\0\0", 4)), {black}},
        // 16 bpp 5-5-5: red 0x7C00, green 0x03E0, blue 0x001F.
        {"16bpp",
         HandBmp(3, 1, 16, 0, {}, std::string("\x00\x7C\xE0\x03\x1F\x00\0\0", 8)),
         {red, green, blue}},
        // 24 bpp: B, G, R.
        {"24bpp", HandBmp(1, 1, 24, 0, {}, std::string("\x10\x20\x30\0", 4)), {0xFF302010}},
        // RLE8: bottom row a run of 2 red, end of line, then one green and one blue, end of bitmap.
        {"rle8",
         HandBmp(2, 2, 8, 1, pal, std::string("\x02\x02\x00\x00\x01\x01\x01\x00\x00\x01", 10)),
         {green, blue, red, red}},
        // RLE8 delta: move right 1 and up 1, one green; pixels never reached keep entry 0.
        {"rle8 delta",
         HandBmp(2, 2, 8, 1, pal, std::string("\x00\x02\x01\x01\x01\x01\x00\x01", 8)),
         {blue, green, blue, blue}},
        // RLE4: a run of 3 alternating nibbles 1,2,1 then a literal of 3 nibbles 0,1,2 (padded).
        {"rle4",
         HandBmp(3, 2, 4, 2, pal, std::string("\x03\x12\x00\x00\x00\x03\x01\x20\x00\x01", 10)),
         {blue, green, red, green, red, green}},
    };
    for (const Case& c : cases) {
        try {
            TRasterImage img = DecodeBmp(c.Bytes);
            EXPECT_EQ(img.Pixels, c.Expected) << c.Name;
        } catch (const EPictureError& e) {
            ADD_FAILURE() << c.Name << ": " << e.what();
        }
    }
}

TEST(Bmp, BadInputRaisesPictureError) {
    std::string good = EncodeBmp(Gradient(4, 4));
    auto withU32 = [&](std::size_t at, std::uint32_t v) {
        std::string s = good;
        Set32(s, at, v);
        return s;
    };
    auto withU16 = [&](std::size_t at, unsigned v) {
        std::string s = good;
        s[at] = char(v & 0xFF), s[at + 1] = char(v >> 8);
        return s;
    };
    struct Case {
        const char* Name;
        std::string Bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not BM", "XY" + good.substr(2)},
        {"header only", good.substr(0, 30)},
        {"truncated pixels", good.substr(0, good.size() - 1)},
        {"zero width", withU32(18, 0)},
        {"huge width", withU32(18, 0x7FFFFFFF)}, // must not allocate
        {"huge height, tiny file", withU32(22, 0x10000000)},
        {"bits per pixel 7", withU16(28, 7)},
        {"unknown compression", withU32(30, 9)},
        {"header size garbage", withU32(14, 0xFFFFFFF0)},
        {"pixel offset past end", withU32(10, 0xFFFFFF00)},
        {"palette larger than depth", HandBmp(1, 1, 1, 0, {0, 0, 0}, std::string(4, '\0'))},
        {"palette missing",
         HandBmp(1, 1, 8, 0, {}, std::string(4, '\0')).substr(0, 54) + std::string(8, '\0')},
        {"rle claims a giant picture",
         [] {
             std::string s = HandBmp(1, 1, 8, 1, {0}, std::string("\x00\x01", 2));
             Set32(s, 18, 30000);
             Set32(s, 22, 30000);
             return s;
         }()},
        {"rle delta past data", HandBmp(4, 4, 8, 1, {0}, std::string("\x00\x02\x01", 3))},
    };
    for (const Case& c : cases)
        EXPECT_THROW(DecodeBmp(c.Bytes), EPictureError) << c.Name;
    EXPECT_THROW(EncodeBmp(TRasterImage()), EPictureError);
}

TEST(Bmp, CompressedBitmapsAreBoundedByTheirDeclaredSize) {
    // A run-length bitmap may end at once and leave every pixel to palette entry 0, so a valid
    // one can be a few bytes for any size: the bound is the declared pixel count, and the
    // refusal says the size and the limit in words a user reads.
    const std::uint32_t red = 0x00FF0000; // B, G, R, 0 in the file
    auto rle8 = [&](int w, int h) { return HandBmp(w, h, 8, 1, {red}, std::string("\x00\x01", 2)); };
    const TRasterImage blank = DecodeBmp(rle8(2000, 2000));
    ASSERT_EQ(blank.Pixels.size(), 4000000u);
    EXPECT_EQ(blank.Pixels.front(), 0xFFFF0000u);
    EXPECT_EQ(blank.Pixels.back(), 0xFFFF0000u);
    EXPECT_EQ(DecodeBmp(rle8(5000, 4000)).Width, 5000); // exactly the limit
    try {
        DecodeBmp(rle8(5001, 4000));
        ADD_FAILURE() << "a compressed bitmap above the limit was decoded";
    } catch (const EPictureError& e) {
        EXPECT_EQ(std::string(e.what()), "压缩位图的尺寸 5001 × 4000 超过 2000 万像素的上限");
    }
}

TEST(Jpeg, RoundTripKeepsSizeAndApproximateColours) {
    TRasterImage img = Gradient(64, 48);
    std::string bytes = EncodeJpeg(img, TJpegOptions{95, false, false});
    EXPECT_EQ(JpegSize(bytes), (std::pair{64, 48}));
    TRasterImage back = DecodeJpeg(bytes);
    ASSERT_EQ(back.Pixels.size(), img.Pixels.size());
    int worst = 0;
    for (std::size_t i = 0; i < img.Pixels.size(); ++i)
        worst = std::max(worst, ChannelDiff(img.Pixels[i], back.Pixels[i]));
    EXPECT_LE(worst, 12);
}

TEST(Jpeg, QualityGreyscaleAndProgressiveOptions) {
    TRasterImage img = Gradient(120, 80);
    std::string q10 = EncodeJpeg(img, TJpegOptions{10, false, false});
    std::string q100 = EncodeJpeg(img, TJpegOptions{100, false, false});
    EXPECT_LT(q10.size(), q100.size());
    EXPECT_NO_THROW(EncodeJpeg(img, TJpegOptions{0, false, false})); // clamped, not rejected
    EXPECT_NO_THROW(EncodeJpeg(img, TJpegOptions{500, false, false}));

    // Baseline frames use the SOF0 marker, progressive ones SOF2.
    std::string baseline = EncodeJpeg(img, TJpegOptions{75, false, false});
    std::string progressive = EncodeJpeg(img, TJpegOptions{75, true, false});
    EXPECT_TRUE(Has(baseline, "\xFF\xC0"));
    EXPECT_FALSE(Has(baseline, "\xFF\xC2"));
    EXPECT_TRUE(Has(progressive, "\xFF\xC2"));
    EXPECT_EQ(DecodeJpeg(progressive).Width, 120);

    std::string grey = EncodeJpeg(img, TJpegOptions{90, false, true});
    TRasterImage g = DecodeJpeg(grey);
    for (std::uint32_t p : g.Pixels) {
        ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF);
        ASSERT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    }
}

TEST(Jpeg, BadInputRaisesPictureError) {
    std::string good = EncodeJpeg(Gradient(64, 64), TJpegOptions{90, false, false});
    std::string flipped = good;
    for (std::size_t i = good.size() / 2; i < good.size() / 2 + 40; ++i)
        flipped[i] = char(~flipped[i]);
    // SOF0 marker: FF C0, length, precision, height, width.
    std::string forged = good;
    std::size_t sof = forged.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    forged[sof + 5] = char(0xFF), forged[sof + 6] = char(0xFF), forged[sof + 7] = char(0xFF),
                 forged[sof + 8] = char(0xFF);
    struct Case {
        const char* Name;
        std::string Bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not a JPEG", "hello world, not a picture"},
        {"SOI only", "\xFF\xD8"},
        {"truncated in the header", good.substr(0, 100)},
        {"truncated in the data", good.substr(0, good.size() * 2 / 3)},
        {"65535 x 65535 from a few KB", forged},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(DecodeJpeg(c.Bytes), EPictureError) << c.Name;
    }
    EXPECT_THROW(JpegSize(forged), EPictureError);
    // Corrupt entropy data either decodes to something or fails cleanly; it must not crash.
    try {
        DecodeJpeg(flipped);
    } catch (const EPictureError&) {
    }
}

TEST(Pictures, ImageMagickReadsWhatWeWrite) {
    TRasterImage img = Gradient(37, 21);
    std::string bmp = Identify(EncodeBmp(img), "bmp", "%m %w %h");
    if (bmp.empty()) GTEST_SKIP() << "ImageMagick identify is not installed";
    EXPECT_EQ(bmp, "BMP3 37 21"); // BMP3: the 40-byte info header
    EXPECT_EQ(Identify(EncodeBmp(img, 1), "bmp", "%m %w %h %z"), "BMP3 37 21 1");
    EXPECT_EQ(Identify(EncodeJpeg(img, TJpegOptions{80, true, false}), "jpg", "%m %w %h %Q %[interlace]"),
              "JPEG 37 21 80 JPEG");
    EXPECT_EQ(
        Identify(EncodeJpeg(img, TJpegOptions{50, false, true}), "jpg", "%m %[colorspace] %[interlace]"),
        "JPEG Gray None");
}

TEST(Pictures, LoadRecognisesKindsAndSizes) {
    std::string bmp = EncodeBmp(Gradient(7, 3));
    std::string jpg = EncodeJpeg(Gradient(9, 4));

    std::string emf(88, '\0');
    Set32(emf, 0, 1);
    Set32(emf, 4, 88);
    Set32(emf, 24, 0), Set32(emf, 28, 0), Set32(emf, 32, 20999), Set32(emf, 36, 29699); // A4 frame
    Set32(emf, 40, 0x464D4520);

    std::string wmf(40, '\0');
    Set32(wmf, 0, 0x9AC6CDD7);
    wmf[10] = char(1440 & 0xFF), wmf[11] = char(1440 >> 8); // right: one inch
    wmf[12] = char(720 & 0xFF), wmf[13] = char(720 >> 8);   // bottom: half an inch
    wmf[14] = char(1440 & 0xFF), wmf[15] = char(1440 >> 8); // twips

    std::string ico = std::string("\0\0\1\0\1\0", 6) + std::string("\x20\x10\0\0\1\0\x20\0", 8);
    Put32(ico, 4);  // image size
    Put32(ico, 22); // image offset
    ico += "DATA";

    struct Case {
        const char* Name;
        std::string Bytes;
        TPictureKind Kind;
        int Width, Height;
        bool Enhanced;
    };
    const Case cases[] = {
        {"bmp", bmp, TPictureKind::Bitmap, 7, 3, false},
        {"jpeg", jpg, TPictureKind::Jpeg, 9, 4, false},
        {"emf", emf, TPictureKind::Metafile, 794, 1123, true},
        {"placeable wmf", wmf, TPictureKind::Metafile, 96, 48, false},
        {"icon", ico, TPictureKind::Icon, 32, 16, false},
    };
    for (const Case& c : cases) {
        TPicture p = TPicture::Load(c.Bytes);
        EXPECT_EQ(p.Kind(), c.Kind) << c.Name;
        EXPECT_EQ(p.Width(), c.Width) << c.Name;
        EXPECT_EQ(p.Height(), c.Height) << c.Name;
        EXPECT_EQ(p.IsEnhancedMetafile(), c.Enhanced) << c.Name;
        EXPECT_EQ(p.Bytes(), c.Bytes) << c.Name; // kept byte for byte for streams
    }
    // Pixels for drawing: bitmaps at load, JPEGs on demand, none for the other kinds.
    TPicture j = TPicture::Load(jpg);
    ASSERT_NE(j.Raster(), nullptr);
    EXPECT_EQ(j.Raster()->Width, 9);
    EXPECT_EQ(TPicture::Load(emf).Raster(), nullptr);
    EXPECT_TRUE(TPicture().IsEmpty());
    EXPECT_EQ(TPicture().Raster(), nullptr);
}

TEST(Pictures, UnknownOrDamagedBytesRaisePictureError) {
    std::string ico = std::string("\0\0\1\0\1\0", 6) + std::string("\x20\x20\0\0\1\0\x20\0", 8);
    Put32(ico, 4000); // image larger than the file
    Put32(ico, 22);
    std::string emf(88, '\0');
    Set32(emf, 0, 1);
    Set32(emf, 32, std::uint32_t(-5)); // frame right of its left edge is negative
    Set32(emf, 40, 0x464D4520);
    std::string jpeg = EncodeJpeg(Gradient(32, 32));
    const std::string cases[] = {"",
                                 "GIF89a...",
                                 "BM",
                                 std::string("\xFF\xD8\xFF\xE0", 4),
                                 ico,
                                 emf,
                                 std::string("\0\0\1\0\0\0", 6),
                                 jpeg.substr(0, jpeg.size() / 2)}; // header intact, data cut: caught at load
    for (const std::string& c : cases)
        EXPECT_THROW(TPicture::Load(c), EPictureError) << c.size() << " bytes";
    EXPECT_THROW(TPicture::LoadMetafile("not a metafile"), EPictureError);
}
