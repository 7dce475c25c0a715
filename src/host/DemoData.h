// Demo data for the host database: a small retail chain with departments on several levels,
// warehouses, staff and rights, thousands of goods with Chinese names and barcodes, 90 days of
// stock ledger, five stocktake sheets (one posted, one large, one with a remark), every system
// parameter the working context can ask for, and the stored template of the stocktake sheet.
//
// The data is deterministic: the same options (seed, date, sizes) give the same rows on every
// backend. Dates count back from the demo's "today".
#pragma once

#include "DbBackend.h"

#include <cstdint>
#include <string>

struct TDemoOptions {
    int Lines = 10000; // lines of the large sheet
    int Goods = 0;     // 0: enough for the large sheet, at least 3,000
    std::string Today; // YYYYMMDD; empty: the database's current date
    std::uint32_t Seed = 20240901;
};

// The numbers and codes the demo creates, for callers and tests.
struct TDemoSummary {
    std::string Today;
    std::string PostedSheet;   // posted at creation
    std::string LargeSheet;    // Lines lines
    std::string RemarkSheet;   // the one with a remark
    std::string Remark;        // its remark (UTF-8)
    std::string OpenSheets[4]; // every open sheet, in number order
    int GoodsCount = 0;
    std::string Department; // the unit's chain code: the department of every sheet
};

// Replaces the host schema in the database with fresh demo data. Runs in one transaction; on
// failure nothing is left behind.
TDemoSummary CreateDemoDatabase(TDbBackend& db, const TDemoOptions& options = {});

// The report name of the stocktake sheet's templates ("盘点损益表", UTF-8).
extern const char* const StocktakeReportName;
