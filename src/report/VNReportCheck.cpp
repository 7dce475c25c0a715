// Compiling a report's scripts and bracketed expressions for its author. See VNReportCheck.h.
#include "VNReportCheck.h"

#include "VNMemoView.h"
#include "VNPage.h"
#include "VNReport.h"
#include "VNStandardViews.h"
#include "expr/VNInterpretator.h"
#include "expr/VNParser.h"

#include <cstdio>

namespace {

// The interpreter reports "Line L/C: message".
void AddScriptError(std::vector<TVNCheckProblem>& out, const AnsiString& object, const char* property,
                    const AnsiString& error) {
    TVNCheckProblem p{object, property, 0, 0, error};
    int line = 0, column = 0, used = 0;
    if (std::sscanf(error.c_str(), "Line %d/%d: %n", &line, &column, &used) == 2 && used > 0) {
        p.Line = line;
        p.Column = column;
        p.Message = error.substr(static_cast<std::size_t>(used));
    }
    out.push_back(std::move(p));
}

void CheckScript(std::vector<TVNCheckProblem>& out, TVNInterpretator& interpretator, const AnsiString& object,
                 const char* property, const TVNStrings& script) {
    if (script.empty()) return;
    std::vector<AnsiString> compiled, errors;
    interpretator.CompileScript(script, compiled, errors);
    for (const AnsiString& e : errors)
        AddScriptError(out, object, property, e);
}

// Whether an expression's brackets, parentheses and quotes close; the message names what is open.
AnsiString ExpressionProblem(std::string_view expression) {
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < expression.size(); i += CharLengthAt(expression, i)) {
        const char c = expression[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth < 0) {
            return "\")\" without a matching \"(\"";
        }
    }
    if (quote) return "unterminated quote";
    if (depth > 0) return "missing \")\"";
    return {};
}

// Each "[...]" group of each line; groups may nest, the outermost is checked as one expression.
void CheckBrackets(std::vector<TVNCheckProblem>& out, const AnsiString& object, const char* property,
                   const TVNStrings& lines) {
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const std::string_view text = lines[l];
        for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '[') {
                ++i;
                continue;
            }
            if (text[i] != '[') continue;
            const std::size_t close = MatchBracket(text, i);
            AnsiString message;
            if (close >= text.size())
                message = "\"[\" is never closed";
            else
                message = ExpressionProblem(text.substr(i + 1, close - i - 1));
            if (!message.empty())
                out.push_back({object, property, int(l) + 1, int(i) + 1, message + " in [" +
                               AnsiString(text.substr(i + 1, close >= text.size() ? AnsiString::npos
                                                                                  : close - i - 1)) + "]"});
            if (close >= text.size()) break;
            i = close;
        }
    }
}

} // namespace

std::vector<TVNCheckProblem> CheckReport(TVNReport& report) {
    std::vector<TVNCheckProblem> out;
    TVNInterpretator interpretator;
    for (int p = 0; p < report.Pages.Count(); ++p) {
        TVNPage& page = report.Pages[p];
        const AnsiString pageName = page.Name.empty() ? "Page" + std::to_string(p + 1) : page.Name;
        CheckScript(out, interpretator, pageName, "OnBeforePrint", page.OnBeforePrint);
        for (TVNView* v : page.Objects) {
            CheckScript(out, interpretator, v->Name, "OnBeforePrint", v->OnBeforePrint);
            CheckScript(out, interpretator, v->Name, "OnAfterPrint", v->OnAfterPrint);
            CheckBrackets(out, v->Name, "Memo", v->Memo);
            if (auto* memo = dynamic_cast<TVNMemoView*>(v); memo && !memo->HighlightCondition.empty()) {
                const AnsiString problem = ExpressionProblem(memo->HighlightCondition);
                if (!problem.empty()) out.push_back({v->Name, "Highlight", 1, 1, problem});
            }
            // A picture that cannot be decoded prints as an empty frame without a word.
            if (auto* picture = dynamic_cast<TVNPictureView*>(v)) {
                const AnsiString problem = picture->DecodeProblem();
                if (!problem.empty()) out.push_back({v->Name, "Picture", 0, 0, CP936("图片无法显示：") + problem});
            }
        }
    }
    return out;
}

AnsiString ProblemText(const TVNCheckProblem& problem) {
    AnsiString text = problem.Object + "." + problem.Property;
    if (problem.Line > 0)
        text += " line " + std::to_string(problem.Line) + "/" + std::to_string(problem.Column);
    return text + ": " + problem.Message;
}
