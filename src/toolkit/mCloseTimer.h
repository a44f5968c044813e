#pragma once
// One-shot timer component: a whole number of minutes after it is started it
// hides, shows or closes a form and notifies its owner. The owner starts it
// by enabling it and restarts the full interval with setResetTimer.
#include <functional>
#include <memory>
#include <string>

#include "toolkit/Component.h"

class Form;
class Timer;
class TmAboutVersion;
class TmuCompoLogging;

// The running time: Min_1 to Min_15 (ordinals 0 to 14).
enum class TmStringTimer {
    Min_1,
    Min_2,
    Min_3,
    Min_4,
    Min_5,
    Min_6,
    Min_7,
    Min_8,
    Min_9,
    Min_10,
    Min_11,
    Min_12,
    Min_13,
    Min_14,
    Min_15
};

// What happens to UseForm when the time is up.
enum class TmCloseType { mNone = 0, mHide = 1, mClose = 2, mShow = 3 };

using TmOnTimerEvent = std::function<void(TComponent* sender)>;

class TmCloseTimer : public TComponent {
public:
    explicit TmCloseTimer(TComponent* owner = nullptr);
    ~TmCloseTimer() override;

    // The window-message timer underneath: Enabled and Interval in ms.
    bool Enabled() const;
    void SetEnabled(bool enabled);
    int Interval() const;
    void SetInterval(int ms);

    TmAboutVersion* About() const { return about_; }
    TmuCompoLogging* Log() const { return log_; }

    TmStringTimer TimerValue() const { return timerValue_; }
    void SetTimerValue(TmStringTimer value) { setStringTimer(value); }
    // The interval that TimerValue chose (0 until a value was set).
    int TimerValueInterval() const { return timerValueInterval_; }

    Form* UseForm() const { return useForm_; }
    void SetUseForm(Form* form) { useForm_ = form; }
    TmCloseType CloseType() const { return closeType_; }
    void SetCloseType(TmCloseType type) { closeType_ = type; }
    void SetOnCloseTimer(TmOnTimerEvent handler) { onCloseTimer_ = std::move(handler); }

    // Setter of TimerValue: interval from the table, tick handler setOnTimer.
    void setStringTimer(TmStringTimer value);
    // Starts the countdown again from the full interval (also when stopped).
    void setResetTimer();
    // The tick: stops the timer, hides or shows UseForm, notifies the owner,
    // and for mClose closes UseForm after the notification.
    void setOnTimer(TComponent* sender);

    // Milliseconds of a timer value ("Min_9" is 560000).
    static int IntervalOf(TmStringTimer value);
    // "Min_1" ... "Min_15".
    static std::string NameOf(TmStringTimer value);

private:
    void InstallTickHandler();

    Timer* timer_ = nullptr;
    TmAboutVersion* about_ = nullptr;
    TmuCompoLogging* log_ = nullptr;
    TmStringTimer timerValue_ = TmStringTimer::Min_1;
    int timerValueInterval_ = 0;
    Form* useForm_ = nullptr;
    TmCloseType closeType_ = TmCloseType::mNone;
    TmOnTimerEvent onCloseTimer_;
    // Cleared on destruction, so a tick whose notification frees the timer
    // does not touch it afterwards.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
