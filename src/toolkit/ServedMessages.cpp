#include "toolkit/ServedMessages.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/Application.h"

namespace {

std::vector<TServedContext*>& Keepers() {
    static std::vector<TServedContext*> keepers;
    return keepers;
}

Application* g_programApplication = nullptr;

bool Registered(TServedContext* keeper) {
    const auto& keepers = Keepers();
    return std::find(keepers.begin(), keepers.end(), keeper) != keepers.end();
}

}  // namespace

void RegisterServedContext(TServedContext* keeper) {
    if (keeper && !Registered(keeper)) Keepers().push_back(keeper);
}

void UnregisterServedContext(TServedContext* keeper) {
    auto& keepers = Keepers();
    keepers.erase(std::remove(keepers.begin(), keepers.end(), keeper), keepers.end());
}

void ServeMessages(Application& app) {
    std::vector<std::pair<TServedContext*, std::function<void()>>> saved;
    saved.reserve(Keepers().size());
    for (TServedContext* keeper : Keepers()) saved.emplace_back(keeper, keeper->SaveContext());
    app.ProcessMessages();
    for (auto& [keeper, restore] : saved)
        if (Registered(keeper) && restore) restore();
}

void SetProgramApplication(Application* app) { g_programApplication = app; }

Application* ProgramApplication() { return g_programApplication; }
