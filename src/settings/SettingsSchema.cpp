#include "settings/SettingsSchema.h"

#include <algorithm>
#include <string>

#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/muStringTools.h"

namespace {

// File-name defaults are kept in capitals, the form their resolved names
// take once the placeholders are replaced.
const std::string kLogFile = AsciiUpper("$APPDIR\\System\\Logging\\Logging.log");
const std::string kProgFile = AsciiUpper("$APPDIR\\tavrin.exe /silent");
const std::string kAcFile = AsciiUpper("$APPDIR\\System\\AC_Config\\AC_Power_$IDX.ini");
const std::string kHelpFile = AsciiUpper("$APPDIR\\System\\Hilfe\\tavrin_$LNG.chm");
const std::string kHelpIndex = AsciiUpper("$APPDIR\\System\\Hilfe\\tavrin.hlp");
const std::string kLngFile = AsciiUpper("$APPDIR\\SYSTEM\\LANGUAGE\\tavrin.$LNG.lng");

constexpr int kBoxCount = 16;
constexpr int kSocketCount = 24;

// A value of a section with its default and, when the program writes it
// back at exit, its place in the write order of its block (1, 2, ...; 0:
// never written).
struct TValueRow {
    const char* Name;
    TmValueItem Default;
    int ExitPosition = 0;
};

// A numbered run of the box section AC (stem + 01 to 24). Boolean runs
// register false.
struct TRunRow {
    const char* Stem;
    TValueType Type;
    const char* TextDefault;
    int ExitPosition;
    bool SwitchOffMark;
};

// ---- The box files (indexes AC01 to AC16) ------------------------------------

const std::vector<TValueRow>& BoxValues() {
    static const std::vector<TValueRow> rows = {
        {"AC_Controller", "None", 1},  //
        {"AC_BEEPER", true, 2},        //
        {"AC_SN", "", 3},              //
        {"AC_DELAY", false, 4},        //
        {"AC_DELAYTIME", 0, 5},        //
        {"AC_PWDACTIVE", false, 6},    //
        {"AC_PWD", "", 7},
    };
    return rows;
}

// Per socket: the name, the state, "Aktion beim Beenden" and its switch-off;
// a socket with both of the last set is switched off at the end.
const std::vector<TRunRow>& SocketRuns() {
    static const std::vector<TRunRow> rows = {
        {"AC_Name", TValueType::String, "Steckdosenname", 1, false},
        {"ACPower", TValueType::Boolean, nullptr, 2, false},
        {"AC_Down", TValueType::Boolean, nullptr, 3, true},
        {"ACWDown", TValueType::Boolean, nullptr, 4, true},
    };
    return rows;
}

const std::vector<TValueRow>& PortValues() {
    static const std::vector<TValueRow> rows = {
        {"Port", "COM1", 1},      //
        {"Baudrate", "2400", 2},  //
        {"Stopbit", "1", 3},      //
        {"Parity", "None", 4},    //
        {"Flowcontrol", "None", 5},
    };
    return rows;
}

// ---- tavrin.ini (index INI) --------------------------------------------------

// The window and start settings; written at exit position first.
const std::vector<TValueRow>& MainValues() {
    static const std::vector<TValueRow> rows = {
        {"AUTOSTART", false, 4},    //
        {"SILENT", false, 5},       //
        {"PrgHide", false, 6},      //
        {"FormPos", "TopLeft", 3},  //
        {"PositionX", 150, 1},      //
        {"PositionY", 150, 2},      //
        {"AC_Controller", ""},
    };
    return rows;
}

struct TSectionRows {
    const char* Section;
    std::vector<TValueRow> Values;
};

// The sections after TAVRIN; none is written at exit.
const std::vector<TSectionRows>& MainFileSections() {
    static const std::vector<TSectionRows> sections = {
        {"Logging",
         {{"LogFile", kLogFile},  //
          {"Logging", false},     //
          {"DeleteFile", false},  //
          {"LogArt", "LOG_STD"}}},
        {"Path", {{"ProgFile", kProgFile}}},
        {"AC_Config",
         {{"AC_File", kAcFile},  //
          {"AC_ID", 1},          //
          {"COM_Count", 1}}},
        {"HLP",
         {{"USEINDEX", false},        //
          {"HelpFile", kHelpFile},    //
          {"HelpIndex", kHelpIndex},  //
          {"LngType", "DE"}}},
        {"LNG",
         {{"USEINDEX", false},    //
          {"LngFile", kLngFile},  //
          {"LngType", "DE"}}},
    };
    return sections;
}

// ---- Registration ------------------------------------------------------------

TmValueList Items(const std::vector<TValueRow>& rows) {
    TmValueList items;
    items.reserve(2 * rows.size());
    for (const TValueRow& row : rows) {
        items.emplace_back(row.Name);
        items.push_back(row.Default);
    }
    return items;
}

void RegisterHelpTopics(TmuDataholder& holder) {
    TmValueList items;
    items.reserve(2 * kHelpTopicCount);
    for (const THelpTopic& topic : HelpTopics()) {
        items.emplace_back(topic.Name);
        items.emplace_back(static_cast<std::int32_t>(topic.Context));
    }
    holder.InitValueList("HLP", "HelpIndex", items);
}

void RegisterBox(TmuDataholder& holder, const std::string& index) {
    holder.InitValueList(index, "AC", Items(BoxValues()));
    for (const TRunRow& run : SocketRuns()) {
        if (run.Type == TValueType::String)
            holder.InitArrayValueString(index, "AC", run.Stem, 1, kSocketCount, run.TextDefault, true);
        else
            holder.InitArrayValueBoolean(index, "AC", run.Stem, 1, kSocketCount, true);
    }
    holder.InitValueList(index, "COM", Items(PortValues()));
}

void RegisterMainFile(TmuDataholder& holder) {
    holder.InitValueList(Keys::kMainIndex, "TAVRIN", Items(MainValues()));
    for (const TSectionRows& section : MainFileSections())
        holder.InitValueList(Keys::kMainIndex, section.Section, Items(section.Values));
}

void RegisterRunTimeValues(TmuDataholder& holder) {
    // Without index and section the names land in index DEFAULT, section
    // PRG, where they are addressed by the bare name.
    const std::string useIndex = holder.UseIndex;
    const std::string useSection = holder.UseSection;
    holder.clearUseIndexSection();
    holder.InitValueList("", "", {"Actuall_AcFile",   kAcFile,    //
                                  "Actuall_HelpFile", kHelpFile,  //
                                  "COM_Count",        0,          //
                                  "USB_Str1",         "",         //
                                  "USB_Str2",         "",         //
                                  "USB_Str3",         "",         //
                                  "USB_Str4",         "",         //
                                  "FormActive",       false,      //
                                  "AC_Visible",       false,      //
                                  "AC_COM_failed",    false});
    holder.UseIndex = useIndex;
    holder.UseSection = useSection;
}

// ---- The exit lists ----------------------------------------------------------

TValueType TypeOf(const TmValueItem& value) {
    switch (value.kind) {
        case TmValueItem::Kind::Boolean:
            return TValueType::Boolean;
        case TmValueItem::Kind::Integer:
            return TValueType::Integer;
        default:
            return TValueType::String;
    }
}

// The marked rows in the order of their marks.
TExitList MarkedValues(const char* section, const std::vector<TValueRow>& rows) {
    std::vector<const TValueRow*> marked;
    for (const TValueRow& row : rows)
        if (row.ExitPosition > 0) marked.push_back(&row);
    std::stable_sort(marked.begin(), marked.end(), [](const TValueRow* a, const TValueRow* b) {
        return a->ExitPosition < b->ExitPosition;
    });
    TExitList list{section, {}};
    for (const TValueRow* row : marked) list.Values.push_back({row->Name, TypeOf(row->Default)});
    return list;
}

TExitList MarkedRuns() {
    std::vector<const TRunRow*> marked;
    for (const TRunRow& run : SocketRuns())
        if (run.ExitPosition > 0) marked.push_back(&run);
    std::stable_sort(marked.begin(), marked.end(),
                     [](const TRunRow* a, const TRunRow* b) { return a->ExitPosition < b->ExitPosition; });
    TExitList list{"AC", {}};
    for (const TRunRow* run : marked) list.Values.push_back({run->Stem, run->Type, run->SwitchOffMark});
    return list;
}

}  // namespace

const std::array<THelpTopic, kHelpTopicCount>& HelpTopics() {
    static const std::array<THelpTopic, kHelpTopicCount> topics = {{
        {"hlp_allgemein", 200},
        {"hlp_willkommen", 210},
        {"hlp_programmstart", 220},
        {"hlp_kontakt", 230},
        {"hlp_ueberuns", 240},
        {"hlp_startenderinstalation", 300},
        {"hlp_zielordnerfuerdieinstallationwaehlen", 320},
        {"hlp_startmenueordnerauswaehlen", 330},
        {"hlp_installationpruefen", 340},
        {"hlp_installation", 350},
        {"hlp_fertigstellen", 360},
        {"hlp_tavrin", 400},
        {"hlp_menudatei", 500},
        {"hlp_tavrinschliessen", 510},
        {"hlp_beenden", 520},
        {"hlp_menueinstellungen", 600},
        {"hlp_einstellungen", 610},
        {"hlp_desktopposition", 620},
        {"hlp_einstellungallgemein", 700},
        {"hlp_funktionautostart", 710},
        {"hlp_funktionsilentmodus", 720},
        {"hlp_programautoschliessen", 730},
        {"hlp_einstellungschnittstelle", 800},
        {"hlp_serielleschnittstelle", 810},
        {"hlp_einstellungacmodul", 900},
        {"hlp_funktion-passwort-aktiv", 420},
        {"hlp_funktion-ac-schaltzeiten", 430},
        {"hlp_werkseinstellung", 440},
        {"hlp_com-port-logging", 480},
        {"hlp_notaus", 460},
        {"hlp_notaus-bestaetigen", 470},
        {"hlp_menusteckdosen", 1000},
        {"hlp_steckdosen", 1010},
        {"hlp_steckdoseon", 1020},
        {"hlp_steckdoseoff", 1030},
        {"hlp_steckdosenname", 1040},
        {"hlp_steckdoseeditieren", 1050},
        {"hlp_beenden-von-windows", 450},
        {"hlp_menuhilfe", 1100},
        {"hlp_hilfefenster", 1110},
        {"hlp_info", 1120},
        {"hlp_traysteckdosenpopup", 1200},
        {"hlp_traypopuptavrinoeffne", 1210},
        {"hlp_traytavrinschliessen", 1220},
        {"hlp_trayeinstellungen", 1230},
        {"hlp_trayupdate", 1240},
        {"hlp_trayinfo", 1250},
        {"hlp_traybeenden", 1260},
        {"hlp_tavrinaufusbstick", 1270},
    }};
    return topics;
}

void RegisterSettingsSchema(TmuDataholder& holder) {
    RegisterHelpTopics(holder);
    for (int box = 1; box <= kBoxCount; ++box) RegisterBox(holder, Keys::BoxIndex(box));
    RegisterMainFile(holder);
    RegisterRunTimeValues(holder);
}

const TExitList& ExitValues(TExitBlock block) {
    static const TExitList main = MarkedValues("TAVRIN", MainValues());
    static const TExitList port = MarkedValues("COM", PortValues());
    static const TExitList sockets = MarkedRuns();
    static const TExitList box = MarkedValues("AC", BoxValues());
    switch (block) {
        case TExitBlock::MainSettings:
            return main;
        case TExitBlock::BoxPort:
            return port;
        case TExitBlock::Sockets:
            return sockets;
        case TExitBlock::BoxSettings:
            break;
    }
    return box;
}
