#pragma once
// The silent-start window: one pixel at the screen origin, borderless,
// disabled and visible from its creation on. Shown while the message loop
// starts, it carries the deferred part of the start-up: 100 ms after it was
// shown its timer `Prg_Silent_Timer` fires once and runs the box
// initialisation, then (without silent start) hides itself and shows the
// main window.
//
// Its flag `SilentInitStart` is set at creation and cleared by
// Set_InitStart(false) (the main window's show and hide actions, the main
// window being hidden) and after the first tick: once it is cleared, the tick
// no longer initialises the box. Destroying the window closes the main window.
#include <QWidget>
#include <memory>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class QShowEvent;
class Timer;
class TmuDataholder;

// What the silent-start window asks of the main window.
class TSilentStartHost {
public:
    virtual ~TSilentStartHost() = default;
    virtual TmuDataholder& Dataholder() = 0;
    // The box initialisation (Init_AC_Active).
    virtual void Init_AC_Active() = 0;
    // The main window's 15-minute close timer mCloseTimer_15min.
    virtual void SetCloseTimerEnabled(bool enabled) = 0;
    // Set_InitStart of the main window.
    virtual void SetProgramInitStart(bool value) = 0;
    // Shows the main window and brings the program to the front.
    virtual void ShowProgram() = 0;
    // Closes the main window (the program ends).
    virtual void CloseProgram() = 0;
    // The application's report of an error that no operation handled.
    virtual void ReportError(const std::string& text) = 0;
};

class TAC_Silent : public QWidget, public TComponent {
    Q_OBJECT
public:
    static constexpr int kTimerInterval = 100;

    // `host` is the main window's side of the deferred start (may be null).
    explicit TAC_Silent(TSilentStartHost* host = nullptr, QWidget* parent = nullptr);
    // Closes the main window.
    ~TAC_Silent() override;

    QtForm& Form() { return form_; }
    void SetHost(TSilentStartHost* host) { host_ = host; }
    TSilentStartHost* Host() const { return host_; }

    Timer* Prg_Silent_Timer() const { return timer_.get(); }
    bool SilentInitStart() const { return silentInitStart_; }
    void Set_InitStart(bool flag);

    // The timer's tick.
    void Prg_Silent_TimerTimer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QtForm form_;
    std::unique_ptr<Timer> timer_;
    TSilentStartHost* host_ = nullptr;
    bool silentInitStart_ = true;
    bool shownOnce_ = false;
};

extern TAC_Silent* AC_Silent;
