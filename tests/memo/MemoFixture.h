// A report with one page and one memo for the memo layout tests, measured and painted on the
// fixed-metrics canvas (9 pt: em 12, a single byte 6 pixels wide, a double-byte character 12).
#pragma once

#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"
#include "report/VNMemoPaint.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"

#include "platform/FixedCanvas.h"

#include <gtest/gtest.h>

#include <map>

struct TMemoFixture {
    TVNReport Report;
    TVNMemoView* Memo = nullptr;
    std::map<AnsiString, Value> Values;
    TScopedValue<bool> Running{VNState().RunMode, true};

    explicit TMemoFixture(int left = 10, int top = 20, int width = 100, int height = 50) {
        TVNPage& page = Report.Pages.Add();
        Memo = new TVNMemoView;
        Memo->Name = "Memo1";
        Memo->PlaceAt(left, top, width, height);
        Memo->Font.Size = 9;
        page.Add(Memo);
        page.IsBuilding = true; // writes are build-time writes
        Report.ExpressionEvaluator = [this](const AnsiString& e) {
            auto it = Values.find(e);
            return it == Values.end() ? Value(e) : it->second;
        };
    }

    std::vector<std::string> Paint() {
        TFixedCanvas canvas;
        Memo->Paint(&canvas);
        return canvas.Lines();
    }
    // Only the text calls of a paint.
    std::vector<std::string> PaintedTexts() {
        std::vector<std::string> texts;
        for (const std::string& l : Paint())
            if (l.rfind("Text ", 0) == 0) texts.push_back(l);
        return texts;
    }
};

// The lines of a text as CP936 with their 0x01 terminators, from UTF-8 literals.
inline TVNStrings Wrapped(std::initializer_list<const char*> utf8) {
    TVNStrings out;
    for (const char* s : utf8)
        out.push_back(Utf8ToAnsi(s) + VNLineEnd);
    return out;
}
