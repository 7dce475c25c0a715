// Background, frame and page drawing through the canvas, checked on the fixed-metrics canvas.
#include "ReportFixture.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNViewFactory.h"

#include "platform/FixedCanvas.h"

namespace {
// A view that paints only what the common view paints: background and frame.
class TBoxView : public TVNView {
public:
    const char* ClassName() const override { return "TVNTestBoxView"; }
    void Paint(ICanvas* canvas) override {
        Canvas = canvas;
        ScaleForPaint();
        FillBackground();
        PaintFrame();
        UnscaleAfterPaint();
    }
};

std::vector<std::string> PaintBox(const std::function<void(TBoxView&)>& setup, bool runMode = true) {
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    auto* v = new TBoxView;
    v->PlaceAt(10, 20, 100, 50);
    p.Add(v);
    setup(*v);
    TFixedCanvas canvas;
    TScopedValue running(VNState().RunMode, runMode);
    v->Paint(&canvas);
    return canvas.Lines();
}
} // namespace

TEST(Painting, FrameOfEqualSidesIsOneRectangle) {
    auto lines = PaintBox([](TBoxView& v) {
        v.SetFrameTyp(15);
        v.FillColor = clYellow;
    });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "FillRect 10,20,111,71 brush=solid;$0000FFFF");
    EXPECT_EQ(lines[1], "Rectangle 10,20,111,71 pen=solid;1;$00000000;square brush=clear");
}

TEST(Painting, UnequalSidesDoubleLinesAndDiagonals) {
    auto lines = PaintBox([](TBoxView& v) {
        v.TopFrame().Visible = 1;
        v.TopFrame().Style = fsDoubleLine;
        v.TopFrame().Width = 2;
        v.LeftFrame().Visible = 1;
        v.LeftFrame().Color = clRed;
        v.DiagonalType = 1;
    });
    std::vector<std::string> expected = {
        "Line 10,20,10,70 pen=solid;1;$000000FF;square",
        "Line 10,20,110,20 pen=solid;2;$00000000;square",
        "Line 10,24,110,24 pen=solid;2;$00000000;square",
        "Line 10,20,110,70 pen=solid;1;$00000000",
    };
    EXPECT_EQ(lines, expected);
}

TEST(Painting, SkippingRules) {
    // Nothing visible in RunMode: no fill (no colour) and no frame.
    EXPECT_TRUE(PaintBox([](TBoxView&) {}).empty());
    // Designer: no colour paints white.
    EXPECT_EQ(PaintBox([](TBoxView&) {}, false).front(), "FillRect 10,20,111,71 brush=solid;$00FFFFFF");
    // Pre-printed forms draw only frames of views that ask for it.
    auto lines = PaintBox([](TBoxView& v) {
        v.SetFrameTyp(15);
        v.Report()->taoda = true;
    });
    EXPECT_TRUE(lines.empty());
    // Printing without back colours skips the fill.
    lines = PaintBox([](TBoxView& v) {
        v.FillColor = clRed;
        v.IsPrinting = true;
        v.Report()->PrintBackColor = false;
    });
    EXPECT_TRUE(lines.empty());
}

TEST(Painting, DrawPageScalesSkipsAndReleases) {
    RegisterAddInObject("TVNTestBoxView", [] { return new TBoxView; });
    TVNReport r;
    TVNPage& design = r.Pages.Add();
    design.ChangePaper(9, 0, 0, 0, 0xFFFF);
    r.EMFPages->AddPage(design);
    TBoxView a, b;
    a.PlaceAt(10, 10, 20, 20);
    a.SetFrameTyp(15);
    b.PlaceAt(600, 900, 20, 20);
    b.SetFrameTyp(15);
    b.SetPrintVisible(true);
    r.EMFPages->WriteView(a);
    r.EMFPages->WriteView(b);
    TVNPreparedPage& page = r.EMFPages->Page(0);

    TFixedCanvas canvas;
    page.Visible = 0; // not on screen: nothing drawn, decoded views released
    r.EMFPages->DecodePage(0);
    r.EMFPages->DrawPage(0, canvas, TRect{0, 0, 794, 1123});
    EXPECT_TRUE(canvas.Lines().empty());
    EXPECT_EQ(page.DecodedPage, nullptr);

    page.Visible = 1;
    TRect clip{0, 0, 100, 100}; // only the first view is inside the visible part
    r.EMFPages->DrawPage(0, canvas, TRect{0, 0, 1588, 2246}, TVNDrawTarget::Screen, &clip);
    ASSERT_EQ(canvas.Lines().size(), 1u);
    EXPECT_EQ(canvas.Lines()[0], "Rectangle 20,20,61,61 pen=solid;2;$00000000;square brush=clear");

    canvas.ClearLines();
    r.taoda = true; // pre-printed form on the printer: only PrintVisible views
    r.EMFPages->DrawPage(0, canvas, TRect{0, 0, 794, 1123}, TVNDrawTarget::Printer);
    ASSERT_EQ(canvas.Lines().size(), 0u); // and its frame is not a PrintFrame one
}
