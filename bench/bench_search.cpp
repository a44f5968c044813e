// The start-up search of the device link on the real serial path: the AT
// layer and PosixSerialPort against one simulated box on a pseudo-terminal,
// on the real clock; and the search through 128 names where none exists.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "device/ComPortMap.h"
#include "device/NeltaBox.h"
#include "device/PosixSerialPort.h"
#include "device/muATCmd.h"
#include "toolkit/Application.h"

namespace {

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A folder named by TAVRIN_COM_DIR for the lifetime of the object.
class ComFolder {
public:
    ComFolder() {
        path_ = std::filesystem::temp_directory_path() / ("tavrin-bench-com-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        ::setenv("TAVRIN_COM_DIR", path_.c_str(), 1);
    }
    ~ComFolder() {
        ::unsetenv("TAVRIN_COM_DIR");
        std::filesystem::remove_all(path_);
    }
    std::string Link(int n) const { return (path_ / ("com" + std::to_string(n))).string(); }

private:
    std::filesystem::path path_;
};

// A NELTA box behind the master side of a pseudo-terminal, served by a thread
// as nelta-sim serves it.
class PtyBox {
public:
    explicit PtyBox(const std::string& link) : link_(link) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ::grantpt(master_);
        ::unlockpt(master_);
        const std::string slave = ::ptsname(master_);
        const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
        ::close(fd);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ::symlink(slave.c_str(), link_.c_str());
        thread_ = std::thread([this] { Serve(); });
    }
    ~PtyBox() {
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::unlink(link_.c_str());
    }

private:
    void Serve() {
        TNeltaBox box;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            ::poll(&p, 1, 2);
            if (p.revents & POLLIN) {
                char buffer[256];
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n > 0) box.Receive(std::string(buffer, static_cast<std::size_t>(n)), NowMs());
            } else if (p.revents & POLLHUP) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));  // nobody holds the port
            }
            const std::int64_t now = NowMs();
            const std::string out = box.Take(box.Available(now), now);
            if (!out.empty()) [[maybe_unused]]
                auto w = ::write(master_, out.data(), out.size());
        }
    }

    std::string link_;
    int master_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The program's message loop has nothing to do here; each served message is
// still followed by its 1 ms sleep.
class IdleApplication : public Application {
public:
    void ProcessMessages() override {}
    std::string Title() const override { return "Tavrin"; }
    void SetTitle(const std::string&) override {}
};

// Start-up: SearchCOMPorts, SearchATCmdAtAutostart, SearchATCmd,
// SearchATICmd, SetNELTA with one box on COM1. Exchanges: 1 lenient "at",
// 4 + 3 strict "at", 2 "ati".
void BM_StartUpSearchOneBox(benchmark::State& state) {
    ComFolder folder;
    PtyBox box(folder.Link(1));
    IdleApplication app;
    constexpr int kExchanges = 1 + 7 + 2;
    for (auto _ : state) {
        PosixSerialPort port;
        port.SetBaudRate(TBaudRate::br57600);
        TmuATCmd at;
        at.setApplication(&app);
        at.SetATComPort(&port);
        at.SearchCOMPorts();
        at.SearchATCmdAtAutostart();
        at.SearchATCmd();
        at.SearchATICmd();
        std::string f1, f2, f3, f4;
        if (at.SetNELTA(f1, f2, f3, f4) != 1 || f3 != "BOX8") state.SkipWithError("box not found");
    }
    state.counters["exchanges"] = kExchanges;
    state.counters["floor_ms"] = kExchanges * TmuATCmd::kResponseSleepMs;
}
BENCHMARK(BM_StartUpSearchOneBox)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// SearchCOMPorts over 128 names in an empty COM folder: every open fails.
void BM_SearchCOMPortsNoneExists(benchmark::State& state) {
    ComFolder folder;
    IdleApplication app;
    for (auto _ : state) {
        PosixSerialPort port;
        TmuATCmd at;
        at.setApplication(&app);
        at.SetATComPort(&port);
        at.SearchCOMPorts();
        if (at.COMCount() != 0) state.SkipWithError("a port was found");
    }
}
BENCHMARK(BM_SearchCOMPortsNoneExists)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 128 names resolved against the machine's own serial devices (no COM
// folder): each look-up scans /dev and reads the UART types.
void BM_ResolveMachineNames(benchmark::State& state) {
    ::unsetenv("TAVRIN_COM_DIR");
    for (auto _ : state) {
        int found = 0;
        for (int n = 1; n <= TmuATCmd::kSearchPorts; ++n)
            found += !TComPortMap::DevicePath("COM" + std::to_string(n)).empty();
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ResolveMachineNames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
