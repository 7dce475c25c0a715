// The sample reports under examples/ (a grouped goods list and a stocktake-like 28-column sheet)
// are made here through the engine's API, with their CSV data; VN_WRITE_EXAMPLES=1 writes them
// again. The same reports are built here with their data, so a sample that no longer builds, or
// that loses its page footer or totals, fails the test. MergeRepeated is checked on a real build.
#include "MemoFixture.h"
#include "support/ReportMakers.h"

#include "report/VNBandView.h"
#include "report/VNEMFPages.h"
#include "report/VNJsonReport.h"
#include "report/expr/VNDataset.h"

#include "platform/AtomicFile.h"
#include "platform/MessageService.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

const std::filesystem::path ExamplesDir =
    std::filesystem::path(GUSVAK_SOURCE_DIR) / "examples";

// A framed memo (frame 15: all four sides unless told otherwise) under the page's next free name.
TVNMemoView* Memo(TVNPage& page, const char* utf8, int l, int t, int w, int h, int frame = 15) {
    TVNMemoView* m = reportmakers::AddBodyMemo(page, {}, l, t, w, h, {Utf8ToAnsi(utf8)});
    m->SetFrameTyp(frame);
    return m;
}

TVNBandView* Band(TVNPage& page, int type, int top, int height, const char* source = "") {
    TVNBandView* b = reportmakers::AddBand(page, {}, type, top, height);
    b->FormatText = Utf8ToAnsi(source);
    return b;
}

const char* const GoodsNames[8] = {"红富士苹果",     "东北大米五常稻花香", "金龙鱼食用调和油",
                                   "农夫山泉矿泉水", "康师傅红烧牛肉面",   "伊利纯牛奶",
                                   "青岛啤酒经典",   "海天金标生抽"};
const char* const Categories[4] = {"水果", "粮油", "饮料", "副食"};

// Goods: Code, Name, Category, Qty, Price, Amount; sorted by category for grouping.
std::string GoodsCsv(int rows) {
    std::string csv = "Code,Name,Category,Qty,Price,Amount\n";
    for (int c = 0; c < 4; ++c)
        for (int i = c; i < rows; i += 4) {
            const int qty = (i * 7) % 100 + 1;
            const double price = ((i * 37) % 5000) / 100.0 + 1;
            char line[256];
            std::snprintf(line, sizeof line, "SKU%06d,%s-%d,%s,%d,%.2f,%.2f\n", i, GoodsNames[i % 8], i % 97,
                          Categories[c], qty, price, qty * price);
            csv += line;
        }
    return csv;
}

void GoodsReport(TVNReport& r) {
    r.ReportInfo.Title = CP936("商品清单");
    r.DoublePass = true;
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF);
    const int x = p.LeftMarginPx();
    Band(p, bkTitle, 10, 40);
    TVNMemoView* title = Memo(p, "商品清单", x, 14, 680, 30, 0);
    title->Font.Name = CP936("黑体");
    title->Font.Size = 16;
    title->Font.Style = fsBold;
    title->Adjust = int(vntaCenterJustify) | vntlCenter;

    const struct {
        const char* Caption;
        const char* Field;
        int Width;
        int Align;
    } columns[] = {
        {"编码", "[Goods.\"Code\"]", 90, vntaLeftJustify},
        {"商品名称", "[Goods.\"Name\"]", 130, vntaLeftJustify},
        {"数量", "[Goods.\"Qty\"]", 70, vntaRightJustify},
        {"单价", "[Goods.\"Price\" #N0.00]", 80, vntaRightJustify},
        {"金额", "[Goods.\"Amount\" #N#,##0.00]", 110, vntaRightJustify},
    };
    Band(p, bkPageHeader, 60, 24);
    int left = x;
    for (const auto& c : columns) {
        TVNMemoView* m = Memo(p, c.Caption, left, 62, c.Width, 22);
        m->FillColor = clSilver;
        m->Adjust = int(vntaCenterJustify) | vntlCenter;
        m->Font.Style = fsBold;
        left += c.Width;
    }
    Band(p, bkGroupHeader, 100, 24, "[Goods.\"Category\"]");
    Memo(p, "类别: [Goods.\"Category\"]", x, 102, left - x, 22)->Font.Style = fsBold;

    TVNBandView* data = Band(p, bkMasterData, 140, 22, "Goods");
    data->SetStretched(true);
    left = x;
    for (const auto& c : columns) {
        TVNMemoView* m = Memo(p, c.Field, left, 140, c.Width, 22);
        m->Adjust = c.Align | vntlCenter;
        m->SetStretched(true);
        m->SetFlag(flWordWrap, true);
        m->SetFlag(flWordBreak, true);
        left += c.Width;
    }
    Band(p, bkGroupFooter, 180, 24);
    Memo(p, "小计:", x, 182, 370, 22)->Adjust = int(vntaRightJustify) | vntlCenter;
    Memo(p, "[SUM([Goods.\"Amount\"]) #N#,##0.00]", x + 370, 182, 110, 22)->Adjust =
        int(vntaRightJustify) | vntlCenter;
    Band(p, bkSummary, 220, 24);
    Memo(p, "合计:", x, 222, 370, 22)->Adjust = int(vntaRightJustify) | vntlCenter;
    Memo(p, "[SUM([Goods.\"Amount\"]) #N#,##0.00]", x + 370, 222, 110, 22)->Adjust =
        int(vntaRightJustify) | vntlCenter;
    Band(p, bkPageFooter, 1000, 24);
    Memo(p, "第[Page#]页/共[TotalPages#]页", x, 1002, 480, 20, 0)->Adjust = vntaCenterJustify;
}

const char* const StockCaptions[28] = {"序号",     "编码",     "商品名称", "规格",     "单位",     "条码",
                                       "类别",     "品牌",     "产地",     "进价",     "售价",     "账面数量",
                                       "账面金额", "实盘数量", "实盘金额", "盈亏数量", "盈亏金额", "模拟库存",
                                       "模拟金额", "供应商",   "货位",     "批号",     "生产日期", "保质期",
                                       "库管员",   "盘点人",   "复核人",   "备注"};

std::string StocktakeCsv(int rows) {
    std::string csv;
    for (int c = 0; c < 28; ++c)
        csv += std::string(c ? "," : "") + "F" + std::to_string(c + 1);
    csv += "\n";
    for (int i = 0; i < rows; ++i) {
        const int book = (i * 7) % 1000, counted = book + (i % 5) - 2;
        const double price = ((i * 37) % 100000) / 100.0;
        char line[1024];
        std::snprintf(
            line, sizeof line,
            "%d,SKU%06d,%s-%d,%dg×%d袋,箱,69%011d,%s,品牌%d,产地%d,%.2f,%.2f,%d,%.2f,%d,%.2f,%d,%.2f,%d,%.2f,"
            "供应商%d,A-%d,B%05d,2024-0%d-1%d,%d天,张三,李四,王五,%s\n",
            i + 1, i, GoodsNames[i % 8], i % 97, (i % 10 + 1) * 50, i % 24 + 1, i, Categories[i % 4], i % 9,
            i % 7, price * 0.8, price, book, book * price, counted, counted * price, counted - book,
            (counted - book) * price, counted, counted * price, i % 13, i % 40, i, i % 9 + 1, i % 9,
            180 + i % 5, i % 11 == 0 ? "需复核" : "");
        csv += line;
    }
    return csv;
}

void StocktakeReport(TVNReport& r) {
    r.ReportInfo.Title = CP936("盘点损益表");
    r.DoublePass = true;
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 1, 0xFFFF); // landscape
    p.SetMarginsPx(20, 30, 20, 30);
    const int width = 36, x = p.LeftMarginPx();
    Band(p, bkTitle, 10, 34);
    TVNMemoView* title = Memo(p, "盘点损益表", x, 12, 28 * width, 30, 0);
    title->Font.Size = 16;
    title->Font.Style = fsBold;
    title->Adjust = int(vntaCenterJustify) | vntlCenter;
    Band(p, bkPageHeader, 50, 36);
    for (int c = 0; c < 28; ++c) {
        TVNMemoView* m = Memo(p, StockCaptions[c], x + c * width, 50, width, 36);
        m->Font.Size = 8;
        m->SetFlag(flWordWrap, true);
        m->Adjust = int(vntaCenterJustify) | vntlCenter;
        m->FillColor = clSilver;
    }
    TVNBandView* data = Band(p, bkMasterData, 100, 20, "Stock");
    data->SetStretched(true);
    for (int c = 0; c < 28; ++c) {
        const std::string field = "[Stock.\"F" + std::to_string(c + 1) + "\"]";
        TVNMemoView* m = Memo(p, field.c_str(), x + c * width, 100, width, 20);
        m->Font.Size = 8;
        m->SetFlag(flWordWrap, true);
        m->SetStretched(true);
        m->GapX = 1;
        if (c >= 9 && c <= 18) m->Adjust = vntaRightJustify;
    }
    Band(p, bkSummary, 140, 22);
    Memo(p, "合计", x, 140, 12 * width, 22)->Adjust = int(vntaCenterJustify) | vntlCenter;
    Memo(p, "[SUM([Stock.\"F13\"]) #N0.00]", x + 12 * width, 140, width * 3, 22)->Font.Size = 8;
    Memo(p, "[SUM([Stock.\"F17\"]) #N0.00]", x + 15 * width, 140, width * 3, 22)->Font.Size = 8;
    Band(p, bkPageFooter, 700, 20);
    Memo(p, "第[Page#]页/共[TotalPages#]页", x, 700, 28 * width, 20, 0)->Adjust = vntaCenterJustify;
}

std::string ReportBytes(void (*build)(TVNReport&)) {
    TVNReport r;
    build(r);
    TVNStream s;
    r.SaveReportStream(s);
    return s.Data();
}

void CheckSample(const char* file, void (*build)(TVNReport&), const char* csvFile, const std::string& csv) {
    // The sample is kept in its text form, which must make exactly these bytes.
    const std::string bytes = ReportBytes(build);
    const std::string text = StoredBytesToJson(bytes);
    const std::string path = (ExamplesDir / file).string(), csvPath = (ExamplesDir / csvFile).string();
    if (std::getenv("VN_WRITE_EXAMPLES")) {
        AtomicWriteFile(path, text);
        AtomicWriteFile(csvPath, csv);
    }
    std::string golden, goldenCsv;
    ASSERT_TRUE(ReadWholeFile(path, golden)) << path;
    ASSERT_TRUE(ReadWholeFile(csvPath, goldenCsv)) << csvPath;
    EXPECT_EQ(golden, text) << file;
    EXPECT_EQ(JsonToStoredBytes(golden, ".vnf"), bytes) << file;
    EXPECT_EQ(goldenCsv, csv) << csvFile;
}

// A data set named `name` owned by `owner`, from the sample's CSV (every column text).
struct TCsvData {
    TMemDataSet Table;
    std::unique_ptr<TVNDBDataSet> Dataset;
    TCsvData(TVNComponent& owner, const char* name, const std::string& csv, const std::vector<int>& numeric) {
        std::vector<std::vector<std::string>> rows;
        std::size_t start = 0;
        while (start < csv.size()) {
            std::size_t end = csv.find('\n', start);
            std::vector<std::string> cells;
            std::string line = csv.substr(start, end - start), cell;
            for (char c : line)
                if (c == ',')
                    cells.push_back(cell), cell.clear();
                else
                    cell += c;
            cells.push_back(cell);
            rows.push_back(cells);
            start = end + 1;
        }
        for (std::size_t c = 0; c < rows[0].size(); ++c) {
            bool num = std::find(numeric.begin(), numeric.end(), int(c)) != numeric.end();
            Table.AddField(rows[0][c], num ? TFieldType::Float : TFieldType::String, 255);
        }
        Table.Open();
        for (std::size_t r = 1; r < rows.size(); ++r) {
            std::vector<Value> values;
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                bool num = std::find(numeric.begin(), numeric.end(), int(c)) != numeric.end();
                values.push_back(num ? Value::Float(std::atof(rows[r][c].c_str()))
                                     : Value(Utf8ToAnsi(rows[r][c])));
            }
            Table.AppendRecord(values);
        }
        Dataset = std::make_unique<TVNDBDataSet>(&owner, name);
        Dataset->SetDataSet(&Table);
    }
};

// Every text of every built page.
std::vector<AnsiString> PageTexts(TVNReport& r, int page) {
    std::vector<AnsiString> texts;
    r.EMFPages->DecodePage(page);
    for (TVNView* v : r.EMFPages->Page(page).DecodedPage->Objects)
        texts.push_back(StripLineEnds(JoinLines(v->Memo)));
    return texts;
}

bool Contains(const std::vector<AnsiString>& texts, const AnsiString& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

} // namespace

TEST(SampleReports, FilesAreWhatTheApiMakes) {
    CheckSample("goods_list.json", GoodsReport, "goods.csv", GoodsCsv(120));
    CheckSample("stocktake_sheet.json", StocktakeReport, "stocktake.csv", StocktakeCsv(200));
}

TEST(SampleReports, GoodsListBuildsWithFootersAndTotals) {
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNComponent owner(nullptr, "Owner");
    TCsvData goods(owner, "Goods", GoodsCsv(120), {3, 4, 5});
    TVNReport r;
    GoodsReport(r);
    r.Owner = &owner;
    r.ShowProgress = false;
    ASSERT_TRUE(r.BuildReport()) << AnsiToUtf8(r.ErrorText);
    const int pages = r.EMFPages->Count();
    ASSERT_GE(pages, 2);
    for (int i = 0; i < pages; ++i) {
        const AnsiString footer =
            CP936("第") + std::to_string(i + 1) + CP936("页/共") + std::to_string(pages) + CP936("页");
        EXPECT_TRUE(Contains(PageTexts(r, i), footer)) << i;
    }
    // The wrapped long name keeps all its characters across its lines.
    bool foundLong = false;
    for (int i = 0; i < pages && !foundLong; ++i)
        foundLong = Contains(PageTexts(r, i), Utf8ToAnsi("东北大米五常稻花香-1"));
    EXPECT_TRUE(foundLong);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST(SampleReports, MergeRepeatedOverThreeRowsIsOneCellThreeRowsHigh) {
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    TVNComponent owner(nullptr, "Owner");
    TCsvData data(owner, "D", "K,V\nA,1\nA,2\nA,3\nB,4\n", {1});
    TVNReport r;
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF);
    Band(p, bkMasterData, 100, 20, "D");
    TVNMemoView* k = Memo(p, "[D.\"K\"]", 0, 100, 80, 20);
    k->SetFlag(flSuppress, true);
    k->SetFlag(flMergeRepeated, true);
    Memo(p, "[D.\"V\"]", 80, 100, 80, 20);
    r.Owner = &owner;
    r.ShowProgress = false;
    ASSERT_TRUE(r.BuildReport()) << AnsiToUtf8(r.ErrorText);
    r.EMFPages->DecodePage(0);
    std::vector<std::pair<AnsiString, int>> cells; // K cells: text and height
    int firstTop = -1;
    for (TVNView* v : r.EMFPages->Page(0).DecodedPage->Objects) {
        if (v->Width != 80) continue;
        const AnsiString text = StripLineEnds(JoinLines(v->Memo));
        if (text != "A" && text != "B") continue;
        if (firstTop < 0) firstTop = v->Top;
        cells.push_back({text, v->Height});
    }
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0], std::make_pair(AnsiString("A"), 60));
    EXPECT_EQ(cells[1], std::make_pair(AnsiString("B"), 20));
}
