// The GRUB menu on the simulated system drive: the sample menu with the entry
// inserted, messages, and the sample left in place whatever fails.
#include "hdinstall/menu_rewrite.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hdinstall/menu_entry.h"
#include "hdinstall/messages.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::hd {
namespace {

using test::sampleMenu;

const std::string kMenu = "C:\\menu.lst";

// The sample with the entry for /dev/sda5 and (hd0,0) in front of its title
// line, in CR LF like every line the rewrite writes.
std::string sampleWithEntry() {
    std::string entry;
    for (char c : menuEntry(5, 0)) entry += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string menu = sampleMenu();
    return menu.insert(menu.find("\r\ntitle ") + 2, entry);
}

// The numbers sampleWithEntry() names.
constexpr MenuNumbers kNumbers{5, 0};

struct MenuEnv : test::SimEnv {
    MenuEnv() { sys.writeHostFile(kMenu, sampleMenu()); }
    std::string menu() const { return sys.readHostFile(kMenu).value(); }
};

TEST(RewriteMenu, InsertsTheEntryIntoTheSampleMenu) {
    MenuEnv env;
    ASSERT_EQ(sampleMenu().size(), 458u);
    // A user's own file of the old fixed name, and one of ours left by an
    // earlier run, are both kept.
    env.sys.writeHostFile("C:\\temp.lst", "the user's list");
    env.sys.writeHostFile("C:\\~kh-lst0.tmp", "left over");
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kDone);
    EXPECT_EQ(env.menu(), sampleWithEntry());
    EXPECT_EQ(env.sys.readHostFile("C:\\temp.lst"), "the user's list");
    EXPECT_EQ(env.temporaryFiles(), std::vector<std::string>{"~kh-lst0.tmp"});
    EXPECT_TRUE(env.ui.boxes().empty());
    EXPECT_FALSE(env.ui.quitPosted());
}

TEST(RewriteMenu, UsesTheSystemDriveAndThePlannedNumbers) {
    MenuEnv env;
    env.addVolume('E', 3, 9000, true);
    env.state.hd.systemDrive.letter = 'E';
    env.sys.writeHostFile("E:\\menu.lst", "title X\r\n");
    EXPECT_EQ(rewriteMenu(env.state.hd, {7, 2}), MenuOutcome::kDone);
    const std::string result = env.sys.readHostFile("E:\\menu.lst").value();
    EXPECT_EQ(result.find("title KorvaneLinux"), 0u);
    EXPECT_NE(result.find("root (hd0,2)\r\n"), std::string::npos);
    EXPECT_NE(result.find("isodev=/dev/sda7 "), std::string::npos);
    EXPECT_EQ(env.menu(), sampleMenu());
}

// Whatever fails, the sample stays in place and no temporary file is left;
// only unusable attributes are passed over.
TEST(RewriteMenu, KeepsTheSampleWhenAStepFails) {
    using sim::Op;
    const std::string huge(kMaxTextFileBytes + 1, 't');
    const struct {
        const char* name;
        std::optional<Op> failing;
        const std::string* content;  // in place of the sample
        MenuOutcome outcome;
        std::optional<Message> message;
    } cases[] = {
        {"unreadable", Op::kReadFile, nullptr, MenuOutcome::kFailed, msg::kMenuOpenError},
        {"too large", std::nullopt, &huge, MenuOutcome::kFailed, msg::kMenuNotText},
        {"copy not created", Op::kCreateFile, nullptr, MenuOutcome::kFailed, msg::kMenuTempError},
        {"copy not written", Op::kWrite, nullptr, MenuOutcome::kFailed, msg::kMenuTempError},
        {"copy not flushed", Op::kFlush, nullptr, MenuOutcome::kFailed, msg::kMenuTempError},
        {"copy not closed", Op::kClose, nullptr, MenuOutcome::kFailed, msg::kMenuTempError},
        {"not renamed", Op::kReplaceFile, nullptr, MenuOutcome::kRenameFailed,
         msg::kMenuRenameError},
        {"attributes kept", Op::kSetAttributes, nullptr, MenuOutcome::kDone, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MenuEnv env;
        if (c.content) env.sys.writeHostFile(kMenu, *c.content);
        if (c.failing) env.sys.failOn(*c.failing);
        const std::string before = env.menu();
        EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), c.outcome);
        if (c.message) {
            test::expectOnlyFailureBox(env, *c.message);
            EXPECT_EQ(env.menu(), before);
        } else {
            EXPECT_EQ(env.menu(), sampleWithEntry());
        }
        EXPECT_TRUE(env.temporaryFiles().empty());
    }
}

TEST(RewriteMenu, ReplacesAReadOnlyHiddenSystemMenu) {
    MenuEnv env;
    env.sys.setAttributes(kMenu, win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kDone);
    EXPECT_EQ(env.menu(), sampleWithEntry());
}

}  // namespace
}  // namespace kh::hd
