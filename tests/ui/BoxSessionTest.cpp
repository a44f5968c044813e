// The box session over real widgets against a simulated box: identification
// and socket count, page tabs and menu entries per model, the command
// sequence of both start orders, the check that ends the initialisation,
// the version report in the COM-port log, and the switching delay through
// the settings dialog.
#include <QCheckBox>
#include <QComboBox>
#include <algorithm>
#include <optional>

#include "SocketFixture.h"
#include "ui/BoxSession.h"

using Lines = std::vector<std::string>;

namespace {

Lines WithoutReturns(const Lines& commands) {
    Lines out;
    std::copy_if(commands.begin(), commands.end(), std::back_inserter(out),
                 [](const std::string& c) { return !c.empty(); });
    return out;
}

// "ato1" .. "ato<last>", each restored socket stored on preceded by "att0"
// and sent "atn<n>" (withDelayReset) or only "atn<n>".
Lines SocketCommands(int last, const std::vector<int>& on, bool withDelayReset) {
    Lines out;
    for (int n = 1; n <= last; ++n) {
        const bool isOn = std::find(on.begin(), on.end(), n) != on.end();
        if (isOn && withDelayReset) out.push_back("att0");
        out.push_back((isOn ? "atn" : "ato") + std::to_string(n));
    }
    return out;
}

Lines Join(std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

class BoxSessionTest : public SocketFixture {
protected:
    void SetUp() override {
        SocketFixture::SetUp();
        Prepare();
    }

    void Prepare() { Search(); }

    // The start-up's search: the list of ports, the answer tests, the
    // identification; the last answering port stays open.
    void Search() {
        port.SetConnected(false);
        atCmd = std::make_unique<TmuATCmd>();
        atCmd->SetATComPort(&port);
        atCmd->setApplication(&controller->Queue().Pump());
        atCmd->SearchCOMPorts();
        atCmd->SearchATCmdAtAutostart();
        atCmd->SearchATCmd();
        atCmd->SearchATICmd();
        TakeCommands();
        ClearMemo();
    }

    // Another box on COM3, found again by the search.
    void UseBox(TNeltaBoxConfig config) {
        ReplaceBox(std::move(config));
        Search();
    }

    std::string Status() const { return view->ComboBox_AC_Steckdosen()->currentText().toStdString(); }
    QStringList Tabs() const {
        QStringList tabs;
        QTabBar* bar = view->TabControl_AC_Dosen();
        for (int i = 0; i < bar->count(); ++i) tabs << bar->tabText(i);
        return tabs;
    }
    // Entries 1 .. 24 of a menu that are visible.
    std::vector<int> VisibleEntries(const char* prefix) const {
        std::vector<int> out;
        for (int n = 1; n <= 24; ++n)
            if (sockets->MenuEntry(QString::fromLatin1(prefix), n)->isVisible()) out.push_back(n);
        return out;
    }
    bool SlotButtonsEnabled() const {
        for (int k = 1; k <= 4; ++k)
            if (!view->SpeedButton_ACX(k)->isEnabled() || !view->SpeedButton_EditX(k)->isEnabled())
                return false;
        return true;
    }
    static std::vector<int> Range(int count) {
        std::vector<int> out;
        for (int n = 1; n <= count; ++n) out.push_back(n);
        return out;
    }
};

TEST_F(BoxSessionTest, EightSocketBoxGetsTwoPagesAndEightEntries) {
    SetPower(2, true);
    SetPower(6, true);
    session->Init_AC_Active();

    EXPECT_EQ(acDosenCount, 8);
    EXPECT_FALSE(initStart);
    const QString blanks(20, QLatin1Char(' '));
    EXPECT_EQ(Tabs(), (QStringList{blanks + "1 - 4" + blanks, blanks + "5 - 8" + blanks}));
    EXPECT_EQ(view->TabControl_AC_Dosen()->currentIndex(), 0);
    EXPECT_EQ(VisibleEntries("ItemSteckdose"), Range(8));
    EXPECT_EQ(VisibleEntries("Tray_Steckdose"), Range(8));
    EXPECT_TRUE(SlotButtonsEnabled());
    EXPECT_EQ(Status(), "COM3 > NELTA-V1.4-BOX8-USB-NELTA8");

    // The box reached every stored state; the views show it.
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(Box().Socket(n), n == 2 || n == 6) << n;
    EXPECT_EQ(sockets->Toggle(2)->text(), QStringLiteral("Steckdose 2 - ON"));
    EXPECT_EQ(sockets->Toggle(3)->text(), QStringLiteral("Steckdose 3 - OFF"));
    EXPECT_TRUE(ShowsGreen(2));
    EXPECT_TRUE(ShowsGray(1));
    EXPECT_EQ(view->GroupBox_ACX(4)->title(), QStringLiteral(" Steckdose 4 "));

    // Identification and port settings are recorded for box AC01.
    TmuDataholder* holder = hub->Dataholder();
    // The first four "-" fields of the identification.
    EXPECT_EQ(holder->getValueString("AC01|AC|AC_Controller"), "NELTA-V1.4-BOX8-USB");
    EXPECT_EQ(holder->getValueString("AC01|COM|Port"), "COM3");
    EXPECT_EQ(holder->getValueString("AC01|COM|Baudrate"), "9600");
    EXPECT_EQ(holder->getValueString("AC01|COM|Parity"), "None");
    EXPECT_EQ(atCmd->COMPos(), 1);
    EXPECT_EQ(atCmd->ComPortList().at(0).Ident, "NELTA-V1.4-BOX8-USB-NELTA8");
}

TEST_F(BoxSessionTest, CommandSequenceFollowsTheStartOrder) {
    const std::vector<int> on = {2, 6};
    const Lines identify = {"at", "ati"};
    const Lines check = {"at", "at", "ati", "atv"};
    const Lines delay = {"at", "att0"};  // the settings dialog's delay action
    struct Case {
        bool initStart;
        Lines expected;
    };
    const Case cases[] = {
        // Not activated yet: "att0" of the first status step, the sockets
        // only through the restore, the delay action at the end.
        {true, Join({identify, {"att0"}, check, SocketCommands(8, on, true), delay})},
        // Activated before: the delay action first, every socket twice.
        {false,
         Join({identify, delay, SocketCommands(8, on, false), check, SocketCommands(8, on, true), delay})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.initStart ? "InitStart true" : "InitStart false");
        UseBox(BoxConfig("USB-NELTA8"));
        for (int n = 1; n <= 8; ++n) SetPower(n, n == 2 || n == 6);
        initStart = c.initStart;
        acDosenCount = 0;
        // A page-less window as the form leaves it.
        MakeTabs(0);

        session->Init_AC_Active();

        const Lines commands = TakeCommands();
        EXPECT_EQ(WithoutReturns(commands), c.expected);
        // Each switching command waits through "OK WAIT" and one "WAIT".
        const auto returns = std::count(commands.begin(), commands.end(), std::string());
        const auto switches = std::count_if(c.expected.begin(), c.expected.end(), [](const std::string& s) {
            return s.rfind("atn", 0) == 0 || s.rfind("ato", 0) == 0;
        });
        EXPECT_EQ(returns, 2 * switches);
        EXPECT_FALSE(initStart);
        EXPECT_EQ(acDosenCount, 8);
    }
}

TEST_F(BoxSessionTest, IdentificationDecidesSocketCountPagesAndEntries) {
    struct Case {
        const char* ident;
        int sockets;
        int tabs;  // -1: the tabs stay as they were
        bool entries;
    };
    const Case cases[] = {
        {"NELTA-V1.4-BOX4-USB-NELTA4", 4, 1, true},
        {"NELTA-V2-BOX24-USB-NELTA24", 24, 6, true},
        // The model test upper-cases the identification; the controller
        // field in lower case counts for nothing.
        {"nelta-v1.4-box12-usb-nelta12", 12, 3, true},
        // No model of the table: 24 sockets, 24 restores, entries hidden.
        {"NELTA-V1.4-BOX8-UNKNOWN", 24, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ident);
        TNeltaBoxConfig config = BoxConfig("USB-NELTA24", 0);
        config.ident = c.ident;
        UseBox(config);
        MakeTabs(8);
        const QStringList tabsBefore = Tabs();
        initStart = true;

        session->Init_AC_Active();

        EXPECT_EQ(acDosenCount, c.sockets);
        const Lines commands = TakeCommands();
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                                [](const std::string& s) { return s.rfind("ato", 0) == 0; }),
                  c.sockets);
        EXPECT_EQ(VisibleEntries("ItemSteckdose"), c.entries ? Range(c.sockets) : std::vector<int>{});
        EXPECT_EQ(VisibleEntries("Tray_Steckdose"), c.entries ? Range(c.sockets) : std::vector<int>{});
        EXPECT_EQ(SlotButtonsEnabled(), c.entries);
        if (c.tabs < 0)
            EXPECT_EQ(Tabs(), tabsBefore);
        else
            EXPECT_EQ(Tabs().size(), c.tabs);
        EXPECT_EQ(Status(), "COM3 > " + TBoxController::UpperCase(c.ident));
    }
    // The last caption of the largest model, blanks as counted.
    UseBox(BoxConfig("USB-NELTA24", 0));
    session->Init_AC_Active();
    EXPECT_EQ(Tabs().back(), QStringLiteral("  21-24  "));
    EXPECT_EQ(Tabs().front(), QStringLiteral("   1-4   "));
}

TEST_F(BoxSessionTest, CheckThatFailsStopsOrEmptiesTheSession) {
    struct Case {
        const char* name;
        std::optional<std::string> answerToAt;  // nullopt: no answer at all
        bool initStartAfter;
        std::string status;
        Lines memoLines;  // consecutive lines of the COM-port log
        bool atEnd;       // ... that end it
    };
    const Case cases[] = {
        // An answer other than "OK" ends the initialisation at once: no
        // final status, InitStart as it was.
        {"ERROR",
         std::string("at\r\n>ERROR\r\n"),
         true,
         "COM3 > Status: Set AT commands",
         {"SEND: at", "RECV: ERROR"},
         true},
        // No answer: no box, nothing restored, the end steps run.
        {"silent", std::string(), false, BoxModels::kStatusNoBox, {"SEND: at", "RECV: Timeout"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TNeltaBoxConfig config = BoxConfig("USB-NELTA8");
        auto failing = std::make_shared<bool>(false);
        const std::optional<std::string> answer = c.answerToAt;
        config.script = [failing, answer](const std::string& command) -> std::optional<std::string> {
            if (*failing && command == "at") return answer;
            return std::nullopt;
        };
        UseBox(config);
        *failing = true;
        initStart = true;

        session->Init_AC_Active();

        EXPECT_EQ(initStart, c.initStartAfter);
        EXPECT_EQ(Status(), c.status);
        const Lines commands = WithoutReturns(TakeCommands());
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "atv"), 0);
        EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                                [](const std::string& s) { return s.rfind("ato", 0) == 0; }),
                  0);
        EXPECT_TRUE(VisibleEntries("ItemSteckdose").empty());
        EXPECT_FALSE(SlotButtonsEnabled());
        const Lines memo = MemoLines();
        ASSERT_GE(memo.size(), c.memoLines.size());
        const auto found = std::search(memo.begin(), memo.end(), c.memoLines.begin(), c.memoLines.end());
        ASSERT_NE(found, memo.end());
        if (c.atEnd) {
            EXPECT_EQ(found + static_cast<long>(c.memoLines.size()), memo.end());
        }
    }
}

TEST_F(BoxSessionTest, VersionReportIsLoggedLineByLine) {
    // A report of two lines, each ended by CR LF, after the echo.
    TNeltaBoxConfig config = BoxConfig("USB-NELTA4");
    config.script = [](const std::string& command) -> std::optional<std::string> {
        if (command == "atv") return std::string("atv\r\n>NELTA 4\r\nFirmware V1.4\r\n");
        return std::nullopt;
    };
    UseBox(config);
    session->Init_AC_Active();
    Lines memo = MemoLines();
    auto at = std::find(memo.begin(), memo.end(), "SEND: atv");
    ASSERT_NE(at, memo.end());
    EXPECT_EQ(Lines(at, at + 4), (Lines{"SEND: atv", "RECV: atv", "RECV: >NELTA 4", "RECV: Firmware V1.4"}));

    // Without the COM-port log only the line of the command itself is
    // written (and the socket lines, which go to the memo directly).
    UseBox(config);
    comPortLogging = false;
    session->Init_AC_Active();
    memo = MemoLines();
    EXPECT_EQ(std::count(memo.begin(), memo.end(), "SEND: atv"), 1);
    EXPECT_EQ(std::count(memo.begin(), memo.end(), "RECV: Firmware V1.4"), 0);
    EXPECT_EQ(std::count(memo.begin(), memo.end(), "PROG: Init-Status"), 0);
}

TEST_F(BoxSessionTest, StoredDelayIsShownAndSentThroughTheSettingsDialog) {
    TmuDataholder* holder = hub->Dataholder();
    holder->setValueBoolean("AC01|AC|AC_DELAY", true);
    holder->setValueInteger("AC01|AC|AC_DELAYTIME", 5);
    std::vector<std::string> statuses;
    QObject::connect(view->ComboBox_AC_Steckdosen(), &QComboBox::currentTextChanged,
                     [&statuses](const QString& text) { statuses.push_back(text.toStdString()); });
    initStart = true;

    session->Init_AC_Active();

    // Ticking the stored option is a change: the dialog's action sends the
    // delay at once; the start then resets it and sends it again at the end.
    const Lines commands = WithoutReturns(TakeCommands());
    EXPECT_EQ(Lines(commands.begin(), commands.begin() + 5), (Lines{"at", "ati", "at", "att5", "att0"}));
    EXPECT_EQ(Lines(commands.end() - 2, commands.end()), (Lines{"at", "att5"}));
    EXPECT_EQ(Box().Delay(), 5);
    EXPECT_TRUE(settings->AC_OnOFF_Delay()->isChecked());
    EXPECT_EQ(settings->ComboBox_NELTA_TIME()->currentText(), QStringLiteral("5"));
    EXPECT_EQ(settings->StatusPanelText(1), QStringLiteral("SET: ATT5"));
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "COM3 > Set NELTA delaytime: 5 sec."),
              statuses.end());
}

TEST_F(BoxSessionTest, DelayActionStoresAndSendsOnlyWhenTheBoxAnswers) {
    TmuDataholder* holder = hub->Dataholder();
    settings->ComboBox_NELTA_TIME()->setCurrentIndex(7);
    settings->SetDelayActive(true);
    EXPECT_EQ(WithoutReturns(TakeCommands()), (Lines{"at", "att7"}));
    EXPECT_TRUE(holder->getValueBoolean("AC01|AC|AC_DELAY"));
    EXPECT_EQ(holder->getValueInteger("AC01|AC|AC_DELAYTIME"), 7);
    EXPECT_EQ(MemoLines().at(0), "SEND: ATT7");

    // Choosing other seconds alone sends nothing.
    settings->ComboBox_NELTA_TIME()->setCurrentIndex(9);
    EXPECT_TRUE(TakeCommands().empty());

    settings->SetDelayActive(false);
    EXPECT_EQ(WithoutReturns(TakeCommands()), (Lines{"at", "att0"}));
    EXPECT_FALSE(holder->getValueBoolean("AC01|AC|AC_DELAY"));
    EXPECT_EQ(holder->getValueInteger("AC01|AC|AC_DELAYTIME"), 0);
    EXPECT_EQ(settings->ComboBox_NELTA_TIME()->currentIndex(), 0);
    EXPECT_EQ(settings->StatusPanelText(1), QStringLiteral("SET: ATT0"));

    // A box that does not answer "at": nothing stored, nothing sent.
    ReplaceBox(BoxConfig("USB-NELTA8", 2, TNeltaFault::Silent));
    settings->ComboBox_NELTA_TIME()->setCurrentIndex(3);
    settings->SetDelayActive(true);
    EXPECT_EQ(WithoutReturns(TakeCommands()), (Lines{"at"}));
    EXPECT_FALSE(holder->getValueBoolean("AC01|AC|AC_DELAY"));
    EXPECT_TRUE(settings->AC_OnOFF_Delay()->isChecked());
}
