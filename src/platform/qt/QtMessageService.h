// The message service on Qt dialogs: QMessageBox for messages and confirmations, QInputDialog for
// the choice box (a drop-down list) and the input box.
//
// Texts arrive in CP936 and are shown as plain text (never interpreted as rich text, so a "<" in
// data shows as "<"); CR LF line breaks become one break. The buttons carry the system's captions
// "确认(&O)", "取消", "是(&Y)" and "不(&N)". Closing a box without a button (Escape, the window's
// close button) gives the dismissing answer of DismissAnswer. The dialogs are modal and owned by
// the parent widget given here, or by the active window when there is none.
#pragma once

#include "platform/MessageService.h"

#include <QPointer>
#include <QWidget>
#include "QtText.h"

#include <QString>

class QWidget;


class TQtMessageService : public IMessageService {
public:
    explicit TQtMessageService(QWidget* parent = nullptr);

    void SetParentWidget(QWidget* parent) { FParent = parent; }
    QWidget* ParentWidget() const { return FParent; }

    TMsgResult ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                           TMsgButtons buttons) override;
    int ChoiceBox(const AnsiString& caption, const AnsiString& prompt, const std::vector<AnsiString>& choices,
                  int preselected) override;
    std::optional<AnsiString> InputBox(const AnsiString& caption, const AnsiString& prompt,
                                       const AnsiString& defaultText) override;

private:
    QPointer<QWidget> FParent;

    QWidget* Owner() const;
};

// The process-wide Qt service, installed with SetMessageService on the first call; later calls
// only change its owner window when one is given. Call it once the QApplication exists.
TQtMessageService& InstallQtMessageService(QWidget* owner = nullptr);
