// The RTF export: objects as positioned frames with their borders, fonts, colours and escaped
// text; pictures as hexadecimal or binary JPEG and as bitmaps wrapped in Windows metafiles; the
// page and document ends. LibreOffice reads the files in the end-to-end test of vnreport export.
#include "ExportFilesFixture.h"

#include "report/VNMemoView.h"
#include "report/export/VNRTFExport.h"

#include <gtest/gtest.h>

namespace {

std::string Unhex(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

std::uint32_t LE(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | std::uint8_t(b[at + std::size_t(i)]);
    return v;
}

TWritten Find(const std::vector<TWritten>& views, const AnsiString& name) {
    for (const TWritten& w : views)
        if (w.Name == name) return w;
    ADD_FAILURE() << "no view " << name;
    return {};
}

std::string Export(TEngineFixture& f, TVNRTFExport& rtf, const TTempDir& dir) {
    rtf.ShowDialog = false;
    EXPECT_TRUE(f.Report.ExportBuiltReport(rtf, dir.File("x.rtf")));
    return ReadBytes(dir.File("x.rtf"));
}

} // namespace

TEST(RtfExport, MemosBecomePositionedParagraphsWithBordersFontsAndEscapedText) {
    TQtExportSetup qt;
    TEngineFixture f;
    f.Report.ReportInfo.Title = CP936("盘点");
    AddBand(*f.Page, "Title", bkTitle, 20, 200);
    TVNMemoView* box = AddMemo(*f.Page, "Box", 100, 22, 200, 30, {"a{b}c\\d"});
    box->SetFrameTyp(4 | 8); // left and top
    box->Font.Name = CP936("宋体");
    TVNMemoView* multi = AddMemo(*f.Page, "Multi", 100, 60, 200, 40, {"one", "two"});
    multi->Font.Style = 1 | 4; // bold, underlined
    multi->Font.Color = 0x0000FF;
    multi->FillColor = 0x00FF00;
    TVNMemoView* right = AddMemo(*f.Page, "Right", 320, 60, 100, 20, {CP936("金额")});
    right->Adjust = int(vntaRightJustify) | int(vntlBottom);
    right->Font.Name = "Arial";
    ASSERT_TRUE(f.Report.BuildReport());
    const std::vector<TWritten> views = f.Views(0);
    TTempDir dir;
    TVNRTFExport rtf;
    const std::string file = Export(f, rtf, dir);

    auto T = [](int px) { return std::to_string(TVNRTFExport::Twips(px)); };
    const TWritten b = Find(views, "Box"), m = Find(views, "Multi"), r = Find(views, "Right");
    // Frame sides left and top: top first, each with the size words; record width is memo + 1,
    // and frames add one more pixel.
    const int bw = TVNRTFExport::Twips(b.Width + 2), bh = TVNRTFExport::Twips(b.Height + 1);
    const std::string def = "\\absh-" + std::to_string(bh + 1) + "\\absw" + std::to_string(bw + 1 - 100) +
                            "\\brdrs\\brdrw15\\brdrcf1";
    EXPECT_NE(file.find("\\par\\pard\\brdrt" + def + "\\brdrl" + def + "\\pvpg\\phpg\\posy" + T(b.Top) +
                        "\\posx" + T(b.Left) + "\\f0\\cf1\\fs20\\vertalt\\ql a\\{b\\}c\\\\d\r\n \r\n"),
              std::string::npos)
        << file;
    // No sides: width (and height, not stretched); the fill as shading; style words around the
    // text, whose line break stays a raw CR LF.
    EXPECT_NE(
        file.find(
            "\\par\\pard\\absh-" + std::to_string(TVNRTFExport::Twips(m.Height + 1)) + "\\absw" +
            std::to_string(TVNRTFExport::Twips(m.Width + 2)) + "\\pvpg\\phpg\\posy" + T(m.Top) + "\\posx" +
            T(m.Left) +
            "\\shading10000\\cfpat2 \\f1\\cf3\\fs20 \\b \\ul\\vertalt\\ql one\r\ntwo\r\n  \\b0 \\ul0\r\n"),
        std::string::npos)
        << file;
    EXPECT_NE(file.find("\\f1\\cf1\\fs20\\vertalb\\qr " + CP936("金额") + "\r\n"), std::string::npos) << file;

    // Header: fonts and colours in order of first use (frame black, fill green, font red), the title, A4 in
    // twips with the margins.
    const std::string head =
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\deftab720{\\fonttbl{\\f0\\fnil " + CP936("宋体") +
        ";}{\\f1\\fnil Arial;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green255\\blue0;"
        "\\red255\\green0\\blue0;}{\\info{\\title " +
        CP936("盘点") + "}{\\creatim";
    EXPECT_EQ(file.substr(0, head.size()), head);
    EXPECT_NE(file.find("}}\\viewkind1\\paperw11907\\paperh16841\\margl"), std::string::npos);
    EXPECT_EQ(file.find("\\landscape"), std::string::npos);
    // One page: opened with a brace, closed with "\par}", and the document with one more.
    EXPECT_NE(file.find("\\headery0\\footery0\r\n{\r\n\\par\\pard"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 8), "\\par}\r\n}");
}

TEST(RtfExport, TextEscapingKeepsDoubleByteCharactersWhole) {
    struct TCase {
        AnsiString In;
        std::string Out;
    };
    for (const TCase& c : std::vector<TCase>{{"plain", "plain"},
                                             {"{}\\", "\\{\\}\\\\"},
                                             {"line\r\n", "line"},
                                             {"a\r\nb", "a\r\nb"},
                                             {CP936("盘点"), CP936("盘点")},
                                             // GBK characters whose second byte is "\", "{" or "}"
                                             {"\x81\x5C", "\\'81\\'5c"},
                                             {"x\x95\x7B"
                                              "y",
                                              "x\\'95\\'7by"},
                                             {"\x90\x7D", "\\'90\\'7d"}})
        EXPECT_EQ(TVNRTFExport::EscapeText(c.In), c.Out) << c.In;
}

TEST(RtfExport, PicturesAsHexOrBinaryJpegAndAsBitmapsInMetafiles) {
    TQtExportSetup qt;
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 20, 200);
    TVNMemoView* rotated = AddMemo(*f.Page, "Up", 100, 22, 40, 120, {"Rotated"});
    rotated->RotationType = rt90;
    rotated->SetFrameTyp(15);
    ASSERT_TRUE(f.Report.BuildReport());
    const TWritten up = Find(f.Views(0), "Up");
    const int w = up.Width + 1, h = up.Height + 1; // the object's bitmap is one pixel larger
    TTempDir dir;
    const std::string pict = "{\\pict\\jpegblip\\picw" +
                             std::to_string(TVNRTFExport::PictureExtent(up.Width + 1)) + "\\pich" +
                             std::to_string(TVNRTFExport::PictureExtent(up.Height)) + "\\picbmp\\picbpp4\r\n";

    TVNRTFExport hex;
    std::string file = Export(f, hex, dir);
    std::size_t at = file.find(pict);
    ASSERT_NE(at, std::string::npos) << file.substr(0, 600);
    at += pict.size();
    const std::size_t end = file.find("}\r\n", at);
    const std::string digits = file.substr(at, end - at);
    EXPECT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos); // one line of hex
    EXPECT_EQ(JpegSize(Unhex(digits)), std::make_pair(w, h));
    // Rotated memos are pictures only: no text paragraph.
    EXPECT_EQ(file.find("Rotated"), std::string::npos);

    TVNRTFExport binary;
    binary.SetOption("GraphicDataInBinary", "1");
    file = Export(f, binary, dir);
    at = file.find(pict + "\\bin");
    ASSERT_NE(at, std::string::npos);
    at += pict.size() + 4;
    const std::size_t blank = file.find(' ', at);
    const std::size_t n = std::stoul(file.substr(at, blank - at));
    EXPECT_EQ(JpegSize(file.substr(blank + 1, n)), std::make_pair(w, h));
    EXPECT_EQ(file.substr(blank + 1 + n, 3), "}\r\n");

    TVNRTFExport bmp;
    bmp.SetOption("ExportImageFormat", "BMP");
    file = Export(f, bmp, dir);
    at = file.find("{\\pict\\wmetafile8\\picw");
    ASSERT_NE(at, std::string::npos);
    at = file.find("\r\n", at) + 2;
    std::string wmf;
    std::vector<std::size_t> lineLengths;
    for (std::size_t eol; (eol = file.find("\r\n", at)) != std::string::npos && file[at] != '}';
         at = eol + 2) {
        lineLengths.push_back(eol - at);
        wmf += Unhex(std::string_view(file).substr(at, eol - at));
    }
    // Header: in memory, 9 words, version 3.0, total and largest record sizes in words.
    ASSERT_GT(wmf.size(), 18u + 10 * 4 + 8 + 28 + 6);
    EXPECT_EQ(LE(wmf, 0, 2), 1u);
    EXPECT_EQ(LE(wmf, 2, 2), 9u);
    EXPECT_EQ(LE(wmf, 4, 2), 0x300u);
    EXPECT_EQ(LE(wmf, 6, 4) * 2, wmf.size());
    const std::uint32_t stretch = LE(wmf, 12, 4);
    EXPECT_EQ(LE(wmf, 6, 4), stretch + 36);
    // Records in order, each size in words, then the DIB of the stretch record.
    std::vector<std::uint32_t> functions;
    std::size_t r = 18;
    while (r + 6 <= wmf.size()) {
        functions.push_back(LE(wmf, r + 4, 2));
        if (LE(wmf, r + 4, 2) == 0x0F43) {
            EXPECT_EQ(LE(wmf, r, 4), stretch);
            EXPECT_EQ(LE(wmf, r + 6, 4), 0x00CC0020u);
            EXPECT_EQ(LE(wmf, r + 12, 2), unsigned(h));
            EXPECT_EQ(LE(wmf, r + 14, 2), unsigned(w));
            const TRasterImage dib = DecodeDib(std::string_view(wmf).substr(r + 28, LE(wmf, r, 4) * 2 - 28));
            EXPECT_EQ(dib.Width, w);
            EXPECT_EQ(dib.Height, h);
        }
        r += std::size_t(LE(wmf, r, 4)) * 2;
    }
    EXPECT_EQ(r, wmf.size());
    EXPECT_EQ(functions,
              (std::vector<std::uint32_t>{0x020B, 0x020C, 0x0209, 0x0201, 0x0107, 0x0F43, 0x0000}));
    // The bitmap's bytes run 64 to a line.
    ASSERT_GT(lineLengths.size(), 9u);
    EXPECT_EQ(lineLengths[7], 128u);
}

TEST(RtfExport, PagesBreakInAPlainParagraphAndOptionsByName) {
    TQtExportSetup qt;
    TEngineFixture f(TEngineFixture::Rows(90));
    ThreePageList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    ASSERT_EQ(f.PageCount(), 3);
    TTempDir dir;
    TVNRTFExport rtf;
    rtf.SetOption("ExportFrames", "0");
    const std::string file = Export(f, rtf, dir);
    // Without frames every text paragraph places itself.
    EXPECT_NE(file.find("\\par\\pard\\pvpg\\phpg\\absw"), std::string::npos);
    EXPECT_EQ(file.find("\\brdr"), std::string::npos);
    std::size_t breaks = 0;
    for (std::size_t at = 0; (at = file.find("\\par\\pard\\page}\r\n{\r\n", at)) != std::string::npos; ++at)
        ++breaks;
    EXPECT_EQ(breaks, 2u);
    EXPECT_EQ(file.substr(file.size() - 8), "\\par}\r\n}");

    for (auto [name, value] : std::vector<std::pair<const char*, const char*>>{{"JPEGQuality", "-1"},
                                                                               {"ExportImages", "perhaps"},
                                                                               {"ExportImageFormat", "TIFF"},
                                                                               {"SearchableText", "1"}})
        EXPECT_THROW(rtf.SetOption(name, value), EVNExportError) << name;
    rtf.SetOption("ExportImageFormat", "GIF"); // not taken
    EXPECT_EQ(rtf.ExportImageFormat, ifJPG);
}
