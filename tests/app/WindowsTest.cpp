// The program's six windows: class, object name, caption and the state each
// has from its creation on.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <memory>

#include "AppTestSupport.h"
#include "app/Tavrin.h"
#include "support/FakePlatform.h"
#include "ui/AC_Prg_COM.h"
#include "ui/AC_Prg_Edit.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/AC_Prg_Info.h"
#include "ui/AC_Prg_Silent.h"

namespace {

class WindowsTest : public ::testing::Test {
protected:
    WindowsTest() {
        EnsureAppTestApplication();
        platform.currentDir = dir.path().toStdString();
    }
    ScopedEmptyComDir noPorts;
    QTemporaryDir dir;
    FakePlatform platform;
    FakeApplication application;
};

TEST_F(WindowsTest, EachWindowHasItsNameCaptionAndGlobal) {
    auto program = std::make_unique<TAC_Program>(&application);
    auto einstellung = std::make_unique<TAC_Einstellung>();
    auto edit = std::make_unique<TAC_Edit>();
    auto about = std::make_unique<TAC_AboutBox>();
    auto com = std::make_unique<TAC_COM>();
    auto silent = std::make_unique<TAC_Silent>();

    struct Case {
        QWidget* window;
        TComponent* component;
        void* global;  // the window's global, as the other units reach it
        const char* className;
        const char* name;
        const char* caption;
    } cases[] = {
        {program.get(), program.get(), static_cast<QWidget*>(AC_Program), "TAC_Program", "AC_Program",
         "Tavrin"},
        {einstellung.get(), einstellung.get(), static_cast<QWidget*>(AC_Einstellung), "TAC_Einstellung",
         "AC_Einstellung", "Tavrin"},
        {edit.get(), edit.get(), static_cast<QWidget*>(AC_Edit), "TAC_Edit", "AC_Edit", "Edit"},
        {about.get(), about.get(), static_cast<QWidget*>(AC_AboutBox), "TAC_AboutBox", "AC_AboutBox",
         "Tavrin"},
        {com.get(), com.get(), static_cast<QWidget*>(AC_COM), "TAC_COM", "AC_COM", "Schnittstelle"},
        {silent.get(), silent.get(), static_cast<QWidget*>(AC_Silent), "TAC_Silent", "AC_Silent", "Tavrin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.window->metaObject()->className(), c.className);
        EXPECT_EQ(c.window->objectName(), c.name);
        EXPECT_EQ(c.component->Name(), c.name);
        EXPECT_EQ(c.window->windowTitle(), c.caption);
        EXPECT_EQ(c.global, static_cast<void*>(c.window));
        EXPECT_TRUE(c.window->isWindow());
    }

    // The serial exchange has its memo from the start on.
    ASSERT_NE(einstellung->Memo_COMPort(), nullptr);
    EXPECT_EQ(einstellung->Memo_COMPort()->objectName(), "Memo_COMPort");
    EXPECT_EQ(einstellung->Form().FindControl("Memo_COMPort", ControlClass::Memo)->Object(),
              einstellung->Memo_COMPort());

    // The silent-start window: one pixel at the origin, borderless,
    // disabled and visible from its creation on.
    EXPECT_TRUE(silent->isVisible());
    EXPECT_FALSE(silent->isEnabled());
    EXPECT_EQ(silent->geometry(), QRect(0, 0, 1, 1));
    EXPECT_TRUE(silent->windowFlags().testFlag(Qt::FramelessWindowHint));

    // Destroying a window clears its global.
    silent.reset();
    einstellung.reset();
    program.reset();
    EXPECT_EQ(AC_Silent, nullptr);
    EXPECT_EQ(AC_Einstellung, nullptr);
    EXPECT_EQ(AC_Program, nullptr);
}

}  // namespace
