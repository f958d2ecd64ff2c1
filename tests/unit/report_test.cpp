// The one way of showing a message: a failure is recorded and ends the
// program after its box has been answered; nothing else does.
#include "common/report.h"

#include <gtest/gtest.h>

#include "app/messages.h"
#include "hdinstall/messages.h"
#include "tests/support/sim_env.h"
#include "usbmedia/messages.h"

namespace kh {
namespace {

TEST(Report, AFailureIsRecordedAndEndsTheProgramAfterItsBox) {
    test::SimEnv env;
    show(env.state.shared, hd::msg::kCannotFind, "找不到C:\\boot.ini");

    ASSERT_EQ(env.ui.boxes().size(), 1u);
    const auto& box = env.ui.boxes()[0];
    EXPECT_EQ(box.text, "找不到C:\\boot.ini");
    EXPECT_EQ(box.caption, "警告");
    EXPECT_EQ(box.flags, win::kMbIconWarning);
    EXPECT_EQ(box.owner, BoxOwner::kMainWindow);
    EXPECT_NE(box.answer, win::kIdNone);  // asked before the end was requested
    EXPECT_TRUE(env.ui.quitPosted());
    EXPECT_TRUE(env.state.shared.failureShown);
}

TEST(Report, RefusalsNoticesAndQuestionsLeaveTheProgramRunning) {
    for (const Message* message : {&app::msg::kChooseIsoFirst, &usb::msg::kIsoUnreadable,
                                   &hd::msg::kFindError, &usb::msg::kFormatQuestion}) {
        test::SimEnv env;
        env.ui.answerNextBox(win::kIdNo);
        EXPECT_EQ(show(env.state.shared, *message), win::kIdNo) << message->text;
        EXPECT_FALSE(env.ui.quitPosted()) << message->text;
        EXPECT_FALSE(env.state.shared.failureShown) << message->text;
    }
}

TEST(Report, MessagesBeforeTheWindowExistsHaveNoOwner) {
    test::SimEnv env;
    show(env.state.shared, hd::msg::kDiskNotFound);
    EXPECT_EQ(env.ui.boxes().at(0).owner, BoxOwner::kNone);
}

}  // namespace
}  // namespace kh
