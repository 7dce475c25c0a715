// The server functions of the stocktake sheet, written once for every backend:
//   33  the sheet header,
//   34  the sheet's lines with counted, book, difference and simulated stock columns,
//   35  posting the sheet's differences as gains and losses, in one transaction.
//
// Parameter texts arrive tab-joined in CP936; results are data sets of CP936 texts. A function
// that cannot do its work raises EServerFunctionError with the messages of the error list.
#pragma once

#include "DbBackend.h"
#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class EServerFunctionError : public std::runtime_error {
public:
    explicit EServerFunctionError(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
};

// The right an operator needs to post gains and losses.
constexpr const char* PostGainLossRight = "030609";

struct TSheetHeader {
    std::string Djh, Bz, Bmbm, Bmmc, Ckbm, Ckmc, Zdrbm, Zdrmc, Zdrq;
    std::int64_t Jzbz = 0;
};

// One counted line with every derived column (texts UTF-8).
struct TSheetLine {
    std::string Spbm, Spmc, Sphh, Sptm, Ggxh;
    double Sl = 0;
    std::string Jldw;
    double Dwbl = 0, Xsdj = 0, Pddj = 0;
    double Whsl = 0, Dtsl = 0, Cysl = 0, Swsl = 0, Wtsl = 0, Yrsl = 0, Ytsl = 0, Spsl = 0, Spje = 0;
    double Zmsl = 0, Zmje = 0, Sysl = 0, Syjews = 0, Syjehs = 0;
    double Mnzkc = 0, Mnzkcje = 0, Mnbkc = 0, Mnbkcje = 0;
};

std::optional<TSheetHeader> ReadSheetHeader(TDbBackend& db, const std::string& djh);

// Lines of a sheet in line order: book stock of the warehouse at the end of the stocktake date,
// simulated stock (all warehouses and this one) at the end of the simulated date.
std::vector<TSheetLine> ComputeSheetLines(TDbBackend& db, const std::string& djh, const std::string& pdrq,
                                          const std::string& mnrq, const std::string& ckbm);

// The 28 line columns in their order, with labels and display formats.
std::shared_ptr<TMemDataSet> MakeSheetLineDataSet();
void AppendSheetLine(TMemDataSet& ds, const TSheetLine& line);

std::shared_ptr<TMemDataSet> RunSheetHeader(TDbBackend& db, const AnsiString& parameter);
std::shared_ptr<TMemDataSet> RunSheetLines(TDbBackend& db, const AnsiString& parameter);
// `now` is the server's "YYYY-MM-DD HH:MM:SS", recorded as the posting time.
void RunPostGainLoss(TDbBackend& db, const AnsiString& parameter, const std::string& now);
