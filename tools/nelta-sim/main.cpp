// nelta-sim: a NELTA power-socket box on a pseudo-terminal.
//
// Opens a pseudo-terminal pair, links the slave side as <dir>/com<n> (the
// place where Tavrin looks for COMn when TAVRIN_COM_DIR=<dir>), and answers
// the box's command set with the same logic as the in-process simulated port
// (device/NeltaBox). Every command received is written with a time stamp to
// the log file. SIGTERM, SIGINT and SIGHUP end it cleanly (link removed).
// See README.md beside this file.
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "device/NeltaBox.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string TimeStamp(std::int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char full[80];
    std::snprintf(full, sizeof full, "%s.%03d", text, static_cast<int>(ms % 1000));
    return full;
}

std::string Printable(const std::string& command) {
    if (command.empty()) return "<CR>";
    std::string text;
    for (unsigned char c : command) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

void Usage(std::ostream& out) {
    out << "usage: nelta-sim [options]\n"
           "A NELTA power-socket box on a pseudo-terminal, linked as DIR/com<N> (COM<N> of\n"
           "Tavrin with TAVRIN_COM_DIR=DIR). SIGTERM, SIGINT or SIGHUP end it.\n"
           "  --dir DIR          folder for the link com<N> (default: $TAVRIN_COM_DIR, else .)\n"
           "  --com N            port number N of the link com<N> (default 1)\n"
           "  --model M          USB-NELTA4|8|12|16|20|24 (default USB-NELTA8)\n"
           "  --serial S         serial number answered to atsn (default NELTA-000123)\n"
           "  --firmware F       firmware text in ati and atv (default V1.4)\n"
           "  --ident TEXT       answer ati with TEXT instead of the model's identification\n"
           "  --busy N           answers holding WAIT after a switching command (default 2; 0: none)\n"
           "  --reply-delay MS   time from a command to its reply (default 20)\n"
           "  --fault F          none|late|silent|garbage|error|wait|vanish (default none)\n"
           "  --fault-after N    commands answered normally before the fault starts (default 0)\n"
           "  --late-ms MS       delay of a late reply (default 1500)\n"
           "  --log FILE         command log, one time-stamped line per command (appended)\n"
           "  --help             this text\n"
           "Exit status: 0 at its end or when the box vanished; 1 when the terminal, the\n"
           "link or the log cannot be made; 2 for an invalid option.\n";
}

bool ParseInt(const char* text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 1'000'000) return false;
    value = static_cast<int>(v);
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 200) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    TNeltaBoxConfig config;
    std::string dir;
    if (const char* env = std::getenv("TAVRIN_COM_DIR")) dir = env;
    if (dir.empty()) dir = ".";
    int com = 1;
    std::string logPath;

    enum {
        kDir = 1,
        kCom,
        kModel,
        kSerial,
        kFirmware,
        kIdent,
        kBusy,
        kReplyDelay,
        kFault,
        kFaultAfter,
        kLateMs,
        kLog,
        kHelp
    };
    static const option kOptions[] = {
        {"dir", required_argument, nullptr, kDir},
        {"com", required_argument, nullptr, kCom},
        {"model", required_argument, nullptr, kModel},
        {"serial", required_argument, nullptr, kSerial},
        {"firmware", required_argument, nullptr, kFirmware},
        {"ident", required_argument, nullptr, kIdent},
        {"busy", required_argument, nullptr, kBusy},
        {"reply-delay", required_argument, nullptr, kReplyDelay},
        {"fault", required_argument, nullptr, kFault},
        {"fault-after", required_argument, nullptr, kFaultAfter},
        {"late-ms", required_argument, nullptr, kLateMs},
        {"log", required_argument, nullptr, kLog},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    for (int opt; (opt = getopt_long(argc, argv, "", kOptions, nullptr)) != -1;) {
        bool ok = true;
        switch (opt) {
            case kDir:
                dir = optarg;
                break;
            case kCom:
                ok = ParseInt(optarg, com) && com >= 1;
                break;
            case kModel:
                config.model = optarg;
                break;
            case kSerial:
                config.serial = optarg;
                break;
            case kFirmware:
                config.firmware = optarg;
                break;
            case kIdent:
                config.ident = optarg;
                break;
            case kBusy:
                ok = ParseInt(optarg, config.busyAnswers);
                break;
            case kReplyDelay:
                ok = ParseInt(optarg, config.replyDelayMs);
                break;
            case kFault:
                config.fault = TNeltaBox::FaultOfName(optarg, &ok);
                break;
            case kFaultAfter:
                ok = ParseInt(optarg, config.faultAfter);
                break;
            case kLateMs:
                ok = ParseInt(optarg, config.lateMs);
                break;
            case kLog:
                logPath = optarg;
                break;
            case kHelp:
                Usage(std::cout);
                return 0;
            default:
                Usage(std::cerr);
                return 2;
        }
        if (!ok) {
            std::cerr << "nelta-sim: invalid value for --" << kOptions[opt - 1].name << ": " << optarg
                      << "\n";
            return 2;
        }
    }
    if (optind < argc) {
        Usage(std::cerr);
        return 2;
    }
    if (TNeltaBox::SocketsOfModel(config.model) == 0) {
        std::cerr << "nelta-sim: unknown model " << config.model << "\n";
        return 2;
    }

    std::ofstream log;
    if (!logPath.empty()) {
        log.open(logPath, std::ios::app | std::ios::binary);
        if (!log) {
            std::cerr << "nelta-sim: cannot open log " << logPath << "\n";
            return 1;
        }
    }

    // The pseudo-terminal. The slave is put into raw mode once here, so that
    // nothing is echoed or translated before a program opens it, then closed
    // again: a hang-up on the master tells that no program holds the port.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("nelta-sim: posix_openpt");
        return 1;
    }
    const std::string slavePath = ::ptsname(master);
    {
        const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
        if (slave < 0) {
            std::perror("nelta-sim: open slave");
            return 1;
        }
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B57600);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string link = (std::filesystem::path(dir) / ("com" + std::to_string(com))).string();
    if (std::filesystem::is_symlink(link, ec) || std::filesystem::exists(link, ec)) ::unlink(link.c_str());
    if (::symlink(slavePath.c_str(), link.c_str()) != 0) {
        std::perror(("nelta-sim: symlink " + link).c_str());
        return 1;
    }
    auto removeLink = [&] {
        std::error_code e;
        if (std::filesystem::read_symlink(link, e) == slavePath) ::unlink(link.c_str());
    };

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("nelta-sim: pipe");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    TNeltaBox box(config);
    const std::string portName = "COM" + std::to_string(com);
    box.onCommand = [&](const TNeltaCommand& command) {
        if (!log) return;
        log << TimeStamp(command.timeMs) << ' ' << portName << ' ' << Printable(command.text) << '\n';
        log.flush();
    };

    std::cout << "nelta-sim: " << portName << " " << link << " -> " << slavePath << " (" << config.model
              << ", " << box.Ident() << ")" << std::endl;

    int exitCode = 0;
    for (;;) {
        const std::int64_t now = NowMs();
        int timeout = 1000;
        if (auto due = box.NextDue())
            timeout = static_cast<int>(std::clamp<std::int64_t>(*due - now, 0, 1000));

        pollfd fds[2] = {{master, POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
        int rc = ::poll(fds, 2, timeout);
        if (rc < 0 && errno != EINTR) {
            std::perror("nelta-sim: poll");
            exitCode = 1;
            break;
        }
        if (fds[1].revents & POLLIN) break;  // a termination signal

        bool hungUp = false;
        if (fds[0].revents & POLLIN) {
            char buffer[512];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                box.Receive(std::string(buffer, static_cast<std::size_t>(n)), NowMs());
            else if (n < 0 && errno == EIO)
                hungUp = true;
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            hungUp = true;
        }

        const std::int64_t later = NowMs();
        if (box.Vanished(later)) {
            WriteAll(master, box.Take(box.Available(later), later));
            ::close(master);
            removeLink();
            std::cout << "nelta-sim: " << portName << " vanished" << std::endl;
            return 0;
        }
        const std::string out = box.Take(box.Available(later), later);
        if (hungUp) {
            // Nobody holds the port: what the box says now is lost, as on a
            // real line; wait a little instead of spinning on the hang-up.
            pollfd sig{g_signalPipe[0], POLLIN, 0};
            if (::poll(&sig, 1, 20) > 0) break;
        } else if (!out.empty()) {
            WriteAll(master, out);
        }
    }

    ::close(master);
    removeLink();
    return exitCode;
}
