// The form of a dialog page built from its description, and the registry of control widgets.
// Bounds are taken as the form's client area in pixels; a form designed without a size grows to
// hold its controls.
#include "VNDialogPageWindow.h"

#include "report/VNControl.h"

#include "platform/qt/QtMessageService.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <map>

namespace {

struct TNoCaseLess {
    bool operator()(const AnsiString& a, const AnsiString& b) const { return UpperCase(a) < UpperCase(b); }
};

std::map<AnsiString, TVNControlWidgetFactory, TNoCaseLess>& Factories() {
    static std::map<AnsiString, TVNControlWidgetFactory, TNoCaseLess> factories;
    return factories;
}

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// A control kind this side knows no widget for: a frame with its name, so the layout still shows.
QWidget* Placeholder(TVNControl& control, QWidget* parent) {
    auto* label = new QLabel(AnsiToQString(control.Name), parent);
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

void RegisterVNControlWidget(const AnsiString& className, TVNControlWidgetFactory factory) {
    if (factory)
        Factories()[className] = std::move(factory);
    else
        Factories().erase(className);
}

TVNDialogPageWindow::TVNDialogPageWindow(const TVNDialogPageForm& form, QWidget* parent) : QDialog(parent) {
    setWindowTitle(AnsiToQString(form.Caption));
    if (form.Color != clNone) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, ToQColor(form.Color));
        setPalette(palette);
        setAutoFillBackground(true);
    }

    int right = 0, bottom = 0;
    QWidget* previous = nullptr;
    for (TVNControl* control : form.Controls) {
        auto it = Factories().find(control->ClassName());
        QWidget* widget = it != Factories().end() ? it->second(*control, *this) : nullptr;
        if (!widget) widget = Placeholder(*control, this);
        if (widget->parentWidget() != this) widget->setParent(this);
        widget->setGeometry(control->Left, control->Top, control->Width, control->Height);
        right = std::max(right, control->Left + control->Width);
        bottom = std::max(bottom, control->Top + control->Height);
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
        FWidgets.push_back(widget);
    }

    const QSize size(form.Width > 0 ? form.Width : right + 8, form.Height > 0 ? form.Height : bottom + 8);
    if (form.BorderStyle == 2) {
        resize(size);
        setSizeGripEnabled(true);
    } else {
        setFixedSize(size);
        setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                       Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    }

    if (form.Position == 0) {
        move(form.Left, form.Top);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

int TVNDialogPageWindow::Run() {
    const int result = exec();
    return result == mrNone ? int(mrCancel) : result;
}

void TVNDialogPageWindow::reject() {
    done(mrCancel);
}
