#pragma once
// The emergency off `Action_DangerOFF` ("&NOTAUS"; the wide button
// `SpeedButton1` under the banner and the tray entry `Notaus2`): after one
// confirmation every socket is switched off at once.
//
// The confirmation "ACHTUNG: NOTAUS, sind Sie sicher!" (caption "NOTAUS",
// OK / Cancel) is shown with every stay-on-top window of the program lowered
// to the normal band, so that a main window locked on top cannot cover it;
// they go back on top afterwards. Cancel, or a closed port: nothing happens.
// Otherwise the box controller stores and shows every socket off and tells
// the box ("att0", "atoff") as its next exchange, ahead of any switch still
// waiting (those are dropped). The box's answers change nothing that is
// shown or stored.
//
// The emergency off is no user activity for the auto-hide period.
#include <memory>

class QAction;
class TBoxController;

class TEmergencyOff {
public:
    static constexpr const char* kCaption = "NOTAUS";
    static constexpr const char* kQuestion = "ACHTUNG: NOTAUS, sind Sie sicher!";

    struct TParts {
        // What happens after the confirmation: the box controller's.
        TBoxController* controller = nullptr;
        // Action_DangerOFF (may be null; the view's SpeedButton1 and the tray
        // entry run it), connected to Action_DangerOFFExecute.
        QAction* dangerOff = nullptr;
    };

    explicit TEmergencyOff(TParts parts);
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
    bool Confirmed();

    TParts parts_;
    bool running_ = false;
};
