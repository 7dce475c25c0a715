// vnreport render REPORT.vnf [--data NAME=FILE.csv|sqlite:PATH:SELECT ...] [--var NAME=VALUE ...]
//                --out DIR [--vnp FILE]
// Builds a report headless (Qt offscreen) with the named data sets and writes every built page as
// a PNG at 96 dpi, printing the page count and the build time. CSV files are UTF-8 with a header
// row; a column whose values are all whole numbers becomes an integer field, all numbers a float
// field, anything else text. The tool only wires data and canvases to the engine.
#include "CommandRegistry.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"
#include "report/VNReport.h"
#include "report/expr/VNDataset.h"
#include "report/expr/VNEvalContext.h"

#include "platform/MemDataSet.h"
#include "platform/MessageService.h"
#include "platform/qt/QtCanvas.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using TTable = std::vector<std::vector<std::string>>; // header row first, UTF-8

// RFC 4180 style: commas, double quotes doubled inside quoted fields, CR LF or LF rows.
bool ReadCsv(const std::string& fileName, TTable& rows) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (any || !field.empty()) row.push_back(std::move(field));
            if (!row.empty()) rows.push_back(std::move(row));
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) row.push_back(std::move(field));
    if (!row.empty()) rows.push_back(std::move(row));
    return !rows.empty();
}

bool ReadSqlite(const std::string& path, const std::string& select, TTable& rows, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "cannot open";
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* st = nullptr;
    bool ok = sqlite3_prepare_v2(db, select.c_str(), -1, &st, nullptr) == SQLITE_OK;
    if (ok) {
        std::vector<std::string> header;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            header.push_back(sqlite3_column_name(st, c));
        rows.push_back(header);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < int(header.size()); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                row.push_back(t ? reinterpret_cast<const char*>(t) : "");
            }
            rows.push_back(std::move(row));
        }
        ok = rc == SQLITE_DONE;
    }
    if (!ok) error = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return ok;
}

bool IsInteger(const std::string& s) {
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i >= s.size() || s.size() - i > 18) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

bool IsNumber(const std::string& s) {
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return end && *end == '\0' && end != s.c_str();
}

// A data set typed by content.
std::unique_ptr<TMemDataSet> MakeDataSet(const TTable& rows) {
    auto ds = std::make_unique<TMemDataSet>();
    const std::vector<std::string>& header = rows.front();
    std::vector<TFieldType> types;
    for (std::size_t c = 0; c < header.size(); ++c) {
        bool ints = true, numbers = true, any = false;
        for (std::size_t r = 1; r < rows.size(); ++r) {
            if (c >= rows[r].size() || rows[r][c].empty()) continue;
            any = true;
            ints = ints && IsInteger(rows[r][c]);
            numbers = numbers && IsNumber(rows[r][c]);
        }
        TFieldType t = !any      ? TFieldType::String
                       : ints    ? TFieldType::Integer
                       : numbers ? TFieldType::Float
                                 : TFieldType::String;
        types.push_back(t);
        ds->AddField(Utf8ToAnsi(header[c]), t, t == TFieldType::String ? 255 : 0);
    }
    ds->Open();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<Value> values;
        for (std::size_t c = 0; c < header.size(); ++c) {
            const std::string cell = c < rows[r].size() ? rows[r][c] : std::string();
            if (cell.empty() && types[c] != TFieldType::String)
                values.push_back(Value::Null());
            else if (types[c] == TFieldType::Integer)
                values.push_back(Value::Integer(std::strtoll(cell.c_str(), nullptr, 10)));
            else if (types[c] == TFieldType::Float)
                values.push_back(Value::Float(std::strtod(cell.c_str(), nullptr)));
            else
                values.push_back(Value(Utf8ToAnsi(cell)));
        }
        ds->AppendRecord(values);
    }
    ds->First();
    return ds;
}

int Usage() {
    std::fprintf(stderr, "usage: vnreport render REPORT.vnf [--data NAME=FILE.csv|sqlite:PATH:SELECT ...] "
                         "[--var NAME=VALUE ...] --out DIR [--vnp FILE]\n");
    return 2;
}

int RunRender(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string reportFile, outDir, vnpFile;
    std::vector<std::pair<std::string, std::string>> data, vars;
    reportFile = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        auto split = [](const std::string& s, std::pair<std::string, std::string>& kv) {
            auto eq = s.find('=');
            if (eq == std::string::npos || eq == 0) return false;
            kv = {s.substr(0, eq), s.substr(eq + 1)};
            return true;
        };
        std::pair<std::string, std::string> kv;
        if (a == "--data" && split(next(), kv))
            data.push_back(kv);
        else if (a == "--var" && split(next(), kv))
            vars.push_back(kv);
        else if (a == "--out")
            outDir = next();
        else if (a == "--vnp")
            vnpFile = next();
        else
            return Usage();
    }
    if (outDir.empty()) return Usage();

    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    ScreenDPI = 96;

    // Memos are measured with the fonts they are drawn with.
    QImage scratch(8, 8, QImage::Format_RGB32);
    scratch.setDotsPerMeterX(3780);
    scratch.setDotsPerMeterY(3780);
    QPainter scratchPainter(&scratch);
    TQtCanvas measure(&scratchPainter, 96, 96);
    SetVNMeasureCanvas(&measure);

    TScriptedMessageService messages;
    TMessageServiceScope scope(messages);
    auto flushMessages = [&] {
        for (const auto& m : messages.Shown())
            std::fprintf(stderr, "message: %s\n", AnsiToUtf8(m.Text).c_str());
        messages.Clear();
    };

    TVNReport report;
    if (!report.LoadReportFile(reportFile) || !report.LoadMessage.empty()) {
        flushMessages();
        std::fprintf(stderr, "vnreport: cannot load %s\n", reportFile.c_str());
        SetVNMeasureCanvas(nullptr);
        return 1;
    }
    TVNComponent owner(nullptr, "Render");
    report.Owner = &owner;
    std::vector<std::unique_ptr<TMemDataSet>> tables;
    std::vector<std::unique_ptr<TVNDBDataSet>> datasets;
    for (const auto& [name, source] : data) {
        TTable rows;
        std::string error;
        bool ok;
        if (source.rfind("sqlite:", 0) == 0) {
            const auto colon = source.find(':', 7);
            ok = colon != std::string::npos &&
                 ReadSqlite(source.substr(7, colon - 7), source.substr(colon + 1), rows, error);
        } else {
            ok = ReadCsv(source, rows);
        }
        if (!ok) {
            std::fprintf(stderr, "vnreport: cannot read data %s %s\n", source.c_str(), error.c_str());
            SetVNMeasureCanvas(nullptr);
            return 1;
        }
        tables.push_back(MakeDataSet(rows));
        auto ds = std::make_unique<TVNDBDataSet>(&owner, Utf8ToAnsi(name));
        ds->SetDataSet(tables.back().get());
        datasets.push_back(std::move(ds));
    }
    for (const auto& [name, value] : vars)
        EngineVariables().SetVariable(Utf8ToAnsi(name), Value(Utf8ToAnsi(value)));
    report.ShowProgress = false;

    const auto start = std::chrono::steady_clock::now();
    const bool built = report.BuildReport();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    flushMessages();
    TVNEMFPages& pages = *report.EMFPages;
    std::printf("pages: %d\nbuild time: %.1f ms\n", pages.Count(), ms);

    QDir().mkpath(QString::fromStdString(outDir));
    for (int i = 0; i < pages.Count(); ++i) {
        TVNPreparedPage& page = pages.Page(i);
        const int w = page.Metrics.PaperWidthPx > 0 ? page.Metrics.PaperWidthPx : 794;
        const int h = page.Metrics.PaperHeightPx > 0 ? page.Metrics.PaperHeightPx : 1123;
        QImage image(w, h, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            TQtCanvas canvas(&painter, 96, 96);
            page.Visible = 1; // DrawPage skips pages that are not on screen
            pages.DrawPage(i, canvas, TRect{0, 0, w, h});
            page.Visible = 0;
        }
        char name[32];
        std::snprintf(name, sizeof name, "page-%03d.png", i + 1);
        const QString path = QDir(QString::fromStdString(outDir)).filePath(QString::fromLatin1(name));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "vnreport: cannot write %s\n", path.toLocal8Bit().constData());
            SetVNMeasureCanvas(nullptr);
            return 1;
        }
    }
    if (!vnpFile.empty() && !report.SaveBuiltPages(vnpFile)) {
        std::fprintf(stderr, "vnreport: cannot write %s\n", vnpFile.c_str());
        SetVNMeasureCanvas(nullptr);
        return 1;
    }
    SetVNMeasureCanvas(nullptr);
    return built ? 0 : 1;
}

TCommandRegistrar
    reg("render",
        "render REPORT.vnf [--data NAME=FILE.csv|sqlite:PATH:SELECT ...] [--var NAME=VALUE ...] "
        "--out DIR [--vnp FILE]",
        &RunRender);

} // namespace
