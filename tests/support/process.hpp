#pragma once
// Child processes for the real servers that tests and benchmarks start (Xvnc, sshd, xev):
// spawned with their output in a log file, waited on until they serve, stopped by PID. Also
// counting this process's own named threads, to see that workers are gone.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace test_support {

// Starts args[0] (searched in PATH) with stdout and stderr sent to a new log file; returns its
// PID, or -1 when it cannot start.
inline pid_t spawn_process(const std::vector<std::string>& args, const std::string& log_path) {
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Polls `ready` until it holds (true) or the time is up or the process exits (false; an exited
// process is reaped and `pid` becomes -1).
template <typename Ready>
bool wait_until_ready(pid_t& pid, Ready ready, std::chrono::milliseconds timeout,
                      std::chrono::milliseconds poll = std::chrono::milliseconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(poll);
    }
    return false;
}

// SIGTERM, then SIGKILL when the process has not gone after two seconds.
inline void stop_process(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// The number of this process's threads with the given kernel name.
inline int threads_named(const std::string& name) {
    int count = 0;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        std::ifstream comm(task.path() / "comm");
        std::string line;
        std::getline(comm, line);
        count += line == name ? 1 : 0;
    }
    return count;
}

}  // namespace test_support
