#pragma once
// The settings schema: every value the program keeps in the data holder,
// with its index, section, name, type and default, registered at start in
// this order: the help topic table (HLP), the box indexes AC01 to AC16, the
// sections of tavrin.ini (INI), the run-time values (DEFAULT, section PRG).
#include <array>

class TmuDataholder;

// One entry of the help topic table (index HLP, section HelpIndex).
struct THelpTopic {
    const char* Name;
    int Context;
};

constexpr int kHelpTopicCount = 49;

// The help topics in registration order.
const std::array<THelpTopic, kHelpTopicCount>& HelpTopics();

// Registers the whole schema with its defaults (the main window's first
// start-up step). Registering twice changes nothing.
void RegisterSettingsSchema(TmuDataholder& holder);
