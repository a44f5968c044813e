#include "ctl/CtlArguments.h"

#include <cstdlib>

namespace {

struct TCommandName {
    const char* name;
    TCtlArguments::TCommand command;
    bool takesSockets;
};
const TCommandName kCommands[] = {
    {"status", TCtlArguments::TCommand::Status, false}, {"on", TCtlArguments::TCommand::On, true},
    {"off", TCtlArguments::TCommand::Off, true},        {"toggle", TCtlArguments::TCommand::Toggle, true},
    {"cycle", TCtlArguments::TCommand::Cycle, true},    {"all-off", TCtlArguments::TCommand::AllOff, false},
    {"show", TCtlArguments::TCommand::Show, false},     {"hide", TCtlArguments::TCommand::Hide, false},
    {"quit", TCtlArguments::TCommand::Quit, false},     {"ports", TCtlArguments::TCommand::Ports, false},
};

// A decimal number from `min` to `max` (decimals allowed).
bool Number(const std::string& text, double min, double max, double& value) {
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(parsed >= min && parsed <= max)) return false;
    value = parsed;
    return true;
}

}  // namespace

std::string CtlUsage() {
    return "Aufruf: tavrinctl [OPTIONEN] BEFEHL [ANGABEN]\n"
           "\n"
           "Befehle:\n"
           "  status                     Modell, Schnittstelle und alle Steckdosen\n"
           "  on STECKDOSEN              einschalten\n"
           "  off STECKDOSEN             ausschalten\n"
           "  toggle STECKDOSEN          umschalten\n"
           "  cycle STECKDOSEN [--off-seconds S]\n"
           "                             aus, S Sekunden warten (5), ein\n"
           "  all-off --yes              NOTAUS ohne Rückfrage\n"
           "  show | hide | quit         Fenster des laufenden Tavrin zeigen, verstecken, Tavrin beenden\n"
           "  ports                      die COM-Schnittstellen des Rechners\n"
           "\n"
           "STECKDOSEN: 5, 2-5, 1,3-4, all oder der Name einer Steckdose (Groß-/Kleinschreibung egal)\n"
           "\n"
           "Optionen:\n"
           "  --json          Ausgabe als JSON\n"
           "  --dir D         Datenordner (Vorgabe $TAVRIN_HOME, sonst $XDG_DATA_HOME/tavrin)\n"
           "  --box K         Boxdatei K (1-16, Vorgabe 1); andere als 1 immer direkt\n"
           "  --port P        Schnittstelle im direkten Betrieb: COMn oder ein Gerätepfad\n"
           "  --direct        nie über das laufende Tavrin\n"
           "  --timeout S     längste Wartezeit auf Tavrin oder die Box (Vorgabe 5 s)\n"
           "  -h, --help      diese Hilfe\n"
           "  --version       die Version\n"
           "\n"
           "Rückgabewerte: 0 erledigt, 1 falscher Aufruf, 2 weder Tavrin noch Box erreichbar,\n"
           "3 die Box hat nicht geantwortet.\n";
}

TCtlArguments ParseCtlArguments(const std::vector<std::string>& args) {
    TCtlArguments result;
    auto fail = [&result](const std::string& why) {
        result.error = why;
        return result;
    };
    std::vector<std::string> words;
    bool offSecondsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string text;
        if (arg == "-h" || arg == "--help") {
            result.command = TCtlArguments::TCommand::Help;
            return result;
        } else if (arg == "--version") {
            result.command = TCtlArguments::TCommand::Version;
            return result;
        } else if (arg == "--json") {
            result.json = true;
        } else if (arg == "--yes") {
            result.yes = true;
        } else if (arg == "--direct") {
            result.direct = true;
        } else if (arg == "--dir") {
            if (!value(result.dir) || result.dir.empty()) return fail("--dir braucht einen Ordner");
        } else if (arg == "--port") {
            if (!value(result.port) || result.port.empty()) return fail("--port braucht eine Schnittstelle");
        } else if (arg == "--box") {
            double box = 0;
            if (!value(text) || !Number(text, 1, 16, box) || box != static_cast<int>(box))
                return fail("--box braucht eine Zahl von 1 bis 16");
            result.box = static_cast<int>(box);
        } else if (arg == "--timeout") {
            if (!value(text) || !Number(text, 0.1, 3600, result.timeoutSeconds))
                return fail("--timeout braucht Sekunden von 0.1 bis 3600");
        } else if (arg == "--off-seconds") {
            if (!value(text) || !Number(text, 0, 3600, result.offSeconds))
                return fail("--off-seconds braucht Sekunden von 0 bis 3600");
            offSecondsGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            return fail("unbekannte Option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return fail("kein Befehl angegeben");
    for (const TCommandName& entry : kCommands) {
        if (words[0] != entry.name) continue;
        result.command = entry.command;
        const std::size_t wanted = entry.takesSockets ? 2 : 1;
        if (words.size() < wanted) return fail(std::string(entry.name) + " braucht die Steckdosen");
        if (words.size() > wanted) return fail("zu viele Angaben: " + words[wanted]);
        if (entry.takesSockets) result.sockets = words[1];
        if (offSecondsGiven && entry.command != TCtlArguments::TCommand::Cycle)
            return fail("--off-seconds gilt nur für cycle");
        if (entry.command == TCtlArguments::TCommand::AllOff && !result.yes)
            return fail("all-off schaltet alle Steckdosen aus: nur mit --yes");
        return result;
    }
    return fail("unbekannter Befehl " + words[0]);
}
