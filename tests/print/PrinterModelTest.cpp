// The printer model: the list with its two pseudo-entries and every queue, papers and sources
// turned into paper codes and bin numbers, device metrics from the printable areas, printer
// changes keeping the paper by size, and the virtual printer on a machine with no queue.
#include "MemoryPrintPlatform.h"

#include "report/VNStrings.h"
#include "report/print/VNPrinterList.h"

#include "platform/Locale.h"

#include <gtest/gtest.h>

namespace {

struct TTwoQueues {
    TMemoryPrintPlatform Platform;
    TTwoQueues() {
        Platform.QueueInfos["vnfile"] = TMemoryPrintPlatform::TestQueue();
        TPrintQueueInfo small;
        small.Media = {{"A4", "A4", 2100, 2970, 0, 0, 0, 0}};
        Platform.QueueInfos["vnpdf"] = small;
        Platform.Default = "vnpdf";
    }
};

} // namespace

TEST(PrinterModel, WithoutAnyQueueOnlyTheVirtualPrinterMeasuresAndNothingPrints) {
    TPrintingScope scope(nullptr);
    TVNPrinterList& list = VNPrinterList();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Name(0), VNText(TVNText::DefaultPrinter));
    EXPECT_EQ(list.Name(1), VNText(TVNText::VirtualPrinter));
    EXPECT_EQ(list.DefaultIndex(), 1);
    TVNPrinter& p = VNSharedPrinter();
    EXPECT_TRUE(p.IsVirtual());
    TVNPrinterMetrics m;
    p.FillPrinterMetrics(m);
    EXPECT_EQ(m.PaperWidthPx, 794);
    EXPECT_EQ(m.OffsetXPx, 18);
    EXPECT_EQ(m.OffsetYPx, 18);
    EXPECT_EQ(m.PrintableWidthPx, 794 - 36);
    EXPECT_EQ(p.PixelsPerInchX(), 96);
    EXPECT_FALSE(p.BeginDoc());
    EXPECT_EQ(p.LastError, VNText(TVNText::NoPrinter));
    EXPECT_EQ(p.Canvas(), nullptr);
}

TEST(PrinterModel, ListHoldsEveryQueueAndFindsTheDefault) {
    TTwoQueues q;
    TPrintingScope scope(&q.Platform);
    TVNPrinterList& list = VNPrinterList();
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Name(2), "vnfile");
    EXPECT_EQ(list.Name(3), "vnpdf");
    EXPECT_EQ(list.DefaultIndex(), 3);
    // Index 0 stands for the default queue.
    EXPECT_EQ(&list.PrinterInfo(0), &list.PrinterInfo(3));
    EXPECT_FALSE(VNSharedPrinter().IsVirtual());
}

TEST(PrinterModel, QueuePapersAndSourcesBecomeCodesBinsAndTheFixedUpLists) {
    TTwoQueues q;
    TPrintingScope scope(&q.Platform);
    const TVNPrinterInfo& info = VNPrinterList().PrinterInfo(2);
    // A4, A5, JIS B5 and Letter are standard papers; ISO B5 has no standard code here.
    const std::vector<AnsiString> firstNumbers(info.PaperNumbers.begin(), info.PaperNumbers.begin() + 5);
    EXPECT_EQ(firstNumbers, (std::vector<AnsiString>{"9", "11", "13", "1003", "1"}));
    EXPECT_EQ(info.PaperNames[3], "ISO B5");
    EXPECT_EQ(info.FirstCustomIndex, 5);
    ASSERT_EQ(info.PaperNames.size(), 5u + 5u + 1u);
    EXPECT_EQ(info.PaperNumbers[5], "800");
    EXPECT_EQ(info.PaperNames.back(), VNText(TVNText::CustomPaper));
    EXPECT_EQ(info.BinNames, (std::vector<AnsiString>{VNText(TVNText::DefaultBin), "Upper Tray", "Lower Tray"}));
    EXPECT_EQ(info.BinNumbers, (std::vector<AnsiString>{"65535", "1", "2"}));
}

TEST(PrinterModel, DeviceMetricsComeFromThePrintableAreaAtTheQueueResolution) {
    TTwoQueues q;
    TPrintingScope scope(&q.Platform);
    TVNPrinter& p = VNSharedPrinter();
    p.SetPrinterIndex(2);
    p.SetPaper(9, 2100, 2970, 0, -1, true);
    TVNPrinterMetrics m;
    p.FillPrinterMetrics(m);
    EXPECT_EQ(p.PixelsPerInchX(), 600);
    EXPECT_EQ(m.PhysicalWidth, 4961); // 210 mm at 600 dpi
    EXPECT_EQ(m.PhysicalHeight, 7016);
    EXPECT_EQ(m.OffsetX, 100); // 12 pt
    EXPECT_EQ(m.PrintableWidth, 4961 - 200);
    EXPECT_EQ(m.PaperWidthPx, 794);
    EXPECT_EQ(m.OffsetXPx, 15); // 100 x 90.998 / 600
    EXPECT_NEAR(p.ScaleX(), 4961.0 / 794, 1e-9);
    int l, t, r, b;
    p.PageGutters(l, t, r, b);
    EXPECT_EQ(r, 100);
    // Landscape swaps the sheet.
    p.SetPaper(9, 2970, 2100, 1, -1);
    EXPECT_EQ(p.PaperWidth(), 2970);
    EXPECT_EQ(p.PhysicalWidth(), 7016);
    // A custom paper takes the size asked for.
    p.SetPaper(256, 1000, 1500, 0, -1);
    EXPECT_EQ(p.PaperWidth(), 1000);
    EXPECT_EQ(p.PaperHeight(), 1500);
}

TEST(PrinterModel, ChangingPrinterKeepsThePaperBySizeElseItBecomesCustom) {
    TTwoQueues q;
    TPrintingScope scope(&q.Platform);
    TVNPrinter& p = VNSharedPrinter();
    p.SetPrinterIndex(2);
    p.SetPaper(9, 2100, 2970, 0, -1, true);
    p.SetPrinterIndex(3); // vnpdf has A4
    EXPECT_EQ(p.PaperSize(), 9);
    p.SetPrinterIndex(2);
    p.SetPaper(11, 1480, 2100, 0, -1);
    p.SetPrinterIndex(3); // but no A5
    EXPECT_EQ(p.PaperSize(), 256);
    EXPECT_EQ(p.PaperWidth(), 1480);
    EXPECT_EQ(p.PaperHeight(), 2100);
    // Names as reports store them.
    EXPECT_EQ(p.SelectByName("Virtual Printer"), "Virtual Printer");
    EXPECT_TRUE(p.IsVirtual());
    p.SelectByName("vnfile");
    EXPECT_EQ(p.PrinterIndex(), 2);
    p.SelectByName("no such queue");
    EXPECT_EQ(p.PrinterIndex(), 0);
}

TEST(PrinterModel, SameAsCurrentToleratesATenthInWidthAndUnderTwoInHeight) {
    TTwoQueues q;
    TPrintingScope scope(&q.Platform);
    TVNPrinter& p = VNSharedPrinter();
    p.SetPrinterIndex(2);
    p.SetPaper(9, 2100, 2970, 0, 1, true);
    EXPECT_TRUE(p.SameAsCurrent(9, 2101, 2971, 0, 1));
    EXPECT_TRUE(p.SameAsCurrent(9, 2100, 2970, 0, -1)); // any bin
    EXPECT_FALSE(p.SameAsCurrent(9, 2102, 2970, 0, 1));
    EXPECT_FALSE(p.SameAsCurrent(9, 2100, 2972, 0, 1));
    EXPECT_FALSE(p.SameAsCurrent(9, 2100, 2970, 0, 2));
    EXPECT_FALSE(p.SameAsCurrent(9, 2970, 2100, 1, 1));
}
