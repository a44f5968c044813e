#pragma once
// Everything the program does with its box, in one place that needs no
// window system: the start's identification and set-up of the box, the
// switching of sockets, the emergency off, the box options of the settings
// dialog and the switch-off at the end, each an exchange of the one queue
// (TExchangeQueue), and the command exchange they share (the COM-port log,
// the response wait while the box reports that it is busy).
//
// The state of a socket is only its stored value AC01|AC|ACPower<NN>; the
// window shows what the controller tells its view (TBoxView).
//
// Switching: a click flips the stored state and the display at once and
// queues "send socket n its stored state"; further clicks on a socket that
// is still queued change only its stored state. So the box always ends in
// the stored state and never gets a stale command.
//
// The emergency off wins: it drops the queued switches, stores and shows
// every socket off, and its "att0" and "atoff" are the next exchange after
// the one in flight, whose waits it cuts short.
//
// The end (RequestEnd): queued exchanges are dropped (their stored states
// are saved all the same), a wait in flight is cut short, the search of the
// start ends at its next attempt, and the switch-off of the marked sockets
// is bounded in time.
//
// Port errors end only the exchange that raised them: it is logged, shown
// once as a message, and the program goes on.
#include <functional>
#include <string>

#include "device/BoxModels.h"
#include "device/ExchangeQueue.h"

class SerialPort;
class TBoxView;
class TmuATCmd;
class TmuDataholder;
class TmuLogging;
class TmVedadAzaro;

class TBoxController {
public:
    // Markers of the response wait.
    static constexpr const char* kWaitMarker = "WAIT";
    static constexpr const char* kEndPort = "PORT";
    static constexpr const char* kEndSetPort = "SET PORT";
    // Bounds of the response wait.
    static constexpr int kInputPolls = 200;
    static constexpr int kWaitAttempts = 100;
    static constexpr int kSockets = 24;
    static constexpr int kSlots = 4;

    struct TLinks {
        TmVedadAzaro* hub = nullptr;       // data holder, message pumping, string tools
        SerialPort* port = nullptr;        // ComPort1
        std::function<TmuATCmd*()> atCmd;  // the AT layer, made during the start
        std::function<TmuLogging*()> programLogging;
        // Restarts the auto-hide period (a switch counts as activity).
        std::function<void()> activity;
    };
    // The program state the controller reads and sets; it outlives it.
    struct TState {
        bool* InitStart = nullptr;
        int* ACDosenCount = nullptr;
        const bool* COMPortLogging = nullptr;
    };

    TBoxController(TLinks links, TState state);
    ~TBoxController();

    TBoxController(const TBoxController&) = delete;
    TBoxController& operator=(const TBoxController&) = delete;

    // The window's view; until one is set nothing is shown.
    void SetView(TBoxView* view) { view_ = view; }
    TExchangeQueue& Queue() { return queue_; }

    // ---- Start: detection and set-up of the box --------------------------
    // Runs the box initialisation as an exchange of the queue.
    void Init_AC_Active();
    // The switching delay step: with InitStart "att0", else the settings
    // dialog's delay option.
    void set_Init_Status();
    // Shows text as the one status text.
    void set_Combobox_Status(const std::string& text);

    // ---- Switching -----------------------------------------------------------
    // The user's toggle (menu entry or page button): traced, counts as
    // activity, then MultiAction_Steckdose_Toggle.
    void Multi_Action_Steckdose_ToggleExecute(int n);
    void Multi_Action_Steckdose_BTN_ToggleExecute(int n);
    // Flips the stored state and the display; queues the command.
    void MultiAction_Steckdose_Toggle(int n);
    // Shows the stored state and drives the box to it ("att0" before "atn").
    void MultiAction_Steckdose_Init(int n);
    // Stores "off" and shows it; sends nothing.
    void MultiAction_Steckdose_OFF(int n);
    // A script's switch: socket n to `on`. A socket in the other state is
    // toggled as a click toggles it; one already in that state counts as
    // activity and gets its stored state sent again (unless a switch of it
    // is queued), so the box follows whatever happened to it meanwhile.
    void SwitchTo(int n, bool on);
    // The last command sent for socket n (a switch or the emergency off)
    // got an answer; false from the moment a new one is queued.
    bool SwitchAnswered(int n) const { return ValidSocket(n) && answered_[n]; }
    // The stored state of socket n.
    bool StoredOn(int n) const;
    // The model of the identified box ("USB-NELTA8"); empty before.
    const std::string& ModelName() const { return modelName_; }
    // The start's search and set-up of the box is still to finish.
    bool Starting() const { return state_.InitStart != nullptr && *state_.InitStart; }
    int SocketCount() const { return state_.ACDosenCount ? *state_.ACDosenCount : 0; }

    // ---- Emergency off ---------------------------------------------------------
    // After the user confirmed: with an open port every socket stored and
    // shown off, then "att0" and "atoff" as the next exchange.
    void Action_DangerOFF();

    // ---- The settings dialog's box options --------------------------------
    // Each first serves the messages once and checks the box with "at";
    // without an open port or an "OK" nothing is stored or sent and `done`
    // is not called.
    void ReadSerialNumber(std::function<void(const std::string& answer)> done);
    // `seconds` is the delay chosen (its text); unticked sends and stores 0.
    void SetDelay(bool ticked, const std::string& seconds, std::function<void(const std::string& sent)> done);
    void SetBeeper(bool on);
    void FactoryReset(std::function<void(const std::string& answer)> done);

    // ---- The end -----------------------------------------------------------------
    void RequestEnd();
    bool Ending() const { return queue_.Ending(); }
    // The end's switch-off of a marked socket: "ato" n with the response
    // wait while the end's time lasts, after it "ato" n alone.
    void SwitchOffAtEnd(int n);
    // The AT layer's waits and searches end at their next attempt: the
    // program ends (its own switch-offs wait while the end's time lasts).
    bool AtCancelled() const;

    // ---- Command exchange ----------------------------------------------------
    // A line of the COM-port log while COMPortLogging is set.
    void set_COMPort_Lines(const std::string& text);
    // A line of the COM-port log whatever COMPortLogging says.
    void AddMemoLine(const std::string& text);
    // Polls up to 200 times for at least two received bytes, serving the
    // message queue 10 times after each empty poll; the number of waiting
    // bytes, or -1 after the system beep when none came.
    int set_AppProcessMessages();
    // Discards waiting input, writes text as it is, then waits as above.
    int set_CMD_and_Respons_InputCount(const std::string& text);
    // The response wait: when `wait` occurs in `reply` after its first
    // character, bare carriage returns (at most 100) until a reply text holds
    // `end`; every reply text that is not empty is logged as "RECV: ".
    void get_PortInput(std::string reply, const std::string& wait, const std::string& end);
    // "ato" + n, logged, with the response wait ("WAIT" / "SET PORT"); no
    // answer: the status line shows the timeout and "RECV: Timeout".
    void set_port_ato(int n);

    SerialPort* Port() const { return links_.port; }
    TmuATCmd* ATCmd() const { return links_.atCmd ? links_.atCmd() : nullptr; }
    bool PortOpen() const;
    std::string PortName() const;
    // One exchange through the AT layer: the raw answer, empty when none came.
    std::string SendCommand(const std::string& command);
    // After the first ">" up to the carriage return, trimmed.
    std::string ReplyText(const std::string& raw) const;
    static std::string UpperCase(std::string text);
    TmuLogging* ProgramLog() const;

private:
    TmuDataholder& Holder() const;
    void ServeMessages(int count);
    void Message(const std::string& text);
    // "SEND: " + command to the log, sent; the reply text.
    std::string SendLogged(const std::string& command);
    // The box answers "at" with "OK" on an open port.
    bool BoxConnected();
    // A box option's check: messages served once, then BoxConnected.
    bool BoxAnswers();
    // Socket n to its stored state (the queued switch).
    void SendStoredState(int n);
    void SendAllOff();

    // Steps of the initialisation.
    void RunInit();
    void Identify();
    void SendStoredStates();
    bool CheckAndBuild();
    bool ApplyModel(const std::string& identUpper);
    void LogVersionReport();
    void RestoreSockets();

    static bool ValidSocket(int n) { return n >= 1 && n <= kSockets; }

    TLinks links_;
    TState state_;
    TBoxView* view_ = nullptr;
    TExchangeQueue queue_;
    bool endSwitchOff_ = false;
    bool answered_[kSockets + 1] = {};
    std::string modelName_;
};
