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
#include <memory>
#include <string>

class QAction;
class QObject;
class QToolButton;
class QtForm;
class TmuDataholder;
class TmuLogging;
class TProgramView;
class TSocketActions;

// What the switching works with; the main window provides it.
class TSocketSwitchingHost {
public:
    virtual ~TSocketSwitchingHost() = default;

    virtual TmuLogging* ProgramLog() = 0;  // null before the program logger exists
    virtual TmuDataholder& Dataholder() = 0;
    virtual QtForm& Form() = 0;
    virtual TProgramView& View() = 0;
    virtual TSocketActions& Actions() = 0;

    // The serial port exists and is open.
    virtual bool PortOpen() = 0;
    // One exchange through the AT command layer: the raw answer ("" when none).
    virtual std::string SendCommand(const std::string& command) = 0;
    // The reply text of a raw answer (after the first ">" up to the CR, trimmed).
    virtual std::string ReplyText(const std::string& raw) = 0;
    // A line for the COM-port log, whatever COMPortLogging says.
    virtual void AddMemoLine(const std::string& text) = 0;
    // The response wait of the command exchange.
    virtual void get_PortInput(const std::string& reply, const std::string& wait, const std::string& end) = 0;
    // Restarts the 15-minute auto-hide period (a switching action is activity).
    virtual void set_Timer_Close_at_15_Minutes_new() = 0;
    // The application's report of an error that no operation handled.
    virtual void ReportError(const std::string& text) = 0;
};

class TSocketSwitching {
public:
    static constexpr int SlotCount = 4;
    static constexpr int PageCount = 6;

    explicit TSocketSwitching(TSocketSwitchingHost& host);
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
    // The steps of a user toggle after its entry trace: queued while busy.
    void Switch(TEntry entry, int n);
    void RunToggle(int n);
    // After an exchange scope ended: run the queue once the event loop is back.
    void ScheduleRunPending();
    void SetButtonHelpContext(QToolButton* button);
    void ShowState(QAction* action, QToolButton* button, int tabIndex, int n, bool on);
    // Logs "SEND: " + command, sends it and returns the reply text.
    std::string SendLogged(const std::string& command);

    TSocketSwitchingHost& host_;
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
