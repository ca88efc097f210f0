#pragma once
// An X server of the test's own (Xvfb), on the display number it picks itself; `display` stays
// empty when it did not start. It does not reset when its last client leaves: a reset puts the
// pointer back in the middle, so a move by xdotool alone would be undone as xdotool ends.

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
                     "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        // Up to the newline: the server writes the number and the newline apart, and dies if the
        // pipe is closed between the two (display 0 came back as a dead server).
        std::string text;
        char c = 0;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
            text += c;
        }
        ::close(pipeFds[0]);
        if (!text.empty() && c == '\n') {
            display = ":" + std::to_string(std::atoi(text.c_str()));
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
