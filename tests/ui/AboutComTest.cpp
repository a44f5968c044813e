// The about box (texts, date line in the user's short date format, help
// context, closing after five minutes) and the serial interface dialog
// (filling with its selection limits, applying nothing).
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include "ModalRun.h"
#include "app/Tavrin.h"
#include "support/ProgramFixture.h"
#include "toolkit/mCloseTimer.h"
#include "ui/AC_Prg_COM.h"
#include "ui/AC_Prg_Info.h"
#include "ui/ProgramActions.h"

namespace {

// Sets the default locale for one test and restores it afterwards.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : old_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(old_); }

private:
    QLocale old_;
};

std::int64_t LocalNoon(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(12, 0)).toMSecsSinceEpoch();
}

}  // namespace

class AboutBoxTest : public ::testing::Test {
protected:
    TAC_Program& Start() {
        f.AddBox(1, "USB-NELTA8");
        return f.Start();
    }
    TProgramFixture f;
};

TEST_F(AboutBoxTest, DateLineUsesTheShortDateFormatWithTheFullYear) {
    const struct {
        QLocale locale;
        const char* expected;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), "(17.11.2018 - 01.03.2024)"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "(17.11.2018 - 3/1/2024)"},
    };
    for (const auto& c : cases) {
        LocaleScope scope(c.locale);
        EXPECT_EQ(TAC_AboutBox::DateLine(QDate(2024, 3, 1)).toStdString(), c.expected);
    }
}

TEST_F(AboutBoxTest, OpeningFillsTheTextsOnTheDayOfThePlatformClock) {
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    TAC_Program& p = Start();
    f.platform.SetNow(LocalNoon(2024, 3, 1));
    TAC_AboutBox* about = AC_AboutBox;
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->property("helpContext").toInt(), 190);

    about->Prepare();
    EXPECT_EQ(about->VersionYear()->text(), "(17.11.2018 - 01.03.2024)");
    EXPECT_EQ(about->ProductName()->text(), "Tavrin");
    EXPECT_EQ(about->Maker()->text(), "Tavrin-Projekt");
    EXPECT_EQ(
        about->Comments()->text().toStdString(),
        "Der Tavrin schaltet bis zu 24 x Steckdosen Abhänging von der Steckdosenvariante, die von Ihnen "
        "verwendet wird.");
    EXPECT_TRUE(about->Comments()->wordWrap());
    EXPECT_EQ(about->WindowsVersion()->text().toStdString(), p.WinVersion);
    EXPECT_EQ(about->property("helpContext").toInt(), 910);
    // The program's title carries the same version.
    EXPECT_EQ("Tavrin v" + about->Version()->text().toStdString(), f.application.title);
}

TEST_F(AboutBoxTest, InfoActionShowsTheBoxUntilOkOrFiveMinutesAfterItsActivation) {
    TAC_Program& p = Start();
    TAC_AboutBox* about = AC_AboutBox;
    for (bool byTimer : {false, true}) {
        bool shown = false;
        bool timerRan = false;
        bool openBeforeTheEnd = false;
        auto active = RunWhenActive(about, [&] {
            shown = about->isVisible();
            timerRan = about->mCloseTimer_5_Min()->Enabled();
            if (byTimer) {
                f.platform.Advance(299'999);
                openBeforeTheEnd = about->isVisible();
                f.platform.Advance(1);
            } else {
                about->OKButton_Info()->click();
            }
        });
        p.ProgramActions().Action_AC_Prg_Info()->trigger();
        EXPECT_TRUE(*active);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(timerRan);
        EXPECT_EQ(openBeforeTheEnd, byTimer);
        EXPECT_FALSE(about->isVisible());
        EXPECT_EQ(about->result(), 1);
        EXPECT_FALSE(about->mCloseTimer_5_Min()->Enabled());
    }
}

// ---------------------------------------------------------------------------
// The serial interface dialog

TEST(ComDialogTest, FillingSelectsOnlyInsideTheLimitsAndAppendsThePortName) {
    TProgramFixture f;  // a QApplication
    TAC_COM dialog;
    EXPECT_EQ(dialog.windowTitle(), "Schnittstelle");
    EXPECT_EQ(dialog.ComboBox_Baudrate()->count(), 16);
    EXPECT_EQ(dialog.ComboBox_Baudrate()->itemText(0), "Benuterdefiniert");
    EXPECT_EQ(dialog.ComboBox_Parity()->itemText(1), "Ungerade");
    EXPECT_EQ(dialog.ComboBox_Flowcontrol()->itemText(3), "Benutzerdefiniert");

    TComParameters p;
    p.open = true;
    p.port = "COM3";
    p.baudRate = 13;  // 115200
    p.dataBits = 3;
    p.stopBits = 2;
    p.parity = 4;
    p.flowControl = 2;
    dialog.Prepare(nullptr, nullptr, p);
    EXPECT_EQ(dialog.ComboBox_COM()->currentText(), "COM3");
    EXPECT_EQ(dialog.ComboBox_Baudrate()->currentText(), "115200");
    EXPECT_EQ(dialog.ComboBox_Databits()->currentText(), "8");
    EXPECT_EQ(dialog.ComboBox_Stopbits()->currentText(), "2");
    EXPECT_EQ(dialog.ComboBox_Parity()->currentText(), "Leerzeichen");
    EXPECT_EQ(dialog.ComboBox_Flowcontrol()->currentText(), "Keine");

    // 128000 and 256000 leave the baud rate as it was; the name is appended
    // again and entry 0 stays shown.
    for (int baud : {14, 15}) {
        p.baudRate = baud;
        p.port = "COM9";
        dialog.Prepare(nullptr, nullptr, p);
        EXPECT_EQ(dialog.ComboBox_Baudrate()->currentText(), "115200");
    }
    EXPECT_EQ(dialog.ComboBox_COM()->count(), 3);
    EXPECT_EQ(dialog.ComboBox_COM()->currentText(), "COM3");

    // A closed port changes nothing.
    TComParameters closed;
    closed.baudRate = 1;
    dialog.Prepare(nullptr, nullptr, closed);
    EXPECT_EQ(dialog.ComboBox_COM()->count(), 3);
    EXPECT_EQ(dialog.ComboBox_Baudrate()->currentText(), "115200");
}
