// The data dictionary's look-ups: whether a name is a dictionary variable or a data set field the
// report can reach (through the data set and field aliases), and the value of such a name. Found
// fields go into the dictionary's field cache, so a name is resolved once per loaded dictionary.
//
// Guarantees: a lookup never raises for a name that names nothing (missing forms, data sets or
// fields give false); a dictionary variable whose expression refers to itself ends as its own
// name (see DictionaryEvaluating and the report's recursion guard) instead of recursing.
#pragma once

#include "VNParser.h"
#include "VNVariables.h"

class TVNReport;
class TVNDataDictionary;

bool DictionaryIsVariable(TVNReport& report, const AnsiString& name);

// The value of a name DictionaryIsVariable accepted: a cached field gives its current value
// (opening its data set when closed); a dictionary variable gives the engine-wide variable of the
// same name, else the report variable of the same name, else its expression evaluated by the
// parser (an empty expression gives the empty string); a variable named again while its own
// expression is evaluated gives its name as a string. Otherwise null.
Value DictionaryGetValue(TVNReport& report, const AnsiString& name, TVNParser& parser,
                         const TVNVariables* reportVariables);

// True while a dictionary variable's expression is being evaluated: the report's recursion guard
// then answers a name that comes back with the name itself as a string.
bool DictionaryEvaluating();

// Splits "DataSet.Field" at its last "." outside double quotes; the field loses surrounding double
// quotes. False when there is no such ".".
bool SplitFieldReference(std::string_view name, AnsiString& dataSet, AnsiString& field);
