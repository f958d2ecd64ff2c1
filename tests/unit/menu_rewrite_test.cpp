// The GRUB menu on the simulated system drive: the sample menu with the entry
// inserted, messages, and the sample left in place whatever fails.
#include "hdinstall/menu_rewrite.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "hdinstall/menu_entry.h"
#include "hdinstall/messages.h"
#include "platform/winconst.h"
#include "tests/support/sim_env.h"

namespace kh::hd {
namespace {

const std::string kMenu = "C:\\menu.lst";

std::string sampleMenu() {
    std::ifstream in(KH_SOURCE_DIR "/payloads/data/menu.lst", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

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

TEST(RewriteMenu, ReportsAMenuItCannotRead) {
    MenuEnv env;
    env.sys.failOn(sim::Op::kReadFile);
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kFailed);
    test::expectOnlyFailureBox(env, msg::kMenuOpenError);
}

TEST(RewriteMenu, ReportsAMenuTooLargeToBeOne) {
    MenuEnv env;
    env.sys.writeHostFile(kMenu, std::string(kMaxTextFileBytes + 1, 't'));
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kFailed);
    test::expectOnlyFailureBox(env, msg::kMenuNotText);
}

TEST(RewriteMenu, ReplacesAReadOnlyHiddenSystemMenu) {
    MenuEnv env;
    env.sys.setAttributes(kMenu, win::kAttrReadOnly | win::kAttrHidden | win::kAttrSystem);
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kDone);
    EXPECT_EQ(env.menu(), sampleWithEntry());
}

TEST(RewriteMenu, GoesOnWhenTheAttributesCannotBeCleared) {
    MenuEnv env;
    env.sys.failOn(sim::Op::kSetAttributes);
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kDone);
    EXPECT_EQ(env.menu(), sampleWithEntry());
}

TEST(RewriteMenu, LeavesTheSampleWhenTheCopyFails) {
    for (sim::Op operation :
         {sim::Op::kCreateFile, sim::Op::kWrite, sim::Op::kFlush, sim::Op::kClose}) {
        SCOPED_TRACE(sim::opName(operation));
        MenuEnv env;
        env.sys.failOn(operation);
        EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kFailed);
        test::expectOnlyFailureBox(env, msg::kMenuTempError);
        EXPECT_EQ(env.menu(), sampleMenu());
        EXPECT_TRUE(env.temporaryFiles().empty());
    }
}

TEST(RewriteMenu, ReportsAFailedRename) {
    MenuEnv env;
    env.sys.failOn(sim::Op::kReplaceFile);
    EXPECT_EQ(rewriteMenu(env.state.hd, kNumbers), MenuOutcome::kRenameFailed);
    test::expectOnlyFailureBox(env, msg::kMenuRenameError);
    EXPECT_EQ(env.menu(), sampleMenu());
    EXPECT_TRUE(env.temporaryFiles().empty());
}

}  // namespace
}  // namespace kh::hd
