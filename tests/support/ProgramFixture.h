#pragma once
// A whole program started in a folder of its own against a simulated box:
// the real windows on Qt's offscreen platform, the virtual clock of
// FakePlatform (a 100 ms wait of the box exchange costs nothing), the
// in-process SimulatedSerialPort as ComPort1 with NELTA boxes on chosen COM
// numbers. The folder is the program's working directory (AppDir).
//
//     TProgramFixture f;
//     f.WriteFile("tavrin.ini", "[TAVRIN]\nFormPos=Middle\n");
//     f.AddBox(3, "USB-NELTA8");
//     TAC_Program& p = f.Start();      // the six windows, FormCreate ran
//     f.Run(200);                      // the deferred box initialisation
//     ... f.Box(3)->Commands() ...
//     f.Stop();                        // FormDestroy: the files are written
//
// Every fixture is independent; only one may be started at a time (the
// program's windows are process-wide globals).
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>

#include "device/SimulatedSerialPort.h"
#include "support/FakePlatform.h"

class TAC_AboutBox;
class TAC_COM;
class TAC_Edit;
class TAC_Einstellung;
class TAC_Program;
class TAC_Silent;
class TmuDataholder;

class TProgramFixture {
public:
    TProgramFixture();
    // Ends a program that is still running (FormDestroy runs).
    ~TProgramFixture();

    TProgramFixture(const TProgramFixture&) = delete;
    TProgramFixture& operator=(const TProgramFixture&) = delete;

    // ---- The folder -----------------------------------------------------------
    // Real path of the working folder.
    std::string Folder() const;
    // Writes a file below the folder ("System/AC_Config/AC_Power_01.ini"),
    // making its folders. The text is written as it is (no line-end change).
    void WriteFile(const std::string& relativePath, const std::string& text);
    // The box file of box n as the default pattern names it
    // ("System/AC_Config/AC_Power_0n.ini").
    void WriteBoxFile(int boxNo, const std::string& text);
    static std::string BoxFilePath(int boxNo);
    // Makes a folder below the folder (e.g. "System/Logging" for the trace).
    void MakeFolder(const std::string& relativePath);
    // Content of a file below the folder; empty when it is missing.
    std::string ReadFile(const std::string& relativePath) const;
    bool FileExists(const std::string& relativePath) const;

    // ---- The machine ----------------------------------------------------------
    // A box of the model on COMn ("USB-NELTA4" ... "USB-NELTA24").
    TNeltaBox& AddBox(int comNo, const std::string& model);
    TNeltaBox& AddBox(int comNo, TNeltaBoxConfig config = {});
    // A port that opens but where nobody answers.
    void AddPort(int comNo);
    TNeltaBox* Box(int comNo);
    SimulatedSerialPort& Port() { return port_; }

    // ---- The program ----------------------------------------------------------
    // Creates the main window (FormCreate runs) and, with allWindows, the five
    // other windows in the order of the program entry.
    TAC_Program& Start(bool allWindows = true);
    // Start puts the shipped help file into System/Hilfe first (as an
    // installation does) unless this is cleared or the file is there.
    bool installHelp = true;
    // Destroys the windows, the last created first; the main window's
    // destruction runs FormDestroy.
    void Stop();
    bool Running() const { return program_ != nullptr; }
    TAC_Program& Program();
    TmuDataholder& Holder();

    // Lets ms of virtual time pass (timers fire in order) and serves Qt's
    // pending events before and after.
    void Run(std::int64_t ms);
    static void ProcessEvents();

    FakePlatform platform;
    FakeApplication application;

private:
    QTemporaryDir dir_;
    SimulatedSerialPort port_;
    TAC_Program* program_ = nullptr;
    TAC_Einstellung* einstellung_ = nullptr;
    TAC_Edit* edit_ = nullptr;
    TAC_AboutBox* about_ = nullptr;
    TAC_COM* com_ = nullptr;
    TAC_Silent* silent_ = nullptr;
};
