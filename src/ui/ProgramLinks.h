#pragma once
// What the dialogs reach of the main window, handed to them when they are
// made. Without a main window every member is empty, and a dialog works on
// its own (its box options and the main window's actions do nothing).
#include <functional>
#include <string>

#include "ui/AC_Prg_COM.h"

class QtForm;
class TBoxController;
class TMainMenus;
class TmCloseTimer;
class TmuLogging;
class TmVedadAzaro;
class TProgramActions;
class TSilentStartHost;

struct TProgramLinks {
    TmVedadAzaro* hub = nullptr;
    TBoxController* box = nullptr;  // every exchange with the box
    QtForm* form = nullptr;         // the main window's controls
    TProgramActions* actions = nullptr;
    TMainMenus* menus = nullptr;
    TmCloseTimer* closeTimer = nullptr;  // the main window's 15-minute close timer
    TSilentStartHost* silentHost = nullptr;
    std::function<TmuLogging*()> programLogging;
    // The open port's settings (get_com_parameter).
    std::function<TComParameters()> portParameters;
    // The operating system's version text.
    std::function<std::string()> winVersion;

    TmuLogging* Log() const { return programLogging ? programLogging() : nullptr; }
};
