// TVNProgressForm: the progress window of a build. It shows the caption, the line naming the page
// being built and a second line that scripts set, and offers a Cancel button. The build runs in
// the same thread as the window, so the window is application-modal but never blocks: it is shown
// when created, the build pumps it through ProcessMessages after each page, and it closes when the
// object is destroyed. Cancel (the button, Escape or the close box) only raises a flag that the
// next ProcessMessages answers; the build then stops at its next check.
#pragma once

#include "report/VNWindowServices.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TVNProgressForm : public QDialog, public IVNProgressWindow {
public:
    explicit TVNProgressForm(const AnsiString& caption, QWidget* parent = nullptr);
    ~TVNProgressForm() override;

    void SetLabel(const AnsiString& text) override;
    void SetDetail(const AnsiString& text) override;
    void SetVisible(bool visible) override;
    bool ProcessMessages() override;

    bool Cancelled() const { return FCancelled; }
    QLabel* LabelLine() const { return FLabel; }
    QLabel* DetailLine() const { return FDetail; }
    QPushButton* CancelButton() const { return FCancel; }

protected:
    // Escape and the close box ask to cancel like the button; the window stays up until the
    // build has stopped and destroys it.
    void reject() override;

private:
    QLabel* FLabel;
    QLabel* FDetail;
    QPushButton* FCancel;
    bool FCancelled = false;
};
