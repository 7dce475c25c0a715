// The script interpreter: compiled instruction lists, runs, errors with their positions, limits.
#include "report/expr/VNInterpretator.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// An interpreter whose names live in a map; INC works through the assignment rule, STOPREPORT
// sets the stop flag; every call and assignment is recorded.
class TTestInterpretator : public TVNInterpretator {
public:
    std::map<AnsiString, Value> Vars; // upper-case names
    std::vector<AnsiString> Calls, Assigned;
    bool Stop = false;

    TTestInterpretator() { StopFlag = &Stop; }

    void GetScriptValue(const AnsiString& name, Value& v) override {
        auto it = Vars.find(UpperCase(name));
        if (it != Vars.end()) v = it->second;
    }
    void SetScriptValue(const AnsiString& name, const Value& v) override {
        Assigned.push_back(name);
        Vars[UpperCase(name)] = v;
    }
    void CallScriptFunction(const AnsiString& name, const TVNArguments& args, Value&) override {
        Calls.push_back(name + "(" + args[0].AsString() + ")");
        if (name == "INC") {
            AnsiString var = Trim(args[0].AsString());
            Value v;
            GetScriptValue(var, v);
            SetScriptValue(var, VarAdd(v, Value::Integer(1)));
        } else if (name == "STOPREPORT") {
            Stop = true;
        }
    }

    std::vector<AnsiString> Compile(const AnsiString& script, AnsiString* error = nullptr) {
        std::vector<AnsiString> source, compiled, errors;
        std::size_t start = 0;
        for (;;) { // one line per "\n"
            std::size_t nl = script.find('\n', start);
            source.push_back(script.substr(start, nl == AnsiString::npos ? AnsiString::npos : nl - start));
            if (nl == AnsiString::npos) break;
            start = nl + 1;
        }
        CompileScript(source, compiled, errors);
        if (error)
            *error = errors.empty() ? "" : errors.front();
        else
            EXPECT_TRUE(errors.empty()) << errors.front();
        return compiled;
    }
    void Run(const AnsiString& script) { RunScript(Compile(script)); }
};

// The operation of each instruction: '1', '2', '3' or 'A' for an assignment.
std::string Shape(const std::vector<AnsiString>& code) {
    std::string s;
    for (const auto& ins : code)
        s += ins[0] == 1 ? '1' : ins[0] == 2 ? '2' : ins[0] == 3 ? '3' : 'A';
    return s;
}

TEST(InterpretatorTest, InstructionShapes) {
    const struct {
        const char* Script;
        const char* Shape;
    } cases[] = {
        {"begin Memo1.Visible := False; Memo2.Visible := True end", "AA"},
        {"if [Qty] > 10 then Memo1.Font.Color := clRed else Memo1.Font.Color := clBlack", "1A2A"},
        {"if x then y := 1", "1A"},
        {"while i < 3 do i := i + 1", "1A2"},
        {"for i := 1 to 3 do Inc(Total)", "A13A2"},
        {"repeat i := i + 1 until i > 3", "A1"},
        {"begin NewPage; ShowBand('Band1'); A[1] := 2 end", "333"},
        {"begin 10: x := 1; goto 10 end", "A2"},
        {"x := 1; y := 2", "A"}, // text after the first statement is not compiled
        {"begin ; ; end", ""},
        {"begin x:=1;y:=2;end", "AA"},
        {"begin NewPage;x := 1 end", "3A"},
        {"if (a > 1) then begin end else NewPage", "123"},
    };
    TTestInterpretator in;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Script);
        EXPECT_EQ(Shape(in.Compile(c.Script)), c.Shape);
    }
}

TEST(InterpretatorTest, AssignmentsCallsAndArrays) {
    TTestInterpretator in;
    auto code = in.Compile("begin Memo1.Visible := False; NewPage; A[1 + 1] := 5; exit; x := 1 end");
    ASSERT_EQ(code.size(), 5u);
    EXPECT_EQ(code[0], "Memo1.Visible False ");
    EXPECT_EQ(code[1], "\3NewPage(0)");
    EXPECT_EQ(code[2], "\3SETARRAY(A, 1 + 1, 5)");
    in.RunScript(code);
    EXPECT_EQ(in.Calls, (std::vector<AnsiString>{"NEWPAGE(0)", "SETARRAY(A)"}));
    EXPECT_EQ(in.Assigned, std::vector<AnsiString>{"Memo1.Visible"}); // exit came before x := 1
}

TEST(InterpretatorTest, RunsLoopsAndBranches) {
    TTestInterpretator in;
    in.Vars["TOTAL"] = 0;
    in.Run("for i := 1 to 3 do Inc(Total)");
    EXPECT_EQ(in.Vars["TOTAL"].AsInteger(), 3);
    EXPECT_EQ(in.Vars["I"].AsInteger(), 4);

    in.Run("begin n := 0; s := 0; while n < 5 do begin n := n + 1; s := s + n end end");
    EXPECT_EQ(in.Vars["S"].AsInteger(), 15);

    in.Run("begin k := 0; repeat k := k + 2 until k >= 7 end");
    EXPECT_EQ(in.Vars["K"].AsInteger(), 8);

    in.Vars["QTY"] = 20;
    in.Run("if [Qty] > 10 then r := 'big' else r := 'small'");
    EXPECT_EQ(in.Vars["R"], Value::String("big"));
    in.Vars["QTY"] = 2;
    in.Run("if [Qty] > 10 then r := 'big' else r := 'small'");
    EXPECT_EQ(in.Vars["R"], Value::String("small"));

    in.Run("begin j := 0; 10: j := j + 1; if j < 4 then goto 10 end");
    EXPECT_EQ(in.Vars["J"].AsInteger(), 4);

    // The end of a FOR loop is evaluated again on every pass.
    in.Run("begin m := 5; c := 0; for i := 1 to m do begin m := m - 1; c := c + 1 end end");
    EXPECT_EQ(in.Vars["C"].AsInteger(), 3);
}

TEST(InterpretatorTest, ErrorsCarryLineAndColumnOfTheScriptAsWritten) {
    const struct {
        const char* Script;
        const char* Error;
    } cases[] = {
        {"begin x := 1 y := 2 end", "Line 1/14: Need \";\" or \"end\" here"},
        {"begin { x := 1 } x := 1 y := 2 end", "Line 1/25: Need \";\" or \"end\" here"},
        {"begin // note\nx := 1 z end", "Line 2/8: Need \";\" or \"end\" here"},
        {"begin {a\nb} x := 1 ? end", "Line 2/11: Need \";\" or \"end\" here"},
        {"if x y := 1", "Line 1/6: Need \"then\" here"},
        {"while x y := 1", "Line 1/9: Need \"do\" here"},
        {"for i := 1 do x := 1", "Line 1/12: Need \"to\" here"},
        {"for i = 1 to 2 do x := 1", "Line 1/7: Need \":=\" here"},
        {"repeat x := 1 y until x", "Line 1/15: Need \";\" or \"until\" here"},
        {"goto ten", "Line 1/6: \"goto\" label must be a number"},
        {"begin goto 20; 10: x := 1 end", "Line 1/12: Label \"20\" is not defined"},
        {"x 1", "Line 1/3: Need \":=\" here"},
        {"x := (1 + 2", "Line 1/12: Need \")\" here"},
        {"x := F(1 2)", "Line 1/10: Need \",\" or \")\" here"},
        {"x := [abc", "Line 1/10: Need \"]\" here"},
        {"begin x := '{ not a comment }' 1 end", "Line 1/32: Need \";\" or \"end\" here"},
    };
    TTestInterpretator in;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Script);
        AnsiString error;
        in.Compile(c.Script, &error);
        EXPECT_EQ(error, c.Error);
    }
}

TEST(InterpretatorTest, InstructionsBeforeAnErrorStayAndRunSafely) {
    TTestInterpretator in;
    AnsiString error;
    auto code = in.Compile("begin a := 1; while 1 do begin b := 2 ? end end", &error);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Shape(code), "A1A"); // the open jump ends the script instead of going astray
    in.RunScript(code);
    EXPECT_EQ(in.Assigned, (std::vector<AnsiString>{"a", "b"}));
}

TEST(InterpretatorTest, LimitsAreRejectedWithAnError) {
    TTestInterpretator in;
    AnsiString error;
    in.Compile("x := '" + AnsiString(32000, 'a') + "'", &error);
    EXPECT_EQ(error, "Line 1/1: Script is longer than 32000 bytes");

    AnsiString labels = "begin ";
    for (int i = 1; i <= 102; ++i)
        labels += std::to_string(i) + ": x := 1; ";
    labels += "end";
    in.Compile(labels, &error);
    EXPECT_NE(error.find("Too many labels"), AnsiString::npos);

    AnsiString deep;
    for (int i = 0; i < 500; ++i)
        deep += "begin ";
    in.Compile(deep, &error); // refused, not a stack overflow
    EXPECT_FALSE(error.empty());
}

TEST(InterpretatorTest, StopFlagEndsAnEndlessLoop) {
    TTestInterpretator in;
    in.Vars["N"] = 0;
    in.Run("while 1 do begin n := n + 1; if n = 1000 then StopReport end");
    EXPECT_EQ(in.Vars["N"].AsInteger(), 1000);

    // A loop that calls nothing: the engine's long-run hook is where Cancel gets its chance.
    in.Stop = false;
    int calls = 0;
    in.OnLongRun = [&] {
        if (++calls == 3) in.Stop = true;
    };
    in.RunScript(in.Compile("repeat until 0"));
    EXPECT_EQ(calls, 3);
}

TEST(InterpretatorTest, FindScriptFunctions) {
    TTestInterpretator in;
    auto code =
        in.Compile("begin if SUM([Qty]) > 0 then x := AVG([Price]) + 1; ShowBand('B'); y := MAX(z) end");
    std::vector<AnsiString> found;
    in.FindScriptFunctions(code, {"SUM", "AVG", "MAX"}, nullptr, found);
    EXPECT_EQ(found, (std::vector<AnsiString>{"SUM([Qty])", "AVG([Price])", "MAX(z)"}));
}

} // namespace
