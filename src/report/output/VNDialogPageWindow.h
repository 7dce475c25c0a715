// TVNDialogPageWindow: the modal form of a dialog page. It takes the page's caption, colour,
// bounds, frame (3 fixed dialog frame, 2 sizeable) and position (0 where designed, 4 centred on
// the screen), and turns each visual control into a widget placed at the control's bounds, in
// the tab order the form lists them. What widget a control becomes is decided by the factory
// registered for its class name; a control kind without one shows as a framed placeholder with
// its name, so a report with an unknown kind still opens. Closing the form any other way than
// through a control's modal result (Escape, the close box) answers mrCancel.
#pragma once

#include "report/VNWindowServices.h"

#include <QDialog>

#include <functional>
#include <vector>

// Makes the widget of one control on the form; the widget may end the form with form.done(n).
using TVNControlWidgetFactory = std::function<QWidget*(TVNControl& control, QDialog& form)>;

// Registers the factory of a control kind by its class name (case-insensitive); an empty factory
// removes the registration.
void RegisterVNControlWidget(const AnsiString& className, TVNControlWidgetFactory factory);

class TVNDialogPageWindow : public QDialog {
public:
    explicit TVNDialogPageWindow(const TVNDialogPageForm& form, QWidget* parent = nullptr);

    // Shows the form modally and answers its modal result (mrCancel when it was just closed).
    int Run();
    // The widgets of the form's controls, in the form's order.
    const std::vector<QWidget*>& ControlWidgets() const { return FWidgets; }

protected:
    void reject() override;

private:
    std::vector<QWidget*> FWidgets;
};
