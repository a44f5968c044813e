#pragma once
// What tavrinctl prints: lines for people, or one JSON object for scripts.
#include <string>
#include <vector>

#include "control/ControlTypes.h"
#include "device/ComPortMap.h"

enum class TCtlShown { Status, Switch, AllOff, Window };

// `mode` is "program" or "direct".
std::string FormatText(const TControlResult& result, TCtlShown shown);
std::string FormatJson(const TControlResult& result, TCtlShown shown, const std::string& mode);
// The machine's serial ports as the program's search sees them.
std::string FormatPortsText(const std::vector<TComPortInfo>& ports);
std::string FormatPortsJson(const std::vector<TComPortInfo>& ports);
// A JSON string literal of `text` (UTF-8 kept; other bytes read as Latin-1).
std::string JsonString(const std::string& text);
