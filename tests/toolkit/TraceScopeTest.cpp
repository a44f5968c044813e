#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/FakePlatform.h"
#include "toolkit/LogTestDir.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"

namespace {

using Kind = TmTraceScope::Kind;

const std::string kSep = "muTest ----------------- \r\n";

class TraceScopeTest : public ::testing::Test {
protected:
    void SetUp() override { TmuLogging::ResetFileErrorNotice(); }
    void TearDown() override { TmuLogging::ResetFileErrorNotice(); }

    TmuCompoLogging* NewLogger() {
        auto* log = new TmuCompoLogging(&owner);
        log->SetCompoName("muTest");
        log->SetCompoID("LOG_ALL");
        return log;
    }

    // What run writes to a fresh logger.
    std::string Written(const std::function<void(TmuLogging&)>& run) {
        dir.Clear();
        TmuCompoLogging* log = NewLogger();
        run(*log);
        delete log;
        return dir.Read();
    }

    FakePlatform platform;
    LogTestDir dir{platform};
    TComponent owner;
};

// A traced operation that leaves early when asked to.
void Operation(TmuLogging* log, bool early) {
    TmTraceScope trace(log, Kind::Procedure, "Operation");
    if (trace) trace->addText("vorher");
    if (early) return;
    if (trace) trace->addText("nachher");
}

bool Check(TmuLogging* log, bool value) {
    TmTraceScope trace(log, Kind::Function, "Check");
    return trace.Result(value);
}

std::int32_t Count(TmuLogging* log, std::int32_t value) {
    TmTraceScope trace(log, Kind::Function, "Count");
    if (value < 0) return trace.Result(0);
    return trace.Result(value);
}

TEST_F(TraceScopeTest, ExitFollowsTheLastLineOnEveryReturnPath) {
    const std::string entry = kSep + "muTest -->> PROCEDURE : Operation\r\n";
    const std::string exit = "muTest <<-- PROCEDURE : Operation\r\n";
    EXPECT_EQ(Written([](TmuLogging& l) { Operation(&l, false); }),
              entry + " muTest - vorher\r\n muTest - nachher\r\n" + exit);
    EXPECT_EQ(Written([](TmuLogging& l) { Operation(&l, true); }), entry + " muTest - vorher\r\n" + exit);
}

TEST_F(TraceScopeTest, ExitIsWrittenWhenAnExceptionLeavesTheScope) {
    const std::string written = Written([](TmuLogging& l) {
        try {
            TmTraceScope trace(&l, Kind::Function, "Fails");
            l.addErr("kaputt");
            throw std::runtime_error("kaputt");
        } catch (const std::runtime_error&) {
            l.addText("gefangen");
        }
    });
    EXPECT_EQ(written, kSep +
                           "muTest -->>  FUNCTION : Fails\r\n"
                           " muTest - ErrorMsg : kaputt\r\n"
                           "muTest <<--  FUNCTION : Fails\r\n"
                           "muTest - gefangen\r\n");
}

// Each scope writes what the hand-paired calls of its kind write.
TEST_F(TraceScopeTest, WritesWhatTheHandPairedCallsWrite) {
    const struct {
        const char* what;
        std::function<void(TmuLogging&)> scope;
        std::function<void(TmuLogging&)> byHand;
    } cases[] = {
        {"function",
         [](TmuLogging& l) {
             TmTraceScope trace(&l, Kind::Function, "Foo");
             l.addText("mitte");
         },
         [](TmuLogging& l) {
             const int h = l.addFnc("Foo");
             l.addText("mitte");
             l.exitFnc(h);
         }},
        {"procedure",
         [](TmuLogging& l) {
             TmTraceScope trace(&l, Kind::Procedure, "Foo");
             l.addText("mitte");
         },
         [](TmuLogging& l) {
             const int h = l.addPro("Foo");
             l.addText("mitte");
             l.exitPro(h);
         }},
        {"function with a call list",
         [](TmuLogging& l) {
             TmTraceScope trace(&l, Kind::Function, "GetCompoID",
                                {"i_sName", "CheckBox1", "i_iPos", std::int32_t(3)});
         },
         [](TmuLogging& l) {
             const int h =
                 l.addCall({"addFnc", "GetCompoID", "i_sName", "CheckBox1", "i_iPos", std::int32_t(3)});
             l.exitFnc(h);
         }},
        {"procedure with a call list",
         [](TmuLogging& l) {
             TmTraceScope trace(&l, Kind::Procedure, "TTavrin1.FormClose", {"i_Action", "TCloseAction"});
         },
         [](TmuLogging& l) {
             const int h = l.addCall({"addPro", "TTavrin1.FormClose", "i_Action", "TCloseAction"});
             l.exitPro(h);
         }},
        // The exit names the scope's own entry, not the name registered last.
        {"nested",
         [](TmuLogging& l) {
             TmTraceScope outer(&l, Kind::Function, "Outer");
             {
                 TmTraceScope inner(&l, Kind::Procedure, "Inner");
                 l.addText("innen");
             }
             l.addText("aussen");
         },
         [](TmuLogging& l) {
             const int outer = l.addFnc("Outer");
             const int inner = l.addPro("Inner");
             l.addText("innen");
             l.exitPro(inner);
             l.addText("aussen");
             l.exitFnc(outer);
         }},
        {"boolean result", [](TmuLogging& l) { EXPECT_TRUE(Check(&l, true)); },
         [](TmuLogging& l) {
             const int h = l.addFnc("Check");
             l.addVarBoolean("r_bResult", true);
             l.exitFnc(h);
         }},
        {"integer result", [](TmuLogging& l) { EXPECT_EQ(Count(&l, 7), 7); },
         [](TmuLogging& l) {
             const int h = l.addFnc("Count");
             l.addVarInteger("r_iResult", 7);
             l.exitFnc(h);
         }},
        {"integer result on the early return", [](TmuLogging& l) { EXPECT_EQ(Count(&l, -5), 0); },
         [](TmuLogging& l) {
             const int h = l.addFnc("Count");
             l.addVarInteger("r_iResult", 0);
             l.exitFnc(h);
         }},
    };
    for (const auto& c : cases) {
        const std::string byHand = Written(c.byHand);
        EXPECT_FALSE(byHand.empty()) << c.what;
        EXPECT_EQ(Written(c.scope), byHand) << c.what;
    }
}

TEST_F(TraceScopeTest, ResultLinesNameTheResultKind) {
    EXPECT_EQ(Written([](TmuLogging& l) { Check(&l, false); }),
              kSep + "muTest -->>  FUNCTION : Check\r\n" + std::string(7, ' ') +
                  " [Variable RETURN -  Boolean         (r_bResult) ]: = False\r\n"
                  "muTest <<--  FUNCTION : Check\r\n");
}

TEST_F(TraceScopeTest, WithoutALoggerNothingIsWrittenAndResultsPass) {
    TmuCompoLogging* log = NewLogger();
    {
        TmTraceScope trace(nullptr, Kind::Function, "Foo", {"i_sName", "x"});
        EXPECT_FALSE(trace);
        EXPECT_EQ(trace.Log(), nullptr);
        EXPECT_TRUE(trace.Result(true));
        EXPECT_EQ(trace.Result(std::int32_t(42)), 42);
    }
    Operation(nullptr, false);
    EXPECT_FALSE(Check(nullptr, false));
    EXPECT_EQ(Count(nullptr, 9), 9);
    {
        TmTraceScope trace(log, Kind::Procedure, "Bar");
        EXPECT_TRUE(trace);
        EXPECT_EQ(trace.Log(), log);
    }
    delete log;
    EXPECT_EQ(dir.Read(), kSep + "muTest -->> PROCEDURE : Bar\r\nmuTest <<-- PROCEDURE : Bar\r\n");
}

}  // namespace
