#pragma once
// A sound server of the test's own, started by tests/support/sound_server.sh in a temporary
// folder: PulseAudio, or PipeWire with WirePlumber and its PulseAudio layer. It has one null sink,
// `sink()`, as the default, whose monitor `monitor()` records what was played. While it lives the
// process's environment sends every sound client (libpulse, libpipewire, SDL) to it; the earlier
// environment comes back and its processes end with it.
//
//   PrivateSoundServer server(SoundServerKind::pipeWire, LIRVETO_SOUND_SERVER_SCRIPT);
//   REQUIRE_SOUND_SERVER(server);  // skips the test when the server's programs are missing

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/run_program.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

// Skips the calling test when the server's programs are not installed; fails it when they are
// but the server did not start.
#define REQUIRE_SOUND_SERVER(server)                           \
    do {                                                       \
        if (!(server).missing().empty()) {                     \
            GTEST_SKIP() << (server).missing();                \
        }                                                      \
        ASSERT_TRUE((server).running()) << (server).failure(); \
    } while (false)

namespace testing_support {

enum class SoundServerKind { pulseAudio, pipeWire };

inline const char* soundServerName(SoundServerKind kind) {
    return kind == SoundServerKind::pulseAudio ? "pulseaudio" : "pipewire";
}

class PrivateSoundServer {
  public:
    // The script's own exit status for a missing program.
    static constexpr int missingProgram = 77;

    PrivateSoundServer(SoundServerKind kind, std::string scriptPath)
        : script(std::move(scriptPath)) {
        if (!folder.create("lirveto-sound")) {
            failed = "no temporary folder for the sound server";
            return;
        }
        const ProgramRun run =
            runProgram(script, {"start", soundServerName(kind), folder.path().string()});
        if (run.status == missingProgram) {
            absent = run.err;
            return;
        }
        if (run.status != 0) {
            failed = "sound_server.sh start " + std::string(soundServerName(kind)) + " exited " +
                     std::to_string(run.status) + ": " + run.err;
            stop();
            return;
        }
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos) {
                setEnvironment(line.substr(0, equals), line.substr(equals + 1));
            }
        }
        started = true;
    }
    ~PrivateSoundServer() { stop(); }
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool running() const { return started; }
    // Why the server cannot run here (a program is missing), or empty.
    const std::string& missing() const { return absent; }
    const std::string& failure() const { return failed; }

    std::string sink() const { return value("SOUND_SERVER_SINK"); }
    std::string monitor() const { return value("SOUND_SERVER_MONITOR"); }
    int rate() const { return std::atoi(value("SOUND_SERVER_RATE").c_str()); }
    // The processes started for it, so a test can check that they end.
    std::vector<pid_t> pids() const {
        std::vector<pid_t> all;
        std::istringstream list(value("SOUND_SERVER_PIDS"));
        for (std::string pid; std::getline(list, pid, ',');) {
            all.push_back(static_cast<pid_t>(std::atoi(pid.c_str())));
        }
        return all;
    }

  private:
    void setEnvironment(const std::string& name, const std::string& text) {
        environment.push_back(std::make_unique<ScopedEnvironmentVariable>(name));
        environment.back()->set(text);
    }
    std::string value(const char* name) const {
        const char* text = started ? std::getenv(name) : nullptr;
        return text != nullptr ? text : "";
    }
    void stop() {
        if (!folder.path().empty()) {
            runProgram(script, {"stop", folder.path().string()});
        }
        started = false;
        environment.clear();
        folder.remove();
    }

    std::string script;
    TemporaryFolder folder;
    std::vector<std::unique_ptr<ScopedEnvironmentVariable>> environment;
    bool started = false;
    std::string absent;
    std::string failed;
};

}  // namespace testing_support
