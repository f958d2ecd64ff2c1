// The fault sweep every procedure shares: each call a clean run makes is
// failed once on its own, then from that call onward for good (every call of
// its kind, and every call on its drive: the service broken, the stick pulled).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim_system.h"

namespace kh::test {

struct SweepFault {
    enum class Kind { kSingle, kKindFromHere, kDriveFromHere };
    Kind kind;
    size_t callNumber;  // as the simulated Windows counts calls, from 1
    sim::Call call;     // the call of the clean run that fails first

    void arm(sim::SimSystem& sys) const;
    std::string describe() const;
    // Whether a delete on `drive` can fail under this fault, so that files and
    // folders the procedure removes there may be left.
    bool canStopDeletesOn(char drive) const;
};

// Runs `run` once for each fault of each call of `cleanCalls` numbered from
// `firstNumber` on (earlier calls belong to the set-up), and prints one
// summary line: calls failed singly, calls failed persistently, runs.
void sweepEachCall(const std::string& name, const std::vector<sim::Call>& cleanCalls,
                   size_t firstNumber, const std::function<void(const SweepFault&)>& run);

}  // namespace kh::test
