// Small reports built in code for the band engine tests: an A4 page (794 x 1123 report pixels,
// margins 57/76/737/1047), a table of goods rows reachable as the data set "Lines", and the built
// pages read back as decoded views.
#pragma once

#include "report_model/ReportFixture.h"

#include "report/VNEMFPages.h"
#include "report/expr/VNDataset.h"

#include "platform/MemDataSet.h"

#include <string>
#include <vector>

// One written view as the built page holds it.
struct TWritten {
    AnsiString Name;
    AnsiString Text; // lines joined with "|", line terminators removed
    int Left, Top, Width, Height;
};

inline AnsiString PlainText(const TVNStrings& lines) {
    AnsiString out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "|";
        for (char c : lines[i])
            if (c != '\x01') out += c;
    }
    return out;
}

struct TEngineFixture {
    TVNComponent Form{nullptr, "EngineForm"};
    TMemDataSet Table;
    TVNDBDataSet Lines{&Form, "Lines"};
    TVNReport Report;
    TMessageRecorder Messages;
    TVNPage* Page = nullptr;

    // rows: (group, name, qty)
    explicit TEngineFixture(const std::vector<std::tuple<AnsiString, AnsiString, int>>& rows = {}) {
        Table.AddField("grp", TFieldType::String, 10);
        Table.AddField("name", TFieldType::String, 20);
        Table.AddField("qty", TFieldType::Integer);
        Table.Open();
        for (auto& [g, n, q] : rows)
            Table.AppendRecord({Value(g), Value(n), Value(q)});
        Lines.SetDataSet(&Table);
        Report.Owner = &Form;
        Page = &AddPage();
    }

    TVNPage& AddPage() {
        TVNPage& p = Report.Pages.Add();
        p.PaperSize = 9;
        p.PaperWidth = 210000;
        p.PaperHeight = 297000;
        p.Orientation = 0;
        return p;
    }

    // Rows named "r1".."rN" in group "g".
    static std::vector<std::tuple<AnsiString, AnsiString, int>> Rows(int n, const AnsiString& g = "g") {
        std::vector<std::tuple<AnsiString, AnsiString, int>> rows;
        for (int i = 1; i <= n; ++i)
            rows.emplace_back(g, "r" + std::to_string(i), i);
        return rows;
    }

    int PageCount() { return Report.EMFPages->Count(); }

    std::vector<TWritten> Views(int page) {
        Report.EMFPages->DecodePage(page);
        std::vector<TWritten> out;
        for (TVNView* v : Report.EMFPages->Page(page).DecodedPage->Objects)
            out.push_back({v->Name, PlainText(v->Memo), v->Left, v->Top, v->Width, v->Height});
        Report.EMFPages->Page(page).DecodedPage.reset();
        return out;
    }

    // Texts of the views named `name` on a page, in written order.
    std::vector<AnsiString> Texts(int page, const AnsiString& name) {
        std::vector<AnsiString> out;
        for (auto& w : Views(page))
            if (w.Name == name) out.push_back(w.Text);
        return out;
    }

    // Every text of views named `name` over all pages, with the page index.
    std::vector<std::pair<int, AnsiString>> AllTexts(const AnsiString& name) {
        std::vector<std::pair<int, AnsiString>> out;
        for (int p = 0; p < PageCount(); ++p)
            for (auto& t : Texts(p, name))
                out.emplace_back(p, t);
        return out;
    }
};
