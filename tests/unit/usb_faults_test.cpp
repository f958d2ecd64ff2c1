// Every system call of a whole creation failing, once or for good: the
// creation never claims success or asks on after it showed a failure, never
// claims a stick it did not make, never ends without saying why, never stalls
// with OK disabled and nothing left to happen, and removes its tools and log
// however it ends.
#include <gtest/gtest.h>

#include "tests/support/fault_sweep.h"
#include "tests/unit/usb_rig.h"

namespace kh {
namespace {

using test::SweepFault;
using test::UsbRig;

bool isFailure(const sim::BoxRecord& box) {
    return box.caption == "错误" || box.caption == "警告" || box.caption == "error";
}

// Deleting the tools can only fail where deletes themselves fail.
bool toolsMayStay(const UsbRig& rig, const SweepFault& fault) {
    return rig.state.shared.extractionChild != 0 || fault.call.op == sim::Op::kDeleteFile ||
           (fault.kind == SweepFault::Kind::kDriveFromHere && fault.call.drive == 'C');
}

void expectHonestEnd(const UsbRig& rig, const SweepFault& fault) {
    SCOPED_TRACE(rig.messages());
    bool failed = false;
    bool succeeded = false;
    for (const auto& box : rig.ui.boxes()) {
        // Neither success nor a new question once a failure was shown.
        if (box.text == usb::msg::kDone.text || box.caption == usb::msg::kFormatQuestion.caption) {
            EXPECT_FALSE(failed);
        }
        succeeded = succeeded || box.text == usb::msg::kDone.text;
        failed = failed || isFailure(box);
    }
    EXPECT_TRUE(succeeded || failed || !rig.ui.quitPosted()) << "ended without a word";
    if (succeeded) rig.expectBootableTree();
    EXPECT_TRUE(rig.ui.quitPosted() || rig.ui.control(ControlId::kOk).enabled) << "stalled";
    EXPECT_TRUE(rig.ui.timers().empty() || rig.ui.quitPosted());
    if (!toolsMayStay(rig, fault)) {
        EXPECT_FALSE(rig.toolsPresent());
    }
}

void sweepRoute(const std::string& name, int answer) {
    std::vector<sim::Call> calls;
    size_t before = 0;
    {
        UsbRig clean;
        before = clean.sys.calls().size();
        clean.ui.answerNextBox(answer);
        clean.create();
        ASSERT_EQ(clean.ui.boxes().back().text, usb::msg::kDone.text);
        calls = clean.sys.calls();
    }
    ASSERT_GT(calls.size(), before + 20);
    test::sweepEachCall(name, calls, before + 1, [answer](const SweepFault& fault) {
        UsbRig rig;
        fault.arm(rig.sys);
        rig.ui.answerNextBox(answer);
        rig.create();
        expectHonestEnd(rig, fault);
    });
}

TEST(UsbFaults, FormatRoute) { sweepRoute("USB creation, format route", win::kIdYes); }

TEST(UsbFaults, RelabelRoute) { sweepRoute("USB creation, relabel route", win::kIdNo); }

}  // namespace
}  // namespace kh
