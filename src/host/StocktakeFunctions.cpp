// The stocktake server functions 33, 34 and 35 (see StocktakeFunctions.h).
//
// Posting guards itself with a conditional update: the sheet changes from open (f_Jzbz = 0) to
// posted only if it is still open when the update runs, so of two clerks posting the same sheet at
// once exactly one succeeds; the other finds nothing to update and gets an error. Everything a
// posting writes happens inside one transaction that rolls back on any failure.
#include "StocktakeFunctions.h"

#include "HostText.h"

#include <cmath>
#include <map>
#include <unordered_map>

namespace {

std::string Str(const Value& v) {
    return v.IsEmptyOrNull() ? std::string() : v.AsString();
}
double Num(const Value& v) {
    return v.IsEmptyOrNull() ? 0.0 : v.AsFloat();
}

[[noreturn]] void Fail(const std::string& utf8) {
    throw EServerFunctionError(utf8);
}

// A difference smaller than this is rounding noise of the counted quantities, not a gain or loss.
constexpr double QuantityEpsilon = 5e-7;

struct TLinesRequest {
    std::string Djh, Pdrq, Mnrq, Ckbm;
};

std::string Trimmed(const std::string& s) {
    const AnsiString t = Trim(s);
    return std::string(t);
}

// Checks the request of function 34 against the stored sheet.
TSheetHeader CheckLinesRequest(TDbBackend& db, const TLinesRequest& r) {
    if (r.Djh.empty()) Fail("单据号为空");
    if (!IsDate8(r.Pdrq)) Fail("盘点日期不正确：" + r.Pdrq);
    if (!IsDate8(r.Mnrq)) Fail("模拟日期不正确：" + r.Mnrq);
    std::optional<TSheetHeader> header = ReadSheetHeader(db, r.Djh);
    if (!header) Fail("单据不存在：" + r.Djh);
    if (r.Djh.compare(0, 8, r.Pdrq) != 0) Fail("盘点日期与单据号不符：" + r.Pdrq);
    if (r.Ckbm != header->Ckbm) Fail("仓库编码与单据不符：" + r.Ckbm);
    return *header;
}

} // namespace

std::optional<TSheetHeader> ReadSheetHeader(TDbBackend& db, const std::string& djh) {
    const TDbRows rows =
        db.Query("SELECT f_Djh, f_Bz, f_Bmbm, f_Bmmc, f_Ckbm, f_Ckmc, f_Zdrbm, f_Zdrmc, f_Zdrq, "
                 "f_Jzbz FROM tbDlpdzb WHERE f_Djh = ?",
                 {Value::String(djh)});
    if (rows.RowCount() == 0) return std::nullopt;
    TSheetHeader h;
    h.Djh = Str(rows.At(0, 0));
    h.Bz = Str(rows.At(0, 1));
    h.Bmbm = Str(rows.At(0, 2));
    h.Bmmc = Str(rows.At(0, 3));
    h.Ckbm = Str(rows.At(0, 4));
    h.Ckmc = Str(rows.At(0, 5));
    h.Zdrbm = Str(rows.At(0, 6));
    h.Zdrmc = Str(rows.At(0, 7));
    h.Zdrq = Str(rows.At(0, 8));
    h.Jzbz = rows.At(0, 9).IsEmptyOrNull() ? 0 : rows.At(0, 9).AsInteger();
    return h;
}

std::vector<TSheetLine> ComputeSheetLines(TDbBackend& db, const std::string& djh, const std::string& pdrq,
                                          const std::string& mnrq, const std::string& ckbm) {
    struct TBalance {
        double Zmsl = 0, Zmje = 0, Mnzkc = 0, Mnzkcje = 0, Mnbkc = 0, Mnbkcje = 0;
    };
    const std::string upTo = std::max(pdrq, mnrq);
    const TDbRows balances =
        db.Query("SELECT k.f_Spbm,"
                 " SUM(CASE WHEN k.f_Ckbm = ? AND k.f_Rq <= ? THEN k.f_Crsl ELSE 0 END),"
                 " SUM(CASE WHEN k.f_Ckbm = ? AND k.f_Rq <= ? THEN k.f_Crje ELSE 0 END),"
                 " SUM(CASE WHEN k.f_Rq <= ? THEN k.f_Crsl ELSE 0 END),"
                 " SUM(CASE WHEN k.f_Rq <= ? THEN k.f_Crje ELSE 0 END),"
                 " SUM(CASE WHEN k.f_Ckbm = ? AND k.f_Rq <= ? THEN k.f_Crsl ELSE 0 END),"
                 " SUM(CASE WHEN k.f_Ckbm = ? AND k.f_Rq <= ? THEN k.f_Crje ELSE 0 END)"
                 " FROM tbKcls k"
                 " WHERE k.f_Spbm IN (SELECT f_Spbm FROM tbDlpdmx WHERE f_Djh = ?) AND k.f_Rq <= ?"
                 " GROUP BY k.f_Spbm",
                 {Value::String(ckbm), Value::String(pdrq), Value::String(ckbm), Value::String(pdrq),
                  Value::String(mnrq), Value::String(mnrq), Value::String(ckbm), Value::String(mnrq),
                  Value::String(ckbm), Value::String(mnrq), Value::String(djh), Value::String(upTo)});
    std::unordered_map<std::string, TBalance> byGoods;
    byGoods.reserve(balances.RowCount());
    for (std::size_t r = 0; r < balances.RowCount(); ++r) {
        TBalance& b = byGoods[Str(balances.At(r, 0))];
        b.Zmsl = Num(balances.At(r, 1));
        b.Zmje = Num(balances.At(r, 2));
        b.Mnzkc = Num(balances.At(r, 3));
        b.Mnzkcje = Num(balances.At(r, 4));
        b.Mnbkc = Num(balances.At(r, 5));
        b.Mnbkcje = Num(balances.At(r, 6));
    }

    const TDbRows rows = db.Query("SELECT m.f_Spbm, g.f_Spmc, g.f_Sphh, g.f_Sptm, g.f_Ggxh, g.f_Sl, "
                                  "g.f_Jldw, g.f_Dwbl, g.f_Xsdj, m.f_Pddj,"
                                  " m.f_Whsl, m.f_Dtsl, m.f_Cysl, m.f_Wtsl, m.f_Yrsl, m.f_Ytsl"
                                  " FROM tbDlpdmx m LEFT JOIN tbspda g ON g.f_Spbm = m.f_Spbm"
                                  " WHERE m.f_Djh = ? ORDER BY m.f_Xh",
                                  {Value::String(djh)});
    std::vector<TSheetLine> lines(rows.RowCount());
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
        TSheetLine& l = lines[r];
        l.Spbm = Str(rows.At(r, 0));
        l.Spmc = Str(rows.At(r, 1));
        l.Sphh = Str(rows.At(r, 2));
        l.Sptm = Str(rows.At(r, 3));
        l.Ggxh = Str(rows.At(r, 4));
        l.Sl = Num(rows.At(r, 5));
        l.Jldw = Str(rows.At(r, 6));
        l.Dwbl = Num(rows.At(r, 7));
        l.Xsdj = Num(rows.At(r, 8));
        l.Pddj = Num(rows.At(r, 9));
        l.Whsl = Num(rows.At(r, 10));
        l.Dtsl = Num(rows.At(r, 11));
        l.Cysl = Num(rows.At(r, 12));
        l.Wtsl = Num(rows.At(r, 13));
        l.Yrsl = Num(rows.At(r, 14));
        l.Ytsl = Num(rows.At(r, 15));
        l.Swsl = l.Whsl + l.Dtsl + l.Cysl;
        l.Spsl = l.Swsl - l.Wtsl + l.Ytsl - l.Yrsl;
        l.Spje = l.Spsl * l.Pddj;
        if (auto it = byGoods.find(l.Spbm); it != byGoods.end()) {
            const TBalance& b = it->second;
            l.Zmsl = b.Zmsl;
            l.Zmje = b.Zmje;
            l.Mnzkc = b.Mnzkc;
            l.Mnzkcje = b.Mnzkcje;
            l.Mnbkc = b.Mnbkc;
            l.Mnbkcje = b.Mnbkcje;
        }
        l.Sysl = l.Spsl - l.Zmsl;
        l.Syjews = l.Sysl * l.Pddj;
        l.Syjehs = l.Syjews * (1 + l.Sl / 100);
    }
    return lines;
}

std::shared_ptr<TMemDataSet> MakeSheetLineDataSet() {
    struct TCol {
        const char* Name;
        bool Text;
        int Size;
        const char* Label;
        const char* Format;
        int Width;
    };
    static const TCol cols[] = {
        {"f_Spbm", true, 20, "商品编码", "", 0},
        {"f_Spmc", true, 60, "商品名称", "", 0},
        {"f_Sphh", true, 20, "商品货号", "", 0},
        {"f_Sptm", true, 20, "商品条码", "", 0},
        {"f_Ggxh", true, 20, "规格型号", "", 0},
        {"f_Sl", false, 0, "税率", "", 0},
        {"f_Jldw", true, 20, "计量单位", "", 0},
        {"f_Dwbl", false, 0, "单位比率", "", 0},
        {"f_Xsdj", false, 0, "销售单价", "0.00", 0},
        {"f_Pddj", false, 0, "无税进价", "0.0000", 0},
        {"f_Whsl", false, 0, "完好数量", "0.00", 0},
        {"f_Dtsl", false, 0, "待退数量", "0.00", 0},
        {"f_Cysl", false, 0, "出样数量", "0.00", 0},
        {"f_Swsl", false, 0, "实物数量", "0.00", 0},
        {"f_Wtsl", false, 0, "未提数量", "0.00", 0},
        {"f_Yrsl", false, 0, "已入数量", "0.00", 0},
        {"f_Ytsl", false, 0, "已提数量", "0.00", 0},
        {"f_Spsl", false, 0, "实盘数量", "0.00", 0},
        {"f_Spje", false, 0, "实盘金额", "0.00", 0},
        {"f_Zmsl", false, 0, "账面数量", "0.00", 0},
        {"f_Zmje", false, 0, "账面金额", "0.00", 0},
        {"f_Sysl", false, 0, "差异数量", "0.00", 0},
        {"f_Syjews", false, 0, "差异金额无税", "0.00", 12},
        {"f_Syjehs", false, 0, "差异金额含税", "0.00", 12},
        {"f_Mnzkc", false, 0, "模拟总库存量", "0.00", 12},
        {"f_Mnzkcje", false, 0, "模拟总库存金额", "0.00", 0},
        {"f_Mnbkc", false, 0, "模拟本库存量", "0.00", 12},
        {"f_Mnbkcje", false, 0, "模拟本库存金额", "0.00", 0},
    };
    auto ds = std::make_shared<TMemDataSet>();
    for (const TCol& c : cols) {
        TField& f = ds->AddField(c.Name, c.Text ? TFieldType::String : TFieldType::Float, c.Size);
        f.DisplayLabel = Utf8ToAnsi(c.Label);
        f.DisplayFormat = c.Format;
        f.DisplayWidth = c.Width;
    }
    ds->Open();
    return ds;
}

void AppendSheetLine(TMemDataSet& ds, const TSheetLine& l) {
    auto s = [](const std::string& t) { return Value::String(DbToAnsi(t)); };
    auto f = [](double v) { return Value::Float(v); };
    ds.AppendRecord({s(l.Spbm),  s(l.Spmc),    s(l.Sphh),  s(l.Sptm),   s(l.Ggxh),   f(l.Sl),
                     s(l.Jldw),  f(l.Dwbl),    f(l.Xsdj),  f(l.Pddj),   f(l.Whsl),   f(l.Dtsl),
                     f(l.Cysl),  f(l.Swsl),    f(l.Wtsl),  f(l.Yrsl),   f(l.Ytsl),   f(l.Spsl),
                     f(l.Spje),  f(l.Zmsl),    f(l.Zmje),  f(l.Sysl),   f(l.Syjews), f(l.Syjehs),
                     f(l.Mnzkc), f(l.Mnzkcje), f(l.Mnbkc), f(l.Mnbkcje)});
}

std::shared_ptr<TMemDataSet> RunSheetHeader(TDbBackend& db, const AnsiString& parameter) {
    const std::string djh = Trimmed(AnsiToDb(parameter));
    if (djh.empty()) Fail("单据号为空");
    std::optional<TSheetHeader> h = ReadSheetHeader(db, djh);
    if (!h) Fail("单据不存在：" + djh);
    auto ds = std::make_shared<TMemDataSet>();
    const std::pair<const char*, const std::string*> cols[] = {
        {"f_Bz", &h->Bz},     {"f_Bmbm", &h->Bmbm},   {"f_Bmmc", &h->Bmmc},   {"f_Ckbm", &h->Ckbm},
        {"f_Ckmc", &h->Ckmc}, {"f_Zdrbm", &h->Zdrbm}, {"f_Zdrmc", &h->Zdrmc}, {"f_Zdrq", &h->Zdrq}};
    std::vector<Value> row;
    for (const auto& [name, value] : cols) {
        ds->AddField(name, TFieldType::String,
                     name == std::string("f_Bz") || name == std::string("f_Bmmc") ||
                             name == std::string("f_Ckmc")
                         ? 60
                         : 20);
        row.push_back(Value::String(DbToAnsi(*value)));
    }
    ds->Open();
    ds->AppendRecord(row);
    ds->First();
    return ds;
}

std::shared_ptr<TMemDataSet> RunSheetLines(TDbBackend& db, const AnsiString& parameter) {
    const std::vector<std::string> f = SplitTabs(AnsiToDb(parameter));
    if (f.size() != 4) Fail("参数个数不正确：应为4项，实为" + std::to_string(f.size()) + "项");
    const TLinesRequest r{Trimmed(f[0]), Trimmed(f[1]), Trimmed(f[2]), Trimmed(f[3])};
    CheckLinesRequest(db, r);
    const std::vector<TSheetLine> lines = ComputeSheetLines(db, r.Djh, r.Pdrq, r.Mnrq, r.Ckbm);
    auto ds = MakeSheetLineDataSet();
    ds->DisableControls();
    for (const TSheetLine& l : lines)
        AppendSheetLine(*ds, l);
    ds->EnableControls();
    ds->First();
    return ds;
}

void RunPostGainLoss(TDbBackend& db, const AnsiString& parameter, const std::string& now) {
    const std::vector<std::string> f = SplitTabs(AnsiToDb(parameter));
    if (f.size() != 4) Fail("参数个数不正确：应为4项，实为" + std::to_string(f.size()) + "项");
    // Document numbers never hold blanks; the form sends its edit text untrimmed.
    const std::string djh = Trimmed(f[0]), pdrq = Trimmed(f[1]), czybm = Trimmed(f[2]);
    std::string czymc = Trimmed(f[3]);
    if (djh.empty()) Fail("单据号为空");
    if (!IsDate8(pdrq)) Fail("盘点日期不正确：" + pdrq);
    if (djh.compare(0, 8, pdrq) != 0) Fail("盘点日期与单据号不符：" + pdrq);
    if (czybm.empty()) Fail("操作员编码为空");

    TDbTransaction tx(db);
    if (db.Query("SELECT 1 FROM tbCzyqx WHERE f_Czybm = ? AND f_Qxbm = ?",
                 {Value::String(czybm), Value::String(PostGainLossRight)})
            .RowCount() == 0)
        Fail("操作员没有转损益权限：" + czybm);
    if (czymc.empty()) {
        const TDbRows staff = db.Query("SELECT f_zymc FROM tbzyda WHERE f_zybm = ?", {Value::String(czybm)});
        if (staff.RowCount() > 0) czymc = Str(staff.At(0, 0));
    }

    // The guard: only an open sheet becomes posted, and only once.
    const std::int64_t changed = db.Execute(
        "UPDATE tbDlpdzb SET f_Jzbz = 1, f_Jzrbm = ?, f_Jzrmc = ?, f_Jzsj = ? WHERE f_Djh = ? AND f_Jzbz = 0",
        {Value::String(czybm), Value::String(czymc), Value::String(now), Value::String(djh)});
    if (changed != 1) {
        if (!ReadSheetHeader(db, djh)) Fail("单据不存在：" + djh);
        Fail("单据已结转或已注销：" + djh);
    }
    const TSheetHeader header = *ReadSheetHeader(db, djh);

    // One gain/loss line per goods item whose counted stock differs from the book.
    struct TGoodsDifference {
        double Spsl = 0, Zmsl = 0, Pddj = 0, Sl = 0;
    };
    std::map<std::string, TGoodsDifference> goods;
    for (const TSheetLine& l : ComputeSheetLines(db, djh, pdrq, pdrq, header.Ckbm)) {
        auto [it, fresh] = goods.try_emplace(l.Spbm);
        if (fresh) {
            it->second.Zmsl = l.Zmsl;
            it->second.Pddj = l.Pddj;
            it->second.Sl = l.Sl;
        }
        it->second.Spsl += l.Spsl;
    }
    const std::string sydh = "SY" + djh;
    std::vector<std::vector<Value>> docLines, ledger;
    double totalWs = 0, totalHs = 0;
    for (const auto& [spbm, g] : goods) {
        const double sysl = g.Spsl - g.Zmsl;
        if (std::fabs(sysl) < QuantityEpsilon) continue;
        const double ws = sysl * g.Pddj;
        const double hs = ws * (1 + g.Sl / 100);
        totalWs += ws;
        totalHs += hs;
        docLines.push_back({Value::String(sydh),
                            Value::Integer(static_cast<std::int64_t>(docLines.size()) + 1),
                            Value::String(spbm), Value::Float(g.Zmsl), Value::Float(g.Spsl),
                            Value::Float(sysl), Value::Float(g.Pddj), Value::Float(ws), Value::Float(hs)});
        ledger.push_back({Value::String(pdrq), Value::String(header.Ckbm), Value::String(spbm),
                          Value::Float(sysl), Value::Float(ws), Value::String("SY"), Value::String(sydh)});
    }
    db.Execute(
        "INSERT INTO tbSydzb (f_Djh, f_Yddjh, f_Bmbm, f_Ckbm, f_Rq, f_Czybm, f_Czymc, f_Czsj, f_Syjews, "
        "f_Syjehs) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {Value::String(sydh), Value::String(djh), Value::String(header.Bmbm), Value::String(header.Ckbm),
         Value::String(pdrq), Value::String(czybm), Value::String(czymc), Value::String(now),
         Value::Float(totalWs), Value::Float(totalHs)});
    db.BulkInsert("tbSydmx",
                  {"f_Djh", "f_Xh", "f_Spbm", "f_Zmsl", "f_Spsl", "f_Sysl", "f_Dj", "f_Syjews", "f_Syjehs"},
                  docLines);
    db.BulkInsert("tbKcls", {"f_Rq", "f_Ckbm", "f_Spbm", "f_Crsl", "f_Crje", "f_Djlx", "f_Djh"}, ledger);
    tx.Commit();
}
