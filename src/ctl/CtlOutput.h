#pragma once
// What tavrinctl prints: lines for people, or one JSON object for scripts.
#include <string>

#include "control/ControlTypes.h"

enum class TCtlShown { Status, Switch, AllOff, Window };

// `mode` is "program" or "direct".
std::string FormatText(const TControlResult& result, TCtlShown shown);
std::string FormatJson(const TControlResult& result, TCtlShown shown, const std::string& mode);
// A JSON string literal of `text` (UTF-8 kept; other bytes read as Latin-1).
std::string JsonString(const std::string& text);
