#pragma once
// The saving steps of the main window's destruction (FormDestroy), in their
// order:
//   1. tavrin.ini (slot 1), section TAVRIN: PositionX, PositionY, FormPos,
//      AUTOSTART, SILENT, PrgHide;
//   2. the box file (slot 2), section COM: Port, Baudrate, Stopbit, Parity,
//      Flowcontrol;
//   3. section AC, for the sockets 1 to ACDosenCount: AC_Name<NN>,
//      ACPower<NN>, AC_Down<NN>, ACWDown<NN>; a socket with AC_Down<NN> and
//      ACWDown<NN> both set is then switched off at the box ("ato" n). Its
//      ACPower<NN> stays as written, so the next start restores it;
//   4. the serial port is closed;
//   5. the box settings of section AC: AC_Controller, AC_BEEPER, AC_SN,
//      AC_DELAY, AC_DELAYTIME, AC_PWDACTIVE, AC_PWD;
//   6. the box file is written to disk. tavrin.ini follows when the INI
//      binding is released with the main window.
// The values come from index INI and index AC01 of the data holder; the
// keys, their order and their writers (by type: WriteOnOFF, WriteInteger,
// WriteString) are the settings schema's exit lists. Writes
// only change keys the files already carry. The box file written is the one
// index AC01 was read from (box file 01), also when the start read further
// box files after it.
//
// A port error while a socket is switched off (a box unplugged before the
// end) does not stop the saving: the error is logged, the other sockets are
// tried, the port is closed and both files are written. The switch-offs are
// the box controller's end: bounded in time, with nothing queued before
// them still sent.
#include <functional>
#include <string>

class TBoxController;
class TmuLogging;
class TmVedadAzaro;

class TShutdown {
public:
    // The parts of the main window the saving works with; all outlive it.
    struct TParts {
        TmVedadAzaro& hub;
        TBoxController& box;  // port, the end's switch-off
    };
    // The program state the saving reads.
    struct TState {
        const std::string& AppDir;
        const int& ACDosenCount;
        std::function<TmuLogging*()> programLogging;
    };

    TShutdown(TParts parts, TState state);

    TShutdown(const TShutdown&) = delete;
    TShutdown& operator=(const TShutdown&) = delete;

    // The six steps above, in order.
    void SaveAll();

    void SaveMainSettings();  // 1
    void SavePortSettings();  // 2
    void SaveSockets();       // 3
    void ClosePort();         // 4
    void SaveBoxSettings();   // 5
    void WriteBoxFile();      // 6

    // Port errors met while switching sockets off (for the report).
    int PortErrors() const { return portErrors_; }

private:
    TmuLogging* Log() const;
    // Selects slot 2 and, when the start read more than one box file into
    // it, binds it to box file 01 again (the file index AC01 came from).
    void SelectBoxFile();
    // Switches socket n off; a port error is logged and counted.
    void SwitchOff(int n);

    TParts parts_;
    TState state_;
    bool boxFileSelected_ = false;
    int portErrors_ = 0;
};
