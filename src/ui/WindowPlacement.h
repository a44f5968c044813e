#pragma once
// Where the main window sits, when it hides itself, and whether it stays on
// top of other windows.
//
// - Nine desktop presets (`Action_Desktop_TopLeft` ... `_ButtomRight`, index
//   0 to 8): Set_MulitDesktop_Position moves the window by the preset's
//   geometry and stores FormPos, PositionX and PositionY (index INI,
//   section TAVRIN); a mouse move over the window stores where it is now.
// - The window's outer size is fixed (330 x 560 as the program defines it).
// - Auto-hide: `mCloseTimer_15min` (15 minutes, one shot) hides the window
//   when it expires; switching a socket restarts it together with the
//   status-bar countdown (set_Timer_Close_at_15_Minutes_new).
// - Lock: the menu-bar item `ActionLook_Or_Unlook` (`Action_Lock_Unlook`)
//   pins the window on top; its tag holds the state (0 unlocked, image 12;
//   1 locked, image 13).
#include <QObject>
#include <QPoint>
#include <QSize>
#include <functional>

class Form;
class QAction;
class QWidget;
class TComponent;
class TmCloseTimer;
class TmuLogging;
class TmVedadAzaro;
class TProgramActions;
class TStatusClock;

class TWindowPlacement : public QObject {
    Q_OBJECT
public:
    // The outer size of the main window as the program defines it (without
    // a window, the presets are computed for it).
    static constexpr int FormWidth = 330;
    static constexpr int FormHeight = 560;
    static constexpr int PresetCount = 9;

    struct TLinks {
        QWidget* window = nullptr;  // the main window
        Form* form = nullptr;       // its control tree (the on-top band)
        TmVedadAzaro* hub = nullptr;
        TComponent* closeTimerOwner = nullptr;
        TProgramActions* actions = nullptr;
        QAction* lockItem = nullptr;  // ActionLook_Or_Unlook
        TStatusClock* clock = nullptr;
        std::function<TmuLogging*()> programLogging;  // may give null
        std::function<bool()> noExit;
        std::function<void()> closeMainWindow;  // a real close: the program ends
        std::function<void()> hideMainWindow;
    };

    // Binds the nine desktop actions and the lock action, creates the close
    // timer (disabled) and watches the window's mouse moves.
    explicit TWindowPlacement(TLinks links);
    ~TWindowPlacement() override;

    TWindowPlacement(const TWindowPlacement&) = delete;
    TWindowPlacement& operator=(const TWindowPlacement&) = delete;

    // ---- Presets ---------------------------------------------------------------
    // Left and top of preset `index` on a desktop of dw x dh for a window of
    // w x h; halving drops the fraction, term by term.
    static QPoint PresetPosition(int index, int dw, int dh, int w, int h);
    // The stored name of a preset ("TopLeft" ...); empty outside 0 to 8.
    static const char* PresetName(int index);
    // The window's outer size, frame included (before the window system has
    // framed it, the window alone).
    QSize OuterSize() const;

    void Set_MulitDesktop_Position(int index);
    void set_New_Formpostion(int index);
    // PositionX and PositionY := where the window is now.
    void FormMouseMove();
    // The window may not be resized.
    void FixWindowSize();

    // ---- Auto-hide ---------------------------------------------------------------
    TmCloseTimer* mCloseTimer_15min() const { return closeTimer_; }
    // While the close timer runs: restart it and arm the countdown again.
    // While only the countdown runs for the shown window: arm it again.
    void set_Timer_Close_at_15_Minutes_new();
    // The close timer's expiry.
    void mCloseTimer_15minCloseTimer();

    // ---- Lock --------------------------------------------------------------------
    // Start-up: image 12, tag 0.
    void InitLockMenuItem();
    void Action_Lock_UnlookExecute();
    bool Locked() const;
    // Whenever the window is shown: a locked window is pinned again (after a
    // dialog took the top, or after hiding).
    void RepinIfLocked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TmuLogging* ProgramLog() const;
    void SetLockState(int tag);

    TLinks links_;
    TmCloseTimer* closeTimer_ = nullptr;
    // Set while the on-top band is being changed: showing the window again
    // from there must not pin it once more.
    bool changingTop_ = false;
};
