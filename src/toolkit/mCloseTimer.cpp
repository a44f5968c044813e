#include "toolkit/mCloseTimer.h"

#include "toolkit/Form.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"
#include "toolkit/mAboutVersion.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

namespace {
// The unit's picture, shared by all close timers.
TAboutBitmapRef g_unitBitmap;
}  // namespace

TmCloseTimer::TmCloseTimer(TComponent* owner) : TComponent(owner) {
    timer_ = GetPlatform().CreateTimer();
    timer_->SetEnabled(false);  // the owner starts it
    CreateLogging(this, log_, "mCloseTimer", "LOG_STD", false, true);
    int h = log_->addCall({"addCls", "Create", "None", "Klasse " + log_->CompoName() + " erstellen"});
    about_ = CreateAboutVersion("mCloseTimer", "1.0.0.2", "21.06.2018", 204, g_unitBitmap);
    InstallTickHandler();
    log_->exitCls(h);
}

TmCloseTimer::~TmCloseTimer() {
    *alive_ = false;
    timer_->SetEnabled(false);
    int h = log_->addCall({"addCls", "Destroy", "None", "Klasse " + log_->CompoName() + " vernichten"});
    log_->exitCls(h);
    delete about_;
    about_ = nullptr;
    delete log_;
    log_ = nullptr;
    delete timer_;
    timer_ = nullptr;
}

bool TmCloseTimer::Enabled() const { return timer_->Enabled(); }

void TmCloseTimer::SetEnabled(bool enabled) { timer_->SetEnabled(enabled); }

int TmCloseTimer::Interval() const { return timer_->Interval(); }

void TmCloseTimer::SetInterval(int ms) { timer_->SetInterval(ms); }

int TmCloseTimer::IntervalOf(TmStringTimer value) {
    const int minutes = static_cast<int>(value) + 1;
    if (value == TmStringTimer::Min_9) return 560000;
    return minutes * 60000;
}

std::string TmCloseTimer::NameOf(TmStringTimer value) {
    return "Min_" + std::to_string(static_cast<int>(value) + 1);
}

void TmCloseTimer::InstallTickHandler() {
    timer_->SetOnTimer([this] { setOnTimer(this); });
}

void TmCloseTimer::setStringTimer(TmStringTimer value) {
    TmTraceScope trace(log_, Kind::Procedure, "setStringTimer");
    log_->addVarString("i_sTimerValue", NameOf(value));
    timerValueInterval_ = IntervalOf(value);
    timer_->SetInterval(timerValueInterval_);
    timerValue_ = value;
    InstallTickHandler();
    log_->addVarInteger("r_iInterval", timerValueInterval_);
}

void TmCloseTimer::setResetTimer() {
    TmTraceScope trace(log_, Kind::Procedure, "setResetTimer");
    timer_->SetEnabled(false);
    timer_->SetEnabled(true);
}

void TmCloseTimer::setOnTimer(TComponent* sender) {
    (void)sender;
    int h = log_->addPro("setOnTimer");
    timer_->SetEnabled(false);

    if (useForm_) {
        if (closeType_ == TmCloseType::mHide) useForm_->Hide();
        if (closeType_ == TmCloseType::mShow) useForm_->Show();
    }
    if (onCloseTimer_) {
        // The notification may free this timer together with its form (the
        // owner ending); then nothing of either may be touched afterwards.
        const TmOnTimerEvent handler = onCloseTimer_;
        const std::shared_ptr<bool> alive = alive_;
        handler(this);
        if (!*alive) return;
    }
    if (useForm_ && closeType_ == TmCloseType::mClose) useForm_->Close();
    log_->exitPro(h);
}
