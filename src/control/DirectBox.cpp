#include "control/DirectBox.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

#include "device/BoxModels.h"
#include "device/ComPortMap.h"
#include "device/PosixSerialPort.h"
#include "device/SerialPort.h"
#include "store/muIniDocument.h"
#include "store/muIniIO.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muStringTools.h"

namespace {

// The box file when tavrin.ini names none (the program's default pattern).
const char* const kDefaultBoxFile = "$APPDIR\\System\\AC_Config\\AC_Power_$IDX.ini";
const char* const kDefaultPort = "COM1";
const char* const kDefaultName = "Steckdosenname";
constexpr int kBoxFiles = 16;
// Keys the box file carries for every socket, whatever the box's size.
constexpr int kSocketKeys = 24;
// Step of the wait for an answer.
constexpr int kPollMs = 1;
// A device that keeps sending without a reply line is given up after this.
constexpr std::size_t kMaxAnswerBytes = 4096;
// Carriage returns of the busy handshake at most, as the program sends them.
constexpr int kWaitAttempts = 100;
// Repetitions of "at" while the box answers "ERROR" (a line left half
// written by an earlier user of the port).
constexpr int kAtRepeats = 3;
const char* const kWaitMarker = "WAIT";
const char* const kEndMarker = "PORT";

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// The placeholder's first occurrence replaced, as the program's file service
// does it.
std::string ReplaceFirst(std::string text, const std::string& placeholder, const std::string& replacement) {
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), replacement);
    return text;
}

// The marker occurs, and its first occurrence is not at the very start.
bool FoundAfterFirst(const std::string& text, const std::string& marker) {
    const std::size_t at = text.find(marker);
    return at != std::string::npos && at > 0;
}

// An answer is complete with its reply line: a ">" and a carriage return
// after it (the echo before it holds neither).
bool HoldsReplyLine(const std::string& raw) {
    const std::size_t prompt = raw.find('>');
    return prompt != std::string::npos && raw.find('\r', prompt + 1) != std::string::npos;
}

// Switches off every logger below a component: a script's run leaves no
// lines in the program's trace log.
void SilenceLogs(TComponent* component) {
    if (auto* log = dynamic_cast<TmuLogging*>(component)) log->SetActiveLog(false);
    for (TComponent* child : component->Components()) SilenceLogs(child);
}

void SplitFileName(const std::string& fileName, std::string& folder, std::string& name) {
    const std::size_t cut = fileName.find_last_of("\\/");
    folder = cut == std::string::npos ? std::string() : fileName.substr(0, cut);
    name = cut == std::string::npos ? fileName : fileName.substr(cut + 1);
}

// Opens a device path on the real port. The port resolves COM names only
// (through TComPortMap); when the map does not take the path as it is, the
// path is reached as COM1 of a private COM folder that exists only while the
// device is opened (the open descriptor and its locks stay with the device).
void OpenDevicePath(PosixSerialPort& port, const std::string& path) {
    if (TComPortMap::DevicePath(path) == path) {
        port.SetPort(path);
        port.SetConnected(true);
        return;
    }
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "tavrinctl-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw SerialPortError("Schnittstelle " + path + ": kann nicht geöffnet werden", errno);
    const std::string folder = pattern;
    const std::string link = folder + "/com1";
    std::optional<std::string> saved;
    if (const char* old = std::getenv("TAVRIN_COM_DIR")) saved = old;
    auto restore = [&] {
        if (saved)
            ::setenv("TAVRIN_COM_DIR", saved->c_str(), 1);
        else
            ::unsetenv("TAVRIN_COM_DIR");
        ::unlink(link.c_str());
        ::rmdir(folder.c_str());
    };
    if (::symlink(path.c_str(), link.c_str()) != 0) {
        const int err = errno;
        restore();
        throw SerialPortError("Schnittstelle " + path + ": kann nicht geöffnet werden", err);
    }
    ::setenv("TAVRIN_COM_DIR", folder.c_str(), 1);
    try {
        port.SetPort("COM1");
        port.SetConnected(true);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

struct TStored {
    std::string name = kDefaultName;
    bool on = false;
    bool endAction = false;
    bool endOff = false;
    bool hasPowerKey = false;
};

}  // namespace

struct TDirectBox::TImpl {
    TDirectOptions options;
    SerialPort* port = nullptr;
    std::unique_ptr<PosixSerialPort> ownPort;
    // Slot 1 tavrin.ini, slot 2 the box file: the program's binding, so the
    // box file is written as the program writes it.
    TmuIniIO ini;
    TmuStringTools str;

    bool open = false;
    std::string boxFile;   // program notation
    std::string portName;  // "COM3" or the device path, as reported
    std::string model;
    int sockets = 0;
    std::vector<TStored> stored = std::vector<TStored>(kSocketKeys);

    struct TAnswer {
        std::string raw;
        std::string reply;  // the reply text: after ">" up to the carriage return, trimmed
    };

    int TimeoutMs() const { return std::max(1, options.timeoutMs); }
    static std::int64_t Now() { return GetPlatform().NowMs(); }

    // One command line and its answer: sent with its carriage return, then
    // the port is watched until the reply line has come or the deadline passed.
    TAnswer Exchange(const std::string& command, std::int64_t deadline) {
        Platform& platform = GetPlatform();
        port->ClearInput();
        port->WriteText(command + "\r");
        TAnswer answer;
        for (;;) {
            const int waiting = port->GetInputCount();
            if (waiting > 0) answer.raw += port->ReadText(waiting);
            if (HoldsReplyLine(answer.raw) || answer.raw.size() > kMaxAnswerBytes) break;
            if (platform.NowMs() >= deadline) break;
            if (waiting <= 0) platform.SleepMs(kPollMs);
        }
        answer.reply = str.getTextBetween(answer.raw, ">", "\r");
        return answer;
    }

    TAnswer Exchange(const std::string& command) { return Exchange(command, Now() + TimeoutMs()); }

    enum class TSwitchOutcome { Done, NoReply, Refused, StaysBusy };

    // A switching command and, when the box replies busy, its handshake:
    // bare carriage returns until an answer names the end marker, at most
    // kWaitAttempts of them and within one timeout.
    TSwitchOutcome SwitchCommand(const std::string& command) {
        std::string reply = Exchange(command).reply;
        if (reply.empty()) return TSwitchOutcome::NoReply;
        if (reply.find("ERROR") != std::string::npos) return TSwitchOutcome::Refused;
        if (!FoundAfterFirst(reply, kWaitMarker)) return TSwitchOutcome::Done;
        const std::int64_t deadline = Now() + TimeoutMs();
        for (int attempts = kWaitAttempts; attempts > 0 && Now() < deadline; --attempts) {
            const TAnswer answer = Exchange("", deadline);
            if (!answer.reply.empty()) reply = answer.reply;
            if (reply.find(kEndMarker) != std::string::npos) return TSwitchOutcome::Done;
        }
        return TSwitchOutcome::StaysBusy;
    }

    // ---- Files -----------------------------------------------------------------

    std::string BoxFilePattern() {
        ini.set_IniIoIndex(1);
        ini.set_path(options.dataDir);
        ini.set_Filename("tavrin.ini");
        ini.set_Active(true);
        std::string pattern = kDefaultBoxFile;
        if (ini.get_Active() && ini.ValueExists("AC_Config", "AC_File")) {
            ini.ReadString("AC_Config", "AC_File", pattern, kDefaultBoxFile);
            if (pattern.empty()) pattern = kDefaultBoxFile;
        }
        ini.set_Active(false);  // nothing written: the document is unchanged
        return pattern;
    }

    bool BindBoxFile() {
        std::string folder;
        std::string name;
        SplitFileName(boxFile, folder, name);
        ini.set_IniIoIndex(2);
        ini.set_path(folder);
        ini.set_Filename(name);
        ini.set_Active(true);
        return ini.get_Active();
    }

    std::string FileText() const { return fs_boundary::NativePath(boxFile); }

    // Reads the sockets and the port of the box file; an error text, empty
    // when the file was read.
    std::string ReadBoxFile(std::string& filePort) {
        if (!BindBoxFile()) return "Boxdatei " + FileText() + " nicht vorhanden oder nicht lesbar";
        for (int n = 1; n <= kSocketKeys; ++n) {
            TStored& s = stored[static_cast<std::size_t>(n - 1)];
            const std::string nn = TwoDigits(n);
            ini.ReadString("AC", "AC_Name" + nn, s.name, kDefaultName);
            s.hasPowerKey = ini.ValueExists("AC", "ACPower" + nn);
            s.on = ini.ReadOnOFF("AC", "ACPower" + nn, false);
            s.endAction = ini.ReadOnOFF("AC", "AC_Down" + nn, false);
            s.endOff = ini.ReadOnOFF("AC", "ACWDown" + nn, false);
        }
        filePort = kDefaultPort;
        if (ini.ValueExists("COM", "Port")) ini.ReadString("COM", "Port", filePort, kDefaultPort);
        ini.set_Active(false);
        return {};
    }

    // Stores the states (socket number, on) in the box file, written at once
    // as the program writes it; an error text, empty when they were stored.
    std::string Store(const std::vector<std::pair<int, bool>>& states) {
        if (!BindBoxFile()) return FileText() + " nicht lesbar";
        std::string missing;
        for (const auto& [n, on] : states) {
            const std::string key = "ACPower" + TwoDigits(n);
            if (ini.ValueExists("AC", key))
                ini.WriteOnOFF("AC", key, on);
            else if (missing.empty())
                missing = key;
        }
        ini.set_Active(false);
        const TmIniDocument* document = ini.get_IniIo();
        if (document != nullptr && document->Modified()) return FileText() + " nicht beschreibbar";
        if (!missing.empty()) return FileText() + ": Schlüssel " + missing + " fehlt";
        for (const auto& [n, on] : states) stored[static_cast<std::size_t>(n - 1)].on = on;
        return {};
    }

    TSocketStatus StatusOf(int n) const {
        const TStored& s = stored[static_cast<std::size_t>(n - 1)];
        TSocketStatus status;
        status.number = n;
        status.name = s.name;
        status.on = s.on;
        status.endAction = s.endAction;
        status.endOff = s.endOff;
        return status;
    }

    TControlResult Result(TControlCode code = TControlCode::Done, std::string message = {}) const {
        TControlResult result;
        result.code = code;
        result.message = std::move(message);
        result.model = model;
        result.port = portName;
        return result;
    }

    // ---- The port --------------------------------------------------------------

    // Opens the port; an error text, empty when it is open.
    std::string OpenPort(const std::string& name) {
        const bool path = !name.empty() && name.front() == '/';
        const int comNo = TComPortMap::PortNumber(name);
        if (!path && comNo <= 0) return "Schnittstelle \"" + name + "\" ist weder COMn noch ein Gerätepfad";
        portName = path ? name : "COM" + std::to_string(comNo);
        try {
            if (port == nullptr) {
                ownPort = std::make_unique<PosixSerialPort>();
                port = ownPort.get();
            }
            SetBoxLineSettings(*port);
            if (ownPort && path) {
                OpenDevicePath(*ownPort, name);
            } else {
                port->SetPort(path ? name : portName);
                port->SetConnected(true);
            }
        } catch (const SerialPortError& e) {
            if (e.Code() == EBUSY) return portName + " wird von einem anderen Programm benutzt";
            if (e.Code() == ENOENT) return portName + " nicht vorhanden";
            return portName + " kann nicht geöffnet werden: " + e.what();
        }
        return {};
    }

    void ClosePort() {
        if (port == nullptr) return;
        try {
            port->SetConnected(false);
        } catch (const SerialPortError&) {
        }
    }

    // "at" answered "OK", then the model from "ati"; an error text, empty
    // when the box is known.
    std::string Identify() {
        bool ok = false;
        for (int attempt = 0; attempt <= kAtRepeats && !ok; ++attempt) {
            const TAnswer answer = Exchange("at");
            ok = AsciiUpper(answer.reply) == "OK";
            if (answer.raw.find("ERROR") == std::string::npos) break;
        }
        if (!ok) return "keine Box an " + portName;
        const std::string ident = Exchange("ati").reply;
        const TBoxModel* named = BoxModels::ModelNamedIn(ident);
        if (named == nullptr) return portName + ": unbekanntes Boxmodell (Kennung \"" + ident + "\")";
        model = named->name;
        sockets = named->sockets;
        return {};
    }

    TControlResult Open() {
        if (open) return Result();
        if (options.box < 1 || options.box > kBoxFiles)
            return TControlResult::Failure(
                TControlCode::Usage, "Box " + std::to_string(options.box) + " gibt es nicht (1 bis 16)");
        boxFile = ReplaceFirst(ReplaceFirst(BoxFilePattern(), "$APPDIR", options.dataDir), "$IDX",
                               TwoDigits(options.box));
        std::string filePort;
        if (std::string error = ReadBoxFile(filePort); !error.empty())
            return TControlResult::Failure(TControlCode::Unreachable, error);
        const std::string name = options.port.empty() ? filePort : options.port;
        if (name.empty())
            return TControlResult::Failure(
                TControlCode::Unreachable,
                "keine Schnittstelle: weder --port noch [COM] Port in " + FileText());
        if (std::string error = OpenPort(name); !error.empty())
            return TControlResult::Failure(TControlCode::Unreachable, error);
        std::string error;
        try {
            error = Identify();
        } catch (const SerialPortError& e) {
            error = portName + ": " + e.what();
        }
        if (!error.empty()) {
            ClosePort();
            model.clear();
            sockets = 0;
            return TControlResult::Failure(TControlCode::Unreachable, error);
        }
        open = true;
        return Result();
    }

    TControlResult NotOpen() const {
        return TControlResult::Failure(TControlCode::Unreachable, "die Box ist nicht geöffnet");
    }

    TControlResult Switch(const std::vector<int>& numbers, TSwitch what) {
        if (!open) return NotOpen();
        for (int n : numbers) {
            if (n < 1 || n > sockets)
                return TControlResult::Failure(TControlCode::Usage, "Steckdose " + std::to_string(n) +
                                                                        " gibt es nicht (1 bis " +
                                                                        std::to_string(sockets) + ")");
            if (!stored[static_cast<std::size_t>(n - 1)].hasPowerKey)
                return TControlResult::Failure(TControlCode::Unreachable,
                                               FileText() + ": Schlüssel ACPower" + TwoDigits(n) + " fehlt");
        }
        TControlResult result = Result();
        for (int n : numbers) {
            const std::string socket = "Steckdose " + std::to_string(n);
            const bool on = what == TSwitch::On    ? true
                            : what == TSwitch::Off ? false
                                                   : !stored[static_cast<std::size_t>(n - 1)].on;
            TSwitchOutcome outcome;
            try {
                outcome = SwitchCommand((on ? "atn" : "ato") + std::to_string(n));
            } catch (const SerialPortError& e) {
                result.code = TControlCode::NoAnswer;
                result.message = socket + ": " + e.what();
                return result;
            }
            if (outcome == TSwitchOutcome::NoReply || outcome == TSwitchOutcome::Refused) {
                result.code = TControlCode::NoAnswer;
                result.message = socket + (outcome == TSwitchOutcome::NoReply ? ": keine Antwort der Box"
                                                                              : ": die Box meldet ERROR");
                return result;
            }
            // A box that stays busy has taken the command: its state is
            // stored as asked, and the switch is reported as not confirmed.
            if (std::string error = Store({{n, on}}); !error.empty()) {
                result.code = TControlCode::Unreachable;
                result.message = socket + " geschaltet, aber " + error;
                return result;
            }
            result.sockets.push_back(StatusOf(n));
            if (outcome == TSwitchOutcome::StaysBusy) {
                result.code = TControlCode::NoAnswer;
                result.message = socket + ": die Box meldet nach WAIT kein PORT";
                return result;
            }
        }
        return result;
    }

    TControlResult AllOff() {
        if (!open) return NotOpen();
        // As the program's emergency off: every socket of the file is stored
        // off first, then the box is told; a file that cannot be written
        // holds nothing back.
        std::vector<std::pair<int, bool>> states;
        for (int n = 1; n <= kSocketKeys; ++n)
            if (stored[static_cast<std::size_t>(n - 1)].hasPowerKey) states.emplace_back(n, false);
        const std::string storeError = Store(states);
        TControlResult result = Result();
        try {
            Exchange("att0");
            const TSwitchOutcome outcome = SwitchCommand("atoff");
            if (outcome == TSwitchOutcome::NoReply) result.message = "Alle Steckdosen: keine Antwort der Box";
            if (outcome == TSwitchOutcome::Refused) result.message = "Alle Steckdosen: die Box meldet ERROR";
            if (outcome == TSwitchOutcome::StaysBusy)
                result.message = "Alle Steckdosen: die Box meldet nach WAIT kein PORT";
        } catch (const SerialPortError& e) {
            result.message = std::string("Alle Steckdosen: ") + e.what();
        }
        if (!result.message.empty())
            result.code = TControlCode::NoAnswer;
        else if (!storeError.empty())
            result = Result(TControlCode::Unreachable, "Alle Steckdosen ausgeschaltet, aber " + storeError);
        for (int n = 1; n <= sockets; ++n) result.sockets.push_back(StatusOf(n));
        return result;
    }

    TControlResult Status() const {
        if (!open) return NotOpen();
        TControlResult result = Result();
        for (int n = 1; n <= sockets; ++n) result.sockets.push_back(StatusOf(n));
        return result;
    }
};

TDirectBox::TDirectBox(TDirectOptions options, SerialPort* port) : impl_(std::make_unique<TImpl>()) {
    impl_->options = std::move(options);
    impl_->port = port;
    SilenceLogs(&impl_->ini);
    impl_->ini.set_IniIoCount(2);
}

TDirectBox::~TDirectBox() {
    if (impl_->open) impl_->ClosePort();
}

TControlResult TDirectBox::Open() { return impl_->Open(); }

std::vector<std::string> TDirectBox::Names() const {
    std::vector<std::string> names;
    for (int n = 1; n <= impl_->sockets; ++n)
        names.push_back(impl_->stored[static_cast<std::size_t>(n - 1)].name);
    return names;
}

TControlResult TDirectBox::Status() const { return impl_->Status(); }

TControlResult TDirectBox::Switch(const std::vector<int>& sockets, TSwitch what) {
    return impl_->Switch(sockets, what);
}

TControlResult TDirectBox::AllOff() { return impl_->AllOff(); }
