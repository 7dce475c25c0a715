// The look-ups of the business object (see UnitOrvaneClass.h).
//
// Every kind is one row of the kind table: its code field, the record a choice fills, the table it
// reads (a plain table or a parenthesised SELECT with an alias) and a setup that turns the caller's
// mode and extra value into the list's columns, its width, the filter clause and the way the typed
// text is searched. One engine runs them all: search by name (at most 1000 rows), or by code level
// by level; list; choose; and drill down into the next level when the chosen record is no leaf.
//
// Every piece of typed or chosen text is quoted (QuotedSql) before it enters a SELECT text, so a
// quote in a name finds that name and cannot change the statement.
#include "SharedRoutines.h"
#include "UnitOrvaneClass.h"
#include "platform/MemDataSet.h"
#include "platform/MessageService.h"

#include <QWidget>

#include <functional>

namespace {

enum class TSearch : std::uint8_t { Code, Name, Mnemonic, ArticleNo, Barcode };

AnsiString U(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

// What a kind needs to know of the look-up in progress.
struct TLookupEnv {
    AnsiString DatabaseKind;
    AnsiString YearMonth;
    int Mode = 0;
    AnsiString Extra;
    TOrvaneClass* Self = nullptr;
};

} // namespace

struct TLookupSetup {
    std::vector<TLookupColumn> Columns;
    std::vector<AnsiString> ColumnFields; // the field shown in each column; the first is the code
    int ListChars = 36;
    AnsiString Clause = "1=1";
    TSearch Search = TSearch::Code;
    AnsiString SearchField; // the field a non-code search compares
};

struct TLookupKind {
    const char* Key;
    const char* CodeField;
    std::vector<const char*> ResultFields;
    const char* ChooseFields; // select list of the choose step
    const char* BadModeText;  // UTF-8
    std::function<AnsiString(const TLookupEnv&)> Table;
    std::function<std::optional<TLookupSetup>(const TLookupEnv&)> Setup;
    // Records on the level of this system parameter count as chosen (storage split level).
    const char* LevelLimitParameter = nullptr;
};

namespace {

TLookupSetup CodeName(const char* codeTitle, int codeChars, const char* nameTitle, int listChars,
                      AnsiString clause, bool byName, const char* codeField, const char* nameField) {
    TLookupSetup s;
    s.Columns = {{U(codeTitle), codeChars}, {U(nameTitle), 20}};
    s.ColumnFields = {codeField, nameField};
    s.ListChars = listChars;
    s.Clause = std::move(clause);
    s.Search = byName ? TSearch::Name : TSearch::Code;
    s.SearchField = nameField;
    return s;
}

// A code table in levels with two modes: 0 by code, 1 by name. The extra value, when given,
// narrows by the field named.
std::function<std::optional<TLookupSetup>(const TLookupEnv&)>
TwoModes(const char* codeTitle, const char* nameTitle, AnsiString baseClause, const char* extraField,
         const char* codeField, const char* nameField) {
    return [=](const TLookupEnv& env) -> std::optional<TLookupSetup> {
        if (env.Mode < 0 || env.Mode > 1) return std::nullopt;
        AnsiString clause = baseClause;
        if (extraField != nullptr && !env.Extra.empty())
            clause = "(" + clause + ") and " + extraField + "='" + QuotedSql(env.Extra) + "'";
        return CodeName(codeTitle, 16, nameTitle, 40, clause, env.Mode == 1, codeField, nameField);
    };
}

std::function<AnsiString(const TLookupEnv&)> Plain(const char* table) {
    return [=](const TLookupEnv&) { return AnsiString(table); };
}

std::optional<TLookupSetup> DepartmentSetup(const TLookupEnv& env) {
    struct TRow {
        const char* Code;
        int CodeChars;
        const char* Name;
        int ListChars;
        const char* Clause;
    };
    static const TRow rows[] = {
        {"部门编码", 12, "部门名称", 36,
         "f_bmlx='00' or f_bmlx='01' or f_bmlx='02' or f_bmlx='03' or f_bmlx='04' or f_bmlx='10' or "
         "f_bmlx='11' or f_bmlx='12'"},
        {"部门编码", 12, "部门名称", 36,
         "f_bmlx='01' or f_bmlx='02' or f_bmlx='03' or f_bmlx='04' or f_bmlx='10'"},
        {"配送中心编码", 16, "配送中心名称", 40, "f_bmlx='00'"},
        {"连锁店编码", 14, "连锁店名称", 38, "f_bmlx='01'"},
        {"便利店编码", 14, "便利店名称", 38, "f_bmlx='02'"},
        {"卖场编码", 12, "卖场名称", 36, "f_bmlx='03'"},
        {"加盟店编码", 14, "加盟店名称", 38, "f_bmlx='04'"},
        {"分商场(部门)编码", 18, "分商场(部门)名称", 42, "f_bmlx='10'"},
        {"柜组编码", 12, "柜组名称", 36, "f_bmlx='11'"},
        {"仓库编码", 12, "仓库名称", 36, "f_bmlx='12'"},
        {"柜组仓库编码", 16, "柜组仓库名称", 40, "f_bmlx='11' or f_bmlx='12'"},
    };
    if (env.Mode < 0 || env.Mode > 21) return std::nullopt;
    const TRow& r = rows[env.Mode / 2];
    const AnsiString clause =
        env.Extra.empty() ? AnsiString(r.Clause) : "f_bmlx='" + QuotedSql(env.Extra) + "' ";
    return CodeName(r.Code, r.CodeChars, r.Name, r.ListChars, clause, env.Mode % 2 == 1, "f_bmbm", "f_bmmc");
}

std::optional<TLookupSetup> ManufacturerSetup(const TLookupEnv& env) {
    struct TRow {
        const char* Code;
        const char* Name;
        const char* Clause;
    };
    static const TRow rows[] = {
        {"厂商编码", "厂商名称", "f_cslx='0' or f_cslx='1' or f_cslx='2'"},
        {"供应商编码", "供应商名称", "f_cslx='0'"},
        {"客户编码", "客户名称", "f_cslx='1'"},
        {"生产厂商编码", "生产厂商名称", "f_cslx='2'"},
    };
    if (env.Mode < 0 || env.Mode > 11) return std::nullopt;
    const TRow& r = rows[env.Mode / 3];
    TLookupSetup s = CodeName(r.Code, 16, r.Name, 40, r.Clause, false, "f_csbm", "f_csmc");
    if (env.Mode % 3 == 1) s.Search = TSearch::Name;
    if (env.Mode % 3 == 2) {
        s.Search = TSearch::Mnemonic;
        s.SearchField = "f_zjf";
        s.Columns.push_back({U("助记符"), 12});
        s.ColumnFields.push_back("f_zjf");
        s.ListChars += 12;
    }
    return s;
}

bool ShowsStock(const TLookupEnv& env) {
    return env.Self->SystemParameter("lxckkc") == "1";
}

// Goods with their stock: the month's stock table summed over the warehouses whose code starts
// with the extra value. Only read where the host keeps that table ("lxckkc" = "1").
AnsiString GoodsTable(const TLookupEnv& env) {
    // By barcode: the goods item once per barcode of the single unit (unit ratio 1).
    if (env.Mode == 3)
        return "(Select a.f_Spbm, b.f_Sptm, a.f_Spmc, a.f_Sphh, a.f_Ggxh, a.f_Jldw, a.f_Sl, a.f_Xsdj, "
               "a.f_Jj, "
               "a.f_Csbm, a.f_jb, a.f_mj from tbspda a, tbsptm b where a.f_Spbm=b.f_Spbm and b.f_Dwbl=1) g";
    if (env.Mode > 1 || !ShowsStock(env)) return "tbspda";
    return "(Select a.*, (Select sum(k.f_Kcsl) from tb" + QuotedSql(env.YearMonth) +
           "_ckslyhj k where k.f_Spbm=a.f_Spbm and k.f_Ckbm Like '" + QuotedSql(env.Extra) +
           "%') as f_Kcsl from tbspda a) g";
}

// One row per goods item with one of its barcodes: the smallest unit ratio on "SQLSERVER", the
// largest on "DB2".
AnsiString MultGoodsTable(const TLookupEnv& env) {
    const char* pick = env.DatabaseKind == "DB2" ? "max" : "min";
    return AnsiString("(Select a.f_Spbm, b.f_Sptm, a.f_Spmc, a.f_Ggxh, a.f_Xsdj, a.f_Sphh, a.f_Jldw, a.f_Sl, "
                      "a.f_Jj, a.f_Csbm, a.f_jb, a.f_mj, 0 as f_Kcsl from tbspda a, tbsptm b where "
                      "a.f_Spbm=b.f_Spbm and b.f_Dwbl=(Select ") +
           pick + "(c.f_Dwbl) from tbsptm c where c.f_Spbm=a.f_Spbm)) g";
}

TLookupSetup WithWidth(TLookupSetup s) {
    s.ListChars = 4;
    for (const TLookupColumn& c : s.Columns)
        s.ListChars += c.Chars;
    return s;
}

std::optional<TLookupSetup> GoodsSetup(const TLookupEnv& env) {
    TLookupSetup s;
    switch (env.Mode) {
    case 0:
    case 1:
        s.Columns = {{U("商品编码"), 14}, {U("商品名称"), 20}, {U("商品规格"), 10}, {U("零售单价"), 10}};
        s.ColumnFields = {"f_Spbm", "f_Spmc", "f_Ggxh", "f_Xsdj"};
        if (ShowsStock(env)) {
            s.Columns.push_back({U("库存数量"), 10});
            s.ColumnFields.push_back("f_Kcsl");
        }
        s.Search = env.Mode == 1 ? TSearch::Name : TSearch::Code;
        s.SearchField = "f_Spmc";
        break;
    case 2:
    case 3: {
        const bool barcode = env.Mode == 3;
        s.Columns = {{U("商品编码"), 14},
                     {U(barcode ? "商品条码" : "商品货号"), 14},
                     {U("商品名称"), 20},
                     {U("商品规格"), 10},
                     {U("零售单价"), 10}};
        s.ColumnFields = {"f_Spbm", barcode ? "f_Sptm" : "f_Sphh", "f_Spmc", "f_Ggxh", "f_Xsdj"};
        s.Search = barcode ? TSearch::Barcode : TSearch::ArticleNo;
        s.SearchField = barcode ? "f_Sptm" : "f_Sphh";
        // Article numbers and barcodes belong to goods items, never to categories.
        s.Clause = "f_mj=1";
        break;
    }
    default:
        return std::nullopt;
    }
    return WithWidth(s);
}

std::optional<TLookupSetup> MultGoodsSetup(const TLookupEnv& env) {
    if (env.Mode < 0 || env.Mode > 1) return std::nullopt;
    TLookupSetup s;
    s.Columns = {{U("商品编码"), 14}, {U("商品条码"), 14}, {U("商品名称"), 20}, {U("商品规格"), 10},
                 {U("零售单价"), 10}, {U("库存数量"), 10}, {U("商品货号"), 10}};
    s.ColumnFields = {"f_Spbm", "f_Sptm", "f_Spmc", "f_Ggxh", "f_Xsdj", "f_Kcsl", "f_Sphh"};
    s.Search = env.Mode == 1 ? TSearch::Name : TSearch::Code;
    s.SearchField = "f_Spmc";
    return WithWidth(s);
}

std::optional<TLookupSetup> ExhibitSetup(const TLookupEnv& env) {
    if (env.Mode < 0 || env.Mode > 1) return std::nullopt;
    TLookupSetup s =
        CodeName("陈列项目编码", 16, "陈列项目名称", 40, "f_Qybz='1'", env.Mode == 1, "f_Xmbm", "f_Xmmc");
    if (!env.Extra.empty()) s.Clause += " and f_Tdbm='" + QuotedSql(env.Extra) + "'";
    s.Columns.insert(s.Columns.end(), {{U("项目属性"), 10}, {U("状态"), 8}, {U("最后结束日期"), 14}});
    s.ColumnFields.insert(s.ColumnFields.end(), {"f_Xmsxmc", "f_Ztmc", "f_Zhjsrq"});
    return WithWidth(s);
}

AnsiString ExhibitTable(const TLookupEnv&) {
    return "(Select x.*, Case when x.f_Xmsx='1' then '" + U("独占") + "' else '" + U("非独占") +
           "' end as f_Xmsxmc, Case when x.f_Zt='0' then '" + U("空闲") + "' else '" + U("非空闲") +
           "' end as f_Ztmc from tbTdclxmda x) e";
}

const std::vector<TLookupKind>& Kinds() {
    static const std::vector<TLookupKind> kinds = [] {
        std::vector<TLookupKind> k;
        k.push_back({"department",
                     "f_bmbm",
                     {"f_bmbm", "f_bmmc", "f_bmlx", "f_pszq"},
                     "f_bmbm,f_bmmc,f_bmlx,f_jb,f_mj,f_pszq",
                     "没有可利用的部门类型！",
                     Plain("tbbmda"),
                     DepartmentSetup});
        k.push_back({"manufacturer",
                     "f_csbm",
                     {"f_csbm", "f_csmc", "f_zjf", "f_kzbz", "f_lxr", "f_dh", "f_cz"},
                     "*",
                     "没有可利用的厂商类型！",
                     Plain("tbcsda"),
                     ManufacturerSetup});
        k.push_back(
            {"goods",
             "f_Spbm",
             {"f_Spbm", "f_Spmc", "f_Sphh", "f_Sptm", "f_Ggxh", "f_Jldw", "f_Sl", "f_Xsdj", "f_Jj", "f_Csbm"},
             "*",
             "没有可利用的商品联想方式！",
             GoodsTable,
             GoodsSetup});
        k.push_back(
            {"Multgoods",
             "f_Spbm",
             {"f_Spbm", "f_Sptm", "f_Spmc", "f_Sphh", "f_Ggxh", "f_Jldw", "f_Sl", "f_Xsdj", "f_Jj", "f_Csbm"},
             "*",
             "没有可利用的商品联想方式！",
             MultGoodsTable,
             MultGoodsSetup});
        k.push_back({"spfzfl",
                     "f_Flbm",
                     {"f_Flbm", "f_Flmc", "f_id"},
                     "*",
                     "没有可利用的分类方式！",
                     Plain("tbspfzfl"),
                     TwoModes("分类编码", "分类名称", "1=1", "f_id", "f_Flbm", "f_Flmc")});
        TLookupKind storage{"storage",
                            "f_ckbm",
                            {"f_ckbm", "f_ckmc", "f_bmbm"},
                            "*",
                            "没有可利用的仓库类型！",
                            Plain("tbckda"),
                            TwoModes("仓库编码", "仓库名称", "1=1", "f_bmbm", "f_ckbm", "f_ckmc")};
        storage.LevelLimitParameter = "fgckjb";
        k.push_back(storage);
        k.push_back({"exhibit",
                     "f_Xmbm",
                     {"f_Xmbm", "f_Xmmc", "f_Tdbm", "f_Xmsx", "f_Zt", "f_Zhjsrq"},
                     "*",
                     "没有可利用的陈列项目类型！",
                     ExhibitTable,
                     ExhibitSetup});
        k.push_back({"departmentclass",
                     "f_Flbm",
                     {"f_Flbm", "f_Flmc"},
                     "*",
                     "没有可利用的部门分类类型！",
                     Plain("tbbmflda"),
                     TwoModes("部门分类编码", "部门分类名称", "1=1", nullptr, "f_Flbm", "f_Flmc")});
        k.push_back({"djdepartmentclass",
                     "f_Flbm",
                     {"f_Flbm", "f_Flmc"},
                     "*",
                     "没有可利用的部门分类类型！",
                     Plain("tbdjbmflda"),
                     TwoModes("部门分类编码", "部门分类名称", "1=1", nullptr, "f_Flbm", "f_Flmc")});
        k.push_back({"Khjyzedszkh2",
                     "f_csbm",
                     {"f_csbm", "f_csmc", "f_kzbz", "f_lxr", "f_dh", "f_cz"},
                     "*",
                     "没有可利用的客户类型！",
                     Plain("tbcsda"),
                     TwoModes("客户编码", "客户名称", "f_cslx in('1', '2')", nullptr, "f_csbm", "f_csmc")});
        // Channel fees: by name only the fee items themselves (leaves) are worth listing.
        k.push_back(
            {"tdclxm",
             "f_Xmbm",
             {"f_Xmbm", "f_Xmmc", "f_Tdbm", "f_Tdmc"},
             "*",
             "没有可利用的通道费用类型！",
             Plain("(Select x.*, t.f_Tdmc from tbtdclxmda x left join tbtdda t on t.f_Tdbm=x.f_Tdbm) c"),
             [](const TLookupEnv& env) -> std::optional<TLookupSetup> {
                 if (env.Mode < 0 || env.Mode > 1) return std::nullopt;
                 return CodeName("通道费用编码", 16, "通道费用名称", 40, env.Mode == 1 ? "f_mj=1" : "1=1",
                                 env.Mode == 1, "f_Xmbm", "f_Xmmc");
             }});
        return k;
    }();
    return kinds;
}

const TLookupKind* FindKind(const AnsiString& key) {
    for (const TLookupKind& k : Kinds())
        if (key == k.Key) return &k;
    return nullptr;
}

AnsiString FieldText(const TMemDataSet& ds, const AnsiString& name) {
    const TField* f = ds.FindField(name);
    return f ? f->AsString() : AnsiString();
}

int FieldInt(const TMemDataSet& ds, const char* name) {
    const TField* f = ds.FindField(name);
    if (f == nullptr || f->IsNull()) return 0;
    try {
        return static_cast<int>(f->AsValue().AsInteger());
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace

AnsiString TOrvaneClass::SystemParameter(const AnsiString& key) {
    const std::shared_ptr<TMemDataSet> rows =
        Query("Select f_Csz from tbSysMsg Where f_Csmc='" + QuotedSql(key) + "'");
    if (!rows || rows->IsEmpty()) return {};
    rows->First();
    return rows->Fields(0).AsString();
}

// Runs a SELECT; a failed query (or anything that is not a record set) gives nothing, which every
// caller treats as no rows.
std::shared_ptr<TMemDataSet> TOrvaneClass::Query(const AnsiString& selectText) {
    try {
        Value result;
        if (!FServer->OpenQuery(selectText, result)) return nullptr;
        std::shared_ptr<TMemDataSet> rows = VariantToRecordset(result);
        if (rows) rows->First();
        return rows;
    } catch (const std::exception&) {
        return nullptr;
    }
}

void TOrvaneClass::EnsureList(QWidget* parent) {
    if (!FList) {
        FList = new TLookupListView(parent);
        FList->OnAction = [this](TLookupAction action) { OnListAction(action); };
    } else if (FList->parentWidget() != parent) {
        FList->hide();
        FList->setParent(parent);
    }
}

void TOrvaneClass::PlaceList(int width, int height, int left, int top) {
    QWidget* parent = FList->parentWidget();
    if (parent != nullptr) {
        const QRect client = parent->contentsRect();
        if (left + width > client.width()) left = client.width() - width;
        if (top + height > client.height()) top = client.height() - height;
    }
    FList->setGeometry(left, top, width, height);
}

void TOrvaneClass::Lookup(const AnsiString& kind, const TLookupRequest& request) {
    const TLookupKind* k = FindKind(kind);
    if (k == nullptr) return;
    FLevel = 0;
    FKind = k;
    FRequest = request;
    FEdit = request.Edit;
    FFocusNext = request.FocusNext;
    FFilterClause.clear();
    const std::shared_ptr<TMemDataSet> ym = Query("Select f_Csz from tbSysMsg Where f_Csmc='dqny'");
    if (!ym || ym->IsEmpty()) {
        Messages().Error(CP936("没有可利用的系统当前年月！"));
        return;
    }
    FYearMonth = ym->Fields(0).AsString();
    FKindLevelLimit = 0;
    if (k->LevelLimitParameter != nullptr)
        FKindLevelLimit = static_cast<int>(TextToInt64(SystemParameter(k->LevelLimitParameter)).value_or(0));
    EnsureList(request.Parent);
    if (FList) FList->hide();
    if (FRequest.Result) FRequest.Result->Clear();
    RunLevelled(false);
}

void TOrvaneClass::RunLevelled(bool drilling) {
    const TLookupEnv env{FDatabaseKind, FYearMonth, FRequest.Mode, FRequest.Extra, this};
    const std::optional<TLookupSetup> setup = FKind->Setup(env);
    if (!setup) {
        Messages().Error(Utf8ToAnsi(FKind->BadModeText));
        FLevel = 0;
        return;
    }
    FFilterClause = setup->Clause;
    const AnsiString table = FKind->Table(env);
    const AnsiString typed = QuotedSql(FRequest.Text);
    const AnsiString code = FKind->CodeField;
    std::shared_ptr<TMemDataSet> rows;
    if (!drilling && setup->Search != TSearch::Code) {
        // Names and mnemonics match anywhere, article numbers and barcodes from the start.
        const bool anywhere = setup->Search == TSearch::Name || setup->Search == TSearch::Mnemonic;
        const AnsiString like = " Like '" + AnsiString(anywhere ? "%" : "") + typed + "%'";
        const AnsiString where = " where (" + FFilterClause + ") and  " + setup->SearchField + like;
        if (FDatabaseKind == "DB2")
            rows =
                Query("Select * from " + table + where + " order by " + code + " fetch first 1000 row only");
        else if (FDatabaseKind == "ORACLE")
            rows = Query("Select * from " + table + where + " and rownum<=1000 order by " + code);
        else
            rows = Query("Select Top 1000 * from " + table + where);
    } else {
        if (!drilling) {
            const std::shared_ptr<TMemDataSet> minimum =
                Query("Select min(f_jb) as m_jb from " + table + " where (" + FFilterClause + ") and " +
                      code + " Like '" + typed + "%'");
            if (!minimum || minimum->IsEmpty() || minimum->Fields(0).IsNull()) return;
            const int level = static_cast<int>(minimum->Fields(0).AsValue().AsInteger());
            if (level < 1) {
                Messages().Error(CP936("按编码联想时，取最小级别是为0！"));
                return;
            }
            FLevel = level;
        }
        rows = Query("Select * from " + table + " where (" + FFilterClause + ") and f_jb=" +
                     std::to_string(FLevel) + " and  " + code + " Like '" + typed + "%' order by " + code);
    }
    if (!rows || rows->IsEmpty()) {
        // Nothing below this point: close what a drill-down had open and start afresh next time.
        FLevel = 0;
        if (FList && FList->isVisible()) {
            FList->hide();
            if (FEdit) FEdit->setFocus();
        }
        return;
    }
    if (rows->RecordCount() == 1 && FieldInt(*rows, "f_mj") == 1) {
        FillResult(*rows);
        FinishChoice();
        return;
    }
    ShowRows(*rows, *setup);
}

void TOrvaneClass::ShowRows(const TMemDataSet& rows, const TLookupSetup& setup) {
    if (!FList) EnsureList(FRequest.Parent);
    TLookupListView& list = *FList;
    list.SetColumns(setup.Columns);
    TMemDataSet& ds = const_cast<TMemDataSet&>(rows);
    for (ds.First(); !ds.Eof(); ds.Next()) {
        std::vector<AnsiString> cells;
        for (const AnsiString& f : setup.ColumnFields)
            cells.push_back(FieldText(ds, f));
        list.AddRow(cells);
    }
    list.SetListColor(FRequest.Color);
    const int width = FRequest.Width > 0 ? FRequest.Width : list.CharsWidth(setup.ListChars);
    const int height =
        FRequest.Height > 0 ? FRequest.Height : list.HeightForRows(std::min(list.RowCount(), 12));
    PlaceList(width, height, FRequest.Left, FRequest.Top);
    list.show();
    list.raise();
    list.setFocus();
    list.SelectRow(0);
}

void TOrvaneClass::FillResult(const TMemDataSet& record) {
    if (!FRequest.Result || !FKind) return;
    for (const char* name : FKind->ResultFields) {
        const TField* f = record.FindField(name);
        FRequest.Result->Set(name, f ? f->AsValue() : Value());
    }
}

void TOrvaneClass::FinishChoice() {
    FLevel = 0;
    if (FList) FList->hide();
    if (FFocusNext) FFocusNext->setFocus();
}

void TOrvaneClass::OnListAction(TLookupAction action) {
    switch (action) {
    case TLookupAction::Choose:
        ChooseSelected(false);
        break;
    case TLookupAction::ChooseAnyLevel:
        if (ChooseAnyLevelWithSpace && FKind) ChooseSelected(true);
        break;
    case TLookupAction::Cancel:
        FLevel = 0;
        FList->hide();
        if (FEdit) FEdit->setFocus();
        break;
    case TLookupAction::Leave:
        FLevel = 0;
        break;
    }
}

void TOrvaneClass::ChooseSelected(bool anyLevel) {
    AnsiString code;
    if (!FList->SelectedCode(code)) {
        FLevel = 0;
        FList->hide();
        if (FEdit) FEdit->setFocus();
        return;
    }
    if (FKind == nullptr) {
        // The document number look-up: the number is the choice.
        FPdDjh = code;
        FinishChoice();
        return;
    }
    const TLookupEnv env{FDatabaseKind, FYearMonth, FRequest.Mode, FRequest.Extra, this};
    const AnsiString codeField = FKind->CodeField;
    const std::shared_ptr<TMemDataSet> record =
        Query("select " + AnsiString(FKind->ChooseFields) + " from " + FKind->Table(env) + " where " +
              codeField + "='" + QuotedSql(code) + "' order by " + codeField);
    if (!record || record->IsEmpty()) return;
    const int level = FieldInt(*record, "f_jb");
    const int limit = LevelLimit > 0 ? LevelLimit : FKindLevelLimit;
    if (anyLevel || FieldInt(*record, "f_mj") == 1 || (limit > 0 && level == limit)) {
        FillResult(*record);
        FinishChoice();
        return;
    }
    // Not a leaf: list the level below it, keeping the list open.
    FLevel = level + 1;
    FRequest.Text = code;
    RunLevelled(true);
}

void TOrvaneClass::PdDjhLookup(const AnsiString& prefix, const AnsiString& remark,
                               const AnsiString& department, const AnsiString& operatorCode, QLineEdit* edit,
                               QWidget* focusNext) {
    FPdDjh.clear();
    FKind = nullptr;
    FLevel = 0;
    FEdit = edit;
    FFocusNext = focusNext;
    const AnsiString p = QuotedSql(prefix), o = QuotedSql(operatorCode), d = QuotedSql(department);
    const AnsiString r = remark.empty() ? AnsiString() : "and f_Bz='" + QuotedSql(remark) + "' ";
    const AnsiString select =
        "Select  f_djh from tbDlpdzb where f_jzbz=0 and f_djh Like '" + p + "%' and f_zdrbm='" + o +
        "' and Exists (Select 1 from tbzyda where f_zylx='5' and f_zybm='" + o + "' ) and f_Bmbm ='" + d +
        "' " + r + " Union " + " Select  f_djh from tbDlpdzb where f_jzbz=0 and f_djh Like '" + p +
        "%' and Not Exists (Select 1 from tbzyda where f_zylx='5' and f_zybm='" + o + "' ) and f_Bmbm ='" +
        d + "' " + r;
    const std::shared_ptr<TMemDataSet> rows = Query(select);
    if (!rows || rows->IsEmpty()) return;
    if (rows->RecordCount() == 1) {
        FPdDjh = FieldText(*rows, "f_djh");
        if (FFocusNext) FFocusNext->setFocus();
        return;
    }
    QWidget* window = edit ? edit->window() : nullptr;
    EnsureList(window);
    TLookupListView& list = *FList;
    list.SetColumns({{CP936("单据号"), 20}});
    for (rows->First(); !rows->Eof(); rows->Next())
        list.AddRow({FieldText(*rows, "f_djh")});
    list.SetListColor(QColor(Qt::white));
    // Just below the edit, at its left, down to the bottom of the window; moved back inside the
    // window's client area where it would pass it.
    int left = 0, top = 0, height = list.HeightForRows(std::min(list.RowCount(), 12));
    if (edit && window) {
        const QPoint at = edit->mapTo(window, QPoint(0, edit->height()));
        left = at.x();
        top = at.y();
        height = window->frameGeometry().height() - top;
    }
    PlaceList(list.CharsWidth(22), height, left, top);
    list.show();
    list.raise();
    list.setFocus();
    list.SelectRow(0);
}
