// The view kinds with their own drawing: stream tails (byte-stable, old versions, damage), the
// drawing rules on the fixed-metrics canvas, and built pages whose decoded views draw as the
// rules say (check box values, money grid digits, diagonal captions).
#include "EngineFixture.h"

#include "report/VNAddInViews.h"
#include "report/VNControl.h"
#include "report/VNEngine.h"
#include "report/VNMemoPaint.h"
#include "report/VNViewFactory.h"

#include "platform/FixedCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

struct TRunModeScope {
    TScopedValue<bool> Running;
    explicit TRunModeScope(bool on) : Running(VNState().RunMode, on) {}
};

std::string Record(TVNView& v, int version = 43) {
    TVNStream s;
    s.Version = version;
    v.WriteToStream(s);
    return s.Data();
}

std::unique_ptr<TVNView> ReadRecord(const TVNView& like, const std::string& bytes, int version = 43) {
    std::unique_ptr<TVNView> v(CreateViewByType(like.TypeCode, like.ClassName()));
    TVNStream s(bytes);
    s.Version = version;
    s.VersionCode = version * 100 + 11;
    v->ReadFromStream(s);
    EXPECT_TRUE(s.AtEnd()) << like.ClassName();
    return v;
}

std::vector<std::string> PaintLines(TVNView& v) {
    TFixedCanvas canvas;
    TRunModeScope run(true);
    v.Paint(&canvas);
    return canvas.Lines();
}

bool Has(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

// One view of each kind with every own field away from its default.
std::vector<std::unique_ptr<TVNView>> EveryKind() {
    std::vector<std::unique_ptr<TVNView>> list;
    auto shape = std::make_unique<TVNShapeView>();
    shape->Shape = skCircle;
    shape->PenMode = 13;
    list.push_back(std::move(shape));
    auto check = std::make_unique<TVNCheckBoxView>();
    check->CheckStyle = csCheck;
    check->CheckColor = clRed;
    check->Memo = {"[qty]"};
    list.push_back(std::move(check));
    auto diag = std::make_unique<TVNDiagonalView>();
    diag->LineColor = clBlue;
    diag->LineWidth = 2;
    diag->Memo = {Utf8ToAnsi(";月份;;门店")};
    list.push_back(std::move(diag));
    auto round = std::make_unique<TVNRoundRectView>();
    round->ShadowWidth = TVNRoundRectView::GradientMark;
    round->RoundSize = gsElliptic;
    round->RoundRect = 0;
    round->CompleteFrame = 0;
    list.push_back(std::move(round));
    auto money = std::make_unique<TVNMoneyView>();
    money->Cells = 9;
    money->Decimals = 3;
    money->ShowTitles = 1;
    list.push_back(std::move(money));
    list.push_back(std::make_unique<TVNControl>());
    list.push_back(std::make_unique<TVNNonVisualControl>());
    for (auto& v : list) {
        v->PlaceAt(10, 20, 120, 40);
        v->Name = AnsiString(v->ClassName()) + "1";
    }
    return list;
}

} // namespace

TEST(ViewKinds, StreamTailsRoundTripByteStableAndRefuseDamage) {
    for (auto& v : EveryKind()) {
        SCOPED_TRACE(v->ClassName());
        const std::string first = Record(*v);
        auto back = ReadRecord(*v, first);
        EXPECT_EQ(Record(*back), first);
        // Every cut record refuses cleanly (a stream error), never reads past its bytes.
        for (std::size_t n = 0; n < first.size(); ++n) {
            std::unique_ptr<TVNView> w(CreateViewByType(v->TypeCode, v->ClassName()));
            TVNStream s(first.substr(0, n));
            EXPECT_THROW(w->ReadFromStream(s), std::exception) << n;
        }
    }
}

TEST(ViewKinds, CheckBoxTailFollowsTheStreamVersion) {
    const std::string red("\xFF\x00\x00\x00", 4);
    struct {
        int Version;
        std::string Tail;
        TColor Colour;
    } cases[] = {
        {20, "\x01", clBlack},                // no colour yet
        {24, "\x01" + red, clRed},            // the colour
        {27, "\x01" + red + "\x07", clRed},   // and one skipped byte
        {28, "\x01" + red + "\x07", clRed},
        {43, "\x01" + red, clRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Version);
        TVNStream s(c.Tail);
        s.Version = c.Version;
        TVNCheckBoxView back;
        back.ReadTail(s);
        EXPECT_TRUE(s.AtEnd());
        EXPECT_EQ(back.CheckStyle, csCheck);
        EXPECT_EQ(back.CheckColor, c.Colour);
    }
}

TEST(ViewKinds, AddInKindsAreRegisteredByClassName) {
    for (const char* name : {"TVNShapeView", "TVNCheckBoxView", "TVNDiagonalView", "TVNRoundRectView", "TVNRichView",
                             "TVNControl", "tvnNonVisualControl"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<TVNView> v(CreateViewByType(ViewTypeAddIn, name));
        ASSERT_TRUE(v);
        EXPECT_TRUE(SameText(v->ClassName(), name));
    }
}

TEST(ViewKinds, LineIsHorizontalOrVerticalByItsShape) {
    TVNLineView h;
    h.PlaceAt(10, 20, 100, 3);
    EXPECT_EQ(PaintLines(h), (std::vector<std::string>{"Line 10,20,110,20 pen=solid;1;$00000000;square"}));
    TVNLineView v;
    v.PlaceAt(10, 20, 3, 100);
    EXPECT_EQ(PaintLines(v), (std::vector<std::string>{"Line 10,20,10,120 pen=solid;1;$00000000;square"}));
    EXPECT_EQ(h.Height, 3); // the model keeps its geometry
}

TEST(ViewKinds, EmptyPictureShowsItsMarkAndCaptionOnlyInTheDesigner) {
    TVNPictureView p;
    p.PlaceAt(10, 20, 100, 50);
    TFixedCanvas canvas;
    {
        TRunModeScope design(false);
        p.Paint(&canvas);
    }
    EXPECT_TRUE(Has(canvas.Lines(), "Picture 12,22,28,38 bitmap 16x16"));
    EXPECT_TRUE(Has(canvas.Lines(), "Text 30,22 \"" + Utf8ToAnsi("[图片]")));
    EXPECT_FALSE(Has(PaintLines(p), "Picture")); // running: the fill only
    EXPECT_FALSE(Has(PaintLines(p), "Text"));
}

TEST(ViewKinds, PictureTargetKeepsAspectAndCentres) {
    struct {
        std::uint16_t Flags;
        TRect Target;
    } cases[] = {
        {0x0001 | 0x0004, {0, 0, 100, 50}},           // stretched, keep aspect: top left
        {0x0001 | 0x0004 | 0x0002, {0, 25, 100, 75}}, // ... centred
        {0x0001, {0, 0, 100, 100}},                   // stretched
        {0x0000, {0, 0, 200, 100}},                   // natural size from the top left
        {0x0002, {-50, 0, 150, 100}},                 // natural size, centred
    };
    for (const auto& c : cases) {
        TVNPictureView p;
        p.Flags = c.Flags;
        p.InnerRect = TRect{0, 0, 100, 100};
        EXPECT_EQ(p.PictureTarget(200, 100), c.Target) << c.Flags;
    }
}

TEST(ViewKinds, MoneyGridCells) {
    TVNMoneyView m;
    const AnsiString yuan = m.CurrencySymbol;
    auto cells = [&](const char* text) { return m.CellTexts(text); };
    std::vector<AnsiString> expected(12);
    const char* digits[] = {"1", "2", "3", "4", "5", "0"};
    for (int i = 0; i < 6; ++i)
        expected[std::size_t(6 + i)] = digits[i];
    expected[5] = yuan;
    EXPECT_EQ(cells("1234.5"), expected);
    EXPECT_EQ(cells(" 1234.509 "), expected); // cut, not rounded, to the decimals
    EXPECT_EQ(cells("abc"), std::vector<AnsiString>(12));
    EXPECT_EQ(cells("1234567890123"), std::vector<AnsiString>(12, "*"));
    std::vector<AnsiString> small(12);
    small[8] = yuan, small[9] = "0", small[10] = "0", small[11] = "5";
    EXPECT_EQ(cells(".05"), small);
    m.Decimals = 0;
    std::vector<AnsiString> rounded(12);
    rounded[9] = yuan, rounded[10] = "1", rounded[11] = "3";
    EXPECT_EQ(cells("12.6"), rounded);
}

TEST(ViewKinds, BuiltPageDrawsCheckMarksMoneyDigitsAndDiagonalCaptions) {
    TEngineFixture f(TEngineFixture::Rows(2));
    AddBand(*f.Page, "Data", bkMasterData, 100, 60)->FormatText = "Lines";
    auto* check = new TVNCheckBoxView;
    check->Name = "Check";
    check->PlaceAt(10, 100, 20, 20);
    check->CheckStyle = csCheck;
    check->Memo = {"[qty] - 1"};
    f.Page->Add(check);
    auto* money = new TVNMoneyView;
    money->Name = "Money";
    money->PlaceAt(40, 100, 240, 20);
    money->Memo = {"[qty]234.5"};
    f.Page->Add(money);
    auto* diag = new TVNDiagonalView;
    diag->Name = "Head";
    diag->PlaceAt(300, 100, 100, 50);
    diag->Memo = {Utf8ToAnsi(";月份;;门店")};
    f.Page->Add(diag);
    ASSERT_TRUE(f.Report.BuildReport()) << f.Report.ErrorText;
    EXPECT_EQ(f.Texts(0, "Check"), (std::vector<AnsiString>{"0", "1"}));

    f.Report.EMFPages->DecodePage(0);
    std::vector<std::vector<std::string>> checks, moneys, heads;
    for (TVNView* v : f.Report.EMFPages->Page(0).DecodedPage->Objects) {
        if (v->Name == "Check") checks.push_back(PaintLines(*v));
        if (v->Name == "Money") moneys.push_back(PaintLines(*v));
        if (v->Name == "Head") heads.push_back(PaintLines(*v));
    }
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_FALSE(Has(checks[0], "Text")); // 1 - 1 = 0: no mark
    EXPECT_TRUE(Has(checks[1], "Text")) << "the second row's value 1 shows the tick";
    EXPECT_NE(std::find_if(checks[1].begin(), checks[1].end(),
                           [](const std::string& l) { return l.find("\"\xFC\" font=Wingdings") != std::string::npos; }),
              checks[1].end());
    // Cells are 20 wide at 40..280: "1234.50" fills the last six cells, "￥" the one before.
    ASSERT_EQ(moneys.size(), 2u);
    for (const char* digit : {"\"1\"", "\"2\"", "\"3\"", "\"4\"", "\"5\"", "\"0\""}) {
        EXPECT_NE(std::find_if(moneys[0].begin(), moneys[0].end(),
                               [&](const std::string& l) { return l.find(digit) != std::string::npos; }),
                  moneys[0].end())
            << digit;
    }
    // Two captions 5 pixels in from their corners (the band starts at the top margin, 76): top
    // right ("月份" is 28 wide) and bottom left (text height 16), with one line between the two
    // other corners.
    ASSERT_EQ(heads.size(), 2u);
    std::vector<std::string> texts;
    for (const auto& l : heads[0])
        if (l.rfind("Text", 0) == 0) texts.push_back(l.substr(0, l.find(" font")));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].substr(0, texts[0].find(' ', 5)), "Text 367,81");
    EXPECT_EQ(texts[1].substr(0, texts[1].find(' ', 5)), "Text 305,105");
    EXPECT_TRUE(Has(heads[0], "Line 300,76,400,126"));

    // Exports that take text lines get the check box as "X" when checked, else nothing.
    struct TLineRecorder : IVNExportSink, IVNTextLineSink {
        std::vector<AnsiString> Marks;
        void ViewPrinted(TVNView&, int, int) override {}
        void TextLine(const TRect&, int, int, TVNView& v, int, const AnsiString& text) override {
            if (v.Name == "Check") Marks.push_back(text);
        }
    } recorder;
    f.Report.ExportSink = &recorder;
    f.Report.EMFPages->ExportPage(0);
    f.Report.ExportSink = nullptr;
    EXPECT_EQ(recorder.Marks, (std::vector<AnsiString>{"", "X"}));
}

TEST(ViewKinds, DialogControlsDrawTheirNameOrTheNonVisualMark) {
    TVNControl edit;
    edit.Name = "Edit1";
    edit.PlaceAt(10, 20, 100, 24);
    const auto lines = PaintLines(edit);
    EXPECT_TRUE(Has(lines, "Rectangle 10,20,110,44"));
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.find("\"Edit1\"") != std::string::npos; }),
              lines.end());

    // Whatever size it was given, a non-visual control shows its 28 x 28 mark at its top left,
    // scaled with the page like everything else.
    TVNNonVisualControl query;
    query.PlaceAt(10, 20, 120, 40);
    EXPECT_EQ(PaintLines(query), (std::vector<std::string>{"Picture 10,20,38,48 bitmap 28x28"}));
    query.PaintScaleX = query.PaintScaleY = 2;
    EXPECT_EQ(PaintLines(query), (std::vector<std::string>{"Picture 20,40,76,96 bitmap 28x28"}));
}

TEST(ViewKinds, DialogControlNamesAvoidTheDialogFormsComponents) {
    TEngineFixture f;
    TVNPage& dialog = f.Report.Pages.Add();
    dialog.PageType = ptDialog;
    auto* first = new TVNControl;
    first->Name = "Control1";
    dialog.Add(first);
    TVNComponent taken(&VNDialogForm(), "CONTROL2");

    auto* control = new TVNControl;
    dialog.Add(control);
    control->MakeUniqueName();
    EXPECT_EQ(control->Name, "Control3");
    // Other views only avoid the report's own names.
    auto* memo = new TVNMemoView;
    memo->BaseName = "Control";
    f.Page->Add(memo);
    memo->MakeUniqueName();
    EXPECT_EQ(memo->Name, "Control2");
}
