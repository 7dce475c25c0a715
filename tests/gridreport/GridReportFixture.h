// A small goods list in the host's data grid, and the generated report's built pages read back
// as decoded views (text, position, size) for the grid report tests.
#pragma once

#include "report/gridreport/VNFormReport.h"

#include "controls/AdvDBGridQx.h"
#include "report/VNEMFPages.h"
#include "report/VNMemoView.h"
#include "report/VNRichView.h"

#include "platform/MemDataSet.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

inline QApplication& GridTestApp() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "gridreport_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// One printed view as a built page holds it.
struct TPrinted {
    AnsiString Text; // lines joined with "|" (a rich-text view: its plain text)
    int Left, Top, Width, Height;
    std::string Kind; // the view's class name
    int Alignment = 0; // a memo's alignment (vntaLeftJustify ...)
};

// The views of a built page of the generated report, in the order the page holds them.
inline std::vector<TPrinted> PrintedViews(TVNFormReport& report, int index) {
    TVNEMFPages& pages = *report.Report().EMFPages;
    pages.DecodePage(index);
    std::vector<TPrinted> out;
    for (TVNView* v : pages.Page(index).DecodedPage->Objects) {
        AnsiString text;
        for (std::size_t i = 0; i < v->Memo.size(); ++i) {
            if (i) text += "|";
            for (char c : v->Memo[i])
                if (c != '\x01') text += c;
        }
        if (auto* rich = dynamic_cast<TVNRichView*>(v)) text = rich->Document().PlainText();
        auto* memo = dynamic_cast<TVNMemoView*>(v);
        out.push_back({text, v->Left, v->Top, v->Width, v->Height, v->ClassName(), memo ? memo->Alignment() : 0});
    }
    pages.Page(index).DecodedPage.reset();
    return out;
}

// The texts of the views at the same top as the first view showing `text`.
inline std::vector<AnsiString> RowOfText(const std::vector<TPrinted>& views, const AnsiString& text) {
    int top = -1;
    for (auto& v : views)
        if (v.Text == text) {
            top = v.Top;
            break;
        }
    std::vector<AnsiString> out;
    for (auto& v : views)
        if (v.Top == top) out.push_back(v.Text);
    return out;
}

struct TGridFixture {
    std::shared_ptr<TMemDataSet> Data = std::make_shared<TMemDataSet>();
    std::unique_ptr<TAdvDBGridQx> Grid;
    TVNFormReport Report;

    // rows: code, name, qty, amount; columns Code, Name, Qty, Amount (sum footer), Note (hidden).
    TGridFixture(int rows = 5, std::vector<int> widths = {60, 120, 60, 90, 80}) {
        GridTestApp();
        Data->AddField("code", TFieldType::String, 10);
        Data->AddField("name", TFieldType::String, 20);
        Data->AddField("qty", TFieldType::Integer);
        TField& amount = Data->AddField("amount", TFieldType::Float);
        amount.DisplayFormat = "#,##0.00";
        Data->AddField("note", TFieldType::String, 20);
        Data->Open();
        for (int i = 1; i <= rows; ++i)
            Data->AppendRecord({Value(AnsiString("00") + std::to_string(i)), Value("item" + std::to_string(i)),
                                Value(i), Value::Float(1000.25 * i), Value("n" + std::to_string(i))});
        Grid = std::make_unique<TAdvDBGridQx>();
        Grid->resize(600, 300);
        std::vector<TGridColumn> columns;
        const char* fields[] = {"code", "name", "qty", "amount", "note"};
        const char* titles[] = {"Code", "Name", "Qty", "Amount", "Note"};
        for (std::size_t i = 0; i < 5; ++i) {
            TGridColumn c;
            c.FieldName = fields[i];
            c.Title = titles[i];
            c.Width = widths[i];
            columns.push_back(c);
        }
        columns[4].Visible = false;
        columns[3].FooterType = TFooterValueType::Sum;
        columns[0].FooterType = TFooterValueType::StaticText;
        columns[0].FooterText = "Total";
        Grid->SetColumns(columns);
        Grid->SetDataSet(Data);
        Report.PrintControl = Grid.get();
        Report.ShowProgress = false;
        Report.ShowPrintDialog = false;
    }

    int PageCount() { return Report.Report().EMFPages ? Report.Report().EMFPages->Count() : 0; }

    std::vector<TPrinted> Page(int index) { return PrintedViews(Report, index); }

    // Texts on a built page, top to bottom and left to right as printed.
    std::vector<AnsiString> Texts(int index) {
        std::vector<AnsiString> out;
        for (auto& p : Page(index))
            out.push_back(p.Text);
        return out;
    }

    // The texts of the views printed at the same top as the first view showing `text`.
    std::vector<AnsiString> RowOf(int index, const AnsiString& text) { return RowOfText(Page(index), text); }
};
