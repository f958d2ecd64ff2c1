// boot.ini rewritten on the simulated system drive: the boot entry added and
// removed, messages, attributes, the temporary copy, and a complete file
// whatever fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "common/texts.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/bootini_rules.h"
#include "hdinstall/menu_entry.h"
#include "platform/winconst.h"
#include "tests/support/fault_sweep.h"
#include "tests/support/sim_env.h"

namespace kh::hd {
namespace {

const std::string kBootIni = "C:\\boot.ini";

std::string bootIni(const test::SimEnv& env) { return *env.sys.readHostFile(kBootIni); }

// Each rewrite on its own, as the install and the restore prepare and write
// it, its failure shown.
bool rewrite(DiskState& state, std::optional<BootIniChange> change, const Message& inUse) {
    const Message* failure = change ? writeBootIni(state, *change, inUse) : nullptr;
    if (failure) show(state.shared, *failure);
    return change && !failure;
}
bool addBootEntry(DiskState& state) {
    return rewrite(state, prepareBootEntry(state), msg::kBootIniRenameError);
}
bool removeBootEntry(DiskState& state) {
    return rewrite(state, prepareBootEntryRemoval(state), msg::kBootIniProcessError);
}

// Either rewrite replaces boot.ini, gives it back its attributes and keeps a
// user's own file of the old temporary name; an entry already there is
// reported, the timeout still set, and the entry goes into [operating systems]
// wherever that section stands. A file the program cannot have made, or one held by
// another program, is left as it was, with its own failure box.
TEST(BootEntryRewrites, ReplaceBootIniOrReportWhyNot) {
    const std::string entry = bootEntryLine() + "\r\n";
    const std::string without = "[boot loader]\r\ntimeout=15\r\n[operating systems]\r\n";
    const std::string huge(kMaxTextFileBytes + 1, 'x');
    const std::string binary("[boot loader]\r\n\0\x01", 17);
    const struct {
        const char* name;
        bool (*rewrite)(hd::DiskState&);
        std::string before;  // empty: the usual boot.ini, held open
        std::string after;   // empty: the rewrite fails
        const Message* box;
    } cases[] = {
        {"add", addBootEntry, "[boot loader]\ntimeout=3\n[operating systems]\n", without + entry,
         nullptr},
        {"add again", addBootEntry, "timeout=30\r\n" + entry, "timeout=15\r\n" + entry,
         &msg::kFindError},
        {"add, [operating systems] first", addBootEntry,
         "[Operating Systems]\r\nC:\\=\"XP\"\r\n\r\n[boot loader]\r\ntimeout=3",
         "[Operating Systems]\r\nC:\\=\"XP\"\r\n" + entry + "\r\n[boot loader]\r\ntimeout=15",
         nullptr},
        // The last line keeps its missing line end.
        {"remove", removeBootEntry, without + entry + "C:\\=\"Windows\"",
         without + "C:\\=\"Windows\"", nullptr},
        {"add, huge", addBootEntry, huge, "", &msg::kBootIniNotText},
        {"remove, binary", removeBootEntry, binary, "", &msg::kBootIniNotText},
        {"add, in use", addBootEntry, "", "", &msg::kBootIniRenameError},
        {"remove, in use", removeBootEntry, "", "", &msg::kBootIniProcessError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::SimEnv env;
        if (c.before.empty()) {
            env.sys.holdOpen(kBootIni);
        } else {
            env.sys.writeHostFile(kBootIni, c.before);
        }
        env.sys.writeHostFile("C:\\temp.ini", "the user's own file");
        env.sys.setAttributes(kBootIni, win::kAttrHidden | win::kAttrSystem);
        const std::string before = bootIni(env);
        EXPECT_EQ(c.rewrite(env.state.hd), !c.after.empty());
        EXPECT_EQ(bootIni(env), c.after.empty() ? before : c.after);
        EXPECT_EQ(env.sys.readHostFile("C:\\temp.ini"), "the user's own file");
        EXPECT_TRUE(env.temporaryFiles().empty());
        if (c.after.empty()) {
            test::expectOnlyFailureBox(env, *c.box);
            continue;
        }
        EXPECT_EQ(env.sys.attributes(kBootIni), win::kAttrHidden | win::kAttrSystem);
        ASSERT_EQ(env.ui.boxes().size(), c.box ? 1u : 0u);
        if (c.box) test::expectBox(env.ui, 0, *c.box);
        EXPECT_FALSE(env.ui.quitPosted());
    }
}

// The message a rewrite must show when the n-th call of `calls` fails alone;
// empty for none.
std::string expectedMessage(const std::vector<sim::Call>& calls, size_t n) {
    switch (calls[n - 1].op) {
        case sim::Op::kSetAttributes: {
            // Only clearing the attributes first counts: giving them back at
            // the end is not checked.
            const bool first = std::none_of(calls.begin(), calls.begin() + n - 1, [](auto& call) {
                return call.op == sim::Op::kSetAttributes;
            });
            return first ? msg::kAdminRequired.text : "";
        }
        case sim::Op::kFileAttributes:
        case sim::Op::kReadFile:
            return msg::kBootIniNotFound.text;
        case sim::Op::kReplaceFile:
            return msg::kBootIniRenameError.text;
        default:
            return msg::kBootIniTempError.text;  // creating, writing, flushing, closing
    }
}

// Fails each call a clean run makes, once or for good: boot.ini is then either
// the old file or the complete new one, and a success is reported only when
// the new one is in place. A single failure shows its own message and leaves
// no temporary file.
void sweepFailures(const char* name, bool (*rewrite)(hd::DiskState&), const std::string& original) {
    test::SimEnv clean;
    clean.sys.writeHostFile(kBootIni, original);
    ASSERT_TRUE(rewrite(clean.state.hd));
    const std::string updated = bootIni(clean);
    const std::vector<sim::Call> calls = clean.sys.calls();
    test::sweepEachCall(name, calls, 1, [&](const test::SweepFault& fault) {
        test::SimEnv env;
        env.sys.writeHostFile(kBootIni, original);
        fault.arm(env.sys);
        const bool succeeded = rewrite(env.state.hd);
        const std::string onDisk = bootIni(env);
        EXPECT_TRUE(onDisk == original || onDisk == updated);
        EXPECT_EQ(succeeded, onDisk == updated);
        EXPECT_EQ(env.ui.quitPosted(), !succeeded);
        if (fault.kind == test::SweepFault::Kind::kSingle) {
            const std::string message = expectedMessage(calls, fault.callNumber);
            EXPECT_EQ(env.messages(), message.empty() ? "" : message + "\n");
            EXPECT_TRUE(env.temporaryFiles().empty());
        }
    });
}

TEST(BootEntryRewrites, KeepACompleteBootIniWhicheverOperationFails) {
    const std::string withEntry =
        "[boot loader]\ntimeout=15\n[operating systems]\nC:\\=\"Windows\"\n" + bootEntryLine();
    sweepFailures("boot entry added", addBootEntry, bootIni(test::SimEnv()));
    sweepFailures("boot entry removed", removeBootEntry, withEntry);
}

}  // namespace
}  // namespace kh::hd
