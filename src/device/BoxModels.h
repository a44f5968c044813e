#pragma once
// The box family as the identification names it: the models (socket count
// and page tabs) and the controller types (third "-" field of the
// identification), and the status texts of the box's start.
#include <string>
#include <vector>

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

namespace BoxModels {

// In the order they are tested; a later match overrides an earlier one.
const std::vector<TBoxModel>& Models();
const std::vector<TControllerType>& ControllerTypes();
// Sockets of a controller type (exact, case-sensitive); 0 when unknown.
int ControllerSockets(const std::string& controllerType);
// The model an identification names: of the models whose name the
// identification contains (after upper-casing its ASCII letters), the last
// in table order; nullptr when it names none.
const TBoxModel* ModelNamedIn(const std::string& identification);

// Status texts.
std::string StatusPortPresent(const std::string& port);  // "Status: Schnittstelle COM3 vorhanden."
std::string StatusSetAT(const std::string& port);        // "COM3 > Status: Set AT commands"
std::string StatusTimeout(const std::string& port);      // "COM3 > Status: Timeout"
std::string StatusDelay(const std::string& port, int seconds);
extern const char* const kStatusNoBox;  // "Status: Keine AC-Steckdosen vorhanden."

}  // namespace BoxModels
