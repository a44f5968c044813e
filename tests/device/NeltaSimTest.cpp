// The box simulator program, driven through the real serial port and the AT
// layer on the real clock (each exchange costs its fixed 100 ms wait).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "PtyFixture.h"
#include "device/PosixSerialPort.h"
#include "device/muATCmd.h"

extern char** environ;

namespace {

const std::string kSim = std::string(TAVRIN_BINARY_DIR) + "/tools/nelta-sim/nelta-sim";

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), kSim);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&pid_, kSim.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    // Waits (bounded) until the link exists.
    bool WaitForLink(const std::string& link) const {
        for (int i = 0; i < 400; ++i) {
            if (std::filesystem::is_symlink(link)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    // Exit status after the process ended (bounded wait), -1 when it did not.
    int Wait(int ms = 1000) {
        for (int i = 0; i < ms / 5; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }
    void Terminate() const { ::kill(pid_, SIGTERM); }

private:
    pid_t pid_ = -1;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Serving a message costs nothing here, but each one is followed by the
// 1 ms sleep, so the polls of a wait span real time as in the program.
class NoMessages : public Application {
public:
    void ProcessMessages() override {}
    std::string Title() const override { return "Tavrin"; }
    void SetTitle(const std::string&) override {}
};

class NeltaSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kSim)) << kSim;
        at.setApplication(&app);
        at.SetATComPort(&port);
        at.SetTimeout(TmuATCmd::kSearchTimeout);
        port.SetBaudRate(TBaudRate::br57600);
    }
    ComDir dir;
    NoMessages app;
    PosixSerialPort port;
    TmuATCmd at;
};

TEST_F(NeltaSimTest, AnswersLikeABoxAndLogsEveryCommand) {
    const std::string log = dir.Path() + "/commands.log";
    SimProcess sim({"--dir", dir.Path(), "--com", "2", "--model", "USB-NELTA12", "--serial", "SN-42",
                    "--busy", "1", "--reply-delay", "5", "--log", log});
    ASSERT_TRUE(sim.WaitForLink(dir.Link(2)));
    port.SetPort("COM2");
    port.SetConnected(true);

    std::string ident;
    ASSERT_TRUE(at.CheckATICmd(ident));
    EXPECT_EQ(ident, "NELTA-V1.4-BOX12-USB-NELTA12");

    std::string raw;
    at.CheckATMultiCmd("atn5", raw);
    EXPECT_EQ(raw, "atn5\r\n>OK WAIT\r\n");
    at.CheckATMultiCmd("", raw);  // the bare carriage return of the response wait
    EXPECT_EQ(at.GetReplyText(raw), "SET PORT 5 ON");

    // The box outlives the program closing and reopening the port.
    port.SetConnected(false);
    port.SetConnected(true);
    ASSERT_TRUE(at.SetATSNCmd(raw));
    EXPECT_NE(raw.find("SN:SN-42\r"), std::string::npos);
    port.SetConnected(false);

    sim.Terminate();
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Link(2))) << "link left behind";

    const std::string text = ReadFile(log);
    const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} COM2 (.*))");
    std::vector<std::string> commands;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, line)) << l;
        commands.push_back(m[1]);
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"ati", "atn5", "<CR>", "atsn"}));
}

TEST_F(NeltaSimTest, VanishingBoxBreaksThePort) {
    SimProcess sim({"--dir", dir.Path(), "--com", "3", "--fault", "vanish", "--fault-after", "1"});
    ASSERT_TRUE(sim.WaitForLink(dir.Link(3)));
    port.SetPort("COM3");
    port.SetConnected(true);
    EXPECT_TRUE(at.CheckATCmd());
    std::string raw;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(at.CheckATMultiCmd("atn1", raw), SerialPortError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Link(3)));
    EXPECT_THROW(port.GetInputCount(), SerialPortError);
}

TEST_F(NeltaSimTest, RejectsBadOptions) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--model", "USB-NELTA9"},
                                          {"--fault", "sometimes"},
                                          {"--com", "0"},
                                          {"--busy", "x"}}) {
        args.insert(args.end(), {"--dir", dir.Path()});
        SimProcess sim(args);
        EXPECT_EQ(sim.Wait(), 2) << args[0];
    }
}

}  // namespace
