// The filter builder's logic list and the filter text it turns into, apart from any widget.
//
// A logic list alternates condition lines (field display name, operator, value) and relation
// lines ("或者" / "并且"), starting with a condition. BuildFilterText writes it in the in-memory
// data set's filter syntax; ApplyLogicFilter puts it on a data set.
//
// Guarantees:
// - Every value that ends up between single quotes has its quotes doubled, so a goods name such
//   as 5'' 显示器 stays one text instead of breaking the filter (also in the exclusion list).
// - Separators (";" "," "|") are recognised on character boundaries only: the second byte of a
//   double-byte character is never taken for a "|".
// - "部分不等于" has no operator of its own in the filter syntax. Its line is written as
//   F<>'temp@temp@temp' and, when applied, every value of F that contains the text is excluded
//   by name right inside that line's parentheses, so the exclusion binds to its own line and
//   every such line of the list takes effect.
// - A value holding ";" or "|" is a list: items separated by ";" or ",", each a single value or a
//   range "low|high". The line matches when the field equals one of the values or lies in one of
//   the ranges, whatever the operator: ( F = 'a' Or F Between 'x' And 'y' ). A list without any
//   item matches nothing.
#pragma once

#include "platform/AnsiString.h"
#include "platform/MemDataSet.h"

#include <functional>
#include <string_view>
#include <vector>

enum class TLogicKind { Condition, Relation };

struct TLogicLine {
    TLogicKind Kind = TLogicKind::Condition;
    AnsiString Field;    // display name of the field (condition lines)
    AnsiString Factor;   // one of the nine operator texts (condition lines)
    AnsiString Value;    // as typed (condition lines)
    AnsiString Relation; // "或者" or "并且" (relation lines)

    bool operator==(const TLogicLine&) const = default;
};

// The list the dialog edits and the grid keeps between uses of the dialog.
using TLogicList = std::vector<TLogicLine>;

TLogicLine ConditionLine(const AnsiString& field, const AnsiString& factor, const AnsiString& value);
TLogicLine RelationLine(const AnsiString& relation);

// The nine operators in the order the dialog lists them, and the two relations (CP936).
const std::vector<AnsiString>& FilterFactors();
const AnsiString& RelationOr();  // "或者"
const AnsiString& RelationAnd(); // "并且"

// The text between single quotes, quotes doubled.
AnsiString QuoteFilterText(std::string_view text);

// True when the value is written in the list form (holds ";" or "|" on a character boundary).
bool IsFilterValueList(std::string_view value);

struct TFilterBuild {
    AnsiString Text;
    // Of the last "部分不等于" line: F LIKE '%value%' and F. Empty when there is none.
    AnsiString ExclusionCondition;
    AnsiString ExclusionField;
};

// Given the field name and the LIKE condition of a "部分不等于" line, the text that excludes the
// matching values (" and (F<>'a' and F<>'b')"), or "" when nothing matches.
using TExclusionLookup = std::function<AnsiString(const AnsiString& fieldName, const AnsiString& condition)>;

// Writes the list. A condition names the first field whose display name equals its field (the
// first field when none does); string fields get quoted values, others bare ones. Without an
// exclusion lookup "部分不等于" lines are written without their exclusion (as the dialog shows them).
TFilterBuild BuildFilterText(const TLogicList& lines, const TMemDataSet& dataSet,
                             const TExclusionLookup& exclusion = {});

// Walks the records that the condition selects (the data set's filter is replaced on the way)
// and returns " and (F<>'v1' and F<>'v2' ...)" with each distinct non-null value of the field
// once, or "" when no record matches.
AnsiString BuildExclusionList(TMemDataSet& dataSet, const AnsiString& condition, const AnsiString& fieldName);

// Writes the list with its exclusions and makes it the data set's filter (filtering on). An empty
// list gives an empty filter text with filtering on: every record shows. Raises EFilterError when
// the data set can not parse the text. Returns the text applied. Controls are disabled meanwhile,
// so views see one change.
AnsiString ApplyLogicFilter(TMemDataSet& dataSet, const TLogicList& lines);
