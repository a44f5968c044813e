#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/FakePlatform.h"
#include "toolkit/LogTestDir.h"
#include "toolkit/muLogging.h"

namespace {

const std::string kSep = "muTest ----------------- \r\n";

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override { TmuLogging::ResetFileErrorNotice(); }
    void TearDown() override { TmuLogging::ResetFileErrorNotice(); }

    // A logger named muTest at the given level, pointing at the test folder.
    TmuCompoLogging* NewLogger(const std::string& level = "LOG_ALL") {
        auto* log = new TmuCompoLogging(&owner);
        log->SetCompoName("muTest");
        log->SetCompoID(level);
        return log;
    }

    FakePlatform platform;
    LogTestDir dir{platform};
    TComponent owner;
};

// --- Line layout ---------------------------------------------------------

struct LayoutCase {
    const char* what;
    std::function<void(TmuLogging&)> run;
    std::string expected;
};

TEST_F(LoggingTest, EveryLineKindHasItsExactLayout) {
    const std::vector<LayoutCase> cases = {
        {"function entry", [](TmuLogging& l) { l.addFnc("Foo"); }, kSep + "muTest -->>  FUNCTION : Foo\r\n"},
        {"procedure entry", [](TmuLogging& l) { l.addPro("Foo"); }, kSep + "muTest -->> PROCEDURE : Foo\r\n"},
        {"class entry", [](TmuLogging& l) { l.addCls("Create"); },
         kSep + "muTest -->>     CLASS : Create\r\n"},
        {"function exit", [](TmuLogging& l) { l.exitFnc(l.addFnc("Foo")); },
         kSep + "muTest -->>  FUNCTION : Foo\r\nmuTest <<--  FUNCTION : Foo\r\n"},
        {"procedure exit", [](TmuLogging& l) { l.exitPro(l.addPro("Foo")); },
         kSep + "muTest -->> PROCEDURE : Foo\r\nmuTest <<-- PROCEDURE : Foo\r\n"},
        {"class exit", [](TmuLogging& l) { l.exitCls(l.addCls("Foo")); },
         kSep + "muTest -->>     CLASS : Foo\r\nmuTest <<--     CLASS : Foo\r\n"},
        {"procedure exit by name", [](TmuLogging& l) { l.exitProByName("Bar"); },
         "muTest <<-- PROCEDURE : Bar\r\n"},
        {"class exit by name", [](TmuLogging& l) { l.exitClsByName("Bar"); },
         "muTest <<--     CLASS : Bar\r\n"},
        {"warning", [](TmuLogging& l) { l.addWrn("Achtung"); }, "muTest - WarnMsg : Achtung\r\n"},
        {"error", [](TmuLogging& l) { l.addErr("kaputt"); }, "muTest - ErrorMsg : kaputt\r\n"},
        {"message", [](TmuLogging& l) { l.addMsg("Hallo"); }, "muTestHallo\r\n"},
        {"plain", [](TmuLogging& l) { l.addText("Klasse muTest erstellen"); },
         "muTest - Klasse muTest erstellen\r\n"},
        {"plain, UTF-8", [](TmuLogging& l) { l.addText("Löschen"); }, "muTest - L\xC3\xB6schen\r\n"},
        {"text list skips integers and booleans",
         [](TmuLogging& l) {
             l.addTextList({"eins", std::int32_t(7), true, "zwei"});
         },
         "muTest - eins\r\nmuTest - zwei\r\n"},
    };
    for (const auto& c : cases) {
        dir.Clear();
        auto* log = NewLogger();
        c.run(*log);
        EXPECT_EQ(dir.Read(), c.expected) << c.what;
        delete log;
    }
}

struct VariableCase {
    const char* name;
    std::function<void(TmuLogging&, const std::string&)> run;
    std::string tagAndType;
    std::string value;
};

TEST_F(LoggingTest, VariableLinesCarryDirectionTagTypeNameAndValueText) {
    const auto str = [](TmuLogging& l, const std::string& n) { l.addVarString(n, "abc"); };
    const auto integer = [](TmuLogging& l, const std::string& n) { l.addVarInteger(n, -42); };
    const std::vector<VariableCase> cases = {
        {"i_bFlag", [](TmuLogging& l, const std::string& n) { l.addVarBoolean(n, true); },
         " INPUT -  Boolean         ", "True"},
        {"o_bFlag", [](TmuLogging& l, const std::string& n) { l.addVarBoolean(n, false); },
         "OUTPUT -  Boolean         ", "False"},
        {"io_sText", str, "IN/OUT -  String          ", "abc"},
        {"r_iResult", integer, "RETURN -  Integer         ", "-42"},
        {"R_pBuf", str, "RETURN -  pChar           ", "abc"},
        {"i_cChar", str, " INPUT -  Char            ", "abc"},
        {"i_mStream", str, " INPUT -  Stream          ", "abc"},
        {"i_arList", str, " INPUT -  Array           ", "abc"},
        {"i_dbValue", str, " INPUT -  Double          ", "abc"},
        {"i_wdValue", str, " INPUT -  Word            ", "abc"},
        {"i_liValue", str, " INPUT -  Longint         ", "abc"},
        {"i_lnValue", str, " INPUT -  LongWord        ", "abc"},
        {"i_tsList", str, " INPUT -  TStrings        ", "abc"},
        {"i_dtNow", str, " INPUT -  TDatetime       ", "abc"},
        {"i__s", str, " INPUT -  String          ", "abc"},  // underscores are passed over
        {"i_xyValue", str, " INPUT - ", "abc"},              // unknown code: no type name
        {"x_sText", str, " String          ", "abc"},        // unknown direction: no tag
        {"sText", str, "", "abc"},                           // no "_": neither
        {"Klasse ", str, "", "abc"},
        {"r_btValue", [](TmuLogging& l, const std::string& n) { l.addVarByte(n, 0x0A); },
         "RETURN -  Boolean         ", "0A"},
        {"r_wdValue", [](TmuLogging& l, const std::string& n) { l.addVarWord(n, 0xBEEF); },
         "RETURN -  Word            ", "BEEF"},
        {"r_lnValue", [](TmuLogging& l, const std::string& n) { l.addVarCardinal(n, 4294967295u); },
         "RETURN -  LongWord        ", "4294967295"},
        {"r_liValue",
         [](TmuLogging& l, const std::string& n) { l.addVarInt64(n, -9223372036854775807LL - 1); },
         "RETURN -  Longint         ", "-9223372036854775808"},
    };
    for (const auto& c : cases) {
        dir.Clear();
        auto* log = NewLogger();
        c.run(*log, c.name);
        EXPECT_EQ(dir.Read(), std::string(6, ' ') + " [Variable " + c.tagAndType + "(" + c.name +
                                  ") ]: = " + c.value + "\r\n")
            << c.name;
        delete log;
    }
}

TEST_F(LoggingTest, VariableInsideAnEntryIsIndentedAndPaddedByTheNameLength) {
    auto* log = NewLogger();
    log->SetCompoName("muComponents");
    log->addFnc("GetCompoID");
    dir.Clear();
    log->addVarInteger("r_iResult", 0);
    EXPECT_EQ(dir.Read(),
              " " + std::string(12, ' ') + " [Variable RETURN -  Integer         (r_iResult) ]: = 0\r\n");
}

TEST_F(LoggingTest, PairAndStringIntegerWriteTwoVariableLines) {
    auto* log = NewLogger();
    log->addVarIntegerPair("i_iX", 1, "i_iY", 2);
    log->addVarStringInteger("i_sName", "Dose", "i_iNr", 5);
    const std::string pad(6, ' ');
    EXPECT_EQ(dir.Read(), pad + " [Variable  INPUT -  Integer         (i_iX) ]: = 1\r\n" + pad +
                              " [Variable  INPUT -  Integer         (i_iY) ]: = 2\r\n" + pad +
                              " [Variable  INPUT -  String          (i_sName) ]: = Dose\r\n" + pad +
                              " [Variable  INPUT -  Integer         (i_iNr) ]: = 5\r\n");
}

TEST_F(LoggingTest, ExtendedValuesUseGeneralFormatWithFifteenDigits) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {0.0L, "0"},
        {1.5L, "1.5"},
        {-2.25L, "-2.25"},
        {100.0L, "100"},
        {1.0L / 3.0L, "0.333333333333333"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1.5e20L, "1.5E20"},
        {0.00001L, "0.00001"},
        {1e-7L, "1E-7"},
        {2.0L / 3.0L, "0.666666666666667"},
    };
    for (const auto& c : cases) {
        dir.Clear();
        auto* log = NewLogger();
        log->addVarExtended("r_dbValue", c.value);
        EXPECT_EQ(dir.Read(), std::string(6, ' ') +
                                  " [Variable RETURN -  Double          (r_dbValue) ]: = " + c.text + "\r\n")
            << c.text;
        delete log;
    }
}

TEST_F(LoggingTest, ExtendedValuesUseTheLocaleDecimalSeparator) {
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no German locale installed";
    auto* log = NewLogger();
    log->addVarExtended("r_dbValue", 1.5L);
    std::setlocale(LC_NUMERIC, old.c_str());
    EXPECT_NE(dir.Read().find("]: = 1,5\r\n"), std::string::npos);
}

// --- Levels ----------------------------------------------------------------

struct LevelCase {
    const char* what;
    std::function<void(TmuLogging&)> run;
    std::string all;  // also Own
    std::string err;  // also Prg
    std::string std;
};

TEST_F(LoggingTest, LevelWordDecidesWhichLinesReachTheFile) {
    const std::string var =
        std::string(6, ' ') + " [Variable RETURN -  Integer         (r_iResult) ]: = 0\r\n";
    const std::vector<LevelCase> cases = {
        {"function", [](TmuLogging& l) { l.addFnc("Foo"); }, kSep + "muTest -->>  FUNCTION : Foo\r\n", "",
         ""},
        {"procedure", [](TmuLogging& l) { l.addPro("Foo"); }, kSep + "muTest -->> PROCEDURE : Foo\r\n", "",
         ""},
        {"class Foo", [](TmuLogging& l) { l.addCls("Foo"); }, kSep + "muTest -->>     CLASS : Foo\r\n", "",
         ""},
        {"class create", [](TmuLogging& l) { l.addCls("create"); },
         kSep + "muTest -->>     CLASS : create\r\n", "", kSep + "muTest -->>     CLASS : create\r\n"},
        {"class DESTROY exit", [](TmuLogging& l) { l.exitClsByName("DESTROY"); },
         "muTest <<--     CLASS : DESTROY\r\n", "", "muTest <<--     CLASS : DESTROY\r\n"},
        {"function Create (filtered at Std)", [](TmuLogging& l) { l.exitFnc(l.addFnc("Create")); },
         kSep + "muTest -->>  FUNCTION : Create\r\nmuTest <<--  FUNCTION : Create\r\n", "", ""},
        {"warning", [](TmuLogging& l) { l.addWrn("w"); }, "muTest - WarnMsg : w\r\n", "", ""},
        {"error", [](TmuLogging& l) { l.addErr("e"); }, "muTest - ErrorMsg : e\r\n", "", ""},
        {"message", [](TmuLogging& l) { l.addMsg("m"); }, "muTestm\r\n", "", ""},
        {"plain", [](TmuLogging& l) { l.addText("t"); }, "muTest - t\r\n", "muTest - t\r\n", ""},
        {"variable", [](TmuLogging& l) { l.addVarInteger("r_iResult", 0); }, var, var, ""},
    };
    const struct {
        const char* id;
        bool active;
        int column;  // 0 all, 1 err, 2 std, 3 nothing
    } levels[] = {
        {"LOG_ALL", true, 0}, {"log_all", true, 0}, {"MUTEST", true, 0},
        {"muTest", true, 0},  {"LOG_ERR", true, 1}, {"LOG_PRG", true, 1},
        {"LOG_STD", true, 2}, {"LOG_XYZ", true, 3}, {"LOG_ALL", false, 3},
    };
    for (const auto& level : levels) {
        for (const auto& c : cases) {
            dir.Clear();
            auto* log = NewLogger(level.id);
            log->SetActiveLog(level.active);
            dir.Clear();  // switching on may have written an error line
            c.run(*log);
            const std::string expected = level.column == 0   ? c.all
                                         : level.column == 1 ? c.err
                                         : level.column == 2 ? c.std
                                                             : "";
            EXPECT_EQ(dir.Read(), expected) << level.id << (level.active ? "" : " (off)") << ": " << c.what;
            delete log;
        }
    }
}

TEST_F(LoggingTest, LevelWordIsStoredUpperCasedAndEmptyKeepsTheOld) {
    auto* log = NewLogger("log_err");
    EXPECT_EQ(log->CompoID(), "LOG_ERR");
    EXPECT_EQ(log->getLogLevel(), TmuLogLevel::Err);
    log->SetCompoID("");
    EXPECT_EQ(log->CompoID(), "LOG_ERR");
    log->SetCompoID("mutest");
    EXPECT_EQ(log->getLogLevel(), TmuLogLevel::Own);
    log->SetActiveLog(false);
    EXPECT_EQ(log->getLogLevel(), TmuLogLevel::Off);
}

TEST_F(LoggingTest, StdLevelHandlesOnlyCreateAndDestroy) {
    auto* log = NewLogger("LOG_STD");
    EXPECT_EQ(log->addPro("Foo"), 0);
    EXPECT_EQ(log->addFnc("Bar"), 0);
    EXPECT_EQ(log->addCls("Foo"), 0);
    EXPECT_EQ(dir.Read(), "");
    EXPECT_EQ(log->addCls("Destroy"), 0);  // first registered name
    EXPECT_EQ(log->addCls("create"), 1);
    EXPECT_EQ(log->addCls("CREATE"), 1);  // the registry ignores letter case
    // The filtered function entry still indents, so the exit lands deeper.
    log->addFnc("Create");
    log->exitClsByName("Create");
    const std::string s = dir.Read();
    EXPECT_NE(s.find("\r\n   muTest <<--     CLASS : Create\r\n"), std::string::npos) << s;
}

// --- Handles and indentation ------------------------------------------------

TEST_F(LoggingTest, EntryAndExitShareTheirIndentationAndEncloseDeeperLines) {
    auto* log = NewLogger();
    const int outer = log->addFnc("Outer");
    const int inner = log->addPro("Inner");
    log->addText("mitte");
    log->exitPro(inner);
    log->exitFnc(outer);
    EXPECT_EQ(outer, 0);
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(dir.Read(), kSep + "muTest -->>  FUNCTION : Outer\r\n " + kSep +
                              " muTest -->> PROCEDURE : Inner\r\n"
                              "  muTest - mitte\r\n"
                              " muTest <<-- PROCEDURE : Inner\r\n"
                              "muTest <<--  FUNCTION : Outer\r\n");
    // A name seen before keeps its handle, whatever its letter case.
    EXPECT_EQ(log->addFnc("OUTER"), outer);
}

TEST_F(LoggingTest, ExitByUnknownHandleWritesAnEmptyName) {
    auto* log = NewLogger();
    log->exitFnc(5);  // empty registry
    log->addFnc("Foo");
    log->exitPro(99);
    log->exitCls(-1);
    EXPECT_EQ(dir.Read(), "muTest <<--  FUNCTION : \r\n" + kSep +
                              "muTest -->>  FUNCTION : Foo\r\n"
                              "muTest <<-- PROCEDURE : \r\n"
                              "muTest <<--     CLASS : \r\n");
}

TEST_F(LoggingTest, DepthAboveEightyFallsBackToOneAndNeverGoesNegative) {
    auto* log = NewLogger();
    for (int i = 0; i < 81; ++i) log->addPro("Deep");
    dir.Clear();
    log->exitProByName("Deep");
    log->addText("danach");
    log->exitProByName("x");
    log->exitProByName("y");
    log->addText("ende");
    EXPECT_EQ(dir.Read(),
              " muTest <<-- PROCEDURE : Deep\r\n muTest - danach\r\nmuTest <<-- PROCEDURE : x\r\n"
              "muTest <<-- PROCEDURE : y\r\nmuTest - ende\r\n");
}

// --- Keyed call lists -------------------------------------------------------

TEST_F(LoggingTest, CallListWritesEntryAndNamedValues) {
    auto* log = NewLogger();
    log->addFnc("Vorher");
    dir.Clear();
    const int h = log->addCall({"addFnc", "GetCompoID", "i_sName", "CheckBox1", "i_iPos", std::int32_t(3),
                                "i_bFound", true, TLogValue::Other(), "None", "Text"});
    EXPECT_EQ(h, 1);
    const std::string pad(6, ' ');
    EXPECT_EQ(dir.Read(), " " + kSep + " muTest -->>  FUNCTION : GetCompoID\r\n  " + pad +
                              " [Variable  INPUT -  String          (i_sName) ]: = CheckBox1\r\n  " + pad +
                              " [Variable  INPUT -  Integer         (i_iPos) ]: = 3\r\n  " + pad +
                              " [Variable  INPUT -  Boolean         (i_bFound) ]: = True\r\n"
                              "  muTest - Text\r\n");
}

TEST_F(LoggingTest, CallListShapesOfConstructorAndDestructor) {
    auto* log = NewLogger();
    const int h = log->addCall({"addCls", "Create", "None", "Klasse muTest erstellen"});
    log->exitCls(h);
    log->addCall({"addCLS", "Destroy", "Klasse ", "muTest vernichten"});
    EXPECT_EQ(dir.Read(), kSep +
                              "muTest -->>     CLASS : Create\r\n muTest - Klasse muTest erstellen\r\n"
                              "muTest <<--     CLASS : Create\r\n" +
                              kSep + "muTest -->>     CLASS : Destroy\r\n " + std::string(6, ' ') +
                              " [Variable (Klasse ) ]: = muTest vernichten\r\n");
}

TEST_F(LoggingTest, CallListAtStdStopsAfterTheFirstHandledValue) {
    auto* log = NewLogger("LOG_STD");
    const int h = log->addCall({"addCls", "Create", "addCls", "Destroy"});
    EXPECT_EQ(h, 0);
    EXPECT_EQ(dir.Read(), kSep + "muTest -->>     CLASS : Create\r\n");
    dir.Clear();
    // An ignored name is a handled value too: nothing after it runs.
    log->addCall({"addPro", "Foo", "addCls", "Create"});
    EXPECT_EQ(dir.Read(), "");
}

TEST_F(LoggingTest, CallListPassesOverEmptyTextsAndStrayValues) {
    auto* log = NewLogger();
    // An empty text keeps expecting a key; a value of another type leaves the
    // name pending, so an integer that follows it is taken as a key marker.
    log->addCall({"", std::int32_t(1), "i_iA", std::int32_t(2), std::int32_t(3), "i_sB", TLogValue::Other(),
                  std::int32_t(4), "wert"});
    const std::string pad(6, ' ');
    EXPECT_EQ(dir.Read(), pad + " [Variable  INPUT -  Integer         (i_iA) ]: = 2\r\n" + pad +
                              " [Variable  INPUT -  String          (i_sB) ]: = wert\r\n");
}

// --- Switching on, location, file failures -----------------------------------

TEST_F(LoggingTest, SwitchingOnDeletesTheOldFileEachTimeAndRaisesOnLogging) {
    auto* log = NewLogger();
    int raised = 0;
    TComponent* sender = nullptr;
    log->SetOnLogging([&](TComponent* s) {
        ++raised;
        sender = s;
    });
    log->addText("alt");
    ASSERT_FALSE(dir.Read().empty());
    log->SetActiveLog(true);  // Delete off: kept
    EXPECT_EQ(dir.Read(), "muTest - alt\r\n");
    log->SetDelete(true);
    log->SetActiveLog(true);
    EXPECT_FALSE(std::filesystem::exists(dir.LogFile()));
    log->addText("neu");
    log->SetActiveLog(true);
    EXPECT_FALSE(std::filesystem::exists(dir.LogFile()));
    EXPECT_EQ(raised, 3);
    EXPECT_EQ(sender, log);
    log->SetActiveLog(false);
    EXPECT_EQ(raised, 3);
}

TEST_F(LoggingTest, MissingFolderWritesNothingCreatesNothingAndShowsNoMessage) {
    std::filesystem::remove_all(dir.LogFolder());
    auto* log = NewLogger();
    log->SetActiveLog(true);
    log->addText("x");
    log->addCls("Create");
    EXPECT_FALSE(std::filesystem::exists(dir.LogFolder()));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LoggingTest, UnknownFolderErrorLineNamesTheDirectory) {
    auto* log = NewLogger();
    log->SetSystemPath("Nirgendwo");
    log->SetActiveLog(true);  // the error line reaches no file
    log->SetSystemPath("System\\Logging");
    EXPECT_EQ(dir.Read(), "");
    EXPECT_EQ(log->LogFilePath(), dir.Root() + "\\System\\Logging\\mLogging.log");
}

TEST_F(LoggingTest, TrailingBackslashesAreNotDoubled) {
    auto* log = NewLogger();
    log->SetSystemPath("System\\Logging\\");
    log->SetCurrentDir(dir.Root() + "\\");
    EXPECT_EQ(log->LogFilePath(), dir.Root() + "\\System\\Logging\\mLogging.log");
    log->SetCurrentDir(dir.Root() + "/ ");
    EXPECT_EQ(log->LogFilePath(), dir.Root() + "/System\\Logging\\mLogging.log");
    log->addText("x");
    EXPECT_EQ(dir.Read(), "muTest - x\r\n");
}

TEST_F(LoggingTest, EmptyLocationValuesReadAsDefaults) {
    auto* log = NewLogger();
    log->SetSystemPath("");
    log->SetFileName("");
    log->SetCurrentDir("");
    EXPECT_EQ(log->SystemPath(), "System\\Logging");
    EXPECT_EQ(log->FileName(), "mLogging.log");
    EXPECT_EQ(log->CurrentDir(), dir.Root());
    log->SetCompoName("");
    EXPECT_EQ(log->CompoName(), "muTest");
}

TEST_F(LoggingTest, UnopenableFileShowsOneMessageBoxPerRunAndDropsLines) {
    std::filesystem::create_directories(dir.LogFile());  // a folder where the file should be
    auto* a = NewLogger();
    auto* b = NewLogger();
    a->addText("eins");
    b->addText("zwei");
    a->addText("drei");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "File I/O error.");
    EXPECT_EQ(platform.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Error);
    // Once the file can be opened again, lines are written.
    std::filesystem::remove_all(dir.LogFile());
    a->addText("vier");
    EXPECT_EQ(dir.Read(), "muTest - vier\r\n");
}

TEST_F(LoggingTest, MessageLinesShowNoMessageBox) {
    FakeApplication app;
    auto* log = NewLogger();
    log->setApplication(&app);
    EXPECT_EQ(log->addMsg("Hinweis"), 0);
    EXPECT_EQ(dir.Read(), "muTestHinweis\r\n");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LoggingTest, EveryThirtySecondWrittenLinePumpsMessages) {
    FakeApplication app;
    auto* log = NewLogger();
    log->setApplication(&app);
    for (int i = 0; i < 31; ++i) log->addText("x");
    EXPECT_EQ(app.processed, 0);
    log->addText("x");  // the 32nd written line
    EXPECT_EQ(app.processed, 1);
    for (int i = 0; i < 31; ++i) log->addText("x");
    EXPECT_EQ(app.processed, 1);
    // Filtered lines are not counted.
    log->SetCompoID("LOG_STD");
    for (int i = 0; i < 40; ++i) log->addText("x");
    EXPECT_EQ(app.processed, 1);
    log->SetCompoID("LOG_ALL");
    log->addText("x");
    EXPECT_EQ(app.processed, 2);
    // Without an application the count goes on, nothing is pumped.
    log->setApplication(nullptr);
    for (int i = 0; i < 32; ++i) log->addText("x");
    log->setApplication(&app);
    for (int i = 0; i < 31; ++i) log->addText("x");
    EXPECT_EQ(app.processed, 2);
    log->addText("x");
    EXPECT_EQ(app.processed, 3);
}

// --- Settings record, program logger, set-ups -------------------------------

TEST_F(LoggingTest, SettingsRecordTravelsWithoutTheName) {
    auto* master = NewLogger("log_all");
    master->SetSystemPath("Andere");
    master->SetFileName("x.log");
    master->SetDelete(true);
    TmuLogging_Parm parm;
    master->getParm(parm);
    EXPECT_EQ(parm.CompoID, "LOG_ALL");
    EXPECT_TRUE(parm.Delete);
    EXPECT_TRUE(parm.ActiveLog);
    EXPECT_EQ(parm.CurrentDir, dir.Root());
    EXPECT_EQ(parm.SystemPath, "Andere");
    EXPECT_EQ(parm.FileName, "x.log");

    auto* service = new TmuCompoLogging(&owner);
    service->SetCompoName("muService");
    service->addText("wird gelöscht");  // level LOG_STD by default: nothing
    EXPECT_EQ(dir.Read(), "");
    service->SetCompoID("LOG_ALL");
    service->addText("alt");
    ASSERT_FALSE(dir.Read().empty());
    // Activation (and the deletion it brings) happens at the old location.
    service->setParm(parm);
    EXPECT_FALSE(std::filesystem::exists(dir.LogFile()));
    EXPECT_EQ(service->CompoName(), "muService");
    EXPECT_EQ(service->getLogLevel(), TmuLogLevel::All);
    EXPECT_EQ(service->LogFilePath(), dir.Root() + "\\Andere\\x.log");
}

TEST_F(LoggingTest, ProgramLoggerTracesEverythingAndSwitchesOffOnDestruction) {
    auto* log = new TmuProgramLogging(&owner);
    EXPECT_EQ(log->CompoName(), "muLogging");
    EXPECT_EQ(log->CompoID(), "LOG_ALL");
    EXPECT_FALSE(log->Delete());
    EXPECT_TRUE(log->ActiveLog());
    log->addText("Start");
    EXPECT_EQ(dir.Read(), "muLogging - Start\r\n");
    delete log;

    TmuCompoLogging plain;
    EXPECT_EQ(plain.CompoName(), "muCompoLogging");
    EXPECT_EQ(plain.CompoID(), "LOG_STD");
    EXPECT_EQ(plain.SystemPath(), "System\\Logging");
    EXPECT_EQ(plain.FileName(), "mLogging.log");
    EXPECT_EQ(plain.CurrentDir(), dir.Root());
}

TEST_F(LoggingTest, CreateLoggingWritesItsLineThenAppliesTheValues) {
    TmuCompoLogging* slot = nullptr;
    CreateLogging(&owner, slot, "mUnit", "LOG_STD", false, true);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->Owner(), &owner);
    EXPECT_EQ(slot->CompoName(), "mUnit");
    EXPECT_EQ(slot->CompoID(), "LOG_STD");
    EXPECT_TRUE(slot->ActiveLog());
    EXPECT_EQ(slot->LogFilePath(), dir.Root() + "\\System\\Logging\\mLogging.log");
    EXPECT_EQ(dir.Read(), "mUnit - CreateLogging\r\n");
    // A set slot is kept; only the values are applied.
    TmuCompoLogging* before = slot;
    CreateLogging(&owner, slot, "mUnit", "LOG_ERR", false, false);
    EXPECT_EQ(slot, before);
    EXPECT_EQ(slot->getLogLevel(), TmuLogLevel::Off);
    EXPECT_EQ(dir.Read(), "mUnit - CreateLogging\r\n");
}

TEST_F(LoggingTest, DirectSetUpUsesTheGivenLocation) {
    auto* log = CreateLoggingDirect(&owner, "muDirect", dir.Root(), "Logs", "log_all", false, true);
    EXPECT_EQ(log->CompoName(), "muDirect");
    EXPECT_EQ(log->CompoID(), "LOG_ALL");
    EXPECT_EQ(log->LogFilePath(), dir.Root() + "\\Logs\\mLogging.log");
    EXPECT_EQ(dir.Read(), "");
}

}  // namespace
