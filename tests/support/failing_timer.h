#pragma once
// The manual timer with failures to act out and a journal of kills and periods.

#include <string>
#include <vector>

#include "platform/mmtimer_manual.h"

namespace testing_support {

class FailingTimer final : public platform::TimerApi {
  public:
    bool failBeginPeriod = false;
    int failSetEventAfter = -1;  // this many events are set, then every one fails (-1: never)
    std::vector<std::string>* journal = nullptr;
    std::vector<uint32_t> killed;
    int eventsSet = 0;

    uint32_t setEvent(uint32_t delayMs, uint32_t resolutionMs, platform::TimeCallback callback,
                      uintptr_t user, uint32_t flags) override {
        if (failSetEventAfter >= 0 && eventsSet >= failSetEventAfter) {
            return 0;
        }
        ++eventsSet;
        return clock.setEvent(delayMs, resolutionMs, callback, user, flags);
    }
    platform::mm::MmResult killEvent(uint32_t timerId) override {
        note("killEvent");
        killed.push_back(timerId);
        return clock.killEvent(timerId);
    }
    platform::mm::MmResult beginPeriod(uint32_t periodMs) override {
        if (failBeginPeriod) {
            return platform::mm::TIMERR_NOCANDO;
        }
        return clock.beginPeriod(periodMs);
    }
    platform::mm::MmResult endPeriod(uint32_t periodMs) override {
        note("endPeriod");
        return clock.endPeriod(periodMs);
    }

    platform::ManualTimer clock;

  private:
    void note(const char* call) {
        if (journal != nullptr) {
            journal->emplace_back(call);
        }
    }
};

}  // namespace testing_support
