// The expression parser: lexical readers, compilation to the postfix text and its evaluation.
//
// Compilation is a shunting-yard pass over the text. Prefix operators (signs, NOT, INT, FRAC,
// ROUND, STR) are always pushed, never used to pop: they have no left operand, so nothing on the
// stack can be due before them. This is also what makes a sign after a binary operator bind to
// the operand that follows («2 * -3» is -6).
//
// Evaluation walks the compiled text once with a value stack that is reused per nesting depth, so
// a compiled expression evaluates without allocating when its operands do not.
#include "VNParser.h"

#include "VNChineseNumber.h"
#include "report/VNEngineState.h"
#include "platform/Locale.h"

#include <charconv>
#include <cmath>

std::size_t MatchBracket(std::string_view text, std::size_t open) {
    int depth = 0;
    bool inSingle = false, inDouble = false;
    for (std::size_t j = open; j < text.size(); ++j) {
        char c = text[j];
        if (c == '\'' && !inDouble)
            inSingle = !inSingle;
        else if (c == '"' && !inSingle)
            inDouble = !inDouble;
        else if (!inSingle && !inDouble) {
            if (c == '[')
                ++depth;
            else if (c == ']' && --depth == 0)
                return j;
        }
    }
    return text.size();
}

namespace {

bool IsTerminator(char c) {
    switch (c) {
    case '\r':
    case ' ':
    case '(':
    case ')':
    case '*':
    case '+':
    case '-':
    case '/':
    case '<':
    case '=':
    case '>':
    case '[':
        return true;
    default:
        return false;
    }
}

bool IsDigitStart(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == ',';
}

int Precedence(char op) {
    switch (op) {
    case VNOp::Int:
    case VNOp::Frac:
    case VNOp::Str:
    case VNOp::Round:
        return 0;
    case '*':
    case '/':
    case VNOp::Mod:
    case VNOp::And:
    case VNOp::Or:
    case VNOp::Not:
        return 1;
    case '+':
    case '-':
    case VNOp::UnaryMinus:
    case VNOp::UnaryPlus:
        return 2;
    case '(':
        return 5;
    default: // comparisons
        return 3;
    }
}

bool IsPrefix(char op) {
    return op == VNOp::Int || op == VNOp::Frac || op == VNOp::UnaryMinus || op == VNOp::UnaryPlus ||
           op == VNOp::Str || op == VNOp::Not || op == VNOp::Round;
}

char KeywordCode(std::string_view word) {
    static const struct {
        const char* Name;
        char Code;
    } keywords[] = {{"INT", VNOp::Int}, {"FRAC", VNOp::Frac}, {"ROUND", VNOp::Round}, {"OR", VNOp::Or},
                    {"AND", VNOp::And}, {"NOT", VNOp::Not},   {"STR", VNOp::Str},     {"MOD", VNOp::Mod}};
    if (word.size() < 2 || word.size() > 5) return 0;
    for (const auto& k : keywords)
        if (SameText(word, k.Name)) return k.Code;
    return 0;
}

// The inner text of the group at text[pos] == '['; `pos` ends after its "]".
std::string_view ReadBracketInner(std::string_view text, std::size_t& pos) {
    std::size_t close = MatchBracket(text, pos);
    std::string_view inner = text.substr(pos + 1, close - pos - 1);
    pos = close < text.size() ? close + 1 : text.size();
    return inner;
}

// The group with its brackets; a group that is never closed is closed here, so the compiled text
// stays well formed.
AnsiString ReadBracketToken(std::string_view text, std::size_t& pos) {
    std::string_view inner = ReadBracketInner(text, pos);
    AnsiString token;
    token.reserve(inner.size() + 2);
    token += '[';
    token += inner;
    token += ']';
    return token;
}

Value NumberToken(std::string_view token) {
    char buf[64];
    if (token.size() < sizeof buf) {
        for (std::size_t i = 0; i < token.size(); ++i)
            buf[i] = (token[i] == ',' || token[i] == '.') ? '.' : token[i];
        double d = 0;
        auto [end, ec] = std::from_chars(buf, buf + token.size(), d);
        if (ec == std::errc() && end == buf + token.size() && std::isfinite(d)) return Value::Float(d);
    }
    // Let the locale's conversion raise its own error naming the text.
    AnsiString text(token);
    for (char& c : text)
        if (c == ',' || c == '.') c = Locale().DecimalSeparator;
    return Value::Float(StrToFloat(text));
}

bool NearWhole(double x, double& whole) {
    whole = std::round(x);
    return std::fabs(x - whole) < 1e-10;
}

bool IsZero(const Value& v) {
    return VarCompare(v, Value::Byte(0)) == 0;
}

struct DepthGuard {
    int& Depth;
    explicit DepthGuard(int& d) : Depth(d) {
        if (++Depth > TVNParser::MaxDepth) {
            --Depth;
            throw EVNParserError("expression nested too deeply");
        }
    }
    ~DepthGuard() { --Depth; }
};

} // namespace


// ---------------------------------------------------------------------------------------------
// Lexical readers

AnsiString VNReadIdentifier(std::string_view text, std::size_t& pos, bool stopAtSemicolon) {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= 32)
        ++pos;
    std::size_t start = pos;
    bool inQuotes = false;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (IsTerminator(c) || (stopAtSemicolon && c == ';')))
            break;
        ++pos;
    }
    return AnsiString(text.substr(start, pos - start));
}

AnsiString VNReadString(std::string_view text, std::size_t& pos) {
    std::size_t start = pos++;
    while (pos < text.size()) {
        if (text[pos] == '\'') {
            if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                pos += 2;
                continue;
            }
            ++pos;
            return AnsiString(text.substr(start, pos - start));
        }
        ++pos;
    }
    return AnsiString(text.substr(start)) + "'"; // never closed: closed here
}

AnsiString VNUnquote(std::string_view token) {
    if (token.size() >= 1 && token.front() == '\'') token.remove_prefix(1);
    if (token.size() >= 1 && token.back() == '\'') token.remove_suffix(1);
    AnsiString out;
    out.reserve(token.size());
    for (std::size_t i = 0; i < token.size(); ++i) {
        out += token[i];
        if (token[i] == '\'' && i + 1 < token.size() && token[i + 1] == '\'') ++i;
    }
    return out;
}

std::vector<AnsiString> VNReadArguments(std::string_view text, std::size_t& pos) {
    std::vector<AnsiString> args;
    int depth = 0;
    bool inQuote = false;
    std::size_t pieceStart = pos + 1;
    for (std::size_t i = pos; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\'') {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote) continue;
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) {
                args.emplace_back(text.substr(pieceStart, i - pieceStart));
                pos = i + 1;
                return args;
            }
        } else if (c == ',' && depth == 1) {
            args.emplace_back(text.substr(pieceStart, i - pieceStart));
            pieceStart = i + 1;
        }
    }
    throw EVNParserError("");
}

bool FindBracketedExpression(std::string_view text, int start, AnsiString& inner, int& openPos,
                             int& closePos) {
    std::size_t i = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    while (i < text.size() && text[i] != '[')
        ++i;
    if (i >= text.size()) return false;
    std::size_t close = MatchBracket(text, i);
    openPos = static_cast<int>(i) + 1;
    closePos = static_cast<int>(close) + 1;
    if (VNState().BracketMeasuring)
        inner.clear();
    else
        inner.assign(text.substr(i + 1, close - i - 1));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Compilation

TVNParser::TVNParser() = default;
TVNParser::~TVNParser() = default;

AnsiString TVNParser::Compile(std::string_view text) const {
    AnsiString out;
    out.reserve(text.size() + 8);
    AnsiString stack; // operator stack; its top is the last character
    bool operandFlag = false;

    auto pushOperator = [&](char op) {
        if (!operandFlag) {
            if (op == '-')
                op = VNOp::UnaryMinus;
            else if (op == '+')
                op = VNOp::UnaryPlus;
        }
        if (!IsPrefix(op)) {
            while (!stack.empty() && Precedence(op) >= Precedence(stack.back())) {
                out += stack.back();
                stack.pop_back();
            }
        }
        stack += op;
        operandFlag = false;
    };

    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (static_cast<unsigned char>(c) <= 32) { // blanks, line ends and stray control bytes
            ++i;
            continue;
        }
        if (c == ';') break;
        switch (c) {
        case '(':
            stack += '(';
            operandFlag = false;
            ++i;
            continue;
        case ')':
            while (!stack.empty() && stack.back() != '(') {
                out += stack.back();
                stack.pop_back();
            }
            if (!stack.empty()) stack.pop_back();
            ++i;
            continue;
        case '<':
            if (i + 1 < text.size() && text[i + 1] == '>') {
                pushOperator(VNOp::NotEqual);
                i += 2;
            } else if (i + 1 < text.size() && text[i + 1] == '=') {
                pushOperator(VNOp::LessEqual);
                i += 2;
            } else {
                pushOperator('<');
                ++i;
            }
            continue;
        case '>':
            if (i + 1 < text.size() && text[i + 1] == '=') {
                pushOperator(VNOp::GreaterEqual);
                i += 2;
            } else {
                pushOperator('>');
                ++i;
            }
            continue;
        case '*':
        case '+':
        case '-':
        case '/':
        case '=':
            pushOperator(c);
            ++i;
            continue;
        default:
            break;
        }

        // An operand.
        AnsiString operand;
        if (c == '%') {
            const std::size_t prefix = std::min<std::size_t>(2, text.size() - i);
            operand.append(text.data() + i, prefix);
            i += prefix;
        }
        if (i < text.size() && text[i] == '\'') {
            operand += VNReadString(text, i);
        } else if (i < text.size() && text[i] == '[') {
            operand += ReadBracketToken(text, i);
        } else {
            operand += VNReadIdentifier(text, i, true);
            if (i < text.size() && text[i] == '[') operand += ReadBracketToken(text, i);
        }
        operandFlag = true;

        if (!operand.empty() && IsDigitStart(operand[0])) {
            out += operand;
            out += ' ';
        } else if (char code = KeywordCode(operand)) {
            pushOperator(code);
        } else if (i < text.size() && text[i] == '(' && operand.back() != ']' && operand.back() != '\'') {
            std::size_t start = i;
            VNReadArguments(text, i);
            out += operand;
            out.append(text.substr(start, i - start));
        } else {
            out += operand;
            out += ' ';
        }
    }
    while (!stack.empty()) {
        if (stack.back() != '(') out += stack.back();
        stack.pop_back();
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Evaluation

Value TVNParser::Evaluate(std::string_view expression) {
    return EvaluateCompiled(Compile(expression));
}

Value TVNParser::EvaluateCompiled(std::string_view text) {
    DepthGuard guard(FDepth);
    if (static_cast<int>(FStacks.size()) < FDepth) FStacks.push_back(std::make_unique<std::vector<Value>>());
    std::vector<Value>& stack = *FStacks[FDepth - 1];
    stack.clear();

    auto need = [&](std::size_t n) {
        if (stack.size() < n) throw EVNParserError("operator without operand");
    };

    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        switch (c) {
        case ' ':
        case VNOp::UnaryPlus:
            ++i;
            continue;
        case '\'':
            stack.push_back(Value::String(VNUnquote(VNReadString(text, i))));
            continue;
        case '[': {
            AnsiString name(ReadBracketInner(text, i));
            Value v;
            if (OnGetValue) OnGetValue(name, v);
            stack.push_back(std::move(v));
            continue;
        }
        case VNOp::Int:
        case VNOp::Frac:
        case VNOp::Round:
        case VNOp::UnaryMinus:
        case VNOp::Str:
        case VNOp::Not: {
            need(1);
            Value& top = stack.back();
            ++i;
            if (c == VNOp::Str) {
                top = Value::String(top.AsString());
            } else if (c == VNOp::Not) {
                top = Value::Byte(IsZero(top) ? 1 : 0);
            } else if (top.IsNull()) {
                // null stays null through arithmetic
            } else if (c == VNOp::UnaryMinus) {
                top = VarNeg(top);
            } else if (c == VNOp::Round) {
                top = Value::Integer(RoundToInt64(top.AsFloat()));
            } else {
                double x = top.AsFloat(), whole = 0;
                bool near = NearWhole(x, whole);
                if (c == VNOp::Int)
                    top = Value::Float(near ? whole : std::trunc(x));
                else
                    top = Value::Float(near ? 0.0 : x - std::trunc(x));
            }
            continue;
        }
        case '+':
        case '-':
        case '*':
        case '/':
        case '<':
        case '=':
        case '>':
        case VNOp::GreaterEqual:
        case VNOp::LessEqual:
        case VNOp::NotEqual:
        case VNOp::Or:
        case VNOp::And:
        case VNOp::Mod: {
            need(2);
            Value b = std::move(stack.back());
            stack.pop_back();
            Value& a = stack.back();
            ++i;
            switch (c) {
            case '+':
            case VNOp::Or:
                a = VarAdd(a, b);
                break;
            case '-':
                a = VarSub(a, b);
                break;
            case '*':
            case VNOp::And:
                a = VarMul(a, b);
                break;
            case '/':
                a = IsZero(b) ? Value::Float(0) : VarDiv(a, b);
                break;
            case VNOp::Mod:
                a = VarMod(a, b);
                break;
            case '<':
                a = Value::Byte(VarCompare(a, b) < 0);
                break;
            case '>':
                a = Value::Byte(VarCompare(a, b) > 0);
                break;
            case '=':
                a = Value::Byte(VarCompare(a, b) == 0);
                break;
            case VNOp::GreaterEqual:
                a = Value::Byte(VarCompare(a, b) >= 0);
                break;
            case VNOp::LessEqual:
                a = Value::Byte(VarCompare(a, b) <= 0);
                break;
            default:
                a = Value::Byte(VarCompare(a, b) != 0);
                break;
            }
            continue;
        }
        default:
            break;
        }
        if (static_cast<unsigned char>(c) < 32) { // a control code the compiler never writes
            ++i;
            continue;
        }

        std::size_t start = i;
        AnsiString token = VNReadIdentifier(text, i);
        if (token.empty()) { // a stray terminator such as ")" in hand-written compiled text
            i = start + 1;
            continue;
        }
        if (IsDigitStart(token[0])) {
            stack.push_back(NumberToken(token));
        } else if (SameText(token, "TRUE")) {
            stack.push_back(Value::Byte(1));
        } else if (SameText(token, "FALSE")) {
            stack.push_back(Value::Byte(0));
        } else if (i < text.size() && text[i] == '[') {
            std::string_view index = ReadBracketInner(text, i);
            TVNArguments args(VNMinArguments, Value::String(""));
            args[0] = Value::String(token);
            args[1] = Value::String(" " + AnsiString(index));
            Value v;
            if (OnFunction) OnFunction("GETARRAY", args, v);
            stack.push_back(std::move(v));
        } else if (i < text.size() && text[i] == '(') {
            std::vector<AnsiString> texts = VNReadArguments(text, i);
            TVNArguments args;
            args.reserve(std::max(texts.size(), VNMinArguments));
            for (auto& t : texts)
                args.push_back(Value::String(std::move(t)));
            while (args.size() < VNMinArguments)
                args.push_back(Value::String(""));
            Value v = CallFunction(UpperCase(token), args);
            stack.push_back(std::move(v)); // `stack` stays valid: deeper levels use their own vectors
        } else {
            Value v;
            if (OnGetValue) OnGetValue(UpperCase(token), v);
            stack.push_back(std::move(v));
        }
    }
    if (stack.empty()) return Value::Byte(0);
    return stack.front();
}

Value TVNParser::CallFunction(const AnsiString& name, TVNArguments& args) {
    auto arg = [&](int n) { return Evaluate(args[n].AsString()); };
    if (name == "COPY") {
        std::int64_t from = StrToInt64(arg(1).AsString());
        std::int64_t count = StrToInt64(arg(2).AsString());
        AnsiString s = arg(0).AsString();
        if (from < 1) from = 1;
        if (count <= 0 || from > static_cast<std::int64_t>(s.size())) return Value::String("");
        return Value::String(s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count)));
    }
    if (name == "IF") return arg(0).AsBoolean() ? arg(1) : arg(2);
    if (name == "STRTODATE") return Value::DateTime(StrToDate(arg(0).AsString()));
    if (name == "STRTOTIME") return Value::DateTime(StrToTime(arg(0).AsString()));
    if (name == "CNUMBER") return Value::String(NumberToChineseText(arg(0).AsString()));
    Value v;
    if (OnFunction) OnFunction(name, args, v);
    return v;
}
