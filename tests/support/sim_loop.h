// Drives the window's posted start-format messages, timers and the watched
// process against the simulated clock, as the message loop would: posted
// messages first, then whichever is due next, the timer or the end of the
// watched process, advancing the clock to it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "tests/support/sim_env.h"

namespace kh::test {

class SimLoop {
  public:
    explicit SimLoop(SimEnv& env) : env_(env) {}

    // Called before each timer fires, with its id, so that a test can change
    // the drive between ticks.
    std::function<void(int timerId)> beforeTick;

    // Delivers posted messages, then fires the next due timer. False when
    // the quit request was posted or nothing is left to deliver.
    bool step();
    // Steps until false or until `limitMs` of simulated time has passed.
    void run(uint64_t limitMs = 3600000);

  private:
    void deliverPosted();
    void syncTimers();
    // Hands the watched process's end to the core when it comes before
    // `nextTimer`; false when the timer comes first.
    bool deliverProcessEnd(std::optional<uint64_t> nextTimer);

    SimEnv& env_;
    std::map<int, uint64_t> due_;  // armed timers and when they fire next
};

}  // namespace kh::test
