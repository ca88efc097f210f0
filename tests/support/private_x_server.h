#pragma once
// An X server of the test's own (Xvfb), on the display number it picks itself; `display` stays
// empty when it did not start.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace testing_support {

class PrivateXServer {
  public:
    explicit PrivateXServer(const char* screen = "800x600x24") {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            return;
        }
        pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], 3);
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        char text[16] = {};
        const ssize_t got = ::read(pipeFds[0], text, sizeof text - 1);
        ::close(pipeFds[0]);
        if (got > 0) {
            display = ":" + std::to_string(std::atoi(text));
        }
    }
    ~PrivateXServer() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    std::string display;

  private:
    pid_t pid = -1;
};

}  // namespace testing_support
