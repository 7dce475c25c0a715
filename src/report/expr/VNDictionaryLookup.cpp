// Dictionary look-ups over the report's dictionary lists and data sets.
#include "VNDictionaryLookup.h"

#include "VNDataset.h"
#include "VNEvalContext.h"
#include "report/VNReport.h"

namespace {

// Dictionary variables whose expressions are being evaluated, innermost last.
std::vector<AnsiString>& Evaluating() {
    static std::vector<AnsiString> names;
    return names;
}

struct EvaluatingScope {
    explicit EvaluatingScope(const AnsiString& name) { Evaluating().push_back(name); }
    ~EvaluatingScope() { Evaluating().pop_back(); }
};

// Index of a dictionary variable (not a category heading) or -1.
int VariableIndex(const TVNDataDictionary& dict, std::string_view name) {
    for (int i = 0; i < dict.Variables.Count(); ++i) {
        const AnsiString& n = dict.Variables.Items[i].first;
        if (!n.empty() && n[0] != ' ' && SameText(n, name)) return i;
    }
    return -1;
}

// Resolves a "DataSet.Field" text (aliases allowed) to a data set and field; false when either is missing.
bool ResolveField(TVNReport& report, std::string_view text, TVNFieldCacheEntry& entry) {
    AnsiString dsPart, fieldPart;
    if (!SplitFieldReference(text, dsPart, fieldPart)) return false;
    const TVNDataDictionary& dict = report.Dictionary;
    AnsiString actualDs = dsPart;
    for (const auto& [name, alias] : dict.DataSetAliases.Items)
        if (SameText(alias, dsPart)) {
            actualDs = name;
            break;
        }
    AnsiString actualField = fieldPart;
    for (const auto& [name, alias] : dict.FieldAliases.Items)
        if (SameText(alias, fieldPart) && name.size() > actualDs.size() &&
            SameText(std::string_view(name).substr(0, actualDs.size()), actualDs)) {
            actualField = name.substr(actualDs.size() + 1);
            if (actualField.size() >= 2 && actualField.front() == '"' && actualField.back() == '"')
                actualField = actualField.substr(1, actualField.size() - 2);
            break;
        }
    try {
        TMemDataSet* ds = nullptr;
        AnsiString fieldName;
        FindDataSetField(&report, actualDs + ".\"" + actualField + "\"", ds, fieldName);
        if (!ds || fieldName.empty()) return false;
        entry.DataSet = ds;
        entry.FieldName = fieldName;
        return true;
    } catch (const std::exception&) {
        return false; // a path that names no form or data set is simply not a field
    }
}

} // namespace

bool DictionaryEvaluating() {
    return !Evaluating().empty();
}

bool SplitFieldReference(std::string_view name, AnsiString& dataSet, AnsiString& field) {
    std::size_t lastDot = std::string_view::npos;
    bool inQuotes = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '"')
            inQuotes = !inQuotes;
        else if (name[i] == '.' && !inQuotes)
            lastDot = i;
    }
    if (lastDot == std::string_view::npos || lastDot == 0) return false;
    dataSet.assign(name.substr(0, lastDot));
    std::string_view f = name.substr(lastDot + 1);
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
    field.assign(f);
    return !field.empty();
}

bool DictionaryIsVariable(TVNReport& report, const AnsiString& name) {
    TVNDataDictionary& dict = report.Dictionary;
    const AnsiString key = UpperCase(name);
    if (dict.FieldCache.count(key)) return true;
    int index = VariableIndex(dict, name);
    if (index >= 0) {
        AnsiString expr = Trim(dict.Variables.Items[index].second);
        if (expr.size() >= 2 && expr.front() == '[' && expr.back() == ']')
            expr = expr.substr(1, expr.size() - 2);
        TVNFieldCacheEntry entry;
        if (expr.find('.') != AnsiString::npos && ResolveField(report, expr, entry))
            dict.FieldCache[key] = entry;
        return true;
    }
    if (name.find('.') == AnsiString::npos) return false;
    TVNFieldCacheEntry entry;
    if (!ResolveField(report, name, entry)) return false;
    dict.FieldCache[key] = entry;
    return true;
}

Value DictionaryGetValue(TVNReport& report, const AnsiString& name, TVNParser& parser,
                         const TVNVariables* reportVariables) {
    TVNDataDictionary& dict = report.Dictionary;
    auto cached = dict.FieldCache.find(UpperCase(name));
    if (cached != dict.FieldCache.end() && cached->second.DataSet) {
        TMemDataSet* ds = cached->second.DataSet;
        if (!ds->Active()) ds->Open();
        TField* field = ds->FindField(cached->second.FieldName);
        return field ? FieldValue(*field) : Value::Null();
    }
    int index = VariableIndex(dict, name);
    if (index < 0) return Value::Null();
    if (const Value* v = EngineVariables().Find(name)) return *v;
    if (reportVariables)
        if (const Value* v = reportVariables->Find(name)) return *v;
    const AnsiString expr = dict.Variables.Items[index].second;
    if (Trim(expr).empty()) return Value::String("");
    for (const auto& n : Evaluating())
        if (SameText(n, name)) return Value::String(name); // the variable refers to itself
    EvaluatingScope scope(name);
    return parser.Evaluate(expr);
}
