// The aggregate functions' side of the contract with the band engine: what a call SUM/AVG/MIN/MAX
// (expression [, band name [, 1]]) or COUNT(band name [, 1]) asks for, the name of the accumulator
// that holds it in a data band's variables, its starting value and how the output reads it.
// When rows are added and accumulators reset is the band engine's business.
#pragma once

#include "VNParser.h"

enum TVNAggregateKind { vnaSum = 11, vnaMin = 12, vnaMax = 13, vnaAvg = 14, vnaCount = 15 };

struct TVNAggregateCall {
    int Kind = vnaSum;
    AnsiString FirstArgument; // as written: the expression, or the band name of COUNT
    AnsiString BandName;      // trimmed; empty when the call names none
    AnsiString Flag;          // as written; "1" asks for rows that are not visible too
    bool IncludeInvisible() const;
};

// False for names that are not aggregates. Argument texts are taken as written, not evaluated.
bool ParseAggregateCall(const AnsiString& upperName, const TVNArguments& args, TVNAggregateCall& call);

// owner, 1, kind, 1, first argument, 1, flag, 1 - the owner being the holding band's name (or a
// column number, byte 1 and the band name inside cross-tabs).
AnsiString AggregateAccumulatorName(const AnsiString& owner, const TVNAggregateCall& call);

// 1e300 for MIN (so the first row always wins), 0 for the others.
Value AggregateInitialValue(int kind);

// The value an output call shows: AVG divides the stored sum by the row count (0 when there were
// no rows); the others show the stored value.
Value AggregateOutput(int kind, const Value& stored, int rowCount);
