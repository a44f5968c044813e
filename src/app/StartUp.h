#pragma once
// The bodies of the main window's start-up steps that reach the settings
// files, the window placement and the box: the INI binding of tavrin.ini and
// the box files, the resolved file names, the AT command layer, the serial
// line settings and the search for a box. TAC_Program::FormCreate calls them
// in its fixed order; each works on the window's public state.
#include <string>

class SerialPort;
class TAC_Program;
class TmVedadAzaro;
class TmuIniIO;

namespace StartUp {

// Box files the program can load: the box indexes AC01 to AC16.
constexpr int kMaxBoxFiles = 16;
// The message of a start without a box.
inline constexpr const char* kNoComPortMessage =
    "Tavrin:\r\n\r\nKeine COM Schnittstelle vorhanden, Anwendung beendet sich.";

// Two file slots; slot 1 is AppDir\tavrin.ini, its binding's logger points
// to AppDir and is switched off, and the slot is activated (a missing file
// leaves it inactive).
void BindMainIniFile(TmVedadAzaro& hub, const std::string& appDir);

// Every registered value of index INI from tavrin.ini.
void ReadMainIni(TmVedadAzaro& hub);

// FormPos becomes the placement word and runs its desktop action (if the
// window has one by that exact name); PositionX/PositionY are brought onto
// the screen, stored back and become the window's left and top.
void PlaceWindow(TAC_Program& program);

// The box file name of box number boxNo: AC_File with $APPDIR and $IDX
// replaced (upper case).
std::string ResolveBoxFile(TmVedadAzaro& hub, const std::string& appDir, int boxNo);

// "INI|PATH|ProgLogFile", "Actuall_LogFile", "Actuall_Helpfile", "COM_Count"
// (two digits) and "Actuall_AcFile" (box AC_ID) from the INI values.
void ResolveFileNames(TmVedadAzaro& hub, const std::string& appDir);

// The number of box files in "COM_Count"; 0 for a value that is no number.
int BoxFileCount(TmVedadAzaro& hub);

// The current file slot is bound to a file name in program notation (folder
// and name) and activated.
void BindSlot(TmuIniIO& ini, const std::string& fileName);

// Slot 2 is bound to box file 1, 2, ... up to the number in "COM_Count"
// (at most kMaxBoxFiles) and each is loaded into AC01, AC02, ...;
// "Actuall_AcFile" names the last one. Returns the number of files tried.
int ReadBoxFiles(TmVedadAzaro& hub, const std::string& appDir);

// The window's AT command layer, created if missing, logging like the hub,
// bound to ComPort1 and given the application.
void PrepareATCmd(TAC_Program& program);

// 57600 baud, 1 stop bit, 8 data bits, no flow control, no CTS/DSR output
// handshake.
void ConfigureSerialPort(SerialPort& port);

// The searches in their order; COMPortCount is taken after the port search.
// Returns the position of the first port whose box answered (0: none). A
// port that fails in the middle of the search is reported like any port
// error and the search counts as having found no box.
int SearchBox(TAC_Program& program);

// No box: the error message, the window hidden, "AC_COM_failed" true.
// A box: the window shown, "AC_COM_failed" false.
void ReportSearchResult(TAC_Program& program, int position);

// With a box: the auto-close deadline now + 15 minutes, Timer_Datetime and
// mCloseTimer_15min enabled.
void ArmAutoClose(TAC_Program& program);

}  // namespace StartUp
