// The text form carries everything a stored report carries: every example, the host's template
// and the stream fixtures go stream -> text -> stream byte for byte, and text -> stream -> text
// gives the same text. Add-in kinds are covered through their published properties alone, and a
// kind that stores more than it publishes is refused rather than silently cut.
#include "report_model/ReportFixture.h"

#include "report/VNJsonReport.h"
#include "report/VNViewFactory.h"

#include "platform/AtomicFile.h"

#include <filesystem>

namespace {

std::string SourceFile(const std::string& relative) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(std::string(GUSVAK_SOURCE_DIR) + "/" + relative, bytes)) << relative;
    return bytes;
}

// stream -> text -> stream must give the same bytes, and the text made again from them the same text.
void ExpectRoundTrip(const std::string& bytes, const std::string& extension, const std::string& what) {
    SCOPED_TRACE(what);
    std::string text;
    ASSERT_NO_THROW(text = StoredBytesToJson(bytes));
    std::string again;
    try {
        again = JsonToStoredBytes(text, extension);
    } catch (const EVNJsonError& e) {
        FAIL() << e.what() << "\n" << text;
    }
    EXPECT_EQ(again, bytes) << text;
    EXPECT_EQ(StoredBytesToJson(again), text);
}

// A report with the values that are easy to lose: a memo whose last line is empty and whose line
// holds a lone CR, bytes that are not CP936, flag bits no property names, a double frame side, a
// system colour and a palette colour, every fixed kind with its tail, a dialog page.
void AwkwardReport(TVNReport& r) {
    BuildSampleReport(r);
    TVNPage& p = r.Pages[0];
    TVNMemoView* m = AddMemo(p, "Odd", 5, 6, 7, 8, {"a\rb", "\x81", ""});
    m->Flags |= 0x8000 | flWordBreak;
    m->Flags2 = 0x40000000 | fl2MangeTag;
    m->Adjust = 0x20 | vntaRightJustify;
    m->RightFrame().Style = fsDoubleLine | 2;
    m->RightFrame().Width = 1.5f;
    m->LeftFrame().Color = clBtnFace;
    m->FillColor = 0x02123456;
    m->Font.Style = 3;
    m->Font.Charset = 0;
    m->HighlightFontColor = clRed;
    m->Format = 0x01020304;
    m->FormatText = "#,##0.00";
    m->Restrictions = 5;
    m->Visible = false;
    m->DiagonalType = 3;
    auto* calc = new TVNCalcMemoView;
    calc->Name = "Sum1";
    calc->DBCalcType = vndcAvg;
    calc->DataBand = "Band2";
    calc->Filter = "[qty] > 0";
    calc->IntalizeValue = "0";
    calc->AggregateValue = "[qty]";
    calc->ResetAfterPrint = 1;
    p.Add(calc);
    auto* money = new TVNMoneyView;
    money->Name = "Money1";
    money->Cells = 9;
    money->ShowTitles = 1;
    money->LineColor = clBlue;
    p.Add(money);
    auto* region = new TVNRegionView;
    region->Name = "Region1";
    p.Add(region);
    auto* band = AddBand(p, "Group", bkGroupHeader, 200, 20);
    band->FormatText = "[grp]";
    band->Master = "Band2";
    band->LinesPerPage = -3;
    band->RangeEnd = 2;
    band->RangeEndCount = 7;
    band->Flags = 0x7FFF;
    TVNPage& dialog = r.Pages.Add();
    dialog.PageType = ptDialog;
    dialog.Caption = CP936("参数");
    dialog.BorderStyle = 2;
    dialog.Position = 0;
    dialog.BackGround.Kind = pkBitmap;
    dialog.BackGround.Data = std::string("BM\0\1\2", 5);
    dialog.LeftMargin = 12345;
    r.PrintOffsetLeft = -7;
    r.taodaDefault = true;
    r.PrintBackColor = false;
}

} // namespace

// The examples and the host's template are kept as text: each makes its file, which dumps to the
// same text and comes back byte for byte.
static void ExpectSourceRoundTrip(const std::string& relative, const std::string& extension) {
    SCOPED_TRACE(relative);
    const std::string text = SourceFile(relative);
    std::string bytes;
    try {
        bytes = JsonToStoredBytes(text, extension);
    } catch (const EVNJsonError& e) {
        FAIL() << e.what();
    }
    EXPECT_EQ(StoredBytesToJson(bytes), text);
    ExpectRoundTrip(bytes, extension, relative);
}

TEST(JsonRoundTrip, ExamplesAndHostTemplateAreByteIdentical) {
    int examples = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(GUSVAK_SOURCE_DIR) + "/examples"))
        if (e.path().extension() == ".json" && e.path().filename() != "guide_goods.json") {
            ExpectSourceRoundTrip("examples/" + e.path().filename().string(), ".vnf");
            ++examples;
        }
    EXPECT_GE(examples, 4);
    ExpectSourceRoundTrip("src/host/StocktakeTemplate.json", ".hex");
}

TEST(JsonRoundTrip, StreamFixturesTemplatesAndDictionariesAreByteIdentical) {
    TMessageRecorder messages;
    {
        TVNReport r;
        BuildSampleReport(r);
        ExpectRoundTrip(SaveBytes(r), ".vnf", "sample report");
    }
    {
        TVNReport r;
        AwkwardReport(r);
        ExpectRoundTrip(SaveBytes(r), ".vnf", "awkward report");
        TVNStream t;
        r.SaveTemplateStream(t, {CP936("模板说明"), "second line"}, std::string("BM\x10\x00\xff", 5));
        ExpectRoundTrip(t.Data(), ".vnt", "template");
        TVNStream d;
        r.Dictionary.SaveToStream(d);
        ExpectRoundTrip(d.Data(), ".vnd", "dictionary");
    }
    {
        TVNReport empty;
        ExpectRoundTrip(SaveBytes(empty), ".vnf", "empty report");
    }
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(JsonRoundTrip, TextIsReadableAndStable) {
    TVNReport r;
    AwkwardReport(r);
    const std::string text = StoredBytesToJson(SaveBytes(r));
    // Properties by name, nested by their dots; defaults left out; colours and texts readable.
    for (const char* part : {"\"Kind\": \"Memo\"", "\"Font\": {", "\"Name\": \"宋体\"", "\"FillColor\": \"clYellow\"",
                             "\"Color\": \"clBtnFace\"", "\"BandType\": \"bkGroupHeader\"", "\"Condition\": \"[grp]\"",
                             "\"Caption\": \"参数\"", "\"LeftMargin\": 12.345", "\"cp936\": \"81\"",
                             "\"DBCalcType\": \"vndcAvg\"", "\"Alignment\": \"vntaRightJustify\""})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_EQ(text.find("\"GapX\""), std::string::npos); // default
    EXPECT_EQ(text.find("\"Memo1\":"), std::string::npos); // run-time state
    // A hand-made key order gives the same report as the written order.
    TVNReport a, b;
    ReportFromJson(R"({"format": "Valnor Report File", "pages": [{"views": [
        {"Kind": "Memo", "Name": "M", "Width": 10, "Font": {"Size": 12, "Name": "Arial"}, "Left": 3}]}]})",
                   a);
    ReportFromJson(R"({"pages": [{"views": [
        {"Left": 3, "font": {"name": "Arial", "size": 12}, "Width": 10, "Name": "M", "Kind": "memo"}]}],
        "format": "Valnor Report File"})",
                   b);
    EXPECT_EQ(SaveBytes(a), SaveBytes(b));
}

namespace {
// An add-in kind that publishes its own field as a property: the text form covers it with no
// code of its own.
struct TStarView : TVNView {
    std::int32_t Points = 5;
    const char* ClassName() const override { return "TVNStarView"; }
    void RegisterProperties() override {
        TVNView::RegisterProperties();
        RegisterProperty("Points", pkInteger);
    }
    void SetProperty(const AnsiString& name, const Value& v) override {
        if (SameText(name, "Points"))
            Points = std::int32_t(v.AsInteger());
        else
            TVNView::SetProperty(name, v);
    }
    Value GetProperty(const AnsiString& name) override {
        return SameText(name, "Points") ? Value(Points) : TVNView::GetProperty(name);
    }
    void WriteToStream(TVNStream& s) override {
        TVNView::WriteToStream(s);
        s.WriteInt32(Points);
    }
    void ReadFromStream(TVNStream& s) override {
        TVNView::ReadFromStream(s);
        Points = s.ReadInt32();
    }
};
// One that stores a field no property reaches.
struct TSecretView : TStarView {
    const char* ClassName() const override { return "TVNSecretView"; }
    Value GetProperty(const AnsiString& name) override {
        return SameText(name, "Points") ? Value() : TVNView::GetProperty(name);
    }
};
} // namespace

TEST(JsonRoundTrip, AddInKindsAreCoveredByTheirPropertiesAndLossIsRefused) {
    RegisterAddInObject("TVNStarView", [] { return new TStarView; });
    RegisterAddInObject("TVNSecretView", [] { return new TSecretView; });
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    auto* star = new TStarView;
    star->Name = "Star1";
    star->Points = 7;
    p.Add(star);
    const std::string bytes = SaveBytes(r);
    ExpectRoundTrip(bytes, ".vnf", "add-in kind");
    EXPECT_NE(StoredBytesToJson(bytes).find("\"Kind\": \"Star\""), std::string::npos);

    auto* secret = new TSecretView;
    secret->Name = "Secret1";
    secret->Points = 9;
    p.Add(secret);
    try {
        StoredBytesToJson(SaveBytes(r));
        FAIL() << "a view whose data the text cannot carry was written";
    } catch (const EVNJsonError& e) {
        EXPECT_EQ(e.Path, "pages[0].views[1]");
        EXPECT_NE(e.Message.find("does not carry"), std::string::npos);
    }
}
