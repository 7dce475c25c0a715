// CUPS queues through libcups, jobs drawn by Qt into a temporary PDF and submitted by libcups.
#include "VNCupsPrintPlatform.h"

#include "report/print/VNPrinter.h"

#include "platform/qt/QtCanvas.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The destinations list, freed with the object.
struct TDests {
    cups_dest_t* List = nullptr;
    int Count = 0;
    TDests() { Count = cupsGetDests2(CUPS_HTTP_DEFAULT, &List); }
    ~TDests() { cupsFreeDests(Count, List); }
    cups_dest_t* Find(const std::string& name) const { return cupsGetDest(name.c_str(), nullptr, Count, List); }
    TDests(const TDests&) = delete;
    TDests& operator=(const TDests&) = delete;
};

AnsiString FromUtf8(const char* s) {
    return s ? Utf8ToAnsi(s) : AnsiString();
}

const char* Option(const cups_dest_t* dest, const char* name) {
    return cupsGetOption(name, dest->num_options, dest->options);
}

// A readable name for a standard media name ("iso_a4_210x297mm" -> "A4", "jis_b5_..." ->
// "JIS B5", "na_letter_..." -> "Letter") when the queue has no translation of its own.
std::string MediaDisplayName(std::string key) {
    // A paper printed to its edges is named as the paper: its zero margins already say so.
    const std::string borderless = "_borderless";
    if (key.size() > borderless.size() && key.compare(key.size() - borderless.size(), borderless.size(), borderless) == 0)
        key.resize(key.size() - borderless.size());
    const auto first = key.find('_'), last = key.rfind('_');
    if (first == std::string::npos || last == first) return key;
    const std::string cls = key.substr(0, first), size = key.substr(last + 1);
    std::string name = key.substr(first + 1, last - first - 1);
    auto upper = [](std::string t) {
        for (char& c : t)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        return t;
    };
    if (cls == "custom") return size;
    if (cls == "iso") return (name[0] == 'b' ? "ISO " + upper(name) : upper(name));
    if (cls == "jis") return "JIS " + upper(name);
    if (cls == "na" || cls == "om" || cls == "oe" || cls == "prc" || cls == "roc" || cls == "jpn") {
        name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
        return name;
    }
    return key;
}

// The queue's translation of a keyword, or the keyword made readable ("bottom" -> "Bottom").
AnsiString Readable(const char* localized, const char* key) {
    if (localized && std::strcmp(localized, key) != 0) return FromUtf8(localized);
    std::string t = key;
    if (!t.empty()) t[0] = char(std::toupper(static_cast<unsigned char>(t[0])));
    for (char& c : t)
        if (c == '-') c = ' ';
    return FromUtf8(t.c_str());
}

} // namespace

std::vector<AnsiString> TVNCupsPrintPlatform::Queues() {
    TDests dests;
    std::vector<AnsiString> out;
    for (int i = 0; i < dests.Count; ++i)
        if (!dests.List[i].instance) out.push_back(FromUtf8(dests.List[i].name));
    return out;
}

AnsiString TVNCupsPrintPlatform::DefaultQueue() {
    TDests dests;
    for (int i = 0; i < dests.Count; ++i)
        if (dests.List[i].is_default) return FromUtf8(dests.List[i].name);
    return {};
}

bool TVNCupsPrintPlatform::QueueInfo(const AnsiString& queue, TPrintQueueInfo& info) {
    TDests dests;
    cups_dest_t* dest = dests.Find(AnsiToUtf8(queue));
    if (!dest) return false;
    cups_dinfo_t* dinfo = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (!dinfo) return false;
    info = TPrintQueueInfo{};
    info.Driver = FromUtf8(Option(dest, "printer-make-and-model"));
    info.Location = FromUtf8(Option(dest, "printer-location"));
    info.Comment = FromUtf8(Option(dest, "printer-info"));
    if (const char* type = Option(dest, "printer-type")) info.Color = (std::strtoul(type, nullptr, 10) & CUPS_PRINTER_COLOR) != 0;
    if (ipp_attribute_t* res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, dinfo, "printer-resolution")) {
        ipp_res_t units;
        int y = 0;
        int x = ippGetResolution(res, 0, &y, &units);
        if (units == IPP_RES_PER_CM) x = int(std::lround(x * 2.54));
        if (x > 0) info.Resolution = x;
    }
    const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, dinfo, CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < count; ++i) {
        cups_size_t size;
        if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, dinfo, i, CUPS_MEDIA_FLAGS_DEFAULT, &size)) continue;
        TPrintMedia m;
        m.Key = size.media;
        const char* localized = cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, dest, dinfo, CUPS_MEDIA_FLAGS_DEFAULT, &size);
        m.Name = localized && std::strcmp(localized, size.media) != 0 ? FromUtf8(localized)
                                                                      : FromUtf8(MediaDisplayName(size.media).c_str());
        // Sizes come in hundredths of a millimetre.
        m.Width = (size.width + 5) / 10;
        m.Height = (size.length + 5) / 10;
        m.Left = size.left;
        m.Top = size.top;
        m.Right = size.right;
        m.Bottom = size.bottom;
        info.Media.push_back(m);
    }
    cups_size_t def;
    if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, dinfo, CUPS_MEDIA_FLAGS_DEFAULT, &def)) info.DefaultMedia = def.media;
    if (ipp_attribute_t* sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, dinfo, "media-source"))
        for (int i = 0; i < ippGetCount(sources); ++i) {
            const char* key = ippGetString(sources, i, nullptr);
            if (!key) continue;
            info.Slots.push_back(
                {key, Readable(cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, dinfo, "media-source", key), key)});
        }
    cupsFreeDestInfo(dinfo);
    return true;
}

TPrintQueueState TVNCupsPrintPlatform::QueueState(const AnsiString& queue) {
    TPrintQueueState st;
    const std::string name = AnsiToUtf8(queue);
    TDests dests;
    cups_dest_t* dest = dests.Find(name);
    if (!dest) {
        st.State = TPrintQueueState::Stopped;
        return st;
    }
    const char* state = Option(dest, "printer-state");
    const int s = state ? std::atoi(state) : IPP_PSTATE_IDLE;
    st.State = s == IPP_PSTATE_STOPPED ? TPrintQueueState::Stopped
               : s == IPP_PSTATE_PROCESSING ? TPrintQueueState::Printing
                                            : TPrintQueueState::Idle;
    st.Reason = FromUtf8(Option(dest, "printer-state-message"));
    cups_job_t* jobs = nullptr;
    st.Jobs = std::max(0, cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.c_str(), 0, CUPS_WHICHJOBS_ACTIVE));
    cupsFreeJobs(st.Jobs, jobs);
    return st;
}

namespace {

class TCupsJob : public IPrintJob {
public:
    explicit TCupsJob(const TPrintJobSettings& s) : FSettings(s), FPrinter(QPrinter::HighResolution) {}
    ~TCupsJob() override { Abort(); }

    bool Open(AnsiString& error) {
        FFile.setFileTemplate(QDir::tempPath() + "/vnprint-XXXXXX.pdf");
        if (!FFile.open()) {
            error = Utf8ToAnsi(FFile.errorString().toStdString());
            return false;
        }
        FFile.close();
        FPrinter.setOutputFormat(QPrinter::PdfFormat);
        FPrinter.setOutputFileName(FFile.fileName());
        FPrinter.setDocName(QString::fromStdString(AnsiToUtf8(FSettings.Title)));
        FPrinter.setResolution(FSettings.Resolution);
        FPrinter.setFullPage(true);
        // One copy always: the engine has made the copies it wants.
        FPrinter.setCopyCount(1);
        const QPageSize size(QSizeF(FSettings.Width / 10.0, FSettings.Height / 10.0), QPageSize::Millimeter,
                             QString(), QPageSize::ExactMatch);
        FPrinter.setPageLayout(QPageLayout(size, FSettings.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                           QMarginsF(0, 0, 0, 0)));
        return true;
    }

    ICanvas& Canvas() override { return *FCanvas; }

    void StartPage() override {
        if (!FPainter.isActive()) {
            if (!FPainter.begin(&FPrinter)) return;
        } else
            FPrinter.newPage();
        FPainter.resetTransform();
        // The device's origin is the printable area's corner, as on a printer's device context.
        FPainter.translate(FSettings.OriginX, FSettings.OriginY);
        if (!FCanvas) FCanvas = std::make_unique<TQtCanvas>(&FPainter, FSettings.Resolution, FSettings.Resolution);
        ++FPages;
    }

    void EndPage() override {}

    TPrintResult Finish() override {
        TPrintResult r;
        FCanvas.reset();
        if (FPainter.isActive()) FPainter.end();
        if (FPages == 0) return r;
        cups_option_t* options = nullptr;
        int n = 0;
        std::string media = AnsiToUtf8(FSettings.MediaKey);
        if (media.empty()) {
            // A paper the queue does not list by name goes by its size.
            char custom[64];
            std::snprintf(custom, sizeof custom, "Custom.%.1fx%.1fmm", FSettings.Width / 10.0, FSettings.Height / 10.0);
            media = custom;
        }
        n = cupsAddOption("media", media.c_str(), n, &options);
        if (!FSettings.SlotKey.empty()) n = cupsAddOption("media-source", AnsiToUtf8(FSettings.SlotKey).c_str(), n, &options);
        n = cupsAddOption("copies", "1", n, &options);
        const std::string queue = AnsiToUtf8(FSettings.Queue);
        const std::string title = AnsiToUtf8(FSettings.Title);
        const QByteArray file = QFile::encodeName(FFile.fileName());
        r.JobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), file.constData(), title.c_str(), n, options);
        cupsFreeOptions(n, options);
        r.Ok = r.JobId > 0;
        if (!r.Ok) r.Reason = FromUtf8(cupsLastErrorString());
        FFile.remove();
        FDone = true;
        return r;
    }

    void Abort() override {
        if (FDone) return;
        FDone = true;
        FCanvas.reset();
        if (FPainter.isActive()) FPainter.end();
        FFile.remove();
    }

private:
    TPrintJobSettings FSettings;
    QPrinter FPrinter;
    QPainter FPainter;
    QTemporaryFile FFile;
    std::unique_ptr<TQtCanvas> FCanvas;
    int FPages = 0;
    bool FDone = false;
};

} // namespace

std::unique_ptr<IPrintJob> TVNCupsPrintPlatform::BeginJob(const TPrintJobSettings& settings, AnsiString& error) {
    auto job = std::make_unique<TCupsJob>(settings);
    if (!job->Open(error)) return nullptr;
    return job;
}

void InstallVNCupsPrinting() {
    static TVNCupsPrintPlatform platform;
    InstallVNPrinting(&platform);
}
