// The form of a dialog page: frame, size and place from the page, the controls' widgets at their
// bounds in the given tab order, and the modal result, alone and inside a build.
#include "OutputFixture.h"

#include "report/VNControl.h"
#include "report/VNViewFactory.h"
#include "report/output/VNDialogPageWindow.h"
#include "report/output/VNProgressForm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

class TOutTestEdit : public TVNControl {
public:
    const char* ClassName() const override { return "TOutTestEdit"; }
};

// A button that ends the form with the result kept in its Tag text.
class TOutTestButton : public TVNControl {
public:
    const char* ClassName() const override { return "TOutTestButton"; }
};

class TOutTestUnknown : public TVNControl {
public:
    const char* ClassName() const override { return "TOutTestUnknown"; }
};

void RegisterTestControls() {
    RegisterAddInObject("TOutTestEdit", [] { return new TOutTestEdit; });
    RegisterAddInObject("TOutTestButton", [] { return new TOutTestButton; });
    RegisterVNControlWidget("TOutTestEdit", [](TVNControl& c, QDialog& form) -> QWidget* {
        auto* edit = new QLineEdit(&form);
        edit->setObjectName(QString::fromStdString(c.Name));
        return edit;
    });
    RegisterVNControlWidget("toutTESTbutton", [](TVNControl& c, QDialog& form) -> QWidget* {
        auto* button = new QPushButton(QString::fromStdString(c.Name)); // parented by the form
        const int result = c.Tag.empty() ? mrOk : std::stoi(c.Tag);
        QObject::connect(button, &QPushButton::clicked, &form, [&form, result] { form.done(result); });
        return button;
    });
}

template <class T> std::unique_ptr<T> Control(const AnsiString& name, int l, int t, int w, int h) {
    auto c = std::make_unique<T>();
    c->Name = name;
    c->PlaceAt(l, t, w, h);
    return c;
}

QPushButton* ButtonOf(QWidget* window) {
    return window->findChild<QPushButton*>();
}

} // namespace

TEST(DialogPageWindow, TakesFrameSizeAndPlaceFromThePage) {
    TestApp();
    struct {
        int BorderStyle, Position;
        bool Fixed, Centred;
    } cases[] = {{3, 0, true, false}, {2, 0, false, false}, {3, 4, true, true}, {2, 4, false, true}};
    for (auto& c : cases) {
        TVNDialogPageForm form;
        form.Caption = CP936("选择仓库");
        form.BorderStyle = c.BorderStyle;
        form.Position = c.Position;
        form.Left = 30, form.Top = 40, form.Width = 300, form.Height = 200;
        form.Color = clYellow;
        TVNDialogPageWindow window(form);
        SCOPED_TRACE(testing::Message() << "BorderStyle " << c.BorderStyle << " Position " << c.Position);
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8("选择仓库"));
        EXPECT_EQ(window.size(), QSize(300, 200));
        EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 255, 0));
        EXPECT_EQ(window.minimumSize() == window.maximumSize(), c.Fixed);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        if (c.Centred)
            EXPECT_LE((window.geometry().center() - screen.center()).manhattanLength(), 2);
        else
            EXPECT_EQ(window.pos(), QPoint(30, 40));
    }
}

TEST(DialogPageWindow, PlacesControlWidgetsInTheGivenTabOrder) {
    TestApp();
    RegisterTestControls();
    auto a = Control<TOutTestEdit>("A", 10, 10, 120, 22);
    auto b = Control<TOutTestEdit>("B", 10, 40, 120, 22);
    auto u = Control<TOutTestUnknown>("Mystery", 10, 70, 120, 22);
    auto c = Control<TOutTestEdit>("C", 10, 100, 120, 22);
    TVNDialogPageForm form;
    form.Controls = {c.get(), a.get(), u.get(), b.get()};
    TVNDialogPageWindow window(form);
    const auto& widgets = window.ControlWidgets();
    ASSERT_EQ(widgets.size(), 4u);
    EXPECT_EQ(widgets[0]->objectName(), "C");
    EXPECT_EQ(widgets[0]->geometry(), QRect(10, 100, 120, 22));
    auto* placeholder = qobject_cast<QLabel*>(widgets[2]);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->text(), "Mystery");
    EXPECT_EQ(placeholder->geometry(), QRect(10, 70, 120, 22));
    for (std::size_t i = 0; i + 1 < widgets.size(); ++i)
        EXPECT_EQ(widgets[i]->nextInFocusChain(), widgets[i + 1]) << i;
}

TEST(DialogPageWindow, AnswersCancelWhenClosedAndTheResultAControlSets) {
    TestApp();
    RegisterTestControls();
    auto edit = Control<TOutTestEdit>("Edit1", 10, 10, 120, 22);
    auto ok = Control<TOutTestButton>("OK", 10, 40, 80, 24);
    auto other = Control<TOutTestButton>("Seven", 100, 40, 80, 24);
    other->Tag = "7";
    struct {
        const char* Case;
        TVNControl* Button;
        std::function<void(QWidget*)> Act;
        int Expected;
    } cases[] = {
        {"reject", ok.get(), [](QWidget* w) { static_cast<QDialog*>(w)->reject(); }, mrCancel},
        {"close box", ok.get(), [](QWidget* w) { w->close(); }, mrCancel},
        {"escape", ok.get(),
         [](QWidget* w) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(w, &esc);
         },
         mrCancel},
        {"OK button", ok.get(), [](QWidget* w) { ButtonOf(w)->click(); }, mrOk},
        {"button with its own result", other.get(), [](QWidget* w) { ButtonOf(w)->click(); }, 7},
    };
    for (auto& c : cases) {
        TVNDialogPageForm form;
        form.Controls = {edit.get(), c.Button};
        TVNDialogPageWindow window(form);
        auto acted = WhenModalShown(c.Act);
        EXPECT_EQ(window.Run(), c.Expected) << c.Case;
        EXPECT_TRUE(*acted) << c.Case;
    }
}

TEST(QtWindowServices, ADialogPageInABuildDecidesWhetherPagesAreBuilt) {
    TestApp();
    RegisterTestControls();
    TVNQtWindowServicesScope services;
    for (bool press : {true, false}) {
        TEngineFixture f(TEngineFixture::Rows(5));
        ThreePageList(f);
        TVNPage& dialog = f.Report.Pages.Add();
        dialog.PageType = ptDialog;
        dialog.Caption = CP936("选择仓库");
        auto* button = new TOutTestButton;
        button->Name = "OK";
        button->PlaceAt(10, 10, 80, 24);
        dialog.Add(button);
        QString caption;
        bool progressHidden = false;
        auto acted = WhenModalShown<TVNDialogPageWindow>([&](QWidget* w) {
            caption = w->windowTitle();
            progressHidden = ShownWindows<TVNProgressForm>().empty();
            if (press)
                ButtonOf(w)->click();
            else
                w->close();
        });
        EXPECT_EQ(f.Report.BuildReport(), press);
        EXPECT_TRUE(*acted);
        EXPECT_EQ(caption, QString::fromUtf8("选择仓库"));
        EXPECT_TRUE(progressHidden);
        EXPECT_EQ(f.PageCount() > 0, press);
        EXPECT_TRUE(ShownWindows<QWidget>().empty());
    }
}
