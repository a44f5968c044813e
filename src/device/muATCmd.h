#pragma once
// The component that speaks to the NELTA box: it finds the serial ports that
// open and the ones on which a box answers, performs one command exchange at
// a time (send a command line, wait for the answer, hand back the raw
// answer), and offers one operation per fixed command of the box.
//
// Every command is lower-case ASCII followed by one carriage return. The
// reply text of a raw answer is the part after its first ">" up to the
// carriage return that follows, trimmed (GetReplyText).
//
// The waits sleep through the platform (GetPlatform().SleepMs) and serve the
// message queue through the own hub's operating system service; give the hub
// the application with setApplication. Port errors (SerialPortError) are not
// caught, except while SearchCOMPorts tries to open the names.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Component.h"

class SerialPort;
class TmuCompoLogging;
class TmVedadAzaro;

// One entry of the port list.
struct mComPort {
    std::int32_t PortNo = 0;  // n of "COM" + n
    bool Opened = false;      // could be opened by SearchCOMPorts
    bool Responds = false;    // answered "at" with "OK" in the last answer test
    std::string Ident;        // identification as returned by "ati"
};

class TmuATCmd : public TComponent {
public:
    // Fixed numbers of the searches.
    static constexpr int kSearchPorts = 128;
    static constexpr int kSearchTimeout = 12;
    static constexpr int kAutostartAttempts = 100;
    static constexpr int kStrictFirst = 4;
    static constexpr int kStrictFollow = 3;
    static constexpr int kResponseSleepMs = 100;
    // "at" is repeated at most this often while the box keeps answering "ERROR".
    static constexpr int kMaxErrorRepeats = 10;

    explicit TmuATCmd(TComponent* owner = nullptr);
    ~TmuATCmd() override;

    TmuCompoLogging* Log() const { return log_; }
    TmVedadAzaro* VedadAzaro() const { return hub_; }
    // Hands the application (message pumping of the waits) to the own hub.
    void setApplication(Application* app);
    Application* getApplication() const;

    SerialPort* ATComPort() const { return port_; }
    // Asked before every attempt of the searches and every poll of a wait:
    // true ends them at once (the program ends).
    void SetCancel(std::function<bool()> cancel) { cancel_ = std::move(cancel); }
    bool Cancelled() const { return cancel_ && cancel_(); }
    void SetATComPort(SerialPort* port) { port_ = port; }

    int GetTimeout();
    void SetTimeout(int value);
    int COMPos() const { return comPos_; }
    void SetCOMPos(int value) { comPos_ = value; }
    // PortNo of the entry at COMPos when that entry is Opened, else 0.
    int COMPortNo() const;
    int COMCount() { return GetCOMPortCount(); }
    const std::vector<mComPort>& ComPortList() const { return comPortList_; }

    // The reply text of a raw answer (not upper-cased).
    std::string GetReplyText(const std::string& raw) const;

    bool SearchCOMPorts();
    int GetCOMPortCount();
    bool SearchATCmdAtAutostart();
    bool SearchATCmd();
    bool SearchATICmd();
    int SetNELTA(std::string& f1, std::string& f2, std::string& f3, std::string& f4);
    void set_COMIdent(int position, const std::string& text);
    void add_COMPort(std::int32_t portNo, bool opened, const std::string& ident, bool responds);

    // One exchange: purge, send cmd + CR, wait, read everything waiting.
    // raw is empty when no answer came.
    void CheckATMultiCmd(const std::string& cmd, std::string& raw);
    int ATCMDandResponsInputCount(const std::string& line);
    // Sleeps 100 ms, then polls Timeout times for at least two waiting bytes;
    // returns their number or -1 (after the system beep).
    int ATResponseAndAppProcessMessages();

    bool CheckATCmd();
    bool CheckATICmd(std::string& ident);
    bool SetATBONCmd(std::string& answer);
    bool SetATBOffCmd(std::string& answer);
    bool SetATRSCmd(std::string& answer);
    bool SetATSNCmd(std::string& answer);
    bool SetATTCmd(const std::string& delay, std::string& answer);

private:
    bool SendFixed(const std::string& name, const std::string& cmd, std::string& answer);
    // One exchange whose raw answer is the result text; true when not empty.
    bool SendAnswer(const std::string& cmd, std::string& answer);
    // Answer test of the two searches; strict selects SearchATCmd's rule.
    bool TestPorts(const std::string& name, bool strict);
    void OpenListed(std::int32_t portNo);
    void ProcessMessages(int count);
    static std::string PortName(std::int32_t portNo) { return "COM" + std::to_string(portNo); }

    TmuCompoLogging* log_ = nullptr;
    TmVedadAzaro* hub_ = nullptr;
    SerialPort* port_ = nullptr;
    int timeout_ = 0;
    int comPos_ = 0;
    std::vector<mComPort> comPortList_;
    std::function<bool()> cancel_;
};
