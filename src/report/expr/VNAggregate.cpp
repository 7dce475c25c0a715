// Aggregate calls and accumulator names.
#include "VNAggregate.h"

bool TVNAggregateCall::IncludeInvisible() const {
    return Trim(Flag) == "1";
}

bool ParseAggregateCall(const AnsiString& name, const TVNArguments& args, TVNAggregateCall& call) {
    auto arg = [&](std::size_t n) { return n < args.size() ? args[n].AsString() : AnsiString(); };
    if (name == "SUM")
        call.Kind = vnaSum;
    else if (name == "MIN")
        call.Kind = vnaMin;
    else if (name == "MAX")
        call.Kind = vnaMax;
    else if (name == "AVG")
        call.Kind = vnaAvg;
    else if (name == "COUNT")
        call.Kind = vnaCount;
    else
        return false;
    call.FirstArgument = arg(0);
    if (call.Kind == vnaCount) { // COUNT(band [, 1]): the band comes first, the flag second
        call.BandName = Trim(arg(0));
        call.Flag = arg(1);
    } else {
        call.BandName = Trim(arg(1));
        call.Flag = arg(2);
    }
    return true;
}

AnsiString AggregateAccumulatorName(const AnsiString& owner, const TVNAggregateCall& call) {
    AnsiString out = owner;
    out += '\1';
    out += static_cast<char>(call.Kind);
    out += '\1';
    out += call.FirstArgument;
    out += '\1';
    out += call.Flag;
    out += '\1';
    return out;
}

Value AggregateInitialValue(int kind) {
    return kind == vnaMin ? Value::Float(1e300) : Value::Float(0);
}

Value AggregateOutput(int kind, const Value& stored, int rowCount) {
    if (kind != vnaAvg) return stored;
    if (rowCount == 0) return Value::Float(0);
    return VarDiv(stored, Value::Integer(rowCount));
}
