// Message, confirmation, choice and input boxes on Qt widgets, with the system's button captions.
// See QtMessageService.h.
#include "QtMessageService.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString Utf8Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Message texts of the system end lines with CR LF; a label would show the CR as an extra break.
QString DialogText(const AnsiString& text) {
    QString result = AnsiToQString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

QMessageBox::Icon BoxIcon(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButton BoxButton(TMsgResult result) {
    switch (result) {
    case TMsgResult::OK:
        return QMessageBox::Ok;
    case TMsgResult::Cancel:
        return QMessageBox::Cancel;
    case TMsgResult::Yes:
        return QMessageBox::Yes;
    case TMsgResult::No:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

TMsgResult ResultOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return TMsgResult::OK;
    case QMessageBox::Cancel:
        return TMsgResult::Cancel;
    case QMessageBox::Yes:
        return TMsgResult::Yes;
    case QMessageBox::No:
        return TMsgResult::No;
    default:
        return TMsgResult::None;
    }
}

std::vector<TMsgResult> AnswersOf(TMsgButtons buttons) {
    switch (buttons) {
    case TMsgButtons::OK:
        return {TMsgResult::OK};
    case TMsgButtons::OKCancel:
        return {TMsgResult::OK, TMsgResult::Cancel};
    case TMsgButtons::YesNo:
        return {TMsgResult::Yes, TMsgResult::No};
    case TMsgButtons::YesNoCancel:
        return {TMsgResult::Yes, TMsgResult::No, TMsgResult::Cancel};
    }
    return {TMsgResult::OK};
}

QString ButtonCaption(TMsgResult result) {
    switch (result) {
    case TMsgResult::Yes:
        return Utf8Text("是(&Y)");
    case TMsgResult::No:
        return Utf8Text("不(&N)");
    case TMsgResult::Cancel:
        return Utf8Text("取消");
    default:
        return Utf8Text("确认(&O)");
    }
}

void SetDialogButtons(QInputDialog& dialog) {
    dialog.setOkButtonText(ButtonCaption(TMsgResult::OK));
    dialog.setCancelButtonText(ButtonCaption(TMsgResult::Cancel));
}

} // namespace

TQtMessageService::TQtMessageService(QWidget* parent) : FParent(parent) {}

QWidget* TQtMessageService::Owner() const {
    return FParent != nullptr ? FParent.data() : QApplication::activeWindow();
}

TMsgResult TQtMessageService::ShowMessage(const AnsiString& text, const AnsiString& caption, TMsgIcon icon,
                                          TMsgButtons buttons) {
    QMessageBox box(Owner());
    box.setWindowTitle(AnsiToQString(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(DialogText(text));
    box.setIcon(BoxIcon(icon));
    const std::vector<TMsgResult> answers = AnswersOf(buttons);
    QMessageBox::StandardButtons set;
    for (TMsgResult answer : answers)
        set |= BoxButton(answer);
    box.setStandardButtons(set);
    for (TMsgResult answer : answers)
        box.button(BoxButton(answer))->setText(ButtonCaption(answer));
    box.setDefaultButton(BoxButton(answers.front()));
    box.setEscapeButton(box.button(BoxButton(DismissAnswer(buttons))));
    box.exec();
    TMsgResult result = ResultOf(box.standardButton(box.clickedButton()));
    return result == TMsgResult::None ? DismissAnswer(buttons) : result;
}

int TQtMessageService::ChoiceBox(const AnsiString& caption, const AnsiString& prompt,
                                 const std::vector<AnsiString>& choices, int preselected) {
    if (choices.empty()) return -1;
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(AnsiToQString(caption));
    dialog.setLabelText(DialogText(prompt));
    QStringList items;
    for (const AnsiString& choice : choices)
        items << AnsiToQString(choice);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    SetDialogButtons(dialog);
    QComboBox* combo = dialog.findChild<QComboBox*>();
    if (combo != nullptr && preselected >= 0 && preselected < static_cast<int>(choices.size()))
        combo->setCurrentIndex(preselected);
    if (dialog.exec() != QDialog::Accepted) return -1;
    // The index from the list itself: two entries may read the same.
    if (combo != nullptr) return combo->currentIndex();
    int index = static_cast<int>(items.indexOf(dialog.textValue()));
    return index;
}

std::optional<AnsiString> TQtMessageService::InputBox(const AnsiString& caption, const AnsiString& prompt,
                                                      const AnsiString& defaultText) {
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(AnsiToQString(caption));
    dialog.setLabelText(DialogText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(AnsiToQString(defaultText));
    SetDialogButtons(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return QStringToAnsi(dialog.textValue());
}

TQtMessageService& InstallQtMessageService(QWidget* owner) {
    static TQtMessageService service;
    static const bool installed = (SetMessageService(&service), true);
    (void)installed;
    if (owner != nullptr) service.SetParentWidget(owner);
    return service;
}
