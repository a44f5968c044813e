#pragma once
// The emergency off `Action_DangerOFF` ("&NOTAUS"; the wide button
// `SpeedButton1` under the banner and the tray entry `Notaus2`): after one
// confirmation every socket is switched off at once.
//
// The confirmation "ACHTUNG: NOTAUS, sind Sie sicher!" (caption "NOTAUS",
// OK / Cancel) is shown with every stay-on-top window of the program lowered
// to the normal band, so that a main window locked on top cannot cover it;
// they go back on top afterwards. Cancel, or a closed port: nothing happens.
// Otherwise the stored state of all 24 sockets (AC01|AC|ACPower01..24)
// becomes off, the name labels are read again for the page shown, the page
// buttons turn grey, the menu and tray entries of the box's sockets show
// "Steckdose <n> - OFF", and only then is the box told: the switching delay 0
// ("att0") and all off ("atoff"), with the response wait. The box's answers
// change nothing that is shown or stored.
//
// The emergency off is no user activity for the auto-hide period.
#include <functional>
#include <memory>
#include <string>

class QAction;
class TCommandExchange;
class TmuLogging;
class TmVedadAzaro;
class TProgramView;
class TSocketActions;
class TSocketSwitching;

class TEmergencyOff {
public:
    static constexpr const char* kCaption = "NOTAUS";
    static constexpr const char* kQuestion = "ACHTUNG: NOTAUS, sind Sie sicher!";

    // The parts of the main window this one works with; all outlive it.
    struct TParts {
        TProgramView& view;
        TSocketActions& actions;
        TSocketSwitching& switching;
        TCommandExchange& exchange;
        TmVedadAzaro& hub;
    };
    struct TState {
        const int& ACDosenCount;
        std::function<TmuLogging*()> programLogging;
    };

    // Connects `dangerOff` (Action_DangerOFF, may be null; the view's
    // SpeedButton1 and the tray entry run it) to Action_DangerOFFExecute.
    TEmergencyOff(TParts parts, TState state, QAction* dangerOff);
    ~TEmergencyOff();

    TEmergencyOff(const TEmergencyOff&) = delete;
    TEmergencyOff& operator=(const TEmergencyOff&) = delete;

    void Action_DangerOFFExecute();

    // Lowers every visible stay-on-top window of the program to the normal
    // band for its lifetime and puts them back on top at its end.
    class TTopMostLowered {
    public:
        TTopMostLowered();
        ~TTopMostLowered();
        TTopMostLowered(const TTopMostLowered&) = delete;
        TTopMostLowered& operator=(const TTopMostLowered&) = delete;
        int Count() const;

    private:
        struct TSaved;
        std::unique_ptr<TSaved> saved_;
    };

private:
    TmuLogging* Log() const;
    bool Confirmed();
    void ClearStates(int tabIndex);
    void SendAllOff();

    TParts parts_;
    TState state_;
    QAction* dangerOff_;
    bool running_ = false;
};
