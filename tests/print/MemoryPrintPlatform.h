// A printing platform held in memory for the engine's own tests: queues with the papers, margins
// and sources a CUPS queue reports, and jobs that keep what was drawn (through the fixed-metrics
// canvas) instead of sending it anywhere. The CUPS implementation is tested against a real
// scheduler elsewhere.
#pragma once

#include "report/print/VNPrinter.h"

#include "platform/FixedCanvas.h"

#include <map>
#include <string>

struct TMemoryDocument {
    TPrintJobSettings Settings;
    std::vector<std::vector<std::string>> Pages; // the recorded canvas lines of each page
    // The texts drawn on each page, in order.
    std::vector<std::string> PageTexts() const {
        std::vector<std::string> out;
        for (auto& page : Pages) {
            std::string t;
            for (auto& line : page) {
                auto q = line.find('"');
                if (line.rfind("Text ", 0) == 0 && q != std::string::npos)
                    t += line.substr(q + 1, line.find('"', q + 1) - q - 1);
            }
            out.push_back(t);
        }
        return out;
    }
};

class TMemoryPrintPlatform : public IPrintPlatform {
public:
    std::map<std::string, TPrintQueueInfo> QueueInfos;
    std::string Default;
    std::vector<TMemoryDocument> Documents; // finished ones
    int Aborted = 0;
    AnsiString RefuseWith; // a reason: every job is refused at Finish

    // A queue like the test scheduler's: A4, A5, JIS B5, ISO B5, Letter with 12 pt margins,
    // sources Upper and Lower, 600 dpi.
    static TPrintQueueInfo TestQueue() {
        TPrintQueueInfo q;
        q.Driver = "VN Test Printer";
        q.Resolution = 600;
        const int m = 423; // 12 pt in hundredths of a mm
        q.Media = {{"A4", "A4", 2100, 2970, m, m, m, m},        {"A5", "A5", 1480, 2100, m, m, m, m},
                   {"B5", "JIS B5", 1820, 2570, m, m, m, m},    {"ISOB5", "ISO B5", 1760, 2500, m, m, m, m},
                   {"Letter", "US Letter", 2159, 2794, m, m, m, m}};
        q.Slots = {{"Upper", "Upper Tray"}, {"Lower", "Lower Tray"}};
        return q;
    }

    std::vector<AnsiString> Queues() override {
        std::vector<AnsiString> out;
        for (auto& [name, info] : QueueInfos)
            out.push_back(name);
        return out;
    }
    AnsiString DefaultQueue() override { return Default; }
    bool QueueInfo(const AnsiString& queue, TPrintQueueInfo& info) override {
        auto it = QueueInfos.find(queue);
        if (it == QueueInfos.end()) return false;
        info = it->second;
        return true;
    }
    TPrintQueueState QueueState(const AnsiString&) override { return {}; }

    class TJob : public IPrintJob {
    public:
        TJob(TMemoryPrintPlatform& p, const TPrintJobSettings& s) : FPlatform(p), FCanvas(s.Resolution, s.Resolution) {
            FDoc.Settings = s;
        }
        ICanvas& Canvas() override { return FCanvas; }
        void StartPage() override { FCanvas.ClearLines(); }
        void EndPage() override { FDoc.Pages.push_back(FCanvas.Lines()); }
        TPrintResult Finish() override {
            if (!FPlatform.RefuseWith.empty()) return {false, 0, FPlatform.RefuseWith};
            FPlatform.Documents.push_back(FDoc);
            return {true, int(FPlatform.Documents.size()), {}};
        }
        void Abort() override { ++FPlatform.Aborted; }

    private:
        TMemoryPrintPlatform& FPlatform;
        TFixedCanvas FCanvas;
        TMemoryDocument FDoc;
    };

    std::unique_ptr<IPrintJob> BeginJob(const TPrintJobSettings& s, AnsiString&) override {
        return std::make_unique<TJob>(*this, s);
    }

    // All pages of all documents, as texts.
    std::vector<std::string> AllPageTexts() const {
        std::vector<std::string> out;
        for (auto& d : Documents)
            for (auto& t : d.PageTexts())
                out.push_back(t);
        return out;
    }
};

// Installs a platform for the life of a test and leaves the engine without one afterwards.
struct TPrintingScope {
    explicit TPrintingScope(IPrintPlatform* p) { InstallVNPrinting(p); }
    ~TPrintingScope() {
        InstallVNPrinting(nullptr);
        SetVNPrinter(nullptr);
    }
};
