// The message service switch, the standard wrappers and the scripted service for tests and
// headless runs. See MessageService.h.
#include "MessageService.h"
#include "UnattendedErrors.h"

#include <cstdio>
#include <cstdlib>

namespace {

IMessageService* InstalledService = nullptr;

// Used while no service is installed. It keeps its record (nothing reads it) but stays small:
// a long headless run does not grow without bound.
class TFallbackMessageService : public TScriptedMessageService {
public:
    TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                           TMsgButtons buttons) override {
        Trim();
        return TScriptedMessageService::ShowMessage(text, caption, icon, buttons);
    }
    int ChoiceBox(const AnsiString& caption, const AnsiString& prompt, const std::vector<AnsiString>& choices,
                  int preselected) override {
        Trim();
        return TScriptedMessageService::ChoiceBox(caption, prompt, choices, preselected);
    }
    std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                       const AnsiString& defaultText) override {
        Trim();
        return TScriptedMessageService::InputBox(caption, prompt, defaultText);
    }

private:
    void Trim() {
        if (Shown().size() >= 1000) Clear();
    }
};

TFallbackMessageService& Fallback() {
    static TFallbackMessageService service;
    return service;
}

} // namespace

TMsgResult DismissAnswer(TMsgButtons buttons) {
    switch (buttons) {
    case TMsgButtons::OK:
        return TMsgResult::OK;
    case TMsgButtons::YesNo:
        return TMsgResult::No;
    default:
        return TMsgResult::Cancel;
    }
}

bool OffersAnswer(TMsgButtons buttons, TMsgResult answer) {
    switch (buttons) {
    case TMsgButtons::OK:
        return answer == TMsgResult::OK;
    case TMsgButtons::OKCancel:
        return answer == TMsgResult::OK || answer == TMsgResult::Cancel;
    case TMsgButtons::YesNo:
        return answer == TMsgResult::Yes || answer == TMsgResult::No;
    case TMsgButtons::YesNoCancel:
        return answer == TMsgResult::Yes || answer == TMsgResult::No || answer == TMsgResult::Cancel;
    }
    return false;
}

const AnsiString& InformationCaption() {
    return CP936("信息");
}
const AnsiString& WarningCaption() {
    return CP936("警告");
}
const AnsiString& ErrorCaption() {
    return CP936("错误");
}
const AnsiString& QuestionCaption() {
    return CP936("询问");
}

void IMessageService::Information(const AnsiString& text, const AnsiString& caption) {
    ShowMessage(text, caption, TMsgIcon::Information, TMsgButtons::OK);
}

void IMessageService::Warning(const AnsiString& text, const AnsiString& caption) {
    ShowMessage(text, caption, TMsgIcon::Warning, TMsgButtons::OK);
}

void IMessageService::Error(const AnsiString& text, const AnsiString& caption) {
    ShowMessage(text, caption, TMsgIcon::Error, TMsgButtons::OK);
}

bool IMessageService::Confirm(const AnsiString& text, const AnsiString& caption) {
    return ShowMessage(text, caption, TMsgIcon::Question, TMsgButtons::YesNo) == TMsgResult::Yes;
}

IMessageService& Messages() {
    return InstalledService != nullptr ? *InstalledService : Fallback();
}

IMessageService* SetMessageService(IMessageService* service) {
    IMessageService* previous = InstalledService;
    InstalledService = service;
    return previous;
}

TMsgResult TScriptedMessageService::ShowMessage(const AnsiString& text, const AnsiString& caption,
                                                TMsgIcon icon, TMsgButtons buttons) {
    TShownMessage shown;
    shown.Kind = TMsgKind::Message;
    shown.Caption = caption;
    shown.Text = text;
    shown.Icon = icon;
    shown.Buttons = buttons;
    shown.Result = DismissAnswer(buttons);
    if (!FAnswers.empty()) {
        if (const TMsgResult* answer = std::get_if<TMsgResult>(&FAnswers.front());
            answer != nullptr && OffersAnswer(buttons, *answer)) {
            shown.Result = *answer;
            shown.Scripted = true;
            FAnswers.pop_front();
        }
    }
    FShown.push_back(shown);
    return shown.Result;
}

int TScriptedMessageService::ChoiceBox(const AnsiString& caption, const AnsiString& prompt,
                                       const std::vector<AnsiString>& choices, int preselected) {
    TShownMessage shown;
    shown.Kind = TMsgKind::Choice;
    shown.Caption = caption;
    shown.Text = prompt;
    shown.Buttons = TMsgButtons::OKCancel;
    shown.Choices = choices;
    shown.Preselected = preselected;
    if (!FAnswers.empty()) {
        // -1 is a valid scripted answer: the user cancels.
        if (const TChoiceAnswer* answer = std::get_if<TChoiceAnswer>(&FAnswers.front());
            answer != nullptr && answer->Index >= -1 && answer->Index < static_cast<int>(choices.size())) {
            shown.Choice = answer->Index;
            shown.Scripted = true;
            FAnswers.pop_front();
        }
    }
    shown.Result = shown.Choice >= 0 ? TMsgResult::OK : TMsgResult::Cancel;
    FShown.push_back(shown);
    return shown.Choice;
}

std::optional<AnsiString> TScriptedMessageService::InputBox(const AnsiString& caption,
                                                            const AnsiString& prompt,
                                                            const AnsiString& defaultText) {
    TShownMessage shown;
    shown.Kind = TMsgKind::Input;
    shown.Caption = caption;
    shown.Text = prompt;
    shown.Buttons = TMsgButtons::OKCancel;
    shown.DefaultText = defaultText;
    if (!FAnswers.empty()) {
        if (const TInputAnswer* answer = std::get_if<TInputAnswer>(&FAnswers.front())) {
            shown.Input = answer->Text;
            shown.Scripted = true;
            FAnswers.pop_front();
        }
    }
    shown.Result = shown.Input ? TMsgResult::OK : TMsgResult::Cancel;
    FShown.push_back(shown);
    return shown.Input;
}

std::size_t TScriptedMessageService::UnscriptedCount() const {
    std::size_t count = 0;
    for (const TShownMessage& shown : FShown)
        if (!shown.Scripted) ++count;
    return count;
}

void TScriptedMessageService::Clear() {
    FAnswers.clear();
    FShown.clear();
}

TMsgResult TLogMessageService::ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                                           TMsgButtons buttons) {
    if (icon == TMsgIcon::Error) {
        ++FErrors;
        setenv(UnattendedErrorsEnvironment, "1", 1);
    }
    std::fprintf(stderr, "%s: %s: %s\n", FPrefix.c_str(), AnsiToUtf8(caption).c_str(), AnsiToUtf8(text).c_str());
    return DismissAnswer(buttons);
}

bool AnyUnattendedErrorInProcess() {
    return std::getenv(UnattendedErrorsEnvironment) != nullptr;
}

void ResetUnattendedErrors() {
    unsetenv(UnattendedErrorsEnvironment);
}

int TLogMessageService::ChoiceBox(const AnsiString& caption, const AnsiString& prompt,
                                  const std::vector<AnsiString>&, int) {
    std::fprintf(stderr, "%s: %s: %s (no choice made)\n", FPrefix.c_str(), AnsiToUtf8(caption).c_str(),
                 AnsiToUtf8(prompt).c_str());
    return -1;
}

std::optional<AnsiString> TLogMessageService::InputBox(const AnsiString& caption, const AnsiString& prompt,
                                                       const AnsiString&) {
    std::fprintf(stderr, "%s: %s: %s (no input)\n", FPrefix.c_str(), AnsiToUtf8(caption).c_str(),
                 AnsiToUtf8(prompt).c_str());
    return std::nullopt;
}
