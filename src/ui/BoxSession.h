#pragma once
// The box session of the main window: turns the port that answered the
// start-up search into a working box. Init_AC_Active selects that port,
// identifies the box, learns its socket count from the identification,
// builds the socket pages and menu entries for its model, logs its version
// report, records its identification and port settings (index AC01), sets
// its switching delay and drives every socket to its stored state. It runs
// once, from the silent-start window's timer after the message loop started.
//
// The status line `ComboBox_AC_Steckdosen` shows one status text at a time
// (set_Combobox_Status).
#include <functional>
#include <string>
#include <vector>

class TCommandExchange;
class TmuLogging;
class TmVedadAzaro;
class TProgramView;
class TSocketActions;
class TSocketPages;
class TSocketSwitching;
class QWidget;

// One model of the box family: its name as the identification contains it,
// its socket count and the captions of the page tabs.
struct TBoxModel {
    const char* name;
    int sockets;
    std::vector<std::string> tabs;
};

// One controller type: the third "-" field of the identification.
struct TControllerType {
    const char* name;
    int sockets;
};

class TBoxSession {
public:
    // The parts of the main window this one works with; all outlive it.
    struct TParts {
        QWidget& window;  // repainted after the pages are built
        TProgramView& view;
        TSocketActions& actions;
        TSocketPages& pages;
        TSocketSwitching& switching;
        TCommandExchange& exchange;
        TmVedadAzaro& hub;
    };
    // The program state the session reads and sets.
    struct TState {
        bool& InitStart;
        int& ACDosenCount;
        std::function<TmuLogging*()> programLogging;
    };

    static const std::vector<TBoxModel>& BoxModels();
    static const std::vector<TControllerType>& ControllerTypes();
    // Sockets of a controller type (exact, case-sensitive); 0 when unknown.
    static int ControllerSockets(const std::string& controllerType);

    // Status texts.
    static std::string StatusPortPresent(const std::string& port);  // "Status: Schnittstelle COM3 vorhanden."
    static std::string StatusSetAT(const std::string& port);        // "COM3 > Status: Set AT commands"
    static std::string StatusTimeout(const std::string& port);      // "COM3 > Status: Timeout"
    static std::string StatusDelay(const std::string& port, int seconds);
    static const char* const kStatusNoBox;  // "Status: Keine AC-Steckdosen vorhanden."

    TBoxSession(TParts parts, TState state);

    TBoxSession(const TBoxSession&) = delete;
    TBoxSession& operator=(const TBoxSession&) = delete;

    // The box initialisation (runs once per program run).
    void Init_AC_Active();
    // The switching delay step of Init_AC_Active: with InitStart set "att0",
    // otherwise the settings dialog's delay action.
    void set_Init_Status();
    // Shows text as the one item of the status line and selects it.
    void set_Combobox_Status(const std::string& text);

private:
    TmuLogging* Log() const;
    void ServeMessagesOnce();
    // Step 1: socket entries hidden, slot buttons disabled.
    void HideSocketControls();
    // Step 5: identification, port settings and controller into AC01.
    void Identify();
    // Step 5.8: every socket to its stored state, without the views.
    void SendStoredStates();
    // Step 7: the check, the model, the pages, the version report and the
    // restore of every socket. False when the first check answer was not
    // "OK" (the initialisation ends at once).
    bool CheckAndBuild();
    // Step 7.5.3: the model table applied to the identification; false
    // when it names no model.
    bool ApplyModel(const std::string& identUpper);
    void LogVersionReport();
    void RestoreSockets();

    TParts parts_;
    TState state_;
};
