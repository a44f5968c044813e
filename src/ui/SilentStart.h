#pragma once
// How the program starts: autostart with the user's session and silent
// start in the background.
//
// - Autostart (`Action_SetAutoStart`, applying the settings dialog's check
//   box `CheckBox_Autostart`): a link to the program in the user's Startup
//   folder, "tavrin.lnk" on Windows, "tavrin.desktop" (the XDG autostart
//   folder) on Linux, described "Tavrin Link". Its source is the stored
//   INI|Path|ProgFile with "$APPDIR" replaced by the upper-cased current
//   directory; where that program does not exist but is this program under
//   its Windows name (TAVRIN.EXE), the running executable takes its place.
//   The link starts the program in the current directory, where tavrin.ini
//   lives.
// - Silent start (`Action_SetSilent`, applying `CheckBox_Autostat_Silent`):
//   the stored INI|TAVRIN|SILENT that the silent-start window reads.
// - `Action_InitAutoStart` (start-up): the captions of both actions follow
//   the stored options, and a link missing while autostart is on is made
//   again.
//
// It is also the silent-start window's host: the deferred part of the
// start-up runs the box session and shows the main window through it.
#include <functional>
#include <string>

#include "ui/AC_Prg_Silent.h"

class QWidget;
class TBoxSession;
class TmuLogging;
class TmVedadAzaro;
class TProgramActions;

class TSilentStart : public TSilentStartHost {
public:
    static constexpr const char* kLinkName = "tavrin";
    static constexpr const char* kLinkDescription = "Tavrin Link";
    static constexpr const char* kAutoStartOn = "Windows Autostart vom Tavrin deaktivieren.";
    static constexpr const char* kAutoStartOff = "Windows Autostart vom Tavrin aktivieren.";
    static constexpr const char* kSilentOn = "Silent-Modus vom Tavrin deaktivieren.";
    static constexpr const char* kSilentOff = "Silent-Modus vom Tavrin aktivieren.";
    // The check boxes of the settings dialog the two options apply.
    static constexpr const char* kAutoStartBox = "CheckBox_Autostart";
    static constexpr const char* kSilentBox = "CheckBox_Autostat_Silent";

    struct TLinks {
        QWidget& window;  // the main window
        TmVedadAzaro& hub;
        TProgramActions& actions;
        TBoxSession& session;
        std::function<void(bool)> setInitStart;       // Set_InitStart of the main window
        std::function<void(bool)> enableCloseTimer;   // mCloseTimer_15min on or off
        std::function<TmuLogging*()> programLogging;  // ProgramLogging
    };

    // Binds the three actions to this part.
    explicit TSilentStart(TLinks links);
    ~TSilentStart() override;

    TSilentStart(const TSilentStart&) = delete;
    TSilentStart& operator=(const TSilentStart&) = delete;

    // ---- Options -------------------------------------------------------------
    // Apply the state of the settings dialog's check box (nothing when the
    // dialog or the box does not exist).
    void Action_SetAutoStartExecute();
    void Action_SetSilentExecute();
    // The same with the state given.
    void SetAutoStart(bool ticked);
    void SetSilent(bool ticked);
    // Start-up step: captions from the stored options, a missing link made
    // again while autostart is on.
    void Action_InitAutoStartExecute();

    // The link's source: program path and arguments ("... /SILENT").
    std::string AutostartSource();
    // The link in the Startup folder (program notation); empty without one.
    std::string AutostartLinkPath();

    // ---- TSilentStartHost ------------------------------------------------------
    TmuDataholder& Dataholder() override;
    void Init_AC_Active() override;
    void SetCloseTimerEnabled(bool enabled) override;
    void SetProgramInitStart(bool value) override;
    void ShowProgram() override;
    void CloseProgram() override;
    void ReportError(const std::string& text) override;

private:
    TmuLogging* Log() const;
    bool CheckBoxState(const char* name, bool& ticked) const;
    // Creates the link when it is missing.
    void CreateLinkIfMissing();
    void SetCaption(bool autoStart, const char* caption);

    TLinks links_;
};
