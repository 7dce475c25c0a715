// The recording canvases and the metafile player together: a page recorded as EMF or WMF plays
// back onto the fixed-metrics canvas as the same calls, scaled into any rectangle; and damaged
// files (truncated, wrong record sizes, huge counts, objects outside the table) are refused with
// EPictureError before anything is drawn.
#include "platform/EmfCanvas.h"
#include "platform/FixedCanvas.h"
#include "platform/LittleEndian.h"
#include "platform/MetafilePlayer.h"
#include "platform/WmfCanvas.h"
#include "platform/AnsiString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// Draws a small page: Chinese text, a thick red frame around a blue fill, a clipped line, a
// filled rectangle and a clipped text.
void DrawSample(ICanvas& c) {
    TFontSpec font;
    font.Name = CP936("宋体");
    font.Size = 10;
    font.Color = clMaroon;
    c.SetFont(font);
    c.TextOut(10, 20, CP936("盘点 AB"));
    c.SetPen(TPen{TPenStyle::Solid, 2, clRed});
    c.SetBrush(TBrush{TBrushStyle::Solid, clBlue});
    c.Rectangle(TRect{5, 5, 50, 40});
    c.PushClipRect(TRect{0, 0, 100, 50});
    c.SetPen(TPen{TPenStyle::Dash, 1, clGreen});
    c.MoveTo(0, 60);
    c.LineTo(150, 60);
    c.PopClipRect();
    c.SetBrush(TBrush{TBrushStyle::Solid, clYellow});
    c.FillRect(TRect{60, 70, 90, 80});
    c.TextRect(TRect{100, 10, 130, 30}, 100, 12, "clip");
}

template <class TRecorder> std::string Record(int w, int h, const std::function<void(ICanvas&)>& draw) {
    TFixedCanvas measure;
    TRecorder recorder(w, h, measure);
    draw(recorder);
    return recorder.Finish();
}

std::vector<std::string> Play(const std::string& bytes, const TRect& dest) {
    TFixedCanvas canvas;
    PlayMetafile(bytes, canvas, dest);
    return canvas.Lines();
}

bool Has(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += AnsiToUtf8(l) + "\n";
    return s;
}

// An EMF made of the given records between a recorded header and the end record.
std::string EmfWith(const std::string& records) {
    std::string base = Record<TEmfCanvas>(100, 100, [](ICanvas&) {});
    return base.substr(0, base.size() - 20) + records + base.substr(base.size() - 20);
}

std::string EmfRecord(std::uint32_t type, std::initializer_list<std::uint32_t> values) {
    std::string r;
    PutLE32(r, type);
    PutLE32(r, std::uint32_t(8 + 4 * values.size()));
    for (auto v : values) PutLE32(r, v);
    return r;
}

std::string WmfWith(const std::string& records) {
    std::string base = Record<TWmfCanvas>(100, 100, [](ICanvas&) {});
    return base.substr(0, base.size() - 6) + records + base.substr(base.size() - 6);
}

std::string WmfRecord(std::uint16_t function, std::initializer_list<int> words) {
    std::string r;
    PutLE32(r, std::uint32_t(3 + words.size()));
    PutLE16(r, function);
    for (int w : words) PutLE16(r, std::uint32_t(std::uint16_t(w)));
    return r;
}

} // namespace

TEST(MetafilePlayer, RecordedPagePlaysBackAsTheSameCalls) {
    for (bool enhanced : {true, false}) {
        SCOPED_TRACE(enhanced ? "EMF" : "WMF");
        const std::string bytes = enhanced ? Record<TEmfCanvas>(200, 100, DrawSample) : Record<TWmfCanvas>(200, 100, DrawSample);
        EXPECT_EQ(MetafileSize(bytes), (std::pair<int, int>{200, 100}));
        const auto lines = Play(bytes, TRect{0, 0, 200, 100});
        const std::string all = Joined(lines);
        // The font is the 10-point face at 96 dpi (em 13); advances as the measuring canvas laid
        // them out, so no spacing is added back.
        EXPECT_TRUE(Has(lines, "Text 10,20 \"" + CP936("盘点 AB") + "\" font=" + CP936("宋体") + ";10;-;$00000080;h-13")) << all;
        EXPECT_TRUE(Has(lines, "Rectangle 5,5,50,40 pen=solid;2;$000000FF brush=solid;$00FF0000")) << all;
        EXPECT_TRUE(Has(lines, "Line 0,60,150,60 pen=dash;1;$00008000")) << all;
        EXPECT_TRUE(Has(lines, "Clip 0,0,100,50")) << all;
        // A fill is a rectangle with the null pen, one pixel larger than the area it covers.
        EXPECT_TRUE(Has(lines, "Rectangle 60,70,91,81 pen=clear brush=solid;$0000FFFF")) << all;
        EXPECT_TRUE(Has(lines, "Text 100,12 \"clip\"")) << all;
        EXPECT_NE(all.find("clip=100,10,130,30"), std::string::npos) << all;
        // The line is inside the clip, and the clip is gone after it.
        const auto clip = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("Clip 0,0,100,50", 0) == 0; });
        const auto line = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("Line 0,60", 0) == 0; });
        const auto fill = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("Rectangle 60,70", 0) == 0; });
        EXPECT_TRUE(clip < line && line < fill) << all;
        EXPECT_TRUE(std::find(line, fill, "Unclip") != fill) << all;

        // Twice the size: positions, pen widths and the font double.
        const auto big = Play(bytes, TRect{0, 0, 400, 200});
        EXPECT_TRUE(Has(big, "Text 20,40 \"" + CP936("盘点 AB") + "\" font=" + CP936("宋体") + ";10;-;$00000080;h-26")) << Joined(big);
        EXPECT_TRUE(Has(big, "Rectangle 10,10,100,80 pen=solid;4;$000000FF")) << Joined(big);
    }
}

TEST(MetafilePlayer, DamagedFilesAreRefusedBeforeAnythingIsDrawn) {
    const std::string emf = Record<TEmfCanvas>(200, 100, DrawSample), wmf = Record<TWmfCanvas>(200, 100, DrawSample);
    // Every truncation of a good file.
    for (const std::string* whole : {&emf, &wmf})
        for (std::size_t n = 0; n < whole->size(); n += 3) {
            TFixedCanvas canvas;
            EXPECT_THROW(PlayMetafile(whole->substr(0, n), canvas, TRect{0, 0, 200, 100}), EPictureError) << n;
            EXPECT_TRUE(canvas.Lines().empty()) << n;
        }
    struct {
        const char* What;
        std::string Bytes;
    } cases[] = {
        {"EMF record of size 0", EmfWith(std::string("\x21\0\0\0\0\0\0\0", 8))},
        {"EMF record size not a multiple of 4", EmfWith(EmfRecord(0x21, {}).replace(4, 1, "\x0A"))},
        {"EMF record size beyond the file", EmfWith(EmfRecord(0x21, {}).replace(4, 4, "\0\0\0\x7F", 4))},
        {"EMF polygon of 2^31 points", EmfWith(EmfRecord(0x56, {0, 0, 10, 10, 0x7FFFFFFF, 0}))},
        {"EMF poly-polygon counts beyond the record",
         EmfWith(EmfRecord(0x5B, {0, 0, 10, 10, 2, 0xFFFFFFF0, 0xFFFFFFF0, 0xFFFFFFF0}))},
        {"EMF object beyond the table", EmfWith(EmfRecord(0x25, {1000}))},
        {"EMF object never created", EmfWith(EmfRecord(0x25, {1}))},
        {"EMF text longer than its record", EmfWith(EmfRecord(0x54, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0x40000000, 76, 0, 0, 0, 0, 0, 0}))},
        {"EMF bitmap beyond its record", EmfWith(EmfRecord(0x51, {0, 0, 9, 9, 0, 0, 0, 0, 10, 10, 80, 40, 120, 0x7FFFFFFF, 0, 0xCC0020, 10, 10}))},
        {"EMF font record cut short", EmfWith(EmfRecord(0x52, {1, 0xFFFFFFF3}))},
        {"WMF record of size 0", WmfWith(std::string("\0\0\0\0\x1E\0", 6))},
        {"WMF record size beyond the file", WmfWith(WmfRecord(0x001E, {}).replace(0, 4, "\xFF\xFF\xFF\x7F"))},
        {"WMF polygon of 32767 points", WmfWith(WmfRecord(0x0324, {32767, 1, 1}))},
        {"WMF poly-polygon sizes beyond the record", WmfWith(WmfRecord(0x0538, {2, 30000, 30000, 0, 0}))},
        {"WMF object beyond the table", WmfWith(WmfRecord(0x012D, {900}))},
        {"WMF text beyond its record", WmfWith(WmfRecord(0x0A32, {0, 0, 30000, 0, 65, 66}))},
        {"WMF bitmap header cut short", WmfWith(WmfRecord(0x0F43, {0x20, 0xCC, 0, 10, 10, 0, 0, 10, 10, 0, 0, 40, 0}))},
    };
    for (const auto& c : cases) {
        TFixedCanvas canvas;
        EXPECT_THROW(PlayMetafile(c.Bytes, canvas, TRect{0, 0, 200, 100}), EPictureError) << c.What;
        EXPECT_TRUE(canvas.Lines().empty()) << c.What;
    }
    // The files these were made from play.
    EXPECT_NO_THROW(Play(EmfWith(EmfRecord(0x21, {})), TRect{0, 0, 10, 10}));
    EXPECT_NO_THROW(Play(WmfWith(WmfRecord(0x001E, {})), TRect{0, 0, 10, 10}));
}

TEST(MetafilePlayer, RecordersKeepTheFactsReadersRelyOn) {
    const std::string emf = Record<TEmfCanvas>(794, 1123, DrawSample);
    // Header: file size, record count and handle count patched; frame of an A4 page at 96 dpi.
    EXPECT_EQ(GetLE32(emf, 48), emf.size());
    EXPECT_EQ(GetI32(emf, 32), 21008 - 1); // 794 px = 210.08 mm
    EXPECT_EQ(GetI32(emf, 36), 29713 - 1);
    std::uint32_t records = 0, maxIndex = 0;
    for (std::size_t at = 0; at < emf.size(); at += GetLE32(emf, at + 4)) {
        ++records;
        ASSERT_EQ(GetLE32(emf, at + 4) % 4, 0u);
        const std::uint32_t type = GetLE32(emf, at);
        if (type == 0x26 || type == 0x27 || type == 0x52 || type == 0x5F) maxIndex = std::max(maxIndex, GetLE32(emf, at + 8));
        if (type == 0x52) {
            EXPECT_EQ(GetLE32(emf, at + 4), 368u); // the full font form
        }
    }
    EXPECT_EQ(GetLE32(emf, 52), records);
    EXPECT_EQ(GetLE16(emf, 56), maxIndex + 1);
    EXPECT_EQ(GetLE32(emf, emf.size() - 20), 0x0Eu);

    const std::string wmf = Record<TWmfCanvas>(794, 1123, DrawSample);
    std::uint32_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) checksum ^= GetLE16(wmf, i);
    EXPECT_EQ(GetLE16(wmf, 20), checksum);
    EXPECT_EQ(GetLE32(wmf, 22 + 6), (wmf.size() - 22) / 2);
    EXPECT_EQ(GetLE16(wmf, 14), 96u);
    // Three objects at most are alive at once (pen, brush, font slots reused as values change).
    EXPECT_GE(GetLE16(wmf, 22 + 10), 3u);
}
