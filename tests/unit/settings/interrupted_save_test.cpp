// A save killed at any moment (SIGKILL: no handler, no cleanup) leaves a store that reads
// without complaint and holds one whole set of values, the old or the new.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "platform/registry.h"
#include "settings/settings_store.h"
#include "settings_test_env.h"
#include "settings_value_sets.h"
#include "support/recording_message_box.h"

extern char** environ;

namespace {

using settings_test::applyValueSet;
using settings_test::currentValueSet;
using settings_test::valueSets;

// The helper, started with its stdout on a pipe; killed and reaped when it goes out of scope.
class SavingHelper {
  public:
    SavingHelper() {
        int ends[2];
        if (::pipe(ends) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        char* argv[] = {const_cast<char*>(LIRVETO_SAVE_LOOP_PATH), nullptr};
        if (posix_spawn(&child, LIRVETO_SAVE_LOOP_PATH, &actions, nullptr, argv, environ) != 0) {
            child = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        output = ends[0];
    }
    ~SavingHelper() {
        if (child > 0) {
            killAndReap();
        }
        if (output >= 0) {
            ::close(output);
        }
    }
    SavingHelper(const SavingHelper&) = delete;
    SavingHelper& operator=(const SavingHelper&) = delete;

    // Blocks until the helper says it is saving.
    bool waitUntilSaving() {
        char line[8] = {};
        return child > 0 && ::read(output, line, 7) == 7 && std::string(line) == "saving\n";
    }

    // True when the helper was still saving when the signal came.
    bool killAndReap() {
        ::kill(child, SIGKILL);
        int status = 0;
        const bool reaped = ::waitpid(child, &status, 0) == child;
        child = -1;
        return reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

  private:
    pid_t child = -1;
    int output = -1;
};

class InterruptedSaveTest : public settings_test::SettingsEnvironment {};

TEST_F(InterruptedSaveTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewValuesWhole) {
    testing_support::RecordingMessageBox messages;
    applyValueSet(valueSets[0]);
    ASSERT_TRUE(settings::saveSettings(nullptr, messages));
    (void)platform::takeRegistryNotice();

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayMicroseconds(0, 6000);
    for (int round = 0; round < 30; ++round) {
        const int delay = delayMicroseconds(random);
        SavingHelper helper;
        ASSERT_TRUE(helper.waitUntilSaving()) << "the helper did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ASSERT_TRUE(helper.killAndReap()) << "the helper stopped saving on its own";

        settings_test::resetSettingsToFirstStart();
        ASSERT_TRUE(settings::loadSettings(nullptr));
        EXPECT_EQ(platform::takeRegistryNotice(), "") << "killed after " << delay << " us";
        const settings_test::ValueSet read = currentValueSet();
        const bool whole = read == valueSets[0] || read == valueSets[1];
        ASSERT_TRUE(whole) << "a mix of values after a kill " << delay << " us in (volume "
                           << read.volume << ", instrument " << read.instrument << ")";
    }
}

}  // namespace
