// The Qt message service on real dialogs (offscreen): each test opens a box, a timer finds it as
// the active modal widget, reads what it shows, and answers it like a user would.
#include "platform/qt/QtMessageService.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace {

class QtMessages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "platform_qt_messages_tests";
            static char* argv[] = {name, nullptr};
            qputenv("QT_QPA_PLATFORM", "offscreen");
            new QApplication(argc, argv);
        }
    }

    // Runs the action on the dialog once it is up; without a dialog within ~5 s the test fails
    // (and the call under test has returned on its own anyway).
    void WhenShown(std::function<void(QWidget*)> action) {
        FActed = false;
        auto* timer = new QTimer;
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [this, timer, tries, action] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr && ++*tries < 500) return;
            timer->stop();
            timer->deleteLater();
            if (dialog != nullptr) {
                FActed = true;
                action(dialog);
            }
        });
        timer->start(10);
    }

    // Called after the box returned.
    void ExpectActed() { EXPECT_TRUE(FActed) << "no modal dialog was shown"; }

    static QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

    static QAbstractButton* ButtonNamed(QWidget* dialog, const QString& text) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            if (button->text() == text) return button;
        return nullptr;
    }

    TQtMessageService FService;
    bool FActed = false;
};

TEST_F(QtMessages, MessageBoxShowsCaptionsAndReturnsTheClickedButton) {
    const struct {
        TMsgButtons Buttons;
        std::vector<const char*> Captions;
        const char* Click;
        TMsgResult Expected;
    } cases[] = {
        {TMsgButtons::OK, {"确认(&O)"}, "确认(&O)", TMsgResult::OK},
        {TMsgButtons::OKCancel, {"确认(&O)", "取消"}, "取消", TMsgResult::Cancel},
        {TMsgButtons::YesNo, {"是(&Y)", "不(&N)"}, "是(&Y)", TMsgResult::Yes},
        {TMsgButtons::YesNo, {"是(&Y)", "不(&N)"}, "不(&N)", TMsgResult::No},
        {TMsgButtons::YesNoCancel, {"是(&Y)", "不(&N)", "取消"}, "不(&N)", TMsgResult::No},
    };
    for (const auto& c : cases) {
        QString title, text;
        QStringList captions;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenShown([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* button : box->buttons())
                captions << button->text();
            QAbstractButton* target = ButtonNamed(box, Q(c.Click));
            ASSERT_NE(target, nullptr);
            target->click();
        });
        TMsgResult result =
            FService.ShowMessage(CP936("删除该逻辑关系，将同时删除与之关联的逻辑表达式。\r\n您确认继续吗？"),
                                 CP936("询问"), TMsgIcon::Question, c.Buttons);
        ExpectActed();
        EXPECT_EQ(result, c.Expected) << c.Click;
        EXPECT_EQ(title, Q("询问"));
        EXPECT_EQ(text, Q("删除该逻辑关系，将同时删除与之关联的逻辑表达式。\n您确认继续吗？"));
        EXPECT_EQ(icon, QMessageBox::Question);
        QStringList expectedCaptions;
        for (const char* caption : c.Captions)
            expectedCaptions << Q(caption);
        captions.sort();
        expectedCaptions.sort();
        EXPECT_EQ(captions, expectedCaptions);
    }
}

TEST_F(QtMessages, ClosingWithoutAButtonGivesTheDismissingAnswer) {
    const struct {
        TMsgButtons Buttons;
        TMsgResult Expected;
    } cases[] = {
        {TMsgButtons::OK, TMsgResult::OK},
        {TMsgButtons::OKCancel, TMsgResult::Cancel},
        {TMsgButtons::YesNo, TMsgResult::No},
        {TMsgButtons::YesNoCancel, TMsgResult::Cancel},
    };
    for (const auto& c : cases) {
        WhenShown([](QWidget* dialog) { dialog->close(); });
        TMsgResult result = FService.ShowMessage("x", CP936("警告"), TMsgIcon::Warning, c.Buttons);
        ExpectActed();
        EXPECT_EQ(result, c.Expected);
    }
}

TEST_F(QtMessages, ChoiceBoxPreselectsAndReturnsTheChosenIndex) {
    const std::vector<AnsiString> choices = {CP936("并且"), CP936("或者"), CP936("或者")};
    QString title, label, preselected, ok, cancel;
    WhenShown([&](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        ASSERT_NE(input, nullptr);
        title = input->windowTitle();
        label = input->labelText();
        auto* combo = input->findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr);
        preselected = combo->currentText();
        ok = input->okButtonText();
        cancel = input->cancelButtonText();
        combo->setCurrentIndex(2); // the second of two equal texts
        input->accept();
    });
    EXPECT_EQ(FService.ChoiceBox(CP936("选择框"), CP936("请选择一个逻辑关系："), choices, 1), 2);
    ExpectActed();
    EXPECT_EQ(title, Q("选择框"));
    EXPECT_EQ(label, Q("请选择一个逻辑关系："));
    EXPECT_EQ(preselected, Q("或者"));
    EXPECT_EQ(ok, Q("确认(&O)"));
    EXPECT_EQ(cancel, Q("取消"));

    WhenShown([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    EXPECT_EQ(FService.ChoiceBox(CP936("选择框"), "p", choices, 0), -1);
    ExpectActed();
}

TEST_F(QtMessages, InputBoxShowsTheDefaultAndReturnsTheEnteredText) {
    QString title, shownDefault;
    WhenShown([&](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        ASSERT_NE(input, nullptr);
        title = input->windowTitle();
        shownDefault = input->textValue();
        input->findChild<QLineEdit*>()->setText(Q("( f_Spmc LIKE '%可乐%' )"));
        input->accept();
    });
    std::optional<AnsiString> entered =
        FService.InputBox(CP936("测试信息"), CP936("查询语句"), "( f_Sysl > -50 )");
    ExpectActed();
    EXPECT_EQ(title, Q("测试信息"));
    EXPECT_EQ(shownDefault, Q("( f_Sysl > -50 )"));
    EXPECT_EQ(entered, Utf8ToAnsi("( f_Spmc LIKE '%可乐%' )"));

    WhenShown([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    EXPECT_EQ(FService.InputBox("c", "p", "d"), std::nullopt);
    ExpectActed();
}

TEST_F(QtMessages, DialogsBelongToTheGivenWindow) {
    QWidget owner;
    owner.show();
    TQtMessageService service(&owner);
    QWidget* parent = nullptr;
    WhenShown([&](QWidget* dialog) {
        parent = dialog->parentWidget();
        qobject_cast<QDialog*>(dialog)->reject();
    });
    service.Information("x");
    ExpectActed();
    EXPECT_EQ(parent, &owner);
}

TEST_F(QtMessages, InstalledServiceAnswersThroughMessages) {
    QWidget owner;
    IMessageService* before = SetMessageService(nullptr);
    TQtMessageService& service = InstallQtMessageService(&owner);
    EXPECT_EQ(&Messages(), &service);
    EXPECT_EQ(service.ParentWidget(), &owner);
    QString title;
    WhenShown([&](QWidget* dialog) {
        title = dialog->windowTitle();
        ButtonNamed(dialog, Q("是(&Y)"))->click();
    });
    EXPECT_TRUE(Messages().Confirm(CP936("您确认删除该逻辑表达式吗？")));
    ExpectActed();
    EXPECT_EQ(title, Q("询问"));
    SetMessageService(before);
}

} // namespace
