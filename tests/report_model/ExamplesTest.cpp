// The two example reports under examples/ are made here through the engine's API: one with every
// band type, one with every view kind of the model (the add-in kinds and rich text included).
// The examples are kept in their text form: the texts must be exactly the dump of what the
// current writer writes, and make those bytes again; set VN_WRITE_EXAMPLES=1 to write them again
// after a deliberate format change.
#include "ReportFixture.h"

#include "report/VNAddInViews.h"
#include "report/VNControl.h"
#include "report/VNGridView.h"
#include "report/VNJsonReport.h"
#include "report/VNRichView.h"
#include "report/VNStandardViews.h"

#include "platform/AtomicFile.h"

#include <cstdlib>
#include <filesystem>

namespace {

void AllBandsReport(TVNReport& r) {
    r.ReportInfo.Title = CP936("全部栏目类型");
    r.ReportInfo.Author = "vnreport examples";
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF);
    p.Name = "Page1";
    int top = 20;
    for (int type = 0; type < VNBandTypeCount; ++type) {
        const bool cross = IsCrossBandType(type);
        TVNBandView* b = AddBand(p, "Band" + std::to_string(type + 1), type, top, 24);
        if (cross) b->PlaceAt(400 + 60 * (type - bkCrossHeader), 0, 50, 1000);
        if (IsDataBandType(type) || type == bkCrossData) b->FormatText = std::to_string(3 + type % 3);
        if (type == bkGroupHeader) {
            b->FormatText = "[Line#] div 2";
            b->Master = "Band6";
        }
        if (type == bkMasterData) b->ChildBand = "Band22";
        TVNMemoView* m = AddMemo(p, "Memo" + std::to_string(type + 1), 60, top + 2, 300, 20,
                                 {BandTypeName(type) + " [Line#]"});
        m->SetFrameTyp(cross ? 0 : 15);
        if (!cross) top += 28;
    }
    r.Dictionary.Variables.Add(CP936(" 示例"), "");
    r.Dictionary.Variables.Add("Rows", "[Line#]");
}

void AllViewsReport(TVNReport& r) {
    r.ReportInfo.Title = CP936("全部对象类型");
    r.ReportInfo.Author = "vnreport examples";
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF);
    p.Name = "Page1";
    AddBand(p, "Band1", bkMasterData, 40, 120)->FormatText = "2";
    TVNMemoView* memo = AddMemo(p, "Memo1", 20, 44, 200, 24, {CP936("金额: [Amount]"), "\\[literal]"});
    memo->SetFrameTyp(15);
    memo->FillColor = clSilver;
    memo->Adjust = int(vntaCenterJustify) | int(vntlCenter);
    memo->Font.Name = CP936("宋体");
    AddView<TVNPictureView>(p, "Picture1", 240, 44, 40, 40);
    auto* sub = AddView<TVNSubReportView>(p, "SubReport1", 300, 44, 100, 40);
    sub->SubPage = 1;
    AddView<TVNLineView>(p, "Line1", 20, 100, 400, 0);
    auto* calc = AddView<TVNCalcMemoView>(p, "CalcMemo1", 20, 120, 120, 20);
    calc->Memo = {"[Amount]"};
    calc->DataBand = "Band1";
    auto* money = AddView<TVNMoneyView>(p, "MoneyMemo1", 160, 120, 240, 20);
    money->Memo = {"1234.5"};
    AddView<TVNRegionView>(p, "View1", 420, 40, 100, 100);
    // The kinds streams know by class name.
    auto* shape = AddView<TVNShapeView>(p, "Shape1", 20, 170, 60, 40);
    shape->Shape = skEllipse;
    auto* check = AddView<TVNCheckBoxView>(p, "Check1", 100, 170, 20, 20);
    check->CheckStyle = csCheck;
    check->Memo = {"[Amount] > 0"};
    auto* diagonal = AddView<TVNDiagonalView>(p, "Diagonal1", 140, 170, 100, 40);
    diagonal->Memo = {CP936(";月份;;门店")};
    auto* round = AddView<TVNRoundRectView>(p, "RoundRect1", 260, 170, 120, 40);
    round->Memo = {CP936("圆角框")};
    auto* rich = AddView<TVNRichView>(p, "Rich1", 20, 230, 360, 40);
    TVNRichDocument text = RichFromPlainText(CP936("富文本 [Amount]"), RichDefaultFormat());
    text.Paragraphs[0].Align = raCenter;
    rich->RichText = WriteRtf(text);
    auto* grid = AddView<TVNGridView>(p, "GridView1", 400, 170, 200, 60);
    TVNGridEx& g = grid->Grid();
    // Column and row 0 are the grid's headers; the cells start at 1.
    g.SetColCount(4);
    g.SetRowCount(3);
    g.Merge(1, 1, 2, 1);
    g.Cell(1, 1)->SetText(CP936("合并表头"));
    g.Cell(3, 1)->SetText(CP936("金额"));
    g.Cell(3, 2)->SetText("[Amount]");
    TVNPage& p2 = r.Pages.Add();
    p2.ChangePaper(9, 0, 0, 0, 0xFFFF);
    p2.Name = "SubPage";
    AddMemo(p2, "Memo2", 10, 10, 100, 20, {"sub report text"});
    // Dialog controls live on dialog pages; this page's activation script answers for the user,
    // so a build never waits for the form.
    TVNPage& dialog = r.Pages.Add();
    dialog.PageType = ptDialog;
    dialog.Name = "Dialog";
    dialog.OnBeforePrint = {"ModalResult := 1;"};
    AddView<TVNControl>(dialog, "Control1", 20, 20, 120, 24);
    AddView<TVNNonVisualControl>(dialog, "Component1", 160, 20, 28, 28);
}

void CheckExample(const char* file, void (*build)(TVNReport&)) {
    TVNReport r;
    build(r);
    const std::string bytes = SaveBytes(r);
    const std::string text = StoredBytesToJson(bytes);
    const std::string path = (std::filesystem::path(GUSVAK_SOURCE_DIR) / "examples" / file).string();
    if (std::getenv("VN_WRITE_EXAMPLES")) AtomicWriteFile(path, text);
    std::string golden;
    ASSERT_TRUE(ReadWholeFile(path, golden)) << path;
    EXPECT_EQ(golden, text) << file;
    EXPECT_EQ(JsonToStoredBytes(golden, ".vnf"), bytes) << file;
}

} // namespace

TEST(Examples, AllBandTypes) {
    CheckExample("all_bands.json", AllBandsReport);
}
TEST(Examples, AllViewKinds) {
    CheckExample("all_views.json", AllViewsReport);
}
