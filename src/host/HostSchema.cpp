// The host database schema (see HostSchema.h): one description, DDL generated per backend.
#include "HostSchema.h"

namespace {

using T = TSchemaType;

std::vector<TSchemaTable> MakeTables() {
    return {
        // System parameters: key and value text.
        {"tbSysMsg",
         {{"f_Csmc", T::Text, 40}, {"f_Csz", T::Text, 200}, {"f_Csms", T::Text, 100}},
         {"f_Csmc"},
         {}},
        // Departments in levels: f_jb level from 1, f_mj 1 for a leaf, f_bmlx the department type.
        {"tbbmda",
         {{"f_bmbm", T::Text, 20},
          {"f_bmmc", T::Text, 60},
          {"f_bmlx", T::Text, 2},
          {"f_jb", T::Integer},
          {"f_mj", T::Integer},
          {"f_sjbm", T::Text, 20},
          {"f_pszq", T::Integer}},
         {"f_bmbm"},
         {{"f_jb", "f_bmbm"}}},
        // Warehouses in levels, each belonging to a department.
        {"tbckda",
         {{"f_ckbm", T::Text, 20},
          {"f_ckmc", T::Text, 60},
          {"f_jb", T::Integer},
          {"f_mj", T::Integer},
          {"f_bmbm", T::Text, 20}},
         {"f_ckbm"},
         {}},
        // Staff; type '5' is a clerk who sees only the documents he made.
        {"tbzyda",
         {{"f_zybm", T::Text, 20}, {"f_zymc", T::Text, 40}, {"f_zylx", T::Text, 2}, {"f_bmbm", T::Text, 20}},
         {"f_zybm"},
         {}},
        // Operator rights: one row per operator and right code.
        {"tbCzyqx", {{"f_Czybm", T::Text, 20}, {"f_Qxbm", T::Text, 20}}, {"f_Czybm", "f_Qxbm"}, {}},
        // Manufacturers, suppliers and customers in levels.
        {"tbcsda",
         {{"f_csbm", T::Text, 20},
          {"f_csmc", T::Text, 80},
          {"f_zjf", T::Text, 20},
          {"f_cslx", T::Text, 1},
          {"f_kzbz", T::Text, 1},
          {"f_lxr", T::Text, 20},
          {"f_dh", T::Text, 30},
          {"f_cz", T::Text, 30},
          {"f_jb", T::Integer},
          {"f_mj", T::Integer}},
         {"f_csbm"},
         {}},
        // Goods and their categories in one levelled table (categories have f_mj 0).
        {"tbspda",
         {{"f_Spbm", T::Text, 20},
          {"f_Spmc", T::Text, 60},
          {"f_Sphh", T::Text, 20},
          {"f_Sptm", T::Text, 20},
          {"f_Ggxh", T::Text, 20},
          {"f_Sl", T::Float},
          {"f_Jldw", T::Text, 20},
          {"f_Dwbl", T::Float},
          {"f_Xsdj", T::Float},
          {"f_Jj", T::Float},
          {"f_Zjf", T::Text, 20},
          {"f_Csbm", T::Text, 20},
          {"f_jb", T::Integer},
          {"f_mj", T::Integer}},
         {"f_Spbm"},
         {{"f_jb", "f_Spbm"}, {"f_Sphh"}}},
        // Barcodes: every barcode of a goods item with its unit ratio (1 for the single item).
        {"tbsptm",
         {{"f_Sptm", T::Text, 20}, {"f_Spbm", T::Text, 20}, {"f_Dwbl", T::Float}},
         {"f_Sptm"},
         {{"f_Spbm"}}},
        // Stock ledger: dated movements per warehouse and goods; the balance at the end of a day
        // is the sum of all movements up to and including that day.
        {"tbKcls",
         {{"f_Rq", T::Text, 8},
          {"f_Ckbm", T::Text, 20},
          {"f_Spbm", T::Text, 20},
          {"f_Crsl", T::Float},
          {"f_Crje", T::Float},
          {"f_Djlx", T::Text, 4},
          {"f_Djh", T::Text, 30}},
         {},
         {{"f_Spbm", "f_Ckbm", "f_Rq", "f_Crsl", "f_Crje"}}}, // covers the balance sums
        // Stocktake sheets; f_Jzbz 0 open, 1 posted. f_Djh starts with the stocktake date.
        {"tbDlpdzb",
         {{"f_Djh", T::Text, 20},
          {"f_Bz", T::Text, 60},
          {"f_Bmbm", T::Text, 20},
          {"f_Bmmc", T::Text, 60},
          {"f_Ckbm", T::Text, 20},
          {"f_Ckmc", T::Text, 60},
          {"f_Zdrbm", T::Text, 20},
          {"f_Zdrmc", T::Text, 40},
          {"f_Zdrq", T::Text, 8},
          {"f_Jzbz", T::Integer},
          {"f_Jzrbm", T::Text, 20},
          {"f_Jzrmc", T::Text, 40},
          {"f_Jzsj", T::Text, 19}},
         {"f_Djh"},
         {}},
        // Counted lines of a sheet.
        {"tbDlpdmx",
         {{"f_Djh", T::Text, 20},
          {"f_Xh", T::Integer},
          {"f_Spbm", T::Text, 20},
          {"f_Pddj", T::Float},
          {"f_Whsl", T::Float},
          {"f_Dtsl", T::Float},
          {"f_Cysl", T::Float},
          {"f_Wtsl", T::Float},
          {"f_Yrsl", T::Float},
          {"f_Ytsl", T::Float}},
         {"f_Djh", "f_Xh"},
         {}},
        // Gain/loss documents written by posting a sheet (f_Yddjh: the sheet).
        {"tbSydzb",
         {{"f_Djh", T::Text, 30},
          {"f_Yddjh", T::Text, 20},
          {"f_Bmbm", T::Text, 20},
          {"f_Ckbm", T::Text, 20},
          {"f_Rq", T::Text, 8},
          {"f_Czybm", T::Text, 20},
          {"f_Czymc", T::Text, 40},
          {"f_Czsj", T::Text, 19},
          {"f_Syjews", T::Float},
          {"f_Syjehs", T::Float}},
         {"f_Djh"},
         {{"f_Yddjh"}}},
        {"tbSydmx",
         {{"f_Djh", T::Text, 30},
          {"f_Xh", T::Integer},
          {"f_Spbm", T::Text, 20},
          {"f_Zmsl", T::Float},
          {"f_Spsl", T::Float},
          {"f_Sysl", T::Float},
          {"f_Dj", T::Float},
          {"f_Syjews", T::Float},
          {"f_Syjehs", T::Float}},
         {"f_Djh", "f_Xh"},
         {}},
        // Stored report templates per report name; f_reportinfo is hexadecimal text ended by "#".
        {"tbBbmb",
         {{"f_Bbmc", T::Text, 40}, {"f_reportname", T::Text, 60}, {"f_reportinfo", T::LongText}},
         {"f_Bbmc", "f_reportname"},
         {}},
    };
}

std::string TypeName(const TSchemaColumn& c, TDbKind kind) {
    const bool pg = kind == TDbKind::Postgres;
    switch (c.Type) {
    case T::Text:
        return pg ? "VARCHAR(" + std::to_string(c.Size) + ")" : "TEXT";
    case T::LongText:
        return "TEXT";
    case T::Integer:
        return "INTEGER";
    case T::Float:
        return pg ? "DOUBLE PRECISION" : "REAL";
    }
    return "TEXT";
}

} // namespace

const std::vector<TSchemaTable>& HostSchemaTables() {
    static const std::vector<TSchemaTable> tables = MakeTables();
    return tables;
}

std::vector<std::string> HostSchemaDdl(TDbKind kind) {
    std::vector<std::string> ddl;
    for (const TSchemaTable& t : HostSchemaTables()) {
        std::string sql = std::string("CREATE TABLE ") + t.Name + " (";
        for (std::size_t i = 0; i < t.Columns.size(); ++i) {
            const TSchemaColumn& c = t.Columns[i];
            sql += (i ? ", " : "") + std::string(c.Name) + " " + TypeName(c, kind);
            if (c.Type == T::Integer || c.Type == T::Float) sql += " DEFAULT 0";
        }
        if (!t.PrimaryKey.empty()) {
            sql += ", PRIMARY KEY (";
            for (std::size_t i = 0; i < t.PrimaryKey.size(); ++i)
                sql += (i ? "," : "") + std::string(t.PrimaryKey[i]);
            sql += ")";
        }
        sql += ")";
        ddl.push_back(sql);
        int n = 0;
        for (const auto& index : t.Indexes) {
            std::string idx =
                std::string("CREATE INDEX ix_") + t.Name + "_" + std::to_string(++n) + " ON " + t.Name + " (";
            for (std::size_t i = 0; i < index.size(); ++i)
                idx += (i ? "," : "") + std::string(index[i]);
            ddl.push_back(idx + ")");
        }
    }
    return ddl;
}

void CreateHostSchema(TDbBackend& db) {
    for (const TSchemaTable& t : HostSchemaTables())
        if (db.TableExists(t.Name)) db.Execute(std::string("DROP TABLE ") + t.Name);
    for (const std::string& sql : HostSchemaDdl(db.Kind()))
        db.Execute(sql);
}

bool HostSchemaPresent(TDbBackend& db) {
    for (const TSchemaTable& t : HostSchemaTables())
        if (!db.TableExists(t.Name)) return false;
    return true;
}
