#include "ctl/CtlRun.h"

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <thread>

#include "control/DirectBox.h"
#include "control/RuntimeFolder.h"
#include "control/SocketSelection.h"
#include "ctl/ControlClient.h"
#include "ctl/CtlOutput.h"
#include "device/ComPortMap.h"

namespace {

using TCommand = TCtlArguments::TCommand;
using ControlProtocol::TVerb;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

TCtlShown Shown(TCommand command) {
    switch (command) {
        case TCommand::Status:
            return TCtlShown::Status;
        case TCommand::AllOff:
            return TCtlShown::AllOff;
        case TCommand::Show:
        case TCommand::Hide:
        case TCommand::Quit:
            return TCtlShown::Window;
        default:
            return TCtlShown::Switch;
    }
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
}

int TimeoutMs(const TCtlArguments& args) { return static_cast<int>(args.timeoutSeconds * 1000); }

TControlResult ThroughProgram(const TCtlArguments& args, const TControlClient& client) {
    auto send = [&](TVerb verb, bool withSockets) {
        ControlProtocol::TRequest request;
        request.verb = verb;
        if (withSockets) request.arguments.push_back(args.sockets);
        return client.Send(request, TimeoutMs(args));
    };
    switch (args.command) {
        case TCommand::Status:
            return send(TVerb::Status, false);
        case TCommand::On:
            return send(TVerb::On, true);
        case TCommand::Off:
            return send(TVerb::Off, true);
        case TCommand::Toggle:
            return send(TVerb::Toggle, true);
        case TCommand::Cycle: {
            TControlResult off = send(TVerb::Off, true);
            if (!off.Ok()) return off;
            Sleep(args.offSeconds);
            return send(TVerb::On, true);
        }
        case TCommand::AllOff:
            return send(TVerb::AllOff, false);
        case TCommand::Show:
            return send(TVerb::Show, false);
        case TCommand::Hide:
            return send(TVerb::Hide, false);
        case TCommand::Quit:
            return send(TVerb::Quit, false);
        default:
            return TControlResult::Failure(TControlCode::Usage, "kein Befehl");
    }
}

TControlResult Direct(const TCtlArguments& args, const TCtlEnvironment& environment) {
    TDirectOptions options;
    options.dataDir = args.dir.empty() ? environment.dataFolder : args.dir;
    options.box = args.box;
    options.port = args.port;
    options.timeoutMs = TimeoutMs(args);
    if (options.dataDir.empty())
        return TControlResult::Failure(TControlCode::Unreachable, "kein Datenordner");

    TDirectBox box(options);
    TControlResult opened = box.Open();
    if (!opened.Ok()) return opened;
    if (args.command == TCommand::Status) return box.Status();
    if (args.command == TCommand::AllOff) return box.AllOff();

    const TSocketSelection selection = SelectSockets(args.sockets, box.Names());
    if (!selection.Ok()) return TControlResult::Failure(TControlCode::Usage, selection.error);
    switch (args.command) {
        case TCommand::On:
            return box.Switch(selection.sockets, TDirectBox::TSwitch::On);
        case TCommand::Off:
            return box.Switch(selection.sockets, TDirectBox::TSwitch::Off);
        case TCommand::Toggle:
            return box.Switch(selection.sockets, TDirectBox::TSwitch::Toggle);
        case TCommand::Cycle: {
            TControlResult off = box.Switch(selection.sockets, TDirectBox::TSwitch::Off);
            if (!off.Ok()) return off;
            Sleep(args.offSeconds);
            return box.Switch(selection.sockets, TDirectBox::TSwitch::On);
        }
        default:
            return TControlResult::Failure(TControlCode::Usage, "dieser Befehl braucht ein laufendes Tavrin");
    }
}

int Report(const TControlResult& result, const TCtlArguments& args, const std::string& mode,
           std::ostream& out, std::ostream& err) {
    const TCtlShown shown = Shown(args.command);
    if (args.json)
        out << FormatJson(result, shown, mode);
    else
        out << FormatText(result, shown);
    if (!result.Ok()) err << "tavrinctl: " << result.message << '\n';
    // "Not ready" ends as "not reachable": the program did not get ready in time.
    return result.code == TControlCode::NotReady ? static_cast<int>(TControlCode::Unreachable)
                                                 : static_cast<int>(result.code);
}

}  // namespace

std::string DefaultDataFolder() {
    const std::string home = Env("TAVRIN_HOME");
    if (!home.empty()) return home;
    const std::string data = Env("XDG_DATA_HOME");
    if (!data.empty() && data[0] == '/') return data + "/tavrin";
    const std::string user = Env("HOME");
    return user.empty() ? std::string() : user + "/.local/share/tavrin";
}

TCtlEnvironment DefaultCtlEnvironment() { return {RuntimeFolder::Default(), DefaultDataFolder()}; }

int RunCtl(const TCtlArguments& args, const TCtlEnvironment& environment, std::ostream& out,
           std::ostream& err) {
    if (!args.error.empty()) {
        err << "tavrinctl: " << args.error << "\n(tavrinctl --help zeigt den Aufruf)\n";
        if (args.json)
            out << FormatJson(TControlResult::Failure(TControlCode::Usage, args.error), TCtlShown::Window,
                              "");
        return static_cast<int>(TControlCode::Usage);
    }
    switch (args.command) {
        case TCommand::Help:
            out << CtlUsage();
            return 0;
        case TCommand::Version:
            out << "tavrinctl " << TAVRIN_FILE_VERSION << '\n';
            return 0;
        case TCommand::Ports: {
            const std::vector<TComPortInfo> ports = TComPortMap::DescribePorts();
            out << (args.json ? FormatPortsJson(ports) : FormatPortsText(ports));
            return 0;
        }
        default:
            break;
    }

    const TControlClient client(environment.runtimeFolder);
    const bool windowCommand =
        args.command == TCommand::Show || args.command == TCommand::Hide || args.command == TCommand::Quit;
    const bool programsBox = args.box == 1;
    const bool running = client.ProgramRunning();

    if (windowCommand || (running && programsBox && !args.direct)) {
        if (!running)
            return Report(TControlResult::Failure(TControlCode::Unreachable, "Tavrin läuft nicht"), args,
                          "program", out, err);
        return Report(ThroughProgram(args, client), args, "program", out, err);
    }
    if (running && programsBox)
        return Report(
            TControlResult::Failure(TControlCode::Unreachable,
                                    "Tavrin läuft und benutzt die Box; ohne --direct über Tavrin schalten"),
            args, "direct", out, err);

    // Box 1 straight from here: the program's lock is held meanwhile, so
    // that a Tavrin started now does not drive the box at the same time
    // and does not read the box file half written.
    TInstanceLock lock;
    if (programsBox && !environment.runtimeFolder.empty()) {
        const TInstanceLock::TOutcome taken = lock.Take(RuntimeFolder::LockPath(environment.runtimeFolder));
        if (taken == TInstanceLock::TOutcome::Held)
            return Report(
                TControlResult::Failure(TControlCode::Unreachable, "Tavrin startet gerade; bitte erneut"),
                args, "direct", out, err);
    }
    return Report(Direct(args, environment), args, "direct", out, err);
}
