// vnreport info FILE: prints what a report, template, dictionary, prepared report or hexadecimal
// template text holds, one item per line, or the loader's message when it cannot be read.
#include "CommandRegistry.h"
#include "EmptyFile.h"

#include "report/VNBandView.h"
#include "report/VNEMFPages.h"
#include "report/VNMemoView.h"
#include "report/VNReportFiles.h"

#include "platform/MessageService.h"

#include <cstdio>
#include <string>

namespace {

std::string U(const AnsiString& s) {
    return AnsiToUtf8(s);
}

std::string Quoted(const TVNStrings& lines) {
    std::string out = "\"";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\\n";
        for (char c : U(lines[i])) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
    }
    return out + "\"";
}

void PrintView(int pageIndex, TVNView& v) {
    std::printf(
        "view page=%d type=%d class=%s name=%s rect=%d,%d,%d,%d flags=0x%04X flags2=0x%08X visible=%d",
        pageIndex, v.TypeCode, v.ClassName(), U(v.Name).c_str(), v.Left, v.Top, v.Width, v.Height,
        unsigned(v.Flags), unsigned(v.Flags2), v.Visible ? 1 : 0);
    if (auto* band = dynamic_cast<TVNBandView*>(&v)) {
        std::printf(" band=%d(%s) datasource=\"%s\"", band->BandType(),
                    U(BandTypeName(band->BandType())).c_str(), U(band->DataSource()).c_str());
    } else {
        std::printf(" memo=%s", Quoted(v.IsPrinting ? v.Memo1 : v.Memo).c_str());
    }
    std::printf("\n");
}

void PrintPage(int index, const TVNPage& p) {
    std::printf(
        "page %d name=%s type=%s paper=%d size=%.3fx%.3fmm orientation=%s margins=%.3f,%.3f,%.3f,%.3fmm "
        "columns=%d columngap=%.3fmm views=%zu\n",
        index, U(p.Name).c_str(), p.PageType == ptDialog ? "dialog" : "report", p.PaperSize,
        p.PaperWidth / 1000.0, p.PaperHeight / 1000.0, p.Orientation ? "landscape" : "portrait",
        p.LeftMargin / 1000.0, p.TopMargin / 1000.0, p.RightMargin / 1000.0, p.BottomMargin / 1000.0,
        p.Columns, p.ColumnGap / 1000.0, p.Objects.size());
}

void PrintReport(TVNReport& r, const char* kind) {
    std::printf("format: %s, version code %d\n", kind, r.LoadedVersionCode);
    const TVNReportInfo& i = r.ReportInfo;
    std::printf("description: title=\"%s\" author=\"%s\" company=\"%s\" copyright=\"%s\" comment=\"%s\"\n",
                U(i.Title).c_str(), U(i.Author).c_str(), U(i.Company).c_str(), U(i.CopyRight).c_str(),
                U(i.Comment).c_str());
    std::printf("pages: %d\n", r.Pages.Count());
    for (int p = 0; p < r.Pages.Count(); ++p)
        PrintPage(p, r.Pages[p]);
    for (int p = 0; p < r.Pages.Count(); ++p)
        for (TVNView* v : r.Pages[p].Objects)
            PrintView(p, *v);
    std::printf("dictionary: variables=%d fieldaliases=%d datasetaliases=%d\n",
                r.Dictionary.Variables.Count(), r.Dictionary.FieldAliases.Count(),
                r.Dictionary.DataSetAliases.Count());
}

int Report(const TScriptedMessageService& messages, bool ok) {
    for (const auto& m : messages.Shown())
        std::printf("message: %s\n", U(m.Text).c_str());
    return ok ? 0 : 1;
}

int RunInfo(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vnreport info FILE\n");
        return 2;
    }
    TVNStream s;
    if (ReportEmptyFile(argv[1])) return 1;
    if (!s.LoadFromFile(argv[1])) {
        std::fprintf(stderr, "vnreport: cannot read %s\n", argv[1]);
        return 1;
    }
    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    const std::string& data = s.Data();
    TVNReport r;
    const TVNFileKind kind = DetectVNFileKind(data);
    if (kind == TVNFileKind::PreparedPages) {
        bool ok = LoadVNFile(r, s, kind);
        std::printf("format: prepared report, version %d\n", data.empty() ? 0 : std::uint8_t(data[0]));
        std::printf("pages: %d backgrounds: %d\n", r.EMFPages->Count(), r.EMFPages->BackgroundCount());
        for (int i = 0; i < r.EMFPages->Count(); ++i) {
            TVNPreparedPage& p = r.EMFPages->Page(i);
            std::printf("page %d paper=%d size=%.1fx%.1fmm orientation=%s bin=%d margins=%d,%d,%d,%d\n", i,
                        p.PaperSize, p.PaperWidth / 10.0, p.PaperHeight / 10.0,
                        p.Orientation ? "landscape" : "portrait", p.Bin, p.Margins.Left, p.Margins.Top,
                        p.Margins.Right, p.Margins.Bottom);
            r.EMFPages->DecodePage(i);
            for (TVNView* v : p.DecodedPage->Objects)
                PrintView(i, *v);
            p.DecodedPage.reset();
        }
        return Report(messages, ok);
    }
    if (kind == TVNFileKind::Dictionary) {
        bool ok = LoadVNFile(r, s, kind);
        const TVNDataDictionary& d = r.Dictionary;
        std::printf("format: dictionary, version %d\n", d.FormatVersion);
        const std::pair<const char*, const TVNDictList*> lists[] = {
            {"variable", &d.Variables}, {"fieldalias", &d.FieldAliases}, {"datasetalias", &d.DataSetAliases}};
        for (auto& [name, list] : lists)
            for (auto& [k, v] : list->Items)
                std::printf("%s \"%s\" = \"%s\"\n", name, U(k).c_str(), U(v).c_str());
        return Report(messages, ok);
    }
    if (kind == TVNFileKind::Template) {
        TVNTemplateInfo info;
        TVNStream copy(data);
        TVNReport::ReadTemplateInfo(copy, info);
        bool ok = LoadVNFile(r, s, kind);
        std::printf("template description: %s preview=%zu bytes\n", Quoted(info.Description).c_str(),
                    info.PreviewBitmap.size());
        PrintReport(r, "template");
        return Report(messages, ok);
    }
    bool ok = LoadVNFile(r, s, kind);
    PrintReport(r, VNFileKindName(kind));
    return Report(messages, ok);
}

TCommandRegistrar reg("info", "info FILE", &RunInfo);

} // namespace
