// TVNParser: compiles an expression text to its postfix form and evaluates that form to a Value.
//
// The parser knows operators, literals and five functions of its own (COPY, IF, STRTODATE,
// STRTOTIME, CNUMBER). Every other name and function call goes to the two handlers its owner
// installs; without a handler, or when the handler leaves it alone, an unknown name or function
// gives an empty value. The parser keeps no state between calls other than the handlers, and may
// be re-entered from a handler (a dictionary variable evaluating its own expression).
//
// Compiled form: operands stand as their source text followed by one blank, a function call as
// its whole source text with no blank after it, operators as one character; the operators that
// are not single source characters are the control codes below. Callers that evaluate the same
// expression often keep the compiled text and call EvaluateCompiled.
//
// Guarantees: the evaluation stack and the argument list grow as needed; nesting of calls is
// bounded (EVNParserError past the limit); a malformed expression raises EVNParserError, a text
// that does not convert raises EConvertError; nothing reads or writes outside its buffers.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Value.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

// Control codes of the compiled form.
namespace VNOp {
inline constexpr char GreaterEqual = 1;
inline constexpr char LessEqual = 2;
inline constexpr char NotEqual = 3;
inline constexpr char Or = 4;
inline constexpr char And = 5;
inline constexpr char Int = 6;
inline constexpr char Frac = 7;
inline constexpr char UnaryMinus = 9;
inline constexpr char UnaryPlus = 10;
inline constexpr char Str = 11;
inline constexpr char Not = 12;
inline constexpr char Mod = 13;
inline constexpr char Round = 14;
} // namespace VNOp

// A malformed expression (missing ")" of a call, an operator without its operands, nesting too
// deep). The message of a missing ")" is empty, as report authors have always seen it.
class EVNParserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Argument texts of a call, uncompiled and untrimmed, as string Values. There are always at least
// eleven entries (indexes 0 to 10); unused ones hold the empty string.
using TVNArguments = std::vector<Value>;
inline constexpr std::size_t VNMinArguments = 11;

using TVNGetValueEvent = std::function<void(const AnsiString& name, Value& value)>;
using TVNFunctionEvent = std::function<void(const AnsiString& name, const TVNArguments& args, Value& result)>;

class TVNParser {
public:
    TVNParser();
    ~TVNParser();
    TVNParser(const TVNParser&) = delete;
    TVNParser& operator=(const TVNParser&) = delete;

    Value Evaluate(std::string_view expression);
    AnsiString Compile(std::string_view expression) const;
    Value EvaluateCompiled(std::string_view compiled);

    // Names the parser does not know: plain names arrive upper-cased, bracketed names as written.
    TVNGetValueEvent OnGetValue;
    // Calls of functions the parser does not handle: the name upper-cased, the argument texts.
    TVNFunctionEvent OnFunction;

    // Calls nested deeper than this (IF inside IF ..., or handlers re-entering) raise an error
    // instead of exhausting the machine stack.
    static constexpr int MaxDepth = 256;

private:
    Value CallFunction(const AnsiString& upperName, TVNArguments& args);

    std::vector<std::unique_ptr<std::vector<Value>>> FStacks; // one reusable stack per depth
    int FDepth = 0;
};

// ---- Lexical readers, shared by the parser, the function splitter and the script compiler ----
// Positions here are 0-based byte indexes into the text; `pos` is advanced past what was read.

// Skips bytes <= 32, then reads up to a terminator (CR, blank, "(", ")", "*", "+", "-", "/", "<",
// "=", ">", "["); terminators inside double quotes do not end the identifier. The compiler also
// stops at a ";" outside double quotes, since a ";" ends an expression.
AnsiString VNReadIdentifier(std::string_view text, std::size_t& pos, bool stopAtSemicolon = false);
// At a single quote: the quoted token with both quotes ("''" inside stays doubled). A string that
// is never closed takes the rest of the text.
AnsiString VNReadString(std::string_view text, std::size_t& pos);
// At "(": the argument texts up to the matching ")", split at commas of depth one outside quotes;
// `pos` ends after the ")". A missing ")" raises EVNParserError with an empty message.
std::vector<AnsiString> VNReadArguments(std::string_view text, std::size_t& pos);
// Finds the "]" closing the "[" at text[open]; brackets inside quoted text do not count. Returns
// the index of that "]", or text.size() when the group is never closed.
std::size_t MatchBracket(std::string_view text, std::size_t open);
// The literal value of a quoted token: outer quotes removed, doubled quotes reduced to one.
AnsiString VNUnquote(std::string_view token);

// Finds the first "[" at or after the 1-based start position and the "]" that closes it, counting
// nested brackets outside single- and double-quoted text. Returns false when there is no "[".
// A group that is never closed takes the rest of the text (closePos is then length + 1). While the
// band engine measures bands (the engine state's BracketMeasuring), the inner text is returned
// empty.
bool FindBracketedExpression(std::string_view text, int start, AnsiString& inner, int& openPos,
                             int& closePos);
