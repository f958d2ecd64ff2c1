// Every system call of the install made to fail in turn: whatever fails, no
// congratulation follows a failure message, no restart follows one, and
// boot.ini is always either the old or the new file, never broken.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/install_machine.h"

namespace kh {
namespace {

using test::InstallMachine;

const std::string kMoveCaption = "提示";
const std::string kRestartCaption = "重启";

TEST(HdInstallFaultSweep, NoFailedCallEndsInCongratulationOrABrokenBootIni) {
    size_t startCalls = 0;
    size_t allCalls = 0;
    std::string before;
    std::string after;
    {
        InstallMachine clean;
        clean.start();
        startCalls = clean.sys.calls().size();
        before = clean.file(test::kBootIni);
        clean.installFrom(test::kIsoInFolder);
        ASSERT_TRUE(clean.sys.restartRequested()) << clean.messages();
        allCalls = clean.sys.calls().size();
        after = clean.file(test::kBootIni);
    }
    ASSERT_GT(allCalls, startCalls + 40);

    for (size_t n = startCalls + 1; n <= allCalls; ++n) {
        InstallMachine m;
        m.start();
        ASSERT_EQ(m.sys.calls().size(), startCalls);
        m.sys.failCallNumber(static_cast<int>(n));
        m.installFrom(test::kIsoInFolder);
        const std::string failed = m.sys.calls()[n - 1];
        SCOPED_TRACE("call " + std::to_string(n) + " " + failed + "\n" + m.messages());

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
    }
}

}  // namespace
}  // namespace kh
