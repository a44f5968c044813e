#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "QtTestApp.h"
#include "toolkit/StdPlatform.h"
#include "toolkit/Timer.h"
#include "toolkit/qt/QtApplication.h"
#include "toolkit/qt/QtPlatform.h"
#include "toolkit/qt/QtTimer.h"

namespace {

TEST(QtPlatform, CreatesMessageLoopTimersAndSeesTheScreens) {
    EnsureQtTestApp();
    QtPlatform platform;
    std::unique_ptr<Timer> timer(platform.CreateTimer());
    ASSERT_NE(dynamic_cast<QtTimer*>(timer.get()), nullptr);
    const TRect screen = platform.PrimaryScreenRect();
    EXPECT_GT(screen.width, 0);
    EXPECT_GT(screen.height, 0);
    EXPECT_EQ(platform.Monitors().front(), screen);
    const TDesktopRect desk = platform.DesktopRect();
    EXPECT_LE(desk.left, screen.x);
    EXPECT_GE(desk.right, screen.x + screen.width);
    const TRect work = platform.WorkArea();
    EXPECT_LE(work.width, screen.width);
}

TEST(QtPlatform, MessageBoxOffersOkAndAbbrechen) {
    EnsureQtTestApp();
    QtPlatform platform;
    struct Case {
        MsgButtons buttons;
        const char* press;  // button text, "" for Escape, "Return" or "Space" for that key
        QStringList offered;
        const char* defaultButton;
        MsgResult result;
    } cases[] = {
        {MsgButtons::OkCancel, "Abbrechen", {"OK", "Abbrechen"}, "OK", MsgResult::Cancel},
        {MsgButtons::OkCancel, "OK", {"OK", "Abbrechen"}, "OK", MsgResult::Ok},
        {MsgButtons::OkCancel, "", {"OK", "Abbrechen"}, "OK", MsgResult::Cancel},
        {MsgButtons::OkCancel, "Return", {"OK", "Abbrechen"}, "OK", MsgResult::Ok},
        {MsgButtons::Ok, "", {"OK"}, "OK", MsgResult::Ok},
        // Cancel the default: a hasty Return or Space answers Cancel.
        {MsgButtons::OkCancelDefaultCancel, "Return", {"OK", "Abbrechen"}, "Abbrechen", MsgResult::Cancel},
        {MsgButtons::OkCancelDefaultCancel, "Space", {"OK", "Abbrechen"}, "Abbrechen", MsgResult::Cancel},
        {MsgButtons::OkCancelDefaultCancel, "", {"OK", "Abbrechen"}, "Abbrechen", MsgResult::Cancel},
        {MsgButtons::OkCancelDefaultCancel, "OK", {"OK", "Abbrechen"}, "Abbrechen", MsgResult::Ok},
        // OK chosen by its mnemonic, Alt+O.
        {MsgButtons::OkCancelDefaultCancel, "Alt+O", {"OK", "Abbrechen"}, "Abbrechen", MsgResult::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.press) + " " + std::to_string(static_cast<int>(c.buttons)));
        QStringList offered;
        QString title, text, defaultText;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            poll.stop();
            title = box->windowTitle();
            text = box->text();
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            if (box->defaultButton()) defaultText = box->defaultButton()->text();
            // Captions as shown, without the mnemonic's marker.
            for (QAbstractButton* b : box->buttons()) offered << QString(b->text()).remove(QLatin1Char('&'));
            const QString press = QLatin1String(c.press);
            if (press.isEmpty()) {
                box->reject();  // Escape and the close button
                return;
            }
            if (press == QLatin1String("Return") || press == QLatin1String("Space")) {
                // The key goes where the window system sends it: the box's focus.
                QWidget* target = box->focusWidget() ? box->focusWidget() : box;
                const int key = press == QLatin1String("Return") ? Qt::Key_Return : Qt::Key_Space;
                const QString keyText =
                    press == QLatin1String("Return") ? QStringLiteral("\r") : QStringLiteral(" ");
                QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, keyText);
                QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, keyText);
                QCoreApplication::sendEvent(target, &down);
                if (box->isVisible()) QCoreApplication::sendEvent(target, &up);
                return;
            }
            if (press == QLatin1String("Alt+O")) {
                QKeyEvent down(QEvent::KeyPress, Qt::Key_O, Qt::AltModifier, QStringLiteral("o"));
                QCoreApplication::sendEvent(box, &down);
                // Shortcuts reach the box through the application's event
                // dispatch; fall back to the button's own shortcut.
                if (box->isVisible())
                    for (QAbstractButton* b : box->buttons())
                        if (b->shortcut() == QKeySequence(Qt::ALT | Qt::Key_O)) b->animateClick();
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (QString(b->text()).remove(QLatin1Char('&')) == press) b->click();
        });
        poll.start(5);
        const MsgResult r = platform.MessageBox("Tavrin:\r\n\r\nKeine COM Schnittstelle", "Fehler", c.buttons,
                                                MsgIcon::Error);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(defaultText, QLatin1String(c.defaultButton));
        EXPECT_EQ(title, "Fehler");
        EXPECT_EQ(text, "Tavrin:\r\n\r\nKeine COM Schnittstelle");
    }
}

TEST(StdPlatform, WithoutAnyoneToAskTheDefaultButtonAnswers) {
    StdPlatform platform;
    EXPECT_EQ(platform.MessageBox("x", "y", MsgButtons::OkCancel, MsgIcon::None), MsgResult::Ok);
    EXPECT_EQ(platform.MessageBox("x", "y", MsgButtons::OkCancelDefaultCancel, MsgIcon::None),
              MsgResult::Cancel);
}

TEST(QtApplication, TitleIsTheProgramsOwnAndLeavesWindowCaptionsAlone) {
    EnsureQtTestApp();
    QtApplication application;
    application.SetTitle("Tavrin v1.0.0.1");
    EXPECT_EQ(application.Title(), "Tavrin v1.0.0.1");
    EXPECT_EQ(QtApplication().Title(), "Tavrin v1.0.0.1");  // one title per program
    // The window system would append a display name to every caption.
    EXPECT_NE(QGuiApplication::applicationDisplayName(), "Tavrin v1.0.0.1");

    // A message box without a caption of its own shows the title.
    QtPlatform platform;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            shown = box->windowTitle();
            box->accept();
        }
    });
    poll.start(5);
    platform.MessageBox("Text", "", MsgButtons::Ok, MsgIcon::Information);
    EXPECT_EQ(shown, "Tavrin v1.0.0.1");

    // Serving messages runs what is pending.
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    application.ProcessMessages();
    EXPECT_TRUE(ran);
}

}  // namespace
