#include "app/StartUp.h"

#include <QAction>
#include <QRect>
#include <QString>
#include <charconv>
#include <exception>

#include "app/Tavrin.h"
#include "device/BoxController.h"
#include "device/SerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "store/muIniIO.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

namespace StartUp {
namespace {

constexpr std::int64_t kAutoCloseMs = 15 * 60 * 1000;

std::string Replace(TmVedadAzaro& hub, const std::string& text, const std::string& placeholder,
                    const std::string& replacement) {
    std::string result;
    return hub.FileIO()->get_LocateAndReplacePlacehold(text, placeholder, result, replacement);
}

std::string TwoDigits(TmVedadAzaro& hub, int value) { return hub.DataConvert()->inttostrWithZero(value, 2); }

// The number a two-digit text such as "03" stands for; 0 for anything else.
int NumberOf(const std::string& text) {
    int value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    return (ec == std::errc() && end == last) ? value : 0;
}

// Splits a file name in program notation into its folder and its name.
void SplitFileName(const std::string& fileName, std::string& folder, std::string& name) {
    const std::size_t cut = fileName.find_last_of("\\/");
    if (cut == std::string::npos) {
        folder.clear();
        name = fileName;
        return;
    }
    folder = fileName.substr(0, cut);
    name = fileName.substr(cut + 1);
}

}  // namespace

void BindMainIniFile(TmVedadAzaro& hub, const std::string& appDir) {
    TmuIniIO* ini = hub.IniIO();
    ini->set_IniIoCount(2);
    ini->set_IniIoIndex(1);
    ini->set_path(appDir);
    ini->set_Filename("tavrin.ini");
    ini->Log()->SetCurrentDir(appDir);
    ini->Log()->SetActiveLog(false);
    ini->set_Active(true);
}

void ReadMainIni(TmVedadAzaro& hub) { hub.IniIO()->readINI_with_DataHolder(hub.Dataholder()); }

void PlaceWindow(TAC_Program& program) {
    TmVedadAzaro& hub = *program.mVedadAzaro1;
    TmuOperationSystem* os = hub.OperationSystem();
    TmuDataholder* holder = hub.Dataholder();
    holder->clearUseIndexSection();

    os->get_SysScreen();
    const std::string formPos = Keys::Get(*holder, Keys::FormPos);
    os->SetDesktopPosition(formPos);
    // The desktop action of that exact name, if the window has one.
    const QString actionName = QString::fromStdString("Action_Desktop_" + formPos);
    if (auto* action = program.findChild<QAction*>(actionName)) {
        if (action->objectName() == actionName) action->trigger();
    }

    const QRect frame = program.frameGeometry();
    const TRect placed =
        os->CheckFormPositionOfScreen(Keys::Get(*holder, Keys::PositionX),
                                      Keys::Get(*holder, Keys::PositionY), frame.width(), frame.height());
    Keys::Set(*holder, Keys::PositionX, placed.x);
    Keys::Set(*holder, Keys::PositionY, placed.y);
    program.move(placed.x, placed.y);
}

std::string ResolveBoxFile(TmVedadAzaro& hub, const std::string& appDir, int boxNo) {
    const std::string pattern = Keys::Get(*hub.Dataholder(), Keys::BoxFilePattern);
    return Replace(hub, Replace(hub, pattern, "$APPDIR", appDir), "$IDX", TwoDigits(hub, boxNo));
}

void ResolveFileNames(TmVedadAzaro& hub, const std::string& appDir) {
    TmuDataholder* holder = hub.Dataholder();
    holder->clearUseIndexSection();

    Keys::AddText(*holder, Keys::ProgLogFile,
                  Replace(hub, Keys::Get(*holder, Keys::ProgFile), "$APPDIR", appDir));
    Keys::AddText(*holder, Keys::ResolvedLogFile,
                  Replace(hub, Keys::Get(*holder, Keys::LogFile), "$APPDIR", appDir));

    // $APPDIR once more after $LNG: the language may bring the placeholder in.
    std::string help = Replace(hub, Keys::Get(*holder, Keys::HelpFile), "$APPDIR", appDir);
    help = Replace(hub, help, "$LNG", Keys::Get(*holder, Keys::HelpLanguage));
    help = Replace(hub, help, "$APPDIR", appDir);
    Keys::AddText(*holder, Keys::ResolvedHelpFile, help);

    Keys::AddText(*holder, Keys::BoxFileCount, TwoDigits(hub, Keys::Get(*holder, Keys::BoxFileCountSetting)));
    Keys::AddText(*holder, Keys::ResolvedBoxFile,
                  ResolveBoxFile(hub, appDir, Keys::Get(*holder, Keys::BoxFileId)));
}

int BoxFileCount(TmVedadAzaro& hub) {
    TmuDataholder* holder = hub.Dataholder();
    holder->clearUseIndexSection();
    return NumberOf(Keys::Text(*holder, Keys::BoxFileCount));
}

void BindSlot(TmuIniIO& ini, const std::string& fileName) {
    std::string folder;
    std::string name;
    SplitFileName(fileName, folder, name);
    ini.set_path(folder);
    ini.set_Filename(name);
    ini.set_Active(true);
}

int ReadBoxFiles(TmVedadAzaro& hub, const std::string& appDir) {
    TmuDataholder* holder = hub.Dataholder();
    TmuIniIO* ini = hub.IniIO();
    holder->clearUseIndexSection();
    ini->set_IniIoIndex(2);

    int count = BoxFileCount(hub);
    if (count > kMaxBoxFiles) {
        // Only AC01 to AC16 exist; a larger count would only repeat empty
        // loads (and a damaged file could make the start run for hours).
        hub.Log()->addErr("COM_Count " + std::to_string(count) + " zu groß, es werden " +
                          std::to_string(kMaxBoxFiles) + " AC-Dateien gelesen");
        count = kMaxBoxFiles;
    }
    for (int i = 1; i <= count; ++i) {
        const std::string fileName = ResolveBoxFile(hub, appDir, i);
        Keys::AddText(*holder, Keys::ResolvedBoxFile, fileName);
        BindSlot(*ini, fileName);
        ini->readFile_with_DataHolder("AC" + TwoDigits(hub, i), "", holder);
    }
    return count < 0 ? 0 : count;
}

void PrepareATCmd(TAC_Program& program) {
    if (!program.muATCmd1) {
        program.muATCmd1 = new TmuATCmd(&program);
        program.muATCmd1->SetName("muATCmd1");
    }
    TmuATCmd* at = program.muATCmd1;
    TmuCompoLogging* hubLog = program.mVedadAzaro1->Log();
    TmuCompoLogging* log = at->Log();
    if (program.ProgramLogging) {
        log->SetCurrentDir(program.ProgramLogging->CurrentDir());
        log->SetSystemPath(program.ProgramLogging->SystemPath());
    }
    log->SetCompoID(hubLog->CompoID());
    log->SetDelete(hubLog->Delete());
    log->SetActiveLog(hubLog->ActiveLog());
    at->SetATComPort(program.ComPort1);
    // Its waits serve the messages through the box queue, which tells the
    // handlers that run there apart; the end of the program cuts them short.
    TBoxController& box = program.Box();
    at->setApplication(&box.Queue().Pump());
    at->SetCancel([&box] { return box.AtCancelled(); });
}

void ConfigureSerialPort(SerialPort& port) { SetBoxLineSettings(port); }

int SearchBox(TAC_Program& program) {
    TmuATCmd* at = program.muATCmd1;
    if (!at) return 0;
    try {
        at->SearchCOMPorts();
        program.COMPortCount = at->COMCount();
        at->SearchATCmdAtAutostart();
        at->SearchATCmd();
        at->SearchATICmd();
        std::string f1, f2, f3, f4;
        return at->SetNELTA(f1, f2, f3, f4);
    } catch (const std::exception& e) {
        // A port that breaks during the search (a box unplugged while it was
        // asked): the error is shown as any port error is, and the start goes
        // on as one without a box.
        at->Log()->addErr(std::string("Fehler bei der Suche nach der Box: ") + e.what());
        // Without a caption the message box shows the program's title. A
        // program that is ending asks nobody.
        if (!program.Box().Ending()) GetPlatform().MessageBox(e.what(), "", MsgButtons::Ok, MsgIcon::Error);
        return 0;
    }
}

void ReportSearchResult(TAC_Program& program, int position) {
    TmuDataholder* holder = program.mVedadAzaro1->Dataholder();
    if (position == 0) {
        // The end of the session during the search: no question that would
        // hold the end up, the settings are saved at once.
        if (!program.Box().Ending())
            GetPlatform().MessageBox(kNoComPortMessage, "", MsgButtons::Ok, MsgIcon::Error);
        program.setVisible(false);
        holder->clearUseIndexSection();
        Keys::Set(*holder, Keys::ComFailed, true);
    } else {
        program.setVisible(true);
        holder->clearUseIndexSection();
        Keys::Set(*holder, Keys::ComFailed, false);
    }
}

void ArmAutoClose(TAC_Program& program) {
    program.AutoCloseDeadline = GetPlatform().NowMs() + kAutoCloseMs;
    if (Timer* tick = program.Timer_Datetime()) tick->SetEnabled(true);
    if (program.mCloseTimer_15min) program.mCloseTimer_15min->SetEnabled(true);
}

}  // namespace StartUp
