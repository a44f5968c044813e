// Served messages leave the data holder's context as they found it: a
// handler that runs while a wait or the logger's pump serves the queue may
// empty UseIndex/UseSection or parse paths of its own, and the operation it
// interrupted goes on in its own context.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LogTestDir.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/ServedMessages.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

namespace {

class ServedMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        holder = std::make_unique<TmuDataholder>();
        holder->InitValueString("AC01|AC|AC_Name07", "Steckdosenname");
        holder->InitValueBoolean("AC01|AC|AC_Down07", false);
        holder->InitValueString("INI|TAVRIN|FormPos", "TopLeft");
        // The handler that runs in the middle: what a window activation does.
        app.onProcess = [this] {
            holder->clearUseIndexSection();
            holder->getValueString("INI|TAVRIN|FormPos");
        };
    }
    void TearDown() override { SetProgramApplication(nullptr); }

    FakePlatform platform;
    LogTestDir dir{platform};
    TComponent owner;
    FakeApplication app;
    std::unique_ptr<TmuDataholder> holder;
};

TEST_F(ServedMessagesTest, EveryWayOfServingKeepsTheHoldersContext) {
    struct Case {
        const char* what;
        std::function<void()> serve;
    };
    auto* os = new TmuOperationSystem(&owner);
    os->setApplication(&app);
    auto* log = new TmuCompoLogging(&owner);
    log->SetCompoName("muTest");
    log->SetCompoID("LOG_ALL");
    log->setApplication(&app);
    auto* plain = new TmuCompoLogging(&owner);  // no application of its own
    plain->SetCompoName("muPlain");
    plain->SetCompoID("LOG_ALL");
    const Case cases[] = {
        {"ServeMessages", [&] { ServeMessages(app); }},
        {"SetProcessMessages", [&] { os->SetProcessMessages(3); }},
        {"the logger's pump",
         [&] {
             for (int i = 0; i < 32; ++i) log->addText("x");
         }},
        {"the pump of a logger without its own application",
         [&] {
             SetProgramApplication(&app);
             for (int i = 0; i < 32; ++i) plain->addText("x");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        holder->UseIndex = "AC01";
        holder->UseSection = "AC";
        ASSERT_TRUE(holder->CheckValueOfSection("AC_Name07"));
        const int before = app.processed;
        c.serve();
        EXPECT_GT(app.processed, before);
        EXPECT_EQ(holder->UseIndex, "AC01");
        EXPECT_EQ(holder->UseSection, "AC");
        EXPECT_EQ(holder->get_IdxName(), "AC01");
        EXPECT_EQ(holder->get_ValueKey(), "AC|AC_Name07");
        // Short names still reach the socket's values.
        EXPECT_TRUE(holder->setValueBoolean("AC_Down07", true));
        EXPECT_TRUE(holder->getValueBoolean("AC01|AC|AC_Down07"));
        holder->setValueBoolean("AC01|AC|AC_Down07", false);
    }
}

// The holder's own trace pumps in the middle of a read or a write: the
// next short-name access of the caller still lands in the caller's context.
TEST_F(ServedMessagesTest, AHandlerInTheHoldersOwnTraceChangesNothingForTheCaller) {
    holder->Log()->SetCompoID("LOG_ALL");
    holder->setApplication(&app);
    SetProgramApplication(&app);
    holder->UseIndex = "AC01";
    holder->UseSection = "AC";
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(holder->setValueString("AC_Name07", "Drucker"));
        ASSERT_TRUE(holder->setValueBoolean("AC_Down07", true));
        ASSERT_EQ(holder->getValueString("AC_Name07"), "Drucker");
    }
    EXPECT_GT(app.processed, 0);
    holder->clearUseIndexSection();
    EXPECT_EQ(holder->getValueString("AC01|AC|AC_Name07"), "Drucker");
    EXPECT_TRUE(holder->getValueBoolean("AC01|AC|AC_Down07"));
}

// A holder that goes while messages are served is not touched afterwards,
// and nested serving restores each level.
TEST_F(ServedMessagesTest, NestedServingAndAHolderThatGoesMeanwhile) {
    auto second = std::make_unique<TmuDataholder>();
    int depth = 0;
    app.onProcess = [&] {
        holder->UseIndex = "X" + std::to_string(depth);
        if (depth++ == 0) {
            ServeMessages(app);
            EXPECT_EQ(holder->UseIndex, "X0");
        }
        second.reset();
    };
    holder->UseIndex = "AC01";
    ServeMessages(app);
    EXPECT_EQ(holder->UseIndex, "AC01");
    EXPECT_EQ(app.processed, 2);
}

}  // namespace
