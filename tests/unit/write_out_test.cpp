// Writing a resource out as a file: the outcome of each failing step and the
// box every payload shows for it.
#include "payloads/write_out.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "common/texts.h"
#include "payloads/catalogue.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::payloads {
namespace {

using test::SimEnv;

const std::string kTarget = "C:\\out.bin";

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

// Every payload's boxes come from its own row of the table; the write-out only
// picks the step's. The SYSLINUX modules and syslinux.cfg have a text of their
// own per step, each naming the file.
TEST(PayloadWriteOut, EachFailingStepShowsItsBoxAndLeavesNoFile) {
    for (const FailingStep& step : kSteps) {
        SCOPED_TRACE(step.failingCall ? sim::opName(*step.failingCall) : "a missing resource");
        SimEnv env;
        EXPECT_EQ(failAt(env, step.failingCall, kSevenZipExe, msg::kHdSevenZipExe), step.outcome);
        test::expectOnlyFailureBox(env, msg::kHdSevenZipExe.*step.message);
        EXPECT_FALSE(env.sys.readHostFile(kTarget).has_value());
        SimEnv further;
        EXPECT_EQ(failAt(further, step.failingCall, kSyslinuxCfg, msg::kResourceFile,
                         "E:\\syslinux\\libutil.c32"),
                  step.outcome);
        std::string text = (msg::kResourceFile.*step.message).text;
        text.replace(text.find("%s"), 2, "libutil.c32");
        test::expectOnlyFailureBox(
            further, {text.c_str(), msg::kError, win::kMbIconError, MessageKind::kFailure});
    }
}

// The tools are written to a folder made in the temporary folder, which may
// be a drive's root (given without its backslash) or on a network share; a
// relative one would be taken from the current folder. A tools folder that cannot be made fails as
// the file's creation does.
TEST(PayloadWriteOut, TheToolsFolder) {
    const struct {
        const char* temporary;
        bool canMake;
        WriteOutcome outcome;
        const char* folder;  // made, or the last one tried
    } cases[] = {
        {"C:", true, WriteOutcome::kWritten, "C:\\KorvaneHelper-1"},
        {"\\\\server\\temp", true, WriteOutcome::kWritten, "\\\\server\\temp\\KorvaneHelper-1"},
        {"Temp", true, WriteOutcome::kCreateFailed, ""},
        {"C:\\Temp", false, WriteOutcome::kCreateFailed, "C:\\Temp\\KorvaneHelper-100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.temporary);
        SimEnv env;
        env.sys.setResource(kSevenZipExe, "data");
        env.sys.setTemporaryDirectory(c.temporary);
        if (!c.canMake) env.sys.failOpFrom(1, sim::Op::kCreateDirectory);
        EXPECT_EQ(writeTool(env.state.shared, kSevenZipExeTool, msg::kHdSevenZipExe), c.outcome);
        EXPECT_EQ(env.toolsFolder(), c.folder);
        if (c.outcome == WriteOutcome::kWritten) {
            EXPECT_EQ(env.sys.readHostFile(env.toolFile("7z.exe")), "data");
        } else {
            test::expectOnlyFailureBox(env, msg::kHdSevenZipExe.createFailed);
        }
    }
}

// A boot file reaches the disk before it counts as written, staged or not, so
// that a power loss cannot leave it cut short; the tools, gone at the end of
// the run, are not waited for.
TEST(PayloadWriteOut, BootFilesAreFlushedToolsAreNot) {
    SimEnv env;
    env.sys.setResource(kGrldr, "loader");
    env.sys.setResource(kSevenZipExe, "tool");
    const auto flushes = [&env] {
        const auto& calls = env.sys.calls();
        return std::count_if(calls.begin(), calls.end(),
                             [](const sim::Call& call) { return call.op == sim::Op::kFlush; });
    };
    EXPECT_EQ(writePayload(env.state.shared, {kGrldr, "C:\\grldr"}, msg::kHdGrldr),
              WriteOutcome::kWritten);
    EXPECT_EQ(flushes(), 1);
    EXPECT_TRUE(writePayloadQuietly(env.sys, kGrldr, "C:\\staged"));
    EXPECT_EQ(flushes(), 2);
    EXPECT_EQ(writeTool(env.state.shared, kSevenZipExeTool, msg::kHdSevenZipExe),
              WriteOutcome::kWritten);
    EXPECT_EQ(flushes(), 2);
}

}  // namespace
}  // namespace kh::payloads
