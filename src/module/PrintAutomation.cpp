// The module's scripted print entry (see coordisp/PrintAutomation.h): chooses the print mode and
// template on the form as a clerk would, then runs the form's own print path with the request's
// target instead of the window or the printer the buttons use.
#include "GusvakModule.h"
#include "UnitGusvak.h"
#include "coordisp/PrintAutomation.h"

#include "report/export/VNExportFilter.h"
#include "report/export/VNExportFormats.h"
#include "report/output/VNPreviewForm.h"

#include "platform/MessageService.h"

#include <QComboBox>
#include <QFileInfo>
#include <QRadioButton>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// While a scripted print runs: the print button's confirmation is answered OK (and still shown
// where the run logs its boxes); every other box goes to the service installed before.
class TConfirmingMessages final : public IMessageService {
public:
    TConfirmingMessages() : FPrevious(Messages()), FScope(*this) {}
    TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                           TMsgButtons buttons) override {
        if (buttons != TMsgButtons::OKCancel) return FPrevious.ShowMessage(text, caption, icon, buttons);
        std::fprintf(stderr, "gusvak: %s: %s (OK)\n", AnsiToUtf8(caption).c_str(), AnsiToUtf8(text).c_str());
        return TMsgResult::OK;
    }
    int ChoiceBox(const AnsiString& caption, const AnsiString& prompt, const std::vector<AnsiString>& choices,
                  int preselected) override {
        return FPrevious.ChoiceBox(caption, prompt, choices, preselected);
    }
    std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                       const AnsiString& defaultText) override {
        return FPrevious.InputBox(caption, prompt, defaultText);
    }

private:
    IMessageService& FPrevious;
    TMessageServiceScope FScope;
};

std::string Utf8(const char* text) {
    return text ? std::string(text) : std::string();
}

// Picks the print mode and the template the request names, through the form's own handlers.
void ChooseMode(TFrmGusvak& form, const TSheetPrintRequest& request) {
    if (request.Mode == SheetPrintNormal) {
        form.rdoNormalClick();
        return;
    }
    if (!form.rdoMuban->isEnabled()) throw std::runtime_error("the host offers no print template for the sheet");
    form.rdoMubanClick();
    const std::string name = Utf8(request.TemplateName);
    if (name.empty()) return;
    const int index = form.cmbPrint->findText(QString::fromStdString(name), Qt::MatchFixedString);
    if (index < 0) {
        std::string names;
        for (int i = 0; i < form.cmbPrint->count(); ++i)
            names += (i ? ", \"" : "\"") + form.cmbPrint->itemText(i).toStdString() + "\"";
        throw std::runtime_error("no print template \"" + name + "\"; templates: " + names);
    }
    form.cmbPrint->setCurrentIndex(index);
}

int Run(const TSheetPrintRequest& request, int& pages) {
    TFrmGusvak* form = GusvakModule::FrmGusvak;
    if (!form) throw std::runtime_error("the stocktake sheet form is not open");
    if (request.Mode != SheetPrintNormal && request.Mode != SheetPrintTemplate)
        throw std::runtime_error("unknown print mode");
    // Normal print and printing need the lines; saying so beats an empty report.
    if ((request.Mode == SheetPrintNormal || request.Action == SheetPrintToPrinter) && !form->LinesOpen())
        throw std::runtime_error("no sheet is loaded");
    ChooseMode(*form, request);

    TSheetPrintTarget target;
    std::unique_ptr<TVNExportFilter> filter;
    const std::string file = Utf8(request.FileName);
    switch (request.Action) {
    case SheetPrintExport: {
        std::vector<std::pair<std::string, std::string>> options;
        for (const char* const* o = request.Options; o && *o; ++o) {
            const std::string text = *o;
            const auto eq = text.find('=');
            if (eq == std::string::npos || eq == 0)
                throw std::runtime_error("an export option is NAME=VALUE, not \"" + text + "\"");
            options.emplace_back(text.substr(0, eq), text.substr(eq + 1));
        }
        if (file.empty()) throw std::runtime_error("no export file given");
        // A scripted run opens no viewer on the written file unless the script asks for one.
        if (const TVNExportFormat* format = FindExportFormat(Utf8(request.Format)))
            for (const TVNExportOption& o : format->Make()->Options())
                if (o.Name == "ShowAfterExport") options.insert(options.begin(), {o.Name, "false"});
        filter = MakeExportFilter(Utf8(request.Format), options);
        target.Kind = TSheetPrintTarget::Export;
        target.Filter = filter.get();
        target.FileName = file;
        break;
    }
    case SheetPrintToPrinter:
        target.Kind = TSheetPrintTarget::Print;
        break;
    case SheetPrintPreviewScreenshot:
        if (file.empty()) throw std::runtime_error("no screenshot file given");
        QFile::remove(QString::fromStdString(file));
        TVNPreviewForm::SetStartup(QString(), QString::fromStdString(file));
        target.Kind = TSheetPrintTarget::Preview;
        break;
    default:
        throw std::runtime_error("unknown print action");
    }
    if (target.Kind == TSheetPrintTarget::Print) {
        TConfirmingMessages confirming;
        form->ConfirmAndPrint(target);
    } else {
        form->RunPrint(target);
    }
    pages = target.Pages;
    if (request.Action == SheetPrintPreviewScreenshot) {
        TVNPreviewForm::SetStartup(QString(), QString()); // a preview that never opened must not keep it
        target.Written = QFileInfo::exists(QString::fromStdString(file));
    }
    if (pages == 0) throw std::runtime_error("the report has no pages");
    if (!target.Written)
        throw std::runtime_error(request.Action == SheetPrintToPrinter ? "the report was not printed"
                                                                       : "nothing was written");
    return 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int GusvakPrintSheet(const TSheetPrintRequest* request,
                                                                       int* pages, char* error,
                                                                       std::size_t errorSize) {
    int built = 0;
    std::string problem;
    try {
        if (!request) throw std::runtime_error("no request");
        Run(*request, built);
    } catch (const std::exception& e) {
        problem = e.what();
    }
    if (pages) *pages = built;
    if (error && errorSize > 0) {
        const std::size_t n = std::min(problem.size(), errorSize - 1);
        std::memcpy(error, problem.data(), n);
        error[n] = '\0';
    }
    return problem.empty() ? 0 : 1;
}

static_assert(std::is_same_v<decltype(&GusvakPrintSheet), TPrintSheetProc>);
