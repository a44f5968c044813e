#include "app/Shutdown.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/StartUp.h"
#include "device/BoxController.h"
#include "device/SerialPort.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsSchema.h"
#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "store/muIniIO.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"

namespace {

using Kind = TmTraceScope::Kind;

constexpr int kMainSlot = 1;
constexpr int kBoxSlot = 2;
constexpr int kMaxSockets = 24;

// Sets the data holder's default context for one block of writes and
// empties it on every way out. The values themselves are read by their full
// paths: a handler that runs while the box is switched off (the waits serve
// the message queue) may change the context in between.
class TContext {
public:
    TContext(TmuDataholder& holder, const std::string& index, const std::string& section) : holder_(holder) {
        holder_.UseIndex = index;
        holder_.UseSection = section;
    }
    ~TContext() { holder_.clearUseIndexSection(); }
    TContext(const TContext&) = delete;
    TContext& operator=(const TContext&) = delete;

private:
    TmuDataholder& holder_;
};

// Writes one value of the data holder to the bound file with the writer of
// its type; the value is read first.
void WriteValue(TmuIniIO& ini, TmuDataholder& holder, const std::string& section, const std::string& key,
                TValueType type, const std::string& path) {
    switch (type) {
        case TValueType::Integer:
            ini.WriteInteger(section, key, holder.getValueInteger(path));
            break;
        case TValueType::String:
            ini.WriteString(section, key, holder.getValueString(path));
            break;
        case TValueType::Boolean:
            ini.WriteOnOFF(section, key, holder.getValueBoolean(path));
            break;
    }
}

// Writes the values of an exit list of one index, in its order.
void WriteList(TmuIniIO& ini, TmuDataholder& holder, const std::string& index, const TExitList& list) {
    for (const TExitValue& value : list.Values)
        WriteValue(ini, holder, list.Section, value.Name, value.Type,
                   Keys::Path(index, list.Section, value.Name));
}

// The box written at exit: box 01, from box file 01.
const std::string kSavedBox = Keys::kBoxContext.index;

}  // namespace

TShutdown::TShutdown(TParts parts, TState state) : parts_(parts), state_(std::move(state)) {}

TmuLogging* TShutdown::Log() const { return state_.programLogging ? state_.programLogging() : nullptr; }

void TShutdown::SaveAll() {
    SaveMainSettings();
    SavePortSettings();
    SaveSockets();
    ClosePort();
    SaveBoxSettings();
    WriteBoxFile();
}

void TShutdown::SaveMainSettings() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.SaveMainSettings");
    TmuIniIO& ini = *parts_.hub.IniIO();
    TmuDataholder& holder = *parts_.hub.Dataholder();
    ini.set_IniIoIndex(kMainSlot);
    const TExitList& list = ExitValues(TExitBlock::MainSettings);
    TContext context(holder, Keys::kMainIndex, list.Section);
    WriteList(ini, holder, Keys::kMainIndex, list);
}

void TShutdown::SelectBoxFile() {
    TmuIniIO& ini = *parts_.hub.IniIO();
    ini.set_IniIoIndex(kBoxSlot);
    if (boxFileSelected_) return;
    boxFileSelected_ = true;

    // The start binds slot 2 to each box file in turn, so after more than
    // one it holds the last; index AC01 was read from box file 01.
    if (StartUp::BoxFileCount(parts_.hub) <= 1) return;
    const std::string first = StartUp::ResolveBoxFile(parts_.hub, state_.AppDir, 1);
    if (ini.get_FullFilename() == first && ini.get_Active()) return;
    if (TmuLogging* log = Log()) log->addMsg("AC01 wird in die AC-Datei 01 geschrieben: " + first);
    StartUp::BindSlot(ini, first);
}

void TShutdown::SavePortSettings() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.SavePortSettings");
    TmuIniIO& ini = *parts_.hub.IniIO();
    TmuDataholder& holder = *parts_.hub.Dataholder();
    SelectBoxFile();
    const TExitList& list = ExitValues(TExitBlock::BoxPort);
    TContext context(holder, kSavedBox, list.Section);
    WriteList(ini, holder, kSavedBox, list);
}

void TShutdown::SaveSockets() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.SaveSockets");
    TmuIniIO& ini = *parts_.hub.IniIO();
    TmuDataholder& holder = *parts_.hub.Dataholder();
    const TExitList& list = ExitValues(TExitBlock::Sockets);
    const int count = std::min(state_.ACDosenCount, kMaxSockets);
    if (TmuLogging* log = Log()) log->addVarInteger("i_iACDosenCount", count);

    // Nothing queued before the end reaches the box after it.
    parts_.box.RequestEnd();

    for (int n = 1; n <= count; ++n) {
        const std::string NN = parts_.hub.DataConvert()->inttostrWithZero(n, 2);
        bool switchOff = false;
        {
            // The slot again for every socket: the waits of a switch-off
            // serve the message queue, and a handler may select another.
            SelectBoxFile();
            TContext context(holder, kSavedBox, list.Section);
            // The switch-off marks are read together and written after.
            std::vector<std::pair<std::string, bool>> marks;
            for (const TExitValue& value : list.Values) {
                const std::string key = value.Name + NN;
                const std::string path = Keys::Path(kSavedBox, list.Section, key);
                if (value.SwitchOffMark)
                    marks.emplace_back(key, holder.getValueBoolean(path));
                else
                    WriteValue(ini, holder, list.Section, key, value.Type, path);
            }
            switchOff = !marks.empty();
            for (const auto& [key, set] : marks) {
                ini.WriteOnOFF(list.Section, key, set);
                switchOff = switchOff && set;
            }
        }
        if (switchOff) SwitchOff(n);
    }
}

void TShutdown::SwitchOff(int n) {
    TmuLogging* log = Log();
    if (!parts_.box.PortOpen()) {
        if (log)
            log->addWrn("Steckdose " + std::to_string(n) + " nicht ausgeschaltet: Schnittstelle geschlossen");
        return;
    }
    try {
        parts_.box.SwitchOffAtEnd(n);
    } catch (const std::exception& e) {
        // The box is gone (unplugged, port broken): the settings are saved
        // all the same.
        ++portErrors_;
        if (log) log->addErr("Fehler beim Ausschalten der Steckdose " + std::to_string(n) + ": " + e.what());
    }
}

void TShutdown::ClosePort() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.ClosePort");
    SerialPort* port = parts_.box.Port();
    if (port == nullptr) return;
    try {
        if (port->Connected()) port->SetConnected(false);
    } catch (const std::exception& e) {
        if (TmuLogging* log = Log())
            log->addErr(std::string("Fehler beim Schließen der Schnittstelle: ") + e.what());
    }
}

void TShutdown::SaveBoxSettings() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.SaveBoxSettings");
    TmuIniIO& ini = *parts_.hub.IniIO();
    TmuDataholder& holder = *parts_.hub.Dataholder();
    SelectBoxFile();
    const TExitList& list = ExitValues(TExitBlock::BoxSettings);
    TContext context(holder, kSavedBox, list.Section);
    WriteList(ini, holder, kSavedBox, list);
}

void TShutdown::WriteBoxFile() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.WriteBoxFile");
    parts_.hub.Dataholder()->clearUseIndexSection();
    SelectBoxFile();
    parts_.hub.IniIO()->set_Active(false);
}
