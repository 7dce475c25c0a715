// Text and CSV exports of small built reports: the character grid (columns from positions, right
// alignment, frames joined into T-pieces and crosses, empty rows, page breaks) and CSV columns and
// quoting, compared byte for byte (CP936, CR LF).
#include "engine/EngineFixture.h"

#include "report/export/VNTextExport.h"

#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Exports the built report through the filter and answers the file's bytes.
std::string Export(TVNReport& report, TVNExportFilter& filter) {
    const fs::path path = fs::temp_directory_path() / ("vntext-" + std::to_string(::getpid()) + ".out");
    filter.ShowDialog = false;
    EXPECT_TRUE(report.ExportBuiltReport(filter, path.string()));
    std::string bytes;
    ReadWholeFile(path.string(), bytes);
    fs::remove(path);
    return bytes;
}

// A grouped list: a header row, per group a heading, then the rows with a right-aligned quantity.
void GroupedList(TEngineFixture& f) {
    AddBand(*f.Page, "Head", bkPageHeader, 10, 20);
    AddMemo(*f.Page, "H1", 64, 10, 100, 14, {CP936("名称")});
    AddMemo(*f.Page, "H2", 200, 10, 60, 14, {CP936("数量")});
    AddBand(*f.Page, "GroupHead", bkGroupHeader, 40, 14)->FormatText = "[grp]";
    AddMemo(*f.Page, "G", 64, 40, 200, 14, {CP936("组 ") + "[grp]"});
    AddBand(*f.Page, "Data", bkMasterData, 60, 14)->FormatText = "Lines";
    AddMemo(*f.Page, "N", 64, 60, 100, 14, {"[name]"});
    TVNMemoView* q = AddMemo(*f.Page, "Q", 200, 60, 60, 14, {"[qty]"});
    q->Adjust = vntaRightJustify;
}

} // namespace

TEST(TextExport, GroupedPageOnTheCharacterGrid) {
    TEngineFixture f({{"A", "apple", 12}, {"A", "pear", 3}, {"B", "plum", 100}});
    GroupedList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TVNTextExport text;
    const std::string out = Export(f.Report, text);
    // Columns: x 64 + gap 3 -> 67 / 6.5 = 10; the right-aligned quantity ends at column
    // 261 / 6.5 = 40 less its length.
    const std::string expected = "          名称                 数量\r\n"
                                 "          组 A\r\n"
                                 "          apple                       12\r\n"
                                 "          pear                         3\r\n"
                                 "          组 B\r\n"
                                 "          plum                       100\r\n"
                                 "\f\r\n";
    EXPECT_EQ(out, Utf8ToAnsi(expected)) << AnsiToUtf8(out);
}

TEST(TextExport, FramedCellsShareTheirBordersAndEmptyRowsAreKeptWhenAsked) {
    TEngineFixture f;
    AddBand(*f.Page, "Title", bkTitle, 0, 200);
    AddMemo(*f.Page, "A", 0, 14, 39, 14, {"ab"})->SetFrameTyp(15);
    AddMemo(*f.Page, "B", 39, 14, 39, 14, {"cd"})->SetFrameTyp(15);
    AddMemo(*f.Page, "C", 0, 70, 39, 14, {"ef"});
    ASSERT_TRUE(f.Report.BuildReport());
    TVNTextExport text;
    text.ExportFrames = true;
    text.KillEmptyLines = false;
    text.PageBreaks = false;
    const std::string out = Export(f.Report, text);
    // The shared border joins into T-pieces; the frame's top line reuses the empty row above it;
    // rows without text stay as empty lines.
    EXPECT_EQ(out, "\r\n\r\n\r\n\r\n\r\n\r\n"
                   "+-----+-----+\r\n"
                   "|ab   |cd   |\r\n"
                   "+-----+-----+\r\n"
                   "\r\n\r\n\r\n"
                   " ef\r\n")
        << out;
    text.UsePseudographic = true;
    const std::string boxes = Export(f.Report, text);
    EXPECT_NE(boxes.find("\xDA\xC4\xC4\xC4\xC4\xC4\xC2\xC4\xC4\xC4\xC4\xC4\xBF\r\n\xB3" "ab   \xB3"), std::string::npos);
    EXPECT_NE(boxes.find("\xC0\xC4\xC4\xC4\xC4\xC4\xC1\xC4\xC4\xC4\xC4\xC4\xD9"), std::string::npos);
}

TEST(CsvExport, ColumnsComeFromTheFirstRowAndFieldsAreQuoted) {
    TEngineFixture f({{"A", "say \"hi\"", 1}, {"A", "a;b", 22}});
    GroupedList(f);
    ASSERT_TRUE(f.Report.BuildReport());
    TVNCSVExport csv;
    const std::string out = Export(f.Report, csv);
    EXPECT_EQ(out, Utf8ToAnsi(";\"名称\";\"数量\"\r\n"
                              ";\"组 A\"\r\n"
                              ";\"say \"\"hi\"\"\";\"1\"\r\n"
                              ";\"a;b\";\"22\"\r\n"))
        << AnsiToUtf8(out);
}
