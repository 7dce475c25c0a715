// Every message box, confirmation, choice box and input box of the system goes through one
// service, so that the Qt side shows real dialogs and tests (and headless tools) answer them.
//
// Texts are CP936. The wrappers use the system's captions: "信息" with the information icon,
// "警告" with the warning icon, "错误" with the error icon and "询问" (Yes/No, question icon).
//
// Messages() is the service in use. The Qt side installs its service at start-up with
// SetMessageService. Until one is installed (command-line tools, unit tests of the engine) a
// fallback answers: it records what was shown and gives the dismissing answer, so nothing blocks.
//
// The dismissing answer (DismissAnswer) is what closing the box without a choice gives: OK for a
// box with only OK, otherwise Cancel where offered, else No; -1 for a choice box and no text for
// an input box. A process that nobody watches therefore never confirms anything by default.
#pragma once

#include "AnsiString.h"

#include <deque>
#include <optional>
#include <string>
#include <variant>
#include <vector>

enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class TMsgResult { None, OK, Cancel, Yes, No };

TMsgResult DismissAnswer(TMsgButtons buttons);
// True when the box offers the answer.
bool OffersAnswer(TMsgButtons buttons, TMsgResult answer);

// The system's standard captions, in CP936.
const AnsiString& InformationCaption(); // "信息"
const AnsiString& WarningCaption();     // "警告"
const AnsiString& ErrorCaption();       // "错误"
const AnsiString& QuestionCaption();    // "询问"

class IMessageService {
public:
    virtual ~IMessageService() = default;

    virtual TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                                   TMsgButtons buttons) = 0;
    // The index of the chosen entry, or -1 when cancelled. preselected may be -1 (none).
    virtual int ChoiceBox(const AnsiString& caption, const AnsiString& prompt,
                          const std::vector<AnsiString>& choices, int preselected) = 0;
    // The entered text, or nothing when cancelled.
    virtual std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                               const AnsiString& defaultText) = 0;

    // OK boxes with the standard captions and icons (or a caption of the caller's).
    void Information(const AnsiString& text) { Information(text, InformationCaption()); }
    void Information(const AnsiString& text, const AnsiString& caption);
    void Warning(const AnsiString& text) { Warning(text, WarningCaption()); }
    void Warning(const AnsiString& text, const AnsiString& caption);
    void Error(const AnsiString& text) { Error(text, ErrorCaption()); }
    void Error(const AnsiString& text, const AnsiString& caption);
    // Yes/No with the question icon; true for Yes.
    bool Confirm(const AnsiString& text) { return Confirm(text, QuestionCaption()); }
    bool Confirm(const AnsiString& text, const AnsiString& caption);
};

// The service in use: the installed one, else the fallback.
IMessageService& Messages();
// Installs a service (not owned; nullptr goes back to the fallback). Returns the previous one.
IMessageService* SetMessageService(IMessageService* service);

enum class TMsgKind { Message, Choice, Input };

// One box as it was shown, with the answer it got.
struct TShownMessage {
    TMsgKind Kind = TMsgKind::Message;
    AnsiString Caption;
    AnsiString Text; // the message, or the prompt of a choice or input box
    TMsgIcon Icon = TMsgIcon::None;
    TMsgButtons Buttons = TMsgButtons::OK;
    std::vector<AnsiString> Choices;
    int Preselected = -1;
    AnsiString DefaultText;
    // False when no fitting scripted answer was waiting and the dismissing answer was given.
    bool Scripted = false;
    TMsgResult Result = TMsgResult::None;
    int Choice = -1;
    std::optional<AnsiString> Input;
};

// Answers from a script the test fills beforehand and records every box shown. An answer that
// does not fit the next box (the wrong kind of box, a button the box lacks, a choice index out of
// range) is left in the queue; the box gets the dismissing answer and is recorded as unscripted,
// so a test sees at once that the dialogs did not come in the expected order.
class TScriptedMessageService : public IMessageService {
public:
    void Expect(TMsgResult answer) { FAnswers.emplace_back(answer); }
    void ExpectChoice(int index) { FAnswers.emplace_back(TChoiceAnswer{index}); }
    void ExpectInput(std::optional<AnsiString> text) { FAnswers.emplace_back(TInputAnswer{std::move(text)}); }

    TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                           TMsgButtons buttons) override;
    int ChoiceBox(const AnsiString& caption, const AnsiString& prompt, const std::vector<AnsiString>& choices,
                  int preselected) override;
    std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                       const AnsiString& defaultText) override;

    const std::vector<TShownMessage>& Shown() const { return FShown; }
    // Boxes that got no fitting scripted answer.
    std::size_t UnscriptedCount() const;
    // Scripted answers not used yet.
    std::size_t PendingAnswers() const { return FAnswers.size(); }
    void Clear();

private:
    struct TChoiceAnswer {
        int Index;
    };
    struct TInputAnswer {
        std::optional<AnsiString> Text;
    };
    using TAnswer = std::variant<TMsgResult, TChoiceAnswer, TInputAnswer>;

    std::deque<TAnswer> FAnswers;
    std::vector<TShownMessage> FShown;
};

// For a process nobody watches (an unattended window run): every box is written to stderr as
// "PREFIX: caption: text" in UTF-8 and gets its dismissing answer; error boxes are counted.
class TLogMessageService : public IMessageService {
public:
    explicit TLogMessageService(std::string prefix) : FPrefix(std::move(prefix)) {}
    TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                           TMsgButtons buttons) override;
    int ChoiceBox(const AnsiString& caption, const AnsiString& prompt, const std::vector<AnsiString>& choices,
                  int preselected) override;
    std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                       const AnsiString& defaultText) override;
    int Errors() const { return FErrors; }

private:
    std::string FPrefix;
    int FErrors = 0;
};

// The environment variable a host sets for a run nobody watches; a plug-in loaded into that
// process (which has its own copy of the installed service) then logs its boxes the same way.
inline constexpr const char* UnattendedEnvironment = "GUSVAK_UNATTENDED";

// Installs a service for the lifetime of a scope and restores the previous one afterwards.
class TMessageServiceScope {
public:
    explicit TMessageServiceScope(IMessageService& service) : FPrevious(SetMessageService(&service)) {}
    ~TMessageServiceScope() { SetMessageService(FPrevious); }
    TMessageServiceScope(const TMessageServiceScope&) = delete;
    TMessageServiceScope& operator=(const TMessageServiceScope&) = delete;

private:
    IMessageService* FPrevious;
};
