// The close timer on the virtual clock: its time table, the one-shot tick,
// the restart, and what it does to its form relative to the notification.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/FakePlatform.h"
#include "toolkit/Form.h"
#include "toolkit/mAboutVersion.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"

namespace {

namespace fs = std::filesystem;

// A form that records what happens to it in a shared event list; its close
// query refuses while canClose is false.
class EventForm : public Form {
public:
    explicit EventForm(std::vector<std::string>* events) : events_(events) {}
    std::string Name() const override { return "EventForm"; }
    std::vector<Control*> OwnedControls() const override { return {}; }
    TRect Geometry() const override { return {}; }
    void SetPosition(int, int) override {}
    bool Visible() const override { return visible; }
    void Show() override {
        events_->push_back("show");
        visible = true;
    }
    void Hide() override {
        events_->push_back("hide");
        visible = false;
    }
    void Close() override {
        events_->push_back(canClose ? "close" : "close refused");
        if (canClose) visible = false;
    }
    bool SetStayOnTop(bool) override { return true; }

    bool visible = true;
    bool canClose = true;

private:
    std::vector<std::string>* events_;
};

class CloseTimerTest : public ::testing::Test {
protected:
    FakePlatform platform;
    std::vector<std::string> events;
};

TEST_F(CloseTimerTest, TimerValueSetsTheInterval) {
    TmCloseTimer timer;
    timer.SetInterval(900000);  // as stored in a form; the timer value wins
    for (int i = 0; i < 15; ++i) {
        const auto value = static_cast<TmStringTimer>(i);
        SCOPED_TRACE(TmCloseTimer::NameOf(value));
        timer.SetTimerValue(value);
        const int expected = (i == 8) ? 560000 : (i + 1) * 60000;
        EXPECT_EQ(timer.Interval(), expected);
        EXPECT_EQ(timer.TimerValueInterval(), expected);
        EXPECT_EQ(timer.TimerValue(), value);
    }
    EXPECT_EQ(TmCloseTimer::NameOf(TmStringTimer::Min_9), "Min_9");
    EXPECT_EQ(TmCloseTimer::IntervalOf(TmStringTimer::Min_15), 900000);
    EXPECT_FALSE(timer.Enabled());  // setting the time does not start it
}

TEST_F(CloseTimerTest, CreatedStoppedWithItsRecordAndLogger) {
    TmCloseTimer timer;
    EXPECT_FALSE(timer.Enabled());
    ASSERT_NE(timer.About(), nullptr);
    EXPECT_EQ(timer.About()->ComponentName(), "mCloseTimer");
    EXPECT_EQ(timer.About()->ComponentVersion(), "1.0.0.2");
    EXPECT_EQ(timer.About()->ComponentDate(), "21.06.2018");
    EXPECT_EQ(timer.About()->Componentfirm(), kAboutFirm);
    ASSERT_NE(timer.Log(), nullptr);
    EXPECT_EQ(timer.Log()->CompoName(), "mCloseTimer");
    EXPECT_EQ(timer.Log()->CompoID(), "LOG_STD");
    EXPECT_TRUE(timer.Log()->ActiveLog());
}

TEST_F(CloseTimerTest, TicksOnceWhenTheTimeIsUp) {
    TmCloseTimer timer;
    timer.SetTimerValue(TmStringTimer::Min_15);
    std::vector<std::int64_t> ticks;
    TComponent* sender = nullptr;
    timer.SetOnCloseTimer([&](TComponent* s) {
        ticks.push_back(platform.NowMs());
        sender = s;
    });
    const auto start = platform.NowMs();
    timer.SetEnabled(true);
    platform.Advance(900000 - 1);
    EXPECT_TRUE(ticks.empty());
    platform.Advance(1);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{start + 900000}));
    EXPECT_EQ(sender, &timer);
    EXPECT_FALSE(timer.Enabled());
    platform.Advance(3 * 900000);
    EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(CloseTimerTest, ResetShortlyBeforeTheEndPostponesByAFullInterval) {
    TmCloseTimer timer;
    timer.SetTimerValue(TmStringTimer::Min_5);
    std::vector<std::int64_t> ticks;
    timer.SetOnCloseTimer([&](TComponent*) { ticks.push_back(platform.NowMs()); });
    timer.SetEnabled(true);
    platform.Advance(299000);
    const auto resetAt = platform.NowMs();
    timer.setResetTimer();
    platform.Advance(300000 - 1);
    EXPECT_TRUE(ticks.empty());
    platform.Advance(1);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{resetAt + 300000}));

    // A reset of the stopped timer starts it.
    timer.setResetTimer();
    EXPECT_TRUE(timer.Enabled());
    platform.Advance(300000);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(CloseTimerTest, CloseTypeOrderAgainstTheNotification) {
    struct {
        TmCloseType type;
        std::vector<std::string> withForm;
    } cases[] = {
        {TmCloseType::mNone, {"notify"}},
        {TmCloseType::mHide, {"hide", "notify"}},
        {TmCloseType::mShow, {"show", "notify"}},
        {TmCloseType::mClose, {"notify", "close"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        EventForm form(&events);
        TmCloseTimer timer;
        timer.SetTimerValue(TmStringTimer::Min_1);
        timer.SetCloseType(c.type);
        timer.SetOnCloseTimer([&](TComponent*) { events.push_back("notify"); });

        events.clear();
        timer.SetEnabled(true);
        platform.Advance(60000);
        EXPECT_EQ(events, (std::vector<std::string>{"notify"}));  // no form: only the notification

        timer.SetUseForm(&form);
        events.clear();
        timer.SetEnabled(true);
        platform.Advance(60000);
        EXPECT_EQ(events, c.withForm);
        EXPECT_FALSE(timer.Enabled());
    }
}

TEST_F(CloseTimerTest, NotificationCanCancelTheClose) {
    EventForm form(&events);
    TmCloseTimer timer;
    timer.SetTimerValue(TmStringTimer::Min_5);
    timer.SetUseForm(&form);
    timer.SetCloseType(TmCloseType::mClose);
    timer.SetOnCloseTimer([&](TComponent*) { form.canClose = false; });
    timer.SetEnabled(true);
    platform.Advance(300000);
    EXPECT_EQ(events, (std::vector<std::string>{"close refused"}));
    EXPECT_TRUE(form.visible);
}

TEST_F(CloseTimerTest, CloseWithoutNotificationHandler) {
    EventForm form(&events);
    TmCloseTimer timer;
    timer.SetTimerValue(TmStringTimer::Min_1);
    timer.SetUseForm(&form);
    timer.SetCloseType(TmCloseType::mClose);
    timer.SetEnabled(true);
    platform.Advance(60000);
    EXPECT_EQ(events, (std::vector<std::string>{"close"}));
}

TEST_F(CloseTimerTest, NotificationMayFreeTheTimer) {
    EventForm form(&events);
    auto* timer = new TmCloseTimer();
    timer->SetTimerValue(TmStringTimer::Min_1);
    timer->SetUseForm(&form);
    timer->SetCloseType(TmCloseType::mClose);
    timer->SetOnCloseTimer([&](TComponent* sender) {
        events.push_back("notify");
        delete sender;  // the owner ends and takes the timer with it
    });
    timer->SetEnabled(true);
    platform.Advance(60000);
    EXPECT_EQ(events, (std::vector<std::string>{"notify"}));
    platform.Advance(120000);
}

TEST_F(CloseTimerTest, TracesCreationAndDestruction) {
    const fs::path dir = fs::path(::testing::TempDir()) / "ossvc_closetimer_log";
    fs::remove_all(dir);
    fs::create_directories(dir / "System" / "Logging");
    platform.currentDir = dir.string();
    {
        TmCloseTimer timer;
        timer.Log()->SetCompoID("LOG_ALL");
    }
    std::ifstream in(dir / "System" / "Logging" / "mLogging.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    EXPECT_NE(text.find("mCloseTimer - CreateLogging\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mCloseTimer -->>     CLASS : Create\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mCloseTimer <<--     CLASS : Create\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mCloseTimer -->>     CLASS : Destroy\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mCloseTimer - Klasse mCloseTimer vernichten\r\n"), std::string::npos) << text;
    fs::remove_all(dir);
}

}  // namespace
