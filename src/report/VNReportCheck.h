// What a report author wants to know before a build: every script and every bracketed expression
// of the report compiled, and each problem listed with the object, the property and the place in
// the text. A build keeps only its first error and drops a script that does not compile, so
// without this an author never hears of a broken script. Pictures that cannot be decoded (they
// print as empty frames) are listed with the decoder's reason.
#pragma once

#include "platform/AnsiString.h"

#include <vector>

class TVNReport;

struct TVNCheckProblem {
    AnsiString Object;   // the view's, band's or page's name
    AnsiString Property; // "OnBeforePrint", "OnAfterPrint", "Memo", "Highlight", "Picture"
    int Line = 0;        // 1-based line of the property's text
    int Column = 0;      // 1-based byte column in that line
    AnsiString Message;
};

std::vector<TVNCheckProblem> CheckReport(TVNReport& report);

// "Page1.Memo1.OnBeforePrint line 2/5: message" style, in CP936.
AnsiString ProblemText(const TVNCheckProblem& problem);
