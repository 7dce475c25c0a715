// The progress window of a build: two centred lines over a Cancel button, shown without a nested
// event loop so that the build keeps the thread and pumps the window itself.
#include "VNProgressForm.h"

#include "report/VNStrings.h"

#include "platform/qt/QtMessageService.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TVNProgressForm::TVNProgressForm(const AnsiString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(AnsiToQString(caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);

    FLabel = new QLabel(this);
    FDetail = new QLabel(this);
    for (QLabel* line : {FLabel, FDetail}) {
        line->setAlignment(Qt::AlignCenter);
        line->setTextFormat(Qt::PlainText); // data in a script's text never turns into markup
    }
    FCancel = new QPushButton(AnsiToQString(VNText(TVNText::CancelButton)), this);
    FCancel->setDefault(true);
    QObject::connect(FCancel, &QPushButton::clicked, this, [this] { FCancelled = true; });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FLabel);
    layout->addWidget(FDetail);
    layout->addWidget(FCancel, 0, Qt::AlignHCenter);
    setFixedSize(260, 110);

    show();
    QCoreApplication::processEvents(); // paint it before the first page takes the thread
}

TVNProgressForm::~TVNProgressForm() {
    hide();
}

void TVNProgressForm::SetLabel(const AnsiString& text) {
    FLabel->setText(AnsiToQString(text));
}

void TVNProgressForm::SetDetail(const AnsiString& text) {
    FDetail->setText(AnsiToQString(text));
}

void TVNProgressForm::SetVisible(bool visible) {
    setVisible(visible);
}

bool TVNProgressForm::ProcessMessages() {
    QCoreApplication::processEvents();
    return FCancelled;
}

void TVNProgressForm::reject() {
    FCancelled = true;
}
