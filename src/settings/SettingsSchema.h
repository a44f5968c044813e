#pragma once
// The settings schema: every value the program keeps in the data holder,
// with its index, section, name, type and default, registered at start in
// this order: the help topic table (HLP), the box indexes AC01 to AC16, the
// sections of tavrin.ini (INI), the run-time values (DEFAULT, section PRG).
//
// The values the program writes back to its files at exit carry their place
// in the write order of their section; ExitValues lists them in that order.
#include <array>
#include <string>
#include <vector>

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

// The type a value is registered with; it decides the writer at exit
// (WriteOnOFF, WriteInteger, WriteString).
enum class TValueType { Boolean, Integer, String };

// A value written at exit.
struct TExitValue {
    // The key in the file; for a numbered run its stem ("AC_Name"), written
    // with the socket's two digits for the sockets 1 to the socket count.
    std::string Name;
    TValueType Type;
    // A Boolean run read before the run's other marks are written: a socket
    // with every mark set is switched off at the box after its values.
    bool SwitchOffMark = false;
};

// The blocks of values written at exit.
enum class TExitBlock {
    MainSettings,  // index INI, section TAVRIN (tavrin.ini)
    BoxPort,       // index ACnn, section COM (the box file)
    Sockets,       // index ACnn, section AC: the numbered runs, per socket
    BoxSettings,   // index ACnn, section AC: the box's own values
};

struct TExitList {
    std::string Section;
    std::vector<TExitValue> Values;  // in write order
};

// The values of a block that are written at exit, in write order.
const TExitList& ExitValues(TExitBlock block);
