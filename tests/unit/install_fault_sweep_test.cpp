// Every system call of the install failing, once or for good: no congratulation or restart follows
// a failure, boot.ini is always the old or the new file, the ISO is never lost, no temporary file
// is left, and the program never stalls with nothing left to happen.
#include <gtest/gtest.h>

#include <string>

#include "hdinstall/messages.h"
#include "tests/support/fault_sweep.h"
#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;
using test::SweepFault;

const std::string kMoveCaption = hd::msg::kMoveQuestion.caption;
const std::string kRestartCaption = hd::msg::kRestartQuestion.caption;

bool deletesMayFail(const SweepFault& fault) {
    return fault.call.op == sim::Op::kDeleteFile || fault.kind == SweepFault::Kind::kDriveFromHere;
}

TEST(HdFaultSweep, InstallNeverCongratulatesAfterAFailureNorLosesAFile) {
    std::vector<sim::Call> calls;
    size_t startCalls = 0;
    std::string before;
    std::string after;
    {
        InstallMachine clean;
        clean.start();
        startCalls = clean.sys.calls().size();
        before = clean.file(test::kBootIni);
        clean.installFrom(test::kIsoInFolder);
        ASSERT_TRUE(clean.sys.restartRequested()) << clean.messages();
        calls = clean.sys.calls();
        after = clean.file(test::kBootIni);
    }
    ASSERT_GT(calls.size(), startCalls + 40);

    test::sweepEachCall("hard-disk install", calls, startCalls + 1, [&](const SweepFault& fault) {
        InstallMachine m;
        m.start();
        ASSERT_EQ(m.sys.calls().size(), startCalls);
        fault.arm(m.sys);
        m.installFrom(test::kIsoInFolder);
        SCOPED_TRACE(m.messages());

        bool failureShown = false;
        for (const auto& box : m.ui.boxes()) {
            if (box.caption == kRestartCaption) {
                EXPECT_FALSE(failureShown);
                EXPECT_EQ(m.file(test::kBootIni), after);
            } else if (box.caption != kMoveCaption) {
                failureShown = true;
            }
        }
        EXPECT_FALSE(failureShown && m.sys.restartRequested());
        const std::string bootIni = m.file(test::kBootIni);
        EXPECT_TRUE(bootIni == before || bootIni == after) << bootIni;
        EXPECT_TRUE(m.exists(test::kIsoInFolder) != m.exists(test::kIsoInRoot));
        EXPECT_TRUE(m.ui.quitPosted() || m.ui.control(ControlId::kOk).enabled ||
                    m.sys.restartRequested())
            << "stalled";
        if (!deletesMayFail(fault)) {
            EXPECT_TRUE(m.temporaryFiles().empty());
        }
    });
}

}  // namespace
}  // namespace kh
