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
    show(env.state.shared, hd::msg::kCannotFind, "composed text");

    ASSERT_EQ(env.ui.boxes().size(), 1u);
    test::expectBox(env.ui, 0, hd::msg::kCannotFind, "composed text");
    EXPECT_NE(env.ui.boxes()[0].answer, win::kIdNone);  // asked before the end was requested
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
