// Settings store: registering the schema, loading tavrin.ini and a box file,
// and reading a value by short path the way the socket actions do.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "store/muIniIO.h"

namespace fs = std::filesystem;

namespace {

// A working directory with a complete tavrin.ini and box file 01, written
// on Windows (Windows-1252, CR LF). The loggers find no log folder there, so
// they write nothing, as in a default installation.
class Files {
public:
    Files() {
        dir_ = fs::temp_directory_path() / ("tavrin_bench_store_" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "System" / "AC_Config");
        fs::current_path(dir_);
        Write(
            dir_ / "tavrin.ini",
            "; Tavrin\n[TAVRIN]\nAUTOSTART=OFF\nSILENT=OFF\nPrgHide=OFF\nFormPos=TopLeft\nPositionX=150\n"
            "PositionY=150\nAC_Controller=\n\n[Logging]\nLogFile=$APPDIR\\System\\Logging\\Logging.log\n"
            "Logging=OFF\nDeleteFile=OFF\nLogArt=LOG_STD\n\n[Path]\nProgFile=$APPDIR\\tavrin.exe /silent\n\n"
            "[AC_Config]\nAC_File=$APPDIR\\System\\AC_Config\\AC_Power_$IDX.ini\nAC_ID=1\nCOM_Count=1\n\n"
            "[HLP]\nUSEINDEX=OFF\nHelpFile=$APPDIR\\System\\Hilfe\\tavrin_$LNG.chm\n"
            "HelpIndex=$APPDIR\\System\\Hilfe\\tavrin.hlp\nLngType=DE\n\n[LNG]\nUSEINDEX=OFF\n"
            "LngFile=$APPDIR\\SYSTEM\\LANGUAGE\\tavrin.$LNG.lng\nLngType=DE\n");
        std::string box =
            "[AC]\nAC_Controller=USB-NELTA-BOX8-ACM8\nAC_BEEPER=ON\nAC_SN=4711\nAC_DELAY=OFF\n"
            "AC_DELAYTIME=0\nAC_PWDACTIVE=OFF\nAC_PWD=\n";
        char line[64];
        for (const char* run : {"AC_Name", "ACPower", "AC_Down", "ACWDown"}) {
            for (int n = 1; n <= 24; ++n) {
                const bool name = std::string(run) == "AC_Name";
                std::snprintf(line, sizeof line, "%s%02d=%s\n", run, n,
                              name ? "K\xFC"
                                     "chenger\xE4t"
                                   : (n % 3 == 0 ? "ON" : "OFF"));
                box += line;
            }
        }
        box += "\n[COM]\nPort=COM3\nBaudrate=57600\nStopbit=1\nParity=None\nFlowcontrol=None\n";
        Write(dir_ / "System" / "AC_Config" / "AC_Power_01.ini", box);
    }
    ~Files() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(dir_, ec);
    }
    std::string Dir() const { return dir_.string(); }

private:
    static void Write(const fs::path& p, std::string text) {
        std::string crlf;
        for (char c : text) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        std::ofstream(p, std::ios::binary) << crlf;
    }
    fs::path dir_;
};

Files& TheFiles() {
    static Files files;
    return files;
}

void LoadBothFiles(TmuIniIO& io, TmuDataholder& holder) {
    io.set_IniIoCount(2);
    io.set_IniIoIndex(1);
    io.set_path(TheFiles().Dir());
    io.set_Filename("tavrin.ini");
    io.set_Active(true);
    io.readINI_with_DataHolder(&holder);
    io.set_IniIoIndex(2);
    io.set_path(TheFiles().Dir() + "\\SYSTEM\\AC_CONFIG");
    io.set_Filename("AC_POWER_01.INI");
    io.set_Active(true);
    io.readFile_with_DataHolder("AC01", "", &holder);
}

void BM_RegisterSchema(benchmark::State& state) {
    TheFiles();
    for (auto _ : state) {
        TmuDataholder holder;
        RegisterSettingsSchema(holder);
        benchmark::DoNotOptimize(holder.Indexes().size());
    }
}
BENCHMARK(BM_RegisterSchema)->Unit(benchmark::kMillisecond);

void BM_LoadBothFiles(benchmark::State& state) {
    TheFiles();
    TmuDataholder holder;
    RegisterSettingsSchema(holder);
    TmuIniIO io;
    for (auto _ : state) LoadBothFiles(io, holder);
    if (!holder.getValueBoolean("AC01|AC|ACPower03")) state.SkipWithError("box file not loaded");
}
BENCHMARK(BM_LoadBothFiles)->Unit(benchmark::kMillisecond);

// The start-up's part: a fresh holder and binding, the schema, both files.
void BM_RegisterSchemaAndLoadBothFiles(benchmark::State& state) {
    TheFiles();
    for (auto _ : state) {
        TmuDataholder holder;
        RegisterSettingsSchema(holder);
        TmuIniIO io;
        LoadBothFiles(io, holder);
        benchmark::DoNotOptimize(holder.getValueInteger("INI|TAVRIN|PositionX"));
    }
}
BENCHMARK(BM_RegisterSchemaAndLoadBothFiles)->Unit(benchmark::kMillisecond);

// 10,000 reads of socket states by bare name, UseIndex "AC01", UseSection "AC".
void BM_GetValueBoolean10000ShortPath(benchmark::State& state) {
    TheFiles();
    TmuDataholder holder;
    RegisterSettingsSchema(holder);
    std::string names[24];
    for (int n = 1; n <= 24; ++n) names[n - 1] = (n < 10 ? "ACPower0" : "ACPower") + std::to_string(n);
    holder.UseIndex = "AC01";
    holder.UseSection = "AC";
    for (auto _ : state) {
        int on = 0;
        for (int i = 0; i < 10000; ++i) on += holder.getValueBoolean(names[i % 24]) ? 1 : 0;
        benchmark::DoNotOptimize(on);
    }
    holder.clearUseIndexSection();
}
BENCHMARK(BM_GetValueBoolean10000ShortPath)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
