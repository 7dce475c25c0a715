// Filter texts of the in-memory data set: tokenizer, recursive-descent parser and the compiled
// predicate. Parsing happens once per filter text; every error names what went wrong and where
// (1-based byte position in the text). Nesting is bounded so no text can exhaust the stack.
#include "DataSetFilter.h"

#include "Locale.h"

#include <optional>

namespace {

constexpr int MaxNesting = 200;

enum class TTokenKind : std::uint8_t { End, LParen, RParen, Op, Number, Text, Word };

struct TToken {
    TTokenKind Kind = TTokenKind::End;
    AnsiString Text;     // operator, number as written, unquoted text, or the word
    std::size_t Pos = 0; // 1-based
};

bool IsWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || IsLeadByte(c);
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsWordChar(unsigned char c) {
    return IsWordStart(c) || IsDigit(c) || c == '.' || c == '$' || c == '#';
}

std::vector<AnsiString> SplitLikePattern(std::string_view pattern) {
    std::vector<AnsiString> segments;
    std::size_t from = 0;
    for (;;) {
        const std::size_t pct = pattern.find('%', from);
        segments.emplace_back(
            pattern.substr(from, pct == std::string_view::npos ? std::string_view::npos : pct - from));
        if (pct == std::string_view::npos) return segments;
        from = pct + 1;
    }
}

AnsiString Quoted(std::string_view s) {
    return "\"" + AnsiString(s) + "\"";
}

bool LikeMatch(std::string_view text, const std::vector<AnsiString>& segments);

[[noreturn]] void Fail(const AnsiString& what, std::size_t pos) {
    throw EFilterError(what + " in the filter at position " + std::to_string(pos), EFilterError::TKind::Syntax,
                       pos);
}

class TTokenizer {
public:
    explicit TTokenizer(std::string_view text) : FText(text) {}

    std::vector<TToken> Run() {
        std::vector<TToken> tokens;
        for (;;) {
            while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ')
                ++FPos;
            TToken t;
            t.Pos = FPos + 1;
            if (FPos >= FText.size()) {
                tokens.push_back(t);
                return tokens;
            }
            const unsigned char c = static_cast<unsigned char>(FText[FPos]);
            const char sep = Locale().DecimalSeparator;
            if (c == '(' || c == ')') {
                t.Kind = c == '(' ? TTokenKind::LParen : TTokenKind::RParen;
                t.Text = AnsiString(1, static_cast<char>(c));
                ++FPos;
            } else if (c == '=' || c == '<' || c == '>') {
                t.Kind = TTokenKind::Op;
                t.Text = AnsiString(1, static_cast<char>(c));
                ++FPos;
                if (FPos < FText.size() && c != '=' &&
                    (FText[FPos] == '=' || (c == '<' && FText[FPos] == '>'))) {
                    t.Text += FText[FPos];
                    ++FPos;
                }
            } else if (c == '\'') {
                t.Kind = TTokenKind::Text;
                t.Text = ReadQuoted();
            } else if (IsDigit(c) || ((c == '-' || c == '+' || c == static_cast<unsigned char>(sep)) &&
                                      StartsNumber(FPos + (c == static_cast<unsigned char>(sep) ? 0 : 1)))) {
                t.Kind = TTokenKind::Number;
                t.Text = ReadNumber(sep);
            } else if (c == '[') {
                const std::size_t close = FText.find(']', FPos + 1);
                if (close == std::string_view::npos) Fail("missing \"]\" after the field name", t.Pos);
                t.Kind = TTokenKind::Word;
                t.Text = AnsiString(FText.substr(FPos + 1, close - FPos - 1));
                FPos = close + 1;
            } else if (IsWordStart(c)) {
                t.Kind = TTokenKind::Word;
                const std::size_t start = FPos;
                while (FPos < FText.size() && IsWordChar(static_cast<unsigned char>(FText[FPos])))
                    FPos += IsLeadByte(static_cast<unsigned char>(FText[FPos])) && FPos + 1 < FText.size()
                                ? 2
                                : 1;
                t.Text = AnsiString(FText.substr(start, FPos - start));
            } else {
                Fail("unexpected character " + Quoted(FText.substr(FPos, CharLengthAt(FText, FPos))), t.Pos);
            }
            tokens.push_back(std::move(t));
        }
    }

private:
    bool StartsNumber(std::size_t at) const {
        const char sep = Locale().DecimalSeparator;
        if (at < FText.size() && IsDigit(static_cast<unsigned char>(FText[at]))) return true;
        return at + 1 < FText.size() && FText[at] == sep &&
               IsDigit(static_cast<unsigned char>(FText[at + 1]));
    }

    AnsiString ReadNumber(char sep) {
        const std::size_t start = FPos;
        if (FText[FPos] == '-' || FText[FPos] == '+') ++FPos;
        bool seenSep = false;
        while (FPos < FText.size()) {
            const char c = FText[FPos];
            if (IsDigit(static_cast<unsigned char>(c)))
                ++FPos;
            else if (c == sep && !seenSep && FPos + 1 < FText.size() &&
                     IsDigit(static_cast<unsigned char>(FText[FPos + 1]))) {
                seenSep = true;
                ++FPos;
            } else
                break;
        }
        return AnsiString(FText.substr(start, FPos - start));
    }

    // A quote never occurs as the second byte of a CP936 pair, so scanning bytes is safe.
    AnsiString ReadQuoted() {
        const std::size_t open = FPos;
        AnsiString out;
        ++FPos;
        for (;;) {
            const std::size_t q = FText.find('\'', FPos);
            if (q == std::string_view::npos) Fail("unterminated quote", open + 1);
            out.append(FText.substr(FPos, q - FPos));
            if (q + 1 < FText.size() && FText[q + 1] == '\'') {
                out += '\'';
                FPos = q + 2;
            } else {
                FPos = q + 1;
                return out;
            }
        }
    }

    std::string_view FText;
    std::size_t FPos = 0;
};

} // namespace

// The parser builds the node list of a TDataSetFilter directly.
class TDataSetFilterParser {
public:
    TDataSetFilterParser(std::vector<TToken> tokens, const TDataSetFilter::TFieldLookup& findField,
                  TDataSetFilter& out)
        : FTokens(std::move(tokens)), FFindField(findField), FOut(out) {}

    void Run() {
        FOut.FRoot = ParseOr(0);
        if (Peek().Kind != TTokenKind::End) {
            if (Peek().Kind == TTokenKind::RParen)
                Fail("unexpected \")\" without a matching \"(\"", Peek().Pos);
            Unexpected(Peek());
        }
    }

private:
    using TOp = TDataSetFilter::TOp;
    using TNode = TDataSetFilter::TNode;
    using TNodeKind = TDataSetFilter::TNodeKind;

    struct TOperand {
        TTokenKind Kind = TTokenKind::End; // Word (field), Number or Text
        const TField* Field = nullptr;
        AnsiString Text;
        std::size_t Pos = 0;
    };

    const TToken& Peek() const { return FTokens[FIndex]; }
    const TToken& Take() {
        const TToken& t = FTokens[FIndex];
        if (t.Kind != TTokenKind::End) ++FIndex;
        return t;
    }
    bool PeekKeyword(std::string_view kw) const {
        return Peek().Kind == TTokenKind::Word && SameText(Peek().Text, kw);
    }
    static bool IsKeyword(std::string_view w) {
        return SameText(w, "AND") || SameText(w, "OR") || SameText(w, "LIKE") || SameText(w, "BETWEEN");
    }

    [[noreturn]] static void Unexpected(const TToken& t) {
        if (t.Kind == TTokenKind::End) Fail("unexpected end of the text", t.Pos);
        const AnsiString shown = t.Kind == TTokenKind::Text ? "'" + t.Text + "'" : Quoted(t.Text);
        Fail("unexpected " + shown, t.Pos);
    }

    int Add(TNode node) {
        FOut.FNodes.push_back(std::move(node));
        return static_cast<int>(FOut.FNodes.size()) - 1;
    }

    int ParseOr(int depth) {
        std::vector<int> items{ParseAnd(depth)};
        while (PeekKeyword("OR")) {
            Take();
            items.push_back(ParseAnd(depth));
        }
        if (items.size() == 1) return items[0];
        TNode node;
        node.Kind = TNodeKind::Or;
        node.Children = std::move(items);
        return Add(std::move(node));
    }

    int ParseAnd(int depth) {
        std::vector<int> items{ParsePrimary(depth)};
        while (PeekKeyword("AND")) {
            Take();
            items.push_back(ParsePrimary(depth));
        }
        if (items.size() == 1) return items[0];
        FoldExclusions(items);
        if (items.size() == 1) return items[0];
        TNode node;
        node.Kind = TNodeKind::And;
        node.Children = std::move(items);
        return Add(std::move(node));
    }

    // Exclusion lists AND together one "F <> 'x'" per excluded value; with thousands of values a
    // linear chain of comparisons per row is the whole cost of filtering, so the inequalities on
    // one text field become one set lookup. A null cell fails the comparisons and the lookup alike.
    void FoldExclusions(std::vector<int>& items) {
        auto isExclusion = [this](int i) {
            const TNode& n = FOut.FNodes[static_cast<std::size_t>(i)];
            return n.Kind == TNodeKind::TextCompare && n.Op == TOp::Ne;
        };
        std::vector<int> kept;
        std::vector<int> setOfField; // node index of the set node per field, -1 when none yet
        for (int item : items) {
            if (!isExclusion(item)) {
                kept.push_back(item);
                continue;
            }
            const int field = FOut.FNodes[static_cast<std::size_t>(item)].Field;
            if (setOfField.size() <= static_cast<std::size_t>(field))
                setOfField.resize(static_cast<std::size_t>(field) + 1, -1);
            int& setNode = setOfField[static_cast<std::size_t>(field)];
            if (setNode < 0) {
                TNode node;
                node.Kind = TNodeKind::TextNotIn;
                node.Field = field;
                setNode = Add(std::move(node));
                kept.push_back(setNode);
            }
            FOut.FNodes[static_cast<std::size_t>(setNode)].Excluded.insert(
                FOut.FNodes[static_cast<std::size_t>(item)].Text);
        }
        items = std::move(kept);
    }

    int ParsePrimary(int depth) {
        if (Peek().Kind == TTokenKind::LParen) {
            const std::size_t open = Take().Pos;
            if (depth >= MaxNesting) Fail("parentheses nested too deeply", open);
            const int inner = ParseOr(depth + 1);
            if (Peek().Kind != TTokenKind::RParen) {
                if (Peek().Kind == TTokenKind::End)
                    Fail("missing \")\" for the \"(\" at position " + std::to_string(open), Peek().Pos);
                Fail("missing \")\" before " +
                         (Peek().Kind == TTokenKind::Text ? "'" + Peek().Text + "'" : Quoted(Peek().Text)),
                     Peek().Pos);
            }
            Take();
            return inner;
        }
        return ParseComparison();
    }

    TOperand ParseOperand() {
        const TToken& t = Take();
        TOperand o;
        o.Kind = t.Kind;
        o.Text = t.Text;
        o.Pos = t.Pos;
        if (t.Kind == TTokenKind::Word) {
            if (IsKeyword(t.Text)) Unexpected(t);
            o.Field = FFindField(t.Text);
            if (o.Field == nullptr)
                throw EFilterError("unknown field " + Quoted(t.Text) + " in the filter at position " +
                                       std::to_string(t.Pos),
                                   EFilterError::TKind::UnknownName, t.Pos, t.Text);
        } else if (t.Kind != TTokenKind::Number && t.Kind != TTokenKind::Text) {
            Unexpected(t);
        }
        return o;
    }

    TOperand ParseConstant() {
        TOperand o = ParseOperand();
        if (o.Field != nullptr)
            Fail("a number or a quoted text is needed, not the field " + Quoted(o.Text), o.Pos);
        return o;
    }

    static std::optional<double> NumberOf(const TOperand& c) { return TryStrToFloat(c.Text); }

    // The constant as a number a field of this type compares with.
    static double NumberFor(const TField& field, const TOperand& c) {
        if (c.Kind == TTokenKind::Text) {
            if (field.DataType == TFieldType::DateTime) {
                if (auto dt = TryStrToDateTime(c.Text)) return *dt;
            } else if (field.DataType == TFieldType::Boolean) {
                if (SameText(c.Text, "True")) return 1;
                if (SameText(c.Text, "False")) return 0;
            }
        }
        if (auto v = NumberOf(c)) return *v;
        throw EFilterError("the field " + Quoted(field.FieldName) + " can not be compared with '" + c.Text +
                               "' in the filter at position " + std::to_string(c.Pos),
                           EFilterError::TKind::NotComparable, c.Pos, field.FieldName, c.Text);
    }

    static bool IsTextField(const TField& f) { return f.DataType == TFieldType::String; }

    static TOp OpOf(const TToken& t) {
        if (t.Text == "=") return TOp::Eq;
        if (t.Text == "<>") return TOp::Ne;
        if (t.Text == "<") return TOp::Lt;
        if (t.Text == "<=") return TOp::Le;
        if (t.Text == ">") return TOp::Gt;
        return TOp::Ge;
    }

    static TOp Mirror(TOp op) {
        switch (op) {
        case TOp::Lt:
            return TOp::Gt;
        case TOp::Le:
            return TOp::Ge;
        case TOp::Gt:
            return TOp::Lt;
        case TOp::Ge:
            return TOp::Le;
        default:
            return op;
        }
    }

    int ParseComparison() {
        const TOperand left = ParseOperand();
        if (PeekKeyword("LIKE")) {
            const std::size_t at = Take().Pos;
            if (left.Field == nullptr) Fail("LIKE needs a field on its left", at);
            const TOperand pattern = ParseConstant();
            TNode node;
            node.Kind = TNodeKind::Like;
            node.Field = left.Field->Index();
            node.Segments = SplitLikePattern(pattern.Text);
            return Add(std::move(node));
        }
        if (PeekKeyword("BETWEEN")) {
            const std::size_t at = Take().Pos;
            if (left.Field == nullptr) Fail("BETWEEN needs a field on its left", at);
            const TOperand low = ParseConstant();
            if (!PeekKeyword("AND")) Fail("\"And\" expected after the first value of BETWEEN", Peek().Pos);
            Take();
            const TOperand high = ParseConstant();
            TNode node;
            node.Field = left.Field->Index();
            if (IsTextField(*left.Field)) {
                node.Kind = TNodeKind::TextBetween;
                node.Text = low.Text;
                node.Text2 = high.Text;
            } else {
                node.Kind = TNodeKind::NumBetween;
                node.Num = NumberFor(*left.Field, low);
                node.Num2 = NumberFor(*left.Field, high);
            }
            return Add(std::move(node));
        }
        if (Peek().Kind != TTokenKind::Op) {
            if (left.Field != nullptr && Peek().Kind == TTokenKind::End)
                Fail("an operator is missing after the field " + Quoted(left.Text), Peek().Pos);
            Unexpected(Peek());
        }
        TOp op = OpOf(Take());
        TOperand right = ParseOperand();
        TOperand fieldSide = left;
        TOperand constSide = right;
        if (left.Field == nullptr && right.Field != nullptr) {
            std::swap(fieldSide, constSide);
            op = Mirror(op);
        } else if (left.Field != nullptr && right.Field != nullptr) {
            Fail("comparing two fields is not supported", right.Pos);
        }

        TNode node;
        node.Op = op;
        if (fieldSide.Field == nullptr) {
            // Two constants, such as the "1=1" that opens a list group: decided here, once.
            const auto a = NumberOf(left);
            const auto b = NumberOf(right);
            int cmp;
            if (a && b)
                cmp = *a < *b ? -1 : (*a > *b ? 1 : 0);
            else
                cmp = left.Text.compare(right.Text);
            node.Kind = TNodeKind::Const;
            node.Truth = TDataSetFilter::Test(op, cmp);
            return Add(std::move(node));
        }
        node.Field = fieldSide.Field->Index();
        if (IsTextField(*fieldSide.Field)) {
            node.Kind = TNodeKind::TextCompare;
            node.Text = constSide.Text;
        } else {
            node.Kind = TNodeKind::NumCompare;
            node.Num = NumberFor(*fieldSide.Field, constSide);
        }
        return Add(std::move(node));
    }

    std::vector<TToken> FTokens;
    std::size_t FIndex = 0;
    const TDataSetFilter::TFieldLookup& FFindField;
    TDataSetFilter& FOut;
};

TDataSetFilter TDataSetFilter::Compile(std::string_view text, const TFieldLookup& findField) {
    TDataSetFilter filter;
    std::vector<TToken> tokens = TTokenizer(text).Run();
    if (tokens.size() == 1) // blank text
        return filter;
    TDataSetFilterParser(std::move(tokens), findField, filter).Run();
    return filter;
}

bool TDataSetFilter::Test(TOp op, int cmp) {
    switch (op) {
    case TOp::Eq:
        return cmp == 0;
    case TOp::Ne:
        return cmp != 0;
    case TOp::Lt:
        return cmp < 0;
    case TOp::Le:
        return cmp <= 0;
    case TOp::Gt:
        return cmp > 0;
    case TOp::Ge:
        return cmp >= 0;
    }
    return false;
}

bool TDataSetFilter::Matches(const std::vector<Value>* columns, std::size_t row) const {
    return FNodes.empty() || Eval(FRoot, columns, row);
}

bool TDataSetFilter::Eval(int index, const std::vector<Value>* columns, std::size_t row) const {
    const TNode& node = FNodes[static_cast<std::size_t>(index)];
    switch (node.Kind) {
    case TNodeKind::Const:
        return node.Truth;
    case TNodeKind::And:
        for (int child : node.Children)
            if (!Eval(child, columns, row)) return false;
        return true;
    case TNodeKind::Or:
        for (int child : node.Children)
            if (Eval(child, columns, row)) return true;
        return false;
    default:
        break;
    }

    const Value& cell = columns[node.Field][row];
    if (cell.IsEmptyOrNull()) return false;
    try {
        switch (node.Kind) {
        case TNodeKind::NumCompare: {
            const double v = cell.AsFloat();
            return Test(node.Op, v < node.Num ? -1 : (v > node.Num ? 1 : 0));
        }
        case TNodeKind::NumBetween: {
            const double v = cell.AsFloat();
            return v >= node.Num && v <= node.Num2;
        }
        case TNodeKind::TextCompare:
            if (const AnsiString* text = cell.StringRef()) return Test(node.Op, text->compare(node.Text));
            return Test(node.Op, cell.AsString().compare(node.Text));
        case TNodeKind::TextNotIn:
            if (const AnsiString* text = cell.StringRef()) return !node.Excluded.count(*text);
            return !node.Excluded.count(cell.AsString());
        case TNodeKind::TextBetween: {
            const AnsiString s = cell.AsString();
            return s.compare(node.Text) >= 0 && s.compare(node.Text2) <= 0;
        }
        case TNodeKind::Like:
            if (const AnsiString* text = cell.StringRef()) return LikeMatch(*text, node.Segments);
            return LikeMatch(cell.AsString(), node.Segments);
        default:
            return false;
        }
    } catch (const EConvertError&) {
        return false; // a cell that is not of its field's kind matches nothing
    }
}

namespace {

inline std::size_t CharLen(std::string_view text, std::size_t pos) {
    return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// True when `piece` sits at `pos` and ends on a character boundary of `text` (pos is one).
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view piece) {
    if (text.size() - pos < piece.size() || text.compare(pos, piece.size(), piece) != 0) return false;
    std::size_t p = pos;
    while (p < pos + piece.size())
        p += CharLen(text, p);
    return p == pos + piece.size();
}

bool LikeMatch(std::string_view text, const std::vector<AnsiString>& segments) {
    if (segments.size() == 1) return text == segments[0];
    if (!MatchesAt(text, 0, segments.front())) return false;
    std::size_t pos = segments.front().size();
    for (std::size_t i = 1; i + 1 < segments.size(); ++i) {
        const AnsiString& seg = segments[i];
        if (seg.empty()) continue;
        // Leftmost match at a character boundary; leftmost is always the best choice with "%" only.
        bool found = false;
        while (pos + seg.size() <= text.size()) {
            if (MatchesAt(text, pos, seg)) {
                found = true;
                break;
            }
            pos += CharLen(text, pos);
        }
        if (!found) return false;
        pos += seg.size();
    }
    const AnsiString& last = segments.back();
    if (text.size() - pos < last.size()) return false;
    const std::size_t start = text.size() - last.size();
    while (pos < start)
        pos += CharLen(text, pos);
    return pos == start && text.compare(start, last.size(), last) == 0;
}

} // namespace

bool FilterLikeMatch(std::string_view text, std::string_view pattern) {
    return LikeMatch(text, SplitLikePattern(pattern));
}
