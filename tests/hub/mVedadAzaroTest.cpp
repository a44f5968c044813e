#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hub/mVedadAzaro.h"
#include "hub/muComponents.h"
#include "hub/muFormTools.h"
#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "store/muIniIO.h"
#include "support/FakePlatform.h"
#include "toolkit/LogTestDir.h"
#include "toolkit/mAboutVersion.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muStringTools.h"

namespace {

class HubTest : public ::testing::Test {
protected:
    std::vector<TmuCompoLogging*> ServiceLoggers() const {
        return {hub->IniIO()->Log(),      hub->FileIO()->Log(),      hub->OperationSystem()->Log(),
                hub->Dataholder()->Log(), hub->DataConvert()->Log(), hub->Components()->Log(),
                hub->FormTools()->Log()};
    }

    FakePlatform platform;
    LogTestDir dir{platform};
    TComponent owner;
    TmVedadAzaro* hub = new TmVedadAzaro(&owner);
};

TEST_F(HubTest, ConstructionBuildsAndWiresEveryService) {
    TmuCompoLogging* log = hub->Log();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->CompoName(), "mVedadAzaro");
    EXPECT_EQ(log->CompoID(), "LOG_STD");
    EXPECT_FALSE(log->Delete());
    EXPECT_TRUE(log->ActiveLog());
    EXPECT_EQ(log->LogFilePath(), dir.Root() + "\\System\\Logging\\mLogging.log");

    const std::vector<TComponent*> services = {hub->IniIO(),       hub->FileIO(),     hub->OperationSystem(),
                                               hub->StringTools(), hub->Dataholder(), hub->DataConvert(),
                                               hub->Components(),  hub->FormTools(),  log};
    for (TComponent* s : services) {
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Owner(), hub);
    }
    EXPECT_EQ(hub->Components()->getDataholder(), hub->Dataholder());
    EXPECT_EQ(hub->getApplication(), nullptr);

    ASSERT_NE(hub->About(), nullptr);
    EXPECT_EQ(hub->About()->ComponentName(), "VedadAzaro");
    EXPECT_EQ(hub->About()->ComponentVersion(), "1.0.1.22");
    EXPECT_EQ(hub->About()->ComponentDate(), "26.07.2021");
    EXPECT_EQ(hub->About()->Componentfirm(), "Tavrin-Projekt");

    // The hub's own trace: the set-up line, then only its class lines.
    const std::string log0 = dir.Read();
    EXPECT_EQ(log0.find("mVedadAzaro - CreateLogging\r\nmVedadAzaro ----------------- \r\n"
                        "mVedadAzaro -->>     CLASS : Create\r\n"),
              0u)
        << log0;
    EXPECT_NE(log0.find("\r\nmVedadAzaro <<--     CLASS : Create\r\n"), std::string::npos);
    EXPECT_EQ(log0.find("Klasse mVedadAzaro"), std::string::npos);
}

TEST_F(HubTest, SwitchingTheHubLoggerOnPushesItsSettingsToEveryService) {
    TmuCompoLogging* log = hub->Log();
    log->SetSystemPath("Andere\\Logs");
    log->SetFileName("hub.log");
    log->SetCompoID("LOG_ALL");
    log->SetActiveLog(true);
    for (TmuCompoLogging* s : ServiceLoggers()) {
        EXPECT_EQ(s->getLogLevel(), TmuLogLevel::All) << s->CompoName();
        EXPECT_EQ(s->LogFilePath(), dir.Root() + "\\Andere\\Logs\\hub.log") << s->CompoName();
        EXPECT_NE(s->CompoName(), "mVedadAzaro");
    }
    EXPECT_EQ(hub->Components()->Log()->CompoName(), "muComponents");

    // Switching off is not propagated.
    log->SetCompoID("LOG_ERR");
    log->SetActiveLog(false);
    for (TmuCompoLogging* s : ServiceLoggers()) {
        EXPECT_TRUE(s->ActiveLog()) << s->CompoName();
        EXPECT_EQ(s->CompoID(), "LOG_ALL") << s->CompoName();
    }
}

TEST_F(HubTest, ApplicationIsPassedToTheServicesThatKeepOne) {
    FakeApplication app;
    FakeApplication other;
    hub->setApplication(&app);
    EXPECT_EQ(hub->getApplication(), &app);
    EXPECT_EQ(hub->IniIO()->getApplication(), &app);
    EXPECT_EQ(hub->FileIO()->getApplication(), &app);
    EXPECT_EQ(hub->OperationSystem()->getApplication(), &app);
    EXPECT_EQ(hub->Dataholder()->getApplication(), &app);

    // The same reference again passes nothing on.
    hub->IniIO()->setApplication(&other);
    hub->Dataholder()->setApplication(&other);
    hub->setApplication(&app);
    EXPECT_EQ(hub->IniIO()->getApplication(), &other);
    EXPECT_EQ(hub->Dataholder()->getApplication(), &other);

    hub->setApplication(nullptr);
    EXPECT_EQ(hub->getApplication(), nullptr);
    EXPECT_EQ(hub->IniIO()->getApplication(), nullptr);
    EXPECT_EQ(hub->OperationSystem()->getApplication(), nullptr);
}

TEST_F(HubTest, ApplicationAccessIsTraced) {
    FakeApplication app;
    hub->Log()->SetCompoID("LOG_ALL");
    dir.Clear();
    hub->setApplication(&app);
    hub->getApplication();
    EXPECT_EQ(dir.Read(),
              "mVedadAzaro ----------------- \r\n"
              "mVedadAzaro -->>  FUNCTION : setApplication\r\n"
              "mVedadAzaro <<-- PROCEDURE : setApplication\r\n"
              "mVedadAzaro ----------------- \r\n"
              "mVedadAzaro -->>  FUNCTION : getApplication\r\n " +
                  std::string(11, ' ') +
                  " [Variable RETURN - (r_TApplication) ]: = TApplication\r\n"
                  "mVedadAzaro <<--  FUNCTION : getApplication\r\n");
}

TEST_F(HubTest, DestructionTracesItselfAndFreesTheDataholderLast) {
    // Every service traces into the hub's file from now on.
    hub->Log()->SetActiveLog(true);
    dir.Clear();
    hub->Log()->SetCompoID("LOG_ALL");  // the hub alone writes everything
    delete hub;
    hub = nullptr;
    EXPECT_EQ(owner.ComponentCount(), 0);

    const std::string log = dir.Read();
    EXPECT_EQ(log.find("mVedadAzaro ----------------- \r\nmVedadAzaro -->>     CLASS : Destroy\r\n " +
                       std::string(11, ' ') +
                       " [Variable (Klasse ) ]: = mVedadAzaro vernichten\r\n"
                       "mVedadAzaro <<--     CLASS : Destroy\r\n"),
              0u)
        << log;
    const auto destroyOf = [&](const std::string& name) {
        return log.rfind(name + " -->>     CLASS : Destroy\r\n");
    };
    const size_t holder = destroyOf("muDataholder");
    ASSERT_NE(holder, std::string::npos) << log;
    for (const char* name : {"muIniIO", "muFileIO", "muOperationSystem", "muFormTools"}) {
        const size_t at = destroyOf(name);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_LT(at, holder) << name;
    }
    EXPECT_LT(destroyOf("muIniIO"), destroyOf("muFileIO"));
    EXPECT_LT(destroyOf("muFileIO"), destroyOf("muOperationSystem"));
}

}  // namespace
