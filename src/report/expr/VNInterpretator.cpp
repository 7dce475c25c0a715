// The script compiler and runner.
//
// The compiler works on one buffer holding the lines, each followed by a carriage return, tabs as
// blanks and comments ("{...}", "//..." outside quoted text) overwritten by blanks. Blanking keeps
// every byte where it was written, so the line and column of an error are those of the script as
// written. Statements are read position by position; the expression grammar only finds where an
// expression ends, the parser decides what it means.
#include "VNInterpretator.h"

#include "VNFunctionSplitter.h"
#include "VNParser.h"
#include "platform/Locale.h"

#include <cctype>
#include <stdexcept>

namespace {

constexpr std::uint16_t OpenTarget = 0xFFFF; // a jump nobody pointed yet

struct TScriptError {
    std::size_t Pos;
    AnsiString Message;
};

// The first byte of a compiled instruction says what it does; the compiled form is kept as text
// (one string per instruction), so the codes are the byte values below. An assignment has no
// code byte of its own: it starts with the variable's name.
enum TScriptOp : char {
    opAssign = 0,      // "name compiled-expression"
    opJumpIfFalse = 1, // code, target (two bytes, low first), compiled condition
    opJump = 2,        // code, target (two bytes, low first)
    opEvaluate = 3,    // code, compiled expression (a procedure call or a bare expression)
};

struct TInstruction {
    char Op = opEvaluate;
    std::uint16_t Target = OpenTarget;
    AnsiString Name;  // assignments
    AnsiString Text;  // condition or expression, source form
    AnsiString Label; // GOTO label waiting for its target
    std::size_t LabelPos = 0;
};

bool IsNameStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || std::isdigit(c) || c == '.';
}

class TScriptCompiler {
public:
    explicit TScriptCompiler(std::string buffer) : FText(std::move(buffer)) {}

    std::vector<TInstruction> Code;
    std::vector<std::pair<AnsiString, std::size_t>> Labels; // "10:" -> instruction index

    void CompileAll() { Statement(0); }

private:
    static constexpr int MaxNesting = 200; // deeper scripts are refused, the machine stack is not

    [[noreturn]] void Fail(std::size_t pos, const char* message) { throw TScriptError{pos, message}; }

    void SkipBlanks() {
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= 32)
            ++FPos;
    }
    char Peek() const { return FPos < FText.size() ? FText[FPos] : '\0'; }
    bool AtEnd() const { return FPos >= FText.size(); }

    // The name-like run at the position, upper-cased (empty when none starts there).
    AnsiString PeekName(std::size_t p) const {
        std::size_t e = p;
        while (e < FText.size() && IsNameChar(static_cast<unsigned char>(FText[e])))
            ++e;
        return UpperCase(std::string_view(FText).substr(p, e - p));
    }
    bool AtKeyword(const char* keyword) const { return PeekName(FPos) == keyword; }
    bool StartsWithCI(const char* s) const {
        std::size_t n = std::char_traits<char>::length(s);
        return FPos + n <= FText.size() && SameText(std::string_view(FText).substr(FPos, n), s);
    }
    bool StartsWith(const char* s) const {
        return FText.compare(FPos, std::char_traits<char>::length(s), s) == 0;
    }

    AnsiString ReadName() {
        std::size_t start = FPos;
        while (FPos < FText.size() && IsNameChar(static_cast<unsigned char>(FText[FPos])))
            ++FPos;
        return FText.substr(start, FPos - start);
    }

    void Expect(const char* keyword, const char* message) {
        SkipBlanks();
        if (!AtKeyword(keyword)) Fail(FPos, message);
        FPos += std::char_traits<char>::length(keyword);
    }

    std::size_t Emit(TInstruction ins) {
        Code.push_back(std::move(ins));
        return Code.size() - 1;
    }
    std::uint16_t Here() const { return static_cast<std::uint16_t>(Code.size()); }

    // ---- expression extent ----
    AnsiString ExpressionText(int depth) {
        SkipBlanks();
        std::size_t start = FPos;
        Expression(depth);
        std::size_t end = FPos;
        while (end > start && static_cast<unsigned char>(FText[end - 1]) <= 32)
            --end;
        return FText.substr(start, end - start);
    }

    void Expression(int depth) {
        if (depth > MaxNesting) Fail(FPos, "Expression too deeply nested");
        Simple(depth);
        SkipBlanks();
        if (StartsWith(">=") || StartsWith("<=") || StartsWith("<>")) {
            FPos += 2;
            Simple(depth);
        } else if (Peek() == '<' || Peek() == '=' || Peek() == '>') {
            ++FPos;
            Simple(depth);
        }
    }

    void Simple(int depth) {
        Term(depth);
        for (;;) {
            SkipBlanks();
            if (Peek() == '+' || Peek() == '-') {
                ++FPos;
            } else if (StartsWithCI("OR")) {
                FPos += 2;
            } else {
                return;
            }
            Term(depth);
        }
    }

    void Term(int depth) {
        Factor(depth);
        for (;;) {
            SkipBlanks();
            if (Peek() == '*' || Peek() == '/') {
                ++FPos;
            } else if (StartsWithCI("AND") || StartsWithCI("MOD")) {
                FPos += 3;
            } else {
                return;
            }
            Factor(depth);
        }
    }

    void Bracket() {
        const std::size_t close = MatchBracket(FText, FPos);
        if (close >= FText.size()) {
            FPos = FText.size();
            Fail(FPos, "Need \"]\" here");
        }
        FPos = close + 1;
    }

    void Factor(int depth) {
        SkipBlanks();
        char c = Peek();
        if (c == '(') {
            ++FPos;
            Expression(depth + 1);
            SkipBlanks();
            if (Peek() != ')') Fail(FPos, "Need \")\" here");
            ++FPos;
        } else if (c == '[') {
            Bracket();
        } else if (c == '+' || c == '-') {
            ++FPos;
            Expression(depth + 1);
        } else if (AtKeyword("NOT")) {
            FPos += 3;
            Expression(depth + 1);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            while (FPos < FText.size() &&
                   (std::isdigit(static_cast<unsigned char>(FText[FPos])) || FText[FPos] == '.'))
                ++FPos;
        } else if (c == '\'') {
            for (++FPos; FPos < FText.size(); ++FPos) {
                if (FText[FPos] != '\'') continue;
                if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
                    ++FPos;
                    continue;
                }
                ++FPos;
                break;
            }
        } else if (IsNameStart(static_cast<unsigned char>(c))) {
            ReadName();
            if (Peek() == '(') {
                ++FPos;
                SkipBlanks();
                if (Peek() == ')') {
                    ++FPos;
                    return;
                }
                for (;;) {
                    Expression(depth + 1);
                    SkipBlanks();
                    if (Peek() == ',') {
                        ++FPos;
                        continue;
                    }
                    if (Peek() == ')') {
                        ++FPos;
                        return;
                    }
                    Fail(FPos, "Need \",\" or \")\" here");
                }
            } else if (Peek() == '[') {
                Bracket();
            }
        }
        // Anything else is an empty operand; the statement level reports what follows.
    }

    // ---- statements ----
    void Statement(int depth) {
        if (depth > MaxNesting) Fail(FPos, "Statement too deeply nested");
        SkipBlanks();
        if (AtEnd()) return;
        const std::size_t wordPos = FPos;
        const AnsiString word = PeekName(FPos);

        if (word == "BEGIN") {
            FPos += 5;
            for (;;) {
                Statement(depth + 1);
                SkipBlanks();
                if (Peek() == ';') {
                    ++FPos;
                    continue;
                }
                if (AtKeyword("END")) {
                    FPos += 3;
                    return;
                }
                Fail(FPos, "Need \";\" or \"end\" here");
            }
        }
        if (word == "IF") {
            FPos += 2;
            TInstruction jump;
            jump.Op = opJumpIfFalse;
            jump.Text = ExpressionText(depth);
            std::size_t cond = Emit(std::move(jump));
            Expect("THEN", "Need \"then\" here");
            Statement(depth + 1);
            SkipBlanks();
            if (AtKeyword("ELSE")) {
                FPos += 4;
                TInstruction skip;
                skip.Op = opJump;
                std::size_t over = Emit(std::move(skip));
                Code[cond].Target = Here();
                Statement(depth + 1);
                Code[over].Target = Here();
            } else {
                Code[cond].Target = Here();
            }
            return;
        }
        if (word == "REPEAT") {
            FPos += 6;
            std::uint16_t top = Here();
            for (;;) {
                Statement(depth + 1);
                SkipBlanks();
                if (Peek() == ';') {
                    ++FPos;
                    continue;
                }
                if (AtKeyword("UNTIL")) {
                    FPos += 5;
                    TInstruction back;
                    back.Op = opJumpIfFalse;
                    back.Text = ExpressionText(depth);
                    back.Target = top;
                    Emit(std::move(back));
                    return;
                }
                Fail(FPos, "Need \";\" or \"until\" here");
            }
        }
        if (word == "WHILE") {
            FPos += 5;
            TInstruction test;
            test.Op = opJumpIfFalse;
            test.Text = ExpressionText(depth);
            std::size_t cond = Emit(std::move(test));
            Expect("DO", "Need \"do\" here");
            Statement(depth + 1);
            TInstruction back;
            back.Op = opJump;
            back.Target = static_cast<std::uint16_t>(cond);
            Emit(std::move(back));
            Code[cond].Target = Here();
            return;
        }
        if (word == "FOR") {
            FPos += 3;
            SkipBlanks();
            AnsiString name = ReadName();
            SkipBlanks();
            if (name.empty() || !StartsWith(":=")) Fail(FPos, "Need \":=\" here");
            FPos += 2;
            TInstruction init;
            init.Op = opAssign;
            init.Name = name;
            init.Text = ExpressionText(depth);
            Emit(std::move(init));
            Expect("TO", "Need \"to\" here");
            TInstruction test;
            test.Op = opJumpIfFalse;
            test.Text = name + "<=" + ExpressionText(depth);
            std::size_t cond = Emit(std::move(test));
            Expect("DO", "Need \"do\" here");
            Statement(depth + 1);
            TInstruction step;
            step.Op = opAssign;
            step.Name = name;
            step.Text = name + "+1";
            Emit(std::move(step));
            TInstruction back;
            back.Op = opJump;
            back.Target = static_cast<std::uint16_t>(cond);
            Emit(std::move(back));
            Code[cond].Target = Here();
            return;
        }
        if (word == "GOTO") {
            FPos += 4;
            SkipBlanks();
            std::size_t labelPos = FPos;
            std::size_t start = FPos;
            while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])))
                ++FPos;
            if (FPos == start || (FPos < FText.size() && IsNameChar(static_cast<unsigned char>(FText[FPos]))))
                Fail(labelPos, "\"goto\" label must be a number");
            TInstruction jump;
            jump.Op = opJump;
            jump.Label = FText.substr(start, FPos - start) + ":";
            jump.LabelPos = labelPos;
            Emit(std::move(jump));
            return;
        }
        if (word == "END" || word == "UNTIL" || word == "ELSE") return; // empty statement
        if (std::isdigit(static_cast<unsigned char>(Peek()))) {
            std::size_t p = FPos;
            while (p < FText.size() && std::isdigit(static_cast<unsigned char>(FText[p])))
                ++p;
            if (p < FText.size() && FText[p] == ':' && (p + 1 >= FText.size() || FText[p + 1] != '=')) {
                AnsiString label = FText.substr(FPos, p - FPos + 1);
                bool known = false;
                for (const auto& l : Labels)
                    known |= l.first == label;
                if (!known) {
                    if (Labels.size() >= TVNInterpretator::MaxLabels) Fail(wordPos, "Too many labels");
                    Labels.emplace_back(label, Code.size());
                }
                FPos = p + 1;
                Statement(depth + 1);
                return;
            }
        }
        if (IsNameStart(static_cast<unsigned char>(Peek()))) {
            std::size_t save = FPos;
            AnsiString name = ReadName();
            if (Peek() != '(') {
                AnsiString index;
                if (Peek() == '[') {
                    std::size_t open = FPos;
                    Bracket();
                    index = FText.substr(open + 1, FPos - open - 2);
                }
                SkipBlanks();
                if (AtEnd() || Peek() == ';' || AtKeyword("END") || AtKeyword("ELSE") || AtKeyword("UNTIL")) {
                    TInstruction call;
                    call.Op = opEvaluate;
                    call.Text = name + (index.empty() ? "" : "[" + index + "]") + "(0)";
                    Emit(std::move(call));
                    return;
                }
                if (!StartsWith(":=")) Fail(FPos, "Need \":=\" here");
                FPos += 2;
                AnsiString value = ExpressionText(depth);
                TInstruction assign;
                if (index.empty()) {
                    assign.Op = opAssign;
                    assign.Name = name;
                    assign.Text = value;
                } else {
                    assign.Op = opEvaluate;
                    assign.Text = "SETARRAY(" + name + ", " + index + ", " + value + ")";
                }
                Emit(std::move(assign));
                return;
            }
            FPos = save;
        }
        AnsiString expr = ExpressionText(depth);
        if (!expr.empty()) {
            TInstruction eval;
            eval.Op = opEvaluate;
            eval.Text = expr;
            Emit(std::move(eval));
        }
    }

    std::string FText;
    std::size_t FPos = 0;

public:
    const std::string& Text() const { return FText; }
};

// Blanks out comments ("{...}" and "//" to the end of the line) outside quoted text.
void BlankComments(std::string& s) {
    bool inQuote = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\'') {
            inQuote = !inQuote;
        } else if (!inQuote && c == '{') {
            for (; i < s.size() && s[i] != '}'; ++i)
                if (s[i] != '\r') s[i] = ' ';
            if (i < s.size()) s[i] = ' ';
        } else if (!inQuote && c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            for (; i < s.size() && s[i] != '\r'; ++i)
                s[i] = ' ';
        } else if (c == '\r') {
            inQuote = false; // a quoted text does not run over a line end
        }
    }
}

AnsiString Position(const std::string& text, std::size_t pos) {
    if (pos >= text.size()) { // the script ended early: point just after its last word
        pos = 0;
        for (std::size_t i = text.size(); i > 0; --i)
            if (static_cast<unsigned char>(text[i - 1]) > 32) {
                pos = i;
                break;
            }
    }
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i)
        if (text[i] == '\r') {
            ++line;
            lineStart = i + 1;
        }
    return "Line " + IntToStr(static_cast<std::int64_t>(line)) + "/" +
           IntToStr(static_cast<std::int64_t>(pos - lineStart + 1)) + ": ";
}

std::uint16_t TargetOf(const AnsiString& ins) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(ins[1]) |
                                      (static_cast<unsigned char>(ins[2]) << 8));
}

} // namespace

TVNInterpretator::TVNInterpretator() {
    FParser.OnGetValue = [this](const AnsiString& name, Value& v) { GetScriptValue(name, v); };
    FParser.OnFunction = [this](const AnsiString& name, const TVNArguments& args, Value& v) {
        CallScriptFunction(name, args, v);
    };
}

TVNInterpretator::~TVNInterpretator() = default;

void TVNInterpretator::GetScriptValue(const AnsiString&, Value&) {}
void TVNInterpretator::SetScriptValue(const AnsiString&, const Value&) {}
void TVNInterpretator::CallScriptFunction(const AnsiString&, const TVNArguments&, Value&) {}

void TVNInterpretator::CompileScript(const std::vector<AnsiString>& source, std::vector<AnsiString>& compiled,
                                     std::vector<AnsiString>& errors) {
    std::string buffer;
    for (const auto& line : source) {
        buffer += line;
        buffer += '\r';
    }
    compiled.clear();
    errors.clear();
    if (buffer.size() > MaxScriptBytes) {
        errors.push_back("Line 1/1: Script is longer than 32000 bytes");
        return;
    }
    for (char& c : buffer)
        if (c == '\t') c = ' ';
    BlankComments(buffer);

    TScriptCompiler compiler(buffer);
    try {
        compiler.CompileAll();
    } catch (const TScriptError& e) {
        errors.push_back(Position(buffer, e.Pos) + e.Message);
    }

    const std::uint16_t end = static_cast<std::uint16_t>(compiler.Code.size());
    for (auto& ins : compiler.Code) {
        if (!ins.Label.empty()) {
            bool found = false;
            for (const auto& [label, index] : compiler.Labels)
                if (label == ins.Label) {
                    ins.Target = static_cast<std::uint16_t>(index);
                    found = true;
                }
            if (!found && errors.empty())
                errors.push_back(Position(buffer, ins.LabelPos) + "Label \"" +
                                 ins.Label.substr(0, ins.Label.size() - 1) + "\" is not defined");
        }
        if (ins.Target == OpenTarget) ins.Target = end; // left open by an error: ends the script
    }
    for (auto& ins : compiler.Code) {
        AnsiString code;
        try {
            code = ins.Op == opJump ? AnsiString() : FParser.Compile(ins.Text);
        } catch (const EVNParserError&) {
            code = ins.Text; // the run raises the parser's error when it gets here
        }
        AnsiString out;
        if (ins.Op == opJumpIfFalse || ins.Op == opJump) {
            out += ins.Op;
            out += static_cast<char>(ins.Target & 0xFF);
            out += static_cast<char>(ins.Target >> 8);
            out += code;
        } else if (ins.Op == opEvaluate) {
            out += opEvaluate;
            out += code;
        } else {
            out = ins.Name + " " + code;
        }
        compiled.push_back(std::move(out));
    }
}

void TVNInterpretator::RunScript(const std::vector<AnsiString>& compiled) {
    std::size_t i = 0;
    std::uint32_t steps = 0;
    while (i < compiled.size()) {
        if (++steps % LongRunSteps == 0 && OnLongRun) OnLongRun();
        if (StopFlag && *StopFlag) return;
        const AnsiString& ins = compiled[i];
        if (ins.empty()) {
            ++i;
            continue;
        }
        switch (ins[0]) {
        case opJumpIfFalse: {
            if (ins.size() < 3) return;
            Value v = FParser.EvaluateCompiled(std::string_view(ins).substr(3));
            i = VarCompare(v, Value::Byte(0)) == 0 ? TargetOf(ins) : i + 1;
            break;
        }
        case opJump:
            if (ins.size() < 3) return;
            i = TargetOf(ins);
            break;
        case opEvaluate: {
            std::string_view expr = std::string_view(ins).substr(1);
            if (SameText(expr, "EXIT(0)")) return;
            FParser.EvaluateCompiled(expr);
            ++i;
            break;
        }
        default: {
            std::size_t blank = ins.find(' ');
            AnsiString name = ins.substr(0, blank);
            Value v = blank == AnsiString::npos
                          ? Value::Byte(0)
                          : FParser.EvaluateCompiled(std::string_view(ins).substr(blank + 1));
            SetScriptValue(name, v);
            ++i;
            break;
        }
        }
    }
}

void TVNInterpretator::FindScriptFunctions(const std::vector<AnsiString>& compiled,
                                           const std::vector<AnsiString>& names,
                                           const TVNVariables* variables, std::vector<AnsiString>& output) {
    TVNFunctionSplitter splitter(names, variables, output);
    for (const auto& ins : compiled) {
        if (ins.empty()) continue;
        switch (ins[0]) {
        case opJumpIfFalse:
            if (ins.size() > 3) splitter.Split(std::string_view(ins).substr(3));
            break;
        case opJump:
            break;
        case opEvaluate:
            splitter.Split(std::string_view(ins).substr(1));
            break;
        default: {
            std::size_t blank = ins.find(' ');
            if (blank != AnsiString::npos) splitter.Split(std::string_view(ins).substr(blank + 1));
        }
        }
    }
}
