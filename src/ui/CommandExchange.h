#pragma once
// The main window's own exchange with the box, on top of the AT command layer:
//
// - the COM-port log: lines "SEND: ", "RECV: " and "PROG: " in the settings
//   dialog's memo `Memo_COMPort` (set_COMPort_Lines while COMPortLogging is
//   set; AddMemoLine whatever it says);
// - the response wait after a switching command while the box reports that
//   it is busy: bare carriage returns until a reply holds the end marker
//   (get_PortInput with the wait marker "WAIT" and the end marker "PORT" or
//   "SET PORT");
// - switching one socket off and waiting for the box (set_port_ato), used at
//   start and at the end.
//
// All of it runs on the user-interface thread; the waits serve the message
// queue between their polls, so other handlers may run in the middle of an
// exchange. Port errors (SerialPortError) are not caught here.
#include <functional>
#include <string>

class SerialPort;
class TmuATCmd;
class TmuLogging;
class TmVedadAzaro;

class TCommandExchange {
public:
    // Markers of the response wait.
    static constexpr const char* kWaitMarker = "WAIT";
    static constexpr const char* kEndPort = "PORT";
    static constexpr const char* kEndSetPort = "SET PORT";
    // Bounds of the response wait.
    static constexpr int kInputPolls = 200;
    static constexpr int kWaitAttempts = 100;

    // What the exchange reaches of its window. The port and the AT layer are
    // created during the start-up, so they are asked for at each use.
    struct TLinks {
        std::function<SerialPort*()> port;               // ComPort1
        std::function<TmuATCmd*()> atCmd;                // the window's AT layer
        std::function<void(const std::string&)> status;  // set_Combobox_Status
        std::function<TmuLogging*()> programLogging;     // ProgramLogging
    };

    // `comPortLogging` is the window's COMPortLogging flag; `hub` serves the
    // message queue during the waits. Both outlive this object.
    TCommandExchange(TmVedadAzaro& hub, const bool& comPortLogging, TLinks links);

    TCommandExchange(const TCommandExchange&) = delete;
    TCommandExchange& operator=(const TCommandExchange&) = delete;

    // Appends text as a new last line of Memo_COMPort while COMPortLogging is
    // set and the settings dialog exists; otherwise does nothing.
    void set_COMPort_Lines(const std::string& text);
    // Appends text to Memo_COMPort whatever COMPortLogging says (the "atv"
    // line and the switching lines of the socket operations).
    void AddMemoLine(const std::string& text);

    // Polls up to 200 times for at least two received bytes, serving the
    // message queue 10 times after each empty poll. Returns the number of
    // waiting bytes, or -1 after the system beep when none came.
    int set_AppProcessMessages();
    // Discards waiting input, writes text as it is, then waits as above.
    int set_CMD_and_Respons_InputCount(const std::string& text);
    // The response wait. When `wait` occurs in `reply` after its first
    // character, bare carriage returns are sent (at most 100) until a reply
    // text holds `end`; every reply text that is not empty is logged as
    // "RECV: ". Otherwise a reply that is not empty is only logged.
    void get_PortInput(std::string reply, const std::string& wait, const std::string& end);
    // Sends "ato" + n, logs it, and waits for the box ("WAIT" / "SET PORT");
    // no answer: the status line shows the timeout and "RECV: Timeout".
    void set_port_ato(int n);

    // ---- Helpers shared by the window's parts ----------------------------
    // The window's serial port and AT command layer (null before they exist).
    SerialPort* Port() const;
    TmuATCmd* ATCmd() const;
    // The serial port exists and is open.
    bool PortOpen() const;
    // The port's current name ("COM3"); empty without a port.
    std::string PortName() const;
    // One exchange through the AT layer (CheckATMultiCmd): the raw answer,
    // empty when none came or when there is no AT layer.
    std::string SendCommand(const std::string& command);
    // The reply text of a raw answer: after the first ">" up to the carriage
    // return that follows, trimmed; empty when there is none.
    std::string ReplyText(const std::string& raw) const;
    static std::string UpperCase(std::string text);
    // The status line (set_Combobox_Status of the box session).
    void SetStatus(const std::string& text);
    // The program-wide logger (null before it exists).
    TmuLogging* ProgramLog() const;

private:
    TmVedadAzaro& hub_;
    const bool& comPortLogging_;
    TLinks links_;
};
