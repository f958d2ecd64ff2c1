// Writing a resource out as a file: the outcome of each failing step and the
// box every payload shows for it.
#include "payloads/write_out.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "payloads/catalogue.h"
#include "payloads/message_sets.h"
#include "payloads/messages.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::payloads {
namespace {

using msg::PayloadTexts;
using test::SimEnv;

const std::string kTarget = "C:\\out.bin";

struct PayloadCase {
    const char* name;
    int id;
    PayloadMessages (*messages)();
    PayloadTexts texts;
    const char* lockCaption = msg::kError;
    unsigned notFoundFlags = msg::kErrorFlags;
};

// The three shapes of box the payloads show; which texts each payload names
// is seen through the install and the creation.
const PayloadCase kPayloads[] = {
    {"usb 7z.exe", kSevenZipExe, usbSevenZipExe, msg::kUsbSevenZipExe},
    {"hd 7z.exe", kSevenZipExe, hdSevenZipExe, msg::kHdSevenZipExe, msg::kHdSevenZipExeLockCaption},
    {"hd 7z.dll", kSevenZipDll, hdSevenZipDll, msg::kHdSevenZipDll, msg::kError,
     msg::kHdSevenZipDllNotFoundFlags},
};

// How a step is made to fail, what the write-out then returns and which of
// the payload's texts it shows.
struct FailingStep {
    std::optional<sim::Op> failingCall;  // none: the resource is missing
    WriteOutcome outcome;
    const char* PayloadTexts::*text;
};

const FailingStep kSteps[] = {
    {std::nullopt, WriteOutcome::kAbandoned, &PayloadTexts::notFound},
    {sim::Op::kLoadResource, WriteOutcome::kLoadOrLockFailed, &PayloadTexts::loadFailed},
    {sim::Op::kLockResource, WriteOutcome::kLoadOrLockFailed, &PayloadTexts::lockFailed},
    {sim::Op::kCreateFile, WriteOutcome::kCreateFailed, &PayloadTexts::createFailed},
    // An interrupted write leaves no partial file either.
    {sim::Op::kWrite, WriteOutcome::kCreateFailed, &PayloadTexts::createFailed},
    {sim::Op::kFlush, WriteOutcome::kCreateFailed, &PayloadTexts::createFailed},
    {sim::Op::kClose, WriteOutcome::kCreateFailed, &PayloadTexts::createFailed},
};

WriteOutcome failAt(SimEnv& env, std::optional<sim::Op> failingCall, int id,
                    const PayloadMessages& messages) {
    if (failingCall) {
        env.sys.setResource(id, "data");
        env.sys.failOn(*failingCall);
    }
    return writePayload(env.state.shared, {id, kTarget}, messages);
}

TEST(PayloadWriteOut, EachFailingStepShowsThatPayloadsBoxAndLeavesNoFile) {
    for (const PayloadCase& payload : kPayloads) {
        for (const FailingStep& step : kSteps) {
            SCOPED_TRACE(
                std::string(payload.name) + " failing at " +
                (step.failingCall ? sim::opName(*step.failingCall) : "a missing resource"));
            SimEnv env;
            EXPECT_EQ(failAt(env, step.failingCall, payload.id, payload.messages()), step.outcome);
            const bool lock = step.text == &PayloadTexts::lockFailed;
            const bool notFound = step.text == &PayloadTexts::notFound;
            test::expectOnlyFailureBox(
                env, {payload.texts.*step.text, lock ? payload.lockCaption : msg::kError,
                      notFound ? payload.notFoundFlags : msg::kErrorFlags, MessageKind::kFailure});
            EXPECT_FALSE(env.sys.readHostFile(kTarget).has_value());
        }
    }
}

// The SYSLINUX modules and syslinux.cfg: a text of its own per step, each
// naming the file.
TEST(PayloadWriteOut, FurtherFilesNameThemselvesInEveryBox) {
    std::set<std::string> texts;
    for (const FailingStep& step : kSteps) {
        SimEnv env;
        const PayloadMessages messages = resourceFileMessages("libutil.c32");
        EXPECT_EQ(failAt(env, step.failingCall, kSyslinuxCfg, messages), step.outcome);
        ASSERT_EQ(env.ui.boxes().size(), 1u);
        const std::string text = env.ui.boxes()[0].text;
        EXPECT_NE(text.find("libutil.c32"), std::string::npos);
        test::expectOnlyFailureBox(
            env, {text.c_str(), msg::kError, msg::kErrorFlags, MessageKind::kFailure});
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 4u);  // not found, load, lock, create
}

}  // namespace
}  // namespace kh::payloads
