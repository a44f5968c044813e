#include "app/Shutdown.h"

#include <algorithm>
#include <exception>

#include "app/StartUp.h"
#include "device/BoxController.h"
#include "device/SerialPort.h"
#include "hub/mVedadAzaro.h"
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
    TContext(TmuDataholder& holder, const char* index, const char* section) : holder_(holder) {
        holder_.UseIndex = index;
        holder_.UseSection = section;
    }
    ~TContext() { holder_.clearUseIndexSection(); }
    TContext(const TContext&) = delete;
    TContext& operator=(const TContext&) = delete;

private:
    TmuDataholder& holder_;
};

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
    TContext context(holder, "INI", "TAVRIN");
    ini.WriteInteger("TAVRIN", "PositionX", holder.getValueInteger("INI|TAVRIN|PositionX"));
    ini.WriteInteger("TAVRIN", "PositionY", holder.getValueInteger("INI|TAVRIN|PositionY"));
    ini.WriteString("TAVRIN", "FormPos", holder.getValueString("INI|TAVRIN|FormPos"));
    ini.WriteOnOFF("TAVRIN", "AUTOSTART", holder.getValueBoolean("INI|TAVRIN|AUTOSTART"));
    ini.WriteOnOFF("TAVRIN", "SILENT", holder.getValueBoolean("INI|TAVRIN|SILENT"));
    ini.WriteOnOFF("TAVRIN", "PrgHide", holder.getValueBoolean("INI|TAVRIN|PrgHide"));
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
    TContext context(holder, "AC01", "COM");
    for (const char* key : {"Port", "Baudrate", "Stopbit", "Parity", "Flowcontrol"})
        ini.WriteString("COM", key, holder.getValueString(std::string("AC01|COM|") + key));
}

void TShutdown::SaveSockets() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.SaveSockets");
    TmuIniIO& ini = *parts_.hub.IniIO();
    TmuDataholder& holder = *parts_.hub.Dataholder();
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
            TContext context(holder, "AC01", "AC");
            const std::string path = "AC01|AC|";
            ini.WriteString("AC", "AC_Name" + NN, holder.getValueString(path + "AC_Name" + NN));
            ini.WriteOnOFF("AC", "ACPower" + NN, holder.getValueBoolean(path + "ACPower" + NN));
            const bool down = holder.getValueBoolean(path + "AC_Down" + NN);
            const bool wdown = holder.getValueBoolean(path + "ACWDown" + NN);
            ini.WriteOnOFF("AC", "AC_Down" + NN, down);
            ini.WriteOnOFF("AC", "ACWDown" + NN, wdown);
            switchOff = down && wdown;
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
    TContext context(holder, "AC01", "AC");
    ini.WriteString("AC", "AC_Controller", holder.getValueString("AC01|AC|AC_Controller"));
    ini.WriteOnOFF("AC", "AC_BEEPER", holder.getValueBoolean("AC01|AC|AC_BEEPER"));
    ini.WriteString("AC", "AC_SN", holder.getValueString("AC01|AC|AC_SN"));
    ini.WriteOnOFF("AC", "AC_DELAY", holder.getValueBoolean("AC01|AC|AC_DELAY"));
    ini.WriteInteger("AC", "AC_DELAYTIME", holder.getValueInteger("AC01|AC|AC_DELAYTIME"));
    ini.WriteOnOFF("AC", "AC_PWDACTIVE", holder.getValueBoolean("AC01|AC|AC_PWDACTIVE"));
    ini.WriteString("AC", "AC_PWD", holder.getValueString("AC01|AC|AC_PWD"));
}

void TShutdown::WriteBoxFile() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.WriteBoxFile");
    parts_.hub.Dataholder()->clearUseIndexSection();
    SelectBoxFile();
    parts_.hub.IniIO()->set_Active(false);
}
