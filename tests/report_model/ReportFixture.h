// Small reports built in code for the report model tests, and a scope that records the message
// boxes the loaders show.
#pragma once

#include "report/VNBandView.h"
#include "report/VNMemoView.h"
#include "report/VNReport.h"
#include "report/VNStandardViews.h"

#include "platform/MessageService.h"
#include "support/ReportMakers.h"

#include <gtest/gtest.h>

// Records every box shown while it lives.
struct TMessageRecorder {
    TScriptedMessageService Service;
    TMessageServiceScope Scope{Service};
    std::vector<AnsiString> Texts() const {
        std::vector<AnsiString> t;
        for (auto& m : Service.Shown())
            t.push_back(m.Text);
        return t;
    }
};

using reportmakers::AddMemo;
using reportmakers::AddView;

inline TVNBandView* AddBand(TVNPage& page, const AnsiString& name, int type, int top, int height) {
    return reportmakers::AddBand(page, name, type, top, height, 700);
}

// A report with two pages, bands, memos with scripts and frames, a picture, and a dictionary.
inline void BuildSampleReport(TVNReport& r) {
    r.ReportInfo = {"Title", "Author", "Company", "(c)", "Comment"};
    r.DoublePass = true;
    TVNPage& p = r.Pages.Add();
    p.ChangePaper(9, 0, 0, 0, 0xFFFF); // the shared printer may hold another paper
    p.Name = "Page1";
    p.OnBeforePrint = {"A := 1;"};
    AddBand(p, "Band1", bkPageHeader, 40, 30);
    TVNBandView* data = AddBand(p, "Band2", bkMasterData, 100, 24);
    data->FormatText = "5";
    data->Columns = 3;
    data->ChildBand = "Band3";
    AddBand(p, "Band3", bkChild, 140, 20);
    TVNMemoView* m = AddMemo(p, "Memo1", 10, 44, 120, 20, {"Total: [Sum]", "", "line 3"});
    m->SetFrameTyp(15);
    m->TopFrame().Style = fsDoubleLine;
    m->FillColor = clYellow;
    m->OnBeforePrint = {"if a then", "b"};
    m->OnAfterPrint = {"c"};
    m->Tag = "[Tag]";
    m->HighlightCondition = "Value > 0";
    m->MasterMemoView = "Memo2";
    m->Font.Name = CP936("宋体");
    AddMemo(p, "Memo2", 140, 104, 80, 20, {});
    auto* pic = new TVNPictureView;
    pic->Name = "Picture1";
    pic->PlaceAt(300, 44, 50, 50);
    pic->Picture.Kind = pkJPEG;
    pic->Picture.Data = std::string("\xFF\xD8\xFF\xE0 fake", 9);
    pic->BlobType = 1;
    p.Add(pic);
    TVNPage& p2 = r.Pages.Add();
    p2.Name = "Page2";
    p2.ChangePaper(9, 0, 0, 1, 0xFFFF);
    auto* line = new TVNLineView;
    line->Name = "Line1";
    line->PlaceAt(10, 10, 100, 0);
    p2.Add(line);
    r.Dictionary.Variables.Add(" Heading", "");
    r.Dictionary.Variables.Add("Total", "[Qty] * [Price]");
    r.Dictionary.FieldAliases.Add("Lines.\"f_Spbm\"", CP936("商品编码"));
    r.Dictionary.DataSetAliases.Add("Lines", CP936("明细"));
}

inline std::string SaveBytes(TVNReport& r) {
    TVNStream s;
    r.SaveReportStream(s);
    return s.Data();
}
