// Context help: the help document format, the shipped German help against
// the help topic table, and the help requests of a started program (F1 on a
// control and on an open menu's entry, "&Hilfe", the start-up step with a
// missing or unreadable file).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "app/Tavrin.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "support/ProgramFixture.h"
#include "ui/AC_Prg_COM.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/HelpBinding.h"
#include "ui/HelpViewer.h"
#include "ui/ProgramActions.h"
#include "ui/SocketActions.h"

namespace {

std::string ShippedHelp() {
    std::ifstream in(std::string(TAVRIN_SOURCE_DIR) + "/resources/help/tavrin_DE.chm", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void PressF1(QObject* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

}  // namespace

// ---------------------------------------------------------------------------
// The document

TEST(HelpDocumentTest, TopicsAliasesAndStartAreRead) {
    THelpDocument doc;
    std::string error;
    ASSERT_TRUE(
        doc.Parse("\xEF\xBB\xBF\r\nTAVRIN-HILFE 1\r\n# note\r\n@title Hilfe\r\n@start 20\r\n"
                  "@alias 80 10\r\n@topic 10 hlp_a Erstes Thema\r\n<p>A</p>\r\n# kein Kommentar\r\n"
                  "@topic 20 hlp_b\r\n<p>B</p>\r\n",
                  &error))
        << error;
    ASSERT_EQ(doc.Topics().size(), 2u);
    EXPECT_EQ(doc.Topics()[0].title, "Erstes Thema");
    EXPECT_EQ(doc.Topics()[0].html, "<p>A</p>\n# kein Kommentar\n");
    EXPECT_EQ(doc.Topics()[1].title, "hlp_b");  // no title: the name
    ASSERT_NE(doc.TopicOf(80), nullptr);
    EXPECT_EQ(doc.TopicOf(80)->context, 10);
    EXPECT_EQ(doc.TopicOf(30), nullptr);
    EXPECT_EQ(doc.StartTopic()->context, 20);
    EXPECT_EQ(doc.Title(), "Hilfe");
}

TEST(HelpDocumentTest, DamagedFilesAreRefusedWithTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "beginnt nicht mit"},
        {"ITSF\x03\0\0\0 binary help", "Zeile 1"},
        {"TAVRIN-HILFE 1\n", "kein Thema"},
        {"TAVRIN-HILFE 1\nText\n@topic 1 a A\n", "Zeile 2: Text vor dem ersten Thema"},
        {"TAVRIN-HILFE 1\n@topic x a A\n", "Zeile 2: ungültige Kontextnummer"},
        {"TAVRIN-HILFE 1\n@topic 0 a A\n", "Zeile 2: ungültige Kontextnummer"},
        {"TAVRIN-HILFE 1\n@topic 5\n", "Zeile 2: Thema ohne Namen"},
        {"TAVRIN-HILFE 1\n@topic 5 a A\n@topic 5 b B\n", "Zeile 3: Kontextnummer 5 ist doppelt"},
        {"TAVRIN-HILFE 1\n@alias 7 9\n@topic 5 a A\n", "Zeile 2: Verweis auf das fehlende Thema 9"},
        {"TAVRIN-HILFE 1\n@alias 5 5\n@topic 5 a A\n", "Zeile 2: Kontextnummer 5 ist doppelt"},
        {"TAVRIN-HILFE 1\n@start 9\n@topic 5 a A\n", "Zeile 2: Startthema 9 fehlt"},
    };
    for (const auto& c : cases) {
        THelpDocument doc;
        ASSERT_TRUE(doc.Parse("TAVRIN-HILFE 1\n@topic 1 x X\n"));
        std::string error;
        EXPECT_FALSE(doc.Parse(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
        EXPECT_TRUE(doc.Empty()) << c.text;
        EXPECT_EQ(doc.StartTopic(), nullptr);
    }
}

TEST(HelpDocumentTest, ShippedHelpHasARealTopicForEveryContextOfTheTable) {
    THelpDocument doc;
    std::string error;
    ASSERT_TRUE(doc.Parse(ShippedHelp(), &error)) << error;
    for (const THelpTopic& entry : HelpTopics()) {
        const THelpPage* page = doc.TopicOf(entry.Context);
        ASSERT_NE(page, nullptr) << entry.Name;
        // Its own page under the table's name, not an alias, with some text.
        EXPECT_EQ(page->context, entry.Context) << entry.Name;
        EXPECT_EQ(page->name, entry.Name);
        EXPECT_GT(page->html.size(), 150u) << entry.Name;
    }
    EXPECT_EQ(doc.Topics().size(), static_cast<size_t>(kHelpTopicCount));
    // Every link leads to a topic.
    for (const THelpPage& page : doc.Topics()) {
        for (size_t at = page.html.find("hilfe:"); at != std::string::npos;
             at = page.html.find("hilfe:", at + 1)) {
            const int target = std::atoi(page.html.c_str() + at + 6);
            EXPECT_NE(doc.TopicOf(target), nullptr) << page.name << " -> " << target;
        }
    }
    // The contexts the windows carry themselves lead to a topic as well.
    for (int context : {70, 80, 90, 100, 110, 130, 160, 170, 190, 220, 230, 240, 250, 260, 600, 910})
        EXPECT_NE(doc.TopicOf(context), nullptr) << context;
}

// The 49 topics and their numbers as the help table defines them, written
// out here (not taken from the program's own table): the program registers
// exactly these, in this order, and the shipped help has a page for each.
TEST(HelpDocumentTest, TheHelpTableHasItsFortyNineNumbers) {
    const std::vector<std::pair<std::string, int>> table = {
        {"hlp_allgemein", 200},
        {"hlp_willkommen", 210},
        {"hlp_programmstart", 220},
        {"hlp_kontakt", 230},
        {"hlp_ueberuns", 240},
        {"hlp_startenderinstalation", 300},
        {"hlp_zielordnerfuerdieinstallationwaehlen", 320},
        {"hlp_startmenueordnerauswaehlen", 330},
        {"hlp_installationpruefen", 340},
        {"hlp_installation", 350},
        {"hlp_fertigstellen", 360},
        {"hlp_tavrin", 400},
        {"hlp_menudatei", 500},
        {"hlp_tavrinschliessen", 510},
        {"hlp_beenden", 520},
        {"hlp_menueinstellungen", 600},
        {"hlp_einstellungen", 610},
        {"hlp_desktopposition", 620},
        {"hlp_einstellungallgemein", 700},
        {"hlp_funktionautostart", 710},
        {"hlp_funktionsilentmodus", 720},
        {"hlp_programautoschliessen", 730},
        {"hlp_einstellungschnittstelle", 800},
        {"hlp_serielleschnittstelle", 810},
        {"hlp_einstellungacmodul", 900},
        {"hlp_funktion-passwort-aktiv", 420},
        {"hlp_funktion-ac-schaltzeiten", 430},
        {"hlp_werkseinstellung", 440},
        {"hlp_com-port-logging", 480},
        {"hlp_notaus", 460},
        {"hlp_notaus-bestaetigen", 470},
        {"hlp_menusteckdosen", 1000},
        {"hlp_steckdosen", 1010},
        {"hlp_steckdoseon", 1020},
        {"hlp_steckdoseoff", 1030},
        {"hlp_steckdosenname", 1040},
        {"hlp_steckdoseeditieren", 1050},
        {"hlp_beenden-von-windows", 450},
        {"hlp_menuhilfe", 1100},
        {"hlp_hilfefenster", 1110},
        {"hlp_info", 1120},
        {"hlp_traysteckdosenpopup", 1200},
        {"hlp_traypopuptavrinoeffne", 1210},
        {"hlp_traytavrinschliessen", 1220},
        {"hlp_trayeinstellungen", 1230},
        {"hlp_trayupdate", 1240},
        {"hlp_trayinfo", 1250},
        {"hlp_traybeenden", 1260},
        {"hlp_tavrinaufusbstick", 1270},
    };
    ASSERT_EQ(HelpTopics().size(), table.size());
    THelpDocument doc;
    std::string error;
    ASSERT_TRUE(doc.Parse(ShippedHelp(), &error)) << error;
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].first);
        EXPECT_EQ(HelpTopics()[i].Name, table[i].first);
        EXPECT_EQ(HelpTopics()[i].Context, table[i].second);
        const THelpPage* page = doc.TopicOf(table[i].second);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->name, table[i].first);
    }
}

// ---------------------------------------------------------------------------
// The viewer

TEST(HelpViewerTest, ShowsTopicsFollowsLinksAndGoesBack) {
    TProgramFixture f;  // a QApplication
    const std::string file = f.Folder() + "/help.chm";
    f.WriteFile("help.chm",
                "TAVRIN-HILFE 1\n@alias 80 10\n@topic 10 a Erstes\n<p>Siehe <a href=\"hilfe:20\">B</a></p>\n"
                "@topic 20 b Zweites\n<p>Text B</p>\n");
    THelpViewer viewer;
    ASSERT_TRUE(viewer.Open(file));
    EXPECT_TRUE(viewer.ShowContext(80));
    EXPECT_EQ(viewer.CurrentContext(), 10);
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QStringLiteral("Erstes")));
    emit viewer.Browser()->anchorClicked(QUrl(QStringLiteral("hilfe:20")));
    EXPECT_EQ(viewer.CurrentContext(), 20);
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QStringLiteral("Text B")));

    // A context without a topic: the start topic with a note.
    EXPECT_FALSE(viewer.ShowContext(999));
    EXPECT_EQ(viewer.RequestedContext(), 999);
    EXPECT_EQ(viewer.CurrentContext(), 10);
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QStringLiteral("999")));

    // An unreadable file: the viewer says why instead of showing a topic.
    f.WriteFile("broken.chm", "no help\n");
    EXPECT_FALSE(viewer.Open(f.Folder() + "/broken.chm"));
    EXPECT_FALSE(viewer.ShowContext(10));
    EXPECT_EQ(viewer.CurrentContext(), 0);
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains(QStringLiteral("broken.chm")));
}

// ---------------------------------------------------------------------------
// A started program

class ProgramHelpTest : public ::testing::Test {
protected:
    TProgramFixture f;

    THelpViewer* Viewer() {
        THookHelpSystem* hook = f.Program().HelpBinding().HelpHook();
        return hook ? hook->Viewer() : nullptr;
    }
};

TEST_F(ProgramHelpTest, F1OnAControlOpensItsContextOrTheFirstOfItsParents) {
    f.AddBox(1, "USB-NELTA8");
    f.Start();
    ASSERT_NE(Viewer(), nullptr);
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_TRUE(Viewer()->IsOpen()) << Viewer()->LastError();

    // The check box's own topic wins over the context 100 of its action.
    PressF1(AC_Einstellung->CheckBox_Autostart());
    EXPECT_EQ(Viewer()->RequestedContext(), 710);
    EXPECT_EQ(Viewer()->CurrentContext(), 710);
    EXPECT_TRUE(Viewer()->isVisible());

    // A control without a context of its own: its page (hlp_einstellungacmodul).
    PressF1(AC_Einstellung->CheckBox_Beeper());
    EXPECT_EQ(Viewer()->RequestedContext(), 900);
    // The settings page bindings, the COM-port page included.
    const struct {
        QWidget* widget;
        int context;
    } bound[] = {
        {AC_Einstellung->PageWidget(TAC_Einstellung::PageAllgemein), 700},
        {AC_Einstellung->PageWidget(TAC_Einstellung::PageDesktop), 620},
        {AC_Einstellung->RadioGroup_Desktop(), 620},
        {AC_Einstellung->PageWidget(TAC_Einstellung::PageSchnittstelle), 800},
        {AC_Einstellung->Button_SetCOMPort(), 110},
        {AC_Einstellung->CheckBox_Autostat_Silent(), 720},
        {AC_Einstellung->CheckBox_Autoclose_15min(), 730},
        {AC_Einstellung->Memo_COMPort(), 480},
        {AC_Einstellung->AC_OnOFF_Delay(), 430},
        {AC_Einstellung->Button_NELTA_RESET(), 440},
        {AC_Einstellung->AC_Edit_PWD(), 420},
        {AC_COM->ComboBox_Parity(), 810},
        {AC_Einstellung->PageWidget(TAC_Einstellung::PageFirmware), 80},  // the page control's context
        {AC_Einstellung->BitBtn_Ok_Setup(), 80},                          // the window's context
    };
    for (const auto& b : bound) {
        PressF1(b.widget);
        EXPECT_EQ(Viewer()->RequestedContext(), b.context) << b.widget->objectName().toStdString();
    }

    // On the page tabs: the page shown.
    AC_Einstellung->PageControl_Einstellungen()->setCurrentIndex(TAC_Einstellung::PageCOMPort);
    PressF1(AC_Einstellung->PageControl_Einstellungen()->tabBar());
    EXPECT_EQ(Viewer()->RequestedContext(), 480);
    AC_Einstellung->PageControl_Einstellungen()->setCurrentIndex(TAC_Einstellung::PageFirmware);
    PressF1(AC_Einstellung->PageControl_Einstellungen()->tabBar());
    EXPECT_EQ(Viewer()->RequestedContext(), 80);

    // Other keys pass; F1 inside the viewer is help on the help window.
    QKeyEvent other(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(AC_Einstellung->CheckBox_Autostart(), &other);
    EXPECT_EQ(Viewer()->RequestedContext(), 80);
    PressF1(Viewer()->Browser());
    EXPECT_EQ(Viewer()->RequestedContext(), 1110);
    Viewer()->hide();
}

TEST_F(ProgramHelpTest, F1OnAnOpenMenuEntryUsesTheBoundTopic) {
    f.AddBox(1, "USB-NELTA8");
    TAC_Program& p = f.Start();
    ASSERT_NE(Viewer(), nullptr);
    // The tray's socket menu (made here when the tray is not built yet).
    QtControl* control = p.Form().FindControl("Tray_Steckdose5", ControlClass::MenuItem);
    if (control == nullptr) {
        p.SocketActions().CreateTraySocketMenu(&p);
        p.HelpBinding().Update_HelpIndex();
        control = p.Form().FindControl("Tray_Steckdose5", ControlClass::MenuItem);
    }
    ASSERT_NE(control, nullptr);
    QAction* entry = control->ItemAction();
    auto* menu = qobject_cast<QMenu*>(entry->parent());
    ASSERT_NE(menu, nullptr);
    entry->setVisible(true);
    menu->popup(QPoint(0, 0));
    menu->setActiveAction(entry);
    PressF1(menu);
    EXPECT_EQ(Viewer()->RequestedContext(), 1200);
    menu->hide();

    // The main menu's items carry the table's topics; "&Hilfe" opens 500.
    const struct {
        const char* item;
        int context;
    } items[] = {
        {"Menu_Datei", 500},       {"Tavrin_schliesen", 510}, {"Beenden", 520}, {"Menu_Einstellungen", 600},
        {"Menu_Steckdosen", 1010}, {"Menu_Hilfe", 1100},      {"Hilfe", 1110},  {"Info", 1120}};
    for (const auto& i : items) {
        QtControl* c = p.Form().FindControl(i.item, ControlClass::MenuItem);
        ASSERT_NE(c, nullptr) << i.item;
        EXPECT_EQ(c->HelpContext(), i.context) << i.item;
    }
    for (int k = 1; k <= 4; ++k) {
        QtControl* edit =
            p.Form().FindControl("SpeedButton_EditX" + std::to_string(k), ControlClass::SpeedButton);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->HelpContext(), 1050);
    }
    p.ProgramActions().Action_AC_Prg_Help()->trigger();
    EXPECT_EQ(Viewer()->RequestedContext(), 500);
    Viewer()->hide();
}

TEST_F(ProgramHelpTest, MissingHelpFileIsReportedAndLeavesNoHelp) {
    f.installHelp = false;
    f.AddBox(1, "USB-NELTA8");
    TAC_Program& p = f.Start();
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].text,
              "Hilfe-Datei nicht gefunden\r" + f.Holder().getValueString("Actuall_Helpfile"));
    EXPECT_NE(f.platform.messages[0].text.find("\\SYSTEM\\HILFE\\TAVRIN_DE.CHM"), std::string::npos);
    EXPECT_EQ(p.HelpBinding().HelpHook(), nullptr);
    // No help, but the table is on the controls and nothing fails.
    PressF1(AC_Einstellung->CheckBox_Autostart());
    p.ProgramActions().Action_AC_Prg_Help()->trigger();
    EXPECT_EQ(p.Form().FindControl("Beenden", ControlClass::MenuItem)->HelpContext(), 520);
}

TEST_F(ProgramHelpTest, UnreadableHelpFileGivesTheViewerMessageButAHook) {
    f.installHelp = false;
    f.WriteFile("System/Hilfe/tavrin_DE.chm", "ITSF\x03 not for this viewer");
    f.AddBox(1, "USB-NELTA8");
    TAC_Program& p = f.Start();
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].text,
              "Diese Anwendung erfordert die Installation der MS HTML Help 1.2 oder höher");
    ASSERT_NE(p.HelpBinding().HelpHook(), nullptr);
    EXPECT_FALSE(p.HelpBinding().ShowHelp(500));
    Viewer()->hide();
}

TEST_F(ProgramHelpTest, HelpFileFollowsTheLanguageOfTavrinIni) {
    f.installHelp = false;
    f.WriteFile("tavrin.ini", "[HLP]\r\nLngType=EN\r\n");
    f.WriteFile("System/Hilfe/tavrin_EN.chm",
                "TAVRIN-HILFE 1\n@topic 500 hlp_menudatei File\n<p>File menu</p>\n");
    f.AddBox(1, "USB-NELTA8");
    TAC_Program& p = f.Start();
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_TRUE(p.HelpBinding().ShowHelp(500));
    Viewer()->hide();
}
