#include "support/ProgramFixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Tavrin.h"
#include "device/BoxController.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "ui/AC_Prg_COM.h"
#include "ui/AC_Prg_Edit.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/AC_Prg_Info.h"
#include "ui/AC_Prg_Silent.h"

namespace fs = std::filesystem;

namespace {

void EnsureQApplication() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tavrin-program-tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
}

}  // namespace

TProgramFixture::TProgramFixture() {
    EnsureQApplication();
    platform.currentDir = Folder();
}

TProgramFixture::~TProgramFixture() { Stop(); }

std::string TProgramFixture::Folder() const { return dir_.path().toStdString(); }

void TProgramFixture::WriteFile(const std::string& relativePath, const std::string& text) {
    const fs::path path = fs::path(Folder()) / relativePath;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string TProgramFixture::BoxFilePath(int boxNo) {
    char name[32];
    std::snprintf(name, sizeof name, "AC_Power_%02d.ini", boxNo);
    return std::string("System/AC_Config/") + name;
}

void TProgramFixture::WriteBoxFile(int boxNo, const std::string& text) {
    WriteFile(BoxFilePath(boxNo), text);
}

void TProgramFixture::MakeFolder(const std::string& relativePath) {
    fs::create_directories(fs::path(Folder()) / relativePath);
}

std::string TProgramFixture::ReadFile(const std::string& relativePath) const {
    std::ifstream in(fs::path(Folder()) / relativePath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TProgramFixture::FileExists(const std::string& relativePath) const {
    std::error_code ec;
    return fs::is_regular_file(fs::path(Folder()) / relativePath, ec);
}

TNeltaBox& TProgramFixture::AddBox(int comNo, const std::string& model) {
    TNeltaBoxConfig config;
    config.model = model;
    return port_.AddBox(comNo, config);
}

TNeltaBox& TProgramFixture::AddBox(int comNo, TNeltaBoxConfig config) {
    return port_.AddBox(comNo, std::move(config));
}

void TProgramFixture::AddPort(int comNo) { port_.AddPort(comNo); }

TNeltaBox* TProgramFixture::Box(int comNo) { return port_.Box(comNo); }

TAC_Program& TProgramFixture::Start(bool allWindows) {
    Stop();
    platform.currentDir = Folder();
    if (installHelp && !FileExists("System/Hilfe/tavrin_DE.chm")) {
        fs::create_directories(fs::path(Folder()) / "System/Hilfe");
        std::error_code ec;
        fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "resources/help/tavrin_DE.chm",
                      fs::path(Folder()) / "System/Hilfe/tavrin_DE.chm", ec);
    }
    program_ = new TAC_Program(&application, &port_);
    if (allWindows) {
        einstellung_ = new TAC_Einstellung(program_->Links());
        edit_ = new TAC_Edit();
        about_ = new TAC_AboutBox(program_->Links());
        com_ = new TAC_COM(program_->mVedadAzaro1);
        silent_ = new TAC_Silent(program_->SilentStartHost());
    }
    ProcessEvents();
    return *program_;
}

void TProgramFixture::Stop() {
    delete silent_;
    silent_ = nullptr;
    delete com_;
    com_ = nullptr;
    delete about_;
    about_ = nullptr;
    delete edit_;
    edit_ = nullptr;
    delete einstellung_;
    einstellung_ = nullptr;
    delete program_;
    program_ = nullptr;
}

TAC_Program& TProgramFixture::Program() { return *program_; }

TmuDataholder& TProgramFixture::Holder() { return *program_->mVedadAzaro1->Dataholder(); }

void TProgramFixture::Run(std::int64_t ms) {
    ProcessEvents();
    platform.Advance(ms);
    ProcessEvents();
}

void TProgramFixture::ProcessEvents() { QCoreApplication::processEvents(); }
