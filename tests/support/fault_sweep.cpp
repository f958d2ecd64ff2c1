#include "tests/support/fault_sweep.h"

#include <gtest/gtest.h>

#include <iostream>

namespace kh::test {

void SweepFault::arm(sim::SimSystem& sys) const {
    switch (kind) {
        case Kind::kSingle:
            sys.failCall(callNumber);
            break;
        case Kind::kKindFromHere:
            sys.failOpFrom(callNumber, call.op);
            break;
        case Kind::kDriveFromHere:
            sys.failDriveFrom(callNumber, call.drive);
            break;
    }
}

std::string SweepFault::describe() const {
    static const char* const kKinds[] = {"only", "and every later one of its kind",
                                         "and every later one on its drive"};
    std::string text = "call " + std::to_string(callNumber) + " " + sim::opName(call.op);
    if (!call.path.empty()) text += " " + call.path;
    return text + " failing, " + kKinds[static_cast<int>(kind)];
}

bool SweepFault::canStopDeletesOn(char drive) const {
    return call.op == sim::Op::kDeleteFile || call.op == sim::Op::kRemoveDirectory ||
           (kind == Kind::kDriveFromHere && call.drive == drive);
}

void sweepEachCall(const std::string& name, const std::vector<sim::Call>& cleanCalls,
                   size_t firstNumber, const std::function<void(const SweepFault&)>& run) {
    size_t runs = 0;
    for (size_t n = firstNumber; n <= cleanCalls.size(); ++n) {
        const sim::Call& call = cleanCalls[n - 1];
        std::vector<SweepFault> faults = {{SweepFault::Kind::kSingle, n, call},
                                          {SweepFault::Kind::kKindFromHere, n, call}};
        if (call.drive != '\0') faults.push_back({SweepFault::Kind::kDriveFromHere, n, call});
        for (const SweepFault& fault : faults) {
            SCOPED_TRACE(fault.describe());
            run(fault);
            ++runs;
        }
    }
    const size_t calls = cleanCalls.size() + 1 - firstNumber;
    std::cout << "[sweep] " << name << ": " << calls << " calls failed singly, " << calls
              << " calls failed persistently, " << runs << " runs\n";
}

}  // namespace kh::test
