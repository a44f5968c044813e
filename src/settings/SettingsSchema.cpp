#include "settings/SettingsSchema.h"

#include <string>

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
    holder.InitValueList(index, "AC",
                         {"AC_Controller", "None",  //
                          "AC_BEEPER", true,        //
                          "AC_SN", "",              //
                          "AC_DELAY", false,        //
                          "AC_DELAYTIME", 0,        //
                          "AC_PWDACTIVE", false,    //
                          "AC_PWD", ""});
    holder.InitArrayValueString(index, "AC", "AC_Name", 1, kSocketCount, "Steckdosenname", true);
    holder.InitArrayValueBoolean(index, "AC", "ACPower", 1, kSocketCount, true);
    holder.InitArrayValueBoolean(index, "AC", "AC_Down", 1, kSocketCount, true);
    holder.InitArrayValueBoolean(index, "AC", "ACWDown", 1, kSocketCount, true);
    holder.InitValueList(index, "COM",
                         {"Port", "COM1",      //
                          "Baudrate", "2400",  //
                          "Stopbit", "1",      //
                          "Parity", "None",    //
                          "Flowcontrol", "None"});
}

void RegisterMainFile(TmuDataholder& holder) {
    holder.InitValueList("INI", "TAVRIN",
                         {"AUTOSTART", false,    //
                          "SILENT", false,       //
                          "PrgHide", false,      //
                          "FormPos", "TopLeft",  //
                          "PositionX", 150,      //
                          "PositionY", 150,      //
                          "AC_Controller", ""});
    holder.InitValueList("INI", "Logging",
                         {"LogFile", kLogFile,  //
                          "Logging", false,     //
                          "DeleteFile", false,  //
                          "LogArt", "LOG_STD"});
    holder.InitValueList("INI", "Path", {"ProgFile", kProgFile});
    holder.InitValueList("INI", "AC_Config",
                         {"AC_File", kAcFile,  //
                          "AC_ID", 1,          //
                          "COM_Count", 1});
    holder.InitValueList("INI", "HLP",
                         {"USEINDEX", false,        //
                          "HelpFile", kHelpFile,    //
                          "HelpIndex", kHelpIndex,  //
                          "LngType", "DE"});
    holder.InitValueList("INI", "LNG",
                         {"USEINDEX", false,    //
                          "LngFile", kLngFile,  //
                          "LngType", "DE"});
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

std::string BoxIndex(int number) {
    return std::string("AC") + (number < 10 ? "0" : "") + std::to_string(number);
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
    for (int box = 1; box <= kBoxCount; ++box) RegisterBox(holder, BoxIndex(box));
    RegisterMainFile(holder);
    RegisterRunTimeValues(holder);
}
