#pragma once
// Switching one socket of the box on or off, with every view of the socket
// kept in step: the stored state AC01|AC|ACPower<NN> (the only model of the
// state), the toggle action Action_Std<NN>_Toggle that the main-menu and tray
// entries show (caption "Steckdose <n> - ON/OFF", image 1 or 0), and the glyph
// of the page button while the socket's page is shown.
//
// Three operations on one socket: the user's toggle (from a menu entry or a
// page button), the restore that drives the box to the stored state after
// identification, and the silent mark-off of the emergency off. The state and
// the views flip before the command is sent, whatever the box answers.
//
// Switching actions of the user that arrive while a box exchange is still
// waiting for its answer (the waits serve the message queue, so clicks run
// in the middle of an exchange) are queued and run, in arrival order, once
// that exchange has ended: two interleaved exchanges would read each other's
// answers. Other parts that talk to the box mark their exchanges with
// TSocketSwitching::TExchangeScope so that switching waits for them too.
#include <QIcon>
#include <QPixmap>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QObject;
class QToolButton;
class QtForm;
class TCommandExchange;
class TmuDataholder;
class TmuLogging;
class TmVedadAzaro;
class TProgramView;
class TSocketActions;

class TSocketSwitching {
public:
    static constexpr int SlotCount = 4;
    static constexpr int PageCount = 6;

    // The parts of the main window this one works with; all outlive it.
    struct TParts {
        QtForm& form;
        TProgramView& view;
        TSocketActions& actions;
        TCommandExchange& exchange;  // port, AT layer, COM-port log, response wait
        TmVedadAzaro& hub;           // data holder
    };
    struct THooks {
        // The program-wide logger (null before it exists).
        std::function<TmuLogging*()> programLogging;
        // Restarts the 15-minute auto-hide period (set_Timer_Close_at_15_Minutes_new).
        std::function<void()> restartAutoHide;
        // The application's report of an error no operation handled; without
        // one, an error message box.
        std::function<void(const std::string&)> reportError;
    };

    TSocketSwitching(TParts parts, THooks hooks);
    ~TSocketSwitching();

    TSocketSwitching(const TSocketSwitching&) = delete;
    TSocketSwitching& operator=(const TSocketSwitching&) = delete;

    // ---- User entry points (the handlers of the socket actions) ------------
    // From a menu entry (main menu or tray) of socket n.
    void Multi_Action_Steckdose_ToggleExecute(int n);
    // From the page button that shows socket n.
    void Multi_Action_Steckdose_BTN_ToggleExecute(int n);

    // ---- Operations on one socket ------------------------------------------
    // `action` is the socket's Action_Std<NN>_Toggle, `button` the page button
    // SpeedButton_ACX<k> of its slot, `tabIndex` the page shown (the glyph is
    // changed only when the socket lies on that page).
    // Flips the stored state, updates the views, sends "atn" / "ato".
    void MultiAction_Steckdose_Toggle(QAction* action, QToolButton* button, int tabIndex, int n);
    // Shows the stored state and drives the box to it ("att0" before "atn").
    void MultiAction_Steckdose_Init(QAction* action, QToolButton* button, int tabIndex, int n);
    // Stores "off" and shows it; sends nothing.
    void MultiAction_Steckdose_OFF(QAction* action, QToolButton* button, int tabIndex, int n);

    // ---- Glyphs ----------------------------------------------------------------
    // Loads the three button glyphs (grey 1000, green 1001, red 1002) once and
    // puts the grey one on the four page buttons.
    void LoadGlyphs();
    // Releases the glyphs (at the end of the program).
    void FreeGlyphs();
    void SetSpeedButtonGreen(QToolButton* button);
    void SetSpeedButtonGray(QToolButton* button);
    // The shared glyphs as the buttons show them (null before LoadGlyphs).
    const QIcon& GlyphGreen() const { return green_; }
    const QIcon& GlyphGray() const { return gray_; }
    const QIcon& GlyphRed() const { return red_; }

    // Socket n lies on the page with this tab index (0 for 1-4 ... 5 for 21-24).
    static bool OnPage(int n, int tabIndex);

    // ---- The exchange queue --------------------------------------------------
    // Marks a box exchange of another part (emergency off, box start, settings)
    // so that switching actions arriving meanwhile wait for its end.
    class TExchangeScope {
    public:
        explicit TExchangeScope(TSocketSwitching& switching);
        ~TExchangeScope();
        TExchangeScope(const TExchangeScope&) = delete;
        TExchangeScope& operator=(const TExchangeScope&) = delete;

    private:
        TSocketSwitching& switching_;
    };

    // A box exchange is in progress.
    bool ExchangeBusy() const { return busy_ > 0; }
    // Switching actions waiting for the running exchange.
    int PendingCount() const { return static_cast<int>(pending_.size()); }
    // Runs the waiting switching actions, in arrival order, unless an
    // exchange is still in progress.
    void RunPending();

private:
    enum class TEntry { Menu, Button };
    struct TPending {
        TEntry entry;
        int n;
    };

    TmuLogging* Log() const;
    TmuDataholder& Holder() const;
    void ReportError(const std::string& text);
    // The steps of a user toggle after its entry trace: queued while busy.
    void Switch(TEntry entry, int n);
    void RunToggle(int n);
    // After an exchange scope ended: run the queue once the event loop is back.
    void ScheduleRunPending();
    void SetButtonHelpContext(QToolButton* button);
    void ShowState(QAction* action, QToolButton* button, int tabIndex, int n, bool on);
    // Logs "SEND: " + command, sends it and returns the reply text.
    std::string SendLogged(const std::string& command);

    TParts parts_;
    THooks hooks_;
    QPixmap grayPixmap_;
    QPixmap greenPixmap_;
    QPixmap redPixmap_;
    QIcon gray_;
    QIcon green_;
    QIcon red_;
    int busy_ = 0;
    bool running_ = false;
    bool runScheduled_ = false;
    std::deque<TPending> pending_;
    // Receiver of the deferred queue run; goes with this object.
    std::unique_ptr<QObject> context_;
};
