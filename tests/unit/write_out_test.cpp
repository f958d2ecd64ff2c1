// Writing a resource out as a file: the outcome of each failing step and the
// box every payload shows for it.
#include "payloads/write_out.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "common/texts.h"
#include "payloads/catalogue.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::payloads {
namespace {

using test::SimEnv;

const std::string kTarget = "C:\\out.bin";

struct PayloadCase {
    const char* name;
    int id;
    const WriteOutMessages& messages;
};

// The three shapes of box the payloads show; which texts each payload names
// is seen through the install and the creation.
const PayloadCase kPayloads[] = {
    {"usb 7z.exe", kSevenZipExe, msg::kUsbSevenZipExe},
    {"hd 7z.exe", kSevenZipExe, msg::kHdSevenZipExe},
    {"hd 7z.dll", kSevenZipDll, msg::kHdSevenZipDll},
};

// How a step is made to fail, what the write-out then returns and which of
// the payload's boxes it shows.
struct FailingStep {
    std::optional<sim::Op> failingCall;  // none: the resource is missing
    WriteOutcome outcome;
    Message WriteOutMessages::*message;
};

const FailingStep kSteps[] = {
    {std::nullopt, WriteOutcome::kAbandoned, &WriteOutMessages::notFound},
    {sim::Op::kLoadResource, WriteOutcome::kLoadOrLockFailed, &WriteOutMessages::loadFailed},
    {sim::Op::kLockResource, WriteOutcome::kLoadOrLockFailed, &WriteOutMessages::lockFailed},
    {sim::Op::kCreateFile, WriteOutcome::kCreateFailed, &WriteOutMessages::createFailed},
    // An interrupted write leaves no partial file either.
    {sim::Op::kWrite, WriteOutcome::kCreateFailed, &WriteOutMessages::createFailed},
    {sim::Op::kFlush, WriteOutcome::kCreateFailed, &WriteOutMessages::createFailed},
    {sim::Op::kClose, WriteOutcome::kCreateFailed, &WriteOutMessages::createFailed},
};

WriteOutcome failAt(SimEnv& env, std::optional<sim::Op> failingCall, int id,
                    const WriteOutMessages& messages, const std::string& target = kTarget) {
    if (failingCall) {
        env.sys.setResource(id, "data");
        env.sys.failOn(*failingCall);
    }
    return writePayload(env.state.shared, {id, target}, messages);
}

TEST(PayloadWriteOut, EachFailingStepShowsThatPayloadsBoxAndLeavesNoFile) {
    for (const PayloadCase& payload : kPayloads) {
        for (const FailingStep& step : kSteps) {
            SCOPED_TRACE(
                std::string(payload.name) + " failing at " +
                (step.failingCall ? sim::opName(*step.failingCall) : "a missing resource"));
            SimEnv env;
            EXPECT_EQ(failAt(env, step.failingCall, payload.id, payload.messages), step.outcome);
            test::expectOnlyFailureBox(env, payload.messages.*step.message);
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
        EXPECT_EQ(failAt(env, step.failingCall, kSyslinuxCfg, msg::kResourceFile,
                         "E:\\syslinux\\libutil.c32"),
                  step.outcome);
        ASSERT_EQ(env.ui.boxes().size(), 1u);
        const std::string text = env.ui.boxes()[0].text;
        EXPECT_NE(text.find("libutil.c32"), std::string::npos);
        EXPECT_EQ(text.find('%'), std::string::npos);
        test::expectOnlyFailureBox(
            env, {text.c_str(), msg::kError, win::kMbIconError, MessageKind::kFailure});
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 4u);  // not found, load, lock, create
}

}  // namespace
}  // namespace kh::payloads
