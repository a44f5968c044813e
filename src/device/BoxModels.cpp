#include "device/BoxModels.h"

#include "toolkit/muStringTools.h"

namespace BoxModels {

namespace {
std::string Blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }
}  // namespace

const char* const kStatusNoBox = "Status: Keine AC-Steckdosen vorhanden.";

const std::vector<TBoxModel>& Models() {
    static const std::vector<TBoxModel> models = [] {
        const std::vector<std::string> twelve = {"   1-4   ", "   5-8   ", "   9-12  "};
        std::vector<std::string> sixteen = twelve;
        sixteen.push_back("  13-16  ");
        std::vector<std::string> twenty = sixteen;
        twenty.push_back("  17-20  ");
        std::vector<std::string> twentyFour = twenty;
        twentyFour.push_back("  21-24  ");
        return std::vector<TBoxModel>{
            {"USB-NELTA4", 4, {Blanks(18) + "1 - 4" + Blanks(18)}},
            {"USB-NELTA8", 8, {Blanks(20) + "1 - 4" + Blanks(20), Blanks(20) + "5 - 8" + Blanks(20)}},
            {"USB-NELTA12", 12, twelve},
            {"USB-NELTA16", 16, sixteen},
            {"USB-NELTA20", 20, twenty},
            {"USB-NELTA24", 24, twentyFour},
        };
    }();
    return models;
}

const std::vector<TControllerType>& ControllerTypes() {
    static const std::vector<TControllerType> types = {
        {"BOX4", 4}, {"BOX8", 8}, {"BOX12", 12}, {"BOX16", 16}, {"BOX20", 20}, {"BOX24", 24},
    };
    return types;
}

int ControllerSockets(const std::string& controllerType) {
    for (const TControllerType& type : ControllerTypes())
        if (controllerType == type.name) return type.sockets;
    return 0;
}

const TBoxModel* ModelNamedIn(const std::string& identification) {
    const std::string upper = AsciiUpper(identification);
    const TBoxModel* named = nullptr;
    for (const TBoxModel& model : Models())
        if (upper.find(model.name) != std::string::npos) named = &model;
    return named;
}

std::string StatusPortPresent(const std::string& port) {
    return "Status: Schnittstelle " + port + " vorhanden.";
}

std::string StatusSetAT(const std::string& port) { return port + " > Status: Set AT commands"; }

std::string StatusTimeout(const std::string& port) { return port + " > Status: Timeout"; }

std::string StatusDelay(const std::string& port, int seconds) {
    return port + " > Set NELTA delaytime: " + std::to_string(seconds) + " sec.";
}

}  // namespace BoxModels
