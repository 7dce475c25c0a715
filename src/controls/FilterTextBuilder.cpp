// Writing the filter builder's logic list as a filter text, and the exclusion walk that stands in
// for the NOT LIKE the data set's filter syntax lacks. See FilterTextBuilder.h for the rules.
#include "FilterTextBuilder.h"

#include <algorithm>
#include <set>

namespace {

// The placeholder that keeps a "部分不等于" line a valid comparison on its own.
constexpr std::string_view ExclusionPlaceholder = "<>'temp@temp@temp'";

enum class TFactor { Eq, Gt, Ge, Lt, Le, Ne, Like, NotLike, LeftLike, Unknown };

TFactor FactorOf(const AnsiString& text) {
    const auto& factors = FilterFactors();
    const auto it = std::find(factors.begin(), factors.end(), text);
    if (it == factors.end()) return TFactor::Unknown;
    return static_cast<TFactor>(it - factors.begin());
}

// Splits at any of the separators, on character boundaries only.
std::vector<AnsiString> SplitChars(std::string_view text, std::string_view separators) {
    std::vector<AnsiString> parts;
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t len = CharLengthAt(text, pos);
        if (len == 1 && separators.find(text[pos]) != std::string_view::npos) {
            parts.emplace_back(text.substr(start, pos - start));
            start = pos + 1;
        }
        pos += len;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

// Position of the first "|" on a character boundary, npos when there is none.
std::size_t FindBar(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos))
        if (text[pos] == '|') return pos;
    return std::string_view::npos;
}

const TField* FieldOfLabel(const TMemDataSet& dataSet, const AnsiString& label) {
    if (dataSet.FieldCount() == 0) return nullptr;
    for (int i = 0; i < dataSet.FieldCount(); ++i)
        if (dataSet.Fields(i).Label() == label) return &dataSet.Fields(i);
    return &dataSet.Fields(0);
}

AnsiString ListGroup(const AnsiString& f, std::string_view value) {
    AnsiString group;
    for (const AnsiString& raw : SplitChars(value, ";,")) {
        const AnsiString item = Trim(raw);
        if (item.empty()) continue;
        if (!group.empty()) group += " Or ";
        const std::size_t bar = FindBar(item);
        if (bar == std::string_view::npos) {
            group += f + " = '" + QuoteFilterText(item) + "'";
        } else {
            const std::string_view low = std::string_view(item).substr(0, bar);
            const std::string_view high = std::string_view(item).substr(bar + 1);
            group +=
                f + " Between '" + QuoteFilterText(Trim(low)) + "' And '" + QuoteFilterText(Trim(high)) + "'";
        }
    }
    return "( " + (group.empty() ? AnsiString("1=0") : group) + " )";
}

} // namespace

TLogicLine ConditionLine(const AnsiString& field, const AnsiString& factor, const AnsiString& value) {
    TLogicLine line;
    line.Kind = TLogicKind::Condition;
    line.Field = field;
    line.Factor = factor;
    line.Value = value;
    return line;
}

TLogicLine RelationLine(const AnsiString& relation) {
    TLogicLine line;
    line.Kind = TLogicKind::Relation;
    line.Relation = relation;
    return line;
}

const std::vector<AnsiString>& FilterFactors() {
    static const std::vector<AnsiString> factors = {
        CP936("等于"),   CP936("大于"),     CP936("大于等于"),   CP936("小于"),   CP936("小于等于"),
        CP936("不等于"), CP936("部分等于"), CP936("部分不等于"), CP936("左等于"),
    };
    return factors;
}

const AnsiString& RelationOr() {
    return CP936("或者");
}

const AnsiString& RelationAnd() {
    return CP936("并且");
}

AnsiString QuoteFilterText(std::string_view text) {
    AnsiString out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\''; // a quote is never the second byte of a CP936 pair
    }
    return out;
}

bool IsFilterValueList(std::string_view value) {
    for (std::size_t pos = 0; pos < value.size(); pos += CharLengthAt(value, pos))
        if (value[pos] == ';' || value[pos] == '|') return true;
    return false;
}

TFilterBuild BuildFilterText(const TLogicList& lines, const TMemDataSet& dataSet,
                             const TExclusionLookup& exclusion) {
    TFilterBuild build;
    for (const TLogicLine& line : lines) {
        if (line.Kind == TLogicKind::Relation) {
            build.Text += line.Relation == RelationAnd() ? " And " : " OR ";
            continue;
        }
        const TField* field = FieldOfLabel(dataSet, line.Field);
        const AnsiString f = field != nullptr ? field->FieldName : AnsiString();
        const bool quoted = field != nullptr && field->DataType == TFieldType::String;
        if (IsFilterValueList(line.Value)) {
            build.Text += ListGroup(f, line.Value);
            continue;
        }
        const AnsiString v = quoted ? "'" + QuoteFilterText(line.Value) + "'" : line.Value;
        const AnsiString likeAny = "'%" + QuoteFilterText(line.Value) + "%'";
        AnsiString piece;
        switch (FactorOf(line.Factor)) {
        case TFactor::Eq:
            piece = f + " = " + v;
            break;
        case TFactor::Gt:
            piece = f + " > " + v;
            break;
        case TFactor::Ge:
            piece = f + " >= " + v;
            break;
        case TFactor::Lt:
            piece = f + " < " + v;
            break;
        case TFactor::Le:
            piece = f + " <= " + v;
            break;
        case TFactor::Ne:
            piece = f + " <> " + v;
            break;
        case TFactor::Like:
            piece = f + " LIKE " + likeAny;
            break;
        case TFactor::NotLike:
            build.ExclusionCondition = f + " LIKE " + likeAny;
            build.ExclusionField = f;
            piece = f + AnsiString(ExclusionPlaceholder);
            if (exclusion) piece += exclusion(f, build.ExclusionCondition);
            break;
        case TFactor::LeftLike:
            piece = f + " LIKE '" + QuoteFilterText(line.Value) + "%'";
            break;
        case TFactor::Unknown:
            break; // "(  )": the data set refuses it, and says so
        }
        build.Text += "( " + piece + " )";
    }
    return build;
}

AnsiString BuildExclusionList(TMemDataSet& dataSet, const AnsiString& condition,
                              const AnsiString& fieldName) {
    dataSet.SetFiltered(false);
    dataSet.SetFilter(condition);
    dataSet.SetFiltered(true);
    const TField& field = dataSet.FieldByName(fieldName);
    std::set<AnsiString> seen;
    AnsiString list;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        if (field.IsNull()) continue; // a null cell fails every comparison already
        const AnsiString value = field.AsString();
        if (!seen.insert(value).second) continue;
        if (!list.empty()) list += " and ";
        list += field.FieldName + "<>'" + QuoteFilterText(value) + "'";
    }
    return list.empty() ? AnsiString() : " and (" + list + ")";
}

AnsiString ApplyLogicFilter(TMemDataSet& dataSet, const TLogicList& lines) {
    dataSet.DisableControls();
    try {
        const TFilterBuild build = BuildFilterText(
            lines, dataSet, [&dataSet](const AnsiString& fieldName, const AnsiString& condition) {
                return BuildExclusionList(dataSet, condition, fieldName);
            });
        const AnsiString text = Trim(build.Text);
        dataSet.SetFiltered(false);
        dataSet.SetFilter(text);
        dataSet.SetFiltered(true);
        dataSet.EnableControls();
        return text;
    } catch (...) {
        // No half-applied filter stays behind (the exclusion walk replaces the filter on its
        // way): the data set shows every line until a filter is confirmed that it accepts.
        try {
            dataSet.SetFiltered(false);
        } catch (...) {
        }
        dataSet.EnableControls();
        throw;
    }
}
