// Rich text: the RTF reader on a table of snippets (formats, colours, CP936 bytes, \u, nested
// groups, skipped destinations, damaged input), the writer giving the reader's document back, the
// line layout, and rich-text views that measure, evaluate and split across pages when built.
#include "EngineFixture.h"

#include "report/VNEngine.h"
#include "report/VNMemoPaint.h"
#include "report/VNRichLayout.h"
#include "report/VNRichView.h"
#include "report/VNRtfReader.h"
#include "report/VNViewFactory.h"

#include "platform/FixedCanvas.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A compact picture of a document: paragraphs "<align>:" joined by " | ", runs
// "{font,halfpoints,style,colour}text" with the style letters B I U S.
std::string Describe(const TVNRichDocument& d) {
    std::string out;
    for (std::size_t i = 0; i < d.Paragraphs.size(); ++i) {
        const TVNRichParagraph& p = d.Paragraphs[i];
        if (i) out += " | ";
        out += "lrcj"[p.Align & 3];
        out += ":";
        for (const TVNRichRun& r : p.Runs) {
            const TVNRichFormat& f = r.Format;
            std::string style;
            if (f.Style & fsBold) style += "B";
            if (f.Style & fsItalic) style += "I";
            if (f.Style & fsUnderline) style += "U";
            if (f.Style & fsStrikeOut) style += "S";
            char colour[16];
            std::snprintf(colour, sizeof colour, "%06X", unsigned(f.Color));
            out += "{" + AnsiToUtf8(f.FontName) + "," + std::to_string(f.HalfPoints) + "," + style + "," + colour +
                   "}" + AnsiToUtf8(r.Text);
        }
    }
    return out;
}

const char* const FontTable = "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fswiss\\fcharset0 Arial;}}";

} // namespace

TEST(RtfReader, ReadsTheSubsetOfFormattedParagraphs) {
    const std::string head = std::string("{\\rtf1\\ansi\\ansicpg936\\deff0") + FontTable +
                             "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    struct {
        std::string Rtf;
        std::string Expected;
    } cases[] = {
        // Character formats switched on and off, fonts by number, sizes in half points.
        {head + "\\pard\\f1\\fs28\\b Bold\\b0  \\i it\\i0 \\ul u\\ulnone\\strike s\\strike0\\par}",
         "l:{Arial,28,B,000000}Bold{Arial,28,,000000} {Arial,28,I,000000}it{Arial,28,U,000000}u"
         "{Arial,28,S,000000}s"},
        // Colours by table index; 0 is automatic (black). CP936 bytes of the Chinese font.
        {head + "\\cf1 red\\cf2 blue\\cf0 auto \\'b2\\'e2\\'ca\\'d4\\par}",
         "l:{宋体,22,,0000FF}red{宋体,22,,FF0000}blue{宋体,22,,000000}auto 测试"},
        // Alignment per paragraph; \pard resets it; \line and \par both end a paragraph.
        {head + "\\pard\\qc centre\\par\\qr right\\line\\pard left\\par\\qj just\\par}",
         "c:{宋体,22,,000000}centre | r:{宋体,22,,000000}right | l:{宋体,22,,000000}left | "
         "j:{宋体,22,,000000}just"},
        // \u with its one-character fallback, \uc2 with a two-byte fallback, a surrogate pair
        // that CP936 cannot hold, control symbols and \tab.
        {head + "\\u27979?\\uc2\\u35797\\'ca\\'d4 a\\~b\\_c\\-d\\\\\\{\\}\\tab e\\u-10179?\\u-8704?\\par}",
         "l:{宋体,22,,000000}测试 a b-cd\\{}\te?"},
        // Groups keep their state: formats set inside end with the group.
        {head + "a{\\b b{\\i c}d}e\\par}",
         "l:{宋体,22,,000000}a{宋体,22,B,000000}b{宋体,22,BI,000000}c{宋体,22,B,000000}d{宋体,22,,000000}e"},
        // Destinations without document text are skipped whole, \bin data unread.
        {head + "{\\*\\generator Riched20;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}"
                "{\\pict\\wmetafile8\\bin4 {}}x}ok{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}",
         "l:{宋体,22,,000000}ok1"},
        // Latin bytes of a charset-0 font are Windows Latin; \plain returns to the defaults.
        {head + "\\f1 caf\\'e9\\plain x\\par}", "l:{Arial,22,,000000}café{宋体,22,,000000}x"},
        // Not RTF at all: plain text, one paragraph per line.
        {"first\r\nsecond", "l:{宋体,22,,000000}first | l:{宋体,22,,000000}second"},
        // Empty paragraphs stay; a final \par ends the last paragraph and starts none.
        {head + "a\\par\\par b\\par}", "l:{宋体,22,,000000}a | l: | l:{宋体,22,,000000}b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Rtf);
        const TVNRichDocument d = ReadRtf(c.Rtf, RichDefaultFormat());
        EXPECT_EQ(Describe(d), c.Expected);
        // The writer gives the reader the same document back.
        EXPECT_EQ(Describe(ReadRtf(WriteRtf(d), RichDefaultFormat())), Describe(d));
        EXPECT_EQ(ReadRtf(WriteRtf(d), RichDefaultFormat()), d);
    }
}

TEST(RtfReader, DamagedInputEndsCleanly) {
    const std::string deep = "{\\rtf1 " + std::string(200000, '{') + "x" + std::string(5, '}');
    const std::string cases[] = {
        "{\\rtf1 unclosed {\\b group",
        "{\\rtf1 stray}}} braces}",
        "{\\rtf1 cut escape \\'4",
        "{\\rtf1 cut word \\fs",
        "{\\rtf1 \\u",
        "{\\rtf1 \\bin999999999 data",
        "{\\rtf1 \\fs99999999999999 \\cf-5 \\f-3 \\uc-4 \\u999999999 x}",
        "{\\rtf1{\\fonttbl{\\f0 never ended",
        "{\\rtf1{\\colortbl \\red999;\\green-1;}\\cf2 x}",
        deep,
        std::string("{\\rtf1 \0\xff\x81\\\\", 12),
    };
    for (const std::string& rtf : cases) {
        SCOPED_TRACE(rtf.substr(0, 60));
        const TVNRichDocument d = ReadRtf(rtf, RichDefaultFormat());
        // Whatever was read lays out and writes back; bytes that are no CP936 character become
        // "?" once, and the text then stays as it is.
        TFixedCanvas canvas;
        LayoutRich(canvas, d, {}, 100, 1.0);
        const TVNRichDocument again = ReadRtf(WriteRtf(d), RichDefaultFormat());
        EXPECT_EQ(ReadRtf(WriteRtf(again), RichDefaultFormat()), again);
    }
    EXPECT_EQ(Describe(ReadRtf(deep, RichDefaultFormat())), "l:{宋体,22,,000000}x");
}

TEST(RichLayout, WrapsPiecesAlignsAndKeepsWhereEachLineStarts) {
    // Fixed canvas, 11 pt at 96 dpi: em 15, a single-byte character 8 wide, a Chinese one 16,
    // the cell 18 high; 24 pt: em 32, cell 40.
    TFixedCanvas canvas;
    const TVNRichFormat f = RichDefaultFormat();
    TVNRichDocument d = RichFromPlainText(Utf8ToAnsi("ab cd ef\n测试测试测试"), f);
    d.Paragraphs[0].Align = raRight;
    std::vector<TVNRichLine> lines = LayoutRich(canvas, d, {}, 50, 1.0);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].Pieces[0].Text, "ab cd ");
    EXPECT_EQ(lines[0].Width, 40); // the blank at the end takes no room
    EXPECT_EQ(lines[1].Start, (TVNRichPos{0, 6}));
    EXPECT_EQ(lines[2].Start, (TVNRichPos{1, 0}));
    EXPECT_EQ(lines[3].Start, (TVNRichPos{1, 6})); // three Chinese characters per 50 pixels
    EXPECT_EQ(lines[3].End, (TVNRichPos{2, 0}));
    EXPECT_EQ(RichLinesHeight(lines), 4 * 18);
    EXPECT_EQ(RichLinesFitting(lines, 71), 3u);
    // Continuing from a line start gives the same lines from there on.
    const std::vector<TVNRichLine> rest = LayoutRich(canvas, d, lines[1].Start, 50, 1.0);
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(rest[0].Pieces[0].Text, "ef");

    canvas.ClearLines();
    DrawRichLines(canvas, lines, TRect{100, 200, 150, 300}, 1.0);
    ASSERT_GE(canvas.Lines().size(), 2u);
    EXPECT_EQ(canvas.Lines()[0].substr(0, canvas.Lines()[0].find(" font")), "Text 110,200 \"ab cd \"");
    EXPECT_EQ(canvas.Lines()[1].substr(0, canvas.Lines()[1].find(" font")), "Text 134,218 \"ef\"");

    // Sizes mixed in one line stand on its bottom.
    TVNRichDocument mixed;
    mixed.NewParagraph(raLeft, f);
    mixed.Append(f, "a");
    TVNRichFormat big = f;
    big.HalfPoints = 48;
    mixed.Append(big, "B");
    lines = LayoutRich(canvas, mixed, {}, 500, 1.0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Height, 40);
    canvas.ClearLines();
    DrawRichLines(canvas, lines, TRect{0, 0, 500, 100}, 1.0);
    EXPECT_EQ(canvas.Lines()[0].substr(0, 10), "Text 0,22 ");
    EXPECT_EQ(canvas.Lines()[1].substr(0, 10), "Text 8,0 \"");
}

TEST(RichView, StreamTailRoundTripsByteStableAndRefusesDamage) {
    TVNRichView v;
    v.Name = "Rich1";
    v.PlaceAt(10, 20, 300, 40);
    v.RichText = WriteRtf(RichFromPlainText(Utf8ToAnsi("金额 [qty]"), RichDefaultFormat()));
    TVNStream s;
    v.WriteToStream(s);
    std::unique_ptr<TVNView> back(CreateViewByType(ViewTypeAddIn, "TVNRichView"));
    ASSERT_TRUE(back);
    TVNStream in(s.Data());
    back->ReadFromStream(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(static_cast<TVNRichView&>(*back).RichText, v.RichText);
    TVNStream again;
    back->WriteToStream(again);
    EXPECT_EQ(again.Data(), s.Data());
    // An empty text is one byte 0.
    TVNRichView empty;
    TVNStream e;
    empty.WriteToStream(e);
    TVNStream p;
    empty.TVNView::WriteToStream(p);
    EXPECT_EQ(e.Data(), p.Data() + std::string(1, '\0'));
    // Cut records and an end position outside the record refuse with a stream error.
    for (std::size_t n = 0; n < s.Size(); ++n) {
        TVNRichView w;
        TVNStream cut(s.Data().substr(0, n));
        EXPECT_THROW(w.ReadFromStream(cut), std::exception) << n;
    }
    std::string bad = s.Data();
    TVNStream head;
    v.TVNView::WriteToStream(head);
    const std::size_t endAt = head.Size() + 1;
    bad[endAt] = 1, bad[endAt + 1] = bad[endAt + 2] = bad[endAt + 3] = 0; // end before the text
    TVNRichView w;
    TVNStream badStream(bad);
    EXPECT_THROW(w.ReadFromStream(badStream), EVNStreamError);
}

TEST(RichView, BuildEvaluatesBracketsAndSplitsALongTextAcrossPages) {
    struct {
        int TitleHeight;  // how far down the first page the band starts
        int Paragraphs;   // 18 pixels each
        std::size_t Pages;
    } cases[] = {
        {900, 30, 2}, // three lines fit below the title, the rest goes on the second page
        {0, 80, 2},   // longer than a whole page from the top of the first page
        {0, 120, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Paragraphs);
        TEngineFixture f({{"g", "x", 7}});
        if (c.TitleHeight) AddBand(*f.Page, "Title", bkTitle, 0, c.TitleHeight);
        TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 1000, 20);
        data->FormatText = "Lines";
        data->Flags |= bfStretched | bfBreaked;
        auto* rich = new TVNRichView;
        rich->Name = "Rich";
        rich->PlaceAt(10, 1000, 300, 20);
        rich->SetStretched(true);
        TVNRichDocument doc;
        TVNRichFormat bold = RichDefaultFormat();
        bold.Style = fsBold;
        for (int i = 1; i <= c.Paragraphs; ++i) {
            doc.NewParagraph(i % 2 ? raLeft : raCenter, RichDefaultFormat());
            doc.Append(bold, "p" + std::to_string(i));
            doc.Append(RichDefaultFormat(), " qty=[qty]");
        }
        rich->RichText = WriteRtf(doc);
        f.Page->Add(rich);
        ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
        ASSERT_EQ(std::size_t(f.PageCount()), c.Pages);

        // Each page holds one part inside the paper; together the parts are every paragraph
        // once, in order, evaluated, with the formats and alignments kept.
        std::vector<TVNRichDocument> parts;
        for (int page = 0; page < f.PageCount(); ++page) {
            f.Report.EMFPages->DecodePage(page);
            for (TVNView* v : f.Report.EMFPages->Page(page).DecodedPage->Objects)
                if (auto* r = dynamic_cast<TVNRichView*>(v)) {
                    parts.push_back(r->Document());
                    EXPECT_EQ(r->Top, page == 0 ? 76 + c.TitleHeight : 76);
                    EXPECT_LE(r->Top + r->Height, 1047 + 2) << page;
                }
        }
        ASSERT_EQ(parts.size(), c.Pages);
        int n = 0;
        for (const TVNRichDocument& part : parts) {
            EXPECT_FALSE(part.Paragraphs.empty());
            for (const TVNRichParagraph& p : part.Paragraphs) {
                ++n;
                SCOPED_TRACE(n);
                ASSERT_EQ(p.Runs.size(), 2u);
                EXPECT_EQ(p.Runs[0].Text, "p" + std::to_string(n));
                EXPECT_EQ(p.Runs[0].Format.Style, fsBold);
                EXPECT_EQ(p.Runs[1].Text, " qty=7");
                EXPECT_EQ(p.Align, n % 2 ? raLeft : raCenter);
            }
        }
        EXPECT_EQ(n, c.Paragraphs);

        // Exports that take text lines get each page's part line by line, centred lines
        // further right than left-aligned ones.
        struct TLineRecorder : IVNExportSink, IVNTextLineSink {
            std::vector<std::pair<int, AnsiString>> Lines;
            void ViewPrinted(TVNView&, int, int) override {}
            void TextLine(const TRect&, int x, int, TVNView&, int, const AnsiString& text) override {
                Lines.emplace_back(x, text);
            }
        } recorder;
        f.Report.ExportSink = &recorder;
        f.Report.EMFPages->ExportPage(f.PageCount() - 1);
        f.Report.ExportSink = nullptr;
        const std::size_t last = parts.back().Paragraphs.size();
        ASSERT_EQ(recorder.Lines.size(), last);
        for (std::size_t i = 0; i < last; ++i) {
            const int number = c.Paragraphs - int(last) + 1 + int(i);
            EXPECT_EQ(recorder.Lines[i].second, "p" + std::to_string(number) + " qty=7");
            if (number % 2)
                EXPECT_EQ(recorder.Lines[i].first, 10 + 2); // the view's left and its gap
            else
                EXPECT_GT(recorder.Lines[i].first, 10 + 50);
        }
    }
}

TEST(RichView, MeasuresItsTextAndDrawsItInsideTheGaps) {
    TVNRichView v;
    v.PlaceAt(10, 20, 200, 10);
    v.RichText = WriteRtf(RichFromPlainText("one\ntwo\nthree", RichDefaultFormat()));
    {
        TScopedValue running(VNState().RunMode, true);
        // Three lines of 18 and the gaps of 2 above and below.
        EXPECT_EQ(v.MeasureHeight(), 3 * 18 + 4);
        TVNRichView empty;
        EXPECT_EQ(empty.MeasureHeight(), 8 + 4); // an empty text still takes a little room
    }
    v.PlaceAt(10, 20, 200, 100);
    TFixedCanvas canvas;
    TScopedValue running(VNState().RunMode, true);
    v.Paint(&canvas);
    std::vector<std::string> texts;
    for (const std::string& l : canvas.Lines())
        if (l.rfind("Text", 0) == 0) texts.push_back(l.substr(0, l.find(" font")));
    EXPECT_EQ(texts, (std::vector<std::string>{"Text 12,22 \"one\"", "Text 12,40 \"two\"", "Text 12,58 \"three\""}));
}

TEST(RichView, InACrossColumnTakesTheColumnsPlaceWidthAndText) {
    // Two rows down, three columns across, the second made 50 wide: a rich text aligned to the
    // column's width wraps in that width, and the stretched row grows to its tallest cell.
    TEngineFixture f(TEngineFixture::Rows(2));
    TVNBandView* data = AddBand(*f.Page, "Data", bkMasterData, 130, 20);
    data->FormatText = "Lines";
    data->Flags |= bfStretched;
    TVNBandView* cross = AddBand(*f.Page, "CrossData", bkCrossData, 0, 0);
    cross->PlaceAt(157, 0, 100, 1000);
    cross->FormatText = "3";
    const AnsiString text = "[Lines.\"name\"] c[Column#] aaa bbb ccc ddd";
    auto* rich = new TVNRichView;
    rich->Name = "Rich";
    rich->PlaceAt(157, 130, 100, 20);
    rich->SetStretched(true);
    rich->BandAlign = 4;
    rich->RichText = WriteRtf(RichFromPlainText(text, RichDefaultFormat()));
    f.Page->Add(rich);
    AddMemo(*f.Page, "Memo", 157, 130, 100, 20, {"m[Column#]"})->BandAlign = 4;
    f.Report.OnPrintColumn = [](int column, int& width) {
        if (column == 2) width = 50;
    };
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;

    // The height a text of that row and column takes in a width.
    auto measured = [](const AnsiString& plain, int width) {
        TVNRichView v;
        v.PlaceAt(0, 0, width, 20);
        v.RichText = WriteRtf(RichFromPlainText(plain, RichDefaultFormat()));
        TScopedValue running(VNState().RunMode, true);
        v.SetProperty("TextOnly", true);
        return v.MeasureHeight();
    };
    const int wide = measured("r1 c1 aaa bbb ccc ddd", 100), narrow = measured("r1 c2 aaa bbb ccc ddd", 50);
    ASSERT_GT(narrow, wide);

    struct TCell {
        AnsiString Text;
        int Left, Top, Width, Height;
        bool operator==(const TCell&) const = default;
    };
    std::vector<TCell> riches, memos;
    f.Report.EMFPages->DecodePage(0);
    for (TVNView* v : f.Report.EMFPages->Page(0).DecodedPage->Objects) {
        if (auto* r = dynamic_cast<TVNRichView*>(v))
            riches.push_back({r->Document().PlainText(), v->Left, v->Top, v->Width, v->Height});
        else if (v->Name == "Memo")
            memos.push_back({PlainText(v->Memo), v->Left, v->Top, v->Width, v->Height});
    }
    const int top2 = 76 + narrow;
    EXPECT_EQ(riches, (std::vector<TCell>{{"r1 c1 aaa bbb ccc ddd", 157, 76, 100, narrow},
                                          {"r1 c2 aaa bbb ccc ddd", 257, 76, 50, narrow},
                                          {"r1 c3 aaa bbb ccc ddd", 307, 76, 100, narrow},
                                          {"r2 c1 aaa bbb ccc ddd", 157, top2, 100, narrow},
                                          {"r2 c2 aaa bbb ccc ddd", 257, top2, 50, narrow},
                                          {"r2 c3 aaa bbb ccc ddd", 307, top2, 100, narrow}}));
    // A memo aligned the same way stands in the same columns.
    ASSERT_EQ(memos.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(memos[i].Left, riches[i].Left) << i;
        EXPECT_EQ(memos[i].Width, riches[i].Width) << i;
        EXPECT_EQ(memos[i].Text, "m" + std::to_string(i % 3 + 1));
    }
}
