#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "QtTestApp.h"
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
        const char* press;  // button text, or "" for Escape
        QStringList offered;
        MsgResult result;
    } cases[] = {
        {MsgButtons::OkCancel, "Abbrechen", {"OK", "Abbrechen"}, MsgResult::Cancel},
        {MsgButtons::OkCancel, "OK", {"OK", "Abbrechen"}, MsgResult::Ok},
        {MsgButtons::OkCancel, "", {"OK", "Abbrechen"}, MsgResult::Cancel},
        {MsgButtons::Ok, "", {"OK"}, MsgResult::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.press));
        QStringList offered;
        QString title, text;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            poll.stop();
            title = box->windowTitle();
            text = box->text();
            for (QAbstractButton* b : box->buttons()) offered << b->text();
            if (*c.press == 0) {
                box->reject();  // Escape and the close button
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QLatin1String(c.press)) b->click();
        });
        poll.start(5);
        const MsgResult r = platform.MessageBox("Tavrin:\r\n\r\nKeine COM Schnittstelle", "Fehler",
                                                c.buttons, MsgIcon::Error);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(title, "Fehler");
        EXPECT_EQ(text, "Tavrin:\r\n\r\nKeine COM Schnittstelle");
    }
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
