// Every system call of a whole creation failing in turn: the creation never
// claims success or asks on after it showed a failure, and it never stalls
// with OK disabled and nothing left to happen.
#include <gtest/gtest.h>

#include "tests/unit/usb_rig.h"

namespace kh {
namespace {

using test::UsbRig;

bool isFailure(const sim::BoxRecord& box) {
    return box.caption == "错误" || box.caption == "警告" || box.caption == "error";
}

void expectHonestEnd(const UsbRig& rig, const std::string& what) {
    bool failed = false;
    for (const auto& box : rig.ui.boxes()) {
        // Neither success nor a new question once a failure was shown.
        if (box.text == test::kSuccess || box.caption == "格式化") {
            EXPECT_FALSE(failed) << what << "\n" << rig.messages();
        }
        failed = failed || isFailure(box);
    }
    EXPECT_TRUE(rig.ui.quitPosted() || rig.ui.control(ControlId::kOk).enabled)
        << what << " stalled\n"
        << rig.messages();
    EXPECT_TRUE(rig.ui.timers().empty() || rig.ui.quitPosted()) << what;
}

void failEachCallInTurn(int answer) {
    UsbRig clean;
    const size_t before = clean.sys.calls().size();
    clean.ui.answerNextBox(answer);
    clean.create();
    ASSERT_EQ(clean.lastBox().text, test::kSuccess);
    const size_t total = clean.sys.calls().size() - before;
    ASSERT_GT(total, 20u);

    for (size_t n = 1; n <= total; ++n) {
        UsbRig rig;
        const std::string what =
            "call " + std::to_string(n) + " (" + clean.sys.calls()[before + n - 1] + ")";
        rig.sys.failCallNumber(static_cast<int>(rig.sys.calls().size() + n));
        rig.ui.answerNextBox(answer);
        rig.create();
        expectHonestEnd(rig, what);
    }
}

TEST(UsbFaults, EachCallOfTheFormatRouteFailingInTurn) { failEachCallInTurn(win::kIdYes); }

TEST(UsbFaults, EachCallOfTheRelabelRouteFailingInTurn) { failEachCallInTurn(win::kIdNo); }

}  // namespace
}  // namespace kh
