#pragma once
// The box simulator program (tools/nelta-sim) as a child process of a test:
// started with its options, killed when the object goes.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class SimProcess {
public:
    static std::string Program() { return std::string(TAVRIN_BINARY_DIR) + "/tools/nelta-sim/nelta-sim"; }

    explicit SimProcess(std::vector<std::string> args) {
        const std::string program = Program();
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Waits (bounded) until the simulator has made its link.
    bool WaitForLink(const std::string& link) const {
        for (int i = 0; i < 400 && pid_ > 0; ++i) {
            if (std::filesystem::is_symlink(link)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    pid_t pid_ = -1;
};
