// The filter text of an in-memory data set, compiled once into a predicate over stored rows.
//
// Grammar (keywords in any case, blanks optional around operators):
//   expr       := and { OR and }                 AND binds tighter than OR
//   and        := primary { AND primary }
//   primary    := "(" expr ")" | comparison
//   comparison := operand op operand             op: = <> < <= > >=
//               | field LIKE constant            % matches any run of characters
//               | field BETWEEN constant AND constant
//   operand    := field | number | 'text'        '' inside a text is one quote
// A number is bare, may start with "-" and uses the locale's decimal separator. "1=1" compares
// two constants, which is how the filter builder's list groups start.
//
// Compiling resolves every field name and converts every constant to the field's type once, so
// evaluating a row is a few comparisons of ready values. Text compares byte by byte (CP936
// order); numbers, currency, dates and booleans compare as numbers. A null (or empty) cell makes
// every comparison false. A text that does not parse, names an unknown field, or gives a number
// field a constant that is no number raises EFilterError whose message names the problem.
#pragma once

#include "AnsiString.h"
#include "MemDataSet.h"
#include "Value.h"

#include <functional>
#include <unordered_set>
#include <string_view>
#include <vector>

class TDataSetFilter {
public:
    // Finds a field by name (any case); nullptr when there is none.
    using TFieldLookup = std::function<const TField*(std::string_view name)>;

    TDataSetFilter() = default; // accepts every row

    // EFilterError on any problem; a blank text gives the filter that accepts every row.
    static TDataSetFilter Compile(std::string_view text, const TFieldLookup& findField);

    bool AcceptsAll() const { return FNodes.empty(); }

    // columns[f][row] is the value of field f in the stored row.
    bool Matches(const std::vector<Value>* columns, std::size_t row) const;

private:
    enum class TOp : std::uint8_t { Eq, Ne, Lt, Le, Gt, Ge };
    enum class TNodeKind : std::uint8_t {
        Const,
        And,
        Or,
        NumCompare,
        TextCompare,
        NumBetween,
        TextBetween,
        Like,
        TextNotIn // an AND chain of F <> 'x' on one text field, as exclusion lists are written
    };

    struct TNode {
        TNodeKind Kind = TNodeKind::Const;
        TOp Op = TOp::Eq;
        bool Truth = false; // Const
        int Field = -1;
        double Num = 0, Num2 = 0;
        AnsiString Text, Text2;
        std::vector<AnsiString> Segments; // Like: the pattern split at "%"
        std::vector<int> Children;        // And, Or
        std::unordered_set<AnsiString> Excluded; // TextNotIn
    };

    bool Eval(int node, const std::vector<Value>* columns, std::size_t row) const;
    static bool Test(TOp op, int cmp);

    friend class TDataSetFilterParser;
    std::vector<TNode> FNodes;
    int FRoot = -1;
};

// LIKE with "%" as the only wildcard: case-sensitive and byte-wise, but a double-byte character is
// never split, so a pattern character can not match the second half of a pair. Exposed for tests.
bool FilterLikeMatch(std::string_view text, std::string_view pattern);
